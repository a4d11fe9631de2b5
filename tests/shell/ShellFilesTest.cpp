// Shortcuts and running files, against the platform's shell.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "shell/FileExecution.h"
#include "shell/LinkTarget.h"
#include "shell/PathClassification.h"
#include "shell/ProcessInfo.h"
#include "shell/SelectionListFileOps.h"
#include "support/TempFolder.h"
#include "toolkit/Application.h"
#include "toolkit/ComPtr.h"

namespace ts {
namespace {

void SaveShortcut(const std::wstring& linkPath, const std::wstring& target) {
  TComPtr<IShellLinkW> link;
  ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.PutVoid()), S_OK);
  ASSERT_EQ(link->SetPath(target.c_str()), S_OK);
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

// The platform answers a missing file with its own error box, so only the
// request that never reaches it is tested here.
TEST(ExecuteFile, EmptyPathIsRefused) { EXPECT_FALSE(ExecuteFile(L"")); }

TEST(ProcessInfo, ThisProcessAndItsWindows) {
  EXPECT_EQ(IsWow64(), sizeof(void*) == 4 && IsWow64());
#ifdef _WIN64
  EXPECT_FALSE(IsWow64());
#endif
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
