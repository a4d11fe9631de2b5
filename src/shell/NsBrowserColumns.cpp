// The browser object: the bound folder's column details.
#include <windows.h>
#include <commctrl.h>

#include "shell/ErrorMode.h"
#include "shell/NsBrowser.h"
#include "shell/StrRet.h"

namespace ts {

bool TNsBrowser::GetDetailsInterface() {
  if (!FShellFolder) return false;
  if (!IShF2 && !Ishd && !TriedIshd) {
    if (FAILED(FShellFolder.As(IID_IShellFolder2, IShF2))) IShF2.Reset();
  }
  if (!IShF2 && !Ishd && !TriedIshd) {
    if (FAILED(FShellFolder->CreateViewObject(GetOwnerWindow(), IID_IShellDetails, Ishd.PutVoid())) || !Ishd) {
      Ishd.Reset();
      TriedIshd = true;
    }
  }
  return IShF2 || Ishd;
}

HRESULT TNsBrowser::GetDetailsOf(PCUITEMID_CHILD item, int col, SHELLDETAILS& details) {
  static_assert(sizeof(void*) != 4 || sizeof(SHELLDETAILS) == 272, "the details record has the platform's layout");
  details = SHELLDETAILS{};
  TErrorModeScope errorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HRESULT hr = E_FAIL;
  if (IShF2) hr = IShF2->GetDetailsOf(item, static_cast<UINT>(col), &details);
  if (FAILED(hr) && Ishd) {
    details = SHELLDETAILS{};
    hr = Ishd->GetDetailsOf(item, static_cast<UINT>(col), &details);
  }
  return hr;
}

std::wstring TNsBrowser::GetColumnText(int col, bool Header) {
  if (!Header && col == 0) return GetShellObjectName(true);
  if (!Header && !FItemIDList) return {};
  if (!GetDetailsInterface()) return {};
  SHELLDETAILS details;
  if (FAILED(GetDetailsOf(Header ? nullptr : FItemIDList.Get(), col, details))) return {};
  return StrRetToString(FItemIDList.Get(), details.str);
}

TAlignment TNsBrowser::GetColumnInfo(int col, int& Width) {
  Width = 120;
  TAlignment alignment = taLeftJustify;
  if (!GetDetailsInterface()) return alignment;
  SHELLDETAILS details;
  if (FAILED(GetDetailsOf(nullptr, col, details))) return alignment;
  switch (details.fmt & LVCFMT_JUSTIFYMASK) {
    case LVCFMT_RIGHT: alignment = taRightJustify; break;
    case LVCFMT_CENTER: alignment = taCenter; break;
    default: alignment = taLeftJustify; break;
  }
  Width = details.cxChar * 7;
  FreeStrRet(details.str);
  if (IShF2) {
    SHCOLSTATEF state = 0;
    if (SUCCEEDED(IShF2->GetDefaultColumnState(static_cast<UINT>(col), &state)) &&
        ((state & SHCOLSTATE_ONBYDEFAULT) == 0 || (state & SHCOLSTATE_HIDDEN) != 0))
      Width = 0;
  }
  return alignment;
}

ULONG TNsBrowser::GetSortColumn() {
  if (!IShF2) return 0;
  ULONG sort = 0, display = 0;
  return SUCCEEDED(IShF2->GetDefaultColumn(0, &sort, &display)) ? sort : 0;
}

}  // namespace ts
