#include <gtest/gtest.h>

#include "shell/PathClassification.h"

namespace ts {
namespace {

TEST(PathClassification, DrivePartOfDrivesSharesAndOtherPaths) {
  EXPECT_EQ(PathDrivePart(L"C:\\Windows"), L"C:");
  EXPECT_EQ(PathDrivePart(L"c:"), L"c:");
  EXPECT_EQ(PathDrivePart(L"\\\\server\\share\\dir"), L"\\\\server\\share");
  EXPECT_EQ(PathDrivePart(L"\\\\server\\share"), L"\\\\server\\share");
  EXPECT_EQ(PathDrivePart(L"\\\\server\\"), L"\\\\server\\");
  EXPECT_EQ(PathDrivePart(L"\\\\server"), L"\\\\server");
  EXPECT_EQ(PathDrivePart(L"relative\\dir"), L"");
  EXPECT_EQ(PathDrivePart(L""), L"");
}

TEST(PathClassification, Roots) {
  EXPECT_TRUE(IsRootPath(L"C:\\"));
  EXPECT_TRUE(IsRootPath(L"C:"));
  EXPECT_FALSE(IsRootPath(L"C:\\Windows"));
  EXPECT_TRUE(IsRootPath(L"\\\\server\\share"));
  EXPECT_TRUE(IsRootPath(L"\\\\server\\share\\"));
  EXPECT_TRUE(IsRootPath(L"\\\\server"));
  EXPECT_FALSE(IsRootPath(L"\\\\server\\"));
  EXPECT_FALSE(IsRootPath(L"\\\\server\\share\\dir"));
  EXPECT_FALSE(IsRootPath(L""));
}

TEST(PathClassification, DrivePaths) {
  EXPECT_TRUE(IsDrivePath(L"c:\\x"));
  EXPECT_TRUE(IsDrivePath(L"C:\\x"));
  EXPECT_TRUE(IsDrivePath(L"z:\\"));
  EXPECT_FALSE(IsDrivePath(L"C:"));
  EXPECT_FALSE(IsDrivePath(L"1:\\x"));
  EXPECT_FALSE(IsDrivePath(L"C:x"));
  EXPECT_FALSE(IsDrivePath(L"\\\\?\\C:\\x"));
}

TEST(PathClassification, UncPaths) {
  EXPECT_TRUE(IsUNCPath(L"\\\\server\\share"));
  EXPECT_TRUE(IsUNCPath(L"\\\\server\\"));
  EXPECT_FALSE(IsUNCPath(L"\\\\server"));
  EXPECT_TRUE(IsUNCPath(L"\\\\?\\UNC\\server\\share"));
  EXPECT_TRUE(IsUNCPath(L"\\\\?\\unc\\server"));
  EXPECT_FALSE(IsUNCPath(L"\\\\?\\C:\\x"));
  EXPECT_FALSE(IsUNCPath(L"\\\\"));
  EXPECT_FALSE(IsUNCPath(L"C:\\x"));
  EXPECT_TRUE(IsDriveOrUNCPath(L"\\\\server\\share"));
  EXPECT_TRUE(IsDriveOrUNCPath(L"D:\\"));
  EXPECT_FALSE(IsDriveOrUNCPath(L"folder\\file"));
}

TEST(PathClassification, ServerPaths) {
  EXPECT_TRUE(IsUNCServerPath(L"\\\\server"));
  EXPECT_TRUE(IsUNCServerPath(L"\\\\server\\"));
  EXPECT_FALSE(IsUNCServerPath(L"\\\\server\\share"));
  EXPECT_FALSE(IsUNCServerPath(L"\\\\"));
  EXPECT_FALSE(IsUNCServerPath(L"C:\\"));
}

TEST(PathClassification, NetworkPaths) {
  EXPECT_TRUE(IsNetworkPath(L"\\\\server\\share\\x"));
  EXPECT_FALSE(IsNetworkPath(L"C:\\windows"));
  EXPECT_FALSE(IsNetworkPath(L""));
  EXPECT_FALSE(IsNetworkPath(L"relative"));
}

TEST(PathClassification, Extensions) {
  EXPECT_TRUE(HasExtension(L"C:\\a.ZIP\\", L"zip"));
  EXPECT_TRUE(HasExtension(L"C:\\a.zip", L".ZIP"));
  EXPECT_FALSE(HasExtension(L"C:\\a.zip.txt", L"zip"));
  EXPECT_TRUE(HasExtension(L"C:\\readme", L""));
  EXPECT_FALSE(HasExtension(L"C:\\readme.txt", L""));
  EXPECT_FALSE(HasExtension(L"C:\\dir.d\\readme", L"d"));
}

TEST(PathClassification, SameAndAncestorPaths) {
  EXPECT_TRUE(SamePath(L"C:\\Foo\\", L"c:\\foo"));
  EXPECT_FALSE(SamePath(L"C:\\Foo", L"C:\\Foo\\Bar"));
  EXPECT_TRUE(IsAncestorPath(L"C:\\Foo", L"C:\\Foo\\Bar"));
  EXPECT_TRUE(IsAncestorPath(L"c:\\foo\\", L"C:\\FOO\\Bar"));
  EXPECT_FALSE(IsAncestorPath(L"C:\\Foo", L"C:\\Foo"));
  EXPECT_FALSE(IsAncestorPath(L"C:\\Foo", L"C:\\Foo\\"));
  EXPECT_TRUE(IsAncestorPath(L"C:\\Fo", L"C:\\Foo\\Bar"));  // textual by design
  EXPECT_FALSE(IsAncestorPath(L"C:\\Foo\\Bar", L"C:\\Foo"));
  EXPECT_FALSE(IsAncestorPath(L"C:\\", L""));
}

TEST(PathClassification, DotsAndReparsePoints) {
  EXPECT_TRUE(IsDotOrDotDot(L"."));
  EXPECT_TRUE(IsDotOrDotDot(L".."));
  EXPECT_FALSE(IsDotOrDotDot(L"..."));
  EXPECT_FALSE(IsDotOrDotDot(L".git"));
  EXPECT_TRUE(IsReparsePoint(FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_FALSE(IsReparsePoint(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_FALSE(IsReparsePoint(INVALID_FILE_ATTRIBUTES));
}

}  // namespace
}  // namespace ts
