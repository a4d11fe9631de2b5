#pragma once
// How a control receives the results of the jobs it asked for; called on the
// main thread only.
#include <windows.h>
#include <unknwn.h>

#include <cstdint>

#include "toolkit/Graphics.h"
#include "work/WorkItem.h"

namespace ts {

enum TNsIconType : uint8_t { itNormal, itOverlay, itSelected };

// {8F3C5E21-6A4B-4C0D-9B1E-2D7F6A5C4B31}
inline constexpr GUID IID_IIconViewer = {0x8f3c5e21, 0x6a4b, 0x4c0d, {0x9b, 0x1e, 0x2d, 0x7f, 0x6a, 0x5c, 0x4b, 0x31}};
// {8F3C5E22-6A4B-4C0D-9B1E-2D7F6A5C4B31}
inline constexpr GUID IID_IThumbnailViewer = {0x8f3c5e22, 0x6a4b, 0x4c0d, {0x9b, 0x1e, 0x2d, 0x7f, 0x6a, 0x5c, 0x4b, 0x31}};
// {8F3C5E23-6A4B-4C0D-9B1E-2D7F6A5C4B31}
inline constexpr GUID IID_ICheckBoxViewer = {0x8f3c5e23, 0x6a4b, 0x4c0d, {0x9b, 0x1e, 0x2d, 0x7f, 0x6a, 0x5c, 0x4b, 0x31}};

struct IIconViewer : public IUnknown {
  // IconIndex: a system image-list index, or -1.
  virtual void IconReady(int IconIndex, TNsIconType IconType, TWorkTag Tag) = 0;
};

struct IThumbnailViewer : public IUnknown {
  // The viewer takes Bitmap over (it may be null); Index is the slot kept for
  // the item.
  virtual void ThumbnailReady(TBitmap* Bitmap, int Index, TWorkTag Tag) = 0;
};

struct ICheckBoxViewer : public IUnknown {
  virtual void CheckStateReady(IWorkItem* WorkItem) = 0;
};

}  // namespace ts
