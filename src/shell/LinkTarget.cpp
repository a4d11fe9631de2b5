#include "shell/LinkTarget.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "shell/ErrorMode.h"
#include "shell/FileProbes.h"
#include "shell/ProcessInfo.h"
#include "shell/ShellGlobals.h"
#include "toolkit/ComPtr.h"
#include "toolkit/Strings.h"

namespace ts {

namespace {

std::wstring ReadShortcutTarget(const std::wstring& path) {
  TFailCriticalErrorsScope errorMode;
  TComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.PutVoid())))
    return {};
  TComPtr<IPersistFile> file;
  if (FAILED(link.As(IID_IPersistFile, file)) || FAILED(file->Load(path.c_str(), STGM_READ))) return {};
  std::vector<wchar_t> buffer(32767);
  if (FAILED(link->GetPath(buffer.data(), static_cast<int>(buffer.size()), nullptr, SLGP_UNCPRIORITY))) return {};
  return std::wstring(buffer.data());
}

}  // namespace

std::wstring ResolveLinkTarget(const std::wstring& path) {
  if (path.empty()) return {};
  std::wstring target = ReadShortcutTarget(path);
  if (target.empty() || ProgramFilesX86Path.empty() || !IsWow64()) return target;
  if (StartsText(ProgramFilesX86Path, target) && !PathExists(target)) {
    std::wstring native = StringReplace(target, ProgramFilesX86Path, ProgramFilesNativePath, rfIgnoreCase);
    if (PathExists(native)) return native;
  }
  return target;
}

}  // namespace ts
