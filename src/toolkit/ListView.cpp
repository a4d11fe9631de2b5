#include "toolkit/ListView.h"

#include <algorithm>
#include <unordered_map>

#include "toolkit/Exception.h"

namespace ts {

namespace {

UINT ItemStateBits(const TListItem& item, UINT state, int overlay, int stateIndex) {
  (void)item;
  UINT bits = state & (LVIS_SELECTED | LVIS_FOCUSED | LVIS_CUT | LVIS_DROPHILITED);
  if (overlay >= 0) bits |= INDEXTOOVERLAYMASK(static_cast<UINT>(overlay + 1));
  if (stateIndex >= 0) bits |= INDEXTOSTATEIMAGEMASK(static_cast<UINT>(stateIndex + 1));
  return bits;
}

int FormatOf(TAlignment alignment) {
  return alignment == taRightJustify ? LVCFMT_RIGHT : alignment == taCenter ? LVCFMT_CENTER : LVCFMT_LEFT;
}

}  // namespace

// TListItem

TListItem::TListItem(TListItems* owner) : fOwner(owner) {
  fSubItems.OnChange = [this](TObject*) {
    TCustomListView* view = GetListView();
    if (view == nullptr || !view->HandleAllocated()) return;
    const int index = GetIndex();
    if (index < 0) return;
    // Sub items are drawn from the items' own text through the callback.
    for (int i = 0; i < fSubItems.GetCount(); ++i) {
      LVITEMW lv{};
      lv.iSubItem = i + 1;
      lv.pszText = LPSTR_TEXTCALLBACKW;
      SendMessageW(view->fHandle, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&lv));
    }
  };
}

TCustomListView* TListItem::GetListView() const { return fOwner != nullptr ? &fOwner->fOwner : nullptr; }

int TListItem::GetIndex() const {
  if (fOwner == nullptr) return -1;
  const auto& items = fOwner->fItems;
  if (fIndexHint >= 0 && fIndexHint < static_cast<int>(items.size()) &&
      items[static_cast<size_t>(fIndexHint)].get() == this)
    return fIndexHint;
  fIndexHint = fOwner->IndexOf(this);
  return fIndexHint;
}

void TListItem::Update() {
  TCustomListView* view = GetListView();
  // Inside an update bracket the whole list is drawn again at its end.
  if (view != nullptr && view->HandleAllocated() && !view->Updating()) SendMessageW(view->fHandle, LVM_UPDATE, static_cast<WPARAM>(GetIndex()), 0);
}

void TListItem::SetCaption(const std::wstring& value) {
  TCustomListView* view = GetListView();
  if (view != nullptr && !view->CanChange(this, ctText)) return;
  fCaption = value;
  Update();
  if (view != nullptr) view->Change(this, ctText);
}

void TListItem::Redraw() {
  TCustomListView* view = GetListView();
  if (view == nullptr || !view->HandleAllocated() || view->Updating()) return;
  const WPARAM index = static_cast<WPARAM>(GetIndex());
  SendMessageW(view->fHandle, LVM_REDRAWITEMS, index, static_cast<LPARAM>(index));
}

void TListItem::SetImageIndex(int value) {
  if (value == fImageIndex) return;
  fImageIndex = value;
  // The image is asked for by callback: the item only needs drawing again,
  // which an arranged view does without arranging all its items.
  Redraw();
}

void TListItem::SetOverlayIndex(int value) {
  fOverlayIndex = value;
  TCustomListView* view = GetListView();
  if (view == nullptr || !view->HandleAllocated()) return;
  LVITEMW lv{};
  lv.stateMask = LVIS_OVERLAYMASK;
  lv.state = value >= 0 ? INDEXTOOVERLAYMASK(static_cast<UINT>(value + 1)) : 0;
  SendMessageW(view->fHandle, LVM_SETITEMSTATE, static_cast<WPARAM>(GetIndex()), reinterpret_cast<LPARAM>(&lv));
}

void TListItem::SetStateIndex(int value) {
  fStateIndex = value;
  TCustomListView* view = GetListView();
  if (view == nullptr || !view->HandleAllocated()) return;
  LVITEMW lv{};
  lv.stateMask = LVIS_STATEIMAGEMASK;
  lv.state = value >= 0 ? INDEXTOSTATEIMAGEMASK(static_cast<UINT>(value + 1)) : 0;
  SendMessageW(view->fHandle, LVM_SETITEMSTATE, static_cast<WPARAM>(GetIndex()), reinterpret_cast<LPARAM>(&lv));
}

bool TListItem::GetState(UINT mask) const {
  TCustomListView* view = GetListView();
  if (view == nullptr || !view->HandleAllocated()) return (fState & mask) != 0;
  return (SendMessageW(view->fHandle, LVM_GETITEMSTATE, static_cast<WPARAM>(GetIndex()), mask) & mask) != 0;
}

void TListItem::SetState(UINT mask, bool value) {
  fState = value ? (fState | mask) : (fState & ~mask);
  TCustomListView* view = GetListView();
  if (view == nullptr || !view->HandleAllocated()) return;
  LVITEMW lv{};
  lv.stateMask = mask;
  lv.state = value ? mask : 0;
  SendMessageW(view->fHandle, LVM_SETITEMSTATE, static_cast<WPARAM>(GetIndex()), reinterpret_cast<LPARAM>(&lv));
}

void TListItem::MakeVisible(bool PartialOK) {
  TCustomListView* view = GetListView();
  if (view != nullptr && view->HandleAllocated())
    SendMessageW(view->fHandle, LVM_ENSUREVISIBLE, static_cast<WPARAM>(GetIndex()), PartialOK);
}

bool TListItem::EditCaption() {
  TCustomListView* view = GetListView();
  if (view == nullptr) return false;
  view->SetFocus();
  return SendMessageW(view->GetHandle(), LVM_EDITLABELW, static_cast<WPARAM>(GetIndex()), 0) != 0;
}

RECT TListItem::DisplayRect(TDisplayCode Code) const {
  RECT r{};
  TCustomListView* view = GetListView();
  if (view == nullptr || !view->HandleAllocated()) return r;
  static constexpr int kCodes[] = {LVIR_BOUNDS, LVIR_ICON, LVIR_LABEL, LVIR_SELECTBOUNDS};
  r.left = kCodes[Code];
  SendMessageW(view->fHandle, LVM_GETITEMRECT, static_cast<WPARAM>(GetIndex()), reinterpret_cast<LPARAM>(&r));
  return r;
}

void TListItem::Delete() {
  if (fOwner != nullptr) fOwner->Delete(GetIndex());
}

// TListItems

TListItems::~TListItems() { fItems.clear(); }

TListItem* TListItems::Item(int index) const {
  if (index < 0 || index >= Count()) throw EListError(L"List index out of bounds (" + std::to_wstring(index) + L")");
  return fItems[static_cast<size_t>(index)].get();
}

int TListItems::IndexOf(const TListItem* item) const {
  for (size_t i = 0; i < fItems.size(); ++i)
    if (fItems[i].get() == item) return static_cast<int>(i);
  return -1;
}

TListItem* TListItems::Add() { return Insert(Count()); }

TListItem* TListItems::Insert(int index) {
  index = std::clamp(index, 0, Count());
  std::unique_ptr<TListItem> item(fOwner.CreateListItem());
  TListItem* raw = item.get();
  fItems.insert(fItems.begin() + index, std::move(item));
  raw->fIndexHint = index;
  InsertIntoWindow(raw, index);
  return raw;
}

void TListItems::InsertIntoWindow(TListItem* item, int index) {
  if (!fOwner.HandleAllocated()) return;
  LVITEMW lv{};
  lv.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
  lv.iItem = index;
  lv.pszText = LPSTR_TEXTCALLBACKW;
  lv.iImage = I_IMAGECALLBACK;
  lv.lParam = reinterpret_cast<LPARAM>(item);
  lv.stateMask = LVIS_SELECTED | LVIS_FOCUSED | LVIS_CUT | LVIS_DROPHILITED | LVIS_OVERLAYMASK | LVIS_STATEIMAGEMASK;
  lv.state = ItemStateBits(*item, item->fState, item->fOverlayIndex, item->fStateIndex);
  SendMessageW(fOwner.fHandle, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&lv));
  for (int i = 0; i < item->fSubItems.GetCount(); ++i) {
    LVITEMW sub{};
    sub.iSubItem = i + 1;
    sub.pszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(fOwner.fHandle, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&sub));
  }
}

void TListItems::Delete(int index) {
  TListItem* item = Item(index);
  fOwner.Delete(item);
  if (fOwner.HandleAllocated()) {
    fOwner.fDeleting = true;
    SendMessageW(fOwner.fHandle, LVM_DELETEITEM, static_cast<WPARAM>(index), 0);
    fOwner.fDeleting = false;
  }
  fItems.erase(fItems.begin() + index);
}

void TListItems::Move(int from, int to) {
  TListItem* item = Item(from);
  to = std::clamp(to, 0, Count() - 1);
  if (from == to) return;
  if (fOwner.HandleAllocated()) {
    item->fState = static_cast<UINT>(SendMessageW(fOwner.fHandle, LVM_GETITEMSTATE, static_cast<WPARAM>(from),
                                                  LVIS_SELECTED | LVIS_FOCUSED | LVIS_CUT | LVIS_DROPHILITED));
    fOwner.fDeleting = true;
    SendMessageW(fOwner.fHandle, LVM_DELETEITEM, static_cast<WPARAM>(from), 0);
    fOwner.fDeleting = false;
  }
  std::unique_ptr<TListItem> owned = std::move(fItems[static_cast<size_t>(from)]);
  fItems.erase(fItems.begin() + from);
  fItems.insert(fItems.begin() + to, std::move(owned));
  item->fIndexHint = to;
  InsertIntoWindow(item, to);
}

void TListItems::Clear() {
  for (auto& item : fItems) fOwner.Delete(item.get());
  if (fOwner.HandleAllocated()) {
    fOwner.fDeleting = true;
    SendMessageW(fOwner.fHandle, LVM_DELETEALLITEMS, 0, 0);
    fOwner.fDeleting = false;
  }
  fItems.clear();
}

void TListItems::BeginUpdate() { fUpdate.Begin(fOwner.fHandle); }

void TListItems::EndUpdate() { fUpdate.End(fOwner.fHandle); }

// TListColumns

int TListColumns::Add(const std::wstring& caption, int width, TAlignment alignment) {
  fColumns.push_back({caption, width, alignment});
  const int index = Count() - 1;
  InsertIntoWindow(index);
  return index;
}

void TListColumns::InsertIntoWindow(int index) {
  if (!fOwner.HandleAllocated()) return;
  const TListColumn& column = fColumns[static_cast<size_t>(index)];
  LVCOLUMNW lv{};
  lv.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
  lv.fmt = FormatOf(column.Alignment);
  lv.cx = column.Width;
  lv.pszText = const_cast<wchar_t*>(column.Caption.c_str());
  lv.iSubItem = index;
  SendMessageW(fOwner.fHandle, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&lv));
}

void TListColumns::SetCaption(int index, const std::wstring& caption) {
  fColumns.at(static_cast<size_t>(index)).Caption = caption;
  if (!fOwner.HandleAllocated()) return;
  LVCOLUMNW lv{};
  lv.mask = LVCF_TEXT;
  lv.pszText = const_cast<wchar_t*>(caption.c_str());
  SendMessageW(fOwner.fHandle, LVM_SETCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&lv));
}

void TListColumns::SetWidth(int index, int width) {
  fColumns.at(static_cast<size_t>(index)).Width = width;
  if (fOwner.HandleAllocated()) SendMessageW(fOwner.fHandle, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(index), width);
}

int TListColumns::GetWidth(int index) const {
  if (fOwner.HandleAllocated())
    return static_cast<int>(SendMessageW(fOwner.fHandle, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(index), 0));
  return fColumns.at(static_cast<size_t>(index)).Width;
}

void TListColumns::Clear() {
  if (fOwner.HandleAllocated())
    for (int i = Count() - 1; i >= 0; --i) SendMessageW(fOwner.fHandle, LVM_DELETECOLUMN, static_cast<WPARAM>(i), 0);
  fColumns.clear();
}

// TCustomListView

TCustomListView::TCustomListView(TComponent* AOwner) : TWinControl(AOwner), fItems(*this), fColumns(*this) {
  fWidth = 250;
  fHeight = 150;
  fTabStop = true;
  SetColor(clWindow);
}

TCustomListView::~TCustomListView() {
  DestroyHandle();
  fItems.fItems.clear();
}

DWORD TCustomListView::ViewStyleBits() const {
  static constexpr DWORD kStyles[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
  return kStyles[fViewStyle];
}

void TCustomListView::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.ClassName = WC_LISTVIEWW;
  params.ExStyle |= WS_EX_CLIENTEDGE;
  params.Style |= LVS_SHAREIMAGELISTS | ViewStyleBits();
  if (!fMultiSelect) params.Style |= LVS_SINGLESEL;
  if (!fHideSelection) params.Style |= LVS_SHOWSELALWAYS;
  if (!fReadOnly) params.Style |= LVS_EDITLABELS;
  if (fAutoArrange) params.Style |= LVS_AUTOARRANGE;
}

void TCustomListView::InitializeWindow() {
  SendMessageW(fHandle, LVM_SETUNICODEFORMAT, TRUE, 0);
  SetExtendedStyle(fExtendedMask, fExtendedStyle);
  if (fAllocBy > 0) SendMessageW(fHandle, LVM_SETITEMCOUNT, static_cast<WPARAM>(fAllocBy), 0);
  AttachImages();
  for (int i = 0; i < fColumns.Count(); ++i) fColumns.InsertIntoWindow(i);
  SendMessageW(fHandle, WM_SETREDRAW, FALSE, 0);
  for (int i = 0; i < fItems.Count(); ++i) fItems.InsertIntoWindow(fItems.Item(i), i);
  if (!fItems.fUpdate.Active()) SendMessageW(fHandle, WM_SETREDRAW, TRUE, 0);
}

void TCustomListView::SaveWindowState() {
  const UINT mask = LVIS_SELECTED | LVIS_FOCUSED | LVIS_CUT | LVIS_DROPHILITED;
  for (int i = 0; i < fItems.Count(); ++i) {
    TListItem* item = fItems.Item(i);
    item->fState = static_cast<UINT>(SendMessageW(fHandle, LVM_GETITEMSTATE, static_cast<WPARAM>(i), mask));
  }
  for (int i = 0; i < fColumns.Count(); ++i)
    fColumns.fColumns[static_cast<size_t>(i)].Width =
        static_cast<int>(SendMessageW(fHandle, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0));
}

void TCustomListView::AttachImages() {
  if (!HandleAllocated()) return;
  auto handle = [](TCustomImageList* list) { return list != nullptr ? reinterpret_cast<LPARAM>(list->GetHandle()) : 0; };
  SendMessageW(fHandle, LVM_SETIMAGELIST, LVSIL_SMALL, handle(fSmallImages));
  SendMessageW(fHandle, LVM_SETIMAGELIST, LVSIL_NORMAL, handle(fLargeImages));
  SendMessageW(fHandle, LVM_SETIMAGELIST, LVSIL_STATE, handle(fStateImages));
}

void TCustomListView::SetSmallImages(TCustomImageList* value) {
  fSmallImages = value;
  AttachImages();
}

void TCustomListView::SetLargeImages(TCustomImageList* value) {
  fLargeImages = value;
  AttachImages();
}

void TCustomListView::SetStateImages(TCustomImageList* value) {
  fStateImages = value;
  AttachImages();
}

void TCustomListView::SetExtendedStyle(DWORD mask, DWORD style) {
  fExtendedMask |= mask;
  fExtendedStyle = (fExtendedStyle & ~mask) | (style & mask);
  if (!HandleAllocated()) return;
  DWORD allMask = fExtendedMask | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP;
  DWORD allStyle = fExtendedStyle | (fRowSelect ? LVS_EX_FULLROWSELECT : 0) | LVS_EX_INFOTIP;
  SendMessageW(fHandle, LVM_SETEXTENDEDLISTVIEWSTYLE, allMask, allStyle);
}

void TCustomListView::SetViewStyle(TViewStyle value) {
  if (value == fViewStyle) return;
  fViewStyle = value;
  if (!HandleAllocated()) return;
  const LONG_PTR style = GetWindowLongPtrW(fHandle, GWL_STYLE);
  SetWindowLongPtrW(fHandle, GWL_STYLE, (style & ~static_cast<LONG_PTR>(LVS_TYPEMASK)) | ViewStyleBits());
}

namespace {

void ToggleStyle(HWND window, DWORD bit, bool on) {
  if (window == nullptr) return;
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  SetWindowLongPtrW(window, GWL_STYLE, on ? (style | bit) : (style & ~static_cast<LONG_PTR>(bit)));
}

}  // namespace

void TCustomListView::SetMultiSelect(bool value) {
  fMultiSelect = value;
  ToggleStyle(fHandle, LVS_SINGLESEL, !value);
}

void TCustomListView::SetRowSelect(bool value) {
  fRowSelect = value;
  SetExtendedStyle(0, 0);
}

void TCustomListView::SetReadOnly(bool value) {
  fReadOnly = value;
  ToggleStyle(fHandle, LVS_EDITLABELS, !value);
}

void TCustomListView::SetHideSelection(bool value) {
  fHideSelection = value;
  ToggleStyle(fHandle, LVS_SHOWSELALWAYS, !value);
}

void TCustomListView::SetAutoArrange(bool value) {
  fAutoArrange = value;
  ToggleStyle(fHandle, LVS_AUTOARRANGE, value);
}

void TCustomListView::Arrange() {
  if (HandleAllocated()) SendMessageW(fHandle, LVM_ARRANGE, LVA_DEFAULT, 0);
}

void TCustomListView::SetAllocBy(int value) {
  fAllocBy = value;
  if (HandleAllocated() && value > 0) SendMessageW(fHandle, LVM_SETITEMCOUNT, static_cast<WPARAM>(value), 0);
}

TListItem* TCustomListView::GetNextItem(TListItem* StartItem, TSearchDirection Direction, UINT States) const {
  if (!HandleAllocated()) return nullptr;
  static constexpr UINT kDirections[] = {LVNI_ALL, LVNI_ABOVE, LVNI_BELOW, LVNI_TOLEFT, LVNI_TORIGHT};
  const int start = StartItem != nullptr ? StartItem->GetIndex() : -1;
  const int index = static_cast<int>(
      SendMessageW(fHandle, LVM_GETNEXTITEM, static_cast<WPARAM>(start), kDirections[Direction] | States));
  return index >= 0 && index < fItems.Count() ? fItems.Item(index) : nullptr;
}

TListItem* TCustomListView::GetSelected() const { return GetNextItem(nullptr, sdAll, LVNI_SELECTED); }

TListItem* TCustomListView::GetItemFocused() const { return GetNextItem(nullptr, sdAll, LVNI_FOCUSED); }

int TCustomListView::GetSelCount() const {
  if (!HandleAllocated()) {
    int count = 0;
    for (const auto& item : fItems.fItems) count += (item->fState & LVIS_SELECTED) != 0;
    return count;
  }
  return static_cast<int>(SendMessageW(fHandle, LVM_GETSELECTEDCOUNT, 0, 0));
}

UINT TCustomListView::GetHitTestInfoAt(int X, int Y) const {
  if (!HandleAllocated()) return 0;
  LVHITTESTINFO info{};
  info.pt = POINT{X, Y};
  SendMessageW(fHandle, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info));
  return info.flags;
}

TListItem* TCustomListView::GetItemAt(int X, int Y) const {
  if (!HandleAllocated()) return nullptr;
  LVHITTESTINFO info{};
  info.pt = POINT{X, Y};
  const int index = static_cast<int>(SendMessageW(fHandle, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
  if (index < 0 || (info.flags & LVHT_ONITEM) == 0 || index >= fItems.Count()) return nullptr;
  return fItems.Item(index);
}

namespace {

struct TSortContext {
  TCustomListView* View;
  const std::function<int(TListItem*, TListItem*)>* Compare;
  LPARAM Data;
};

}  // namespace

int CALLBACK TCustomListView::CompareItems(LPARAM a, LPARAM b, LPARAM sort) {
  auto* context = reinterpret_cast<TSortContext*>(sort);
  auto* first = reinterpret_cast<TListItem*>(a);
  auto* second = reinterpret_cast<TListItem*>(b);
  if (context->Compare != nullptr && *context->Compare) return (*context->Compare)(first, second);
  int result = 0;
  if (context->View->OnCompare) context->View->OnCompare(context->View, first, second, context->Data, result);
  return result;
}

bool TCustomListView::CustomSort(const std::function<int(TListItem*, TListItem*)>& compare, LPARAM data) {
  TSortContext context{this, &compare, data};
  if (!HandleAllocated()) {
    std::stable_sort(fItems.fItems.begin(), fItems.fItems.end(), [&](const auto& a, const auto& b) {
      return CompareItems(reinterpret_cast<LPARAM>(a.get()), reinterpret_cast<LPARAM>(b.get()),
                          reinterpret_cast<LPARAM>(&context)) < 0;
    });
    return true;
  }
  const bool sorted = SendMessageW(fHandle, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&context),
                                   reinterpret_cast<LPARAM>(&TCustomListView::CompareItems)) != 0;
  ReorderFromWindow();
  return sorted;
}

void TCustomListView::ReorderFromWindow() {
  std::unordered_map<TListItem*, std::unique_ptr<TListItem>> byPointer;
  for (auto& item : fItems.fItems) {
    TListItem* raw = item.get();
    byPointer.emplace(raw, std::move(item));
  }
  std::vector<std::unique_ptr<TListItem>> ordered;
  ordered.reserve(byPointer.size());
  const int count = static_cast<int>(SendMessageW(fHandle, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    LVITEMW lv{};
    lv.mask = LVIF_PARAM;
    lv.iItem = i;
    SendMessageW(fHandle, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lv));
    auto it = byPointer.find(reinterpret_cast<TListItem*>(lv.lParam));
    if (it == byPointer.end()) continue;
    it->second->fIndexHint = static_cast<int>(ordered.size());
    ordered.push_back(std::move(it->second));
    byPointer.erase(it);
  }
  for (auto& rest : byPointer) ordered.push_back(std::move(rest.second));
  fItems.fItems = std::move(ordered);
}

HWND TCustomListView::GetHeaderHandle() const {
  return HandleAllocated() ? reinterpret_cast<HWND>(SendMessageW(fHandle, LVM_GETHEADER, 0, 0)) : nullptr;
}

void TCustomListView::SetColumnSortMark(int column, TSortMark mark) {
  HWND header = GetHeaderHandle();
  if (header == nullptr) return;
  HDITEMW item{};
  item.mask = HDI_FORMAT;
  if (!SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item))) return;
  item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
  if (mark == smAscending) item.fmt |= HDF_SORTUP;
  if (mark == smDescending) item.fmt |= HDF_SORTDOWN;
  SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
}

TSortMark TCustomListView::GetColumnSortMark(int column) const {
  HWND header = GetHeaderHandle();
  if (header == nullptr) return smNone;
  HDITEMW item{};
  item.mask = HDI_FORMAT;
  if (!SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item))) return smNone;
  if (item.fmt & HDF_SORTUP) return smAscending;
  if (item.fmt & HDF_SORTDOWN) return smDescending;
  return smNone;
}

bool TCustomListView::IsEditing() const {
  return HandleAllocated() && SendMessageW(fHandle, LVM_GETEDITCONTROL, 0, 0) != 0;
}

bool TCustomListView::SetBackgroundImage(const LVBKIMAGEW& image) {
  return SendMessageW(GetHandle(), LVM_SETBKIMAGEW, 0, reinterpret_cast<LPARAM>(&image)) != 0;
}

TListItem* TCustomListView::CreateListItem() {
  if (!OnCreateItemClass) return new TListItem(&fItems);
  TListItemClass itemClass = [](TListItems* owner) { return new TListItem(owner); };
  OnCreateItemClass(this, itemClass);
  return itemClass(&fItems);
}

void TCustomListView::GetImageIndex(TListItem* item) {
  if (OnGetImageIndex) OnGetImageIndex(this, item);
}

bool TCustomListView::CanEdit(TListItem* item) {
  bool allow = !fReadOnly;
  if (OnEditing) OnEditing(this, item, allow);
  return allow;
}

void TCustomListView::Edit(const LVITEMW& lv) {
  auto* item = reinterpret_cast<TListItem*>(lv.lParam);
  if (item == nullptr) {
    const int index = lv.iItem;
    if (index < 0 || index >= fItems.Count()) return;
    item = fItems.Item(index);
  }
  if (lv.pszText == nullptr) {
    if (OnCancelEdit) OnCancelEdit(this, item);
    return;
  }
  std::wstring text = lv.pszText;
  if (OnEdited) OnEdited(this, item, text);
  item->fCaption = text;
  item->Update();
}

bool TCustomListView::CanChange(TListItem* item, TItemChange change) {
  bool allow = true;
  if (OnChanging) OnChanging(this, item, change, allow);
  return allow;
}

void TCustomListView::Change(TListItem* item, TItemChange change) {
  if (OnChange) OnChange(this, item, change);
}

void TCustomListView::Delete(TListItem* item) {
  if (OnDeletion) OnDeletion(this, item);
}

void TCustomListView::InsertItem(TListItem* item) {
  if (OnInsert) OnInsert(this, item);
}

bool TCustomListView::CustomDrawItem(TListItem* item, TCustomDrawState state) {
  bool defaultDraw = true;
  if (OnCustomDrawItem) OnCustomDrawItem(this, item, state, defaultDraw);
  return defaultDraw;
}

void TCustomListView::InfoTip(TListItem* item, std::wstring& tip) {
  if (OnInfoTip) OnInfoTip(this, item, tip);
}

void TCustomListView::ColClick(int column) {
  if (OnColumnClick) OnColumnClick(this, column);
}

TItemChange TCustomListView::ChangeOf(UINT mask) {
  if (mask & LVIF_TEXT) return ctText;
  if (mask & LVIF_IMAGE) return ctImage;
  return ctState;
}

void TCustomListView::GetDispInfo(NMLVDISPINFOW* info) {
  auto* item = reinterpret_cast<TListItem*>(info->item.lParam);
  if (item == nullptr) {
    if (info->item.iItem < 0 || info->item.iItem >= fItems.Count()) return;
    item = fItems.Item(info->item.iItem);
  }
  if ((info->item.mask & LVIF_TEXT) != 0 && info->item.pszText != nullptr && info->item.cchTextMax > 0) {
    const int sub = info->item.iSubItem;
    const std::wstring* text = nullptr;
    if (sub == 0)
      text = &item->fCaption;
    else if (sub - 1 < item->fSubItems.GetCount())
      text = &item->fSubItems.Get(sub - 1);
    if (text != nullptr)
      lstrcpynW(info->item.pszText, text->c_str(), info->item.cchTextMax);
    else
      info->item.pszText[0] = L'\0';
  }
  if ((info->item.mask & LVIF_IMAGE) != 0 && info->item.iSubItem == 0) {
    GetImageIndex(item);
    info->item.iImage = item->fImageIndex;
  }
}

LRESULT TCustomListView::HandleNotify(NMHDR* header) {
  switch (header->code) {
    case LVN_GETDISPINFOW:
      GetDispInfo(reinterpret_cast<NMLVDISPINFOW*>(header));
      return 0;
    case LVN_BEGINLABELEDITW: {
      auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
      TListItem* item = info->item.iItem >= 0 && info->item.iItem < fItems.Count() ? fItems.Item(info->item.iItem) : nullptr;
      return item == nullptr || !CanEdit(item) ? TRUE : FALSE;
    }
    case LVN_ENDLABELEDITW: {
      auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
      LVITEMW lv = info->item;
      if (lv.iItem >= 0 && lv.iItem < fItems.Count()) lv.lParam = reinterpret_cast<LPARAM>(fItems.Item(lv.iItem));
      Edit(lv);
      return FALSE;  // the text comes from the item
    }
    case LVN_ITEMCHANGING: {
      auto* info = reinterpret_cast<NMLISTVIEW*>(header);
      auto* item = reinterpret_cast<TListItem*>(info->lParam);
      return item != nullptr && !CanChange(item, ChangeOf(info->uChanged)) ? TRUE : FALSE;
    }
    case LVN_ITEMCHANGED: {
      auto* info = reinterpret_cast<NMLISTVIEW*>(header);
      auto* item = reinterpret_cast<TListItem*>(info->lParam);
      if (item != nullptr && !Updating()) Change(item, ChangeOf(info->uChanged));
      return 0;
    }
    case LVN_DELETEITEM: {
      auto* info = reinterpret_cast<NMLISTVIEW*>(header);
      if (!fDeleting && info->lParam != 0) Delete(reinterpret_cast<TListItem*>(info->lParam));
      return 0;
    }
    case LVN_INSERTITEM: {
      auto* info = reinterpret_cast<NMLISTVIEW*>(header);
      if (info->lParam != 0) InsertItem(reinterpret_cast<TListItem*>(info->lParam));
      return 0;
    }
    case LVN_COLUMNCLICK:
      ColClick(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
      return 0;
    case LVN_GETINFOTIPW: {
      auto* info = reinterpret_cast<NMLVGETINFOTIPW*>(header);
      if (info->iItem < 0 || info->iItem >= fItems.Count() || info->pszText == nullptr || info->cchTextMax <= 0)
        return 0;
      std::wstring tip;
      InfoTip(fItems.Item(info->iItem), tip);
      lstrcpynW(info->pszText, tip.c_str(), info->cchTextMax);
      return 0;
    }
    case NM_CUSTOMDRAW: {
      if (!OnCustomDrawItem && !IsCustomDrawn()) return CDRF_DODEFAULT;
      auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
      return AnswerItemCustomDraw(draw->nmcd, draw->clrText, draw->clrTextBk, fCanvas, GetFont().GetColor(), GetColor(),
                                  [this](LPARAM item, TCustomDrawState state) {
                                    return CustomDrawItem(reinterpret_cast<TListItem*>(item), state);
                                  });
    }
    default:
      return 0;
  }
}

void TCustomListView::WndProc(TMessage& message) {
  if (message.Msg == CN_NOTIFY) {
    message.Result = HandleNotify(reinterpret_cast<NMHDR*>(message.LParam));
    return;
  }
  TWinControl::WndProc(message);
}

}  // namespace ts
