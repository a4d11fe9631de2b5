#include "shell/ItemIdListPaths.h"

#include <vector>

#include "shell/ErrorMode.h"
#include "shell/PathClassification.h"
#include "shell/ShellFunctions.h"
#include "shell/ShellGlobals.h"
#include "shell/SpecialFolders.h"
#include "toolkit/Application.h"

namespace ts {

namespace {

constexpr DWORD kPathBufferChars = 32767;

std::wstring PathFromIdListEx(PCItemIDList list) {
  if (ShellFunctions.SHGetPathFromIDListEx == nullptr) return {};
  std::vector<wchar_t> buffer(kPathBufferChars);
  if (!ShellFunctions.SHGetPathFromIDListEx(list, buffer.data(), kPathBufferChars, 0)) return {};
  std::wstring path(buffer.data());
  if (path.size() < 10 || ShellFunctions.GetLongPathNameW == nullptr) return path;
  // Short (8.3) names in the path are given their long forms.
  std::vector<wchar_t> longPath(kPathBufferChars);
  DWORD n = ShellFunctions.GetLongPathNameW(path.c_str(), longPath.data(), kPathBufferChars);
  return (n > 0 && n < kPathBufferChars) ? std::wstring(longPath.data(), n) : path;
}

}  // namespace

PItemIDList PathToItemIdList(IShellFolder* folder, const std::wstring& path) {
  if (folder == nullptr) folder = DesktopFolder;
  if (path.empty()) {
    PItemIDList drives = nullptr;
    HRESULT hr = SpecialFolderLocator ? SpecialFolderLocator(CSIDL_DRIVES, &drives) : E_FAIL;
    if (FAILED(hr)) {
      SetLastError(static_cast<DWORD>(hr));
      return nullptr;
    }
    return drives;
  }
  if (folder == nullptr) {
    SetLastError(static_cast<DWORD>(E_UNEXPECTED));
    return nullptr;
  }
  std::wstring text = path;
  if (text.size() == 2 && text[1] == L':') text += L'\\';
  // Only a network path may need to ask the user for credentials.
  HWND owner = IsUNCPath(text) ? Application->GetHandle() : nullptr;

  PItemIDList list = nullptr;
  ULONG eaten = 0;
  ULONG attributes = 0;
  HRESULT hr;
  {
    TFailCriticalErrorsScope errorMode;
    hr = folder->ParseDisplayName(owner, nullptr, text.data(), &eaten, &list, &attributes);
  }
  if (FAILED(hr) || list == nullptr) {
    if (list != nullptr) CoTaskMemFree(list);
    SetLastError(static_cast<DWORD>(FAILED(hr) ? hr : E_FAIL));
    return nullptr;
  }
  return list;
}

std::wstring ItemIdListToPath(PCItemIDList list) {
  if (list == nullptr) return {};
  try {
    if (IsVistaOrLater) {
      std::wstring path = PathFromIdListEx(list);
      if (!path.empty()) return path;
    }
    wchar_t buffer[MAX_PATH] = {};
    if (SHGetPathFromIDListW(list, buffer)) return buffer;
  } catch (...) {
    // A platform failure of any kind means the item has no path.
  }
  return {};
}

}  // namespace ts
