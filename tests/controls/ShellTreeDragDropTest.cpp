// The shell tree's drag and drop: the tree as a drop target driven through
// its interface with data objects the tests make, over Wine's shell (where
// its folders take the folder drop target) and over a namespace whose items
// offer targets of the test's own; the tree as a drop source; and whole
// drags between two trees through the platform's DoDragDrop, driven by a
// timer that moves the cursor and lets the button go.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "ShellTreeCommandsSupport.h"
#include "shell/DropFilesDataObject.h"
#include "shell/FakeNamespace.h"
#include "shell/FolderDropTarget.h"
#include "shell/ShellGlobals.h"
#include "support/KeyboardInput.h"
#include "toolkit/StringList.h"

namespace ts::test {
namespace {

using Names = std::vector<std::wstring>;

constexpr uint16_t kDragCopy = 5, kDragMove = 134, kDropOther = 8, kDropCopy = 9, kDropMove = 10;
constexpr DWORD kAll = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

TComPtr<IDataObject> DataOf(const Names& paths) {
  TStringList list;
  for (const std::wstring& path : paths) list.Add(path);
  return FilesDataObject(nullptr, list, DROPEFFECT_NONE);
}

POINTL AsPointL(POINT p) { return POINTL{p.x, p.y}; }

// The tree's drop target as the drag's loop calls it.
struct TDropper {
  TNsShellTree& Tree;
  IDataObject* Data;

  HRESULT Enter(DWORD keys = MK_LBUTTON) {
    DWORD effect = kAll;
    const HRESULT hr = Tree.DragEnter(Data, keys, POINTL{0, 0}, &effect);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    return hr;
  }
  DWORD Over(POINT at, DWORD keys = MK_LBUTTON, DWORD offered = kAll, HRESULT* result = nullptr) {
    DWORD effect = offered;
    const HRESULT hr = Tree.DragOver(keys, AsPointL(at), &effect);
    if (result != nullptr) *result = hr;
    return effect;
  }
  HRESULT Drop(POINT at, DWORD& effect, DWORD offered = kAll) {
    effect = offered;
    return Tree.Drop(Data, 0, AsPointL(at), &effect);
  }
};

class ShellTreeDropTest : public ::testing::Test {
protected:
  TReportingTree& Tree() { return *tree.Tree; }
  std::wstring Path(const std::wstring& relative) { return tree.Temp / relative; }
  TTempTree tree;
};

TEST_F(ShellTreeDropTest, ADropOnAFolderCopiesOrMovesIntoItAndReportsIt) {
  const std::wstring copied = tree.Temp.MakeFile(L"from\\copied.txt", "c");
  tree.Temp.MakeFolder(L"from\\moved\\inner");
  tree.Temp.MakeFolder(L"to\\already");
  tree.Show();
  Tree().SetAutomaticRefresh(false);
  TNsShellTreeNode* to = tree.Node(L"to");
  to->Expand(false);
  TComPtr<IDataObject> data = DataOf({copied});
  TDropper drop{Tree(), data.Get()};

  EXPECT_EQ(drop.Enter(), S_OK);
  EXPECT_EQ(drop.Over(tree.ScreenPointOf(to), MK_LBUTTON | MK_CONTROL), static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(Tree().GetDropItem(), to);
  EXPECT_TRUE(to->GetDropTarget());
  DWORD effect = 0;
  EXPECT_EQ(drop.Drop(tree.ScreenPointOf(to), effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_TRUE(Exists(Path(L"to\\copied.txt")));
  EXPECT_TRUE(Exists(copied));
  ASSERT_EQ(Tree().Reports.size(), 1u);
  EXPECT_EQ(Tree().Reports[0].Operation, kDropCopy);
  EXPECT_EQ(Tree().Reports[0].Files, (Names{copied}));
  EXPECT_TRUE(SamePath(Tree().Reports[0].Destination, Path(L"to")));
  // The drag is over: no highlight, no drop item.
  EXPECT_FALSE(to->GetDropTarget());
  EXPECT_EQ(Tree().GetDropItem(), nullptr);

  // Without keys, on the same drive: a move; the open folder shows it.
  TComPtr<IDataObject> folderData = DataOf({Path(L"from\\moved")});
  TDropper move{Tree(), folderData.Get()};
  move.Enter();
  EXPECT_EQ(move.Over(tree.ScreenPointOf(to)), static_cast<DWORD>(DROPEFFECT_MOVE));
  EXPECT_EQ(move.Drop(tree.ScreenPointOf(to), effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE));
  EXPECT_TRUE(Exists(Path(L"to\\moved\\inner")));
  EXPECT_FALSE(Exists(Path(L"from\\moved")));
  ASSERT_EQ(Tree().Reports.size(), 2u);
  EXPECT_EQ(Tree().Reports[1].Operation, kDropMove);
  EXPECT_EQ(Captions(to), (Names{L"already", L"moved"}));
}

TEST_F(ShellTreeDropTest, TheCopyModeLimitsWhatADropDoes) {
  const std::wstring file = tree.Temp.MakeFile(L"from\\a.txt", "a");
  tree.Temp.MakeFolder(L"to");
  tree.Show();
  Tree().SetCopyMode(cmCopy);
  TNsShellTreeNode* to = tree.Node(L"to");
  TComPtr<IDataObject> data = DataOf({file});
  TDropper drop{Tree(), data.Get()};
  drop.Enter();
  // A move is what the keys would give: only a copy is taken.
  EXPECT_EQ(drop.Over(tree.ScreenPointOf(to)), static_cast<DWORD>(DROPEFFECT_COPY));
  DWORD effect = 0;
  EXPECT_EQ(drop.Drop(tree.ScreenPointOf(to), effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_TRUE(Exists(file));
  EXPECT_TRUE(Exists(Path(L"to\\a.txt")));
  // Links only: a shortcut.
  Tree().SetCreateLinkOnDrop(true);
  EXPECT_EQ(Tree().GetCopyMode(), cmLink);
  drop.Enter();
  EXPECT_EQ(drop.Over(tree.ScreenPointOf(to)), static_cast<DWORD>(DROPEFFECT_LINK));
  EXPECT_EQ(drop.Drop(tree.ScreenPointOf(to), effect), S_OK);
  EXPECT_TRUE(Exists(Path(L"to\\a.txt - Shortcut.lnk")));
  ASSERT_EQ(Tree().Reports.size(), 2u);
  EXPECT_EQ(Tree().Reports[1].Operation, kDropOther);
  Tree().SetCreateLinkOnDrop(false);
  EXPECT_EQ(Tree().GetCopyMode(), cmDefault);
}

TEST_F(ShellTreeDropTest, TheVetoDropsNothingAndAnswersUnexpected) {
  const std::wstring file = tree.Temp.MakeFile(L"from\\a.txt", "a");
  tree.Temp.MakeFolder(L"to");
  tree.Show();
  TNsShellTreeNode* to = tree.Node(L"to");
  TObject* vetoedOn = nullptr;
  Names vetoedFiles;
  int keyState = -1;
  Tree().OnBeforeShellDrop = [&](TObject* sender, TObject* target, TStringList* files, bool& execute, int keys) {
    EXPECT_EQ(sender, &Tree());
    EXPECT_TRUE(execute);
    vetoedOn = target;
    for (int i = 0; i < files->GetCount(); ++i) vetoedFiles.push_back((*files)[i]);
    keyState = keys;
    execute = false;
  };
  TComPtr<IDataObject> data = DataOf({file});
  TDropper drop{Tree(), data.Get()};
  drop.Enter();
  EXPECT_EQ(drop.Over(tree.ScreenPointOf(to), MK_LBUTTON | MK_CONTROL), static_cast<DWORD>(DROPEFFECT_COPY));
  DWORD effect = 0;
  EXPECT_EQ(drop.Drop(tree.ScreenPointOf(to), effect), E_UNEXPECTED);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(vetoedOn, to);
  EXPECT_EQ(vetoedFiles, (Names{file}));
  // The key state of the last drag over: the button that was let go.
  EXPECT_EQ(keyState, MK_LBUTTON | MK_CONTROL);
  EXPECT_FALSE(Exists(Path(L"to\\a.txt")));
  EXPECT_TRUE(Tree().Reports.empty());
  EXPECT_FALSE(to->GetDropTarget());
}

TEST_F(ShellTreeDropTest, EmptySpaceAReadOnlyTreeAndAFolderOntoItselfTakeNothing) {
  tree.Temp.MakeFile(L"folder\\child\\keep.txt", "k");
  tree.Temp.MakeFolder(L"other");
  tree.Show();
  TNsShellTreeNode* folder = tree.Node(L"folder");
  TNsShellTreeNode* child = tree.Node(L"folder\\child");
  TComPtr<IDataObject> data = DataOf({Path(L"folder")});
  TDropper drop{Tree(), data.Get()};
  drop.Enter();
  // Empty space below the nodes.
  const POINT empty = Tree().ClientToScreen(POINT{10, Tree().GetClientHeight() - 5});
  EXPECT_EQ(drop.Over(empty), static_cast<DWORD>(DROPEFFECT_NONE));
  DWORD effect = 0;
  EXPECT_EQ(drop.Drop(empty, effect), E_UNEXPECTED);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  // The folder onto itself and onto its own child, with every key.
  for (TNsShellTreeNode* onto : {folder, child}) {
    for (DWORD keys : {DWORD{0}, DWORD{MK_CONTROL}, DWORD{MK_SHIFT}}) {
      drop.Enter();
      EXPECT_EQ(drop.Over(tree.ScreenPointOf(onto), MK_LBUTTON | keys), static_cast<DWORD>(DROPEFFECT_NONE));
      EXPECT_EQ(drop.Drop(tree.ScreenPointOf(onto), effect), S_OK);
      EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    }
  }
  EXPECT_TRUE(Exists(Path(L"folder\\child\\keep.txt")));
  EXPECT_TRUE(Tree().Reports.empty());
  // A read-only tree takes no drop at all.
  Tree().SetReadOnly(true);
  drop.Enter();
  EXPECT_EQ(drop.Over(tree.ScreenPointOf(tree.Node(L"other"))), static_cast<DWORD>(DROPEFFECT_NONE));
  Tree().DragLeave();
}

TEST_F(ShellTreeDropTest, AnEffectThatChangesIsAnsweredWithFailureOnce) {
  const std::wstring file = tree.Temp.MakeFile(L"from\\a.txt", "a");
  tree.Temp.MakeFolder(L"to");
  tree.Show();
  TNsShellTreeNode* to = tree.Node(L"to");
  TComPtr<IDataObject> data = DataOf({file});
  TDropper drop{Tree(), data.Get()};
  drop.Enter();
  HRESULT hr = S_OK;
  EXPECT_EQ(drop.Over(tree.ScreenPointOf(to), MK_LBUTTON, kAll, &hr), static_cast<DWORD>(DROPEFFECT_MOVE));
  EXPECT_EQ(hr, E_FAIL);
  drop.Over(tree.ScreenPointOf(to), MK_LBUTTON, kAll, &hr);
  EXPECT_EQ(hr, S_OK);
  EXPECT_EQ(drop.Over(tree.ScreenPointOf(to), MK_LBUTTON | MK_CONTROL, kAll, &hr), static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(hr, E_FAIL);
  Tree().DragLeave();
  EXPECT_FALSE(to->GetDropTarget());
}

TEST_F(ShellTreeDropTest, ADragRestingOnAFolderOpensItAfterTwoSecondsAndNearTheEdgeScrolls) {
  for (int i = 0; i < 60; ++i) tree.Temp.MakeFolder(L"folder " + std::to_wstring(100 + i) + L"\\inner");
  tree.Show();
  DWORD now = 1000000;
  Tree().TickCountSource = [&] { return now; };
  TNsShellTreeNode* first = tree.Node(L"folder 100");
  ASSERT_FALSE(first->GetExpanded());
  TComPtr<IDataObject> data = DataOf({tree.Temp.MakeFile(L"dragged.txt", "d")});
  TDropper drop{Tree(), data.Get()};
  drop.Enter();
  drop.Over(tree.ScreenPointOf(first));
  now += 1999;
  drop.Over(tree.ScreenPointOf(first));
  EXPECT_FALSE(first->GetExpanded());
  now += 2;
  drop.Over(tree.ScreenPointOf(first));
  EXPECT_TRUE(first->GetExpanded());
  EXPECT_EQ(Captions(first), (Names{L"inner"}));

  // Near the bottom edge, at most every 100 ms, one line.
  auto topItem = [&] { return SendMessageW(tree.Handle(), TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0); };
  const LPARAM top = topItem();
  const POINT bottom = Tree().ClientToScreen(POINT{40, Tree().GetClientHeight() - 3});
  drop.Over(bottom);
  EXPECT_EQ(topItem(), top);
  now += 101;
  drop.Over(bottom);
  const LPARAM once = topItem();
  EXPECT_NE(once, top);
  now += 50;
  drop.Over(bottom);
  EXPECT_EQ(topItem(), once);
  Tree().DragLeave();
  Tree().TickCountSource = nullptr;
}

// Targets of the test's own, offered by the items of a namespace.
class TScriptedTarget : public IDropTarget {
public:
  HRESULT EnterAnswer = S_OK;
  DWORD OverEffect = DROPEFFECT_COPY;
  std::function<void()> OnDrop;
  DWORD DropEffect = DROPEFFECT_NONE;
  int Enters = 0, Overs = 0, Leaves = 0, Drops = 0;
  DWORD LastOffered = 0;
  DWORD DropKeys = 0;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
      *out = static_cast<IDropTarget*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
    ++Enters;
    LastOffered = *effect;
    return EnterAnswer;
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
    ++Overs;
    LastOffered = *effect;
    *effect = OverEffect;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    ++Leaves;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject*, DWORD keys, POINTL, DWORD* effect) override {
    ++Drops;
    DropKeys = keys;
    LastOffered = *effect;
    if (OnDrop) OnDrop();
    *effect = DropEffect;
    return S_OK;
  }
};

class ShellTreeOwnTargetsTest : public ::testing::Test {
protected:
  ShellTreeOwnTargetsTest() {
    constexpr ULONG kFolder = SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_DROPTARGET;
    // Paths that are no folders here: the items' own targets stand.
    data = &space.Add(space.Desktop(), L"Data", kFolder | SFGAO_HASSUBFOLDER, L"Q:\\Data");
    space.Add(*data, L"Inner", kFolder, L"Q:\\Data\\Inner");
    refusing = &space.Add(space.Desktop(), L"Refusing", kFolder, L"Q:\\Refusing");
    space.UIObjectOf = [this](TFakeItem& folder, UINT count, PCUITEMID_CHILD_ARRAY items, REFIID iid,
                              void** object) -> HRESULT {
      if (!IsEqualIID(iid, IID_IDropTarget) || count != 1) return E_NOINTERFACE;
      TFakeItem* item = space.Resolve(folder, items[0]);
      TScriptedTarget* target = item == refusing ? &refusingTarget : (item == data ? &dataTarget : nullptr);
      if (target == nullptr) return E_NOINTERFACE;
      *object = static_cast<IDropTarget*>(target);
      return S_OK;
    };
    refusingTarget.EnterAnswer = S_FALSE;
    view.Form->InsertComponent(view.Tree);
    view.Show();
  }
  TNsShellTreeNode* NodeNamed(const std::wstring& caption) { return ChildNamed(view.Tree->GetRootNode(), caption); }
  POINT At(TNsShellTreeNode* node) {
    const RECT r = node->DisplayRect(true);
    return view.Tree->ClientToScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  }

  TTempFolder temp;
  TFakeNamespace space;
  TFakeItem* data;
  TFakeItem* refusing;
  TScriptedTarget dataTarget, refusingTarget;
  TTreeForm view{new TReportingTree(nullptr)};
  TReportingTree& Tree() { return *static_cast<TReportingTree*>(view.Tree); }
};

TEST_F(ShellTreeOwnTargetsTest, ATargetThatMovedTheFilesItselfIsReportedAsAMove) {
  const std::wstring file = temp.MakeFile(L"moved.txt", "m");
  TComPtr<IDataObject> payload = DataOf({file});
  TDropper drop{Tree(), payload.Get()};
  dataTarget.OnDrop = [&] { DeleteFileW(file.c_str()); };
  dataTarget.DropEffect = DROPEFFECT_NONE;
  TNsShellTreeNode* node = NodeNamed(L"Data");
  ASSERT_NE(node, nullptr);
  drop.Enter();
  EXPECT_EQ(drop.Over(At(node), MK_RBUTTON, kAll), static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(dataTarget.Enters, 1);
  EXPECT_EQ(dataTarget.LastOffered, kAll);
  DWORD effect = 0;
  EXPECT_EQ(drop.Drop(At(node), effect, DROPEFFECT_COPY | DROPEFFECT_MOVE), S_OK);
  EXPECT_EQ(dataTarget.Drops, 1);
  // The target is given the button of the drag, and what the source offers.
  EXPECT_EQ(dataTarget.DropKeys, static_cast<DWORD>(MK_RBUTTON));
  EXPECT_EQ(dataTarget.LastOffered, static_cast<DWORD>(DROPEFFECT_COPY | DROPEFFECT_MOVE));
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE));
  ASSERT_EQ(Tree().Reports.size(), 1u);
  EXPECT_EQ(Tree().Reports[0].Operation, kDropMove);
  EXPECT_EQ(Tree().Reports[0].Destination, L"Q:\\Data");
  // Told nothing more after its drop.
  EXPECT_EQ(dataTarget.Leaves, 0);

  // Effect 0 and the files still there: nothing happened, nothing is said.
  const std::wstring kept = temp.MakeFile(L"kept.txt", "k");
  TComPtr<IDataObject> keptData = DataOf({kept});
  TDropper again{Tree(), keptData.Get()};
  dataTarget.OnDrop = nullptr;
  again.Enter();
  again.Over(At(node));
  EXPECT_EQ(again.Drop(At(node), effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(Tree().Reports.size(), 1u);
}

TEST_F(ShellTreeOwnTargetsTest, ATargetThatRefusesTheDataTakesNoPartAndMovingOnTellsTheOldOneItLeft) {
  TComPtr<IDataObject> payload = DataOf({temp.MakeFile(L"a.txt", "a")});
  TDropper drop{Tree(), payload.Get()};
  TNsShellTreeNode* refusingNode = NodeNamed(L"Refusing");
  TNsShellTreeNode* dataNode = NodeNamed(L"Data");
  drop.Enter();
  EXPECT_EQ(drop.Over(At(dataNode)), static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(drop.Over(At(refusingNode)), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(dataTarget.Leaves, 1);
  EXPECT_EQ(refusingTarget.Enters, 1);
  EXPECT_EQ(refusingTarget.Overs, 0);
  // Highlighted all the same, so that a rest on it still opens it.
  EXPECT_TRUE(refusingNode->GetDropTarget());
  EXPECT_FALSE(dataNode->GetDropTarget());
  DWORD effect = 0;
  EXPECT_EQ(drop.Drop(At(refusingNode), effect), E_UNEXPECTED);
  EXPECT_EQ(refusingTarget.Drops, 0);
}

TEST_F(ShellTreeOwnTargetsTest, ANodeDeletedUnderTheDragIsForgotten) {
  TComPtr<IDataObject> payload = DataOf({temp.MakeFile(L"a.txt", "a")});
  TDropper drop{Tree(), payload.Get()};
  TNsShellTreeNode* dataNode = NodeNamed(L"Data");
  drop.Enter();
  drop.Over(At(dataNode));
  ASSERT_EQ(Tree().GetDropItem(), dataNode);
  // A refresh takes the node while the drag is over it.
  auto& children = space.Desktop().Children;
  const auto at = std::find_if(children.begin(), children.end(), [&](const auto& item) { return item.get() == data; });
  ASSERT_NE(at, children.end());
  std::shared_ptr<TFakeItem> kept = *at;
  children.erase(at);
  Tree().RefreshNode(Tree().GetRootNode(), false, true);
  EXPECT_EQ(Tree().GetDropItem(), nullptr);
  EXPECT_EQ(NodeNamed(L"Data"), nullptr);
  drop.Over(Tree().ClientToScreen(POINT{5, 5}));
  EXPECT_EQ(dataTarget.Leaves, 1);
  Tree().DragLeave();
}

TEST(ShellTreeDropSource, TheSourceAnswersByTheButtonsHeld) {
  TTreeForm view;
  view.Show();
  TNsShellTree& tree = *view.Tree;
  EXPECT_EQ(tree.GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
  // Outside a drag of its own no button is the drag's.
  EXPECT_EQ(tree.QueryContinueDrag(FALSE, 0), DRAGDROP_S_DROP);
  EXPECT_EQ(tree.QueryContinueDrag(FALSE, MK_LBUTTON), DRAGDROP_S_CANCEL);
  EXPECT_EQ(tree.QueryContinueDrag(TRUE, 0), DRAGDROP_S_CANCEL);
  IDropSource* source = nullptr;
  ASSERT_EQ(tree.QueryInterface(IID_IDropSource, reinterpret_cast<void**>(&source)), S_OK);
  EXPECT_EQ(source, static_cast<IDropSource*>(&tree));
  IDropTarget* target = nullptr;
  ASSERT_EQ(tree.QueryInterface(IID_IDropTarget, reinterpret_cast<void**>(&target)), S_OK);
  EXPECT_EQ(target, static_cast<IDropTarget*>(&tree));
}

// Whole drags through the platform's drag loop: the left button is held in
// the thread's key state, a timer inside the loop moves the cursor, waits,
// and lets go.
class TDragDriver {
public:
  using TStep = std::function<void()>;
  using TGate = std::function<bool()>;
  // gates[i], when there is one, must hold before steps[i] runs.
  explicit TDragDriver(std::vector<TStep> steps, std::vector<TGate> gates = {})
      : fSteps(std::move(steps)), fGates(std::move(gates)) {
    fGates.resize(fSteps.size());
    gDriver = this;
    fTimer = SetTimer(nullptr, 0, 60, &TDragDriver::Tick);
  }
  ~TDragDriver() {
    KillTimer(nullptr, fTimer);
    gDriver = nullptr;
  }
  size_t Done() const { return fNext; }

private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (gDriver == nullptr) return;
    if (gDriver->fNext < gDriver->fSteps.size()) {
      // A gate holds the next steps back until the drag has got there (a
      // busy machine runs the platform's loop late), within a generous limit.
      const TGate& gate = gDriver->fGates[gDriver->fNext];
      if (gate && !gate() && ++gDriver->fWaited < 500) return;
      gDriver->fWaited = 0;
      gDriver->fSteps[gDriver->fNext++]();
    } else if (++gDriver->fSpare > 100) {
      // Whatever happened, the drag ends: nothing holds the button.
      ReleaseButtons();
    }
  }
  static inline TDragDriver* gDriver = nullptr;
  std::vector<TStep> fSteps;
  std::vector<TGate> fGates;
  size_t fNext = 0;
  int fWaited = 0;
  int fSpare = 0;
  UINT_PTR fTimer = 0;

public:
  static void ReleaseButtons() {
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_LBUTTON] = state[VK_RBUTTON] = state[VK_MBUTTON] = 0;
    SetKeyboardState(state);
  }
};

// Starts a drag of the node as the window reports one.
void BeginDragOf(TTempTree& tree, TNsShellTreeNode* node, bool right = false) {
  NMTREEVIEWW info{};
  info.hdr.hwndFrom = tree.Handle();
  info.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(tree.Handle()));
  info.hdr.code = right ? TVN_BEGINRDRAGW : TVN_BEGINDRAGW;
  info.action = 0;
  info.itemNew.mask = TVIF_HANDLE | TVIF_PARAM;
  info.itemNew.hItem = node->GetItemId();
  info.itemNew.lParam = reinterpret_cast<LPARAM>(node);
  const RECT r = node->DisplayRect(true);
  info.ptDrag = POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  SendMessageW(tree.View.Form->GetHandle(), WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
}

TEST(ShellTreeDragDrop, AFolderDraggedFromOneTreeOntoAnotherMovesThereAndBothReport) {
  TTempTree source(20, 20, 300, 400);
  TTempTree target(360, 20, 300, 400);
  source.Temp.MakeFile(L"moving\\inside.txt", "i");
  source.Temp.MakeFolder(L"staying");
  target.Temp.MakeFolder(L"into");
  source.Show();
  target.Show();
  TNsShellTreeNode* moving = source.Node(L"moving");
  TNsShellTreeNode* into = target.Node(L"into");
  ASSERT_TRUE(moving != nullptr && into != nullptr);
  const POINT from = source.ScreenPointOf(moving), to = target.ScreenPointOf(into);
  std::vector<HRESULT> answers;
  {
    THeldKeys button({VK_LBUTTON});
    SetCursorPos(from.x, from.y);
    TDragDriver driver({[&] { SetCursorPos(from.x + 5, from.y); },
                        [&] { SetCursorPos(to.x, to.y); },
                        [&] {
                          // The drag's source while its button is held.
                          answers.push_back(source.Tree->QueryContinueDrag(FALSE, MK_LBUTTON));
                          answers.push_back(source.Tree->QueryContinueDrag(FALSE, MK_LBUTTON | MK_RBUTTON));
                          answers.push_back(source.Tree->QueryContinueDrag(TRUE, MK_LBUTTON));
                          SetCursorPos(to.x, to.y + 1);
                        },
                        [&] { SetCursorPos(to.x, to.y); },
                        [&] { TDragDriver::ReleaseButtons(); }},
                       {{}, {}, [&] { return source.Tree->GetDragNode() != nullptr; }, {},
                        [&] { return target.Tree->GetDropItem() == into; }});
    BeginDragOf(source, moving);
    EXPECT_EQ(driver.Done(), 5u);
  }
  EXPECT_EQ(answers, (std::vector<HRESULT>{S_OK, DRAGDROP_S_CANCEL, DRAGDROP_S_CANCEL}));
  EXPECT_TRUE(Exists(target.Temp / L"into\\moving\\inside.txt"));
  EXPECT_FALSE(Exists(source.Temp / L"moving"));
  ASSERT_EQ(target.Tree->Reports.size(), 1u);
  EXPECT_EQ(target.Tree->Reports[0].Operation, kDropMove);
  ASSERT_EQ(source.Tree->Reports.size(), 1u);
  EXPECT_EQ(source.Tree->Reports[0].Operation, kDragMove);
  EXPECT_TRUE(SamePath(source.Tree->Reports[0].Files.at(0), source.Temp / L"moving"));
  EXPECT_EQ(source.Tree->GetDragNode(), nullptr);
  // The dragged node's folder is read again: the node is gone.
  EXPECT_EQ(Captions(source.Root()), (Names{L"staying"}));
}

TEST(ShellTreeDragDrop, ADragWithCtrlCopiesAndOneThatEndsOnNothingReportsNothingButRefreshes) {
  TTempTree source(20, 20, 300, 400);
  TTempTree target(360, 20, 300, 400);
  source.Temp.MakeFile(L"copied\\inside.txt", "i");
  target.Temp.MakeFolder(L"into");
  source.Show();
  target.Show();
  source.Tree->SetAutomaticRefresh(false);
  TNsShellTreeNode* copied = source.Node(L"copied");
  const POINT from = source.ScreenPointOf(copied), to = target.ScreenPointOf(target.Node(L"into"));
  {
    THeldKeys keys({VK_LBUTTON, VK_CONTROL});
    SetCursorPos(from.x, from.y);
    TDragDriver driver({[&] { SetCursorPos(to.x, to.y); }, [&] { SetCursorPos(to.x, to.y + 1); },
                        [&] { SetCursorPos(to.x, to.y); }, [&] { TDragDriver::ReleaseButtons(); }},
                       {{}, {}, {}, [&] { return target.Tree->GetDropItem() != nullptr; }});
    BeginDragOf(source, copied);
  }
  EXPECT_TRUE(Exists(target.Temp / L"into\\copied\\inside.txt"));
  EXPECT_TRUE(Exists(source.Temp / L"copied\\inside.txt"));
  ASSERT_EQ(source.Tree->Reports.size(), 1u);
  EXPECT_EQ(source.Tree->Reports[0].Operation, kDragCopy);
  ASSERT_EQ(target.Tree->Reports.size(), 1u);
  EXPECT_EQ(target.Tree->Reports[0].Operation, kDropCopy);

  // Let go over empty space of the source tree: nothing is dropped, nothing
  // reported, but the dragged node's folder is read again.
  source.Temp.MakeFolder(L"appeared");
  copied = source.Node(L"copied");
  const POINT nowhere = source.Tree->ClientToScreen(POINT{20, source.Tree->GetClientHeight() - 10});
  {
    THeldKeys keys({VK_LBUTTON});
    SetCursorPos(from.x, from.y);
    TDragDriver driver({[&] { SetCursorPos(nowhere.x, nowhere.y); }, [&] { SetCursorPos(nowhere.x + 1, nowhere.y); },
                        [&] { TDragDriver::ReleaseButtons(); }});
    BeginDragOf(source, copied);
  }
  EXPECT_EQ(source.Tree->Reports.size(), 1u);
  EXPECT_EQ(Captions(source.Root()), (Names{L"appeared", L"copied"}));
  // The top level is never dragged.
  BeginDragOf(source, source.Root());
  EXPECT_EQ(source.Tree->Reports.size(), 1u);
}

}  // namespace
}  // namespace ts::test
