#pragma once
// A shell list for the picture tests: it counts the jobs it queues per item
// (and may keep them from the pool), records what their results bring, and
// tells results for items that no longer exist.
#include <windows.h>

#include <map>
#include <mutex>
#include <set>
#include <vector>

#include "controls/ShellList.h"
#include "support/MessagePump.h"
#include "toolkit/Forms.h"
#include "work/GlobalWorkerPool.h"
#include "work/ThumbnailWorkItem.h"

namespace ts::test {

// The items alive now, kept by an item class of the test's.
struct TLiveItems {
  std::set<const void*> Items;
};

class TLiveItem : public TNsShellListItem {
public:
  TLiveItem(TListItems* owner, TLiveItems& live) : TNsShellListItem(owner), fLive(live) { fLive.Items.insert(this); }
  ~TLiveItem() override { fLive.Items.erase(this); }

private:
  TLiveItems& fLive;
};

class TRecordingList : public TNsShellList {
public:
  explicit TRecordingList(TComponent* owner) : TNsShellList(owner) {
    OnCreateItemClass = [this](TCustomListView*, TListItemClass& itemClass) {
      itemClass = [this](TListItems* items) { return new TLiveItem(items, Live); };
    };
  }
  // The items go while the set they leave still exists.
  ~TRecordingList() override { GetItems().Clear(); }

  void IconReady(int IconIndex, TNsIconType IconType, TWorkTag Tag) override {
    if (Live.Items.count(reinterpret_cast<const void*>(Tag)) == 0) ++DeadDeliveries;
    else if (IconType == itNormal) ++IconsDelivered[Tag];
    else if (IconType == itOverlay) ++OverlaysDelivered[Tag];
    TNsShellList::IconReady(IconIndex, IconType, Tag);
  }
  void ThumbnailReady(TBitmap* Bitmap, int Index, TWorkTag Tag) override {
    if (Live.Items.count(reinterpret_cast<const void*>(Tag)) == 0) ++DeadDeliveries;
    else ++ThumbnailsDelivered;
    if (Bitmap != nullptr) ThumbnailWidths.push_back(Bitmap->GetWidth());
    TNsShellList::ThumbnailReady(Bitmap, Index, Tag);
  }

  TLiveItems Live;
  int DeadDeliveries = 0;
  std::map<TWorkTag, int> IconsDelivered;
  std::map<TWorkTag, int> OverlaysDelivered;
  std::map<TWorkTag, int> JobsQueued;
  int ThumbnailsDelivered = 0;
  std::vector<int> ThumbnailWidths;
  // Keeps the jobs from the pool (where workers would meet a test's fakes).
  bool DropJobs = false;

protected:
  void QueueWorkItem(IWorkItem* WorkItem) override {
    TComPtr<IWorkItem> job(WorkItem);
    ++JobsQueued[job->GetTag()];
    if (!DropJobs) TNsShellList::QueueWorkItem(job.Get());
  }
};

// Waits until the pool has run (or dropped) every job and their results
// reached the main thread.
inline bool WaitForJobs(unsigned timeoutMs = 60000) {
  TWorkerThreadPool* pool = GlobalWorkerPool();
  return PumpMessagesUntil([pool] { return pool == nullptr || !pool->WorkActive(); }, timeoutMs);
}

// A shown form filled by a recording list (of the class TList).
template <class TList>
struct TRecordingFormOf {
  TForm Form{nullptr};
  TList* List;

  explicit TRecordingFormOf(int width = 500, int height = 300) {
    Form.SetBounds(20, 20, width, height);
    List = new TList(&Form);
    List->SetAlign(alClient);
    List->SetParent(&Form);
    Form.Show();
  }
  void Draw() const {
    InvalidateRect(List->GetHandle(), nullptr, TRUE);
    UpdateWindow(List->GetHandle());
  }
  // The items the list view has drawn (filled) so far.
  std::vector<TNsShellListItem*> Drawn() const {
    std::vector<TNsShellListItem*> drawn;
    for (int i = 0; i < List->GetItems().Count(); ++i)
      if (List->GetItems()[i]->GetInitialized()) drawn.push_back(List->GetItems()[i]);
    return drawn;
  }
};
using TRecordingForm = TRecordingFormOf<TRecordingList>;

}  // namespace ts::test
