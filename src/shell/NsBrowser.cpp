// The browser object: life cycle, binding and navigation, the owner window
// and the filter.
#include "shell/NsBrowser.h"

#include "shell/ErrorMode.h"
#include "shell/ItemIdListPaths.h"
#include "shell/LinkTarget.h"
#include "shell/NetResource.h"
#include "shell/NsBrowserError.h"
#include "shell/PathClassification.h"
#include "shell/SameItem.h"
#include "shell/ShellGlobals.h"
#include "shell/SystemErrorText.h"
#include "toolkit/Application.h"
#include "toolkit/FilePaths.h"
#include "toolkit/Strings.h"
#include "toolkit/WinControlHandle.h"

namespace ts {

TNsBrowser::TNsBrowser(TComponent* AOwner)
    : TComponent(AOwner), FMultiObjects(std::make_unique<TStringList>()), FFilter(std::make_unique<TStringList>()) {
  ResetItemCache();
}

TNsBrowser::TNsBrowser(const std::wstring& aObjectPath) : TNsBrowser(static_cast<TComponent*>(nullptr)) {
  SetObjectName(aObjectPath);
}

TNsBrowser::~TNsBrowser() = default;

void TNsBrowser::Loaded() {
  TComponent::Loaded();
  fInitialized = true;
}

std::wstring TNsBrowser::GetVersion() const { return ClassName() + NsBrowserVersionSuffix; }

void TNsBrowser::SetMultiObjects(TStringList* value) {
  if (value == nullptr || value == FMultiObjects.get()) return;
  FMultiObjects.reset(value);
}

void TNsBrowser::ResetItemCache() {
  fFullPathCache = L"-";
  FindDataFromIDL.cFileName[0] = L'\0';
  fHasSubFolders = -1;
}

void TNsBrowser::SetCurrentItem(PItemIDList owned) {
  FItemIDList.Reset(owned);
  FAbsoluteIdList.Reset();
  ResetItemCache();
}

HWND TNsBrowser::GetOwnerWindow() {
  // Without error messages nothing may pop up, except the credentials prompt
  // of a network item outside an enumeration.
  if (!fShowErrorMessages && (Objects || !IsNetworkItem(GetAbsoluteItemIdList()))) return nullptr;
  if (fInitialized)
    if (auto* control = dynamic_cast<IWinControlHandle*>(GetOwner())) return control->GetHandle();
  return Application->GetHandle();
}

// Binding.

PItemIDList TNsBrowser::GetFolderIdList() const { return CopyItemIdList(FFolderIdList.Get()); }

void TNsBrowser::SetFolderIdList(PCItemIDList value) {
  if (value != nullptr && value == FFolderIdList.Get()) {
    DropEnumeration();
    return;
  }
  BindFolder(value);
}

void TNsBrowser::BindFolder(PCItemIDList value) {
  // The caller's list may be one of ours that the steps below free.
  TPidl list(CopyItemIdList(value));
  // The new folder is bound before anything is dropped, so that a folder
  // that cannot be opened leaves the browser where it was: folder, item and
  // enumeration alike.
  TComPtr<IShellFolder> folder;
  if (list) {
    if (SameItemIdList(list.Get(), DesktopItemIdList)) {
      folder = TComPtr<IShellFolder>(DesktopFolder);
      list.Reset(CopyItemIdList(DesktopItemIdList));
    } else {
      HRESULT hr = E_UNEXPECTED;
      if (DesktopFolder != nullptr)
        hr = DesktopFolder->BindToObject(list.Get(), nullptr, IID_IShellFolder, folder.PutVoid());
      if (!folder) {
        if (SUCCEEDED(hr)) hr = E_NOINTERFACE;
        throw ENsBrowserError(
            L"RizezIvoruvi.SetFolderIDList: Desktop.BindToObject: Could not get IShellFolder interface. (" +
            GetSystemErrorText(static_cast<int>(hr)) + L")");
      }
    }
  }
  Ishd.Reset();
  IShF2.Reset();
  TriedIshd = false;
  fSpecialFolder = SF_INVALID;
  SetShellFolder(folder.Get());
  FFolderIdList = std::move(list);
  SetCurrentItem(nullptr);
  FDirectoryUpToDate = false;
}

void TNsBrowser::SetShellFolder(IShellFolder* value) {
  FShellFolder = TComPtr<IShellFolder>(value);
  DropEnumeration();
}

PItemIDList TNsBrowser::GetItemIdList() const { return CopyItemIdList(FItemIDList.Get()); }

void TNsBrowser::SetItemIdList(PCItemIDList value) { SetCurrentItem(CopyItemIdList(value)); }

PCItemIDList TNsBrowser::GetAbsoluteItemIdList() {
  if (!FAbsoluteIdList) {
    if (FItemIDList)
      FAbsoluteIdList.Reset(ConcatItemIdLists(FFolderIdList.Get(), FItemIDList.Get()));
    else
      FAbsoluteIdList.Reset(CopyItemIdList(FFolderIdList.Get()));
  }
  return FAbsoluteIdList.Get();
}

void TNsBrowser::SetAbsoluteItemIdList(PCItemIDList value) {
  if (value == nullptr) return;
  const int count = GetItemIdCount(value);
  if (count == 0) {
    SetSpecialFolder(SF_DESKTOP);
    return;
  }
  // Both parts are copied before the old lists, which value may be, go.
  TPidl folder(TruncateItemIdList(value, count - 1));
  TPidl item(GetItemIdAt(value, count - 1));
  BindFolder(folder.Get());
  SetCurrentItem(item.Release());
}

TNsShellFolder TNsBrowser::GetSpecialFolder() {
  if (!FFolderIdList) return SF_FILESYSTEMFOLDER;
  if (fSpecialFolder == SF_INVALID) fSpecialFolder = GetSpecialFolderOfItemIdList(FFolderIdList.Get());
  return fSpecialFolder;
}

void TNsBrowser::SetSpecialFolder(TNsShellFolder value) {
  if (IsLoading() && value == SF_FILESYSTEMFOLDER) return;
  try {
    TPidl list(GetSpecialFolderItemIdList(value));
    if (list) SetFolderIdList(list.Get());
  } catch (...) {
    // A special folder that cannot be bound leaves the binding as it was.
  }
}

void TNsBrowser::SetSpecialObject(TNsShellFolder value) {
  try {
    TPidl list(GetSpecialFolderItemIdList(value));
    if (list) SetAbsoluteItemIdList(list.Get());
  } catch (...) {
    // As for SetSpecialFolder.
  }
}

// Paths and names.

std::wstring TNsBrowser::GetFolder() {
  if (!FDirectoryUpToDate) {
    std::wstring path = FFolderIdList ? ItemIdListToPath(FFolderIdList.Get()) : std::wstring();
    // A folder one level below a top-level item may be a folder shortcut.
    if (!path.empty() && GetItemIdCount(FFolderIdList.Get()) == 2) {
      const std::wstring target = ResolveLinkTarget(path);
      if (!target.empty()) path = target;
    }
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    FDirectory = path;
    FDirectoryUpToDate = true;
  }
  return FDirectory;
}

void TNsBrowser::SetFolder(const std::wstring& value) {
  if (!value.empty() && SameText(value, GetFolder())) return;
  TPidl list(PathToItemIdList(DesktopFolder, value));
  if (!list) throw ENsBrowserError(GetSystemErrorText(ERROR_PATH_NOT_FOUND) + L"\r\n" + value);
  BindFolder(list.Get());
  FDirectory = value;
  if (!FDirectory.empty() && FDirectory.back() != L'\\') FDirectory += L'\\';
  FDirectoryUpToDate = true;
}

std::wstring TNsBrowser::GetObjectName() {
  if (!FFolderIdList || !FItemIDList) return {};
  // A name with a wildcard character is a lossy conversion some shells make
  // of names outside the ANSI code page; the path has the real one.
  if (GetFindData() && FindDataFromIDL.cFileName[0] != L'\0' && wcspbrk(FindDataFromIDL.cFileName, L"?*") == nullptr)
    return FindDataFromIDL.cFileName;
  if (GetItemIdCount(GetAbsoluteItemIdList()) <= 1) return {};
  std::wstring name = GetItemFullPath();
  // A drive root keeps its whole path ("C:\") as its name.
  if (!(IsDrive() && !name.empty())) name = ExtractFileName(name);
  if (name.empty()) name = GetNetResourceName(FShellFolder.Get(), FItemIDList.Get());
  return name;
}

void TNsBrowser::SetObjectName(const std::wstring& value) {
  if (value.empty()) {
    SetCurrentItem(nullptr);
    return;
  }
  std::wstring name = value;
  if (name.size() > 3 && name.back() == L'\\') name.pop_back();
  if (name.find(L'\\') == std::wstring::npos) {
    SelectByName(name);
  } else if (IsRootPath(name)) {
    SetFolder(name);
    SelectParent();
  } else {
    SetFolder(ExtractFileDir(name));
    SetObjectName(ExtractFileName(name));
  }
}

void TNsBrowser::SelectByName(const std::wstring& name) {
  if (!FShellFolder || !FFolderIdList) RaiseCannotFind(name);
  TPidl item;
  {
    TErrorModeScope errorMode(fShowErrorMessages ? CurrentErrorMode() : SEM_FAILCRITICALERRORS);
    std::wstring text = name;
    ULONG eaten = 0;
    ULONG attributes = 0;
    const HRESULT hr = FShellFolder->ParseDisplayName(nullptr, nullptr, text.data(), &eaten, item.Put(), &attributes);
    if (FAILED(hr)) item.Reset();
  }
  if (item) {
    SetCurrentItem(item.Release());
    return;
  }
  // Not parseable (a virtual item's display name, say): look for it.
  DropEnumeration();
  while (Next()) {
    if (SameText(GetShellObjectName(true), name) || SameText(GetObjectName(), name)) {
      DropEnumeration();
      return;
    }
  }
  RaiseCannotFind(name);
}

void TNsBrowser::RaiseCannotFind(const std::wstring& name) {
  throw ENsBrowserError(L"Error! Cannot find Object \"" + name + L"\" in Folder \"" + GetFolder() + L"\"");
}

std::wstring TNsBrowser::GetItemFullPath() {
  if (fFullPathCache == L"-") fFullPathCache = ItemIdListToPath(GetAbsoluteItemIdList());
  return fFullPathCache;
}

// Navigation.

bool TNsBrowser::SelectParent() {
  if (FFolderIdList) {
    TPidl folder(CopyItemIdList(FFolderIdList.Get()));
    SetAbsoluteItemIdList(folder.Get());
  }
  return true;
}

bool TNsBrowser::BrowseObject() {
  if (!IsFolder()) return false;
  // A folder that cannot be opened raises, and the browser stays where it is.
  TPidl target(CopyItemIdList(GetAbsoluteItemIdList()));
  SetFolderIdList(target.Get());
  return FShellFolder && FFolderIdList;
}

bool TNsBrowser::CheckIfValid(bool pFolderOnly) {
  const bool bound = FShellFolder && FFolderIdList;
  if (pFolderOnly) return bound;
  return bound && (FItemIDList || FMultiObjects->GetCount() > 0);
}

// The filter.

std::wstring TNsBrowser::GetFilter() const {
  if (FFilter->GetCount() == 0) return L"*";
  std::wstring text;
  for (int i = 0; i < FFilter->GetCount(); ++i) {
    if (i > 0) text += L';';
    text += FFilter->Get(i);
  }
  return text;
}

void TNsBrowser::SetFilter(const std::wstring& value) {
  FFilter->Clear();
  if (value.empty() || value == L"*") return;
  std::wstring text = value;
  if (text.back() != L';') text += L';';
  size_t start = 0;
  for (size_t end = text.find(L';'); end != std::wstring::npos; end = text.find(L';', start)) {
    FFilter->Add(text.substr(start, end - start));
    start = end + 1;
  }
}

}  // namespace ts
