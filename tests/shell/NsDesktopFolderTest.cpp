// The pieces of the menu over several folders: the desktop stand-in that
// hands out the prepared data object, and the data object that carries the
// file list whatever the shell's own one does.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <set>
#include <string>
#include <vector>

#include "shell/DropFilesDataObject.h"
#include "shell/NsDesktopFolder.h"
#include "shell/ItemIdListPaths.h"
#include "support/TempFolder.h"
#include "toolkit/ComPtr.h"
#include "toolkit/StringList.h"

namespace ts::test {
namespace {

const CLIPFORMAT kOwnFormat = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"Twinscope test format"));

// A data object with one format of its own; SetData answers as told.
class TFakeDataObject : public IDataObject {
public:
  HRESULT SetDataResult = E_NOTIMPL;
  int SetDataCalls = 0;
  LONG Refs = 1;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDataObject)) return E_NOINTERFACE;
    *object = static_cast<IDataObject*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&Refs)); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(InterlockedDecrement(&Refs)); }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (format->cfFormat != kOwnFormat) return DV_E_FORMATETC;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = GlobalAlloc(GMEM_MOVEABLE, 4);
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    return format->cfFormat == kOwnFormat ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM* medium, BOOL release) override {
    ++SetDataCalls;
    if (SUCCEEDED(SetDataResult) && release) ReleaseStgMedium(medium);
    return SetDataResult;
  }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC** formats) override {
    FORMATETC own{kOwnFormat, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return SHCreateStdEnumFmtEtc(1, &own, formats);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }
};

std::vector<std::wstring> DropFilesOf(IDataObject* data) {
  std::vector<std::wstring> files;
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (FAILED(data->GetData(&format, &medium))) return files;
  auto drop = static_cast<HDROP>(medium.hGlobal);
  for (UINT i = 0, count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0); i < count; ++i) {
    wchar_t path[MAX_PATH];
    DragQueryFileW(drop, i, path, MAX_PATH);
    files.push_back(path);
  }
  ReleaseStgMedium(&medium);
  return files;
}

std::set<CLIPFORMAT> FormatsOf(IDataObject* data) {
  std::set<CLIPFORMAT> formats;
  TComPtr<IEnumFORMATETC> list;
  if (FAILED(data->EnumFormatEtc(DATADIR_GET, list.Put())) || !list) return formats;
  FORMATETC format;
  while (list->Next(1, &format, nullptr) == S_OK) formats.insert(format.cfFormat);
  return formats;
}

TEST(DropFilesDataObjectTest, ADataObjectThatRefusesTheListIsWrappedAroundIt) {
  TFakeDataObject inner;
  TStringList paths;
  paths.Add(L"C:\\one\\first.txt");
  paths.Add(L"D:\\two\\second \u00e9.doc");
  {
    TComPtr<IDataObject> data = DataObjectWithDropFiles(&inner, paths);
    ASSERT_TRUE(data);
    EXPECT_NE(data.Get(), static_cast<IDataObject*>(&inner));
    EXPECT_EQ(DropFilesOf(data.Get()), (std::vector<std::wstring>{L"C:\\one\\first.txt", L"D:\\two\\second \u00e9.doc"}));
    FORMATETC drop{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    EXPECT_EQ(data->QueryGetData(&drop), S_OK);
    // Everything else is the inner object's.
    FORMATETC own{kOwnFormat, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    EXPECT_EQ(data->QueryGetData(&own), S_OK);
    STGMEDIUM medium{};
    EXPECT_EQ(data->GetData(&own, &medium), S_OK);
    ReleaseStgMedium(&medium);
    EXPECT_EQ(FormatsOf(data.Get()), (std::set<CLIPFORMAT>{kOwnFormat, CF_HDROP}));
  }
  EXPECT_EQ(inner.Refs, 1);
  EXPECT_FALSE(DataObjectWithDropFiles(nullptr, paths));
}

TEST(DropFilesDataObjectTest, ADataObjectThatTakesTheListIsKept) {
  TFakeDataObject inner;
  inner.SetDataResult = S_OK;
  TStringList paths;
  paths.Add(L"C:\\one\\first.txt");
  TComPtr<IDataObject> data = DataObjectWithDropFiles(&inner, paths);
  EXPECT_EQ(data.Get(), static_cast<IDataObject*>(&inner));
  EXPECT_EQ(inner.SetDataCalls, 1);
}

TEST(NsDesktopFolderTest, HandsOutThePreparedDataObjectAndLeavesTheRestToTheDesktop) {
  TTempFolder temp;
  temp.MakeFile(L"item.txt");
  TFakeDataObject prepared;
  TComPtr<IShellFolder> folder(new TNsDesktopFolder(&prepared));
  TPidl item(PathToItemIdList(nullptr, temp / L"item.txt"));
  ASSERT_TRUE(item);
  PCUITEMID_CHILD items[] = {item.Get()};

  TComPtr<IDataObject> data;
  EXPECT_EQ(folder->GetUIObjectOf(nullptr, 1, items, IID_IDataObject, nullptr, data.PutVoid()), S_OK);
  EXPECT_EQ(data.Get(), static_cast<IDataObject*>(&prepared));
  data.Reset();
  TComPtr<IContextMenu> menu;
  EXPECT_EQ(folder->GetUIObjectOf(nullptr, 1, items, IID_IContextMenu, nullptr, menu.PutVoid()), S_OK);
  EXPECT_TRUE(menu);
  menu.Reset();

  // The desktop's own names and enumeration.
  STRRET name{};
  ASSERT_EQ(folder->GetDisplayNameOf(item.Get(), SHGDN_FORPARSING, &name), S_OK);
  if (name.uType == STRRET_WSTR) {
    EXPECT_EQ(std::wstring(name.pOleStr), temp / L"item.txt");
    CoTaskMemFree(name.pOleStr);
  }
  IEnumIDList* list = reinterpret_cast<IEnumIDList*>(1);
  EXPECT_TRUE(SUCCEEDED(folder->EnumObjects(nullptr, SHCONTF_FOLDERS, &list)));
  ASSERT_NE(list, reinterpret_cast<IEnumIDList*>(1));
  if (list != nullptr) list->Release();
  folder.Reset();
  EXPECT_EQ(prepared.Refs, 1);

  // Without a prepared object, the desktop makes one.
  TComPtr<IShellFolder> plain(new TNsDesktopFolder(nullptr));
  EXPECT_EQ(plain->GetUIObjectOf(nullptr, 1, items, IID_IDataObject, nullptr, data.PutVoid()), S_OK);
  EXPECT_TRUE(data);
  EXPECT_NE(data.Get(), static_cast<IDataObject*>(&prepared));
}

}  // namespace
}  // namespace ts::test
