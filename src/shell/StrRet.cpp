#include "shell/StrRet.h"

#include <atomic>

#include "shell/ShellFunctions.h"
#include "toolkit/Application.h"
#include "toolkit/Synchronize.h"
#include "toolkit/Thread.h"

namespace ts {

namespace {

std::atomic<bool> gMissingStrRetToStrReported{false};

// Once for the whole process, whichever thread asks first; the box and the
// request to end run on the main thread, whose windows and message loop they
// concern (a worker's quit message would end nothing).
void ReportMissingStrRetToStr() {
  if (gMissingStrRetToStrReported.exchange(true)) return;
  SynchronizeCall(
      [] {
        if (Application->GetTerminated()) return;
        Application->ShowMessageBox(
            L"A Dll, which is needed to execute this program, is not installed. \r\n"
            L"Please install Internet Explorer 5.5 or higher to use this program.",
            Application->GetTitle(), MB_OK | MB_ICONERROR);
        Application->Terminate();
      },
      TThread::CurrentThread());
}

}  // namespace

std::wstring StrRetToString(PCItemIDList item, const STRRET& strret) {
  if (ShellFunctions.StrRetToStrW == nullptr) {
    // The conversion would have released the folder's string: so must this.
    STRRET copy = strret;
    FreeStrRet(copy);
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
