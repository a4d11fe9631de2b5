// The shell list view's keyboard, mouse, info tips and in-place renaming.
#include <windows.h>
#include <commctrl.h>

#include "controls/ShellList.h"
#include "link/NsShellLink.h"
#include "shell/NsBrowserError.h"
#include "toolkit/Application.h"

namespace ts {

namespace {

constexpr TShiftState kModifiers{ssShift, ssAlt, ssCtrl};

bool OnlyAlt(TShiftState shift) { return (shift * kModifiers) == TShiftState{ssAlt}; }

}  // namespace

// Keys.

void TNsShellList::KeyDown(WORD& key, TShiftState shift) {
  if (!IsEditing()) {
    const bool ctrl = shift.Contains(ssCtrl);
    switch (key) {
      case VK_RETURN:
        if (shift.Contains(ssAlt)) {
          InvokeCommandOnSelected(L"properties");
          key = 0;
        }
        break;
      case VK_LEFT:
        if (OnlyAlt(shift)) MoveInHistory(-1);
        break;
      case VK_RIGHT:
        if (OnlyAlt(shift)) MoveInHistory(1);
        break;
      case VK_DELETE:
        if (!GetReadOnly()) InvokeCommandOnSelected(L"delete");
        break;
      case 'A':
        if (ctrl) {
          SelectAll();
          key = 0;
        }
        break;
      case 'C':
        if (ctrl) {
          InvokeCommandOnSelected(L"copy");
          key = 0;
        }
        break;
      case 'V':
        if (ctrl && !GetReadOnly()) {
          // Into the folder shown, whatever is selected.
          InvokeCommandOnFolder(L"paste");
          key = 0;
        }
        break;
      case 'X':
        if (ctrl && !GetReadOnly()) {
          InvokeCommandOnSelected(L"cut");
          key = 0;
        }
        break;
      case VK_F2:
        if (GetSelCount() > 0) InvokeCommandOnSelected(L"rename");
        break;
      case VK_F5:
        FullRefresh();
        if (fShellLink != nullptr) fShellLink->Refresh(this);
        break;
      case VK_F10:
        if (shift.Contains(ssShift) && fContextMenu && GetSelCount() > 0)
          if (TNsShellListItem* selected = GetSelected()) {
            const RECT bounds = selected->DisplayRect(drSelectBounds);
            ShowContextMenu(ClientToScreen(POINT{bounds.right, bounds.bottom}));
          }
        break;
      default:
        break;
    }
  }
  if (key != 0) TNsBaseShellListView::KeyDown(key, shift);
}

void TNsShellList::KeyPress(wchar_t& key) {
  if (!IsEditing()) {
    if (key == L'\b') {
      if (fShellLink == nullptr || fShellLink->GetShowParentFolderItem()) GoUp();
      key = 0;
      return;
    }
    if (key == L'\r') {
      InvokeCommandOnSelected(L"default");
      key = 0;
      return;
    }
  }
  TNsBaseShellListView::KeyPress(key);
}

// The mouse.

void TNsShellList::DblClick() {
  if (!OnDblClick) {
    TListItem* under = GetItemAt(fDblClickPoint.x, fDblClickPoint.y);
    if (under != nullptr && under == GetSelected()) InvokeCommandOnSelected(L"default");
  }
  TNsBaseShellListView::DblClick();
}

void TNsShellList::TrackMouse() {
  if (fMouseInControl || !HandleAllocated()) return;
  fMouseInControl = true;
  TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, fHandle, 0};
  TrackMouseEvent(&track);
  if (OnMouseEnter) OnMouseEnter(this);
}

// Info tips.

void TNsShellList::InfoTip(TListItem* item, std::wstring& tip) {
  fInfoTipItem = -1;
  if (!GetShowHint() || item == nullptr) return;
  auto* shellItem = static_cast<TNsShellListItem*>(item);
  if (shellItem->GetIsParentFolderItem()) {
    tip = GetPath();
  } else {
    fNsBrowser->SetItemIdList(shellItem->GetRelativePIDL());
    tip = fNsBrowser->GetInfoTip(true);
  }
  TNsBaseShellListView::InfoTip(item, tip);
  fInfoTipItem = item->GetIndex();
  // As wide as the list, so that a long tip is not folded into a column.
  if (HWND tooltip = reinterpret_cast<HWND>(SendMessageW(fHandle, LVM_GETTOOLTIPS, 0, 0)))
    SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, GetClientWidth());
}

bool TNsShellList::ShowInfoTipAtItem(HWND tooltip) {
  if (fInfoTipItem < 0 || fInfoTipItem >= GetItems().Count()) return false;
  const RECT bounds = GetItems()[fInfoTipItem]->DisplayRect(drBounds);
  const POINT corner = ClientToScreen(POINT{bounds.left, bounds.top});
  // One cursor to the right and below the item's corner, clear of the cursor.
  SetWindowPos(tooltip, nullptr, corner.x + GetSystemMetrics(SM_CXCURSOR), corner.y + GetSystemMetrics(SM_CYCURSOR),
               0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

// Renaming in place.

void TNsShellList::StartRename(TObject*) {
  if (TNsShellListItem* selected = GetSelected()) selected->EditCaption();
}

bool TNsShellList::CanEdit(TListItem* item) {
  if (!TNsBaseShellListView::CanEdit(item)) return false;
  auto* shellItem = static_cast<TNsShellListItem*>(item);
  if (shellItem == nullptr || shellItem->GetIsParentFolderItem() || shellItem->GetRelativePIDL() == nullptr)
    return false;
  fNsBrowser->SetItemIdList(shellItem->GetRelativePIDL());
  return fNsBrowser->CanRename();
}

void TNsShellList::Edit(const LVITEMW& lv) {
  auto* item = reinterpret_cast<TNsShellListItem*>(lv.lParam);
  if (item == nullptr) return;
  if (lv.pszText == nullptr) {
    if (OnCancelEdit) OnCancelEdit(this, item);
    return;
  }
  std::wstring name = lv.pszText;
  if (OnEdited) OnEdited(this, item, name);
  if (name == item->GetCaption()) return;
  if (name.empty()) {
    // Nothing to ask the shell: the old name stays, and the user is told.
    Application->ShowMessageBox(L"You must type a file name.",
                                Application->GetTitle(), MB_OK | MB_ICONINFORMATION);
    return;
  }
  const std::wstring oldPath = GetFullPath(item);
  fNsBrowser->SetItemIdList(item->GetRelativePIDL());
  // The shell's own message tells why a name is refused.
  const bool showErrors = fNsBrowser->GetShowErrorMessages();
  fNsBrowser->SetShowErrorMessages(true);
  bool renamed = false;
  try {
    renamed = fNsBrowser->RenameObject(name);
  } catch (const ENsBrowserError&) {
    renamed = false;
  }
  fNsBrowser->SetShowErrorMessages(showErrors);
  if (!renamed) {
    // The name the shell still shows.
    if (!name.empty()) item->SetCaption(name);
    return;
  }
  item->SetCaption(name);
  item->SetRelativePIDL(fNsBrowser->GetItemIdList());
  item->GetSubItems().Clear();
  item->ResetPictures();
  FillItem(item);
  TStringList old;
  old.Add(oldPath);
  NotifyOperation(RenameOperations, &old, GetFullPath(item));
  // The order is made anew once the edit is over: the list view still
  // stands on the edited item now.
  if (HandleAllocated()) PostMessageW(fHandle, kAfterRename, 0, 0);
}

}  // namespace ts
