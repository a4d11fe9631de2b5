#include "shell/FileExecution.h"

#include <windows.h>
#include <shellapi.h>

#include "toolkit/Application.h"

namespace ts {

bool ExecuteFile(const std::wstring& path) {
  if (path.empty()) return false;
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_INVOKEIDLIST;
  info.hwnd = Application->GetHandle();
  info.lpVerb = nullptr;
  info.lpFile = path.c_str();
  info.nShow = SW_SHOWNORMAL;
  return ShellExecuteExW(&info) != FALSE;
}

}  // namespace ts
