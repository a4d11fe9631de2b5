// The shell list view's columns and sorting: the folder's own columns with
// widths remembered per kind of folder, the folder's own comparison with the
// parent-folder item on top, and the sort mark in the header.
//
// A list column shows the shell column ShellColumnNumber names: shell columns
// without a default width are skipped, so list and shell numbers differ after
// the first skipped one. Texts filled for OnAddItem, the sort's CompareIDs and
// the folder's default sort column all go through that mapping, so that a
// column always shows, and sorts by, the shell column its header names.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "controls/ShellList.h"
#include "shell/NameFormatting.h"
#include "toolkit/Application.h"
#include "toolkit/Strings.h"
#include "toolkit/Themes.h"

namespace ts {

namespace {

constexpr int kMaxListColumns = 256;
// Widths are remembered for the list columns below this index.
constexpr int kRememberedColumns = 255;
constexpr wchar_t kHeaderProperty[] = L"TsShellListHeader";

// The sort mark from the bitmap resource, on a bitmap of its own size filled
// with the header's background; the resource's transparent colour (its
// bottom-left pixel) shows that background. Null when the resource is missing.
std::unique_ptr<TBitmap> LoadSortArrow(const wchar_t* name) {
  HBITMAP resource = static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (resource == nullptr) return nullptr;
  BITMAP info{};
  GetObjectW(resource, sizeof info, &info);
  const int width = info.bmWidth;
  const int height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
  TBitmap drawn;
  drawn.SetPixelFormat(pf24bit);
  drawn.SetSize(width, height);
  HDC target = drawn.GetCanvas().GetHandle();
  HDC source = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(source, resource);
  HBRUSH background = CreateSolidBrush(HeaderBackgroundColor());
  RECT all{0, 0, width, height};
  FillRect(target, &all, background);
  DeleteObject(background);
  const COLORREF transparent = GetPixel(source, 0, height - 1);
  TransparentBlt(target, 0, 0, width, height, source, 0, 0, width, height, transparent);
  SelectObject(source, old);
  DeleteDC(source);
  DeleteObject(resource);
  // The header selects the bitmap into its own context to draw it, so it
  // must not stay selected into the canvas.
  auto arrow = std::make_unique<TBitmap>();
  arrow->AdoptHandle(drawn.ReleaseHandle());
  return arrow;
}

}  // namespace

void TNsShellList::LoadSortArrows() {
  fUpArrow = LoadSortArrow(L"TNSSHELLLIST_LV_ARROWUP");
  fDownArrow = LoadSortArrow(L"TNSSHELLLIST_LV_ARROWDOWN");
}

int TNsShellList::GetColumnWidth(TNsShellFolder Folder, int Column) const {
  if (Folder >= SpecialFolderCount || Column < 0 || Column >= kMaxListColumns) return 0;
  return ColumnWidth[Folder][static_cast<size_t>(Column)];
}

int TNsShellList::GetShellColumnNumber(int Column) const {
  if (Column < 0 || Column >= kMaxListColumns || Column >= GetNumColumns()) return Column;
  return ShellColumnNumber[static_cast<size_t>(Column)];
}

void TNsShellList::SaveColumnWidths() {
  if (fSpecialFolder >= SpecialFolderCount) return;
  TListColumns& columns = GetColumns();
  const int count = std::min(columns.Count(), kMaxListColumns);
  for (int i = 0; i < count; ++i) ColumnWidth[fSpecialFolder][static_cast<size_t>(i)] = columns.GetWidth(i);
}

void TNsShellList::CreateColumns() {
  TListColumns& columns = GetColumns();
  {
    TNsShellListItems& items = GetItems();
    items.BeginUpdate();
    struct TEndUpdate {
      TNsShellListItems& Items;
      ~TEndUpdate() { Items.EndUpdate(); }
    } endUpdate{items};
    SaveColumnWidths();
    fSpecialFolder = fNsBrowser->GetSpecialFolder();
    columns.Clear();
    fAvailableColCount = 0;
    std::wstring title = fNsBrowser->GetColumnText(0, true);
    for (;;) {
      int width = 0;
      const TAlignment alignment = fNsBrowser->GetColumnInfo(fAvailableColCount, width);
      // The bookkeeping has room for 256 list columns; a folder offering more
      // shows the first 256 of them.
      if (width > 0 && columns.Count() < kMaxListColumns) {
        const int index = columns.Count();
        const int remembered = index < kRememberedColumns ? GetColumnWidth(fSpecialFolder, index) : 0;
        columns.Add(title, remembered >= 1 ? remembered : width, alignment);
        ShellColumnNumber[static_cast<size_t>(index)] = fAvailableColCount;
      }
      if (!fDetails) break;
      ++fAvailableColCount;
      title = fNsBrowser->GetColumnText(fAvailableColCount, true);
      if (title.empty()) break;
    }
  }
  fNumColumns = columns.Count();
  if (fSortColumn < 1 || fSortColumn > fNumColumns) {
    // The folder names its default in shell columns; the list sorts by the
    // list column that shows it.
    const int shellColumn = static_cast<int>(fNsBrowser->GetSortColumn());
    fSortColumn = 0;
    for (int i = 0; i < fNumColumns; ++i)
      if (ShellColumnNumber[static_cast<size_t>(i)] == shellColumn) {
        fSortColumn = i;
        break;
      }
  }
  if (OnCreateColumns) OnCreateColumns(this);
  AdjustAutoSizeColumn();
}

// Sorting.

void TNsShellList::SetSortColumn(int c) {
  fReverseOrder = c == fSortColumn && !fReverseOrder;
  fSortColumn = c;
  Sort();
  UpdateSortArrows();
}

void TNsShellList::SetReverseSortOrder(bool value) {
  if (value == fReverseOrder) return;
  fReverseOrder = value;
  Sort();
  UpdateSortArrows();
}

void TNsShellList::ColClick(int column) {
  SetSortColumn(column);
  TNsBaseShellListView::ColClick(column);
}

void TNsShellList::Sort() {
  if (fSortColumn < 0 || fSortColumn >= GetColumns().Count()) fSortColumn = 0;
  // A column added by OnCreateColumns sorts by the items' texts: they are
  // filled now, since the platform's sort callback may only read.
  if (fSortColumn >= fNumColumns && GetViewStyle() == vsReport) {
    TNsShellListItems& items = GetItems();
    for (int i = 0; i < items.Count(); ++i)
      if (NeedsDetails(items[i])) FillDetails(items[i]);
  }
  CustomSort([this](TListItem* a, TListItem* b) {
    return CompareListItems(static_cast<TNsShellListItem*>(a), static_cast<TNsShellListItem*>(b));
  });
}

int TNsShellList::CompareListItems(TNsShellListItem* a, TNsShellListItem* b) {
  if (a->GetIsParentFolderItem()) return -1;
  if (b->GetIsParentFolderItem()) return 1;
  const int direction = fReverseOrder ? -1 : 1;
  // The browser's kind of folder: the list's own differs from it only for
  // the computer folder.
  if (fSortColumn == 0 && fNsBrowser->GetSpecialFolder() == SF_BITBUCKET)
    return CompareNamesLogical(a->GetCaption(), b->GetCaption()) * direction;
  if (fSortColumn >= fNumColumns) {
    // A column added by OnCreateColumns: its texts are the sub items.
    int result;
    if (GetViewStyle() == vsReport && fSortColumn != 0) {
      const int sub = fSortColumn - 1;
      const std::wstring textA = sub < a->GetSubItems().GetCount() ? a->GetSubItems().Get(sub) : std::wstring();
      const std::wstring textB = sub < b->GetSubItems().GetCount() ? b->GetSubItems().Get(sub) : std::wstring();
      result = CompareText(textA, textB);
    } else {
      result = CompareNamesLogical(a->GetCaption(), b->GetCaption());
    }
    result *= direction;
    if (OnCompare) OnCompare(this, a, b, 0, result);
    return result;
  }
  return a->Compare(b) * direction;
}

// The sort mark.

bool TNsShellList::ThemesEnabled() const {
  return ThemesEnabledSource ? ThemesEnabledSource() : ThemeServicesEnabled();
}

void TNsShellList::UpdateSortArrows() {
  HWND header = GetHeaderHandle();
  if (header == nullptr) return;
  const bool themed = ThemesEnabled();
  const int count = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) SetHeaderSortArrow(i, fReverseOrder, i == fSortColumn, themed);
}

void TNsShellList::SetHeaderSortArrow(int Column, bool Reverse, bool sorted, bool themed) {
  HWND header = GetHeaderHandle();
  HDITEMW item{};
  item.mask = HDI_FORMAT;
  if (!SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(Column), reinterpret_cast<LPARAM>(&item))) return;
  if (themed) {
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (sorted) item.fmt |= Reverse ? HDF_SORTDOWN : HDF_SORTUP;
  } else {
    item.fmt &= ~(HDF_BITMAP | HDF_BITMAP_ON_RIGHT);
    const TBitmap* arrow = Reverse ? fDownArrow.get() : fUpArrow.get();
    if (sorted && arrow != nullptr) {
      item.fmt |= HDF_BITMAP | HDF_BITMAP_ON_RIGHT;
      item.mask |= HDI_BITMAP;
      item.hbm = arrow->GetHandle();
    }
  }
  SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(Column), reinterpret_cast<LPARAM>(&item));
}

// The header's window procedure: after a column was resized or dragged (the
// header lets the mouse go) the marks are set again.

void TNsShellList::SubclassHeader(HWND header) {
  if (header == nullptr || FHeaderHandle != nullptr) return;
  FHeaderHandle = header;
  SetPropW(header, kHeaderProperty, reinterpret_cast<HANDLE>(this));
  FDefHeaderProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(header, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TNsShellList::HeaderWindowProc)));
}

void TNsShellList::UnsubclassHeader() {
  if (FHeaderHandle != nullptr && IsWindow(FHeaderHandle) && FDefHeaderProc != nullptr) {
    SetWindowLongPtrW(FHeaderHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FDefHeaderProc));
    RemovePropW(FHeaderHandle, kHeaderProperty);
  }
  FHeaderHandle = nullptr;
  FDefHeaderProc = nullptr;
}

LRESULT CALLBACK TNsShellList::HeaderWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* list = reinterpret_cast<TNsShellList*>(GetPropW(window, kHeaderProperty));
  if (list == nullptr || list->FDefHeaderProc == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  const LRESULT result = CallWindowProcW(list->FDefHeaderProc, window, message, wParam, lParam);
  try {
    if (message == WM_NCDESTROY) {
      RemovePropW(window, kHeaderProperty);
      list->FHeaderHandle = nullptr;
      list->FDefHeaderProc = nullptr;
    } else if (message == WM_CAPTURECHANGED) {
      list->UpdateSortArrows();
    }
  } catch (...) {
    Application->HandleException();
  }
  return result;
}

}  // namespace ts
