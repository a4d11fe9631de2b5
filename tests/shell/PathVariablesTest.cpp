#include <gtest/gtest.h>

#include "shell/PathVariables.h"

namespace ts {
namespace {

SYSTEMTIME At(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0) {
  SYSTEMTIME t{};
  t.wYear = year, t.wMonth = month, t.wDay = day, t.wHour = hour, t.wMinute = minute, t.wSecond = second;
  return t;
}

TEST(PathVariables, DateAndTimeInAnyLetterCase) {
  const SYSTEMTIME date = At(2024, 3, 5), time = At(2024, 3, 5, 7, 8, 9);
  EXPECT_EQ(ReplaceDateTimeVariables(L"%DATE%", date, time), L"2024-03-05");
  EXPECT_EQ(ReplaceDateTimeVariables(L"C:\\Backup\\%date%_%Time%", date, time), L"C:\\Backup\\2024-03-05_07-08-09");
  EXPECT_EQ(ReplaceDateTimeVariables(L"%DATE%%DATE%", date, time), L"2024-03-052024-03-05");
  EXPECT_EQ(ReplaceDateTimeVariables(L"%TIME%", date, At(2024, 3, 5, 23, 59, 0)), L"23-59-00");
}

TEST(PathVariables, EnvironmentVariablesAreExpanded) {
  SetEnvironmentVariableW(L"TWINSCOPE_TEST_DIR", L"D:\\Daten");
  EXPECT_EQ(ExpandPathVariables(L"%TWINSCOPE_TEST_DIR%\\x"), L"D:\\Daten\\x");
  SetEnvironmentVariableW(L"TWINSCOPE_TEST_DIR", nullptr);
  EXPECT_EQ(ExpandPathVariables(L"%TWINSCOPE_TEST_DIR%\\x"), L"%TWINSCOPE_TEST_DIR%\\x");
}

TEST(PathVariables, TextWithoutVariablesIsUnchanged) {
  EXPECT_EQ(ExpandPathVariables(L"C:\\plain\\path"), L"C:\\plain\\path");
  EXPECT_EQ(ExpandPathVariables(L""), L"");
  EXPECT_EQ(ExpandPathVariables(L"100%"), L"100%");
  std::wstring longText(30000, L'x');
  EXPECT_EQ(ExpandPathVariables(longText), longText);
}

TEST(PathVariables, TodayIsUsed) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  std::wstring expanded = ExpandPathVariables(L"%DATE%");
  ASSERT_EQ(expanded.size(), 10u);
  EXPECT_EQ(std::stoi(expanded.substr(0, 4)), now.wYear);
  EXPECT_EQ(expanded[4], L'-');
  EXPECT_EQ(expanded[7], L'-');
}

}  // namespace
}  // namespace ts
