// Items and lists die while their icon, overlay and thumbnail jobs are queued,
// running or waiting for the main thread: no result reaches a dead item or
// list, and nothing is left behind (identifier lists, GDI objects).
#include <gtest/gtest.h>

#include <objbase.h>

#include <cstring>
#include <new>

#include "ShellListPicturesSupport.h"
#include "shell/FakeNamespace.h"
#include "support/FreeCounter.h"
#include "support/TempFolder.h"

namespace ts::test {
namespace {

DWORD GdiObjects() { return GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS); }

// Any call through an interface of a freed list lands here.
std::atomic<int> gTrapped{0};
ULONG STDMETHODCALLTYPE Trap(void*) {
  ++gTrapped;
  return 0;
}
void* gTrapTable[128];

// A list whose freed memory is kept and filled with pointers to a table of
// traps: a job that calls its viewer after the list is gone (with a result,
// or only to let it go) is counted instead of running on freed memory.
class TWatchedList : public TRecordingList {
public:
  using TRecordingList::TRecordingList;

  static void* operator new(std::size_t size) { return ::operator new(size); }
  static void operator delete(void* memory, std::size_t size) {
    for (auto& entry : gTrapTable) entry = reinterpret_cast<void*>(&Trap);
    void* table = gTrapTable;
    auto* bytes = static_cast<unsigned char*>(memory);
    for (std::size_t at = 0; at + sizeof table <= size; at += sizeof table) std::memcpy(bytes + at, &table, sizeof table);
    // Kept on purpose: the memory must stay poisoned for the rest of the run.
  }
};
using TWatchedForm = TRecordingFormOf<TWatchedList>;

struct ShellListLifetimeTest : ::testing::Test {
  static TTempFolder* folder;

  // One folder of 2 000 files (with a small sub folder) for every test.
  static void SetUpTestSuite() {
    folder = new TTempFolder();
    for (int i = 0; i < 2000; ++i) folder->MakeFile(L"file " + std::to_wstring(10000 + i) + L".txt");
    for (int i = 0; i < 20; ++i) folder->MakeFile(L"sub\\inner " + std::to_wstring(i) + L".txt");
  }
  static void TearDownTestSuite() {
    delete folder;
    folder = nullptr;
  }
};

TTempFolder* ShellListLifetimeTest::folder = nullptr;

TEST_F(ShellListLifetimeTest, NavigatingBackAndForth200TimesWithJobsInFlightLosesNothing) {
  TFreeCounter& tracker = FreeCounter();
  const int trappedBefore = gTrapped.load();
  int dead = 0;
  size_t outstanding = 0;
  DWORD gdiBefore = 0;
  {
    TWatchedForm view(600, 700);
    TWatchedList* list = view.List;
    list->SetAutomaticRefresh(false);
    list->SetPath(folder->Path());
    view.Draw();
    ASSERT_TRUE(WaitForJobs());  // the image lists and caches the platform keeps are made
    gdiBefore = GdiObjects();
    tracker.StartTracking();
    for (int round = 0; round < 200; ++round) {
      if (round % 2 == 0)
        list->SetPath(*folder / L"sub");
      else
        list->GoUp();
      if (round % 40 == 17) list->SetThumbnails(!list->GetThumbnails());
      view.Draw();
      // Some results arrive between the moves, most are cancelled by them.
      PumpMessagesFor(static_cast<unsigned>(round % 4));
    }
    ASSERT_GT(list->IconsDelivered.size() + static_cast<size_t>(list->ThumbnailsDelivered), 0u);
    dead = list->DeadDeliveries;
    // The list goes with its last folder's jobs still in flight.
  }
  ASSERT_TRUE(WaitForJobs());
  PumpMessagesFor(20);
  outstanding = tracker.StopTracking();
  const size_t seen = tracker.Seen;  // no longer counted once tracking stops
  EXPECT_GT(seen, 200u * 20u);  // the spy did watch: every fill makes lists
  EXPECT_EQ(dead, 0);
  EXPECT_EQ(gTrapped.load(), trappedBefore);
  EXPECT_EQ(outstanding, 0u) << "identifier lists and other task-allocator blocks left behind";
  // Where the platform counts GDI objects (Wine answers 0), none are left.
  if (gdiBefore != 0) {
    EXPECT_LE(GdiObjects(), gdiBefore);
  }
}

TEST_F(ShellListLifetimeTest, ItemsDeletedWithJobsInFlightGetNoResults) {
  TRecordingForm view(600, 900);
  TRecordingList* list = view.List;
  list->SetAutomaticRefresh(false);
  list->SetPath(folder->Path());
  for (int round = 0; round < 20; ++round) {
    view.Draw();
    // Delete the drawn items at once, one by one, then the rest in one go.
    for (int i = std::min(30, list->GetItems().Count()) - 1; i >= 0; --i) list->GetItems().Delete(i);
    view.Draw();
    PumpMessagesFor(static_cast<unsigned>(round % 3));
    list->GetItems().Clear();
    if (round % 5 == 4) {
      list->SetThumbnails(!list->GetThumbnails());
    } else {
      list->FullRefresh();
    }
  }
  ASSERT_TRUE(WaitForJobs());
  EXPECT_EQ(list->DeadDeliveries, 0);
}

TEST_F(ShellListLifetimeTest, ListsDestroyedWithJobsRunningAreNeverCalledAgain) {
  const int trappedBefore = gTrapped.load();
  for (int round = 0; round < 20; ++round) {
    TWatchedForm view(600, 900);
    view.List->SetAutomaticRefresh(false);
    if (round % 2 == 1) view.List->SetThumbnails(true);
    view.List->SetPath(folder->Path());
    view.Draw();
    PumpMessagesFor(static_cast<unsigned>(round % 3));
    EXPECT_EQ(view.List->DeadDeliveries, 0);
  }
  ASSERT_TRUE(WaitForJobs());
  PumpMessagesFor(20);
  EXPECT_EQ(gTrapped.load(), trappedBefore);
}

// On a namespace the test sets up, whose folders hold the workers that bind
// them at a gate: the jobs are certainly running while their owners die.
class ShellListGatedLifetimeTest : public ::testing::Test {
protected:
  ShellListGatedLifetimeTest() {
    folder = &space.Add(space.Desktop(), L"Folder", SFGAO_FOLDER | SFGAO_FILESYSTEM);
    for (int i = 0; i < 60; ++i) space.Add(*folder, L"item " + std::to_wstring(100 + i), SFGAO_FILESYSTEM);
    gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  }
  ~ShellListGatedLifetimeTest() override {
    space.WorkerGate = nullptr;
    SetEvent(gate);
    WaitForJobs();
    CloseHandle(gate);
  }

  // Shows the folder; the overlay jobs of the drawn items bind it on workers
  // and wait at the gate.
  template <class TForm>
  void ShowWithJobsAtTheGate(TForm& view) {
    ResetEvent(gate);
    space.WorkerGate = gate;
    const int atGate = space.WorkersAtGate.load();
    view.List->SetAutomaticRefresh(false);
    TPidl shown(space.AbsoluteList(*folder));
    view.List->SetFolderIdList(shown.Get());
    view.Draw();
    ASSERT_GT(view.Drawn().size(), 5u);
    ASSERT_TRUE(PumpMessagesUntil([&] { return space.WorkersAtGate.load() > atGate; }, 30000));
  }
  void OpenGateAndWait() {
    SetEvent(gate);
    ASSERT_TRUE(WaitForJobs());
  }

  TFakeNamespace space;
  TFakeItem* folder;
  HANDLE gate;
};

TEST_F(ShellListGatedLifetimeTest, ItemsDeletedOrRefilledWhileTheirJobsRunGetNothing) {
  TRecordingForm view(500, 600);
  for (int run = 0; run < 10; ++run) {
    ShowWithJobsAtTheGate(view);
    // Some drawn items go one by one, the rest with a refill.
    for (int i = 0; i < 5; ++i) view.List->GetItems().Delete(0);
    if (run % 2 == 0)
      view.List->FullRefresh();
    else
      view.List->GetItems().Clear();
    OpenGateAndWait();
    EXPECT_EQ(view.List->DeadDeliveries, 0) << "run " << run;
  }
  // The list lives on and still gets its pictures.
  view.List->IconsDelivered.clear();
  view.List->FullRefresh();
  view.Draw();
  ASSERT_TRUE(WaitForJobs());
  EXPECT_FALSE(view.List->IconsDelivered.empty());
  EXPECT_EQ(view.List->DeadDeliveries, 0);
}

TEST_F(ShellListGatedLifetimeTest, AListDestroyedWhileItsJobsRunIsNeverCalledAgain) {
  const int trappedBefore = gTrapped.load();
  for (int run = 0; run < 10; ++run) {
    auto view = std::make_unique<TWatchedForm>(500, 600);
    ShowWithJobsAtTheGate(*view);
    view.reset();  // the list with it, its jobs waiting at the gate
    OpenGateAndWait();
    PumpMessagesFor(10);
    EXPECT_EQ(gTrapped.load(), trappedBefore) << "run " << run;
  }
}

}  // namespace
}  // namespace ts::test
