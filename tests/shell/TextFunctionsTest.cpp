#include <gtest/gtest.h>

#include <shlobj.h>
#include <shellapi.h>
#include <cstring>

#include "shell/FilterPattern.h"
#include "shell/ItemIdListPaths.h"
#include "shell/NameFormatting.h"
#include "shell/NetResource.h"
#include "shell/ShellFunctions.h"
#include "shell/ShellGlobals.h"
#include "shell/StrRet.h"
#include "shell/SystemErrorText.h"
#include "support/TempFolder.h"

namespace ts {
namespace {

TEST(FilterPattern, NoExtensionPattern) {
  EXPECT_TRUE(MatchesFilterPattern(L"readme", L"*."));
  EXPECT_FALSE(MatchesFilterPattern(L"readme.txt", L"*."));
}

TEST(FilterPattern, PlatformWildcards) {
  EXPECT_TRUE(MatchesFilterPattern(L"a.txt", L"*.txt"));
  EXPECT_TRUE(MatchesFilterPattern(L"A.TXT", L"*.txt"));
  EXPECT_FALSE(MatchesFilterPattern(L"a.txt.bak", L"*.txt"));
  EXPECT_TRUE(MatchesFilterPattern(L"report1.doc", L"report?.doc"));
  EXPECT_FALSE(MatchesFilterPattern(L"report12.doc", L"report?.doc"));
  EXPECT_TRUE(MatchesFilterPattern(L"anything", L"*"));
}

TEST(FilterPattern, AllFilesPattern) {
  EXPECT_TRUE(MatchesFilterPattern(L"a.txt", L"*.*"));
  EXPECT_TRUE(MatchesFilterPattern(L"a.b.c", L"*.*"));
  EXPECT_TRUE(MatchesFilterPattern(L"readme", L"*.*"));
}

TEST(NameFormatting, LogicalOrderComparesDigitsAsNumbers) {
  EXPECT_LT(CompareNamesLogical(L"file2", L"file10"), 0);
  EXPECT_GT(CompareNamesLogical(L"File10", L"file2"), 0);
  EXPECT_EQ(CompareNamesLogical(L"ABC", L"abc"), 0);
  auto saved = ShellFunctions.StrCmpLogicalW;
  ShellFunctions.StrCmpLogicalW = nullptr;
  EXPECT_EQ(CompareNamesLogical(L"ABC", L"abc"), 0);
  EXPECT_LT(CompareNamesLogical(L"a", L"B"), 0);
  ShellFunctions.StrCmpLogicalW = saved;
}

TEST(NameFormatting, ByteSizes) {
  EXPECT_EQ(FormatByteSize(-1), L"");
  EXPECT_EQ(FormatByteSize(-5000), L"");
  EXPECT_FALSE(FormatByteSize(0).empty());
  const std::wstring kb = FormatByteSize(1536);
  EXPECT_NE(kb.find(L"1.50"), std::wstring::npos) << std::string(kb.begin(), kb.end());
  EXPECT_FALSE(FormatByteSize(5LL << 40).empty());
}

TEST(StrRet, EveryKindOfDisplayName) {
  STRRET wide{};
  wide.uType = STRRET_WSTR;
  const wchar_t text[] = L"Wide ä";
  wide.pOleStr = static_cast<LPWSTR>(CoTaskMemAlloc(sizeof text));
  std::memcpy(wide.pOleStr, text, sizeof text);
  EXPECT_EQ(StrRetToString(nullptr, wide), L"Wide ä");  // the conversion releases the string

  STRRET narrow{};
  narrow.uType = STRRET_CSTR;
  strcpy(narrow.cStr, "narrow");
  EXPECT_EQ(StrRetToString(nullptr, narrow), L"narrow");

  // An offset into the item's own record.
  BYTE item[16] = {};
  item[0] = 14;
  strcpy(reinterpret_cast<char*>(item + 4), "offset");
  STRRET offset{};
  offset.uType = STRRET_OFFSET;
  offset.uOffset = 4;
  EXPECT_EQ(StrRetToString(reinterpret_cast<PCItemIDList>(item), offset), L"offset");
}

TEST(StrRet, FreeStrRetReleasesOnlyWideStrings) {
  STRRET wide{};
  wide.uType = STRRET_WSTR;
  wide.pOleStr = static_cast<LPWSTR>(CoTaskMemAlloc(8));
  FreeStrRet(wide);
  EXPECT_EQ(wide.pOleStr, nullptr);
  STRRET narrow{};
  narrow.uType = STRRET_CSTR;
  strcpy(narrow.cStr, "keep");
  FreeStrRet(narrow);
  EXPECT_STREQ(narrow.cStr, "keep");
}

TEST(SystemErrorText, PlatformTextWithoutLineBreaks) {
  const std::wstring text = GetSystemErrorText(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text.back(), L'\n');
  EXPECT_NE(text.back(), L' ');
  EXPECT_EQ(GetSystemErrorText(0x7FFFFFF0), L"");
}

TEST(NetResource, ItemsOutsideNetworkHaveNoRemoteName) {
  test::TTempFolder temp;
  TPidl list(PathToItemIdList(nullptr, temp.Path()));
  ASSERT_TRUE(list);
  EXPECT_EQ(GetNetResourceName(DesktopFolder, list.Get()), L"");
  EXPECT_EQ(GetNetResourceName(nullptr, list.Get()), L"");
  EXPECT_EQ(GetNetResourceName(DesktopFolder, nullptr), L"");
}

}  // namespace
}  // namespace ts
