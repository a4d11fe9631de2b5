// The shell tree view's drag and drop: nodes dragged out as the shell's own
// data, and drags over the tree handed on to the drop target of the node
// under the mouse (the shell's own, or the folder drop target where the
// platform's does nothing), with the node highlighted, the tree scrolled
// near its edges and a folder opened when the drag rests on it.
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <memory>

#include "controls/ShellTree.h"
#include "shell/DataObjectFiles.h"
#include "shell/DropFilesDataObject.h"
#include "shell/FileProbes.h"
#include "shell/FolderDropTarget.h"
#include "shell/LookAndFeel.h"
#include "shell/NsBrowser.h"
#include "toolkit/Application.h"

namespace ts {

namespace {

// The drag scrolls the tree at most this often.
constexpr DWORD kAutoScrollMs = 100;
// A drag resting this long on a folder opens it.
constexpr DWORD kAutoExpandMs = 2000;
constexpr DWORD kMouseButtons = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;

}  // namespace

// Registration.

void TNsShellTree::SetOleDragDrop(bool value) {
  if (IsDesigning() && value) SetDragMode(dmManual);
  if (value != fOleDragDrop) {
    fOleDragDrop = value;
    if (IsDesigning() || IsLoading()) return;
    if (value) {
      RegisterDropTarget();
      // A window that cannot take drops lets nothing be dragged out either.
      if (HandleAllocated() && !fDropTargetRegistered) fOleDragDrop = false;
    } else {
      RevokeDropTarget();
    }
  }
  SetDragMode(fOleDragDrop ? dmAutomatic : dmManual);
}

void TNsShellTree::RegisterDropTarget() {
  if (!HandleAllocated() || fDropTargetRegistered) return;
  fDropTargetRegistered = SUCCEEDED(RegisterDragDrop(fHandle, static_cast<IDropTarget*>(this)));
}

void TNsShellTree::RevokeDropTarget() {
  if (!fDropTargetRegistered) return;
  if (HandleAllocated()) RevokeDragDrop(fHandle);
  fDropTargetRegistered = false;
}

void TNsShellTree::DestroyWnd() {
  RevokeDropTarget();
  if (fMergeTimerSet && HandleAllocated()) KillTimer(fHandle, kMergeTimer);
  fMergeTimerSet = false;
  TCustomTreeView::DestroyWnd();
}

void TNsShellTree::Delete(TTreeNode* node) {
  // A drag that stood on the node, or dragged it, forgets it.
  if (node == fDropItem) fDropItem = nullptr;
  if (node == fDragNode) fDragNode = nullptr;
  TCustomTreeView::Delete(node);
}

// Dragging from the tree.

void TNsShellTree::BeginDrag(TTreeNode* node, bool rightButton) {
  if (!fOleDragDrop || fDragNode != nullptr) return;
  auto* dragged = static_cast<TNsShellTreeNode*>(node);
  fDragNode = dragged;
  TNsShellTreeNode* parent = dragged != nullptr ? dragged->GetParent() : nullptr;
  // The top level cannot be dragged.
  if (parent == nullptr) {
    fDragNode = nullptr;
    return;
  }
  // The drag's loop runs everything: the nodes are watched.
  TTreeNodeWatch watch(*this, dragged);
  watch.Add(parent);
  TComPtr<IDataObject> data;
  DWORD effect = DROPEFFECT_NONE;
  if (PositionBrowserOn(dragged)) {
    const DWORD allowed = fCopyMode;
    fDragButton = rightButton ? MK_RBUTTON : MK_LBUTTON;
    TComPtr<IDataObject> shellData;
    PCUITEMID_CHILD child = dragged->fRelativeItemIdList;
    if (IShellFolder* folder = fNsBrowser->GetShellFolder(); folder != nullptr && child != nullptr)
      folder->GetUIObjectOf(fHandle, 1, &child, IID_IDataObject, nullptr, shellData.PutVoid());
    if (shellData) {
      // Not every shell's data object names the real path: ours does.
      const std::wstring path = FileSystemPath(dragged);
      if (!path.empty()) {
        TStringList paths;
        paths.Add(path);
        data = FilesDataObject(shellData.Get(), paths, DROPEFFECT_NONE);
      } else {
        data = shellData;
      }
      if (data && FAILED(DoDragDrop(data.Get(), static_cast<IDropSource*>(this), allowed, &effect)))
        effect = DROPEFFECT_NONE;
    }
  }
  fDragButton = 0;
  Application->ProcessMessages();
  if (watch.Alive(parent)) RefreshNode(parent, true, true);
  if (data && effect != DROPEFFECT_NONE) {
    std::unique_ptr<TStringList> files = GetFileListFromDataObject(data.Get());
    DoOperation(DragOperations(effect), files.get(), std::wstring());
  }
  fDragNode = nullptr;
}

HRESULT STDMETHODCALLTYPE TNsShellTree::QueryContinueDrag(BOOL EscapePressed, DWORD KeyState) {
  const DWORD buttons = KeyState & kMouseButtons;
  if (EscapePressed || (buttons & ~fDragButton) != 0) return DRAGDROP_S_CANCEL;
  if ((buttons & fDragButton) != 0) return S_OK;
  return DRAGDROP_S_DROP;
}

HRESULT STDMETHODCALLTYPE TNsShellTree::GiveFeedback(DWORD) { return DRAGDROP_S_USEDEFAULTCURSORS; }

// Dropping on the tree.

TComPtr<IDropTarget> TNsShellTree::NodeDropTarget(TNsShellTreeNode* node) {
  if (!IsValidNode(node)) return {};
  try {
    return GetItemDropTarget(HandleAllocated() ? fHandle : nullptr, node->fParentShellFolder.Get(),
                             node->fRelativeItemIdList, node->fAbsoluteItemIdList);
  } catch (...) {
    return {};
  }
}

void TNsShellTree::ClearDropItem() {
  if (fDropItem != nullptr) fDropItem->SetDropTarget(false);
  fDropItem = nullptr;
}

HRESULT STDMETHODCALLTYPE TNsShellTree::DragEnter(IDataObject* DataObj, DWORD, POINTL, DWORD* Effect) {
  if (Effect != nullptr) *Effect = DROPEFFECT_NONE;
  fDataObj = TComPtr<IDataObject>(DataObj);
  fOldDragEffect = 0;
  fLastAutoScroll = CurrentTicks();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TNsShellTree::DragOver(DWORD KeyState, POINTL Point, DWORD* Effect) {
  if (Effect == nullptr) return E_INVALIDARG;
  if (GetReadOnly()) {
    *Effect = DROPEFFECT_NONE;
    return S_OK;
  }
  try {
    // What the source offers and the tree takes.
    const DWORD offered = *Effect & static_cast<DWORD>(fCopyMode);
    const POINT client = ScreenToClient(POINT{Point.x, Point.y});
    TNsShellTreeNode* node = GetNodeAt(client.x, client.y);
    fDropButton = KeyState;
    if (node != fDropItem) {
      TTreeNodes& items = GetItems();
      items.BeginUpdate();
      struct TEndUpdate {
        TTreeNodes& Items;
        ~TEndUpdate() { Items.EndUpdate(); }
      } endUpdate{items};
      ClearDropItem();
      if (fDropTarget2) {
        fDropTarget2->DragLeave();
        fDropTarget2.Reset();
      }
      fDropItem = node;
      if (node != nullptr) {
        fDropTarget2 = NodeDropTarget(node);
        DWORD entered = offered;
        // A target that refuses the data takes no part in the drag.
        if (fDropTarget2 && fDropTarget2->DragEnter(fDataObj.Get(), KeyState, Point, &entered) != S_OK)
          fDropTarget2.Reset();
        node->SetDropTarget(true);
        fAutoExpand = CurrentTicks();
      }
    }
    const DWORD now = CurrentTicks();
    if (now - fLastAutoScroll > kAutoScrollMs) {
      AutoScrollControl(*this, client);
      fLastAutoScroll = now;
    }
    if (fDropItem != nullptr && now - fAutoExpand > kAutoExpandMs) {
      fAutoExpand = now;
      // Without the node's own message pump: this runs inside the drag's loop.
      if (!fDropItem->GetExpanded()) static_cast<TTreeNode*>(fDropItem)->Expand(false);
    }
    HRESULT result = E_FAIL;
    if (fDropTarget2) {
      *Effect = offered;
      result = fDropTarget2->DragOver(KeyState, Point, Effect);
      *Effect &= offered;
    } else {
      *Effect = DROPEFFECT_NONE;
    }
    if (*Effect != fOldDragEffect) {
      fOldDragEffect = *Effect;
      result = E_FAIL;
    }
    return result;
  } catch (...) {
    *Effect = DROPEFFECT_NONE;
    return E_UNEXPECTED;
  }
}

HRESULT STDMETHODCALLTYPE TNsShellTree::DragLeave() {
  ClearDropItem();
  fDataObj.Reset();
  if (fDropTarget2) {
    fDropTarget2->DragLeave();
    fDropTarget2.Reset();
  }
  fDropButton = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TNsShellTree::Drop(IDataObject* DataObj, DWORD, POINTL Point, DWORD* Effect) {
  if (Effect == nullptr) return E_INVALIDARG;
  HRESULT result = E_UNEXPECTED;
  try {
    // The key state of the last drag over still names the button that was
    // let go: a right-button drop asks what to do.
    const DWORD button = fDropButton;
    const DWORD offered = *Effect & static_cast<DWORD>(fCopyMode);
    *Effect = offered;
    std::unique_ptr<TStringList> files = GetFileListFromDataObject(DataObj);
    if (!files) files = std::make_unique<TStringList>();
    TNsShellTreeNode* dropItem = fDropItem;
    TTreeNodeWatch watch(*this, dropItem);
    const std::wstring destination = GetFullPath(dropItem);
    // Held for the drop: the drop's own messages may end the drag.
    TComPtr<IDropTarget> target = fDropTarget2;
    bool execute = true;
    if (target && OnBeforeShellDrop) OnBeforeShellDrop(this, dropItem, files.get(), execute, static_cast<int>(button));
    if (execute && target) {
      result = target->Drop(DataObj, button, Point, Effect);
      // The target's drop ended its part of the drag.
      fDropTarget2.Reset();
    } else {
      *Effect = DROPEFFECT_NONE;
    }
    Application->ProcessMessages();
    if (SUCCEEDED(result)) {
      if (*Effect != DROPEFFECT_NONE) {
        DoOperation(DropOperations(*Effect), files.get(), destination);
      } else if (files->GetCount() > 0 && !PathExists((*files)[0])) {
        // The target moved the files itself.
        *Effect = DROPEFFECT_MOVE;
        DoOperation(DropOperations(DROPEFFECT_MOVE), files.get(), destination);
      }
    }
    if (watch.Get() != nullptr && dropItem->Count() > 0) RefreshNode(dropItem, true, true);
  } catch (...) {
    *Effect = DROPEFFECT_NONE;
    result = E_UNEXPECTED;
  }
  DragLeave();
  return result;
}

}  // namespace ts
