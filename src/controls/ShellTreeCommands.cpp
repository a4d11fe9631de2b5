// The shell tree view's commands: verbs on the selected node, the shell's
// menu of it, copy, cut and paste through the clipboard, new folders, and
// the report of every finished file operation.
#include <windows.h>
#include <shlobj.h>

#include <memory>

#include "controls/ShellTree.h"
#include "link/NsShellLink.h"
#include "shell/FileOperationTargets.h"
#include "shell/FileProbes.h"
#include "shell/ItemIdListPaths.h"
#include "shell/NsBrowser.h"
#include "shell/NsBrowserError.h"
#include "shell/PathClassification.h"
#include "shell/SelectionListFileOps.h"
#include "shell/ShellClipboard.h"
#include "shell/ShellGlobals.h"
#include "shell/SystemErrorText.h"
#include "toolkit/Application.h"
#include "toolkit/Exception.h"
#include "toolkit/FilePaths.h"
#include "toolkit/Strings.h"

namespace ts {

namespace {

bool IsVerb(const std::wstring& command, const wchar_t* verb) { return SameText(command, verb); }

}  // namespace

// Reports.

void TNsShellTree::DoOperation(TNsShellOperations Operation, TStringList* Files, const std::wstring& Destination) {
  ReportShellOperation(this, fShellLink, OnOperation, Operation, Files, Destination);
}

// Helpers of the commands.

void TNsShellTree::SetRenameHandler() {
  if (GetReadOnly())
    fNsBrowser->OnRename = nullptr;
  else
    fNsBrowser->OnRename = [this](TObject* sender) { StartRenameSelected(sender); };
}

void TNsShellTree::StartRenameSelected(TObject*) {
  if (TNsShellTreeNode* selected = GetSelected()) selected->EditText();
}

const TOnContextMenuSelectEvent& TNsShellTree::GetOnContextMenuSelect() const { return fNsBrowser->OnContextMenuSelect; }

void TNsShellTree::SetOnContextMenuSelect(TOnContextMenuSelectEvent value) {
  fNsBrowser->OnContextMenuSelect = std::move(value);
}

std::wstring TNsShellTree::FileSystemPath(TNsShellTreeNode* node) const {
  if (!IsValidNode(node)) return {};
  const std::wstring path = GetFullPath(node);
  return IsDriveOrUNCPath(path) ? path : std::wstring();
}

bool TNsShellTree::AllowedByHandler(const std::wstring& verb) {
  bool execute = true;
  if (fNsBrowser->OnContextMenuSelect) fNsBrowser->OnContextMenuSelect(fNsBrowser, verb, execute);
  return execute;
}

bool TNsShellTree::PutOnClipboard(TNsShellTreeNode* node, bool cut) {
  const std::wstring path = node != nullptr && node->GetLevel() > 0 ? FileSystemPath(node) : std::wstring();
  if (path.empty()) return false;
  TStringList paths;
  paths.Add(path);
  // The shell's own data object carries what the shell's other windows
  // read (the item's identifier list); ours the name other programs read.
  TComPtr<IDataObject> shellData;
  if (PositionBrowserOn(node)) {
    try {
      shellData = fNsBrowser->GetUIObjectAs<IDataObject>(IID_IDataObject);
    } catch (const ENsBrowserError&) {
      // Without it the folder still goes, as a name.
    }
  }
  return SetClipboardFiles(shellData.Get(), paths, cut ? DROPEFFECT_MOVE : DROPEFFECT_COPY);
}

bool TNsShellTree::PasteWithoutShellVerb(TNsShellTreeNode* node) {
  if (GetReadOnly()) return false;
  const std::wstring folder = FileSystemPath(node);
  if (folder.empty() || !(IsRootPath(folder) || TNsSelectionListFileOps::IsFolder(folder))) return false;
  std::unique_ptr<TStringList> files = GetClipboardFileList();
  if (!files || files->GetCount() == 0) return false;
  return PasteClipboardFiles(HandleAllocated() ? GetHandle() : nullptr, folder);
}

void TNsShellTree::DeletedSelected(TStringList* Files) {
  SetChangeDelay(0);
  // With the automatic refresh the shell's notification takes the node away.
  if (!GetAutomaticRefresh())
    if (TNsShellTreeNode* selected = GetSelected(); selected != nullptr && selected->GetLevel() > 0) selected->Delete();
  DoOperation(DeleteOperations, Files, std::wstring());
}

void TNsShellTree::PastedInto(const TStringList* pasted, TNsShellOperations nothingPasted) {
  Application->ProcessMessages();
  SmartRefresh();
  const TNsShellOperations operation = pasted == nullptr ? nothingPasted : PasteOperations(pasted);
  TStringList files;
  if (pasted != nullptr) files.Assign(*pasted);
  DoOperation(operation, pasted != nullptr ? &files : nullptr, GetSelectedFolder());
}

// Verbs.

bool TNsShellTree::InvokeCommandOnSelected(const std::wstring& Command) {
  TNsShellTreeNode* selected = GetSelected();
  if (selected == nullptr) return false;
  SetRenameHandler();
  const bool paste = IsVerb(Command, L"paste");
  std::unique_ptr<TStringList> files;
  if (paste) {
    files = GetClipboardFileList();
  } else {
    files = std::make_unique<TStringList>();
    files->Add(GetSelectedFolder());
  }
  // A verb may pump messages (the shell's dialogs): the node is watched.
  TTreeNodeWatch watch(*this, selected);
  bool result = true;
  if (IsValidNode(selected)) {
    const bool copyOrCut = IsVerb(Command, L"copy") || IsVerb(Command, L"cut");
    if (copyOrCut && selected->GetLevel() > 0 && !FileSystemPath(selected).empty()) {
      // Copies and cuts of files and folders go through the tree's own
      // data, which every program reads.
      result = AllowedByHandler(Command) && PutOnClipboard(selected, IsVerb(Command, L"cut"));
    } else {
      result = false;
      if (PositionBrowserOn(selected)) {
        try {
          result = fNsBrowser->InvokeContextMenuCommand(Command);
        } catch (const ENsBrowserError&) {
          result = false;
        }
      }
      // A folder's menu that has no paste (Wine's) pastes through the shell's
      // file operation.
      if (!result && paste && watch.Get() != nullptr) result = PasteWithoutShellVerb(selected);
    }
  }
  if (!result) return false;
  if (IsVerb(Command, L"delete")) {
    DeletedSelected(files.get());
  } else if (paste) {
    PastedInto(files.get(), PasteAddOperations);
  } else if (IsVerb(Command, L"cut")) {
    if (watch.Get() != nullptr) selected->SetCut(true);
  }
  return true;
}

// The shell's menu.

POINT TNsShellTree::SelectedMenuPoint() {
  TNsShellTreeNode* selected = GetSelected();
  if (selected == nullptr) return ClientToScreen(POINT{1, 1});
  const RECT text = selected->DisplayRect(true);
  return ClientToScreen(POINT{text.right, text.bottom});
}

bool TNsShellTree::ContextMenuRequested(TMessage& message) {
  TNsShellTreeNode* selected = GetSelected();
  if (!fContextMenu || !IsValidNode(selected)) return false;
  POINT point{static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam))};
  // A request from the keyboard has no place of its own: the menu opens at
  // the selected node.
  if (point.x <= 0) point = SelectedMenuPoint();
  std::wstring verb;
  ShowContextMenu(point, verb);
  message.Result = 0;
  return true;
}

void TNsShellTree::ShowContextMenu(POINT Point, std::wstring& Verb) {
  Verb.clear();
  TNsShellTreeNode* selected = GetSelected();
  if (!IsValidNode(selected)) return;
  TTreeNodeWatch watch(*this, selected);
  TNsShellTreeNode* parent = selected->GetParent();
  watch.Add(parent);
  if (!PositionBrowserOn(selected)) {
    if (parent != nullptr) RefreshNode(parent, false, false);
    return;
  }
  SetRenameHandler();
  std::unique_ptr<TStringList> pasted = GetClipboardFileList();
  TStringList files;
  files.Add(GetSelectedFolder());
  fNsBrowser->SetReadOnly(GetReadOnly());
  fNsBrowser->SetShowContextMenuOnTop(GetShowContextMenuOnTop());
  if (OnContextPopup) {
    bool handled = false;
    OnContextPopup(this, ScreenToClient(Point), handled);
    if (handled) return;
  }
  if (watch.Get() == nullptr || !PositionBrowserOn(selected)) return;

  // Copy and cut chosen from the shell's menu go through the tree's own data.
  const bool ownClipboard = selected->GetLevel() > 0 && !FileSystemPath(selected).empty();
  std::wstring ownVerb;
  TOnContextMenuSelectEvent userSelect = fNsBrowser->OnContextMenuSelect;
  fNsBrowser->OnContextMenuSelect = [&](TObject* sender, const std::wstring& command, bool& execute) {
    if (userSelect) userSelect(sender, command, execute);
    const bool cut = IsVerb(command, L"cut");
    if (execute && ownClipboard && (IsVerb(command, L"copy") || (cut && !GetReadOnly()))) {
      ownVerb = command;
      execute = false;
    }
  };
  struct TRestoreSelect {
    TNsBrowser* Browser;
    TOnContextMenuSelectEvent& Saved;
    ~TRestoreSelect() { Browser->OnContextMenuSelect = Saved; }
  } restoreSelect{fNsBrowser, userSelect};

  try {
    Verb = fNsBrowser->ShowContextMenu(Point, GetPopupMenu(), nullptr);
  } catch (const ENsBrowserError&) {
    // The item is no longer what the tree thinks: its folder is read again.
    if (watch.Alive(parent)) RefreshNode(parent, false, false);
    return;
  }
  if (!ownVerb.empty()) {
    if (!watch.Alive(selected) || !PutOnClipboard(selected, IsVerb(ownVerb, L"cut"))) return;
    Verb = ownVerb;
  }
  if (IsVerb(Verb, L"delete")) {
    DeletedSelected(&files);
  } else if (IsVerb(Verb, L"empty")) {
    // The recycle bin was emptied.
    if (TNsShellTreeNode* now = GetSelected()) now->Refresh(false);
    if (fShellLink != nullptr) fShellLink->Refresh();
  } else if (IsVerb(Verb, L"cut")) {
    if (watch.Alive(selected)) selected->SetCut(true);
  } else if (IsVerb(Verb, L"paste")) {
    PastedInto(pasted.get(), PasteOperations(nullptr));
  }
}

// New folders.

bool TNsShellTree::CreateDir(const std::wstring& path, const std::wstring& foldername, bool editmode) {
  if (path.empty()) return false;
  try {
    const std::wstring folder = IncludeTrailingPathDelimiter(path);
    // A name that is taken would open the folder that has it for renaming.
    const std::wstring name = FreeNewFolderName(folder, foldername.empty() ? NewFolderCaption : foldername);
    const std::wstring created = folder + name;
    const bool folderExisted = IsRootPath(folder) || TNsSelectionListFileOps::IsFolder(folder);
    if (!CreateDirectoryPath(created)) {
      const DWORD code = GetLastError();
      throw EInOutError(L"Unable to create directory " + created + L": " + GetSystemErrorText(static_cast<int>(code)),
                        static_cast<int32_t>(code));
    }
    SHChangeNotify(SHCNE_MKDIR, SHCNF_PATHW | SHCNF_FLUSH | SHCNF_FLUSHNOWAIT, created.c_str(), nullptr);
    if (!folderExisted && DesktopFolder != nullptr) {
      // The folders made on the way are not in the tree yet: the deepest
      // one shown is read again, so that the way there can be found.
      TPidl list(PathToItemIdList(DesktopFolder, folder));
      if (list) LocateNode(list.Get(), laRefresh);
    }
    SetSelectedFolder(folder);
    TNsShellTreeNode* selected = GetSelected();
    if (selected == nullptr || !SamePath(GetFullPath(selected), folder)) return true;
    TTreeNodeWatch watch(*this, selected);
    selected->SetHasChildren(true);
    selected->Expand(false);
    if (watch.Get() != nullptr) RefreshNode(selected, false, true);
    if (watch.Get() == nullptr) return true;
    for (int i = 0; i < selected->Count(); ++i) {
      TNsShellTreeNode* child = selected->Item(i);
      if (!SameText(child->GetText(), name)) continue;
      if (editmode) {
        child->MakeVisible();
        child->EditText();
      }
      break;
    }
    return true;
  } catch (const Exception& e) {
    if (GetShowErrorMessages())
      Application->ShowMessageBox(e.Message(), Application->GetTitle(), MB_OK | MB_ICONERROR);
    return false;
  }
}

}  // namespace ts
