#include "link/NsBaseDialog.h"

#include "shell/ProcessInfo.h"
#include "toolkit/Forms.h"

namespace ts {

bool TNsBaseDialog::Execute() { return Execute(ParentWindow()); }

HWND DialogParentWindow(const TComponent& component) {
  for (TComponent* owner = component.GetOwner(); owner != nullptr; owner = owner->GetOwner()) {
    if (auto* form = dynamic_cast<TCustomForm*>(owner)) return form->GetHandle();
    if (dynamic_cast<TWinControl*>(owner) == nullptr) break;
  }
  return GetMainWindowHandle();
}

}  // namespace ts
