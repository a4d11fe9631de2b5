#pragma once
// The base of the library's dialog components: OnShow fires just before and
// OnClose just after each platform dialog a subclass runs.
#include "toolkit/CommonDialog.h"

namespace ts {

class TNsBaseDialog : public TCommonDialog {
  TS_CLASS(TNsBaseDialog, TCommonDialog)

public:
  explicit TNsBaseDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}

  using TCommonDialog::Execute;
  bool Execute(HWND ParentWnd) override = 0;

  const TNotifyEvent& GetOnShow() const noexcept { return fOnShow; }
  void SetOnShow(TNotifyEvent value) { fOnShow = std::move(value); }
  const TNotifyEvent& GetOnClose() const noexcept { return fOnClose; }
  void SetOnClose(TNotifyEvent value) { fOnClose = std::move(value); }

protected:
  void DoShow() override {
    if (fOnShow) fOnShow(this);
  }
  void DoClose() override {
    if (fOnClose) fOnClose(this);
  }

private:
  TNotifyEvent fOnClose;
  TNotifyEvent fOnShow;
};

}  // namespace ts
