// Twinscope: a dual-pane file explorer on the Windows shell.
#include <windows.h>

#include "app/MainWindow.h"
#include "shell/ShellStartup.h"
#include "toolkit/Application.h"
#include "toolkit/Exception.h"
#include "work/GlobalWorkerPool.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace ts;
  try {
    TShellLayer shellLayer(GlobalWorkerPoolHooks());
    {
      TMainWindow mainWindow;
      mainWindow.Show();
      Application->Run();
    }
    return 0;
  } catch (const Exception& e) {
    MessageBoxW(nullptr, e.Message().c_str(), L"Twinscope", MB_OK | MB_ICONSTOP);
  } catch (const std::exception& e) {
    MessageBoxA(nullptr, e.what(), "Twinscope", MB_OK | MB_ICONSTOP);
  }
  return 1;
}
