#pragma once
// The shell tree view: the namespace from one root (normally the desktop)
// down, each node a shell item, read lazily as the user opens folders. It
// keeps its pane's link on the selected folder, finds any folder it is told
// of (LocateNode), reconciles expanded folders with the shell (RefreshNode)
// and follows the shell's change notifications. The user works on the
// selected folder through the shell's verbs and menus, keys, renaming in
// place, new folders, and drag and drop in both directions.
#include <windows.h>
#include <oleidl.h>
#include <shlobj.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/ShellItemFlags.h"
#include "controls/ShellOperations.h"
#include "controls/ShellShowOptions.h"
#include "link/NsShellControl.h"
#include "notify/NotificationEvent.h"
#include "shell/ItemIdList.h"
#include "shell/NsBrowser.h"
#include "shell/SpecialFolders.h"
#include "toolkit/ComPtr.h"
#include "toolkit/TreeView.h"
#include "work/Viewers.h"

namespace ts {

class TNsBrowser;
class TNsShellChangeNotifier;
class TNsShellLink;
class TNsShellTree;
class TNsSystemImageList;
class TPidlHistory;

// What LocateNode does with the node it reaches.
enum TNsLocateAction : uint8_t { laSelect, laRefresh, laRefreshParent, laDelete, laInsertOnly };

class TNsShellTreeNode : public TTreeNode {
  TS_CLASS(TNsShellTreeNode, TTreeNode)

public:
  explicit TNsShellTreeNode(TTreeNodes* owner);
  // Ends the node's pending jobs before its lists go.
  ~TNsShellTreeNode() override;

  // A folder, or a node at the top level.
  bool IsFolder() const;
  bool IsCompressed() const noexcept { return fFlags.Contains(sitCompressed); }
  bool IsEncrypted() const noexcept { return fFlags.Contains(sitEncrypted); }
  TNsShellTree* GetTreeView() const;
  TNsShellTreeNode* GetParent() const { return static_cast<TNsShellTreeNode*>(TTreeNode::GetParent()); }
  // The node's own lists, lent.
  PCItemIDList GetAbsoluteItemIdList() const noexcept { return fAbsoluteItemIdList; }
  PCItemIDList GetRelativeItemIdList() const noexcept { return fRelativeItemIdList; }
  IShellFolder* GetParentShellFolder() const noexcept { return fParentShellFolder.Get(); }
  std::wstring GetFullPath() const;
  TNsShellItemFlags GetFlags() const noexcept { return fFlags; }
  void SetFlags(TNsShellItemFlags value) noexcept { fFlags = value; }
  // 1: seen by the last enumeration of the parent.
  int GetTag() const noexcept { return fTag; }
  void SetTag(int value) noexcept { fTag = value; }

  TNsShellTreeNode* getFirstChild() const { return Typed(TTreeNode::GetFirstChild()); }
  TNsShellTreeNode* GetLastChild() const { return Typed(TTreeNode::GetLastChild()); }
  TNsShellTreeNode* GetNext() const { return Typed(TTreeNode::GetNext()); }
  // The child after node, or null.
  TNsShellTreeNode* GetNextChild(const TNsShellTreeNode* node) const;
  TNsShellTreeNode* getNextSibling() const { return Typed(TTreeNode::GetNextSibling()); }
  TNsShellTreeNode* getPrevSibling() const { return Typed(TTreeNode::GetPrevSibling()); }
  TNsShellTreeNode* Item(int index) const { return Typed(TTreeNode::Item(index)); }

  // The tree's RefreshNode (this, Recursive, full).
  void Refresh(bool Recursive);
  // Expands; with Recurse, again and again until a pass adds no node.
  void Expand(bool Recurse);
  // The shell folder's order of the two items: negative when this one comes
  // first; a failed comparison counts as equal.
  int Compare(const TNsShellTreeNode* aNode) const;
  // The folder's raw answer for this item against a one-level list; 0 for
  // the same item.
  HRESULT Compare(PCItemIDList aPidl) const;

private:
  static TNsShellTreeNode* Typed(TTreeNode* node) { return static_cast<TNsShellTreeNode*>(node); }
  void SetLists(PItemIDList relative, PItemIDList absolute);

  TComPtr<IShellFolder> fParentShellFolder;
  // Owned, except the desktop's shared empty list, which no node frees.
  PItemIDList fRelativeItemIdList = nullptr;
  PItemIDList fAbsoluteItemIdList = nullptr;
  int fTag = 0;
  TNsShellItemFlags fFlags;
  // The folder's items were read: children put there otherwise (a network
  // item inserted on its own) do not stand for the folder.
  bool fChildrenRead = false;

  friend class TNsShellTree;
};

using TOnAddNode = std::function<void(TNsShellTreeNode* Node, const std::wstring& Path, bool& CanAdd)>;
using TOnUpdatedFolder = std::function<void(TObject* Sender, TNsShellTreeNode* Node)>;
using TTVEditCanceled = std::function<void(TObject* Sender, TNsShellTreeNode* Node)>;

class TNsShellTree : public TCustomTreeView,
                     public INsShellControl,
                     public IIconViewer,
                     public IDropSource,
                     public IDropTarget {
  TS_CLASS(TNsShellTree, TCustomTreeView)

public:
  explicit TNsShellTree(TComponent* AOwner);
  ~TNsShellTree() override;

  // IUnknown: the tree counts no references.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  // INsShellControl
  void SetShellLink(TNsShellLink* value) override;
  TNsShellLink* GetShellLink() override { return fShellLink; }
  void PathChanged(PCItemIDList PIDL) override;
  void FileChanged(PCItemIDList FolderPIDL, PCItemIDList FilePIDL) override;
  void SelectAll() override {}
  void FullRefresh() override;
  void SmartRefresh() override;
  bool GoUp() override;

  // IIconViewer
  void IconReady(int IconIndex, TNsIconType IconType, TWorkTag Tag) override;

  // IDropSource: of a drag of a node out of the tree.
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL EscapePressed, DWORD KeyState) override;
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD Effect) override;
  // IDropTarget: a drag over the tree goes on to the drop target of the
  // node under it.
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* DataObj, DWORD KeyState, POINTL Point, DWORD* Effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD KeyState, POINTL Point, DWORD* Effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* DataObj, DWORD KeyState, POINTL Point, DWORD* Effect) override;

  // Published properties.
  TNsShellFolder GetRootedAt() const noexcept { return fRootedAt; }
  // Builds the top level anew, also for the same value. Raises
  // ENsBrowserError, leaving the tree as it was, when the folder cannot be had.
  void SetRootedAt(TNsShellFolder value);
  const std::wstring& GetRootedAtFileSystemFolder() const noexcept { return fRootedAtFileSystemFolder; }
  void SetRootedAtFileSystemFolder(const std::wstring& value);
  std::wstring GetSelectedFolder();
  void SetSelectedFolder(const std::wstring& value);
  TNsShellFolder GetSpecialFolder();
  void SetSpecialFolder(TNsShellFolder value);
  bool GetShowNethood() const noexcept { return fShowOptions.Contains(soShowNethood); }
  void SetShowNethood(bool value) { SetShowOption(soShowNethood, value); }
  bool GetShowRecycleBin() const noexcept { return fShowOptions.Contains(soShowRecycleBin); }
  void SetShowRecycleBin(bool value) { SetShowOption(soShowRecycleBin, value); }
  bool GetShowErrorMessages() const noexcept { return fShowOptions.Contains(soShowErrorMessages); }
  void SetShowErrorMessages(bool value) { SetShowOption(soShowErrorMessages, value); }
  bool GetShowHidden() const noexcept { return fShowOptions.Contains(soShowHidden); }
  void SetShowHidden(bool value) { SetShowOption(soShowHidden, value); }
  bool GetShowFiles() const noexcept { return fShowOptions.Contains(soShowFiles); }
  void SetShowFiles(bool value) { SetShowOption(soShowFiles, value); }
  bool GetShowContextMenuOnTop() const noexcept { return fShowOptions.Contains(soShowContextMenuOnTop); }
  void SetShowContextMenuOnTop(bool value) { SetShowOption(soShowContextMenuOnTop, value); }
  bool GetColorCompressed() const noexcept { return fShowOptions.Contains(soColorCompressed); }
  void SetColorCompressed(bool value) { SetShowOption(soColorCompressed, value); }
  bool GetColorEncrypted() const noexcept { return fShowOptions.Contains(soColorEncrypted); }
  void SetColorEncrypted(bool value) { SetShowOption(soColorEncrypted, value); }
  bool GetNoFillOnStartup() const noexcept { return fShowOptions.Contains(soNoFillOnStartup); }
  void SetNoFillOnStartup(bool value) { SetShowOption(soNoFillOnStartup, value); }
  bool GetFileSystemOnly() const;
  void SetFileSystemOnly(bool value);
  bool GetExpandOnSelected() const noexcept { return fExpandOnSelected; }
  void SetExpandOnSelected(bool value) noexcept { fExpandOnSelected = value; }
  std::wstring GetFilter() const;
  void SetFilter(const std::wstring& value);
  std::wstring GetVersion() const;
  void SetVersion(const std::wstring&) noexcept {}
  bool GetAutomaticRefresh() const;
  void SetAutomaticRefresh(bool value);
  bool GetUseSystemFont() const noexcept { return fUseSystemFont; }
  void SetUseSystemFont(bool value);
  bool GetUseSystemStyles() const noexcept { return fUseSystemStyles; }
  void SetUseSystemStyles(bool value);
  bool GetShowOverlayIcons() const noexcept { return fShowOverlayIcons; }
  void SetShowOverlayIcons(bool value);
  // Whether the tree takes drops and lets nodes be dragged out.
  bool GetOleDragDrop() const noexcept { return fOleDragDrop; }
  void SetOleDragDrop(bool value);
  // Whether a right click shows the shell's menu of the selected node.
  bool GetShellContextMenu() const noexcept { return fContextMenu; }
  void SetShellContextMenu(bool value) noexcept { fContextMenu = value; }
  // The drop effects dragging from the tree offers and dropping on it takes.
  TNsCopyMode GetCopyMode() const noexcept { return fCopyMode; }
  void SetCopyMode(TNsCopyMode value) noexcept { fCopyMode = value; }
  const TOnContextMenuSelectEvent& GetOnContextMenuSelect() const;
  void SetOnContextMenuSelect(TOnContextMenuSelectEvent value);

  TOnAddNode OnAddFolder;
  TOnUpdatedFolder OnUpdatedFolder;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TOnOperation OnOperation;
  TOnBeforeShellDropEvent OnBeforeShellDrop;
  TTVEditCanceled OnEditCanceled;

  // Public properties.
  // A new copy of the selected node's list (the caller frees it), or null.
  PItemIDList GetSelectedItemIdList() const;
  void SetSelectedItemIdList(PCItemIDList value) { LocateNode(value, laSelect); }
  bool GetMultipleRoots() const noexcept { return fMultipleRoots; }
  void SetMultipleRoots(bool value) noexcept { fMultipleRoots = value; }
  TNsShellShowOptions GetShowOptions() const noexcept { return fShowOptions; }
  void SetShowOptions(TNsShellShowOptions value);
  // The node at an absolute index (depth first).
  TNsShellTreeNode* GetItem(int absoluteIndex) const;
  TNsShellTreeNode* GetRootNode() const;
  TNsShellTreeNode* GetSelected() const { return static_cast<TNsShellTreeNode*>(TCustomTreeView::GetSelected()); }
  void SetSelected(TNsShellTreeNode* node) { TCustomTreeView::SetSelected(node); }
  TPidlHistory* GetHistory() const noexcept { return fHistory.get(); }
  TNsShellChangeNotifier* GetShellChangeNotifier() const noexcept { return fShellChangeNotifier; }
  TNsBrowser* GetBrowser() const noexcept { return fNsBrowser; }
  bool GetCreateLinkOnDrop() const noexcept { return fCopyMode == cmLink; }
  void SetCreateLinkOnDrop(bool value) noexcept { fCopyMode = value ? cmLink : cmDefault; }
  // The node a drag over the tree stands on, and the node being dragged out.
  TNsShellTreeNode* GetDropItem() const noexcept { return fDropItem; }
  TNsShellTreeNode* GetDragNode() const noexcept { return fDragNode; }
  // The clock of the drag's automatic scrolling and expansion, when it is to
  // be other than the system's.
  std::function<DWORD()> TickCountSource;

  // Operations.
  std::wstring GetFullPath(const TNsShellTreeNode* node) const;
  std::wstring GetFullPath(int Index) const;
  TNsShellFolder IsSpecialObject(const TNsShellTreeNode* node) const;
  TNsShellFolder IsSpecialObject(int nodeindex) const;
  void Resort(TNsShellTreeNode* aNode);
  TNsShellTreeNode* GetNodeAt(int X, int Y) const;
  void MoveInHistory(int Delta);
  bool IsMovePossible(int Delta) const;
  bool IsValidNode(const TNsShellTreeNode* node) const;
  // Finds the node of an absolute list, walking down from the top level,
  // and acts on it; true when the list's own node was reached below a top-
  // level node. PIDL stays the caller's.
  bool LocateNode(PCItemIDList PIDL, TNsLocateAction Action);
  // Reconciles a node (and with Recursive its expanded descendants) with the
  // shell; a folder that can no longer be opened loses its node.
  void RefreshNode(TNsShellTreeNode* Node, bool Recursive, bool FullRefresh);
  void RefreshNode(int Index, bool Recursive, bool FullRefresh);
  // Makes a network item the network folder does not list appear.
  bool AddHiddenItem(const std::wstring& aPath);
  // Expands the selected node and selects its child of that caption.
  bool SelectSubFolder(const std::wstring& FolderName);
  // The change notifier's handler.
  void ShellChangeNotify(TObject* Sender, TNotificationEvent Event, PCItemIDList pidl1, PCItemIDList pidl2);
  // Tells the link of node (PathChanged, or FileChanged for a file).
  void NotifyShellLink(TNsShellTreeNode* node);

  // Runs a shell verb ("delete", "copy", "cut", "paste", "rename",
  // "properties", "default", ...) on the selected node; false when nothing
  // is selected or the verb was not carried out.
  bool InvokeCommandOnSelected(const std::wstring& Command);
  // The shell's menu of the selected node at a screen point; Verb is the
  // verb chosen and carried out, else empty.
  void ShowContextMenu(POINT Point, std::wstring& Verb);
  // Makes a folder in path (an empty foldername is the shell's name for a
  // new folder; a name that is taken takes the next free number) and shows
  // it, its name opened for editing with editmode; false when it could not
  // be made.
  bool CreateDir(const std::wstring& path, const std::wstring& foldername, bool editmode);
  // Reports a finished file operation (to the link's selection list for a
  // rename, then to OnOperation).
  void DoOperation(TNsShellOperations Operation, TStringList* Files, const std::wstring& Destination);
  // Opens the selected node's caption for editing: the shell's rename verb.
  void StartRenameSelected(TObject* Sender);

  void WndProc(TMessage& message) override;

protected:
  TTreeNode* CreateNode() override;
  bool CanExpand(TTreeNode* node) override;
  bool CanChange(TTreeNode* node) override;
  void Change(TTreeNode* node) override;
  void GetImageIndex(TTreeNode* node) override;
  bool CustomDrawItem(TTreeNode* node, TCustomDrawState state) override;
  bool WantsCustomDraw() const override;
  void InitializeWindow() override;
  void Loaded() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(wchar_t& key) override;
  void DblClick() override;
  bool CanEdit(TTreeNode* node) override;
  void Edit(const TVITEMW& item) override;
  void Delete(TTreeNode* node) override;
  void BeginDrag(TTreeNode* node, bool rightButton) override;
  void DestroyWnd() override;

  // A node for the browser's current item at the end of Parent's children;
  // null when the show options or OnAddFolder keep it out.
  TNsShellTreeNode* AddFolderNode(TNsShellTreeNode* Parent, bool Sticky);
  // Pictures, button, caption and attributes of a node the browser stands on.
  void UpdateNode(TNsShellTreeNode* Node, bool Full);

private:
  void SetShowOption(TNsShellShowOption option, bool value) { SetShowOptions(WithShowOption(fShowOptions, option, value)); }
  TWorkTag GroupTag() const noexcept { return reinterpret_cast<TWorkTag>(this); }
  void QueueIcon(TNsShellTreeNode* node, TNsIconType type, TWorkTag groupTag);
  // Puts the browser on the node's item; false when the node's folder can
  // no longer be bound.
  bool PositionBrowserOn(TNsShellTreeNode* node);
  // Reads a folder's children on its first expansion.
  void FillNode(TNsShellTreeNode* node);
  // The child with that one-level list: a binary search over the first
  // sortedCount children, which are in the folder's order, then a scan.
  // With hint, the child at *hint is tried first and *hint moves past the
  // child found: enumerations mostly come in the folder's own order.
  TNsShellTreeNode* FindChild(TNsShellTreeNode* parent, PCItemIDList relative, int sortedCount,
                              int* hint = nullptr) const;
  // On screen now: below expanded folders and within the client area.
  bool IsVisibleNode(TNsShellTreeNode* node) const;
  // Drops a folder's children, to be read anew at its next expansion.
  void ForgetChildren(TNsShellTreeNode* node);
  void BuildRoot();
  PItemIDList ResolveRoot(TNsShellFolder value);
  void ApplySystemFont();
  void ApplySystemStyles();
  void SetChangeDelayForKey();
  DWORD CurrentTicks() const { return TickCountSource ? TickCountSource() : GetTickCount(); }

  // Commands.
  void SetRenameHandler();
  // The full path of a node whose item is a file or folder; empty otherwise.
  std::wstring FileSystemPath(TNsShellTreeNode* node) const;
  bool AllowedByHandler(const std::wstring& verb);
  // Copy and cut through the tree's own clipboard data, which every program
  // reads; false when the node has no path or the clipboard refuses.
  bool PutOnClipboard(TNsShellTreeNode* node, bool cut);
  bool PasteWithoutShellVerb(TNsShellTreeNode* node);
  // What a delete, a paste or a cut that was carried out does afterwards.
  void DeletedSelected(TStringList* Files);
  void PastedInto(const TStringList* pasted, TNsShellOperations nothingPasted);
  // The right click (WM_CONTEXTMENU), from the mouse or the keyboard; false
  // when the shell's menu is not the tree's answer.
  bool ContextMenuRequested(TMessage& message);
  POINT SelectedMenuPoint();
  // Renames the node's item to its caption; answers whether the node is to
  // be expanded again once the rename's changes ran.
  bool RenameNode(TNsShellTreeNode* node, const std::wstring& oldCaption);
  void AfterRename();

  // Drag and drop.
  void RegisterDropTarget();
  void RevokeDropTarget();
  void ClearDropItem();
  TComPtr<IDropTarget> NodeDropTarget(TNsShellTreeNode* node);
  // Changes delivered by the notifier: within a burst they wait, and the
  // refreshes of one folder are made once.
  void ChangeNotified(TNotificationEvent Event, PCItemIDList pidl1, PCItemIDList pidl2);
  void MergeTimerFired();

  bool fInitialized = false;
  bool fOleDragDrop = true;
  bool fDropTargetRegistered = false;
  bool fContextMenu = true;
  TNsCopyMode fCopyMode = cmDefault;
  TComPtr<IDataObject> fDataObj;
  TComPtr<IDropTarget> fDropTarget2;
  TNsShellTreeNode* fDropItem = nullptr;
  TNsShellTreeNode* fDragNode = nullptr;
  DWORD fDragButton = 0;
  DWORD fDropButton = 0;
  DWORD fOldDragEffect = 0;
  DWORD fLastAutoScroll = 0;
  DWORD fAutoExpand = 0;
  POINT fDblClickPoint{};
  // The node just renamed, expanded again once the rename's changes ran.
  std::unique_ptr<TTreeNodeWatch> fRenamed;
  bool fRenamedWasExpanded = false;
  bool fAllowExpand = true;
  TNsBrowser* fNsBrowser = nullptr;
  TNsShellLink* fShellLink = nullptr;
  TNsShellFolder fRootedAt = SF_DESKTOP;
  TComPtr<IShellFolder> fRootShellFolder;
  std::wstring fRootedAtFileSystemFolder;
  TNsShellShowOptions fShowOptions{soShowNethood, soShowRecycleBin};
  bool fMultipleRoots = false;
  std::wstring fInitialPath;
  TNsShellFolder fInitialFolder = SF_DRIVES;
  bool fExpandOnSelected = false;
  bool fIsMoving = false;
  TNsShellChangeNotifier* fShellChangeNotifier = nullptr;
  bool fUseSystemFont = true;
  bool fUseSystemStyles = true;
  bool fShowOverlayIcons = true;
  std::unique_ptr<TPidlHistory> fHistory;
  TNsSystemImageList* fSystemImages = nullptr;
  // The browser is enumerating: image requests wait for the next paint.
  bool fEnumerating = false;
  bool fMouseInControl = false;
  // Locating and reconciling are under way: change notifications that
  // arrive meanwhile (a nested message loop) wait until they are done.
  int fWalking = 0;
  // How often LocateNode began again because a node it stood on went while
  // messages were pumped; bounded so that it cannot loop.
  int fLocateRestarts = 0;
  struct TPendingChange {
    TNotificationEvent Event;
    TPidl Pidl1, Pidl2;
  };
  std::vector<TPendingChange> fPendingChanges;
  // The last change the notifier delivered, on CurrentTicks; changes within
  // a burst wait for the burst's end.
  DWORD fLastChangeTicks = 0;
  bool fHaveLastChange = false;
  DWORD fFirstWaitingTicks = 0;
  bool fMergeTimerSet = false;

  // Locating and reconciling are under way for its life.
  class TWalkScope {
  public:
    explicit TWalkScope(TNsShellTree& tree) : fTree(tree) { ++fTree.fWalking; }
    ~TWalkScope() {
      if (--fTree.fWalking == 0 && !fTree.fPendingChanges.empty() && fTree.HandleAllocated() && !fTree.fMergeTimerSet)
        PostMessageW(fTree.fHandle, kRunPendingChanges, 0, 0);
    }
    TWalkScope(const TWalkScope&) = delete;
    TWalkScope& operator=(const TWalkScope&) = delete;

  private:
    TNsShellTree& fTree;
  };
  void RunPendingChanges();
  // Posted to the tree to run the changes that waited for a walk to end.
  static constexpr UINT kRunPendingChanges = WM_APP + 0x2E1;
  // Posted after a rename, to expand the renamed folder again.
  static constexpr UINT kAfterRename = WM_APP + 0x2E2;
  // The timer that ends a burst of changes.
  static constexpr UINT_PTR kMergeTimer = 0x7E11;
};

}  // namespace ts
