#pragma once
// The platform's dialog that connects a network drive: a remote path that
// may be given (and fixed), persistence and the list of recent paths; the
// drive letter of the new connection.
#include <windows.h>
#include <winnetwk.h>

#include <string>

#include "link/NsBaseDialog.h"
#include "toolkit/Set.h"

namespace ts {

enum TNsConnectionFlag : uint8_t { cdPersist, cdReadOnlyPath, cdUseMRU };
using TNsConnectionFlags = TSet<TNsConnectionFlag, uint8_t>;

// How the connection dialog is run: WNetConnectionDialog1W. Replaceable so
// that tests can stand in for a network the machine does not have.
using TNetConnectionDialogCall = DWORD(WINAPI*)(LPCONNECTDLGSTRUCTW info);
extern TNetConnectionDialogCall NetConnectionDialogCall;

class TNsNetConnectionDialog : public TNsBaseDialog {
  TS_CLASS(TNsNetConnectionDialog, TNsBaseDialog)

public:
  explicit TNsNetConnectionDialog(TComponent* AOwner);

  using TNsBaseDialog::Execute;
  // True when a connection was made. After a cancel the thread's last error
  // is ERROR_SUCCESS; after a failure it is the platform's code.
  bool Execute(HWND ParentWnd) override;

  const std::wstring& GetRemotePath() const noexcept { return fRemotePath; }
  // An empty path takes back cdReadOnlyPath: nothing would be shown.
  void SetRemotePath(const std::wstring& value);
  TNsConnectionFlags GetOptions() const noexcept { return fOptions; }
  // cdReadOnlyPath is kept only without cdUseMRU and with a RemotePath.
  void SetOptions(TNsConnectionFlags value);
  // "Z:" after a connection to drive Z; empty otherwise.
  const std::wstring& GetConnectedDriveLetter() const noexcept { return fConnectedDriveLetter; }

private:
  void WarnNoRemotePath() const;

  std::wstring fRemotePath;
  TNsConnectionFlags fOptions{cdPersist, cdUseMRU};
  std::wstring fConnectedDriveLetter;
};

}  // namespace ts
