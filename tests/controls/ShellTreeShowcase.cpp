// Shows a shell tree on a form, opened down to the folder given on the
// command line (C:\windows\system32 when none) and with that folder
// selected: for looking at the control.
#include <windows.h>

#include <string>

#include "controls/ShellTree.h"
#include "shell/ShellStartup.h"
#include "toolkit/Forms.h"
#include "work/GlobalWorkerPool.h"

int wmain(int argc, wchar_t** argv) {
  using namespace ts;
  TShellLayer shellLayer(GlobalWorkerPoolHooks());
  const std::wstring folder = argc > 1 && argv[1][0] != L'\0' ? argv[1] : L"C:\\windows\\system32";
  TForm form(nullptr);
  form.SetCaption(L"Shell tree");
  form.SetBounds(40, 40, 380, 640);
  auto* tree = new TNsShellTree(&form);
  tree->SetAlign(alClient);
  tree->SetParent(&form);
  form.Show();
  tree->SetSelectedFolder(folder);
  tree->SetFocus();
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
