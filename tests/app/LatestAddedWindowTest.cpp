// The Latest Added window as a real window, on folder trees the tests build
// with known last-write times, and with a real main window for the jumps.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/LatestAddedWindow.h"
#include "app/MainWindow.h"
#include "support/MessagePump.h"
#include "support/SettingsFiles.h"
#include "support/TempFolder.h"
#include "toolkit/Application.h"
#include "toolkit/Strings.h"

namespace ts::test {
namespace {

// Sets the last write of a file or folder to a local time. Folders get
// theirs after everything inside them is made.
void SetLastWrite(const std::wstring& path, WORD year, WORD month, WORD day, WORD hour, WORD minute,
                  WORD second = 0) {
  SYSTEMTIME local{};
  local.wYear = year, local.wMonth = month, local.wDay = day;
  local.wHour = hour, local.wMinute = minute, local.wSecond = second;
  FILETIME localTime, utc;
  ASSERT_TRUE(SystemTimeToFileTime(&local, &localTime));
  ASSERT_TRUE(LocalFileTimeToFileTime(&localTime, &utc));
  HANDLE h = CreateFileW(LongPath(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << WideToUtf8(path);
  EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &utc));
  CloseHandle(h);
}

std::vector<std::wstring> Lines(TfrmLatestAdded& w) {
  std::vector<std::wstring> lines;
  TStringList& items = w.ListBoxLatest->GetItems();
  for (int i = 0; i < items.GetCount(); ++i) lines.push_back(items[i]);
  return lines;
}

// The count the list box window itself holds.
int WindowCount(TfrmLatestAdded& w) {
  return static_cast<int>(SendMessageW(w.ListBoxLatest->GetHandle(), LB_GETCOUNT, 0, 0));
}

// A double click of the left button on a line, as the mouse gives it.
void DoubleClickLine(TfrmLatestAdded& w, int index) {
  HWND list = w.ListBoxLatest->GetHandle();
  SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
  RECT r{};
  ASSERT_NE(SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)), LB_ERR);
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(list, WM_LBUTTONUP, 0, at);
  SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  SendMessageW(list, WM_LBUTTONUP, 0, at);
}

// A click on a radio button, as the mouse gives it.
void ClickRadio(TRadioButton* button) { SendMessageW(button->GetHandle(), BM_CLICK, 0, 0); }

class LatestAddedWindowTest : public ::testing::Test {
protected:
  LatestAddedWindowTest() {
    settings = temp / L"Twinscope2.ini";
    Application->OnException = [this](TObject*, const std::exception& error) {
      if (auto* e = dynamic_cast<const Exception*>(&error)) errors.push_back(e->Message());
    };
  }
  ~LatestAddedWindowTest() override {
    window.reset();
    if (main) {
      main.reset();
      frmMain = nullptr;
    }
    Application->OnException = nullptr;
  }

  TfrmLatestAdded& Open() {
    window = std::make_unique<TfrmLatestAdded>(nullptr, settings);
    return *window;
  }
  // Shown on a start path, which lists it at once.
  TfrmLatestAdded& ShowOn(const std::wstring& start) {
    if (!window) Open();
    window->lblStartPath->SetCaption(start);
    window->Show();
    return *window;
  }
  TfrmMain& OpenMain() {
    main = std::make_unique<TfrmMain>(nullptr, temp / L"Twinscope.ini");
    frmMain = main.get();
    main->SetWindowState(wsNormal);
    main->Show();
    PumpMessagesFor(50);
    return *main;
  }

  // Data (2012-05-01 08:00) holding Photos (2010-03-14 09:26) with img.jpg
  // (2011-07-02 18:45) and Docs (2009-12-24 23:59) with notes.txt
  // (2008-01-31 00:05).
  std::wstring MakePhotoTree() {
    const std::wstring data = temp.MakeFolder(L"Data");
    temp.MakeFile(L"Data\\Photos\\img.jpg", "jpeg");
    temp.MakeFile(L"Data\\Docs\\notes.txt", "notes");
    SetLastWrite(data + L"\\Photos\\img.jpg", 2011, 7, 2, 18, 45);
    SetLastWrite(data + L"\\Docs\\notes.txt", 2008, 1, 31, 0, 5);
    SetLastWrite(data + L"\\Photos", 2010, 3, 14, 9, 26);
    SetLastWrite(data + L"\\Docs", 2009, 12, 24, 23, 59);
    SetLastWrite(data, 2012, 5, 1, 8, 0);
    return data;
  }

  TTempFolder temp;
  std::wstring settings;
  std::vector<std::wstring> errors;
  std::unique_ptr<TfrmMain> main;
  std::unique_ptr<TfrmLatestAdded> window;
};

TEST_F(LatestAddedWindowTest, ComponentsStandWhereTheWindowPutsThem) {
  TfrmLatestAdded& w = Open();
  w.HandleNeeded();
  EXPECT_EQ(w.GetCaption(), L"Latest Added");
  EXPECT_EQ(w.GetClientWidth(), 756);
  EXPECT_EQ(w.GetClientHeight(), 310);
  EXPECT_EQ(w.GetFont().GetName(), L"Tahoma");
  EXPECT_FALSE(w.GetVisible());
  struct {
    TControl* control;
    int left, top;
    const wchar_t* text;
  } const expected[] = {
      {w.Label2, 8, 8, L"Use double click for a jump to a path "},
      {w.rbtnDirsOnly, 248, 8, L"Dirs Only"},
      {w.rbtnDirsAndFiles, 403, 8, L"Dirs and Files"},
      {w.Button1, 632, 8, L"Refresh"},
      {w.Label1, 8, 27, L"Start path :"},
      {w.lblStartPath, 80, 27, L"...."},
      {w.lblItems, 8, 289, L"Items : 0"},
  };
  for (const auto& e : expected) {
    EXPECT_EQ(e.control->GetLeft(), e.left) << WideToUtf8(e.text);
    EXPECT_EQ(e.control->GetTop(), e.top) << WideToUtf8(e.text);
    EXPECT_EQ(e.control->GetCaption(), e.text);
  }
  const RECT list = w.ListBoxLatest->GetBoundsRect();
  EXPECT_EQ(list.left, 8);
  EXPECT_EQ(list.top, 57);
  EXPECT_EQ(list.right - list.left, 740);
  EXPECT_EQ(list.bottom - list.top, 231);
  EXPECT_EQ(w.ListBoxLatest->GetFont().GetName(), L"Arial");
  EXPECT_EQ(w.ListBoxLatest->GetFont().GetHeight(), -11);
  EXPECT_EQ(SendMessageW(w.ListBoxLatest->GetHandle(), LB_GETITEMHEIGHT, 0, 0), 14);
  EXPECT_EQ(w.ListBoxLatest->GetItems().GetCount(), 0);
  // Nothing stored: files are listed too.
  EXPECT_FALSE(w.rbtnDirsOnly->GetChecked());
  EXPECT_TRUE(w.rbtnDirsAndFiles->GetChecked());
}

TEST_F(LatestAddedWindowTest, DirsOnlyListsTheFoldersBelowTheStartNewestFirst) {
  const std::wstring data = MakePhotoTree();
  WriteTextFile(settings, "[frmLatAd]\r\nDirsOnly=1\r\n");
  TfrmLatestAdded& w = ShowOn(data);
  EXPECT_TRUE(w.rbtnDirsOnly->GetChecked());
  EXPECT_FALSE(w.rbtnDirsAndFiles->GetChecked());
  EXPECT_EQ(Lines(w), (std::vector<std::wstring>{L"2010-03-14  09:26  " + data + L"\\Photos\\",
                                                 L"2009-12-24  23:59  " + data + L"\\Docs\\"}));
  EXPECT_EQ(WindowCount(w), 2);
  EXPECT_EQ(w.lblItems->GetCaption(), L"Items : 2");
  // The path starts at the 20th character.
  EXPECT_EQ(Lines(w)[0].substr(19), data + L"\\Photos\\");
}

TEST_F(LatestAddedWindowTest, DirsAndFilesListsTheFilesBesideTheirFolders) {
  const std::wstring data = MakePhotoTree();
  TfrmLatestAdded& w = ShowOn(data);
  EXPECT_EQ(Lines(w), (std::vector<std::wstring>{L"2011-07-02  18:45  " + data + L"\\Photos\\img.jpg",
                                                 L"2010-03-14  09:26  " + data + L"\\Photos\\",
                                                 L"2009-12-24  23:59  " + data + L"\\Docs\\",
                                                 L"2008-01-31  00:05  " + data + L"\\Docs\\notes.txt"}));
  EXPECT_EQ(w.lblItems->GetCaption(), L"Items : 4");
}

TEST_F(LatestAddedWindowTest, OneMinutesLinesGoByTheReverseCaseInsensitiveOrderOfTheirPaths) {
  const std::wstring start = temp.MakeFolder(L"Tie");
  // The seconds differ and count for nothing; an ordinal order would put
  // "Banana" after "apple".
  for (const auto& [name, second] : {std::pair{L"apple.txt", 50}, {L"Banana.txt", 10}, {L"cherry.txt", 30}}) {
    SetLastWrite(temp.MakeFile(std::wstring(L"Tie\\") + name, "x"), 2020, 6, 1, 12, 0, static_cast<WORD>(second));
  }
  SetLastWrite(temp.MakeFile(L"Tie\\zulu.txt", "x"), 2020, 6, 1, 11, 59, 59);
  TfrmLatestAdded& w = ShowOn(start);
  EXPECT_EQ(Lines(w), (std::vector<std::wstring>{
                          L"2020-06-01  12:00  " + start + L"\\cherry.txt",
                          L"2020-06-01  12:00  " + start + L"\\Banana.txt",
                          L"2020-06-01  12:00  " + start + L"\\apple.txt",
                          L"2020-06-01  11:59  " + start + L"\\zulu.txt",
                      }));
}

TEST_F(LatestAddedWindowTest, TheRadioButtonsStoreTheirChoiceAndOnlyRefreshRebuilds) {
  const std::wstring data = MakePhotoTree();
  TfrmLatestAdded& w = ShowOn(data);
  ASSERT_EQ(Lines(w).size(), 4u);
  ClickRadio(w.rbtnDirsOnly);
  EXPECT_TRUE(w.rbtnDirsOnly->GetChecked());
  EXPECT_FALSE(w.rbtnDirsAndFiles->GetChecked());
  EXPECT_EQ(IniKey(settings, L"frmLatAd", L"DirsOnly"), L"1");
  EXPECT_EQ(Lines(w).size(), 4u);
  w.Button1->Click();
  EXPECT_EQ(Lines(w).size(), 2u);
  EXPECT_EQ(w.lblItems->GetCaption(), L"Items : 2");

  ClickRadio(w.rbtnDirsAndFiles);
  EXPECT_EQ(IniKey(settings, L"frmLatAd", L"DirsOnly"), L"0");
  EXPECT_EQ(Lines(w).size(), 2u);
  // A file made since is listed by the next Refresh.
  SetLastWrite(temp.MakeFile(L"Data\\new.txt", "n"), 2030, 1, 1, 0, 0);
  w.Button1->Click();
  ASSERT_EQ(Lines(w).size(), 5u);
  EXPECT_EQ(Lines(w)[0], L"2030-01-01  00:00  " + data + L"\\new.txt");
}

TEST_F(LatestAddedWindowTest, TheChoiceComesBackOnEveryShowingAndAfterARunThatNeverShowedIt) {
  {
    TfrmLatestAdded& w = Open();
    w.rbtnDirsOnly->SetChecked(true);
    window.reset();  // written at the end
  }
  EXPECT_EQ(IniKey(settings, L"frmLatAd", L"DirsOnly"), L"1");
  // A run that never shows the window keeps what was stored.
  Open();
  window.reset();
  EXPECT_EQ(IniKey(settings, L"frmLatAd", L"DirsOnly"), L"1");

  TfrmLatestAdded& w = ShowOn(temp.Path());
  EXPECT_TRUE(w.rbtnDirsOnly->GetChecked());
  w.Hide();
  // Changed behind the window's back: the next showing reads it again.
  WriteTextFile(settings, "[frmLatAd]\r\nDirsOnly=0\r\n");
  w.Show();
  EXPECT_FALSE(w.rbtnDirsOnly->GetChecked());
  EXPECT_TRUE(w.rbtnDirsAndFiles->GetChecked());
  // What does not parse is the default.
  w.Hide();
  WriteTextFile(settings, "[frmLatAd]\r\nDirsOnly=perhaps\r\n");
  w.Show();
  EXPECT_TRUE(w.rbtnDirsAndFiles->GetChecked());
  EXPECT_TRUE(errors.empty());
}

TEST_F(LatestAddedWindowTest, ASettingsFileThatCannotBeWrittenIsReportedAndKeepsItsValue) {
  WriteTextFile(settings, "[frmLatAd]\r\nDirsOnly=1\r\n");
  TfrmLatestAdded& w = ShowOn(temp.Path());
  // Held open without sharing, the file cannot be written.
  HANDLE lock = CreateFileW(settings.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  ClickRadio(w.rbtnDirsAndFiles);
  EXPECT_TRUE(w.rbtnDirsAndFiles->GetChecked());
  window.reset();
  CloseHandle(lock);
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0], L"Unable to write to " + settings);
  EXPECT_EQ(errors[1], L"Unable to write to " + settings);
  EXPECT_EQ(IniKey(settings, L"frmLatAd", L"DirsOnly"), L"1");
}

TEST_F(LatestAddedWindowTest, NothingToListShowsNoLineAndACountOfNought) {
  const std::wstring empty = temp.MakeFolder(L"Empty");
  TfrmLatestAdded& w = ShowOn(empty);
  EXPECT_TRUE(Lines(w).empty());
  EXPECT_EQ(w.lblItems->GetCaption(), L"Items : 0");

  // A start path that names no folder: one that vanished, a file, a drive
  // that does not exist, the label's text before any start path came.
  MakePhotoTree();
  w.lblStartPath->SetCaption(temp / L"Data");
  w.Button1->Click();
  ASSERT_EQ(Lines(w).size(), 4u);
  const std::wstring file = temp.MakeFile(L"plain.txt", "p");
  for (const std::wstring& start : {temp / L"Vanished", file, std::wstring(L"Q:\\nowhere"), std::wstring(L"....")}) {
    w.lblStartPath->SetCaption(start);
    w.Button1->Click();
    EXPECT_TRUE(Lines(w).empty()) << WideToUtf8(start);
    EXPECT_EQ(WindowCount(w), 0);
    EXPECT_EQ(w.lblItems->GetCaption(), L"Items : 0");
  }
}

TEST_F(LatestAddedWindowTest, AnEmptyStartPathWalksTheCurrentDirectory) {
  std::vector<wchar_t> buffer(32768);
  const std::wstring saved(buffer.data(), GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data()));
  const std::wstring data = MakePhotoTree();
  ASSERT_TRUE(SetCurrentDirectoryW((data + L"\\Docs").c_str()));
  TfrmLatestAdded& w = ShowOn(L"");
  SetCurrentDirectoryW(saved.c_str());
  EXPECT_EQ(Lines(w), (std::vector<std::wstring>{L"2008-01-31  00:05  " + data + L"\\Docs\\notes.txt"}));
}

TEST_F(LatestAddedWindowTest, AHiddenFolderIsLeftOutWithEverythingInItWhileHiddenFilesShow) {
  const std::wstring start = temp.MakeFolder(L"Start");
  temp.MakeFile(L"Start\\Secret\\inner.txt", "s");
  temp.MakeFile(L"Start\\Secret\\Deeper\\more.txt", "s");
  const std::wstring hiddenFile = temp.MakeFile(L"Start\\Open\\hidden.txt", "h");
  SetFileAttributesW(hiddenFile.c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesW((start + L"\\Secret").c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetLastWrite(hiddenFile, 2015, 1, 1, 10, 0);
  SetLastWrite(start + L"\\Open", 2014, 1, 1, 10, 0);
  TfrmLatestAdded& w = ShowOn(start);
  EXPECT_EQ(Lines(w), (std::vector<std::wstring>{L"2015-01-01  10:00  " + start + L"\\Open\\hidden.txt",
                                                 L"2014-01-01  10:00  " + start + L"\\Open\\"}));
}

TEST_F(LatestAddedWindowTest, NamesBeyondAsciiAndPathsBeyondTwoHundredSixtyCharactersAreListedWhole) {
  const std::wstring start = temp.MakeFolder(L"Wide");
  const std::wstring odd = L"Fotos \u00e9t\u00e9 \u4e2d\u6587 \u0416 (1) [x] #;'!";
  temp.MakeFile(L"Wide\\" + odd + L"\\b\u00e4r.txt", "b");
  SetLastWrite(start + L"\\" + odd + L"\\b\u00e4r.txt", 2019, 2, 3, 4, 5);
  SetLastWrite(start + L"\\" + odd, 2019, 2, 3, 4, 4);
  // Three levels of 100 characters put the deepest file beyond MAX_PATH.
  const std::wstring level(100, L'd');
  const std::wstring deep = level + L"\\" + level + L"\\" + level;
  temp.MakeFile(L"Wide\\" + deep + L"\\deep.txt", "d");
  SetLastWrite(start + L"\\" + deep + L"\\deep.txt", 2001, 1, 1, 1, 1);
  SetLastWrite(start + L"\\" + deep, 2000, 1, 1, 0, 3);
  SetLastWrite(start + L"\\" + level + L"\\" + level, 2000, 1, 1, 0, 2);
  SetLastWrite(start + L"\\" + level, 2000, 1, 1, 0, 1);
  TfrmLatestAdded& w = ShowOn(start);
  const auto lines = Lines(w);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0], L"2019-02-03  04:05  " + start + L"\\" + odd + L"\\b\u00e4r.txt");
  EXPECT_EQ(lines[1], L"2019-02-03  04:04  " + start + L"\\" + odd + L"\\");
  const std::wstring deepLine = L"2001-01-01  01:01  " + start + L"\\" + deep + L"\\deep.txt";
  EXPECT_GT(deepLine.size() - 19, static_cast<size_t>(MAX_PATH));
  EXPECT_EQ(lines[2], deepLine);
  EXPECT_EQ(lines[5], L"2000-01-01  00:01  " + start + L"\\" + level + L"\\");
}

TEST_F(LatestAddedWindowTest, AHugeFolderIsListedWholeInOrder) {
  const std::wstring start = temp.MakeFolder(L"Huge");
  constexpr int kFiles = 3000;
  for (int i = 0; i < kFiles; ++i) {
    const std::wstring file = temp.MakeFile(L"Huge\\f" + std::to_wstring(i) + L".dat");
    // Spread over days and minutes so that the order is the time's.
    SetLastWrite(file, 2000, static_cast<WORD>(1 + i % 12), static_cast<WORD>(1 + i % 28),
                 static_cast<WORD>(i % 24), static_cast<WORD>(i % 60));
  }
  TfrmLatestAdded& w = ShowOn(start);
  const auto lines = Lines(w);
  ASSERT_EQ(static_cast<int>(lines.size()), kFiles);
  EXPECT_EQ(WindowCount(w), kFiles);
  EXPECT_EQ(w.lblItems->GetCaption(), L"Items : " + std::to_wstring(kFiles));
  for (size_t i = 1; i < lines.size(); ++i) {
    ASSERT_GE(lines[i - 1].substr(0, 18), lines[i].substr(0, 18)) << i;
    if (lines[i - 1].substr(0, 18) == lines[i].substr(0, 18)) {
      ASSERT_GT(CompareText(lines[i - 1], lines[i]), 0) << i;
    }
  }
}

TEST_F(LatestAddedWindowTest, TheOrderIsTheLocalesCaseInsensitiveOrderOfWholeLinesReversed) {
  const std::wstring start = temp.MakeFolder(L"Mixed");
  // Hyphens and apostrophes (which the locale's word order weighs apart),
  // digits, case, accents, other scripts and symbols, in three minutes and
  // undated.
  const wchar_t* const names[] = {
      L"co-op.txt",  L"coop.txt",   L"co'op.txt", L"Coop2.txt", L"c\u00f4te.txt", L"cote.txt",
      L"COTE2.txt",    L"_under.txt", L"~tilde.txt", L"10.txt",  L"9.txt",          L"\u4e2d.txt",
      L"\u0416.txt", L"a b.txt",    L"a_b.txt",   L"a.b.txt",  L"[x].txt",        L"#1.txt",
  };
  int n = 0;
  for (const wchar_t* name : names) {
    const std::wstring file = temp.MakeFile(std::wstring(L"Mixed\\") + name, "m");
    if (n % 4 == 3)
      SetLastWrite(file, 1975, 1, 1, 0, 0);
    else
      SetLastWrite(file, 2021, 4, 5, 6, static_cast<WORD>(n % 4), static_cast<WORD>(n % 60));
    ++n;
  }
  TfrmLatestAdded& w = ShowOn(start);
  auto lines = Lines(w);
  ASSERT_EQ(lines.size(), std::size(names));
  std::vector<std::wstring> expected = lines;
  std::stable_sort(expected.begin(), expected.end(),
                   [](const std::wstring& a, const std::wstring& b) { return CompareText(a, b) > 0; });
  EXPECT_EQ(lines, expected);
  // The undated lines come first, as the order of the texts puts them last.
  EXPECT_EQ(lines[0].substr(0, 11), L"xxxx-xx-xx ");
}

TEST(LatestAddedLinesTest, DateTextsAndThePathsOfLines) {
  // 2010-03-14 09:26:58, packed.
  const int32_t packed = static_cast<int32_t>(((30u << 9 | 3u << 5 | 14u) << 16) | (9u << 11 | 26u << 5 | 29u));
  EXPECT_EQ(LatestAddedDateText(packed), L"2010-03-14  09:26 ");
  EXPECT_EQ(LatestAddedDateText(packed).size(), 18u);
  EXPECT_EQ(LatestAddedDateText(-1), L"xxxx-xx-xx");
  // The last years the layout holds set the sign bit: still a date.
  EXPECT_EQ(LatestAddedDateText(static_cast<int32_t>(((127u << 9 | 12u << 5 | 31u) << 16) | (23u << 11 | 59u << 5))),
            L"2107-12-31  23:59 ");

  std::wstring path;
  ASSERT_TRUE(LatestAddedLinePath(L"2010-03-14  09:26  C:\\Data\\Photos\\", path));
  EXPECT_EQ(path, L"C:\\Data\\Photos");
  ASSERT_TRUE(LatestAddedLinePath(L"2010-03-14  09:26  C:\\Data\\Photos\\img.jpg", path));
  EXPECT_EQ(path, L"C:\\Data\\Photos\\img.jpg");
  ASSERT_TRUE(LatestAddedLinePath(L"xxxx-xx-xx C:\\Old\\", path));
  EXPECT_EQ(path, L"C:\\Old");
  ASSERT_TRUE(LatestAddedLinePath(L"xxxx-xx-xx C:\\a", path));
  EXPECT_EQ(path, L"C:\\a");
  // Too short to be a line: no jump at all.
  EXPECT_FALSE(LatestAddedLinePath(L"2010-03-14  09:2", path));
  EXPECT_FALSE(LatestAddedLinePath(L"xxxx-xx-xx ", path));
  EXPECT_FALSE(LatestAddedLinePath(L"", path));
  // Long enough but without a path: the jump finds nothing to open.
  ASSERT_TRUE(LatestAddedLinePath(L"2010-03-14  09:26 ", path));
  EXPECT_TRUE(path.empty());
}

// Jumps, with the main window.

TEST_F(LatestAddedWindowTest, ADoubleClickMovesTheRememberedPaneAndClosesTheWindow) {
  const std::wstring data = MakePhotoTree();
  TfrmMain& m = OpenMain();
  m.Expl1Focus = true;
  TfrmLatestAdded& w = ShowOn(data);
  ASSERT_EQ(Lines(w)[1], L"2010-03-14  09:26  " + data + L"\\Photos\\");
  DoubleClickLine(w, 1);
  EXPECT_TRUE(SameText(m.ShellTree->GetSelectedFolder(), data + L"\\Photos"));
  EXPECT_FALSE(w.GetVisible());
  EXPECT_TRUE(PumpMessagesUntil([&] { return m.ShellTree->Focused(); }, 10000));
  // The link brings the pane's list along.
  EXPECT_TRUE(PumpMessagesUntil([&] { return m.ShellList->GetItems().Count() == 1; }, 20000));

  // The second pane when it is the remembered one.
  m.Expl1Focus = false;
  w.Show();
  ASSERT_EQ(Lines(w)[2], L"2009-12-24  23:59  " + data + L"\\Docs\\");
  DoubleClickLine(w, 2);
  EXPECT_TRUE(SameText(m.ShellTree2->GetSelectedFolder(), data + L"\\Docs"));
  EXPECT_TRUE(SameText(m.ShellTree->GetSelectedFolder(), data + L"\\Photos"));
  EXPECT_TRUE(PumpMessagesUntil([&] { return m.ShellTree2->Focused(); }, 10000));
}

TEST_F(LatestAddedWindowTest, AFilesLineTakesThePaneToTheFilesFolder) {
  const std::wstring data = MakePhotoTree();
  TfrmMain& m = OpenMain();
  TfrmLatestAdded& w = ShowOn(data);
  ASSERT_EQ(Lines(w)[0], L"2011-07-02  18:45  " + data + L"\\Photos\\img.jpg");
  DoubleClickLine(w, 0);
  // The tree holds folders: the file's path selects its folder.
  EXPECT_TRUE(SameText(m.ShellTree->GetSelectedFolder(), data + L"\\Photos"));
  EXPECT_FALSE(w.GetVisible());
}

TEST_F(LatestAddedWindowTest, AnUndatedLineJumpsToItsOwnPath) {
  const std::wstring start = temp.MakeFolder(L"Old");
  const std::wstring archive = temp.MakeFolder(L"Old\\Archive");
  temp.MakeFile(L"Old\\Archive\\1975.txt", "old");
  SetLastWrite(archive + L"\\1975.txt", 1975, 6, 1, 12, 0);
  SetLastWrite(archive, 1977, 1, 1, 0, 0);
  TfrmMain& m = OpenMain();
  TfrmLatestAdded& w = ShowOn(start);
  const auto lines = Lines(w);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], L"xxxx-xx-xx " + archive + L"\\1975.txt");
  EXPECT_EQ(lines[1], L"xxxx-xx-xx " + archive + L"\\");
  DoubleClickLine(w, 1);
  EXPECT_TRUE(SameText(m.ShellTree->GetSelectedFolder(), archive));
  EXPECT_FALSE(w.GetVisible());
}

TEST_F(LatestAddedWindowTest, APathBeyondWhatTheShellTakesGoesToItsDeepestFolderThatItTakes) {
  const std::wstring start = temp.MakeFolder(L"Long");
  const std::wstring level(100, L'd');
  const std::wstring reachable = start + L"\\" + level + L"\\" + level;
  const std::wstring deep = reachable + L"\\" + level;
  ASSERT_LT(reachable.size(), static_cast<size_t>(MAX_PATH));
  temp.MakeFile(L"Long\\" + level + L"\\" + level + L"\\" + level + L"\\deep.txt", "d");
  SetLastWrite(deep + L"\\deep.txt", 2031, 1, 1, 1, 1);
  SetLastWrite(deep, 2030, 1, 1, 1, 1);
  TfrmMain& m = OpenMain();
  m.ShellTree->SetSelectedFolder(temp.Path());
  TfrmLatestAdded& w = ShowOn(start);
  ASSERT_EQ(Lines(w)[0].substr(19), deep + L"\\deep.txt");
  DoubleClickLine(w, 0);
  EXPECT_TRUE(SameText(m.ShellTree->GetSelectedFolder(), reachable));
  EXPECT_FALSE(w.GetVisible());
  m.ShellTree->SetSelectedFolder(temp.Path());
  w.Show();
  ASSERT_EQ(Lines(w)[1].substr(19), deep + L"\\");
  DoubleClickLine(w, 1);
  EXPECT_TRUE(SameText(m.ShellTree->GetSelectedFolder(), reachable));
}

TEST_F(LatestAddedWindowTest, AVanishedPathLeavesThePaneButStillClosesAndNoLineDoesNothing) {
  const std::wstring data = MakePhotoTree();
  TfrmMain& m = OpenMain();
  m.ShellTree->SetSelectedFolder(temp.Path());
  TfrmLatestAdded& w = ShowOn(data);
  ASSERT_EQ(Lines(w)[1].substr(19), data + L"\\Photos\\");

  // No line selected: nothing happens.
  w.ListBoxLatest->SetItemIndex(-1);
  w.ListBoxLatestDblClick(w.ListBoxLatest);
  EXPECT_TRUE(w.GetVisible());

  RemoveTree(data + L"\\Photos");
  DoubleClickLine(w, 1);
  EXPECT_TRUE(SameText(m.ShellTree->GetSelectedFolder(), temp.Path()));
  EXPECT_FALSE(w.GetVisible());
  EXPECT_TRUE(PumpMessagesUntil([&] { return m.ShellTree->Focused(); }, 10000));
}

TEST_F(LatestAddedWindowTest, TheMenuCommandPutsTheFocusedPanesFolderIntoTheWindow) {
  const std::wstring data = MakePhotoTree();
  TfrmMain& m = OpenMain();
  Open();
  frmLatestAdded = window.get();
  m.ShellTree->SetSelectedFolder(data);
  m.ShellTree2->SetSelectedFolder(data + L"\\Docs");
  m.ShellTree->SetFocus();
  PumpMessagesFor(20);
  m.LastAdded1->Click();
  TfrmLatestAdded& w = *window;
  EXPECT_TRUE(w.GetVisible());
  EXPECT_TRUE(SameText(w.lblStartPath->GetCaption(), data));
  EXPECT_EQ(Lines(w).size(), 4u);
  EXPECT_TRUE(w.ListBoxLatest->Focused());

  // Already showing: the label changes, the list waits for Refresh. With
  // the focus in the first pane's path combo, the second pane's folder.
  m.NsShellCombo2->SetFocus();
  PumpMessagesFor(20);
  m.LastAdded1->Click();
  EXPECT_TRUE(SameText(w.lblStartPath->GetCaption(), data + L"\\Docs"));
  EXPECT_EQ(Lines(w).size(), 4u);
  w.Button1->Click();
  EXPECT_EQ(Lines(w).size(), 1u);
  frmLatestAdded = nullptr;
}

}  // namespace
}  // namespace ts::test
