// The item filter the shell controls share, on a namespace the test sets up.
#include <gtest/gtest.h>

#include "controls/ShellShowOptions.h"
#include "shell/FakeNamespace.h"
#include "shell/NsBrowser.h"
#include "shell/ShellGlobals.h"
#include "shell/SpecialFolders.h"

namespace ts::test {
namespace {

constexpr ULONG kFolder = SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR;
constexpr ULONG kFile = SFGAO_FILESYSTEM;

class ShellShowOptionsTest : public ::testing::Test {
protected:
  ShellShowOptionsTest() {
    TFakeItem& desktop = space.Desktop();
    bin = &space.Add(desktop, L"Recycle Bin", SFGAO_FOLDER);
    network = &space.Add(desktop, L"Network", SFGAO_FOLDER);
    nethood = &space.Add(desktop, L"Network Shortcuts", kFolder, L"C:\\Nethood");
    space.SetSpecial(CSIDL_BITBUCKET, *bin);
    space.SetSpecial(CSIDL_NETWORK, *network);
    space.SetSpecial(CSIDL_NETHOOD, *nethood);
    drive = &space.Add(desktop, L"Local Disk (C:)", kFolder, L"C:\\");
    space.Add(*drive, L"Data", kFolder, L"C:\\Data");
    space.Add(*drive, L"notes.txt", kFile, L"C:\\notes.txt");
    space.Add(*drive, L"secret.txt", kFile | SFGAO_HIDDEN, L"C:\\secret.txt");
    space.Add(*drive, L"Recycler", kFolder | SFGAO_HIDDEN, L"C:\\RECYCLER");
    space.Add(*drive, L"recycled", kFolder, L"C:\\recycled");
  }

  // The display names of the folder's items that pass options.
  std::vector<std::wstring> Shown(const TFakeItem& folder, TNsShellShowOptions options) {
    TNsBrowser browser(nullptr);
    TPidl list(space.AbsoluteList(folder));
    browser.SetFolderIdList(list.Get());
    std::vector<std::wstring> names;
    while (browser.Next())
      if (ItemMatchesShowOptions(browser, options)) names.push_back(browser.GetShellObjectName(true));
    return names;
  }

  TFakeNamespace space;
  TFakeItem* bin;
  TFakeItem* network;
  TFakeItem* nethood;
  TFakeItem* drive;
};

using Names = std::vector<std::wstring>;

constexpr TNsShellShowOptions kAll{soShowNethood, soShowRecycleBin, soShowHidden, soShowFiles};

TEST_F(ShellShowOptionsTest, EveryOptionShowsEverything) {
  EXPECT_EQ(Shown(space.Desktop(), kAll),
            (Names{L"Recycle Bin", L"Network", L"Network Shortcuts", L"Local Disk (C:)"}));
  EXPECT_EQ(Shown(*drive, kAll), (Names{L"Data", L"notes.txt", L"secret.txt", L"Recycler", L"recycled"}));
}

TEST_F(ShellShowOptionsTest, TheDefaultsHideHiddenItems) {
  EXPECT_EQ(Shown(*drive, {soShowNethood, soShowRecycleBin, soShowFiles}),
            (Names{L"Data", L"notes.txt", L"recycled"}));
}

TEST_F(ShellShowOptionsTest, WithoutNethoodBothNetworkFoldersGo) {
  EXPECT_EQ(Shown(space.Desktop(), kAll - TNsShellShowOptions{soShowNethood}),
            (Names{L"Recycle Bin", L"Local Disk (C:)"}));
}

TEST_F(ShellShowOptionsTest, WithoutTheRecycleBinHiddenRecyclFoldersGoToo) {
  const TNsShellShowOptions options = kAll - TNsShellShowOptions{soShowRecycleBin};
  EXPECT_EQ(Shown(space.Desktop(), options), (Names{L"Network", L"Network Shortcuts", L"Local Disk (C:)"}));
  // "recycled" is not hidden and stays; the hidden "RECYCLER" goes by its name.
  EXPECT_EQ(Shown(*drive, options), (Names{L"Data", L"notes.txt", L"secret.txt", L"recycled"}));
}

TEST_F(ShellShowOptionsTest, WithoutFilesOnlyFoldersStay) {
  EXPECT_EQ(Shown(*drive, kAll - TNsShellShowOptions{soShowFiles}), (Names{L"Data", L"Recycler", L"recycled"}));
}

// On the platform's own namespace, inside a special-folder cache scope as the
// controls filter a folder, the filter's answers stay those of the uncached
// special-folder lookup.
TEST(ShellShowOptionsPlatformTest, AgreesWithTheSpecialFolderLookupForTheDesktopAndTheNetworkShortcuts) {
  const TNsShellShowOptions hiding = TNsShellShowOptions{soShowHidden, soShowFiles};
  TPidl nethood(GetSpecialFolderItemIdList(SF_NETHOOD));
  std::vector<TPidl> folders;
  folders.emplace_back(CopyItemIdList(DesktopItemIdList));
  if (nethood) folders.emplace_back(TruncateItemIdList(nethood.Get(), GetItemIdCount(nethood.Get()) - 1));
  int filtered = 0;
  for (int round = 0; round < 2; ++round) {
    for (const TPidl& folder : folders) {
      TNsBrowser browser(nullptr);
      browser.SetFolderIdList(folder.Get());
      while (browser.Next()) {
        bool shown;
        {
          TSpecialFolderCache cache;
          shown = ItemMatchesShowOptions(browser, hiding);
          EXPECT_EQ(ItemMatchesShowOptions(browser, hiding), shown);  // answered from the cache
        }
        const TNsShellFolder kind = GetSpecialFolderOfItemIdList(browser.GetAbsoluteItemIdList(),
                                                                 {SF_BITBUCKET, SF_NETHOOD, SF_NETWORK});
        const bool special = kind == SF_BITBUCKET || kind == SF_NETHOOD || kind == SF_NETWORK;
        EXPECT_EQ(shown, !special) << browser.GetShellObjectName(true);
        filtered += special;
      }
    }
  }
  EXPECT_GE(filtered, 2);  // the recycle bin on the desktop, each round
}

TEST(ShellShowOptionSetTest, IsStoredInSixteenBitsByOrdinal) {
  TNsShellShowOptions defaults{soShowNethood, soShowRecycleBin, soShowFiles};
  EXPECT_EQ(defaults.Value(), 0x13);
  EXPECT_EQ(WithShowOption(defaults, soNoFillOnStartup, true).Value(), 0x113);
  EXPECT_EQ(WithShowOption(defaults, soShowFiles, false).Value(), 0x03);
}

}  // namespace
}  // namespace ts::test
