#pragma once
// What a windowed control offers the components it owns: its window. Non-
// visual components that need an owner window for platform dialogs ask their
// owner for this interface.
#include <windows.h>

namespace ts {

class IWinControlHandle {
public:
  virtual HWND GetHandle() = 0;
  virtual bool HandleAllocated() const = 0;

protected:
  ~IWinControlHandle() = default;
};

}  // namespace ts
