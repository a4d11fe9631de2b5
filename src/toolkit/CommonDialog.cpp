#include "toolkit/CommonDialog.h"

#include "toolkit/Application.h"

namespace ts {

bool TCommonDialog::Execute() {
  HWND parent = GetActiveWindow();
  if (parent == nullptr) parent = Application->GetMainFormHandle();
  return Execute(parent);
}

void TCommonDialog::DoShow() {
  if (OnShow) OnShow(this);
}

void TCommonDialog::DoClose() {
  if (OnClose) OnClose(this);
}

}  // namespace ts
