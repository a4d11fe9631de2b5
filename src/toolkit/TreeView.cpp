#include "toolkit/TreeView.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "toolkit/Exception.h"

namespace ts {

namespace {

constexpr UINT_PTR kChangeTimer = 0x7E01;

struct TTreeSortContext {
  TCustomTreeView* View;
  const std::function<int(TTreeNode*, TTreeNode*)>* Compare;
};

}  // namespace

// TTreeNode

TTreeNode::TTreeNode(TTreeNodes* owner) : fOwner(owner) {}

TCustomTreeView* TTreeNode::GetTreeView() const { return fOwner != nullptr ? &fOwner->fOwner : nullptr; }

void TTreeNode::UpdateItem(UINT mask) {
  TCustomTreeView* view = GetTreeView();
  if (view == nullptr || !view->HandleAllocated() || fItem == nullptr) return;
  TVITEMW tv{};
  tv.mask = mask | TVIF_HANDLE;
  tv.hItem = fItem;
  tv.pszText = LPSTR_TEXTCALLBACKW;
  tv.iImage = I_IMAGECALLBACK;
  tv.iSelectedImage = I_IMAGECALLBACK;
  tv.cChildren = I_CHILDRENCALLBACK;
  SendMessageW(view->fHandle, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
}

// The window asks for images and buttons each time it draws them, so a
// change only needs the item drawn again. Setting an item costs the
// platform's control a pass over all its items on some systems; a rectangle
// is cheap.
void TTreeNode::InvalidateItem() {
  TCustomTreeView* view = GetTreeView();
  if (view == nullptr || !view->HandleAllocated() || fItem == nullptr) return;
  // A batch redraws the whole window when it ends.
  if (fOwner->Updating()) return;
  RECT r{};
  HTREEITEM item = fItem;
  std::memcpy(&r, &item, sizeof item);
  if (SendMessageW(view->fHandle, TVM_GETITEMRECT, FALSE, reinterpret_cast<LPARAM>(&r)))
    InvalidateRect(view->fHandle, &r, TRUE);
}

void TTreeNode::SetText(const std::wstring& value) {
  if (value == fText) return;
  fText = value;
  // The text's width decides where the item can be hit: the window measures it.
  UpdateItem(TVIF_TEXT);
}

void TTreeNode::SetImageIndex(int value) {
  if (value == fImageIndex) return;
  fImageIndex = value;
  InvalidateItem();
}

void TTreeNode::SetSelectedIndex(int value) {
  if (value == fSelectedIndex) return;
  fSelectedIndex = value;
  InvalidateItem();
}

void TTreeNode::SetOverlayIndex(int value) {
  if (value == fOverlayIndex) return;
  fOverlayIndex = value;
  TCustomTreeView* view = GetTreeView();
  if (view == nullptr || !view->HandleAllocated() || fItem == nullptr) return;
  TVITEMW tv{};
  tv.mask = TVIF_STATE | TVIF_HANDLE;
  tv.hItem = fItem;
  tv.stateMask = TVIS_OVERLAYMASK;
  tv.state = value >= 0 ? INDEXTOOVERLAYMASK(static_cast<UINT>(value + 1)) : 0;
  SendMessageW(view->fHandle, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
}

void TTreeNode::SetStateIndex(int value) {
  if (value == fStateIndex) return;
  fStateIndex = value;
  TCustomTreeView* view = GetTreeView();
  if (view == nullptr || !view->HandleAllocated() || fItem == nullptr) return;
  TVITEMW tv{};
  tv.mask = TVIF_STATE | TVIF_HANDLE;
  tv.hItem = fItem;
  tv.stateMask = TVIS_STATEIMAGEMASK;
  tv.state = value >= 0 ? INDEXTOSTATEIMAGEMASK(static_cast<UINT>(value + 1)) : 0;
  SendMessageW(view->fHandle, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
}

bool TTreeNode::GetHasChildren() const { return fHasChildren || !fChildren.empty(); }

void TTreeNode::SetHasChildren(bool value) {
  if (value == fHasChildren) return;
  fHasChildren = value;
  InvalidateItem();
}

bool TTreeNode::GetState(UINT mask) const {
  TCustomTreeView* view = GetTreeView();
  if (view == nullptr || !view->HandleAllocated() || fItem == nullptr) return (fState & mask) != 0;
  return (SendMessageW(view->fHandle, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(fItem), mask) & mask) != 0;
}

void TTreeNode::SetState(UINT mask, bool value) {
  fState = value ? (fState | mask) : (fState & ~mask);
  TCustomTreeView* view = GetTreeView();
  if (view == nullptr || !view->HandleAllocated() || fItem == nullptr) return;
  if (GetState(mask) == value) return;
  TVITEMW tv{};
  tv.mask = TVIF_STATE | TVIF_HANDLE;
  tv.hItem = fItem;
  tv.stateMask = mask;
  tv.state = value ? mask : 0;
  SendMessageW(view->fHandle, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
}

bool TTreeNode::GetExpanded() const {
  TCustomTreeView* view = GetTreeView();
  if (view != nullptr && view->HandleAllocated() && fItem != nullptr) return GetState(TVIS_EXPANDED);
  return fExpanded;
}

void TTreeNode::SetExpanded(bool value) {
  if (value)
    Expand(false);
  else
    Collapse(false);
}

void TTreeNode::Expand(bool Recurse) {
  TCustomTreeView* view = GetTreeView();
  if (view != nullptr && !GetExpanded()) {
    if (!view->CanExpand(this)) return;
    fExpanded = true;
    if (view->HandleAllocated() && fItem != nullptr) {
      view->fInserting = true;
      SendMessageW(view->fHandle, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(fItem));
      view->fInserting = false;
    }
    view->Expand(this);
  }
  if (Recurse)
    for (auto& child : fChildren) child->Expand(true);
}

void TTreeNode::Collapse(bool Recurse) {
  TCustomTreeView* view = GetTreeView();
  if (Recurse)
    for (auto& child : fChildren) child->Collapse(true);
  if (view == nullptr || !GetExpanded()) return;
  if (!view->CanCollapse(this)) return;
  fExpanded = false;
  if (view->HandleAllocated() && fItem != nullptr) {
    view->fInserting = true;
    SendMessageW(view->fHandle, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(fItem));
    view->fInserting = false;
  }
  view->Collapse(this);
}

int TTreeNode::GetLevel() const {
  int level = 0;
  for (const TTreeNode* p = fParent; p != nullptr; p = p->fParent) ++level;
  return level;
}

int TTreeNode::GetIndex() const {
  const auto& siblings = fOwner->SiblingsOf(fParent);
  if (fIndex < siblings.size() && siblings[fIndex].get() == this) return static_cast<int>(fIndex);
  for (size_t i = 0; i < siblings.size(); ++i)
    if (siblings[i].get() == this) return static_cast<int>(i);
  return -1;
}

int TTreeNode::GetAbsoluteIndex() const {
  int index = 0;
  for (TTreeNode* node = fOwner->GetFirstNode(); node != nullptr; node = node->GetNext(), ++index)
    if (node == this) return index;
  return -1;
}

TTreeNode* TTreeNode::GetNextSibling() const {
  const auto& siblings = fOwner->SiblingsOf(fParent);
  const int index = GetIndex();
  return index >= 0 && index + 1 < static_cast<int>(siblings.size()) ? siblings[static_cast<size_t>(index + 1)].get()
                                                                      : nullptr;
}

TTreeNode* TTreeNode::GetPrevSibling() const {
  const auto& siblings = fOwner->SiblingsOf(fParent);
  const int index = GetIndex();
  return index > 0 ? siblings[static_cast<size_t>(index - 1)].get() : nullptr;
}

TTreeNode* TTreeNode::GetNext() const {
  if (!fChildren.empty()) return fChildren.front().get();
  for (const TTreeNode* node = this; node != nullptr; node = node->fParent)
    if (TTreeNode* sibling = node->GetNextSibling()) return sibling;
  return nullptr;
}

bool TTreeNode::HasAsParent(const TTreeNode* node) const {
  for (const TTreeNode* p = fParent; p != nullptr; p = p->fParent)
    if (p == node) return true;
  return false;
}

bool TTreeNode::GetSelected() const { return GetTreeView() != nullptr && GetTreeView()->GetSelected() == this; }

void TTreeNode::SetSelected(bool value) {
  TCustomTreeView* view = GetTreeView();
  if (view == nullptr) return;
  if (value)
    view->SetSelected(this);
  else if (GetSelected())
    view->SetSelected(nullptr);
}

void TTreeNode::SetDropTarget(bool value) {
  TCustomTreeView* view = GetTreeView();
  if (view == nullptr || !view->HandleAllocated()) return;
  SendMessageW(view->fHandle, TVM_SELECTITEM, TVGN_DROPHILITE, value ? reinterpret_cast<LPARAM>(fItem) : 0);
}

bool TTreeNode::EditText() {
  TCustomTreeView* view = GetTreeView();
  if (view == nullptr || fItem == nullptr) return false;
  view->SetFocus();
  return SendMessageW(view->GetHandle(), TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(fItem)) != 0;
}

void TTreeNode::EndEdit(bool Cancel) {
  TCustomTreeView* view = GetTreeView();
  if (view != nullptr && view->HandleAllocated()) SendMessageW(view->fHandle, TVM_ENDEDITLABELNOW, Cancel, 0);
}

void TTreeNode::MakeVisible() {
  TCustomTreeView* view = GetTreeView();
  if (view != nullptr && view->HandleAllocated() && fItem != nullptr)
    SendMessageW(view->fHandle, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(fItem));
}

RECT TTreeNode::DisplayRect(bool TextOnly) const {
  RECT r{};
  TCustomTreeView* view = GetTreeView();
  if (view == nullptr || !view->HandleAllocated() || fItem == nullptr) return r;
  // The item goes in the rectangle's first bytes, as the platform wants it.
  HTREEITEM item = fItem;
  std::memcpy(&r, &item, sizeof item);
  SendMessageW(view->fHandle, TVM_GETITEMRECT, TextOnly, reinterpret_cast<LPARAM>(&r));
  return r;
}

bool TTreeNode::CustomSort(const std::function<int(TTreeNode*, TTreeNode*)>& compare, bool Recurse) {
  TCustomTreeView* view = GetTreeView();
  TTreeSortContext context{view, &compare};
  std::stable_sort(fChildren.begin(), fChildren.end(), [&](const auto& a, const auto& b) {
    return TCustomTreeView::CompareNodes(reinterpret_cast<LPARAM>(a.get()), reinterpret_cast<LPARAM>(b.get()),
                                         reinterpret_cast<LPARAM>(&context)) < 0;
  });
  TTreeNodes::Renumber(fChildren);
  if (view != nullptr && view->HandleAllocated() && fItem != nullptr) view->SortWindowChildren(fItem, fChildren);
  if (Recurse)
    for (auto& child : fChildren) child->CustomSort(compare, true);
  return true;
}

void TTreeNode::SortAppended(int sortedCount, const std::function<int(TTreeNode*, TTreeNode*)>& compare) {
  const auto less = [&compare](const auto& a, const auto& b) { return compare(a.get(), b.get()) < 0; };
  const auto middle = fChildren.begin() + std::clamp(sortedCount, 0, Count());
  if (!std::is_sorted(fChildren.begin(), middle, less)) {
    CustomSort(compare);
    return;
  }
  if (middle == fChildren.end()) return;  // in order as they are, in the window too
  std::stable_sort(middle, fChildren.end(), less);
  std::inplace_merge(fChildren.begin(), middle, fChildren.end(), less);
  TTreeNodes::Renumber(fChildren);
  TCustomTreeView* view = GetTreeView();
  if (view != nullptr && view->HandleAllocated() && fItem != nullptr) view->SortWindowChildren(fItem, fChildren);
}

void TTreeNode::Delete() { fOwner->Delete(this); }

void TTreeNode::DeleteChildren() {
  while (!fChildren.empty()) fOwner->Delete(fChildren.back().get());
}

// TTreeNodes

TTreeNodes::~TTreeNodes() { fRoots.clear(); }

std::vector<std::unique_ptr<TTreeNode>>& TTreeNodes::SiblingsOf(TTreeNode* parent) {
  return parent != nullptr ? parent->fChildren : fRoots;
}

TTreeNode* TTreeNodes::InsertAt(TTreeNode* parent, size_t position, const std::wstring& text) {
  std::unique_ptr<TTreeNode> node(fOwner.CreateNode());
  TTreeNode* raw = node.get();
  raw->fText = text;
  raw->fParent = parent;
  auto& siblings = SiblingsOf(parent);
  position = std::min(position, siblings.size());
  siblings.insert(siblings.begin() + static_cast<long>(position), std::move(node));
  Renumber(siblings, position);
  ++fCount;
  InsertIntoWindow(raw, position == 0 ? TVI_FIRST
                        : position + 1 == siblings.size() ? TVI_LAST
                                                          : siblings[position - 1]->fItem);
  return raw;
}

TTreeNode* TTreeNodes::Add(TTreeNode* Sibling, const std::wstring& S) {
  TTreeNode* parent = Sibling != nullptr ? Sibling->fParent : nullptr;
  return InsertAt(parent, SiblingsOf(parent).size(), S);
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* Parent, const std::wstring& S) {
  return InsertAt(Parent, SiblingsOf(Parent).size(), S);
}

TTreeNode* TTreeNodes::AddChildFirst(TTreeNode* Parent, const std::wstring& S) { return InsertAt(Parent, 0, S); }

TTreeNode* TTreeNodes::Insert(TTreeNode* Sibling, const std::wstring& S) {
  if (Sibling == nullptr) return Add(nullptr, S);
  return InsertAt(Sibling->fParent, static_cast<size_t>(Sibling->GetIndex()), S);
}

void TTreeNodes::InsertIntoWindow(TTreeNode* node, HTREEITEM after) {
  if (!fOwner.HandleAllocated()) return;
  TVINSERTSTRUCTW insert{};
  insert.hParent = node->fParent != nullptr ? node->fParent->fItem : TVI_ROOT;
  // The window finds its last child at once, but an item handle by a search.
  insert.hInsertAfter = after;
  TVITEMW& tv = insert.item;
  tv.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN | TVIF_STATE;
  tv.pszText = LPSTR_TEXTCALLBACKW;
  tv.iImage = I_IMAGECALLBACK;
  tv.iSelectedImage = I_IMAGECALLBACK;
  tv.lParam = reinterpret_cast<LPARAM>(node);
  tv.cChildren = I_CHILDRENCALLBACK;
  tv.stateMask = TVIS_CUT | TVIS_OVERLAYMASK | TVIS_STATEIMAGEMASK;
  tv.state = (node->fState & TVIS_CUT) |
             (node->fOverlayIndex >= 0 ? INDEXTOOVERLAYMASK(static_cast<UINT>(node->fOverlayIndex + 1)) : 0) |
             (node->fStateIndex >= 0 ? INDEXTOSTATEIMAGEMASK(static_cast<UINT>(node->fStateIndex + 1)) : 0);
  node->fItem = reinterpret_cast<HTREEITEM>(
      SendMessageW(fOwner.fHandle, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  if (node->fParent != nullptr && node->fParent->fChildren.size() == 1) node->fParent->InvalidateItem();
  // A node given to a new window brings its subtree and expansion along.
  for (auto& child : node->fChildren) InsertIntoWindow(child.get(), TVI_LAST);
  if (node->fExpanded && !node->fChildren.empty()) {
    fOwner.fInserting = true;
    SendMessageW(fOwner.fHandle, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node->fItem));
    fOwner.fInserting = false;
  }
}

void TTreeNodes::Renumber(std::vector<std::unique_ptr<TTreeNode>>& siblings, size_t from) {
  for (size_t i = from; i < siblings.size(); ++i) siblings[i]->fIndex = i;
}

int TTreeNodes::DeleteFromObjects(TTreeNode* node) {
  int count = 1;
  for (auto& child : node->fChildren) count += DeleteFromObjects(child.get());
  node->fDeleting = true;
  fOwner.Delete(node);
  for (TTreeNodeWatch* watch : fOwner.fWatches) watch->Deleted(node);
  return count;
}

void TTreeNodes::Delete(TTreeNode* Node) {
  if (Node == nullptr) return;
  // The deletion events run from the bottom up, whether a window exists or not.
  fCount -= DeleteFromObjects(Node);
  if (fOwner.HandleAllocated() && Node->fItem != nullptr) {
    fOwner.fInserting = true;
    SendMessageW(fOwner.fHandle, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(Node->fItem));
    fOwner.fInserting = false;
  }
  auto& siblings = SiblingsOf(Node->fParent);
  TTreeNode* parent = Node->fParent;
  // Searched from the end: clearing a folder deletes its last child first.
  const int index = Node->GetIndex();
  if (index >= 0) {
    siblings.erase(siblings.begin() + index);
    Renumber(siblings, static_cast<size_t>(index));
  }
  if (parent != nullptr && parent->fChildren.empty()) parent->InvalidateItem();
}

void TTreeNodes::Clear() {
  for (auto& root : fRoots) DeleteFromObjects(root.get());
  if (fOwner.HandleAllocated()) {
    fOwner.fInserting = true;
    SendMessageW(fOwner.fHandle, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    fOwner.fInserting = false;
  }
  fRoots.clear();
  fCount = 0;
}

void TTreeNodes::BeginUpdate() { fUpdate.Begin(fOwner.fHandle); }

void TTreeNodes::EndUpdate() { fUpdate.End(fOwner.fHandle); }

TTreeNode* TTreeNodes::Item(int absoluteIndex) const {
  int index = 0;
  for (TTreeNode* node = GetFirstNode(); node != nullptr; node = node->GetNext(), ++index)
    if (index == absoluteIndex) return node;
  throw EListError(L"List index out of bounds (" + std::to_wstring(absoluteIndex) + L")");
}

// TCustomTreeView

TCustomTreeView::TCustomTreeView(TComponent* AOwner) : TWinControl(AOwner), fItems(*this) {
  fWidth = 121;
  fHeight = 97;
  fTabStop = true;
  SetColor(clWindow);
}

TCustomTreeView::~TCustomTreeView() {
  DestroyHandle();
  fItems.fRoots.clear();
}

void TCustomTreeView::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.ClassName = WC_TREEVIEWW;
  params.ExStyle |= WS_EX_CLIENTEDGE;
  if (fShowButtons) params.Style |= TVS_HASBUTTONS;
  if (fShowLines) params.Style |= TVS_HASLINES;
  if (fShowRoot) params.Style |= TVS_LINESATROOT;
  if (!fReadOnly) params.Style |= TVS_EDITLABELS;
  if (!fHideSelection) params.Style |= TVS_SHOWSELALWAYS;
  if (fHotTrack) params.Style |= TVS_TRACKSELECT;
  if (!fToolTips) params.Style |= TVS_NOTOOLTIPS;
}

int TCustomTreeView::GetIndent() const {
  if (fHandle != nullptr) return static_cast<int>(SendMessageW(fHandle, TVM_GETINDENT, 0, 0));
  return fIndent;
}

void TCustomTreeView::SetIndent(int value) {
  fIndent = value;
  if (fHandle != nullptr && value > 0) SendMessageW(fHandle, TVM_SETINDENT, static_cast<WPARAM>(value), 0);
}

void TCustomTreeView::InitializeWindow() {
  SendMessageW(fHandle, TVM_SETUNICODEFORMAT, TRUE, 0);
  if (fIndent > 0) SendMessageW(fHandle, TVM_SETINDENT, static_cast<WPARAM>(fIndent), 0);
  SetExtendedStyle(0, 0);
  AttachImages();
  for (auto& root : fItems.fRoots) fItems.InsertIntoWindow(root.get(), TVI_LAST);
  if (fSavedSelection != nullptr && fSavedSelection->fItem != nullptr) SetSelected(fSavedSelection);
  fSavedSelection = nullptr;
}

void TCustomTreeView::SaveWindowState() {
  fSavedSelection = GetSelected();
  for (TTreeNode* node = fItems.GetFirstNode(); node != nullptr; node = node->GetNext()) {
    node->fExpanded = node->GetState(TVIS_EXPANDED);
    node->fState = node->GetState(TVIS_CUT) ? TVIS_CUT : 0;
  }
}

void TCustomTreeView::DestroyWnd() {
  if (!HandleAllocated()) return;
  if (GetRecreating() && !fKeepNodes) {
    fItems.Clear();
  } else {
    SaveWindowState();
  }
  KillTimer(fHandle, kChangeTimer);
  fChangeTimerActive = false;
  fInserting = true;  // the window's own deletion reports are not the nodes' end
  TWinControl::DestroyWnd();
  fInserting = false;
  for (TTreeNode* node = fItems.GetFirstNode(); node != nullptr; node = node->GetNext()) node->fItem = nullptr;
}

void TCustomTreeView::SetStyleFlag(bool& field, bool value, DWORD bit, bool inverted) {
  field = value;
  if (!HandleAllocated()) return;
  const bool on = inverted ? !value : value;
  const LONG_PTR style = GetWindowLongPtrW(fHandle, GWL_STYLE);
  SetWindowLongPtrW(fHandle, GWL_STYLE, on ? (style | bit) : (style & ~static_cast<LONG_PTR>(bit)));
}

void TCustomTreeView::SetDoubleBuffered(bool value) {
  fDoubleBuffered = value;
  SetExtendedStyle(TVS_EX_DOUBLEBUFFER, value ? TVS_EX_DOUBLEBUFFER : 0);
}

void TCustomTreeView::SetExtendedStyle(DWORD mask, DWORD style) {
  fExtendedMask |= mask;
  fExtendedStyle = (fExtendedStyle & ~mask) | (style & mask);
  if (HandleAllocated() && fExtendedMask != 0) SendMessageW(fHandle, TVM_SETEXTENDEDSTYLE, fExtendedMask, fExtendedStyle);
}

void TCustomTreeView::AttachImages() {
  if (!HandleAllocated()) return;
  SendMessageW(fHandle, TVM_SETIMAGELIST, TVSIL_NORMAL,
               fImages != nullptr ? reinterpret_cast<LPARAM>(fImages->GetHandle()) : 0);
  SendMessageW(fHandle, TVM_SETIMAGELIST, TVSIL_STATE,
               fStateImages != nullptr ? reinterpret_cast<LPARAM>(fStateImages->GetHandle()) : 0);
}

void TCustomTreeView::SetImages(TCustomImageList* value) {
  fImages = value;
  AttachImages();
}

void TCustomTreeView::SetStateImages(TCustomImageList* value) {
  fStateImages = value;
  AttachImages();
}

TTreeNode* TCustomTreeView::GetSelected() const {
  if (!HandleAllocated()) return fSavedSelection;
  TVITEMW tv{};
  tv.hItem = reinterpret_cast<HTREEITEM>(SendMessageW(fHandle, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (tv.hItem == nullptr) return nullptr;
  tv.mask = TVIF_PARAM | TVIF_HANDLE;
  SendMessageW(fHandle, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
  return NodeOf(tv.lParam);
}

void TCustomTreeView::SetSelected(TTreeNode* node) {
  if (!HandleAllocated()) {
    fSavedSelection = node;
    return;
  }
  SendMessageW(fHandle, TVM_SELECTITEM, TVGN_CARET, node != nullptr ? reinterpret_cast<LPARAM>(node->fItem) : 0);
}

void TCustomTreeView::SetChangeTimerEnabled(bool value) {
  if (!HandleAllocated()) return;
  if (value && fChangeDelay > 0) {
    SetTimer(fHandle, kChangeTimer, fChangeDelay, nullptr);
    fChangeTimerActive = true;
  } else {
    KillTimer(fHandle, kChangeTimer);
    fChangeTimerActive = false;
  }
}

TTreeNode* TCustomTreeView::GetDropTarget() const {
  if (!HandleAllocated()) return nullptr;
  TVITEMW tv{};
  tv.hItem = reinterpret_cast<HTREEITEM>(SendMessageW(fHandle, TVM_GETNEXTITEM, TVGN_DROPHILITE, 0));
  if (tv.hItem == nullptr) return nullptr;
  tv.mask = TVIF_PARAM | TVIF_HANDLE;
  SendMessageW(fHandle, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
  return NodeOf(tv.lParam);
}

TTreeNode* TCustomTreeView::GetNodeAt(int X, int Y) const {
  if (!HandleAllocated()) return nullptr;
  TVHITTESTINFO info{};
  info.pt = POINT{X, Y};
  HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageW(fHandle, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
  if (item == nullptr || (info.flags & (TVHT_ONITEM | TVHT_ONITEMBUTTON)) == 0) return nullptr;
  TVITEMW tv{};
  tv.mask = TVIF_PARAM | TVIF_HANDLE;
  tv.hItem = item;
  SendMessageW(fHandle, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
  return NodeOf(tv.lParam);
}

bool TCustomTreeView::IsEditing() const {
  return HandleAllocated() && SendMessageW(fHandle, TVM_GETEDITCONTROL, 0, 0) != 0;
}

int CALLBACK TCustomTreeView::CompareNodes(LPARAM a, LPARAM b, LPARAM sort) {
  auto* context = reinterpret_cast<TTreeSortContext*>(sort);
  if (context->Compare != nullptr && *context->Compare) return (*context->Compare)(NodeOf(a), NodeOf(b));
  int result = 0;
  if (context->View != nullptr && context->View->OnCompare)
    context->View->OnCompare(context->View, NodeOf(a), NodeOf(b), result);
  return result;
}

bool TCustomTreeView::CustomSort(const std::function<int(TTreeNode*, TTreeNode*)>& compare) {
  TTreeSortContext context{this, &compare};
  std::stable_sort(fItems.fRoots.begin(), fItems.fRoots.end(), [&](const auto& a, const auto& b) {
    return CompareNodes(reinterpret_cast<LPARAM>(a.get()), reinterpret_cast<LPARAM>(b.get()),
                        reinterpret_cast<LPARAM>(&context)) < 0;
  });
  TTreeNodes::Renumber(fItems.fRoots);
  if (HandleAllocated()) SortWindowChildren(TVI_ROOT, fItems.fRoots);
  return true;
}

// TTreeNodeWatch

TTreeNodeWatch::TTreeNodeWatch(TCustomTreeView& view) : fView(view) { fView.fWatches.push_back(this); }

TTreeNodeWatch::TTreeNodeWatch(TCustomTreeView& view, TTreeNode* node) : TTreeNodeWatch(view) {
  fFirst = node;
  Add(node);
}

TTreeNodeWatch::~TTreeNodeWatch() {
  auto& watches = fView.fWatches;
  watches.erase(std::remove(watches.begin(), watches.end(), this), watches.end());
}

void TTreeNodeWatch::Add(TTreeNode* node) {
  if (node != nullptr) fNodes.insert(node);
}

void TTreeNodeWatch::Deleted(const TTreeNode* node) {
  if (fNodes.erase(node) > 0 && node == fFirst) fFirst = nullptr;
}

int CALLBACK TCustomTreeView::CompareByPosition(LPARAM a, LPARAM b, LPARAM positions) {
  const auto& order = *reinterpret_cast<const std::unordered_map<LPARAM, size_t>*>(positions);
  const auto x = order.find(a), y = order.find(b);
  if (x == order.end() || y == order.end()) return 0;
  return x->second < y->second ? -1 : (x->second > y->second ? 1 : 0);
}

void TCustomTreeView::SortWindowChildren(HTREEITEM parent, const std::vector<std::unique_ptr<TTreeNode>>& sorted) {
  // The nodes are in order already: the window follows their positions
  // rather than asking the comparison (which may be costly) a second time.
  std::unordered_map<LPARAM, size_t> positions;
  positions.reserve(sorted.size());
  for (size_t i = 0; i < sorted.size(); ++i) positions.emplace(reinterpret_cast<LPARAM>(sorted[i].get()), i);
  TVSORTCB sort{parent, &TCustomTreeView::CompareByPosition, reinterpret_cast<LPARAM>(&positions)};
  SendMessageW(fHandle, TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
}

TTreeNode* TCustomTreeView::CreateNode() {
  if (!OnCreateNodeClass) return new TTreeNode(&fItems);
  TTreeNodeClass nodeClass = [](TTreeNodes* owner) { return new TTreeNode(owner); };
  OnCreateNodeClass(this, nodeClass);
  return nodeClass(&fItems);
}

bool TCustomTreeView::CanExpand(TTreeNode* node) {
  bool allow = true;
  if (OnExpanding) OnExpanding(this, node, allow);
  return allow;
}

void TCustomTreeView::Expand(TTreeNode* node) {
  if (OnExpanded) OnExpanded(this, node);
}

bool TCustomTreeView::CanCollapse(TTreeNode* node) {
  bool allow = true;
  if (OnCollapsing) OnCollapsing(this, node, allow);
  return allow;
}

void TCustomTreeView::Collapse(TTreeNode* node) {
  if (OnCollapsed) OnCollapsed(this, node);
}

bool TCustomTreeView::CanChange(TTreeNode* node) {
  bool allow = true;
  if (OnChanging) OnChanging(this, node, allow);
  return allow;
}

void TCustomTreeView::Change(TTreeNode* node) {
  if (OnChange) OnChange(this, node);
}

bool TCustomTreeView::CanEdit(TTreeNode* node) {
  bool allow = !fReadOnly;
  if (OnEditing) OnEditing(this, node, allow);
  return allow;
}

void TCustomTreeView::Edit(const TVITEMW& item) {
  TTreeNode* node = NodeOf(item.lParam);
  if (node == nullptr) return;
  if (item.pszText == nullptr) {
    if (OnCancelEdit) OnCancelEdit(this, node);
    return;
  }
  std::wstring text = item.pszText;
  if (OnEdited) OnEdited(this, node, text);
  node->SetText(text);
}

void TCustomTreeView::GetImageIndex(TTreeNode* node) {
  if (OnGetImageIndex) OnGetImageIndex(this, node);
}

void TCustomTreeView::GetSelectedIndex(TTreeNode* node) {
  if (OnGetSelectedIndex) OnGetSelectedIndex(this, node);
}

void TCustomTreeView::Delete(TTreeNode* node) {
  if (OnDeletion) OnDeletion(this, node);
}

bool TCustomTreeView::CustomDrawItem(TTreeNode* node, TCustomDrawState state) {
  bool defaultDraw = true;
  if (OnCustomDrawItem) OnCustomDrawItem(this, node, state, defaultDraw);
  return defaultDraw;
}

void TCustomTreeView::BeginDrag(TTreeNode*, bool) {}

void TCustomTreeView::GetDispInfo(NMTVDISPINFOW* info) {
  TTreeNode* node = NodeOf(info->item.lParam);
  if (node == nullptr) return;
  if ((info->item.mask & TVIF_TEXT) != 0 && info->item.pszText != nullptr && info->item.cchTextMax > 0)
    lstrcpynW(info->item.pszText, node->fText.c_str(), info->item.cchTextMax);
  if ((info->item.mask & TVIF_IMAGE) != 0) {
    GetImageIndex(node);
    info->item.iImage = node->fImageIndex;
  }
  if ((info->item.mask & TVIF_SELECTEDIMAGE) != 0) {
    GetSelectedIndex(node);
    info->item.iSelectedImage = node->fSelectedIndex;
  }
  if ((info->item.mask & TVIF_CHILDREN) != 0) info->item.cChildren = node->GetHasChildren() ? 1 : 0;
}

LRESULT TCustomTreeView::HandleNotify(NMHDR* header) {
  switch (header->code) {
    case TVN_GETDISPINFOW:
      GetDispInfo(reinterpret_cast<NMTVDISPINFOW*>(header));
      return 0;
    case TVN_ITEMEXPANDINGW: {
      auto* info = reinterpret_cast<NMTREEVIEWW*>(header);
      TTreeNode* node = NodeOf(info->itemNew.lParam);
      if (fInserting || node == nullptr) return FALSE;
      const bool expanding = (info->action & TVE_EXPAND) != 0;
      const bool allowed = expanding ? CanExpand(node) : CanCollapse(node);
      return allowed ? FALSE : TRUE;
    }
    case TVN_ITEMEXPANDEDW: {
      auto* info = reinterpret_cast<NMTREEVIEWW*>(header);
      TTreeNode* node = NodeOf(info->itemNew.lParam);
      if (fInserting || node == nullptr) return 0;
      node->fExpanded = (info->action & TVE_EXPAND) != 0;
      if (node->fExpanded)
        Expand(node);
      else
        Collapse(node);
      return 0;
    }
    case TVN_SELCHANGINGW: {
      auto* info = reinterpret_cast<NMTREEVIEWW*>(header);
      TTreeNode* node = NodeOf(info->itemNew.lParam);
      return node != nullptr && !CanChange(node) ? TRUE : FALSE;
    }
    case TVN_SELCHANGEDW: {
      auto* info = reinterpret_cast<NMTREEVIEWW*>(header);
      if (fChangeDelay > 0) {
        SetTimer(fHandle, kChangeTimer, fChangeDelay, nullptr);
        fChangeTimerActive = true;
      } else {
        Change(NodeOf(info->itemNew.lParam));
      }
      return 0;
    }
    case TVN_BEGINLABELEDITW: {
      auto* info = reinterpret_cast<NMTVDISPINFOW*>(header);
      TTreeNode* node = NodeOf(info->item.lParam);
      return node == nullptr || !CanEdit(node) ? TRUE : FALSE;
    }
    case TVN_ENDLABELEDITW:
      Edit(reinterpret_cast<NMTVDISPINFOW*>(header)->item);
      return FALSE;
    case TVN_DELETEITEMW:
      return 0;  // the nodes report their own end
    case TVN_BEGINDRAGW:
    case TVN_BEGINRDRAGW:
    case TVN_BEGINDRAGA:
    case TVN_BEGINRDRAGA: {
      if (fDragMode != dmAutomatic) return 0;
      // The narrow form has the same layout up to the item's parameter.
      auto* info = reinterpret_cast<NMTREEVIEWW*>(header);
      const bool right = header->code == TVN_BEGINRDRAGW || header->code == TVN_BEGINRDRAGA;
      if (TTreeNode* node = NodeOf(info->itemNew.lParam)) BeginDrag(node, right);
      return 0;
    }
    case NM_CUSTOMDRAW: {
      if (!WantsCustomDraw()) return CDRF_DODEFAULT;
      auto* draw = reinterpret_cast<NMTVCUSTOMDRAW*>(header);
      return AnswerItemCustomDraw(draw->nmcd, draw->clrText, draw->clrTextBk, fCanvas, GetFont().GetColor(), GetColor(),
                                  [this](LPARAM item, TCustomDrawState state) {
                                    return CustomDrawItem(NodeOf(item), state);
                                  });
    }
    default:
      return 0;
  }
}

void TCustomTreeView::WndProc(TMessage& message) {
  switch (message.Msg) {
    case CN_NOTIFY:
      message.Result = HandleNotify(reinterpret_cast<NMHDR*>(message.LParam));
      return;
    case WM_TIMER:
      if (message.WParam == kChangeTimer) {
        KillTimer(fHandle, kChangeTimer);
        fChangeTimerActive = false;
        Change(GetSelected());
        return;
      }
      break;
    case WM_RBUTTONDOWN:
      if (fRightClickSelect)
        if (TTreeNode* node = GetNodeAt(static_cast<short>(LOWORD(message.LParam)),
                                        static_cast<short>(HIWORD(message.LParam))))
          SetSelected(node);
      break;
    default:
      break;
  }
  TWinControl::WndProc(message);
}

}  // namespace ts
