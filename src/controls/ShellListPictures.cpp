// The shell list view's pictures: a cheap placeholder as an item is first
// drawn (the extension's icon, the folder icon, or the large icon in a
// frame), the real icon, overlay or thumbnail from a job on the worker pool,
// thumbnail mode, the icon sizes, the colouring of compressed and encrypted
// items, and the background picture.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>

#include "controls/ShellList.h"
#include "shell/ErrorMode.h"
#include "shell/FileProbes.h"
#include "shell/NsSystemImageList.h"
#include "shell/ShellGlobals.h"
#include "toolkit/FilePaths.h"
#include "work/GlobalWorkerPool.h"
#include "work/IconWorkItem.h"
#include "work/ThumbnailWorkItem.h"

namespace ts {

namespace {

constexpr wchar_t kBackgroundFilePrefix[] = L"TNsShellListBackgroundImage_Temp";
// The compressed item's text, blue, and the encrypted item's, green (in the
// platform's blue-green-red order).
constexpr TColor kCompressedColor = 0xFF0000;
constexpr TColor kEncryptedColor = 0x008000;

// The bitmap at a new size, the picture kept at the top left and the added
// area in the window colour.
std::unique_ptr<TBitmap> Padded(TBitmap& source, int width, int height) {
  auto padded = std::make_unique<TBitmap>();
  padded->SetPixelFormat(source.GetPixelFormat() == pf32bit ? pf32bit : pf24bit);
  padded->SetSize(width, height);
  TCanvas& canvas = padded->GetCanvas();
  canvas.Brush.Color = clWindow;
  canvas.FillRect(RECT{0, 0, width, height});
  BitBlt(canvas.GetHandle(), 0, 0, source.GetWidth(), source.GetHeight(), source.GetCanvas().GetHandle(), 0, 0,
         SRCCOPY);
  return padded;
}

// The thumbnail image list blends its 32-bit pictures by their alpha. GDI
// leaves the alpha byte of what it draws at 0, so that a picture without an
// alpha channel, and the frame and padding drawn around one with it, would
// show as holes: they become opaque. The result is a 32-bit bitmap whose
// pixels inside picture keep the alpha they brought.
std::unique_ptr<TBitmap> ForImageList(std::unique_ptr<TBitmap> bitmap, const RECT& picture) {
  if (bitmap->GetPixelFormat() != pf32bit) {
    auto wide = std::make_unique<TBitmap>();
    wide->SetPixelFormat(pf32bit);
    wide->SetSize(bitmap->GetWidth(), bitmap->GetHeight());
    BitBlt(wide->GetCanvas().GetHandle(), 0, 0, bitmap->GetWidth(), bitmap->GetHeight(),
           bitmap->GetCanvas().GetHandle(), 0, 0, SRCCOPY);
    bitmap = std::move(wide);
  }
  bitmap->Dormant();
  DIBSECTION section{};
  if (bitmap->GetHandle() == nullptr ||
      GetObjectW(bitmap->GetHandle(), sizeof section, &section) != sizeof section || section.dsBm.bmBits == nullptr)
    return bitmap;
  GdiFlush();
  auto* bits = static_cast<BYTE*>(section.dsBm.bmBits);
  const int width = section.dsBm.bmWidth;
  const int height = section.dsBm.bmHeight;
  const int stride = section.dsBm.bmWidthBytes;
  const bool topDown = section.dsBmih.biHeight < 0;
  auto alpha = [&](int x, int y) -> BYTE& {
    const int row = topDown ? y : height - 1 - y;
    return bits[static_cast<size_t>(row) * static_cast<size_t>(stride) + static_cast<size_t>(x) * 4 + 3];
  };
  bool anyAlpha = false;
  for (int y = 0; y < height && !anyAlpha; ++y)
    for (int x = 0; x < width && !anyAlpha; ++x) anyAlpha = alpha(x, y) != 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (!anyAlpha || x < picture.left || x >= picture.right || y < picture.top || y >= picture.bottom)
        alpha(x, y) = 255;
  return bitmap;
}

}  // namespace

// The list's interfaces.

HRESULT STDMETHODCALLTYPE TNsShellList::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IIconViewer)) {
    *object = static_cast<IIconViewer*>(this);
    return S_OK;
  }
  if (IsEqualIID(iid, IID_IThumbnailViewer)) {
    *object = static_cast<IThumbnailViewer*>(this);
    return S_OK;
  }
  if (IsEqualIID(iid, IID_IDropTarget)) {
    *object = static_cast<IDropTarget*>(this);
    return S_OK;
  }
  if (IsEqualIID(iid, IID_IDropSource)) {
    *object = static_cast<IDropSource*>(this);
    return S_OK;
  }
  return TNsBaseShellListView::QueryInterface(iid, object);
}

void TNsShellList::QueueWorkItem(IWorkItem* WorkItem) {
  TComPtr<IWorkItem> job(WorkItem);
  if (TWorkerThreadPool* pool = GlobalWorkerPool()) pool->AddWorkItem(job.Get());
}

// Filling an item's pictures.

void TNsShellList::FillItemPictures(TNsShellListItem* Item) {
  const bool parent = Item->GetIsParentFolderItem();
  Item->SetPicturesRequested(true);
  PCItemIDList absolute = parent ? nullptr : Item->GetAbsolutePIDL();
  if (GetViewStyle() == vsIcon && fThumbnails) {
    // The parent-folder item is never marked filled, so it is asked again at
    // every paint: it keeps the slot it has rather than taking a new one each
    // time.
    if (parent && Item->GetImageIndex() >= 0) return;
    // A handler of OnThumbnailUpdated may refresh the list and free the item.
    if (!FillThumbnail(Item)) return;
  } else if (parent) {
    Item->SetImageIndex(TNsSystemImageList::GetFolderIconNumber(false));
    return;
  } else {
    // A placeholder that costs no disk access: the folder icon, or the icon
    // of the file's extension; the real one comes from the job.
    Item->SetImageIndex(Item->GetIsFolder() ? TNsSystemImageList::GetFolderIconNumber(false)
                                            : TNsSystemImageList::GetIndexFromExtension(
                                                  ExtractFileExt(GetFullPath(Item)), si_small, false));
    if (absolute != nullptr) {
      Item->NoteJobsQueued();
      QueueWorkItem(new TIconWorkItem(CopyItemIdList(absolute), itNormal, this, TagOf(Item), TagOf(this)));
    }
  }
  if (parent) return;
  RequestCheckState(Item);
  if (!fShowOverlayIcons) return;
  TFailCriticalErrorsScope errorMode;
  if (absolute != nullptr) {
    Item->NoteJobsQueued();
    QueueWorkItem(new TIconWorkItem(CopyItemIdList(absolute), itOverlay, this, TagOf(Item), TagOf(this)));
  }
  const ULONG attributes = fNsBrowser->GetAttributes(SFGAO_GHOSTED | SFGAO_HIDDEN | SFGAO_COMPRESSED | SFGAO_ENCRYPTED);
  if ((attributes & (SFGAO_GHOSTED | SFGAO_HIDDEN)) != 0) Item->SetCut(true);
  Item->SetIsCompressed(GetColorCompressed() && (attributes & SFGAO_COMPRESSED) != 0);
  Item->SetIsEncrypted(GetColorEncrypted() && (attributes & SFGAO_ENCRYPTED) != 0);
}

bool TNsShellList::FillThumbnail(TNsShellListItem* item) {
  std::unique_ptr<TBitmap> placeholder = fLargeSystemImageList->GetIconAsBitmap(
      fThumbnailHeight, fThumbnailWidth, fNsBrowser->GetIconNumber(), fThumbnailBorderColor, clNone);
  if (!placeholder) return true;
  const RECT inside{1, 1, placeholder->GetWidth() - 1, placeholder->GetHeight() - 1};
  placeholder = ForImageList(std::move(placeholder), inside);
  const int index = fThumbNailImages->Add(placeholder->GetHandle(), nullptr);
  item->SetImageIndex(index);
  // Taken before the handler runs, which may move the browser.
  TPidl absolute(CopyItemIdList(fNsBrowser->GetAbsoluteItemIdList()));
  if (OnThumbnailUpdated) {
    const int deletions = fItemDeletions;
    OnThumbnailUpdated(this, index, placeholder.get());
    // The handler may have refreshed the list (the item gone, the slot
    // emptied) or given the item a picture anew.
    if (!ItemSurvived(item, deletions) || item->GetImageIndex() != index || index >= fThumbNailImages->GetCount())
      return false;
    fNsBrowser->SetItemIdList(item->GetRelativePIDL());
    placeholder = ForImageList(std::move(placeholder), inside);
    if (index >= 0) fThumbNailImages->Replace(index, placeholder->GetHandle(), nullptr);
  }
  if (index >= 0 && !item->GetIsParentFolderItem() && absolute) {
    item->NoteJobsQueued();
    QueueWorkItem(new TThumbnailWorkItem(absolute.Get(), placeholder->GetWidth(), placeholder->GetHeight(), this,
                                         index, TagOf(item), TagOf(this), true));
  }
  return true;
}

// Results.

void TNsShellList::IconReady(int IconIndex, TNsIconType IconType, TWorkTag Tag) {
  if (!HandleAllocated()) return;
  try {
    SelectDroppedFiles();
    if (IconIndex < 0 || Tag == 0) return;
    auto* item = reinterpret_cast<TNsShellListItem*>(Tag);
    if (IconType == itNormal) {
      if (IconIndex != item->GetImageIndex()) item->SetImageIndex(IconIndex);
    } else if (IconType == itOverlay) {
      if (IconIndex != item->GetOverlayIndex()) item->SetOverlayIndex(IconIndex);
    }
  } catch (...) {
    // A picture that cannot be shown leaves the placeholder.
  }
}

void TNsShellList::ThumbnailReady(TBitmap* Bitmap, int Index, TWorkTag Tag) {
  std::unique_ptr<TBitmap> bitmap(Bitmap);
  if (!bitmap) return;
  if (Index < 0 || Index >= fThumbNailImages->GetCount()) return;
  fIsUpdatingThumbnails = true;
  struct TUpdating {
    bool& Flag;
    ~TUpdating() { Flag = false; }
  } updating{fIsUpdatingThumbnails};
  RECT picture{1, 1, bitmap->GetWidth() - 1, bitmap->GetHeight() - 1};
  if (bitmap->GetHeight() != fThumbnailHeight || bitmap->GetWidth() != fThumbnailWidth) {
    picture = RECT{1, 1, std::min(bitmap->GetWidth(), fThumbnailWidth - 1), std::min(bitmap->GetHeight(), fThumbnailHeight - 1)};
    bitmap = Padded(*bitmap, fThumbnailWidth, fThumbnailHeight);
  }
  TCanvas& canvas = bitmap->GetCanvas();
  canvas.Pen.Color = fThumbnailBorderColor;
  canvas.Brush.Clear = true;
  canvas.Rectangle(0, 0, bitmap->GetWidth(), bitmap->GetHeight());
  const int deletions = fItemDeletions;
  if (OnThumbnailUpdated) OnThumbnailUpdated(this, Index, bitmap.get());
  // The handler may have refreshed the list: the slot and the item are
  // looked up again.
  if (Index >= fThumbNailImages->GetCount()) return;
  bitmap = ForImageList(std::move(bitmap), picture);
  fThumbNailImages->Replace(Index, bitmap->GetHandle(), nullptr);
  auto* item = reinterpret_cast<TNsShellListItem*>(Tag);
  if (item != nullptr && ItemSurvived(item, deletions)) item->Redraw();
}

// Thumbnail mode and icon sizes.

void TNsShellList::AttachLargeImages() {
  SetLargeImages(fThumbnails ? fThumbNailImages.get() : static_cast<TCustomImageList*>(fLargeSystemImageList));
}

void TNsShellList::SetThumbnails(bool value) {
  if (value == fThumbnails) return;
  if (value) {
    TCustomListView::SetViewStyle(vsIcon);
    UpdateSortArrows();
    SetLargeImages(fThumbNailImages.get());
  } else {
    SetLargeImages(fLargeSystemImageList);
  }
  fThumbnails = value;
  FullRefresh();
}

void TNsShellList::SetThumbnailWidth(int value) {
  if (value == fThumbnailWidth || value <= 0) return;
  fThumbnailWidth = value;
  fThumbNailImages->SetWidth(value);
  ThumbnailSizeChanged();
}

void TNsShellList::SetThumbnailHeight(int value) {
  if (value == fThumbnailHeight || value <= 0) return;
  fThumbnailHeight = value;
  fThumbNailImages->SetHeight(value);
  ThumbnailSizeChanged();
}

void TNsShellList::SetThumbnailBorderColor(TColor value) {
  fThumbnailBorderColor = value;
  ThumbnailSizeChanged();
}

void TNsShellList::ThumbnailSizeChanged() {
  if (fIsUpdatingThumbnails) return;
  // Thumbnails still on their way were made for slots of the old list,
  // which now belong to other items or to none.
  if (TWorkerThreadPool* pool = GlobalWorkerPool())
    pool->TerminateWorkItems(0, TagOf(this), TThumbnailWorkItem::StaticClass());
  // Every item takes a new slot as it is drawn again: the old ones go, or
  // the list would grow at each change.
  fThumbNailImages->Clear();
  // Outside thumbnail mode the icon view keeps its icons.
  if (HandleAllocated() && fThumbnails) SetLargeImages(fThumbNailImages.get());
  TNsShellListItems& items = GetItems();
  for (int i = 0; i < items.Count(); ++i) items[i]->ResetPictures();
  if (HandleAllocated()) Arrange();
}

bool TNsShellList::GetShowExtraLargeIcons() const { return fLargeSystemImageList->GetSize() == si_extralarge; }

void TNsShellList::SetShowExtraLargeIcons(bool value) {
  fLargeSystemImageList->SetSize(value ? si_extralarge : si_large);
  // The list view holds the image list's handle, which the size changed.
  if (!fThumbnails) SetLargeImages(fLargeSystemImageList);
}

bool TNsShellList::GetShowJumboIcons() const { return fLargeSystemImageList->GetSize() == si_jumbo; }

void TNsShellList::SetShowJumboIcons(bool value) {
  fLargeSystemImageList->SetSize(value ? si_jumbo : si_large);
  if (!fThumbnails) SetLargeImages(fLargeSystemImageList);
}

// Colouring.

bool TNsShellList::CustomDrawItem(TListItem* item, TCustomDrawState state) {
  try {
    auto* shellItem = static_cast<TNsShellListItem*>(item);
    if (shellItem != nullptr) {
      if (GetColorCompressed() && shellItem->GetIsCompressed()) GetCanvas().FontColor = kCompressedColor;
      if (GetColorEncrypted() && shellItem->GetIsEncrypted()) GetCanvas().FontColor = kEncryptedColor;
      // The item a drag stands on is drawn as chosen, whatever the
      // platform's list makes of the drop highlight.
      if (shellItem == fDropItem) {
        GetCanvas().FontColor = clHighlightText;
        GetCanvas().Brush.Color = clHighlight;
      }
    }
  } catch (...) {
    // The colour is a nicety: the item is drawn anyway.
  }
  return TNsBaseShellListView::CustomDrawItem(item, state);
}

// The background picture.

void TNsShellList::SetBackgroundImage(const TBitmap& value) {
  fBackgroundImage->Assign(value);
  ApplyBackgroundImage();
}

void TNsShellList::SetBackgroundImageStyle(TNsBackgroundImageStyle value) {
  fBackgroundImageStyle = value;
  ApplyBackgroundImage();
}

void TNsShellList::ApplyBackgroundImage() {
  if (!HandleAllocated()) return;
  LVBKIMAGEW image{};
  std::wstring path;
  if (fBackgroundImage->GetWidth() > 0) {
    path = IncludeTrailingPathDelimiter(GetTempDirectory()) + kBackgroundFilePrefix +
           std::to_wstring(reinterpret_cast<uintptr_t>(GetHandle())) + L".bmp";
    image.ulFlags = LVBKIF_SOURCE_URL;
    image.pszImage = path.data();
    switch (fBackgroundImageStyle) {
      case bisLeftTop:
        image.xOffsetPercent = 0;
        image.yOffsetPercent = 0;
        break;
      case bisRightBottom:
        image.xOffsetPercent = 100;
        image.yOffsetPercent = 100;
        break;
      case bisTiled:
        image.ulFlags |= LVBKIF_STYLE_TILE;
        break;
    }
    // A picture that cannot be written is not shown.
    if (!fBackgroundImage->SaveToFile(path)) return;
    fBackgroundImagePath = path;
  } else {
    image.ulFlags = LVBKIF_SOURCE_NONE;
    DeleteBackgroundFile();
  }
  SendMessageW(GetHandle(), LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(CLR_NONE));
  TCustomListView::SetBackgroundImage(image);
}

void TNsShellList::DeleteBackgroundFile() {
  if (fBackgroundImagePath.empty()) return;
  DeleteFileW(fBackgroundImagePath.c_str());
  fBackgroundImagePath.clear();
}

}  // namespace ts
