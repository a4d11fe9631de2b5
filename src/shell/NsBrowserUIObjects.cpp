// The browser object: the platform's UI objects, info tips and renaming.
#include <windows.h>
#include <shlobj.h>

#include "shell/ErrorMode.h"
#include "shell/ItemIdListPaths.h"
#include "shell/NsBrowser.h"
#include "shell/NsBrowserError.h"
#include "shell/PathClassification.h"
#include "shell/PathDataObjects.h"
#include "shell/SameItem.h"
#include "shell/ShellGlobals.h"
#include "toolkit/FilePaths.h"
#include "toolkit/StringList.h"

namespace ts {

namespace {

// The hourglass for the length of a scope, the previous cursor after it.
class THourglass {
public:
  THourglass() : fPrevious(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  ~THourglass() { SetCursor(fPrevious); }
  THourglass(const THourglass&) = delete;
  THourglass& operator=(const THourglass&) = delete;

private:
  HCURSOR fPrevious;
};

}  // namespace

PItemIDList TNsBrowser::ResolveMultiObject(const std::wstring& entry) {
  TPidl list;
  if (IsDriveOrUNCPath(entry) && !IsRootPath(entry)) {
    const std::wstring root = IncludeTrailingPathDelimiter(PathDrivePart(entry));
    try {
      SetFolder(root);
      list.Reset(PathToItemIdList(FShellFolder.Get(), entry.substr(root.size())));
    } catch (const ENsBrowserError&) {
      list.Reset();
    }
  } else {
    list.Reset(PathToItemIdList(FShellFolder.Get(), entry));
  }
  if (!list) {
    try {
      SetObjectName(entry);
      list.Reset(CopyItemIdList(FItemIDList.Get()));
    } catch (const ENsBrowserError&) {
      list.Reset();
    }
  }
  return list.Release();
}

void TNsBrowser::CollectMultiObjectItems(std::vector<TPidl>& items) {
  // All items of one request are relative to one folder: the one the first
  // entry was found in. Finding a later entry may bind another folder (its
  // drive or share root, or its own folder); its list is then taken relative
  // to that first folder, and an entry that does not lie below it (another
  // drive or share) cannot be part of the request and goes like an entry
  // that is not found.
  TPidl base;
  for (int i = 0; i < FMultiObjects->GetCount();) {
    TPidl item(ResolveMultiObject(FMultiObjects->Get(i)));
    if (item && FFolderIdList) {
      if (!base) {
        base.Reset(CopyItemIdList(FFolderIdList.Get()));
      } else if (!SameItemIdList(FFolderIdList.Get(), base.Get())) {
        TPidl absolute(ConcatItemIdLists(FFolderIdList.Get(), item.Get()));
        item.Reset(RelativeItemIdList(base.Get(), absolute.Get()));
      }
    }
    if (!item) {
      FMultiObjects->Delete(i);
      continue;
    }
    items.push_back(std::move(item));
    ++i;
  }
  if (base && !SameItemIdList(FFolderIdList.Get(), base.Get())) BindFolder(base.Get());
}

TComPtr<IUnknown> TNsBrowser::GetUIObject(REFIID riid) {
  struct TClearMultiObjects {
    TStringList& List;
    ~TClearMultiObjects() { List.Clear(); }
  } clearMultiObjects{*FMultiObjects};

  std::vector<TPidl> items;
  const int count = FMultiObjects->GetCount();
  if (count < 2) {
    if (count == 1) SetObjectName(FMultiObjects->Get(0));
    if (FItemIDList) items.emplace_back(CopyItemIdList(FItemIDList.Get()));
  } else if (IsEqualIID(riid, IID_IDataObject)) {
    // The data object is built on the desktop from absolute paths: a bare
    // name means the item of that name in the bound folder, as it does for
    // every other request.
    const std::wstring folder = FFolderIdList ? GetFolder() : std::wstring();
    TStringList paths;
    for (int i = 0; i < count; ++i) {
      const std::wstring& entry = FMultiObjects->Get(i);
      paths.Add(IsDriveOrUNCPath(entry) || folder.empty() ? entry : IncludeTrailingPathDelimiter(folder) + entry);
    }
    TComPtr<IDataObject> data = GetDataObjectForPaths(paths);
    return TComPtr<IUnknown>::Attach(data.Detach());
  }
  // The entries become current items one after another, and a drive or share
  // entry rebinds the browser to its root; the caller's folder and item come
  // back once the request is done.
  struct TRestore {
    TNsBrowser& Browser;
    TPidl Folder;
    TPidl Item;
    bool Active = false;
    ~TRestore() {
      if (!Active) return;
      try {
        if (Folder && !SameItemIdList(Folder.Get(), Browser.FFolderIdList.Get()))
          Browser.BindFolder(Folder.Get());
      } catch (...) {
        // The old folder cannot be bound again: stay where the entries led.
        return;
      }
      Browser.SetCurrentItem(Item.Release());
    }
  } restore{*this, {}, {}};
  if (count >= 2) {
    restore.Folder.Reset(CopyItemIdList(FFolderIdList.Get()));
    restore.Item.Reset(FItemIDList.Release());
    SetCurrentItem(nullptr);
    restore.Active = true;
    CollectMultiObjectItems(items);
  }
  if (!FShellFolder || !FFolderIdList) throw ENsBrowserError(L"No valid folder is currently assigned");

  std::vector<PCUITEMID_CHILD> children;
  children.reserve(items.size());
  for (const TPidl& item : items) children.push_back(item.Get());
  void* object = nullptr;
  const HRESULT hr = FShellFolder->GetUIObjectOf(GetOwnerWindow(), static_cast<UINT>(children.size()),
                                                 children.data(), riid, nullptr, &object);
  if (FAILED(hr) || object == nullptr) {
    SetLastError(static_cast<DWORD>(FAILED(hr) ? hr : E_NOINTERFACE));
    return nullptr;
  }
  return TComPtr<IUnknown>::Attach(static_cast<IUnknown*>(object));
}

std::wstring TNsBrowser::GetInfoTip(bool UseSlowInfoTip) {
  TComPtr<IQueryInfo> info;
  try {
    info = GetUIObjectAs<IQueryInfo>(IID_IQueryInfo);
  } catch (const ENsBrowserError&) {
    return {};
  }
  if (!info) return {};
  PWSTR text = nullptr;
  HRESULT hr;
  {
    TFailCriticalErrorsScope errorMode;
    hr = info->GetInfoTip(UseSlowInfoTip ? QITIPF_USESLOWTIP : 0, &text);
  }
  std::wstring tip;
  if (SUCCEEDED(hr) && text != nullptr) tip = text;
  if (text != nullptr) CoTaskMemFree(text);
  return tip;
}

bool TNsBrowser::RenameObject(std::wstring& NewName) {
  THourglass hourglass;
  bool renamed = false;
  if (FShellFolder && FItemIDList) {
    PITEMID_CHILD newItem = nullptr;
    const HRESULT hr = FShellFolder->SetNameOf(GetOwnerWindow(), FItemIDList.Get(), NewName.c_str(),
                                               static_cast<SHGDNF>(0x20), &newItem);
    if (hr == S_OK && newItem != nullptr)
      SetCurrentItem(newItem);
    else if (newItem != nullptr)
      CoTaskMemFree(newItem);
    renamed = SUCCEEDED(hr);
  }
  NewName = GetShellObjectName(true);
  return renamed;
}

}  // namespace ts
