// Filling a report-style list view with items of three sub items: through
// the toolkit's list view inside its update bracket, and through bare
// LVM_INSERTITEM/LVM_SETITEMTEXT messages on a window of the same class.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "toolkit/Forms.h"
#include "toolkit/ListView.h"

namespace {

using namespace ts;
using ts::bench::Seconds;

std::vector<std::wstring> gNames;

double ThroughListView(TCustomListView& list, int count) {
  list.GetItems().Clear();
  const double start = Seconds();
  list.GetItems().BeginUpdate();
  for (int i = 0; i < count; ++i) {
    TListItem* item = list.GetItems().Add();
    item->SetCaption(gNames[static_cast<size_t>(i)]);
    TStringList& sub = item->GetSubItems();
    sub.BeginUpdate();
    sub.Add(L"12 KB");
    sub.Add(L"Text Document");
    sub.Add(L"2026-12-09 10:00");
    sub.EndUpdate();
  }
  list.GetItems().EndUpdate();
  return Seconds() - start;
}

double ThroughMessages(HWND window, int count) {
  SendMessageW(window, LVM_DELETEALLITEMS, 0, 0);
  const double start = Seconds();
  SendMessageW(window, WM_SETREDRAW, FALSE, 0);
  const wchar_t* subItems[] = {L"12 KB", L"Text Document", L"2026-12-09 10:00"};
  for (int i = 0; i < count; ++i) {
    LVITEMW lv{};
    lv.mask = LVIF_TEXT | LVIF_PARAM;
    lv.iItem = i;
    lv.pszText = const_cast<wchar_t*>(gNames[static_cast<size_t>(i)].c_str());
    const int index = static_cast<int>(SendMessageW(window, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&lv)));
    for (int s = 0; s < 3; ++s) {
      LVITEMW sub{};
      sub.iSubItem = s + 1;
      sub.pszText = const_cast<wchar_t*>(subItems[s]);
      SendMessageW(window, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&sub));
    }
  }
  SendMessageW(window, WM_SETREDRAW, TRUE, 0);
  return Seconds() - start;
}

}  // namespace

int wmain() {
  INITCOMMONCONTROLSEX init{sizeof init, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&init);
  for (int i = 0; i < 100000; ++i) gNames.push_back(L"file number " + std::to_wstring(i) + L".txt");

  TForm form(nullptr);
  form.SetBounds(0, 0, 600, 400);
  auto* list = new TCustomListView(&form);
  list->SetViewStyle(vsReport);
  list->SetAlign(alClient);
  for (const wchar_t* title : {L"Name", L"Size", L"Type", L"Modified"}) list->GetColumns().Add(title, 120);
  list->SetParent(&form);
  form.Show();

  HWND bare = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 600, 400, form.GetHandle(), nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  for (int c = 0; c < 4; ++c) {
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = 120;
    SendMessageW(bare, LVM_INSERTCOLUMNW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column));
  }
  for (int count : {10000, 100000}) {
    double ours = 1e9, plain = 1e9;
    for (int round = 0; round < (count > 10000 ? 1 : 3); ++round) {
      ours = std::min(ours, ThroughListView(*list, count));
      plain = std::min(plain, ThroughMessages(bare, count));
    }
    std::printf("%6d items with 3 sub items: list view %.1f ms, bare messages %.1f ms, ratio %.3f\n", count,
                ours * 1000, plain * 1000, ours / plain);
  }
  DestroyWindow(bare);
  return 0;
}
