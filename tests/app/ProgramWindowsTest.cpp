// The program's four windows as the program makes them at start and frees
// them at its end, the main one on the taskbar and the others belonging to
// it; and a window that cannot be made at start, after which the windows
// made before are freed at once, while the shell layer they use is there.
// A program of its own: it makes the application's main form.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/AboutWindow.h"
#include "app/BookmarkFile.h"
#include "app/LatestAddedWindow.h"
#include "app/MainWindow.h"
#include "app/ProgramWindows.h"
#include "support/TempFolder.h"
#include "toolkit/Application.h"
#include "toolkit/Exception.h"

namespace ts::test {
namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The program's files: its settings beside the executable, the bookmarks in
// the current directory, which the test points at a folder of its own.
class ProgramWindowsTest : public ::testing::Test {
protected:
  ProgramWindowsTest() {
    std::vector<wchar_t> buffer(32768);
    saved.assign(buffer.data(), GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data()));
    SetCurrentDirectoryW(temp.Path().c_str());
    RemoveFiles();
  }
  ~ProgramWindowsTest() override {
    RemoveFiles();
    SetCurrentDirectoryW(saved.c_str());
  }
  void RemoveFiles() {
    DeleteFileW(MainSettingsFileName().c_str());
    DeleteFileW(LatestAddedSettingsFileName().c_str());
  }

  TTempFolder temp;
  std::wstring saved;
};

TEST_F(ProgramWindowsTest, TheWindowsAreMadeInOrderAndFreedMainWindowFirstWritingTheirFiles) {
  {
    TProgramWindows windows;
    ASSERT_NE(frmMain, nullptr);
    ASSERT_NE(frmBookmark, nullptr);
    ASSERT_NE(frmAbout, nullptr);
    ASSERT_NE(frmLatestAdded, nullptr);
    EXPECT_EQ(Application->GetMainForm(), frmMain);
    // The main window is a window of its own, on the taskbar; the About
    // window, made at once, belongs to it.
    const HWND main = frmMain->GetHandle();
    EXPECT_EQ(GetWindow(main, GW_OWNER), nullptr);
    EXPECT_NE(GetWindowLongPtrW(main, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
    EXPECT_EQ(GetWindow(frmAbout->GetHandle(), GW_OWNER), main);
    EXPECT_EQ(GetWindow(frmBookmark->GetHandle(), GW_OWNER), main);
    EXPECT_FALSE(frmBookmark->GetVisible());
    EXPECT_FALSE(frmLatestAdded->GetVisible());
  }
  EXPECT_EQ(frmMain, nullptr);
  EXPECT_EQ(frmBookmark, nullptr);
  EXPECT_EQ(frmAbout, nullptr);
  EXPECT_EQ(frmLatestAdded, nullptr);
  EXPECT_EQ(Application->GetMainForm(), nullptr);
  EXPECT_EQ(Application->GetComponentCount(), 0);
  EXPECT_TRUE(Exists(MainSettingsFileName()));
  EXPECT_TRUE(Exists(temp / BookmarkFileName));
  EXPECT_TRUE(Exists(LatestAddedSettingsFileName()));
}

// Refuses to make the window with a caption.
const wchar_t* gRefusedCaption = nullptr;

LRESULT CALLBACK RefuseWindow(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    const CREATESTRUCTW* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
    if (create->lpszName != nullptr && !IS_INTRESOURCE(create->lpszName) &&
        lstrcmpW(create->lpszName, gRefusedCaption) == 0)
      return 1;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(ProgramWindowsTest, AWindowThatCannotBeMadeFreesTheWindowsMadeBeforeAtOnce) {
  // The About window makes its window as it is made, after the main window
  // and the bookmark window.
  gRefusedCaption = L"frmAbout";
  HHOOK hook = SetWindowsHookExW(WH_CBT, &RefuseWindow, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  bool failed = false;
  try {
    TProgramWindows windows;
  } catch (const Exception&) {
    failed = true;
    // Freed before the error reaches the caller, which holds the shell layer.
    EXPECT_EQ(frmMain, nullptr);
    EXPECT_EQ(frmBookmark, nullptr);
    EXPECT_EQ(Application->GetMainForm(), nullptr);
    EXPECT_EQ(Application->GetComponentCount(), 0);
    // Freed as at the end of a run, each writing its file.
    EXPECT_TRUE(Exists(MainSettingsFileName()));
    EXPECT_TRUE(Exists(temp / BookmarkFileName));
  }
  UnhookWindowsHookEx(hook);
  EXPECT_TRUE(failed);
  EXPECT_EQ(frmAbout, nullptr);
  EXPECT_EQ(frmLatestAdded, nullptr);

  // The next start works.
  TProgramWindows windows;
  EXPECT_NE(frmAbout, nullptr);
}

}  // namespace
}  // namespace ts::test
