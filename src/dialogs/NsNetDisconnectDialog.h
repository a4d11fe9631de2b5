#pragma once
// The platform's dialog that disconnects a network drive.
#include <windows.h>
#include <winnetwk.h>

#include "link/NsBaseDialog.h"

namespace ts {

// How the disconnection dialog is run: WNetDisconnectDialog. Replaceable so
// that tests can stand in for a network the machine does not have.
using TNetDisconnectDialogCall = DWORD(WINAPI*)(HWND owner, DWORD type);
extern TNetDisconnectDialogCall NetDisconnectDialogCall;

class TNsNetDisconnectDialog : public TNsBaseDialog {
  TS_CLASS(TNsNetDisconnectDialog, TNsBaseDialog)

public:
  explicit TNsNetDisconnectDialog(TComponent* AOwner) : TNsBaseDialog(AOwner) {}

  using TNsBaseDialog::Execute;
  // True when a drive was disconnected. After a cancel the thread's last
  // error is ERROR_SUCCESS; after a failure it is the platform's code.
  bool Execute(HWND ParentWnd) override;
};

}  // namespace ts
