#include "work/IconWorkItem.h"

#include "shell/NsBrowser.h"
#include "shell/NsSystemImageList.h"

namespace ts {

TIconWorkItem::TIconWorkItem(const std::wstring& aPath, TNsIconType aIconType, IIconViewer* aIconViewer,
                             TWorkTag aTag, TWorkTag aGroupTag)
    : fPath(aPath), fIconViewer(aIconViewer), fIconType(aIconType) {
  SetTag(aTag);
  SetGroupTag(aGroupTag);
  fOnWorkDone = [this] { DeliverResult(); };
}

TIconWorkItem::TIconWorkItem(PItemIDList aAbsoluteItemIdList, TNsIconType aIconType, IIconViewer* aIconViewer,
                             TWorkTag aTag, TWorkTag aGroupTag)
    : fAbsoluteItemIdList(aAbsoluteItemIdList), fIconViewer(aIconViewer), fIconType(aIconType) {
  SetTag(aTag);
  SetGroupTag(aGroupTag);
  fOnWorkDone = [this] { DeliverResult(); };
}

void TIconWorkItem::PerformWork() {
  if (fIconType != itOverlay) {
    const bool opened = fIconType == itSelected;
    if (fPath.empty()) {
      fIconIndex = TNsSystemImageList::GetIndexFromItemIdList(fAbsoluteItemIdList.Get(), si_small, opened);
      fAbsoluteItemIdList.Reset();
    } else {
      fIconIndex = TNsSystemImageList::GetIndexFromFileName(fPath, si_small, opened);
    }
    return;
  }
  try {
    TNsBrowser browser(static_cast<TComponent*>(nullptr));
    if (fPath.empty()) {
      browser.SetAbsoluteItemIdList(fAbsoluteItemIdList.Get());
      fAbsoluteItemIdList.Reset();
    } else {
      browser.SetObjectName(fPath);
    }
    fIconIndex = browser.GetOverlayIndex();
  } catch (...) {
    fIconIndex = -1;
  }
}

void TIconWorkItem::Terminate() {
  TBasicWorkItem::Terminate();
  fIconViewer.Release();
}

void TIconWorkItem::DeliverResult() {
  TComPtr<IIconViewer> viewer = fIconViewer.Take();
  // The plain flag: the main thread must never wait on a paused job.
  if (TerminatedFlag().load() || !viewer) return;
  viewer->IconReady(fIconIndex, fIconType, fTag);
}

}  // namespace ts
