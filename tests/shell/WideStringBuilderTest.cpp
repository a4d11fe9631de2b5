#include <gtest/gtest.h>

#include <cstring>

#include "shell/WideStringBuilder.h"
#include "toolkit/StringList.h"

namespace ts {
namespace {

TEST(WideStringBuilder, AppendsOneZeroTerminatedString) {
  TWideStringBuilder b;
  EXPECT_EQ(b.fString, nullptr);
  EXPECT_EQ(b.GetSize(), 0);
  b.Append(L"abc");
  b.Append(L"de");
  EXPECT_EQ(b.fLength, 5);
  EXPECT_EQ(b.GetSize(), 10);
  EXPECT_STREQ(b.fString, L"abcde");
  EXPECT_EQ(b.fAllocated, 0x100000);
}

TEST(WideStringBuilder, TrailingZeroOptionMakesARunOfStrings) {
  TWideStringBuilder b;
  b.fIncludeTrailingZeroCharacter = true;
  TStringList list;
  list.Add(L"ab");
  list.Add(L"c");
  b.Append(list);
  // "ab\0c\0\0": each string with its zero, then the closing zero.
  ASSERT_EQ(b.fLength, 6);
  EXPECT_EQ(std::wmemcmp(b.fString, L"ab\0c\0\0", 6), 0);
  EXPECT_EQ(b.fString[b.fLength], L'\0');  // always one zero after what is counted
}

TEST(WideStringBuilder, GrowsInWholeStepsUntilALongStringFits) {
  TWideStringBuilder b;
  const std::wstring big(0x100000, L'x');  // 2 MiB of text
  b.Append(big);
  EXPECT_EQ(b.fAllocated, 3 * 0x100000);
  EXPECT_EQ(b.fLength, 0x100000);
  b.Append(L"y");
  EXPECT_EQ(b.fString[0x100000], L'y');
  EXPECT_EQ(b.fString[0x100001], L'\0');
}

}  // namespace
}  // namespace ts
