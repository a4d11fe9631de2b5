// Between paths and item identifier lists, on Wine's shell, with stand-ins
// for the functions bound at run time where a branch needs them.
#include <gtest/gtest.h>

#include <vector>

#include "shell/ItemIdListPaths.h"
#include "shell/PathClassification.h"
#include "shell/SameItem.h"
#include "shell/ShellFunctions.h"
#include "shell/ShellGlobals.h"
#include "shell/SpecialFolders.h"
#include "support/TempFolder.h"

namespace ts {
namespace {

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
  EXPECT_TRUE(SameItemIdList(bare.Get(), root.Get()));
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

// Stand-ins for the two functions the newer path binds at run time: the
// path function answers what the test sets, the long-name function records
// what it was asked and then asks the platform's own (or fails).
struct TPathStandIns {
  std::wstring ExAnswer;  // empty: the call fails
  int ExCalls = 0;
  std::vector<std::wstring> LongAsked;
  bool LongFails = false;
};
TPathStandIns* gStandIns = nullptr;

BOOL WINAPI StandInPathFromIdListEx(PCIDLIST_ABSOLUTE, PWSTR path, DWORD chars, int) {
  ++gStandIns->ExCalls;
  if (gStandIns->ExAnswer.empty() || gStandIns->ExAnswer.size() >= chars) return FALSE;
  wcscpy(path, gStandIns->ExAnswer.c_str());
  return TRUE;
}

DWORD WINAPI StandInLongPathName(LPCWSTR shortPath, LPWSTR longPath, DWORD chars) {
  gStandIns->LongAsked.push_back(shortPath);
  if (gStandIns->LongFails) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  return GetLongPathNameW(shortPath, longPath, chars);
}

class ItemIdListToPathTest : public ::testing::Test {
protected:
  ItemIdListToPathTest()
      : savedEx(ShellFunctions.SHGetPathFromIDListEx),
        savedLong(ShellFunctions.GetLongPathNameW),
        savedVista(IsVistaOrLater) {
    gStandIns = &standIns;
    ShellFunctions.SHGetPathFromIDListEx = &StandInPathFromIdListEx;
    ShellFunctions.GetLongPathNameW = &StandInLongPathName;
    IsVistaOrLater = true;
    folder = temp.MakeFolder(L"A folder with a long name");
    list.Reset(PathToItemIdList(nullptr, folder));
  }
  ~ItemIdListToPathTest() override {
    ShellFunctions.SHGetPathFromIDListEx = savedEx;
    ShellFunctions.GetLongPathNameW = savedLong;
    IsVistaOrLater = savedVista;
    gStandIns = nullptr;
  }

  test::TTempFolder temp;
  std::wstring folder;
  TPidl list;
  TPathStandIns standIns;
  decltype(TShellFunctions::SHGetPathFromIDListEx) savedEx;
  decltype(TShellFunctions::GetLongPathNameW) savedLong;
  bool savedVista;
};

TEST_F(ItemIdListToPathTest, ShortNamesInTheAnswerAreGivenTheirLongForms) {
  wchar_t shortForm[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameW(folder.c_str(), shortForm, MAX_PATH), 0u);
  ASSERT_NE(std::wstring(shortForm), folder);  // the platform made an 8.3 name
  standIns.ExAnswer = shortForm;
  EXPECT_EQ(ItemIdListToPath(list.Get()), folder);
  EXPECT_EQ(standIns.LongAsked, std::vector<std::wstring>{shortForm});

  // When the long form cannot be had, the first answer stands.
  standIns.LongFails = true;
  EXPECT_EQ(ItemIdListToPath(list.Get()), shortForm);
}

TEST_F(ItemIdListToPathTest, AnswersShorterThanTenCharactersSkipTheLongForm) {
  standIns.ExAnswer = L"C:\\PROGRA";  // 9 characters
  EXPECT_EQ(ItemIdListToPath(list.Get()), L"C:\\PROGRA");
  EXPECT_TRUE(standIns.LongAsked.empty());
  standIns.ExAnswer = L"C:\\PROGRA~";  // 10 characters
  standIns.LongFails = true;
  EXPECT_EQ(ItemIdListToPath(list.Get()), L"C:\\PROGRA~");
  EXPECT_EQ(standIns.LongAsked, std::vector<std::wstring>{L"C:\\PROGRA~"});
}

TEST_F(ItemIdListToPathTest, TheOlderPathServesOlderPlatformsAndAFailedNewerOne) {
  standIns.ExAnswer = L"C:\\the newer path's answer";
  IsVistaOrLater = false;
  EXPECT_TRUE(SamePath(ItemIdListToPath(list.Get()), folder));
  EXPECT_EQ(standIns.ExCalls, 0);

  IsVistaOrLater = true;
  standIns.ExAnswer.clear();  // fails
  EXPECT_TRUE(SamePath(ItemIdListToPath(list.Get()), folder));
  EXPECT_EQ(standIns.ExCalls, 1);
  TPidl drives(GetSpecialFolderItemIdList(SF_DRIVES));
  EXPECT_EQ(ItemIdListToPath(drives.Get()), L"");  // neither has one
}

}  // namespace
}  // namespace ts
