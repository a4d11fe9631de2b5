#include "shell/FolderDropTarget.h"

#include <shellapi.h>

#include <algorithm>
#include <memory>

#include "shell/DataObjectFiles.h"
#include "shell/FileProbes.h"
#include "shell/ItemIdListPaths.h"
#include "shell/PathClassification.h"
#include "shell/ProcessInfo.h"
#include "shell/SelectionListFileOps.h"
#include "shell/ShellFileTransfer.h"
#include "shell/ShellGlobals.h"
#include "shell/ShortcutFiles.h"
#include "shell/SystemErrorText.h"
#include "toolkit/FilePaths.h"
#include "toolkit/StringList.h"
#include "toolkit/UtilityWindow.h"

namespace ts {

namespace {

constexpr DWORD kAllEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

enum : UINT { kCopyHere = 1, kMoveHere, kLinkHere, kCancel };

bool IsSameOrBelow(const std::wstring& path, const std::wstring& folder) {
  if (SamePath(path, folder)) return true;
  const std::wstring prefix = IncludeTrailingPathDelimiter(folder);
  return path.size() > prefix.size() &&
         CompareStringOrdinal(path.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
                              static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

bool InFolder(const std::wstring& file, const std::wstring& folder) {
  return SamePath(ExtractFileDir(ExcludeTrailingPathDelimiter(file)), folder);
}

bool OnSameDrive(const std::wstring& file, const std::wstring& folder) {
  const std::wstring a = PathDrivePart(file), b = PathDrivePart(folder);
  return !a.empty() && CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// The first of the effects, in the order the shell falls back, that is offered.
DWORD FirstOffered(DWORD offered, std::initializer_list<DWORD> order) {
  for (DWORD effect : order)
    if ((offered & effect) != 0) return effect;
  return DROPEFFECT_NONE;
}

}  // namespace

std::vector<std::wstring> DroppedPaths(IDataObject* dataObject) {
  std::vector<std::wstring> paths;
  if (dataObject == nullptr) return paths;
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  if (dataObject->QueryGetData(&format) != S_OK) return paths;
  std::unique_ptr<TStringList> files = GetFileListFromDataObject(dataObject);
  if (!files) return paths;
  for (int i = 0; i < files->GetCount(); ++i) {
    const std::wstring& file = (*files)[i];
    // Only whole paths can be copied; anything else stands for no file.
    if (!IsDriveOrUNCPath(file)) return {};
    paths.push_back(file);
  }
  return paths;
}

TNsFolderDropTarget::TNsFolderDropTarget(const std::wstring& folder, HWND owner)
    : fFolder(ExcludeTrailingPathDelimiter(folder)), fOwner(owner) {
  // "C:" alone names the drive's current folder, not its root.
  if (fFolder.size() == 2 && fFolder[1] == L':') fFolder += L'\\';
}

void* TNsFolderDropTarget::GetInterface(REFIID iid) noexcept {
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) return static_cast<IDropTarget*>(this);
  return nullptr;
}

DWORD TNsFolderDropTarget::EffectFor(const std::vector<std::wstring>& files, DWORD keyState, DWORD offered) const {
  offered &= kAllEffects;
  if (files.empty() || offered == DROPEFFECT_NONE || fFolder.empty()) return DROPEFFECT_NONE;
  const bool control = (keyState & MK_CONTROL) != 0, shift = (keyState & MK_SHIFT) != 0;
  DWORD wanted;
  if ((control && shift) || (keyState & MK_ALT) != 0)
    wanted = DROPEFFECT_LINK;
  else if (control)
    wanted = DROPEFFECT_COPY;
  else if (shift)
    wanted = DROPEFFECT_MOVE;
  else
    wanted = std::all_of(files.begin(), files.end(), [&](const std::wstring& f) { return OnSameDrive(f, fFolder); })
                 ? DROPEFFECT_MOVE
                 : DROPEFFECT_COPY;
  DWORD effect = (offered & wanted) != 0 ? wanted
                                         : FirstOffered(offered, {DROPEFFECT_COPY, DROPEFFECT_MOVE, DROPEFFECT_LINK});
  if (effect == DROPEFFECT_LINK) return effect;
  // Nothing can go into itself or below itself.
  for (const std::wstring& file : files)
    if (IsSameOrBelow(fFolder, ExcludeTrailingPathDelimiter(file))) return DROPEFFECT_NONE;
  // Files moved where they are would stay where they are.
  if (effect == DROPEFFECT_MOVE &&
      std::all_of(files.begin(), files.end(), [&](const std::wstring& f) { return InFolder(f, fFolder); }))
    return DROPEFFECT_NONE;
  return effect;
}

HRESULT STDMETHODCALLTYPE TNsFolderDropTarget::DragEnter(IDataObject* dataObject, DWORD keyState, POINTL,
                                                         DWORD* effect) noexcept {
  if (effect == nullptr) return E_INVALIDARG;
  try {
    fFiles = DroppedPaths(dataObject);
    *effect = EffectFor(fFiles, keyState, *effect);
  } catch (...) {
    fFiles.clear();
    *effect = DROPEFFECT_NONE;
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TNsFolderDropTarget::DragOver(DWORD keyState, POINTL, DWORD* effect) noexcept {
  if (effect == nullptr) return E_INVALIDARG;
  *effect = EffectFor(fFiles, keyState, *effect);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TNsFolderDropTarget::DragLeave() noexcept {
  fFiles.clear();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TNsFolderDropTarget::Drop(IDataObject* dataObject, DWORD keyState, POINTL point,
                                                    DWORD* effect) noexcept {
  if (effect == nullptr) return E_INVALIDARG;
  const DWORD offered = *effect;
  *effect = DROPEFFECT_NONE;
  try {
    std::vector<std::wstring> files = DroppedPaths(dataObject);
    fFiles.clear();
    // Files that went meanwhile cannot be dropped.
    files.erase(std::remove_if(files.begin(), files.end(), [](const std::wstring& f) { return !PathExists(f); }),
                files.end());
    DWORD chosen = EffectFor(files, keyState, offered);
    if (chosen != DROPEFFECT_NONE && (keyState & MK_RBUTTON) != 0) {
      // Every effect the menu may offer is checked as a drop with its keys.
      DWORD allowed = DROPEFFECT_NONE;
      if (EffectFor(files, MK_CONTROL, offered & DROPEFFECT_COPY) != DROPEFFECT_NONE) allowed |= DROPEFFECT_COPY;
      if (EffectFor(files, MK_SHIFT, offered & DROPEFFECT_MOVE) != DROPEFFECT_NONE) allowed |= DROPEFFECT_MOVE;
      if (EffectFor(files, MK_ALT, offered & DROPEFFECT_LINK) != DROPEFFECT_NONE) allowed |= DROPEFFECT_LINK;
      const POINT at{point.x, point.y};
      chosen = ChooseEffect ? ChooseEffect(at, allowed, chosen) : ShowDropMenu(at, allowed, chosen);
      if ((chosen & allowed) == 0) chosen = DROPEFFECT_NONE;
    }
    if (chosen != DROPEFFECT_NONE) *effect = Perform(files, chosen);
  } catch (...) {
    *effect = DROPEFFECT_NONE;
  }
  return S_OK;
}

DWORD TNsFolderDropTarget::ShowDropMenu(POINT point, DWORD allowed, DWORD suggested) {
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return DROPEFFECT_NONE;
  auto add = [&](UINT command, DWORD effect, const wchar_t* caption) {
    if ((allowed & effect) == 0) return;
    AppendMenuW(menu, MF_STRING, command, caption);
    if (effect == suggested) SetMenuDefaultItem(menu, command, FALSE);
  };
  add(kCopyHere, DROPEFFECT_COPY, L"&Copy Here");
  add(kMoveHere, DROPEFFECT_MOVE, L"&Move Here");
  add(kLinkHere, DROPEFFECT_LINK, L"Create &Shortcuts Here");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kCancel, L"Cancel");
  // A menu needs a window of this thread to belong to.
  std::unique_ptr<TUtilityWindow> window;
  HWND owner = fOwner;
  if (owner == nullptr || GetWindowThreadProcessId(owner, nullptr) != GetCurrentThreadId()) {
    window = std::make_unique<TUtilityWindow>(
        [](HWND w, UINT message, WPARAM wParam, LPARAM lParam) { return DefWindowProcW(w, message, wParam, lParam); });
    owner = window->GetHandle();
  }
  const UINT command = static_cast<UINT>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, point.x, point.y, 0, owner, nullptr));
  DestroyMenu(menu);
  switch (command) {
    case kCopyHere: return DROPEFFECT_COPY;
    case kMoveHere: return DROPEFFECT_MOVE;
    case kLinkHere: return DROPEFFECT_LINK;
    default: return DROPEFFECT_NONE;
  }
}

DWORD TNsFolderDropTarget::Perform(const std::vector<std::wstring>& files, DWORD effect) {
  // Into a folder that went, a copy would take its name.
  if (!IsRootPath(fFolder) && !TNsSelectionListFileOps::IsFolder(fFolder)) {
    ShowError(L"The folder " + fFolder + L" is not there any more: nothing was dropped.");
    return DROPEFFECT_NONE;
  }
  if (effect == DROPEFFECT_LINK) return MakeShortcuts(files) ? DROPEFFECT_LINK : DROPEFFECT_NONE;
  const bool move = effect == DROPEFFECT_MOVE;
  TStringList sources;
  for (const std::wstring& file : files)
    // A file moved onto itself stays; the others go.
    if (!(move && InFolder(file, fFolder))) sources.Add(file);
  if (sources.GetCount() == 0) return DROPEFFECT_NONE;
  const TFileTransferResult result = TransferFiles(fOwner, sources, fFolder, move ? FO_MOVE : FO_COPY, FOF_NOERRORUI);
  if (result.Aborted) return DROPEFFECT_NONE;
  if (!result.Succeeded()) {
    std::wstring text = std::wstring(move ? L"The files could not be moved to " : L"The files could not be copied to ") +
                        fFolder + L".";
    const std::wstring reason = result.Code > 0 && result.Code < 0x70 ? GetSystemErrorText(result.Code) : std::wstring();
    text += reason.empty() ? L" (error " + std::to_wstring(result.Code) + L")" : L"\n\n" + reason;
    ShowError(text);
    return DROPEFFECT_NONE;
  }
  return effect;
}

bool TNsFolderDropTarget::MakeShortcuts(const std::vector<std::wstring>& files) {
  bool all = true;
  for (const std::wstring& file : files) {
    const std::wstring link = NewShortcutPath(file, fFolder);
    if (link.empty() || !CreateShortcutFile(file, link)) {
      all = false;
      continue;
    }
    SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW | SHCNF_FLUSHNOWAIT, link.c_str(), nullptr);
  }
  if (!all) ShowError(L"Not every shortcut could be made in " + fFolder + L".");
  return all;
}

void TNsFolderDropTarget::ShowError(const std::wstring& text) {
  MessageBoxW(fOwner, text.c_str(), L"Drop", MB_OK | MB_ICONERROR);
}

TComPtr<IDropTarget> GetItemDropTarget(HWND owner, IShellFolder* folder, PCItemIDList relative,
                                       PCItemIDList absolute, bool platformFirst) {
  const std::wstring path = absolute != nullptr ? ItemIdListToPath(absolute) : std::wstring();
  const bool fileSystemFolder = !path.empty() && (IsRootPath(path) || TNsSelectionListFileOps::IsFolder(path));
  if (platformFirst || !fileSystemFolder) {
    TComPtr<IDropTarget> target;
    HRESULT hr = E_FAIL;
    if (relative != nullptr && GetItemIdCount(relative) > 0 && folder != nullptr) {
      PCUITEMID_CHILD child = relative;
      hr = folder->GetUIObjectOf(owner, 1, &child, IID_IDropTarget, nullptr, target.PutVoid());
    } else if (absolute != nullptr && GetItemIdCount(absolute) == 0 && DesktopFolder != nullptr) {
      // The desktop itself: its view takes what is dropped on it.
      hr = DesktopFolder->CreateViewObject(owner, IID_IDropTarget, target.PutVoid());
    }
    if (SUCCEEDED(hr) && target) return target;
  }
  if (!fileSystemFolder) return {};
  return TComPtr<IDropTarget>(new TNsFolderDropTarget(path, owner));
}

TComPtr<IDropTarget> GetItemDropTarget(HWND owner, IShellFolder* folder, PCItemIDList relative,
                                       PCItemIDList absolute) {
  // Wine's targets answer "move" for anything and copy nothing.
  return GetItemDropTarget(owner, folder, relative, absolute, !RunningOnWine());
}

}  // namespace ts
