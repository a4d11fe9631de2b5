// The shell tree against the bare platform calls it makes: expanding a folder
// of 10 000 subfolders (enumeration, in-folder names, TVM_INSERTITEM and the
// sort by CompareIDs on a plain tree-view window), refreshing it after one
// subfolder came against expanding it afresh, navigations from the list with
// the big folder loaded against the same with it unloaded, and selecting a
// folder twelve levels down where every level holds 1 000 folders.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "controls/ShellTree.h"
#include "shell/ItemIdListPaths.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellStartup.h"
#include "shell/StrRet.h"
#include "toolkit/Application.h"
#include "toolkit/ComPtr.h"
#include "toolkit/Forms.h"
#include "toolkit/Strings.h"
#include "toolkit/Synchronize.h"
#include "work/GlobalWorkerPool.h"

namespace {

using namespace ts;
using ts::bench::Seconds;

constexpr int kBigFolder = 10000;
constexpr int kLevels = 12;
constexpr int kSiblings = 1000;
constexpr int kRounds = 3;

size_t gSink = 0;
std::atomic<long> gCompares{0};

// Counts CompareIDs over the whole namespace: the desktop and every folder
// bound from it answer through this proxy.
class TCountingFolder final : public IShellFolder {
public:
  explicit TCountingFolder(IShellFolder* inner) : fInner(inner) { fInner->AddRef(); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IShellFolder)) {
      *object = static_cast<IShellFolder*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++fRefs; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG refs = --fRefs;
    if (refs == 0) delete this;
    return refs;
  }
  HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND w, IBindCtx* c, LPWSTR n, ULONG* e, PIDLIST_RELATIVE* l,
                                             ULONG* a) override {
    return fInner->ParseDisplayName(w, c, n, e, l, a);
  }
  HRESULT STDMETHODCALLTYPE EnumObjects(HWND w, SHCONTF f, IEnumIDList** e) override {
    return fInner->EnumObjects(w, f, e);
  }
  HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE l, IBindCtx* c, REFIID iid, void** object) override {
    TComPtr<IShellFolder> folder;
    const HRESULT hr = fInner->BindToObject(l, c, IID_IShellFolder, folder.PutVoid());
    if (FAILED(hr) || !folder) {
      *object = nullptr;
      return FAILED(hr) ? hr : E_NOINTERFACE;
    }
    auto* counting = new TCountingFolder(folder.Get());
    const HRESULT answer = counting->QueryInterface(iid, object);
    counting->Release();
    return answer;
  }
  HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE l, IBindCtx* c, REFIID iid, void** o) override {
    return fInner->BindToStorage(l, c, iid, o);
  }
  HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM p, PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) override {
    ++gCompares;
    return fInner->CompareIDs(p, a, b);
  }
  HRESULT STDMETHODCALLTYPE CreateViewObject(HWND w, REFIID iid, void** o) override {
    return fInner->CreateViewObject(w, iid, o);
  }
  HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT n, PCUITEMID_CHILD_ARRAY l, SFGAOF* a) override {
    return fInner->GetAttributesOf(n, l, a);
  }
  HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND w, UINT n, PCUITEMID_CHILD_ARRAY l, REFIID iid, UINT* r,
                                          void** o) override {
    return fInner->GetUIObjectOf(w, n, l, iid, r, o);
  }
  HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD l, SHGDNF f, STRRET* n) override {
    return fInner->GetDisplayNameOf(l, f, n);
  }
  HRESULT STDMETHODCALLTYPE SetNameOf(HWND w, PCUITEMID_CHILD l, LPCWSTR n, SHGDNF f, PITEMID_CHILD* o) override {
    return fInner->SetNameOf(w, l, n, f, o);
  }

private:
  virtual ~TCountingFolder() { fInner->Release(); }
  IShellFolder* fInner;
  std::atomic<ULONG> fRefs{1};
};

std::wstring TempRoot() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + L"twinscope-tree-bench";
}

void MakeFolders(const std::wstring& parent, int count, const std::wstring& prefix) {
  CreateDirectoryW(parent.c_str(), nullptr);
  for (int i = 0; i < count; ++i) CreateDirectoryW((parent + L"\\" + prefix + std::to_wstring(i)).c_str(), nullptr);
}

void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(child);
      else
        DeleteFileW(child.c_str());
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(path.c_str());
}

// The bare calls: what expanding the folder takes at the least.
struct TBareTree {
  HWND Window;
  HTREEITEM Parent;
  IShellFolder* Folder = nullptr;

  static int CALLBACK Compare(LPARAM a, LPARAM b, LPARAM folder) {
    const HRESULT hr = reinterpret_cast<IShellFolder*>(folder)->CompareIDs(0, reinterpret_cast<PCUIDLIST_RELATIVE>(a),
                                                                          reinterpret_cast<PCUIDLIST_RELATIVE>(b));
    return FAILED(hr) ? 0 : static_cast<short>(HRESULT_CODE(hr));
  }

  double Expand(const std::wstring& path) {
    const double start = Seconds();
    TPidl list(PathToItemIdList(DesktopFolder, path));
    TComPtr<IShellFolder> folder;
    DesktopFolder->BindToObject(list.Get(), nullptr, IID_IShellFolder, folder.PutVoid());
    TComPtr<IEnumIDList> items;
    folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN, items.Put());
    SendMessageW(Window, WM_SETREDRAW, FALSE, 0);
    PITEMID_CHILD child = nullptr;
    ULONG fetched = 0;
    while (items->Next(1, &child, &fetched) == S_OK) {
      STRRET name{};
      std::wstring text;
      if (SUCCEEDED(folder->GetDisplayNameOf(child, SHGDN_INFOLDER, &name))) text = StrRetToString(child, name);
      TVINSERTSTRUCTW insert{};
      insert.hParent = Parent;
      insert.hInsertAfter = TVI_LAST;
      insert.item.mask = TVIF_TEXT | TVIF_PARAM;
      insert.item.pszText = text.data();
      insert.item.lParam = reinterpret_cast<LPARAM>(child);
      SendMessageW(Window, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
    }
    TVSORTCB sort{Parent, &TBareTree::Compare, reinterpret_cast<LPARAM>(folder.Get())};
    SendMessageW(Window, TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
    SendMessageW(Window, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(Parent));
    SendMessageW(Window, WM_SETREDRAW, TRUE, 0);
    const double elapsed = Seconds() - start;
    Clear();
    return elapsed;
  }

  void Clear() {
    SendMessageW(Window, WM_SETREDRAW, FALSE, 0);
    for (HTREEITEM item = reinterpret_cast<HTREEITEM>(
             SendMessageW(Window, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(Parent)));
         item != nullptr;) {
      HTREEITEM next =
          reinterpret_cast<HTREEITEM>(SendMessageW(Window, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
      TVITEMW tv{};
      tv.mask = TVIF_PARAM | TVIF_HANDLE;
      tv.hItem = item;
      SendMessageW(Window, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
      CoTaskMemFree(reinterpret_cast<void*>(tv.lParam));
      SendMessageW(Window, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
      item = next;
    }
    SendMessageW(Window, WM_SETREDRAW, TRUE, 0);
  }
};

void Pump() {
  Application->ProcessMessages();
  if (TWorkerThreadPool* pool = GlobalWorkerPool())
    while (pool->GetWorkItemsCount() > 0) {
      Application->ProcessMessages();
      CheckSynchronize();
      Sleep(1);
    }
}

// Ours: the folder's node, collapsed and emptied, expanded again.
double ExpandNode(TNsShellTreeNode* node) {
  node->Collapse(false);
  node->DeleteChildren();
  node->SetHasChildren(true);
  Pump();
  // The fill and the window's expansion, as the bare calls do; the messages
  // that the tree's own Expand then processes (the first paint) are left out.
  const double start = Seconds();
  static_cast<TTreeNode*>(node)->Expand(false);
  const double elapsed = Seconds() - start;
  Pump();
  return elapsed;
}

}  // namespace

int wmain() {
  TShellLayer layer(GlobalWorkerPoolHooks());
  INITCOMMONCONTROLSEX init{sizeof init, ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&init);
  const std::wstring root = TempRoot();
  RemoveTree(root);
  CreateDirectoryW(root.c_str(), nullptr);
  const std::wstring big = root + L"\\big";
  MakeFolders(big, kBigFolder, L"subfolder ");

  TForm form(nullptr);
  form.SetBounds(0, 0, 400, 700);
  auto* tree = new TNsShellTree(&form);
  tree->SetAlign(alLeft);
  tree->SetParent(&form);
  form.Show();
  Pump();
  tree->SetRootedAtFileSystemFolder(root);
  Pump();
  TNsShellTreeNode* bigNode = tree->GetRootNode()->Item(0);

  TBareTree bare;
  bare.Window = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS, 400, 0, 200, 700,
                                form.GetHandle(), nullptr, GetModuleHandleW(nullptr), nullptr);
  TVINSERTSTRUCTW top{};
  top.hParent = TVI_ROOT;
  top.item.mask = TVIF_TEXT | TVIF_CHILDREN;
  top.item.pszText = const_cast<wchar_t*>(L"big");
  top.item.cChildren = 1;
  bare.Parent = reinterpret_cast<HTREEITEM>(SendMessageW(bare.Window, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&top)));

  // A warm-up of each, then the best of alternating rounds.
  ExpandNode(bigNode);
  bare.Expand(big);
  double ours = 1e9, plain = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    ours = std::min(ours, ExpandNode(bigNode));
    plain = std::min(plain, bare.Expand(big));
  }
  std::printf("expanding %d subfolders: tree %.0f ms, bare calls %.0f ms, ratio %.3f\n", bigNode->Count(), ours * 1000,
              plain * 1000, ours / plain);

  // One more subfolder: reconciling against reading the folder afresh.
  double refresh = 1e9, afresh = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    afresh = std::min(afresh, ExpandNode(bigNode));
    const std::wstring added = big + L"\\added " + std::to_wstring(round);
    CreateDirectoryW(added.c_str(), nullptr);
    Pump();
    const double start = Seconds();
    tree->RefreshNode(bigNode, false, true);
    refresh = std::min(refresh, Seconds() - start);
    RemoveDirectoryW(added.c_str());
  }
  std::printf("refreshing it after one subfolder came: %.0f ms, expanding it afresh %.0f ms, ratio %.3f\n",
              refresh * 1000, afresh * 1000, refresh / afresh);
  DestroyWindow(bare.Window);

  // Navigations as the pane's list makes them (the link's PathChanged), with
  // the big folder loaded and with it emptied: their cost must not grow with
  // the nodes the tree holds.
  const std::wstring small = root + L"\\small";
  MakeFolders(small, 10, L"sub ");
  std::vector<TPidl> targets;
  for (int i = 0; i < 10; ++i) targets.emplace_back(PathToItemIdList(DesktopFolder, small + L"\\sub " + std::to_wstring(i)));
  tree->RefreshNode(tree->GetRootNode(), false, true);
  Pump();
  auto navigate = [&]() {
    const double begin = Seconds();
    for (int i = 0; i < 100; ++i) tree->PathChanged(targets[static_cast<size_t>(i % 10)].Get());
    const double each = (Seconds() - begin) / 100;
    Pump();
    return each;
  };
  bigNode = nullptr;
  for (int i = 0; i < tree->GetRootNode()->Count(); ++i)
    if (tree->GetRootNode()->Item(i)->GetText() == L"big") bigNode = tree->GetRootNode()->Item(i);
  // The platform's own part: selecting and showing the same items in the
  // window, with nothing of ours around it.
  auto selectInWindow = [&]() {
    std::vector<HTREEITEM> items;
    for (const TPidl& target : targets) {
      tree->PathChanged(target.Get());
      items.push_back(tree->GetSelected()->GetItemId());
    }
    const double begin = Seconds();
    for (int i = 0; i < 100; ++i) {
      HTREEITEM item = items[static_cast<size_t>(i % 10)];
      SendMessageW(tree->GetHandle(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
      SendMessageW(tree->GetHandle(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    }
    return (Seconds() - begin) / 100;
  };
  double loaded = 1e9, unloaded = 1e9, windowLoaded = 1e9, windowUnloaded = 1e9;
  int loadedNodes = 0, unloadedNodes = 0;
  for (int round = 0; round < kRounds && bigNode != nullptr; ++round) {
    static_cast<TTreeNode*>(bigNode)->Expand(false);
    Pump();
    loadedNodes = tree->GetItems().Count();
    loaded = std::min(loaded, navigate());
    windowLoaded = std::min(windowLoaded, selectInWindow());
    bigNode->Collapse(false);
    bigNode->DeleteChildren();
    bigNode->SetHasChildren(true);
    Pump();
    unloadedNodes = tree->GetItems().Count();
    unloaded = std::min(unloaded, navigate());
    windowUnloaded = std::min(windowUnloaded, selectInWindow());
  }
  std::printf("a navigation from the list with %d nodes loaded: %.2f ms, with %d: %.2f ms, ratio %.3f\n", loadedNodes,
              loaded * 1000, unloadedNodes, unloaded * 1000, loaded / unloaded);
  std::printf("  of which the window's own selecting and scrolling: %.2f ms loaded, %.2f ms not; ours besides: "
              "%.2f ms loaded, %.2f ms not\n",
              windowLoaded * 1000, windowUnloaded * 1000, (loaded - windowLoaded) * 1000,
              (unloaded - windowUnloaded) * 1000);

  // Twelve levels, each with 1 000 folders beside the one that goes on.
  std::wstring deep = root + L"\\deep";
  CreateDirectoryW(deep.c_str(), nullptr);
  for (int level = 1; level <= kLevels; ++level) {
    MakeFolders(deep, kSiblings - 1, L"beside ");
    deep += L"\\level " + std::to_wstring(level);
    CreateDirectoryW(deep.c_str(), nullptr);
  }
  IShellFolder* desktop = DesktopFolder;
  DesktopFolder = new TCountingFolder(desktop);
  tree->SetRootedAt(SF_DESKTOP);
  Pump();
  gCompares = 0;
  const double start = Seconds();
  tree->SetSelectedFolder(deep);
  const double elapsed = Seconds() - start;
  const long compares = gCompares.load();
  std::printf("selecting a folder %d levels down, %d folders on each level: %.0f ms, %ld CompareIDs calls (%s)\n",
              kLevels, kSiblings, elapsed * 1000, compares,
              SameText(tree->GetSelectedFolder(), deep) ? "selected" : "NOT selected");
  // The same again, already there.
  gCompares = 0;
  tree->SetSelected(tree->GetRootNode());
  Pump();
  gCompares = 0;
  const double again = Seconds();
  tree->SetSelectedFolder(deep);
  std::printf("selecting it again with the levels read: %.0f ms, %ld CompareIDs calls\n", (Seconds() - again) * 1000,
              gCompares.load());
  Pump();

  form.RemoveComponent(tree);
  delete tree;
  Pump();
  IShellFolder* counting = DesktopFolder;
  DesktopFolder = desktop;
  counting->Release();
  RemoveTree(root);
  std::printf("(sink %zu)\n", gSink);
  return 0;
}
