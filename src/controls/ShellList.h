#pragma once
// The shell list view: the items of one shell folder (a file-system folder or
// a virtual one such as the drives, the desktop or the recycle bin) in the
// four list-view styles, with the folder's own columns and sort, kept on the
// pane's folder through a shell link.
//
// TNsBaseShellListView is what every shell list offers its link and its
// jobs; TNsShellList adds the browser, navigation and history, filling,
// columns and sorting (ShellListColumns.cpp) and selection by name.
#include <windows.h>
#include <oleidl.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/ShellItemFlags.h"
#include "controls/ShellListItem.h"
#include "controls/ShellOperations.h"
#include "controls/ShellShowOptions.h"
#include "link/NsSelectionState.h"
#include "link/NsShellControl.h"
#include "notify/NotificationEvent.h"
#include "shell/ItemIdList.h"
#include "shell/NsBrowser.h"
#include "shell/SpecialFolders.h"
#include "toolkit/ComPtr.h"
#include "toolkit/InterfacedObject.h"
#include "toolkit/ListView.h"
#include "work/Viewers.h"

namespace ts {

class TNsBackgroundContextMenu;
class TDirectoryWatcher;
class TNsShellLink;
class TNsShellChangeNotifier;
class TNsSystemImageList;
class TPidlHistory;
class TPopupMenu;
class TTimer;

using TOnCheckStateChanged =
    std::function<void(TObject* Sender, int ItemIndex, const std::wstring& Path, TNsSelectionState CheckState)>;
using TOnAddItem = std::function<void(TObject* Sender, TNsShellListItem* Item, bool& CanAdd)>;
using TOnThumbnailUpdated = std::function<void(TObject* Sender, int ImageIndex, TBitmap* ThumbnailBitmap)>;

enum TNsBackgroundImageStyle : uint8_t { bisLeftTop, bisRightBottom, bisTiled };

// The base every shell list derives from. It answers its link through
// INsShellControl and check-state jobs through ICheckBoxViewer, without
// counting references: the owner frees the control, never a reference.
class TNsBaseShellListView : public TCustomListView, public ICheckBoxViewer, public INsShellControl {
  TS_CLASS(TNsBaseShellListView, TCustomListView)

public:
  explicit TNsBaseShellListView(TComponent* AOwner);
  ~TNsBaseShellListView() override;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  // INsShellControl
  void SetShellLink(TNsShellLink* value) override;
  TNsShellLink* GetShellLink() override { return fShellLink; }
  void PathChanged(PCItemIDList PIDL) override = 0;
  void FileChanged(PCItemIDList FolderPIDL, PCItemIDList FilePIDL) override = 0;
  // Selects every item and takes the focus.
  void SelectAll() override;
  void FullRefresh() override = 0;
  void SmartRefresh() override = 0;
  bool GoUp() override { return false; }

  // ICheckBoxViewer: check states arrive with the check boxes of the list.
  void CheckStateReady(IWorkItem* WorkItem) override;

  // Gives an item what it shows once it is drawn: here only the mark that it
  // was filled.
  virtual void FillItem(TNsCheckableListItem* Item);

  bool GetUseSystemFont() const noexcept { return fUseSystemFont; }
  void SetUseSystemFont(bool value);
  int GetAutoSizeColumn() const noexcept { return fAutoSizeColumn; }
  void SetAutoSizeColumn(int value);
  bool GetCheckboxes() const noexcept { return fCheckBoxes; }
  virtual void SetCheckboxes(bool value);
  // The thumbnails of thumbnail mode, owned: 32 bits per pixel, no mask.
  TCustomImageList* GetThumbNailImages() const noexcept { return fThumbNailImages.get(); }

  // The column AutoSizeColumn names is stretched so that the columns fill the
  // client width, never narrower than 80 pixels.
  void AdjustAutoSizeColumn();

  TOnCheckStateChanged OnCheckStateChanged;
  // OnGetImageIndex (inherited) is called after the list's own handling.

protected:
  void Loaded() override;
  void Resize() override;
  // The list view asks for an item's image when it first draws it: an item
  // not filled yet, or without an image, is filled first.
  void GetImageIndex(TListItem* item) override;
  virtual void ItemImageRequested(TListItem* item);
  void ApplyUseSystemFont();

  TNsShellLink* fShellLink = nullptr;
  bool fUseSystemFont = true;
  int fAutoSizeColumn = -1;
  bool fCheckBoxes = false;
  std::unique_ptr<TCustomImageList> fThumbNailImages;
  bool fThumbnails = false;
};

// The file list of a pane. Icons, overlays and thumbnails come from jobs on
// the worker pool (ShellListPictures.cpp): each drawn item gets a placeholder
// at once and its real picture when the job's result arrives.
class TNsShellList : public TNsBaseShellListView,
                     public IIconViewer,
                     public IThumbnailViewer,
                     public IDropSource,
                     public IDropTarget {
  TS_CLASS(TNsShellList, TNsBaseShellListView)

public:
  // Tags of the list's jobs: the item as tag, the list as group tag.
  static TWorkTag TagOf(const void* object) noexcept { return reinterpret_cast<TWorkTag>(object); }

  explicit TNsShellList(TComponent* AOwner);
  ~TNsShellList() override;

  // IUnknown, for every interface of the list; no reference counting.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  // IIconViewer: an item's icon (itNormal) or overlay (itOverlay); Tag is the item.
  void IconReady(int IconIndex, TNsIconType IconType, TWorkTag Tag) override;
  // IThumbnailViewer: the list takes Bitmap over; Index is the item's slot.
  void ThumbnailReady(TBitmap* Bitmap, int Index, TWorkTag Tag) override;

  // IDropSource: of a drag of the selected items out of the list.
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL EscapePressed, DWORD KeyState) override;
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD Effect) override;
  // IDropTarget: a drag over the list goes on to the drop target of the item
  // under it, or of the folder shown.
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* DataObj, DWORD KeyState, POINTL Point, DWORD* Effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD KeyState, POINTL Point, DWORD* Effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* DataObj, DWORD KeyState, POINTL Point, DWORD* Effect) override;

  // INsShellControl
  void PathChanged(PCItemIDList PIDL) override;
  void FileChanged(PCItemIDList FolderPIDL, PCItemIDList FilePIDL) override;
  void FullRefresh() override;
  void SmartRefresh() override;
  // Goes to the parent folder and selects the folder it came from.
  bool GoUp() override;
  // Selects every item; the link hears of the selection once it is made.
  void SelectAll() override;

  void FillItem(TNsCheckableListItem* Item) override;

  // Navigation.
  std::wstring GetPath();
  void SetPath(const std::wstring& value);
  // Stored with the form only while SpecialFolder reads SF_FILESYSTEMFOLDER.
  bool IsPathStored() { return GetSpecialFolder() == SF_FILESYSTEMFOLDER; }
  TNsShellFolder GetSpecialFolder();
  void SetSpecialFolder(TNsShellFolder value);
  // The folder's absolute list, computed once per fill and kept; lent.
  PCItemIDList GetFolderIdList();
  void SetFolderIdList(PCItemIDList value);
  // Delta < 1 goes back |Delta| entries, else forward Delta entries.
  void MoveInHistory(int Delta);
  bool IsMovePossible(int Delta) const;
  TPidlHistory* GetHistory() const noexcept { return fHistory.get(); }

  // Published properties.
  bool GetAutomaticRefresh() const noexcept { return fAutomaticRefresh; }
  void SetAutomaticRefresh(bool value);
  bool GetDetails() const noexcept { return fDetails; }
  void SetDetails(bool value);
  bool GetFileSystemOnly() const { return fNsBrowser->GetFileSystemOnly(); }
  void SetFileSystemOnly(bool value);
  std::wstring GetFilter() const { return fNsBrowser->GetFilter(); }
  void SetFilter(const std::wstring& value);
  bool GetOleDragDrop() const noexcept { return fOleDragDrop; }
  // Registers or revokes the list as its window's drop target; stays false
  // when registering fails.
  void SetOleDragDrop(bool value);
  bool IsDropTargetRegistered() const noexcept { return fDropTargetRegistered; }
  bool GetShellContextMenu() const noexcept { return fContextMenu; }
  void SetShellContextMenu(bool value) noexcept { fContextMenu = value; }
  TPopupMenu* GetBackgroundPopupMenu() const noexcept { return fBackgroundPopupMenu; }
  void SetBackgroundPopupMenu(TPopupMenu* value);
  bool GetShowFolders() const noexcept { return fShowFolders; }
  void SetShowFolders(bool value);
  bool GetShowParentFolder() const noexcept { return fShowParentFolder; }
  void SetShowParentFolder(bool value);
  TNsShellShowOptions GetShowOptions() const noexcept { return fShowOptions; }
  void SetShowOptions(TNsShellShowOptions value);
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
  bool GetShowOverlayIcons() const noexcept { return fShowOverlayIcons; }
  void SetShowOverlayIcons(bool value);
  bool GetUseSystemStyles() const noexcept { return fUseSystemStyles; }
  void SetUseSystemStyles(bool value);
  TNsCopyMode GetCopyMode() const noexcept { return fCopyMode; }
  void SetCopyMode(TNsCopyMode value) noexcept { fCopyMode = value; }
  // Thumbnail mode: the icon view with a thumbnail of every item.
  bool GetThumbnails() const noexcept { return fThumbnails; }
  void SetThumbnails(bool value);
  int GetThumbnailWidth() const noexcept { return fThumbnailWidth; }
  void SetThumbnailWidth(int value);
  int GetThumbnailHeight() const noexcept { return fThumbnailHeight; }
  void SetThumbnailHeight(int value);
  TColor GetThumbnailBorderColor() const noexcept { return fThumbnailBorderColor; }
  void SetThumbnailBorderColor(TColor value);
  // The size of the icon view's icons; turning either off gives large icons.
  bool GetShowExtraLargeIcons() const;
  void SetShowExtraLargeIcons(bool value);
  bool GetShowJumboIcons() const;
  void SetShowJumboIcons(bool value);
  // The picture behind the items; setting copies it.
  const TBitmap& GetBackgroundImage() const noexcept { return *fBackgroundImage; }
  void SetBackgroundImage(const TBitmap& value);
  TNsBackgroundImageStyle GetBackgroundImageStyle() const noexcept { return fBackgroundImageStyle; }
  void SetBackgroundImageStyle(TNsBackgroundImageStyle value);
  // The file the list view reads the picture from; empty without one.
  const std::wstring& GetBackgroundImagePath() const noexcept { return fBackgroundImagePath; }
  std::wstring GetVersion() const;
  void SetVersion(const std::wstring&) noexcept {}
  // vsSmallIcon becomes vsList; an explicit style leaves thumbnail mode.
  void SetViewStyle(TViewStyle value) override;

  // The browser's menu events, stored in the browser.
  const TOnContextMenuSelectEvent& GetOnContextMenuSelect() const { return fNsBrowser->OnContextMenuSelect; }
  void SetOnContextMenuSelect(TOnContextMenuSelectEvent value) { fNsBrowser->OnContextMenuSelect = std::move(value); }
  const TOnBeforeShellCommand& GetOnBeforeShellCommand() const { return fNsBrowser->OnBeforeShellCommand; }
  void SetOnBeforeShellCommand(TOnBeforeShellCommand value) { fNsBrowser->OnBeforeShellCommand = std::move(value); }

  // Columns and sorting.
  int GetSortColumn() const noexcept { return fSortColumn; }
  // The same column again reverses an ascending order; anything else sorts
  // ascending by c.
  void SetSortColumn(int c);
  bool GetReverseSortOrder() const noexcept { return fReverseOrder; }
  void SetReverseSortOrder(bool value);
  void Sort();
  void UpdateSortArrows();
  int GetNumColumns() const noexcept { return fNumColumns; }
  int GetAvailableColCount() const noexcept { return fAvailableColCount; }
  // The width last given to list column Column in a folder of kind Folder; 0
  // for none.
  int GetColumnWidth(TNsShellFolder Folder, int Column) const;
  // The shell column a list column shows.
  int GetShellColumnNumber(int Column) const;
  // Whether the header is drawn by visual themes; replaceable for tests.
  std::function<bool()> ThemesEnabledSource;

  // Selection and names. The names of the selected items (in-folder object
  // names), kept until the selection changes; writing selects the named items.
  TStringList* GetSelectedFiles();
  void SetSelectedFiles(const TStringList& value);
  TNsShellListItem* GetSelected() const { return static_cast<TNsShellListItem*>(TCustomListView::GetSelected()); }
  TNsShellListItems& GetItems() noexcept { return fTypedItems; }

  // Item queries.
  std::wstring GetFullPath(int Index);
  std::wstring GetFullPath(TNsShellListItem* Item);
  bool IsFolder(int Index);
  bool IsFolder(TNsShellListItem* Item);
  bool IsSpecialObject(int Index);
  bool IsSpecialObject(TNsShellListItem* Item);
  TNsSelectionState GetItemSelectionState(int Index);
  int64_t SelectedFilesSize();
  // The index of the first item whose relative list the folder's CompareIDs
  // (column 0) finds the same as PIDL; -1 for none, and where it fails.
  int IndexOfPIDL(PCItemIDList PIDL);
  // Selects, focuses and shows the item of the relative list; nothing when
  // none matches.
  void SelectItemByPIDL(PCItemIDList PIDL);

  // The browser positioned on the folder shown; lent.
  TNsBrowser* GetBrowser() const noexcept { return fNsBrowser; }

  // Commands (ShellListCommands.cpp). Verbs are the shell's canonical names
  // ("open", "delete", "copy", "properties", ...); "default" is the item's
  // default command.
  //
  // Runs a verb on the selected items; false without a selection, or when
  // the verb was not carried out.
  bool InvokeCommandOnSelected(const std::wstring& Command);
  // Runs a verb on the folder shown itself ("paste" pastes into it).
  bool InvokeCommandOnFolder(const std::wstring& Command);
  // The shell's menu of the selected items at a screen point; answers the
  // verb carried out, else empty.
  std::wstring ShowContextMenu(POINT Point);
  // Makes a folder in the folder shown (Name empty: the platform's name for
  // a new folder), numbered " (n)" when the name is taken; in edit mode its
  // name is then opened for editing. False when it could not be made.
  bool CreateDir(const std::wstring& Name, bool EditMode);
  // The list's own menu for its empty space, once it was shown; lent.
  TNsBackgroundContextMenu* GetBackgroundContextMenu() const noexcept { return fNsBackgroundCM; }
  // The menu for the empty space at a screen point: BackgroundPopupMenu
  // when assigned, else the list's own.
  virtual void PopupBackgroundMenu(POINT Point);
  // The watch that sees changes made inside the folder behind the shell's
  // back; lent.
  TDirectoryWatcher* GetDirectoryWatcher() const noexcept { return fDirectoryWatcher.get(); }

  TOnAddItem OnAddItem;
  TNotifyEvent OnPopulated;
  TNotifyEvent OnCreateColumns;
  TNotifyEvent OnPathChanged;
  TNotifyEvent OnBeforeFullRefresh;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TOnThumbnailUpdated OnThumbnailUpdated;
  TOnOperation OnOperation;
  TOnBeforeShellDropEvent OnBeforeShellDrop;
  // The clock of a drag's automatic scrolling, when it is to be other than
  // the system's.
  std::function<DWORD()> TickCountSource;
  // The item a drag over the list stands on; the names of the last drop.
  TNsShellListItem* GetDropItem() const noexcept { return fDropItem; }
  const TStringList* GetDroppedFiles() const noexcept { return fDroppedFiles.get(); }
  // The drop target for an item, or for the empty space with none.
  TComPtr<IDropTarget> GetDropTargetFor(TNsShellListItem* item);
  // Selects, once, the items named as the files of the last drop.
  void SelectDroppedFiles();

  void WndProc(TMessage& message) override;

protected:
  // The timer that gathers a burst of changes into one refresh.
  TTimer* GetUpdateTimer() const noexcept { return fUpdateTimer; }
  void Loaded() override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Notification(TComponent* component, TOperation operation) override;
  TListItem* CreateListItem() override;
  void Delete(TListItem* item) override;
  void ItemImageRequested(TListItem* item) override;
  // Keys, mouse, info tips and renaming (ShellListKeys.cpp).
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(wchar_t& key) override;
  void DblClick() override;
  bool CanEdit(TListItem* item) override;
  void Edit(const LVITEMW& item) override;
  void InfoTip(TListItem* item, std::wstring& tip) override;
  // The browser's rename verb starts an edit of the selected item's caption.
  void StartRename(TObject* Sender);
  void Change(TListItem* item, TItemChange change) override;
  void ColClick(int column) override;
  bool IsCustomDrawn() const override { return true; }
  // Compressed items in blue, encrypted ones in green, when asked for.
  bool CustomDrawItem(TListItem* item, TCustomDrawState state) override;

  // Hands a job to the global worker pool; the list's jobs all pass here.
  virtual void QueueWorkItem(IWorkItem* WorkItem);
  // The picture step of FillItem: placeholder, jobs, overlay and colours.
  virtual void FillItemPictures(TNsShellListItem* Item);
  // Every picture is made again at the thumbnail size and frame now set.
  virtual void ThumbnailSizeChanged();
  // Hands the background picture to the list view.
  virtual void ApplyBackgroundImage();

  virtual void CreateColumns();
  virtual int CompareListItems(TNsShellListItem* a, TNsShellListItem* b);
  // Adds the browser's current object, unless the filters skip it.
  virtual void AddCurrentItem();
  // Adds " .. " (or Caption), unless the link hides it or this is the desktop.
  virtual void AddParentFolderItem(const std::wstring& Caption = {});
  // After the browser moved: the selection cleared, the history and the link
  // told, OnPathChanged.
  virtual void AfterNavigate();
  // Every finished file operation passes through here.
  virtual void NotifyOperation(TNsShellOperations Operation, TStringList* Files, const std::wstring& Destination);
  // Asks again for an item's check state; the check boxes supply it.
  virtual void RequestCheckState(TNsShellListItem* Item);
  // The change notifier's events and the update timer of the automatic refresh.
  virtual void ShellChangeNotified(TObject* Sender, TNotificationEvent Event, PCItemIDList pidl1, PCItemIDList pidl2);
  virtual void UpdateTimerFired(TObject* Sender);

  bool fAutomaticRefresh = true;
  bool fInitialized = false;
  int fAvailableColCount = 0;
  int fNumColumns = 0;
  bool fDetails = true;
  bool fShowFolders = true;
  TNsShellShowOptions fShowOptions{soShowNethood, soShowRecycleBin, soShowFiles};
  int fSortColumn = 0;
  bool fReverseOrder = false;
  // Widths the user gave each column, by folder kind; 0 = none remembered.
  std::array<std::array<int32_t, 256>, SpecialFolderCount> ColumnWidth{};
  // The shell column each list column shows.
  std::array<int32_t, 256> ShellColumnNumber{};
  bool fContextMenu = true;
  bool fOleDragDrop = true;
  bool fIgnoreChanges = false;
  TNsSystemImageList* fLargeSystemImageList = nullptr;
  TNsSystemImageList* fSmallSystemImageList = nullptr;
  std::unique_ptr<TStringList> fSelectedList;
  bool fShowParentFolder = false;
  TTimer* fUpdateTimer = nullptr;
  TPopupMenu* fBackgroundPopupMenu = nullptr;
  std::unique_ptr<TBitmap> fUpArrow;
  std::unique_ptr<TBitmap> fDownArrow;
  TNsShellChangeNotifier* fShellChangeNotifier = nullptr;
  std::wstring fInitialPath;
  WNDPROC FDefHeaderProc = nullptr;
  HWND FHeaderHandle = nullptr;
  TPidl fFolderIdList;
  bool fUseSystemStyles = true;
  TNsCopyMode fCopyMode = cmDefault;
  bool fShowOverlayIcons = true;
  bool fIsMoving = false;
  TColor fThumbnailBorderColor = 12632256;
  int fThumbnailWidth = 96;
  int fThumbnailHeight = 96;
  TNsBrowser* fNsBrowser = nullptr;
  bool fIsUpdating = false;
  TNsShellFolder fSpecialFolder = SF_INVALID;
  std::unique_ptr<TPidlHistory> fHistory;
  std::unique_ptr<TBitmap> fBackgroundImage;
  TNsBackgroundImageStyle fBackgroundImageStyle = bisTiled;
  std::wstring fBackgroundImagePath;
  bool fIsUpdatingThumbnails = false;

private:
  // Drag and drop (ShellListDragDrop.cpp).
  void RegisterDropTarget();
  void RevokeDropTarget();
  DWORD DragTicks() const;
  void BeginOleDrag(bool rightButton);
  // The drop item loses its highlight and its target.
  void ForgetDropItem();
  void RedrawDropItem();
  TComPtr<IDataObject> fDataObj;
  TComPtr<IDropTarget> fDropTarget;
  TComPtr<IDropTarget> fDropTarget2;
  TNsShellListItem* fDropItem = nullptr;
  int fDragButton = 0;
  int fDropButton = 0;
  DWORD fLastAutoScroll = 0;
  std::unique_ptr<TStringList> fDroppedFiles;
  bool fDropTargetRegistered = false;

  void SetShowOption(TNsShellShowOption option, bool value) { SetShowOptions(WithShowOption(fShowOptions, option, value)); }
  void ApplySystemStyles();
  void SelectedFilesChanged();
  void SelectNamedItems();
  // Whether the browser is bound to folder.
  bool SameFolder(PCItemIDList folder);
  // Changes the names without selecting anything.
  struct TSilentNames {
    TNsShellList& List;
    bool Previous;
    explicit TSilentNames(TNsShellList& list) : List(list), Previous(list.fSelectedListSilent) {
      List.fSelectedListSilent = true;
    }
    ~TSilentNames() { List.fSelectedListSilent = Previous; }
  };
  void ClearSelection();
  // Starts the browser's enumeration of the folder over.
  void RestartEnumeration();
  void AddSubItems(TNsShellListItem* item);
  // Tells the link of the one item now selected (FileChanged).
  void ReportSingleSelection(TNsShellListItem* item);
  // Commands.
  void SetRenameHandler();
  // The in-folder names of the selected items into the browser's MultiObjects.
  void CollectSelectedObjects();
  // The full paths of the selected items (the parent-folder item left out).
  void SelectedFullPaths(TStringList& paths);
  void MarkSelectedCut();
  // Copy and cut of files: the clipboard gets data every program reads.
  bool PutSelectedOnClipboard(bool cut);
  bool CanPutSelectedOnClipboard();
  bool AllowedByHandler(const std::wstring& verb);
  // Where the shell has no paste verb, the clipboard's files are pasted
  // with the shell's file operation.
  bool PasteWithoutShellVerb(const std::wstring& folder);
  void ReportPaste(const TStringList* pasted, const std::wstring& Destination);
  void RestartUpdateTimer();
  // The right click (WM_CONTEXTMENU), from the mouse or the keyboard.
  void ContextMenuRequested(TMessage& message);
  bool ShowInfoTipAtItem(HWND tooltip);
  void TrackMouse();
  // Puts the items SmartRefresh added at their places by the sort; first
  // is the index of the first added one.
  void PlaceAddedItems(int first);
  void WatchShownFolder();
  void DirectoryChanged(const std::vector<std::wstring>& names);
  // Whether the details view would show an item without its texts.
  bool NeedsDetails(TNsShellListItem* item) const;
  // The item's column texts, the browser put on it first.
  void FillDetails(TNsShellListItem* item);
  // Whether an item is still one of the list's after code that may have
  // refreshed or navigated (an event handler); Deletions is the count of
  // deleted items taken before.
  bool ItemSurvived(const TListItem* item, int Deletions);
  // False when a handler took the item away meanwhile.
  bool FillThumbnail(TNsShellListItem* item);
  void DeleteBackgroundFile();
  void AttachLargeImages();
  void SaveColumnWidths();
  bool ThemesEnabled() const;
  void LoadSortArrows();
  void SetHeaderSortArrow(int Column, bool Reverse, bool sorted, bool themed);
  void SubclassHeader(HWND header);
  // The header goes with the window; its subclass must not outlive it.
  void UnsubclassHeader();
  static LRESULT CALLBACK HeaderWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  // Posted after an edit renamed an item: the list is sorted again.
  static constexpr UINT kAfterRename = WM_APP + 0x2E3;

  TNsShellListItems fTypedItems;
  bool fSelectedListSilent = false;
  // Items deleted since the list was made: the cheap test that none went.
  int fItemDeletions = 0;
  bool fSelectingAll = false;
  // Owned by the list (as a component), freed with the window.
  TNsBackgroundContextMenu* fNsBackgroundCM = nullptr;
  std::unique_ptr<TDirectoryWatcher> fDirectoryWatcher;
  bool fMouseInControl = false;
  int fInfoTipItem = -1;
  POINT fDblClickPoint{};
};

}  // namespace ts
