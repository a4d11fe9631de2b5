// Shortcuts and running files, against the platform's shell.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "shell/FileExecution.h"
#include "shell/LinkTarget.h"
#include "shell/PathClassification.h"
#include "shell/ProcessInfo.h"
#include "shell/SelectionListFileOps.h"
#include "shell/ShellFunctions.h"
#include "shell/ShellGlobals.h"
#include "support/TempFolder.h"
#include "toolkit/Application.h"
#include "toolkit/ComPtr.h"
#include "toolkit/Strings.h"

namespace ts {
namespace {

void SaveShortcut(const std::wstring& linkPath, const std::wstring& target) {
  TComPtr<IShellLinkW> link;
  ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.PutVoid()), S_OK);
  // A target that does not exist is stored too (the answer is S_FALSE).
  ASSERT_TRUE(SUCCEEDED(link->SetPath(target.c_str())));
  TComPtr<IPersistFile> file;
  ASSERT_EQ(link.As(IID_IPersistFile, file), S_OK);
  ASSERT_EQ(file->Save(linkPath.c_str(), TRUE), S_OK);
}

TEST(LinkTarget, ShortcutGivesItsTarget) {
  test::TTempFolder temp;
  const std::wstring target = temp.MakeFile(L"target file.txt", "x");
  const std::wstring link = temp / L"shortcut.lnk";
  SaveShortcut(link, target);
  EXPECT_TRUE(SamePath(ResolveLinkTarget(link), target));
}

TEST(LinkTarget, AnythingElseGivesNothing) {
  test::TTempFolder temp;
  EXPECT_EQ(ResolveLinkTarget(temp.MakeFile(L"not a link.lnk", "garbage, not a shortcut")), L"");
  EXPECT_EQ(ResolveLinkTarget(temp.MakeFile(L"plain.txt", "text")), L"");
  EXPECT_EQ(ResolveLinkTarget(temp / L"missing.lnk"), L"");
  EXPECT_EQ(ResolveLinkTarget(L""), L"");
}

// A 32-bit program on a 64-bit system, as the stand-in for the platform's
// query says; the stand-in notes the process it was asked about.
struct TWow64StandIn {
  BOOL Wow64 = TRUE;
  BOOL Succeeds = TRUE;
  HANDLE Asked = nullptr;
};
TWow64StandIn* gWow64 = nullptr;

BOOL WINAPI StandInIsWow64Process(HANDLE process, PBOOL wow64) {
  gWow64->Asked = process;
  *wow64 = gWow64->Wow64;
  return gWow64->Succeeds;
}

class Wow64Test : public ::testing::Test {
protected:
  Wow64Test() : saved(ShellFunctions.IsWow64Process) {
    gWow64 = &standIn;
    ShellFunctions.IsWow64Process = &StandInIsWow64Process;
  }
  ~Wow64Test() override {
    ShellFunctions.IsWow64Process = saved;
    gWow64 = nullptr;
  }
  TWow64StandIn standIn;
  decltype(TShellFunctions::IsWow64Process) saved;
};

TEST_F(Wow64Test, AsThePlatformAnswersForThisProcess) {
  EXPECT_TRUE(IsWow64());
  EXPECT_EQ(standIn.Asked, GetCurrentProcess());
  standIn.Wow64 = FALSE;
  EXPECT_FALSE(IsWow64());
  standIn.Wow64 = TRUE;
  standIn.Succeeds = FALSE;  // a failed query is no answer
  EXPECT_FALSE(IsWow64());
  ShellFunctions.IsWow64Process = nullptr;
  EXPECT_FALSE(IsWow64());
  ShellFunctions.IsWow64Process = saved;
#ifdef _WIN64
  EXPECT_FALSE(IsWow64());  // a 64-bit program never runs under it
#endif
}

// Under WOW64 a shortcut into the x86 program files folder may name a program
// that lives in the native one; the test gives both folders in its own.
class ProgramFilesLinkTest : public Wow64Test {
protected:
  ProgramFilesLinkTest() : savedX86(ProgramFilesX86Path), savedNative(ProgramFilesNativePath) {
    ProgramFilesX86Path = temp / L"Program Files (x86)";
    ProgramFilesNativePath = temp / L"Program Files";
    temp.MakeFolder(L"Program Files (x86)");
    native = temp.MakeFile(L"Program Files\\App\\app.exe", "MZ");
    x86 = ProgramFilesX86Path + L"\\App\\app.exe";
  }
  ~ProgramFilesLinkTest() override {
    ProgramFilesX86Path = savedX86;
    ProgramFilesNativePath = savedNative;
  }
  std::wstring LinkTo(const std::wstring& target) {
    const std::wstring link = temp / L"app.lnk";
    SaveShortcut(link, target);
    return link;
  }

  test::TTempFolder temp;
  std::wstring native, x86;
  std::wstring savedX86, savedNative;
};

TEST_F(ProgramFilesLinkTest, AMissingX86TargetIsFoundInTheNativeFolder) {
  EXPECT_TRUE(SamePath(ResolveLinkTarget(LinkTo(x86)), native));
  EXPECT_TRUE(SamePath(ResolveLinkTarget(LinkTo(UpperCase(x86))), native));  // the folder in any case
}

TEST_F(ProgramFilesLinkTest, TheShortcutsOwnTargetStandsOtherwise) {
  // Not under WOW64.
  standIn.Wow64 = FALSE;
  EXPECT_TRUE(SamePath(ResolveLinkTarget(LinkTo(x86)), x86));
  standIn.Wow64 = TRUE;
  // In neither folder.
  const std::wstring elsewhere = ProgramFilesX86Path + L"\\Other\\other.exe";
  EXPECT_TRUE(SamePath(ResolveLinkTarget(LinkTo(elsewhere)), elsewhere));
  // Present in the x86 folder itself.
  temp.MakeFile(L"Program Files (x86)\\App\\app.exe", "MZ");
  EXPECT_TRUE(SamePath(ResolveLinkTarget(LinkTo(x86)), x86));
  // Outside the x86 folder.
  const std::wstring outside = temp.MakeFile(L"Tools\\tool.exe", "MZ");
  EXPECT_TRUE(SamePath(ResolveLinkTarget(LinkTo(outside)), outside));
}

// The platform answers a missing file with its own error box, so only the
// request that never reaches it is tested here.
TEST(ExecuteFile, EmptyPathIsRefused) { EXPECT_FALSE(ExecuteFile(L"")); }

TEST(ProcessInfo, TheMainWindowIsTheMainFormsElseTheApplications) {
  // Without a main form the application window stands in.
  ASSERT_EQ(Application->GetMainFormHandle(), nullptr);
  HWND appWindow = GetMainWindowHandle();
  EXPECT_NE(appWindow, nullptr);
  EXPECT_EQ(appWindow, Application->GetHandle());
  HWND form = CreateWindowExW(0, L"STATIC", L"main", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  Application->SetMainFormHandle(form);
  EXPECT_EQ(GetMainWindowHandle(), form);
  Application->SetMainFormHandle(nullptr);
  DestroyWindow(form);
}

}  // namespace
}  // namespace ts
