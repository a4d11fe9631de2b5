// The path list and the navigation history.
#include <gtest/gtest.h>

#include <objbase.h>

#include <set>

#include "shell/ItemIdListPaths.h"
#include "shell/NsPathList.h"
#include "shell/PidlHistory.h"
#include "shell/ShellGlobals.h"
#include "support/FreeCounter.h"
#include "support/TempFolder.h"
#include "toolkit/Exception.h"
#include "toolkit/Strings.h"

namespace ts::test {
namespace {

struct TNotices {
  std::vector<std::pair<std::wstring, int>> Added, Removed;
  void Watch(TNsPathList& list) {
    list.OnAdd = [this](const std::wstring& path, int index) { Added.emplace_back(path, index); };
    list.OnRemove = [this](const std::wstring& path, int index) { Removed.emplace_back(path, index); };
  }
};

TEST(NsPathListTest, HoldsEachPathOnceInItsNormalForm) {
  TTempFolder temp;
  TNsPathList list;
  TNotices notices;
  notices.Watch(list);
  EXPECT_TRUE(list.GetSorted());
  EXPECT_FALSE(list.GetCaseSensitive());
  EXPECT_EQ(list.GetDelimiter(), L';');
  EXPECT_TRUE(list.GetStrictDelimiter());
  EXPECT_TRUE(list.GetCheckIfExists());

  EXPECT_EQ(list.Add(temp.Path() + L"\\"), 0);
  EXPECT_EQ(list.Add(UpperCase(temp.Path())), 0);
  ASSERT_EQ(list.GetCount(), 1);
  EXPECT_EQ(list.Get(0), temp.Path());
  ASSERT_EQ(notices.Added.size(), 2u);
  EXPECT_EQ(notices.Added[1], std::make_pair(UpperCase(temp.Path()), 0));  // the caller's text

  EXPECT_EQ(list.Add(L"C:"), 0);  // sorted before the temporary folder
  EXPECT_EQ(list.Get(0), L"C:\\");
  EXPECT_EQ(list.IndexOfPath(UpperCase(temp.Path()) + L"\\"), 1);
  EXPECT_TRUE(list.ContainsPath(L"c:\\"));
  EXPECT_FALSE(list.GetContainsNetworkPath());

  EXPECT_EQ(list.Add(temp / L"missing"), -1);
  EXPECT_EQ(notices.Added.size(), 3u);
  list.SetCheckIfExists(false);
  EXPECT_GE(list.Add(temp / L"missing"), 0);
  EXPECT_EQ(list.Add(L"\\\\server\\share\\dir\\"), 0);
  EXPECT_TRUE(list.GetContainsNetworkPath());
  EXPECT_TRUE(list.ContainsPath(L"\\\\SERVER\\share\\dir"));
}

TEST(NsPathListTest, RemovingNotifiesOnceAndSortedEditsAreRefused) {
  TNsPathList list;
  list.SetCheckIfExists(false);
  TNotices notices;
  notices.Watch(list);
  list.Add(L"C:\\A");
  list.Add(L"C:\\B");
  list.Remove(L"C:\\Nothing");
  EXPECT_TRUE(notices.Removed.empty());
  list.Remove(L"c:\\a\\");
  ASSERT_EQ(notices.Removed.size(), 1u);
  EXPECT_EQ(notices.Removed[0], std::make_pair(std::wstring(L"C:\\A"), 0));
  EXPECT_EQ(list.GetCount(), 1);

  // Refused before anybody hears of a removal or an addition.
  EXPECT_THROW(list.Put(0, L"C:\\C"), EStringListError);
  EXPECT_THROW(list.InsertObject(0, L"C:\\C", nullptr), EStringListError);
  EXPECT_EQ(list.Get(0), L"C:\\B");
  EXPECT_EQ(notices.Removed.size(), 1u);
  EXPECT_EQ(notices.Added.size(), 2u);

  list.Clear();  // the base's: no notices
  EXPECT_EQ(notices.Removed.size(), 1u);
}

TEST(NsPathListTest, AnUnsortedListReplacesWithBothNotices) {
  TNsPathList list;
  list.SetSorted(false);
  list.SetCheckIfExists(false);
  list.Add(L"C:\\A");
  list.Add(L"C:\\B");
  TNotices notices;
  notices.Watch(list);
  list.Put(1, L"C:\\C");
  EXPECT_EQ(list.Get(1), L"C:\\C");
  EXPECT_EQ(notices.Removed, (std::vector<std::pair<std::wstring, int>>{{L"C:\\B", 1}}));
  EXPECT_EQ(notices.Added, (std::vector<std::pair<std::wstring, int>>{{L"C:\\C", 1}}));
  EXPECT_THROW(list.Put(5, L"C:\\D"), EStringListError);
  EXPECT_EQ(notices.Removed.size(), 1u);
}

TEST(NsPathListTest, AddAnswersWhereTheEntryIsAfterTheAddHookChangedTheList) {
  TNsPathList list;
  list.SetCheckIfExists(false);
  list.Add(L"C:\\A");
  list.Add(L"C:\\B");
  // A hook that drops the first entry: the new one moves up by one.
  list.OnAdd = [&](const std::wstring&, int) { list.Delete(0); };
  EXPECT_EQ(list.Add(L"C:\\C"), 1);
  EXPECT_EQ(list.Get(1), L"C:\\C");

  // A hook that adds an entry sorting before the new one.
  list.OnAdd = [&](const std::wstring& path, int) {
    if (path != L"C:\\0") list.Add(L"C:\\0");
  };
  EXPECT_EQ(list.Add(L"C:\\D"), 3);
  EXPECT_EQ(list.Get(3), L"C:\\D");

  // A hook that removes the new entry itself: it is not in the list.
  list.OnAdd = [&](const std::wstring& path, int) { list.Remove(path); };
  EXPECT_EQ(list.Add(L"C:\\E"), -1);
  EXPECT_FALSE(list.ContainsPath(L"C:\\E"));
}

TEST(NsPathListTest, ConstructorsCopyOrParse) {
  TStringList source;
  source.Add(L"z:\\unnormalised\\");
  source.AddObject(L"Y:\\Two", reinterpret_cast<void*>(7));
  source.Add(L"z:\\UNNORMALISED\\");
  TNsPathList copy(source);
  ASSERT_EQ(copy.GetCount(), 2);
  EXPECT_EQ(copy.Get(0), L"Y:\\Two");
  EXPECT_EQ(copy.GetObject(0), reinterpret_cast<void*>(7));
  EXPECT_EQ(copy.Get(1), L"z:\\unnormalised\\");

  TTempFolder temp;
  TNsPathList parsed(temp.Path() + L"\\;C:;;" + (temp / L"missing"));
  ASSERT_EQ(parsed.GetCount(), 2);
  EXPECT_EQ(parsed.Get(0), L"C:\\");
  EXPECT_EQ(parsed.Get(1), temp.Path());
}

TEST(NsPathListTest, SubpathsArePlainPrefixes) {
  TNsPathList list;
  list.SetCheckIfExists(false);
  EXPECT_TRUE(list.AllItemsSubpathOf(L"C:\\A"));
  list.Add(L"C:\\A\\x");
  list.Add(L"c:\\ab");
  EXPECT_TRUE(list.AllItemsSubpathOf(L"C:\\A"));
  list.Add(L"D:\\x");
  EXPECT_FALSE(list.AllItemsSubpathOf(L"C:\\A"));
}

TEST(NsPathListTest, TheStringPointerEndsWithThreeZerosAndFollowsChanges) {
  TNsPathList list;
  list.SetCheckIfExists(false);
  const wchar_t* empty = list.GetStringPointer();
  EXPECT_EQ(std::wmemcmp(empty, L"\0\0", 2), 0);
  list.Add(L"C:\\a");
  list.Add(L"C:\\b");
  const wchar_t* text = list.GetStringPointer();
  EXPECT_EQ(std::wmemcmp(text, L"C:\\a\0C:\\b\0\0\0", 12), 0);
  EXPECT_EQ(list.GetStringPointer(), text);  // cached
  list.Delete(0);
  EXPECT_EQ(std::wmemcmp(list.GetStringPointer(), L"C:\\b\0\0\0", 7), 0);
}

class PidlHistoryTest : public ::testing::Test {
protected:
  PidlHistoryTest() {
    for (const wchar_t* name : {L"A", L"B", L"C", L"D"}) paths.push_back(temp.MakeFolder(name));
  }
  PItemIDList ListOf(int i) {
    PItemIDList list = PathToItemIdList(nullptr, paths[static_cast<size_t>(i)]);
    std::lock_guard<std::mutex> guard(spy.Lock);
    spy.Watched.insert(list);
    return list;
  }
  std::wstring CurrentPath(const TPidlHistory& history) { return ItemIdListToPath(history.GetCurrentItemIDList()); }

  void SetUp() override {
    spy.Watched.clear();
    spy.Freed = 0;
  }

  TTempFolder temp;
  std::vector<std::wstring> paths;
  TFreeCounter& spy = FreeCounter();
};

TEST_F(PidlHistoryTest, AddingCutsTheForwardEntriesAndSkipsTheCurrentItem) {
  {
    TPidlHistory history;
    EXPECT_THROW(history.GetCurrentItemIDList(), EListError);
    history.Add(nullptr);
    EXPECT_EQ(history.GetCount(), 0);
    history.Add(ListOf(0));
    history.Add(ListOf(1));
    history.Add(ListOf(2));
    history.SetPosition(1);
    history.Add(ListOf(3));  // C goes
    ASSERT_EQ(history.GetCount(), 3);
    EXPECT_EQ(history.GetPosition(), 2);
    EXPECT_EQ(CurrentPath(history), paths[3]);
    EXPECT_EQ(spy.Freed, 1);

    history.Add(ListOf(3));  // the same item: released, nothing changes
    EXPECT_EQ(history.GetCount(), 3);
    EXPECT_EQ(spy.Freed, 2);

    history.MoveBack(5);
    EXPECT_EQ(history.GetPosition(), 0);
    EXPECT_EQ(CurrentPath(history), paths[0]);
    history.MoveForward(1);
    EXPECT_EQ(CurrentPath(history), paths[1]);
    history.MoveForward(5);
    EXPECT_EQ(history.GetPosition(), 2);

    history.Delete(0);
    EXPECT_EQ(spy.Freed, 3);
  }
  // Destruction frees the two entries left, and nothing else was freed twice.
  EXPECT_EQ(spy.Freed, 5);
  EXPECT_TRUE(spy.Watched.empty());
}

TEST_F(PidlHistoryTest, EveryWayOutOfTheListFreesTheEntry) {
  {
    TPidlHistory history;
    for (int i = 0; i < 4; ++i) history.Add(ListOf(i));
    TList& list = history;  // the base's operations, as any list user calls them
    PItemIDList first = static_cast<PItemIDList>(list.Get(0));

    list.Delete(3);
    EXPECT_EQ(spy.Freed, 1);
    list.Remove(first);
    EXPECT_EQ(spy.Freed, 2);
    list.Put(0, ListOf(0));  // replaces B
    EXPECT_EQ(spy.Freed, 3);
    list.SetCount(1);  // C goes
    EXPECT_EQ(spy.Freed, 4);
    list.Add(ListOf(1));

    // Extract hands the entry over alive: the caller frees it.
    PItemIDList extracted = static_cast<PItemIDList>(list.Extract(list.Get(1)));
    ASSERT_NE(extracted, nullptr);
    EXPECT_EQ(spy.Freed, 4);
    EXPECT_EQ(ItemIdListToPath(extracted), paths[1]);
    CoTaskMemFree(extracted);
    EXPECT_EQ(spy.Freed, 5);

    list.Add(ListOf(2));
    list.Clear();
    EXPECT_EQ(spy.Freed, 7);
    EXPECT_EQ(history.GetCount(), 0);
    history.Add(ListOf(3));
  }
  EXPECT_EQ(spy.Freed, 8);  // the last one with the history
  EXPECT_TRUE(spy.Watched.empty());
}

}  // namespace
}  // namespace ts::test
