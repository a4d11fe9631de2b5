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
  // Viewers count no references and die right after cancelling their jobs;
  // a job that lives on (running, or waiting to be released on a worker)
  // must not call them, not even to release this reference. The viewer is
  // the caller here, and alive.
  fCheckBoxViewer.Reset();
}

void TCheckBoxWorkItem::DeliverResult() {
  // Released here on the main thread, where the viewer is alive, rather than
  // wherever the job happens to be destroyed.
  TComPtr<ICheckBoxViewer> viewer = std::move(fCheckBoxViewer);
  // The plain flag: the main thread must never wait on a paused job.
  if (TerminatedFlag().load() || !fAnswered || !viewer) return;
  viewer->CheckStateReady(this);
}

}  // namespace ts
