// Entry point of test programs that use the shell layer: it is started once
// for the whole run, with the global worker pool, as the program starts it,
// and stopped at the end.
#include <gtest/gtest.h>

#include "shell/ShellStartup.h"
#include "work/GlobalWorkerPool.h"

int wmain(int argc, wchar_t** argv) {
  testing::InitGoogleTest(&argc, argv);
  ts::TShellLayer shellLayer(ts::GlobalWorkerPoolHooks());
  return RUN_ALL_TESTS();
}
