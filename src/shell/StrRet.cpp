#include "shell/StrRet.h"

#include "shell/ShellFunctions.h"
#include "toolkit/Application.h"

namespace ts {

namespace {

void ReportMissingStrRetToStr() {
  if (Application->GetTerminated()) return;
  Application->ShowMessageBox(
      L"A Dll, which is needed to execute this program, is not installed. \r\n"
      L"Please install Internet Explorer 5.5 or higher to use this program.",
      Application->GetTitle(), MB_OK | MB_ICONERROR);
  Application->Terminate();
}

}  // namespace

std::wstring StrRetToString(PCItemIDList item, const STRRET& strret) {
  if (ShellFunctions.StrRetToStrW == nullptr) {
    ReportMissingStrRetToStr();
    return {};
  }
  STRRET copy = strret;
  LPWSTR text = nullptr;
  if (FAILED(ShellFunctions.StrRetToStrW(&copy, item, &text)) || text == nullptr) return {};
  std::wstring result(text);
  CoTaskMemFree(text);
  return result;
}

void FreeStrRet(STRRET& strret) {
  if (strret.uType == STRRET_WSTR && strret.pOleStr != nullptr) {
    CoTaskMemFree(strret.pOleStr);
    strret.pOleStr = nullptr;
  }
}

}  // namespace ts
