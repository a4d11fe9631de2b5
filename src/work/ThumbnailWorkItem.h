#pragma once
// Makes an item's thumbnail on a worker thread and hands the bitmap to its
// viewer, which takes it over.
#include <memory>

#include "shell/ItemIdList.h"
#include "toolkit/ComPtr.h"
#include "toolkit/Graphics.h"
#include "work/Viewers.h"
#include "work/WorkItem.h"

namespace ts {

class TThumbnailWorkItem : public TBasicWorkItem {
  TS_CLASS(TThumbnailWorkItem, TBasicWorkItem)

public:
  // Keeps a copy of absItemIdList.
  TThumbnailWorkItem(PCItemIDList absItemIdList, int aWidth, int aHeight, IThumbnailViewer* aThumbnailViewer,
                     int aIndex, TWorkTag aTag, TWorkTag aGroupTag, bool pIconInstead);

  void PerformWork() override;
  // Also gives up the viewer.
  void Terminate() override;
  const TBitmap* GetBitmap() const noexcept { return fBitmap.get(); }

protected:
  virtual void DeliverResult();

private:
  int fWidth;
  int fHeight;
  std::unique_ptr<TBitmap> fBitmap;
  TPidl fAbsoluteItemIdList;
  TViewerReference<IThumbnailViewer> fThumbnailViewer;
  int fIndex;
  bool fIconInstead;
};

}  // namespace ts
