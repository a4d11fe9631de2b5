// Nodes and trees that die while their icon jobs are queued, running or
// waiting for the main thread: nothing may reach them afterwards.
#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <set>

#include "ShellTreeSupport.h"
#include "link/NsShellLink.h"
#include "shell/FakeNamespace.h"
#include "support/FreeCounter.h"

namespace ts::test {
namespace {

constexpr ULONG kFolder = SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR;

// The nodes alive now, kept by the nodes themselves.
std::set<TWorkTag> gLiveNodes;
int gDeadDeliveries = 0;
int gTrapped = 0;

class TCountedNode : public TNsShellTreeNode {
public:
  explicit TCountedNode(TTreeNodes* owner) : TNsShellTreeNode(owner) { gLiveNodes.insert(Tag()); }
  ~TCountedNode() override { gLiveNodes.erase(Tag()); }

private:
  TWorkTag Tag() const { return reinterpret_cast<TWorkTag>(static_cast<const TNsShellTreeNode*>(this)); }
};

// Any call through an interface of a freed tree lands here.
ULONG STDMETHODCALLTYPE Trap(void*) {
  ++gTrapped;
  return 0;
}
void* gTrapTable[64];

// A tree whose freed memory is kept and filled with pointers to a table of
// traps, so that a late call through any of its interfaces is counted
// instead of running on whatever the memory holds by then.
class TWatchedTree : public TNsShellTree {
  TS_CLASS(TWatchedTree, TNsShellTree)

public:
  explicit TWatchedTree(TComponent* owner) : TNsShellTree(owner) {
    OnCreateNodeClass = [](TCustomTreeView*, TTreeNodeClass& nodeClass) {
      nodeClass = [](TTreeNodes* owner) -> TTreeNode* { return new TCountedNode(owner); };
    };
  }

  void IconReady(int IconIndex, TNsIconType IconType, TWorkTag Tag) override {
    if (gLiveNodes.count(Tag) == 0) ++gDeadDeliveries;
    TNsShellTree::IconReady(IconIndex, IconType, Tag);
  }

  static void* operator new(std::size_t size) { return ::operator new(size); }
  static void operator delete(void* memory, std::size_t size) {
    for (auto& entry : gTrapTable) entry = reinterpret_cast<void*>(&Trap);
    void* table = gTrapTable;
    auto* bytes = static_cast<unsigned char*>(memory);
    for (std::size_t at = 0; at + sizeof table <= size; at += sizeof table) std::memcpy(bytes + at, &table, sizeof table);
    // Kept on purpose: the memory must stay poisoned for the rest of the run.
  }
};

class ShellTreeLifetimeTest : public ::testing::Test {
protected:
  ShellTreeLifetimeTest() {
    computer = &space.Add(space.Desktop(), L"My Computer", SFGAO_FOLDER | SFGAO_HASSUBFOLDER);
    space.SetSpecial(CSIDL_DRIVES, *computer);
    drive = &space.Add(*computer, L"Local Disk (C:)", kFolder | SFGAO_HASSUBFOLDER, L"C:\\");
    for (const wchar_t* name : {L"First", L"Second"}) {
      TFakeItem& folder = space.Add(*drive, name, kFolder | SFGAO_HASSUBFOLDER, std::wstring(L"C:\\") + name);
      for (int i = 0; i < 40; ++i)
        space.Add(folder, L"Folder " + std::to_wstring(i), kFolder | SFGAO_HASSUBFOLDER,
                  folder.Path + L"\\Folder " + std::to_wstring(i));
    }
    gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    gDeadDeliveries = 0;
    gTrapped = 0;
  }
  ~ShellTreeLifetimeTest() override {
    space.WorkerGate = nullptr;
    SetEvent(gate);
    TTreeForm::WaitForIdlePool();
    CloseHandle(gate);
  }

  // Shows a tree with both folders open and visible; their icon jobs then
  // start and wait at the gate.
  TTreeForm* ShowWithJobsInFlight() {
    ResetEvent(gate);
    space.WorkerGate = gate;
    const int atGate = space.WorkersAtGate.load();
    auto* view = new TTreeForm(new TWatchedTree(nullptr));
    view->Form->InsertComponent(view->Tree);
    view->Show();
    view->Tree->SetSelectedFolder(L"C:\\Second");
    view->Tree->GetSelected()->Expand(false);
    view->Tree->SetSelectedFolder(L"C:\\First");
    view->Tree->GetSelected()->Expand(false);
    EXPECT_TRUE(PumpMessagesUntil([&] { return space.WorkersAtGate.load() > atGate; }, 30000));
    return view;
  }
  void OpenGateAndWait() {
    SetEvent(gate);
    TTreeForm::WaitForIdlePool();
  }

  TFakeNamespace space;
  TFakeItem* computer;
  TFakeItem* drive;
  HANDLE gate;
};

TEST_F(ShellTreeLifetimeTest, NodesCollapsedAndDeletedWithJobsInFlightGetNothing) {
  for (int run = 0; run < 20; ++run) {
    TTreeForm* view = ShowWithJobsInFlight();
    TNsShellTree& tree = *view->Tree;
    TNsShellTreeNode* first = tree.GetSelected();
    TNsShellTreeNode* second = first->getNextSibling();
    ASSERT_EQ(second->GetText(), L"Second");
    // Some go one by one, the rest with their folder; the other folder is
    // closed and its children dropped as a refresh does.
    for (int i = 0; i < 10; ++i) first->GetLastChild()->Delete();
    first->Collapse(false);
    first->DeleteChildren();
    second->Collapse(false);
    tree.RefreshNode(second, false, true);
    ASSERT_EQ(second->Count(), 0);
    OpenGateAndWait();
    EXPECT_EQ(gDeadDeliveries, 0) << "run " << run;
    // The tree lives on and still gets its pictures.
    first->Expand(false);
    EXPECT_TRUE(PumpMessagesUntil([&] { return first->Item(0)->GetImageIndex() >= 0; }, 30000));
    delete view;
    TTreeForm::WaitForIdlePool();
  }
  EXPECT_EQ(gDeadDeliveries, 0);
  EXPECT_EQ(gTrapped, 0);
}

TEST_F(ShellTreeLifetimeTest, ATreeDestroyedWithJobsInFlightIsNeverCalledAgain) {
  for (int run = 0; run < 20; ++run) {
    TTreeForm* view = ShowWithJobsInFlight();
    view->Form.reset();  // the tree with it, jobs still running
    view->Tree = nullptr;
    OpenGateAndWait();
    delete view;
    EXPECT_EQ(gDeadDeliveries, 0) << "run " << run;
    EXPECT_EQ(gTrapped, 0) << "run " << run;
  }
}

// Nodes whose freed memory is kept and filled with pointers to the traps:
// a walk that goes on on a node deleted under it is counted (or crashes)
// instead of reading what the memory holds by then.
class TPoisonedNode : public TCountedNode {
public:
  using TCountedNode::TCountedNode;
  static void* operator new(std::size_t size) { return ::operator new(size); }
  static void operator delete(void* memory, std::size_t size) {
    for (auto& entry : gTrapTable) entry = reinterpret_cast<void*>(&Trap);
    void* table = gTrapTable;
    auto* bytes = static_cast<unsigned char*>(memory);
    for (std::size_t at = 0; at + sizeof table <= size; at += sizeof table) std::memcpy(bytes + at, &table, sizeof table);
    // Kept on purpose, as the trees' memory is.
  }
};

class ShellTreeWalkTest : public ShellTreeLifetimeTest {
protected:
  ShellTreeWalkTest() {
    view.Tree->OnCreateNodeClass = [](TCustomTreeView*, TTreeNodeClass& nodeClass) {
      nodeClass = [](TTreeNodes* owner) -> TTreeNode* { return new TPoisonedNode(owner); };
    };
    view.Show();
  }
  TPidl ListOf(const std::wstring& path) {
    for (TFakeItem* folder : {first(), second()})
      for (auto& child : folder->Children)
        if (child->Path == path) return TPidl(space.AbsoluteList(*child));
    return TPidl();
  }
  TFakeItem* first() { return drive->Children[0].get(); }
  TFakeItem* second() { return drive->Children[1].get(); }
  // Takes the folder out of the namespace, as deleting it on disk would.
  void Remove(TFakeItem* folder) {
    auto& children = drive->Children;
    for (auto it = children.begin(); it != children.end(); ++it)
      if (it->get() == folder) {
        removed.push_back(*it);
        children.erase(it);
        return;
      }
  }

  std::vector<std::shared_ptr<TFakeItem>> removed;
  TTreeForm view;
};

TEST_F(ShellTreeWalkTest, F5WhileTheWalkExpandsAFolderThatWentEndsOnItsParent) {
  TNsShellTree& tree = *view.Tree;
  TPidl target = ListOf(L"C:\\First\\Folder 7");
  ASSERT_TRUE(target);
  bool pressed = false;
  tree.OnExpanding = [&](TObject*, TTreeNode* node, bool&) {
    if (pressed || node->GetText() != L"First") return;
    pressed = true;
    // The folder goes while the walk opens it, and the user presses F5,
    // which reaches the tree in the walk's own pump.
    Remove(first());
    PostMessageW(tree.GetHandle(), WM_KEYDOWN, VK_F5, 0);
  };
  const int trapped = gTrapped;
  EXPECT_FALSE(tree.LocateNode(target.Get(), laSelect));
  ASSERT_TRUE(pressed);
  EXPECT_EQ(gTrapped, trapped);
  ASSERT_NE(tree.GetSelected(), nullptr);
  EXPECT_EQ(tree.GetSelected()->GetText(), L"Local Disk (C:)");
  EXPECT_EQ(Captions(tree.GetSelected()), (std::vector<std::wstring>{L"Second"}));
  // The tree goes on working.
  TPidl other = ListOf(L"C:\\Second\\Folder 3");
  EXPECT_TRUE(tree.LocateNode(other.Get(), laSelect));
  EXPECT_EQ(tree.GetSelected()->GetText(), L"Folder 3");
}

TEST_F(ShellTreeWalkTest, RefreshesWhileTheWalkPumpsDeleteNothingItStillNeeds) {
  TNsShellTree& tree = *view.Tree;
  TPidl target = ListOf(L"C:\\Second\\Folder 30");
  int refreshes = 0;
  // Every expansion on the way runs a full refresh of the tree in its pump,
  // as a link refresh arriving then would.
  tree.OnExpanding = [&](TObject*, TTreeNode*, bool&) {
    PostCall([&] {
      ++refreshes;
      tree.FullRefresh();
    });
  };
  const int trapped = gTrapped;
  EXPECT_TRUE(tree.LocateNode(target.Get(), laSelect));
  tree.OnExpanding = nullptr;
  PumpMessagesFor(50);
  EXPECT_GT(refreshes, 0);
  EXPECT_EQ(gTrapped, trapped);
  EXPECT_EQ(tree.GetSelected()->GetText(), L"Folder 30");
}

TEST_F(ShellTreeWalkTest, AListFreedByItsOwnerWhileTheWalkPumpsIsNotReadAgain) {
  TNsShellTree& tree = *view.Tree;
  TFreeCounter& spy = FreeCounter();
  spy.PoisonFreed = true;
  // The caller's list goes while the tree expands the way to it, as a
  // partner's list does when it rebuilds its items then.
  auto* given = new TPidl(ListOf(L"C:\\First\\Folder 12"));
  tree.OnExpanding = [&](TObject*, TTreeNode*, bool&) {
    PostCall([&] {
      delete given;
      given = nullptr;
    });
  };
  const bool located = tree.LocateNode(given->Get(), laSelect);
  spy.PoisonFreed = false;
  tree.OnExpanding = nullptr;
  delete given;
  EXPECT_TRUE(located);
  ASSERT_NE(tree.GetSelected(), nullptr);
  EXPECT_EQ(tree.GetSelected()->GetText(), L"Folder 12");
}

}  // namespace
}  // namespace ts::test
