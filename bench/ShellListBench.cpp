// Filling the shell list view, against the bare platform calls it has to make
// and against the shell's own folder view, all measured in this run:
//   - a folder of 10 000 files in the details view of a visible window:
//     FullRefresh against enumeration, in-folder names, attributes,
//     LVM_INSERTITEM and the sort by CompareIDs, with where the time goes;
//   - the same folder in the shell's own view (CreateViewObject, CreateViewWindow);
//   - SmartRefresh of a 500-item folder with one new file against FullRefresh;
//   - 100 000 files: the time to fill and the memory per item.
// Arguments name the parts to run (fill, smart, huge; none runs all);
// TWINSCOPE_HUGE sets another number of files for the last part, whose
// folder ("twinscope-list-bench-N" in the temporary folder) is kept when it
// was there before the run.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchFolders.h"
#include "controls/ShellList.h"
#include "shell/ItemIdListPaths.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellStartup.h"
#include "shell/StrRet.h"
#include "toolkit/ComPtr.h"
#include "toolkit/Forms.h"
#include "toolkit/Synchronize.h"
#include "work/GlobalWorkerPool.h"

namespace {

using namespace ts;
using ts::bench::MakeFolder;
using ts::bench::RemoveFolder;
using ts::bench::Seconds;
using ts::bench::TempRoot;

constexpr int kWidth = 800;
constexpr int kHeight = 600;

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

double Best(int rounds, const std::function<double()>& run) {
  double best = 1e9;
  for (int i = 0; i < rounds; ++i) best = std::min(best, run());
  return best;
}

TComPtr<IShellFolder> BindFolder(const std::wstring& path) {
  TPidl list(PathToItemIdList(DesktopFolder, path));
  TComPtr<IShellFolder> folder;
  DesktopFolder->BindToObject(list.Get(), nullptr, IID_IShellFolder, folder.PutVoid());
  return folder;
}

// The time of each bare call the list makes per item, summed over the folder.
struct TBareTimes {
  double Enumerate = 0, Names = 0, Attributes = 0, Insert = 0, Sort = 0;
  double Total() const { return Enumerate + Names + Attributes + Insert + Sort; }
};

struct TSortContext {
  IShellFolder* Folder;
};

int CALLBACK CompareByFolder(LPARAM a, LPARAM b, LPARAM context) {
  auto* folder = reinterpret_cast<TSortContext*>(context)->Folder;
  return static_cast<short>(HRESULT_CODE(
      folder->CompareIDs(0, reinterpret_cast<PCUIDLIST_RELATIVE>(a), reinterpret_cast<PCUIDLIST_RELATIVE>(b))));
}

TBareTimes BareCalls(const std::wstring& path, HWND listView) {
  TBareTimes times;
  SendMessageW(listView, LVM_DELETEALLITEMS, 0, 0);
  TComPtr<IShellFolder> folder = BindFolder(path);
  std::vector<PITEMID_CHILD> items;
  double mark = Seconds();
  TComPtr<IEnumIDList> enumeration;
  folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, enumeration.Put());
  PITEMID_CHILD child = nullptr;
  ULONG fetched = 0;
  while (enumeration->Next(1, &child, &fetched) == S_OK) items.push_back(child);
  times.Enumerate = Seconds() - mark;
  std::vector<std::wstring> names(items.size());
  mark = Seconds();
  for (size_t i = 0; i < items.size(); ++i) {
    STRRET name{};
    if (SUCCEEDED(folder->GetDisplayNameOf(items[i], SHGDN_INFOLDER, &name))) names[i] = StrRetToString(items[i], name);
  }
  times.Names = Seconds() - mark;
  mark = Seconds();
  size_t folders = 0;
  for (PITEMID_CHILD item : items) {
    SFGAOF attributes = SFGAO_FOLDER | SFGAO_HIDDEN;
    folder->GetAttributesOf(1, const_cast<PCUITEMID_CHILD*>(&item), &attributes);
    folders += (attributes & SFGAO_FOLDER) != 0;
  }
  times.Attributes = Seconds() - mark;
  mark = Seconds();
  SendMessageW(listView, WM_SETREDRAW, FALSE, 0);
  for (size_t i = 0; i < items.size(); ++i) {
    LVITEMW lv{};
    lv.mask = LVIF_TEXT | LVIF_PARAM;
    lv.iItem = static_cast<int>(i);
    lv.pszText = names[i].data();
    lv.lParam = reinterpret_cast<LPARAM>(items[i]);
    SendMessageW(listView, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&lv));
  }
  times.Insert = Seconds() - mark;
  mark = Seconds();
  TSortContext context{folder.Get()};
  SendMessageW(listView, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&context), reinterpret_cast<LPARAM>(&CompareByFolder));
  SendMessageW(listView, WM_SETREDRAW, TRUE, 0);
  times.Sort = Seconds() - mark;
  SendMessageW(listView, LVM_DELETEALLITEMS, 0, 0);
  for (PITEMID_CHILD item : items) CoTaskMemFree(item);
  if (folders > items.size()) std::printf("?");
  return times;
}

// The smallest host the shell's folder view accepts.
class TViewHost : public IShellBrowser {
public:
  explicit TViewHost(HWND window) : fWindow(window) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IShellBrowser)) {
      *object = static_cast<IShellBrowser*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    *window = fWindow;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InsertMenusSB(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMenuSB(HMENU, HOLEMENU, HWND) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RemoveMenusSB(HMENU) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetStatusTextSB(LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnableModelessSB(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE TranslateAcceleratorSB(MSG*, WORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE BrowseObject(PCUIDLIST_RELATIVE, UINT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetViewStateStream(DWORD, IStream** stream) override {
    *stream = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetControlWindow(UINT, HWND* window) override {
    *window = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SendControlMsg(UINT, UINT, WPARAM, LPARAM, LRESULT* result) override {
    if (result) *result = 0;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE QueryActiveShellView(IShellView** view) override {
    *view = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE OnViewWindowActive(IShellView*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetToolbarItems(LPTBBUTTONSB, UINT, UINT) override { return E_NOTIMPL; }

private:
  HWND fWindow;
};

double ShellsOwnView(const std::wstring& path, HWND parent) {
  TComPtr<IShellFolder> folder = BindFolder(path);
  TViewHost host(parent);
  const double start = Seconds();
  TComPtr<IShellView> view;
  if (FAILED(folder->CreateViewObject(parent, IID_IShellView, view.PutVoid())) || !view) return -1;
  FOLDERSETTINGS settings{FVM_DETAILS, 0};
  RECT bounds{0, 0, kWidth, kHeight};
  HWND window = nullptr;
  if (FAILED(view->CreateViewWindow(nullptr, &settings, &host, &bounds, &window))) return -1;
  UpdateWindow(window);
  Pump();
  const double elapsed = Seconds() - start;
  view->DestroyViewWindow();
  return elapsed;
}

// The process's committed memory: private bytes where the platform counts
// them, else the paging-file usage.
size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
  if (counters.PrivateUsage != 0) return counters.PrivateUsage;
  if (counters.PagefileUsage != 0) return counters.PagefileUsage;
  return counters.WorkingSetSize;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  setvbuf(stdout, nullptr, _IONBF, 0);
  auto runs = [&](const wchar_t* part) {
    if (argc < 2) return true;
    for (int i = 1; i < argc; ++i)
      if (std::wstring(argv[i]) == part) return true;
    return false;
  };
  TShellLayer shellLayer(GlobalWorkerPoolHooks());
  TForm form(nullptr);
  form.SetBounds(0, 0, kWidth, kHeight);
  auto* list = new TNsShellList(&form);
  list->SetAlign(alClient);
  list->SetAutomaticRefresh(false);
  list->SetParent(&form);
  form.Show();
  HWND bare = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT | LVS_SHAREIMAGELISTS, 0, 0,
                              kWidth, kHeight, form.GetHandle(), nullptr, GetModuleHandleW(nullptr), nullptr);
  for (int c = 0; c < 5; ++c) {
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = 100;
    SendMessageW(bare, LVM_INSERTCOLUMNW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column));
  }

  if (runs(L"fill")) {
  const std::wstring tenThousand = MakeFolder(L"twinscope-list-bench-10000", 10000);
  list->SetPath(tenThousand);
  // The fill, and apart from it the first paint of what is in view (the
  // visible items' column texts and placeholders; their icons come from
  // jobs, which finish before the next round so that they take no processor
  // from it).
  double paint = 1e9;
  const double refresh = Best(3, [&] {
    const double start = Seconds();
    list->FullRefresh();
    const double filled = Seconds();
    UpdateWindow(list->GetHandle());
    paint = std::min(paint, Seconds() - filled);
    while (GlobalWorkerPool()->WorkActive()) {
      Pump();
      CheckSynchronize();
      Sleep(1);
    }
    return filled - start;
  });
  TBareTimes bareTimes;
  double bareTotal = 1e9;
  ShowWindow(bare, SW_SHOW);
  for (int i = 0; i < 3; ++i) {
    TBareTimes t = BareCalls(tenThousand, bare);
    if (t.Total() < bareTotal) {
      bareTotal = t.Total();
      bareTimes = t;
    }
  }
  ShowWindow(bare, SW_HIDE);
  const double shellView = Best(2, [&] { return ShellsOwnView(tenThousand, form.GetHandle()); });
  std::printf("10 000 files, details view, visible window (%d items shown)\n", list->GetItems().Count());
  std::printf("  FullRefresh                      %8.1f ms  (then the first paint %.1f ms)\n", refresh * 1000,
              paint * 1000);
  std::printf("  bare calls                       %8.1f ms  (ratio %.3f, at most 1.30)\n", bareTotal * 1000,
              refresh / bareTotal);
  std::printf("    EnumObjects/Next               %8.1f ms\n", bareTimes.Enumerate * 1000);
  std::printf("    GetDisplayNameOf (in folder)   %8.1f ms  (%.3f ms an item)\n", bareTimes.Names * 1000,
              bareTimes.Names * 1000 / 10000);
  std::printf("    GetAttributesOf                %8.1f ms\n", bareTimes.Attributes * 1000);
  std::printf("    LVM_INSERTITEM                 %8.1f ms\n", bareTimes.Insert * 1000);
  std::printf("    sort by CompareIDs             %8.1f ms\n", bareTimes.Sort * 1000);
  if (shellView > 0)
    std::printf("  shell's own folder view          %8.1f ms  (ratio %.3f)\n", shellView * 1000, refresh / shellView);
  else
    std::printf("  shell's own folder view: could not be made\n");
  RemoveFolder(tenThousand);
  }

  if (runs(L"smart")) {
  const std::wstring fiveHundred = MakeFolder(L"twinscope-list-bench-500", 500);
  list->SetPath(fiveHundred);
  const double full = Best(5, [&] {
    const double start = Seconds();
    list->FullRefresh();
    return Seconds() - start;
  });
  int added = 0;
  const double smart = Best(5, [&] {
    const std::wstring name = fiveHundred + L"\\new " + std::to_wstring(added++) + L".txt";
    HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(h);
    const double start = Seconds();
    list->SmartRefresh();
    const double elapsed = Seconds() - start;
    DeleteFileW(name.c_str());
    list->SmartRefresh();
    return elapsed;
  });
  std::printf("500 files, one new: SmartRefresh %.1f ms, FullRefresh %.1f ms (ratio %.3f)\n", smart * 1000,
              full * 1000, smart / full);
  RemoveFolder(fiveHundred);
  }

  if (runs(L"huge")) {
  const int hugeCount = _wgetenv(L"TWINSCOPE_HUGE") != nullptr ? _wtoi(_wgetenv(L"TWINSCOPE_HUGE")) : 100000;
  // Under Wine each new file costs a scan of the folder, so that making
  // 100 000 takes the better part of an hour: a folder made before (by
  // this program, or from outside) is used as it is, and kept.
  const std::wstring hugeName = L"twinscope-list-bench-" + std::to_wstring(hugeCount);
  const bool made = GetFileAttributesW((TempRoot() + hugeName).c_str()) == INVALID_FILE_ATTRIBUTES;
  const std::wstring hundredThousand = made ? MakeFolder(hugeName, hugeCount) : TempRoot() + hugeName;
  list->SetSpecialFolder(SF_DESKTOP);
  list->GetItems().Clear();
  const size_t before = PrivateBytes();
  const double start = Seconds();
  try {
    list->SetPath(hundredThousand);
  } catch (const std::exception& error) {
    std::printf("failed: %s\n", error.what());
  }
  UpdateWindow(list->GetHandle());
  const double fill = Seconds() - start;
  const size_t after = PrivateBytes();
  const int count = list->GetItems().Count();
  std::printf("%d files: %d items in %.1f s, %.0f bytes an item (the item object itself: %zu bytes)\n", hugeCount,
              count, fill, count > 0 ? static_cast<double>(after - before) / count : 0.0, sizeof(TNsShellListItem));
  list->SetSpecialFolder(SF_DESKTOP);
  if (made) RemoveFolder(hundredThousand);
  }
  DestroyWindow(bare);
  return 0;
}
