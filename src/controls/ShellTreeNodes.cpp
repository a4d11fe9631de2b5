// The shell tree view: adding and updating nodes, their pictures, sorting
// and reading a folder on its first expansion.
#include "controls/ShellTree.h"

#include <cstring>
#include <vector>

#include "notify/NsShellChangeNotifier.h"
#include "shell/ErrorMode.h"
#include "shell/NsBrowser.h"
#include "shell/NsBrowserError.h"
#include "shell/NsSystemImageList.h"
#include "shell/PathClassification.h"
#include "shell/SpecialFolders.h"
#include "toolkit/Forms.h"
#include "work/GlobalWorkerPool.h"
#include "work/IconWorkItem.h"

namespace ts {

namespace {

// Marks the browser as enumerating for the length of a scope.
class TEnumerationScope {
public:
  explicit TEnumerationScope(bool& flag) : fFlag(flag), fPrevious(flag) { fFlag = true; }
  ~TEnumerationScope() { fFlag = fPrevious; }
  TEnumerationScope(const TEnumerationScope&) = delete;
  TEnumerationScope& operator=(const TEnumerationScope&) = delete;

private:
  bool& fFlag;
  bool fPrevious;
};

}  // namespace

bool TNsShellTree::PositionBrowserOn(TNsShellTreeNode* node) {
  if (node == nullptr || node->fAbsoluteItemIdList == nullptr) return false;
  // Bound to the node's folder already (its siblings are drawn one after the
  // other): only the item changes, without binding the folder again.
  if (node->GetLevel() > 0 && node->fParentShellFolder && node->fRelativeItemIdList != nullptr &&
      fNsBrowser->GetShellFolder() == node->fParentShellFolder.Get()) {
    fNsBrowser->SetItemIdList(node->fRelativeItemIdList);
    return true;
  }
  try {
    fNsBrowser->SetAbsoluteItemIdList(node->fAbsoluteItemIdList);
  } catch (const ENsBrowserError&) {
    return false;
  }
  return true;
}

bool TNsShellTree::IsVisibleNode(TNsShellTreeNode* node) const {
  if (!HandleAllocated() || node->GetItemId() == nullptr) return false;
  // Below a closed folder nothing shows; asking the window would cost a search.
  if (TTreeNode* parent = node->TTreeNode::GetParent(); parent != nullptr && !parent->GetExpanded()) return false;
  RECT r{};
  HTREEITEM item = node->GetItemId();
  static_assert(sizeof item <= sizeof r, "the item goes in the rectangle's first bytes");
  std::memcpy(&r, &item, sizeof item);
  // The window answers for every item below expanded folders, also those
  // scrolled out of sight: only the ones in the client area are on screen.
  if (SendMessageW(fHandle, TVM_GETITEMRECT, FALSE, reinterpret_cast<LPARAM>(&r)) == 0) return false;
  RECT client{}, shown{};
  GetClientRect(fHandle, &client);
  return IntersectRect(&shown, &r, &client) != FALSE;
}

TNsShellTreeNode* TNsShellTree::AddFolderNode(TNsShellTreeNode* Parent, bool Sticky) {
  if (!ItemMatchesShowOptions(*fNsBrowser, fShowOptions)) return nullptr;
  auto* node = static_cast<TNsShellTreeNode*>(GetItems().AddChild(Parent, fNsBrowser->GetShellObjectName(true)));
  if (Sticky) node->fFlags.Include(sitSticky);
  node->fTag = 1;
  if (!GetShowFiles() || fNsBrowser->IsFolder()) node->fFlags.Include(sitIsFolder);
  node->SetLists(fNsBrowser->GetItemIdList(), CopyItemIdList(fNsBrowser->GetAbsoluteItemIdList()));
  node->fParentShellFolder = TComPtr<IShellFolder>(fNsBrowser->GetShellFolder());
  // Nodes out of sight get their pictures when they are first drawn.
  if (IsVisibleNode(node)) UpdateNode(node, true);
  if (OnAddFolder) {
    bool canAdd = true;
    OnAddFolder(node, GetFullPath(node), canAdd);
    if (!canAdd) {
      node->Delete();
      return nullptr;
    }
  }
  return node;
}

void TNsShellTree::QueueIcon(TNsShellTreeNode* node, TNsIconType type, TWorkTag groupTag) {
  TWorkerThreadPool* pool = GlobalWorkerPool();
  if (pool == nullptr || node->fAbsoluteItemIdList == nullptr) return;
  TComPtr<IWorkItem> job(new TIconWorkItem(CopyItemIdList(node->fAbsoluteItemIdList), type,
                                           static_cast<IIconViewer*>(this), reinterpret_cast<TWorkTag>(node),
                                           groupTag));
  pool->AddWorkItem(job.Get());
}

void TNsShellTree::UpdateNode(TNsShellTreeNode* Node, bool Full) {
  if (Node == nullptr) return;
  // Placeholders until the real pictures come from the pool.
  if (Node->IsFolder())
    Node->SetImageIndex(TNsSystemImageList::GetFolderIconNumber(false));
  else
    Node->SetImageIndex(TNsSystemImageList::GetIndexFromPathByExt(GetFullPath(Node), si_small, false));
  QueueIcon(Node, itNormal, GroupTag());
  if (GetShowFiles() && Node->IsFolder())
    Node->SetHasChildren(true);
  else
    Node->SetHasChildren(fNsBrowser->HasSubFolders());
  if (Full) {
    if (Node->GetLevel() > 0) Node->SetText(fNsBrowser->GetShellObjectName(true));
    if (fShowOverlayIcons) {
      TFailCriticalErrorsScope errorMode;
      QueueIcon(Node, itOverlay, GroupTag());
      const ULONG attributes =
          fNsBrowser->GetAttributes(SFGAO_GHOSTED | SFGAO_HIDDEN | SFGAO_COMPRESSED | SFGAO_ENCRYPTED);
      if ((attributes & (SFGAO_GHOSTED | SFGAO_HIDDEN)) != 0) Node->SetCut(true);
      if ((attributes & SFGAO_COMPRESSED) != 0) Node->fFlags.Include(sitCompressed);
      if ((attributes & SFGAO_ENCRYPTED) != 0) Node->fFlags.Include(sitEncrypted);
    } else {
      Node->SetOverlayIndex(-1);
    }
  }
  if (OnUpdatedFolder) OnUpdatedFolder(this, Node);
}

void TNsShellTree::IconReady(int IconIndex, TNsIconType IconType, TWorkTag Tag) {
  if (!HandleAllocated() || IconIndex < 0) return;
  auto* node = reinterpret_cast<TNsShellTreeNode*>(Tag);
  if (node == nullptr) return;
  // Each setter does nothing for the same value and has the item drawn
  // again otherwise.
  switch (IconType) {
    case itNormal:
      node->SetImageIndex(IconIndex);
      break;
    case itOverlay:
      node->SetOverlayIndex(IconIndex);
      break;
    case itSelected:
      node->SetSelectedIndex(IconIndex);
      break;
  }
}

void TNsShellTree::GetImageIndex(TTreeNode* node) {
  auto* shellNode = static_cast<TNsShellTreeNode*>(node);
  // Not while the browser enumerates: positioning it would end that.
  if (shellNode != nullptr && shellNode->GetImageIndex() < 0 && !fEnumerating && !shellNode->GetDeleting()) {
    if (PositionBrowserOn(shellNode)) {
      UpdateNode(shellNode, true);
      const RECT r = shellNode->DisplayRect(false);
      InvalidateRect(fHandle, &r, TRUE);
    }
  }
  TCustomTreeView::GetImageIndex(node);
}

void TNsShellTree::Resort(TNsShellTreeNode* aNode) {
  if (aNode == nullptr) return;
  // Shells often list a folder in its own order already: one pass finds out.
  aNode->SortAppended(aNode->Count(), [](TTreeNode* a, TTreeNode* b) {
    return static_cast<TNsShellTreeNode*>(a)->Compare(static_cast<TNsShellTreeNode*>(b));
  });
}

bool TNsShellTree::CanExpand(TTreeNode* node) {
  if (!TCustomTreeView::CanExpand(node)) return false;
  if (!fAllowExpand && !(node->GetLevel() == 0 && !IsLoading())) return false;
  FillNode(static_cast<TNsShellTreeNode*>(node));
  return true;
}

void TNsShellTree::FillNode(TNsShellTreeNode* node) {
  // A folder holding only children put there on their own (a network item)
  // has not been read yet.
  if (node == nullptr || !node->IsFolder() || (node->Count() > 0 && node->fChildrenRead)) return;
  const int present = node->Count();
  TChangeTimerScope changeTimer(*this);
  THourglassScope hourglass;
  TTreeNodes& items = GetItems();
  items.BeginUpdate();
  struct TEndUpdate {
    TTreeNodes& Items;
    ~TEndUpdate() { Items.EndUpdate(); }
  } endUpdate{items};
  try {
    TEnumerationScope enumerating(fEnumerating);
    TSpecialFolderCache specialFolders;  // the filter compares every item with some
    fNsBrowser->SetFolderIdList(node->fAbsoluteItemIdList);
    while (fNsBrowser->Next()) {
      if (!GetShowFiles() && !fNsBrowser->IsFolder()) continue;
      if (present > 0) {
        TPidl relative(fNsBrowser->GetItemIdList());
        if (FindChild(node, relative.Get(), 0) != nullptr) continue;
      }
      AddFolderNode(node, false);
    }
    node->fChildrenRead = true;
  } catch (const ENsBrowserError&) {
    // A folder that cannot be opened shows no children and no button.
  }
  Resort(node);
  node->SetHasChildren(node->Count() > 0);
  // Each network folder that was opened is watched by itself.
  if (node->GetLevel() > 0 && IsUNCPath(GetFullPath(node)))
    fShellChangeNotifier->GetDirectories()->Add(fNsBrowser->GetFolder());
}

}  // namespace ts
