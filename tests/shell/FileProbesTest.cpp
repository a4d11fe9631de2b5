#include <gtest/gtest.h>

#include "shell/FileProbes.h"
#include "shell/NsBrowserError.h"
#include "shell/PathClassification.h"
#include "shell/SelectionListFileOps.h"
#include "support/TempFolder.h"
#include "toolkit/Exception.h"

namespace ts {
namespace {

// A path of more than 260 characters below the folder.
std::wstring DeepPath(const test::TTempFolder& temp) {
  std::wstring path = temp.Path();
  while (path.size() < 300) path += L"\\" + std::wstring(40, L'd');
  return path;
}

TEST(FileProbes, ExistingAndMissingPaths) {
  test::TTempFolder temp;
  const std::wstring file = temp.MakeFile(L"a.txt", "abc");
  EXPECT_TRUE(PathExists(L"C:\\"));
  EXPECT_TRUE(PathExists(L"C:"));
  EXPECT_TRUE(PathExists(L"C:\\windows"));
  EXPECT_TRUE(PathExists(L"C:\\windows\\"));
  EXPECT_TRUE(PathExists(file));
  EXPECT_TRUE(PathExists(temp.Path() + L"\\"));
  EXPECT_FALSE(PathExists(temp / L"missing.txt"));
  EXPECT_FALSE(PathExists(L""));
  EXPECT_FALSE(PathExists(L"Q:\\"));
  EXPECT_FALSE(PathExists(L"\\\\nosuchserver\\share"));
}

TEST(FileProbes, LongAndUnicodePathsAreFound) {
  test::TTempFolder temp;
  const std::wstring deep = DeepPath(temp);
  ASSERT_TRUE(CreateDirectoryPath(deep));
  EXPECT_TRUE(PathExists(deep));
  EXPECT_TRUE(TNsSelectionListFileOps::IsFolder(deep));
  const std::wstring file = temp.MakeFile(deep.substr(temp.Path().size() + 1) + L"\\tief.txt", "12345");
  EXPECT_TRUE(TNsSelectionListFileOps::IsFile(file));
  EXPECT_EQ(GetFileSizeByPath(file), 5);

  const std::wstring odd = temp.MakeFile(L"naïve €uro 日本.txt", "x");
  EXPECT_TRUE(PathExists(odd));
}

TEST(FileProbes, FoldersAndFilesByTheirOwnNamesNeverByAPatternOrAMissingDrive) {
  test::TTempFolder temp;
  const std::wstring folder = temp.MakeFolder(L"Sub");
  const std::wstring file = temp.MakeFile(L"Sub\\a.txt", "abc");
  EXPECT_TRUE(DirectoryExists(folder));
  EXPECT_TRUE(DirectoryExists(folder + L"\\"));
  EXPECT_TRUE(DirectoryExists(L"C:\\"));
  EXPECT_TRUE(DirectoryExists(L"c:\\windows"));
  EXPECT_FALSE(DirectoryExists(file));
  EXPECT_TRUE(FileExists(file));
  EXPECT_FALSE(FileExists(file + L"\\"));
  EXPECT_FALSE(FileExists(folder));
  // A pattern matches entries but names none.
  for (const std::wstring& pattern : {folder + L"\\*", temp / L"S?b", temp / L"*", folder + L"\\*.txt"}) {
    EXPECT_FALSE(DirectoryExists(pattern)) << WideToUtf8(pattern);
    EXPECT_FALSE(FileExists(pattern)) << WideToUtf8(pattern);
  }
  // A drive that is not there has no root folder.
  DWORD drives = GetLogicalDrives();
  wchar_t letter = L'Z';
  while (letter > L'D' && (drives & (1u << (letter - L'A'))) != 0) --letter;
  ASSERT_EQ(drives & (1u << (letter - L'A')), 0u);
  const std::wstring missingRoot = std::wstring(1, letter) + L":\\";
  EXPECT_FALSE(DirectoryExists(missingRoot));
  EXPECT_FALSE(DirectoryExists(missingRoot.substr(0, 2)));
  EXPECT_FALSE(DirectoryExists(missingRoot + L"Data"));
  EXPECT_FALSE(DirectoryExists(L""));
  EXPECT_FALSE(DirectoryExists(temp / L"gone"));
  // Beyond MAX_PATH.
  const std::wstring deep = DeepPath(temp);
  ASSERT_TRUE(CreateDirectoryPath(deep));
  EXPECT_TRUE(DirectoryExists(deep));
}

TEST(FileProbes, FileSizes) {
  test::TTempFolder temp;
  EXPECT_EQ(GetFileSizeByPath(temp.MakeFile(L"empty.bin")), 0);
  EXPECT_EQ(GetFileSizeByPath(temp.MakeFile(L"kb.bin", std::string(1024, 'x'))), 1024);
  EXPECT_EQ(GetFileSizeByPath(temp / L"missing"), -1);
  EXPECT_EQ(GetFileSizeByPath(L""), -1);
}

TEST(FileProbes, DriveReadiness) {
  EXPECT_TRUE(IsDriveReady(L"C:\\windows"));
  EXPECT_TRUE(IsDriveReady(L"C:"));
  EXPECT_FALSE(IsDriveReady(L"Q:\\"));
  EXPECT_FALSE(IsDriveReady(L""));
  EXPECT_FALSE(IsDriveReady(L"relative"));
}

TEST(FileProbes, CreateDirectoryPathMakesMissingParents) {
  test::TTempFolder temp;
  const std::wstring nested = temp / L"a\\b\\c\\";
  EXPECT_TRUE(CreateDirectoryPath(nested));
  EXPECT_TRUE(TNsSelectionListFileOps::IsFolder(temp / L"a\\b\\c"));
  EXPECT_TRUE(CreateDirectoryPath(nested));  // already there
  EXPECT_TRUE(CreateDirectoryPath(L"C:\\"));
  EXPECT_TRUE(CreateDirectoryPath(L"C:"));
  EXPECT_THROW(CreateDirectoryPath(L""), ENsBrowserError);
}

TEST(FileProbes, CreateDirectoryPathFailsBelowAFile) {
  test::TTempFolder temp;
  const std::wstring file = temp.MakeFile(L"plain.txt");
  EXPECT_FALSE(CreateDirectoryPath(file + L"\\sub"));
  EXPECT_FALSE(CreateDirectoryPath(L"Q:\\nowhere\\x"));
  EXPECT_TRUE(TNsSelectionListFileOps::IsFile(file));  // nothing lost
}

TEST(FileProbes, WellKnownFolders) {
  EXPECT_TRUE(SamePath(GetWindowsDirectoryPath(), L"C:\\windows"));
  const std::wstring temp = GetTempDirectory();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), L'\\');
  EXPECT_TRUE(PathExists(temp));
}

TEST(FileProbes, FolderShortcutsAreMarkedByTargetLnk) {
  test::TTempFolder temp;
  temp.MakeFolder(L"plain");
  temp.MakeFile(L"shortcut\\target.lnk");
  EXPECT_TRUE(IsFolderShortcut(temp / L"shortcut"));
  EXPECT_TRUE(IsFolderShortcut(temp / L"shortcut\\*"));
  EXPECT_FALSE(IsFolderShortcut(temp / L"plain"));
  EXPECT_FALSE(IsFolderShortcut(L""));
}

TEST(SelectionListFileOps, LongPathPrefixes) {
  EXPECT_EQ(TNsSelectionListFileOps::LongPathForm(L"C:\\x"), L"\\\\?\\C:\\x");
  EXPECT_EQ(TNsSelectionListFileOps::LongPathForm(L"\\\\server\\share\\x"), L"\\\\?\\UNC\\server\\share\\x");
  EXPECT_EQ(TNsSelectionListFileOps::LongPathForm(L"\\\\?\\C:\\x"), L"\\\\?\\C:\\x");
  EXPECT_EQ(TNsSelectionListFileOps::LongPathForm(L"relative\\x"), L"relative\\x");
}

TEST(SelectionListFileOps, FilesFoldersAndParents) {
  test::TTempFolder temp;
  const std::wstring file = temp.MakeFile(L"f.txt");
  EXPECT_TRUE(TNsSelectionListFileOps::IsFile(file));
  EXPECT_FALSE(TNsSelectionListFileOps::IsFolder(file));
  EXPECT_TRUE(TNsSelectionListFileOps::IsFolder(temp.Path() + L"\\"));
  EXPECT_FALSE(TNsSelectionListFileOps::IsFile(temp.Path()));
  EXPECT_TRUE(TNsSelectionListFileOps::IsFolder(L"C:\\"));
  EXPECT_TRUE(TNsSelectionListFileOps::IsFolder(L"\\\\server\\share"));  // a root is a folder
  EXPECT_FALSE(TNsSelectionListFileOps::IsFile(L""));
  EXPECT_EQ(TNsSelectionListFileOps::GetParentPathFromPath(L"C:\\a\\b\\"), L"C:\\a\\");
  EXPECT_EQ(TNsSelectionListFileOps::GetParentPathFromPath(L"C:\\a\\b.txt"), L"C:\\a\\");
  EXPECT_EQ(TNsSelectionListFileOps::GetParentPathFromPath(L"C:\\a"), L"C:\\");
}

}  // namespace
}  // namespace ts
