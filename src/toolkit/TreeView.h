#pragma once
// The tree view the shell tree extends, on the platform's tree-view control:
// nodes with text, image and selected-image indexes and the expand button
// asked for through the platform's callback, overlay and state indexes, lazy
// expansion through the may-expand hook, typed navigation, selection with a
// delayed change event, label editing, custom draw and sorting. The nodes
// live in the control object; on re-creation they are given to the window
// again unless the control asks otherwise.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "toolkit/Controls.h"
#include "toolkit/ImageList.h"
#include "toolkit/CustomDraw.h"

namespace ts {

class TCustomTreeView;
class TTreeNodes;
class TTreeNodeWatch;

class TTreeNode : public TObject {
  TS_CLASS(TTreeNode, TObject)

public:
  explicit TTreeNode(TTreeNodes* owner);
  ~TTreeNode() override = default;

  const std::wstring& GetText() const noexcept { return fText; }
  void SetText(const std::wstring& value);
  int GetImageIndex() const noexcept { return fImageIndex; }
  void SetImageIndex(int value);
  int GetSelectedIndex() const noexcept { return fSelectedIndex; }
  void SetSelectedIndex(int value);
  int GetOverlayIndex() const noexcept { return fOverlayIndex; }
  void SetOverlayIndex(int value);
  int GetStateIndex() const noexcept { return fStateIndex; }
  void SetStateIndex(int value);
  // Shows an expand button before any child exists.
  bool GetHasChildren() const;
  void SetHasChildren(bool value);
  void* GetData() const noexcept { return fData; }
  void SetData(void* value) noexcept { fData = value; }

  void Expand(bool Recurse);
  void Collapse(bool Recurse);
  bool GetExpanded() const;
  void SetExpanded(bool value);

  TTreeNode* GetParent() const noexcept { return fParent; }
  int GetLevel() const;
  int GetIndex() const;
  int GetAbsoluteIndex() const;
  int Count() const noexcept { return static_cast<int>(fChildren.size()); }
  TTreeNode* Item(int index) const { return fChildren.at(static_cast<size_t>(index)).get(); }
  TTreeNode* GetFirstChild() const { return fChildren.empty() ? nullptr : fChildren.front().get(); }
  TTreeNode* GetLastChild() const { return fChildren.empty() ? nullptr : fChildren.back().get(); }
  // Depth first: the first child, else the next sibling of this node or of
  // the nearest ancestor that has one.
  TTreeNode* GetNext() const;
  TTreeNode* GetNextSibling() const;
  TTreeNode* GetPrevSibling() const;
  bool HasAsParent(const TTreeNode* node) const;

  bool GetSelected() const;
  void SetSelected(bool value);
  bool GetFocused() const { return GetState(TVIS_SELECTED); }
  bool GetCut() const { return GetState(TVIS_CUT); }
  void SetCut(bool value) { SetState(TVIS_CUT, value); }
  bool GetDropTarget() const { return GetState(TVIS_DROPHILITED); }
  void SetDropTarget(bool value);
  bool GetDeleting() const noexcept { return fDeleting; }

  bool EditText();
  void EndEdit(bool Cancel);
  void MakeVisible();
  RECT DisplayRect(bool TextOnly) const;
  // Sorts the children with compare (or the view's OnCompare).
  bool CustomSort(const std::function<int(TTreeNode*, TTreeNode*)>& compare = {}, bool Recurse = false);
  // The same order as CustomSort when the first sortedCount children are in
  // order already (as after appending to a sorted folder): only the others
  // are sorted, then merged in, which asks the comparison far less often.
  void SortAppended(int sortedCount, const std::function<int(TTreeNode*, TTreeNode*)>& compare);
  void Delete();
  void DeleteChildren();
  HTREEITEM GetItemId() const noexcept { return fItem; }
  TCustomTreeView* GetTreeView() const;
  TTreeNodes* GetOwner() const noexcept { return fOwner; }

private:
  bool GetState(UINT mask) const;
  void SetState(UINT mask, bool value);
  void UpdateItem(UINT mask);
  void InvalidateItem();

  TTreeNodes* fOwner;
  TTreeNode* fParent = nullptr;
  std::vector<std::unique_ptr<TTreeNode>> fChildren;
  std::wstring fText;
  int fImageIndex = -1;
  int fSelectedIndex = -1;
  int fOverlayIndex = -1;
  int fStateIndex = -1;
  bool fHasChildren = false;
  bool fExpanded = false;
  UINT fState = 0;
  void* fData = nullptr;
  HTREEITEM fItem = nullptr;
  bool fDeleting = false;
  // The node's place among its siblings, kept by the collection.
  size_t fIndex = 0;

  friend class TTreeNodes;
  friend class TCustomTreeView;
};

using TTreeNodeClass = std::function<TTreeNode*(TTreeNodes* owner)>;

class TTreeNodes {
public:
  explicit TTreeNodes(TCustomTreeView& owner) : fOwner(owner) {}
  ~TTreeNodes();
  TTreeNodes(const TTreeNodes&) = delete;
  TTreeNodes& operator=(const TTreeNodes&) = delete;

  // After the last sibling of sibling (at the top level for null).
  TTreeNode* Add(TTreeNode* Sibling, const std::wstring& S);
  TTreeNode* AddChild(TTreeNode* Parent, const std::wstring& S);
  TTreeNode* AddChildFirst(TTreeNode* Parent, const std::wstring& S);
  // Before sibling.
  TTreeNode* Insert(TTreeNode* Sibling, const std::wstring& S);
  void Delete(TTreeNode* Node);
  void Clear();
  void BeginUpdate();
  void EndUpdate();
  // Every node, depth first; kept as nodes come and go.
  int Count() const noexcept { return fCount; }
  TTreeNode* Item(int absoluteIndex) const;
  TTreeNode* GetFirstNode() const { return fRoots.empty() ? nullptr : fRoots.front().get(); }
  int TopCount() const noexcept { return static_cast<int>(fRoots.size()); }
  TTreeNode* Top(int index) const { return fRoots.at(static_cast<size_t>(index)).get(); }
  TCustomTreeView& GetOwner() const noexcept { return fOwner; }
  bool Updating() const noexcept { return fUpdate.Active(); }

private:
  std::vector<std::unique_ptr<TTreeNode>>& SiblingsOf(TTreeNode* parent);
  TTreeNode* InsertAt(TTreeNode* parent, size_t position, const std::wstring& text);
  // Gives the window the node (and what it holds) after the item named.
  void InsertIntoWindow(TTreeNode* node, HTREEITEM after);
  // Reports the subtree's end from the bottom up; answers its size.
  int DeleteFromObjects(TTreeNode* node);
  // The places of siblings from a position on, after it changed.
  static void Renumber(std::vector<std::unique_ptr<TTreeNode>>& siblings, size_t from = 0);

  TCustomTreeView& fOwner;
  std::vector<std::unique_ptr<TTreeNode>> fRoots;
  TRedrawBracket fUpdate;
  int fCount = 0;

  friend class TTreeNode;
  friend class TCustomTreeView;
};

using TTVChangingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowChange)>;
using TTVChangedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVExpandingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& Allow)>;
using TTVEditingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowEdit)>;
using TTVEditedEvent = std::function<void(TObject* Sender, TTreeNode* Node, std::wstring& S)>;
using TTVCompareEvent = std::function<void(TObject* Sender, TTreeNode* Node1, TTreeNode* Node2, int& Compare)>;
using TTVCustomDrawItemEvent =
    std::function<void(TCustomTreeView* Sender, TTreeNode* Node, TCustomDrawState State, bool& DefaultDraw)>;
using TTVCreateNodeClassEvent = std::function<void(TCustomTreeView* Sender, TTreeNodeClass& NodeClass)>;

// Whether the view reports the start of a drag (automatic) or leaves the
// platform's begin-drag notifications alone (manual).
enum TDragMode : uint8_t { dmManual, dmAutomatic };

class TCustomTreeView : public TWinControl {
  TS_CLASS(TCustomTreeView, TWinControl)

public:
  explicit TCustomTreeView(TComponent* AOwner);
  ~TCustomTreeView() override;

  TTreeNodes& GetItems() noexcept { return fItems; }
  TTreeNode* GetSelected() const;
  void SetSelected(TTreeNode* node);
  TTreeNode* GetDropTarget() const;
  TTreeNode* GetNodeAt(int X, int Y) const;
  bool IsEditing() const;

  bool GetShowButtons() const noexcept { return fShowButtons; }
  void SetShowButtons(bool value) { SetStyleFlag(fShowButtons, value, TVS_HASBUTTONS); }
  bool GetShowLines() const noexcept { return fShowLines; }
  void SetShowLines(bool value) { SetStyleFlag(fShowLines, value, TVS_HASLINES); }
  // Pixels a level is indented by; 0 leaves the platform's default.
  int GetIndent() const;
  void SetIndent(int value);
  bool GetShowRoot() const noexcept { return fShowRoot; }
  void SetShowRoot(bool value) { SetStyleFlag(fShowRoot, value, TVS_LINESATROOT); }
  bool GetReadOnly() const noexcept { return fReadOnly; }
  void SetReadOnly(bool value) { SetStyleFlag(fReadOnly, value, TVS_EDITLABELS, true); }
  bool GetHideSelection() const noexcept { return fHideSelection; }
  void SetHideSelection(bool value) { SetStyleFlag(fHideSelection, value, TVS_SHOWSELALWAYS, true); }
  bool GetHotTrack() const noexcept { return fHotTrack; }
  void SetHotTrack(bool value) { SetStyleFlag(fHotTrack, value, TVS_TRACKSELECT); }
  bool GetToolTips() const noexcept { return fToolTips; }
  void SetToolTips(bool value) { SetStyleFlag(fToolTips, value, TVS_NOTOOLTIPS, true); }
  bool GetRightClickSelect() const noexcept { return fRightClickSelect; }
  void SetRightClickSelect(bool value) noexcept { fRightClickSelect = value; }
  bool GetDoubleBuffered() const noexcept { return fDoubleBuffered; }
  void SetDoubleBuffered(bool value);
  // Extended tree-view styles (TVS_EX_...): the ones set, which the window
  // is given whenever it is made.
  void SetExtendedStyle(DWORD mask, DWORD style);
  DWORD GetExtendedStyle() const noexcept { return fExtendedStyle; }
  // Milliseconds between a selection change and OnChange; 0: at once.
  UINT GetChangeDelay() const noexcept { return fChangeDelay; }
  void SetChangeDelay(UINT value) noexcept { fChangeDelay = value; }
  // Whether a delayed OnChange is pending. Stopping it drops the pending
  // change; starting it runs the delay again from now.
  bool GetChangeTimerEnabled() const noexcept { return fChangeTimerActive; }
  void SetChangeTimerEnabled(bool value);
  // Whether re-creating the window gives it the nodes again (else they go).
  TDragMode GetDragMode() const noexcept { return fDragMode; }
  void SetDragMode(TDragMode value) noexcept { fDragMode = value; }
  bool GetKeepNodesOnRecreate() const noexcept { return fKeepNodes; }
  void SetKeepNodesOnRecreate(bool value) noexcept { fKeepNodes = value; }
  TCustomImageList* GetImages() const noexcept { return fImages; }
  void SetImages(TCustomImageList* value);
  TCustomImageList* GetStateImages() const noexcept { return fStateImages; }
  void SetStateImages(TCustomImageList* value);
  bool CustomSort(const std::function<int(TTreeNode*, TTreeNode*)>& compare = {});

  TTVExpandingEvent OnExpanding;
  TTVChangedEvent OnExpanded;
  TTVExpandingEvent OnCollapsing;
  TTVChangedEvent OnCollapsed;
  TTVChangingEvent OnChanging;
  TTVChangedEvent OnChange;
  TTVEditingEvent OnEditing;
  TTVEditedEvent OnEdited;
  TTVChangedEvent OnCancelEdit;
  TTVChangedEvent OnGetImageIndex;
  TTVChangedEvent OnGetSelectedIndex;
  TTVChangedEvent OnDeletion;
  TTVCompareEvent OnCompare;
  TTVCustomDrawItemEvent OnCustomDrawItem;
  TTVCreateNodeClassEvent OnCreateNodeClass;

  TCanvas& GetCanvas() noexcept { return fCanvas; }
  void WndProc(TMessage& message) override;

protected:
  void CreateParams(TCreateParams& params) override;
  void InitializeWindow() override;
  void SaveWindowState() override;
  void DestroyWnd() override;
  virtual TTreeNode* CreateNode();
  virtual bool CanExpand(TTreeNode* node);
  virtual void Expand(TTreeNode* node);
  virtual bool CanCollapse(TTreeNode* node);
  virtual void Collapse(TTreeNode* node);
  virtual bool CanChange(TTreeNode* node);
  virtual void Change(TTreeNode* node);
  virtual bool CanEdit(TTreeNode* node);
  virtual void Edit(const TVITEMW& item);
  virtual void GetImageIndex(TTreeNode* node);
  virtual void GetSelectedIndex(TTreeNode* node);
  virtual void Delete(TTreeNode* node);
  virtual bool CustomDrawItem(TTreeNode* node, TCustomDrawState state);
  // In automatic drag mode: the user began dragging node, with the right
  // button when rightButton.
  virtual void BeginDrag(TTreeNode* node, bool rightButton);
  // Whether items are custom-drawn at all (by default: OnCustomDrawItem is set).
  virtual bool WantsCustomDraw() const { return static_cast<bool>(OnCustomDrawItem); }

private:
  LRESULT HandleNotify(NMHDR* header);
  void GetDispInfo(NMTVDISPINFOW* info);
  void SetStyleFlag(bool& field, bool value, DWORD bit, bool inverted = false);
  void AttachImages();
  static TTreeNode* NodeOf(LPARAM lParam) { return reinterpret_cast<TTreeNode*>(lParam); }
  static int CALLBACK CompareNodes(LPARAM a, LPARAM b, LPARAM sort);
  static int CALLBACK CompareByPosition(LPARAM a, LPARAM b, LPARAM positions);
  void SortWindowChildren(HTREEITEM parent, const std::vector<std::unique_ptr<TTreeNode>>& sorted);

  TTreeNodes fItems;
  bool fShowButtons = true;
  bool fShowLines = true;
  bool fShowRoot = true;
  int fIndent = 0;
  bool fReadOnly = false;
  bool fHideSelection = true;
  bool fHotTrack = false;
  bool fToolTips = true;
  bool fRightClickSelect = false;
  bool fDoubleBuffered = false;
  bool fKeepNodes = true;
  TDragMode fDragMode = dmManual;
  DWORD fExtendedMask = 0;
  DWORD fExtendedStyle = 0;
  UINT fChangeDelay = 0;
  bool fChangeTimerActive = false;
  TCustomImageList* fImages = nullptr;
  TCustomImageList* fStateImages = nullptr;
  TCanvas fCanvas;
  TTreeNode* fSavedSelection = nullptr;
  bool fInserting = false;
  std::vector<TTreeNodeWatch*> fWatches;

  friend class TTreeNode;
  friend class TTreeNodes;
  friend class TTreeNodeWatch;
};

// Follows nodes across code that may delete them (a message pump, an event
// handler): a watched node that is deleted meanwhile no longer counts as
// alive, and is never to be touched again.
class TTreeNodeWatch {
public:
  explicit TTreeNodeWatch(TCustomTreeView& view);
  TTreeNodeWatch(TCustomTreeView& view, TTreeNode* node);
  ~TTreeNodeWatch();
  TTreeNodeWatch(const TTreeNodeWatch&) = delete;
  TTreeNodeWatch& operator=(const TTreeNodeWatch&) = delete;

  void Add(TTreeNode* node);
  bool Alive(const TTreeNode* node) const { return node != nullptr && fNodes.count(node) > 0; }
  // The node the watch was made with, or null once it is gone.
  TTreeNode* Get() const noexcept { return fFirst; }

private:
  void Deleted(const TTreeNode* node);

  TCustomTreeView& fView;
  std::unordered_set<const TTreeNode*> fNodes;
  TTreeNode* fFirst = nullptr;

  friend class TTreeNodes;
};

// Puts a tree's change timer back as it was (running or stopped) when a
// scope ends, also on failure.
class TChangeTimerScope {
public:
  explicit TChangeTimerScope(TCustomTreeView& tree) : fTree(tree), fWasEnabled(tree.GetChangeTimerEnabled()) {}
  ~TChangeTimerScope() {
    if (fTree.GetChangeTimerEnabled() != fWasEnabled) fTree.SetChangeTimerEnabled(fWasEnabled);
  }
  TChangeTimerScope(const TChangeTimerScope&) = delete;
  TChangeTimerScope& operator=(const TChangeTimerScope&) = delete;

private:
  TCustomTreeView& fTree;
  bool fWasEnabled;
};

}  // namespace ts
