#include "controls/ShellComboFolder.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>

namespace ts {

namespace {

constexpr int kMinDroppedWidth = 250;
constexpr int kIconLeft = 2;
constexpr int kTextGap = 6;

}  // namespace

TNsCustomFolderCombo::TNsCustomFolderCombo(TComponent* AOwner)
    : TNsCustomEditComboBox(AOwner),
      fNsBrowser(std::make_unique<TNsBrowser>(this)),
      fImageList(std::make_unique<TNsSystemImageList>(nullptr)) {
  fIndentPixels = 10;
  SetStyle(csOwnerDrawFixed);
}

TNsCustomFolderCombo::~TNsCustomFolderCombo() { DestroyHandle(); }

void TNsCustomFolderCombo::CreateParams(TCreateParams& params) {
  TNsCustomEditComboBox::CreateParams(params);
  // The face is drawn (icon and all) rather than edited by the platform;
  // the edit field of its own lies over it.
  if (IsOwnerDrawn()) params.Style = (params.Style & ~static_cast<DWORD>(CBS_DROPDOWN | CBS_SIMPLE)) | CBS_DROPDOWNLIST;
}

void TNsCustomFolderCombo::InitializeWindow() {
  TNsCustomEditComboBox::InitializeWindow();
  // The face is as high as an item.
  SendMessageW(fHandle, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), ItemHeightFor(-1));
  fNsBrowser->Initialize();
  SizeEditField();
}

TNsComboItem* TNsCustomFolderCombo::ComboItem(int index) const {
  auto& items = const_cast<TNsCustomFolderCombo*>(this)->GetItems();
  if (index < 0 || index >= items.GetCount()) return nullptr;
  return static_cast<TNsComboItem*>(items.GetObject(index));
}

int TNsCustomFolderCombo::ItemHeightFor(int index) {
  int height = std::max(std::abs(GetFont().GetHeight()) + 5, DrawingImages().GetHeight());
  TCustomComboBox::MeasureItem(index, height);
  return height;
}

void TNsCustomFolderCombo::MeasureItem(int index, int& height) { height = ItemHeightFor(index); }

std::wstring TNsCustomFolderCombo::FaceText(TNsComboItem& item) { return item.GetDisplayName(); }

void TNsCustomFolderCombo::DrawItem(int index, const RECT& rect, TOwnerDrawState state) {
  TCanvas& canvas = GetCanvas();
  HDC dc = canvas.GetHandle();
  FNotDrawingInComboboxEdit = !state.Contains(odComboBoxEdit);
  if (OnDrawItem) {
    TCustomComboBox::DrawItem(index, rect, state);
    return;
  }
  const bool selected = state.Contains(odSelected);
  canvas.Brush.Color = selected ? clHighlight : GetColor();
  canvas.FontColor = selected ? clHighlightText : GetFont().GetColor();
  canvas.FillRect(rect);
  if (index < 0) return;
  TNsComboItem* item = ComboItem(index);
  if (item == nullptr) {
    // An entry without its object has nothing to show.
    if (index < GetItems().GetCount()) GetItems().Delete(index);
    return;
  }

  const int indent = FNotDrawingInComboboxEdit ? item->GetIndent() * fIndentPixels : 0;
  TNsSystemImageList& images = DrawingImages();
  const int imageIndex = item->GetImageIndex();
  if (HIMAGELIST list = images.GetHandle(); list != nullptr && imageIndex >= 0) {
    const int top = rect.top + (rect.bottom - rect.top - images.GetHeight()) / 2;
    const int left = rect.left + kIconLeft + indent;
    if (selected && FNotDrawingInComboboxEdit)
      ImageList_DrawEx(list, imageIndex, dc, left, top, 0, 0, CLR_NONE, ColorToRGB(clHighlight),
                       ILD_TRANSPARENT | ILD_BLEND50);
    else if (selected)
      ImageList_Draw(list, imageIndex, dc, left, top, ILD_NORMAL);
    else
      ImageList_Draw(list, imageIndex, dc, left, top, ILD_TRANSPARENT);
  }

  std::wstring text;
  if (FNotDrawingInComboboxEdit) {
    text = item->GetDisplayName();
  } else if (fEditField) {
    // The edit field shows the text; it is drawn again over the face.
    fEditField->Invalidate();
    return;
  } else {
    text = FaceText(*item);
  }
  const int left = rect.left + images.GetWidth() + kTextGap + indent;
  const SIZE extent = canvas.TextExtent(item->GetCaption().empty() ? text : item->GetCaption());
  const int top = rect.top + (rect.bottom - rect.top - extent.cy) / 2;
  canvas.Brush.Clear = true;
  canvas.TextOut(left, top, text);
  canvas.Brush.Clear = false;
}

void TNsCustomFolderCombo::DropDown() {
  if (HWND focus = GetFocus(); focus != fHandle && !IsChild(fHandle, focus)) SetFocus();
  RECT face;
  GetWindowRect(fHandle, &face);
  if (face.right - face.left < kMinDroppedWidth) SendMessageW(fHandle, CB_SETDROPPEDWIDTH, kMinDroppedWidth, 0);
  TNsCustomEditComboBox::DropDown();
}

}  // namespace ts
