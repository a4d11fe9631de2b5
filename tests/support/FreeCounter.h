#pragma once
// Counts how many of the task-allocator blocks a test names are freed, and
// which blocks allocated while tracking are still held, by spying on the
// allocator (CoRegisterMallocSpy).
#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <set>

namespace ts::test {

// Counts the task allocator's frees of the blocks a test names.
class TFreeCounter : public IMallocSpy {
public:
  std::set<void*> Watched;
  int Freed = 0;
  // While Tracking, every block allocated stays in Outstanding until freed.
  bool Tracking = false;
  std::set<void*> Outstanding;
  // How many blocks were made while tracking (a check that the spy watched).
  size_t Seen = 0;
  // While set, a block freed has its first two bytes cleared first: an
  // identifier list read after its end then reads as the empty list, not as
  // whatever it was.
  std::atomic<bool> PoisonFreed{false};
  std::mutex Lock;

  void StartTracking() {
    std::lock_guard<std::mutex> guard(Lock);
    Outstanding.clear();
    Seen = 0;
    Tracking = true;
  }
  // Stops tracking; answers how many tracked blocks are still held.
  size_t StopTracking() {
    std::lock_guard<std::mutex> guard(Lock);
    Tracking = false;
    return Outstanding.size();
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMallocSpy)) {
      *object = this;
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T size) override { return size; }
  void* STDMETHODCALLTYPE PostAlloc(void* actual) override {
    std::lock_guard<std::mutex> guard(Lock);
    if (Tracking && actual != nullptr) {
      Outstanding.insert(actual);
      ++Seen;
    }
    return actual;
  }
  void* STDMETHODCALLTYPE PreFree(void* request, BOOL) override {
    if (PoisonFreed && request != nullptr) std::memset(request, 0, 2);
    std::lock_guard<std::mutex> guard(Lock);
    Outstanding.erase(request);
    if (Watched.erase(request) > 0) ++Freed;
    return request;
  }
  void STDMETHODCALLTYPE PostFree(BOOL) override {}
  SIZE_T STDMETHODCALLTYPE PreRealloc(void* request, SIZE_T size, void** newRequest, BOOL) override {
    std::lock_guard<std::mutex> guard(Lock);
    ReallocTracked() = Outstanding.erase(request) > 0 || (Tracking && request == nullptr);
    *newRequest = request;
    return size;
  }
  void* STDMETHODCALLTYPE PostRealloc(void* actual, BOOL) override {
    std::lock_guard<std::mutex> guard(Lock);
    if (ReallocTracked() && actual != nullptr) Outstanding.insert(actual);
    return actual;
  }
  void* STDMETHODCALLTYPE PreGetSize(void* request, BOOL) override { return request; }
  SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T actual, BOOL) override { return actual; }
  void* STDMETHODCALLTYPE PreDidAlloc(void* request, BOOL) override { return request; }
  int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
  void STDMETHODCALLTYPE PreHeapMinimize() override {}
  static bool& ReallocTracked() {
    thread_local bool tracked = false;
    return tracked;
  }
  void STDMETHODCALLTYPE PostHeapMinimize() override {}
};

// The process's one spy, registered on first use and never revoked: the
// allocator keeps a spy until every block allocated under it is freed, so a
// spy must outlive them all. Tests start by clearing what it counts.
inline TFreeCounter& FreeCounter() {
  static TFreeCounter* counter = [] {
    auto* spy = new TFreeCounter();
    CoRegisterMallocSpy(spy);
    return spy;
  }();
  return *counter;
}

}  // namespace ts::test
