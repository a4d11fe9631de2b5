// The network connection dialogs: their option rules, what the platform is
// asked, and how its answers reach the caller.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DialogTestSupport.h"
#include "dialogs/NsNetConnectionDialog.h"
#include "dialogs/NsNetDisconnectDialog.h"
#include "toolkit/Application.h"
#include "toolkit/Forms.h"

namespace ts::test {
namespace {

const wchar_t kNoRemotePath[] = L"Please enter directory in property RemotePath!";

TEST(NsNetConnectionDialogTest, ReadOnlyPathNeedsARemotePathAndNoRecentList) {
  TNsNetConnectionDialog dialog(nullptr);
  EXPECT_EQ(dialog.GetOptions(), (TNsConnectionFlags{cdPersist, cdUseMRU}));
  dialog.SetRemotePath(L"\\\\server\\share");
  dialog.SetOptions({cdPersist, cdReadOnlyPath, cdUseMRU});
  EXPECT_EQ(dialog.GetOptions(), (TNsConnectionFlags{cdPersist, cdUseMRU}));
  dialog.SetOptions({cdReadOnlyPath});
  EXPECT_EQ(dialog.GetOptions(), (TNsConnectionFlags{cdReadOnlyPath}));
  // Taking the path away takes the fixed path with it.
  dialog.SetRemotePath(L"");
  EXPECT_EQ(dialog.GetOptions(), TNsConnectionFlags{});
  dialog.SetOptions({cdPersist, cdReadOnlyPath});
  EXPECT_EQ(dialog.GetOptions(), (TNsConnectionFlags{cdPersist}));
}

TEST(NsNetConnectionDialogTest, ADesignerIsWarnedOnceForEachRefusedReadOnlyPath) {
  TMessageBoxReader boxes;
  TNsNetConnectionDialog dialog(nullptr);
  dialog.SetOptions({cdReadOnlyPath});  // at run time: silently refused
  EXPECT_TRUE(boxes.Shown().empty());

  dialog.SetDesigning(true);
  dialog.SetOptions({cdPersist, cdReadOnlyPath});
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].Text, kNoRemotePath);
  EXPECT_EQ(boxes.Shown()[0].Caption, Application->GetTitle());
  EXPECT_EQ(dialog.GetOptions(), (TNsConnectionFlags{cdPersist}));
  dialog.SetOptions({cdPersist});  // nothing refused, nothing said
  EXPECT_EQ(boxes.Shown().size(), 1u);

  dialog.SetRemotePath(L"\\\\server\\share");
  dialog.SetOptions({cdReadOnlyPath});
  dialog.SetRemotePath(L"");
  ASSERT_EQ(boxes.Shown().size(), 2u);
  EXPECT_EQ(boxes.Shown()[1].Text, kNoRemotePath);
  EXPECT_EQ(dialog.GetOptions(), TNsConnectionFlags{});
}

// A connection dialog that answers as the test says and notes what it was asked.
struct TAskedConnection {
  DWORD Size = 0;
  HWND Owner = nullptr;
  DWORD Flags = 0;
  DWORD Type = 0;
  std::wstring RemoteName = L"<null>";
};
TAskedConnection gAsked;
DWORD gAnswer = NO_ERROR;
DWORD gDevice = 0;
std::vector<std::wstring>* gEvents = nullptr;

DWORD WINAPI FakeConnectionDialog(LPCONNECTDLGSTRUCTW info) {
  gAsked.Size = info->cbStructure;
  gAsked.Owner = info->hwndOwner;
  gAsked.Flags = info->dwFlags;
  gAsked.Type = info->lpConnRes->dwType;
  gAsked.RemoteName = info->lpConnRes->lpRemoteName != nullptr ? info->lpConnRes->lpRemoteName : L"<null>";
  if (gEvents != nullptr) gEvents->push_back(L"dialog");
  info->dwDevNum = gDevice;
  return gAnswer;
}

TEST(NsNetConnectionDialogTest, ThePlatformIsAskedWithTheStructureOfThisBuild) {
  TReplacedCall replaced(NetConnectionDialogCall, &FakeConnectionDialog);
  TForm form(nullptr);
  auto* dialog = new TNsNetConnectionDialog(&form);
  std::vector<std::wstring> events;
  gEvents = &events;
  dialog->OnShow = [&](TObject*) { events.push_back(L"show"); };
  dialog->OnClose = [&](TObject*) { events.push_back(L"close"); };
  gAnswer = NO_ERROR;
  gDevice = 26;
  dialog->Execute();
  EXPECT_EQ(events, (std::vector<std::wstring>{L"show", L"dialog", L"close"}));
  EXPECT_EQ(gAsked.Size, sizeof(CONNECTDLGSTRUCTW));
  EXPECT_EQ(gAsked.Owner, form.GetHandle());
  EXPECT_EQ(gAsked.Flags, static_cast<DWORD>(CONNDLG_PERSIST | CONNDLG_USE_MRU));
  EXPECT_EQ(gAsked.Type, static_cast<DWORD>(RESOURCETYPE_DISK));
  EXPECT_EQ(gAsked.RemoteName, L"<null>");

  dialog->SetRemotePath(L"\\\\server\\share");
  dialog->SetOptions({cdReadOnlyPath});
  dialog->Execute(nullptr);
  EXPECT_EQ(gAsked.Owner, nullptr);
  EXPECT_EQ(gAsked.Flags, static_cast<DWORD>(CONNDLG_RO_PATH));
  EXPECT_EQ(gAsked.RemoteName, L"\\\\server\\share");
  gEvents = nullptr;
}

TEST(NsNetConnectionDialogTest, TheDriveOfTheNewConnectionOrTheReasonThereIsNone) {
  TReplacedCall replaced(NetConnectionDialogCall, &FakeConnectionDialog);
  TNsNetConnectionDialog dialog(nullptr);
  gAnswer = NO_ERROR;
  gDevice = 26;
  EXPECT_TRUE(dialog.Execute(nullptr));
  EXPECT_EQ(dialog.GetConnectedDriveLetter(), L"Z:");
  gDevice = 1;
  EXPECT_TRUE(dialog.Execute(nullptr));
  EXPECT_EQ(dialog.GetConnectedDriveLetter(), L"A:");
  // A connection made without a drive letter names none.
  for (DWORD device : {DWORD{0}, static_cast<DWORD>(-1), DWORD{27}}) {
    gDevice = 26;
    EXPECT_TRUE(dialog.Execute(nullptr));
    gDevice = device;
    EXPECT_TRUE(dialog.Execute(nullptr));
    EXPECT_EQ(dialog.GetConnectedDriveLetter(), L"") << device;
  }

  // A cancel is no failure: the last error is cleared after OnClose, whatever
  // that did.
  dialog.OnClose = [](TObject*) { SetLastError(ERROR_FILE_NOT_FOUND); };
  gDevice = 26;
  EXPECT_TRUE(dialog.Execute(nullptr));
  gAnswer = static_cast<DWORD>(-1);
  EXPECT_FALSE(dialog.Execute(nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(dialog.GetConnectedDriveLetter(), L"");
  gAnswer = ERROR_BAD_NET_NAME;
  EXPECT_FALSE(dialog.Execute(nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_NET_NAME));
}

TEST(NsNetConnectionDialogTest, WithoutANetworkThePlatformsFailureIsTheAnswer) {
  TNsNetConnectionDialog dialog(nullptr);
  int closed = 0;
  dialog.OnClose = [&](TObject*) { ++closed; };
  SetLastError(ERROR_SUCCESS);
  EXPECT_FALSE(dialog.Execute(nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_NETWORK));
  EXPECT_EQ(dialog.GetConnectedDriveLetter(), L"");
  EXPECT_EQ(closed, 1);

  TNsNetDisconnectDialog disconnect(nullptr);
  SetLastError(ERROR_SUCCESS);
  EXPECT_FALSE(disconnect.Execute(nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_NETWORK));
}

DWORD gDisconnectAnswer = NO_ERROR;
HWND gDisconnectOwner = nullptr;
DWORD gDisconnectType = 0;
DWORD WINAPI FakeDisconnectDialog(HWND owner, DWORD type) {
  gDisconnectOwner = owner;
  gDisconnectType = type;
  return gDisconnectAnswer;
}

TEST(NsNetDisconnectDialogTest, SuccessCancelAndFailure) {
  TReplacedCall replaced(NetDisconnectDialogCall, &FakeDisconnectDialog);
  TForm form(nullptr);
  auto* dialog = new TNsNetDisconnectDialog(&form);
  dialog->OnClose = [](TObject*) { SetLastError(ERROR_FILE_NOT_FOUND); };
  gDisconnectAnswer = NO_ERROR;
  EXPECT_TRUE(dialog->Execute());
  EXPECT_EQ(gDisconnectOwner, form.GetHandle());
  EXPECT_EQ(gDisconnectType, static_cast<DWORD>(RESOURCETYPE_DISK));
  gDisconnectAnswer = static_cast<DWORD>(-1);
  EXPECT_FALSE(dialog->Execute());
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  gDisconnectAnswer = ERROR_NOT_CONNECTED;
  EXPECT_FALSE(dialog->Execute());
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_CONNECTED));
}

}  // namespace
}  // namespace ts::test
