#include <gtest/gtest.h>

#include "shell/ItemIdListPaths.h"
#include "shell/PathClassification.h"
#include "shell/ShellGlobals.h"
#include "shell/SpecialFolders.h"
#include "support/TempFolder.h"

namespace ts {
namespace {

// Stands in for a platform that lacks the x86 folders (a 32-bit Windows).
HRESULT WithoutX86Folders(int csidl, PItemIDList* list) {
  if (csidl == CSIDL_SYSTEMX86 || csidl == CSIDL_PROGRAM_FILESX86 || csidl == CSIDL_PROGRAM_FILES_COMMONX86) {
    *list = nullptr;
    return E_INVALIDARG;
  }
  return PlatformSpecialFolderLocation(csidl, list);
}

class LocatorOverride {
public:
  explicit LocatorOverride(TSpecialFolderLocator locator) : fSaved(SpecialFolderLocator) {
    SpecialFolderLocator = locator;
  }
  ~LocatorOverride() { SpecialFolderLocator = fSaved; }

private:
  TSpecialFolderLocator fSaved;
};

TEST(SpecialFolders, TableHoldsFortyTwoValuesWithTheirPlatformIds) {
  EXPECT_EQ(SpecialFolderCount, 42);
  EXPECT_EQ(SpecialFolderCsidl(SF_FILESYSTEMFOLDER), CSIDL_DRIVES);
  EXPECT_EQ(SpecialFolderCsidl(SF_DRIVES), CSIDL_DRIVES);
  EXPECT_EQ(SpecialFolderCsidl(SF_DESKTOP), CSIDL_DESKTOP);
  EXPECT_EQ(SpecialFolderCsidl(SF_COMMON_DOCUMENTS), CSIDL_COMMON_DOCUMENTS);
  EXPECT_EQ(SpecialFolderCsidl(SF_SYSTEMX86), CSIDL_SYSTEMX86);
  EXPECT_EQ(SpecialFolderCsidl(SF_INVALID), -1);
  EXPECT_STREQ(SpecialFolderName(SF_PROGRAM_FILES_COMMONX86), L"SF_PROGRAM_FILES_COMMONX86");
}

TEST(SpecialFolders, DesktopIsACopyOfTheStaticEmptyList) {
  TPidl desktop(GetSpecialFolderItemIdList(SF_DESKTOP));
  ASSERT_TRUE(desktop);
  EXPECT_NE(desktop.Get(), DesktopItemIdList);
  EXPECT_EQ(GetItemIdListSize(desktop.Get()), 2);
  EXPECT_EQ(GetSpecialFolderItemIdList(SF_INVALID), nullptr);
}

TEST(SpecialFolders, ListsAreRecognisedFirstMatchFirst) {
  EXPECT_EQ(GetSpecialFolderOfItemIdList(DesktopItemIdList), SF_DESKTOP);
  TPidl drives(GetSpecialFolderItemIdList(SF_DRIVES));
  ASSERT_TRUE(drives);
  EXPECT_EQ(GetSpecialFolderOfItemIdList(drives.Get()), SF_DRIVES);
  TPidl bin(GetSpecialFolderItemIdList(SF_BITBUCKET));
  ASSERT_TRUE(bin);
  EXPECT_EQ(GetSpecialFolderOfItemIdList(bin.Get()), SF_BITBUCKET);
}

TEST(SpecialFolders, OrdinaryFolderIsAFileSystemFolder) {
  test::TTempFolder temp;
  TPidl list(PathToItemIdList(nullptr, temp.Path()));
  ASSERT_TRUE(list);
  EXPECT_EQ(GetSpecialFolderOfItemIdList(list.Get()), SF_FILESYSTEMFOLDER);
  EXPECT_EQ(GetSpecialFolderOfItemIdList(nullptr), SF_INVALID);
}

TEST(SpecialFolders, CandidateSetRestrictsTheSearch) {
  TPidl windows(GetSpecialFolderItemIdList(SF_WINDOWS));
  ASSERT_TRUE(windows);
  EXPECT_EQ(GetSpecialFolderOfItemIdList(windows.Get(), {SF_WINDOWS, SF_SYSTEM}), SF_WINDOWS);
  EXPECT_EQ(GetSpecialFolderOfItemIdList(windows.Get(), {SF_SYSTEM, SF_DRIVES}), SF_FILESYSTEMFOLDER);
}

TEST(SpecialFolders, PathsOfFileSystemFolders) {
  EXPECT_TRUE(SamePath(GetSpecialFolderPath(SF_WINDOWS), L"C:\\windows"));
  EXPECT_TRUE(SamePath(GetSpecialFolderPath(SF_SYSTEM), L"C:\\windows\\system32"));
  EXPECT_EQ(GetSpecialFolderPath(SF_DRIVES), L"");  // virtual: no path
  EXPECT_EQ(GetSpecialFolderPath(SF_INVALID), L"");
}

TEST(SpecialFolders, X86FoldersFallBackToTheNativeOnes) {
  LocatorOverride override(WithoutX86Folders);
  EXPECT_EQ(GetSpecialFolderItemIdList(SF_SYSTEMX86), nullptr);
  EXPECT_EQ(GetSpecialFolderPath(SF_SYSTEMX86), GetSpecialFolderPath(SF_SYSTEM));
  EXPECT_EQ(GetSpecialFolderPath(SF_PROGRAM_FILESX86), GetSpecialFolderPath(SF_PROGRAM_FILES));
  EXPECT_EQ(GetSpecialFolderPath(SF_PROGRAM_FILES_COMMONX86), GetSpecialFolderPath(SF_PROGRAM_FILES_COMMON));
  EXPECT_FALSE(GetSpecialFolderPath(SF_SYSTEMX86).empty());
}

TEST(SpecialFolders, NetworkItemsAreThoseBelowNetwork) {
  EXPECT_FALSE(IsNetworkItem(nullptr));
  EXPECT_FALSE(IsNetworkItem(DesktopItemIdList));
  TPidl windows(GetSpecialFolderItemIdList(SF_WINDOWS));
  EXPECT_FALSE(IsNetworkItem(windows.Get()));
  TPidl network(GetSpecialFolderItemIdList(SF_NETWORK));
  if (!network) GTEST_SKIP() << "this platform has no Network folder";
  EXPECT_TRUE(IsNetworkItem(network.Get()));
}

}  // namespace
}  // namespace ts
