// The browse dialog on the platform's own dialog, driven from inside its
// loop: choosing a folder, cancelling, the computer folder, the next dialog
// starting where the last one ended, and where the dialog is placed.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>

#include "dialogs/NsBrowseForFolder.h"
#include "shell/ShellGlobals.h"
#include "support/TempFolder.h"

namespace ts::test {
namespace {

constexpr UINT kTickMs = 30;
// Generous: the dialog fills its tree from the shell first.
constexpr unsigned kLimitMs = 30000;

// A browse dialog a test drives: Opened runs right after the component has
// handled the dialog's opening, Step on every tick while it is open until
// it answers true (having pressed a button). A dialog still open after the
// limit is cancelled and TimedOut set.
class TDrivenBrowseDialog : public TNsBrowseForFolder {
public:
  using TNsBrowseForFolder::TNsBrowseForFolder;
  using TNsBaseBrowseDialog::GetDialogHandle;
  using TNsBrowseForFolder::Execute;

  std::function<void(HWND)> Opened;
  std::function<bool(HWND)> Step;
  bool TimedOut = false;

  bool Execute(HWND parent) override {
    sDriven = this;
    fDone = false;
    fElapsedMs = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, kTickMs, &TDrivenBrowseDialog::Tick);
    const bool result = TNsBrowseForFolder::Execute(parent);
    KillTimer(nullptr, timer);
    sDriven = nullptr;
    return result;
  }

protected:
  int DialogCallback(HWND window, UINT message, LPARAM lParam) override {
    const int answer = TNsBrowseForFolder::DialogCallback(window, message, lParam);
    if (message == BFFM_INITIALIZED && Opened) Opened(window);
    return answer;
  }

private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    TDrivenBrowseDialog* dialog = sDriven;
    if (dialog == nullptr) return;
    HWND window = dialog->GetDialogHandle();
    dialog->fElapsedMs += kTickMs;
    if (window == nullptr) return;
    if (dialog->fElapsedMs > kLimitMs) {
      dialog->TimedOut = true;
      PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      return;
    }
    if (!dialog->fDone && dialog->Step) dialog->fDone = dialog->Step(window);
  }

  static inline TDrivenBrowseDialog* sDriven = nullptr;
  bool fDone = false;
  unsigned fElapsedMs = 0;
};

void Press(HWND dialog, int button) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

void SelectPath(HWND dialog, const std::wstring& path) {
  SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
}

// Drives the dialog: once it has shown from, it selects to, and once that is
// shown it presses button. Answers the count of selection changes it saw.
std::shared_ptr<int> MoveThenPress(TDrivenBrowseDialog& dialog, const std::wstring& from, const std::wstring& to,
                                   int button) {
  auto changes = std::make_shared<int>(0);
  auto shownFrom = std::make_shared<bool>(false);
  auto asked = std::make_shared<bool>(false);
  dialog.OnChange = [&dialog, changes, shownFrom, from](TObject*) {
    ++*changes;
    *shownFrom = *shownFrom || dialog.GetPath() == from;
  };
  dialog.Step = [&dialog, shownFrom, asked, to, button](HWND window) {
    if (!*asked && *shownFrom) {
      *asked = true;
      SelectPath(window, to);
    }
    if (!*asked || dialog.GetPath() != to) return false;
    Press(window, button);
    return true;
  };
  return changes;
}

class NsBrowseForFolderShellTest : public testing::Test {
protected:
  void SetUp() override { saved = LastBrowseFolderPath; }
  void TearDown() override { LastBrowseFolderPath = saved; }
  TTempFolder temp;
  std::wstring first = temp.MakeFolder(L"one\\first");
  std::wstring second = temp.MakeFolder(L"two\\second");
  std::wstring saved;
};

TEST_F(NsBrowseForFolderShellTest, TheChosenFolderIsWhereTheNextDialogStarts) {
  TDrivenBrowseDialog dialog(nullptr);
  dialog.SetRootedAtFileSystemFolder(temp.Path());
  dialog.SetPath(first);
  // The dialog first shows the folder it was given, then the one chosen.
  const auto changes = MoveThenPress(dialog, first, second, IDOK);
  ASSERT_TRUE(dialog.Execute(nullptr));
  EXPECT_FALSE(dialog.TimedOut);
  EXPECT_EQ(dialog.GetPath(), second);
  EXPECT_EQ(dialog.GetSpecialFolder(), SF_FILESYSTEMFOLDER);
  EXPECT_GE(*changes, 2);
  EXPECT_EQ(dialog.GetDialogHandle(), nullptr);
  EXPECT_EQ(LastBrowseFolderPath, second);

  // The next dialog opens on that folder; cancelled, it keeps it.
  TDrivenBrowseDialog next(nullptr);
  EXPECT_EQ(next.GetPath(), second);
  bool shown = false;
  next.OnChange = [&](TObject*) { shown = shown || next.GetPath() == second; };
  next.Step = [&](HWND window) {
    if (!shown) return false;
    Press(window, IDCANCEL);
    return true;
  };
  EXPECT_FALSE(next.Execute(nullptr));
  EXPECT_FALSE(next.TimedOut);
  EXPECT_TRUE(shown);
  EXPECT_EQ(next.GetPath(), second);
  EXPECT_EQ(LastBrowseFolderPath, second);
}

TEST_F(NsBrowseForFolderShellTest, CancellingLeavesTheLastSelectionMadeInTheDialog) {
  LastBrowseFolderPath = first;
  TDrivenBrowseDialog dialog(nullptr);
  dialog.SetRootedAtFileSystemFolder(temp.Path());
  MoveThenPress(dialog, first, second, IDCANCEL);
  EXPECT_FALSE(dialog.Execute(nullptr));
  EXPECT_FALSE(dialog.TimedOut);
  EXPECT_EQ(dialog.GetPath(), second);
  EXPECT_EQ(LastBrowseFolderPath, first);
}

TEST_F(NsBrowseForFolderShellTest, TheComputerFolderIsChosenAsTheSpecialFolderItIs) {
  LastBrowseFolderPath = first;
  TDrivenBrowseDialog dialog(nullptr);
  TPidl drives(GetSpecialFolderItemIdList(SF_DRIVES));
  bool asked = false;
  dialog.Step = [&](HWND window) {
    if (!asked) {
      asked = true;
      SendMessageW(window, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(drives.Get()));
    }
    if (dialog.GetSpecialFolder() != SF_DRIVES) return false;
    Press(window, IDOK);
    return true;
  };
  ASSERT_TRUE(dialog.Execute(nullptr));
  EXPECT_FALSE(dialog.TimedOut);
  EXPECT_EQ(dialog.GetSpecialFolder(), SF_DRIVES);
  SHFILEINFOW info{};
  SHGetFileInfoW(reinterpret_cast<LPCWSTR>(drives.Get()), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_DISPLAYNAME);
  EXPECT_NE(dialog.GetPath(), L"");
  EXPECT_EQ(dialog.GetPath(), info.szDisplayName);
  EXPECT_EQ(LastBrowseFolderPath, first);
}

// Where the dialog stood as it opened, and with the place given.
RECT OpenedAt(int left, int top) {
  TDrivenBrowseDialog dialog(nullptr);
  dialog.SetDialogLeft(left);
  dialog.SetDialogTop(top);
  RECT bounds{};
  dialog.Opened = [&](HWND window) { GetWindowRect(window, &bounds); };
  dialog.Step = [](HWND window) {
    Press(window, IDCANCEL);
    return true;
  };
  dialog.Execute(nullptr);
  EXPECT_FALSE(dialog.TimedOut);
  return bounds;
}

bool Centred(const RECT& bounds) {
  return bounds.left == GetSystemMetrics(SM_CXSCREEN) / 2 - (bounds.right - bounds.left) / 2 &&
         bounds.top == GetSystemMetrics(SM_CYSCREEN) / 2 - (bounds.bottom - bounds.top) / 2;
}

TEST_F(NsBrowseForFolderShellTest, ThePlaceGivenOrTheScreensCentre) {
  EXPECT_TRUE(Centred(OpenedAt(-1, -1)));
  EXPECT_TRUE(Centred(OpenedAt(100, 0)));
  const RECT placed = OpenedAt(100, 120);
  EXPECT_EQ(placed.left, 100);
  EXPECT_EQ(placed.top, 120);
  EXPECT_FALSE(Centred(placed));
}

TEST_F(NsBrowseForFolderShellTest, PropertiesActOnTheOpenDialogAtOnce) {
  TDrivenBrowseDialog dialog(nullptr);
  dialog.SetDialogLeft(100);
  dialog.SetDialogTop(120);
  std::wstring caption, button;
  bool okEnabled = true;
  int left = 0, top = 0;
  dialog.Step = [&](HWND window) {
    dialog.SetWindowTitle(L"Pick one");
    dialog.SetDialogButtonCaption(L"Take");
    dialog.SetOKButtonEnabled(false);
    dialog.SetDialogLeft(150);
    dialog.SetDialogTop(160);
    wchar_t text[256] = L"";
    GetWindowTextW(window, text, 256);
    caption = text;
    GetDlgItemTextW(window, IDOK, text, 256);
    button = text;
    okEnabled = IsWindowEnabled(GetDlgItem(window, IDOK)) != FALSE;
    left = dialog.GetDialogLeft();
    top = dialog.GetDialogTop();
    Press(window, IDCANCEL);
    return true;
  };
  dialog.Execute(nullptr);
  EXPECT_FALSE(dialog.TimedOut);
  EXPECT_EQ(caption, L"Pick one");
  EXPECT_EQ(button, L"Take");
  EXPECT_FALSE(okEnabled);
  EXPECT_EQ(left, 150);
  EXPECT_EQ(top, 160);
  EXPECT_FALSE(dialog.GetOKButtonEnabled());
}

}  // namespace
}  // namespace ts::test
