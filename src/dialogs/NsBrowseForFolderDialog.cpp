// The browse dialog while it is open: its callback, its place, and the
// properties that act on it at once.
#include "dialogs/NsBrowseForFolder.h"

#include "shell/ItemIdListPaths.h"
#include "toolkit/Application.h"

namespace ts {

int CALLBACK TNsBaseBrowseDialog::BrowseCallbackProc(HWND Wnd, UINT uMsg, LPARAM lParam, LPARAM lpData) {
  // Nothing may escape into the platform's dialog.
  try {
    return reinterpret_cast<TNsBaseBrowseDialog*>(lpData)->DialogCallback(Wnd, uMsg, lParam);
  } catch (...) {
    Application->HandleException();
  }
  return 0;
}

int TNsBaseBrowseDialog::DialogCallback(HWND Wnd, UINT uMsg, LPARAM lParam) {
  switch (uMsg) {
    case BFFM_INITIALIZED:
      fDialogHandle = Wnd;
      PlaceDialog();
      SelectInitialItem();
      if (fOptions.Contains(bfFileSystemOnly))
        UpdateOKButtonForPath();
      else
        SetOKButtonEnabled(true);
      if (!fWindowTitle.empty()) SetWindowTextW(Wnd, fWindowTitle.c_str());
      if (!fDialogButtonCaption.empty()) SetDlgItemTextW(Wnd, IDOK, fDialogButtonCaption.c_str());
      break;
    case BFFM_SELCHANGED:
      if (fDialogHandle != nullptr && lParam != 0) SelectionChanged(reinterpret_cast<PCItemIDList>(lParam));
      break;
    case BFFM_VALIDATEFAILEDA: {
      fReturnInvalidPathEnteredInDialog = true;
      const auto* typed = reinterpret_cast<const char*>(lParam);
      fPath.clear();
      if (typed != nullptr) {
        const int length = MultiByteToWideChar(CP_ACP, 0, typed, -1, nullptr, 0);
        if (length > 1) {
          fPath.resize(static_cast<size_t>(length));
          MultiByteToWideChar(CP_ACP, 0, typed, -1, fPath.data(), length);
          fPath.resize(static_cast<size_t>(length - 1));
        }
      }
      break;
    }
    case BFFM_VALIDATEFAILEDW: {
      fReturnInvalidPathEnteredInDialog = true;
      const auto* typed = reinterpret_cast<const wchar_t*>(lParam);
      fPath = typed != nullptr ? typed : L"";
      break;
    }
    default:
      break;
  }
  // Also for the refused path: 0 closes the dialog.
  return 0;
}

void TNsBaseBrowseDialog::SelectionChanged(PCItemIDList list) {
  fPath = GetPath(list);
  fSpecialFolder = GetSpecialFolderOfItemIdList(list);
  if (fOptions.Contains(bfFileSystemOnly)) UpdateOKButtonForPath();
  if (OnChange) OnChange(this);
}

void TNsBaseBrowseDialog::UpdateOKButtonForPath() { SetOKButtonEnabled(!fPath.empty()); }

void TNsBaseBrowseDialog::SelectInitialItem() {
  TPidl list(fSpecialFolder != SF_FILESYSTEMFOLDER ? GetSpecialFolderItemIdList(fSpecialFolder)
                                                   : PathToItemIdList(nullptr, fPath));
  if (list) SendMessageW(fDialogHandle, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(list.Get()));
}

void TNsBaseBrowseDialog::PlaceDialog() {
  if (fDialogHandle == nullptr) return;
  RECT bounds{};
  if (!GetWindowRect(fDialogHandle, &bounds)) return;
  int left = fDialogLeft;
  int top = fDialogTop;
  if (fDialogLeft <= 0 || fDialogTop <= 0) {
    left = GetSystemMetrics(SM_CXSCREEN) / 2 - (bounds.right - bounds.left) / 2;
    top = GetSystemMetrics(SM_CYSCREEN) / 2 - (bounds.bottom - bounds.top) / 2;
  }
  SetWindowPos(fDialogHandle, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int TNsBaseBrowseDialog::GetDialogLeft() const {
  RECT bounds{};
  if (fDialogHandle != nullptr && GetWindowRect(fDialogHandle, &bounds)) return bounds.left;
  return fDialogLeft;
}

void TNsBaseBrowseDialog::SetDialogLeft(int value) {
  fDialogLeft = value;
  PlaceDialog();
}

int TNsBaseBrowseDialog::GetDialogTop() const {
  RECT bounds{};
  if (fDialogHandle != nullptr && GetWindowRect(fDialogHandle, &bounds)) return bounds.top;
  return fDialogTop;
}

void TNsBaseBrowseDialog::SetDialogTop(int value) {
  fDialogTop = value;
  PlaceDialog();
}

void TNsBaseBrowseDialog::SetOKButtonEnabled(bool value) {
  fOKButtonEnabled = value;
  if (fDialogHandle != nullptr) SendMessageW(fDialogHandle, BFFM_ENABLEOK, 0, value ? TRUE : FALSE);
}

void TNsBaseBrowseDialog::SetWindowTitle(const std::wstring& value) {
  fWindowTitle = value;
  if (fDialogHandle != nullptr) SetWindowTextW(fDialogHandle, fWindowTitle.c_str());
}

void TNsBaseBrowseDialog::SetDialogButtonCaption(const std::wstring& value) {
  fDialogButtonCaption = value;
  if (fDialogHandle != nullptr) SetDlgItemTextW(fDialogHandle, IDOK, fDialogButtonCaption.c_str());
}

}  // namespace ts
