// The folder drop target driven through its interface, as a drag's loop
// drives it, with data objects the tests make: which effect it answers, what
// it refuses, and that a drop really copies, moves and links on Wine's shell.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "shell/ClipboardFormats.h"
#include "shell/DropFilesDataObject.h"
#include "shell/FolderDropTarget.h"
#include "shell/ItemIdListPaths.h"
#include "shell/LinkTarget.h"
#include "shell/ShellGlobals.h"
#include "shell/ShortcutFiles.h"
#include "FakeNamespace.h"
#include "shell/PathClassification.h"
#include "support/MenuDriver.h"
#include "support/TempFolder.h"
#include "toolkit/StringList.h"

namespace ts::test {
namespace {

using Paths = std::vector<std::wstring>;

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The data of a drag of these files, as the platform's clipboard would give it.
TComPtr<IDataObject> DataOf(const Paths& paths) {
  TStringList list;
  for (const std::wstring& path : paths) list.Add(path);
  return FilesDataObject(nullptr, list, DROPEFFECT_NONE);
}

// A data object that offers one block in one format and nothing else.
class TOneFormatData : public IDataObject {
public:
  TOneFormatData(CLIPFORMAT format, std::vector<BYTE> bytes) : fFormat(format), fBytes(std::move(bytes)) {}
  virtual ~TOneFormatData() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
      *out = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++fRefs; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG refs = --fRefs;
    if (refs == 0) delete this;
    return refs;
  }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, fBytes.size());
    std::memcpy(GlobalLock(block), fBytes.data(), fBytes.size());
    GlobalUnlock(block);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    return format != nullptr && format->cfFormat == fFormat ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

private:
  CLIPFORMAT fFormat;
  std::vector<BYTE> fBytes;
  ULONG fRefs = 1;
};

struct TDropResult {
  HRESULT Result;
  DWORD Effect;
};

// A whole drag over the target and a drop, as the platform's loop makes it.
TDropResult DragAndDrop(IDropTarget* target, IDataObject* data, DWORD keys, DWORD offered) {
  POINTL point{10, 10};
  DWORD effect = offered;
  target->DragEnter(data, keys | MK_LBUTTON, point, &effect);
  effect = offered;
  target->DragOver(keys | MK_LBUTTON, point, &effect);
  effect = offered;
  const HRESULT hr = target->Drop(data, keys, point, &effect);
  return {hr, effect};
}

TComPtr<TNsFolderDropTarget> TargetFor(const std::wstring& folder) {
  return TComPtr<TNsFolderDropTarget>(new TNsFolderDropTarget(folder, nullptr));
}

constexpr DWORD kAll = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

TEST(FolderDropTarget, TheKeysChooseAmongTheOfferedEffectsAsTheShellDoes) {
  auto target = TargetFor(L"C:\\to");
  const Paths sameDrive{L"C:\\from\\a.txt"}, otherDrive{L"D:\\from\\a.txt"};
  EXPECT_EQ(target->EffectFor(sameDrive, 0, kAll), static_cast<DWORD>(DROPEFFECT_MOVE));
  EXPECT_EQ(target->EffectFor(otherDrive, 0, kAll), static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(target->EffectFor(sameDrive, MK_CONTROL, kAll), static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(target->EffectFor(otherDrive, MK_SHIFT, kAll), static_cast<DWORD>(DROPEFFECT_MOVE));
  EXPECT_EQ(target->EffectFor(sameDrive, MK_CONTROL | MK_SHIFT, kAll), static_cast<DWORD>(DROPEFFECT_LINK));
  EXPECT_EQ(target->EffectFor(sameDrive, MK_ALT, kAll), static_cast<DWORD>(DROPEFFECT_LINK));
  // Never an effect that was not offered: a copy where only copying is.
  EXPECT_EQ(target->EffectFor(sameDrive, 0, DROPEFFECT_COPY), static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(target->EffectFor(sameDrive, MK_SHIFT, DROPEFFECT_COPY), static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(target->EffectFor(otherDrive, MK_CONTROL, DROPEFFECT_MOVE), static_cast<DWORD>(DROPEFFECT_MOVE));
  EXPECT_EQ(target->EffectFor(sameDrive, 0, DROPEFFECT_LINK), static_cast<DWORD>(DROPEFFECT_LINK));
  EXPECT_EQ(target->EffectFor(sameDrive, 0, DROPEFFECT_NONE), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(target->EffectFor({}, 0, kAll), static_cast<DWORD>(DROPEFFECT_NONE));
  // Network shares count as drives of their own.
  EXPECT_EQ(TargetFor(L"\\\\server\\share\\to")->EffectFor({L"\\\\server\\share\\a"}, 0, kAll),
            static_cast<DWORD>(DROPEFFECT_MOVE));
  EXPECT_EQ(TargetFor(L"\\\\server\\share\\to")->EffectFor({L"\\\\server\\other\\a"}, 0, kAll),
            static_cast<DWORD>(DROPEFFECT_COPY));
}

TEST(FolderDropTarget, AFolderNeverGoesIntoItselfOrBelowItselfAndFilesNeverMoveOntoThemselves) {
  auto target = TargetFor(L"C:\\top\\inner");
  for (const std::wstring& folder : {std::wstring(L"C:\\top\\inner"), std::wstring(L"C:\\top"),
                                     std::wstring(L"C:\\TOP\\"), std::wstring(L"C:\\")}) {
    EXPECT_EQ(target->EffectFor({folder}, MK_CONTROL, kAll), static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(target->EffectFor({L"C:\\other.txt", folder}, MK_SHIFT, kAll), static_cast<DWORD>(DROPEFFECT_NONE));
    // A shortcut to the folder may live below it.
    EXPECT_EQ(target->EffectFor({folder}, MK_ALT, kAll), static_cast<DWORD>(DROPEFFECT_LINK));
  }
  // A name that only starts the same is another folder.
  EXPECT_EQ(target->EffectFor({L"C:\\top\\inn"}, MK_SHIFT, kAll), static_cast<DWORD>(DROPEFFECT_MOVE));
  // Files already there: moved they stay, copied they get new names.
  EXPECT_EQ(target->EffectFor({L"C:\\top\\inner\\a.txt"}, 0, kAll), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(target->EffectFor({L"C:\\top\\inner\\a.txt"}, MK_CONTROL, kAll), static_cast<DWORD>(DROPEFFECT_COPY));
}

TEST(FolderDropTarget, DataWithoutPathsIsRefused) {
  TTempFolder temp;
  auto target = TargetFor(temp.Path());
  // Virtual files: names from a file-group descriptor, no paths.
  std::vector<BYTE> descriptor(sizeof(UINT) + 592, 0);
  descriptor[0] = 1;
  const wchar_t name[] = L"virtual.txt";
  std::memcpy(descriptor.data() + sizeof(UINT) + 72, name, sizeof name);
  TComPtr<IDataObject> virtualFiles =
      TComPtr<IDataObject>::Attach(new TOneFormatData(GetFileGroupDescriptorWFormat(), descriptor));
  POINTL point{0, 0};
  DWORD effect = kAll;
  EXPECT_EQ(target->DragEnter(virtualFiles.Get(), MK_LBUTTON, point, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  effect = kAll;
  EXPECT_EQ(target->Drop(virtualFiles.Get(), 0, point, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  // Relative names are no paths either.
  TComPtr<IDataObject> relative = DataOf({L"relative.txt"});
  effect = kAll;
  target->DragEnter(relative.Get(), MK_LBUTTON, point, &effect);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_TRUE(DroppedPaths(nullptr).empty());
}

TEST(FolderDropTarget, ADropCopiesAndMovesOnTheRealShell) {
  TTempFolder temp;
  temp.MakeFolder(L"to");
  const std::wstring copied = temp.MakeFile(L"from\\copied.txt", "copied");
  const std::wstring moved = temp.MakeFile(L"from\\moved\\inside.txt", "moved");
  auto target = TargetFor(temp / L"to");

  // Wine's own targets answer "move" here and copy nothing.
  TComPtr<IDataObject> copyData = DataOf({copied});
  const TDropResult copy = DragAndDrop(target.Get(), copyData.Get(), 0, DROPEFFECT_COPY);
  EXPECT_EQ(copy.Result, S_OK);
  EXPECT_EQ(copy.Effect, static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_TRUE(Exists(temp / L"to\\copied.txt"));
  EXPECT_TRUE(Exists(copied));

  TComPtr<IDataObject> moveData = DataOf({temp / L"from\\moved"});
  const TDropResult move = DragAndDrop(target.Get(), moveData.Get(), 0, kAll);
  EXPECT_EQ(move.Effect, static_cast<DWORD>(DROPEFFECT_MOVE));
  EXPECT_TRUE(Exists(temp / L"to\\moved\\inside.txt"));
  EXPECT_FALSE(Exists(temp / L"from\\moved"));

  // Copied into the folder they are in, files get new names beside themselves.
  auto own = TargetFor(temp / L"from");
  TComPtr<IDataObject> again = DataOf({copied});
  EXPECT_EQ(DragAndDrop(own.Get(), again.Get(), MK_CONTROL, kAll).Effect, static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_TRUE(Exists(temp / L"from\\copied - Copy.txt"));
  EXPECT_TRUE(Exists(copied));
}

TEST(FolderDropTarget, ALinkDropMakesShortcutsThatLeadToTheFiles) {
  TTempFolder temp;
  temp.MakeFolder(L"links");
  const std::wstring file = temp.MakeFile(L"target.txt", "t");
  auto target = TargetFor(temp / L"links");
  TComPtr<IDataObject> data = DataOf({file});
  EXPECT_EQ(DragAndDrop(target.Get(), data.Get(), MK_CONTROL | MK_SHIFT, kAll).Effect,
            static_cast<DWORD>(DROPEFFECT_LINK));
  const std::wstring first = temp / L"links\\target.txt - Shortcut.lnk";
  ASSERT_TRUE(Exists(first));
  EXPECT_TRUE(SamePath(ResolveLinkTarget(first), file)) << ResolveLinkTarget(first).size();
  EXPECT_EQ(DragAndDrop(target.Get(), data.Get(), MK_ALT, kAll).Effect, static_cast<DWORD>(DROPEFFECT_LINK));
  EXPECT_TRUE(Exists(temp / L"links\\target.txt - Shortcut (2).lnk"));
  EXPECT_EQ(NewShortcutPath(L"C:\\", temp.Path()), temp / L"C - Shortcut.lnk");
}

TEST(FolderDropTarget, ARightButtonDropAsksWhatToDo) {
  TTempFolder temp;
  temp.MakeFolder(L"to");
  const std::wstring file = temp.MakeFile(L"from\\a.txt", "a");
  auto target = TargetFor(temp / L"to");
  DWORD allowedSeen = 0, suggestedSeen = 0;
  target->ChooseEffect = [&](POINT, DWORD allowed, DWORD suggested) {
    allowedSeen = allowed;
    suggestedSeen = suggested;
    return static_cast<DWORD>(DROPEFFECT_COPY);
  };
  TComPtr<IDataObject> data = DataOf({file});
  EXPECT_EQ(DragAndDrop(target.Get(), data.Get(), MK_RBUTTON, DROPEFFECT_COPY | DROPEFFECT_MOVE).Effect,
            static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(allowedSeen, static_cast<DWORD>(DROPEFFECT_COPY | DROPEFFECT_MOVE));
  EXPECT_EQ(suggestedSeen, static_cast<DWORD>(DROPEFFECT_MOVE));
  EXPECT_TRUE(Exists(temp / L"to\\a.txt"));
  EXPECT_TRUE(Exists(file));

  // The menu itself: "Cancel" drops nothing.
  auto asking = TargetFor(temp / L"to");
  DeleteFileW((temp / L"to\\a.txt").c_str());
  {
    TMenuDriver driver([](const std::vector<TShownMenuItem>& items) {
      for (const TShownMenuItem& item : items)
        if (item.Caption == L"Cancel") return item.Command;
      return 0u;
    });
    EXPECT_EQ(DragAndDrop(asking.Get(), data.Get(), MK_RBUTTON, kAll).Effect, static_cast<DWORD>(DROPEFFECT_NONE));
    ASSERT_TRUE(driver.MenuSeen());
    EXPECT_GE(driver.IndexOfCaption(L"Copy Here"), 0);
    EXPECT_GE(driver.IndexOfCaption(L"Move Here"), 0);
    EXPECT_GE(driver.IndexOfCaption(L"Create Shortcuts Here"), 0);
  }
  EXPECT_FALSE(Exists(temp / L"to\\a.txt"));
  // "Move Here" moves.
  {
    TMenuDriver driver([](const std::vector<TShownMenuItem>& items) {
      for (const TShownMenuItem& item : items)
        if (item.Caption == L"Move Here") return item.Command;
      return 0u;
    });
    EXPECT_EQ(DragAndDrop(asking.Get(), data.Get(), MK_RBUTTON, kAll).Effect, static_cast<DWORD>(DROPEFFECT_MOVE));
  }
  EXPECT_TRUE(Exists(temp / L"to\\a.txt"));
  EXPECT_FALSE(Exists(file));
}

TEST(FolderDropTarget, BadDropsLoseNothingAndSaySo) {
  TTempFolder temp;
  const std::wstring file = temp.MakeFile(L"from\\a.txt", "a");
  temp.MakeFolder(L"gone");
  auto gone = TargetFor(temp / L"gone");
  TComPtr<IDataObject> data = DataOf({file});
  POINTL point{0, 0};
  DWORD effect = kAll;
  gone->DragEnter(data.Get(), MK_LBUTTON, point, &effect);
  // The folder goes while the drag is over it.
  RemoveDirectoryW((temp / L"gone").c_str());
  {
    TDialogAnswerer ok(IDOK);
    effect = kAll;
    EXPECT_EQ(gone->Drop(data.Get(), MK_CONTROL, point, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_GE(ok.Answered(), 1);
  }
  EXPECT_FALSE(Exists(temp / L"gone"));
  EXPECT_TRUE(Exists(file));

  // Files that went since the drag began are left out; with none left
  // nothing happens.
  temp.MakeFolder(L"to");
  auto target = TargetFor(temp / L"to");
  TComPtr<IDataObject> missing = DataOf({temp / L"from\\missing.txt"});
  EXPECT_EQ(DragAndDrop(target.Get(), missing.Get(), MK_CONTROL, kAll).Effect, static_cast<DWORD>(DROPEFFECT_NONE));

  // A folder marked read-only takes files, as it does on Windows.
  temp.MakeFolder(L"readonly");
  SetFileAttributesW((temp / L"readonly").c_str(), FILE_ATTRIBUTE_READONLY);
  auto readOnly = TargetFor(temp / L"readonly");
  EXPECT_EQ(DragAndDrop(readOnly.Get(), data.Get(), MK_CONTROL, kAll).Effect, static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_TRUE(Exists(temp / L"readonly\\a.txt"));
  SetFileAttributesW((temp / L"readonly").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_TRUE(Exists(file));
}

// A target of the platform's own, which does nothing.
class TOwnTarget : public IDropTarget {
public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
      *out = static_cast<IDropTarget*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject*, DWORD, POINTL, DWORD*) override { return S_OK; }
};

TEST(ItemDropTarget, ThePlatformsOwnFirstAndTheFolderTargetWhereThereIsNone) {
  TTempFolder temp;
  temp.MakeFolder(L"real");
  TFakeNamespace space;
  TFakeItem& folder = space.Add(space.Desktop(), L"Folder", SFGAO_FOLDER | SFGAO_FILESYSTEM, temp / L"real");
  TFakeItem& item = space.Add(space.Desktop(), L"Printer", 0);
  TOwnTarget own;
  bool offer = true;
  space.UIObjectOf = [&](TFakeItem&, UINT, PCUITEMID_CHILD_ARRAY, REFIID iid, void** object) -> HRESULT {
    if (!offer || !IsEqualIID(iid, IID_IDropTarget)) return E_NOINTERFACE;
    *object = static_cast<IDropTarget*>(&own);
    return S_OK;
  };
  TPidl folderList(space.AbsoluteList(folder)), itemList(space.AbsoluteList(item));
  TPidl folderChild(TFakeNamespace::ChildList(folder)), itemChild(TFakeNamespace::ChildList(item));
  auto ours = [](const TComPtr<IDropTarget>& target) {
    return dynamic_cast<TNsFolderDropTarget*>(target.Get()) != nullptr;
  };

  EXPECT_EQ(GetItemDropTarget(nullptr, DesktopFolder, folderChild.Get(), folderList.Get(), true).Get(), &own);
  EXPECT_EQ(GetItemDropTarget(nullptr, DesktopFolder, itemChild.Get(), itemList.Get(), true).Get(), &own);
  // Where the platform's targets do nothing, a file-system folder gets ours.
  TComPtr<IDropTarget> instead = GetItemDropTarget(nullptr, DesktopFolder, folderChild.Get(), folderList.Get(), false);
  ASSERT_TRUE(ours(instead));
  EXPECT_TRUE(SamePath(dynamic_cast<TNsFolderDropTarget*>(instead.Get())->GetFolder(), temp / L"real"));
  // The item that is no folder keeps the platform's.
  EXPECT_EQ(GetItemDropTarget(nullptr, DesktopFolder, itemChild.Get(), itemList.Get(), false).Get(), &own);
  // Where the platform gives none: ours for the folder, none for the item.
  offer = false;
  EXPECT_TRUE(ours(GetItemDropTarget(nullptr, DesktopFolder, folderChild.Get(), folderList.Get(), true)));
  EXPECT_FALSE(GetItemDropTarget(nullptr, DesktopFolder, itemChild.Get(), itemList.Get(), true));
}

}  // namespace
}  // namespace ts::test
