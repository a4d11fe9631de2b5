#pragma once
// Counts how many of the task-allocator blocks a test names are freed, by
// spying on the allocator (CoRegisterMallocSpy).
#include <windows.h>
#include <objbase.h>

#include <mutex>
#include <set>

namespace ts::test {

// Counts the task allocator's frees of the blocks a test names.
class TFreeCounter : public IMallocSpy {
public:
  std::set<void*> Watched;
  int Freed = 0;
  std::mutex Lock;

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
  void* STDMETHODCALLTYPE PostAlloc(void* actual) override { return actual; }
  void* STDMETHODCALLTYPE PreFree(void* request, BOOL) override {
    std::lock_guard<std::mutex> guard(Lock);
    if (Watched.erase(request) > 0) ++Freed;
    return request;
  }
  void STDMETHODCALLTYPE PostFree(BOOL) override {}
  SIZE_T STDMETHODCALLTYPE PreRealloc(void* request, SIZE_T size, void** newRequest, BOOL) override {
    *newRequest = request;
    return size;
  }
  void* STDMETHODCALLTYPE PostRealloc(void* actual, BOOL) override { return actual; }
  void* STDMETHODCALLTYPE PreGetSize(void* request, BOOL) override { return request; }
  SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T actual, BOOL) override { return actual; }
  void* STDMETHODCALLTYPE PreDidAlloc(void* request, BOOL) override { return request; }
  int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
  void STDMETHODCALLTYPE PreHeapMinimize() override {}
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
