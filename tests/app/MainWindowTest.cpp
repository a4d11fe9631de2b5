// The main window as a real window: its components, the pane rules, the
// commands, and the settings file read at creation and written at
// destruction.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "app/AboutWindow.h"
#include "app/MainWindow.h"
#include "support/KeyInput.h"
#include "support/MenuDriver.h"
#include "support/MessagePump.h"
#include "support/SettingsFiles.h"
#include "support/TempFolder.h"
#include "toolkit/Application.h"
#include "toolkit/Strings.h"

namespace ts::test {
namespace {

// The test's temporary paths are plain ASCII.
std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// The root of a drive letter that names no drive.
std::wstring MissingDriveRoot() {
  const DWORD drives = GetLogicalDrives();
  wchar_t letter = L'Z';
  while (letter > L'D' && (drives & (1u << (letter - L'A'))) != 0) --letter;
  return std::wstring(1, letter) + L":\\";
}

// Whether the keyboard focus is in a control (in its edit field, say).
bool FocusIn(TWinControl* control) {
  HWND focus = GetFocus();
  return focus != nullptr && (focus == control->GetHandle() || IsChild(control->GetHandle(), focus));
}

// The work area of the monitor a window is on.
RECT WorkAreaOf(HWND window) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
  return info.rcWork;
}

class MainWindowTest : public ::testing::Test {
protected:
  MainWindowTest() {
    settings = temp / L"Twinscope.ini";
    first = temp.MakeFolder(L"First");
    second = temp.MakeFolder(L"Second");
    temp.MakeFolder(L"First\\Inner");
    Application->OnException = [this](TObject*, const std::exception& error) {
      if (auto* e = dynamic_cast<const Exception*>(&error)) errors.push_back(e->Message());
    };
  }
  ~MainWindowTest() override {
    form.reset();
    Application->OnException = nullptr;
  }

  TfrmMain& Open() {
    form = std::make_unique<TfrmMain>(nullptr, settings);
    return *form;
  }
  TfrmMain& OpenShown() {
    Open();
    form->Show();
    PumpMessagesFor(50);
    return *form;
  }
  // Destroys the window, which writes the settings.
  void Close() { form.reset(); }

  // A click of the left button inside a control's window.
  static void ClickIn(TWinControl* control) {
    HWND window = control->GetHandle();
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  }
  static void Press(TSpeedButton* button) { button->Click(); }

  TTempFolder temp;
  std::wstring settings, first, second;
  std::vector<std::wstring> errors;
  std::unique_ptr<TfrmMain> form;
};

TEST_F(MainWindowTest, WithoutASettingsFileEverythingStartsAtItsDefault) {
  TfrmMain& f = Open();
  const RECT normal = f.GetNormalBounds();
  EXPECT_EQ(normal.left, 100);
  EXPECT_EQ(normal.top, 100);
  EXPECT_EQ(normal.right - normal.left, 700);
  EXPECT_EQ(normal.bottom - normal.top, 500);
  EXPECT_EQ(f.GetWindowState(), wsMaximized);
  EXPECT_EQ(f.PanelExpl2->GetHeight(), 250);
  EXPECT_EQ(f.Panel2->GetWidth(), 100);
  EXPECT_EQ(f.ShellTree2->GetWidth(), 100);
  EXPECT_EQ(f.ShellList->GetViewStyle(), vsReport);
  EXPECT_EQ(f.ShellList2->GetViewStyle(), vsReport);
  EXPECT_FALSE(f.ShellList->GetThumbnails());
  EXPECT_TRUE(f.Expl1Focus);
  EXPECT_FALSE(f.HiddenButton->GetDown());
  EXPECT_FALSE(f.ShellList->GetShowHidden());
  EXPECT_TRUE(f.DualHButton->GetDown());
  EXPECT_FALSE(f.SingleWinButton->GetDown());
  EXPECT_TRUE(f.DetailsButton->GetDown());
  EXPECT_FALSE(f.IconListButton->GetDown());
  EXPECT_FALSE(f.TumbnailsButton->GetDown());
}

TEST_F(MainWindowTest, ComponentsStandWhereTheWindowPutsThem) {
  TfrmMain& f = OpenShown();
  EXPECT_EQ(f.Panel1->GetHeight(), 30);
  EXPECT_EQ(f.Panel1->GetAlign(), alTop);
  struct {
    TSpeedButton* button;
    int left;
    const wchar_t* hint;
  } const buttons[] = {
      {f.ParentButton, 4, L"Parent Folder"},        {f.NewFolderButton, 27, L"New Folder"},
      {f.PropertiesButton, 50, L"Show Properties"}, {f.IconListButton, 84, L"Show List"},
      {f.DetailsButton, 109, L"Show Details"},      {f.TumbnailsButton, 134, L"Show Thumbnails"},
      {f.HiddenButton, 178, L"Show hidden files"},  {f.SingleWinButton, 228, L"Single Explorer"},
      {f.DualHButton, 252, L"Double Horizontal Explorer"}, {f.NetworkButton, 517, L"Connect network drive"},
  };
  for (const auto& b : buttons) {
    EXPECT_EQ(b.button->GetLeft(), b.left) << b.hint;
    EXPECT_EQ(b.button->GetWidth(), 25) << b.hint;
    EXPECT_EQ(b.button->GetHeight(), 24) << b.hint;
    EXPECT_EQ(b.button->GetHint(), b.hint);
    EXPECT_NE(b.button->GetGlyph().GetHandle(), nullptr) << b.hint;
  }
  EXPECT_FALSE(f.NetworkButton->GetVisible());
  EXPECT_EQ(f.IconListButton->GetGroupIndex(), 1);
  EXPECT_TRUE(f.TumbnailsButton->GetAllowAllUp());
  EXPECT_EQ(f.HiddenButton->GetGroupIndex(), 9);
  EXPECT_EQ(f.SingleWinButton->GetGroupIndex(), 2);

  // The first pane's combo in its status bar beside "Path:".
  EXPECT_EQ(f.ALStatusBar2->GetHeight(), 22);
  EXPECT_EQ(f.ALStatusBar2->GetPanelText(0), L"Path:");
  EXPECT_EQ(f.NsShellCombo2->GetParent(), f.ALStatusBar2);
  EXPECT_EQ(f.NsShellCombo2->GetLeft(), 52);
  EXPECT_EQ(f.NsShellCombo2->GetWidth(), 600);
  EXPECT_EQ(f.NsShellCombo3->GetParent(), f.ALStatusBar1);
  // From top to bottom: the toolbar, the first pane, its status bar, the
  // splitter, the second pane.
  EXPECT_LT(f.ShellList->GetTop() + f.ShellList->GetHeight(), f.ALStatusBar2->GetTop() + 1);
  EXPECT_LT(f.ALStatusBar2->GetTop(), f.Splitter2->GetTop());
  EXPECT_EQ(f.Splitter2->GetHeight(), 4);
  EXPECT_LT(f.Splitter2->GetTop(), f.PanelExpl2->GetTop());
  EXPECT_EQ(f.ShellTree2->GetParent(), f.PanelExpl2);
  EXPECT_EQ(f.ShellTree2->GetLeft(), 0);
  EXPECT_EQ(f.Splitter3->GetLeft(), f.ShellTree2->GetWidth());
  EXPECT_EQ(f.ShellList2->GetLeft(), f.ShellTree2->GetWidth() + 4);
  EXPECT_EQ(f.Splitter1->GetLeft(), f.Panel2->GetWidth());
  // The resize cursors across the bars: up-down over the one between the panes.
  EXPECT_EQ(f.Splitter2->GetCursor(), crVSplit);
  EXPECT_EQ(f.Splitter1->GetCursor(), crHSplit);
  EXPECT_EQ(f.Splitter3->GetCursor(), crHSplit);

  // The controls are on their pane's link, in the shell font.
  EXPECT_EQ(f.ShellTree->GetShellLink(), f.NsShellLink);
  EXPECT_EQ(f.ShellList->GetShellLink(), f.NsShellLink);
  EXPECT_EQ(f.NsShellCombo2->GetShellLink(), f.NsShellLink);
  EXPECT_EQ(f.ShellTree2->GetShellLink(), f.NsShellLink2);
  EXPECT_EQ(f.ShellList2->GetShellLink(), f.NsShellLink2);
  EXPECT_EQ(f.NsShellCombo3->GetShellLink(), f.NsShellLink2);
  EXPECT_EQ(f.ShellList->GetFont().GetName(), L"Tahoma");
  EXPECT_EQ(f.ShellTree2->GetFont().GetHeight(), -11);
  EXPECT_EQ(f.ShellTree->GetIndent(), 19);
  EXPECT_TRUE(f.ShellList->GetNoFillOnStartup());
  EXPECT_TRUE(f.NsShellCombo2->GetShowFullPath());

  // The menu bar.
  TMenuItem& bar = f.MainMenu1->GetItems();
  ASSERT_EQ(bar.Count(), 4);
  EXPECT_EQ(bar.Item(0)->GetCaption(), L"&Exit");
  EXPECT_EQ(bar.Item(1)->GetCaption(), L"&Bookmark");
  EXPECT_EQ(bar.Item(2)->GetCaption(), L"LastAdded");
  EXPECT_EQ(bar.Item(3)->GetCaption(), L"&Help");
  ASSERT_EQ(bar.Item(3)->Count(), 1);
  EXPECT_EQ(bar.Item(3)->Item(0)->GetCaption(), L"&About...");
}

TEST_F(MainWindowTest, BothPanesShowTheirTreesFolderFromTheStart) {
  TfrmMain& f = OpenShown();
  // The trees start on the desktop and the links bring the lists along.
  EXPECT_TRUE(PumpMessagesUntil([&] { return f.ShellList->GetItems().Count() > 0; }, 20000));
  EXPECT_TRUE(PumpMessagesUntil([&] { return f.ShellList2->GetItems().Count() > 0; }, 20000));
  // The path boxes show where their panes are.
  EXPECT_FALSE(f.NsShellCombo2->GetText().empty());
  EXPECT_EQ(f.NsShellCombo2->GetText(), f.NsShellCombo3->GetText());
}

TEST_F(MainWindowTest, CommandsActOnTheFocusedPaneAndTheCombosDoNotCount) {
  TfrmMain& f = OpenShown();
  f.ShellTree2->SetSelectedFolder(first + L"\\Inner");
  // With the focus in the first pane's combo, the focused pane is the second.
  f.NsShellCombo2->SetFocus();
  PumpMessagesFor(20);
  ASSERT_EQ(f.FocusedPane(), TPane::Second);
  Press(f.ParentButton);
  EXPECT_TRUE(SameText(f.ShellTree2->GetSelectedFolder(), first));
  Press(f.IconListButton);
  EXPECT_EQ(f.ShellList2->GetViewStyle(), vsList);
  EXPECT_EQ(f.ShellList->GetViewStyle(), vsReport);
  EXPECT_TRUE(f.IconList2);
  EXPECT_FALSE(f.Details2);
  EXPECT_TRUE(f.Details1);
  Press(f.HiddenButton);
  EXPECT_TRUE(f.ShellList2->GetShowHidden());
  EXPECT_TRUE(f.ShellTree2->GetShowHidden());
  EXPECT_FALSE(f.ShellList->GetShowHidden());

  // With the focus in the first pane's list, the first pane.
  f.ShellList->SetFocus();
  PumpMessagesFor(20);
  ASSERT_EQ(f.FocusedPane(), TPane::First);
  Press(f.TumbnailsButton);
  EXPECT_TRUE(f.ShellList->GetThumbnails());
  EXPECT_TRUE(f.Tumbnails1);
  EXPECT_FALSE(f.Details1);
  Press(f.DetailsButton);
  EXPECT_EQ(f.ShellList->GetViewStyle(), vsReport);
  EXPECT_FALSE(f.ShellList->GetThumbnails());
  EXPECT_TRUE(f.Details1);
}

TEST_F(MainWindowTest, ClicksChooseTheRememberedPaneAndSingleExplorerTakesTheFirst) {
  TfrmMain& f = OpenShown();
  ClickIn(f.ShellList2);
  EXPECT_FALSE(f.Expl1Focus);
  ClickIn(f.ShellTree);
  EXPECT_TRUE(f.Expl1Focus);
  ClickIn(f.ShellTree2);
  EXPECT_FALSE(f.Expl1Focus);
  Press(f.SingleWinButton);
  EXPECT_TRUE(f.Expl1Focus);
  EXPECT_EQ(f.PanelExpl2->GetHeight(), 0);
}

TEST_F(MainWindowTest, DoubleExplorerGivesTheSecondPaneHalfTheWindowLessSixty) {
  TfrmMain& f = Open();
  f.SetWindowState(wsNormal);
  f.SetBounds(50, 50, 700, 500);
  Press(f.DualHButton);
  EXPECT_EQ(f.PanelExpl2->GetHeight(), 190);
  f.SetBounds(50, 50, 700, 501);
  Press(f.DualHButton);
  EXPECT_EQ(f.PanelExpl2->GetHeight(), 190);
  f.SetBounds(50, 50, 700, 640);
  Press(f.DualHButton);
  EXPECT_EQ(f.PanelExpl2->GetHeight(), 260);
}

TEST_F(MainWindowTest, APaneWithNoViewFlagShowsThumbnailsWithEveryViewButtonUp) {
  TfrmMain& f = Open();
  f.IconList2 = f.Details2 = f.Tumbnails2 = false;
  f.SyncViewButtons(TPane::Second);
  EXPECT_TRUE(f.ShellList2->GetThumbnails());
  EXPECT_FALSE(f.IconListButton->GetDown());
  EXPECT_FALSE(f.DetailsButton->GetDown());
  EXPECT_FALSE(f.TumbnailsButton->GetDown());
  EXPECT_FALSE(f.ShellList->GetThumbnails());
}

TEST_F(MainWindowTest, EnteringTheSecondTreeShowsItsView) {
  TfrmMain& f = OpenShown();
  f.IconList2 = true;
  f.Details2 = false;
  f.ShellTree2->SetFocus();
  PumpMessagesFor(20);
  EXPECT_TRUE(f.IconListButton->GetDown());
  EXPECT_FALSE(f.DetailsButton->GetDown());
  EXPECT_EQ(f.ShellList2->GetViewStyle(), vsList);
}

TEST_F(MainWindowTest, DraggingEitherSplitterKeepsBothTreesEquallyWide) {
  TfrmMain& f = OpenShown();
  int size = 180;
  bool accept = false;
  f.Splitter1->OnCanResize(f.Splitter1, size, accept);
  EXPECT_TRUE(accept);
  EXPECT_EQ(f.ShellTree2->GetWidth(), 180);
  size = 150;
  accept = false;
  f.Splitter3->OnCanResize(f.Splitter3, size, accept);
  EXPECT_TRUE(accept);
  EXPECT_EQ(f.Panel2->GetWidth(), 150);
}

TEST_F(MainWindowTest, ASecondStartComesBackAsTheFirstWasLeft) {
  {
    TfrmMain& f = OpenShown();
    f.SetWindowState(wsNormal);
    f.SetBounds(120, 80, 820, 610);
    f.ShellTree->SetSelectedFolder(first);
    f.ShellTree2->SetSelectedFolder(second);
    f.Panel2->SetWidth(170);
    f.PanelExpl2->SetHeight(0);
    f.SingleWinButton->SetDown(true);
    f.IconList2 = true;
    f.Details2 = false;
    f.Expl1Focus = false;
    Close();
  }
  EXPECT_EQ(IniKey(settings, L"MForm", L"Left"), L"120");
  EXPECT_EQ(IniKey(settings, L"MForm", L"Top"), L"80");
  EXPECT_EQ(IniKey(settings, L"MForm", L"Width"), L"820");
  EXPECT_EQ(IniKey(settings, L"MForm", L"Height"), L"610");
  EXPECT_EQ(IniKey(settings, L"MForm", L"Expl2Height"), L"0");
  EXPECT_EQ(IniKey(settings, L"MForm", L"Expl1Width"), L"170");
  EXPECT_EQ(IniKey(settings, L"MForm", L"Expl1Focus"), L"0");
  EXPECT_EQ(IniKey(settings, L"MForm", L"IconList2"), L"1");
  EXPECT_EQ(IniKey(settings, L"MForm", L"Details2"), L"0");
  EXPECT_EQ(IniKey(settings, L"MForm", L"wsNormal"), L"1");
  EXPECT_EQ(IniKey(settings, L"MForm", L"wsMaximized"), L"0");
  EXPECT_EQ(IniKey(settings, L"MForm", L"SingleWinB"), L"1");
  EXPECT_EQ(IniKey(settings, L"MForm", L"Hidden"), L"<none>");  // read, never written
  EXPECT_TRUE(SameText(IniKey(settings, L"GenInfo", L"Path1"), first));
  EXPECT_TRUE(SameText(IniKey(settings, L"GenInfo", L"Path2"), second));

  TfrmMain& f = Open();
  EXPECT_EQ(f.GetWindowState(), wsNormal);
  EXPECT_EQ(f.GetLeft(), 120);
  EXPECT_EQ(f.GetHeight(), 610);
  EXPECT_TRUE(SameText(f.ShellTree->GetSelectedFolder(), first));
  EXPECT_TRUE(SameText(f.ShellTree2->GetSelectedFolder(), second));
  EXPECT_EQ(f.PanelExpl2->GetHeight(), 0);
  EXPECT_EQ(f.Panel2->GetWidth(), 170);
  EXPECT_EQ(f.ShellTree2->GetWidth(), 170);
  EXPECT_FALSE(f.Expl1Focus);
  EXPECT_TRUE(f.SingleWinButton->GetDown());
  EXPECT_FALSE(f.DualHButton->GetDown());
  // The remembered pane's view shows on the buttons and its list; the other
  // list keeps the details view.
  EXPECT_TRUE(f.IconListButton->GetDown());
  EXPECT_EQ(f.ShellList2->GetViewStyle(), vsList);
  EXPECT_EQ(f.ShellList->GetViewStyle(), vsReport);
}

TEST_F(MainWindowTest, OnlyTheRememberedPanesViewIsAppliedAtStart) {
  // Details2 is missing, so it reads true: the list view still wins, on
  // the list and on the buttons.
  WriteTextFile(settings, "[MForm]\r\nExpl1Focus=0\r\nIconList2=1\r\nIconList1=0\r\nDetails1=0\r\nTumbnails1=1\r\n");
  TfrmMain& f = Open();
  EXPECT_EQ(f.ShellList2->GetViewStyle(), vsList);
  EXPECT_TRUE(f.IconListButton->GetDown());
  EXPECT_FALSE(f.DetailsButton->GetDown());
  EXPECT_EQ(f.ShellList->GetViewStyle(), vsReport);
  EXPECT_FALSE(f.ShellList->GetThumbnails());
}

TEST_F(MainWindowTest, AGarbledFileKeepsWhatParsesAndDefaultsTheRest) {
  WriteTextFile(settings,
            "[MForm]\r\nTop=0x20\r\nLeft=$30\r\nHeight=tall\r\nWidth=640\r\nExpl2Height=1e3\r\n"
            "Expl1Width=0X9A\r\nExpl1Focus=yes\r\nHidden=1\r\nwsNormal=1\r\nwsMaximized=0\r\n"
            "Details1=\r\n[GenInfo]\r\nPath1=\x01\x02garbage\r\n");
  TfrmMain& f = Open();
  EXPECT_EQ(f.GetWindowState(), wsNormal);
  EXPECT_EQ(f.GetTop(), 0x20);
  EXPECT_EQ(f.GetLeft(), 0x30);
  EXPECT_EQ(f.GetHeight(), 500);
  EXPECT_EQ(f.GetWidth(), 640);
  EXPECT_EQ(f.PanelExpl2->GetHeight(), 250);
  EXPECT_EQ(f.Panel2->GetWidth(), 0x9A);
  EXPECT_TRUE(f.Expl1Focus);
  EXPECT_TRUE(f.Details1);
  EXPECT_TRUE(f.HiddenButton->GetDown());
  EXPECT_TRUE(f.ShellList->GetShowHidden());
  EXPECT_FALSE(f.ShellTree->GetShowHidden());
  EXPECT_FALSE(f.ShellList2->GetShowHidden());
}

TEST_F(MainWindowTest, TabGoesFromTreeToListToPathBoxInEachPaneAndOnToTheOther) {
  TfrmMain& f = OpenShown();
  f.ShellTree->SetFocus();
  ASSERT_TRUE(PumpApplicationUntil([&] { return f.ShellTree->Focused(); }));
  const std::vector<TWinControl*> forward{f.ShellList,  f.NsShellCombo2, f.ShellTree2,
                                          f.ShellList2, f.NsShellCombo3, f.ShellTree};
  for (TWinControl* expected : forward) {
    PressKey(VK_TAB);
    EXPECT_TRUE(FocusIn(expected)) << WideToUtf8(expected->GetName());
  }
  const std::vector<TWinControl*> backward{f.NsShellCombo3, f.ShellList2, f.ShellTree2,
                                           f.NsShellCombo2, f.ShellList,  f.ShellTree};
  for (TWinControl* expected : backward) {
    PressKey(VK_TAB, true);
    EXPECT_TRUE(FocusIn(expected)) << WideToUtf8(expected->GetName());
  }
  // From the path box's edit field on, as from the path box.
  HWND edit = FindWindowExW(f.NsShellCombo2->GetHandle(), nullptr, L"Edit", nullptr);
  ASSERT_NE(edit, nullptr);
  SetFocus(edit);
  PressKey(VK_TAB);
  EXPECT_TRUE(FocusIn(f.ShellTree2));
  SetFocus(edit);
  PressKey(VK_TAB, true);
  EXPECT_TRUE(FocusIn(f.ShellList));
  // With one pane, Tab stays in it.
  Press(f.SingleWinButton);
  PumpMessagesFor(20);
  f.NsShellCombo2->SetFocus();
  PressKey(VK_TAB);
  EXPECT_TRUE(FocusIn(f.ShellTree));
  PressKey(VK_TAB, true);
  EXPECT_TRUE(FocusIn(f.NsShellCombo2));
}

TEST_F(MainWindowTest, AMissingDriveOrAPatternIsNoFolderToStartIn) {
  std::wstring defaultFirst, defaultSecond;
  {
    TfrmMain& f = Open();
    defaultFirst = f.ShellTree->GetSelectedFolder();
    defaultSecond = f.ShellTree2->GetSelectedFolder();
    form.reset();
  }
  // Patterns that match folders, and the root of a drive that is not there.
  const std::wstring missing = MissingDriveRoot();
  for (const auto& [path1, path2] : {std::pair{first + L"\\*", missing}, {missing, first + L"\\I*"},
                                     {temp.Path() + L"\\F?rst", second + L"\\..\\*"}}) {
    WriteTextFile(settings, "[GenInfo]\r\nPath1=" + Narrow(path1) + "\r\nPath2=" + Narrow(path2) + "\r\n");
    TfrmMain& f = Open();
    EXPECT_EQ(f.ShellTree->GetSelectedFolder(), defaultFirst) << Narrow(path1);
    EXPECT_EQ(f.ShellTree2->GetSelectedFolder(), defaultSecond) << Narrow(path2);
    form.reset();
  }
  EXPECT_TRUE(errors.empty());
}

TEST_F(MainWindowTest, BoundsFromAMonitorThatIsGoneComeBackOntoTheScreen) {
  for (const char* place : {"Left=4000\r\nTop=3000", "Left=-5000\r\nTop=-2500", "Left=1200\r\nTop=-900"}) {
    WriteTextFile(settings, std::string("[MForm]\r\n") + place +
                                "\r\nWidth=700\r\nHeight=500\r\nwsNormal=1\r\nwsMaximized=0\r\n");
    TfrmMain& f = OpenShown();
    ASSERT_EQ(f.GetWindowState(), wsNormal);
    RECT r;
    GetWindowRect(f.GetHandle(), &r);
    const RECT work = WorkAreaOf(f.GetHandle());
    EXPECT_GE(r.left, work.left) << place;
    EXPECT_GE(r.top, work.top) << place;
    EXPECT_LE(r.right, work.right) << place;
    EXPECT_LE(r.bottom, work.bottom) << place;
    EXPECT_EQ(r.right - r.left, 700) << place;
    EXPECT_EQ(r.bottom - r.top, 500) << place;
    form.reset();
  }
  // Bounds on the screen stay as they were.
  WriteTextFile(settings, "[MForm]\r\nLeft=40\r\nTop=30\r\nWidth=700\r\nHeight=500\r\nwsMaximized=0\r\n");
  TfrmMain& f = Open();
  EXPECT_EQ(f.GetLeft(), 40);
  EXPECT_EQ(f.GetTop(), 30);
}

TEST_F(MainWindowTest, AFolderThatIsGoneLeavesItsTreeAtTheDefaultAndIsOverwrittenAtExit) {
  const std::wstring gone = temp / L"Gone";
  WriteTextFile(settings, "[GenInfo]\r\nPath1=" + Narrow(gone) + "\r\nPath2=" + Narrow(second) + "\r\n");
  {
    TfrmMain& f = Open();
    const std::wstring shown = f.ShellTree->GetSelectedFolder();
    EXPECT_FALSE(SameText(shown, gone));
    EXPECT_TRUE(SameText(f.ShellTree2->GetSelectedFolder(), second));
    Close();
  }
  EXPECT_FALSE(SameText(IniKey(settings, L"GenInfo", L"Path1"), gone));
}

TEST_F(MainWindowTest, AMaximizedEndKeepsTheNormalBoundsAndAMinimizedOneTheBand) {
  {
    TfrmMain& f = OpenShown();
    f.SetWindowState(wsNormal);
    f.SetBounds(60, 70, 800, 600);
    f.PanelExpl2->SetHeight(200);
    Close();
  }
  {
    TfrmMain& f = OpenShown();
    f.SetWindowState(wsMaximized);
    f.PanelExpl2->SetHeight(180);
    Close();
  }
  EXPECT_EQ(IniKey(settings, L"MForm", L"Left"), L"60");
  EXPECT_EQ(IniKey(settings, L"MForm", L"Width"), L"800");
  EXPECT_EQ(IniKey(settings, L"MForm", L"wsMaximized"), L"1");
  EXPECT_EQ(IniKey(settings, L"MForm", L"Expl2Height"), L"180");
  {
    TfrmMain& f = OpenShown();
    EXPECT_EQ(f.GetWindowState(), wsMaximized);
    f.SetWindowState(wsMinimized);
    f.PanelExpl2->SetHeight(90);
    Close();
  }
  EXPECT_EQ(IniKey(settings, L"MForm", L"wsNormal"), L"0");
  EXPECT_EQ(IniKey(settings, L"MForm", L"wsMaximized"), L"0");
  EXPECT_EQ(IniKey(settings, L"MForm", L"Expl2Height"), L"180");
  TfrmMain& f = Open();
  EXPECT_EQ(f.GetWindowState(), wsNormal);
}

TEST_F(MainWindowTest, ASettingsFileThatCannotBeWrittenReportsItAndLosesNothingElse) {
  {
    TfrmMain& f = Open();
    f.SetWindowState(wsNormal);
    f.SetBounds(10, 20, 700, 500);
    Close();
  }
  ASSERT_TRUE(errors.empty());
  // Held open without sharing, the file cannot be written at the next exit.
  HANDLE lock = CreateFileW(settings.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  {
    TfrmMain& f = Open();
    f.SetBounds(30, 40, 700, 500);
    Close();
  }
  CloseHandle(lock);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], L"Unable to write to " + settings);
  EXPECT_EQ(IniKey(settings, L"MForm", L"Left"), L"10");
}

TfrmAbout* gShownAbout = nullptr;

void CALLBACK ClickAccept(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  gShownAbout->btnAccept->Click();
}

TEST(AboutWindowTest, ShowsTheVersionAndAcceptCloses) {
  TfrmAbout about(nullptr);
  EXPECT_EQ(about.GetCaption(), L"frmAbout");
  EXPECT_EQ(about.GetClientWidth(), 642);
  EXPECT_EQ(about.GetClientHeight(), 498);
  EXPECT_EQ(about.lblVersion->GetCaption(), L"Twinscope V1.6");
  EXPECT_EQ(about.GroupBox1->GetCaption(), L"About");
  EXPECT_EQ(about.GroupBox2->GetCaption(), L"License");
  EXPECT_TRUE(about.memLicense->GetReadOnly());
  EXPECT_EQ(about.btnAccept->GetCaption(), L"Accept");
  // Accept ends the modal loop with OK; the timer fires inside that loop.
  gShownAbout = &about;
  SetTimer(nullptr, 0, 50, ClickAccept);
  EXPECT_EQ(about.ShowModal(), mrOk);
}

// The file commands.

bool IsFolderAt(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

TEST_F(MainWindowTest, TheControlsTakePartInTheShellsCommandsFromTheStart) {
  TfrmMain& f = Open();
  for (TNsShellTree* tree : {f.ShellTree, f.ShellTree2}) {
    EXPECT_TRUE(tree->GetAutomaticRefresh());
    EXPECT_TRUE(tree->GetShellContextMenu());
  }
  for (TNsShellList* list : {f.ShellList, f.ShellList2}) {
    EXPECT_TRUE(list->GetAutomaticRefresh());
    EXPECT_TRUE(list->GetShellContextMenu());
  }
  f.Show();
  PumpMessagesFor(50);
  EXPECT_TRUE(f.ShellTree->GetOleDragDrop());
  EXPECT_TRUE(f.ShellTree2->GetOleDragDrop());
}

TEST_F(MainWindowTest, NewFolderMakesItInTheFocusedPanesListOrTreeAndOpensItsName) {
  TfrmMain& f = OpenShown();
  f.ShellTree->SetSelectedFolder(first);
  f.ShellTree2->SetSelectedFolder(second);
  PumpMessagesFor(50);

  // The first pane's path box counts for the second pane: its list.
  f.NsShellCombo2->SetFocus();
  PumpMessagesFor(20);
  Press(f.NewFolderButton);
  EXPECT_TRUE(IsFolderAt(second + L"\\New Folder"));
  EXPECT_FALSE(IsFolderAt(first + L"\\New Folder"));
  EXPECT_NE(SendMessageW(f.ShellList2->GetHandle(), LVM_GETEDITCONTROL, 0, 0), 0);
  f.ShellList2->SetFocus();
  PumpMessagesFor(20);

  // The first pane's tree: a folder in its selected folder, its name open.
  f.ShellTree->SetFocus();
  PumpMessagesFor(20);
  Press(f.NewFolderButton);
  EXPECT_TRUE(IsFolderAt(first + L"\\New Folder"));
  EXPECT_NE(SendMessageW(f.ShellTree->GetHandle(), TVM_GETEDITCONTROL, 0, 0), 0);
  f.ShellList->SetFocus();
  PumpMessagesFor(20);

  // Again in the first pane's list: the next free name.
  Press(f.NewFolderButton);
  EXPECT_TRUE(IsFolderAt(first + L"\\New Folder (1)"));
}

TEST_F(MainWindowTest, PropertiesActOnlyOnTheFirstPane) {
  temp.MakeFile(L"Second\\file.txt", "x");
  TfrmMain& f = OpenShown();
  f.ShellTree2->SetSelectedFolder(second);
  PumpMessagesFor(50);
  f.ShellList2->SetFocus();
  PumpMessagesFor(20);
  f.ShellList2->GetItems()[0]->SetSelected(true);
  TDialogAnswerer close(IDCANCEL);
  Press(f.PropertiesButton);
  PumpMessagesFor(200);
  EXPECT_EQ(close.Answered(), 0);
}

TEST_F(MainWindowTest, F5InTheFirstTreeTurnsItsPanesRefreshOnAndInTheSecondNothing) {
  TfrmMain& f = OpenShown();
  for (TPane pane : {TPane::First, TPane::Second}) {
    f.TreeOf(pane)->SetAutomaticRefresh(false);
    f.ListOf(pane)->SetAutomaticRefresh(false);
  }
  SendMessageW(f.ShellTree2->GetHandle(), WM_KEYDOWN, VK_F5, 0);
  SendMessageW(f.ShellTree2->GetHandle(), WM_KEYUP, VK_F5, 0xC0000000);
  EXPECT_FALSE(f.ShellTree2->GetAutomaticRefresh());
  EXPECT_FALSE(f.ShellList2->GetAutomaticRefresh());
  EXPECT_FALSE(f.ShellTree->GetAutomaticRefresh());
  SendMessageW(f.ShellTree->GetHandle(), WM_KEYDOWN, VK_F5, 0);
  SendMessageW(f.ShellTree->GetHandle(), WM_KEYUP, VK_F5, 0xC0000000);
  EXPECT_TRUE(f.ShellTree->GetAutomaticRefresh());
  EXPECT_TRUE(f.ShellList->GetAutomaticRefresh());
  EXPECT_FALSE(f.ShellList2->GetAutomaticRefresh());
}

}  // namespace
}  // namespace ts::test
