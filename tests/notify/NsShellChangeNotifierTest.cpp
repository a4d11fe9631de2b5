// The change notifier: its registrations, the receipt rules on messages the
// test sends itself, and changes reported by Wine's own notification service.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "notify/NsShellChangeNotifier.h"
#include "shell/ItemIdListPaths.h"
#include "shell/ShellGlobals.h"
#include "support/MessagePump.h"
#include "support/TempFolder.h"
#include "toolkit/Exception.h"
#include "toolkit/Strings.h"
#include "toolkit/Synchronize.h"
#include "work/GlobalWorkerPool.h"

namespace ts::test {
namespace {

struct TChange {
  TNotificationEvent Event;
  std::wstring Path1, Path2;
  bool Pidl;  // which of the two events
  bool operator==(const TChange&) const = default;
};

std::ostream& operator<<(std::ostream& out, const TChange& c) {
  return out << (c.Pidl ? "pidl " : "path ") << int(c.Event) << ' ' << WideToUtf8(c.Path1) << ' '
             << WideToUtf8(c.Path2);
}

// A notifier with both events recorded, on a clock the test sets.
struct TWatcher {
  TNsShellChangeNotifier notifier{nullptr};
  std::vector<TChange> changes;
  DWORD ticks = 100000;

  TWatcher() {
    notifier.TickCountSource = [this] { return ticks; };
    notifier.OnChange = [this](TObject* sender, TNotificationEvent event, const std::wstring& p1,
                               const std::wstring& p2) {
      EXPECT_EQ(sender, &notifier);
      EXPECT_TRUE(IsMainThread());
      changes.push_back({event, p1, p2, false});
    };
    notifier.OnChangePIDL = [this](TObject*, TNotificationEvent event, PCItemIDList a, PCItemIDList b) {
      // An image change's second value is a number, not a list.
      if (event == neImageListChange) b = nullptr;
      changes.push_back({event, ItemIdListToPath(a), ItemIdListToPath(b), true});
    };
  }

  // Delivers a change as the shell does.
  void Send(LONG shellEvent, PCItemIDList pidl1, PCItemIDList pidl2 = nullptr) {
    PCItemIDList lists[2] = {pidl1, pidl2};
    SendMessageW(notifier.GetHandle(), NsShellChangeMessage, reinterpret_cast<WPARAM>(lists), shellEvent);
  }
  // Waits for the path events that follow the given number of changes.
  bool WaitFor(size_t count) {
    return PumpMessagesUntil([&] { return changes.size() >= count; }, 30000);
  }
  std::vector<TChange> Only(bool pidl) const {
    std::vector<TChange> some;
    for (const TChange& c : changes)
      if (c.Pidl == pidl) some.push_back(c);
    return some;
  }
};

// Until every job of the global pool (if any) has ended and no call waits
// for the main thread: nothing that is on its way can arrive later.
bool WaitUntilNothingIsOnItsWay() {
  return PumpMessagesUntil(
      [] {
        TWorkerThreadPool* pool = GlobalWorkerPool();
        return (pool == nullptr || !pool->WorkActive()) && PendingSynchronizeCount() == 0;
      },
      30000);
}

// The test programs run with the global pool, as the program does; this
// takes it away for a while.
class TWithoutGlobalPool {
public:
  TWithoutGlobalPool() { DestroyGlobalWorkerPool(); }
  ~TWithoutGlobalPool() { CreateGlobalWorkerPool(); }
  TWithoutGlobalPool(const TWithoutGlobalPool&) = delete;
  TWithoutGlobalPool& operator=(const TWithoutGlobalPool&) = delete;
};

class NotifierReceiptTest : public ::testing::Test {
protected:
  NotifierReceiptTest() {
    file = temp.MakeFile(L"watched.txt", "x");
    other = temp.MakeFile(L"other.txt", "y");
    fileList.Reset(PathToItemIdList(nullptr, file));
    otherList.Reset(PathToItemIdList(nullptr, other));
    watcher.notifier.GetDirectories()->Add(temp.Path());
    watcher.notifier.SetEnabled(true);
  }

  TTempFolder temp;
  std::wstring file, other;
  TPidl fileList, otherList;
  TWatcher watcher;
};

TEST_F(NotifierReceiptTest, ThePidlEventComesAtOnceAndThePathEventLaterOnTheMainThread) {
  watcher.Send(SHCNE_UPDATEITEM, fileList.Get());
  ASSERT_EQ(watcher.changes.size(), 1u);
  EXPECT_EQ(watcher.changes[0], (TChange{neFileChange, file, L"", true}));
  ASSERT_TRUE(watcher.WaitFor(2));
  EXPECT_EQ(watcher.changes[1], (TChange{neFileChange, file, L"", false}));
  EXPECT_EQ(watcher.notifier.GetPrevEvent(), static_cast<DWORD>(SHCNE_UPDATEITEM));
}

TEST_F(NotifierReceiptTest, TheSameChangeWithin2500MsIsDroppedOnce) {
  watcher.notifier.OnChange = nullptr;
  watcher.Send(SHCNE_UPDATEITEM, fileList.Get());
  watcher.ticks += 1000;
  watcher.Send(SHCNE_UPDATEITEM, fileList.Get());
  EXPECT_EQ(watcher.changes.size(), 1u);
  watcher.ticks += 2000;  // 3 s after the one passed on
  watcher.Send(SHCNE_UPDATEITEM, fileList.Get());
  EXPECT_EQ(watcher.changes.size(), 2u);

  // Another event for the same item, or the same event for another item, passes.
  watcher.Send(SHCNE_ATTRIBUTES, fileList.Get());
  watcher.Send(SHCNE_UPDATEITEM, fileList.Get());
  watcher.Send(SHCNE_UPDATEITEM, otherList.Get());
  EXPECT_EQ(watcher.changes.size(), 5u);

  // The desktop's own changes are never echoes; the top bit of the number is ignored.
  watcher.Send(SHCNE_UPDATEDIR, DesktopItemIdList);
  watcher.Send(SHCNE_UPDATEDIR | SHCNE_INTERRUPT, DesktopItemIdList);
  EXPECT_EQ(watcher.changes.size(), 7u);
}

TEST_F(NotifierReceiptTest, FilteredAndUnknownEventsLeaveNoTrace) {
  watcher.notifier.OnChange = nullptr;
  watcher.Send(SHCNE_UPDATEITEM, fileList.Get());
  const DWORD ticks = watcher.notifier.GetPrevTicks();
  watcher.notifier.SetNotificationEvent(neFileDelete, false);
  EXPECT_FALSE(watcher.notifier.GetNotificationEvent(neFileDelete));
  watcher.ticks += 10;
  watcher.Send(SHCNE_DELETE, otherList.Get());
  watcher.Send(0x40000000, otherList.Get());  // not one of the shell's single events
  EXPECT_EQ(watcher.changes.size(), 1u);
  EXPECT_EQ(watcher.notifier.GetPrevEvent(), static_cast<DWORD>(SHCNE_UPDATEITEM));
  EXPECT_EQ(watcher.notifier.GetPrevTicks(), ticks);

  watcher.notifier.SetNotificationEvent(neUnknown, true);
  watcher.Send(0x40000000, otherList.Get());
  ASSERT_EQ(watcher.changes.size(), 2u);
  EXPECT_EQ(watcher.changes[1].Event, neUnknown);
}

TEST_F(NotifierReceiptTest, ImageAndAssociationChangesCarryNoPaths) {
  watcher.Send(SHCNE_UPDATEIMAGE, nullptr, reinterpret_cast<PCItemIDList>(static_cast<intptr_t>(42)));
  watcher.Send(SHCNE_ASSOCCHANGED, fileList.Get(), otherList.Get());
  ASSERT_TRUE(watcher.WaitFor(4));
  std::vector<TChange> paths = watcher.Only(false);
  ASSERT_EQ(paths.size(), 2u);
  EXPECT_EQ(paths[0], (TChange{neImageListChange, L"42", L"", false}));
  EXPECT_EQ(paths[1], (TChange{neAssociationChange, L"", L"", false}));
}

TEST_F(NotifierReceiptTest, ADisabledNotifierIgnoresTheMessage) {
  watcher.notifier.SetEnabled(false);
  watcher.Send(SHCNE_UPDATEITEM, fileList.Get());
  EXPECT_TRUE(watcher.changes.empty());
}

// Many changes at once, carried by several workers: the owner sees the path
// events in the order the shell reported them, each after its identifier
// list event.
TEST_F(NotifierReceiptTest, PathEventsKeepTheShellsOrderHoweverManyWorkersCarryThem) {
  ASSERT_NE(GlobalWorkerPool(), nullptr);
  const LONG events[] = {SHCNE_UPDATEITEM, SHCNE_ATTRIBUTES, SHCNE_CREATE, SHCNE_DELETE};
  std::vector<TChange> sent;
  for (int round = 0; round < 5; ++round) {
    watcher.changes.clear();
    sent.clear();
    for (int i = 0; i < 200; ++i) {
      watcher.ticks += 3000;  // never an echo
      const bool first = (i / 4) % 2 == 0;
      watcher.Send(events[i % 4], first ? fileList.Get() : otherList.Get());
      sent.push_back({NotificationEventOf(static_cast<DWORD>(events[i % 4])), first ? file : other, L"", false});
    }
    ASSERT_EQ(watcher.changes.size(), 200u);  // the identifier lists, at once
    ASSERT_TRUE(watcher.WaitFor(400));
    EXPECT_EQ(watcher.Only(false), sent) << "round " << round;
  }
}

TEST_F(NotifierReceiptTest, PathEventsStillOnTheirWayDieWithTheNotifier) {
  for (bool withPool : {true, false}) {
    std::unique_ptr<TWithoutGlobalPool> noPool;
    if (!withPool) noPool = std::make_unique<TWithoutGlobalPool>();
    int delivered = 0;
    {
      TNsShellChangeNotifier notifier(nullptr);
      notifier.GetDirectories()->Add(temp.Path());
      notifier.SetEnabled(true);
      notifier.OnChange = [&](TObject*, TNotificationEvent, const std::wstring&, const std::wstring&) {
        ++delivered;
      };
      for (int i = 0; i < 20; ++i) {
        PCItemIDList lists[2] = {i % 2 ? fileList.Get() : otherList.Get(), nullptr};
        SendMessageW(notifier.GetHandle(), NsShellChangeMessage, reinterpret_cast<WPARAM>(lists), SHCNE_UPDATEITEM);
      }
    }
    ASSERT_TRUE(WaitUntilNothingIsOnItsWay());
    EXPECT_EQ(delivered, 0) << (withPool ? "with" : "without") << " a pool";
  }
}

TEST_F(NotifierReceiptTest, WithoutAPoolThePathEventStillComesAfterTheMessage) {
  TWithoutGlobalPool noPool;
  watcher.Send(SHCNE_UPDATEITEM, fileList.Get());
  watcher.Send(SHCNE_DELETE, otherList.Get());
  ASSERT_EQ(watcher.changes.size(), 2u);
  EXPECT_EQ(watcher.changes[0], (TChange{neFileChange, file, L"", true}));
  EXPECT_EQ(watcher.changes[1], (TChange{neFileDelete, other, L"", true}));
  ASSERT_TRUE(watcher.WaitFor(4));
  EXPECT_EQ(watcher.changes[2], (TChange{neFileChange, file, L"", false}));
  EXPECT_EQ(watcher.changes[3], (TChange{neFileDelete, other, L"", false}));

  // Received while enabled, passed on after the notifier was disabled.
  watcher.changes.clear();
  watcher.Send(SHCNE_CREATE, fileList.Get());
  watcher.notifier.SetEnabled(false);
  ASSERT_TRUE(watcher.WaitFor(2));
  EXPECT_EQ(watcher.changes[1], (TChange{neFileCreate, file, L"", false}));
}

TEST(NotifierRegistrationTest, WithNothingNamedTheComputerIsWatchedUntilARealFolderIs) {
  TTempFolder temp;
  TNsShellChangeNotifier notifier(nullptr);
  notifier.OnChangePIDL = nullptr;
  notifier.SetRecursive(false);
  EXPECT_FALSE(notifier.GetEnabled());
  EXPECT_EQ(notifier.GetEventFilter().Value(), 1048575u);
  notifier.SetEnabled(true);
  auto* directories = static_cast<TNsShellChangeNotifierList*>(notifier.GetDirectories());
  ASSERT_EQ(directories->GetCount(), 1);
  EXPECT_EQ(directories->Get(0), L"");
  EXPECT_NE(directories->Registration(0), 0u);
  EXPECT_TRUE(notifier.GetRecursive());

  directories->Add(temp.Path() + L"\\");
  ASSERT_EQ(directories->GetCount(), 1);
  EXPECT_EQ(directories->Get(0), temp.Path());
  EXPECT_NE(directories->Registration(0), 0u);

  // The same folder again: a second entry with its own registration.
  directories->Add(temp.Path());
  ASSERT_EQ(directories->GetCount(), 2);
  EXPECT_NE(directories->Registration(1), 0u);
  EXPECT_NE(directories->Registration(0), directories->Registration(1));

  // Off and on again registers every folder anew.
  notifier.SetEnabled(false);
  EXPECT_EQ(directories->Registration(0), 0u);
  EXPECT_EQ(directories->Registration(1), 0u);
  notifier.SetEnabled(true);
  EXPECT_NE(directories->Registration(0), 0u);
  EXPECT_NE(directories->Registration(1), 0u);

  notifier.Clear();
  ASSERT_EQ(directories->GetCount(), 1);  // back to the implicit entry
  EXPECT_EQ(directories->Get(0), L"");
}

TEST(NotifierRegistrationTest, APidlReplacesTheImplicitEntry) {
  TTempFolder temp;
  TNsShellChangeNotifier notifier(nullptr);
  notifier.SetEnabled(true);
  ASSERT_EQ(notifier.GetDirectories()->GetCount(), 1);
  TPidl list(PathToItemIdList(nullptr, temp.Path()));
  notifier.SetPIDL(list.Get());
  EXPECT_EQ(notifier.GetDirectories()->GetCount(), 0);
  EXPECT_NE(notifier.GetPIDLNotifyHandle(), 0u);
  notifier.SetPIDL(nullptr);
  EXPECT_EQ(notifier.GetPIDLNotifyHandle(), 0u);
}

// Changes reported through the shell the way the shell itself reports them.
class NotifierShellTest : public ::testing::Test {
protected:
  void Report(LONG event, const std::wstring& path) { SHChangeNotify(event, SHCNF_PATHW | SHCNF_FLUSH, path.c_str(), nullptr); }

  TTempFolder temp;
  TTempFolder unwatched;
  TWatcher watcher;
};

TEST_F(NotifierShellTest, AWatchedFolderReportsCreatedFoldersAndDeletedFilesInOrder) {
  const std::wstring file = temp.MakeFile(L"doomed.txt", "x");
  watcher.notifier.GetDirectories()->Add(temp.Path());
  watcher.notifier.SetEnabled(true);

  const std::wstring folder = temp.MakeFolder(L"new folder");
  Report(SHCNE_MKDIR, folder);
  DeleteFileW(file.c_str());
  Report(SHCNE_DELETE, file);
  ASSERT_TRUE(watcher.WaitFor(4));
  ASSERT_TRUE(WaitUntilNothingIsOnItsWay());
  std::vector<TChange> pidls = watcher.Only(true), paths = watcher.Only(false);
  ASSERT_EQ(pidls.size(), 2u);
  EXPECT_EQ(pidls[0].Event, neFolderCreate);
  EXPECT_TRUE(SameText(pidls[0].Path1, folder));
  EXPECT_EQ(pidls[1].Event, neFileDelete);
  EXPECT_EQ(watcher.changes[0].Pidl, true);  // the identifier lists first
  ASSERT_EQ(paths.size(), 2u);
  EXPECT_EQ(paths[0].Event, neFolderCreate);
  EXPECT_TRUE(SameText(paths[0].Path1, folder));
  EXPECT_EQ(paths[1].Event, neFileDelete);
  EXPECT_TRUE(SameText(paths[1].Path1, file));
}

TEST_F(NotifierShellTest, AnUnwatchedFolderReportsNothing) {
  watcher.notifier.GetDirectories()->Add(temp.Path());
  watcher.notifier.OnChange = nullptr;
  watcher.notifier.SetEnabled(true);
  Report(SHCNE_MKDIR, unwatched.MakeFolder(L"elsewhere"));
  // A change of the watched folder after it: once that has come, the other
  // would have come before it.
  const std::wstring marker = temp.MakeFolder(L"marker");
  Report(SHCNE_MKDIR, marker);
  ASSERT_TRUE(watcher.WaitFor(1));
  ASSERT_EQ(watcher.changes.size(), 1u);
  EXPECT_TRUE(SameText(watcher.changes[0].Path1, marker));
}

TEST_F(NotifierShellTest, OnlyARecursiveRegistrationSeesDeeperFolders) {
  const std::wstring sub = temp.MakeFolder(L"sub");
  watcher.notifier.GetDirectories()->Add(temp.Path());
  watcher.notifier.OnChange = nullptr;
  watcher.notifier.SetRecursive(false);
  watcher.notifier.SetEnabled(true);
  Report(SHCNE_MKDIR, temp.MakeFolder(L"sub\\deep"));
  // A change of the folder itself after it: once that has come, the other
  // would have come before it.
  Report(SHCNE_UPDATEDIR, temp.Path());
  ASSERT_TRUE(watcher.WaitFor(1));
  ASSERT_EQ(watcher.changes.size(), 1u);
  EXPECT_EQ(watcher.changes[0].Event, neFolderUpdate);

  watcher.notifier.SetRecursive(true);
  const std::wstring deeper = temp.MakeFolder(L"sub\\deeper");
  Report(SHCNE_MKDIR, deeper);
  ASSERT_TRUE(watcher.WaitFor(2));
  EXPECT_TRUE(SameText(watcher.changes[1].Path1, deeper));
}

}  // namespace
}  // namespace ts::test
