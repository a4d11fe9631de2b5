// The INI-file class against the platform's own private-profile functions.
#include <gtest/gtest.h>

#include <windows.h>

#include "support/TempFolder.h"
#include "toolkit/IniFiles.h"

namespace ts::test {
namespace {

class IniFilesTest : public ::testing::Test {
protected:
  IniFilesTest() : path(temp / L"Twinscope.ini"), ini(path) {}
  void Raw(const wchar_t* key, const wchar_t* value) {
    WritePrivateProfileStringW(L"MForm", key, value, path.c_str());
  }
  std::wstring RawRead(const wchar_t* section, const wchar_t* key) {
    wchar_t buffer[256];
    GetPrivateProfileStringW(section, key, L"<none>", buffer, 256, path.c_str());
    return buffer;
  }
  TTempFolder temp;
  std::wstring path;
  TIniFile ini;
};

TEST_F(IniFilesTest, IntegersReadInEveryEncodingAndDefaultOtherwise) {
  struct {
    const wchar_t* text;
    int expected;
  } cases[] = {{L"42", 42},     {L"-17", -17},  {L"0x1F", 31},       {L"0X10", 16}, {L"$ff", 255},
               {L"-$10", -16},  {L"0x", 99},     {L"012", 12},        {L"abc", 99},  {L"12a", 99},
               {L"", 99},       {L"0xZZ", 99},  {L"99999999999", 99}, {L"$FFFFFFFF", -1}};
  for (const auto& c : cases) {
    Raw(L"Value", c.text);
    EXPECT_EQ(ini.ReadInteger(L"MForm", L"Value", 99), c.expected) << WideToUtf8(c.text);
  }
  EXPECT_EQ(ini.ReadInteger(L"MForm", L"Missing", 100), 100);
  Raw(L"Flag", L"2");
  EXPECT_TRUE(ini.ReadBool(L"MForm", L"Flag", false));
  Raw(L"Flag", L"0");
  EXPECT_FALSE(ini.ReadBool(L"MForm", L"Flag", true));
  Raw(L"Flag", L"yes");
  EXPECT_TRUE(ini.ReadBool(L"MForm", L"Flag", true));
  EXPECT_FALSE(ini.ReadBool(L"MForm", L"Missing", false));
}

TEST_F(IniFilesTest, WhatItWritesThePlatformReadsAndTheOtherWayRound) {
  ini.WriteInteger(L"MForm", L"Top", -5);
  ini.WriteBool(L"MForm", L"wsNormal", true);
  ini.WriteBool(L"MForm", L"wsMaximized", false);
  ini.WriteString(L"GenInfo", L"Path1", L"C:\\Temp\\Ünïcødé 名前");
  EXPECT_EQ(RawRead(L"MForm", L"Top"), L"-5");
  EXPECT_EQ(RawRead(L"MForm", L"wsNormal"), L"1");
  EXPECT_EQ(RawRead(L"MForm", L"wsMaximized"), L"0");
  EXPECT_EQ(ini.ReadString(L"GenInfo", L"Path1", L""), L"C:\\Temp\\Ünïcødé 名前");

  WritePrivateProfileStringW(L"GenInfo", L"Path2", L"D:\\Data", path.c_str());
  EXPECT_EQ(ini.ReadString(L"GenInfo", L"Path2", L""), L"D:\\Data");
  TStringList keys;
  ini.ReadSection(L"GenInfo", keys);
  EXPECT_EQ(keys.GetCommaText(), L"Path1,Path2");
  EXPECT_TRUE(ini.ValueExists(L"genInfo", L"PATH2"));
  EXPECT_TRUE(ini.SectionExists(L"MForm"));
  ini.EraseSection(L"GenInfo");
  EXPECT_FALSE(ini.SectionExists(L"GenInfo"));
  EXPECT_EQ(RawRead(L"MForm", L"Top"), L"-5");
}

TEST_F(IniFilesTest, LongStringsAreCutAt2047Characters) {
  ini.WriteString(L"GenInfo", L"Long", std::wstring(3000, L'x'));
  EXPECT_EQ(ini.ReadString(L"GenInfo", L"Long", L"").size(), 2047u);
}

TEST_F(IniFilesTest, AFailedWriteNamesTheFile) {
  ini.WriteInteger(L"MForm", L"Top", 1);
  {
    // Held open by another program that lets nobody else in (a read-only
    // attribute does not stop the superuser these tests may run as).
    HANDLE locked = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    try {
      ini.WriteInteger(L"MForm", L"Top", 2);
      ADD_FAILURE() << "no error";
    } catch (const EIniFileException& e) {
      EXPECT_EQ(e.Message(), L"Unable to write to " + path);
    }
    CloseHandle(locked);
  }
  EXPECT_EQ(ini.ReadInteger(L"MForm", L"Top", 0), 1);  // nothing lost

  TIniFile nowhere(temp / L"no such folder\\x.ini");
  EXPECT_THROW(nowhere.WriteString(L"A", L"B", L"C"), EIniFileException);
  EXPECT_EQ(nowhere.ReadString(L"A", L"B", L"default"), L"default");
}

}  // namespace
}  // namespace ts::test
