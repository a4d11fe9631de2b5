// The list's automatic refresh on Wine's real shell: the shell's change
// notifications and the watch of the folder shown, gathered by one timer
// into one refresh, new items at their sorted places.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include "ShellListCommandsSupport.h"
#include "controls/ShellList.h"
#include "support/MessagePump.h"
#include "support/TempFolder.h"
#include "toolkit/ExtCtrls.h"

namespace ts::test {
namespace {

// Generous: the burst must be over long before the timer runs out, even on
// a busy machine.
constexpr unsigned kSlowTimer = 3000;
constexpr unsigned kWait = 30000;

void NotifyCreated(const std::wstring& path) {
  SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW | SHCNF_FLUSH, path.c_str(), nullptr);
}

struct ShellListRefreshTest : ::testing::Test {
  TTempFolder temp;
  TCommandForm view;
  TCommandList* list = view.List;

  void Show(const std::wstring& path) {
    list->SetViewStyle(vsReport);
    list->SetPath(path);
    list->SmartRefreshes = 0;
    list->FullRefreshes = 0;
  }
  bool TimerArmed() const { return list->GetUpdateTimer()->GetEnabled(); }
};

TEST_F(ShellListRefreshTest, AFileMadeBehindTheShellsBackAppearsAtItsSortedPlaceKeepingTheSelection) {
  temp.MakeFile(L"a.txt");
  temp.MakeFile(L"c.txt");
  Show(temp.Path());
  view.Select({L"c.txt"});
  temp.MakeFile(L"b.txt");  // no notification: only the folder's watch sees it
  ASSERT_TRUE(PumpMessagesUntil([&] { return view.ItemNamed(L"b.txt") != nullptr; }, kWait));
  EXPECT_EQ(view.Captions(), (Names{L"a.txt", L"b.txt", L"c.txt"}));
  EXPECT_TRUE(view.ItemNamed(L"c.txt")->GetSelected());
  EXPECT_FALSE(view.ItemNamed(L"b.txt")->GetSelected());
  EXPECT_EQ(list->FullRefreshes, 0);
}

TEST_F(ShellListRefreshTest, ABurstOfAHundredNotificationsMakesOneRefresh) {
  temp.MakeFile(L"first.txt");
  Show(temp.Path());
  list->GetUpdateTimer()->SetInterval(kSlowTimer);
  for (int i = 0; i < 100; ++i) NotifyCreated(temp.MakeFile(L"new" + std::to_wstring(1000 + i) + L".txt"));
  ASSERT_TRUE(PumpMessagesUntil([&] { return list->GetItems().Count() == 101; }, kWait));
  ASSERT_TRUE(PumpMessagesUntil([&] { return !TimerArmed(); }, kWait));
  EXPECT_EQ(list->SmartRefreshes, 1);
  const Names captions = view.Captions();
  EXPECT_TRUE(std::is_sorted(captions.begin(), captions.end()));
}

TEST_F(ShellListRefreshTest, TheThumbnailCacheAndOtherFoldersUpdatesAreIgnored) {
  temp.MakeFolder(L"other");
  temp.MakeFile(L"shown.txt");
  list->SetThumbnails(true);
  Show(temp.Path());
  const std::wstring cache = temp / L"Thumbs.db";
  SHChangeNotify(SHCNE_UPDATEITEM, SHCNF_PATHW | SHCNF_FLUSH, cache.c_str(), nullptr);
  const std::wstring other = temp / L"other";
  SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHW | SHCNF_FLUSH, other.c_str(), nullptr);
  PumpMessagesFor(100);
  EXPECT_FALSE(TimerArmed());

  // An update of the folder shown is one to show.
  SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHW | SHCNF_FLUSH, temp.Path().c_str(), nullptr);
  EXPECT_TRUE(PumpMessagesUntil([&] { return TimerArmed() || list->SmartRefreshes > 0; }, kWait));
}

TEST_F(ShellListRefreshTest, ADeletedFileGoesAtOnce) {
  temp.MakeFile(L"stays.txt");
  const std::wstring gone = temp.MakeFile(L"gone.txt");
  Show(temp.Path());
  list->GetUpdateTimer()->SetInterval(kSlowTimer);
  ASSERT_TRUE(DeleteFileW(gone.c_str()));
  SHChangeNotify(SHCNE_DELETE, SHCNF_PATHW | SHCNF_FLUSH, gone.c_str(), nullptr);
  ASSERT_TRUE(PumpMessagesUntil([&] { return view.ItemNamed(L"gone.txt") == nullptr; }, kWait));
  EXPECT_EQ(view.Captions(), (Names{L"stays.txt"}));
}

TEST_F(ShellListRefreshTest, AShownFolderDeletedBehindTheListsBackGivesTheDrives) {
  const std::wstring shown = temp.MakeFolder(L"shown");
  temp.MakeFile(L"shown\\file.txt");
  Show(shown);
  RemoveTree(shown);
  ASSERT_TRUE(PumpMessagesUntil([&] { return list->GetSpecialFolder() == SF_DRIVES; }, kWait));
  EXPECT_GT(list->GetItems().Count(), 0);
}

TEST_F(ShellListRefreshTest, WithoutAutomaticRefreshNothingIsWatched) {
  temp.MakeFile(L"a.txt");
  list->SetAutomaticRefresh(false);
  Show(temp.Path());
  NotifyCreated(temp.MakeFile(L"b.txt"));
  PumpMessagesFor(500);
  EXPECT_FALSE(TimerArmed());
  EXPECT_EQ(view.Captions(), (Names{L"a.txt"}));
}

}  // namespace
}  // namespace ts::test
