#pragma once
// The base of reference-counted objects that implement interfaces: freed when
// the last reference is released. QueryInterface answers IUnknown and the
// interfaces a subclass reports through GetInterface.
#include <windows.h>
#include <unknwn.h>

#include <atomic>

#include "toolkit/Object.h"

namespace ts {

class TInterfacedObject : public TObject {
  TS_CLASS(TInterfacedObject, TObject)

public:
  ULONG RefCount() const noexcept { return fRefCount.load(); }

protected:
  TInterfacedObject() = default;

  // The interface pointer for iid, or null; a subclass answers its own and
  // defers to its base. Answering IUnknown is left to the subclass, which
  // knows which of its bases is the canonical one.
  virtual void* GetInterface(REFIID iid) noexcept = 0;

  // Helpers for subclasses' IUnknown methods.
  HRESULT DoQueryInterface(REFIID iid, void** object) noexcept {
    if (object == nullptr) return E_POINTER;
    *object = GetInterface(iid);
    if (*object == nullptr) return E_NOINTERFACE;
    DoAddRef();
    return S_OK;
  }
  ULONG DoAddRef() noexcept { return ++fRefCount; }
  ULONG DoRelease() noexcept {
    const ULONG count = --fRefCount;
    if (count == 0) delete this;
    return count;
  }

private:
  std::atomic<ULONG> fRefCount{0};
};

// Declares the IUnknown methods of a class derived from TInterfacedObject.
#define TS_IUNKNOWN_METHODS                                                              \
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) noexcept override { \
    return DoQueryInterface(iid, object);                                                 \
  }                                                                                       \
  ULONG STDMETHODCALLTYPE AddRef() noexcept override { return DoAddRef(); }               \
  ULONG STDMETHODCALLTYPE Release() noexcept override { return DoRelease(); }

}  // namespace ts
