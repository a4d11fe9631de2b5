// The watch of one folder on Wine's real file system: changes made behind
// the shell's back reach the owner on the main thread, a burst in few calls,
// and a folder being watched can still be deleted.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "notify/DirectoryWatcher.h"
#include "shell/ProcessInfo.h"
#include "support/MessagePump.h"
#include "support/TempFolder.h"

namespace ts::test {
namespace {

constexpr unsigned kWait = 30000;

struct DirectoryWatcherTest : ::testing::Test {
  TTempFolder temp;
  TDirectoryWatcher watcher;
  std::vector<std::wstring> seen;
  int calls = 0;

  DirectoryWatcherTest() {
    watcher.OnChange = [this](const std::vector<std::wstring>& names) {
      ++calls;
      seen.insert(seen.end(), names.begin(), names.end());
    };
  }
  // Where the watch cannot name what changed, any call tells of it.
  bool Told(const std::wstring& name) const {
    if (RunningOnWine()) return calls > 0;
    return std::find(seen.begin(), seen.end(), name) != seen.end();
  }
};

TEST_F(DirectoryWatcherTest, AFileMadeRightAfterTheWatchStartsIsTold) {
  watcher.Watch(temp.Path());
  ASSERT_TRUE(watcher.Watching());
  temp.MakeFile(L"new.txt", "x");
  EXPECT_TRUE(PumpMessagesUntil([&] { return Told(L"new.txt"); }, kWait));
}

TEST_F(DirectoryWatcherTest, ABurstArrivesInFarFewerCallsThanChanges) {
  watcher.Watch(temp.Path());
  for (int i = 0; i < 200; ++i) temp.MakeFile(L"f" + std::to_wstring(i) + L".txt");
  ASSERT_TRUE(PumpMessagesUntil([&] { return Told(L"f199.txt"); }, kWait));
  EXPECT_LT(calls, 200);
}

TEST_F(DirectoryWatcherTest, StoppingOrAnotherFolderEndsTheOldWatch) {
  const std::wstring other = temp.MakeFolder(L"other");
  watcher.Watch(temp.Path());
  watcher.Watch(other);
  EXPECT_EQ(watcher.GetFolder(), other);
  temp.MakeFile(L"other\\inside.txt");
  ASSERT_TRUE(PumpMessagesUntil([&] { return Told(L"inside.txt"); }, kWait));

  watcher.Stop();
  EXPECT_FALSE(watcher.Watching());
  const int before = calls;
  temp.MakeFile(L"other\\late.txt");
  PumpMessagesFor(1000);
  EXPECT_EQ(calls, before);
}

TEST_F(DirectoryWatcherTest, AFolderThatCannotBeOpenedIsNotWatched) {
  watcher.Watch(temp / L"missing");
  EXPECT_FALSE(watcher.Watching());
  watcher.Watch(std::wstring(400, L'x'));
  EXPECT_FALSE(watcher.Watching());
  watcher.Watch(temp.MakeFile(L"file.txt"));
  EXPECT_FALSE(watcher.Watching());
}

TEST_F(DirectoryWatcherTest, AWatchedFolderCanBeDeletedAndItsEndIsTold) {
  const std::wstring doomed = temp.MakeFolder(L"doomed");
  temp.MakeFile(L"doomed\\inside.txt");
  watcher.Watch(doomed);
  RemoveTree(doomed);
  ASSERT_TRUE(PumpMessagesUntil([&] { return !watcher.Watching(); }, kWait));
  EXPECT_GT(calls, 0);
  EXPECT_EQ(GetFileAttributesW(doomed.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace ts::test
