// The shell tree on Wine's own shell, over folders the tests make: deep
// paths, missing ones, odd names, big folders, and changes reported through
// the shell's change notification.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "ShellTreeSupport.h"
#include "notify/NsShellChangeNotifier.h"
#include "shell/LookAndFeel.h"
#include "shell/NsBrowserError.h"
#include "shell/PathClassification.h"
#include "shell/ShellGlobals.h"
#include "shell/SystemErrorText.h"
#include "support/TempFolder.h"
#include "toolkit/Exception.h"
#include "toolkit/Strings.h"

namespace ts::test {
namespace {

using Names = std::vector<std::wstring>;

class ShellTreeShellTest : public ::testing::Test {
protected:
  TNsShellTree& Tree() { return *view.Tree; }

  static void Report(LONG event, const std::wstring& path, const std::wstring& other = {}) {
    SHChangeNotify(event, SHCNF_PATHW | SHCNF_FLUSH, path.c_str(), other.empty() ? nullptr : other.c_str());
  }
  // The node of a path, when the tree has one.
  TNsShellTreeNode* NodeOf(const std::wstring& path) {
    for (TNsShellTreeNode* node = Tree().GetRootNode(); node != nullptr; node = node->GetNext())
      if (SamePath(node->GetFullPath(), path)) return node;
    return nullptr;
  }
  // Selects and opens the temporary folder.
  TNsShellTreeNode* OpenTemp() {
    Tree().SetSelectedFolder(temp.Path());
    TNsShellTreeNode* node = Tree().GetSelected();
    EXPECT_TRUE(node != nullptr && SamePath(node->GetFullPath(), temp.Path()));
    if (node != nullptr) node->Expand(false);
    return node;
  }

  TTempFolder temp;
  TTreeForm view;
};

TEST_F(ShellTreeShellTest, TwelveLevelsDownTheChainIsOpenedAndTheFolderSelected) {
  std::wstring relative;
  for (int i = 1; i <= 12; ++i) {
    relative += (i > 1 ? L"\\" : L"") + std::wstring(L"level ") + std::to_wstring(i);
    temp.MakeFolder(relative);
    temp.MakeFolder(relative + L" sibling");
  }
  view.Show();
  const std::wstring deep = temp / relative;
  Tree().SetSelectedFolder(deep);
  TNsShellTreeNode* selected = Tree().GetSelected();
  ASSERT_NE(selected, nullptr);
  EXPECT_TRUE(SamePath(Tree().GetSelectedFolder(), deep)) << WideToUtf8(Tree().GetSelectedFolder());
  EXPECT_EQ(selected->GetText(), L"level 12");
  for (TNsShellTreeNode* node = selected->GetParent(); node != nullptr; node = node->GetParent())
    EXPECT_TRUE(node->GetExpanded()) << WideToUtf8(node->GetText());
  EXPECT_EQ(Captions(selected->GetParent()), (Names{L"level 12", L"level 12 sibling"}));
  // Back up the chain by the link's request.
  EXPECT_TRUE(Tree().GoUp());
  EXPECT_EQ(Tree().GetSelected()->GetText(), L"level 11");
}

// Closes the information box a test expects, keeping its text.
struct TBoxCloser {
  static inline std::wstring Text;
  static inline int Boxes = 0;
  static BOOL CALLBACK Find(HWND window, LPARAM) {
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    if (std::wstring(className) != L"#32770" || !IsWindowVisible(window)) return TRUE;
    wchar_t text[1024] = {};
    GetDlgItemTextW(window, 0xFFFF, text, 1024);
    Text = text;
    ++Boxes;
    PostMessageW(window, WM_COMMAND, IDOK, 0);
    return FALSE;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), &Find, 0); }
};

TEST_F(ShellTreeShellTest, AMissingPathLeavesTheSelectionAndTellsWhyWhenAsked) {
  temp.MakeFolder(L"present");
  view.Show();
  OpenTemp();
  TNsShellTreeNode* selected = Tree().GetSelected();
  const int nodes = Tree().GetItems().Count();
  const std::wstring missing = temp / L"absent\\deeper";
  Tree().SetSelectedFolder(missing);
  EXPECT_EQ(Tree().GetSelected(), selected);
  EXPECT_EQ(Tree().GetItems().Count(), nodes);

  // With error messages: the platform's reason, then the path.
  TPidl parsed;
  std::wstring name = missing;
  ULONG eaten = 0;
  const HRESULT hr = DesktopFolder->ParseDisplayName(nullptr, nullptr, name.data(), &eaten, parsed.Put(), nullptr);
  ASSERT_TRUE(FAILED(hr));
  Tree().SetShowErrorMessages(true);
  TBoxCloser::Boxes = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, &TBoxCloser::Tick);
  Tree().SetSelectedFolder(missing);
  KillTimer(nullptr, timer);
  EXPECT_EQ(TBoxCloser::Boxes, 1);
  EXPECT_EQ(TBoxCloser::Text, GetSystemErrorText(static_cast<int>(hr)) + L": " + missing);
  EXPECT_EQ(Tree().GetSelected(), selected);
}

TEST_F(ShellTreeShellTest, CreatedDeletedAndRenamedFoldersFollowWhileOpenedOnesStayOpen) {
  temp.MakeFolder(L"keep\\inside");
  temp.MakeFolder(L"beta\\child");
  view.Show();
  TNsShellTreeNode* tempNode = OpenTemp();
  ASSERT_NE(tempNode, nullptr);
  TNsShellTreeNode* keep = ChildNamed(tempNode, L"keep");
  ASSERT_NE(keep, nullptr);
  keep->Expand(false);
  ASSERT_EQ(Captions(keep), (Names{L"inside"}));

  const std::wstring alpha = temp.MakeFolder(L"alpha");
  Report(SHCNE_MKDIR, alpha);
  EXPECT_TRUE(PumpMessagesUntil([&] { return ChildNamed(tempNode, L"alpha") != nullptr; }, 10000));
  EXPECT_EQ(Captions(tempNode), (Names{L"alpha", L"beta", L"keep"}));

  // Inside a folder that was never opened: it keeps its button, unread.
  const std::wstring gamma = temp.MakeFolder(L"beta\\gamma");
  Report(SHCNE_MKDIR, gamma);
  const std::wstring alphaChild = temp.MakeFolder(L"alpha\\first");
  Report(SHCNE_MKDIR, alphaChild);
  EXPECT_TRUE(PumpMessagesUntil([&] { return ChildNamed(tempNode, L"alpha")->GetHasChildren(); }, 10000));
  EXPECT_EQ(ChildNamed(tempNode, L"beta")->Count(), 0);

  ASSERT_TRUE(RemoveDirectoryW(alphaChild.c_str()));
  ASSERT_TRUE(RemoveDirectoryW(alpha.c_str()));
  Report(SHCNE_RMDIR, alpha);
  EXPECT_TRUE(PumpMessagesUntil([&] { return ChildNamed(tempNode, L"alpha") == nullptr; }, 10000));

  const std::wstring beta = temp / L"beta", delta = temp / L"delta";
  ASSERT_TRUE(MoveFileW(beta.c_str(), delta.c_str()));
  Report(SHCNE_RENAMEFOLDER, beta, delta);
  EXPECT_TRUE(PumpMessagesUntil([&] { return ChildNamed(tempNode, L"delta") != nullptr; }, 10000));
  EXPECT_EQ(Captions(tempNode), (Names{L"delta", L"keep"}));
  EXPECT_TRUE(tempNode->GetExpanded());
  EXPECT_TRUE(keep->GetExpanded());
  EXPECT_EQ(Captions(keep), (Names{L"inside"}));
}

TEST_F(ShellTreeShellTest, TheLinkMovesTheTreeAndHearsOfItsSelection) {
  temp.MakeFolder(L"one\\two");
  TNsShellLink link(nullptr);
  TRecordingControl list;
  list.SetShellLink(&link);
  Tree().SetShellLink(&link);
  view.Show();
  TPidl two(PathToItemIdList(nullptr, temp / L"one\\two"));
  list.Open(two.Get());
  EXPECT_TRUE(SamePath(Tree().GetSelectedFolder(), temp / L"one\\two"));
  list.Paths.clear();
  // The user clicks the parent: the list is told at once.
  TNsShellTreeNode* one = Tree().GetSelected()->GetParent();
  RECT r = one->DisplayRect(true);
  const LPARAM at = MAKELPARAM(r.left + 2, (r.top + r.bottom) / 2);
  // The control follows the button until it comes up: the release waits in
  // the queue for that loop.
  PostMessageW(Tree().GetHandle(), WM_LBUTTONUP, 0, at);
  SendMessageW(Tree().GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  EXPECT_TRUE(PumpMessagesUntil([&] { return !list.Paths.empty(); }, 10000));
  ASSERT_EQ(list.Paths.size(), 1u);
  EXPECT_TRUE(SamePath(list.Paths[0], temp / L"one"));
  EXPECT_TRUE(link.GetShowParentFolderItem());
}

TEST_F(ShellTreeShellTest, OddAndLongNamesAreShownAndFound) {
  const std::vector<std::wstring> names = {L"  spaced  out", L"dots...and.more", L"\u00fcn\u00efc\u00f8d\u00e9 \u2603",
                                           L"#hash & ampersand", std::wstring(200, L'n')};
  for (const std::wstring& name : names) temp.MakeFolder(name);
  view.Show();
  TNsShellTreeNode* tempNode = OpenTemp();
  ASSERT_NE(tempNode, nullptr);
  for (const std::wstring& name : names) {
    EXPECT_NE(ChildNamed(tempNode, name), nullptr) << WideToUtf8(name);
    Tree().SetSelectedFolder(temp / name);
    EXPECT_TRUE(SamePath(Tree().GetSelectedFolder(), temp / name)) << WideToUtf8(name);
  }
  // A path longer than the platform's limit is missing, not an error: the
  // selection stays where it was.
  const std::wstring before = Tree().GetSelectedFolder();
  ASSERT_TRUE(SamePath(before, temp / names.back()));
  Tree().SetSelectedFolder(temp / std::wstring(300, L'x') + L"\\" + std::wstring(300, L'y'));
  EXPECT_TRUE(SamePath(Tree().GetSelectedFolder(), before));
}

TEST_F(ShellTreeShellTest, ABigFolderIsReadInTheShellsOrder) {
  for (int i = 0; i < 2000; ++i) CreateDirectoryW((temp / (L"folder " + std::to_wstring(10000 + i))).c_str(), nullptr);
  view.Show();
  TNsShellTreeNode* tempNode = OpenTemp();
  ASSERT_NE(tempNode, nullptr);
  ASSERT_EQ(tempNode->Count(), 2000);
  EXPECT_EQ(tempNode->Item(0)->GetText(), L"folder 10000");
  EXPECT_EQ(tempNode->GetLastChild()->GetText(), L"folder 11999");
  for (int i = 1; i < tempNode->Count(); ++i) ASSERT_LT(tempNode->Item(i - 1)->Compare(tempNode->Item(i)), 0);
  // One more: the refresh finds it and keeps the order.
  CreateDirectoryW((temp / L"folder 10500a").c_str(), nullptr);
  Tree().RefreshNode(tempNode, false, true);
  ASSERT_EQ(tempNode->Count(), 2001);
  EXPECT_EQ(tempNode->Item(501)->GetText(), L"folder 10500a");
}

TEST_F(ShellTreeShellTest, RootingAtFoldersOfTheFileSystem) {
  const std::wstring file = temp.MakeFile(L"plain.txt", "x");
  temp.MakeFolder(L"root\\child");
  view.Show();
  EXPECT_THROW(Tree().SetRootedAtFileSystemFolder(file), ENsBrowserError);
  EXPECT_EQ(Tree().GetRootedAt(), SF_DESKTOP);
  Tree().SetRootedAtFileSystemFolder(temp / L"root\\");
  EXPECT_EQ(Tree().GetRootedAt(), SF_FILESYSTEMFOLDER);
  EXPECT_EQ(Tree().GetRootNode()->GetText(), L"root");
  EXPECT_EQ(Captions(Tree().GetRootNode()), (Names{L"child"}));
  EXPECT_EQ(Tree().GetSelected(), Tree().GetRootNode());
  Tree().SetRootedAtFileSystemFolder(L"C:");
  EXPECT_TRUE(SamePath(Tree().GetRootNode()->GetFullPath(), L"C:\\"));
  EXPECT_NE(ChildNamed(Tree().GetRootNode(), L"windows"), nullptr);
}

TEST_F(ShellTreeShellTest, TheDesktopRootAsksNoPathAtDesignTime) {
  view.Show();
  TNsShellTreeNode* root = Tree().GetRootNode();
  EXPECT_FALSE(Tree().GetFullPath(root).empty());
  Tree().SetDesigning(true, false);
  EXPECT_EQ(Tree().GetFullPath(root), L"");
  Tree().SetDesigning(false, false);
}

TEST_F(ShellTreeShellTest, TheSystemFontAndStylesAreTakenWithTheWindow) {
  view.Show();
  LOGFONTW iconFont{};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof iconFont, &iconFont, 0));
  EXPECT_EQ(Tree().GetFont().GetName(), iconFont.lfFaceName);
  EXPECT_EQ(Tree().GetFont().GetHeight(), iconFont.lfHeight);
  if (IsVistaOrLater) {
    EXPECT_FALSE(Tree().GetShowLines());
    EXPECT_EQ(GetWindowLongPtrW(Tree().GetHandle(), GWL_STYLE) & TVS_HASLINES, 0);
    // The explorer look keeps the double buffering that keeps it from
    // flickering (Wine's window answers no extended styles: where it does,
    // it must have both).
    const DWORD wanted = TVS_EX_DOUBLEBUFFER | TVS_EX_FADEINOUTEXPANDOS;
    EXPECT_EQ(Tree().GetExtendedStyle() & wanted, wanted);
    const auto shown = static_cast<DWORD>(SendMessageW(Tree().GetHandle(), TVM_GETEXTENDEDSTYLE, 0, 0));
    if (shown != 0) {
      EXPECT_EQ(shown & wanted, wanted);
    }
  }
}

}  // namespace
}  // namespace ts::test
