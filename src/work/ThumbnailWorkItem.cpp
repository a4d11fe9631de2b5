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
  // Viewers count no references and die right after cancelling their jobs;
  // a job that lives on must not call them, not even to release this
  // reference. The viewer is the caller here, and alive.
  fThumbnailViewer.Reset();
}

void TThumbnailWorkItem::DeliverResult() {
  // Released here on the main thread, where the viewer is alive, rather than
  // wherever the job happens to be destroyed.
  TComPtr<IThumbnailViewer> viewer = std::move(fThumbnailViewer);
  if (TerminatedFlag().load() || !viewer) {
    fBitmap.reset();
    return;
  }
  viewer->ThumbnailReady(fBitmap.release(), fIndex, fTag);
}

}  // namespace ts
