#pragma once
// The process-wide worker pool every control queues its background jobs on.
// It lives from the shell layer's start-up to its shut-down: created after the
// shell's libraries are loaded and destroyed before the shell's objects are
// released, which its running jobs use until they have ended.
#include "shell/ShellStartup.h"
#include "work/WorkerThreadPool.h"

namespace ts {

// Null outside the shell layer's lifetime.
TWorkerThreadPool* GlobalWorkerPool();

// With COM initialised for its workers and 4 workers per processor as the
// minimum.
void CreateGlobalWorkerPool();
// Ends every worker; inside a library it then gives them 200 ms to leave the
// library's code.
void DestroyGlobalWorkerPool();

// The shell layer's hooks that create and destroy the global pool.
TShellLayerHooks GlobalWorkerPoolHooks();

}  // namespace ts
