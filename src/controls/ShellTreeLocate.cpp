// The shell tree view: finding the node of a list (LocateNode), reconciling
// nodes with the shell (RefreshNode), the selected and special folder.
#include "controls/ShellTree.h"

#include <algorithm>
#include <vector>

#include "link/NsShellLink.h"
#include "notify/NsShellChangeNotifier.h"
#include "shell/ItemIdListPaths.h"
#include "shell/NsBrowser.h"
#include "shell/NsBrowserError.h"
#include "shell/PathClassification.h"
#include "shell/SameItem.h"
#include "shell/SpecialFolders.h"
#include "shell/ShellGlobals.h"
#include "shell/SystemErrorText.h"
#include "toolkit/Application.h"
#include "toolkit/Forms.h"

namespace ts {

namespace {

// Whether list lies in or below the item prefix names.
bool StartsWithItem(PCItemIDList list, PCItemIDList prefix) {
  const int count = GetItemIdCount(prefix);
  if (count == 0) return true;
  if (GetItemIdCount(list) < count) return false;
  TPidl head(TruncateItemIdList(list, count));
  return SameItemIdList(head.Get(), prefix);
}

// Restores a value when a scope ends, also on failure.
template <typename T>
class TRestore {
public:
  TRestore(T& field, T value) : fField(field), fSaved(field) { fField = value; }
  ~TRestore() { fField = fSaved; }
  TRestore(const TRestore&) = delete;
  TRestore& operator=(const TRestore&) = delete;
  // Puts the value back before the scope ends.
  void Restore() { fField = fSaved; }

private:
  T& fField;
  T fSaved;
};

// Shows the hourglass for a scope when asked to; the previous cursor after.
class TOptionalHourglass {
public:
  explicit TOptionalHourglass(bool show) : fPrevious(Screen->GetCursor()) {
    if (show) Screen->SetCursor(crHourGlass);
  }
  ~TOptionalHourglass() {
    if (Screen->GetCursor() != fPrevious) Screen->SetCursor(fPrevious);
  }
  TOptionalHourglass(const TOptionalHourglass&) = delete;
  TOptionalHourglass& operator=(const TOptionalHourglass&) = delete;

private:
  TCursor fPrevious;
};

}  // namespace

// Finding a child.

TNsShellTreeNode* TNsShellTree::FindChild(TNsShellTreeNode* parent, PCItemIDList relative, int sortedCount,
                                           int* hint) const {
  if (parent == nullptr || relative == nullptr) return nullptr;
  const int count = parent->Count();
  sortedCount = std::min(sortedCount, count);
  if (hint != nullptr && *hint >= 0 && *hint < count) {
    TNsShellTreeNode* guess = parent->Item(*hint);
    if (CompareIDsSaysSame(guess->Compare(relative))) {
      ++*hint;
      return guess;
    }
  }
  // The children are kept in the folder's order: a binary search finds most
  // of them at once; the scan covers the rest.
  int low = 0, high = sortedCount;
  while (low < high) {
    const int middle = low + (high - low) / 2;
    TNsShellTreeNode* probe = parent->Item(middle);
    const HRESULT hr = probe->Compare(relative);
    if (FAILED(hr)) break;
    const short order = static_cast<short>(HRESULT_CODE(hr));
    if (order == 0) {
      if (hint != nullptr) *hint = middle + 1;
      return probe;
    }
    if (order < 0)
      low = middle + 1;
    else
      high = middle;
  }
  for (int i = 0; i < count; ++i) {
    TNsShellTreeNode* child = parent->Item(i);
    if (child->fRelativeItemIdList != nullptr && CompareIDsSaysSame(child->Compare(relative))) {
      if (hint != nullptr) *hint = i + 1;
      return child;
    }
  }
  return nullptr;
}

// Locating.

bool TNsShellTree::LocateNode(PCItemIDList PIDL, TNsLocateAction Action) {
  if (PIDL == nullptr) return false;
  if (Action == laSelect) {
    TNsShellTreeNode* selected = GetSelected();
    if (selected != nullptr && SameItemIdList(PIDL, selected->fAbsoluteItemIdList)) return true;
  }
  // Expanding pumps messages, which may free the caller's list (its owner
  // refills) and delete any node: the list is copied, and every node the
  // walk stands on is watched.
  TPidl wantedList(CopyItemIdList(PIDL));
  PIDL = wantedList.Get();
  TWalkScope walking(*this);
  TOptionalHourglass hourglass(Action == laSelect);
  TRestore<bool> allowExpand(fAllowExpand, Action != laRefresh);
  TTreeNodeWatch walk(*this);
  // A node the walk stood on went meanwhile: the walk begins again from the
  // top, where the tree now is, a few times at most.
  auto walkAgain = [&]() {
    if (fLocateRestarts >= 3) return false;
    TRestore<int> restarts(fLocateRestarts, fLocateRestarts + 1);
    allowExpand.Restore();
    return LocateNode(PIDL, Action);
  };

  const int depth = GetItemIdCount(PIDL);
  TNsShellTreeNode* target = nullptr;
  TNsShellTreeNode* deepest = nullptr;
  bool found = false;
  TTreeNodes& items = GetItems();
  for (int r = 0; r < items.TopCount() && target == nullptr; ++r) {
    auto* root = static_cast<TNsShellTreeNode*>(items.Top(r));
    walk.Add(root);
    if (SameItemIdList(PIDL, root->fAbsoluteItemIdList)) {
      target = root;
      break;
    }
    const int base = GetItemIdCount(root->fAbsoluteItemIdList);
    TNsShellTreeNode* current = root;
    bool stepped = false;
    // Only a list below the root is looked for among its descendants: a
    // deeper item of another folder may carry the same one-level id.
    if (base < depth && StartsWithItem(PIDL, root->fAbsoluteItemIdList)) {
      while (current->GetLevel() + base < depth) {
        TPidl wanted(GetItemIdAt(PIDL, current->GetLevel() + base));
        if (Action == laSelect) {
          current->SetHasChildren(true);
          current->Expand(false);
          if (!walk.Alive(current)) return walkAgain();
        } else if (!current->GetExpanded() && current->GetHasChildren()) {
          // Read anew on its next expansion.
          ForgetChildren(current);
        }
        TNsShellTreeNode* child = FindChild(current, wanted.Get(), current->Count());
        if (child == nullptr) break;
        current = child;
        walk.Add(current);
        stepped = true;
      }
    }
    if (stepped && current->GetLevel() + base >= depth) {
      target = current;
      found = true;
      break;
    }
    // A miss: whatever was asked, the deepest node on the path is refreshed.
    if (Action == laRefreshParent || Action == laDelete) Action = laRefresh;
    if (IsNetworkItem(PIDL) && current->GetLevel() > 0) {
      if (current->GetLevel() + base >= depth - 1) {
        // A server or share the network folder does not list: inserted below
        // the deepest network node reached.
        try {
          fNsBrowser->SetAbsoluteItemIdList(PIDL);
        } catch (const ENsBrowserError&) {
          return false;
        }
        if (!walk.Alive(current)) return walkAgain();
        const bool sticky = IsRootPath(ItemIdListToPath(PIDL)) || IsUNCServerPath(fNsBrowser->GetObjectName());
        if (TNsShellTreeNode* added = AddFolderNode(current, sticky)) {
          walk.Add(added);
          if (walk.Alive(current)) Resort(current);
          target = walk.Alive(added) ? added : nullptr;
          found = target != nullptr;
        } else {
          target = walk.Alive(current) ? current : nullptr;
        }
        break;
      }
      // Deeper: each missing level is inserted in turn.
      TPidl wanted(GetItemIdAt(PIDL, current->GetLevel() + base));
      TPidl prefix(TruncateItemIdList(PIDL, current->GetLevel() + base + 1));
      allowExpand.Restore();
      bool result = false;
      // Only when the level came in, so that every round goes deeper.
      if (LocateNode(prefix.Get(), Action) && Action != laRefresh && walk.Alive(current) &&
          FindChild(current, wanted.Get(), 0) != nullptr)
        result = LocateNode(PIDL, Action);
      return result;
    }
    deepest = current;
  }
  if (target == nullptr) target = deepest;
  if (target != nullptr && !walk.Alive(target)) return walkAgain();
  allowExpand.Restore();
  if (target == nullptr) return found;

  switch (Action) {
    case laSelect:
      SetChangeDelay(0);
      SetSelected(target);
      // Selecting tells the pane's other controls, which may refresh.
      if (walk.Alive(target)) target->MakeVisible();
      break;
    case laRefresh:
      RefreshNode(target, !fRootedAtFileSystemFolder.empty(), true);
      break;
    case laRefreshParent:
      if (TNsShellTreeNode* parent = target->GetParent()) RefreshNode(parent, false, true);
      break;
    case laDelete:
      if (target->GetSelected()) SetChangeDelay(0);
      target->Delete();
      break;
    case laInsertOnly:
      break;
  }
  return found;
}

bool TNsShellTree::AddHiddenItem(const std::wstring& aPath) {
  if (aPath.empty() || DesktopFolder == nullptr) return false;
  // The browser goes back where it stood, also on failure.
  struct TPutBack {
    TNsBrowser& Browser;
    TPidl Kept;
    ~TPutBack() {
      try {
        if (Kept) Browser.SetAbsoluteItemIdList(Kept.Get());
      } catch (const ENsBrowserError&) {
        // Where it stood is gone; it stays where it is.
      }
    }
  } putBack{*fNsBrowser, TPidl(CopyItemIdList(fNsBrowser->GetAbsoluteItemIdList()))};
  TPidl list;
  std::wstring name = aPath;
  ULONG eaten = 0;
  const HRESULT hr = DesktopFolder->ParseDisplayName(HandleAllocated() ? fHandle : nullptr, nullptr, name.data(),
                                                     &eaten, list.Put(), nullptr);
  return SUCCEEDED(hr) && list && LocateNode(list.Get(), laInsertOnly);
}

bool TNsShellTree::SelectSubFolder(const std::wstring& FolderName) {
  TNsShellTreeNode* selected = GetSelected();
  if (selected == nullptr) return false;
  TTreeNodeWatch watch(*this, selected);
  selected->Expand(false);
  // The pump of the expansion may have refreshed the node away.
  if (watch.Get() == nullptr || selected->Count() == 0) return false;
  for (int i = 0; i < selected->Count(); ++i) {
    TNsShellTreeNode* child = selected->Item(i);
    if (CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, child->GetText().c_str(), -1, FolderName.c_str(), -1) ==
        CSTR_EQUAL) {
      SetSelected(child);
      break;
    }
  }
  return true;
}

// Reconciling.

void TNsShellTree::ForgetChildren(TNsShellTreeNode* node) {
  node->DeleteChildren();
  node->fChildrenRead = false;
  node->SetHasChildren(true);
}

void TNsShellTree::RefreshNode(TNsShellTreeNode* Node, bool Recursive, bool FullRefresh) {
  if (IsLoading() || Node == nullptr) return;
  TWalkScope walking(*this);
  // Binding may ask for credentials and the handlers may do anything: the
  // nodes are watched, and what went is left alone.
  TTreeNodeWatch watch(*this, Node);
  // A node whose folder can no longer be reached, or opened, goes.
  if (!PositionBrowserOn(Node)) {
    if (watch.Get() != nullptr) Node->Delete();
    return;
  }
  if (watch.Get() == nullptr) return;
  UpdateNode(Node, FullRefresh);
  if (watch.Get() == nullptr) return;
  bool opened = true;
  // The desktop's list binds the browser to the desktop itself; every other
  // item is opened from its parent folder.
  if (GetItemIdCount(Node->fAbsoluteItemIdList) > 0) {
    try {
      opened = fNsBrowser->BrowseObject();
    } catch (const ENsBrowserError&) {
      if (watch.Get() != nullptr) Node->Delete();
      return;
    }
    if (watch.Get() == nullptr) return;
  }
  // One batch: a visible tree would redraw and lay itself out for each child.
  TTreeNodes& items = GetItems();
  items.BeginUpdate();
  struct TEndUpdate {
    TTreeNodes& Items;
    ~TEndUpdate() { Items.EndUpdate(); }
  } endUpdate{items};
  if (Node->GetExpanded()) {
    if (!opened) {
      // No longer a folder: nothing below it.
      Node->DeleteChildren();
      Node->SetHasChildren(false);
      return;
    }
    for (int i = 0; i < Node->Count(); ++i) Node->Item(i)->fTag = 0;
    const int sortedCount = Node->Count();
    bool somethingNew = false;
    int added = 0;
    int next = 0;
    {
      bool enumerating = fEnumerating;
      fEnumerating = true;
      TSpecialFolderCache specialFolders;  // the filter compares every item with some
      try {
        while (watch.Get() != nullptr && fNsBrowser->Next()) {
          if (!ItemMatchesShowOptions(*fNsBrowser, fShowOptions)) continue;
          TPidl relative(fNsBrowser->GetItemIdList());
          TNsShellTreeNode* child = FindChild(Node, relative.Get(), sortedCount, &next);
          if (child == nullptr) {
            if (!IsEditing() && AddFolderNode(Node, false) != nullptr) ++added;
            somethingNew = true;
            continue;
          }
          child->fTag = 1;
          child->SetHasChildren(GetShowFiles() && child->IsFolder() ? true : fNsBrowser->HasSubFolders());
          if (OnAddFolder) {
            TTreeNodeWatch asked(*this, child);
            bool canAdd = true;
            OnAddFolder(child, GetFullPath(child), canAdd);
            if (!canAdd && asked.Get() != nullptr) child->Delete();
          }
        }
      } catch (...) {
        fEnumerating = enumerating;
        throw;
      }
      fEnumerating = enumerating;
    }
    if (watch.Get() == nullptr) return;
    Node->fChildrenRead = true;
    // The children as they are now; each is left alone once it went.
    std::vector<TNsShellTreeNode*> children;
    children.reserve(static_cast<size_t>(Node->Count()));
    for (int i = 0; i < Node->Count(); ++i) {
      children.push_back(Node->Item(i));
      watch.Add(Node->Item(i));
    }
    for (TNsShellTreeNode* child : children) {
      if (!watch.Alive(child)) continue;
      if (child->fTag == 0 && !child->fFlags.Contains(sitSticky))
        child->Delete();
      else if (Recursive)
        RefreshNode(child, Recursive, FullRefresh);
      if (watch.Get() == nullptr) return;
    }
    if (Node->Count() == 0) Node->SetHasChildren(false);
    // The children that were there are in order: only the new ones are placed.
    if (somethingNew)
      Node->SortAppended(Node->Count() - added, [](TTreeNode* a, TTreeNode* b) {
        return static_cast<TNsShellTreeNode*>(a)->Compare(static_cast<TNsShellTreeNode*>(b));
      });
  } else if (Node->GetHasChildren()) {
    ForgetChildren(Node);
  }
}

void TNsShellTree::RefreshNode(int Index, bool Recursive, bool FullRefresh) {
  if (Index < 0 || Index >= GetItems().Count()) return;
  RefreshNode(GetItem(Index), Recursive, FullRefresh);
}

// The special and the selected folder.

TNsShellFolder TNsShellTree::GetSpecialFolder() {
  if (IsLoading()) return fInitialFolder;
  TNsShellTreeNode* node = GetSelected();
  if (!IsValidNode(node)) return SF_FILESYSTEMFOLDER;
  try {
    return IsSpecialObject(node);
  } catch (...) {
    return SF_FILESYSTEMFOLDER;
  }
}

void TNsShellTree::SetSpecialFolder(TNsShellFolder value) {
  if (IsLoading()) {
    fInitialFolder = value;
    if (value != SF_FILESYSTEMFOLDER) fInitialPath.clear();
    return;
  }
  if (value == SF_FILESYSTEMFOLDER || value == SF_INVALID) return;
  // A folder the platform lacks selects nothing, rather than wherever the
  // browser stood before.
  TPidl list(GetSpecialFolderItemIdList(value));
  if (!list) return;
  fNsBrowser->SetSpecialFolder(value);
  LocateNode(list.Get(), laSelect);
}

std::wstring TNsShellTree::GetSelectedFolder() {
  if (IsLoading()) return fInitialPath;
  TNsShellTreeNode* node = GetSelected();
  if (!IsValidNode(node)) return {};
  std::wstring path = GetFullPath(node);
  if (path.empty() && !IsDesigning()) {
    const TNsShellFolder special = GetSpecialFolder();
    if (special != SF_FILESYSTEMFOLDER) path = GetSpecialFolderPath(special);
  }
  return path;
}

void TNsShellTree::SetSelectedFolder(const std::wstring& value) {
  if (IsLoading()) {
    // A stored special folder other than the default wins over a path.
    if (fInitialFolder == SF_FILESYSTEMFOLDER || fInitialFolder == SF_DRIVES) {
      fInitialPath = value;
      fInitialFolder = SF_FILESYSTEMFOLDER;
    }
    return;
  }
  if (value.empty()) {
    if (fRootedAt == SF_DESKTOP)
      SetSpecialFolder(SF_DRIVES);
    else if (TNsShellTreeNode* root = GetRootNode())
      SetSelected(root);
    return;
  }
  HRESULT parsed = S_OK;
  for (int r = 0; r < GetItems().TopCount(); ++r) {
    if (DesktopFolder == nullptr) break;
    TPidl list;
    std::wstring name = value;
    ULONG eaten = 0;
    parsed = DesktopFolder->ParseDisplayName(HandleAllocated() ? fHandle : nullptr, nullptr, name.data(), &eaten,
                                             list.Put(), nullptr);
    if (FAILED(parsed) || !list) {
      if (SUCCEEDED(parsed)) parsed = E_FAIL;
      // Every further attempt would parse the same text.
      break;
    }
    if (LocateNode(list.Get(), laSelect)) break;
  }
  if (FAILED(parsed) && !IsLoading() && GetShowErrorMessages())
    Application->ShowMessageBox(GetSystemErrorText(static_cast<int>(parsed)) + L": " + value, Application->GetTitle(),
                                MB_OK | MB_ICONINFORMATION);
}

}  // namespace ts
