// The shell list view: creation, the window's life, navigation and history,
// filling, selection by name and the smart refresh.
#include "controls/ShellList.h"

#include <windows.h>

#include <unordered_map>

#include "controls/ShellListBackgroundMenu.h"
#include "link/NsShellLink.h"
#include "notify/DirectoryWatcher.h"
#include "notify/NsShellChangeNotifier.h"
#include "shell/ItemIdListPaths.h"
#include "shell/LookAndFeel.h"
#include "shell/NsBrowserError.h"
#include "shell/NsSystemImageList.h"
#include "shell/PathClassification.h"
#include "shell/PidlHistory.h"
#include "shell/SameItem.h"
#include "shell/ShellGlobals.h"
#include "toolkit/Exception.h"
#include "toolkit/FilePaths.h"
#include "toolkit/ExtCtrls.h"
#include "toolkit/Forms.h"
#include "toolkit/Menus.h"
#include "work/GlobalWorkerPool.h"

namespace ts {

namespace {

constexpr wchar_t kVersionSuffix[] = L" V7.1.0.530";
constexpr wchar_t kParentFolderCaption[] = L" .. ";
// Above this many items a smart refresh costs more than a new fill.
constexpr int kSmartRefreshLimit = 500;
// A thumbnail younger than this (in days, about 17 s) is made again.
constexpr double kFreshThumbnailAge = 0.0002;

TNotificationEvents ListNotificationEvents() {
  return {neFileChange,  neFileCreate,   neFileDelete,   neFileRename,   neDriveAdd,
          neDriveRemove, neShellDriveAdd, neMediaInsert, neMediaRemove,  neFolderCreate,
          neFolderDelete, neFolderRename, neFolderUpdate, neNetShare,    neNetUnShare};
}

void TerminateJobsOf(const void* groupTag) {
  if (TWorkerThreadPool* pool = GlobalWorkerPool()) pool->TerminateWorkItems(0, TNsShellList::TagOf(groupTag));
}

// The byte image of an identifier list, to find byte-equal lists quickly.
std::string ItemIdListKey(PCItemIDList list) {
  const int size = GetItemIdListSize(list);
  return size > 0 ? std::string(reinterpret_cast<const char*>(list), static_cast<size_t>(size)) : std::string();
}

// Now in the platform's date form (days since 1899-12-30), universal time as
// the directory entries give it.
double UniversalNow() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER ticks;
  ticks.LowPart = now.dwLowDateTime;
  ticks.HighPart = now.dwHighDateTime;
  // 100 ns ticks since 1601-01-01; 109205 days lie between 1601-01-01 and 1899-12-30.
  return static_cast<double>(ticks.QuadPart) / 864000000000.0 - 109205.0;
}

}  // namespace

// Creation and destruction.

TNsShellList::TNsShellList(TComponent* AOwner)
    : TNsBaseShellListView(AOwner),
      fHistory(std::make_unique<TPidlHistory>()),
      fBackgroundImage(std::make_unique<TBitmap>()),
      fTypedItems(TCustomListView::GetItems()) {
  fNsBrowser = new TNsBrowser(this);
  try {
    // An empty folder is the computer folder.
    fNsBrowser->SetFolder(L"");
  } catch (const ENsBrowserError&) {
    // Without the shell layer the browser starts unbound.
  }
  fNsBrowser->SetShowErrorMessages(false);
  fNsBrowser->SetFileSystemOnly(false);
  fSmallSystemImageList = new TNsSystemImageList(this);
  fLargeSystemImageList = new TNsSystemImageList(this);
  fLargeSystemImageList->SetSize(si_large);
  fDetails = true;
  fShowFolders = true;
  fSortColumn = 0;
  TCustomListView::SetViewStyle(vsReport);
  SetMultiSelect(true);
  SetAllocBy(32);
  fShowParentFolder = false;
  fShowOptions = TNsShellShowOptions{soShowNethood, soShowRecycleBin, soShowFiles};
  fOleDragDrop = true;
  fContextMenu = true;
  fInitialPath.clear();
  SetAutoArrange(true);
  LoadSortArrows();
  fUpdateTimer = new TTimer(this);
  fUpdateTimer->SetEnabled(false);
  fUpdateTimer->SetInterval(300);
  fUpdateTimer->OnTimer = [this](TObject* sender) { UpdateTimerFired(sender); };
  fShellChangeNotifier = new TNsShellChangeNotifier(this);
  fShellChangeNotifier->SetEnabled(false);
  fShellChangeNotifier->SetEventFilter(ListNotificationEvents());
  fShellChangeNotifier->SetRecursive(false);
  fShellChangeNotifier->OnChangePIDL = [this](TObject* sender, TNotificationEvent event, PCItemIDList pidl1,
                                              PCItemIDList pidl2) { ShellChangeNotified(sender, event, pidl1, pidl2); };
  fDirectoryWatcher = std::make_unique<TDirectoryWatcher>();
  fDirectoryWatcher->OnChange = [this](const std::vector<std::wstring>& names) { DirectoryChanged(names); };
  fAutomaticRefresh = true;
  fUseSystemStyles = true;
  fCopyMode = cmDefault;
  fThumbnailWidth = 96;
  fThumbnailHeight = 96;
  fThumbnailBorderColor = 12632256;
  SetReadOnly(false);
  SetParentFont(false);
  fShowOverlayIcons = true;
}

TNsShellList::~TNsShellList() {
  Destroying();
  // Jobs hold the list as their viewer, without a reference: after this no
  // job calls it, neither with a result nor to let it go.
  TerminateJobsOf(this);
  SetShellLink(nullptr);
  fIgnoreChanges = true;
  fShellChangeNotifier->OnChangePIDL = nullptr;
  fDirectoryWatcher.reset();
  fUpdateTimer->OnTimer = nullptr;
  // The window goes while this class still exists, so that its own clean-up
  // runs; then the items, whose ends use the list.
  DestroyHandle();
  TCustomListView::GetItems().Clear();
  delete fNsBrowser;
  fNsBrowser = nullptr;
  delete fLargeSystemImageList;
  delete fSmallSystemImageList;
  fSelectedList.reset();
  delete fUpdateTimer;
  delete fShellChangeNotifier;
  fUpArrow.reset();
  fDownArrow.reset();
  fHistory.reset();
  fFolderIdList.Reset();
  fBackgroundImage.reset();
}

std::wstring TNsShellList::GetVersion() const { return ClassName() + kVersionSuffix; }

TListItem* TNsShellList::CreateListItem() {
  TListItems* owner = &TCustomListView::GetItems();
  TListItemClass itemClass = [](TListItems* items) -> TListItem* { return new TNsShellListItem(items); };
  if (OnCreateItemClass) OnCreateItemClass(this, itemClass);
  std::unique_ptr<TListItem> item(itemClass(owner));
  if (!item || !item->InheritsFrom(TNsShellListItem::StaticClass()))
    throw EInvalidArgument(L"Internal Error: TNsShellList.OnCreateNodeClass.ItemClass must inherit from TNsShellListItem.");
  return item.release();
}

// The window.

void TNsShellList::CreateWnd() {
  TNsBaseShellListView::CreateWnd();
  SubclassHeader(GetHeaderHandle());
  SetLargeImages(nullptr);
  AttachLargeImages();
  // The header is new: its sort mark too; the picture has a new file name.
  UpdateSortArrows();
  if (fBackgroundImage->GetWidth() > 0) ApplyBackgroundImage();
  RegisterDropTarget();
  if (!fInitialized) {
    fNsBrowser->Initialize();
    SetSmallImages(fSmallSystemImageList);
    if (!IsLoading()) ApplySystemStyles();
    fInitialized = true;
  } else {
    if (fShellLink != nullptr) fShellLink->RegisterShellControl(this);
    Loaded();
    FullRefresh();
  }
}

void TNsShellList::DestroyWnd() {
  RevokeDropTarget();
  UnsubclassHeader();
  DeleteBackgroundFile();
  delete fNsBackgroundCM;
  fNsBackgroundCM = nullptr;
  TNsBaseShellListView::DestroyWnd();
}

void TNsShellList::ApplySystemStyles() {
  if (fUseSystemStyles && HandleAllocated()) ApplyExplorerListStyle(*this);
}

void TNsShellList::Loaded() {
  TNsBaseShellListView::Loaded();
  if (GetItems().Count() == 0 && (!GetNoFillOnStartup() || IsDesigning() || GetRecreating())) {
    if (fInitialPath.empty()) {
      FullRefresh();
      AfterNavigate();
    } else {
      SetPath(fInitialPath);
    }
  }
  if (!fThumbnails) SetLargeImages(fLargeSystemImageList);
  if (fUseSystemStyles) ApplySystemStyles();
}

void TNsShellList::Notification(TComponent* component, TOperation operation) {
  TNsBaseShellListView::Notification(component, operation);
  if (operation == opRemove && component == fBackgroundPopupMenu) fBackgroundPopupMenu = nullptr;
}

void TNsShellList::WndProc(TMessage& message) {
  switch (message.Msg) {
    case CN_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(message.LParam);
      if (header->code == LVN_BEGINDRAG || header->code == LVN_BEGINRDRAG) {
        // The shell's drag and drop, never the framework's own.
        message.Result = 0;
        try {
          BeginOleDrag(header->code == LVN_BEGINRDRAG);
        } catch (...) {
          // A drag that cannot start leaves the list as it was.
        }
        return;
      }
      if (header->code != LVN_ITEMCHANGED) break;
      const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
      TNsBaseShellListView::WndProc(message);
      const bool becameSelected = (change->uChanged & LVIF_STATE) != 0 && (change->uNewState & LVIS_SELECTED) != 0 &&
                                  (change->uOldState & LVIS_SELECTED) == 0;
      auto* item = reinterpret_cast<TListItem*>(change->lParam);
      // One item alone became selected: the pane's other controls follow.
      if (becameSelected && item != nullptr && !Updating() && !fSelectingAll && !fIgnoreChanges && GetSelCount() == 1)
        ReportSingleSelection(static_cast<TNsShellListItem*>(item));
      return;
    }
    case WM_PARENTNOTIFY:
      TNsBaseShellListView::WndProc(message);
      if (LOWORD(message.WParam) == WM_CREATE && FHeaderHandle == nullptr) {
        HWND child = reinterpret_cast<HWND>(message.LParam);
        if (child == GetHeaderHandle()) SubclassHeader(child);
      }
      return;
    case WM_CAPTURECHANGED:
      TNsBaseShellListView::WndProc(message);
      UpdateSortArrows();
      return;
    case WM_CONTEXTMENU:
      ContextMenuRequested(message);
      return;
    case WM_LBUTTONDBLCLK:
      fDblClickPoint = POINT{static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam))};
      break;
    case WM_XBUTTONDOWN:
      // The back and forward buttons alone, no other button or key held.
      if (message.WParam == 0x10020 || message.WParam == 0x20040) {
        MoveInHistory(message.WParam == 0x10020 ? -1 : 1);
        message.Result = TRUE;
        return;
      }
      break;
    case WM_MOUSEMOVE:
      TrackMouse();
      break;
    case WM_MOUSELEAVE:
      fMouseInControl = false;
      if (OnMouseLeave) OnMouseLeave(this);
      break;
    case WM_INITMENUPOPUP:
    case WM_MEASUREITEM:
    case WM_DRAWITEM: {
      // The shell's owner-drawn sub menus draw through the browser.
      TNsBaseShellListView::WndProc(message);
      TMessage forwarded = message;
      fNsBrowser->HandlePopupMessages(forwarded);
      return;
    }
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(message.LParam);
      if (header->code == TTN_SHOW &&
          header->hwndFrom == reinterpret_cast<HWND>(SendMessageW(fHandle, LVM_GETTOOLTIPS, 0, 0)) &&
          ShowInfoTipAtItem(header->hwndFrom)) {
        message.Result = TRUE;
        return;
      }
      break;
    }
    case kAfterRename:
      if (GetViewStyle() == vsIcon)
        FullRefresh();
      else
        Sort();
      return;
    default:
      break;
  }
  TNsBaseShellListView::WndProc(message);
}

void TNsShellList::ReportSingleSelection(TNsShellListItem* item) {
  if (IsLoading() || fShellLink == nullptr || item->GetIsParentFolderItem() || item->GetRelativePIDL() == nullptr)
    return;
  TPidl folder(fNsBrowser->GetFolderIdList());
  // The item's list is copied: the link's partners may refill this list.
  TPidl file(CopyItemIdList(item->GetRelativePIDL()));
  fShellLink->FileChanged(this, folder.Get(), file.Get());
}

void TNsShellList::SelectAll() {
  {
    // Selecting item after item passes through one selected item: that is
    // no selection of one file to tell the link of.
    const bool selecting = fSelectingAll;
    fSelectingAll = true;
    struct TRestore {
      bool& Flag;
      bool Value;
      ~TRestore() { Flag = Value; }
    } restore{fSelectingAll, selecting};
    TNsBaseShellListView::SelectAll();
  }
  if (fSelectingAll || GetSelCount() != 1) return;
  if (TNsShellListItem* only = GetSelected()) ReportSingleSelection(only);
}

// Properties.

void TNsShellList::SetAutomaticRefresh(bool value) {
  fAutomaticRefresh = value;
  fShellChangeNotifier->SetEnabled(value);
  WatchShownFolder();
}

void TNsShellList::SetDetails(bool value) {
  if (value == fDetails) return;
  fDetails = value;
  FullRefresh();
}

void TNsShellList::SetFileSystemOnly(bool value) {
  fNsBrowser->SetFileSystemOnly(value);
  FullRefresh();
}

void TNsShellList::SetFilter(const std::wstring& value) {
  if (value == fNsBrowser->GetFilter()) return;
  fNsBrowser->SetFilter(value);
  FullRefresh();
}

void TNsShellList::SetBackgroundPopupMenu(TPopupMenu* value) {
  if (fBackgroundPopupMenu != nullptr) fBackgroundPopupMenu->RemoveFreeNotification(this);
  fBackgroundPopupMenu = value;
  if (value != nullptr) value->FreeNotification(this);
}

void TNsShellList::SetShowFolders(bool value) {
  if (value == fShowFolders) return;
  fShowFolders = value;
  FullRefresh();
}

void TNsShellList::SetShowParentFolder(bool value) {
  if (value == fShowParentFolder) return;
  fShowParentFolder = value;
  FullRefresh();
}

void TNsShellList::SetShowOptions(TNsShellShowOptions value) {
  if (value == fShowOptions) return;
  fShowOptions = value;
  fNsBrowser->SetShowErrorMessages(value.Contains(soShowErrorMessages));
  if (value.Contains(soNoFillOnStartup) && !fInitialized && !IsDesigning()) return;
  FullRefresh();
}

void TNsShellList::SetShowOverlayIcons(bool value) {
  if (value == fShowOverlayIcons) return;
  fShowOverlayIcons = value;
  FullRefresh();
}

void TNsShellList::SetUseSystemStyles(bool value) {
  fUseSystemStyles = value;
  if (!IsLoading()) ApplySystemStyles();
}

void TNsShellList::SetViewStyle(TViewStyle value) {
  if (value == vsSmallIcon && IsWinXPOrLater) value = vsList;
  TNsBaseShellListView::SetViewStyle(value);
  if (!IsLoading()) {
    UpdateSortArrows();
    SetThumbnails(false);
  } else if (value != vsIcon) {
    fThumbnails = false;
  }
}

// Navigation.

std::wstring TNsShellList::GetPath() { return IsLoading() ? fInitialPath : fNsBrowser->GetFolder(); }

void TNsShellList::SetPath(const std::wstring& value) {
  if (GetRecreating()) return;
  if (IsLoading()) {
    fInitialPath = value;
    GetItems().Clear();
    return;
  }
  if (SamePath(value, GetPath()) && GetItems().Count() > 1) return;
  fNsBrowser->SetFolder(value);
  AfterNavigate();
  FullRefresh();
}

TNsShellFolder TNsShellList::GetSpecialFolder() {
  const TNsShellFolder folder = fNsBrowser->GetSpecialFolder();
  if (folder == SF_DRIVES && !GetPath().empty()) return SF_FILESYSTEMFOLDER;
  return folder;
}

void TNsShellList::SetSpecialFolder(TNsShellFolder value) {
  if (value != SF_FILESYSTEMFOLDER) {
    fNsBrowser->SetSpecialFolder(value);
    fInitialPath.clear();
    AfterNavigate();
  }
  FullRefresh();
}

PCItemIDList TNsShellList::GetFolderIdList() {
  if (!fFolderIdList) fFolderIdList.Reset(fNsBrowser->GetFolderIdList());
  return fFolderIdList.Get();
}

void TNsShellList::SetFolderIdList(PCItemIDList value) {
  fNsBrowser->SetFolderIdList(value);
  AfterNavigate();
  FullRefresh();
}

bool TNsShellList::GoUp() {
  fNsBrowser->SelectParent();
  // The browser's current item is now the folder just left.
  std::wstring name = fNsBrowser->GetObjectName();
  if (name.empty()) name = fNsBrowser->GetShellObjectName(true);
  AfterNavigate();
  FullRefresh();
  TStringList names;
  if (!name.empty()) names.Add(name);
  SetSelectedFiles(names);
  return true;
}

void TNsShellList::MoveInHistory(int Delta) {
  struct TMoving {
    bool& Flag;
    explicit TMoving(bool& flag) : Flag(flag) { Flag = true; }
    ~TMoving() { Flag = false; }
  } moving(fIsMoving);
  if (fHistory->GetCount() == 0) return;
  if (Delta <= 0)
    fHistory->MoveBack(-Delta);
  else
    fHistory->MoveForward(Delta);
  // The history's list is copied before the browser moves, which may grow
  // the history.
  TPidl target(CopyItemIdList(fHistory->GetCurrentItemIDList()));
  SetFolderIdList(target.Get());
}

bool TNsShellList::IsMovePossible(int Delta) const {
  if (Delta < 1) return fHistory->GetPosition() >= -Delta;
  return fHistory->GetCount() - 1 - fHistory->GetPosition() >= Delta;
}

void TNsShellList::AfterNavigate() {
  ClearSelection();
  if (!fIsMoving) fHistory->Add(fNsBrowser->GetFolderIdList());
  if (fShellLink != nullptr && !IsLoading()) {
    TPidl folder(fNsBrowser->GetFolderIdList());
    fShellLink->PathChanged(this, folder.Get());
    if (OnPathChanged) OnPathChanged(this);
  }
}

void TNsShellList::PathChanged(PCItemIDList PIDL) {
  if (PIDL == nullptr) return;
  try {
    fNsBrowser->SetFolderIdList(PIDL);
    if (!fIsMoving) fHistory->Add(fNsBrowser->GetFolderIdList());
    ClearSelection();
    if (OnPathChanged) OnPathChanged(this);
    FullRefresh();
  } catch (...) {
    // A folder the pane cannot show leaves an empty list, not an error box.
    GetItems().Clear();
  }
}

void TNsShellList::FileChanged(PCItemIDList FolderPIDL, PCItemIDList FilePIDL) {
  PathChanged(FolderPIDL);
  SelectItemByPIDL(FilePIDL);
}

// Filling.

void TNsShellList::RestartEnumeration() { fNsBrowser->SetShellFolder(fNsBrowser->GetShellFolder()); }

void TNsShellList::FullRefresh() {
  if (IsLoading() || !GetEnabled()) return;
  THourglassScope hourglass;
  fShellChangeNotifier->SetEnabled(false);
  TerminateJobsOf(this);
  if (OnBeforeFullRefresh) OnBeforeFullRefresh(this);
  fIsUpdating = true;
  struct TCleanUp {
    TNsShellList& List;
    ~TCleanUp() {
      List.fIsUpdating = false;
      List.fShellChangeNotifier->SetEnabled(List.fAutomaticRefresh);
    }
  } cleanUp{*this};

  TStringList selected;
  selected.Assign(*GetSelectedFiles());
  {
    TNsShellListItems& items = GetItems();
    items.BeginUpdate();
    struct TEndUpdate {
      TNsShellListItems& Items;
      ~TEndUpdate() { Items.EndUpdate(); }
    } endUpdate{items};
    items.Clear();
    fFolderIdList.Reset();
    fThumbNailImages->Clear();
    // The filter may compare every item with special folders: each is
    // located once for the whole fill.
    TSpecialFolderCache specialFolders;
    CreateColumns();
    RestartEnumeration();
    while (fNsBrowser->Next()) AddCurrentItem();
    if (fShowParentFolder) AddParentFolderItem();
    Sort();
    UpdateSortArrows();
  }
  GetSelectedFiles()->Clear();
  SetSelectedFiles(selected);
  if (OnPopulated) OnPopulated(this);
  if (fAutomaticRefresh) fShellChangeNotifier->SetPIDL(GetFolderIdList());
  WatchShownFolder();
}

void TNsShellList::AddCurrentItem() {
  const bool folder = fNsBrowser->IsFolder();
  if (folder && !fShowFolders) return;
  if (!ItemMatchesShowOptions(*fNsBrowser, fShowOptions)) return;
  const std::wstring name = fNsBrowser->GetShellObjectName(true);
  if (name.empty()) return;
  TNsShellListItem* item = GetItems().Add();
  item->SetCaption(name);
  item->SetRelativePIDL(fNsBrowser->GetItemIdList());
  item->SetImageIndex(-1);
  if (folder) item->Flags.Include(sitIsFolder);
  if (!OnAddItem) return;
  if (fDetails) AddSubItems(item);
  bool canAdd = true;
  OnAddItem(this, item, canAdd);
  if (!canAdd) item->Delete();
}

void TNsShellList::AddParentFolderItem(const std::wstring& Caption) {
  if (fShellLink != nullptr && !fShellLink->GetShowParentFolderItem()) return;
  if (GetSpecialFolder() == SF_DESKTOP) return;
  TNsShellListItem* item = GetItems().Add();
  item->SetCaption(Caption.empty() ? std::wstring(kParentFolderCaption) : Caption);
  item->SetImageIndex(-1);
  item->SetOverlayIndex(-1);
  item->Flags.Include(sitIsParentFolderItem);
  item->Flags.Include(sitIsFolder);
  item->SetCheckState(ssDisabled);
}

void TNsShellList::AddSubItems(TNsShellListItem* item) {
  TStringList& sub = item->GetSubItems();
  sub.BeginUpdate();
  for (int i = 1; i < fNumColumns; ++i)
    sub.Add(fNsBrowser->GetColumnText(ShellColumnNumber[static_cast<size_t>(i)], false));
  sub.EndUpdate();
}

bool TNsShellList::NeedsDetails(TNsShellListItem* item) const {
  return fDetails && fNumColumns > 1 && GetViewStyle() == vsReport && !item->GetIsParentFolderItem() &&
         item->GetSubItems().GetCount() == 0;
}

void TNsShellList::FillDetails(TNsShellListItem* item) {
  fNsBrowser->SetItemIdList(item->GetRelativePIDL());
  AddSubItems(item);
}

void TNsShellList::FillItem(TNsCheckableListItem* Item) {
  if (Item == nullptr || !Item->InheritsFrom(TNsShellListItem::StaticClass())) return;
  auto* item = static_cast<TNsShellListItem*>(Item);
  fNsBrowser->SetItemIdList(item->GetRelativePIDL());
  const bool parent = item->GetIsParentFolderItem();
  if (NeedsDetails(item)) AddSubItems(item);
  FillItemPictures(item);
  if (!parent) TNsBaseShellListView::FillItem(item);
}

void TNsShellList::ItemImageRequested(TListItem* item) {
  auto* shellItem = static_cast<TNsShellListItem*>(item);
  if (shellItem != nullptr && shellItem->GetInitialized()) {
    // Filled in another view: the details view shows the row's texts too.
    if (NeedsDetails(shellItem)) FillDetails(shellItem);
    // A placeholder that could not be made is not asked for again at every
    // paint; the item's job brings its picture.
    if (shellItem->GetPicturesRequested() && shellItem->GetImageIndex() < 0) {
      if (OnGetImageIndex) OnGetImageIndex(this, item);
      return;
    }
  }
  TNsBaseShellListView::ItemImageRequested(item);
}

void TNsShellList::Delete(TListItem* item) {
  ++fItemDeletions;
  // A drag that stood on the item forgets it.
  if (item == fDropItem) {
    fDropItem = nullptr;
    fDropTarget2.Reset();
  }
  TNsBaseShellListView::Delete(item);
}

bool TNsShellList::ItemSurvived(const TListItem* item, int Deletions) {
  return Deletions == fItemDeletions || TCustomListView::GetItems().IndexOf(item) >= 0;
}

void TNsShellList::RequestCheckState(TNsShellListItem*) {}

void TNsShellList::SmartRefresh() {
  if (IsLoading() || !GetEnabled() || fIsUpdating) return;
  TNsShellListItems& items = GetItems();
  if (items.Count() > kSmartRefreshLimit) {
    if (!IsEditing()) FullRefresh();
    return;
  }
  // Items by the bytes of their lists: a quick way to the item of an
  // object, before the folder's own comparison is asked.
  std::unordered_map<std::string, TNsShellListItem*> byList;
  for (int i = 0; i < items.Count(); ++i) {
    TNsShellListItem* item = items[i];
    if (item->GetIsParentFolderItem()) continue;
    item->Tag = 0;
    byList.emplace(ItemIdListKey(item->GetRelativePIDL()), item);
  }
  TSpecialFolderCache specialFolders;
  const bool drives = fNsBrowser->GetSpecialFolder() == SF_DRIVES;
  const int firstAdded = items.Count();
  RestartEnumeration();
  while (fNsBrowser->Next()) {
    if (!ItemMatchesShowOptions(*fNsBrowser, fShowOptions)) continue;
    TPidl current(fNsBrowser->GetItemIdList());
    TNsShellListItem* found = nullptr;
    auto it = byList.find(ItemIdListKey(current.Get()));
    if (it != byList.end()) {
      found = it->second;
    } else {
      const int index = IndexOfPIDL(current.Get());
      if (index >= 0) found = items[index];
    }
    if (found == nullptr) {
      AddCurrentItem();
      continue;
    }
    found->Tag = 1;
    // Drive labels change behind the list's back.
    if (drives) {
      const std::wstring caption = fNsBrowser->GetShellObjectName(true);
      if (caption != found->GetCaption()) found->SetCaption(caption);
    }
    if (fThumbnails) {
      const double changed = fNsBrowser->GetLastChangeDate();
      if (changed != 0 && UniversalNow() - changed < kFreshThumbnailAge) FillItem(found);
    }
  }
  TStringList cutPaths;
  std::wstring folder = GetPath();
  if (!folder.empty()) folder = IncludeTrailingPathDelimiter(folder);
  int added = items.Count() - firstAdded;
  for (int i = items.Count() - 1; i >= 0; --i) {
    TNsShellListItem* item = items[i];
    if (item->GetIsParentFolderItem()) continue;
    RequestCheckState(item);
    if (item->Tag != 0) continue;
    if (item->GetCut()) cutPaths.Insert(0, folder + item->GetCaption());
    items.Delete(i);
  }
  // New items come in where the sort puts them; the others keep their
  // order, places and selection.
  if (added > 0) PlaceAddedItems(items.Count() - added);
  if (cutPaths.GetCount() > 0) NotifyOperation({sopCut, sopRemove}, &cutPaths, std::wstring());
}


// Selection and names.

void TNsShellList::Change(TListItem* item, TItemChange change) {
  // The names stand for the selection they were read from.
  if (!fIgnoreChanges && change != ctImage && fSelectedList && fSelectedList->GetCount() > 0) {
    TSilentNames silent(*this);
    fSelectedList->Clear();
  }
  TNsBaseShellListView::Change(item, change);
}

void TNsShellList::ClearSelection() {
  if (HandleAllocated()) {
    LVITEMW lv{};
    lv.stateMask = LVIS_SELECTED;
    SendMessageW(GetHandle(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&lv));
  } else {
    for (int i = 0; i < GetItems().Count(); ++i) GetItems()[i]->SetSelected(false);
  }
}

TStringList* TNsShellList::GetSelectedFiles() {
  if (!fSelectedList) {
    fSelectedList = std::make_unique<TStringList>();
    fSelectedList->OnChange = [this](TObject*) { SelectedFilesChanged(); };
  }
  TStringList& names = *fSelectedList;
  TSilentNames silent(*this);
  if (GetSelCount() == 0) {
    names.Clear();
  } else if (names.GetCount() == 0) {
    for (TListItem* base = TCustomListView::GetNextItem(nullptr, sdAll, LVNI_SELECTED); base != nullptr;
         base = TCustomListView::GetNextItem(base, sdAll, LVNI_SELECTED)) {
      auto* item = static_cast<TNsShellListItem*>(base);
      if (item->GetIsParentFolderItem()) continue;
      fNsBrowser->SetItemIdList(item->GetRelativePIDL());
      std::wstring name = fNsBrowser->GetObjectName();
      if (name.empty()) name = fNsBrowser->GetShellObjectName(true);
      names.Add(name);
    }
  }
  return fSelectedList.get();
}

void TNsShellList::SetSelectedFiles(const TStringList& value) { GetSelectedFiles()->Assign(value); }

void TNsShellList::SelectedFilesChanged() {
  if (fSelectedListSilent) return;
  SelectNamedItems();
  // Selected one by one, the items pass through a selection of one: the
  // link hears only of the end, and only of a selection of one.
  if (!fIgnoreChanges && GetSelCount() == 1)
    if (TNsShellListItem* only = GetSelected()) ReportSingleSelection(only);
}

void TNsShellList::SelectNamedItems() {
  const bool ignoring = fIgnoreChanges;
  fIgnoreChanges = true;
  struct TRestore {
    bool& Flag;
    bool Value;
    ~TRestore() { Flag = Value; }
  } restore{fIgnoreChanges, ignoring};
  ClearSelection();
  TStringList& names = *fSelectedList;
  TPidl folder(fNsBrowser->GetFolderIdList());
  for (int i = 0; i < names.GetCount(); ++i) {
    const std::wstring& name = names[i];
    bool resolved = true;
    try {
      fNsBrowser->SetObjectName(name);
    } catch (const ENsBrowserError&) {
      resolved = false;  // a name that no longer resolves is skipped
    }
    // A name with a path may have taken the browser to another folder, also
    // when its last part then failed: that is no item of this list, and the
    // browser goes back to the list's folder.
    if (name.find(L'\\') != std::wstring::npos && !SameFolder(folder.Get())) {
      fNsBrowser->SetFolderIdList(folder.Get());
      continue;
    }
    if (!resolved) continue;
    TPidl list(fNsBrowser->GetItemIdList());
    const int index = IndexOfPIDL(list.Get());
    if (index < 0) continue;
    TNsShellListItem* item = GetItems()[index];
    item->SetSelected(true);
    item->SetFocused(true);
    item->MakeVisible(false);
  }
}

bool TNsShellList::SameFolder(PCItemIDList folder) {
  TPidl current(fNsBrowser->GetFolderIdList());
  if (folder == nullptr || !current) return folder == nullptr && !current;
  return SameItemIdList(folder, current.Get());
}

void TNsShellList::SelectItemByPIDL(PCItemIDList PIDL) {
  const int index = IndexOfPIDL(PIDL);
  if (index < 0) return;
  TNsShellListItem* item = GetItems()[index];
  item->SetSelected(true);
  item->SetFocused(true);
  item->MakeVisible(false);
}

int TNsShellList::IndexOfPIDL(PCItemIDList PIDL) {
  IShellFolder* folder = fNsBrowser->GetShellFolder();
  if (PIDL == nullptr || folder == nullptr) return -1;
  TNsShellListItems& items = GetItems();
  // A failed comparison says nothing about the items: it never matches.
  for (int i = 0; i < items.Count(); ++i) {
    PCItemIDList relative = items[i]->GetRelativePIDL();
    if (relative != nullptr && CompareIDsSaysSame(folder->CompareIDs(0, relative, PIDL))) return i;
  }
  return -1;
}

// Item queries.

std::wstring TNsShellList::GetFullPath(int Index) {
  return Index >= 0 && Index < GetItems().Count() ? GetFullPath(GetItems()[Index]) : std::wstring();
}

std::wstring TNsShellList::GetFullPath(TNsShellListItem* Item) {
  if (Item == nullptr) return {};
  if (Item->FullPath_Cache.empty()) Item->FullPath_Cache = ItemIdListToPath(Item->GetAbsolutePIDL());
  return Item->FullPath_Cache;
}

bool TNsShellList::IsFolder(int Index) {
  return Index >= 0 && Index < GetItems().Count() && IsFolder(GetItems()[Index]);
}

bool TNsShellList::IsFolder(TNsShellListItem* Item) {
  if (Item == nullptr) return false;
  fNsBrowser->SetItemIdList(Item->GetRelativePIDL());
  return fNsBrowser->IsFolder();
}

bool TNsShellList::IsSpecialObject(int Index) {
  return Index >= 0 && Index < GetItems().Count() && IsSpecialObject(GetItems()[Index]);
}

bool TNsShellList::IsSpecialObject(TNsShellListItem* Item) {
  if (Item == nullptr) return false;
  PCItemIDList absolute = Item->GetAbsolutePIDL();
  if (absolute == nullptr) return false;
  const TNsShellFolder kind = GetSpecialFolderOfItemIdList(absolute);
  return kind != SF_FILESYSTEMFOLDER && kind != SF_INVALID;
}

TNsSelectionState TNsShellList::GetItemSelectionState(int Index) {
  return Index >= 0 && Index < GetItems().Count() ? GetItems()[Index]->GetCheckState() : ssUnused;
}

int64_t TNsShellList::SelectedFilesSize() {
  int64_t total = 0;
  for (TListItem* base = TCustomListView::GetNextItem(nullptr, sdAll, LVNI_SELECTED); base != nullptr;
       base = TCustomListView::GetNextItem(base, sdAll, LVNI_SELECTED)) {
    auto* item = static_cast<TNsShellListItem*>(base);
    if (item->GetIsParentFolderItem()) continue;
    fNsBrowser->SetItemIdList(item->GetRelativePIDL());
    const int64_t size = fNsBrowser->GetFileSize();
    if (size > 0) total += size;
  }
  return total;
}

}  // namespace ts
