// The shell list's commands on Wine's real shell, on folders the tests
// make: opening, going up and back, copy, cut and paste through the
// clipboard (read back as another program reads it), delete, new folders,
// renaming in place, the keys and the extra mouse buttons.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "ShellListCommandsSupport.h"
#include "link/NsShellLink.h"
#include "shell/FileProbes.h"
#include "shell/PathClassification.h"
#include "shell/PidlHistory.h"
#include "shell/ShellClipboard.h"
#include "shell/ShellGlobals.h"
#include "support/MenuDriver.h"
#include "support/TempFolder.h"
#include "toolkit/Exception.h"
#include "toolkit/StringList.h"
#include "toolkit/Strings.h"

namespace ts::test {
namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

struct ShellListCommandsTest : ::testing::Test {
  TTempFolder temp;
  TCommandForm view;
  TCommandList* list = view.List;

  ShellListCommandsTest() { EmptyTheClipboard(); }
  ~ShellListCommandsTest() override { EmptyTheClipboard(); }
  void Show(const std::wstring& path) { list->SetPath(path); }
};

TEST_F(ShellListCommandsTest, EnterAndADoubleClickOpenFoldersAndBackspaceGoesUp) {
  temp.MakeFolder(L"inner");
  temp.MakeFile(L"inner\\deep.txt");
  temp.MakeFile(L"top.txt");
  list->SetShowParentFolder(true);
  Show(temp.Path());
  view.Select({L"inner"});
  TypeChar(view.Handle(), L'\r');
  EXPECT_TRUE(SamePath(list->GetPath(), temp / L"inner"));
  EXPECT_EQ(view.Captions(), (Names{L" .. ", L"deep.txt"}));
  // Enter on the parent-folder item goes up, selecting where it came from.
  view.Select({L" .. "});
  TypeChar(view.Handle(), L'\r');
  EXPECT_TRUE(SamePath(list->GetPath(), temp.Path()));
  ASSERT_NE(list->GetSelected(), nullptr);
  EXPECT_EQ(list->GetSelected()->GetCaption(), L"inner");
  // A double click on the selected folder.
  const RECT bounds = list->GetSelected()->DisplayRect(drLabel);
  const POINT inside{(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
  POINT screen = inside;
  ClientToScreen(view.Handle(), &screen);
  SetCursorPos(screen.x, screen.y);
  SendMessageW(view.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(inside.x, inside.y));
  SendMessageW(view.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(inside.x, inside.y));
  EXPECT_TRUE(SamePath(list->GetPath(), temp / L"inner"));
  // Backspace goes up.
  TypeChar(view.Handle(), L'\b');
  EXPECT_TRUE(SamePath(list->GetPath(), temp.Path()));
}

TEST_F(ShellListCommandsTest, BackspaceDoesNothingWhenTheLinkHidesTheParentItem) {
  temp.MakeFolder(L"inner");
  Show(temp / L"inner");
  TNsShellLink link(nullptr);
  list->SetShellLink(&link);
  link.SetShowParentFolderItem(false);
  TypeChar(view.Handle(), L'\b');
  EXPECT_TRUE(SamePath(list->GetPath(), temp / L"inner"));
  link.SetShowParentFolderItem(true);
  TypeChar(view.Handle(), L'\b');
  EXPECT_TRUE(SamePath(list->GetPath(), temp.Path()));
  list->SetShellLink(nullptr);
}

TEST_F(ShellListCommandsTest, AltArrowsAndTheExtraButtonsMoveInTheHistoryButNotWithCtrlHeld) {
  temp.MakeFolder(L"one");
  temp.MakeFolder(L"two");
  Show(temp / L"one");
  Show(temp / L"two");
  {
    THeldKeys alt({VK_MENU});
    PressKey(view.Handle(), VK_LEFT, true);
  }
  EXPECT_TRUE(SamePath(list->GetPath(), temp / L"one"));
  {
    THeldKeys altCtrl({VK_MENU, VK_CONTROL});
    PressKey(view.Handle(), VK_RIGHT, true);
  }
  EXPECT_TRUE(SamePath(list->GetPath(), temp / L"one"));
  {
    THeldKeys alt({VK_MENU});
    PressKey(view.Handle(), VK_RIGHT, true);
  }
  EXPECT_TRUE(SamePath(list->GetPath(), temp / L"two"));
  SendMessageW(view.Handle(), WM_XBUTTONDOWN, 0x10020, 0);
  EXPECT_TRUE(SamePath(list->GetPath(), temp / L"one"));
  // With another button held the back button does nothing.
  SendMessageW(view.Handle(), WM_XBUTTONDOWN, 0x10020 | MK_LBUTTON, 0);
  EXPECT_TRUE(SamePath(list->GetPath(), temp / L"one"));
  SendMessageW(view.Handle(), WM_XBUTTONDOWN, 0x20040, 0);
  EXPECT_TRUE(SamePath(list->GetPath(), temp / L"two"));
}

TEST_F(ShellListCommandsTest, CtrlAAndF5) {
  for (int i = 0; i < 4; ++i) temp.MakeFile(L"f" + std::to_wstring(i) + L".txt");
  Show(temp.Path());
  TNsShellLink link(nullptr);
  TRecordingControl other;
  link.RegisterShellControl(&other);
  list->SetShellLink(&link);
  {
    THeldKeys ctrl({VK_CONTROL});
    PressKey(view.Handle(), 'A');
  }
  EXPECT_EQ(list->GetSelCount(), 4);
  temp.MakeFile(L"new.txt");
  other.Calls.clear();
  PressKey(view.Handle(), VK_F5);
  EXPECT_EQ(list->GetItems().Count(), 5);
  EXPECT_EQ(other.Calls, (Names{L"FullRefresh"}));
  list->SetShellLink(nullptr);
}

TEST_F(ShellListCommandsTest, CopyAndCutPutTheRealPathsOnTheClipboardForEveryProgram) {
  temp.MakeFile(L"a.txt", "a");
  temp.MakeFile(L"b.txt", "b");
  Show(temp.Path());
  view.Select({L"a.txt", L"b.txt"});
  {
    THeldKeys ctrl({VK_CONTROL});
    PressKey(view.Handle(), 'C');
  }
  Names paths = ClipboardPaths();
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(paths, (Names{temp / L"a.txt", temp / L"b.txt"}));
  EXPECT_EQ(ClipboardEffect(), static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_FALSE(view.ItemNamed(L"a.txt")->GetCut());

  view.Select({L"b.txt"});
  {
    THeldKeys ctrl({VK_CONTROL});
    PressKey(view.Handle(), 'X');
  }
  EXPECT_EQ(ClipboardPaths(), (Names{temp / L"b.txt"}));
  EXPECT_EQ(ClipboardEffect(), static_cast<DWORD>(DROPEFFECT_MOVE));
  EXPECT_TRUE(view.ItemNamed(L"b.txt")->GetCut());
  EXPECT_FALSE(view.ItemNamed(L"a.txt")->GetCut());
}

TEST_F(ShellListCommandsTest, CopyThenPasteCopiesAndCutThenPasteMovesBetweenTwoLists) {
  temp.MakeFolder(L"from");
  temp.MakeFolder(L"to");
  temp.MakeFile(L"from\\copied.txt", "copied");
  temp.MakeFile(L"from\\moved.txt", "moved");
  TCommandForm second(40, 460);
  list->SetAutomaticRefresh(false);
  second.List->SetAutomaticRefresh(false);
  Show(temp / L"from");
  second.List->SetPath(temp / L"to");

  view.Select({L"copied.txt"});
  ASSERT_TRUE(list->InvokeCommandOnSelected(L"copy"));
  {
    THeldKeys ctrl({VK_CONTROL});
    PressKey(second.Handle(), 'V');
  }
  EXPECT_TRUE(Exists(temp / L"to\\copied.txt"));
  EXPECT_TRUE(Exists(temp / L"from\\copied.txt"));
  ASSERT_EQ(second.List->Reports.size(), 1u);
  EXPECT_EQ(second.List->Reports[0].Operation, (TNsShellOperations{sopCopy, sopPaste, sopAdd}));
  EXPECT_EQ(second.List->Reports[0].Files, (Names{temp / L"from\\copied.txt"}));
  EXPECT_TRUE(SamePath(second.List->Reports[0].Destination, temp / L"to"));

  view.Select({L"moved.txt"});
  ASSERT_TRUE(list->InvokeCommandOnSelected(L"cut"));
  ASSERT_TRUE(second.List->InvokeCommandOnFolder(L"paste"));
  EXPECT_TRUE(Exists(temp / L"to\\moved.txt"));
  EXPECT_FALSE(Exists(temp / L"from\\moved.txt"));
  ASSERT_EQ(second.List->Reports.size(), 2u);
  EXPECT_EQ(second.List->Reports[1].Operation, (TNsShellOperations{sopMove, sopPaste, sopAdd}));
  // The files are gone from where they were cut: nothing is left to paste.
  EXPECT_TRUE(ClipboardPaths().empty());
  second.List->FullRefresh();
  Names pasted = second.Captions();
  std::sort(pasted.begin(), pasted.end());
  EXPECT_EQ(pasted, (Names{L"copied.txt", L"moved.txt"}));
}

TEST_F(ShellListCommandsTest, CtrlVPastesIntoTheFolderShownEvenWithAFolderSelected) {
  temp.MakeFolder(L"sub");
  temp.MakeFile(L"source\\file.txt", "x");
  Show(temp.Path());
  TStringList files;
  files.Add(temp / L"source\\file.txt");
  ASSERT_TRUE(SetClipboardFiles(nullptr, files, DROPEFFECT_COPY));
  view.Select({L"sub"});
  {
    THeldKeys ctrl({VK_CONTROL});
    PressKey(view.Handle(), 'V');
  }
  EXPECT_TRUE(Exists(temp / L"file.txt"));
  EXPECT_FALSE(Exists(temp / L"sub\\file.txt"));
  // The menu's paste on the selected folder pastes into it.
  ASSERT_TRUE(list->InvokeCommandOnSelected(L"paste"));
  EXPECT_TRUE(Exists(temp / L"sub\\file.txt"));
  // A read-only list pastes nothing.
  list->SetReadOnly(true);
  DeleteFileW((temp / L"file.txt").c_str());
  {
    THeldKeys ctrl({VK_CONTROL});
    PressKey(view.Handle(), 'V');
  }
  EXPECT_FALSE(Exists(temp / L"file.txt"));
}

TEST_F(ShellListCommandsTest, PastingIntoTheFolderTheFilesComeFromMakesCopies) {
  temp.MakeFile(L"twice.txt", "x");
  Show(temp.Path());
  view.Select({L"twice.txt"});
  ASSERT_TRUE(list->InvokeCommandOnSelected(L"copy"));
  ASSERT_TRUE(list->InvokeCommandOnFolder(L"paste"));
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((temp / L"*").c_str(), &data);
  int files = 0;
  if (find != INVALID_HANDLE_VALUE) {
    do
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) ++files;
    while (FindNextFileW(find, &data));
    FindClose(find);
  }
  EXPECT_EQ(files, 2);
  EXPECT_TRUE(Exists(temp / L"twice.txt"));
}

TEST_F(ShellListCommandsTest, NewFoldersTakeTheNextFreeNumber) {
  Show(temp.Path());
  temp.MakeFolder(NewFolderCaption);
  temp.MakeFolder(NewFolderCaption + L" (1)");
  list->SetAutomaticRefresh(false);
  ASSERT_TRUE(list->CreateDir(L"", false));
  EXPECT_TRUE(Exists(temp / (NewFolderCaption + L" (2)")));
  ASSERT_TRUE(list->CreateDir(L"Named", true));
  EXPECT_TRUE(Exists(temp / L"Named"));
  // In edit mode the new folder is listed, selected and its name edited.
  ASSERT_NE(list->GetSelected(), nullptr);
  EXPECT_EQ(list->GetSelected()->GetCaption(), L"Named");
  EXPECT_TRUE(list->IsEditing());
  SendMessageW(view.Handle(), LVM_CANCELEDITLABEL, 0, 0);
  // A list without a folder path makes none.
  list->SetSpecialFolder(SF_DRIVES);
  EXPECT_FALSE(list->CreateDir(L"x", false));
}

TEST_F(ShellListCommandsTest, APathLongerThanTheShellTakesMakesNoFolderAndSaysSo) {
  Show(temp.Path());
  list->SetShowErrorMessages(true);
  TDialogAnswerer ok(IDOK);
  EXPECT_FALSE(list->CreateDir(std::wstring(300, L'n'), false));
  EXPECT_GE(ok.Answered(), 1);
}

// Renames the item through an edit of its caption, as the user does.
bool EditCaption(TCommandForm& view, TNsShellListItem* item, const std::wstring& text) {
  view.List->SetFocus();
  if (!item->EditCaption()) return false;
  HWND edit = reinterpret_cast<HWND>(SendMessageW(view.Handle(), LVM_GETEDITCONTROL, 0, 0));
  if (edit == nullptr) return false;
  SetWindowTextW(edit, text.c_str());
  SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
  PumpMessagesFor(20);
  return true;
}

TEST_F(ShellListCommandsTest, RenamingInPlaceRenamesTheFileAndKeepsTheOrder) {
  temp.MakeFile(L"b.txt");
  temp.MakeFile(L"c.txt");
  temp.MakeFile(L"d.txt");
  list->SetAutomaticRefresh(false);
  Show(temp.Path());
  ASSERT_EQ(view.Captions(), (Names{L"b.txt", L"c.txt", L"d.txt"}));
  ASSERT_TRUE(EditCaption(view, view.ItemNamed(L"d.txt"), L"a.txt"));
  EXPECT_TRUE(Exists(temp / L"a.txt"));
  EXPECT_FALSE(Exists(temp / L"d.txt"));
  EXPECT_EQ(view.Captions(), (Names{L"a.txt", L"b.txt", L"c.txt"}));
  ASSERT_EQ(list->Reports.size(), 1u);
  EXPECT_EQ(list->Reports[0].Operation, (TNsShellOperations{sopRename}));
  EXPECT_EQ(list->Reports[0].Files, (Names{temp / L"d.txt"}));
  EXPECT_EQ(list->Reports[0].Destination, temp / L"a.txt");
  EXPECT_EQ(list->GetFullPath(view.ItemNamed(L"a.txt")), temp / L"a.txt");
}

TEST_F(ShellListCommandsTest, ARenameTheFileSystemRefusesKeepsTheOldName) {
  temp.MakeFile(L"keep.txt", "k");
  temp.MakeFile(L"other.txt", "o");
  list->SetAutomaticRefresh(false);
  Show(temp.Path());
  for (const std::wstring& refused : {std::wstring(L"a:b"), std::wstring(L"other.txt"), std::wstring()}) {
    TDialogAnswerer ok(IDOK);
    ASSERT_TRUE(EditCaption(view, view.ItemNamed(L"keep.txt"), refused)) << WideToUtf8(refused);
    EXPECT_NE(view.ItemNamed(L"keep.txt"), nullptr) << WideToUtf8(refused);
    EXPECT_TRUE(Exists(temp / L"keep.txt"));
    EXPECT_TRUE(list->Reports.empty());
  }
  EXPECT_TRUE(Exists(temp / L"other.txt"));
}

TEST_F(ShellListCommandsTest, TheParentFolderItemAndAReadOnlyListCannotBeRenamed) {
  temp.MakeFile(L"file.txt");
  list->SetShowParentFolder(true);
  Show(temp.Path());
  EXPECT_FALSE(list->GetItems()[0]->EditCaption());
  list->SetReadOnly(true);
  EXPECT_FALSE(view.ItemNamed(L"file.txt")->EditCaption());
}

TEST_F(ShellListCommandsTest, DeletingThreeItemsRemovesThemAtOnceAndReportsThemOnce) {
  for (const wchar_t* name : {L"one.txt", L"two.txt", L"three.txt", L"stays.txt"}) temp.MakeFile(name);
  list->SetAutomaticRefresh(false);
  Show(temp.Path());
  view.Select({L"one.txt", L"two.txt", L"three.txt"});
  {
    TDialogAnswerer yes(IDYES);
    PressKey(view.Handle(), VK_DELETE);
  }
  EXPECT_FALSE(Exists(temp / L"one.txt"));
  EXPECT_TRUE(Exists(temp / L"stays.txt"));
  EXPECT_EQ(view.Captions(), (Names{L"stays.txt"}));
  ASSERT_EQ(list->Reports.size(), 1u);
  EXPECT_EQ(list->Reports[0].Operation, (TNsShellOperations{sopDelete, sopRemove}));
  Names files = list->Reports[0].Files;
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (Names{temp / L"one.txt", temp / L"three.txt", temp / L"two.txt"}));
}

TEST_F(ShellListCommandsTest, AFileAnotherProgramHoldsOpenIsNeitherDeletedNorReportedGone) {
  const std::wstring held = temp.MakeFile(L"held.txt", "data");
  list->SetAutomaticRefresh(false);
  Show(temp.Path());
  HANDLE open = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(open, INVALID_HANDLE_VALUE);
  view.Select({L"held.txt"});
  {
    TDialogAnswerer yes(IDYES);
    list->InvokeCommandOnSelected(L"delete");
  }
  const bool stillThere = Exists(held);
  CloseHandle(open);
  // The file stays, and so does its item; nothing claims it went.
  EXPECT_TRUE(stillThere);
  EXPECT_NE(view.ItemNamed(L"held.txt"), nullptr);
  EXPECT_TRUE(list->Reports.empty());
}

TEST_F(ShellListCommandsTest, AReadOnlyListPastesNothing) {
  const std::wstring source = temp.MakeFile(L"from\\file.txt", "x");
  temp.MakeFolder(L"to");
  TStringList paths;
  paths.Add(source);
  ASSERT_TRUE(SetClipboardFiles(nullptr, paths, DROPEFFECT_MOVE));
  list->SetAutomaticRefresh(false);
  Show(temp / L"to");
  list->SetReadOnly(true);
  {
    THeldKeys ctrl({VK_CONTROL});
    PressKey(view.Handle(), 'V');
  }
  EXPECT_FALSE(list->InvokeCommandOnFolder(L"paste"));
  EXPECT_FALSE(Exists(temp / L"to\\file.txt"));
  EXPECT_TRUE(Exists(source));
  EXPECT_TRUE(list->Reports.empty());
}

}  // namespace
}  // namespace ts::test
