#include "link/CheckBoxWorkItem.h"

namespace ts {

TCheckBoxWorkItem::TCheckBoxWorkItem(PCItemIDList aPIDL, TNsSelectionList* aSelectionList,
                                     ICheckBoxViewer* aCheckBoxViewer, TWorkTag aTag, TWorkTag aGroupTag)
    : fPIDL(CopyItemIdList(aPIDL)),
      fSelectionList(aSelectionList),
      fCheckBoxViewer(aCheckBoxViewer),
      fListLifetime(aSelectionList != nullptr ? aSelectionList->GetLifetime() : nullptr) {
  SetTag(aTag);
  SetGroupTag(aGroupTag);
  fOnWorkDone = [this] { DeliverResult(); };
}

void TCheckBoxWorkItem::PerformWork() {
  if (TerminatedFlag().load() || !fListLifetime || !fPIDL) return;
  try {
    fListLifetime->Read([this](TNsSelectionList& list) {
      fSelectionState = list.IsPIDLSelected(fPIDL.Get(), fIsSubItemOf);
      fAnswered = true;
    });
  } catch (...) {
    // No answer: the viewer keeps what it shows.
    fAnswered = false;
  }
}

void TCheckBoxWorkItem::Terminate() {
  TBasicWorkItem::Terminate();
  fCheckBoxViewer.Release();
}

void TCheckBoxWorkItem::DeliverResult() {
  TComPtr<ICheckBoxViewer> viewer = fCheckBoxViewer.Take();
  // The plain flag: the main thread must never wait on a paused job.
  if (TerminatedFlag().load() || !fAnswered || !viewer) return;
  viewer->CheckStateReady(this);
}

}  // namespace ts
