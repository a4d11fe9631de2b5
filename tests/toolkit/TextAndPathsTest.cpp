#include <gtest/gtest.h>

#include <windows.h>

#include "toolkit/Exception.h"
#include "toolkit/FilePaths.h"
#include "toolkit/MenuCommandIds.h"
#include "toolkit/Strings.h"

namespace ts {
namespace {

TEST(Strings, CaseRulesCoverLettersBeyondAscii) {
  EXPECT_EQ(UpperCase(L"ärger ÿ"), L"ÄRGER Ÿ");
  EXPECT_TRUE(SameText(L"ÄRGER", L"ärger"));
  EXPECT_TRUE(StartsText(L"c:\\PROGRAM", L"C:\\Program Files"));
  EXPECT_FALSE(StartsText(L"C:\\Program Files\\x", L"C:\\Program"));
  EXPECT_EQ(FindText(L"a*.*b", L"*.*"), 1u);
}

TEST(Strings, StringReplaceHonoursItsFlags) {
  EXPECT_EQ(StringReplace(L"%date%-%DATE%", L"%DATE%", L"X", rfReplaceAll | rfIgnoreCase), L"X-X");
  EXPECT_EQ(StringReplace(L"%date%-%DATE%", L"%DATE%", L"X", rfReplaceAll), L"%date%-X");
  EXPECT_EQ(StringReplace(L"aaa", L"a", L"b", 0), L"baa");
  EXPECT_EQ(StringReplace(L"abc", L"", L"x", rfReplaceAll), L"abc");
}

TEST(Strings, TrimAndIntegers) {
  EXPECT_EQ(Trim(L" \t x y \r\n"), L"x y");
  long long v = 0;
  EXPECT_TRUE(TryStrToInt(L"-42", v));
  EXPECT_EQ(v, -42);
  EXPECT_FALSE(TryStrToInt(L"4x", v));
  EXPECT_FALSE(TryStrToInt(L"", v));
}

TEST(FilePaths, SplitsDrivesSharesFoldersNamesAndExtensions) {
  EXPECT_EQ(ExtractFileDrive(L"C:\\dir\\file.txt"), L"C:");
  EXPECT_EQ(ExtractFileDrive(L"\\\\server\\share\\dir"), L"\\\\server\\share");
  EXPECT_EQ(ExtractFileDrive(L"relative\\x"), L"");
  EXPECT_EQ(ExtractFilePath(L"C:\\dir\\file.txt"), L"C:\\dir\\");
  EXPECT_EQ(ExtractFileDir(L"C:\\dir\\file.txt"), L"C:\\dir");
  EXPECT_EQ(ExtractFileDir(L"C:\\file.txt"), L"C:\\");
  EXPECT_EQ(ExtractFileName(L"C:\\dir\\file.txt"), L"file.txt");
  EXPECT_EQ(ExtractFileExt(L"C:\\dir.d\\file"), L"");
  EXPECT_EQ(ExtractFileExt(L"archive.tar.gz"), L".gz");
  EXPECT_EQ(ChangeFileExt(L"C:\\x\\Twinscope.exe", L".ini"), L"C:\\x\\Twinscope.ini");
  EXPECT_EQ(IncludeTrailingPathDelimiter(L"C:"), L"C:\\");
  EXPECT_EQ(IncludeTrailingPathDelimiter(L"C:\\"), L"C:\\");
  EXPECT_EQ(ExcludeTrailingPathDelimiter(L"C:\\x\\"), L"C:\\x");
  EXPECT_EQ(ExcludeTrailingPathDelimiter(L""), L"");
}

TEST(MenuCommandIds, TheLowestFreeIdentifierIsTakenAndReturned) {
  int a = AllocateMenuCommandId();
  int b = AllocateMenuCommandId();
  EXPECT_EQ(b, a + 1);
  ReleaseMenuCommandId(a);
  EXPECT_FALSE(IsMenuCommandIdTaken(a));
  EXPECT_EQ(AllocateMenuCommandId(), a);
  ReleaseMenuCommandId(a);
  ReleaseMenuCommandId(b);
}

TEST(Exception, CarriesItsMessageAsUtf16AndUtf8) {
  EOSError e(L"Ärger", 5);
  EXPECT_EQ(e.Message(), L"Ärger");
  EXPECT_STREQ(e.what(), "\xC3\x84rger");
  EXPECT_EQ(e.ErrorCode(), 5u);
  try {
    RaiseLastOSError(2);
  } catch (const EOSError& error) {
    EXPECT_EQ(error.ErrorCode(), 2u);
    EXPECT_NE(error.Message().find(L"Code: 2."), std::wstring::npos);
  }
  EXPECT_NO_THROW(OleCheck(S_FALSE));
  EXPECT_THROW(OleCheck(E_NOINTERFACE), EOleSysError);
}

}  // namespace
}  // namespace ts
