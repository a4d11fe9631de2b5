// The folder combo: its items (the desktop, its top-level items, the
// computer's items and the chain down to the current folder), the link to
// the pane's other controls, the typed path, the change notifier and the
// options.
#include "controls/ShellCombo.h"

#include <shellapi.h>

#include <vector>

#include "link/NsShellLink.h"
#include "shell/ItemIdListPaths.h"
#include "shell/LookAndFeel.h"
#include "shell/NsBrowserError.h"
#include "shell/PathVariables.h"
#include "shell/SameItem.h"
#include "shell/ShellGlobals.h"
#include "shell/SpecialFolders.h"
#include "toolkit/Application.h"
#include "toolkit/Exception.h"

namespace ts {

namespace {

// What makes the combo rebuild: drives, media and shares that come and go
// (0x30DC0).
const TNotificationEvents kRefreshEvents{neDriveAdd,    neDriveRemove,  neShellDriveAdd, neMediaInsert,
                                         neMediaRemove, neNetShare,     neNetUnShare};

// A drive root's name: three characters, the second a colon ("C:\").
bool IsDriveName(const std::wstring& name) { return name.size() == 3 && name[1] == L':'; }

std::vector<std::wstring> PathComponents(const std::wstring& path) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  while (start < path.size()) {
    size_t end = path.find(L'\\', start);
    if (end == std::wstring::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// Holds the combo's reports to the link for the length of a scope.
class TLinkReportHold {
public:
  explicit TLinkReportHold(int& hold) : fHold(hold) { ++fHold; }
  ~TLinkReportHold() { --fHold; }
  TLinkReportHold(const TLinkReportHold&) = delete;
  TLinkReportHold& operator=(const TLinkReportHold&) = delete;

private:
  int& fHold;
};

}  // namespace

TNsShellCombo::TNsShellCombo(TComponent* AOwner) : TNsCustomFolderCombo(AOwner) {
  FInitialized = false;
  fShowContextMenu = true;
  fShowOptions = TNsShellShowOptions{soShowNethood, soShowRecycleBin};
  fNsBrowser->SetFileSystemOnly(false);
  fNsBrowser->SetShowErrorMessages(false);
  FImageList = std::make_unique<TNsSystemImageList>(nullptr);
  SetStyle(csOwnerDrawVariable);
  SetEditable(true);
  FShowFullPath = false;
  SetParentFont(false);
  fShellChangeNotifier = std::make_unique<TNsShellChangeNotifier>(this);
  fShellChangeNotifier->SetEventFilter(kRefreshEvents);
  fShellChangeNotifier->OnChangePIDL = [this](TObject* sender, TNotificationEvent event, PCItemIDList pidl1,
                                              PCItemIDList pidl2) { ShellChangeNotified(sender, event, pidl1, pidl2); };
  fShellChangeNotifier->SetRecursive(true);
  fShellChangeNotifier->SetPIDL(DesktopItemIdList);
  SetAutomaticRefresh(true);
  SetUseSystemFont(true);
}

TNsShellCombo::~TNsShellCombo() {
  DestroyHandle();
  ClearComboItems();
  SetShellLink(nullptr);
  fShellChangeNotifier.reset();
}

HRESULT TNsShellCombo::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_INsShellControl)) {
    *object = static_cast<INsShellControl*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

void TNsShellCombo::SetShellLink(TNsShellLink* link) { AssignShellLink(FShellLink, link, this); }

// Properties.

void TNsShellCombo::SetAutomaticRefresh(bool value) {
  fAutomaticRefresh = value;
  fShellChangeNotifier->SetEnabled(value);
}

void TNsShellCombo::SetFileSystemOnly(bool value) {
  fNsBrowser->SetFileSystemOnly(value);
  FullRefresh();
}

void TNsShellCombo::SetShowOptions(TNsShellShowOptions value) {
  if (value == fShowOptions) return;
  // The combo lists folders only.
  fShowOptions = value.Exclude(soShowFiles);
  fNsBrowser->SetShowErrorMessages(fShowOptions.Contains(soShowErrorMessages));
  if (fShowOptions.Contains(soNoFillOnStartup) && !FInitialized && !IsDesigning()) return;
  FullRefresh();
}

void TNsShellCombo::SetShowFullPath(bool value) {
  if (value == FShowFullPath) return;
  FShowFullPath = value;
  const int index = GetItemIndex();
  if (!HandleAllocated() || index < 0 || !fEditField) return;
  // The edit field shows the selected folder the new way at once.
  std::wstring text = FShowFullPath ? GetSelectedFolder() : std::wstring();
  if (text.empty()) text = GetItems().Get(index);
  fEditField->SetText(text);
}

std::wstring TNsShellCombo::FaceText(TNsComboItem& item) {
  if (!FShowFullPath) return item.GetDisplayName();
  const std::wstring folder = GetSelectedFolder();
  return folder.empty() ? item.GetCaption() : folder;
}

// Window and life.

void TNsShellCombo::Loaded() {
  TNsCustomFolderCombo::Loaded();
  Change();
}

void TNsShellCombo::InitializeWindow() {
  TNsCustomFolderCombo::InitializeWindow();
  fAutoCompleteEnabled = false;
  if (FShellLink != nullptr) FShellLink->RegisterShellControl(this);
  InitializeItems();
}

void TNsShellCombo::DestroyWnd() {
  // The window made again shows the folder shown now.
  if (TNsComboItem* selected = ComboItem(GetItemIndex()); selected != nullptr && selected->GetPIDL() != nullptr)
    fPendingFolder.Reset(CopyItemIdList(selected->GetPIDL()));
  fListOpen = false;
  ClearComboItems();
  TNsCustomFolderCombo::DestroyWnd();
}

void TNsShellCombo::InitializeItems() {
  if (FInitialized) {
    if (GetItems().GetCount() == 0) FullRefresh();
  } else {
    ClearComboItems();
    fNsBrowser->SetSpecialFolder(SF_DESKTOP);
    if (IsDesigning()) return;
    FInitialized = true;
    if (fShowOptions.Contains(soNoFillOnStartup)) return;
    FullRefresh();
  }
  if (fPendingFolder && HandleAllocated() && GetItems().GetCount() > 0) {
    TPidl pending(fPendingFolder.Release());
    ShowFolderQuietly(pending.Get());
  }
}

void TNsShellCombo::ShowFolderQuietly(PCItemIDList PIDL) {
  struct TLinkOff {
    TNsShellLink* Link;
    bool Enabled;
    explicit TLinkOff(TNsShellLink* link) : Link(link), Enabled(link != nullptr && link->GetEnabled()) {
      if (Link != nullptr) Link->SetEnabled(false);
    }
    ~TLinkOff() {
      if (Link != nullptr) Link->SetEnabled(Enabled);
    }
  } linkOff(FShellLink);
  try {
    ShowFolder(PIDL);
    if (GetItemIndex() < 0) SelectComboItem(0);
  } catch (...) {
    // A folder that cannot be shown any more leaves the desktop selected.
    SelectComboItem(0);
  }
}

// The items.

void TNsShellCombo::DeleteComboItem(int index) {
  TNsComboItem* item = ComboItem(index);
  GetItems().Delete(index);
  try {
    delete item;
  } catch (...) {
    // The slot is gone either way.
  }
}

void TNsShellCombo::ClearComboItems() {
  std::vector<TNsComboItem*> items;
  for (int i = 0; i < GetItems().GetCount(); ++i) items.push_back(ComboItem(i));
  GetItems().Clear();
  for (TNsComboItem* item : items) {
    try {
      delete item;
    } catch (...) {
    }
  }
}

bool TNsShellCombo::InsertComboItem(int aIndex, const std::wstring& aCaption, const std::wstring& aDisplayName,
                                    int aIconNumber, int aIndent, PItemIDList PIDL, bool Persistent) {
  TPidl list(PIDL);
  const std::wstring caption = aCaption.empty() ? aDisplayName : aCaption;
  if (caption.empty()) return false;
  auto item = std::make_unique<TNsComboItem>(caption, aDisplayName, aIndent, aIconNumber);
  item->SetPIDL(list.Release());
  item->SetPersistent(Persistent);
  if (!DoAddFolder(item.get())) return false;
  const int count = GetItems().GetCount();
  if (aIndex < 0 || aIndex >= count)
    GetItems().AddObject(caption, item.get());
  else
    GetItems().InsertObject(aIndex, caption, item.get());
  item.release();
  return true;
}

void TNsShellCombo::InsertItem(int aIndex, const std::wstring& aCaption, const std::wstring& aDisplayName,
                               int aIconNumber, int aIndent, PItemIDList PIDL, bool Persistent) {
  InsertComboItem(aIndex, aCaption, aDisplayName, aIconNumber, aIndent, PIDL, Persistent);
}

void TNsShellCombo::AddShellItem(const std::wstring& aCaption, const std::wstring& aDisplayName, int aIconNumber,
                                 int aIndent, PItemIDList PIDL, bool Persistent) {
  InsertItem(-1, aCaption, aDisplayName, aIconNumber, aIndent, PIDL, Persistent);
}

void TNsShellCombo::AddFolder(const std::wstring& Path, int Indent, bool Persistent) {
  for (int i = 0; i < GetItems().GetCount(); ++i)
    if (GetItems().Get(i) == Path) return;
  SHFILEINFOW info{};
  std::wstring displayName = Path;
  int icon = -1;
  if (SHGetFileInfoW(Path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_DISPLAYNAME | SHGFI_SMALLICON)) {
    if (info.szDisplayName[0] != L'\0') displayName = info.szDisplayName;
    icon = info.iIcon;
  }
  InsertItem(-1, Path, displayName, icon, Indent, nullptr, Persistent);
}

bool TNsShellCombo::DoAddFolder(TNsComboItem* pItem) {
  bool canAdd = true;
  if (OnAddFolder) OnAddFolder(this, pItem, canAdd);
  return canAdd;
}

int TNsShellCombo::IndexOfPidl(PCItemIDList PIDL) const {
  for (int i = 0; i < const_cast<TNsShellCombo*>(this)->GetItems().GetCount(); ++i)
    if (TNsComboItem* item = ComboItem(i); item != nullptr && SameItemIdList(item->GetPIDL(), PIDL)) return i;
  return -1;
}

void TNsShellCombo::RemoveTransientItems(int Index) {
  for (int i = GetItems().GetCount() - 1; i > Index; --i) {
    TNsComboItem* item = ComboItem(i);
    if (item == nullptr || !item->GetPersistent()) DeleteComboItem(i);
  }
}

void TNsShellCombo::FullRefresh() {
  if (!HandleAllocated() || !GetEnabled()) return;
  TPidl remembered;
  if (TNsComboItem* selected = ComboItem(GetItemIndex())) remembered.Reset(CopyItemIdList(selected->GetPIDL()));
  ClearComboItems();

  const std::wstring desktopName = fNsBrowser->GetDesktopName();
  InsertComboItem(0, desktopName, desktopName, fNsBrowser->GetDesktopIconIndex(), 0,
                  CopyItemIdList(DesktopItemIdList), true);
  fNsBrowser->SetSpecialFolder(SF_DESKTOP);
  AddFolderItems(1, 1);
  if (GetItems().GetCount() >= 2) {
    // The computer's items go below the computer (the desktop's first
    // item wherever the computer cannot be told).
    TPidl computer(GetSpecialFolderItemIdList(SF_DRIVES));
    int at = IndexOfPidl(computer.Get());
    fNsBrowser->SetSpecialFolder(SF_DRIVES);
    AddFolderItems(at >= 1 ? at + 1 : 2, 2);
  }

  if (remembered) {
    ShowFolderQuietly(remembered.Get());
  } else if (FShellLink == nullptr && GetItems().GetCount() > 1) {
    SelectComboItem(1);
  }
  if (fEditField) fEditField->Invalidate();
}

void TNsShellCombo::AddFolderItems(int aIndex, int Indent) {
  int drivePosition = aIndex;
  int otherPosition = aIndex;
  TNsBrowser& browser = *fNsBrowser;
  while (browser.Next()) {
    if (!browser.IsFolder() || !ItemMatchesShowOptions(browser, fShowOptions)) continue;
    const std::wstring name = browser.GetObjectName();
    const bool drive = IsDriveName(name);
    // A vetoed item takes no place: the positions move only for those added.
    if (!InsertComboItem(drive ? drivePosition : otherPosition, name, browser.GetShellObjectName(true), -1, Indent,
                         CopyItemIdList(browser.GetAbsoluteItemIdList()), true))
      continue;
    if (drive) ++drivePosition;
    ++otherPosition;
  }
}

// Showing a folder.

void TNsShellCombo::ShowFolder(PCItemIDList PIDL) {
  if (PIDL == nullptr) return;
  if (!HandleAllocated()) {
    // Items live with the window: the folder waits for it.
    fPendingFolder.Reset(CopyItemIdList(PIDL));
    return;
  }
  fPendingFolder.Reset();
  {
    TLinkReportHold hold(fLinkReportHold);
    InitializeItems();
    const std::wstring path = ItemIdListToPath(PIDL);
    const bool isDesktop = DesktopItemIdList != nullptr && SameItemIdList(PIDL, DesktopItemIdList);
    // A folder with a path is shown below its drive; the others (and a path
    // that cannot be placed so) by their identifier lists.
    if (path.empty() || isDesktop || path[0] == L'\\' || !AddPathItems(path)) {
      RemoveTransientItems(-1);
      const int index = IndexOfPidl(PIDL);
      if (index >= 0)
        SetItemIndex(index);
      else
        AddPidlItems(PIDL);
    }
  }
  Change();
}

bool TNsShellCombo::AddPathItems(const std::wstring& Path) {
  RemoveTransientItems(-1);
  const std::wstring root = Path.substr(0, 3);
  int driveIndex = -1;
  for (int i = 0; i < GetItems().GetCount() && driveIndex < 0; ++i)
    if (GetItems().Get(i) == root) driveIndex = i;
  TNsComboItem* drive = ComboItem(driveIndex);
  if (drive == nullptr || drive->GetPIDL() == nullptr) return false;

  int position = driveIndex;
  try {
    fNsBrowser->SetFolderIdList(drive->GetPIDL());
    int indent = drive->GetIndent() + 1;
    for (const std::wstring& part : PathComponents(Path.substr(root.size()))) {
      fNsBrowser->SetObjectName(part);
      const int icon = fNsBrowser->GetIconNumber();
      if (!fNsBrowser->BrowseObject()) throw ENsBrowserError(L"Not a folder: " + part);
      ++indent;
      if (InsertComboItem(position + 1, part, part, icon, indent, fNsBrowser->GetFolderIdList(), false)) ++position;
    }
  } catch (const ENsBrowserError&) {
    // A folder of the path cannot be entered: leave the path to its
    // identifier list.
    RemoveTransientItems(-1);
    return false;
  }
  SelectComboItem(position);
  if (position != driveIndex) {
    // The folder shown gets its open picture.
    fNsBrowser->SelectParent();
    if (TNsComboItem* shown = ComboItem(position)) shown->SetImageIndex(fNsBrowser->GetSelectedIconNumber());
  }
  Invalidate();
  return true;
}

void TNsShellCombo::AddPidlItems(PCItemIDList PIDL) {
  RemoveTransientItems(-1);
  if (PIDL == nullptr || GetItems().GetCount() == 0) return;
  const int levels = GetItemIdCount(PIDL);
  int anchor = 0;
  int firstMissing = 1;
  for (int n = 1; n <= levels; ++n) {
    TPidl head(TruncateItemIdList(PIDL, n));
    for (int i = 0; i < GetItems().GetCount(); ++i) {
      TNsComboItem* item = ComboItem(i);
      if (item != nullptr && SameItemIdList(item->GetPIDL(), head.Get())) {
        anchor = i;
        firstMissing = n + 1;
      }
    }
  }
  int position = anchor;
  int indent = ComboItem(anchor) != nullptr ? ComboItem(anchor)->GetIndent() : 0;
  try {
    for (int level = firstMissing; level <= levels; ++level) {
      TPidl head(TruncateItemIdList(PIDL, level));
      fNsBrowser->SetAbsoluteItemIdList(head.Get());
      const std::wstring name = fNsBrowser->GetShellObjectName(true);
      ++indent;
      if (InsertComboItem(position + 1, name, name, -1, indent, head.Release(), false)) ++position;
    }
  } catch (const ENsBrowserError&) {
    // A level that cannot be reached ends the chain where it is.
  }
  SelectComboItem(position);
}

// Selection.

void TNsShellCombo::SelectComboItem(int index) {
  // Chosen by the program while the list is open: a cancel comes back here.
  fIndexBeforeDrop = index;
  TCustomComboBox::SetItemIndex(index);
  Select();
}

void TNsShellCombo::SetItemIndex(int value) {
  if (value < 0 || value == GetItemIndex()) return;
  {
    TLinkReportHold hold(fLinkReportHold);
    SelectComboItem(value);
    Change();
  }
  ReportPathToLink();
}

std::wstring TNsShellCombo::GetSelectedFolder() {
  TNsComboItem* item = ComboItem(GetItemIndex());
  return item != nullptr ? item->GetPath() : std::wstring();
}

void TNsShellCombo::SetSelectedFolder(const std::wstring& value) {
  try {
    fNsBrowser->SetFolder(value);
  } catch (const ENsBrowserError& e) {
    if (GetShowErrorMessages()) Application->ShowMessageBox(e.Message(), Application->GetTitle(), MB_OK | MB_ICONERROR);
    return;
  }
  TPidl folder(fNsBrowser->GetFolderIdList());
  ShowFolder(folder.Get());
}

void TNsShellCombo::Select() {
  TNsCustomFolderCombo::Select();
  if (fEditField) fEditField->SetText(GetText());
}

void TNsShellCombo::DropDown() {
  fIndexBeforeDrop = GetItemIndex();
  fListOpen = true;
  TNsCustomFolderCombo::DropDown();
}

void TNsShellCombo::CloseUp() {
  // A list closed without a pick or a cancel (the window lost the focus)
  // counts as cancelled.
  if (fListOpen) ListClosed(false);
  TNsCustomFolderCombo::CloseUp();
}

void TNsShellCombo::ListClosed(bool picked) {
  fListOpen = false;
  const int index = GetItemIndex();
  if (picked) {
    if (index >= 0 && index != fIndexBeforeDrop) Select();
    return;
  }
  if (index != fIndexBeforeDrop) TCustomComboBox::SetItemIndex(fIndexBeforeDrop);
}

void TNsShellCombo::Change() {
  const int index = GetItemIndex();
  if (!HandleAllocated() || index < 0) return;
  RemoveTransientItems(index);
  const std::wstring caption = GetItems().Get(index);
  if (FShowFullPath) {
    std::wstring text = GetSelectedFolder();
    // A virtual folder shows its caption.
    if (text.empty()) text = caption;
    SetText(text);
    if (fEditField) fEditField->Invalidate();
    TNsCustomFolderCombo::Change();
  } else {
    TNsCustomFolderCombo::Change();
    if (fEditField) fEditField->SetText(caption);
  }
  ReportPathToLink();
}

void TNsShellCombo::ReportPathToLink() {
  if (fLinkReportHold > 0 || FShellLink == nullptr || IsLoading()) return;
  TNsComboItem* item = ComboItem(GetItemIndex());
  if (item == nullptr) return;
  // A copy: the other controls pump messages while they follow, and the
  // combo may rebuild its items meanwhile.
  TPidl folder(CopyItemIdList(item->GetPIDL()));
  FShellLink->PathChanged(this, folder.Get());
}

// Keys, notifications, the context menu.

void TNsShellCombo::EditKeyPress(TObject* Sender, wchar_t& Key) {
  if (fAutoComplete && !fAutoCompleteEnabled && fEditField) {
    ts::SetAutoComplete(fEditField->GetHandle(), true, false);
    fAutoCompleteEnabled = true;
  }
  TNsCustomFolderCombo::EditKeyPress(Sender, Key);
  if (Key == L'\r') Key = 0;
}

void TNsShellCombo::EditKeyDown(TObject* Sender, WORD& Key, TShiftState Shift) {
  TNsCustomFolderCombo::EditKeyDown(Sender, Key, Shift);
  if (!fEditField) return;
  if (Key == 'A' && Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt)) {
    fEditField->SelectAll();
    Key = 0;
  } else if (Key == VK_RETURN) {
    Key = 0;
    SetSelectedFolder(ExpandPathVariables(fEditField->GetText()));
  }
}

void TNsShellCombo::ShellChangeNotified(TObject*, TNotificationEvent Event, PCItemIDList, PCItemIDList) {
  if (kRefreshEvents.Contains(Event)) FullRefresh();
}

void TNsShellCombo::WndProc(TMessage& message) {
  if (message.Msg == CN_COMMAND && fListOpen) {
    const WORD code = HIWORD(message.WParam);
    // Moving through the open list moves only its highlight.
    if (code == CBN_SELCHANGE) return;
    if (code == CBN_SELENDOK || code == CBN_SELENDCANCEL) {
      ListClosed(code == CBN_SELENDOK);
      return;
    }
  }
  if (message.Msg == WM_CONTEXTMENU && GetPopupMenu() == nullptr && fShowContextMenu && GetItemIndex() >= 0) {
    POINT point{static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam))};
    POINT client = point;
    if (point.x == -1 && point.y == -1) {
      RECT face;
      GetClientRect(fHandle, &face);
      client = POINT{face.right / 2, face.bottom / 2};
      point = client;
      ::ClientToScreen(fHandle, &point);
    } else {
      ::ScreenToClient(fHandle, &client);
    }
    if (!DoContextPopup(client)) ShowItemContextMenu(point);
    return;
  }
  TNsCustomFolderCombo::WndProc(message);
}

void TNsShellCombo::ShowItemContextMenu(POINT screenPoint) {
  TNsComboItem* item = ComboItem(GetItemIndex());
  if (item == nullptr || item->GetPIDL() == nullptr) return;
  const TCursor cursor = ScreenCursor();
  try {
    // The selected folder becomes the browser's current item.
    fNsBrowser->SetFolderIdList(item->GetPIDL());
    fNsBrowser->SelectParent();
    fNsBrowser->SetShowContextMenuOnTop(GetShowContextMenuOnTop());
    fNsBrowser->ShowContextMenu(screenPoint, nullptr, nullptr);
  } catch (...) {
    SetScreenCursor(cursor);
    throw;
  }
  SetScreenCursor(cursor);
}

}  // namespace ts
