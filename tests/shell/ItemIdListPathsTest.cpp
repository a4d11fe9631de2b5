#include <gtest/gtest.h>

#include "shell/ItemIdListPaths.h"
#include "shell/PathClassification.h"
#include "shell/ShellGlobals.h"
#include "shell/SpecialFolders.h"
#include "support/TempFolder.h"

namespace ts {
namespace {

bool SameItem(PCItemIDList a, PCItemIDList b) { return DesktopFolder->CompareIDs(0, a, b) == S_OK; }

TEST(PathToItemIdList, EmptyPathGivesMyComputer) {
  TPidl list(PathToItemIdList(nullptr, L""));
  ASSERT_TRUE(list);
  EXPECT_EQ(GetSpecialFolderOfItemIdList(list.Get()), SF_DRIVES);
}

TEST(PathToItemIdList, BareDriveGetsItsBackslash) {
  TPidl bare(PathToItemIdList(nullptr, L"C:"));
  TPidl root(PathToItemIdList(nullptr, L"C:\\"));
  ASSERT_TRUE(bare);
  ASSERT_TRUE(root);
  EXPECT_TRUE(SameItem(bare.Get(), root.Get()));
}

TEST(PathToItemIdList, RoundTripsFilesAndFolders) {
  test::TTempFolder temp;
  const std::wstring file = temp.MakeFile(L"notes.txt", "x");
  TPidl list(PathToItemIdList(nullptr, file));
  ASSERT_TRUE(list);
  EXPECT_TRUE(SamePath(ItemIdListToPath(list.Get()), file));
  TPidl folder(PathToItemIdList(nullptr, temp.Path()));
  EXPECT_TRUE(SamePath(ItemIdListToPath(folder.Get()), temp.Path()));
}

TEST(PathToItemIdList, NamesBeyondAsciiSurviveTheRoundTrip) {
  test::TTempFolder temp;
  const std::wstring file = temp.MakeFile(L"Ärger – 日本語 ☃.txt", "x");
  TPidl list(PathToItemIdList(nullptr, file));
  ASSERT_TRUE(list);
  EXPECT_EQ(ItemIdListToPath(list.Get()), file);
}

TEST(PathToItemIdList, RelativeToAFolderOtherThanTheDesktop) {
  test::TTempFolder temp;
  temp.MakeFile(L"inner.txt");
  TPidl folderList(PathToItemIdList(nullptr, temp.Path()));
  IShellFolder* folder = nullptr;
  ASSERT_EQ(DesktopFolder->BindToObject(folderList.Get(), nullptr, IID_IShellFolder,
                                        reinterpret_cast<void**>(&folder)),
            S_OK);
  TPidl item(PathToItemIdList(folder, L"inner.txt"));
  folder->Release();
  ASSERT_TRUE(item);
  EXPECT_EQ(GetItemIdCount(item.Get()), 1);
  TPidl absolute(ConcatItemIdLists(folderList.Get(), item.Get()));
  EXPECT_TRUE(SamePath(ItemIdListToPath(absolute.Get()), temp / L"inner.txt"));
}

TEST(PathToItemIdList, MissingPathIsNullWithTheFailureInLastError) {
  SetLastError(0);
  test::TTempFolder temp;
  EXPECT_EQ(PathToItemIdList(nullptr, temp / L"no such file.txt"), nullptr);
  EXPECT_NE(GetLastError(), 0u);
  EXPECT_LT(static_cast<HRESULT>(GetLastError()), 0);  // an HRESULT, not a Win32 code
  EXPECT_EQ(PathToItemIdList(nullptr, L"Q:\\surely\\not\\here"), nullptr);
}

TEST(ItemIdListToPath, VirtualItemsAndNullHaveNoPath) {
  EXPECT_EQ(ItemIdListToPath(nullptr), L"");
  TPidl drives(GetSpecialFolderItemIdList(SF_DRIVES));
  EXPECT_EQ(ItemIdListToPath(drives.Get()), L"");
  EXPECT_EQ(ItemIdListToPath(DesktopItemIdList).empty(), false);  // the desktop folder has a directory
}

TEST(ItemIdListToPath, ShortPathsAreReturnedAsTheyAre) {
  TPidl root(PathToItemIdList(nullptr, L"C:\\"));
  EXPECT_EQ(ItemIdListToPath(root.Get()), L"C:\\");
}

TEST(ItemIdListToPath, OlderPlatformPathGivesTheSameAnswer) {
  TPidl windows(GetSpecialFolderItemIdList(SF_WINDOWS));
  const std::wstring vista = ItemIdListToPath(windows.Get());
  const bool saved = IsVistaOrLater;
  IsVistaOrLater = false;
  const std::wstring older = ItemIdListToPath(windows.Get());
  IsVistaOrLater = saved;
  EXPECT_TRUE(SamePath(vista, older));
}

}  // namespace
}  // namespace ts
