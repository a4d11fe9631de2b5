// Shows a folder combo on a form, on the folder given on the command line
// (C:\windows\system32 when none), and opens its list: for looking at the
// control. Headless, take the screenshot with the open list's window too,
// which is a window of its own above the form.
#include <windows.h>

#include <string>

#include "controls/ShellCombo.h"
#include "shell/ShellStartup.h"
#include "toolkit/Forms.h"
#include "work/GlobalWorkerPool.h"

namespace {

ts::TNsShellCombo* gCombo = nullptr;

// Opens the list once the form is up and active, as a click would.
void CALLBACK OpenList(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  gCombo->SetFocus();
  gCombo->SetDroppedDown(true);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  using namespace ts;
  TShellLayer shellLayer(GlobalWorkerPoolHooks());
  const std::wstring folder = argc > 1 && argv[1][0] != L'\0' ? argv[1] : L"C:\\windows\\system32";
  TForm form(nullptr);
  form.SetCaption(L"Folder combo");
  form.SetBounds(40, 40, 420, 420);
  gCombo = new TNsShellCombo(&form);
  gCombo->SetBounds(10, 10, 380, 24);
  gCombo->SetShowFullPath(true);
  gCombo->SetDropDownCount(16);
  gCombo->SetParent(&form);
  form.Show();
  gCombo->SetSelectedFolder(folder);
  SetTimer(nullptr, 0, 800, &OpenList);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
