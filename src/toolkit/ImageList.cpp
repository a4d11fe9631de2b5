#include "toolkit/ImageList.h"

namespace ts {

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomImageList::~TCustomImageList() { FreeHandle(); }

UINT TCustomImageList::CreationFlags() const { return ILC_COLOR32 | (fMasked ? ILC_MASK : 0); }

HIMAGELIST TCustomImageList::GetHandle() {
  if (fHandle == nullptr && fWidth > 0 && fHeight > 0) {
    fHandle = ImageList_Create(fWidth, fHeight, CreationFlags(), 0, fAllocBy);
    if (fHandle != nullptr) ImageList_SetBkColor(fHandle, fBkColor == clNone ? CLR_NONE : ColorToRGB(fBkColor));
  }
  return fHandle;
}

void TCustomImageList::FreeHandle() {
  if (fHandle != nullptr && !fShareImages) ImageList_Destroy(fHandle);
  fHandle = nullptr;
}

void TCustomImageList::SetHandle(HIMAGELIST value) {
  FreeHandle();
  fHandle = value;
  if (fHandle != nullptr) {
    int width = 0, height = 0;
    if (ImageList_GetIconSize(fHandle, &width, &height)) {
      fWidth = width;
      fHeight = height;
    }
  }
  Change();
}

void TCustomImageList::SetOwnedHandle(HIMAGELIST value) {
  FreeHandle();
  fShareImages = false;
  SetHandle(value);
}

void TCustomImageList::Recreate() {
  if (fHandle == nullptr) return;
  FreeHandle();
  GetHandle();
  Change();
}

void TCustomImageList::SetWidth(int value) {
  if (value == fWidth) return;
  fWidth = value;
  Recreate();
}

void TCustomImageList::SetHeight(int value) {
  if (value == fHeight) return;
  fHeight = value;
  Recreate();
}

void TCustomImageList::SetMasked(bool value) {
  if (value == fMasked) return;
  fMasked = value;
  Recreate();
}

void TCustomImageList::SetBkColor(TColor value) {
  fBkColor = value;
  if (fHandle != nullptr) ImageList_SetBkColor(fHandle, value == clNone ? CLR_NONE : ColorToRGB(value));
  Change();
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle value) {
  if (value == fDrawingStyle) return;
  fDrawingStyle = value;
  Change();
}

int TCustomImageList::GetCount() { return fHandle != nullptr ? ImageList_GetImageCount(fHandle) : 0; }

int TCustomImageList::Add(HBITMAP image, HBITMAP mask) {
  HIMAGELIST handle = GetHandle();
  const int index = handle != nullptr ? ImageList_Add(handle, image, mask) : -1;
  Change();
  return index;
}

int TCustomImageList::AddMasked(HBITMAP image, TColor maskColor) {
  HIMAGELIST handle = GetHandle();
  const int index = handle != nullptr ? ImageList_AddMasked(handle, image, ColorToRGB(maskColor)) : -1;
  Change();
  return index;
}

int TCustomImageList::AddIcon(HICON icon) {
  HIMAGELIST handle = GetHandle();
  const int index = handle != nullptr ? ImageList_AddIcon(handle, icon) : -1;
  Change();
  return index;
}

void TCustomImageList::AddImages(TCustomImageList& source) {
  HIMAGELIST from = source.GetHandle();
  HIMAGELIST to = GetHandle();
  if (from == nullptr || to == nullptr) return;
  const int count = ImageList_GetImageCount(from);
  for (int i = 0; i < count; ++i) {
    HICON icon = ImageList_GetIcon(from, i, ILD_NORMAL);
    if (icon == nullptr) continue;
    ImageList_AddIcon(to, icon);
    DestroyIcon(icon);
  }
  Change();
}

void TCustomImageList::Replace(int index, HBITMAP image, HBITMAP mask) {
  if (fHandle != nullptr) ImageList_Replace(fHandle, index, image, mask);
  Change();
}

void TCustomImageList::Delete(int index) {
  if (fHandle != nullptr) ImageList_Remove(fHandle, index);
  Change();
}

void TCustomImageList::Clear() { Delete(-1); }

void TCustomImageList::Draw(TCanvas& canvas, int x, int y, int index, bool enabled) {
  if (fHandle == nullptr || canvas.GetHandle() == nullptr) return;
  static constexpr UINT kStyles[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};
  UINT style = kStyles[fDrawingStyle];
  if (!enabled) style |= ILD_BLEND50;
  ImageList_DrawEx(fHandle, index, canvas.GetHandle(), x, y, 0, 0,
                   fBkColor == clNone ? CLR_NONE : ColorToRGB(fBkColor), CLR_DEFAULT, style);
}

void TCustomImageList::Change() {
  if (OnChange) OnChange(this);
}

}  // namespace ts
