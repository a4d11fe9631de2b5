// The folder combo as a real window on Wine's shell: its items, typed
// paths, the link both ways, the change notifier, drawing and keys; and on a
// namespace the test sets up, the folders found by identifier list.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cwchar>
#include <stdexcept>
#include <string>
#include <vector>

#include "controls/ShellCombo.h"
#include "link/NsShellLink.h"
#include "shell/FakeNamespace.h"
#include "shell/FileProbes.h"
#include "shell/ItemIdListPaths.h"
#include "shell/PathClassification.h"
#include "shell/ShellGlobals.h"
#include "support/FreeCounter.h"
#include "support/MenuDriver.h"
#include "support/MessagePump.h"
#include "support/TempFolder.h"
#include "toolkit/Application.h"
#include "toolkit/Exception.h"
#include "toolkit/FilePaths.h"
#include "toolkit/Forms.h"
#include "toolkit/Strings.h"

namespace ts::test {
namespace {

// A control of the pane that records where the link sends it.
class TRecordingControl : public INsShellControl {
public:
  ~TRecordingControl() { SetShellLink(nullptr); }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    *object = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_INsShellControl) ? this : nullptr;
    return *object != nullptr ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  void SetShellLink(TNsShellLink* link) override { AssignShellLink(fLink, link, this); }
  TNsShellLink* GetShellLink() override { return fLink; }
  void PathChanged(PCItemIDList PIDL) override {
    ++Moves;
    LastPath = ItemIdListToPath(PIDL);
    LastWasDesktop = PIDL != nullptr && GetItemIdCount(PIDL) == 0;
  }
  void FileChanged(PCItemIDList, PCItemIDList) override {}
  void SelectAll() override {}
  void FullRefresh() override {}
  void SmartRefresh() override {}
  bool GoUp() override { return false; }
  // Moves the pane as the tree would.
  void MoveTo(PCItemIDList PIDL) { fLink->PathChanged(this, PIDL); }

  int Moves = 0;
  std::wstring LastPath;
  bool LastWasDesktop = false;

private:
  TNsShellLink* fLink = nullptr;
};

std::wstring Today() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t text[16];
  swprintf(text, 16, L"%04u-%02u-%02u", now.wYear, now.wMonth, now.wDay);
  return text;
}

class ShellComboTest : public ::testing::Test {
protected:
  ShellComboTest() {
    form.SetBounds(40, 40, 460, 360);
    combo = new TNsShellCombo(&form);
    combo->SetBounds(10, 10, 400, 24);
    combo->SetShowFullPath(true);
    combo->OnAddFolder = [this](TObject*, TNsComboItem*, bool&) { ++added; };
    combo->SetParent(&form);
    form.Show();
  }

  // Each item as "indent:caption", and the selected one marked with "*".
  std::vector<std::wstring> Items() const {
    std::vector<std::wstring> items;
    for (int i = 0; i < combo->GetItems().GetCount(); ++i) {
      TNsComboItem* item = combo->ComboItem(i);
      items.push_back((i == combo->GetItemIndex() ? L"*" : L"") + std::to_wstring(item->GetIndent()) + L":" +
                      item->GetCaption());
    }
    return items;
  }
  int IndexOf(const std::wstring& caption) const { return combo->GetItems().IndexOf(caption); }
  HWND Edit() const { return combo->GetEditField()->GetHandle(); }

  // Types text into the edit field as the user would and presses Enter.
  void TypeAndEnter(const std::wstring& text) {
    combo->GetEditField()->SetText(L"");
    for (wchar_t c : text) SendMessageW(Edit(), WM_CHAR, c, 0);
    SendMessageW(Edit(), WM_KEYDOWN, VK_RETURN, 0);
    SendMessageW(Edit(), WM_CHAR, L'\r', 0);
  }

  void Link() {
    link.RegisterShellControl(&recorder);
    recorder.SetShellLink(&link);
    combo->SetShellLink(&link);
  }

  TForm form{nullptr};
  TNsShellCombo* combo;
  TNsShellLink link{nullptr};
  TRecordingControl recorder;
  int added = 0;
};

TEST_F(ShellComboTest, HoldsTheDesktopItsItemsAndTheComputersItemsDrivesFirst) {
  const std::vector<std::wstring> items = Items();
  ASSERT_GE(items.size(), 4u);
  EXPECT_EQ(combo->ComboItem(0)->GetCaption(), combo->GetBrowser().GetDesktopName());
  EXPECT_EQ(combo->ComboItem(0)->GetIndent(), 0);
  EXPECT_EQ(GetItemIdCount(combo->ComboItem(0)->GetPIDL()), 0);
  // Without a link the desktop's first item is selected: the computer.
  const int computer = IndexOf(L"My Computer");
  ASSERT_EQ(computer, 1);
  EXPECT_EQ(combo->GetItemIndex(), 1);
  EXPECT_EQ(combo->GetText(), L"My Computer");
  // Below it its items, the drives first.
  const int drive = IndexOf(L"C:\\");
  ASSERT_EQ(drive, 2);
  EXPECT_EQ(combo->ComboItem(drive)->GetIndent(), 2);
  bool pastDrives = false;
  for (int i = 2; i < combo->GetItems().GetCount() && combo->ComboItem(i)->GetIndent() == 2; ++i) {
    const std::wstring caption = combo->ComboItem(i)->GetCaption();
    const bool isDrive = caption.size() == 3 && caption[1] == L':';
    EXPECT_FALSE(pastDrives && isDrive) << WideToUtf8(caption) << " after the other items";
    pastDrives = pastDrives || !isDrive;
  }
  EXPECT_GE(IndexOf(L"Control Panel"), drive);
  for (int i = 0; i < combo->GetItems().GetCount(); ++i) {
    EXPECT_TRUE(combo->ComboItem(i)->GetPersistent());
    EXPECT_NE(combo->ComboItem(i)->GetPIDL(), nullptr);
  }
  EXPECT_EQ(added, combo->GetItems().GetCount());
  EXPECT_EQ(combo->GetVersion(), L"TNsShellCombo V7.1.0.530");
}

TEST_F(ShellComboTest, TypingAPathAndEnterShowsItsChainAndMovesTheLinkOnce) {
  Link();
  int enters = 0;
  combo->OnKeyDown = [&](TObject* sender, WORD& key, TShiftState) {
    EXPECT_EQ(sender, combo);
    if (key == VK_RETURN) ++enters;
  };
  TypeAndEnter(L"C:\\windows\\system32");
  const int drive = IndexOf(L"C:\\");
  ASSERT_GE(drive, 0);
  const int windows = drive + 1, system32 = drive + 2;
  ASSERT_LT(system32, combo->GetItems().GetCount());
  EXPECT_TRUE(SameText(combo->ComboItem(windows)->GetCaption(), L"windows"));
  EXPECT_TRUE(SameText(combo->ComboItem(system32)->GetCaption(), L"system32"));
  EXPECT_EQ(combo->ComboItem(windows)->GetIndent(), combo->ComboItem(drive)->GetIndent() + 2);
  EXPECT_EQ(combo->ComboItem(system32)->GetIndent(), combo->ComboItem(drive)->GetIndent() + 3);
  EXPECT_FALSE(combo->ComboItem(system32)->GetPersistent());
  EXPECT_EQ(combo->GetItemIndex(), system32);
  EXPECT_TRUE(SameText(combo->GetSelectedFolder(), L"C:\\windows\\system32"));
  EXPECT_TRUE(SameText(combo->GetEditField()->GetText(), L"C:\\windows\\system32"));
  EXPECT_EQ(recorder.Moves, 1);
  EXPECT_TRUE(SameText(recorder.LastPath, L"C:\\windows\\system32"));
  EXPECT_EQ(enters, 1);

  // The same folder again (typed in another case) is found, not added.
  const int count = combo->GetItems().GetCount();
  TypeAndEnter(L"c:\\WINDOWS\\System32\\");
  EXPECT_EQ(combo->GetItems().GetCount(), count);
  EXPECT_EQ(combo->GetItemIndex(), system32);
  EXPECT_EQ(recorder.Moves, 2);

  // A folder above: the chain below it goes.
  TypeAndEnter(L"C:\\windows");
  EXPECT_EQ(combo->GetItemIndex(), windows);
  EXPECT_EQ(combo->GetItems().GetCount(), count - 1);
}

TEST_F(ShellComboTest, VariablesInTheTypedPathAreExpanded) {
  TTempFolder temp;
  const std::wstring dated = temp.MakeFolder(Today());
  TypeAndEnter(L"%TEMP%");
  EXPECT_TRUE(SamePath(combo->GetSelectedFolder(), GetTempDirectory())) << WideToUtf8(combo->GetSelectedFolder());
  TypeAndEnter(temp.Path() + L"\\%date%");
  EXPECT_TRUE(SamePath(combo->GetSelectedFolder(), dated)) << WideToUtf8(combo->GetSelectedFolder());
  EXPECT_TRUE(SamePath(combo->GetText(), dated));
}

TEST_F(ShellComboTest, APathThatCannotBeShownChangesNothing) {
  Link();
  TypeAndEnter(L"C:\\windows");
  const std::vector<std::wstring> before = Items();
  const int moves = recorder.Moves;
  const std::wstring missing = L"C:\\windows\\no such folder";
  for (const std::wstring& typed :
       {missing, L"C:\\" + std::wstring(300, L'x'), std::wstring(L"%NO_SUCH_VARIABLE_HERE%\\x"), std::wstring(L"C:\\windows\\win.ini")}) {
    TypeAndEnter(typed);
    EXPECT_EQ(Items(), before) << WideToUtf8(typed);
    // What the user typed stays for them to mend.
    EXPECT_EQ(combo->GetEditField()->GetText(), typed);
  }
  EXPECT_EQ(recorder.Moves, moves);

  // With error messages the platform's message tells why.
  combo->SetShowErrorMessages(true);
  {
    TDialogAnswerer answer(IDOK);
    TypeAndEnter(missing);
    EXPECT_EQ(answer.Answered(), 1);
  }
  EXPECT_EQ(Items(), before);
}

TEST_F(ShellComboTest, OddNamesAndTrailingSpacesAreShownAsTheyAre) {
  TTempFolder temp;
  const std::wstring odd = temp.MakeFolder(L"\u00c4rger \u2603 \u65e5\u672c");
  TypeAndEnter(odd);
  EXPECT_TRUE(SamePath(combo->GetSelectedFolder(), odd));
  EXPECT_EQ(combo->ComboItem(combo->GetItemIndex())->GetCaption(), L"\u00c4rger \u2603 \u65e5\u672c");
  // A trailing delimiter names the same folder: the same chain, no empty
  // component.
  const std::vector<std::wstring> chain = Items();
  TypeAndEnter(odd + L"\\");
  EXPECT_TRUE(SamePath(combo->GetSelectedFolder(), odd));
  EXPECT_EQ(Items(), chain);
}

TEST_F(ShellComboTest, PickingTheDriveRemovesTheChainAndMovesTheLink) {
  Link();
  TypeAndEnter(L"C:\\windows\\system32");
  const int drive = IndexOf(L"C:\\");
  // As the user picks it from the open list.
  SendMessageW(combo->GetHandle(), CB_SETCURSEL, static_cast<WPARAM>(drive), 0);
  SendMessageW(form.GetHandle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo->GetHandle()), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo->GetHandle()));
  EXPECT_EQ(combo->GetItemIndex(), drive);
  EXPECT_EQ(IndexOf(L"system32"), -1);
  EXPECT_EQ(IndexOf(L"windows"), -1);
  EXPECT_EQ(combo->GetText(), L"C:\\");
  EXPECT_EQ(recorder.Moves, 2);
  EXPECT_EQ(recorder.LastPath, L"C:\\");
}

TEST_F(ShellComboTest, TheDesktopAndVirtualFoldersShowWhatTheyHave) {
  Link();
  TypeAndEnter(L"C:\\windows");
  combo->SetItemIndex(0);
  for (int i = 0; i < combo->GetItems().GetCount(); ++i) EXPECT_TRUE(combo->ComboItem(i)->GetPersistent());
  EXPECT_TRUE(recorder.LastWasDesktop);
  // The desktop's own folder on disk.
  EXPECT_EQ(combo->GetText(), ItemIdListToPath(DesktopItemIdList));
  EXPECT_FALSE(combo->GetText().empty());
  // Without a path: the caption.
  const int panel = IndexOf(L"Control Panel");
  ASSERT_GE(panel, 0);
  combo->SetItemIndex(panel);
  EXPECT_EQ(combo->GetText(), L"Control Panel");
  EXPECT_EQ(combo->GetSelectedFolder(), L"");
  EXPECT_EQ(recorder.Moves, 3);
  // Writing the index already selected changes nothing.
  combo->SetItemIndex(panel);
  combo->SetItemIndex(-1);
  EXPECT_EQ(recorder.Moves, 3);

  // Without the full path the edit field shows the display name's caption.
  combo->SetShowFullPath(false);
  combo->SetItemIndex(IndexOf(L"C:\\"));
  EXPECT_EQ(combo->GetEditField()->GetText(), L"C:\\");
}

TEST_F(ShellComboTest, TheLinksMovesAreShownAndNotSentBack) {
  Link();
  TPidl windows(PathToItemIdList(nullptr, L"C:\\windows\\system32"));
  recorder.MoveTo(windows.Get());
  EXPECT_TRUE(SameText(combo->GetSelectedFolder(), L"C:\\windows\\system32"));
  EXPECT_EQ(recorder.Moves, 0);
  EXPECT_EQ(link.ControlCount(), 2);
  // Destroyed, the combo leaves the link.
  delete combo;
  EXPECT_EQ(link.ControlCount(), 1);
}

// A partner that rebuilds the combo while it follows it, as a drive event
// arriving in a partner's message pump would, and only then reads the list.
class TRebuildingControl : public TRecordingControl {
public:
  TNsShellCombo* Combo = nullptr;
  void PathChanged(PCItemIDList PIDL) override {
    if (Combo != nullptr) Combo->FullRefresh();
    TRecordingControl::PathChanged(PIDL);
  }
};

TEST_F(ShellComboTest, APartnerThatMakesTheComboRebuildStillReadsTheFolderItWasSent) {
  TRebuildingControl partner;
  link.RegisterShellControl(&partner);
  partner.SetShellLink(&link);
  combo->SetShellLink(&link);
  partner.Combo = combo;
  TFreeCounter& spy = FreeCounter();
  spy.PoisonFreed = true;
  TypeAndEnter(L"C:\\windows\\system32");
  spy.PoisonFreed = false;
  partner.Combo = nullptr;
  EXPECT_EQ(partner.Moves, 1);
  EXPECT_TRUE(SameText(partner.LastPath, L"C:\\windows\\system32")) << partner.LastPath.c_str();
  EXPECT_TRUE(SameText(combo->GetSelectedFolder(), L"C:\\windows\\system32"));
  EXPECT_TRUE(link.GetEnabled());
  partner.SetShellLink(nullptr);
}

TEST_F(ShellComboTest, AFailureWhileARebuildShowsTheFolderSelectsTheDesktopAndFreesTheLink) {
  Link();
  TypeAndEnter(L"C:\\windows\\system32");
  combo->OnAddFolder = [](TObject*, TNsComboItem* item, bool&) {
    if (!item->GetPersistent()) throw std::runtime_error("handler failed");
  };
  EXPECT_NO_THROW(combo->FullRefresh());
  combo->OnAddFolder = nullptr;
  EXPECT_EQ(combo->GetItemIndex(), 0);
  EXPECT_TRUE(link.GetEnabled());
}

TEST_F(ShellComboTest, AFolderToldBeforeTheWindowExistsIsShownWithItAndAfterItIsMadeAgain) {
  TForm other(nullptr);
  other.SetBounds(40, 40, 460, 100);
  auto* late = new TNsShellCombo(&other);
  late->SetBounds(10, 10, 400, 24);
  late->SetShowFullPath(true);
  TPidl windows(PathToItemIdList(nullptr, L"C:\\windows"));
  late->PathChanged(windows.Get());
  late->SetParent(&other);
  other.Show();
  EXPECT_TRUE(SameText(late->GetSelectedFolder(), L"C:\\windows"));
  EXPECT_TRUE(SameText(late->GetText(), L"C:\\windows"));
  TPidl system(PathToItemIdList(nullptr, L"C:\\windows\\system32"));
  late->PathChanged(system.Get());
  late->RecreateWnd();
  late->HandleNeeded();
  EXPECT_TRUE(SameText(late->GetSelectedFolder(), L"C:\\windows\\system32"));
  EXPECT_NE(late->GetItems().IndexOf(L"system32"), -1);
}

TEST_F(ShellComboTest, MovingThroughTheOpenListMovesOnlyItsHighlightUntilAPick) {
  Link();
  TypeAndEnter(L"C:\\windows\\system32");
  const std::vector<std::wstring> chain = Items();
  const int moves = recorder.Moves;
  combo->SetFocus();
  combo->SetDroppedDown(true);
  ASSERT_TRUE(combo->GetDroppedDown());
  // Up through the chain and above it: nothing moves, nothing goes.
  for (int i = 0; i < 4; ++i) SendMessageW(combo->GetHandle(), WM_KEYDOWN, VK_UP, 0);
  PumpMessagesFor(20);
  EXPECT_EQ(recorder.Moves, moves);
  EXPECT_NE(IndexOf(L"system32"), -1);
  EXPECT_NE(IndexOf(L"windows"), -1);
  // Escape closes the list where it was.
  SendMessageW(combo->GetHandle(), WM_KEYDOWN, VK_ESCAPE, 0);
  PumpMessagesFor(20);
  EXPECT_FALSE(combo->GetDroppedDown());
  EXPECT_EQ(Items(), chain);
  EXPECT_EQ(recorder.Moves, moves);
  // Enter picks the highlighted item: the pane follows once.
  combo->SetDroppedDown(true);
  SendMessageW(combo->GetHandle(), WM_KEYDOWN, VK_UP, 0);
  SendMessageW(combo->GetHandle(), WM_KEYDOWN, VK_RETURN, 0);
  PumpMessagesFor(20);
  EXPECT_FALSE(combo->GetDroppedDown());
  EXPECT_EQ(recorder.Moves, moves + 1);
  EXPECT_TRUE(SameText(recorder.LastPath, L"C:\\windows")) << recorder.LastPath.c_str();
  EXPECT_EQ(IndexOf(L"system32"), -1);
}

TEST_F(ShellComboTest, ADriveAddedRebuildsTheItemsKeepingTheFolder) {
  Link();
  TypeAndEnter(L"C:\\windows\\system32");
  const std::vector<std::wstring> before = Items();
  const int moves = recorder.Moves;
  const int addedBefore = added;
  SHChangeNotify(SHCNE_DRIVEADD, SHCNF_PATHW, L"C:\\", nullptr);
  EXPECT_TRUE(PumpMessagesUntil([&] { return added > addedBefore; }, 20000));
  EXPECT_TRUE(PumpMessagesUntil([&] { return Items() == before; }, 20000));
  EXPECT_EQ(Items(), before);
  EXPECT_EQ(recorder.Moves, moves);
}

TEST_F(ShellComboTest, OptionsRebuildTheItemsAndFilesStayOut) {
  const int addedBefore = added;
  combo->SetShowFiles(true);
  EXPECT_FALSE(combo->GetShowFiles());
  EXPECT_GT(added, addedBefore);
  combo->SetShowHidden(false);  // unchanged: nothing happens
  const int addedAfter = added;
  combo->SetShowHidden(false);
  EXPECT_EQ(added, addedAfter);
  combo->SetShowErrorMessages(true);
  EXPECT_TRUE(combo->GetBrowser().GetShowErrorMessages());
  EXPECT_EQ(combo->GetShowOptions().Value() & (1u << soShowFiles), 0u);

  // A vetoed item takes no place: the computer's items stay below it.
  combo->OnAddFolder = [](TObject*, TNsComboItem* item, bool& canAdd) { canAdd = item->GetCaption() != L"C:\\"; };
  combo->FullRefresh();
  EXPECT_EQ(IndexOf(L"C:\\"), -1);
  EXPECT_EQ(combo->ComboItem(2)->GetIndent(), 2);
  EXPECT_EQ(combo->ComboItem(IndexOf(L"My Computer") + 1)->GetIndent(), 2);

  // Items with neither caption nor display name are not added.
  const int count = combo->GetItems().GetCount();
  combo->OnAddFolder = nullptr;
  combo->InsertItem(1, L"", L"", -1, 1, CopyItemIdList(DesktopItemIdList), false);
  EXPECT_EQ(combo->GetItems().GetCount(), count);
  combo->AddFolder(L"C:\\windows", 1, false);
  combo->AddFolder(L"C:\\windows", 1, false);
  EXPECT_EQ(combo->GetItems().GetCount(), count + 1);
  EXPECT_EQ(combo->ComboItem(count)->GetPIDL(), nullptr);
  EXPECT_EQ(combo->ComboItem(count)->GetDisplayName(), L"windows");
}

TEST_F(ShellComboTest, ItemsAreMeasuredAndDrawnWithTheirIconsAtTheirIndents) {
  TypeAndEnter(L"C:\\windows\\system32");
  const int expectedHeight = std::max(std::abs(combo->GetFont().GetHeight()) + 5, 16);
  for (int i = 0; i < combo->GetItems().GetCount(); ++i)
    EXPECT_EQ(SendMessageW(combo->GetHandle(), CB_GETITEMHEIGHT, static_cast<WPARAM>(i), 0), expectedHeight);

  combo->SetFocus();
  combo->SetDroppedDown(true);
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetComboBoxInfo(combo->GetHandle(), &info));
  HWND list = info.hwndList;
  // The rows from the first, all of them in view.
  SendMessageW(list, LB_SETTOPINDEX, 0, 0);
  const COLORREF background = GetSysColor(COLOR_WINDOW);
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  auto rowOf = [&](int index) {
    RECT rect{};
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    return rect;
  };
  auto pixel = [&](int x, int y) {
    HDC dc = GetDC(list);
    const COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(list, dc);
    return color;
  };
  // The selected row is drawn highlighted once the list has painted.
  const RECT selected = rowOf(combo->GetItemIndex());
  EXPECT_TRUE(PumpMessagesUntil([&] { return pixel(selected.right - 3, selected.top + 1) == highlight; }, 10000));
  // Each row: nothing but background before its icon, the icon where its
  // indent puts it.
  for (const wchar_t* caption : {L"My Computer", L"C:\\", L"windows"}) {
    const int index = IndexOf(caption);
    const RECT row = rowOf(index);
    ASSERT_GE(row.top, 0) << WideToUtf8(caption);
    const int iconLeft = 2 + combo->ComboItem(index)->GetIndent() * combo->GetIndentPixels();
    bool blankBefore = true, iconDrawn = false;
    for (int y = row.top; y < row.bottom; ++y) {
      for (int x = 0; x < iconLeft; ++x) blankBefore = blankBefore && pixel(x, y) == background;
      for (int x = iconLeft; x < iconLeft + 16; ++x) iconDrawn = iconDrawn || pixel(x, y) != background;
    }
    EXPECT_TRUE(blankBefore) << WideToUtf8(caption);
    EXPECT_TRUE(iconDrawn) << WideToUtf8(caption);
  }
  combo->SetDroppedDown(false);
}

TEST_F(ShellComboTest, ANarrowComboOpensAListOf250Pixels) {
  combo->SetWidth(200);
  combo->SetFocus();
  combo->SetDroppedDown(true);
  EXPECT_EQ(SendMessageW(combo->GetHandle(), CB_GETDROPPEDWIDTH, 0, 0), 250);
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  GetComboBoxInfo(combo->GetHandle(), &info);
  RECT list;
  GetWindowRect(info.hwndList, &list);
  EXPECT_EQ(list.right - list.left, 250);
  // As many rows as DropDownCount says, at most.
  const int rows = std::min(combo->GetItems().GetCount(), combo->GetDropDownCount());
  EXPECT_GE(list.bottom - list.top, rows * static_cast<int>(SendMessageW(combo->GetHandle(), CB_GETITEMHEIGHT, 0, 0)));
  combo->SetDroppedDown(false);
}

TEST_F(ShellComboTest, KeysOfTheEditFieldAndTheCombo) {
  combo->GetEditField()->SetText(L"C:\\somewhere");
  BYTE keys[256];
  GetKeyboardState(keys);
  BYTE control[256];
  std::copy(std::begin(keys), std::end(keys), std::begin(control));
  control[VK_CONTROL] = 0x80;
  SetKeyboardState(control);
  SendMessageW(Edit(), EM_SETSEL, 0, 0);
  SendMessageW(Edit(), WM_KEYDOWN, 'A', 0);
  SetKeyboardState(keys);
  EXPECT_EQ(combo->GetEditField()->GetSelLength(), 12);

  std::vector<wchar_t> pressed;
  combo->OnKeyPress = [&](TObject*, wchar_t& key) { pressed.push_back(key); };
  SendMessageW(Edit(), WM_CHAR, L'x', 0);
  EXPECT_EQ(pressed, (std::vector<wchar_t>{L'x'}));

  SendMessageW(combo->GetHandle(), WM_CHAR, VK_ESCAPE, 0);
  EXPECT_TRUE(combo->GetCancelled());
  SendMessageW(combo->GetHandle(), WM_CHAR, L'a', 0);
  EXPECT_FALSE(combo->GetCancelled());

  combo->SelectAll();
  EXPECT_EQ(GetFocus(), Edit());
  EXPECT_EQ(combo->GetEditField()->GetSelLength(), static_cast<int>(combo->GetEditField()->GetText().size()));

  combo->SetEditable(false);
  EXPECT_EQ(combo->GetEditField(), nullptr);
  EXPECT_EQ(combo->GetText(), L"My Computer");
  combo->SetEditable(true);
  ASSERT_NE(combo->GetEditField(), nullptr);
  EXPECT_EQ(combo->GetEditField()->GetText(), L"My Computer");
}

TEST_F(ShellComboTest, TheContextMenuIsTheSelectedFoldersShellMenu) {
  TypeAndEnter(L"C:\\windows");
  RECT face;
  GetWindowRect(combo->GetHandle(), &face);
  const LPARAM at = MAKELPARAM(face.left + 5, face.top + 5);
  {
    TMenuDriver driver(0u);
    SendMessageW(combo->GetHandle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(combo->GetHandle()), at);
    EXPECT_TRUE(driver.MenuSeen());
    EXPECT_GE(driver.IndexOfCaption(L"Copy"), 0);
  }
  EXPECT_TRUE(SameText(combo->GetBrowser().GetItemFullPath(), L"C:\\windows"));
  combo->SetShowContextMenu(false);
  {
    TMenuDriver driver(0u);
    SendMessageW(combo->GetHandle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(combo->GetHandle()), at);
    EXPECT_FALSE(driver.MenuSeen());
  }
}

// On a namespace of the test's: folders without a path are found by their
// identifier lists, one level deeper each below the deepest item present.
TEST(ShellComboFakeTest, FoldersWithoutPathsAreLocatedByIdentifierList) {
  constexpr ULONG kVirtual = SFGAO_FOLDER | SFGAO_HASSUBFOLDER;
  TFakeNamespace space;
  TFakeItem& computer = space.Add(space.Desktop(), L"Computer", kVirtual);
  space.SetSpecial(CSIDL_DRIVES, computer);
  space.Add(computer, L"Disk", SFGAO_FOLDER | SFGAO_FILESYSTEM, L"C:\\");
  TFakeItem& library = space.Add(space.Desktop(), L"Library", kVirtual);
  TFakeItem& shelf = space.Add(library, L"Shelf", kVirtual);
  TFakeItem& box = space.Add(shelf, L"Box", kVirtual);
  TFakeItem& share = space.Add(shelf, L"Share", kVirtual, L"\\\\server\\share");

  // Not shown: no icons are asked of the platform for the test's items.
  TForm form(nullptr);
  auto* combo = new TNsShellCombo(&form);
  combo->SetParent(&form);
  combo->HandleNeeded();
  std::vector<std::wstring> captions;
  auto items = [&] {
    captions.clear();
    for (int i = 0; i < combo->GetItems().GetCount(); ++i)
      captions.push_back(std::to_wstring(combo->ComboItem(i)->GetIndent()) + L":" + combo->ComboItem(i)->GetCaption());
    return captions;
  };
  ASSERT_EQ(items(), (std::vector<std::wstring>{L"0:Desktop", L"1:Computer", L"2:C:\\", L"1:Library"}));

  TPidl boxList(space.AbsoluteList(box));
  combo->PathChanged(boxList.Get());
  EXPECT_EQ(items(), (std::vector<std::wstring>{L"0:Desktop", L"1:Computer", L"2:C:\\", L"1:Library", L"2:Shelf",
                                                L"3:Box"}));
  EXPECT_EQ(combo->GetItemIndex(), 5);
  EXPECT_FALSE(combo->ComboItem(4)->GetPersistent());

  // A network path is shown by its identifier list too, the chain rebuilt.
  TPidl shareList(space.AbsoluteList(share));
  combo->PathChanged(shareList.Get());
  EXPECT_EQ(items(), (std::vector<std::wstring>{L"0:Desktop", L"1:Computer", L"2:C:\\", L"1:Library", L"2:Shelf",
                                                L"3:Share"}));
  EXPECT_EQ(combo->GetText(), L"Share");

  // Nothing for nothing.
  combo->PathChanged(nullptr);
  EXPECT_EQ(combo->GetItemIndex(), 5);
  delete combo;
}

}  // namespace
}  // namespace ts::test
