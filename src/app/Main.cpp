// Twinscope: a dual-pane file explorer on the Windows shell.
#include <windows.h>

#include "app/AboutWindow.h"
#include "app/BookmarkWindow.h"
#include "app/LatestAddedWindow.h"
#include "app/MainWindow.h"
#include "shell/ShellStartup.h"
#include "toolkit/Application.h"
#include "toolkit/Exception.h"
#include "work/GlobalWorkerPool.h"

namespace {

// Frees a window made with the application as owner, and forgets it.
template <typename T>
void FreeForm(T*& form) {
  delete form;
  form = nullptr;
}

// The bookmark window, hidden; it reads its file as it is made.
void CreateBookmarkWindow() {
  ts::TfrmBookmark* form = nullptr;
  ts::Application->CreateForm(form);
  ts::frmBookmark = form;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace ts;
  try {
    TShellLayer shellLayer(GlobalWorkerPoolHooks());
    Application->SetTitle(L"Twinscope");
    // The program's windows, in this order; only the first is shown.
    Application->CreateForm(frmMain);
    CreateBookmarkWindow();
    Application->CreateForm(frmAbout);
    TfrmLatestAdded* latestAdded = nullptr;
    Application->CreateForm(latestAdded);
    frmLatestAdded = latestAdded;
    Application->Run();
    // The main window goes first, writing its settings; then the others.
    FreeForm(frmMain);
    FreeForm(frmBookmark);
    FreeForm(frmAbout);
    FreeForm(frmLatestAdded);
    return 0;
  } catch (const Exception& e) {
    MessageBoxW(nullptr, e.Message().c_str(), L"Twinscope", MB_OK | MB_ICONSTOP);
  } catch (const std::exception& e) {
    MessageBoxA(nullptr, e.what(), "Twinscope", MB_OK | MB_ICONSTOP);
  }
  return 1;
}
