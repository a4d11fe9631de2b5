// The check-state job on the global pool: the states it hands to its viewer,
// what it does when its item, its list or the caller's identifier list goes
// away, and many of them reading a selection the main thread keeps changing.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "link/CheckBoxWorkItem.h"
#include "link/SelectionStatePrinter.h"
#include "shell/ItemIdListPaths.h"
#include "support/FreeCounter.h"
#include "support/MessagePump.h"
#include "support/TempFolder.h"
#include "toolkit/Synchronize.h"
#include "work/GlobalWorkerPool.h"

namespace ts::test {
namespace {

bool WaitForPool() {
  return PumpMessagesUntil([] { return !GlobalWorkerPool()->WorkActive(); }, 30000);
}

TCheckBoxWorkItem* AsJob(IWorkItem* item) {
  EXPECT_EQ(item->ClassType(), TCheckBoxWorkItem::StaticClass());
  return static_cast<TCheckBoxWorkItem*>(static_cast<TBasicWorkItem*>(item));
}

// A viewer that lives on the stack: it does not count references.
class TViewerBase : public ICheckBoxViewer {
public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ICheckBoxViewer)) {
      *object = static_cast<ICheckBoxViewer*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

class TRecordingViewer : public TViewerBase {
public:
  struct TAnswer {
    TNsSelectionState State;
    bool SubItem;
  };
  std::map<TWorkTag, TAnswer> Answers;
  bool OffMainThread = false;

  void CheckStateReady(IWorkItem* WorkItem) override {
    OffMainThread |= !IsMainThread();
    TCheckBoxWorkItem* job = AsJob(WorkItem);
    Answers[job->GetTag()] = {job->GetCheckState(), job->GetIsSubItemOf()};
  }
};

// root\a: f1.txt f2.txt; root\b: 12 files; root\c\d: e.txt; root\x.txt; outside.txt
class CheckStates : public ::testing::Test {
protected:
  CheckStates() {
    temp.MakeFile(L"outside.txt", "o");
    root = temp / L"root";
    paths = {temp.MakeFile(L"root\\a\\f1.txt", "1"), temp.MakeFile(L"root\\a\\f2.txt", "2"), root + L"\\a",
             temp.MakeFile(L"root\\c\\d\\e.txt", "e"), root + L"\\c", root + L"\\c\\d",
             temp.MakeFile(L"root\\x.txt", "x"), root};
    for (int i = 0; i < 12; ++i) paths.push_back(temp.MakeFile(L"root\\b\\file" + std::to_wstring(i) + L".txt", "b"));
    paths.push_back(root + L"\\b");
    for (const std::wstring& path : paths) pidls.emplace_back(PathToItemIdList(nullptr, path));
  }

  TTempFolder temp;
  std::wstring root;
  std::vector<std::wstring> paths;
  std::vector<TPidl> pidls;
};

TEST_F(CheckStates, TheViewerGetsEachItemsStateOnTheMainThread) {
  TNsSelectionList list(nullptr);
  list.AddPathToSelection(root + L"\\a");
  list.AddPathToSelection(root + L"\\c\\d\\e.txt");  // completes d, then c
  TRecordingViewer viewer;
  for (size_t i = 0; i < pidls.size(); ++i)
    GlobalWorkerPool()->AddWorkItem(new TCheckBoxWorkItem(pidls[i].Get(), &list, &viewer, i + 1, 77));
  TPidl missing(PathToItemIdList(nullptr, root + L"\\b\\file3.txt"));
  DeleteFileW((root + L"\\b\\file3.txt").c_str());
  GlobalWorkerPool()->AddWorkItem(new TCheckBoxWorkItem(missing.Get(), &list, &viewer, 100, 77));
  ASSERT_TRUE(WaitForPool());
  EXPECT_FALSE(viewer.OffMainThread);
  ASSERT_EQ(viewer.Answers.size(), pidls.size() + 1);
  for (size_t i = 0; i < pidls.size(); ++i) {
    bool sub = false;
    const TNsSelectionState expected = list.GetSelectionState(paths[i], sub);
    EXPECT_EQ(viewer.Answers[i + 1].State, expected) << paths[i];
    EXPECT_EQ(viewer.Answers[i + 1].SubItem, sub) << paths[i];
  }
  EXPECT_EQ(viewer.Answers[1].State, ssChecked);  // a\f1.txt, through a
  EXPECT_TRUE(viewer.Answers[1].SubItem);
  EXPECT_EQ(viewer.Answers[8].State, ssGrayed);  // root
  EXPECT_EQ(viewer.Answers[7].State, ssUnChecked);  // x.txt
  EXPECT_EQ(viewer.Answers[100].State, ssDisabled);  // gone from the disk
}

TEST_F(CheckStates, TheCallersListMayGoAtOnceAndTheJobsCopyGoesWithTheJob) {
  TFreeCounter& spy = FreeCounter();
  TNsSelectionList list(nullptr);
  list.AddPathToSelection(root + L"\\x.txt");
  TRecordingViewer viewer;
  TComPtr<TCheckBoxWorkItem> told, dropped;
  {
    // The caller frees its list right after queueing, as a tree node that
    // is deleted would.
    TPidl callers(PathToItemIdList(nullptr, root + L"\\x.txt"));
    told = TComPtr<TCheckBoxWorkItem>(new TCheckBoxWorkItem(callers.Get(), &list, &viewer, 1, 0));
    dropped = TComPtr<TCheckBoxWorkItem>(new TCheckBoxWorkItem(callers.Get(), &list, &viewer, 2, 0));
  }
  {
    std::lock_guard<std::mutex> guard(spy.Lock);
    spy.Freed = 0;
    spy.Watched = {const_cast<PItemIDList>(told->GetPIDL()), const_cast<PItemIDList>(dropped->GetPIDL())};
  }
  dropped->Terminate();
  GlobalWorkerPool()->AddWorkItem(told.Get());
  GlobalWorkerPool()->AddWorkItem(dropped.Get());
  ASSERT_TRUE(WaitForPool());
  ASSERT_EQ(viewer.Answers.size(), 1u);  // the one told to end delivers nothing
  EXPECT_EQ(viewer.Answers[1].State, ssChecked);
  EXPECT_EQ(told->GetCheckState(), ssChecked);
  // A worker lets go of its job just after the pool counts it done.
  ASSERT_TRUE(PumpMessagesUntil([&] { return told->RefCount() == 1 && dropped->RefCount() == 1; }, 30000));
  EXPECT_EQ(spy.Freed, 0);
  told = nullptr;
  dropped = nullptr;
  EXPECT_EQ(spy.Freed, 2);
}

// A list whose queries on worker threads wait at a gate, to hold a job
// inside it while the list is freed.
class TGatedList : public TNsSelectionList {
public:
  TGatedList() : TNsSelectionList(nullptr), fGate(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
                 fEntered(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~TGatedList() override {
    EndWorkerReads();
    Gone.store(true);
    CloseHandle(fGate);
    CloseHandle(fEntered);
  }
  TNsSelectionState GetSelectionState(const std::wstring& Path, bool& bIsSubItemOf) override {
    if (IsMainThread()) return TNsSelectionList::GetSelectionState(Path, bIsSubItemOf);
    if (Gone.load()) ++ReadsAfterFree;
    ++Entered;
    SetEvent(fEntered);
    WaitForSingleObject(fGate, INFINITE);
    return TNsSelectionList::GetSelectionState(Path, bIsSubItemOf);
  }
  bool WaitUntilEntered() { return WaitForSingleObject(fEntered, 30000) == WAIT_OBJECT_0; }
  void Open() { SetEvent(fGate); }

  static inline std::atomic<int> Entered{0};
  static inline std::atomic<int> ReadsAfterFree{0};
  static inline std::atomic<bool> Gone{false};

private:
  HANDLE fGate;
  HANDLE fEntered;
};

TEST_F(CheckStates, AListFreedWhileJobsReadItIsNotReadAfterwards) {
  auto* list = new TGatedList;
  list->AddPathToSelection(root + L"\\a");
  TRecordingViewer viewer;
  GlobalWorkerPool()->AddWorkItem(new TCheckBoxWorkItem(pidls[0].Get(), list, &viewer, 1, 0));
  ASSERT_TRUE(list->WaitUntilEntered());
  for (int i = 2; i <= 40; ++i)
    GlobalWorkerPool()->AddWorkItem(new TCheckBoxWorkItem(pidls[i % pidls.size()].Get(), list, &viewer, i, 0));
  list->Open();
  delete list;  // waits for the jobs inside; the others find no list
  ASSERT_TRUE(WaitForPool());
  EXPECT_EQ(TGatedList::ReadsAfterFree.load(), 0);
  EXPECT_EQ(static_cast<int>(viewer.Answers.size()), TGatedList::Entered.load());
  EXPECT_EQ(viewer.Answers[1].State, ssChecked);
}

// A job that tells when it has done its work, before it waits for the main
// thread to take its result.
class TSignallingJob : public TCheckBoxWorkItem {
public:
  TSignallingJob(PCItemIDList pidl, TNsSelectionList* list, ICheckBoxViewer* viewer)
      : TCheckBoxWorkItem(pidl, list, viewer, 1, 0), Done(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~TSignallingJob() override { CloseHandle(Done); }
  void PerformWork() override {
    TCheckBoxWorkItem::PerformWork();
    SetEvent(Done);
  }
  HANDLE Done;
};

// Calls MidChange in the middle of a change: after the entries below a
// folder that is being selected have gone, before its own entry comes.
class TPausingList : public TNsSelectionList {
public:
  TPausingList() : TNsSelectionList(nullptr) {}
  void RemoveDescendants(const std::wstring& p) override {
    TNsSelectionList::RemoveDescendants(p);
    // Once only.
    if (std::function<void()> call = std::exchange(MidChange, nullptr)) call();
  }
  std::function<void()> MidChange;
};

TEST_F(CheckStates, AJobReadsTheEntriesAsTheyStoodBeforeAChangeNotHalfwayThroughIt) {
  TPausingList list;
  list.AddPathToSelection(paths[0]);  // a\f1.txt
  TRecordingViewer viewer;
  TNsSelectionState duringF1 = ssUnused, duringA = ssUnused, liveF1 = ssUnused;
  list.MidChange = [&] {
    liveF1 = list.IsPathSelected(paths[0]);  // on the main thread: the entries as they stand
    TComPtr<TSignallingJob> f1(new TSignallingJob(pidls[0].Get(), &list, &viewer));
    TComPtr<TSignallingJob> a(new TSignallingJob(pidls[2].Get(), &list, &viewer));
    GlobalWorkerPool()->AddWorkItem(f1.Get());
    GlobalWorkerPool()->AddWorkItem(a.Get());
    ASSERT_EQ(WaitForSingleObject(f1->Done, 30000), WAIT_OBJECT_0);
    ASSERT_EQ(WaitForSingleObject(a->Done, 30000), WAIT_OBJECT_0);
    duringF1 = f1->GetCheckState();
    duringA = a->GetCheckState();
  };
  list.AddPathToSelection(paths[1]);  // f2.txt completes a: its entries give way to a\*
  ASSERT_TRUE(WaitForPool());
  EXPECT_EQ(liveF1, ssUnChecked);  // halfway: neither f1.txt nor a\* is an entry
  EXPECT_EQ(duringF1, ssChecked);
  EXPECT_EQ(duringA, ssGrayed);
  EXPECT_EQ(list.GetCount(), 1);
}

// Many jobs in flight while the main thread keeps changing the selection and
// items keep going away. a\f1.txt stays selected throughout (f2.txt comes
// and goes, completing a and exploding it again), so every answer for it is
// "checked" and every answer for a "checked" or "grayed": a query that read
// the entries halfway through a change could answer otherwise.
class TStressViewer : public TViewerBase {
public:
  enum TGroup : TWorkTag { kF1 = 1, kFolderA = 2, kOthers = 3 };
  std::set<TWorkTag> Alive;
  int Delivered = 0, ToDeadOwner = 0, Wrong = 0;

  void CheckStateReady(IWorkItem* WorkItem) override {
    TCheckBoxWorkItem* job = AsJob(WorkItem);
    ++Delivered;
    if (Alive.count(job->GetTag()) == 0) ++ToDeadOwner;
    const TNsSelectionState state = job->GetCheckState();
    switch (job->GetGroupTag()) {
      case kF1: Wrong += state != ssChecked; break;
      case kFolderA: Wrong += state != ssChecked && state != ssGrayed; break;
      default: Wrong += state != ssChecked && state != ssGrayed && state != ssUnChecked; break;
    }
  }
};

TEST_F(CheckStates, ManyJobsWhileTheSelectionChangesAndOwnersGo) {
  TNsSelectionList list(nullptr);
  list.AddPathToSelection(paths[0]);
  TStressViewer viewer;
  TWorkerThreadPool* pool = GlobalWorkerPool();
  TWorkTag nextOwner = 1000;
  std::map<TWorkTag, TWorkTag> groupOf;
  auto queue = [&](size_t item, TWorkTag group) {
    const TWorkTag owner = nextOwner++;
    viewer.Alive.insert(owner);
    groupOf[owner] = group;
    pool->AddWorkItem(new TCheckBoxWorkItem(pidls[item].Get(), &list, &viewer, owner, group));
  };
  uint32_t random = 12345;
  auto next = [&random](uint32_t bound) {
    random = random * 1103515245u + 12345u;
    return (random >> 16) % bound;
  };
  for (int round = 0; round < 300; ++round) {
    queue(0, TStressViewer::kF1);
    queue(2, TStressViewer::kFolderA);
    for (int i = 0; i < 4; ++i) queue(3 + next(static_cast<uint32_t>(pidls.size() - 3)), TStressViewer::kOthers);
    if (round % 2 == 0)
      list.AddPathToSelection(paths[1]);
    else
      list.RemovePathFromSelection(paths[1]);
    // Anything but a, f1.txt and root, which would take f1.txt with them.
    size_t changed = 3 + next(static_cast<uint32_t>(paths.size() - 3));
    if (paths[changed] == root) changed = 6;
    const std::wstring& other = paths[changed];
    if (next(2) == 0)
      list.AddPathToSelection(other);
    else
      list.RemovePathFromSelection(other);
    // Items go away: their jobs are ended by tag, a whole control's by group.
    if (round % 3 == 0) {
      for (int i = 0; i < 4 && !viewer.Alive.empty(); ++i) {
        auto it = viewer.Alive.begin();
        std::advance(it, next(static_cast<uint32_t>(viewer.Alive.size())));
        pool->TerminateWorkItems(*it);
        viewer.Alive.erase(it);
      }
    }
    if (round % 50 == 49) {
      pool->TerminateWorkItems(0, TStressViewer::kOthers);
      for (auto it = viewer.Alive.begin(); it != viewer.Alive.end();)
        it = groupOf[*it] == TStressViewer::kOthers ? viewer.Alive.erase(it) : std::next(it);
    }
    CheckSynchronize();
  }
  ASSERT_TRUE(WaitForPool());
  EXPECT_EQ(viewer.ToDeadOwner, 0);
  EXPECT_EQ(viewer.Wrong, 0);
  EXPECT_GT(viewer.Delivered, 300);

  // Once the changes stop, every answer is the one the main thread gets.
  TRecordingViewer settled;
  for (size_t i = 0; i < pidls.size(); ++i) pool->AddWorkItem(new TCheckBoxWorkItem(pidls[i].Get(), &list, &settled, i + 1, 5));
  ASSERT_TRUE(WaitForPool());
  ASSERT_EQ(settled.Answers.size(), pidls.size());
  for (size_t i = 0; i < pidls.size(); ++i) EXPECT_EQ(settled.Answers[i + 1].State, list.IsPathSelected(paths[i])) << paths[i];
}

}  // namespace
}  // namespace ts::test
