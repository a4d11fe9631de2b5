#include <gtest/gtest.h>

#include "shell/PathClassification.h"
#include "shell/ShellFunctions.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellStartup.h"
#include "toolkit/MenuCommandIds.h"

namespace ts {
namespace {

TEST(ShellObjects, StartedLayerHasItsProcessWideObjects) {
  ASSERT_TRUE(ShellObjectsCreated());
  EXPECT_NE(DesktopFolder, nullptr);
  EXPECT_NE(ThumbnailLock, nullptr);
  ASSERT_NE(DesktopItemIdList, nullptr);
  EXPECT_EQ(GetItemIdListSize(DesktopItemIdList), 2);
  EXPECT_EQ(WindowsDriveRoot, L"C:\\");
  EXPECT_FALSE(ProgramFilesX86Path.empty());
  EXPECT_TRUE(IsDrivePath(ProgramFilesX86Path));
}

TEST(ShellObjects, VersionFlagsOfThisPlatform) {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  ASSERT_TRUE(GetVersionExW(&info));
#pragma GCC diagnostic pop
  EXPECT_EQ(IsVistaOrLater, info.dwMajorVersion >= 6);
  EXPECT_TRUE(IsWinXPOrLater);
}

TEST(ShellObjects, VersionFlagRules) {
  const bool xp = IsWinXPOrLater, vista = IsVistaOrLater, seven = IsWin7OrLater;
  struct { unsigned major, minor; bool xp, vista, seven; } cases[] = {
      {5, 0, false, false, false}, {5, 1, true, false, false}, {5, 2, true, false, false},
      {6, 0, true, true, false},   {6, 1, true, true, true},   {6, 2, true, true, true},
      {10, 0, true, true, true},
  };
  for (const auto& c : cases) {
    SetVersionFlags(c.major, c.minor);
    EXPECT_EQ(IsWinXPOrLater, c.xp) << c.major << "." << c.minor;
    EXPECT_EQ(IsVistaOrLater, c.vista) << c.major << "." << c.minor;
    EXPECT_EQ(IsWin7OrLater, c.seven) << c.major << "." << c.minor;
  }
  IsWinXPOrLater = xp, IsVistaOrLater = vista, IsWin7OrLater = seven;
}

TEST(ShellObjects, CaptionsAlwaysHaveWords) {
  // Wine's shell library has no such strings: the program's own must show.
  EXPECT_FALSE(NewFolderCaption.empty());
  for (const std::wstring* caption :
       {&ShellMenuCaptions.ViewMenu, &ShellMenuCaptions.IconView, &ShellMenuCaptions.ListView,
        &ShellMenuCaptions.DetailsView, &ShellMenuCaptions.ThumbnailsView, &ShellMenuCaptions.Properties,
        &ShellMenuCaptions.Paste, &ShellMenuCaptions.Refresh, &ShellMenuCaptions.NewMenu,
        &ShellMenuCaptions.NewFolder})
    EXPECT_FALSE(caption->empty());
}

TEST(ShellObjects, ShellCommandRangeIsKeptFromTheApplicationsMenus) {
  for (int id = 0; id < FirstApplicationMenuCommandId; ++id) EXPECT_TRUE(IsMenuCommandIdTaken(id)) << id;
  int first = AllocateMenuCommandId();
  EXPECT_GE(first, FirstApplicationMenuCommandId);
  ReleaseMenuCommandId(first);
}

TEST(ShellObjects, EntriesBoundByNameAndOrdinal) {
  EXPECT_NE(ShellFunctions.SHChangeNotifyRegister, nullptr);
  EXPECT_NE(ShellFunctions.SHChangeNotifyDeregister, nullptr);
  EXPECT_NE(ShellFunctions.SHGetImageList, nullptr);
  EXPECT_NE(ShellFunctions.PathMatchSpecW, nullptr);
  EXPECT_NE(ShellFunctions.StrRetToStrW, nullptr);
  EXPECT_NE(ShellFunctions.StrCmpLogicalW, nullptr);
  EXPECT_NE(ShellFunctions.IsWow64Process, nullptr);
  EXPECT_NE(ShellFunctions.GetLongPathNameW, nullptr);
}

}  // namespace
}  // namespace ts
