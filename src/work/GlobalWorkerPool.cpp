#include "work/GlobalWorkerPool.h"

#include "toolkit/Application.h"

namespace ts {

namespace {

TWorkerThreadPool* gPool = nullptr;

}  // namespace

TWorkerThreadPool* GlobalWorkerPool() { return gPool; }

void CreateGlobalWorkerPool() {
  if (gPool != nullptr) return;
  auto* pool = new TWorkerThreadPool(true);
  pool->SetMinWorkerThreads(4 * ProcessorCount());
  gPool = pool;
}

void DestroyGlobalWorkerPool() {
  TWorkerThreadPool* pool = gPool;
  if (pool == nullptr) return;
  gPool = nullptr;
  delete pool;
  if (IsLibrary()) Sleep(200);
}

TShellLayerHooks GlobalWorkerPoolHooks() {
  TShellLayerHooks hooks;
  hooks.AfterLibrariesLoaded = CreateGlobalWorkerPool;
  hooks.BeforeShellObjectsReleased = DestroyGlobalWorkerPool;
  return hooks;
}

}  // namespace ts
