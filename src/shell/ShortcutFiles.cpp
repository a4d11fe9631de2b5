#include "shell/ShortcutFiles.h"

#include <windows.h>
#include <shlobj.h>

#include "shell/FileOperationTargets.h"
#include "shell/FileProbes.h"
#include "toolkit/ComPtr.h"
#include "toolkit/FilePaths.h"

namespace ts {

bool CreateShortcutFile(const std::wstring& target, const std::wstring& linkPath) {
  if (target.empty() || linkPath.empty()) return false;
  TComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.PutVoid())))
    return false;
  if (FAILED(link->SetPath(target.c_str()))) return false;
  const std::wstring folder = ExtractFileDir(ExcludeTrailingPathDelimiter(target));
  if (!folder.empty()) link->SetWorkingDirectory(folder.c_str());
  TComPtr<IPersistFile> file;
  if (FAILED(link.As(IID_IPersistFile, file)) || FAILED(file->Save(linkPath.c_str(), TRUE))) return false;
  return PathExists(linkPath);
}

std::wstring NewShortcutPath(const std::wstring& target, const std::wstring& folder) {
  std::wstring name = ExtractFileName(ExcludeTrailingPathDelimiter(target));
  // A drive's root has no name of its own: its letter stands for it.
  if (name.empty() || name.back() == L':') {
    name = ExcludeTrailingPathDelimiter(target);
    if (!name.empty() && name.back() == L':') name.pop_back();
  }
  if (name.empty()) name = L"Shortcut";
  const std::wstring first = IncludeTrailingPathDelimiter(folder) + name + L" - Shortcut.lnk";
  if (!PathExists(first)) return first;
  return NextFreeName(first, false, false, [](const std::wstring& path) { return PathExists(path); });
}

}  // namespace ts
