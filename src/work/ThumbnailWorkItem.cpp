#include "work/ThumbnailWorkItem.h"

#include "shell/NsBrowser.h"

namespace ts {

TThumbnailWorkItem::TThumbnailWorkItem(PCItemIDList absItemIdList, int aWidth, int aHeight,
                                       IThumbnailViewer* aThumbnailViewer, int aIndex, TWorkTag aTag,
                                       TWorkTag aGroupTag, bool pIconInstead)
    : fWidth(aWidth),
      fHeight(aHeight),
      fAbsoluteItemIdList(CopyItemIdList(absItemIdList)),
      fThumbnailViewer(aThumbnailViewer),
      fIndex(aIndex),
      fIconInstead(pIconInstead) {
  SetTag(aTag);
  SetGroupTag(aGroupTag);
  fOnWorkDone = [this] { DeliverResult(); };
}

void TThumbnailWorkItem::PerformWork() {
  try {
    TNsBrowser browser(static_cast<TComponent*>(nullptr));
    browser.SetAbsoluteItemIdList(fAbsoluteItemIdList.Get());
    fAbsoluteItemIdList.Reset();
    fBitmap = browser.GetThumbnailBitmap(fWidth, fHeight, fIconInstead);
  } catch (...) {
    fBitmap.reset();
  }
}

void TThumbnailWorkItem::Terminate() {
  TBasicWorkItem::Terminate();
  fThumbnailViewer.Release();
}

void TThumbnailWorkItem::DeliverResult() {
  TComPtr<IThumbnailViewer> viewer = fThumbnailViewer.Take();
  if (TerminatedFlag().load() || !viewer) {
    fBitmap.reset();
    return;
  }
  viewer->ThumbnailReady(fBitmap.release(), fIndex, fTag);
}

}  // namespace ts
