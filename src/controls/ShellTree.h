#pragma once
// The shell tree view: the namespace from one root (normally the desktop)
// down, each node a shell item, read lazily as the user opens folders. It
// keeps its pane's link on the selected folder, finds any folder it is told
// of (LocateNode), reconciles expanded folders with the shell (RefreshNode)
// and follows the shell's change notifications.
#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/ShellItemFlags.h"
#include "controls/ShellShowOptions.h"
#include "link/NsShellControl.h"
#include "notify/NotificationEvent.h"
#include "shell/ItemIdList.h"
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

class TNsShellTree : public TCustomTreeView, public INsShellControl, public IIconViewer {
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

  TOnAddNode OnAddFolder;
  TOnUpdatedFolder OnUpdatedFolder;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

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

  bool fInitialized = false;
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
  class TWalkScope;
  void RunPendingChanges();
  // Posted to the tree to run the changes that waited for a walk to end.
  static constexpr UINT kRunPendingChanges = WM_APP + 0x2E1;
};

}  // namespace ts
