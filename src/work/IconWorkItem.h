#pragma once
// Finds an item's icon, opened icon or overlay on a worker thread and hands
// the index to its viewer.
#include <string>

#include "shell/ItemIdList.h"
#include "toolkit/ComPtr.h"
#include "work/Viewers.h"
#include "work/WorkItem.h"

namespace ts {

class TIconWorkItem : public TBasicWorkItem {
  TS_CLASS(TIconWorkItem, TBasicWorkItem)

public:
  TIconWorkItem(const std::wstring& aPath, TNsIconType aIconType, IIconViewer* aIconViewer, TWorkTag aTag,
                TWorkTag aGroupTag);
  // Takes ownership of aAbsoluteItemIdList (pass a fresh copy).
  TIconWorkItem(PItemIDList aAbsoluteItemIdList, TNsIconType aIconType, IIconViewer* aIconViewer, TWorkTag aTag,
                TWorkTag aGroupTag);

  void PerformWork() override;
  // Also gives up the viewer.
  void Terminate() override;
  int GetIconIndex() const noexcept { return fIconIndex; }

protected:
  virtual void DeliverResult();

private:
  std::wstring fPath;
  int fIconIndex = -1;
  TPidl fAbsoluteItemIdList;
  TViewerReference<IIconViewer> fIconViewer;
  TNsIconType fIconType;
};

}  // namespace ts
