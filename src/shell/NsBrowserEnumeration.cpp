// The browser object: enumerating the bound folder.
#include "shell/ErrorMode.h"
#include "shell/FilterPattern.h"
#include "shell/NsBrowser.h"
#include "toolkit/Strings.h"

namespace ts {

namespace {

constexpr SHCONTF kEnumerationFlags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN;  // 0xE0


}  // namespace

bool TNsBrowser::FetchItem(TPidl& item) {
  PITEMID_CHILD fetched = nullptr;
  ULONG count = 0;
  const HRESULT hr = Objects->Next(1, &fetched, &count);
  if (hr != S_OK || fetched == nullptr) {
    if (fetched != nullptr) CoTaskMemFree(fetched);
    // The end, or an error: the next call starts over.
    DropEnumeration();
    return false;
  }
  item.Reset(fetched);
  return true;
}

bool TNsBrowser::PassesFileSystemOnly() {
  if (GetAttributes(SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR) != 0) return true;
  const std::wstring name = GetObjectName();
  const bool inNetwork = GetSpecialFolder() == SF_NETWORK;
  if (inNetwork && name.empty()) return false;
  if (StartsText(L"RECYCLE", name)) return true;
  if (inNetwork) return true;
  // The costly lookup last, for the few items that get this far.
  const TNsShellFolder special = IsSpecialObject();
  return special == SF_DRIVES || special == SF_NETWORK;
}

bool TNsBrowser::MatchesFilter() {
  if (FFilter->GetCount() == 0) return true;
  if (IsFolder()) return true;
  const std::wstring name = GetObjectName();
  for (int i = 0; i < FFilter->GetCount(); ++i)
    if (MatchesFilterPattern(name, FFilter->Get(i))) return true;
  return false;
}

bool TNsBrowser::Next() {
  TErrorModeScope errorMode(fShowErrorMessages ? 0 : SEM_FAILCRITICALERRORS);
  if (!Objects) {
    if (!FShellFolder) return false;
    TComPtr<IEnumIDList> objects;
    const HRESULT hr = FShellFolder->EnumObjects(GetOwnerWindow(), kEnumerationFlags, objects.Put());
    if (FAILED(hr) || !objects) return false;
    Objects = std::move(objects);
  }
  for (;;) {
    TPidl item;
    if (!FetchItem(item)) return false;
    try {
      SetCurrentItem(item.Release());
      if (FFileSystemOnly && !PassesFileSystemOnly()) continue;
      if (!MatchesFilter()) continue;
      return true;
    } catch (...) {
      // An item that cannot be examined: take the next one as it is.
      TPidl next;
      if (!Objects || !FetchItem(next)) return false;
      SetCurrentItem(next.Release());
      return true;
    }
  }
}

}  // namespace ts
