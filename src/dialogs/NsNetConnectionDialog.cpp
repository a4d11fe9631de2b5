#include "dialogs/NsNetConnectionDialog.h"

#include "toolkit/Application.h"

namespace ts {

TNetConnectionDialogCall NetConnectionDialogCall = &WNetConnectionDialog1W;

namespace {

// The structure is the platform's of each build: 20 bytes for 32-bit code.
static_assert(sizeof(void*) != 4 || sizeof(CONNECTDLGSTRUCTW) == 20, "the 32-bit connection dialog structure");

// What WNetConnectionDialog1W answers when the user cancels.
constexpr DWORD kDialogCancelled = static_cast<DWORD>(-1);

DWORD ConnectionDialogFlags(TNsConnectionFlags options) {
  DWORD flags = 0;
  if (options.Contains(cdPersist)) flags |= CONNDLG_PERSIST;
  if (options.Contains(cdReadOnlyPath)) flags |= CONNDLG_RO_PATH;
  if (options.Contains(cdUseMRU)) flags |= CONNDLG_USE_MRU;
  return flags;
}

// "A:" for device 1 up to "Z:" for 26; a connection without a drive letter
// (the platform answers 0 or all bits set) has none.
std::wstring DriveLetterOfDevice(DWORD device) {
  if (device < 1 || device > 26) return {};
  return std::wstring(1, static_cast<wchar_t>(L'A' + device - 1)) + L":";
}

}  // namespace

TNsNetConnectionDialog::TNsNetConnectionDialog(TComponent* AOwner) : TNsBaseDialog(AOwner) {}

void TNsNetConnectionDialog::WarnNoRemotePath() const {
  Application->ShowMessageBox(L"Please enter directory in property RemotePath!", Application->GetTitle(),
                              MB_OK | MB_ICONWARNING);
}

void TNsNetConnectionDialog::SetRemotePath(const std::wstring& value) {
  fRemotePath = value;
  if (fRemotePath.empty() && fOptions.Contains(cdReadOnlyPath)) {
    fOptions.Exclude(cdReadOnlyPath);
    if (IsDesigning()) WarnNoRemotePath();
  }
}

void TNsNetConnectionDialog::SetOptions(TNsConnectionFlags value) {
  if (value.Contains(cdUseMRU)) {
    // The platform fixes the path or offers recent ones, not both.
    value.Exclude(cdReadOnlyPath);
  } else if (fRemotePath.empty() && value.Contains(cdReadOnlyPath)) {
    if (IsDesigning()) WarnNoRemotePath();
    value.Exclude(cdReadOnlyPath);
  }
  fOptions = value;
}

bool TNsNetConnectionDialog::Execute(HWND ParentWnd) {
  fConnectedDriveLetter.clear();
  // The dialog runs a message loop: it gets copies nothing there can change.
  std::wstring remotePath = fRemotePath;
  NETRESOURCEW resource{};
  resource.dwType = RESOURCETYPE_DISK;
  resource.lpRemoteName = remotePath.empty() ? nullptr : remotePath.data();
  CONNECTDLGSTRUCTW info{};
  info.cbStructure = sizeof info;
  info.hwndOwner = ParentWnd;
  info.lpConnRes = &resource;
  info.dwFlags = ConnectionDialogFlags(fOptions);

  DoShow();
  const DWORD result = NetConnectionDialogCall(&info);
  DoClose();

  // Set last, so that what OnClose does leaves the caller's answer alone.
  if (result == NO_ERROR) {
    fConnectedDriveLetter = DriveLetterOfDevice(info.dwDevNum);
    return true;
  }
  SetLastError(result == kDialogCancelled ? ERROR_SUCCESS : result);
  return false;
}

}  // namespace ts
