// The shell list view's commands: verbs on the selected items and on the
// folder shown, the shell's item menu and the list's own background menu,
// new folders, copy, cut and paste through the clipboard, and the report of
// every finished file operation.
#include <windows.h>
#include <shlobj.h>

#include <memory>

#include "controls/ShellList.h"
#include "controls/ShellListBackgroundMenu.h"
#include "link/NsSelectionList.h"
#include "link/NsShellLink.h"
#include "shell/FileOperationTargets.h"
#include "shell/FileProbes.h"
#include "shell/ItemIdListPaths.h"
#include "shell/NsBrowserError.h"
#include "shell/PathClassification.h"
#include "shell/ShellClipboard.h"
#include "shell/SelectionListFileOps.h"
#include "shell/ShellGlobals.h"
#include "shell/SystemErrorText.h"
#include "toolkit/Application.h"
#include "toolkit/Exception.h"
#include "toolkit/ExtCtrls.h"
#include "toolkit/FilePaths.h"
#include "toolkit/Strings.h"

namespace ts {

namespace {

bool IsVerb(const std::wstring& command, const wchar_t* verb) { return SameText(command, verb); }

}  // namespace

// Reports.

void TNsShellList::NotifyOperation(TNsShellOperations Operation, TStringList* Files, const std::wstring& Destination) {
  if (Operation.Contains(sopDelete)) {
    TNsShellListItems& items = GetItems();
    items.BeginUpdate();
    struct TEndUpdate {
      TNsShellListItems& Items;
      ~TEndUpdate() { Items.EndUpdate(); }
    } endUpdate{items};
    for (int i = items.Count() - 1; i >= 0; --i)
      if (items[i]->GetSelected()) items.Delete(i);
  }
  ReportShellOperation(this, fShellLink, OnOperation, Operation, Files, Destination);
  constexpr TNsShellOperations kChangesFolder{sopMove, sopDelete, sopRemove, sopRename};
  if (!(Operation * kChangesFolder).Empty() && fShellLink != nullptr) fShellLink->SmartRefresh(this);
}

void TNsShellList::ReportPaste(const TStringList* pasted, const std::wstring& Destination) {
  TStringList files;
  if (pasted != nullptr) files.Assign(*pasted);
  NotifyOperation(PasteOperations(pasted), &files, Destination);
}

void TNsShellList::RestartUpdateTimer() {
  fUpdateTimer->SetEnabled(false);
  fUpdateTimer->SetEnabled(true);
}

// The selection.

void TNsShellList::SetRenameHandler() {
  if (GetReadOnly())
    fNsBrowser->OnRename = nullptr;
  else
    fNsBrowser->OnRename = [this](TObject* sender) { StartRename(sender); };
}

void TNsShellList::CollectSelectedObjects() {
  auto names = std::make_unique<TStringList>();
  names->Assign(*GetSelectedFiles());
  fNsBrowser->SetMultiObjects(names.release());
}

void TNsShellList::SelectedFullPaths(TStringList& paths) {
  paths.Clear();
  std::wstring folder = GetPath();
  if (!folder.empty()) folder = IncludeTrailingPathDelimiter(folder);
  TStringList* names = GetSelectedFiles();
  for (int i = 0; i < names->GetCount(); ++i) paths.Add(folder + (*names)[i]);
}

void TNsShellList::MarkSelectedCut() {
  for (TListItem* item = TCustomListView::GetNextItem(nullptr, sdAll, LVNI_SELECTED); item != nullptr;
       item = TCustomListView::GetNextItem(item, sdAll, LVNI_SELECTED))
    item->SetCut(true);
}

bool TNsShellList::AllowedByHandler(const std::wstring& verb) {
  bool execute = true;
  if (fNsBrowser->OnContextMenuSelect) fNsBrowser->OnContextMenuSelect(fNsBrowser, verb, execute);
  return execute;
}

bool TNsShellList::CanPutSelectedOnClipboard() {
  // Files and folders with paths; virtual items are the shell's to copy.
  for (TListItem* base = TCustomListView::GetNextItem(nullptr, sdAll, LVNI_SELECTED); base != nullptr;
       base = TCustomListView::GetNextItem(base, sdAll, LVNI_SELECTED)) {
    auto* item = static_cast<TNsShellListItem*>(base);
    if (item->GetIsParentFolderItem()) continue;
    if (GetFullPath(item).empty()) return false;
  }
  return GetSelCount() > 0 && !GetPath().empty();
}

bool TNsShellList::PutSelectedOnClipboard(bool cut) {
  TStringList paths;
  for (TListItem* base = TCustomListView::GetNextItem(nullptr, sdAll, LVNI_SELECTED); base != nullptr;
       base = TCustomListView::GetNextItem(base, sdAll, LVNI_SELECTED)) {
    auto* item = static_cast<TNsShellListItem*>(base);
    if (!item->GetIsParentFolderItem()) paths.Add(GetFullPath(item));
  }
  if (paths.GetCount() == 0) return false;
  // The shell's own data object carries what the shell's other windows
  // read (the items' identifier lists); ours the names other programs read.
  CollectSelectedObjects();
  TComPtr<IDataObject> shellData;
  try {
    shellData = fNsBrowser->GetUIObjectAs<IDataObject>(IID_IDataObject);
  } catch (const ENsBrowserError&) {
    // Without it the files still go, as names.
  }
  return SetClipboardFiles(shellData.Get(), paths, cut ? DROPEFFECT_MOVE : DROPEFFECT_COPY);
}

bool TNsShellList::PasteWithoutShellVerb(const std::wstring& folder) {
  if (folder.empty() || GetReadOnly()) return false;
  std::unique_ptr<TStringList> files = GetClipboardFileList();
  if (!files || files->GetCount() == 0) return false;
  return PasteClipboardFiles(HandleAllocated() ? GetHandle() : nullptr, folder);
}

// Verbs.

bool TNsShellList::InvokeCommandOnSelected(const std::wstring& Command) {
  const int count = GetSelCount();
  if (count == 0) return false;
  TNsShellListItem* selected = GetSelected();
  if (count == 1 && selected != nullptr && selected->GetIsParentFolderItem()) {
    if (IsVerb(Command, L"DEFAULT")) GoUp();
    return true;
  }
  SetRenameHandler();
  std::unique_ptr<TStringList> pasted;
  TStringList deleted;
  if (IsVerb(Command, L"paste")) pasted = GetClipboardFileList();
  if (IsVerb(Command, L"delete")) SelectedFullPaths(deleted);
  // Copies and cuts go through the list's own data, which every program
  // reads, wherever the items have paths.
  if ((IsVerb(Command, L"copy") || IsVerb(Command, L"cut")) && CanPutSelectedOnClipboard()) {
    if (!AllowedByHandler(Command) || !PutSelectedOnClipboard(IsVerb(Command, L"cut"))) return false;
    if (IsVerb(Command, L"cut")) MarkSelectedCut();
    return true;
  }

  bool result = false;
  std::wstring pasteFolder;
  if (count == 1 && selected != nullptr) {
    fNsBrowser->SetItemIdList(selected->GetRelativePIDL());
    const bool folder = fNsBrowser->IsFolder();
    if (IsVerb(Command, L"default") || IsVerb(Command, L"open")) {
      const bool zipInBin = folder && HasExtension(fNsBrowser->GetObjectName(), L".ZIP") &&
                            fNsBrowser->GetSpecialFolder() == SF_BITBUCKET;
      if (!folder || zipInBin) {
        const std::wstring target = fNsBrowser->IsLinkToFolder();
        if (!target.empty() && (IsRootPath(target) || TNsSelectionListFileOps::IsFolder(target))) {
          fNsBrowser->SetFolder(target);
          AfterNavigate();
          FullRefresh();
          return true;
        }
        result = fNsBrowser->InvokeContextMenuCommand(Command);
      } else {
        result = fNsBrowser->BrowseObject();
        if (result) {
          AfterNavigate();
          FullRefresh();
        }
        return result;
      }
    } else {
      if (IsVerb(Command, L"paste") && folder) pasteFolder = GetFullPath(selected);
      result = fNsBrowser->InvokeContextMenuCommand(Command);
    }
  } else {
    CollectSelectedObjects();
    result = fNsBrowser->InvokeContextMenuCommand(Command);
  }
  if (!result && IsVerb(Command, L"paste") && !pasteFolder.empty()) result = PasteWithoutShellVerb(pasteFolder);
  if (!result) return false;
  if (IsVerb(Command, L"delete")) {
    NotifyOperation(DeleteOperations, &deleted, std::wstring());
    if (!fAutomaticRefresh) RestartUpdateTimer();
  } else if (IsVerb(Command, L"paste")) {
    ReportPaste(pasted.get(), GetPath());
  } else if (IsVerb(Command, L"cut")) {
    MarkSelectedCut();
  }
  return true;
}

bool TNsShellList::InvokeCommandOnFolder(const std::wstring& Command) {
  std::unique_ptr<TStringList> pasted;
  if (IsVerb(Command, L"paste")) pasted = GetClipboardFileList();
  bool result = false;
  {
    // The folder becomes the current item of a browser of its parent.
    TNsBrowser browser(nullptr);
    browser.SetShowErrorMessages(fNsBrowser->GetShowErrorMessages());
    browser.OnContextMenuSelect = fNsBrowser->OnContextMenuSelect;
    browser.OnBeforeShellCommand = fNsBrowser->OnBeforeShellCommand;
    try {
      TPidl folder(fNsBrowser->GetFolderIdList());
      browser.SetFolderIdList(folder.Get());
      browser.SelectParent();
      result = browser.InvokeContextMenuCommand(Command);
    } catch (const ENsBrowserError&) {
      result = false;
    }
  }
  if (!result && IsVerb(Command, L"paste")) result = PasteWithoutShellVerb(GetPath());
  if (result && IsVerb(Command, L"paste")) ReportPaste(pasted.get(), GetPath());
  RestartUpdateTimer();
  return result;
}

// Menus.

std::wstring TNsShellList::ShowContextMenu(POINT Point) {
  if (GetSelCount() == 0) return {};
  TNsShellListItem* selected = GetSelected();
  const bool onlyParent = GetSelCount() == 1 && selected != nullptr && selected->GetIsParentFolderItem();
  SetRenameHandler();
  std::unique_ptr<TStringList> pasted = GetClipboardFileList();
  TStringList deleted;
  if (!onlyParent) SelectedFullPaths(deleted);
  const std::wstring pasteTarget =
      selected != nullptr ? IncludeTrailingPathDelimiter(GetPath()) + selected->GetCaption() : std::wstring();
  fNsBrowser->SetReadOnly(GetReadOnly());
  fNsBrowser->SetShowContextMenuOnTop(GetShowContextMenuOnTop());
  if (OnContextPopup) {
    bool handled = false;
    OnContextPopup(this, ScreenToClient(Point), handled);
    if (handled) return {};
  }
  // The parent-folder item stands for no shell item: its menu is the
  // folder's own.
  if (onlyParent) {
    PopupBackgroundMenu(Point);
    return {};
  }
  CollectSelectedObjects();

  // Copy and cut chosen from the shell's menu go through the list's own data.
  const bool ownClipboard = CanPutSelectedOnClipboard();
  std::wstring ownVerb;
  TOnContextMenuSelectEvent userSelect = fNsBrowser->OnContextMenuSelect;
  fNsBrowser->OnContextMenuSelect = [&](TObject* sender, const std::wstring& command, bool& execute) {
    if (userSelect) userSelect(sender, command, execute);
    if (execute && ownClipboard && (IsVerb(command, L"copy") || IsVerb(command, L"cut"))) {
      ownVerb = command;
      execute = false;
    }
  };
  struct TRestoreSelect {
    TNsBrowser* Browser;
    TOnContextMenuSelectEvent& Saved;
    ~TRestoreSelect() { Browser->OnContextMenuSelect = Saved; }
  } restoreSelect{fNsBrowser, userSelect};

  std::wstring verb;
  try {
    verb = fNsBrowser->ShowContextMenu(Point, GetPopupMenu(), nullptr);
  } catch (const ENsBrowserError&) {
    SmartRefresh();
    return {};
  }
  if (!ownVerb.empty()) {
    if (!PutSelectedOnClipboard(IsVerb(ownVerb, L"cut"))) return {};
    verb = ownVerb;
  }
  if (IsVerb(verb, L"delete")) {
    NotifyOperation(DeleteOperations, &deleted, std::wstring());
  } else if (IsVerb(verb, L"undelete")) {
    RestartUpdateTimer();
  } else if (IsVerb(verb, L"paste")) {
    ReportPaste(pasted.get(), pasteTarget);
  } else if (IsVerb(verb, L"cut")) {
    MarkSelectedCut();
  }
  return verb;
}

void TNsShellList::PopupBackgroundMenu(POINT Point) {
  if (fBackgroundPopupMenu != nullptr) {
    fBackgroundPopupMenu->SetPopupComponent(this);
    fBackgroundPopupMenu->Popup(Point.x, Point.y);
    return;
  }
  if (fNsBackgroundCM == nullptr) fNsBackgroundCM = new TNsBackgroundContextMenu(this);
  fNsBackgroundCM->SetPopupComponent(this);
  fNsBackgroundCM->Popup(Point.x, Point.y);
}

void TNsShellList::ContextMenuRequested(TMessage& message) {
  message.Result = 0;
  POINT point{static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam))};
  TNsShellListItem* item = nullptr;
  POINT client{};
  if (point.x == -1 && point.y == -1) {
    item = GetSelected();
    if (item != nullptr) {
      const RECT bounds = item->DisplayRect(drSelectBounds);
      client = POINT{bounds.right, bounds.bottom};
    } else {
      client = POINT{1, 1};
    }
    point = ClientToScreen(client);
  } else {
    client = ScreenToClient(point);
    if ((GetHitTestInfoAt(client.x, client.y) & LVHT_NOWHERE) == 0)
      item = static_cast<TNsShellListItem*>(GetItemAt(client.x, client.y));
  }
  if (item != nullptr) {
    if (fContextMenu)
      ShowContextMenu(point);
    else
      DoContextPopup(client);
    return;
  }
  // In the details view a click on the header opens nothing.
  if (GetViewStyle() == vsReport) {
    HWND header = GetHeaderHandle();
    RECT headerBounds{};
    if (header != nullptr && IsWindowVisible(header)) {
      GetWindowRect(header, &headerBounds);
      if (point.y <= headerBounds.bottom - 1) return;
    }
  }
  PopupBackgroundMenu(point);
}

// New folders.

bool TNsShellList::CreateDir(const std::wstring& Name, bool EditMode) {
  try {
    const std::wstring folder = GetPath();
    std::wstring name = Name.empty() ? NewFolderCaption : Name;
    if (folder.empty()) throw EInOutError(L"Unable to create directory", 3);
    name = FreeNewFolderName(folder, name);
    const std::wstring path = IncludeTrailingPathDelimiter(folder) + name;
    if (!CreateDirectoryPath(path)) {
      const DWORD code = GetLastError();
      throw EInOutError(L"Unable to create directory " + path + L": " + GetSystemErrorText(static_cast<int>(code)),
                        static_cast<int32_t>(code));
    }
    SHChangeNotify(SHCNE_MKDIR, SHCNF_PATHW | SHCNF_FLUSH | SHCNF_FLUSHNOWAIT, path.c_str(), nullptr);
    if (EditMode) {
      SmartRefresh();
      TNsShellListItems& items = GetItems();
      for (int i = 0; i < items.Count(); ++i) {
        TNsShellListItem* item = items[i];
        if (item->GetCaption() != name) continue;
        ClearSelection();
        item->SetSelected(true);
        item->SetFocused(true);
        item->MakeVisible(false);
        item->EditCaption();
        break;
      }
    }
    return true;
  } catch (const Exception& e) {
    if (GetShowErrorMessages()) Application->ShowMessageBox(e.Message(), Application->GetTitle(), MB_OK | MB_ICONERROR);
    return false;
  }
}

}  // namespace ts
