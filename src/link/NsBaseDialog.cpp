#include "link/NsBaseDialog.h"

#include "shell/ProcessInfo.h"
#include "toolkit/Forms.h"

namespace ts {

bool TNsBaseDialog::Execute() { return Execute(ParentWindow()); }

HWND TNsBaseDialog::ParentWindow() const {
  for (TComponent* owner = GetOwner(); owner != nullptr; owner = owner->GetOwner()) {
    if (auto* form = dynamic_cast<TCustomForm*>(owner)) return form->GetHandle();
    if (dynamic_cast<TWinControl*>(owner) == nullptr) break;
  }
  return GetMainWindowHandle();
}

}  // namespace ts
