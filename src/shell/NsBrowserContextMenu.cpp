// The browser object: the shell's context menus (for items, for several items
// spread over folders, for a folder's background), merged with the
// application's own menus, and the shell's verbs run without a menu.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "shell/DropFilesDataObject.h"
#include "shell/FileExecution.h"
#include "shell/FileProbes.h"
#include "shell/NsBrowser.h"
#include "shell/NsBrowserError.h"
#include "shell/NsDesktopFolder.h"
#include "shell/NsPathList.h"
#include "shell/PathClassification.h"
#include "shell/PathDataObjects.h"
#include "shell/ShellFunctions.h"
#include "shell/ShellGlobals.h"
#include "toolkit/Application.h"
#include "toolkit/Exception.h"
#include "toolkit/FilePaths.h"
#include "toolkit/GuardedCall.h"
#include "toolkit/Strings.h"

namespace ts {

namespace {

// The command range of the shell handler in a shown menu, and the wider one
// of a menu that is never shown.
constexpr UINT kFirstShellCommand = 1;
constexpr UINT kLastShellCommand = 255;
constexpr UINT kLastHiddenMenuCommand = 0x7FFF;
constexpr UINT kVerbChars = 260;
constexpr UINT kHelpTextChars = 2601;
constexpr size_t kMaxClassKeys = 16;
constexpr size_t kMaxDirectoryChars = 260;
constexpr UINT kMenuFlags = TPM_RETURNCMD | TPM_RIGHTBUTTON;

// What the default menu's callback is told, beyond the names the headers give.
constexpr UINT kMergeContextMenu = 1;        // DFM_MERGECONTEXTMENU
constexpr UINT kInvokeCommand = 2;           // DFM_INVOKECOMMAND
constexpr UINT kMergeContextMenuTop = 10;    // DFM_MERGECONTEXTMENU_TOP
constexpr UINT kMergeContextMenuBottom = 17; // DFM_MERGECONTEXTMENU_BOTTOM

using TCreateIdListDataObject = HRESULT(WINAPI*)(PCIDLIST_ABSOLUTE folder, UINT count,
                                                  PCUIDLIST_RELATIVE_ARRAY items, IDataObject** data);

// The program's cursor for the length of a scope, the previous one after it.
class TCursorScope {
public:
  explicit TCursorScope(TCursor cursor) : fPrevious(ScreenCursor()) { SetScreenCursor(cursor); }
  ~TCursorScope() { SetScreenCursor(fPrevious); }
  TCursorScope(const TCursorScope&) = delete;
  TCursorScope& operator=(const TCursorScope&) = delete;
  void Restore() { SetScreenCursor(fPrevious); }

private:
  TCursor fPrevious;
};

// A menu handle destroyed with the scope.
class TMenuHandle {
public:
  explicit TMenuHandle(HMENU menu) : fMenu(menu) {}
  ~TMenuHandle() {
    if (fMenu != nullptr) DestroyMenu(fMenu);
  }
  TMenuHandle(const TMenuHandle&) = delete;
  TMenuHandle& operator=(const TMenuHandle&) = delete;
  HMENU Get() const noexcept { return fMenu; }

private:
  HMENU fMenu;
};

bool IsShellCommand(int command) {
  return command >= static_cast<int>(kFirstShellCommand) && command <= static_cast<int>(kLastShellCommand);
}

// A command's text from the handler (verb or help text); empty when it has none.
std::wstring CommandString(IContextMenu* handler, UINT offset, UINT type, UINT chars) {
  std::wstring text(chars, L'\0');
  HRESULT hr = E_FAIL;
  GuardedCall([&] {
    hr = handler->GetCommandString(offset, type, nullptr, reinterpret_cast<LPSTR>(text.data()), chars);
  });
  if (FAILED(hr)) return {};
  text[chars - 1] = L'\0';
  text.resize(wcslen(text.c_str()));
  return text;
}

// Runs a handler call; a platform exception raised inside it is a failure.
HRESULT GuardedHandlerCall(const std::function<HRESULT()>& call) {
  HRESULT hr = E_FAIL;
  DWORD code = 0;
  if (!GuardedCall([&] { hr = call(); }, &code)) return HRESULT_FROM_NT(code);
  return hr;
}

HRESULT InvokeCommand(IContextMenu* handler, CMINVOKECOMMANDINFOEX& info) {
  return GuardedHandlerCall([&] { return handler->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&info)); });
}

// The invocation record of the unicode form, for a command offset or a verb.
CMINVOKECOMMANDINFOEX UnicodeInvokeInfo(HWND owner) {
  CMINVOKECOMMANDINFOEX info{};
  info.cbSize = sizeof info;
  info.fMask = CMIC_MASK_UNICODE;
  info.hwnd = owner;
  info.nShow = SW_SHOWNORMAL;
  return info;
}

// The directory a command runs in: the folder, unless a handler could not
// take it (too long for the buffers handlers keep paths in).
const wchar_t* CommandDirectory(const std::wstring& folder) {
  return folder.empty() || folder.size() >= kMaxDirectoryChars ? nullptr : folder.c_str();
}

std::string ToSystemCodePage(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                       nullptr);
  std::string narrow(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0)
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), narrow.data(), size, nullptr,
                        nullptr);
  return narrow;
}

// The menu (or sub menu) that holds a command, and its position there.
bool FindMenuCommand(HMENU menu, UINT command, HMENU& holder, int& position) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    if (HMENU sub = GetSubMenu(menu, i)) {
      if (FindMenuCommand(sub, command, holder, position)) return true;
    } else if (GetMenuItemID(menu, i) == command) {
      holder = menu;
      position = i;
      return true;
    }
  }
  return false;
}

// Gives the sub-menu entries of a menu built from items the command of their
// item, so that a selected sub menu can be traced back to it.
void MarkSubMenuEntries(TMenuItem& items, HMENU menu) {
  int position = 0;
  for (int i = 0; i < items.Count(); ++i) {
    TMenuItem* item = items.Item(i);
    if (!item->GetVisible()) continue;
    if (HMENU sub = GetSubMenu(menu, position)) {
      MENUITEMINFOW info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_ID;
      info.wID = static_cast<UINT>(item->GetCommand());
      SetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
      MarkSubMenuEntries(*item, sub);
    }
    ++position;
  }
}

TMenuItem* FindItemByCommand(TMenuItem& items, int command) {
  for (int i = 0; i < items.Count(); ++i) {
    TMenuItem* item = items.Item(i);
    if (item->GetCommand() == command) return item;
    if (TMenuItem* found = FindItemByCommand(*item, command)) return found;
  }
  return nullptr;
}

// Removes what a handler put into the shell's command range of a menu (its
// sub menus included).
void RemoveShellCommands(HMENU menu) {
  for (int i = GetMenuItemCount(menu) - 1; i >= 0; --i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
    if (info.wID >= kFirstShellCommand && info.wID <= kLastShellCommand)
      DeleteMenu(menu, static_cast<UINT>(i), MF_BYPOSITION);
  }
}

std::wstring DefaultRegistryValue(HKEY key) {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ) return {};
  std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) != ERROR_SUCCESS)
    return {};
  value.resize(wcsnlen(value.c_str(), value.size()));
  return value;
}

// The class keys whose handlers the default menu of files asks: those of all
// objects and of each file type among the paths, at most 16.
void CollectClassKeys(const TStringList& paths, std::vector<HKEY>& keys) {
  TStringList names;
  names.SetCaseSensitive(false);
  names.SetDuplicates(dupIgnore);
  names.SetSorted(true);
  names.Add(L"*");
  names.Add(L"AllFilesystemObjects");
  for (int i = 0; i < paths.GetCount(); ++i) {
    const std::wstring ext = ExtractFileExt(paths.Get(i));
    if (!ext.empty()) names.Add(ext);
  }
  for (int i = 0; i < names.GetCount() && keys.size() < kMaxClassKeys; ++i) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, names.Get(i).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
    const std::wstring fileType = DefaultRegistryValue(key);
    HKEY typeKey = nullptr;
    if (!fileType.empty() && RegOpenKeyExW(HKEY_CLASSES_ROOT, fileType.c_str(), 0, KEY_READ, &typeKey) == ERROR_SUCCESS) {
      RegCloseKey(key);
      key = typeKey;
    }
    keys.push_back(key);
  }
}

void CloseClassKeys(std::vector<HKEY>& keys) {
  for (HKEY key : keys) RegCloseKey(key);
  keys.clear();
}

}  // namespace

// Helpers.

bool TNsBrowser::IsShiftDown() {
  BYTE keys[256];
  return GetKeyboardState(keys) && (keys[VK_SHIFT] & 0x80) != 0;
}

bool TNsBrowser::DoContextMenuSelect(const std::wstring& verb) {
  bool execute = true;
  if (OnContextMenuSelect) OnContextMenuSelect(this, verb, execute);
  return execute;
}

bool TNsBrowser::DoBeforeShellCommand(const std::wstring& verb, const TStringList& requested) {
  bool allowExecute = true;
  if (OnBeforeShellCommand) {
    // The path is added whole: it may hold the separator of the list form.
    std::unique_ptr<TNsPathList> paths =
        requested.GetCount() > 0 ? std::make_unique<TNsPathList>(requested) : std::make_unique<TNsPathList>();
    if (requested.GetCount() == 0) paths->Add(GetFolder() + GetObjectName());
    OnBeforeShellCommand(this, verb, paths.get(), allowExecute);
  }
  return allowExecute;
}

std::wstring TNsBrowser::ContextMenuTargetPath() {
  if (FMultiObjects->GetCount() == 0) return GetFolder() + GetObjectName();
  const std::wstring first = FMultiObjects->Get(0);
  return PathDrivePart(first).empty() ? GetFolder() + first : first;
}

int TNsBrowser::CopyMenuItems(TMenuItem& source, TMenuItem& destination, TMenuItem* anchor) {
  int anchorCommand = 0;
  for (int i = 0; i < source.Count(); ++i) {
    TMenuItem* item = source.Item(i);
    auto* copy = new TMenuItem(destination.GetOwner());
    destination.Add(copy);
    copy->SetCaption(item->GetCaption());
    copy->SetShortCut(item->GetShortCut());
    copy->OnClick = item->OnClick;
    copy->SetBreak(item->GetBreak());
    copy->SetRadioItem(item->GetRadioItem());
    copy->SetGroupIndex(item->GetGroupIndex());
    copy->SetChecked(item->GetChecked());
    copy->SetDefault(item->GetDefault());
    copy->SetEnabled(item->GetEnabled());
    copy->SetHelpContext(item->GetHelpContext());
    copy->SetTag(item->GetTag());
    copy->SetVisible(item->GetVisible());
    copy->SetImageIndex(item->GetImageIndex());
    copy->SetHint(item->GetHint());
    if (!item->GetName().empty()) {
      try {
        copy->SetName(item->GetName() + L"2");
      } catch (const Exception&) {
        // Two source items of different owners with one name: the second
        // copy stays unnamed.
      }
    }
    if (item == anchor) anchorCommand = copy->GetCommand();
    if (const int inner = CopyMenuItems(*item, *copy, anchor); inner != 0) anchorCommand = inner;
  }
  return anchorCommand;
}

int TNsBrowser::ClickMenuCommand(TMenuItem& items, int command) {
  for (int i = 0; i < items.Count() && command != 0; ++i) {
    TMenuItem* item = items.Item(i);
    if (item->GetCommand() == command) {
      item->Click();
      return 0;
    }
    command = ClickMenuCommand(*item, command);
  }
  return command;
}

void TNsBrowser::OpenContextMenuWindow() {
  fContextMenuWindow = std::make_unique<TUtilityWindow>([this](HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    TMessage routed{message, wParam, lParam};
    HandlePopupMessages(routed);
    return routed.Result;
  });
  fContextMenuCallbackWnd = fContextMenuWindow->GetHandle();
}

void TNsBrowser::ReleaseContextMenu() {
  fContextMenuWindow.reset();
  fContextMenuCallbackWnd = nullptr;
  ActiveIContextMenu.Reset();
  ActiveAppContextMenu = nullptr;
  fContextMenuCopy.reset();
}

// The menu messages.

void TNsBrowser::HandlePopupMessages(TMessage& Message) {
  if (ActiveIContextMenu && !(Application != nullptr && Application->GetTerminated())) {
    switch (Message.Msg) {
      case WM_INITMENUPOPUP:
      case WM_MEASUREITEM:
      case WM_DRAWITEM: {
        IContextMenu2* handler = ActiveIContextMenu.Get();
        GuardedCall([&] { handler->HandleMenuMsg(Message.Msg, Message.WParam, Message.LParam); });
        break;
      }
      case WM_MENUSELECT: {
        const int item = LOWORD(Message.WParam);
        const UINT flags = HIWORD(Message.WParam);
        const bool popup = flags != 0xFFFF && (flags & MF_POPUP) != 0;
        if (!popup && IsShellCommand(item)) {
          Application->SetHint(
              CommandString(ActiveIContextMenu.Get(), static_cast<UINT>(item - 1), GCS_HELPTEXTW, kHelpTextChars));
        } else if (ActiveAppContextMenu != nullptr) {
          TMenuItem* found = nullptr;
          if (popup) {
            auto* menu = reinterpret_cast<HMENU>(Message.LParam);
            HMENU sub = menu != nullptr ? GetSubMenu(menu, item) : nullptr;
            MENUITEMINFOW info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_ID | MIIM_SUBMENU;
            if (sub != nullptr && GetMenuItemInfoW(menu, static_cast<UINT>(item), TRUE, &info) && info.hSubMenu == sub)
              found = FindItemByCommand(ActiveAppContextMenu->GetItems(), static_cast<int>(info.wID));
          } else {
            found = FindItemByCommand(ActiveAppContextMenu->GetItems(), item);
          }
          Application->SetHint(found != nullptr ? found->GetLongHint() : std::wstring());
        }
        break;
      }
      default:
        break;
    }
  }
  Message.Result = DefWindowProcW(fContextMenuCallbackWnd, Message.Msg, Message.WParam, Message.LParam);
}

// The item menu.

std::wstring TNsBrowser::ShowContextMenu(POINT Pos, TMenuItem* ShellMenuAnchor) {
  TPopupMenu* menu = nullptr;
  if (ShellMenuAnchor != nullptr) {
    TMenuItem* root = ShellMenuAnchor;
    while (root->GetParent() != nullptr) root = root->GetParent();
    menu = dynamic_cast<TPopupMenu*>(root->GetOwner());
  }
  return ShowContextMenu(Pos, menu, ShellMenuAnchor);
}

std::wstring TNsBrowser::ShowContextMenu(POINT lppt, TPopupMenu* M, TMenuItem* ShellMenuAnchor) {
  const std::wstring target = ContextMenuTargetPath();
  if (M != nullptr && M->OnPopup) M->OnPopup(M);
  TPopupMenu menu(nullptr);
  TMenuItem* anchor = nullptr;
  if (M != nullptr) {
    const int anchorCommand = CopyMenuItems(M->GetItems(), menu.GetItems(), ShellMenuAnchor);
    menu.SetImages(M->GetImages());
    if (anchorCommand != 0) anchor = FindItemByCommand(menu.GetItems(), anchorCommand);
  }
  const std::wstring verb = TrackContextMenu(lppt, &menu, anchor);
  // A deletion the user cancelled, or one that failed, leaves the target.
  if (SameText(verb, L"DELETE") && !target.empty() && PathExists(target)) return {};
  return verb;
}

std::wstring TNsBrowser::TrackContextMenu(POINT position, TPopupMenu* menu, TMenuItem* anchor) {
  ReleaseContextMenu();
  TCursorScope cursor(crHourGlass);
  TComPtr<IContextMenu> handler;
  std::vector<HKEY> classKeys;
  // Whatever happens: the window, the handler and its keys go, MultiObjects
  // is consumed and the cursor comes back (the cursor scope, last).
  struct TEnd {
    TNsBrowser& Browser;
    TComPtr<IContextMenu>& Handler;
    std::vector<HKEY>& Keys;
    ~TEnd() {
      Browser.ReleaseContextMenu();
      Handler.Reset();
      CloseClassKeys(Keys);
      Browser.FMultiObjects->Clear();
    }
  } end{*this, handler, classKeys};

  // What was asked for, as the handler is made from it (and the request
  // for it consumes MultiObjects).
  TStringList requested;
  requested.Assign(*FMultiObjects);
  const bool multiFolder =
      IsVistaOrLater && FMultiObjects->GetCount() >= 2 && IsDriveOrUNCPath(FMultiObjects->Get(0));
  if (multiFolder)
    handler = CreateMultiFolderContextMenu(*FMultiObjects, GetOwnerWindow(), classKeys);
  else
    handler = GetUIObjectAs<IContextMenu>(IID_IContextMenu);
  if (handler) handler.As(IID_IContextMenu2, ActiveIContextMenu);
  ActiveAppContextMenu = menu;

  TMenuHandle shown(menu->GetItems().CreateMenuHandle());
  MarkSubMenuEntries(menu->GetItems(), shown.Get());
  HMENU filled = shown.Get();
  int anchorPosition = -1;
  if (anchor != nullptr) FindMenuCommand(shown.Get(), static_cast<UINT>(anchor->GetCommand()), filled, anchorPosition);
  UINT index;
  if (fShowContextMenuOnTop)
    index = 0;
  else if (anchorPosition >= 0)
    index = static_cast<UINT>(anchorPosition + 1);
  else
    index = static_cast<UINT>(GetMenuItemCount(filled));
  if (handler) {
    UINT flags = CMF_EXPLORE;
    if (OnRename) flags |= CMF_CANRENAME;
    if (IsShiftDown()) flags |= CMF_EXTENDEDVERBS;
    IContextMenu* shell = handler.Get();
    // A handler that raises while filling leaves the menu without its commands.
    if (!GuardedCall([&] { shell->QueryContextMenu(filled, index, kFirstShellCommand, kLastShellCommand, flags); }))
      RemoveShellCommands(filled);
  }

  OpenContextMenuWindow();
  cursor.Restore();
  const int command =
      static_cast<int>(TrackPopupMenu(shown.Get(), kMenuFlags, position.x, position.y, 0, fContextMenuCallbackWnd, nullptr));
  if (command == 0 || ClickMenuCommand(menu->GetItems(), command) == 0) return {};
  if (!handler || !IsShellCommand(command)) return {};

  const UINT offset = static_cast<UINT>(command) - kFirstShellCommand;
  const std::wstring verb = CommandString(handler.Get(), offset, GCS_VERBW, kVerbChars);
  if (!DoBeforeShellCommand(verb, requested)) return verb;
  bool allowed = DoContextMenuSelect(verb);
  if (fReadOnly && (SameText(verb, L"delete") || SameText(verb, L"cut") || SameText(verb, L"paste"))) allowed = false;
  if (!allowed) return {};
  if (SameText(verb, L"rename") && OnRename) {
    OnRename(this);
    return verb;
  }
  if (SameText(verb, L"open") && multiFolder) {
    for (int i = 0; i < FMultiObjects->GetCount(); ++i) ExecuteFile(FMultiObjects->Get(i));
    return verb;
  }
  CMINVOKECOMMANDINFOEX info = UnicodeInvokeInfo(GetOwnerWindow());
  info.lpVerb = MAKEINTRESOURCEA(offset);
  info.lpVerbW = MAKEINTRESOURCEW(offset);
  const std::wstring folder = multiFolder ? std::wstring() : GetFolder();
  info.lpDirectoryW = CommandDirectory(folder);
  if (FAILED(InvokeCommand(handler.Get(), info))) return {};
  return verb;
}

TComPtr<IContextMenu> TNsBrowser::CreateMultiFolderContextMenu(TStringList& paths, HWND owner,
                                                              std::vector<HKEY>& classKeys) {
  std::vector<PItemIDList> raw;
  PathsToItemIdLists(paths, raw);
  std::vector<TPidl> lists;
  lists.reserve(raw.size());
  for (PItemIDList list : raw) lists.emplace_back(list);
  if (raw.empty() || DesktopItemIdList == nullptr) return nullptr;

  TComPtr<IDataObject> data;
  // Bound by ordinal: older platforms export it by nothing else.
  auto createDataObject = reinterpret_cast<TCreateIdListDataObject>(reinterpret_cast<void*>(
      Shell32Module() != nullptr ? GetProcAddress(Shell32Module(), MAKEINTRESOURCEA(83)) : nullptr));
  if (createDataObject != nullptr)
    createDataObject(DesktopItemIdList, static_cast<UINT>(raw.size()),
                     const_cast<PCUIDLIST_RELATIVE_ARRAY>(raw.data()), data.Put());
  data = DataObjectWithDropFiles(data.Get(), paths);
  TComPtr<IShellFolder> folder(new TNsDesktopFolder(data.Get()));

  CollectClassKeys(paths, classKeys);
  if (fDefMenuCreateCallback == nullptr) fDefMenuCreateCallback = &TNsBrowser::DefFolderMenuCallback;
  if (ShellFunctions.CDefFolderMenu_Create2 == nullptr) return nullptr;
  TComPtr<IContextMenu> handler;
  const HRESULT hr = ShellFunctions.CDefFolderMenu_Create2(
      DesktopItemIdList, owner, static_cast<UINT>(raw.size()), const_cast<PCUITEMID_CHILD_ARRAY>(raw.data()),
      folder.Get(), fDefMenuCreateCallback, static_cast<UINT>(classKeys.size()), classKeys.data(), handler.Put());
  if (FAILED(hr)) return nullptr;
  return handler;
}

HRESULT CALLBACK TNsBrowser::DefFolderMenuCallback(IShellFolder*, HWND, IDataObject*, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case kMergeContextMenu:
    case kMergeContextMenuTop:
    case kMergeContextMenuBottom:
      return S_OK;
    case kInvokeCommand:
      return S_FALSE;  // the default menu carries the command out itself
    default:
      return E_NOTIMPL;
  }
}

// The folder's background menu.

std::wstring TNsBrowser::ShowBackgroundMenu(POINT aPoint, TPopupMenu* aMenu) {
  ReleaseContextMenu();
  struct TConsume {
    TStringList& List;
    ~TConsume() { List.Clear(); }
  } consume{*FMultiObjects};
  if (!FShellFolder) return {};

  HWND owner = GetOwnerWindow();
  TComPtr<IShellView> view;
  TComPtr<IContextMenu> handler;
  IShellFolder* folder = FShellFolder.Get();
  if (FAILED(GuardedHandlerCall([&] { return folder->CreateViewObject(owner, IID_IShellView, view.PutVoid()); })) ||
      !view)
    return {};
  if (FAILED(GuardedHandlerCall([&] {
        return view->GetItemObject(SVGIO_BACKGROUND, IID_IContextMenu, handler.PutVoid());
      })) ||
      !handler)
    return {};
  handler.As(IID_IContextMenu2, ActiveIContextMenu);

  if (aMenu != nullptr && aMenu->OnPopup) aMenu->OnPopup(aMenu);
  fContextMenuCopy = std::make_unique<TPopupMenu>(nullptr);
  if (aMenu != nullptr) {
    CopyMenuItems(aMenu->GetItems(), fContextMenuCopy->GetItems(), nullptr);
    fContextMenuCopy->SetImages(aMenu->GetImages());
  }
  ActiveAppContextMenu = fContextMenuCopy.get();
  TMenuHandle shown(fContextMenuCopy->GetItems().CreateMenuHandle());
  MarkSubMenuEntries(fContextMenuCopy->GetItems(), shown.Get());
  const UINT index = fShowContextMenuOnTop ? 0 : static_cast<UINT>(GetMenuItemCount(shown.Get()));
  if (FAILED(GuardedHandlerCall([&] {
        return handler->QueryContextMenu(shown.Get(), index, kFirstShellCommand, kLastShellCommand, CMF_EXPLORE);
      })))
    return {};

  OpenContextMenuWindow();
  // The owner control passes the menu's messages on to HandlePopupMessages;
  // without one the message window takes them itself.
  HWND menuOwner = fContextMenuCallbackWnd;
  if (auto* control = dynamic_cast<IWinControlHandle*>(GetOwner()); control != nullptr && control->HandleAllocated())
    menuOwner = control->GetHandle();
  const int command =
      static_cast<int>(TrackPopupMenu(shown.Get(), kMenuFlags, aPoint.x, aPoint.y, 0, menuOwner, nullptr));
  fContextMenuWindow.reset();
  fContextMenuCallbackWnd = nullptr;
  if (command == 0 || ClickMenuCommand(fContextMenuCopy->GetItems(), command) == 0) return {};
  if (!IsShellCommand(command)) return {};

  const UINT offset = static_cast<UINT>(command) - kFirstShellCommand;
  std::wstring verb = CommandString(handler.Get(), offset, GCS_VERBW, kVerbChars);
  if (verb.empty()) verb = command == 5 ? L"refresh" : command == 19 ? L"thumbnails" : std::to_wstring(command);
  CMINVOKECOMMANDINFO info{};
  info.cbSize = sizeof info;
  info.hwnd = owner;
  info.lpVerb = MAKEINTRESOURCEA(offset);
  info.nShow = SW_SHOWNORMAL;
  if (FAILED(GuardedHandlerCall([&] { return handler->InvokeCommand(&info); }))) return {};
  return verb;
}

// Verbs without a menu.

bool TNsBrowser::InvokeContextMenuCommand(const std::wstring& verb) {
  struct TConsume {
    TStringList& List;
    ~TConsume() { List.Clear(); }
  } consume{*FMultiObjects};
  TStringList requested;
  requested.Assign(*FMultiObjects);

  if (!DoContextMenuSelect(verb) || !CheckIfValid(true)) return false;
  const std::wstring command = verb.empty() ? std::wstring(L"default") : verb;
  if (SameText(command, L"DELETE") && FMultiObjects->GetCount() == 0 && GetAttributes(SFGAO_CANDELETE) == 0)
    return false;

  std::wstring target;
  HRESULT hr = S_OK;
  {
    TCursorScope cursor(crHourGlass);
    target = ContextMenuTargetPath();
    TComPtr<IContextMenu> handler = GetUIObjectAs<IContextMenu>(IID_IContextMenu);
    if (!handler || !DoBeforeShellCommand(command, requested)) return false;
    hr = InvokeVerb(handler.Get(), command);
  }
  // The code stays the thread's last error, past the cursor's restoring.
  if (FAILED(hr)) {
    SetLastError(static_cast<DWORD>(hr));
    return false;
  }
  // A deletion the user cancelled, or one that failed, leaves the target.
  return !(SameText(command, L"DELETE") && !target.empty() && PathExists(target));
}

HRESULT TNsBrowser::InvokeVerb(IContextMenu* handler, const std::wstring& verb) {
  TMenuHandle menu(CreatePopupMenu());
  const HWND owner = GetOwnerWindow();
  const std::wstring folder = GetFolder();
  if (SameText(verb, L"DEFAULT")) {
    HRESULT hr = GuardedHandlerCall([&] {
      return handler->QueryContextMenu(menu.Get(), 0, kFirstShellCommand, kLastHiddenMenuCommand, CMF_DEFAULTONLY);
    });
    const UINT id = SUCCEEDED(hr) ? GetMenuDefaultItem(menu.Get(), FALSE, 0) : static_cast<UINT>(-1);
    if (id == static_cast<UINT>(-1) || id < kFirstShellCommand)
      // No default command: nothing was carried out.
      return FAILED(hr) ? hr : HRESULT_FROM_WIN32(ERROR_NO_ASSOCIATION);
    CMINVOKECOMMANDINFOEX info = UnicodeInvokeInfo(owner);
    info.lpVerb = MAKEINTRESOURCEA(id - kFirstShellCommand);
    info.lpVerbW = MAKEINTRESOURCEW(id - kFirstShellCommand);
    info.lpDirectoryW = CommandDirectory(folder);
    return InvokeCommand(handler, info);
  }
  if (SameText(verb, L"rename") && OnRename) {
    OnRename(this);
    return S_OK;
  }
  const HRESULT hr = GuardedHandlerCall([&] {
    return handler->QueryContextMenu(menu.Get(), 0, kFirstShellCommand, kLastHiddenMenuCommand,
                                     CMF_EXPLORE | CMF_EXTENDEDVERBS);
  });
  if (FAILED(hr)) return hr;
  const std::string narrowVerb = ToSystemCodePage(verb);
  CMINVOKECOMMANDINFOEX info = UnicodeInvokeInfo(owner);
  info.lpVerb = narrowVerb.c_str();
  info.lpVerbW = verb.c_str();
  info.lpDirectoryW = CommandDirectory(folder);
  return InvokeCommand(handler, info);
}

}  // namespace ts
