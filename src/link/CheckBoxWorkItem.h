#pragma once
// Finds one item's check state in a selection list on a worker thread and
// hands it to the list or tree that asked (ICheckBoxViewer).
#include <memory>

#include "link/NsSelectionList.h"
#include "link/NsSelectionState.h"
#include "shell/ItemIdList.h"
#include "toolkit/ComPtr.h"
#include "work/Viewers.h"
#include "work/WorkItem.h"

namespace ts {

class TCheckBoxWorkItem : public TBasicWorkItem {
  TS_CLASS(TCheckBoxWorkItem, TBasicWorkItem)

public:
  // aPIDL (absolute) stays the caller's: the job works on a copy of its own,
  // made here, so that the caller may free or change its list at any time,
  // also while a job told to end still runs. The selection list is not owned
  // either; the job reads it only while it exists.
  TCheckBoxWorkItem(PCItemIDList aPIDL, TNsSelectionList* aSelectionList, ICheckBoxViewer* aCheckBoxViewer,
                    TWorkTag aTag, TWorkTag aGroupTag);

  void PerformWork() override;
  // Also gives up the viewer.
  void Terminate() override;

  TNsSelectionState GetCheckState() const noexcept { return fSelectionState; }
  bool GetIsSubItemOf() const noexcept { return fIsSubItemOf; }
  PCItemIDList GetPIDL() const noexcept { return fPIDL.Get(); }
  TNsSelectionList* GetSelectionList() const noexcept { return fSelectionList; }

protected:
  ~TCheckBoxWorkItem() override = default;
  // Main thread: the viewer gets the job, unless it was told to end or had
  // no list left to ask.
  virtual void DeliverResult();

private:
  TPidl fPIDL;
  bool fIsSubItemOf = false;
  TNsSelectionState fSelectionState = ssUnused;
  TNsSelectionList* fSelectionList;
  TViewerReference<ICheckBoxViewer> fCheckBoxViewer;
  std::shared_ptr<TNsSelectionListLifetime> fListLifetime;
  bool fAnswered = false;
};

}  // namespace ts
