#pragma once
// The image-list component: a platform image list of images of one size,
// with a masked flag, an allocation step, a background colour and a drawing
// style. A shared list only points at a handle someone else owns.
#include <windows.h>
#include <commctrl.h>

#include "toolkit/Component.h"
#include "toolkit/Graphics.h"
#include "toolkit/StringList.h"

namespace ts {

enum TDrawingStyle : uint8_t { dsFocus, dsSelected, dsNormal, dsTransparent };

class TCustomImageList : public TComponent {
  TS_CLASS(TCustomImageList, TComponent)

public:
  explicit TCustomImageList(TComponent* AOwner);
  ~TCustomImageList() override;

  // Made on first use with the current size; 0 when that fails.
  HIMAGELIST GetHandle();
  bool HandleAllocated() const noexcept { return fHandle != nullptr; }
  // Takes the handle (owned unless ShareImages); the old one goes.
  void SetHandle(HIMAGELIST value);
  int GetWidth() const noexcept { return fWidth; }
  void SetWidth(int value);
  int GetHeight() const noexcept { return fHeight; }
  void SetHeight(int value);
  bool GetMasked() const noexcept { return fMasked; }
  void SetMasked(bool value);
  int GetAllocBy() const noexcept { return fAllocBy; }
  void SetAllocBy(int value) noexcept { fAllocBy = value; }
  TColor GetBkColor() const noexcept { return fBkColor; }
  void SetBkColor(TColor value);
  TDrawingStyle GetDrawingStyle() const noexcept { return fDrawingStyle; }
  void SetDrawingStyle(TDrawingStyle value);
  bool GetShareImages() const noexcept { return fShareImages; }
  // Whether the handle is someone else's, which the list then never destroys.
  // Lists that fetch their handle themselves override it to fetch it anew.
  virtual void SetShareImages(bool value) { fShareImages = value; }
  // Takes value as the list's own handle, destroyed with the list; the old
  // handle goes as it was held.
  void SetOwnedHandle(HIMAGELIST value);
  // Whether streaming writes the images; lists of the platform's own do not.
  virtual bool StoresImageData() const { return true; }

  int GetCount();
  int Add(HBITMAP image, HBITMAP mask);
  int AddMasked(HBITMAP image, TColor maskColor);
  int AddIcon(HICON icon);
  // Every image of source, appended.
  void AddImages(TCustomImageList& source);
  void Replace(int index, HBITMAP image, HBITMAP mask);
  void Delete(int index);
  void Clear();
  void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true);

  TNotifyEvent OnChange;

protected:
  virtual void Change();
  UINT CreationFlags() const;

private:
  void FreeHandle();
  void Recreate();

  HIMAGELIST fHandle = nullptr;
  int fWidth = 16;
  int fHeight = 16;
  bool fMasked = true;
  int fAllocBy = 4;
  TColor fBkColor = clNone;
  TDrawingStyle fDrawingStyle = dsNormal;
  bool fShareImages = false;
};

}  // namespace ts
