// The shell list view's drag and drop: the selected items dragged out as the
// shell's own data (with the real paths for every other program), and drags
// over the list handed on to the drop target of the item under the mouse or
// of the folder shown (the shell's own, or the folder drop target where the
// platform's does nothing), the item highlighted and the list scrolled near
// its edges.
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <memory>
#include <vector>

#include "controls/ShellList.h"
#include "shell/DataObjectFiles.h"
#include "shell/DropFilesDataObject.h"
#include "shell/FolderDropTarget.h"
#include "shell/ItemIdListPaths.h"
#include "shell/LookAndFeel.h"
#include "shell/NsBrowser.h"
#include "shell/NsBrowserError.h"
#include "shell/ProcessInfo.h"
#include "shell/ShellGlobals.h"
#include "shell/SpecialFolders.h"
#include "toolkit/FilePaths.h"
#include "toolkit/Strings.h"

namespace ts {

namespace {

// The drag scrolls the list at most this often.
constexpr DWORD kAutoScrollMs = 100;
constexpr DWORD kMouseButtons = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;

// Whether some of the files is no longer where it was.
bool AnyGone(const TStringList& files) {
  for (int i = 0; i < files.GetCount(); ++i)
    if (GetFileAttributesW(files[i].c_str()) == INVALID_FILE_ATTRIBUTES) return true;
  return false;
}

DWORD EffectsOf(TNsCopyMode mode) { return static_cast<DWORD>(mode) & (DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK); }

}  // namespace

// Registration.

void TNsShellList::SetOleDragDrop(bool value) {
  if (value == fOleDragDrop) return;
  fOleDragDrop = value;
  if (IsDesigning() || IsLoading()) return;
  if (value) {
    RegisterDropTarget();
    // A window that cannot take drops turns the feature off again.
    if (HandleAllocated() && !fDropTargetRegistered) fOleDragDrop = false;
  } else {
    RevokeDropTarget();
  }
}

void TNsShellList::RegisterDropTarget() {
  if (!fOleDragDrop || IsDesigning() || !HandleAllocated() || fDropTargetRegistered) return;
  fDropTargetRegistered = SUCCEEDED(RegisterDragDrop(GetHandle(), static_cast<IDropTarget*>(this)));
}

void TNsShellList::RevokeDropTarget() {
  if (!fDropTargetRegistered) return;
  if (HandleAllocated()) RevokeDragDrop(GetHandle());
  fDropTargetRegistered = false;
}

DWORD TNsShellList::DragTicks() const { return TickCountSource ? TickCountSource() : GetTickCount(); }

// Dragging from the list.

void TNsShellList::BeginOleDrag(bool rightButton) {
  if (!fOleDragDrop || fDragButton != 0 || GetSelCount() == 0) return;
  IShellFolder* folder = fNsBrowser->GetShellFolder();
  if (folder == nullptr) return;
  std::vector<PCUITEMID_CHILD> children;
  TStringList paths;
  for (TListItem* base = TCustomListView::GetNextItem(nullptr, sdAll, LVNI_SELECTED); base != nullptr;
       base = TCustomListView::GetNextItem(base, sdAll, LVNI_SELECTED)) {
    auto* item = static_cast<TNsShellListItem*>(base);
    if (item->GetIsParentFolderItem() || item->GetRelativePIDL() == nullptr) continue;
    children.push_back(item->GetRelativePIDL());
    const std::wstring path = GetFullPath(item);
    if (!path.empty()) paths.Add(path);
  }
  if (children.empty()) return;

  SFGAOF attributes = SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANLINK;
  if (FAILED(folder->GetAttributesOf(static_cast<UINT>(children.size()), children.data(), &attributes)))
    attributes = 0;
  const DWORD allowed = EffectsOf(fCopyMode) & static_cast<DWORD>(attributes);

  TComPtr<IDataObject> shellData;
  if (FAILED(folder->GetUIObjectOf(GetHandle(), static_cast<UINT>(children.size()), children.data(),
                                   IID_IDataObject, nullptr, shellData.PutVoid())) ||
      !shellData)
    return;
  // Other programs read the names; the shell's own object may name them wrong.
  TComPtr<IDataObject> data =
      paths.GetCount() == static_cast<int>(children.size()) ? FilesDataObject(shellData.Get(), paths, 0) : shellData;
  if (!data) return;

  // Nothing borrowed crosses the drag's message loop: the items may go.
  fDragButton = rightButton ? MK_RBUTTON : MK_LBUTTON;
  struct TDragEnds {
    int& Button;
    ~TDragEnds() { Button = 0; }
  } dragEnds{fDragButton};
  DWORD effect = DROPEFFECT_NONE;
  const HRESULT hr = DoDragDrop(data.Get(), static_cast<IDropSource*>(this), allowed, &effect);
  if (hr != DRAGDROP_S_DROP || effect == DROPEFFECT_NONE) return;
  TNsShellOperations operation{sopDrag};
  if (effect & DROPEFFECT_MOVE)
    operation = operation + TNsShellOperations{sopMove, sopRemove};
  else if (effect & DROPEFFECT_COPY)
    operation = operation + TNsShellOperations{sopCopy};
  std::unique_ptr<TStringList> files = GetFileListFromDataObject(data.Get());
  TStringList none;
  NotifyOperation(operation, files ? files.get() : &none, std::wstring());
}

HRESULT STDMETHODCALLTYPE TNsShellList::QueryContinueDrag(BOOL EscapePressed, DWORD KeyState) {
  if (EscapePressed || (KeyState & (static_cast<DWORD>(fDragButton) ^ 0x13)) != 0) return DRAGDROP_S_CANCEL;
  if ((KeyState & static_cast<DWORD>(fDragButton)) != 0) return S_OK;
  return DRAGDROP_S_DROP;
}

HRESULT STDMETHODCALLTYPE TNsShellList::GiveFeedback(DWORD) { return DRAGDROP_S_USEDEFAULTCURSORS; }

// Drop targets.

TComPtr<IDropTarget> TNsShellList::GetDropTargetFor(TNsShellListItem* item) {
  try {
    const HWND owner = GetHandle();
    if (item == nullptr) {
      // The desktop's own files lie in its file-system folder.
      TPidl folder;
      if (GetSpecialFolder() == SF_DESKTOP) {
        PItemIDList desktop = nullptr;
        if (SpecialFolderLocator == nullptr || FAILED(SpecialFolderLocator(CSIDL_DESKTOPDIRECTORY, &desktop)))
          return {};
        folder.Reset(desktop);
      } else if (PCItemIDList shown = GetFolderIdList()) {
        folder.Reset(CopyItemIdList(shown));
      }
      if (!folder) return {};
      return GetItemDropTarget(owner, DesktopFolder, folder.Get(), folder.Get());
    }
    if (item->GetIsParentFolderItem()) {
      // The parent folder as an item of the grandparent.
      PCItemIDList shown = GetFolderIdList();
      if (shown == nullptr) return {};
      TNsBrowser parent(nullptr);
      parent.SetShowErrorMessages(false);
      parent.SetFolderIdList(shown);
      if (!parent.SelectParent() || !parent.SelectParent()) return {};
      TPidl relative(parent.GetItemIdList());
      TPidl absolute(CopyItemIdList(parent.GetAbsoluteItemIdList()));
      return GetItemDropTarget(owner, parent.GetShellFolder(), relative.Get(), absolute.Get());
    }
    TPidl absolute(CopyItemIdList(item->GetAbsolutePIDL()));
    // Wine's target of a file takes anything and does nothing: a file there
    // takes no drop, as most files do not on Windows.
    if (RunningOnWine() && !item->GetIsFolder()) return {};
    return GetItemDropTarget(owner, fNsBrowser->GetShellFolder(), item->GetRelativePIDL(), absolute.Get());
  } catch (const ENsBrowserError&) {
    return {};
  }
}

void TNsShellList::RedrawDropItem() {
  if (fDropItem == nullptr || !HandleAllocated()) return;
  const int index = GetItems().Base().IndexOf(fDropItem);
  if (index >= 0) SendMessageW(GetHandle(), LVM_REDRAWITEMS, static_cast<WPARAM>(index), static_cast<LPARAM>(index));
}

void TNsShellList::ForgetDropItem() {
  if (fDropItem != nullptr) {
    fDropItem->SetDropTarget(false);
    RedrawDropItem();
  }
  fDropItem = nullptr;
  if (fDropTarget2) {
    fDropTarget2->DragLeave();
    fDropTarget2.Reset();
  }
}

HRESULT STDMETHODCALLTYPE TNsShellList::DragEnter(IDataObject* DataObj, DWORD KeyState, POINTL Point, DWORD* Effect) {
  if (Effect == nullptr) return E_INVALIDARG;
  try {
    fDataObj = TComPtr<IDataObject>(DataObj);
    fDropTarget = GetDropTargetFor(nullptr);
    fLastAutoScroll = DragTicks();
    fDropButton = static_cast<int>(KeyState);
    if (fDropTarget) return fDropTarget->DragEnter(DataObj, KeyState, Point, Effect);
  } catch (...) {
    fDropTarget.Reset();
  }
  *Effect = DROPEFFECT_NONE;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TNsShellList::DragOver(DWORD KeyState, POINTL Point, DWORD* Effect) {
  if (Effect == nullptr) return E_INVALIDARG;
  try {
    if (GetReadOnly()) {
      *Effect = DROPEFFECT_NONE;
      return S_OK;
    }
    const POINT client = ScreenToClient(POINT{Point.x, Point.y});
    auto* item = static_cast<TNsShellListItem*>(GetItemAt(client.x, client.y));
    fDropButton = static_cast<int>(KeyState);
    if (item != fDropItem) {
      ForgetDropItem();
      if (item != nullptr) {
        TComPtr<IDropTarget> target = GetDropTargetFor(item);
        DWORD entered = *Effect;
        if (target && target->DragEnter(fDataObj.Get(), KeyState, Point, &entered) == S_OK) {
          fDropTarget2 = target;
          fDropItem = item;
          item->SetDropTarget(true);
          RedrawDropItem();
        }
      }
      UpdateWindow(GetHandle());
    }
    const DWORD now = DragTicks();
    if (now - fLastAutoScroll > kAutoScrollMs) {
      AutoScrollControl(*this, client);
      fLastAutoScroll = now;
    }
    if (fDropTarget2) return fDropTarget2->DragOver(KeyState, Point, Effect);
    // A left-button drag from this list onto its own empty space goes nowhere.
    if (fDropTarget && (fDragButton <= 0 || (KeyState & MK_RBUTTON) != 0))
      return fDropTarget->DragOver(KeyState, Point, Effect);
  } catch (...) {
  }
  *Effect = DROPEFFECT_NONE;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TNsShellList::DragLeave() {
  try {
    ForgetDropItem();
    if (fDropTarget) fDropTarget->DragLeave();
  } catch (...) {
  }
  fDataObj.Reset();
  fDropTarget.Reset();
  fDropButton = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TNsShellList::Drop(IDataObject* DataObj, DWORD, POINTL Point, DWORD* Effect) {
  if (Effect == nullptr) return E_INVALIDARG;
  HRESULT answer = E_UNEXPECTED;
  try {
    // The last key state of the drag still names the button being released:
    // a right-button drop lets the target ask what to do.
    const DWORD keyState = static_cast<DWORD>(fDropButton);
    std::unique_ptr<TStringList> files = GetFileListFromDataObject(DataObj);
    if (!files) files = std::make_unique<TStringList>();
    bool execute = true;
    DWORD effect = EffectsOf(fCopyMode) & *Effect;
    // The target and the item are held here: a handler may run anything.
    TComPtr<IDropTarget> itemTarget = fDropTarget2;
    TComPtr<IDropTarget> folderTarget = fDropTarget;
    TNsShellListItem* item = fDropItem;
    const std::wstring destination = item != nullptr ? GetFullPath(item) : GetPath();
    if (itemTarget) {
      if (OnBeforeShellDrop) OnBeforeShellDrop(this, item, files.get(), execute, static_cast<int>(keyState));
      // The handler may have refreshed the list: the item target stands.
      if (execute) answer = itemTarget->Drop(DataObj, keyState, Point, &effect);
      fDropTarget2.Reset();  // Drop ends the target's drag
    } else if (folderTarget && (fDragButton <= 0 || (keyState & MK_RBUTTON) != 0)) {
      if (OnBeforeShellDrop) OnBeforeShellDrop(this, this, files.get(), execute, static_cast<int>(keyState));
      if (execute) answer = folderTarget->Drop(DataObj, keyState, Point, &effect);
      fDropTarget.Reset();
    } else {
      effect = DROPEFFECT_NONE;
    }
    if (!fDroppedFiles) fDroppedFiles = std::make_unique<TStringList>();
    fDroppedFiles->Clear();
    for (int i = 0; i < files->GetCount(); ++i) fDroppedFiles->Add(ExtractFileName((*files)[i]));
    DragLeave();
    if (SUCCEEDED(answer) && execute) {
      if (effect & DROPEFFECT_MOVE)
        NotifyOperation({sopDrop, sopMove}, files.get(), destination);
      else if (effect & DROPEFFECT_COPY)
        NotifyOperation({sopDrop, sopCopy}, files.get(), destination);
      else if (effect == DROPEFFECT_NONE && AnyGone(*files))
        // The target moved the files itself. A drop that was refused or
        // cancelled answers the same, and leaves the files where they were.
        NotifyOperation({sopMove, sopDrop}, files.get(), destination);
    }
    *Effect = execute ? effect : DROPEFFECT_NONE;
  } catch (...) {
    DragLeave();
    *Effect = DROPEFFECT_NONE;
    answer = E_UNEXPECTED;
  }
  return answer;
}

void TNsShellList::SelectDroppedFiles() {
  if (!fDroppedFiles || fDroppedFiles->GetCount() == 0) return;
  std::vector<std::wstring> names;
  for (int i = 0; i < fDroppedFiles->GetCount(); ++i) names.push_back((*fDroppedFiles)[i]);
  fDroppedFiles->Clear();
  TNsShellListItems& items = GetItems();
  for (int i = 0; i < items.Count() && !names.empty(); ++i) {
    const std::wstring name = ExtractFileName(GetFullPath(items[i]));
    for (auto at = names.begin(); at != names.end(); ++at)
      if (SameText(*at, name)) {
        items[i]->SetSelected(true);
        names.erase(at);
        break;
      }
  }
}

}  // namespace ts
