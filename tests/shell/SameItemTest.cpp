// The "same item" rule and the places that rely on it, on a namespace whose
// comparison the test controls: a failure is never an answer of "the same".
#include <gtest/gtest.h>

#include "FakeNamespace.h"
#include "shell/NsBrowser.h"
#include "shell/PidlHistory.h"
#include "shell/SameItem.h"
#include "shell/ShellGlobals.h"

namespace ts::test {
namespace {

constexpr ULONG kFsFolder = SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR | SFGAO_HASSUBFOLDER;
// Failure codes whose low word is 0, which the code part of the rule alone
// would take for "the same".
constexpr HRESULT kFailuresWithCodeZero[] = {static_cast<HRESULT>(0x80040000), static_cast<HRESULT>(0x80070000),
                                             static_cast<HRESULT>(0x8FFF0000)};

TEST(SameItemRule, OnlyASuccessWhoseCodeIsZeroMeansTheSame) {
  EXPECT_TRUE(CompareIDsSaysSame(S_OK));
  EXPECT_TRUE(CompareIDsSaysSame(MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_ITF, 0)));
  EXPECT_FALSE(CompareIDsSaysSame(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1)));
  EXPECT_FALSE(CompareIDsSaysSame(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0xFFFF)));
  for (HRESULT failure : kFailuresWithCodeZero) EXPECT_FALSE(CompareIDsSaysSame(failure)) << std::hex << failure;
  EXPECT_FALSE(CompareIDsSaysSame(E_FAIL));
}

class SameItemTest : public ::testing::Test {
protected:
  SameItemTest() {
    computer = &space.Add(space.Desktop(), L"My Computer", kFsFolder);
    space.SetSpecial(CSIDL_DRIVES, *computer);
    drive = &space.Add(*computer, L"C:", kFsFolder, L"C:\\");
    data = &space.Add(*drive, L"Data", kFsFolder, L"C:\\Data");
    other = &space.Add(*drive, L"Other", kFsFolder, L"C:\\Other");
    space.Add(*data, L"notes.txt", SFGAO_FILESYSTEM, L"C:\\Data\\notes.txt");
  }

  void FailComparisons(HRESULT answer) {
    space.CompareIDsFails = true;
    space.CompareIDsAnswer = answer;
  }

  TFakeNamespace space;
  TFakeItem* computer;
  TFakeItem* drive;
  TFakeItem* data;
  TFakeItem* other;
};

TEST_F(SameItemTest, ListsAreComparedByTheDesktopFolder) {
  TPidl a(space.AbsoluteList(*data)), b(space.AbsoluteList(*data)), c(space.AbsoluteList(*other));
  EXPECT_TRUE(SameItemIdList(a.Get(), b.Get()));
  EXPECT_FALSE(SameItemIdList(a.Get(), c.Get()));
  EXPECT_FALSE(SameItemIdList(a.Get(), nullptr));
  EXPECT_FALSE(SameItemIdList(nullptr, nullptr));
  FailComparisons(kFailuresWithCodeZero[0]);
  EXPECT_FALSE(SameItemIdList(a.Get(), b.Get()));
}

TEST_F(SameItemTest, TheRelativePartBelowAFolder) {
  TPidl base(space.AbsoluteList(*drive)), file(space.AbsoluteList(*data->Children[0]));
  TPidl relative(RelativeItemIdList(base.Get(), file.Get()));
  ASSERT_TRUE(relative);
  EXPECT_EQ(GetItemIdCount(relative.Get()), 2);
  EXPECT_EQ(space.Resolve(*drive, relative.Get()), data->Children[0].get());

  TPidl elsewhere(space.AbsoluteList(*other));
  EXPECT_FALSE(TPidl(RelativeItemIdList(elsewhere.Get(), file.Get())));  // not below it
  EXPECT_FALSE(TPidl(RelativeItemIdList(base.Get(), base.Get())));       // the folder itself
  EXPECT_FALSE(TPidl(RelativeItemIdList(file.Get(), base.Get())));       // above it
  EXPECT_FALSE(TPidl(RelativeItemIdList(nullptr, file.Get())));
}

TEST_F(SameItemTest, AFailedComparisonDoesNotMakeAFolderTheDesktop) {
  for (HRESULT failure : kFailuresWithCodeZero) {
    FailComparisons(failure);
    TNsBrowser browser(nullptr);
    TPidl list(space.AbsoluteList(*data));
    browser.SetFolderIdList(list.Get());
    EXPECT_NE(browser.GetShellFolder(), DesktopFolder) << std::hex << failure;
    EXPECT_EQ(browser.GetFolder(), L"C:\\Data\\");
    ASSERT_TRUE(browser.Next());
    EXPECT_EQ(browser.GetObjectName(), L"notes.txt");
  }
}

TEST_F(SameItemTest, TheHistoryKeepsAFolderItCannotTellFromTheCurrentOne) {
  FailComparisons(kFailuresWithCodeZero[1]);
  TPidlHistory history;
  history.Add(space.AbsoluteList(*data));
  history.Add(space.AbsoluteList(*other));
  EXPECT_EQ(history.GetCount(), 2);
  EXPECT_EQ(history.GetPosition(), 1);
}

TEST_F(SameItemTest, SpecialFoldersAreOnlyFoundByATrueMatch) {
  TPidl list(space.AbsoluteList(*computer));
  EXPECT_EQ(GetSpecialFolderOfItemIdList(list.Get()), SF_DRIVES);
  FailComparisons(kFailuresWithCodeZero[2]);
  EXPECT_EQ(GetSpecialFolderOfItemIdList(list.Get()), SF_FILESYSTEMFOLDER);
}

}  // namespace
}  // namespace ts::test
