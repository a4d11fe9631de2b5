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

void TCheckBoxWorkItem::DeliverResult() {
  // The plain flag: the main thread must never wait on a paused job.
  if (TerminatedFlag().load() || !fAnswered || !fCheckBoxViewer) return;
  fCheckBoxViewer->CheckStateReady(this);
}

}  // namespace ts
