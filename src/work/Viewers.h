#pragma once
// How a control receives the results of the jobs it asked for; called on the
// main thread only.
#include <windows.h>
#include <unknwn.h>

#include <atomic>
#include <cstdint>

#include "toolkit/ComPtr.h"
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

// A job's reference to the viewer that asked for it. Controls count no
// references and may be gone once they have cancelled their jobs, so the job
// gives the viewer up on the owner's side and never later: when it hands the
// result over (on the main thread) or when it is terminated (by the owner's
// cancel, while the owner lives). A cancelled job never calls its viewer
// again, not even to release it.
template <typename T>
class TViewerReference {
public:
  explicit TViewerReference(T* viewer) noexcept : fViewer(viewer) {
    if (viewer != nullptr) viewer->AddRef();
  }
  ~TViewerReference() { Release(); }
  TViewerReference(const TViewerReference&) = delete;
  TViewerReference& operator=(const TViewerReference&) = delete;

  // Takes the viewer out; null when it was given up already.
  TComPtr<T> Take() noexcept { return TComPtr<T>::Attach(fViewer.exchange(nullptr)); }
  void Release() noexcept {
    if (T* viewer = fViewer.exchange(nullptr)) viewer->Release();
  }

private:
  std::atomic<T*> fViewer;
};

}  // namespace ts
