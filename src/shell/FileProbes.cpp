#include "shell/FileProbes.h"

#include <windows.h>

#include "shell/ErrorMode.h"
#include "shell/NsBrowser.h"
#include "shell/NsBrowserError.h"
#include "shell/PathClassification.h"
#include "shell/ProcessInfo.h"
#include "shell/SelectionListFileOps.h"
#include "shell/ShellFunctions.h"
#include "shell/ShellGlobals.h"
#include "toolkit/FilePaths.h"
#include "toolkit/Strings.h"

namespace ts {

namespace {

// A 32-bit process on a 64-bit system may not find a network share by path
// until the shell has opened it once.
void OpenThroughNamespace(const std::wstring& rootPath) {
  try {
    TNsBrowser browser(static_cast<TComponent*>(nullptr));
    browser.SetFolder(rootPath);
    browser.Next();
  } catch (const ENsBrowserError&) {
    // Only a probe: the search below decides.
  }
}

}  // namespace

bool PathExists(const std::wstring& path) {
  std::wstring pattern;
  if (IsRootPath(path)) {
    if (IsWin7OrLater && IsWow64() && IsNetworkPath(path)) OpenThroughNamespace(path);
    pattern = IncludeTrailingPathDelimiter(path) + L"*";
  } else {
    pattern = ExcludeTrailingPathDelimiter(path);
  }
  if (pattern.empty()) return false;
  TFailCriticalErrorsScope errorMode;
  WIN32_FIND_DATAW data;
  HANDLE h = TNsSelectionListFileOps::FindFirstFile(pattern, data);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  return true;
}

namespace {

// The attributes of the entry path names; INVALID_FILE_ATTRIBUTES for none.
DWORD EntryAttributes(const std::wstring& path) {
  if (path.empty() || path.find_first_of(L"*?") != std::wstring::npos) return INVALID_FILE_ATTRIBUTES;
  // A root keeps its backslash ("C:" alone is the drive's current folder).
  std::wstring name = IsRootPath(path) ? IncludeTrailingPathDelimiter(path) : ExcludeTrailingPathDelimiter(path);
  TFailCriticalErrorsScope errorMode;
  return GetFileAttributesW(TNsSelectionListFileOps::LongPathForm(name).c_str());
}

}  // namespace

bool DirectoryExists(const std::wstring& path) {
  const DWORD attributes = EntryAttributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileExists(const std::wstring& path) {
  if (HasTrailingPathDelimiter(path)) return false;
  const DWORD attributes = EntryAttributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsDriveReady(const std::wstring& path) {
  const std::wstring drive = PathDrivePart(path);
  if (drive.empty()) return false;
  TFailCriticalErrorsScope errorMode;
  ULARGE_INTEGER available, total, free;
  return GetDiskFreeSpaceExW(IncludeTrailingPathDelimiter(drive).c_str(), &available, &total, &free) != FALSE;
}

int64_t GetFileSizeByPath(const std::wstring& path) {
  if (path.empty()) return -1;
  WIN32_FIND_DATAW data;
  HANDLE h;
  {
    TFailCriticalErrorsScope errorMode;
    h = TNsSelectionListFileOps::FindFirstFile(path, data);
  }
  if (h == INVALID_HANDLE_VALUE) return -1;
  FindClose(h);
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool CreateDirectoryPath(const std::wstring& path) {
  if (path.empty()) throw ENsBrowserError(L"");
  const std::wstring dir = ExcludeTrailingPathDelimiter(path);
  if (dir.size() < 3 || TNsSelectionListFileOps::IsFolder(dir)) return true;
  const std::wstring parent = ExtractFileDir(dir);
  if (SameText(parent, dir)) return true;
  // A bare relative name has no parent to make first.
  if (!parent.empty() && !CreateDirectoryPath(parent)) return false;
  // The long-path form lets folders be made beyond MAX_PATH.
  return CreateDirectoryW(TNsSelectionListFileOps::LongPathForm(dir).c_str(), nullptr) != FALSE;
}

std::wstring GetWindowsDirectoryPath() {
  wchar_t buffer[MAX_PATH];
  if (ShellFunctions.GetSystemWindowsDirectoryW != nullptr) {
    UINT n = ShellFunctions.GetSystemWindowsDirectoryW(buffer, MAX_PATH);
    if (n > 0 && n < MAX_PATH) return std::wstring(buffer, n);
  }
  UINT n = GetWindowsDirectoryW(buffer, MAX_PATH);
  if (n > 0 && n < MAX_PATH) return std::wstring(buffer, n);
  return L"C:\\Windows";
}

std::wstring GetTempDirectory() {
  wchar_t buffer[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  return (n > 0 && n <= MAX_PATH) ? std::wstring(buffer, n) : std::wstring();
}

bool IsFolderShortcut(const std::wstring& path) {
  if (path.empty()) return false;
  std::wstring folder = path;
  if (folder.back() == L'*') folder.pop_back();
  return TNsSelectionListFileOps::IsFile(IncludeTrailingPathDelimiter(folder) + L"target.lnk");
}

}  // namespace ts
