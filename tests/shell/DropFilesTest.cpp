#include <gtest/gtest.h>

#include <shlobj.h>
#include <shellapi.h>
#include <cstring>

#include <cstring>
#include <map>
#include <vector>

#include "shell/ClipboardFormats.h"
#include "shell/DataObjectFiles.h"
#include "shell/DropFiles.h"
#include "shell/ItemIdListPaths.h"
#include "shell/PathClassification.h"
#include "shell/PathDataObjects.h"
#include "support/TempFolder.h"
#include "toolkit/Exception.h"
#include "toolkit/StringList.h"

namespace ts {
namespace {

void Fill(TStringList& list, std::initializer_list<const wchar_t*> paths) {
  for (const wchar_t* p : paths) list.Add(p);
}

// A data object that offers chosen HGLOBAL blocks per format and keeps what
// it is given through SetData.
class TFakeDataObject : public IDataObject {
public:
  std::map<CLIPFORMAT, std::vector<BYTE>> Offered;
  HGLOBAL Received = nullptr;
  bool RefuseSetData = false;
  LONG Refs = 1;

  ~TFakeDataObject() {
    if (Received) GlobalFree(Received);
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDataObject) {
      *out = this;
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++Refs); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--Refs); }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    auto it = Offered.find(format->cfFormat);
    if (it == Offered.end() || (format->tymed & TYMED_HGLOBAL) == 0) return DV_E_FORMATETC;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, it->second.size());
    std::memcpy(GlobalLock(block), it->second.data(), it->second.size());
    GlobalUnlock(block);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override {
    if (RefuseSetData) return E_FAIL;
    if (format->cfFormat != CF_HDROP || medium->tymed != TYMED_HGLOBAL || !release) return DV_E_FORMATETC;
    Received = medium->hGlobal;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
};

std::vector<BYTE> BlockBytes(HGLOBAL block) {
  std::vector<BYTE> bytes(GlobalSize(block));
  std::memcpy(bytes.data(), GlobalLock(block), bytes.size());
  GlobalUnlock(block);
  return bytes;
}

template <typename Descriptor>
std::vector<BYTE> DescriptorBlock(const std::vector<std::wstring>& names, UINT claimedCount) {
  std::vector<BYTE> bytes(sizeof(UINT) + names.size() * sizeof(Descriptor));
  std::memcpy(bytes.data(), &claimedCount, sizeof claimedCount);
  for (size_t i = 0; i < names.size(); ++i) {
    Descriptor d{};
    if constexpr (sizeof(d.cFileName[0]) == 2) {
      wcsncpy(reinterpret_cast<wchar_t*>(d.cFileName), names[i].c_str(), MAX_PATH - 1);
    } else {
      WideCharToMultiByte(CP_ACP, 0, names[i].c_str(), -1, reinterpret_cast<char*>(d.cFileName), MAX_PATH, nullptr,
                          nullptr);
    }
    std::memcpy(bytes.data() + sizeof(UINT) + i * sizeof(Descriptor), &d, sizeof d);
  }
  return bytes;
}

TEST(DropFiles, BlockLayoutForTwoPaths) {
  TStringList paths;
  Fill(paths, {L"C:\\a.txt", L"C:\\Ördner"});
  HGLOBAL block = GetDropFiles(paths);
  ASSERT_NE(block, nullptr);
  std::vector<BYTE> bytes = BlockBytes(block);
  GlobalFree(block);
  // Header, both names, and three zero characters: one after each name, one closing the list.
  const size_t names = (8 + 1 + 9 + 1 + 1) * sizeof(wchar_t);
  ASSERT_GE(bytes.size(), 20 + names);
  DWORD pFiles, fWide;
  std::memcpy(&pFiles, bytes.data(), 4);
  std::memcpy(&fWide, bytes.data() + 16, 4);
  EXPECT_EQ(pFiles, 20u);
  EXPECT_EQ(fWide, 0xFFFFFFFFu);
  for (int i = 4; i < 16; ++i) EXPECT_EQ(bytes[static_cast<size_t>(i)], 0) << i;
  const wchar_t* text = reinterpret_cast<const wchar_t*>(bytes.data() + 20);
  EXPECT_EQ(std::wmemcmp(text, L"C:\\a.txt\0C:\\Ördner\0\0", 20), 0);
}

TEST(DropFiles, PlatformReadsTheBlockBack) {
  TStringList paths;
  Fill(paths, {L"C:\\one", L"D:\\two words\\x.y"});
  HGLOBAL block = GetDropFiles(paths);
  auto drop = static_cast<HDROP>(block);
  ASSERT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), 2u);
  wchar_t name[MAX_PATH];
  DragQueryFileW(drop, 1, name, MAX_PATH);
  EXPECT_STREQ(name, L"D:\\two words\\x.y");
  GlobalFree(block);
}

TEST(DropFiles, DataObjectTakesTheBlockOrGivesItBack) {
  TStringList paths;
  Fill(paths, {L"C:\\x"});
  TFakeDataObject data;
  EXPECT_TRUE(AddDropFilesToDataObject(paths, &data));
  ASSERT_NE(data.Received, nullptr);
  EXPECT_EQ(DragQueryFileW(static_cast<HDROP>(data.Received), 0xFFFFFFFF, nullptr, 0), 1u);
  TFakeDataObject refusing;
  refusing.RefuseSetData = true;
  EXPECT_FALSE(AddDropFilesToDataObject(paths, &refusing));
  EXPECT_FALSE(AddDropFilesToDataObject(paths, nullptr));
}

TEST(FileListFromDataObject, DroppedPathsComeFirst) {
  TStringList paths;
  Fill(paths, {L"C:\\a", L"C:\\b"});
  HGLOBAL block = GetDropFiles(paths);
  TFakeDataObject data;
  data.Offered[CF_HDROP] = BlockBytes(block);
  data.Offered[GetFileGroupDescriptorWFormat()] = DescriptorBlock<FILEDESCRIPTORW>({L"virtual"}, 1);
  GlobalFree(block);
  auto list = GetFileListFromDataObject(&data);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->GetCommaText(), L"C:\\a,C:\\b");
}

TEST(FileListFromDataObject, VirtualFilesByWideThenNarrowDescriptors) {
  TFakeDataObject wide;
  wide.Offered[GetFileGroupDescriptorWFormat()] = DescriptorBlock<FILEDESCRIPTORW>({L"Anhang ä.pdf", L"b.txt"}, 2);
  wide.Offered[GetFileGroupDescriptorFormat()] = DescriptorBlock<FILEDESCRIPTORA>({L"narrow.txt"}, 1);
  auto list = GetFileListFromDataObject(&wide);
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->GetCount(), 2);
  EXPECT_EQ((*list)[0], L"Anhang ä.pdf");

  TFakeDataObject narrow;
  narrow.Offered[GetFileGroupDescriptorFormat()] = DescriptorBlock<FILEDESCRIPTORA>({L"mail.eml"}, 1);
  list = GetFileListFromDataObject(&narrow);
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->GetCount(), 1);
  EXPECT_EQ((*list)[0], L"mail.eml");
}

TEST(FileListFromDataObject, DamagedDescriptorCountStopsAtTheBlocksEnd) {
  TFakeDataObject data;
  data.Offered[GetFileGroupDescriptorWFormat()] = DescriptorBlock<FILEDESCRIPTORW>({L"only one"}, 1000000);
  auto list = GetFileListFromDataObject(&data);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->GetCount(), 1);
}

TEST(FileListFromDataObject, NothingUsableGivesAnEmptyOrNoList) {
  EXPECT_EQ(GetFileListFromDataObject(nullptr), nullptr);
  TFakeDataObject none;
  auto empty = GetFileListFromDataObject(&none);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->GetCount(), 0);
}

TEST(PathDataObjects, PathsThatDoNotParseAreDropped) {
  test::TTempFolder temp;
  const std::wstring a = temp.MakeFile(L"a.txt");
  const std::wstring b = temp.MakeFile(L"b.txt");
  TStringList paths;
  paths.Add(a);
  paths.Add(temp / L"missing.txt");
  paths.Add(b);
  std::vector<PItemIDList> lists;
  EXPECT_EQ(PathsToItemIdLists(paths, lists), 2);
  ASSERT_EQ(paths.GetCount(), 2);
  EXPECT_EQ(paths[0], a);
  EXPECT_EQ(paths[1], b);
  ASSERT_EQ(lists.size(), 2u);
  EXPECT_TRUE(SamePath(ItemIdListToPath(lists[1]), b));
  for (PItemIDList list : lists) CoTaskMemFree(list);
}

TEST(PathDataObjects, ShellDataObjectCarriesThePaths) {
  test::TTempFolder temp;
  TStringList paths;
  paths.Add(temp.MakeFile(L"one.txt"));
  paths.Add(temp.MakeFile(L"two.txt"));
  TComPtr<IDataObject> data = GetDataObjectForPaths(paths);
  ASSERT_TRUE(data);
  auto files = GetFileListFromDataObject(data.Get());
  ASSERT_NE(files, nullptr);
  ASSERT_EQ(files->GetCount(), 2);
  EXPECT_FALSE((*files)[0].empty());
  EXPECT_FALSE((*files)[1].empty());
}

TEST(PathDataObjects, NoParsablePathRaisesThePlatformError) {
  test::TTempFolder temp;
  TStringList paths;
  paths.Add(temp / L"gone.txt");
  EXPECT_THROW(GetDataObjectForPaths(paths), EOleSysError);
  EXPECT_EQ(paths.GetCount(), 0);
}

TEST(ClipboardFormats, RegisteredOnceForTheProcess) {
  EXPECT_EQ(GetFileGroupDescriptorWFormat(), RegisterClipboardFormatW(L"FileGroupDescriptorW"));
  EXPECT_EQ(GetFileGroupDescriptorFormat(), RegisterClipboardFormatW(L"FileGroupDescriptor"));
  EXPECT_NE(GetFileGroupDescriptorWFormat(), GetFileGroupDescriptorFormat());
}

}  // namespace
}  // namespace ts
