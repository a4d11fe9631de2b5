#pragma once
// What the shell tree's tests share: a form holding a tree, a control that
// records what its link tells it, and waiting for the background work.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/ShellTree.h"
#include "link/NsShellLink.h"
#include "shell/ItemIdListPaths.h"
#include "support/MessagePump.h"
#include "toolkit/Forms.h"
#include "work/GlobalWorkerPool.h"

namespace ts::test {

// A link partner that records the folders it is sent, as paths.
class TRecordingControl : public INsShellControl {
public:
  ~TRecordingControl() { SetShellLink(nullptr); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_INsShellControl)) {
      *object = static_cast<INsShellControl*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  void SetShellLink(TNsShellLink* link) override { AssignShellLink(fLink, link, this); }
  TNsShellLink* GetShellLink() override { return fLink; }
  void PathChanged(PCItemIDList PIDL) override {
    Paths.push_back(ItemIdListToPath(PIDL));
    Lists.emplace_back(CopyItemIdList(PIDL));
  }
  void FileChanged(PCItemIDList FolderPIDL, PCItemIDList FilePIDL) override {
    Files.push_back(ItemIdListToPath(FolderPIDL));
    FileItems.emplace_back(CopyItemIdList(FilePIDL));
  }
  void SelectAll() override { ++SelectAlls; }
  void FullRefresh() override { ++Refreshes; }
  void SmartRefresh() override {}
  bool GoUp() override { return false; }

  // Moves the group: as a list does when the user opens a folder.
  void Open(PCItemIDList folder) {
    if (fLink != nullptr) fLink->PathChanged(this, folder);
  }

  std::vector<std::wstring> Paths;
  std::vector<TPidl> Lists;
  std::vector<std::wstring> Files;
  std::vector<TPidl> FileItems;
  int SelectAlls = 0;
  int Refreshes = 0;

private:
  TNsShellLink* fLink = nullptr;
};

// A form with a tree on it; the tree's window is made when the form shows.
struct TTreeForm {
  std::unique_ptr<TForm> Form = std::make_unique<TForm>(nullptr);
  TNsShellTree* Tree;

  explicit TTreeForm(TNsShellTree* tree = nullptr) : Tree(tree != nullptr ? tree : new TNsShellTree(Form.get())) {
    Form->SetBounds(40, 40, 420, 560);
    Tree->SetAlign(alClient);
  }
  // Shows the form, which builds the root, and waits for the root's
  // selection to be reported.
  void Show() {
    Tree->SetParent(Form.get());
    Form->Show();
    Settle();
  }
  // Waits until no delayed selection change is pending.
  void Settle() {
    EXPECT_TRUE(PumpMessagesUntil([&] { return !Tree->GetChangeTimerEnabled(); }, 10000));
  }
  // Destroys the form and the tree, then waits for the jobs that were
  // running to finish, so that nothing they use goes before them.
  void Close() {
    Form.reset();
    Tree = nullptr;
    WaitForIdlePool();
  }
  ~TTreeForm() { Close(); }

  static void WaitForIdlePool() {
    TWorkerThreadPool* pool = GlobalWorkerPool();
    if (pool == nullptr) return;
    EXPECT_TRUE(PumpMessagesUntil([pool] { return pool->GetWorkItemsCount() == 0; }, 30000));
  }
};

// The captions of a node's children.
inline std::vector<std::wstring> Captions(TNsShellTreeNode* node) {
  std::vector<std::wstring> names;
  if (node == nullptr) return names;
  for (int i = 0; i < node->Count(); ++i) names.push_back(node->Item(i)->GetText());
  return names;
}

// The child of a node with that caption, or null.
inline TNsShellTreeNode* ChildNamed(TNsShellTreeNode* node, const std::wstring& caption) {
  if (node == nullptr) return nullptr;
  for (int i = 0; i < node->Count(); ++i)
    if (node->Item(i)->GetText() == caption) return node->Item(i);
  return nullptr;
}

// What the window itself shows of a node: its caption, and whether it is
// expanded and has an expand button.
struct TShownNode {
  std::wstring Text;
  bool Expanded = false;
  bool HasButton = false;
};

inline TShownNode Shown(TNsShellTree& tree, TNsShellTreeNode* node) {
  TShownNode shown;
  wchar_t buffer[260] = {};
  TVITEMW tv{};
  tv.mask = TVIF_TEXT | TVIF_HANDLE | TVIF_STATE | TVIF_CHILDREN;
  tv.hItem = node->GetItemId();
  tv.stateMask = TVIS_EXPANDED;
  tv.pszText = buffer;
  tv.cchTextMax = 260;
  SendMessageW(tree.GetHandle(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
  shown.Text = buffer;
  shown.Expanded = (tv.state & TVIS_EXPANDED) != 0;
  shown.HasButton = tv.cChildren != 0;
  return shown;
}

}  // namespace ts::test
