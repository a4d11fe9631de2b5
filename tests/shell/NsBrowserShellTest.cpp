// The browser object on Wine's real shell, in folders the tests make.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <set>

#include "shell/FileProbes.h"
#include "shell/NsBrowser.h"
#include "shell/NsBrowserError.h"
#include "shell/ShellGlobals.h"
#include "support/TempFolder.h"
#include "toolkit/ComPtr.h"
#include "toolkit/FilePaths.h"
#include "toolkit/Strings.h"

namespace ts::test {
namespace {

std::set<std::wstring> EnumerateNames(TNsBrowser& browser) {
  std::set<std::wstring> names;
  while (browser.Next()) names.insert(browser.GetObjectName());
  return names;
}

bool MakeShortcut(const std::wstring& linkPath, const std::wstring& target) {
  TComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.PutVoid())))
    return false;
  link->SetPath(target.c_str());
  TComPtr<IPersistFile> file;
  return SUCCEEDED(link.As(IID_IPersistFile, file)) && SUCCEEDED(file->Save(linkPath.c_str(), TRUE));
}

TEST(NsBrowserShellTest, FolderReadsBackWithABackslashAndRebindsOnlyForOtherText) {
  TNsBrowser browser(nullptr);
  browser.SetFolder(L"C:\\windows");
  EXPECT_EQ(browser.GetFolder(), L"C:\\windows\\");
  EXPECT_TRUE(browser.IsFileSystemFolder());
  ASSERT_TRUE(browser.Next());
  const std::wstring first = browser.GetObjectName();

  // The same text ignoring case: no new binding, the enumeration goes on.
  browser.SetFolder(L"c:\\WINDOWS\\");
  EXPECT_EQ(browser.GetFolder(), L"C:\\windows\\");
  ASSERT_TRUE(browser.Next());
  EXPECT_NE(browser.GetObjectName(), first);

  // Different by the backslash: bound again, the enumeration starts over.
  browser.SetFolder(L"C:\\windows");
  ASSERT_TRUE(browser.Next());
  EXPECT_EQ(browser.GetObjectName(), first);
}

TEST(NsBrowserShellTest, AFolderThatDoesNotExistRaisesAndKeepsThePreviousOne) {
  TTempFolder temp;
  TNsBrowser browser(nullptr);
  browser.SetFolder(temp.Path());
  const std::wstring missing = temp / L"no such folder";
  try {
    browser.SetFolder(missing);
    FAIL() << "no error";
  } catch (const ENsBrowserError& e) {
    EXPECT_TRUE(EndsText(L"\r\n" + missing, e.Message())) << WideToUtf8(e.Message());
  }
  EXPECT_EQ(browser.GetFolder(), temp.Path() + L"\\");
  EXPECT_TRUE(browser.CheckIfValid(true));
}

TEST(NsBrowserShellTest, ADriveRootIsAnItemOfMyComputer) {
  TNsBrowser browser(nullptr);
  browser.SetObjectName(L"C:\\");
  EXPECT_EQ(browser.GetSpecialFolder(), SF_DRIVES);
  EXPECT_EQ(browser.GetObjectName(), L"C:\\");
  EXPECT_TRUE(browser.IsDrive());
  EXPECT_TRUE(browser.IsFolder());
  EXPECT_EQ(browser.GetItemFullPath(), L"C:\\");
  EXPECT_FALSE(browser.IsFileSystemFolder());  // My Computer has no path

  // Entering it binds the drive.
  ASSERT_TRUE(browser.BrowseObject());
  EXPECT_EQ(browser.GetFolder(), L"C:\\");
  EXPECT_EQ(browser.GetSpecialFolder(), SF_FILESYSTEMFOLDER);
}

TEST(NsBrowserShellTest, TheDesktopAndItsChildren) {
  TNsBrowser browser(nullptr);
  browser.SetAbsoluteItemIdList(DesktopItemIdList);
  EXPECT_EQ(browser.GetSpecialFolder(), SF_DESKTOP);
  EXPECT_FALSE(browser.CheckIfValid(false));
  EXPECT_TRUE(browser.CheckIfValid(true));
  EXPECT_FALSE(browser.IsFileSystemFolder());
  EXPECT_FALSE(browser.GetDesktopName().empty());
  // The desktop's own small icon: what the system image list gives its list,
  // not the failure value 0, nor an ordinary folder's icon.
  const int desktopIcon = browser.GetDesktopIconIndex();
  EXPECT_NE(desktopIcon, 0);
  EXPECT_EQ(desktopIcon, browser.GetIconNumber());
  TNsBrowser windows(nullptr);
  windows.SetObjectName(L"C:\\windows");
  EXPECT_NE(desktopIcon, windows.GetIconNumber());

  browser.SetSpecialFolder(SF_DRIVES);
  EXPECT_EQ(browser.GetSpecialFolder(), SF_DRIVES);
  browser.SelectParent();
  EXPECT_EQ(browser.GetSpecialFolder(), SF_DESKTOP);
  EXPECT_EQ(browser.IsSpecialObject(), SF_DRIVES);
  EXPECT_FALSE(browser.GetShellObjectName(true).empty());
}

class NsBrowserFolderTest : public ::testing::Test {
protected:
  NsBrowserFolderTest() {
    temp.MakeFile(L"a.txt", "alpha");
    temp.MakeFile(L"b.doc", "bravo!");
    temp.MakeFile(L"c.bin", "c");
    temp.MakeFile(L"archive.zip", "PK");
    temp.MakeFolder(L"sub");
    temp.MakeFile(L"sub\\inner.txt", "x");
    hidden = temp.MakeFile(L"h.txt", "h");
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    folder = temp.Path() + L"\\";
  }

  TTempFolder temp;
  std::wstring hidden;
  std::wstring folder;
};

TEST_F(NsBrowserFolderTest, EnumeratesEverythingIncludingHiddenAndFiltersFiles) {
  TNsBrowser browser(nullptr);
  browser.SetFolder(temp.Path());
  EXPECT_EQ(EnumerateNames(browser),
            (std::set<std::wstring>{L"a.txt", L"b.doc", L"c.bin", L"archive.zip", L"sub", L"h.txt"}));
  // The end was reached: the next call starts over.
  EXPECT_EQ(EnumerateNames(browser).size(), 6u);

  browser.SetFilter(L"*.txt;*.doc");
  EXPECT_EQ(EnumerateNames(browser), (std::set<std::wstring>{L"a.txt", L"b.doc", L"sub", L"h.txt"}));
  browser.SetFilter(L"");
  EXPECT_EQ(EnumerateNames(browser).size(), 6u);
}

TEST_F(NsBrowserFolderTest, ItemPropertiesOfFiles) {
  TNsBrowser browser(nullptr);
  browser.SetObjectName(temp / L"b.doc");
  EXPECT_EQ(browser.GetFolder(), folder);
  EXPECT_EQ(browser.GetObjectName(), L"b.doc");
  EXPECT_EQ(browser.GetItemFullPath(), temp / L"b.doc");
  EXPECT_EQ(browser.GetFileSize(), 6);
  EXPECT_FALSE(browser.IsFolder());
  EXPECT_FALSE(browser.IsDrive());
  EXPECT_FALSE(browser.IsHidden());
  EXPECT_EQ(browser.IsLinkToFolder(), L"");
  EXPECT_EQ(browser.IsSpecialObject(), SF_FILESYSTEMFOLDER);
  ASSERT_TRUE(browser.GetFindData());
  EXPECT_STREQ(browser.FindData().cFileName, L"b.doc");

  // The last change is the file's write time, in UTC, as a date-time.
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  SYSTEMTIME st;
  FileTimeToSystemTime(&now, &st);
  double today = 0;
  SystemTimeToVariantTime(&st, &today);
  EXPECT_NEAR(browser.GetLastChangeDate(), today, 1.0 / 24);

  browser.SetObjectName(hidden);
  EXPECT_TRUE(browser.IsHidden());

  // By name inside the bound folder; a name it does not hold is reported.
  browser.SetObjectName(L"A.TXT");
  EXPECT_EQ(browser.GetFileSize(), 5);
  EXPECT_THROW(browser.SetObjectName(L"nothing.here"), ENsBrowserError);
}

TEST_F(NsBrowserFolderTest, FoldersArchivesAndShortcuts) {
  TNsBrowser browser(nullptr);
  browser.SetObjectName(temp / L"sub\\");
  EXPECT_EQ(browser.GetObjectName(), L"sub");
  EXPECT_TRUE(browser.IsFolder());
  EXPECT_TRUE(browser.BrowseObject());
  EXPECT_EQ(browser.GetFolder(), temp / L"sub\\");

  browser.SetObjectName(temp / L"archive.zip");
  EXPECT_TRUE(browser.HasSubFolders());
  browser.SetFileSystemOnly(true);
  browser.SetObjectName(temp / L"archive.zip");
  EXPECT_FALSE(browser.HasSubFolders());
  EXPECT_FALSE(browser.IsFolder());

  const std::wstring link = temp / L"to sub.lnk";
  ASSERT_TRUE(MakeShortcut(link, temp / L"sub"));
  browser.SetObjectName(link);
  EXPECT_TRUE(browser.IsLink());
  EXPECT_TRUE(SameText(ExcludeTrailingPathDelimiter(browser.IsLinkToFolder()), temp / L"sub"));
  // Wine's folders have no overlay source: the link overlay comes from the
  // item's attributes, and a plain file has none.
  EXPECT_EQ(browser.GetOverlayIndex(), 1);
  browser.SetObjectName(temp / L"a.txt");
  EXPECT_EQ(browser.GetOverlayIndex(), -1);
}

TEST_F(NsBrowserFolderTest, LongAndUnusualNamesReadBackExactly) {
  const std::wstring odd = L"Ünïcødé 名前 & spaces ;, (1)";
  const std::wstring longName = std::wstring(200, L'n') + L".txt";
  temp.MakeFile(odd + L".txt", "u");
  temp.MakeFile(longName, "l");
  TNsBrowser browser(nullptr);
  browser.SetObjectName(temp / (odd + L".txt"));
  EXPECT_EQ(browser.GetObjectName(), odd + L".txt");
  browser.SetObjectName(temp / longName);
  EXPECT_EQ(browser.GetObjectName(), longName);
  TNsBrowser byPath(temp / longName);
  EXPECT_EQ(byPath.GetObjectName(), longName);
}

TEST(NsBrowserShellTest, PathExistsFindsRootsFoldersAndFiles) {
  TTempFolder temp;
  const std::wstring file = temp.MakeFile(L"x.txt", "x");
  EXPECT_TRUE(PathExists(L"C:\\"));
  EXPECT_TRUE(PathExists(temp.Path() + L"\\"));
  EXPECT_TRUE(PathExists(file));
  EXPECT_FALSE(PathExists(temp / L"missing"));
}

}  // namespace
}  // namespace ts::test
