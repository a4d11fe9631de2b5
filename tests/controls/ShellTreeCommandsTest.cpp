// The shell tree's commands on Wine's real shell, over folders the tests
// make: the keys and what they run, copy, cut and paste through the
// clipboard (read back as another program reads it), delete, the shell's
// menu from the mouse and the keyboard, new folders and renaming in place.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "ShellTreeCommandsSupport.h"
#include "support/ClipboardFiles.h"
#include "support/KeyboardInput.h"
#include "link/NsShellLink.h"
#include "shell/NsBrowser.h"
#include "shell/ShellClipboard.h"
#include "shell/ShellGlobals.h"
#include "support/MenuDriver.h"
#include "toolkit/Exception.h"
#include "toolkit/Strings.h"

namespace ts::test {
namespace {

using Names = std::vector<std::wstring>;

constexpr uint16_t kDelete = 192, kPasteNothing = 288, kPasteCopy = 289, kPasteMove = 290, kRename = 512;

std::wstring VerbOf(IContextMenu2* handler, UINT command) {
  wchar_t verb[260] = L"";
  if (handler == nullptr || command < 1 || command > 255) return {};
  if (FAILED(handler->GetCommandString(command - 1, GCS_VERBW, nullptr, reinterpret_cast<LPSTR>(verb), 260)))
    return {};
  return verb;
}

// Picks the shell command with this verb from the tree's open menu (none
// for an empty verb), noting the verbs offered.
TMenuDriver::TChooser PickVerb(TNsShellTree& tree, const std::wstring& wanted,
                               std::vector<std::wstring>* offered = nullptr) {
  return [&tree, wanted, offered](const std::vector<TShownMenuItem>& items) {
    UINT chosen = 0;
    for (const TShownMenuItem& item : items) {
      if (item.Separator || item.SubMenu) continue;
      const std::wstring verb = VerbOf(tree.GetBrowser()->GetActiveIContextMenu(), item.Command);
      if (offered != nullptr && !verb.empty()) offered->push_back(verb);
      if (chosen == 0 && !wanted.empty() && verb == wanted) chosen = item.Command;
    }
    return chosen;
  };
}

class ShellTreeCommandsTest : public ::testing::Test {
protected:
  ShellTreeCommandsTest() { EmptyTheClipboard(); }
  ~ShellTreeCommandsTest() override { EmptyTheClipboard(); }

  // The verbs the tree asks the shell for, which the shell is not then asked
  // to carry out.
  std::vector<std::wstring> CatchVerbs() {
    Tree().SetOnContextMenuSelect([this](TObject*, const std::wstring& verb, bool& execute) {
      Verbs.push_back(verb);
      execute = false;
    });
    return {};
  }
  TReportingTree& Tree() { return *tree.Tree; }
  HWND Handle() { return tree.Handle(); }
  std::wstring Path(const std::wstring& relative) { return tree.Temp / relative; }

  TTempTree tree;
  std::vector<std::wstring> Verbs;
};

TEST_F(ShellTreeCommandsTest, TheCommandKeysAskForTheirVerbsWithExactlyTheirModifiers) {
  tree.Temp.MakeFolder(L"folder");
  tree.Show();
  tree.Select(L"folder");
  CatchVerbs();
  {
    THeldKeys alt({VK_MENU});
    PressKey(Handle(), VK_RETURN, true);
  }
  PressKey(Handle(), VK_RETURN);  // Enter alone runs nothing
  PressKey(Handle(), VK_DELETE);
  PressKey(Handle(), VK_F2);
  {
    THeldKeys ctrl({VK_CONTROL});
    PressKey(Handle(), 'C');
    PressKey(Handle(), 'X');
  }
  {
    // Ctrl with Shift is still Ctrl held.
    THeldKeys ctrlShift({VK_CONTROL, VK_SHIFT});
    PressKey(Handle(), 'C');
  }
  PressKey(Handle(), 'C');  // C alone is a letter to find a node by
  EXPECT_EQ(Verbs, (std::vector<std::wstring>{L"properties", L"delete", L"rename", L"copy", L"cut", L"copy"}));
  Tree().SetOnContextMenuSelect(nullptr);
}

TEST_F(ShellTreeCommandsTest, DeleteOnTheRootAndCtrlVOrXOnAReadOnlyTreeDoNothing) {
  tree.Temp.MakeFolder(L"folder");
  const std::wstring file = tree.Temp.MakeFile(L"source\\file.txt", "x");
  tree.Show();
  CatchVerbs();
  Tree().SetSelected(tree.Root());
  PressKey(Handle(), VK_DELETE);
  EXPECT_TRUE(Verbs.empty());
  EXPECT_TRUE(Exists(tree.Temp.Path()));
  Tree().SetOnContextMenuSelect(nullptr);

  TStringList files;
  files.Add(file);
  ASSERT_TRUE(SetClipboardFiles(nullptr, files, DROPEFFECT_MOVE));
  tree.Select(L"folder");
  Tree().SetReadOnly(true);
  {
    THeldKeys ctrl({VK_CONTROL});
    PressKey(Handle(), 'V');
    PressKey(Handle(), 'X');
  }
  PressKey(Handle(), VK_DELETE);
  EXPECT_FALSE(Exists(Path(L"folder\\file.txt")));
  EXPECT_TRUE(Exists(file));
  EXPECT_TRUE(Exists(Path(L"folder")));
  EXPECT_FALSE(tree.Node(L"folder")->GetCut());
  EXPECT_TRUE(Tree().Reports.empty());
}

TEST_F(ShellTreeCommandsTest, OtherKeysDelaySelectionChangesLongerWithALink) {
  tree.Show();
  Tree().SetChangeDelay(0);
  PressKey(Handle(), VK_DOWN);
  EXPECT_EQ(Tree().GetChangeDelay(), 100u);
  Tree().SetChangeDelay(0);
  TypeChar(Handle(), L'q');
  EXPECT_EQ(Tree().GetChangeDelay(), 100u);
  TNsShellLink link(nullptr);
  Tree().SetShellLink(&link);
  Tree().SetChangeDelay(0);
  PressKey(Handle(), VK_UP);
  EXPECT_EQ(Tree().GetChangeDelay(), 600u);
  // A command key is no such key: F5 leaves the delay.
  Tree().SetChangeDelay(0);
  PressKey(Handle(), VK_F5);
  EXPECT_EQ(Tree().GetChangeDelay(), 0u);
  // Delete on the top level is another key.
  Tree().SetSelected(tree.Root());
  Tree().SetChangeDelay(0);
  PressKey(Handle(), VK_DELETE);
  EXPECT_EQ(Tree().GetChangeDelay(), 600u);
  Tree().SetShellLink(nullptr);
}

TEST_F(ShellTreeCommandsTest, AltArrowsAndTheExtraButtonsMoveInTheHistory) {
  tree.Temp.MakeFolder(L"one");
  tree.Temp.MakeFolder(L"two");
  tree.Show();
  tree.Select(L"one");
  tree.Select(L"two");
  {
    THeldKeys alt({VK_MENU});
    PressKey(Handle(), VK_LEFT, true);
  }
  EXPECT_TRUE(SamePath(Tree().GetSelectedFolder(), Path(L"one")));
  {
    THeldKeys altShift({VK_MENU, VK_SHIFT});
    PressKey(Handle(), VK_RIGHT, true);
  }
  EXPECT_TRUE(SamePath(Tree().GetSelectedFolder(), Path(L"one")));
  SendMessageW(Handle(), WM_XBUTTONDOWN, 0x20040, 0);
  EXPECT_TRUE(SamePath(Tree().GetSelectedFolder(), Path(L"two")));
  SendMessageW(Handle(), WM_XBUTTONDOWN, 0x10020 | MK_CONTROL, 0);
  EXPECT_TRUE(SamePath(Tree().GetSelectedFolder(), Path(L"two")));
  SendMessageW(Handle(), WM_XBUTTONDOWN, 0x10020, 0);
  EXPECT_TRUE(SamePath(Tree().GetSelectedFolder(), Path(L"one")));
}

TEST_F(ShellTreeCommandsTest, CopyAndCutPutTheFolderOnTheClipboardForEveryProgram) {
  tree.Temp.MakeFolder(L"folder");
  tree.Show();
  TNsShellTreeNode* folder = tree.Select(L"folder");
  {
    THeldKeys ctrl({VK_CONTROL});
    PressKey(Handle(), 'C');
  }
  EXPECT_EQ(ClipboardPaths(), (Names{Path(L"folder")}));
  EXPECT_EQ(ClipboardEffect(), static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_FALSE(folder->GetCut());
  {
    THeldKeys ctrl({VK_CONTROL});
    PressKey(Handle(), 'X');
  }
  EXPECT_EQ(ClipboardPaths(), (Names{Path(L"folder")}));
  EXPECT_EQ(ClipboardEffect(), static_cast<DWORD>(DROPEFFECT_MOVE));
  EXPECT_TRUE(folder->GetCut());
}

TEST_F(ShellTreeCommandsTest, CtrlVPastesIntoTheSelectedFolderAndReportsTwice) {
  tree.Temp.MakeFolder(L"to");
  const std::wstring copied = tree.Temp.MakeFile(L"from\\copied.txt", "c");
  const std::wstring moved = tree.Temp.MakeFile(L"from\\moved.txt", "m");
  tree.Show();
  TStringList files;
  files.Add(copied);
  ASSERT_TRUE(SetClipboardFiles(nullptr, files, DROPEFFECT_COPY));
  tree.Select(L"to");
  {
    THeldKeys ctrl({VK_CONTROL});
    PressKey(Handle(), 'V');
  }
  EXPECT_TRUE(Exists(Path(L"to\\copied.txt")));
  EXPECT_TRUE(Exists(copied));
  ASSERT_EQ(Tree().Reports.size(), 2u);
  EXPECT_EQ(Tree().Reports[0].Operation, kPasteCopy);
  EXPECT_EQ(Tree().Reports[0].Files, (Names{copied}));
  EXPECT_TRUE(SamePath(Tree().Reports[0].Destination, Path(L"to")));
  EXPECT_EQ(Tree().Reports[1].Operation, kPasteNothing);
  EXPECT_EQ(Tree().Reports[1].Files, (Names{copied}));
  EXPECT_TRUE(SamePath(Tree().Reports[1].Destination, Path(L"to")));

  // After a cut the files are gone from where they were: a move.
  files.Clear();
  files.Add(moved);
  ASSERT_TRUE(SetClipboardFiles(nullptr, files, DROPEFFECT_MOVE));
  Tree().Reports.clear();
  {
    THeldKeys ctrl({VK_CONTROL});
    PressKey(Handle(), 'V');
  }
  EXPECT_TRUE(Exists(Path(L"to\\moved.txt")));
  EXPECT_FALSE(Exists(moved));
  ASSERT_EQ(Tree().Reports.size(), 2u);
  EXPECT_EQ(Tree().Reports[0].Operation, kPasteMove);
  EXPECT_EQ(Tree().Reports[1].Operation, kPasteNothing);
  // Nothing left to paste: the paste runs nothing and reports nothing.
  Tree().Reports.clear();
  EXPECT_FALSE(Tree().InvokeCommandOnSelected(L"paste"));
  EXPECT_TRUE(Tree().Reports.empty());
}

TEST_F(ShellTreeCommandsTest, CutInTheTreeThenPasteInAnotherMovesTheFolder) {
  tree.Temp.MakeFile(L"from\\moving\\inside.txt", "i");
  tree.Temp.MakeFolder(L"to");
  tree.Show();
  Tree().SetAutomaticRefresh(false);
  tree.Select(L"from\\moving");
  ASSERT_TRUE(Tree().InvokeCommandOnSelected(L"cut"));
  EXPECT_TRUE(tree.Node(L"from\\moving")->GetCut());
  tree.Select(L"to");
  ASSERT_TRUE(Tree().InvokeCommandOnSelected(L"paste"));
  EXPECT_TRUE(Exists(Path(L"to\\moving\\inside.txt")));
  EXPECT_FALSE(Exists(Path(L"from\\moving")));
  ASSERT_EQ(Tree().Reports.size(), 1u);
  EXPECT_EQ(Tree().Reports[0].Operation, kPasteMove);
  // The folder the cut node was in is read again: the node is gone.
  EXPECT_EQ(ChildNamed(tree.Node(L"from"), L"moving"), nullptr);
}

TEST_F(ShellTreeCommandsTest, DeleteRemovesTheFolderAndReportsIt) {
  tree.Temp.MakeFolder(L"doomed\\inner");
  tree.Temp.MakeFolder(L"kept");
  tree.Show();
  Tree().SetAutomaticRefresh(false);
  tree.Select(L"doomed");
  {
    TDialogAnswerer yes(IDYES);
    PressKey(Handle(), VK_DELETE);
  }
  EXPECT_FALSE(Exists(Path(L"doomed")));
  EXPECT_EQ(Captions(tree.Root()), (Names{L"kept"}));
  ASSERT_EQ(Tree().Reports.size(), 1u);
  EXPECT_EQ(Tree().Reports[0].Operation, kDelete);
  EXPECT_TRUE(SamePath(Tree().Reports[0].Files.at(0), Path(L"doomed")));
  EXPECT_EQ(Tree().Reports[0].Destination, L"");
  // Said no to: nothing goes, nothing is reported.
  tree.Select(L"kept");
  {
    TDialogAnswerer no(IDNO);
    EXPECT_FALSE(Tree().InvokeCommandOnSelected(L"delete"));
  }
  EXPECT_TRUE(Exists(Path(L"kept")));
  EXPECT_EQ(Tree().Reports.size(), 1u);
}

TEST_F(ShellTreeCommandsTest, WithTheAutomaticRefreshTheShellsNotificationTakesTheDeletedNode) {
  tree.Temp.MakeFolder(L"doomed");
  tree.Temp.MakeFolder(L"kept");
  tree.Show();
  tree.Select(L"doomed");
  {
    TDialogAnswerer yes(IDYES);
    ASSERT_TRUE(Tree().InvokeCommandOnSelected(L"delete"));
  }
  EXPECT_TRUE(PumpMessagesUntil([&] { return Captions(tree.Root()) == Names{L"kept"}; }, 10000));
}

TEST_F(ShellTreeCommandsTest, TheMenuOpensAtTheMouseOrWithShiftF10AndTheKeyboardAtTheNode) {
  tree.Temp.MakeFolder(L"folder");
  tree.Show();
  TNsShellTreeNode* folder = tree.Select(L"folder");
  const RECT text = folder->DisplayRect(true);
  std::vector<POINT> asked;
  Tree().OnContextPopup = [&](TObject*, POINT at, bool&) { asked.push_back(at); };
  std::vector<std::wstring> offered;
  {
    TMenuDriver driver(PickVerb(Tree(), L"", &offered));
    THeldKeys shift({VK_SHIFT});
    PressKey(Handle(), VK_F10, true);
    EXPECT_TRUE(driver.MenuSeen());
  }
  for (const wchar_t* verb : {L"copy", L"cut", L"delete"})
    EXPECT_NE(std::find(offered.begin(), offered.end(), verb), offered.end()) << WideToUtf8(verb);
  {
    // F10 alone is the menu bar's.
    TMenuDriver driver(0u);
    PressKey(Handle(), VK_F10, true);
    PumpMessagesFor(100);
    EXPECT_FALSE(driver.MenuSeen());
  }
  {
    TMenuDriver driver(0u);
    SendMessageW(Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Handle()), MAKELPARAM(-1, -1));
    EXPECT_TRUE(driver.MenuSeen());
  }
  {
    TMenuDriver driver(0u);
    const POINT screen = Tree().ClientToScreen(POINT{30, 5});
    SendMessageW(Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Handle()), MAKELPARAM(screen.x, screen.y));
    EXPECT_TRUE(driver.MenuSeen());
  }
  ASSERT_EQ(asked.size(), 3u);
  // The keyboard's menus open at the bottom right of the node's caption.
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(asked[i].x, text.right);
    EXPECT_EQ(asked[i].y, text.bottom);
  }
  EXPECT_EQ(asked[2].x, 30);
  EXPECT_EQ(asked[2].y, 5);
  // A handler that answers the request itself leaves the shell's menu shut.
  Tree().OnContextPopup = [&](TObject*, POINT, bool& handled) { handled = true; };
  {
    TMenuDriver driver(0u);
    SendMessageW(Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Handle()), MAKELPARAM(-1, -1));
    PumpMessagesFor(100);
    EXPECT_FALSE(driver.MenuSeen());
  }
  // Without the shell's menu the tree's own popup menu has the request.
  Tree().OnContextPopup = nullptr;
  Tree().SetShellContextMenu(false);
  {
    TMenuDriver driver(0u);
    THeldKeys shift({VK_SHIFT});
    PressKey(Handle(), VK_F10, true);
    PumpMessagesFor(100);
    EXPECT_FALSE(driver.MenuSeen());
  }
}

TEST_F(ShellTreeCommandsTest, DeleteAndCopyFromTheMenu) {
  tree.Temp.MakeFolder(L"doomed");
  tree.Temp.MakeFolder(L"copied");
  tree.Show();
  Tree().SetAutomaticRefresh(false);
  tree.Select(L"copied");
  std::wstring verb;
  {
    TMenuDriver driver(PickVerb(Tree(), L"copy"));
    Tree().ShowContextMenu(tree.ScreenPointOf(tree.Node(L"copied")), verb);
  }
  EXPECT_EQ(verb, L"copy");
  // The tree's own clipboard data, as the list's.
  EXPECT_EQ(ClipboardPaths(), (Names{Path(L"copied")}));
  EXPECT_EQ(ClipboardEffect(), static_cast<DWORD>(DROPEFFECT_COPY));
  tree.Select(L"doomed");
  {
    TDialogAnswerer yes(IDYES);
    TMenuDriver driver(PickVerb(Tree(), L"delete"));
    Tree().ShowContextMenu(tree.ScreenPointOf(tree.Node(L"doomed")), verb);
  }
  EXPECT_EQ(verb, L"delete");
  EXPECT_FALSE(Exists(Path(L"doomed")));
  EXPECT_EQ(Captions(tree.Root()), (Names{L"copied"}));
  ASSERT_EQ(Tree().Reports.size(), 1u);
  EXPECT_EQ(Tree().Reports[0].Operation, kDelete);
  // A read-only tree's menu cuts nothing.
  Tree().SetReadOnly(true);
  tree.Select(L"copied");
  {
    TMenuDriver driver(PickVerb(Tree(), L"cut"));
    Tree().ShowContextMenu(tree.ScreenPointOf(tree.Node(L"copied")), verb);
  }
  EXPECT_EQ(verb, L"");
  EXPECT_FALSE(tree.Node(L"copied")->GetCut());
  EXPECT_EQ(ClipboardEffect(), static_cast<DWORD>(DROPEFFECT_COPY));
}

TEST_F(ShellTreeCommandsTest, NewFoldersAreShownAndTheirNamesOpenedForEditing) {
  tree.Temp.MakeFolder(L"parent");
  tree.Show();
  ASSERT_TRUE(Tree().CreateDir(Path(L"parent"), L"", true));
  EXPECT_TRUE(Exists(Path(L"parent\\") + NewFolderCaption));
  EXPECT_TRUE(SamePath(Tree().GetSelectedFolder(), Path(L"parent")));
  TNsShellTreeNode* parent = tree.Node(L"parent");
  EXPECT_TRUE(parent->GetExpanded());
  EXPECT_EQ(Captions(parent), (Names{NewFolderCaption}));
  EXPECT_TRUE(Tree().IsEditing());
  parent->Item(0)->EndEdit(true);
  // A name that is taken takes the next number rather than the old folder.
  ASSERT_TRUE(Tree().CreateDir(Path(L"parent"), L"", false));
  EXPECT_TRUE(Exists(Path(L"parent\\") + NewFolderCaption + L" (1)"));
  EXPECT_FALSE(Tree().IsEditing());
  EXPECT_EQ(parent->Count(), 2);
  // Missing parents are made on the way.
  ASSERT_TRUE(Tree().CreateDir(Path(L"deep\\er"), L"Named", false));
  EXPECT_TRUE(Exists(Path(L"deep\\er\\Named")));
  EXPECT_NE(ChildNamed(tree.Node(L"deep\\er"), L"Named"), nullptr);
  EXPECT_FALSE(Tree().CreateDir(L"", L"x", false));
}

TEST_F(ShellTreeCommandsTest, AFolderThatCannotBeMadeSaysSoWithErrorMessagesOn) {
  tree.Show();
  const std::wstring tooLong(300, L'n');
  EXPECT_FALSE(Tree().CreateDir(tree.Temp.Path(), tooLong, false));
  Tree().SetShowErrorMessages(true);
  TDialogAnswerer ok(IDOK);
  EXPECT_FALSE(Tree().CreateDir(tree.Temp.Path(), tooLong, false));
  EXPECT_GE(ok.Answered(), 1);
  EXPECT_EQ(tree.Root()->Count(), 0);
}

// Renames the node through an edit of its caption, as the user does.
bool EditCaption(TTempTree& tree, TNsShellTreeNode* node, const std::wstring& text) {
  if (!node->EditText()) return false;
  HWND edit = reinterpret_cast<HWND>(SendMessageW(tree.Handle(), TVM_GETEDITCONTROL, 0, 0));
  if (edit == nullptr) return false;
  SetWindowTextW(edit, text.c_str());
  SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
  PumpMessagesFor(50);
  return !tree.Tree->IsEditing();
}

TEST_F(ShellTreeCommandsTest, RenamingAnExpandedFolderKeepsItOpenWithItsChildrenReadAnew) {
  tree.Temp.MakeFolder(L"old\\alpha");
  tree.Temp.MakeFolder(L"old\\beta");
  tree.Temp.MakeFolder(L"other");
  tree.Show();
  TNsShellLink link(nullptr);
  TRecordingControl list;
  link.RegisterShellControl(&list);
  Tree().SetShellLink(&link);
  TNsShellTreeNode* node = tree.Select(L"old");
  node->Expand(false);
  ASSERT_EQ(Captions(node), (Names{L"alpha", L"beta"}));
  list.Paths.clear();
  ASSERT_TRUE(EditCaption(tree, node, L"renamed"));
  EXPECT_TRUE(Exists(Path(L"renamed\\alpha")));
  EXPECT_FALSE(Exists(Path(L"old")));
  ASSERT_EQ(Tree().Reports.size(), 1u);
  EXPECT_EQ(Tree().Reports[0].Operation, kRename);
  EXPECT_EQ(Tree().Reports[0].Files, (Names{Path(L"old")}));
  EXPECT_TRUE(SamePath(Tree().Reports[0].Destination, Path(L"renamed")));
  // The node stands for the new name, in its place among its siblings, and
  // opens again with what is below the new name.
  EXPECT_TRUE(PumpMessagesUntil([&] { return node->GetExpanded() && node->Count() == 2; }, 10000));
  EXPECT_EQ(node->GetText(), L"renamed");
  EXPECT_TRUE(SamePath(node->GetFullPath(), Path(L"renamed")));
  EXPECT_TRUE(SamePath(node->Item(0)->GetFullPath(), Path(L"renamed\\alpha")));
  EXPECT_EQ(Captions(tree.Root()), (Names{L"other", L"renamed"}));
  EXPECT_EQ(Tree().GetSelected(), node);
  // The list follows the folder to its new name.
  ASSERT_FALSE(list.Paths.empty());
  EXPECT_TRUE(SamePath(list.Paths.back(), Path(L"renamed")));
  Tree().SetShellLink(nullptr);
}

TEST_F(ShellTreeCommandsTest, ARenameTheFileSystemRefusesPutsTheOldCaptionBack) {
  tree.Temp.MakeFolder(L"keep");
  tree.Temp.MakeFolder(L"other");
  tree.Show();
  TNsShellTreeNode* node = tree.Select(L"keep");
  for (const std::wstring& refused : {std::wstring(L"a:b"), std::wstring(L"other"), std::wstring()}) {
    TDialogAnswerer ok(IDOK);
    ASSERT_TRUE(EditCaption(tree, node, refused)) << WideToUtf8(refused);
    EXPECT_EQ(node->GetText(), L"keep") << WideToUtf8(refused);
    EXPECT_TRUE(Exists(Path(L"keep")));
    EXPECT_TRUE(Tree().Reports.empty());
  }
  EXPECT_TRUE(Exists(Path(L"other")));
  // A cancelled edit renames nothing and says so.
  TNsShellTreeNode* canceled = nullptr;
  Tree().OnEditCanceled = [&](TObject*, TNsShellTreeNode* n) { canceled = n; };
  ASSERT_TRUE(node->EditText());
  node->EndEdit(true);
  EXPECT_EQ(canceled, node);
  EXPECT_EQ(node->GetText(), L"keep");
}

TEST_F(ShellTreeCommandsTest, F2OpensTheCaptionButOnlyWhereTheShellLetsRename) {
  tree.Temp.MakeFolder(L"folder");
  tree.Show();
  tree.Select(L"folder");
  PressKey(Handle(), VK_F2);
  EXPECT_TRUE(Tree().IsEditing());
  tree.Node(L"folder")->EndEdit(true);
  // The root is renamed nowhere else than where it lives; a read-only tree
  // renames nothing.
  Tree().SetReadOnly(true);
  EXPECT_FALSE(tree.Node(L"folder")->EditText());
  PressKey(Handle(), VK_F2);
  EXPECT_FALSE(Tree().IsEditing());
}

TEST_F(ShellTreeCommandsTest, AClickOnTheSelectedNodeOfAnItemTheShellCannotRenameEditsNothing) {
  tree.Show();
  // The desktop itself.
  Tree().SetRootedAt(SF_DESKTOP);
  Tree().SetSelected(Tree().GetRootNode());
  EXPECT_FALSE(Tree().GetRootNode()->EditText());
  EXPECT_FALSE(Tree().IsEditing());
}

TEST_F(ShellTreeCommandsTest, ADoubleClickReadsAFolderThatGainedSubfoldersAndOpensFiles) {
  tree.Temp.MakeFolder(L"plain");
  tree.Temp.MakeFile(L"file.txt", "f");
  tree.Show();
  Tree().SetAutomaticRefresh(false);
  TNsShellTreeNode* plain = tree.Select(L"plain");
  plain->Expand(false);
  ASSERT_FALSE(plain->GetHasChildren());
  tree.Temp.MakeFolder(L"plain\\gained");
  const RECT r = plain->DisplayRect(true);
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageW(Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  SendMessageW(Handle(), WM_LBUTTONUP, 0, at);
  EXPECT_EQ(Captions(plain), (Names{L"gained"}));
  EXPECT_TRUE(plain->GetExpanded());
  // With files shown, a double click on the selected file opens it.
  Tree().SetShowFiles(true);
  CatchVerbs();
  TNsShellTreeNode* file = tree.Select(L"file.txt");
  ASSERT_NE(file, nullptr);
  const RECT f = file->DisplayRect(true);
  const LPARAM onFile = MAKELPARAM((f.left + f.right) / 2, (f.top + f.bottom) / 2);
  SendMessageW(Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, onFile);
  SendMessageW(Handle(), WM_LBUTTONUP, 0, onFile);
  EXPECT_EQ(Verbs, (std::vector<std::wstring>{L"default"}));
  // Assigned, OnDblClick has the double click to itself.
  int clicks = 0;
  Tree().OnDblClick = [&](TObject*) { ++clicks; };
  SendMessageW(Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, onFile);
  SendMessageW(Handle(), WM_LBUTTONUP, 0, onFile);
  EXPECT_EQ(Verbs.size(), 1u);
  EXPECT_EQ(clicks, 1);
  Tree().SetOnContextMenuSelect(nullptr);
}

}  // namespace
}  // namespace ts::test
