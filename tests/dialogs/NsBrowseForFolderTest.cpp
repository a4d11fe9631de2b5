// The browse dialog's rules and its callback, with a stand-in for the
// platform's dialog: a window of the test's that notes what it is sent.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "DialogTestSupport.h"
#include "dialogs/NsBrowseForFolder.h"
#include "shell/ItemIdListPaths.h"
#include "shell/SameItem.h"
#include "shell/ShellGlobals.h"
#include "support/FreeCounter.h"
#include "support/TempFolder.h"
#include "toolkit/Application.h"

namespace ts::test {
namespace {

TEST(NsBrowseForFolderTest, OptionRules) {
  TNsBrowseForFolder dialog(nullptr);
  EXPECT_EQ(dialog.GetOptions(), TNsBrowseFlags{bfNewDialogStyle});
  dialog.SetOptions({bfEditBox});
  EXPECT_EQ(dialog.GetOptions(), (TNsBrowseFlags{bfNewDialogStyle, bfEditBox}));
  dialog.SetOptions({bfEditBox, bfBrowseForComputer});
  EXPECT_EQ(dialog.GetOptions(), TNsBrowseFlags{bfBrowseForComputer});
  dialog.SetOptions({bfFileSystemOnly, bfReturnInvalidPath});
  EXPECT_EQ(dialog.GetOptions(), (TNsBrowseFlags{bfFileSystemOnly, bfReturnInvalidPath}));
}

TEST(NsBrowseForFolderTest, ADesignerCanOnlyRootTheTreeAtAPathThatExists) {
  TTempFolder temp;
  TMessageBoxReader boxes;
  TNsBrowseForFolder dialog(nullptr);
  dialog.SetDesigning(true);
  dialog.SetRootedAtFileSystemFolder(temp / L"missing");
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].Text, L"Path does not exist: " + (temp / L"missing"));
  EXPECT_EQ(dialog.GetRootedAtFileSystemFolder(), L"");
  EXPECT_EQ(dialog.GetRootedAt(), SF_DESKTOP);
  dialog.SetRootedAtFileSystemFolder(temp.Path());
  EXPECT_EQ(dialog.GetRootedAtFileSystemFolder(), temp.Path());
  EXPECT_EQ(dialog.GetRootedAt(), SF_FILESYSTEMFOLDER);

  // At run time the path is taken as it is.
  TNsBrowseForFolder running(nullptr);
  running.SetRootedAtFileSystemFolder(temp / L"missing");
  EXPECT_EQ(running.GetRootedAtFileSystemFolder(), temp / L"missing");
  EXPECT_EQ(running.GetRootedAt(), SF_FILESYSTEMFOLDER);
  EXPECT_EQ(boxes.Shown().size(), 1u);
}

// What the stand-in dialog was asked and sent, and what it does.
struct TFakeDialog {
  // Asked.
  HWND Owner = nullptr;
  UINT Flags = 0;
  std::wstring Title;
  TPidl Root;
  // Sent while open: the selection asked for, as text or as a list.
  std::wstring SelectedText;
  TPidl SelectedList;
  std::vector<bool> OKEnabled;
  std::wstring Caption;
  std::wstring ButtonCaption;
  RECT Bounds{};
  // Done: selection changes, a refused typed path, the list answered.
  std::vector<PCItemIDList> Selections;
  const wchar_t* TypedPath = nullptr;
  PCItemIDList Answer = nullptr;
};
TFakeDialog* gFake = nullptr;

LRESULT CALLBACK FakeDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == BFFM_SETSELECTIONW && gFake != nullptr) {
    if (wParam != FALSE)
      gFake->SelectedText = reinterpret_cast<const wchar_t*>(lParam);
    else
      gFake->SelectedList.Reset(CopyItemIdList(reinterpret_cast<PCItemIDList>(lParam)));
    return 0;
  }
  if (message == BFFM_ENABLEOK && gFake != nullptr) {
    gFake->OKEnabled.push_back(lParam != 0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

PIDLIST_ABSOLUTE WINAPI FakeBrowseForFolder(LPBROWSEINFOW info) {
  TFakeDialog& fake = *gFake;
  fake.Owner = info->hwndOwner;
  fake.Flags = info->ulFlags;
  fake.Title = info->lpszTitle != nullptr ? info->lpszTitle : L"<null>";
  fake.Root.Reset(CopyItemIdList(info->pidlRoot));
  FreeCounter().Watched.insert(const_cast<ITEMIDLIST*>(info->pidlRoot));
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = &FakeDialogProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"TsFakeBrowseDialog";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, L"TsFakeBrowseDialog", L"", WS_POPUP, 10, 20, 300, 200, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD, 0, 0, 50, 20, window, reinterpret_cast<HMENU>(IDOK),
                  GetModuleHandleW(nullptr), nullptr);
  info->lpfn(window, BFFM_INITIALIZED, 0, info->lParam);
  for (PCItemIDList selection : fake.Selections)
    info->lpfn(window, BFFM_SELCHANGED, reinterpret_cast<LPARAM>(selection), info->lParam);
  if (fake.TypedPath != nullptr)
    info->lpfn(window, BFFM_VALIDATEFAILEDW, reinterpret_cast<LPARAM>(fake.TypedPath), info->lParam);
  wchar_t text[256] = L"";
  GetWindowTextW(window, text, 256);
  fake.Caption = text;
  GetDlgItemTextW(window, IDOK, text, 256);
  fake.ButtonCaption = text;
  GetWindowRect(window, &fake.Bounds);
  DestroyWindow(window);
  PIDLIST_ABSOLUTE answer = CopyItemIdList(fake.Answer);
  if (answer != nullptr) FreeCounter().Watched.insert(answer);
  return answer;
}

class NsBrowseForFolderFakeTest : public testing::Test {
protected:
  void SetUp() override {
    gFake = &fake;
    FreeCounter().Watched.clear();
    FreeCounter().Freed = 0;
    savedLastPath = LastBrowseFolderPath;
  }
  void TearDown() override {
    gFake = nullptr;
    LastBrowseFolderPath = savedLastPath;
  }
  TReplacedCall<TBrowseForFolderCall> replaced{BrowseForFolderCall, &FakeBrowseForFolder};
  TFakeDialog fake;
  TTempFolder temp;
  std::wstring savedLastPath;
};

TEST_F(NsBrowseForFolderFakeTest, TheDialogIsAskedForTheRootTitleAndOptions) {
  TNsBrowseForFolder dialog(nullptr);
  dialog.SetTitle(L"Where to?");
  dialog.SetRootedAt(SF_DRIVES);
  dialog.SetOptions({bfEditBox});
  EXPECT_FALSE(dialog.Execute(nullptr));
  EXPECT_EQ(fake.Title, L"Where to?");
  EXPECT_EQ(fake.Flags, static_cast<UINT>(BIF_EDITBOX | BIF_NEWDIALOGSTYLE));
  TPidl drives(GetSpecialFolderItemIdList(SF_DRIVES));
  EXPECT_TRUE(SameItemIdList(fake.Root.Get(), drives.Get()));

  dialog.SetRootedAtFileSystemFolder(temp.Path());
  dialog.Execute(nullptr);
  TPidl folder(PathToItemIdList(nullptr, temp.Path()));
  EXPECT_TRUE(SameItemIdList(fake.Root.Get(), folder.Get()));
  // A root folder that has gone: the tree starts at My Computer (the
  // platform id of a plain folder).
  dialog.SetRootedAtFileSystemFolder(temp / L"gone");
  dialog.Execute(nullptr);
  EXPECT_TRUE(SameItemIdList(fake.Root.Get(), drives.Get()));
}

TEST_F(NsBrowseForFolderFakeTest, OpeningPlacesLabelsAndSelectsAsSet) {
  TNsBrowseForFolder dialog(nullptr);
  dialog.SetPath(temp.Path());
  dialog.SetWindowTitle(L"Choose");
  dialog.SetDialogButtonCaption(L"Take");
  dialog.SetDialogLeft(100);
  dialog.SetDialogTop(120);
  dialog.Execute(nullptr);
  TPidl folder(PathToItemIdList(nullptr, temp.Path()));
  EXPECT_TRUE(SameItemIdList(fake.SelectedList.Get(), folder.Get()));
  EXPECT_EQ(fake.Caption, L"Choose");
  EXPECT_EQ(fake.ButtonCaption, L"Take");
  EXPECT_EQ(fake.Bounds.left, 100);
  EXPECT_EQ(fake.Bounds.top, 120);
  EXPECT_EQ(fake.OKEnabled, std::vector<bool>{true});
  EXPECT_EQ(dialog.GetDialogLeft(), 100);  // closed: the stored value

  // No path: My Computer.
  dialog.SetPath(L"");
  dialog.Execute(nullptr);
  TPidl drives(GetSpecialFolderItemIdList(SF_DRIVES));
  EXPECT_TRUE(SameItemIdList(fake.SelectedList.Get(), drives.Get()));
  EXPECT_EQ(fake.SelectedText, L"");
}

TEST_F(NsBrowseForFolderFakeTest, FileSystemOnlyLetsOKChooseOnlyItemsWithAPath) {
  TPidl folder(PathToItemIdList(nullptr, temp.Path()));
  TPidl drives(GetSpecialFolderItemIdList(SF_DRIVES));
  fake.Selections = {folder.Get(), drives.Get()};
  fake.Answer = drives.Get();
  LastBrowseFolderPath = L"C:\\before";
  TNsBrowseForFolder dialog(nullptr);
  dialog.SetPath(L"");
  dialog.SetOptions({bfFileSystemOnly});
  std::vector<std::wstring> changes;
  dialog.OnChange = [&](TObject*) { changes.push_back(dialog.GetPath()); };
  EXPECT_TRUE(dialog.Execute(nullptr));
  EXPECT_EQ(fake.OKEnabled, (std::vector<bool>{false, true, false}));
  EXPECT_FALSE(dialog.GetOKButtonEnabled());
  EXPECT_EQ(changes, (std::vector<std::wstring>{temp.Path(), L""}));

  // The computer folder has no path: it is named as the shell names it, and
  // is no folder for the next dialog to start at.
  EXPECT_EQ(dialog.GetSpecialFolder(), SF_DRIVES);
  SHFILEINFOW info{};
  SHGetFileInfoW(reinterpret_cast<LPCWSTR>(drives.Get()), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_DISPLAYNAME);
  EXPECT_NE(dialog.GetPath(), L"");
  EXPECT_EQ(dialog.GetPath(), info.szDisplayName);
  EXPECT_EQ(LastBrowseFolderPath, L"C:\\before");
  // The root and the answer are given back.
  EXPECT_EQ(FreeCounter().Freed, 2);
}

TEST_F(NsBrowseForFolderFakeTest, ARefusedTypedPathIsKeptButNotRemembered) {
  TPidl folder(PathToItemIdList(nullptr, temp.Path()));
  fake.Selections = {folder.Get()};
  fake.TypedPath = L"Q:\\typed\\path";
  fake.Answer = folder.Get();
  LastBrowseFolderPath = L"C:\\before";
  TNsBrowseForFolder dialog(nullptr);
  dialog.SetOptions({bfEditBox, bfReturnInvalidPath});
  EXPECT_TRUE(dialog.Execute(nullptr));
  EXPECT_TRUE(dialog.GetReturnInvalidPathEnteredInDialog());
  EXPECT_EQ(dialog.GetPath(), L"Q:\\typed\\path");
  EXPECT_EQ(dialog.GetSpecialFolder(), SF_FILESYSTEMFOLDER);
  EXPECT_EQ(LastBrowseFolderPath, L"C:\\before");

  // The next choice is a plain one again, and the next dialog starts there.
  fake.TypedPath = nullptr;
  EXPECT_TRUE(dialog.Execute(nullptr));
  EXPECT_FALSE(dialog.GetReturnInvalidPathEnteredInDialog());
  EXPECT_EQ(dialog.GetPath(), temp.Path());
  EXPECT_EQ(LastBrowseFolderPath, temp.Path());
  EXPECT_EQ(TNsBrowseForFolder(nullptr).GetPath(), temp.Path());
}

TEST_F(NsBrowseForFolderFakeTest, AnErrorOfAnEventHandlerStaysOutOfThePlatformsDialog) {
  TPidl folder(PathToItemIdList(nullptr, temp.Path()));
  fake.Selections = {folder.Get()};
  fake.Answer = folder.Get();
  std::vector<std::string> reported;
  Application->OnException = [&](TObject*, const std::exception& error) { reported.push_back(error.what()); };
  TNsBrowseForFolder dialog(nullptr);
  dialog.OnChange = [](TObject*) { throw std::runtime_error("handler failed"); };
  EXPECT_TRUE(dialog.Execute(nullptr));
  Application->OnException = nullptr;
  EXPECT_EQ(reported, std::vector<std::string>{"handler failed"});
  EXPECT_EQ(dialog.GetPath(), temp.Path());
}

}  // namespace
}  // namespace ts::test
