#include "dialogs/NsNetDisconnectDialog.h"

namespace ts {

TNetDisconnectDialogCall NetDisconnectDialogCall = &WNetDisconnectDialog;

bool TNsNetDisconnectDialog::Execute(HWND ParentWnd) {
  DoShow();
  const DWORD result = NetDisconnectDialogCall(ParentWnd, RESOURCETYPE_DISK);
  DoClose();
  // Set after OnClose, so that what it does leaves the caller's answer alone;
  // a cancel (all bits set) is no failure, as with the connection dialog.
  if (result != NO_ERROR) SetLastError(result == static_cast<DWORD>(-1) ? ERROR_SUCCESS : result);
  return result == NO_ERROR;
}

}  // namespace ts
