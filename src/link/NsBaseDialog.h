#pragma once
// The base of the library's dialog components: OnShow fires just before and
// OnClose just after each platform dialog a subclass runs.
#include "toolkit/CommonDialog.h"

namespace ts {

// The window a component's platform dialog is shown over: that of the first
// form up its owner chain (owners that are other windowed controls are passed
// through), otherwise the program's main window.
HWND DialogParentWindow(const TComponent& component);

class TNsBaseDialog : public TCommonDialog {
  TS_CLASS(TNsBaseDialog, TCommonDialog)

public:
  explicit TNsBaseDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}

  // Runs the dialog over DialogParentWindow.
  bool Execute() override;
  bool Execute(HWND ParentWnd) override = 0;

  // OnShow and OnClose are the base's events, the one pair there is; these
  // accessors read and write the same two.
  const TNotifyEvent& GetOnShow() const noexcept { return OnShow; }
  void SetOnShow(TNotifyEvent value) { OnShow = std::move(value); }
  const TNotifyEvent& GetOnClose() const noexcept { return OnClose; }
  void SetOnClose(TNotifyEvent value) { OnClose = std::move(value); }

protected:
  // The window Execute without an argument runs the dialog over.
  HWND ParentWindow() const { return DialogParentWindow(*this); }
};

}  // namespace ts
