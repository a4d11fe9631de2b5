#pragma once
// The base of the library's non-visual components: an Enabled switch that
// subclasses may refine, off until a subclass turns it on.
#include "toolkit/Component.h"

namespace ts {

class TNsBaseComponent : public TComponent {
  TS_CLASS(TNsBaseComponent, TComponent)

public:
  explicit TNsBaseComponent(TComponent* AOwner) : TComponent(AOwner) {}

  virtual bool GetEnabled() const { return fEnabled; }
  virtual void SetEnabled(bool value) { fEnabled = value; }
  // Non-visual: bounds mean nothing.
  void SetBounds(int, int, int, int) {}

private:
  bool fEnabled = false;
};

}  // namespace ts
