#pragma once
// The base of components that run one of the platform's dialogs: Execute
// shows it (owned by the active window, or a given one), with OnShow just
// before and OnClose just after.
#include <windows.h>

#include "toolkit/Component.h"
#include "toolkit/StringList.h"

namespace ts {

class TCommonDialog : public TComponent {
  TS_CLASS(TCommonDialog, TComponent)

public:
  explicit TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}

  // Runs the dialog owned by the active window (the main form's when none);
  // answers whether the user confirmed it.
  virtual bool Execute();
  virtual bool Execute(HWND ParentWnd) = 0;

  TNotifyEvent OnShow;
  TNotifyEvent OnClose;

protected:
  virtual void DoShow();
  virtual void DoClose();
};

}  // namespace ts
