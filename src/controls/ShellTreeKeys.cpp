// The shell tree view's keyboard, mouse and renaming in place.
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "controls/ShellTree.h"
#include "link/NsShellLink.h"
#include "shell/ItemIdList.h"
#include "shell/NsBrowser.h"
#include "shell/NsBrowserError.h"
#include "shell/PathClassification.h"
#include "shell/ShellClipboard.h"
#include "toolkit/Application.h"

namespace ts {

namespace {

constexpr TShiftState kModifiers{ssShift, ssAlt, ssCtrl};

bool OnlyAlt(TShiftState shift) { return (shift * kModifiers) == TShiftState{ssAlt}; }

}  // namespace

// Keys.

void TNsShellTree::SetChangeDelayForKey() { SetChangeDelay(fShellLink != nullptr ? 600 : 100); }

void TNsShellTree::KeyDown(WORD& key, TShiftState shift) {
  if (!IsEditing()) {
    const bool ctrl = shift.Contains(ssCtrl);
    TNsShellTreeNode* selected = GetSelected();
    // A key whose condition does not hold is one of the others.
    bool command = true;
    switch (key) {
      case VK_RETURN:
        if (shift.Contains(ssAlt)) {
          InvokeCommandOnSelected(L"properties");
          key = 0;
          return;
        }
        command = false;
        break;
      case VK_MENU:
        // Alt alone is the menu's, not the tree's key.
        if (OnlyAlt(shift)) return;
        command = false;
        break;
      case VK_LEFT:
      case VK_RIGHT:
        if (!OnlyAlt(shift)) {
          command = false;
          break;
        }
        MoveInHistory(key == VK_LEFT ? -1 : 1);
        // The window would move on from where the history went.
        key = 0;
        return;
      case VK_DELETE:
        // The top level cannot be deleted.
        if (!GetReadOnly() && selected != nullptr && selected->GetLevel() > 0)
          InvokeCommandOnSelected(L"delete");
        else
          command = false;
        break;
      case 'A':
        if (!ctrl) {
          command = false;
          break;
        }
        if (fShellLink != nullptr) fShellLink->SelectAll(this);
        key = 0;
        return;
      case 'C':
        if (!ctrl) {
          command = false;
          break;
        }
        InvokeCommandOnSelected(L"copy");
        key = 0;
        return;
      case 'V': {
        if (!ctrl || GetReadOnly()) {
          command = false;
          break;
        }
        std::unique_ptr<TStringList> pasted = GetClipboardFileList();
        // The paste reports itself; the key reports once more.
        InvokeCommandOnSelected(L"paste");
        DoOperation(PasteAddOperations, pasted.get(), GetFullPath(GetSelected()));
        key = 0;
        return;
      }
      case 'X':
        if (!ctrl || GetReadOnly()) {
          command = false;
          break;
        }
        InvokeCommandOnSelected(L"cut");
        key = 0;
        return;
      case VK_F2:
        if (selected != nullptr)
          InvokeCommandOnSelected(L"rename");
        else
          command = false;
        break;
      case VK_F5:
        FullRefresh();
        if (fShellLink != nullptr) fShellLink->Refresh(this);
        break;
      case VK_F10:
        if (shift.Contains(ssShift) && fContextMenu && IsValidNode(selected)) {
          std::wstring verb;
          ShowContextMenu(SelectedMenuPoint(), verb);
          // Not again as the platform's own keyboard menu request.
          key = 0;
          return;
        }
        command = false;
        break;
      default:
        command = false;
        break;
    }
    if (!command) SetChangeDelayForKey();
  }
  TCustomTreeView::KeyDown(key, shift);
}

void TNsShellTree::KeyPress(wchar_t& key) {
  SetChangeDelayForKey();
  TCustomTreeView::KeyPress(key);
}

// The mouse.

void TNsShellTree::DblClick() {
  TNsShellTreeNode* under = GetNodeAt(fDblClickPoint.x, fDblClickPoint.y);
  if (!IsValidNode(under)) return;
  TTreeNodeWatch watch(*this, under);
  if (!OnDblClick && PositionBrowserOn(under) && GetShowFiles() && !under->IsFolder() && under == GetSelected()) {
    // A file opens.
    InvokeCommandOnSelected(L"default");
    if (watch.Get() == nullptr) return;
  }
  if (under != GetSelected()) return;
  if (!under->GetExpanded() && !under->GetHasChildren() && under->IsFolder()) {
    // A folder that showed no children is read again: it may have gained
    // some. The window's own handling of the double click then opens it.
    FillNode(under);
    if (watch.Get() == nullptr) return;
  }
  TCustomTreeView::DblClick();
}

// Renaming in place.

bool TNsShellTree::CanEdit(TTreeNode* node) {
  if (!TCustomTreeView::CanEdit(node)) return false;
  auto* shellNode = static_cast<TNsShellTreeNode*>(node);
  // The desktop itself has no name to change.
  if (!IsValidNode(shellNode) || GetItemIdCount(shellNode->fAbsoluteItemIdList) == 0) return false;
  try {
    return PositionBrowserOn(shellNode) && fNsBrowser->CanRename();
  } catch (...) {
    return false;
  }
}

void TNsShellTree::Edit(const TVITEMW& item) {
  auto* node = reinterpret_cast<TNsShellTreeNode*>(item.lParam);
  if (node == nullptr) return;
  if (item.pszText == nullptr) {
    TCustomTreeView::Edit(item);
    if (OnEditCanceled) OnEditCanceled(this, node);
    return;
  }
  const std::wstring oldCaption = node->GetText();
  const std::wstring text = item.pszText;
  if (text == oldCaption) return;
  if (text.empty()) {
    // Nothing to ask the shell: the old name stays, and the user is told.
    Application->ShowMessageBox(L"You must type a file name.", Application->GetTitle(), MB_OK | MB_ICONINFORMATION);
    return;
  }
  TCustomTreeView::Edit(item);
  TTreeNodeWatch watch(*this, node);
  const bool expandAgain = RenameNode(node, oldCaption);
  if (watch.Get() == nullptr) return;
  // The rename's own change notifications run first (they were posted
  // when its walk ended); then the folder opens again, read anew.
  fRenamed = std::make_unique<TTreeNodeWatch>(*this, node);
  fRenamedWasExpanded = expandAgain;
  if (HandleAllocated()) PostMessageW(fHandle, kAfterRename, 0, 0);
}

bool TNsShellTree::RenameNode(TNsShellTreeNode* node, const std::wstring& oldCaption) {
  // The shell tells of the rename while it renames: that change waits
  // until the node stands for the new name.
  TWalkScope walking(*this);
  TTreeNodeWatch watch(*this, node);
  std::wstring NewName = node->GetText();
  if (NewName == oldCaption) return false;
  TStringList files;
  files.Add(GetFullPath(node));
  if (!PositionBrowserOn(node)) {
    node->SetText(oldCaption);
    return false;
  }
  bool renamed = false;
  std::wstring renamedIn;
  {
    // The shell says why a name is refused.
    struct TRestoreErrors {
      TNsBrowser* Browser;
      bool Saved;
      ~TRestoreErrors() { Browser->SetShowErrorMessages(Saved); }
    } restoreErrors{fNsBrowser, GetShowErrorMessages()};
    fNsBrowser->SetShowErrorMessages(true);
    try {
      renamed = fNsBrowser->RenameObject(NewName);
      renamedIn = fNsBrowser->GetFolder();
    } catch (const ENsBrowserError&) {
      renamed = false;
    }
  }
  if (watch.Get() == nullptr) return false;
  if (!renamed) {
    node->SetText(NewName.empty() ? oldCaption : NewName);
    return false;
  }
  node->SetText(NewName);
  TPidl relative(fNsBrowser->GetItemIdList());
  TPidl folder(fNsBrowser->GetFolderIdList());
  if (relative && folder) {
    PItemIDList absolute = ConcatItemIdLists(folder.Get(), relative.Get());
    node->SetLists(relative.Release(), absolute);
    node->fParentShellFolder = TComPtr<IShellFolder>(fNsBrowser->GetShellFolder());
  }
  const bool wasExpanded = node->GetExpanded();
  // What was below the old name is read anew below the new one.
  node->DeleteChildren();
  node->fChildrenRead = false;
  node->SetImageIndex(-1);
  QueueIcon(node, itSelected, 0);
  if (!GetAutomaticRefresh()) RefreshNode(node, true, true);
  if (watch.Get() == nullptr) return false;
  if (TNsShellTreeNode* parent = node->GetParent()) Resort(parent);
  DoOperation(RenameOperations, &files, GetFullPath(node));
  if (watch.Get() == nullptr) return false;
  TNsShellTreeNode* selected = GetSelected();
  if (selected != nullptr && selected != node && SamePath(GetFullPath(selected), renamedIn)) {
    // The renamed item lies in the selected folder.
    NotifyShellLink(selected);
  } else {
    NotifyShellLink(node);
    if (watch.Get() != nullptr) SetSelected(node);
  }
  return wasExpanded;
}

void TNsShellTree::AfterRename() {
  std::unique_ptr<TTreeNodeWatch> renamed = std::move(fRenamed);
  Application->ProcessMessages();
  if (!renamed || renamed->Get() == nullptr || !fRenamedWasExpanded) return;
  auto* node = static_cast<TNsShellTreeNode*>(renamed->Get());
  node->SetHasChildren(true);
  node->Expand(false);
}

}  // namespace ts
