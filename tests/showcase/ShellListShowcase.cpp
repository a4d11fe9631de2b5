// Shows a shell list on a folder in a window of its own, as a pane would, so
// that the control can be looked at (and photographed headless by
// tools/showcase). Arguments: the folder (default C:\windows) and the view:
// details, list, icons, large (extra large icons) or thumbnails.
#include <windows.h>

#include <string>

#include "controls/ShellList.h"
#include "shell/ShellStartup.h"
#include "toolkit/Application.h"
#include "toolkit/Forms.h"
#include "work/GlobalWorkerPool.h"

int wmain(int argc, wchar_t** argv) {
  using namespace ts;
  const std::wstring path = argc > 1 ? argv[1] : L"C:\\windows";
  const std::wstring view = argc > 2 ? argv[2] : L"details";
  TShellLayer shellLayer(GlobalWorkerPoolHooks());
  TForm form(nullptr);
  form.SetCaption(L"Twinscope list showcase: " + path + L" (" + view + L")");
  form.SetBounds(40, 40, 900, 620);
  auto* list = new TNsShellList(&form);
  list->SetAlign(alClient);
  list->SetParent(&form);
  // As a form's loader would: the settings, then Loaded.
  form.BeginLoading();
  list->SetPath(path);
  form.EndLoading();
  if (view == L"list") list->SetViewStyle(vsList);
  if (view == L"icons" || view == L"large") list->SetViewStyle(vsIcon);
  if (view == L"large") list->SetShowExtraLargeIcons(true);
  if (view == L"thumbnails") list->SetThumbnails(true);
  if (list->GetItems().Count() > 3) list->GetItems()[3]->SetSelected(true);
  form.OnClose = [](TObject*, TCloseAction&) { Application->Terminate(); };
  form.Show();
  list->SetFocus();
  Application->Run();
  return 0;
}
