// The folder a browse dialog ends on is where the next one starts, until the
// shell layer shuts down.
#include <gtest/gtest.h>

#include "DialogTestSupport.h"
#include "dialogs/NsBrowseForFolder.h"
#include "shell/ItemIdListPaths.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellStartup.h"
#include "support/TempFolder.h"

namespace ts::test {
namespace {

std::wstring gChosen;
PIDLIST_ABSOLUTE WINAPI ChooseFolder(LPBROWSEINFOW) { return PathToItemIdList(nullptr, gChosen); }

TEST(BrowseLastPathTest, TheLastFolderChosenIsForgottenAtShutDown) {
  TTempFolder temp;
  gChosen = temp.Path();
  TReplacedCall replaced(BrowseForFolderCall, &ChooseFolder);
  {
    TShellLayer shellLayer;
    TNsBrowseForFolder dialog(nullptr);
    EXPECT_EQ(dialog.GetPath(), L"");
    ASSERT_TRUE(dialog.Execute(nullptr));
    EXPECT_EQ(TNsBrowseForFolder(nullptr).GetPath(), temp.Path());
  }
  EXPECT_EQ(LastBrowseFolderPath, L"");
  TShellLayer restarted;
  EXPECT_EQ(TNsBrowseForFolder(nullptr).GetPath(), L"");
}

}  // namespace
}  // namespace ts::test
