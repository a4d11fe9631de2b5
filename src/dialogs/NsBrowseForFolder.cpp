#include "dialogs/NsBrowseForFolder.h"

#include <shellapi.h>

#include "shell/FileProbes.h"
#include "shell/ItemIdListPaths.h"
#include "shell/NsBrowser.h"
#include "shell/ShellGlobals.h"
#include "toolkit/Application.h"
#include "toolkit/Exception.h"

namespace ts {

TBrowseForFolderCall BrowseForFolderCall = &SHBrowseForFolderW;

UINT BrowseInfoFlags(TNsBrowseFlags options) {
  UINT flags = 0;
  if (options.Contains(bfBrowseIncludeFiles)) flags |= BIF_BROWSEINCLUDEFILES;
  if (options.Contains(bfFileSystemOnly)) flags |= BIF_RETURNONLYFSDIRS;
  if (options.Contains(bfEditBox)) flags |= BIF_EDITBOX;
  if (options.Contains(bfReturnInvalidPath)) flags |= BIF_VALIDATE;
  if (options.Contains(bfBrowseForComputer)) flags |= BIF_BROWSEFORCOMPUTER;
  if (options.Contains(bfNewDialogStyle)) flags |= BIF_NEWDIALOGSTYLE;
  return flags;
}

TNsBaseBrowseDialog::TNsBaseBrowseDialog(TComponent* AOwner)
    : TNsBaseDialog(AOwner), fPath(LastBrowseFolderPath) {}

PItemIDList TNsBaseBrowseDialog::RootItemIdList() const {
  if (PathExists(fRootedAtFileSystemFolder)) return PathToItemIdList(nullptr, fRootedAtFileSystemFolder);
  return GetSpecialFolderItemIdList(fRootedAt);
}

bool TNsBaseBrowseDialog::Execute(HWND ParentWnd) {
  fReturnInvalidPathEnteredInDialog = false;
  TPidl root(RootItemIdList());
  wchar_t displayName[MAX_PATH] = L"";
  // The dialog runs a message loop: it gets copies nothing there can change.
  const std::wstring title = fTitle;
  BROWSEINFOW info{};
  info.hwndOwner = ParentWnd;
  info.pidlRoot = root.Get();
  info.pszDisplayName = displayName;
  info.lpszTitle = title.c_str();
  info.ulFlags = BrowseInfoFlags(fOptions);
  info.lpfn = &TNsBaseBrowseDialog::BrowseCallbackProc;
  info.lParam = reinterpret_cast<LPARAM>(this);

  DoShow();
  TPidl chosen(BrowseForFolderCall(&info));
  fDialogHandle = nullptr;
  const bool chose = static_cast<bool>(chosen);
  if (!chose || fReturnInvalidPathEnteredInDialog) {
    fSpecialFolder = SF_FILESYSTEMFOLDER;
  } else {
    fSpecialFolder = GetSpecialFolderOfItemIdList(chosen.Get());
    fPath = GetPath(chosen.Get());
    if (!fPath.empty())
      LastBrowseFolderPath = fPath;
    else
      fPath = DisplayNameOf(chosen.Get(), displayName);
  }
  chosen.Reset();
  root.Reset();
  DoClose();
  return chose;
}

std::wstring TNsBaseBrowseDialog::GetPath(PCItemIDList IdList) const {
  if (IdList == nullptr) return {};
  std::wstring path = ItemIdListToPath(IdList);
  if (!path.empty()) return path;
  // A question: an item the shell cannot open answers empty.
  TNsBrowser browser(nullptr);
  try {
    browser.SetFolderIdList(IdList);
    path = browser.GetFolder();
  } catch (const Exception&) {
  }
  if (!path.empty()) return path;
  try {
    // The item's parent, with the item as its current one.
    browser.SetAbsoluteItemIdList(IdList);
    return browser.GetObjectName();
  } catch (const Exception&) {
    return {};
  }
}

std::wstring TNsBaseBrowseDialog::DisplayNameOf(PCItemIDList list, const wchar_t* returnedName) const {
  if (returnedName[0] != L'\0') return returnedName;
  // Some shells return no name for virtual folders (Wine's for My Computer):
  // the name the shell shows for the item.
  SHFILEINFOW info{};
  if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(list), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_DISPLAYNAME) != 0)
    return info.szDisplayName;
  return {};
}

void TNsBaseBrowseDialog::SetRootedAtFileSystemFolder(const std::wstring& value) {
  if (IsDesigning() && !PathExists(value)) {
    Application->ShowMessageBox(L"Path does not exist: " + value, Application->GetTitle(), MB_OK);
    return;
  }
  fRootedAtFileSystemFolder = value;
  fRootedAt = SF_FILESYSTEMFOLDER;
}

void TNsBaseBrowseDialog::SetOptions(TNsBrowseFlags value) {
  if (value.Contains(bfEditBox)) value.Include(bfNewDialogStyle);
  if (value.Contains(bfBrowseForComputer)) value.Exclude(bfNewDialogStyle);
  if (!value.Contains(bfNewDialogStyle)) value.Exclude(bfEditBox);
  fOptions = value;
}

}  // namespace ts
