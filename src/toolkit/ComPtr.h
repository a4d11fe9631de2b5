#pragma once
// An owning reference to a COM interface: released when it goes out of scope.
#include <unknwn.h>

#include <utility>

namespace ts {

template <typename T>
class TComPtr {
public:
  TComPtr() noexcept = default;
  TComPtr(std::nullptr_t) noexcept {}
  // Takes a new reference to p (AddRef).
  explicit TComPtr(T* p) noexcept : fPtr(p) { if (fPtr) fPtr->AddRef(); }
  TComPtr(const TComPtr& other) noexcept : fPtr(other.fPtr) { if (fPtr) fPtr->AddRef(); }
  TComPtr(TComPtr&& other) noexcept : fPtr(std::exchange(other.fPtr, nullptr)) {}
  ~TComPtr() { Reset(); }

  TComPtr& operator=(const TComPtr& other) noexcept {
    if (other.fPtr) other.fPtr->AddRef();
    Reset();
    fPtr = other.fPtr;
    return *this;
  }
  TComPtr& operator=(TComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      fPtr = std::exchange(other.fPtr, nullptr);
    }
    return *this;
  }
  TComPtr& operator=(std::nullptr_t) noexcept { Reset(); return *this; }

  // Adopts a reference the caller already holds (no AddRef).
  static TComPtr Attach(T* p) noexcept { TComPtr r; r.fPtr = p; return r; }
  // Gives up the reference without releasing it.
  T* Detach() noexcept { return std::exchange(fPtr, nullptr); }
  void Reset() noexcept {
    if (T* p = std::exchange(fPtr, nullptr)) p->Release();
  }

  T* Get() const noexcept { return fPtr; }
  T* operator->() const noexcept { return fPtr; }
  explicit operator bool() const noexcept { return fPtr != nullptr; }

  // For out-parameters: releases what is held and answers the slot.
  T** Put() noexcept { Reset(); return &fPtr; }
  void** PutVoid() noexcept { return reinterpret_cast<void**>(Put()); }

  // Queries another interface of the same object.
  template <typename U>
  HRESULT As(REFIID iid, TComPtr<U>& out) const noexcept {
    if (!fPtr) { out.Reset(); return E_POINTER; }
    return fPtr->QueryInterface(iid, out.PutVoid());
  }

private:
  T* fPtr = nullptr;
};

}  // namespace ts
