#pragma once
// What the tests of the tree's commands and drag and drop share: a tree that
// records what it reports, rooted at a temporary folder on Wine's shell, and
// finding its nodes and their places.
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "ShellTreeSupport.h"
#include "shell/PathClassification.h"
#include "support/TempFolder.h"
#include "toolkit/StringList.h"

namespace ts::test {

// One report of OnOperation.
struct TTreeReport {
  uint16_t Operation = 0;
  std::vector<std::wstring> Files;
  std::wstring Destination;
};

// A tree that records its reports.
class TReportingTree : public TNsShellTree {
public:
  explicit TReportingTree(TComponent* owner) : TNsShellTree(owner) {
    OnOperation = [this](TObject*, TNsShellOperations operation, TStringList* files, const std::wstring& destination) {
      TTreeReport report{operation.Value(), {}, destination};
      for (int i = 0; i < files->GetCount(); ++i) report.Files.push_back((*files)[i]);
      Reports.push_back(report);
    };
  }
  std::vector<TTreeReport> Reports;
};

// A shown tree rooted at a temporary folder of its own.
struct TTempTree {
  TTempFolder Temp;
  TTreeForm View;
  TReportingTree* Tree;

  explicit TTempTree(int left = 40, int top = 40, int width = 320, int height = 480)
      : View(new TReportingTree(nullptr)), Tree(static_cast<TReportingTree*>(View.Tree)) {
    // The form owns the tree from here on.
    View.Form->InsertComponent(Tree);
    View.Form->SetBounds(left, top, width, height);
  }
  // Shows the form and roots the tree at the temporary folder, open.
  void Show() {
    View.Show();
    Tree->SetRootedAtFileSystemFolder(Temp.Path());
    View.Settle();
  }
  TNsShellTreeNode* Root() { return Tree->GetRootNode(); }
  // The node of a path below the root, opening the folders on the way.
  TNsShellTreeNode* Node(const std::wstring& relative) {
    const std::wstring path = Temp / relative;
    for (int pass = 0; pass < 2; ++pass) {
      for (TNsShellTreeNode* node = Root(); node != nullptr; node = node->GetNext())
        if (SamePath(node->GetFullPath(), path)) return node;
      // Not read yet: every folder on the way is opened.
      std::wstring sofar;
      TNsShellTreeNode* at = Root();
      at->Expand(false);
      size_t start = 0;
      while (at != nullptr && start <= relative.size()) {
        const size_t end = relative.find(L'\\', start);
        const std::wstring part = relative.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        TNsShellTreeNode* next = ChildNamed(at, part);
        if (next == nullptr) break;
        next->Expand(false);
        at = next;
        if (end == std::wstring::npos) break;
        start = end + 1;
      }
    }
    return nullptr;
  }
  // Selects the node of a path, as a click does.
  TNsShellTreeNode* Select(const std::wstring& relative) {
    TNsShellTreeNode* node = Node(relative);
    if (node != nullptr) {
      Tree->SetChangeDelay(0);
      Tree->SetSelected(node);
    }
    return node;
  }
  HWND Handle() { return Tree->GetHandle(); }
  // The middle of a node's caption, in screen coordinates.
  POINT ScreenPointOf(TNsShellTreeNode* node) {
    const RECT r = node->DisplayRect(true);
    return Tree->ClientToScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  }
};

inline bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace ts::test
