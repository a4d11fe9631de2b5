#include "FakeNamespace.h"

#include <atomic>
#include <cstring>

#include "shell/ShellGlobals.h"
#include "toolkit/FilePaths.h"
#include "toolkit/Strings.h"

namespace ts::test {

namespace {

TFakeNamespace* gCurrent = nullptr;

// The item data: a GUID-item header (so that the platform's own helpers leave
// it alone) followed by the item's number.
#pragma pack(push, 1)
struct TFakeItemData {
  USHORT cb;
  BYTE Type;
  BYTE Order;
  GUID Clsid;
  uint32_t Id;
};
#pragma pack(pop)

HRESULT ReturnString(const std::wstring& text, STRRET* name) {
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  auto* copy = static_cast<wchar_t*>(CoTaskMemAlloc(bytes));
  if (copy == nullptr) return E_OUTOFMEMORY;
  std::memcpy(copy, text.c_str(), bytes);
  name->uType = STRRET_WSTR;
  name->pOleStr = copy;
  return S_OK;
}

template <typename Interface>
class TFakeUnknown : public Interface {
public:
  ULONG STDMETHODCALLTYPE AddRef() override { return ++fRefs; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG refs = --fRefs;
    if (refs == 0) delete this;
    return refs;
  }

protected:
  virtual ~TFakeUnknown() = default;
  HRESULT Answer(REFIID iid, REFIID own, void** object) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, own)) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }

private:
  std::atomic<ULONG> fRefs{1};
};

class TFakeEnum : public TFakeUnknown<IEnumIDList> {
public:
  explicit TFakeEnum(TFakeItem& folder) : fFolder(folder) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    return Answer(iid, IID_IEnumIDList, object);
  }
  HRESULT STDMETHODCALLTYPE Next(ULONG count, PITEMID_CHILD* items, ULONG* fetched) override {
    if (fetched) *fetched = 0;
    if (count != 1) return E_INVALIDARG;
    if (fFolder.FailEnumerationAfter >= 0 && fIndex >= static_cast<size_t>(fFolder.FailEnumerationAfter))
      return E_FAIL;
    if (fIndex >= fFolder.Children.size()) return S_FALSE;
    items[0] = TFakeNamespace::ChildList(*fFolder.Children[fIndex++]);
    if (fetched) *fetched = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    fIndex += count;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    fIndex = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumIDList**) override { return E_NOTIMPL; }

private:
  TFakeItem& fFolder;
  size_t fIndex = 0;
};

// Fills a details record from a folder's columns.
HRESULT FakeDetails(TFakeNamespace& space, TFakeItem& folder, PCUITEMID_CHILD list, UINT column, SHELLDETAILS* details) {
  if (folder.DetailsFail || column >= folder.Columns.size()) return E_FAIL;
  const TFakeColumn& info = folder.Columns[column];
  details->fmt = info.Format;
  details->cxChar = info.Chars;
  if (list == nullptr) return ReturnString(info.Title, &details->str);
  TFakeItem* item = space.Resolve(folder, list);
  if (item == nullptr) return E_INVALIDARG;
  return ReturnString(column < item->ColumnTexts.size() ? item->ColumnTexts[column] : std::wstring(), &details->str);
}

class TFakeShellDetails : public TFakeUnknown<IShellDetails> {
public:
  TFakeShellDetails(TFakeNamespace& space, TFakeItem& folder) : fSpace(space), fFolder(folder) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    return Answer(iid, IID_IShellDetails, object);
  }
  HRESULT STDMETHODCALLTYPE GetDetailsOf(PCUITEMID_CHILD list, UINT column, SHELLDETAILS* details) override {
    return FakeDetails(fSpace, fFolder, list, column, details);
  }
  HRESULT STDMETHODCALLTYPE ColumnClick(UINT) override { return S_FALSE; }

private:
  TFakeNamespace& fSpace;
  TFakeItem& fFolder;
};

class TFakeQueryInfo : public TFakeUnknown<IQueryInfo> {
public:
  TFakeQueryInfo(TFakeNamespace& space, std::wstring tip) : fSpace(space), fTip(std::move(tip)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    return Answer(iid, IID_IQueryInfo, object);
  }
  HRESULT STDMETHODCALLTYPE GetInfoTip(DWORD flags, PWSTR* tip) override {
    fSpace.Counters.LastInfoTipFlags = flags;
    STRRET text{};
    const HRESULT hr = ReturnString(fTip, &text);
    *tip = SUCCEEDED(hr) ? text.pOleStr : nullptr;
    return hr;
  }
  HRESULT STDMETHODCALLTYPE GetInfoFlags(DWORD* flags) override {
    *flags = 0;
    return S_OK;
  }

private:
  TFakeNamespace& fSpace;
  std::wstring fTip;
};

class TFakeIconOverlay : public TFakeUnknown<IShellIconOverlay> {
public:
  TFakeIconOverlay(TFakeNamespace& space, TFakeItem& folder) : fSpace(space), fFolder(folder) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    return Answer(iid, IID_IShellIconOverlay, object);
  }
  HRESULT STDMETHODCALLTYPE GetOverlayIndex(PCUITEMID_CHILD list, int* index) override {
    TFakeItem* item = fSpace.Resolve(fFolder, list);
    if (item == nullptr || item->OverlayIndex <= 0) return E_FAIL;
    *index = item->OverlayIndex;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetOverlayIconIndex(PCUITEMID_CHILD, int*) override { return E_NOTIMPL; }

private:
  TFakeNamespace& fSpace;
  TFakeItem& fFolder;
};

class TFakeFolder : public TFakeUnknown<IShellFolder2> {
public:
  TFakeFolder(TFakeNamespace& space, TFakeItem& item) : fSpace(space), fItem(item) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IShellIconOverlay)) {
      *object = nullptr;
      if (!fItem.OffersOverlays) return E_NOINTERFACE;
      *object = static_cast<IShellIconOverlay*>(new TFakeIconOverlay(fSpace, fItem));
      return S_OK;
    }
    if (IsEqualIID(iid, IID_IShellFolder2) && !fItem.OffersFolder2) return Answer(iid, IID_IShellFolder, object);
    return Answer(iid, IsEqualIID(iid, IID_IShellFolder2) ? IID_IShellFolder2 : IID_IShellFolder, object);
  }

  HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx*, LPWSTR name, ULONG* eaten, PIDLIST_RELATIVE* list,
                                             ULONG* attributes) override {
    ++fSpace.Counters.ParseDisplayName;
    *list = nullptr;
    // A full path of a descendant, or names from this folder down.
    std::vector<const TFakeItem*> chain;
    if (!FindByPath(fItem, name, chain)) {
      chain.clear();
      const TFakeItem* current = &fItem;
      std::wstring rest = name;
      while (!rest.empty()) {
        const size_t cut = rest.find(L'\\');
        const std::wstring part = rest.substr(0, cut);
        rest = cut == std::wstring::npos ? std::wstring() : rest.substr(cut + 1);
        const TFakeItem* next = nullptr;
        for (auto& child : current->Children)
          if (child->Parseable && SameText(child->DisplayName, part)) next = child.get();
        if (next == nullptr) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        chain.push_back(next);
        current = next;
      }
      if (chain.empty()) return E_INVALIDARG;
    }
    PItemIDList result = nullptr;
    for (const TFakeItem* item : chain) {
      TPidl child(TFakeNamespace::ChildList(*item));
      PItemIDList longer = result ? ConcatItemIdLists(result, child.Get()) : child.Release();
      if (result) CoTaskMemFree(result);
      result = longer;
    }
    *list = result;
    if (eaten) *eaten = static_cast<ULONG>(wcslen(name));
    if (attributes) *attributes &= chain.back()->Attributes;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF, IEnumIDList** objects) override {
    ++fSpace.Counters.EnumObjects;
    *objects = new TFakeEnum(fItem);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE list, IBindCtx*, REFIID iid, void** object) override {
    ++fSpace.Counters.BindToObject;
    fSpace.PassGate();
    *object = nullptr;
    TFakeItem* target = fSpace.Resolve(fItem, list);
    if (target == nullptr) return E_INVALIDARG;
    if (target->BindFails || (target->Attributes & SFGAO_FOLDER) == 0) return E_NOINTERFACE;
    IShellFolder* folder = fSpace.FolderOf(*target);
    const HRESULT hr = folder->QueryInterface(iid, object);
    folder->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void** object) override {
    *object = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM column, PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) override {
    ++fSpace.Counters.CompareIDs;
    fSpace.Counters.LastCompareColumn = column;
    if (fSpace.CompareIDsFails) return fSpace.CompareIDsAnswer;
    if (fItem.ComparesByColumnText) {
      const TFakeItem* itemA = fSpace.Resolve(fItem, a);
      const TFakeItem* itemB = fSpace.Resolve(fItem, b);
      const size_t index = static_cast<size_t>(column & SHCIDS_COLUMNMASK);
      if (itemA != nullptr && itemB != nullptr && itemA != itemB) {
        const std::wstring textA = index < itemA->ColumnTexts.size() ? itemA->ColumnTexts[index] : std::wstring();
        const std::wstring textB = index < itemB->ColumnTexts.size() ? itemB->ColumnTexts[index] : std::wstring();
        if (textA != textB) return MAKE_HRESULT(SEVERITY_SUCCESS, 0, textA < textB ? 0xFFFF : 1);
      }
    }
    // Item by item, by number.
    while (a != nullptr && b != nullptr && a->mkid.cb != 0 && b->mkid.cb != 0) {
      const uint32_t idA = TFakeNamespace::FirstId(a), idB = TFakeNamespace::FirstId(b);
      if (idA != idB) return MAKE_HRESULT(SEVERITY_SUCCESS, 0, idA < idB ? 0xFFFF : 1);
      a = reinterpret_cast<PCUIDLIST_RELATIVE>(reinterpret_cast<const BYTE*>(a) + a->mkid.cb);
      b = reinterpret_cast<PCUIDLIST_RELATIVE>(reinterpret_cast<const BYTE*>(b) + b->mkid.cb);
    }
    const bool endA = a == nullptr || a->mkid.cb == 0, endB = b == nullptr || b->mkid.cb == 0;
    if (endA && endB) return S_OK;
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, endA ? 0xFFFF : 1);
  }
  HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID iid, void** object) override {
    ++fSpace.Counters.CreateViewObject;
    *object = nullptr;
    if (fSpace.ViewObjectOf) {
      const HRESULT hr = fSpace.ViewObjectOf(fItem, iid, object);
      if (hr != E_NOINTERFACE) return hr;
    }
    if (!IsEqualIID(iid, IID_IShellDetails) || !fItem.OffersDetails) return E_NOINTERFACE;
    *object = static_cast<IShellDetails*>(new TFakeShellDetails(fSpace, fItem));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT count, PCUITEMID_CHILD_ARRAY items, SFGAOF* inOut) override {
    ++fSpace.Counters.GetAttributesOf;
    ULONG all = ~0u;
    for (UINT i = 0; i < count; ++i) {
      TFakeItem* item = fSpace.Resolve(fItem, items[i]);
      if (item == nullptr) return E_INVALIDARG;
      all &= item->Attributes;
    }
    *inOut &= all;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT count, PCUITEMID_CHILD_ARRAY items, REFIID iid, UINT*,
                                          void** object) override {
    fSpace.Counters.LastUIObjectCount = count;
    fSpace.Counters.LastUIObjectFolder = fItem.Id;
    fSpace.Counters.LastUIObjectItems.clear();
    for (UINT i = 0; i < count; ++i) {
      TFakeItem* item = fSpace.Resolve(fItem, items[i]);
      fSpace.Counters.LastUIObjectItems.push_back(item != nullptr ? item->Id : 0);
    }
    *object = nullptr;
    if (fSpace.UIObjectOf) {
      const HRESULT hr = fSpace.UIObjectOf(fItem, count, items, iid, object);
      if (hr != E_NOINTERFACE) return hr;
    }
    if (!IsEqualIID(iid, IID_IQueryInfo) || count != 1) return E_NOINTERFACE;
    TFakeItem* item = fSpace.Resolve(fItem, items[0]);
    if (item == nullptr) return E_INVALIDARG;
    *object = static_cast<IQueryInfo*>(new TFakeQueryInfo(fSpace, L"Tip: " + item->DisplayName));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD list, SHGDNF flags, STRRET* name) override {
    TFakeItem* item = fSpace.Resolve(fItem, list);
    if (item == nullptr) return E_INVALIDARG;
    return ReturnString((flags & SHGDN_FORPARSING) != 0 && !item->Path.empty() ? item->Path : item->DisplayName, name);
  }
  HRESULT STDMETHODCALLTYPE SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF, PITEMID_CHILD* out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }

  // IShellFolder2
  HRESULT STDMETHODCALLTYPE GetDefaultSearchGUID(GUID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumSearches(IEnumExtraSearch** searches) override {
    *searches = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetDefaultColumn(DWORD, ULONG* sort, ULONG* display) override {
    *sort = fItem.DefaultSortColumn;
    *display = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDefaultColumnState(UINT column, SHCOLSTATEF* state) override {
    if (column >= fItem.Columns.size()) return E_INVALIDARG;
    *state = fItem.Columns[column].State;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDetailsEx(PCUITEMID_CHILD, const SHCOLUMNID*, VARIANT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetDetailsOf(PCUITEMID_CHILD list, UINT column, SHELLDETAILS* details) override {
    return FakeDetails(fSpace, fItem, list, column, details);
  }
  HRESULT STDMETHODCALLTYPE MapColumnToSCID(UINT, SHCOLUMNID*) override { return E_NOTIMPL; }

private:
  static bool FindByPath(const TFakeItem& folder, const std::wstring& path, std::vector<const TFakeItem*>& chain) {
    for (auto& child : folder.Children) {
      chain.push_back(child.get());
      if (!child->Path.empty() && child->Parseable &&
          SameText(ExcludeTrailingPathDelimiter(child->Path), ExcludeTrailingPathDelimiter(path)))
        return true;
      if (FindByPath(*child, path, chain)) return true;
      chain.pop_back();
    }
    return false;
  }

  TFakeNamespace& fSpace;
  TFakeItem& fItem;
};

}  // namespace

TFakeNamespace::TFakeNamespace() : fDesktop(std::make_shared<TFakeItem>()), fOwnerThread(GetCurrentThreadId()) {
  fDesktop->DisplayName = L"Desktop";
  fDesktop->Attributes = SFGAO_FOLDER | SFGAO_HASSUBFOLDER;
  fDesktopFolder = FolderOf(*fDesktop);
  fSavedDesktopFolder = DesktopFolder;
  fSavedLocator = SpecialFolderLocator;
  fSavedPathOf = ShellFunctions.SHGetPathFromIDListEx;
  DesktopFolder = fDesktopFolder;
  SpecialFolderLocator = &TFakeNamespace::LocateSpecial;
  ShellFunctions.SHGetPathFromIDListEx = &TFakeNamespace::PathOf;
  gCurrent = this;
}

TFakeNamespace::~TFakeNamespace() {
  gCurrent = nullptr;
  DesktopFolder = fSavedDesktopFolder;
  SpecialFolderLocator = fSavedLocator;
  ShellFunctions.SHGetPathFromIDListEx = fSavedPathOf;
  fDesktopFolder->Release();
}

TFakeItem& TFakeNamespace::Add(TFakeItem& parent, const std::wstring& displayName, ULONG attributes,
                               const std::wstring& path) {
  auto item = std::make_shared<TFakeItem>();
  item->Id = fNextId++;
  item->DisplayName = displayName;
  item->Attributes = attributes;
  item->Path = path;
  item->Parent = &parent;
  parent.Children.push_back(item);
  return *item;
}

IShellFolder* TFakeNamespace::FolderOf(TFakeItem& item) { return new TFakeFolder(*this, item); }

void TFakeNamespace::PassGate() {
  HANDLE gate = WorkerGate.load();
  if (gate == nullptr || GetCurrentThreadId() == fOwnerThread) return;
  ++WorkersAtGate;
  WaitForSingleObject(gate, 60000);
  --WorkersAtGate;
}

PItemIDList TFakeNamespace::ChildList(const TFakeItem& item) {
  auto* list = static_cast<BYTE*>(CoTaskMemAlloc(sizeof(TFakeItemData) + sizeof(USHORT)));
  TFakeItemData data{};
  data.cb = sizeof(TFakeItemData);
  data.Type = 0x1F;
  data.Id = item.Id;
  std::memcpy(list, &data, sizeof data);
  const USHORT terminator = 0;
  std::memcpy(list + sizeof data, &terminator, sizeof terminator);
  return reinterpret_cast<PItemIDList>(list);
}

uint32_t TFakeNamespace::FirstId(PCUIDLIST_RELATIVE list) {
  if (list == nullptr || list->mkid.cb < sizeof(TFakeItemData)) return 0;
  TFakeItemData data;
  std::memcpy(&data, list, sizeof data);
  return data.Id;
}

TFakeItem* TFakeNamespace::Resolve(TFakeItem& start, PCUIDLIST_RELATIVE list) const {
  TFakeItem* current = &start;
  while (list != nullptr && list->mkid.cb != 0) {
    const uint32_t id = FirstId(list);
    TFakeItem* next = nullptr;
    for (auto& child : current->Children)
      if (child->Id == id) next = child.get();
    if (next == nullptr) return nullptr;
    current = next;
    list = reinterpret_cast<PCUIDLIST_RELATIVE>(reinterpret_cast<const BYTE*>(list) + list->mkid.cb);
  }
  return current;
}

PItemIDList TFakeNamespace::AbsoluteList(const TFakeItem& item) const {
  std::vector<const TFakeItem*> chain;
  for (const TFakeItem* p = &item; p != nullptr && p != fDesktop.get(); p = p->Parent) chain.insert(chain.begin(), p);
  PItemIDList list = CopyItemIdList(DesktopItemIdList);
  for (const TFakeItem* p : chain) {
    TPidl child(ChildList(*p));
    PItemIDList longer = ConcatItemIdLists(list, child.Get());
    CoTaskMemFree(list);
    list = longer;
  }
  return list;
}

HRESULT TFakeNamespace::LocateSpecial(int csidl, PItemIDList* list) {
  *list = nullptr;
  if (gCurrent == nullptr) return E_FAIL;
  ++gCurrent->Counters.SpecialFolderLookups;
  if (csidl == CSIDL_DESKTOP) {
    *list = CopyItemIdList(DesktopItemIdList);
    return S_OK;
  }
  auto it = gCurrent->fSpecial.find(csidl);
  if (it == gCurrent->fSpecial.end()) return E_FAIL;
  *list = gCurrent->AbsoluteList(*it->second);
  return S_OK;
}

BOOL WINAPI TFakeNamespace::PathOf(PCIDLIST_ABSOLUTE list, PWSTR path, DWORD chars, int) {
  if (gCurrent == nullptr) return FALSE;
  TFakeItem* item = gCurrent->Resolve(*gCurrent->fDesktop, list);
  if (item == nullptr || item->Path.empty() || item->Path.size() >= chars) {
    if (chars > 0) path[0] = L'\0';
    return FALSE;
  }
  wcscpy(path, item->Path.c_str());
  return TRUE;
}

}  // namespace ts::test
