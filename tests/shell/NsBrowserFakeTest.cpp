// The browser object's rules on a namespace the test controls: binding
// failures, enumeration errors, the file-system-only view, caches, names.
#include <gtest/gtest.h>

#include <set>

#include "FakeNamespace.h"
#include "shell/NsBrowser.h"
#include "shell/NsBrowserError.h"
#include "shell/ShellGlobals.h"
#include "toolkit/Application.h"
#include "toolkit/WinControlHandle.h"

namespace ts::test {
namespace {

constexpr ULONG kFsFolder = SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR | SFGAO_HASSUBFOLDER;
constexpr ULONG kFsFile = SFGAO_FILESYSTEM;

class NsBrowserFakeTest : public ::testing::Test {
protected:
  NsBrowserFakeTest() {
    TFakeItem& desktop = space.Desktop();
    computer = &space.Add(desktop, L"My Computer", SFGAO_FOLDER | SFGAO_HASSUBFOLDER | SFGAO_FILESYSANCESTOR);
    network = &space.Add(desktop, L"Network", SFGAO_FOLDER | SFGAO_HASSUBFOLDER);
    space.SetSpecial(CSIDL_DRIVES, *computer);
    space.SetSpecial(CSIDL_NETWORK, *network);
    drive = &space.Add(*computer, L"Local Disk (C:)", kFsFolder, L"C:\\");
    space.Add(*computer, L"Control Panel", SFGAO_FOLDER);
    data = &space.Add(*drive, L"Data", kFsFolder, L"C:\\Data");
    space.Add(*data, L"notes.txt", kFsFile, L"C:\\Data\\notes.txt");
    space.Add(*data, L"Sub", kFsFolder, L"C:\\Data\\Sub");
    space.Add(*data, L"letter.doc", kFsFile, L"C:\\Data\\letter.doc");
    space.Add(*data, L"image.png", kFsFile | SFGAO_HIDDEN, L"C:\\Data\\image.png");
    space.Add(*data, L"archive.zip", kFsFile | SFGAO_FOLDER | SFGAO_HASSUBFOLDER, L"C:\\Data\\archive.zip");
  }

  void Bind(TNsBrowser& browser, const TFakeItem& folder) {
    TPidl list(space.AbsoluteList(folder));
    browser.SetFolderIdList(list.Get());
  }

  std::vector<std::wstring> Enumerate(TNsBrowser& browser) {
    std::vector<std::wstring> names;
    while (browser.Next()) names.push_back(browser.GetShellObjectName(true));
    return names;
  }

  TFakeNamespace space;
  TFakeItem* computer;
  TFakeItem* network;
  TFakeItem* drive;
  TFakeItem* data;
};

TEST_F(NsBrowserFakeTest, ANewBrowserIsUnbound) {
  TNsBrowser browser(nullptr);
  EXPECT_EQ(browser.GetFolder(), L"");
  EXPECT_EQ(browser.GetObjectName(), L"");
  EXPECT_EQ(browser.GetFilter(), L"*");
  EXPECT_EQ(browser.GetSpecialFolder(), SF_FILESYSTEMFOLDER);
  EXPECT_FALSE(browser.CheckIfValid(false));
  EXPECT_FALSE(browser.CheckIfValid(true));
  EXPECT_TRUE(browser.GetShowErrorMessages());
  EXPECT_FALSE(browser.GetFileSystemOnly());
  EXPECT_FALSE(browser.GetReadOnly());
  EXPECT_EQ(browser.GetVersion(), L"TNsBrowser V7.1.0.530");
  browser.SetVersion(L"something else");
  EXPECT_EQ(browser.GetVersion(), L"TNsBrowser V7.1.0.530");
  EXPECT_TRUE(browser.HasSubFolders());  // no item
  EXPECT_EQ(browser.GetOverlayIndex(), -1);
  EXPECT_EQ(browser.GetAttributes(~0u), 0u);
  EXPECT_FALSE(browser.Next());
}

TEST_F(NsBrowserFakeTest, BindingCopiesListsAndLendsTheAbsoluteOne) {
  TNsBrowser browser(nullptr);
  Bind(browser, *data);
  EXPECT_TRUE(browser.CheckIfValid(true));
  EXPECT_EQ(browser.GetFolder(), L"C:\\Data\\");

  TPidl first(browser.GetFolderIdList()), second(browser.GetFolderIdList());
  ASSERT_TRUE(first && second);
  EXPECT_NE(first.Get(), second.Get());
  EXPECT_EQ(DesktopFolder->CompareIDs(0, first.Get(), second.Get()), S_OK);

  ASSERT_TRUE(browser.Next());
  PCItemIDList lent = browser.GetAbsoluteItemIdList();
  EXPECT_EQ(browser.GetAbsoluteItemIdList(), lent);  // no new list on later reads
  EXPECT_EQ(GetItemIdCount(lent), 4);
  EXPECT_EQ(browser.GetObjectName(), L"notes.txt");
  EXPECT_TRUE(browser.CheckIfValid(false));

  // The absolute list of another browser's item binds its parent and selects it.
  TNsBrowser other(nullptr);
  other.SetAbsoluteItemIdList(lent);
  EXPECT_EQ(other.GetFolder(), L"C:\\Data\\");
  EXPECT_EQ(other.GetObjectName(), L"notes.txt");
}

// What a browser holds, to compare before and after an operation.
struct TBinding {
  std::wstring Folder, Item;
  IShellFolder* Interface;
  bool Valid;
  bool operator==(const TBinding&) const = default;
};

TBinding BindingOf(TNsBrowser& browser) {
  return {browser.GetFolder(), browser.GetObjectName(), browser.GetShellFolder(), browser.CheckIfValid(false)};
}

TEST_F(NsBrowserFakeTest, AFolderThatCannotBeBoundRaisesAndLeavesTheBrowserWhereItWas) {
  TFakeItem& broken = space.Add(*data, L"Broken", kFsFolder, L"C:\\Data\\Broken");
  broken.BindFails = true;
  space.Add(broken, L"inside.txt", kFsFile, L"C:\\Data\\Broken\\inside.txt");
  TNsBrowser browser(nullptr);
  Bind(browser, *data);
  ASSERT_TRUE(browser.Next());  // notes.txt: an enumeration is running
  const TBinding before = BindingOf(browser);
  try {
    Bind(browser, broken);
    FAIL() << "no error";
  } catch (const ENsBrowserError& e) {
    EXPECT_EQ(e.Message().rfind(
                  L"RizezIvoruvi.SetFolderIDList: Desktop.BindToObject: Could not get IShellFolder interface. (", 0),
              0u);
    EXPECT_EQ(e.Message().back(), L')');
  }
  EXPECT_EQ(BindingOf(browser), before);
  TPidl held(browser.GetFolderIdList()), expected(space.AbsoluteList(*data));
  EXPECT_EQ(DesktopFolder->CompareIDs(0, held.Get(), expected.Get()), S_OK);
  // The enumeration goes on where it was.
  ASSERT_TRUE(browser.Next());
  EXPECT_EQ(browser.GetObjectName(), L"Sub");

  // The same through the absolute list of an item inside it, and through a
  // special folder (whose errors are swallowed).
  TPidl inside(space.AbsoluteList(*broken.Children[0]));
  const TBinding atSub = BindingOf(browser);
  EXPECT_THROW(browser.SetAbsoluteItemIdList(inside.Get()), ENsBrowserError);
  EXPECT_EQ(BindingOf(browser), atSub);
  space.SetSpecial(CSIDL_PERSONAL, broken);
  browser.SetSpecialFolder(SF_PERSONAL);
  EXPECT_EQ(BindingOf(browser), atSub);
}

TEST_F(NsBrowserFakeTest, BrowseObjectEntersFoldersAndRaisesForOneThatCannotBeOpened) {
  TFakeItem& broken = space.Add(*data, L"Broken", kFsFolder, L"C:\\Data\\Broken");
  broken.BindFails = true;
  TNsBrowser browser(nullptr);
  Bind(browser, *data);
  browser.SetObjectName(L"notes.txt");
  EXPECT_FALSE(browser.BrowseObject());  // not a folder
  EXPECT_EQ(browser.GetObjectName(), L"notes.txt");

  browser.SetObjectName(L"Broken");
  const TBinding before = BindingOf(browser);
  EXPECT_THROW(browser.BrowseObject(), ENsBrowserError);
  EXPECT_EQ(BindingOf(browser), before);

  browser.SetObjectName(L"Sub");
  EXPECT_TRUE(browser.BrowseObject());
  EXPECT_EQ(browser.GetFolder(), L"C:\\Data\\Sub\\");
  EXPECT_EQ(browser.GetObjectName(), L"");
}

TEST_F(NsBrowserFakeTest, RebindingTheHeldListOnlyRestartsTheEnumeration) {
  TNsBrowser browser(nullptr);
  Bind(browser, *data);
  ASSERT_TRUE(browser.Next());
  ASSERT_TRUE(browser.Next());
  EXPECT_EQ(browser.GetObjectName(), L"Sub");
  const int binds = space.Counters.BindToObject;
  TPidl held(browser.GetFolderIdList());
  // A copy of the same list is a new binding ...
  browser.SetFolderIdList(held.Get());
  EXPECT_EQ(space.Counters.BindToObject, binds + 1);
  EXPECT_EQ(browser.GetObjectName(), L"");
  ASSERT_TRUE(browser.Next());
  EXPECT_EQ(browser.GetObjectName(), L"notes.txt");
}

TEST_F(NsBrowserFakeTest, FiltersKeepFoldersAndMatchingFiles) {
  TNsBrowser browser(nullptr);
  Bind(browser, *data);
  EXPECT_EQ(Enumerate(browser),
            (std::vector<std::wstring>{L"notes.txt", L"Sub", L"letter.doc", L"image.png", L"archive.zip"}));

  browser.SetFilter(L"*.txt;*.doc");
  EXPECT_EQ(browser.GetFilter(), L"*.txt;*.doc");
  EXPECT_EQ(Enumerate(browser), (std::vector<std::wstring>{L"notes.txt", L"Sub", L"letter.doc", L"archive.zip"}));

  browser.SetFilter(L"*.png;");
  EXPECT_EQ(browser.GetFilter(), L"*.png");
  EXPECT_EQ(Enumerate(browser), (std::vector<std::wstring>{L"Sub", L"image.png", L"archive.zip"}));

  browser.SetFilter(L"a;;b");
  EXPECT_EQ(browser.GetFilter(), L"a;;b");
  browser.SetFilter(L"*");
  EXPECT_EQ(browser.GetFilter(), L"*");
  EXPECT_EQ(Enumerate(browser).size(), 5u);
}

TEST_F(NsBrowserFakeTest, AfterTheEndOrAnErrorTheNextCallStartsOver) {
  TNsBrowser browser(nullptr);
  Bind(browser, *data);
  EXPECT_EQ(Enumerate(browser).size(), 5u);
  EXPECT_EQ(Enumerate(browser).size(), 5u);
  EXPECT_EQ(space.Counters.EnumObjects, 2);

  data->FailEnumerationAfter = 2;
  EXPECT_EQ(Enumerate(browser), (std::vector<std::wstring>{L"notes.txt", L"Sub"}));
  EXPECT_EQ(space.Counters.EnumObjects, 3);
  data->FailEnumerationAfter = 0;
  EXPECT_FALSE(browser.Next());
}

TEST_F(NsBrowserFakeTest, FileSystemOnlyKeepsRecycleBinsComputerAndNetworkOnly) {
  space.Add(space.Desktop(), L"Libraries", SFGAO_FOLDER);
  TNsBrowser browser(nullptr);
  browser.SetFileSystemOnly(true);
  browser.SetAbsoluteItemIdList(DesktopItemIdList);
  EXPECT_EQ(browser.GetSpecialFolder(), SF_DESKTOP);
  EXPECT_EQ(Enumerate(browser), (std::vector<std::wstring>{L"My Computer", L"Network"}));

  // A virtual recycle bin on a drive stays by its name.
  space.Add(*drive, L"Recycle Bin", SFGAO_FOLDER, L"C:\\RECYCLER");
  space.Add(*drive, L"Search Results", SFGAO_FOLDER, L"C:\\Search");
  Bind(browser, *drive);
  EXPECT_EQ(Enumerate(browser), (std::vector<std::wstring>{L"Data", L"Recycle Bin"}));

  // The Control Panel of My Computer is skipped; the drive stays.
  Bind(browser, *computer);
  EXPECT_EQ(Enumerate(browser), (std::vector<std::wstring>{L"Local Disk (C:)"}));
  browser.SetFileSystemOnly(false);
  EXPECT_EQ(Enumerate(browser), (std::vector<std::wstring>{L"Local Disk (C:)", L"Control Panel"}));

  // Inside Network every named item stays, unnamed ones go.
  space.Add(*network, L"SERVER", SFGAO_FOLDER, L"\\\\SERVER");
  space.Add(*network, L"Nameless", SFGAO_FOLDER);
  browser.SetFileSystemOnly(true);
  Bind(browser, *network);
  EXPECT_EQ(Enumerate(browser), (std::vector<std::wstring>{L"SERVER"}));
}

TEST_F(NsBrowserFakeTest, FoldersInTheFileSystemViewNeedAFileSystemAncestor) {
  TNsBrowser browser(nullptr);
  Bind(browser, *data);
  browser.SetObjectName(L"archive.zip");
  EXPECT_TRUE(browser.IsFolder());
  EXPECT_TRUE(browser.HasSubFolders());
  browser.SetFileSystemOnly(true);
  EXPECT_FALSE(browser.IsFolder());
  browser.SetObjectName(L"archive.zip");  // a new item: the cache is cleared
  EXPECT_FALSE(browser.HasSubFolders());

  browser.SetObjectName(L"Sub");
  const int queries = space.Counters.GetAttributesOf;
  EXPECT_TRUE(browser.HasSubFolders());
  EXPECT_TRUE(browser.HasSubFolders());
  EXPECT_EQ(space.Counters.GetAttributesOf, queries + 1);  // cached
  EXPECT_TRUE(browser.IsFolder());
  EXPECT_TRUE(browser.IsFileSystemFolder());
}

TEST_F(NsBrowserFakeTest, TheSpecialFolderIsLookedUpOncePerFolder) {
  TNsBrowser browser(nullptr);
  Bind(browser, *computer);
  const int before = space.Counters.SpecialFolderLookups;
  EXPECT_EQ(browser.GetSpecialFolder(), SF_DRIVES);
  const int lookups = space.Counters.SpecialFolderLookups - before;
  EXPECT_GT(lookups, 0);
  EXPECT_LE(lookups, 40);
  EXPECT_EQ(browser.GetSpecialFolder(), SF_DRIVES);
  browser.Next();
  EXPECT_EQ(browser.GetSpecialFolder(), SF_DRIVES);
  EXPECT_EQ(space.Counters.SpecialFolderLookups - before, lookups);

  Bind(browser, *data);
  EXPECT_EQ(browser.GetSpecialFolder(), SF_FILESYSTEMFOLDER);
  EXPECT_GT(space.Counters.SpecialFolderLookups - before, lookups);

  // Writing a special folder binds it; one the platform lacks changes nothing.
  browser.SetSpecialFolder(SF_NETWORK);
  EXPECT_EQ(browser.GetSpecialFolder(), SF_NETWORK);
  browser.SetSpecialFolder(SF_PRINTERS);
  EXPECT_EQ(browser.GetSpecialFolder(), SF_NETWORK);
  browser.SetSpecialObject(SF_DRIVES);
  EXPECT_EQ(browser.GetSpecialFolder(), SF_DESKTOP);
  EXPECT_EQ(browser.IsSpecialObject(), SF_DRIVES);
}

TEST_F(NsBrowserFakeTest, ANameTheFolderCannotParseIsFoundByEnumerationOrReported) {
  TFakeItem& hidden = space.Add(*data, L"Virtual Thing", SFGAO_FOLDER);
  hidden.Parseable = false;
  TNsBrowser browser(nullptr);
  Bind(browser, *data);
  browser.SetObjectName(L"virtual thing");
  EXPECT_EQ(browser.GetShellObjectName(true), L"Virtual Thing");
  const int enumerations = space.Counters.EnumObjects;
  EXPECT_EQ(enumerations, 1);
  // The search's enumeration is dropped: Next starts from the first item.
  ASSERT_TRUE(browser.Next());
  EXPECT_EQ(browser.GetObjectName(), L"notes.txt");

  try {
    browser.SetObjectName(L"missing.txt");
    FAIL() << "no error";
  } catch (const ENsBrowserError& e) {
    EXPECT_EQ(e.Message(), L"Error! Cannot find Object \"missing.txt\" in Folder \"C:\\Data\\\"");
  }
  EXPECT_EQ(space.Counters.EnumObjects, enumerations + 2);

  TNsBrowser unbound(nullptr);
  EXPECT_THROW(unbound.SetObjectName(L"x"), ENsBrowserError);
}

TEST_F(NsBrowserFakeTest, OverlaysFromAttributesWhenTheFolderHasNoOverlaySource) {
  space.Add(*data, L"shortcut.lnk", kFsFile | SFGAO_LINK, L"C:\\Data\\shortcut.lnk");
  space.Add(*data, L"Shared", kFsFolder | SFGAO_SHARE, L"C:\\Data\\Shared");
  TNsBrowser browser(nullptr);
  Bind(browser, *data);
  browser.SetObjectName(L"shortcut.lnk");
  EXPECT_EQ(browser.GetOverlayIndex(), 1);
  EXPECT_TRUE(browser.IsLink());
  browser.SetObjectName(L"Shared");
  EXPECT_EQ(browser.GetOverlayIndex(), 0);
  browser.SetObjectName(L"notes.txt");
  EXPECT_EQ(browser.GetOverlayIndex(), -1);
  EXPECT_FALSE(browser.IsHidden());
  browser.SetObjectName(L"image.png");
  EXPECT_TRUE(browser.IsHidden());
  EXPECT_FALSE(browser.CanRename());
}

TEST_F(NsBrowserFakeTest, OverlaysFromTheFoldersOverlaySourceWhenItHasOne) {
  data->OffersOverlays = true;
  TFakeItem& link = space.Add(*data, L"shortcut.lnk", kFsFile | SFGAO_LINK, L"C:\\Data\\shortcut.lnk");
  TFakeItem& shared = space.Add(*data, L"Shared", kFsFolder | SFGAO_SHARE, L"C:\\Data\\Shared");
  link.OverlayIndex = 3;  // 1-based
  shared.OverlayIndex = 1;
  TNsBrowser browser(nullptr);
  Bind(browser, *data);
  browser.SetObjectName(L"shortcut.lnk");
  EXPECT_EQ(browser.GetOverlayIndex(), 2);
  browser.SetObjectName(L"Shared");
  EXPECT_EQ(browser.GetOverlayIndex(), 0);
  // The source's failure means no overlay, whatever the attributes say.
  link.OverlayIndex = 0;
  browser.SetObjectName(L"shortcut.lnk");
  EXPECT_EQ(browser.GetOverlayIndex(), -1);
  EXPECT_TRUE(browser.IsLink());
}

// An owner that is a windowed control.
class TWindowedOwner : public TComponent, public IWinControlHandle {
public:
  TWindowedOwner() : TComponent(nullptr) {}
  HWND GetHandle() override { return reinterpret_cast<HWND>(0x1234); }
  bool HandleAllocated() const override { return true; }
};

TEST_F(NsBrowserFakeTest, TheOwnerWindowFollowsTheErrorMessageAndInitialisationRules) {
  TWindowedOwner owner;
  auto* browser = new TNsBrowser(&owner);
  Bind(*browser, *data);
  EXPECT_EQ(browser->GetOwnerWindow(), Application->GetHandle());
  browser->Initialize();
  EXPECT_EQ(browser->GetOwnerWindow(), reinterpret_cast<HWND>(0x1234));
  browser->SetShowErrorMessages(false);
  EXPECT_EQ(browser->GetOwnerWindow(), nullptr);

  // A network item outside an enumeration keeps its window for credentials.
  TFakeItem& server = space.Add(*network, L"SERVER", SFGAO_FOLDER, L"\\\\SERVER");
  TPidl serverList(space.AbsoluteList(server));
  browser->SetAbsoluteItemIdList(serverList.Get());
  EXPECT_EQ(browser->GetOwnerWindow(), reinterpret_cast<HWND>(0x1234));
  ASSERT_TRUE(browser->Next());
  EXPECT_EQ(browser->GetOwnerWindow(), nullptr);
}

TEST_F(NsBrowserFakeTest, MultiObjectsIsTakenOverAndCountsForValidity) {
  TNsBrowser browser(nullptr);
  Bind(browser, *data);
  EXPECT_FALSE(browser.CheckIfValid(false));
  auto* list = new TStringList();
  list->Add(L"C:\\Data\\notes.txt");
  browser.SetMultiObjects(list);
  EXPECT_EQ(browser.GetMultiObjects(), list);
  browser.SetMultiObjects(nullptr);
  EXPECT_EQ(browser.GetMultiObjects(), list);
  EXPECT_TRUE(browser.CheckIfValid(false));
}

}  // namespace
}  // namespace ts::test
