// The base of the shell lists: the link, the check-box viewer, filling items
// as they are first drawn, the font and the stretched column.
#include <algorithm>

#include "controls/ShellList.h"
#include "link/NsShellLink.h"
#include "shell/LookAndFeel.h"
#include "shell/NsSystemImageList.h"

namespace ts {

TNsBaseShellListView::TNsBaseShellListView(TComponent* AOwner)
    : TCustomListView(AOwner), fThumbNailImages(std::make_unique<TCustomImageList>(nullptr)) {
  fThumbNailImages->SetWidth(96);
  fThumbNailImages->SetHeight(96);
  fThumbNailImages->SetMasked(false);
  TNsSystemImageList::ConvertTo32BitImageList(fThumbNailImages.get());
}

TNsBaseShellListView::~TNsBaseShellListView() {
  if (fShellLink != nullptr) fShellLink->UnregisterShellControl(this);
  fShellLink = nullptr;
}

HRESULT STDMETHODCALLTYPE TNsBaseShellListView::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_INsShellControl))
    *object = static_cast<INsShellControl*>(this);
  else if (IsEqualIID(iid, IID_ICheckBoxViewer))
    *object = static_cast<ICheckBoxViewer*>(this);
  else
    *object = nullptr;
  return *object != nullptr ? S_OK : E_NOINTERFACE;
}

void TNsBaseShellListView::SetShellLink(TNsShellLink* value) { AssignShellLink(fShellLink, value, this); }

void TNsBaseShellListView::SelectAll() {
  if (HandleAllocated()) {
    LVITEMW lv{};
    lv.stateMask = LVIS_SELECTED;
    lv.state = LVIS_SELECTED;
    SendMessageW(GetHandle(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&lv));
  } else {
    for (int i = 0; i < GetItems().Count(); ++i) GetItems().Item(i)->SetSelected(true);
  }
  SetFocus();
}

void TNsBaseShellListView::CheckStateReady(IWorkItem*) {}

void TNsBaseShellListView::FillItem(TNsCheckableListItem* Item) {
  if (Item != nullptr) Item->fInitialized = true;
}

void TNsBaseShellListView::GetImageIndex(TListItem* item) { ItemImageRequested(item); }

void TNsBaseShellListView::ItemImageRequested(TListItem* item) {
  auto* checkable = item != nullptr && item->InheritsFrom(TNsCheckableListItem::StaticClass())
                        ? static_cast<TNsCheckableListItem*>(item)
                        : nullptr;
  if (checkable != nullptr && (!checkable->fInitialized || checkable->GetImageIndex() < 0)) FillItem(checkable);
  if (OnGetImageIndex) OnGetImageIndex(this, item);
}

void TNsBaseShellListView::SetUseSystemFont(bool value) {
  fUseSystemFont = value;
  ApplyUseSystemFont();
}

void TNsBaseShellListView::ApplyUseSystemFont() {
  if (fUseSystemFont && !GetParentFont()) AssignIconTitleFont(GetFont());
}

void TNsBaseShellListView::Loaded() {
  TCustomListView::Loaded();
  ApplyUseSystemFont();
}

void TNsBaseShellListView::SetAutoSizeColumn(int value) {
  fAutoSizeColumn = value;
  AdjustAutoSizeColumn();
}

void TNsBaseShellListView::AdjustAutoSizeColumn() {
  TListColumns& columns = GetColumns();
  if (fAutoSizeColumn < 0 || fAutoSizeColumn >= columns.Count()) return;
  int total = 0;
  for (int i = 0; i < columns.Count(); ++i) total += columns.GetWidth(i);
  const int width = columns.GetWidth(fAutoSizeColumn) + GetClientWidth() - total;
  columns.SetWidth(fAutoSizeColumn, std::max(80, width));
}

void TNsBaseShellListView::Resize() {
  TCustomListView::Resize();
  AdjustAutoSizeColumn();
}

void TNsBaseShellListView::SetCheckboxes(bool value) {
  fCheckBoxes = value;
  // Check boxes show the link's selection: without a link there are none.
  if (fCheckBoxes && fShellLink == nullptr && !IsLoading()) fCheckBoxes = false;
  FullRefresh();
}

}  // namespace ts
