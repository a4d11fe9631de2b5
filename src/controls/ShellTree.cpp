// The shell tree view: its nodes, creation and life, rooting, the properties,
// the link and the selection.
#include "controls/ShellTree.h"

#include "link/NsShellLink.h"
#include "notify/NsShellChangeNotifier.h"
#include "shell/ItemIdListPaths.h"
#include "shell/LookAndFeel.h"
#include "shell/NsBrowser.h"
#include "shell/NsBrowserError.h"
#include "shell/NsSystemImageList.h"
#include "shell/PathClassification.h"
#include "shell/PidlHistory.h"
#include "shell/ShellGlobals.h"
#include "toolkit/Application.h"
#include "toolkit/Exception.h"
#include "toolkit/FilePaths.h"
#include "toolkit/Forms.h"
#include "work/GlobalWorkerPool.h"

namespace ts {

namespace {

constexpr wchar_t kVersionSuffix[] = L" V7.1.0.530";

void FreeNodeList(PItemIDList list) {
  if (list != nullptr && list != DesktopItemIdList) CoTaskMemFree(list);
}

// The events the tree follows by default: deletions, drives, media, folders
// and shares.
constexpr TNotificationEvents kTreeEvents{neFileDelete,   neDriveAdd,      neDriveRemove,   neShellDriveAdd,
                                          neMediaInsert,  neMediaRemove,   neFolderCreate,  neFolderDelete,
                                          neFolderRename, neFolderUpdate,  neNetShare,      neNetUnShare};
static_assert(kTreeEvents.Value() == 261584);

}  // namespace

// TNsShellTreeNode

TNsShellTreeNode::TNsShellTreeNode(TTreeNodes* owner) : TTreeNode(owner) {}

TNsShellTreeNode::~TNsShellTreeNode() {
  // Jobs for this node are dropped before its lists go: none may find it.
  if (TWorkerThreadPool* pool = GlobalWorkerPool()) pool->TerminateWorkItems(reinterpret_cast<TWorkTag>(this));
  FreeNodeList(fRelativeItemIdList);
  FreeNodeList(fAbsoluteItemIdList);
}

void TNsShellTreeNode::SetLists(PItemIDList relative, PItemIDList absolute) {
  if (fRelativeItemIdList != relative) FreeNodeList(fRelativeItemIdList);
  if (fAbsoluteItemIdList != absolute) FreeNodeList(fAbsoluteItemIdList);
  fRelativeItemIdList = relative;
  fAbsoluteItemIdList = absolute;
}

bool TNsShellTreeNode::IsFolder() const { return fFlags.Contains(sitIsFolder) || GetLevel() == 0; }

TNsShellTree* TNsShellTreeNode::GetTreeView() const { return static_cast<TNsShellTree*>(TTreeNode::GetTreeView()); }

std::wstring TNsShellTreeNode::GetFullPath() const {
  TNsShellTree* tree = GetTreeView();
  return tree != nullptr ? tree->GetFullPath(this) : std::wstring();
}

TNsShellTreeNode* TNsShellTreeNode::GetNextChild(const TNsShellTreeNode* node) const {
  if (node == nullptr || node->TTreeNode::GetParent() != this) return nullptr;
  return node->getNextSibling();
}

void TNsShellTreeNode::Refresh(bool Recursive) {
  if (TNsShellTree* tree = GetTreeView()) tree->RefreshNode(this, Recursive, true);
}

void TNsShellTreeNode::Expand(bool Recurse) {
  TNsShellTree* tree = GetTreeView();
  if (tree == nullptr) {
    TTreeNode::Expand(Recurse);
    return;
  }
  // The pump may run anything, a refresh that deletes this very node too:
  // the caller then finds it gone through a watch of its own.
  TTreeNodeWatch self(*tree, this);
  int count;
  do {
    count = tree->GetItems().Count();
    const bool wasExpanded = GetExpanded();
    TTreeNode::Expand(Recurse);
    // A folder open already has nothing new to show: a walk through open
    // folders does not pay a paint of the whole window at each level.
    if (Recurse || !wasExpanded) Application->ProcessMessages();
  } while (Recurse && self.Get() != nullptr && tree->GetItems().Count() > count);
}

int TNsShellTreeNode::Compare(const TNsShellTreeNode* aNode) const {
  if (aNode == nullptr || !fParentShellFolder) return 0;
  const HRESULT hr = fParentShellFolder->CompareIDs(0, fRelativeItemIdList, aNode->fRelativeItemIdList);
  if (FAILED(hr)) return 0;
  return static_cast<short>(HRESULT_CODE(hr));
}

HRESULT TNsShellTreeNode::Compare(PCItemIDList aPidl) const {
  if (!fParentShellFolder || fRelativeItemIdList == nullptr || aPidl == nullptr) return E_INVALIDARG;
  return fParentShellFolder->CompareIDs(0, fRelativeItemIdList, aPidl);
}

// TNsShellTree: creation and life.

TNsShellTree::TNsShellTree(TComponent* AOwner) : TCustomTreeView(AOwner), fHistory(std::make_unique<TPidlHistory>()) {
  fAllowExpand = !IsDesigning();
  fNsBrowser = new TNsBrowser(this);
  fNsBrowser->SetShowErrorMessages(false);
  fNsBrowser->SetFileSystemOnly(false);
  fSystemImages = new TNsSystemImageList(this);
  fSystemImages->SetBkColor(clNone);
  SetImages(fSystemImages);
  SetChangeDelay(100);
  fWidth = 200;
  fHeight = 300;
  SetHideSelection(false);
  SetShowRoot(false);
  SetRightClickSelect(true);
  SetDoubleBuffered(true);
  SetDragMode(dmAutomatic);
  fShellChangeNotifier = new TNsShellChangeNotifier(this);
  fShellChangeNotifier->SetEventFilter(kTreeEvents);
  fShellChangeNotifier->OnChangePIDL = [this](TObject*, TNotificationEvent event, PCItemIDList pidl1,
                                              PCItemIDList pidl2) { ChangeNotified(event, pidl1, pidl2); };
  fShellChangeNotifier->SetRecursive(true);
  fShellChangeNotifier->SetEnabled(true);
  // The root is built again whenever the window is.
  SetKeepNodesOnRecreate(false);
}

TNsShellTree::~TNsShellTree() {
  Destroying();
  fRenamed.reset();
  if (TWorkerThreadPool* pool = GlobalWorkerPool()) pool->TerminateWorkItems(0, GroupTag());
  SetShellLink(nullptr);
  // The window goes while everything it may still report to is here.
  DestroyHandle();
  fShellChangeNotifier->OnChangePIDL = nullptr;
  delete fShellChangeNotifier;
  fShellChangeNotifier = nullptr;
  delete fNsBrowser;
  fNsBrowser = nullptr;
  SetImages(nullptr);
  delete fSystemImages;
  fSystemImages = nullptr;
  fHistory.reset();
}

HRESULT STDMETHODCALLTYPE TNsShellTree::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_INsShellControl))
    *object = static_cast<INsShellControl*>(this);
  else if (IsEqualIID(iid, IID_IIconViewer))
    *object = static_cast<IIconViewer*>(this);
  else if (IsEqualIID(iid, IID_IDropTarget))
    *object = static_cast<IDropTarget*>(this);
  else if (IsEqualIID(iid, IID_IDropSource))
    *object = static_cast<IDropSource*>(this);
  else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  return S_OK;
}

TTreeNode* TNsShellTree::CreateNode() {
  TTreeNodeClass nodeClass = [](TTreeNodes* owner) -> TTreeNode* { return new TNsShellTreeNode(owner); };
  if (OnCreateNodeClass) OnCreateNodeClass(this, nodeClass);
  std::unique_ptr<TTreeNode> node(nodeClass(&GetItems()));
  if (!node || !node->InheritsFrom(TNsShellTreeNode::StaticClass()))
    throw EInvalidArgument(
        L"Internal Error: TNsShellTree.OnCreateNodeClass.ItemClass must inherit from TNsShellTreeNode.");
  return node.release();
}

void TNsShellTree::InitializeWindow() {
  TCustomTreeView::InitializeWindow();
  if (fOleDragDrop && !IsDesigning()) RegisterDropTarget();
  // Changes that waited for the old window's timer run in the new one.
  if (!fPendingChanges.empty()) PostMessageW(fHandle, kRunPendingChanges, 0, 0);
  TTreeNodes& items = GetItems();
  const bool atMostOneNode = items.TopCount() == 0 || (items.TopCount() == 1 && items.Top(0)->Count() == 0);
  if (atMostOneNode) {
    try {
      SetRootedAt(fRootedAt);
    } catch (const ENsBrowserError&) {
      // A root folder that is gone leaves the tree empty rather than the
      // window unmade; assigning a root again fills it.
    }
  }
  if (!fInitialized) {
    fNsBrowser->Initialize();
    fInitialized = true;
    if (IsDesigning()) {
      FullRefresh();
    } else if (!IsLoading()) {
      if (fUseSystemFont) ApplySystemFont();
      if (fUseSystemStyles) ApplySystemStyles();
    }
  } else {
    if (fShellLink != nullptr) fShellLink->RegisterShellControl(this);
    if (items.TopCount() > 0) RefreshNode(GetRootNode(), true, true);
  }
}

void TNsShellTree::Loaded() {
  TCustomTreeView::Loaded();
  const bool fill = !GetNoFillOnStartup() || IsDesigning();
  if (fill) {
    // Nothing is selected before the top level exists.
    if (GetItems().TopCount() == 0) {
      try {
        SetRootedAt(fRootedAt);
      } catch (const ENsBrowserError&) {
      }
    }
    if (fInitialPath.empty()) {
      if (fInitialFolder != SF_FILESYSTEMFOLDER)
        SetSpecialFolder(fInitialFolder);
      else
        NotifyShellLink(GetSelected());
    } else {
      SetSelectedFolder(fInitialPath);
    }
  }
  if (GetItems().TopCount() > 0 && fill) GetRootNode()->Expand(false);
  if (fUseSystemFont) ApplySystemFont();
  if (fUseSystemStyles && HandleAllocated()) ApplySystemStyles();
}

// Published properties.

std::wstring TNsShellTree::GetVersion() const { return ClassName() + kVersionSuffix; }

void TNsShellTree::SetShowOptions(TNsShellShowOptions value) {
  if (value == fShowOptions) return;
  fShowOptions = value;
  fNsBrowser->SetShowErrorMessages(value.Contains(soShowErrorMessages));
  if (value.Contains(soShowFiles)) {
    // Taken in for files and never taken out again.
    fShellChangeNotifier->SetEventFilter(fShellChangeNotifier->GetEventFilter() +
                                         TNotificationEvents{neFileCreate, neFileDelete, neFileRename});
  }
  // While loading, the end of loading fills the tree.
  if (!IsLoading()) FullRefresh();
}

bool TNsShellTree::GetFileSystemOnly() const { return fNsBrowser->GetFileSystemOnly(); }

void TNsShellTree::SetFileSystemOnly(bool value) {
  fNsBrowser->SetFileSystemOnly(value);
  if (!IsLoading()) FullRefresh();
}

std::wstring TNsShellTree::GetFilter() const { return fNsBrowser->GetFilter(); }

void TNsShellTree::SetFilter(const std::wstring& value) {
  fNsBrowser->SetFilter(value);
  if (!IsLoading()) FullRefresh();
}

bool TNsShellTree::GetAutomaticRefresh() const { return fShellChangeNotifier->GetEnabled(); }

void TNsShellTree::SetAutomaticRefresh(bool value) { fShellChangeNotifier->SetEnabled(value); }

void TNsShellTree::SetUseSystemFont(bool value) {
  fUseSystemFont = value;
  if (value && !IsLoading()) ApplySystemFont();
}

void TNsShellTree::SetUseSystemStyles(bool value) {
  fUseSystemStyles = value;
  if (value && !IsLoading() && HandleAllocated()) ApplySystemStyles();
}

void TNsShellTree::SetShowOverlayIcons(bool value) {
  if (value == fShowOverlayIcons) return;
  fShowOverlayIcons = value;
  if (!IsLoading()) FullRefresh();
}

void TNsShellTree::ApplySystemFont() { AssignIconTitleFont(GetFont()); }

void TNsShellTree::ApplySystemStyles() { ApplyExplorerTreeStyle(*this); }

// Nodes and paths.

PItemIDList TNsShellTree::GetSelectedItemIdList() const {
  TNsShellTreeNode* node = GetSelected();
  return node != nullptr ? CopyItemIdList(node->fAbsoluteItemIdList) : nullptr;
}

TNsShellTreeNode* TNsShellTree::GetItem(int absoluteIndex) const {
  return static_cast<TNsShellTreeNode*>(const_cast<TNsShellTree*>(this)->GetItems().Item(absoluteIndex));
}

TNsShellTreeNode* TNsShellTree::GetRootNode() const {
  return static_cast<TNsShellTreeNode*>(const_cast<TNsShellTree*>(this)->GetItems().GetFirstNode());
}

TNsShellTreeNode* TNsShellTree::GetNodeAt(int X, int Y) const {
  return static_cast<TNsShellTreeNode*>(TCustomTreeView::GetNodeAt(X, Y));
}

bool TNsShellTree::IsValidNode(const TNsShellTreeNode* node) const {
  try {
    if (node == nullptr || node->GetDeleting() || node->GetTreeView() != this) return false;
    return node->GetParent() != nullptr || node->GetLevel() == 0;
  } catch (...) {
    return false;
  }
}

std::wstring TNsShellTree::GetFullPath(const TNsShellTreeNode* node) const {
  if (!IsValidNode(node)) return {};
  // At design time the desktop is not asked for its path.
  if (IsDesigning() && node->GetLevel() == 0 && fRootedAt == SF_DESKTOP) return {};
  return ItemIdListToPath(node->fAbsoluteItemIdList);
}

std::wstring TNsShellTree::GetFullPath(int Index) const {
  if (Index < 0 || Index >= const_cast<TNsShellTree*>(this)->GetItems().Count()) return {};
  return GetFullPath(GetItem(Index));
}

TNsShellFolder TNsShellTree::IsSpecialObject(const TNsShellTreeNode* node) const {
  if (node == nullptr || node->fAbsoluteItemIdList == nullptr) return SF_FILESYSTEMFOLDER;
  const TNsShellFolder folder = GetSpecialFolderOfItemIdList(node->fAbsoluteItemIdList);
  return folder == SF_INVALID ? SF_FILESYSTEMFOLDER : folder;
}

TNsShellFolder TNsShellTree::IsSpecialObject(int nodeindex) const {
  if (nodeindex < 0 || nodeindex >= const_cast<TNsShellTree*>(this)->GetItems().Count()) return SF_FILESYSTEMFOLDER;
  return IsSpecialObject(GetItem(nodeindex));
}

// Rooting.

PItemIDList TNsShellTree::ResolveRoot(TNsShellFolder value) {
  if (value == SF_FILESYSTEMFOLDER) {
    TPidl list(PathToItemIdList(DesktopFolder, fRootedAtFileSystemFolder));
    if (!list)
      throw ENsBrowserError(L"TNsShellTree cannot be rooted at a file or non existing folder. Path: " +
                            fRootedAtFileSystemFolder);
    return list.Release();
  }
  TPidl list(GetSpecialFolderItemIdList(value));
  if (!list)
    throw ENsBrowserError(L"TNsShellTree cannot be rooted at " + std::wstring(SpecialFolderName(value)) +
                          L": the folder does not exist here.");
  return list.Release();
}

void TNsShellTree::SetRootedAt(TNsShellFolder value) {
  // The folder is found before anything goes, so that a failure leaves the
  // tree as it was.
  TPidl rootList;
  if (value != SF_DESKTOP) {
    const TNsShellFolder previous = fRootedAt;
    fRootedAt = value;
    try {
      rootList.Reset(ResolveRoot(value));
      fNsBrowser->SetFolderIdList(rootList.Get());
    } catch (...) {
      fRootedAt = previous;
      throw;
    }
  }
  fRootedAt = value;
  THourglassScope hourglass;
  TTreeNodes& items = GetItems();
  items.BeginUpdate();
  try {
    SetSelected(nullptr);
    if (!fMultipleRoots) items.Clear();
    BuildRoot();
  } catch (...) {
    items.EndUpdate();
    throw;
  }
  items.EndUpdate();
  if (value != SF_FILESYSTEMFOLDER) fRootedAtFileSystemFolder.clear();
  fHistory->Clear();
}

void TNsShellTree::BuildRoot() {
  auto* root = static_cast<TNsShellTreeNode*>(GetItems().Add(nullptr, std::wstring()));
  root->fFlags.Include(sitIsFolder);
  if (fRootedAt == SF_DESKTOP) {
    root->SetLists(DesktopItemIdList, DesktopItemIdList);
    fRootShellFolder = TComPtr<IShellFolder>(DesktopFolder);
    root->fParentShellFolder = fRootShellFolder;
    const int icon = fNsBrowser->GetDesktopIconIndex();
    root->SetImageIndex(icon);
    root->SetSelectedIndex(icon);
    root->SetText(fNsBrowser->GetDesktopName());
    root->SetHasChildren(true);
    fShellChangeNotifier->SetPIDL(DesktopItemIdList);
  } else {
    // The browser is bound to the root folder; it then stands on the root
    // as an item of the folder that contains it.
    root->SetLists(fNsBrowser->GetFolderIdList(), fNsBrowser->GetFolderIdList());
    fNsBrowser->SelectParent();
    fRootShellFolder = TComPtr<IShellFolder>(fNsBrowser->GetShellFolder());
    root->fParentShellFolder = fRootShellFolder;
    // The root's own one-level list, as its parent folder knows it.
    TPidl relative(fNsBrowser->GetItemIdList());
    if (relative) {
      FreeNodeList(root->fRelativeItemIdList);
      root->fRelativeItemIdList = relative.Release();
    }
    root->SetImageIndex(fNsBrowser->GetIconNumber());
    root->SetSelectedIndex(fNsBrowser->GetSelectedIconNumber());
    root->SetText(fNsBrowser->GetShellObjectName(true));
    root->SetHasChildren(fNsBrowser->HasSubFolders() || GetShowFiles() || GetShowHidden());
    if (fRootedAt != SF_FILESYSTEMFOLDER || !fRootedAtFileSystemFolder.empty()) {
      TPidl watched(fNsBrowser->GetFolderIdList());
      fShellChangeNotifier->SetPIDL(watched.Get());
    }
  }
  if (!IsLoading()) {
    root->Expand(false);
    SetSelected(root);
  }
}

void TNsShellTree::SetRootedAtFileSystemFolder(const std::wstring& value) {
  TChangeTimerScope changeTimer(*this);
  SetChangeTimerEnabled(false);
  if (value.empty()) {
    fRootedAtFileSystemFolder.clear();
    return;
  }
  bool isFolder = IsRootPath(value);
  // Wildcards would let the directory search find some other entry.
  if (!isFolder && value.find_first_of(L"*?") == std::wstring::npos) {
    WIN32_FIND_DATAW data{};
    const std::wstring path = ExcludeTrailingPathDelimiter(value);
    HANDLE find = FindFirstFileW(path.c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      FindClose(find);
      isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
  }
  if (!isFolder)
    throw ENsBrowserError(L"TNsShellTree cannot be rooted at a file or non existing folder. Path: " + value);
  const std::wstring previous = fRootedAtFileSystemFolder;
  fRootedAtFileSystemFolder = value;
  try {
    SetRootedAt(SF_FILESYSTEMFOLDER);
  } catch (...) {
    fRootedAtFileSystemFolder = previous;
    throw;
  }
  // The link hears of the new root as of any selection.
  if (TNsShellTreeNode* root = GetRootNode()) Change(root);
}

// The link.

void TNsShellTree::SetShellLink(TNsShellLink* value) { AssignShellLink(fShellLink, value, this); }

void TNsShellTree::PathChanged(PCItemIDList PIDL) {
  if (PIDL != nullptr) LocateNode(PIDL, laSelect);
}

void TNsShellTree::FileChanged(PCItemIDList FolderPIDL, PCItemIDList) {
  if (GetShowFiles()) PathChanged(FolderPIDL);
}

bool TNsShellTree::GoUp() {
  TNsShellTreeNode* node = GetSelected();
  if (node == nullptr || node->GetParent() == nullptr) return false;
  TNsShellTreeNode* parent = node->GetParent();
  SetSelected(parent);
  NotifyShellLink(parent);
  return true;
}

void TNsShellTree::NotifyShellLink(TNsShellTreeNode* node) {
  if (!IsValidNode(node) || fShellLink == nullptr) return;
  fShellLink->SetShowParentFolderItem(node->GetLevel() > 0);
  if (IsLoading()) return;
  if (GetShowFiles() && !node->IsFolder() && node->GetParent() != nullptr)
    fShellLink->FileChanged(this, node->GetParent()->fAbsoluteItemIdList, node->fRelativeItemIdList);
  else
    fShellLink->PathChanged(this, node->fAbsoluteItemIdList);
}

// The selection.

bool TNsShellTree::CanChange(TTreeNode* node) {
  bool allow = TCustomTreeView::CanChange(node);
  auto* shellNode = static_cast<TNsShellTreeNode*>(node);
  if (shellNode == nullptr) return allow;
  if (allow && GetShowErrorMessages() && shellNode->GetParent() != nullptr) {
    try {
      if (!PositionBrowserOn(shellNode)) return false;
      // A file is selected as it is, without the opened picture.
      if (GetShowFiles() && !shellNode->IsFolder()) return true;
      // A folder that cannot be opened is not selected; the browser shows why.
      allow = fNsBrowser->BrowseObject();
    } catch (...) {
      allow = false;
    }
  }
  if (shellNode->GetSelectedIndex() <= 0) {
    shellNode->SetSelectedIndex(shellNode->GetImageIndex());
    QueueIcon(shellNode, itSelected, 0);
  }
  return allow;
}

void TNsShellTree::Change(TTreeNode* node) {
  if (IsDestroying()) return;
  auto* shellNode = static_cast<TNsShellTreeNode*>(node);
  if (!fIsMoving && shellNode != nullptr) fHistory->Add(CopyItemIdList(shellNode->fAbsoluteItemIdList));
  TCustomTreeView::Change(node);
  NotifyShellLink(shellNode);
  if (fExpandOnSelected && shellNode != nullptr && !shellNode->GetDeleting()) {
    TTreeNodes& items = GetItems();
    TTreeNode* parent = shellNode->TTreeNode::GetParent();
    const int count = parent != nullptr ? parent->Count() : items.TopCount();
    for (int i = 0; i < count; ++i) {
      TTreeNode* sibling = parent != nullptr ? parent->Item(i) : items.Top(i);
      if (sibling != shellNode) sibling->Collapse(false);
    }
    // A click expands nothing while its button is still down.
    if (GetKeyState(VK_LBUTTON) >= 0) shellNode->Expand(false);
  }
  SetChangeDelay(0);
}

// The history.

void TNsShellTree::MoveInHistory(int Delta) {
  // An empty history has nowhere to go.
  if (fHistory->GetCount() == 0) return;
  fIsMoving = true;
  try {
    SetChangeDelay(0);
    if (Delta <= 0)
      fHistory->MoveBack(-Delta);
    else
      fHistory->MoveForward(Delta);
    SetSelectedItemIdList(fHistory->GetCurrentItemIDList());
  } catch (...) {
    fIsMoving = false;
    throw;
  }
  fIsMoving = false;
}

bool TNsShellTree::IsMovePossible(int Delta) const {
  if (Delta < 1) return fHistory->GetPosition() >= -Delta;
  return fHistory->GetCount() - fHistory->GetPosition() - 1 >= Delta;
}

// Drawing and messages.

bool TNsShellTree::WantsCustomDraw() const {
  return GetColorCompressed() || GetColorEncrypted() || TCustomTreeView::WantsCustomDraw();
}

bool TNsShellTree::CustomDrawItem(TTreeNode* node, TCustomDrawState state) {
  auto* shellNode = static_cast<TNsShellTreeNode*>(node);
  if (IsValidNode(shellNode)) {
    if (GetColorCompressed() && shellNode->IsCompressed()) GetCanvas().FontColor = static_cast<TColor>(0xFF0000);
    if (GetColorEncrypted() && shellNode->IsEncrypted()) GetCanvas().FontColor = static_cast<TColor>(0x008000);
  }
  return TCustomTreeView::CustomDrawItem(node, state);
}

void TNsShellTree::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_MOUSEMOVE:
      if (!fMouseInControl) {
        fMouseInControl = true;
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, fHandle, 0};
        TrackMouseEvent(&track);
        if (OnMouseEnter) OnMouseEnter(this);
      }
      break;
    case WM_MOUSELEAVE:
      fMouseInControl = false;
      if (OnMouseLeave) OnMouseLeave(this);
      break;
    case kRunPendingChanges:
      RunPendingChanges();
      return;
    case kAfterRename:
      AfterRename();
      return;
    case WM_TIMER:
      if (message.WParam == kMergeTimer) {
        MergeTimerFired();
        return;
      }
      break;
    case WM_CONTEXTMENU:
      if (ContextMenuRequested(message)) return;
      break;
    case WM_LBUTTONDBLCLK:
      fDblClickPoint = POINT{static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam))};
      break;
    case WM_INITMENUPOPUP:
    case WM_MEASUREITEM:
    case WM_DRAWITEM: {
      // The shell's owner-drawn sub menus draw through the browser.
      TCustomTreeView::WndProc(message);
      TMessage forwarded = message;
      fNsBrowser->HandlePopupMessages(forwarded);
      return;
    }
    case WM_XBUTTONDOWN:
      // The back and forward buttons alone, no other button or key held.
      if (message.WParam == 0x10020) {
        MoveInHistory(-1);
        message.Result = TRUE;
        return;
      }
      if (message.WParam == 0x20040) {
        MoveInHistory(1);
        message.Result = TRUE;
        return;
      }
      break;
    default:
      break;
  }
  TCustomTreeView::WndProc(message);
}

}  // namespace ts
