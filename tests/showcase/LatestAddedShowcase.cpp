// Shows the Latest Added window listing a folder's tree, to look at it (and
// photograph it headless with tools/showcase FOLDER latest). Arguments: the
// folder (default C:\windows) and "dirs" for folders only.
#include <windows.h>

#include <string>

#include "app/LatestAddedWindow.h"
#include "shell/ShellStartup.h"
#include "toolkit/Application.h"
#include "work/GlobalWorkerPool.h"

int wmain(int argc, wchar_t** argv) {
  using namespace ts;
  const std::wstring path = argc > 1 ? argv[1] : L"C:\\windows";
  const bool dirsOnly = argc > 2 && std::wstring(argv[2]) == L"dirs";
  TShellLayer shellLayer(GlobalWorkerPoolHooks());
  // The settings beside the program, as the window keeps them.
  TfrmLatestAdded window(nullptr);
  window.rbtnDirsOnly->SetChecked(dirsOnly);
  window.rbtnDirsAndFiles->SetChecked(!dirsOnly);
  window.rbtnDirsOnlyClick(window.rbtnDirsOnly);
  window.lblStartPath->SetCaption(path);
  window.OnClose = [](TObject*, TCloseAction&) { Application->Terminate(); };
  window.Show();
  window.ListBoxLatest->SetItemIndex(2);
  window.ListBoxLatest->SetFocus();
  Application->Run();
  return 0;
}
