// The browser object's context menus and verbs on Wine's real shell, in
// folders the tests make: what the shell offers, copying to the clipboard,
// deleting with its confirmation, the background menu and one menu over
// items of two folders.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "shell/FileProbes.h"
#include "shell/NsBrowser.h"
#include "support/MenuDriver.h"
#include "support/TempFolder.h"
#include "toolkit/ComPtr.h"
#include "toolkit/Menus.h"

namespace ts::test {
namespace {

constexpr POINT kAt{300, 300};

std::vector<std::wstring> ClipboardFiles() {
  std::vector<std::wstring> files;
  TComPtr<IDataObject> data;
  if (FAILED(OleGetClipboard(data.Put())) || !data) return files;
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (FAILED(data->GetData(&format, &medium))) return files;
  auto drop = static_cast<HDROP>(medium.hGlobal);
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
    path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
    files.push_back(path);
  }
  ReleaseStgMedium(&medium);
  std::sort(files.begin(), files.end());
  return files;
}

void ClearClipboard() {
  OleSetClipboard(nullptr);
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }
}

std::wstring VerbOf(IContextMenu* handler, UINT command) {
  wchar_t verb[260] = L"";
  if (handler == nullptr || command < 1 || command > 255) return {};
  if (FAILED(handler->GetCommandString(command - 1, GCS_VERBW, nullptr, reinterpret_cast<LPSTR>(verb), 260)))
    return {};
  return verb;
}

// Picks the shell command with this verb from the browser's open menu, and
// notes every verb the menu offered.
TMenuDriver::TChooser PickVerb(TNsBrowser& browser, const std::wstring& wanted,
                               std::vector<std::wstring>* offered = nullptr) {
  return [&browser, wanted, offered](const std::vector<TShownMenuItem>& items) {
    UINT chosen = 0;
    for (const TShownMenuItem& item : items) {
      if (item.Separator || item.SubMenu) continue;
      const std::wstring verb = VerbOf(browser.GetActiveIContextMenu(), item.Command);
      if (offered != nullptr && !verb.empty()) offered->push_back(verb);
      if (chosen == 0 && !wanted.empty() && verb == wanted) chosen = item.Command;
    }
    return chosen;
  };
}

std::wstring Joined(const std::vector<std::wstring>& items) {
  std::wstring text;
  for (const std::wstring& item : items) text += (text.empty() ? L"" : L", ") + item;
  return text;
}

bool Contains(const std::vector<std::wstring>& items, const std::wstring& item) {
  return std::find(items.begin(), items.end(), item) != items.end();
}

class NsBrowserContextMenuShellTest : public ::testing::Test {
protected:
  NsBrowserContextMenuShellTest() {
    ClearClipboard();
    browser.SetShowErrorMessages(false);
  }
  ~NsBrowserContextMenuShellTest() override { ClearClipboard(); }

  // The browser on an item of the temporary folder.
  void Select(const std::wstring& name, const std::wstring& folder = {}) {
    browser.SetFolder(folder.empty() ? temp.Path() : folder);
    browser.SetObjectName(name);
  }

  TTempFolder temp;
  TNsBrowser browser{static_cast<TComponent*>(nullptr)};
};

TEST_F(NsBrowserContextMenuShellTest, TheShellOffersItsCommandsOnFilesFoldersAndTheBackground) {
  const std::wstring file = temp.MakeFile(L"report.txt", "text");
  temp.MakeFolder(L"Folder");
  std::vector<std::wstring> onFile, onFolder, onBackground;
  Select(L"report.txt");
  {
    TMenuDriver driver(PickVerb(browser, L"", &onFile));
    EXPECT_EQ(browser.ShowContextMenu(kAt, nullptr, nullptr), L"");
    EXPECT_FALSE(driver.GaveUp());
  }
  Select(L"Folder");
  {
    TMenuDriver driver(PickVerb(browser, L"", &onFolder));
    EXPECT_EQ(browser.ShowContextMenu(kAt, nullptr, nullptr), L"");
  }
  browser.SetFolder(temp.Path());
  {
    TMenuDriver driver(PickVerb(browser, L"", &onBackground));
    EXPECT_EQ(browser.ShowBackgroundMenu(kAt, nullptr), L"");
  }
  std::printf("shell commands on a file: %ls\n", Joined(onFile).c_str());
  std::printf("shell commands on a folder: %ls\n", Joined(onFolder).c_str());
  std::printf("shell commands on a folder's background: %ls\n", Joined(onBackground).c_str());
  for (const wchar_t* verb : {L"copy", L"cut", L"delete", L"properties"}) {
    EXPECT_TRUE(Contains(onFile, verb)) << verb;
    EXPECT_TRUE(Contains(onFolder, verb)) << verb;
  }
  EXPECT_TRUE(Contains(onBackground, L"paste"));
  EXPECT_TRUE(PathExists(file));
}

TEST_F(NsBrowserContextMenuShellTest, TheApplicationsItemsComeBeforeOrAfterTheShellsCommands) {
  temp.MakeFile(L"a.txt");
  TPopupMenu menu(nullptr);
  auto* mine = new TMenuItem(&menu);
  mine->SetCaption(L"Mine");
  menu.GetItems().Add(mine);
  int clicks = 0;
  mine->OnClick = [&](TObject*) { ++clicks; };
  for (bool onTop : {false, true}) {
    Select(L"a.txt");
    browser.SetShowContextMenuOnTop(onTop);
    TMenuDriver driver([](const std::vector<TShownMenuItem>& items) {
      for (const TShownMenuItem& item : items)
        if (item.Caption == L"Mine") return item.Command;
      return 0u;
    });
    EXPECT_EQ(browser.ShowContextMenu(kAt, &menu, mine), L"");
    const int own = driver.IndexOfCaption(L"Mine");
    const int copy = driver.IndexOfCaption(L"Copy");
    ASSERT_GE(own, 0);
    ASSERT_GE(copy, 0);
    EXPECT_EQ(own < copy, !onTop);
  }
  EXPECT_EQ(clicks, 2);
}

TEST_F(NsBrowserContextMenuShellTest, CopyPutsTheFilesOnTheClipboard) {
  // A long name beyond ASCII, with a space before its extension.
  const std::wstring odd = L"\u00c4rger \u2603 " + std::wstring(120, L'n') + L" .txt";
  const std::wstring oddPath = temp.MakeFile(odd, "x");
  const std::wstring other = temp.MakeFile(L"other.txt", "y");
  Select(odd);
  {
    TMenuDriver driver(PickVerb(browser, L"copy"));
    EXPECT_EQ(browser.ShowContextMenu(kAt, nullptr, nullptr), L"copy");
  }
  EXPECT_EQ(ClipboardFiles(), (std::vector<std::wstring>{oddPath}));

  ClearClipboard();
  browser.GetMultiObjects()->Add(odd);
  browser.GetMultiObjects()->Add(L"other.txt");
  EXPECT_TRUE(browser.InvokeContextMenuCommand(L"copy"));
  std::vector<std::wstring> expected{oddPath, other};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(ClipboardFiles(), expected);
  EXPECT_TRUE(PathExists(oddPath));
}

TEST_F(NsBrowserContextMenuShellTest, DeleteAnswersOnlyWhenTheFileIsGone) {
  const std::wstring kept = temp.MakeFile(L"kept.txt");
  const std::wstring gone = temp.MakeFile(L"gone.txt");
  {
    // The user says no to the shell's confirmation.
    TDialogAnswerer answer(IDNO);
    Select(L"kept.txt");
    EXPECT_FALSE(browser.InvokeContextMenuCommand(L"delete"));
    Select(L"kept.txt");
    TMenuDriver driver(PickVerb(browser, L"delete"));
    EXPECT_EQ(browser.ShowContextMenu(kAt, nullptr, nullptr), L"");
    EXPECT_EQ(answer.Answered(), 2);
  }
  EXPECT_TRUE(PathExists(kept));
  {
    TDialogAnswerer answer(IDYES);
    Select(L"gone.txt");
    EXPECT_TRUE(browser.InvokeContextMenuCommand(L"delete"));
    EXPECT_EQ(answer.Answered(), 1);
  }
  EXPECT_FALSE(PathExists(gone));
  {
    TDialogAnswerer answer(IDYES);
    Select(L"kept.txt");
    TMenuDriver driver(PickVerb(browser, L"delete"));
    EXPECT_EQ(browser.ShowContextMenu(kAt, nullptr, nullptr), L"delete");
  }
  EXPECT_FALSE(PathExists(kept));
}

TEST_F(NsBrowserContextMenuShellTest, ReadOnlyRefusesDeleteButCopyStillRuns) {
  const std::wstring file = temp.MakeFile(L"precious.txt");
  browser.SetReadOnly(true);
  TDialogAnswerer answer(IDYES);
  Select(L"precious.txt");
  {
    TMenuDriver driver(PickVerb(browser, L"delete"));
    EXPECT_EQ(browser.ShowContextMenu(kAt, nullptr, nullptr), L"");
    EXPECT_TRUE(driver.MenuSeen());
  }
  EXPECT_EQ(answer.Answered(), 0);
  EXPECT_TRUE(PathExists(file));
  Select(L"precious.txt");
  {
    TMenuDriver driver(PickVerb(browser, L"copy"));
    EXPECT_EQ(browser.ShowContextMenu(kAt, nullptr, nullptr), L"copy");
  }
  EXPECT_EQ(ClipboardFiles(), (std::vector<std::wstring>{file}));
}

TEST_F(NsBrowserContextMenuShellTest, TheBackgroundMenuRunsPasteAfterTheApplicationsItems) {
  temp.MakeFile(L"from\\letter.txt", "letter");
  const std::wstring target = temp.MakeFolder(L"to");
  Select(L"letter.txt", temp / L"from");
  ASSERT_TRUE(browser.InvokeContextMenuCommand(L"copy"));

  // (Wine's background menu accepts the paste but copies nothing; the
  // answer is what can be checked.)
  browser.SetFolder(target);
  TPopupMenu menu(nullptr);
  auto* mine = new TMenuItem(&menu);
  mine->SetCaption(L"Mine");
  menu.GetItems().Add(mine);
  {
    TMenuDriver driver(PickVerb(browser, L"paste"));
    EXPECT_EQ(browser.ShowBackgroundMenu(kAt, &menu), L"paste");
    EXPECT_EQ(driver.IndexOfCaption(L"Mine"), 0);
  }
  // The handler stays until the next menu.
  EXPECT_NE(browser.GetActiveIContextMenu(), nullptr);
  Select(L"letter.txt", temp / L"from");
  {
    TMenuDriver driver(0u);
    browser.ShowContextMenu(kAt, nullptr, nullptr);
  }
  EXPECT_EQ(browser.GetActiveIContextMenu(), nullptr);
}

TEST_F(NsBrowserContextMenuShellTest, ASelectionOverTwoFoldersGetsOneMenu) {
  const std::wstring first = temp.MakeFile(L"one\\first.txt", "1");
  const std::wstring second = temp.MakeFile(L"two\\second.doc", "2");
  std::vector<std::wstring> offered;
  // A path that does not exist drops out of the selection.
  browser.GetMultiObjects()->Add(first);
  browser.GetMultiObjects()->Add(temp / L"two\\missing.txt");
  browser.GetMultiObjects()->Add(second);
  {
    TMenuDriver driver(PickVerb(browser, L"copy", &offered));
    EXPECT_EQ(browser.ShowContextMenu(kAt, nullptr, nullptr), L"copy");
  }
  EXPECT_TRUE(Contains(offered, L"delete"));
  EXPECT_EQ(browser.GetMultiObjects()->GetCount(), 0);
  // The files themselves, not names the shell makes up for them.
  std::vector<std::wstring> expected{first, second};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(ClipboardFiles(), expected);
}

}  // namespace
}  // namespace ts::test
