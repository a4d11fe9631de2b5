// The main window's file commands: a new folder and the properties of the
// focused pane's selection, the network connection, and F5 in the first
// pane's tree.
#include "app/MainWindow.h"

#include "dialogs/NsNetConnectionDialog.h"

namespace ts {

namespace {

constexpr wchar_t kNewFolder[] = L"New Folder";

}  // namespace

void TfrmMain::SwitchOnInteraction() {
  for (TPane pane : {TPane::First, TPane::Second}) {
    TNsShellTree* tree = TreeOf(pane);
    tree->SetAutomaticRefresh(true);
    tree->SetOleDragDrop(true);
    tree->SetShellContextMenu(true);
    TNsShellList* list = ListOf(pane);
    list->SetAutomaticRefresh(true);
    list->SetShellContextMenu(true);
  }
}

void TfrmMain::NewFolderButtonClick(TObject*) {
  const TPane pane = FocusedPane();
  TNsShellTree* tree = TreeOf(pane);
  if (tree->Focused())
    tree->CreateDir(tree->GetSelectedFolder(), kNewFolder, true);
  else
    ListOf(pane)->CreateDir(kNewFolder, true);
}

void TfrmMain::PropertiesButtonClick(TObject*) {
  if (ShellList->Focused()) ShellList->InvokeCommandOnSelected(L"properties");
  if (ShellTree->Focused()) ShellTree->InvokeCommandOnSelected(L"properties");
}

void TfrmMain::NetworkButtonClick(TObject*) { NsNetConnectionDialog1->Execute(); }

void TfrmMain::ShellTreeKeyUp(TObject*, WORD& key, TShiftState) {
  if (key != VK_F5) return;
  ShellTree->SetAutomaticRefresh(true);
  ShellList->SetAutomaticRefresh(true);
}

}  // namespace ts
