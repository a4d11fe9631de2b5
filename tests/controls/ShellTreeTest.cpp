// The shell tree on a namespace the test sets up: rooting, lazy expansion,
// the filter, sorting, locating, reconciling, the history and the link.
#include <gtest/gtest.h>

#include <set>

#include "ShellTreeSupport.h"
#include "notify/NsShellChangeNotifier.h"
#include "link/NsShellLink.h"
#include "shell/FakeNamespace.h"
#include "shell/NsBrowserError.h"
#include "shell/PidlHistory.h"
#include "shell/ShellGlobals.h"
#include "support/TempFolder.h"
#include "toolkit/Exception.h"
#include "shell/NsBrowser.h"
#include "shell/SpecialFolders.h"

namespace ts::test {
namespace {

constexpr ULONG kFolder = SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR;
constexpr ULONG kParent = kFolder | SFGAO_HASSUBFOLDER;
constexpr ULONG kFile = SFGAO_FILESYSTEM;

class ShellTreeTest : public ::testing::Test {
protected:
  ShellTreeTest() {
    TFakeItem& desktop = space.Desktop();
    computer = &space.Add(desktop, L"My Computer", SFGAO_FOLDER | SFGAO_HASSUBFOLDER);
    space.SetSpecial(CSIDL_DRIVES, *computer);
    bin = &space.Add(desktop, L"Recycle Bin", SFGAO_FOLDER);
    space.SetSpecial(CSIDL_BITBUCKET, *bin);
    drive = &space.Add(*computer, L"Local Disk (C:)", kParent, L"C:\\");
    data = &space.Add(*drive, L"Data", kParent, L"C:\\Data");
    space.Add(*data, L"Music", kFolder, L"C:\\Data\\Music");
    space.Add(*data, L"Photos", kFolder, L"C:\\Data\\Photos");
    empty = &space.Add(*drive, L"Empty", kFolder, L"C:\\Empty");
    onlyHidden = &space.Add(*drive, L"Secretive", kParent, L"C:\\Secretive");
    space.Add(*onlyHidden, L"Hidden", kFolder | SFGAO_HIDDEN, L"C:\\Secretive\\Hidden");
    space.Add(*drive, L"notes.txt", kFile, L"C:\\notes.txt");
  }

  TNsShellTree& Tree() { return *view.Tree; }
  TNsShellTreeNode* Root() { return Tree().GetRootNode(); }
  TNsShellTreeNode* NodeOf(const TFakeItem& item) {
    for (TNsShellTreeNode* node = Root(); node != nullptr; node = node->GetNext()) {
      TPidl list(space.AbsoluteList(item));
      if (node->GetAbsoluteItemIdList() != nullptr &&
          DesktopFolder->CompareIDs(0, node->GetAbsoluteItemIdList(), list.Get()) == S_OK)
        return node;
    }
    return nullptr;
  }
  bool Locate(const TFakeItem& item, TNsLocateAction action) {
    TPidl list(space.AbsoluteList(item));
    return Tree().LocateNode(list.Get(), action);
  }
  TNsShellTreeNode* Expanded(const TFakeItem& item) {
    TNsShellTreeNode* node = NodeOf(item);
    if (node != nullptr) node->Expand(false);
    return node;
  }

  TFakeNamespace space;
  TFakeItem* computer;
  TFakeItem* bin;
  TFakeItem* drive;
  TFakeItem* data;
  TFakeItem* empty;
  TFakeItem* onlyHidden;
  TTreeForm view;
};

using Names = std::vector<std::wstring>;

TEST_F(ShellTreeTest, ADesktopTreeHasOneTopLevelNodeOnTheSharedEmptyList) {
  view.Show();
  ASSERT_EQ(Tree().GetItems().TopCount(), 1);
  TNsShellTreeNode* root = Root();
  EXPECT_EQ(root->GetAbsoluteItemIdList(), DesktopItemIdList);
  EXPECT_EQ(GetItemIdCount(root->GetAbsoluteItemIdList()), 0);
  EXPECT_TRUE(root->IsFolder());
  // Built, expanded and selected with the window.
  EXPECT_TRUE(root->GetExpanded());
  EXPECT_EQ(Tree().GetSelected(), root);
  EXPECT_EQ(Captions(root), (Names{L"My Computer", L"Recycle Bin"}));
  EXPECT_EQ(Tree().GetVersion(), L"TNsShellTree V7.1.0.530");
}

TEST_F(ShellTreeTest, CreationDefaults) {
  TNsShellTree& tree = Tree();
  EXPECT_EQ(tree.GetRootedAt(), SF_DESKTOP);
  EXPECT_EQ(tree.GetChangeDelay(), 100u);
  EXPECT_EQ(tree.GetWidth(), 200);
  EXPECT_EQ(tree.GetHeight(), 300);
  EXPECT_EQ(tree.GetShowOptions(), (TNsShellShowOptions{soShowNethood, soShowRecycleBin}));
  EXPECT_TRUE(tree.GetShowNethood());
  EXPECT_TRUE(tree.GetShowRecycleBin());
  EXPECT_FALSE(tree.GetShowHidden());
  EXPECT_FALSE(tree.GetShowFiles());
  EXPECT_FALSE(tree.GetShowErrorMessages());
  EXPECT_FALSE(tree.GetNoFillOnStartup());
  EXPECT_FALSE(tree.GetFileSystemOnly());
  EXPECT_FALSE(tree.GetExpandOnSelected());
  EXPECT_FALSE(tree.GetMultipleRoots());
  EXPECT_TRUE(tree.GetAutomaticRefresh());
  EXPECT_TRUE(tree.GetUseSystemFont());
  EXPECT_TRUE(tree.GetUseSystemStyles());
  EXPECT_TRUE(tree.GetShowOverlayIcons());
  EXPECT_TRUE(tree.GetShowButtons());
  EXPECT_TRUE(tree.GetRightClickSelect());
  EXPECT_TRUE(tree.GetToolTips());
  EXPECT_FALSE(tree.GetShowRoot());
  EXPECT_FALSE(tree.GetReadOnly());
  EXPECT_FALSE(tree.GetHideSelection());
  EXPECT_FALSE(tree.GetHotTrack());
  EXPECT_EQ(tree.GetShellLink(), nullptr);
  EXPECT_EQ(tree.GetShellChangeNotifier()->GetEventFilter().Value(), 261584u);
  EXPECT_TRUE(tree.GetShellChangeNotifier()->GetRecursive());
  EXPECT_EQ(tree.GetItems().TopCount(), 0);  // no root before the window
  EXPECT_NE(tree.GetImages(), nullptr);
}

TEST_F(ShellTreeTest, AFolderIsReadOnlyOnItsFirstExpansion) {
  view.Show();
  const int afterRoot = space.Counters.EnumObjects;
  TNsShellTreeNode* computerNode = NodeOf(*computer);
  ASSERT_NE(computerNode, nullptr);
  // The button comes from the shell's answer, without reading the folder.
  EXPECT_TRUE(computerNode->GetHasChildren());
  EXPECT_EQ(computerNode->Count(), 0);
  EXPECT_EQ(space.Counters.EnumObjects, afterRoot);

  computerNode->Expand(false);
  EXPECT_EQ(space.Counters.EnumObjects, afterRoot + 1);
  EXPECT_EQ(Captions(computerNode), (Names{L"Local Disk (C:)"}));
  computerNode->Collapse(false);
  computerNode->Expand(false);
  EXPECT_EQ(space.Counters.EnumObjects, afterRoot + 1);
}

TEST_F(ShellTreeTest, TheButtonFollowsWhatTheFilterLetsThrough) {
  view.Show();
  Expanded(*computer);
  TNsShellTreeNode* driveNode = Expanded(*drive);
  ASSERT_NE(driveNode, nullptr);
  // Files stay out by default; the folders come in the folder's own order.
  EXPECT_EQ(Captions(driveNode), (Names{L"Data", L"Empty", L"Secretive"}));
  TNsShellTreeNode* secretive = ChildNamed(driveNode, L"Secretive");
  TNsShellTreeNode* emptyNode = ChildNamed(driveNode, L"Empty");
  // Drawn: the pictures and the buttons come with the first paint.
  ASSERT_TRUE(
      PumpMessagesUntil([&] { return secretive->GetImageIndex() >= 0 && emptyNode->GetImageIndex() >= 0; }, 30000));
  EXPECT_TRUE(Shown(Tree(), secretive).HasButton);
  EXPECT_FALSE(Shown(Tree(), emptyNode).HasButton);
  // Its only subfolder is hidden: after the expansion the button goes.
  secretive->Expand(false);
  EXPECT_EQ(secretive->Count(), 0);
  EXPECT_FALSE(Shown(Tree(), secretive).HasButton);

  Tree().SetShowHidden(true);
  secretive = NodeOf(*onlyHidden);
  ASSERT_NE(secretive, nullptr);
  secretive->Expand(false);
  EXPECT_EQ(Captions(secretive), (Names{L"Hidden"}));
}

TEST_F(ShellTreeTest, ChildrenComeInTheFoldersOrderNotAlphabeticallyNorAsEnumerated) {
  // Made last, listed first by the folder's enumeration.
  space.Add(*drive, L"Zeta", kFolder, L"C:\\Zeta");
  space.Add(*drive, L"Alpha", kFolder, L"C:\\Alpha");
  auto& children = drive->Children;
  std::rotate(children.begin(), children.end() - 2, children.end());
  ASSERT_EQ(children.front()->DisplayName, L"Zeta");
  view.Show();
  Expanded(*computer);
  EXPECT_EQ(Captions(Expanded(*drive)), (Names{L"Data", L"Empty", L"Secretive", L"Zeta", L"Alpha"}));
}

TEST_F(ShellTreeTest, NodesRefusedByOnAddFolderStayAway) {
  std::vector<std::wstring> asked;
  Tree().OnAddFolder = [&](TNsShellTreeNode* node, const std::wstring& path, bool& canAdd) {
    asked.push_back(path);
    EXPECT_TRUE(canAdd);
    canAdd = node->GetText() != L"Empty";
  };
  view.Show();
  Expanded(*computer);
  TNsShellTreeNode* driveNode = Expanded(*drive);
  EXPECT_EQ(Captions(driveNode), (Names{L"Data", L"Secretive"}));
  EXPECT_NE(std::find(asked.begin(), asked.end(), L"C:\\Data"), asked.end());
  // Asked again for the children a refresh finds still there.
  asked.clear();
  Tree().RefreshNode(driveNode, false, true);
  EXPECT_EQ(Captions(driveNode), (Names{L"Data", L"Secretive"}));
  EXPECT_EQ(asked, (Names{L"C:\\Data", L"C:\\Empty", L"C:\\Secretive"}));
}

TEST_F(ShellTreeTest, TheWrongNodeClassIsRefusedWithItsMessage) {
  Tree().OnCreateNodeClass = [](TCustomTreeView*, TTreeNodeClass& nodeClass) {
    nodeClass = [](TTreeNodes* owner) { return new TTreeNode(owner); };
  };
  try {
    Tree().GetItems().Add(nullptr, L"x");
    FAIL() << "a plain node was accepted";
  } catch (const EInvalidArgument& e) {
    EXPECT_EQ(e.Message(), L"Internal Error: TNsShellTree.OnCreateNodeClass.ItemClass must inherit from TNsShellTreeNode.");
  }
  EXPECT_EQ(Tree().GetItems().TopCount(), 0);
}

// Locating.

TEST_F(ShellTreeTest, ASelectedFolderTwelveLevelsDownExpandsTheChainAndSelectsIt) {
  TFakeItem* level = drive;
  std::wstring path = L"C:";
  for (int i = 1; i <= 12; ++i) {
    path += L"\\Level" + std::to_wstring(i);
    level = &space.Add(*level, L"Level" + std::to_wstring(i), kParent, path);
    space.Add(*level->Parent, L"Beside" + std::to_wstring(i), kFolder, path + L"b");
  }
  view.Show();
  Tree().SetSelectedFolder(path);
  TNsShellTreeNode* selected = Tree().GetSelected();
  ASSERT_NE(selected, nullptr);
  EXPECT_EQ(selected->GetText(), L"Level12");
  EXPECT_EQ(selected->GetLevel(), 14);  // desktop, computer, drive, twelve levels
  EXPECT_EQ(Tree().GetSelectedFolder(), path);
  for (TNsShellTreeNode* node = selected->GetParent(); node != nullptr; node = node->GetParent())
    EXPECT_TRUE(node->GetExpanded()) << WideToUtf8(node->GetText());
  EXPECT_EQ(Tree().GetSpecialFolder(), SF_FILESYSTEMFOLDER);
}

TEST_F(ShellTreeTest, TheSelectedFolderAgainChangesNothing) {
  view.Show();
  Tree().SetSelectedFolder(L"C:\\Data");
  ASSERT_EQ(Tree().GetSelectedFolder(), L"C:\\Data");
  const int enumerations = space.Counters.EnumObjects;
  const int parses = space.Counters.ParseDisplayName;
  const int nodes = Tree().GetItems().Count();
  TPidl list(space.AbsoluteList(*data));
  EXPECT_TRUE(Tree().LocateNode(list.Get(), laSelect));
  Tree().SetSelectedFolder(L"C:\\Data");
  EXPECT_EQ(space.Counters.EnumObjects, enumerations);
  EXPECT_EQ(space.Counters.ParseDisplayName, parses + 1);
  EXPECT_EQ(Tree().GetItems().Count(), nodes);
  EXPECT_FALSE(NodeOf(*data)->GetExpanded());
}

TEST_F(ShellTreeTest, AMissingPathLeavesTheTreeAsItWas) {
  view.Show();
  Tree().SetSelectedFolder(L"C:\\Data");
  const int nodes = Tree().GetItems().Count();
  TNsShellTreeNode* selected = Tree().GetSelected();
  for (const wchar_t* missing : {L"C:\\Nowhere", L"C:\\Data\\Music\\Deeper\\Still", L"Q:\\", L"::{bad}", L"\\\\?\\"}) {
    Tree().SetSelectedFolder(missing);
    EXPECT_EQ(Tree().GetSelected(), selected) << WideToUtf8(missing);
    EXPECT_EQ(Tree().GetItems().Count(), nodes) << WideToUtf8(missing);
  }
  Tree().SetSelectedFolder(std::wstring(40000, L'x'));
  EXPECT_EQ(Tree().GetSelected(), selected);
}

TEST_F(ShellTreeTest, APathWhoseLastFolderIsHiddenSelectsItsVisibleParent) {
  view.Show();
  TPidl hidden(space.AbsoluteList(*onlyHidden->Children[0]));
  EXPECT_FALSE(Tree().LocateNode(hidden.Get(), laSelect));
  EXPECT_EQ(Tree().GetSelectedFolder(), L"C:\\Secretive");
}

TEST_F(ShellTreeTest, AnEmptySelectedFolderSelectsMyComputerOnADesktopTreeElseTheRoot) {
  view.Show();
  Tree().SetSelectedFolder(L"C:\\Data");
  Tree().SetSelectedFolder(L"");
  EXPECT_EQ(Tree().GetSelected(), NodeOf(*computer));
  EXPECT_EQ(Tree().GetSpecialFolder(), SF_DRIVES);

  Tree().SetRootedAt(SF_DRIVES);
  Tree().SetSelectedFolder(L"C:\\Data\\Music");
  EXPECT_EQ(Tree().GetSelected()->GetText(), L"Music");
  Tree().SetSelectedFolder(L"");
  EXPECT_EQ(Tree().GetSelected(), Root());
}

TEST_F(ShellTreeTest, AListBelowAnotherFolderIsNotTakenForTheRootsOwnChild) {
  TFakeItem& other = space.Add(*computer, L"Other Disk (D:)", kParent, L"D:\\");
  view.Show();
  Tree().SetRootedAtFileSystemFolder(L"C:\\");
  ASSERT_EQ(Root()->GetText(), L"Local Disk (C:)");
  // D:'s list with C:\Data's item id under it: the same one-level id, but
  // not the same folder.
  TPidl otherList(space.AbsoluteList(other));
  TPidl dataItem(TFakeNamespace::ChildList(*data));
  TPidl foreign(ConcatItemIdLists(otherList.Get(), dataItem.Get()));
  Tree().SetSelected(ChildNamed(Root(), L"Empty"));
  EXPECT_FALSE(Tree().LocateNode(foreign.Get(), laSelect));
  EXPECT_EQ(Tree().GetSelected(), Root());
}

TEST_F(ShellTreeTest, ActionsOtherThanSelectExpandNothingAndEmptyCollapsedFolders) {
  view.Show();
  Tree().SetSelectedFolder(L"C:\\Data");
  TNsShellTreeNode* dataNode = NodeOf(*data);
  dataNode->Expand(false);
  ASSERT_EQ(dataNode->Count(), 2);
  dataNode->Collapse(false);
  const int enumerations = space.Counters.EnumObjects;
  // A change below the collapsed folder refreshes that folder: its stale
  // children go, its button stays, nothing is read.
  TPidl music(space.AbsoluteList(*data->Children[0]));
  EXPECT_FALSE(Tree().LocateNode(music.Get(), laRefreshParent));
  EXPECT_EQ(dataNode->Count(), 0);
  EXPECT_TRUE(dataNode->GetHasChildren());
  EXPECT_FALSE(dataNode->GetExpanded());
  EXPECT_TRUE(Shown(Tree(), dataNode).HasButton);
  EXPECT_EQ(space.Counters.EnumObjects, enumerations);
  // Opened again, it is read anew.
  dataNode->Expand(false);
  EXPECT_EQ(Captions(dataNode), (Names{L"Music", L"Photos"}));
}

TEST_F(ShellTreeTest, ADeletionNotificationDeletesTheNodeOrRefreshesTheDeepestOneOnThePath) {
  view.Show();
  Tree().SetSelectedFolder(L"C:\\Data\\Music");
  TNsShellTreeNode* dataNode = NodeOf(*data);
  TNsShellTreeNode* music = ChildNamed(dataNode, L"Music");
  ASSERT_EQ(Tree().GetSelected(), music);
  // The shell reports the folder gone: its node goes, selected as it was.
  TPidl musicList(space.AbsoluteList(*data->Children[0]));
  data->Children.erase(data->Children.begin());
  EXPECT_TRUE(Tree().LocateNode(musicList.Get(), laDelete));
  EXPECT_EQ(Captions(dataNode), (Names{L"Photos"}));
  EXPECT_NE(Tree().GetSelected(), nullptr);

  // Unknown to the tree: the deepest node on its path is refreshed.
  TFakeItem& fresh = space.Add(*data, L"Fresh", kFolder, L"C:\\Data\\Fresh");
  TPidl ghost(ConcatItemIdLists(TPidl(space.AbsoluteList(fresh)).Get(), TPidl(TFakeNamespace::ChildList(*data->Children[0])).Get()));
  EXPECT_FALSE(Tree().LocateNode(ghost.Get(), laDelete));
  EXPECT_EQ(Captions(dataNode), (Names{L"Photos", L"Fresh"}));
}

TEST_F(ShellTreeTest, ATopLevelTargetIsActedOnAndAnswersFalse) {
  view.Show();
  Tree().SetSelectedFolder(L"C:\\Data");
  EXPECT_FALSE(Tree().LocateNode(DesktopItemIdList, laSelect));
  EXPECT_EQ(Tree().GetSelected(), Root());
  EXPECT_FALSE(Tree().LocateNode(nullptr, laSelect));
}

TEST_F(ShellTreeTest, SpecialFolderReadsAndSelects) {
  view.Show();
  EXPECT_EQ(Tree().GetSpecialFolder(), SF_DESKTOP);
  Tree().SetSpecialFolder(SF_BITBUCKET);
  EXPECT_EQ(Tree().GetSelected(), NodeOf(*bin));
  EXPECT_EQ(Tree().GetSpecialFolder(), SF_BITBUCKET);
  // A special folder this platform lacks selects nothing else.
  Tree().SetSpecialFolder(SF_PRINTERS);
  EXPECT_EQ(Tree().GetSelected(), NodeOf(*bin));
  Tree().SetSpecialFolder(SF_FILESYSTEMFOLDER);
  EXPECT_EQ(Tree().GetSelected(), NodeOf(*bin));
}

TEST_F(ShellTreeTest, LoadingSelectsAStoredSpecialFolderOverAStoredPath) {
  for (bool pathFirst : {true, false}) {
    TTreeForm loaded;
    TNsShellTree& tree = *loaded.Tree;
    tree.BeginLoading();
    if (pathFirst) tree.SetSelectedFolder(L"C:\\Data");
    tree.SetSpecialFolder(SF_DESKTOP);
    if (!pathFirst) tree.SetSelectedFolder(L"C:\\Data");
    EXPECT_EQ(tree.GetSpecialFolder(), SF_DESKTOP);
    tree.EndLoading();
    loaded.Show();
    EXPECT_EQ(tree.GetSelected(), tree.GetRootNode());
    EXPECT_EQ(tree.GetSelectedFolder(), GetSpecialFolderPath(SF_DESKTOP));
  }
  // A stored path alone is selected once loading ends.
  TTreeForm loaded;
  loaded.Tree->BeginLoading();
  loaded.Tree->SetSelectedFolder(L"C:\\Data");
  EXPECT_EQ(loaded.Tree->GetSelectedFolder(), L"C:\\Data");
  EXPECT_EQ(loaded.Tree->GetSpecialFolder(), SF_FILESYSTEMFOLDER);
  loaded.Tree->EndLoading();
  loaded.Show();
  EXPECT_EQ(loaded.Tree->GetSelectedFolder(), L"C:\\Data");
}

TEST_F(ShellTreeTest, SelectSubFolderMatchesCaptionsWithoutCase) {
  view.Show();
  Tree().SetSelectedFolder(L"C:\\Data");
  EXPECT_TRUE(Tree().SelectSubFolder(L"PHOTOS"));
  EXPECT_EQ(Tree().GetSelected()->GetText(), L"Photos");
  Tree().SetSelectedFolder(L"C:\\Data");
  EXPECT_TRUE(Tree().SelectSubFolder(L"Nothing"));
  EXPECT_EQ(Tree().GetSelectedFolder(), L"C:\\Data");
  Tree().SetSelectedFolder(L"C:\\Empty");
  EXPECT_FALSE(Tree().SelectSubFolder(L"Anything"));
}

// Reconciling.

TEST_F(ShellTreeTest, ARefreshAddsNewFoldersInOrderDropsGoneOnesAndKeepsWhatTheUserOpened) {
  view.Show();
  Tree().SetSelectedFolder(L"C:\\Data\\Photos");
  TNsShellTreeNode* driveNode = NodeOf(*drive);
  TNsShellTreeNode* photos = Tree().GetSelected();
  NodeOf(*data)->Expand(false);
  // Behind the tree: one folder goes, one comes (first in the folder's order).
  auto& children = drive->Children;
  children.erase(std::find_if(children.begin(), children.end(), [](auto& c) { return c->DisplayName == L"Empty"; }));
  TFakeItem& early = space.Add(*drive, L"Archive", kFolder, L"C:\\Archive");
  early.Id = 0;  // sorts first
  Tree().RefreshNode(driveNode, true, true);
  EXPECT_EQ(Captions(driveNode), (Names{L"Archive", L"Data", L"Secretive"}));
  EXPECT_TRUE(NodeOf(*data)->GetExpanded());
  EXPECT_EQ(Tree().GetSelected(), photos);
  EXPECT_EQ(Tree().GetSelectedFolder(), L"C:\\Data\\Photos");
}

TEST_F(ShellTreeTest, AFolderThatCannotBeOpenedIsNotSelectedAndARefreshDeletesIt) {
  view.Show();
  Tree().SetSelectedFolder(L"C:\\Data");
  TNsShellTreeNode* dataNode = NodeOf(*data);
  dataNode->Expand(false);
  TFakeItem& photos = *data->Children[1];
  // With error messages on, it cannot be selected either.
  Tree().SetShowErrorMessages(true);
  photos.BindFails = true;
  TNsShellTreeNode* selected = Tree().GetSelected();
  Tree().SetSelected(ChildNamed(dataNode, L"Photos"));
  EXPECT_EQ(Tree().GetSelected(), selected);
  Tree().SetSelected(ChildNamed(dataNode, L"Music"));
  EXPECT_EQ(Tree().GetSelectedFolder(), L"C:\\Data\\Music");
  Tree().RefreshNode(dataNode, true, true);
  EXPECT_EQ(Captions(dataNode), (Names{L"Music"}));
}

TEST_F(ShellTreeTest, WhileACaptionIsEditedARefreshAddsNothing) {
  view.Show();
  Tree().SetSelectedFolder(L"C:\\Data");
  TNsShellTreeNode* dataNode = NodeOf(*data);
  dataNode->Expand(false);
  space.Add(*data, L"Video", kFolder, L"C:\\Data\\Video");
  // Only an item the shell lets be renamed opens its caption.
  data->Children[0]->Attributes |= SFGAO_CANRENAME;
  ASSERT_TRUE(dataNode->Item(0)->EditText());
  ASSERT_TRUE(Tree().IsEditing());
  Tree().RefreshNode(dataNode, false, true);
  EXPECT_EQ(Captions(dataNode), (Names{L"Music", L"Photos"}));
  dataNode->Item(0)->EndEdit(true);
  Tree().RefreshNode(dataNode, false, true);
  EXPECT_EQ(Captions(dataNode), (Names{L"Music", L"Photos", L"Video"}));
}

TEST_F(ShellTreeTest, HiddenRecycleFoldersFollowShowRecycleBinNotShowHidden) {
  space.Add(*drive, L"RECYCLER", kFolder | SFGAO_HIDDEN, L"C:\\RECYCLER");
  space.Add(*drive, L"Recycled", kFolder, L"C:\\Recycled");
  Tree().SetShowHidden(true);
  Tree().SetShowRecycleBin(false);
  view.Show();
  EXPECT_EQ(Captions(Root()), (Names{L"My Computer"}));
  Expanded(*computer);
  EXPECT_EQ(Captions(Expanded(*drive)), (Names{L"Data", L"Empty", L"Secretive", L"Recycled"}));
  Tree().SetShowRecycleBin(true);
  EXPECT_EQ(Captions(NodeOf(*drive)), (Names{L"Data", L"Empty", L"Secretive", L"RECYCLER", L"Recycled"}));
  EXPECT_EQ(Captions(Root()), (Names{L"My Computer", L"Recycle Bin"}));
}

TEST_F(ShellTreeTest, ShowingFilesAddsTheFileEventsForGood) {
  view.Show();
  TNsShellChangeNotifier* notifier = Tree().GetShellChangeNotifier();
  Tree().SetShowFiles(true);
  const TNotificationEvents withFiles = notifier->GetEventFilter();
  EXPECT_TRUE(withFiles.Contains(neFileCreate));
  EXPECT_TRUE(withFiles.Contains(neFileRename));
  EXPECT_TRUE(withFiles.Contains(neFileDelete));
  EXPECT_EQ(withFiles.Value(), 261584u | 0x38u);
  Tree().SetSelectedFolder(L"C:\\");
  NodeOf(*drive)->Expand(false);
  EXPECT_EQ(Captions(NodeOf(*drive)), (Names{L"Data", L"Empty", L"Secretive", L"notes.txt"}));
  EXPECT_FALSE(ChildNamed(NodeOf(*drive), L"notes.txt")->IsFolder());
  EXPECT_TRUE(ChildNamed(NodeOf(*drive), L"Data")->IsFolder());
  Tree().SetShowFiles(false);
  EXPECT_EQ(notifier->GetEventFilter(), withFiles);
  EXPECT_EQ(Captions(NodeOf(*drive)), (Names{L"Data", L"Empty", L"Secretive"}));
}

// Rooting.

TEST_F(ShellTreeTest, RootingAgainRebuildsTheRootAndClearsTheHistory) {
  view.Show();
  Tree().SetSelectedFolder(L"C:\\Data");
  Tree().SetSelectedFolder(L"C:\\Empty");
  ASSERT_GE(Tree().GetHistory()->GetCount(), 2);
  Root()->SetTag(7);
  const int enumerations = space.Counters.EnumObjects;
  ASSERT_TRUE(Tree().IsMovePossible(-1));
  Tree().SetRootedAt(SF_DESKTOP);
  EXPECT_EQ(Tree().GetItems().TopCount(), 1);
  EXPECT_EQ(Root()->GetTag(), 0);
  EXPECT_EQ(space.Counters.EnumObjects, enumerations + 1);
  EXPECT_EQ(Tree().GetHistory()->GetCount(), 0);
  // An empty history offers no way back.
  EXPECT_EQ(Tree().GetHistory()->GetPosition(), 0);
  EXPECT_FALSE(Tree().IsMovePossible(-1));
  EXPECT_FALSE(Tree().IsMovePossible(1));
  EXPECT_EQ(Tree().GetSelected(), Root());
  EXPECT_TRUE(Root()->GetExpanded());

  Tree().SetRootedAt(SF_DRIVES);
  ASSERT_EQ(Tree().GetItems().TopCount(), 1);
  EXPECT_EQ(Root()->GetText(), L"My Computer");
  EXPECT_EQ(Captions(Root()), (Names{L"Local Disk (C:)"}));
  EXPECT_EQ(Tree().GetRootedAtFileSystemFolder(), L"");
  Tree().SetRootedAt(SF_DRIVES);
  EXPECT_EQ(Tree().GetHistory()->GetCount(), 0);
}

TEST_F(ShellTreeTest, RootingAtAFileOrAMissingFolderIsRefusedAndChangesNothing) {
  view.Show();
  TTempFolder temp;
  const std::wstring file = temp.MakeFile(L"plain.txt", "x");
  Tree().SetSelectedFolder(L"C:\\Data");
  TNsShellTreeNode* root = Root();
  const int nodes = Tree().GetItems().Count();
  for (const std::wstring& path : {file, temp / L"missing", temp / L"*", std::wstring(L"C:\\Data\\Mu?ic")}) {
    try {
      Tree().SetRootedAtFileSystemFolder(path);
      ADD_FAILURE() << "accepted " << WideToUtf8(path);
    } catch (const ENsBrowserError& e) {
      EXPECT_EQ(e.Message(), L"TNsShellTree cannot be rooted at a file or non existing folder. Path: " + path);
    }
    EXPECT_EQ(Root(), root);
    EXPECT_EQ(Tree().GetItems().Count(), nodes);
    EXPECT_EQ(Tree().GetRootedAt(), SF_DESKTOP);
    EXPECT_EQ(Tree().GetRootedAtFileSystemFolder(), L"");
  }
  // A special folder this platform lacks is no root either.
  EXPECT_THROW(Tree().SetRootedAt(SF_PRINTERS), ENsBrowserError);
  EXPECT_EQ(Root(), root);
  EXPECT_EQ(Tree().GetItems().Count(), nodes);
  EXPECT_EQ(Tree().GetRootedAt(), SF_DESKTOP);
  // Drive roots are taken without a directory search.
  for (const wchar_t* root : {L"C:", L"C:\\"}) {
    Tree().SetRootedAtFileSystemFolder(root);
    EXPECT_EQ(Tree().GetRootedAt(), SF_FILESYSTEMFOLDER);
    EXPECT_EQ(Root()->GetText(), L"Local Disk (C:)");
    EXPECT_EQ(Captions(Root()), (Names{L"Data", L"Empty", L"Secretive"}));
  }
}

TEST_F(ShellTreeTest, MultipleRootsAddTopLevelNodesThatAreSearchedInTurn) {
  // The desktop root leaves My Computer out, so only the second root holds C:.
  Tree().OnAddFolder = [](TNsShellTreeNode* node, const std::wstring&, bool& canAdd) {
    canAdd = node->GetText() != L"My Computer";
  };
  view.Show();
  Tree().SetMultipleRoots(true);
  Tree().SetRootedAtFileSystemFolder(L"C:\\");
  ASSERT_EQ(Tree().GetItems().TopCount(), 2);
  auto* second = static_cast<TNsShellTreeNode*>(Tree().GetItems().Top(1));
  EXPECT_EQ(second->GetText(), L"Local Disk (C:)");
  EXPECT_EQ(Captions(second), (Names{L"Data", L"Empty", L"Secretive"}));
  EXPECT_EQ(Captions(Root()), (Names{L"Recycle Bin"}));
  Tree().SetSelectedFolder(L"C:\\Data\\Photos");
  ASSERT_NE(Tree().GetSelected(), nullptr);
  EXPECT_EQ(Tree().GetSelected()->GetText(), L"Photos");
  EXPECT_EQ(Tree().GetSelected()->GetParent()->GetParent(), second);
}

// The history.

TEST_F(ShellTreeTest, MovingInTheHistoryDoesNotExtendIt) {
  view.Show();
  // Rooting empties the history: there is nowhere to go yet.
  Tree().SetRootedAt(SF_DESKTOP);
  ASSERT_EQ(Tree().GetHistory()->GetCount(), 0);
  EXPECT_FALSE(Tree().IsMovePossible(-1));
  EXPECT_NO_THROW(Tree().MoveInHistory(-1));
  EXPECT_EQ(Tree().GetSelected(), Root());
  for (const wchar_t* path : {L"C:\\Data", L"C:\\Empty", L"C:\\Secretive"}) Tree().SetSelectedFolder(path);
  TPidlHistory& history = *Tree().GetHistory();
  const int count = history.GetCount();
  ASSERT_GE(count, 3);
  EXPECT_TRUE(Tree().IsMovePossible(-2));
  EXPECT_FALSE(Tree().IsMovePossible(1));
  Tree().MoveInHistory(-2);
  EXPECT_EQ(Tree().GetSelectedFolder(), L"C:\\Data");
  EXPECT_EQ(history.GetCount(), count);
  EXPECT_EQ(history.GetPosition(), count - 3);
  EXPECT_TRUE(Tree().IsMovePossible(2));
  Tree().MoveInHistory(1);
  EXPECT_EQ(Tree().GetSelectedFolder(), L"C:\\Empty");
  EXPECT_EQ(history.GetCount(), count);
  // The back button of the mouse and Alt with Left do the same.
  SendMessageW(Tree().GetHandle(), WM_XBUTTONDOWN, 0x10020, 0);
  EXPECT_EQ(Tree().GetSelectedFolder(), L"C:\\Data");
  EXPECT_EQ(history.GetCount(), count);
  // A new selection cuts the entries ahead of it.
  Tree().SetSelectedFolder(L"C:\\Secretive");
  EXPECT_EQ(history.GetCount(), count - 1);
}

// The link.

TEST_F(ShellTreeTest, TheLinkHearsOfEachSelectionAndMovesTheTree) {
  TNsShellLink link(nullptr);
  TRecordingControl list;
  list.SetShellLink(&link);
  Tree().SetShellLink(&link);
  view.Show();
  ASSERT_FALSE(list.Paths.empty());
  // The root, at the top level: no parent-folder item for the list.
  EXPECT_EQ(GetItemIdCount(list.Lists.back().Get()), 0);
  EXPECT_FALSE(link.GetShowParentFolderItem());

  list.Paths.clear();
  Tree().SetSelectedFolder(L"C:\\Data");
  EXPECT_EQ(list.Paths, (Names{L"C:\\Data"}));
  EXPECT_TRUE(link.GetShowParentFolderItem());

  // The other way: the list opens a folder, the tree selects it and tells
  // no one back.
  list.Paths.clear();
  TPidl photos(space.AbsoluteList(*data->Children[1]));
  list.Open(photos.Get());
  EXPECT_EQ(Tree().GetSelectedFolder(), L"C:\\Data\\Photos");
  EXPECT_TRUE(list.Paths.empty());
  list.Open(nullptr);
  EXPECT_EQ(Tree().GetSelectedFolder(), L"C:\\Data\\Photos");

  // Up, as asked by the link.
  EXPECT_TRUE(Tree().GoUp());
  EXPECT_EQ(Tree().GetSelectedFolder(), L"C:\\Data");
  EXPECT_EQ(list.Paths.back(), L"C:\\Data");
  Tree().SetSelected(Root());
  EXPECT_FALSE(Tree().GoUp());

  // A file chosen elsewhere moves the tree only when it shows files.
  TPidl driveList(space.AbsoluteList(*drive));
  TPidl noteItem(TFakeNamespace::ChildList(*drive->Children.back()));
  link.FileChanged(&list, driveList.Get(), noteItem.Get());
  EXPECT_EQ(Tree().GetSelected(), Root());
  Tree().SetShowFiles(true);
  link.FileChanged(&list, driveList.Get(), noteItem.Get());
  EXPECT_EQ(Tree().GetSelectedFolder(), L"C:\\");

  // Selecting a file node reports the file with its folder.
  NodeOf(*drive)->Expand(false);
  TNsShellTreeNode* notes = ChildNamed(NodeOf(*drive), L"notes.txt");
  ASSERT_NE(notes, nullptr);
  Tree().SetSelected(notes);
  view.Settle();
  ASSERT_FALSE(list.Files.empty());
  EXPECT_EQ(list.Files.back(), L"C:\\");
  EXPECT_EQ(TFakeNamespace::FirstId(list.FileItems.back().Get()), drive->Children.back()->Id);

  Tree().SetShellLink(nullptr);
  EXPECT_EQ(link.ControlCount(), 1);
}

TEST_F(ShellTreeTest, KeyboardMovesReportOnceAfterTheDelay) {
  TNsShellLink link(nullptr);
  TRecordingControl list;
  list.SetShellLink(&link);
  Tree().SetShellLink(&link);
  view.Show();
  Tree().SetSelectedFolder(L"C:\\Data");
  list.Paths.clear();
  HWND window = Tree().GetHandle();
  // Sent one after the other, so no timer can fire between them: each key
  // puts the delay back to its start.
  for (int i = 0; i < 3; ++i) SendMessageW(window, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(Tree().GetChangeDelay(), 600u);
  EXPECT_TRUE(Tree().GetChangeTimerEnabled());
  EXPECT_TRUE(list.Paths.empty());
  EXPECT_TRUE(PumpMessagesUntil([&] { return !list.Paths.empty(); }, 10000));
  EXPECT_EQ(list.Paths, (Names{Tree().GetSelectedFolder()}));
  EXPECT_NE(Tree().GetSelectedFolder(), L"C:\\Data");
  EXPECT_FALSE(Tree().GetChangeTimerEnabled());
  EXPECT_EQ(Tree().GetChangeDelay(), 0u);

  // Without a link the pause is shorter; a click acts at once.
  Tree().SetShellLink(nullptr);
  SendMessageW(window, WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(Tree().GetChangeDelay(), 100u);
  view.Settle();
  EXPECT_EQ(Tree().GetChangeDelay(), 0u);
  wchar_t key = L'd';
  SendMessageW(window, WM_CHAR, key, 0);
  EXPECT_EQ(Tree().GetChangeDelay(), 100u);
  view.Settle();
}

TEST_F(ShellTreeTest, CtrlAAndF5GoToTheLink) {
  TNsShellLink link(nullptr);
  TRecordingControl list;
  list.SetShellLink(&link);
  Tree().SetShellLink(&link);
  view.Show();
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  SendMessageW(Tree().GetHandle(), WM_KEYDOWN, 'A', 0);
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  EXPECT_EQ(list.SelectAlls, 1);
  const int enumerations = space.Counters.EnumObjects;
  SendMessageW(Tree().GetHandle(), WM_KEYDOWN, VK_F5, 0);
  EXPECT_EQ(list.Refreshes, 1);
  EXPECT_GT(space.Counters.EnumObjects, enumerations);  // the tree re-read itself
}

TEST_F(ShellTreeTest, ExpandOnSelectedOpensTheSelectionAndClosesItsSiblings) {
  view.Show();
  Tree().SetExpandOnSelected(true);
  Tree().SetSelectedFolder(L"C:\\Data");
  TNsShellTreeNode* dataNode = NodeOf(*data);
  EXPECT_TRUE(dataNode->GetExpanded());
  // Down to the next sibling by keyboard.
  SendMessageW(Tree().GetHandle(), WM_KEYDOWN, VK_DOWN, 0);  // Music
  SendMessageW(Tree().GetHandle(), WM_KEYDOWN, VK_DOWN, 0);  // Photos
  SendMessageW(Tree().GetHandle(), WM_KEYDOWN, VK_DOWN, 0);  // Empty
  view.Settle();
  ASSERT_EQ(Tree().GetSelectedFolder(), L"C:\\Empty");
  EXPECT_FALSE(dataNode->GetExpanded());
}

// Change notifications, as the notifier hands them on.

TEST_F(ShellTreeTest, NotificationsReconcileWithoutClosingWhatTheUserOpened) {
  view.Show();
  Tree().SetSelectedFolder(L"C:\\Data\\Music");
  TNsShellTreeNode* dataNode = NodeOf(*data);
  TNsShellTreeNode* driveNode = NodeOf(*drive);
  auto notify = [&](TNotificationEvent event, const TFakeItem& a, const TFakeItem* b = nullptr) {
    TPidl first(space.AbsoluteList(a));
    TPidl second(b != nullptr ? space.AbsoluteList(*b) : nullptr);
    Tree().ShellChangeNotify(Tree().GetShellChangeNotifier(), event, first.Get(), second.Get());
  };

  // Created: the parent is refreshed; the new folder takes its place in order.
  TFakeItem& video = space.Add(*data, L"Video", kFolder, L"C:\\Data\\Video");
  notify(neFolderCreate, video);
  EXPECT_EQ(Captions(dataNode), (Names{L"Music", L"Photos", L"Video"}));
  EXPECT_TRUE(dataNode->GetExpanded());
  EXPECT_TRUE(driveNode->GetExpanded());
  EXPECT_EQ(Tree().GetSelectedFolder(), L"C:\\Data\\Music");

  // Renamed: both parents are refreshed.
  TFakeItem* photos = data->Children[1].get();
  TPidl oldPhotos(space.AbsoluteList(*photos));
  auto moved = data->Children[1];
  data->Children.erase(data->Children.begin() + 1);
  moved->DisplayName = L"Pictures";
  moved->Path = L"C:\\Pictures";
  moved->Parent = drive;
  moved->Id = 1000;
  drive->Children.push_back(moved);
  TPidl newPhotos(space.AbsoluteList(*moved));
  Tree().ShellChangeNotify(nullptr, neFolderRename, oldPhotos.Get(), newPhotos.Get());
  EXPECT_EQ(Captions(dataNode), (Names{L"Music", L"Video"}));
  EXPECT_EQ(Captions(driveNode), (Names{L"Data", L"Empty", L"Secretive", L"Pictures"}));
  EXPECT_TRUE(dataNode->GetExpanded());

  // Deleted: the node goes.
  TPidl videoList(space.AbsoluteList(video));
  data->Children.pop_back();
  Tree().ShellChangeNotify(nullptr, neFolderDelete, videoList.Get(), nullptr);
  EXPECT_EQ(Captions(dataNode), (Names{L"Music"}));

  // Updated: the folder is refreshed in place.
  space.Add(*data, L"Scores", kFolder, L"C:\\Data\\Scores");
  notify(neFolderUpdate, *data);
  EXPECT_EQ(Captions(dataNode), (Names{L"Music", L"Scores"}));
  EXPECT_EQ(Tree().GetSelectedFolder(), L"C:\\Data\\Music");

  // Below a folder that is closed: it only loses its children.
  TNsShellTreeNode* secretive = NodeOf(*onlyHidden);
  Tree().SetShowHidden(true);
  secretive = NodeOf(*onlyHidden);
  secretive->Expand(false);
  secretive->Collapse(false);
  ASSERT_EQ(secretive->Count(), 1);
  TFakeItem& inner = space.Add(*onlyHidden->Children[0], L"Inner", kFolder, L"C:\\Secretive\\Hidden\\Inner");
  const int enumerations = space.Counters.EnumObjects;
  notify(neFolderCreate, inner);
  EXPECT_EQ(secretive->Count(), 0);
  EXPECT_TRUE(secretive->GetHasChildren());
  EXPECT_EQ(space.Counters.EnumObjects, enumerations);
}

TEST_F(ShellTreeTest, ABurstOfChangesWaitsForItsEndAndReadsEachFolderOnce) {
  view.Show();
  DWORD now = 5000000;
  Tree().TickCountSource = [&] { return now; };
  Tree().SetSelectedFolder(L"C:\\Data");
  TNsShellTreeNode* dataNode = NodeOf(*data);
  TNsShellTreeNode* driveNode = NodeOf(*drive);
  dataNode->Expand(false);
  TNsShellChangeNotifier* notifier = Tree().GetShellChangeNotifier();
  // As the notifier hands a change on.
  auto deliver = [&](TNotificationEvent event, const TFakeItem& item) {
    TPidl list(space.AbsoluteList(item));
    notifier->OnChangePIDL(notifier, event, list.Get(), nullptr);
  };
  // A change on its own is handled at once.
  int enumerations = space.Counters.EnumObjects;
  deliver(neFolderCreate, space.Add(*data, L"New 0", kFolder, L"C:\\Data\\New 0"));
  EXPECT_EQ(Captions(dataNode), (Names{L"Music", L"Photos", L"New 0"}));
  EXPECT_EQ(space.Counters.EnumObjects, enumerations + 1);
  // Within 100 ms of it the next ones wait.
  enumerations = space.Counters.EnumObjects;
  for (int i = 1; i <= 50; ++i) {
    now += 5;
    deliver(neFolderCreate, space.Add(*data, L"New " + std::to_wstring(i), kFolder,
                                      L"C:\\Data\\New " + std::to_wstring(i)));
  }
  // Another folder's change in the same burst, and one that goes again.
  now += 5;
  TFakeItem& other = space.Add(*drive, L"Other", kFolder, L"C:\\Other");
  deliver(neFolderCreate, other);
  now += 5;
  TFakeItem& brief = space.Add(*data, L"Brief", kFolder, L"C:\\Data\\Brief");
  deliver(neFolderCreate, brief);
  data->Children.pop_back();
  now += 5;
  deliver(neFolderDelete, brief);
  EXPECT_EQ(dataNode->Count(), 3);
  EXPECT_EQ(space.Counters.EnumObjects, enumerations);
  // The timer sees the burst still going and lets the changes wait.
  PumpMessagesFor(300);
  EXPECT_EQ(dataNode->Count(), 3);
  // Over: each folder is read once, and shows what it holds.
  now += 150;
  EXPECT_TRUE(PumpMessagesUntil([&] { return dataNode->Count() == 53; }, 30000));
  EXPECT_EQ(space.Counters.EnumObjects, enumerations + 2);
  EXPECT_EQ(dataNode->Item(2)->GetText(), L"New 0");
  EXPECT_EQ(dataNode->Item(52)->GetText(), L"New 50");
  EXPECT_NE(ChildNamed(driveNode, L"Other"), nullptr);
  EXPECT_EQ(ChildNamed(dataNode, L"Brief"), nullptr);
  // A change long after the burst is handled at once again.
  now += 1000;
  deliver(neFolderDelete, *data->Children.back());
  EXPECT_EQ(dataNode->Count(), 52);
  Tree().TickCountSource = nullptr;
}

TEST_F(ShellTreeTest, AChangeThatWaitsLongerThanASecondRunsEvenWhileTheBurstGoesOn) {
  view.Show();
  DWORD now = 7000000;
  Tree().TickCountSource = [&] { return now; };
  Tree().SetSelectedFolder(L"C:\\Data");
  TNsShellTreeNode* dataNode = NodeOf(*data);
  dataNode->Expand(false);
  TNsShellChangeNotifier* notifier = Tree().GetShellChangeNotifier();
  auto deliver = [&](const TFakeItem& item) {
    TPidl list(space.AbsoluteList(item));
    notifier->OnChangePIDL(notifier, neFolderCreate, list.Get(), nullptr);
  };
  deliver(space.Add(*data, L"First", kFolder, L"C:\\Data\\First"));
  now += 10;
  deliver(space.Add(*data, L"Waiting", kFolder, L"C:\\Data\\Waiting"));
  ASSERT_EQ(ChildNamed(dataNode, L"Waiting"), nullptr);
  // Changes keep coming every 50 ms; after a second the waiting one runs.
  bool shown = false;
  for (int i = 0; i < 40 && !shown; ++i) {
    now += 50;
    deliver(*data->Children[0]);
    PumpMessagesFor(120);
    shown = ChildNamed(dataNode, L"Waiting") != nullptr;
    if (shown) {
      EXPECT_GE(i, 18);
    }
  }
  EXPECT_TRUE(shown);
  Tree().TickCountSource = nullptr;
}

TEST_F(ShellTreeTest, ChangesThatArriveDuringAWalkWaitForItsEnd) {
  view.Show();
  Tree().SetSelectedFolder(L"C:\\Data");
  TNsShellTreeNode* dataNode = NodeOf(*data);
  dataNode->Expand(false);
  // A notification delivered from inside an expansion's message loop.
  TPidl music(space.AbsoluteList(*data->Children[0]));
  bool sent = false;
  Tree().OnUpdatedFolder = [&](TObject*, TNsShellTreeNode*) {
    if (sent) return;
    sent = true;
    data->Children.erase(data->Children.begin());
    Tree().ShellChangeNotify(nullptr, neFolderDelete, music.Get(), nullptr);
  };
  Tree().RefreshNode(dataNode, false, true);
  Tree().OnUpdatedFolder = nullptr;
  EXPECT_TRUE(sent);
  EXPECT_TRUE(PumpMessagesUntil([&] { return Captions(dataNode) == Names{L"Photos"}; }, 30000));
}

// Network items the network folder does not list.

TEST_F(ShellTreeTest, UnlistedServersAndSharesAreInsertedLevelByLevelAndKept) {
  TFakeItem& network = space.Add(space.Desktop(), L"Network", SFGAO_FOLDER | SFGAO_HASSUBFOLDER);
  space.SetSpecial(CSIDL_NETWORK, network);
  space.Add(network, L"listed", SFGAO_FOLDER, L"\\\\listed");
  TFakeItem& server = space.Add(network, L"hidden", SFGAO_FOLDER | SFGAO_HASSUBFOLDER, L"\\\\hidden");
  TFakeItem& share = space.Add(server, L"share", kFolder, L"\\\\hidden\\share");
  network.FailEnumerationAfter = 1;  // the second server is never listed
  view.Show();
  TPidl shareList(space.AbsoluteList(share));
  EXPECT_TRUE(Tree().LocateNode(shareList.Get(), laSelect));
  EXPECT_EQ(Tree().GetSelectedFolder(), L"\\\\hidden\\share");
  TNsShellTreeNode* networkNode = NodeOf(network);
  EXPECT_EQ(Captions(networkNode), (Names{L"listed", L"hidden"}));
  TNsShellTreeNode* serverNode = NodeOf(server);
  EXPECT_TRUE(serverNode->GetFlags().Contains(sitSticky));
  // A refresh keeps the server the folder still does not list.
  Tree().RefreshNode(networkNode, false, true);
  EXPECT_EQ(Captions(networkNode), (Names{L"listed", L"hidden"}));
  // A share by path.
  TFakeItem& second = space.Add(server, L"second", kFolder, L"\\\\hidden\\second");
  EXPECT_TRUE(Tree().AddHiddenItem(L"\\\\hidden\\second"));
  EXPECT_NE(NodeOf(second), nullptr);
  EXPECT_EQ(Tree().GetSelectedFolder(), L"\\\\hidden\\share");
  EXPECT_FALSE(Tree().AddHiddenItem(L""));
}

TEST_F(ShellTreeTest, AFolderHoldingOnlyAnInsertedServerIsReadOnItsExpansion) {
  TFakeItem& network = space.Add(space.Desktop(), L"Network", SFGAO_FOLDER | SFGAO_HASSUBFOLDER);
  space.SetSpecial(CSIDL_NETWORK, network);
  space.Add(network, L"listed", SFGAO_FOLDER, L"\\\\listed");
  TFakeItem& server = space.Add(network, L"hidden", SFGAO_FOLDER | SFGAO_HASSUBFOLDER, L"\\\\hidden");
  network.FailEnumerationAfter = 1;
  view.Show();
  TPidl serverList(space.AbsoluteList(server));
  EXPECT_TRUE(Tree().LocateNode(serverList.Get(), laInsertOnly));
  TNsShellTreeNode* networkNode = NodeOf(network);
  ASSERT_NE(networkNode, nullptr);
  EXPECT_FALSE(networkNode->GetExpanded());
  EXPECT_EQ(Captions(networkNode), (Names{L"hidden"}));
  networkNode->Expand(false);
  EXPECT_EQ(Captions(networkNode), (Names{L"listed", L"hidden"}));
  // Read once: a second expansion reads nothing again.
  const int enumerations = space.Counters.EnumObjects;
  networkNode->Collapse(false);
  networkNode->Expand(false);
  EXPECT_EQ(space.Counters.EnumObjects, enumerations);
}

TEST_F(ShellTreeTest, FoldersARefreshAddsOutOfSightAreUpdatedOnlyWhenDrawn) {
  for (int i = 0; i < 100; ++i)
    space.Add(*data, L"Folder " + std::to_wstring(1000 + i), kFolder, L"C:\\Data\\F" + std::to_wstring(i));
  view.Show();
  Tree().SetSelectedFolder(L"C:\\Data");
  TNsShellTreeNode* dataNode = NodeOf(*data);
  dataNode->Expand(false);
  ASSERT_EQ(dataNode->Count(), 102);
  for (int i = 0; i < 50; ++i)
    space.Add(*data, L"Zeta " + std::to_wstring(i), kFolder, L"C:\\Data\\Z" + std::to_wstring(i));
  std::set<TNsShellTreeNode*> updated;
  Tree().OnUpdatedFolder = [&](TObject*, TNsShellTreeNode* node) { updated.insert(node); };
  Tree().RefreshNode(dataNode, false, true);
  ASSERT_EQ(dataNode->Count(), 152);
  TNsShellTreeNode* last = dataNode->GetLastChild();
  EXPECT_EQ(last->GetText(), L"Zeta 49");
  // The refreshed folder itself, and none of the new ones below the window.
  EXPECT_LE(updated.size(), 1u);
  EXPECT_EQ(updated.count(last), 0u);
  last->MakeVisible();
  EXPECT_TRUE(PumpMessagesUntil([&] { return updated.count(last) == 1; }, 30000));
  Tree().OnUpdatedFolder = nullptr;
}

TEST_F(ShellTreeTest, ABigLoadedFolderKeepsNodeCountsAndSiblingStepsCheap) {
  for (int i = 0; i < 3000; ++i)
    space.Add(*data, L"Folder " + std::to_wstring(10000 + i), kFolder, L"C:\\Data\\F" + std::to_wstring(i));
  view.Show();
  Tree().SetSelectedFolder(L"C:\\Data");
  TNsShellTreeNode* dataNode = NodeOf(*data);
  dataNode->Expand(false);
  ASSERT_EQ(dataNode->Count(), 3002);
  // The count and the sibling steps agree with a walk, also after deletions
  // and insertions in the middle.
  dataNode->Item(1500)->Delete();
  dataNode->Item(10)->Delete();
  Tree().GetItems().Insert(dataNode->Item(700), L"inserted");
  int walked = 0;
  for (TNsShellTreeNode* node = Root(); node != nullptr; node = node->GetNext()) ++walked;
  EXPECT_EQ(Tree().GetItems().Count(), walked);
  int index = 0;
  for (TNsShellTreeNode* child = dataNode->getFirstChild(); child != nullptr; child = child->getNextSibling(), ++index)
    ASSERT_EQ(child->GetIndex(), index);
  EXPECT_EQ(index, 3001);
  EXPECT_EQ(dataNode->Item(700)->GetText(), L"inserted");
}

// Pictures.

TEST_F(ShellTreeTest, IconResultsReachTheirNodeOnlyWhenUsable) {
  view.Show();
  TNsShellTreeNode* computerNode = NodeOf(*computer);
  const TWorkTag tag = reinterpret_cast<TWorkTag>(computerNode);
  Tree().IconReady(5, itOverlay, tag);
  EXPECT_EQ(computerNode->GetOverlayIndex(), 5);
  Tree().IconReady(-1, itOverlay, tag);
  EXPECT_EQ(computerNode->GetOverlayIndex(), 5);
  Tree().IconReady(7, itSelected, tag);
  EXPECT_EQ(computerNode->GetSelectedIndex(), 7);
  Tree().IconReady(9, itNormal, tag);
  EXPECT_EQ(computerNode->GetImageIndex(), 9);
  // Overlays off: a full update clears the overlay.
  Tree().SetShowOverlayIcons(false);
  EXPECT_EQ(NodeOf(*computer)->GetOverlayIndex(), -1);
}

TEST_F(ShellTreeTest, NodesOutOfSightAreUpdatedWhenFirstDrawn) {
  for (int i = 0; i < 200; ++i)
    space.Add(*data, L"Folder " + std::to_wstring(1000 + i), kFolder, L"C:\\Data\\F" + std::to_wstring(i));
  std::set<TNsShellTreeNode*> updated;
  Tree().OnUpdatedFolder = [&](TObject*, TNsShellTreeNode* node) { updated.insert(node); };
  view.Show();
  Tree().SetSelectedFolder(L"C:\\Data");
  TNsShellTreeNode* dataNode = NodeOf(*data);
  dataNode->Expand(false);
  ASSERT_EQ(dataNode->Count(), 202);
  TNsShellTreeNode* last = dataNode->GetLastChild();
  EXPECT_TRUE(PumpMessagesUntil([&] { return dataNode->Item(0)->GetImageIndex() >= 0; }, 30000));
  EXPECT_LT(last->GetImageIndex(), 0);
  EXPECT_EQ(updated.count(last), 0u);
  last->MakeVisible();
  EXPECT_TRUE(PumpMessagesUntil([&] { return last->GetImageIndex() >= 0; }, 30000));
  EXPECT_EQ(updated.count(last), 1u);
  Tree().OnUpdatedFolder = nullptr;
}

}  // namespace
}  // namespace ts::test
