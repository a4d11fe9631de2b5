// Twinscope: a dual-pane file explorer on the Windows shell.
#include <windows.h>

#include "app/ProgramWindows.h"
#include "shell/ShellStartup.h"
#include "toolkit/Application.h"
#include "toolkit/Exception.h"
#include "work/GlobalWorkerPool.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace ts;
  try {
    TShellLayer shellLayer(GlobalWorkerPoolHooks());
    Application->SetTitle(L"Twinscope");
    // The windows live inside the shell layer's lifetime, whatever ends it.
    TProgramWindows windows;
    Application->Run();
    return 0;
  } catch (const Exception& e) {
    MessageBoxW(nullptr, e.Message().c_str(), L"Twinscope", MB_OK | MB_ICONSTOP);
  } catch (const std::exception& e) {
    MessageBoxA(nullptr, e.what(), "Twinscope", MB_OK | MB_ICONSTOP);
  }
  return 1;
}
