#pragma once
// The platform's process-wide list of file and folder icons in one size, for
// controls to draw shell icons by index, and the lookups that find an item's
// index (by identifier list, file, path or bare extension) without touching
// the disk where they can.
#include <windows.h>

#include <memory>
#include <string>

#include "shell/ItemIdList.h"
#include "toolkit/Graphics.h"
#include "toolkit/ImageList.h"

namespace ts {

enum TNsImageListSize : uint8_t { si_small, si_large, si_extralarge, si_jumbo };

class TNsSystemImageList : public TCustomImageList {
  TS_CLASS(TNsSystemImageList, TCustomImageList)

public:
  explicit TNsSystemImageList(TComponent* AOwner);

  TNsImageListSize GetSize() const noexcept { return fSize; }
  void SetSize(TNsImageListSize value);
  // Drops the handle and fetches it again: shared, the platform's own list;
  // not shared, a private copy that the component may change.
  void SetShareImages(bool value) override;
  // Fetches the platform's list for the current size.
  void SetImageListHandle();
  bool StoresImageData() const override { return false; }

  // A new bitmap (the caller's) with the icon centred; null on failure.
  std::unique_ptr<TBitmap> GetIconAsBitmap(int aHeigth, int aWidth, int aIconNumber, TColor BorderColor,
                                           TColor BackgroundColor);

  // The platform's list number for a size (the jumbo list from Vista on).
  static int ListNumberOf(TNsImageListSize size);
  static int GetIndexFromItemIdList(PCItemIDList AbsoluteItemIdList, TNsImageListSize aSize, bool Opened);
  static int GetIndexFromFileName(const std::wstring& FileName, TNsImageListSize aSize, bool Opened);
  static int GetIndexFromPathByExt(const std::wstring& Path, TNsImageListSize aSize, bool Opened);
  static int GetIndexFromExtension(const std::wstring& Extension, TNsImageListSize aSize, bool Opened);
  static int GetFolderIconNumber(bool opened);
  static std::wstring GetFileType(const std::wstring& Extension);
  // Gives the list an empty 32-bit platform list of its size (from Vista on).
  static void ConvertTo32BitImageList(TCustomImageList* ImageList);

protected:
  void Loaded() override;

private:
  static int GetIndexFromFile(const std::wstring& path, TNsImageListSize size, bool useAttributes, bool opened);
  static std::wstring DummyNameFor(const std::wstring& extension);

  TNsImageListSize fSize = si_small;
};

}  // namespace ts
