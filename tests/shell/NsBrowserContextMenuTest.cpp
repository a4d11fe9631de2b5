// The browser object's context menus and verbs against handlers the test
// controls: where the shell's commands go in the application's menu, which
// command runs how, refusals, handlers that raise, the menu messages, and
// that nothing is left behind. The menus are real and run modally; a timer
// inside their loop picks the entries.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "FakeNamespace.h"
#include "shell/NsBrowser.h"
#include "shell/NsBrowserError.h"
#include "shell/NsPathList.h"
#include "support/FreeCounter.h"
#include "support/MenuDriver.h"
#include "support/TempFolder.h"
#include "toolkit/Application.h"
#include "toolkit/Controls.h"
#include "toolkit/ImageList.h"
#include "toolkit/MenuCommandIds.h"

namespace ts::test {
namespace {

constexpr ULONG kFsFolder = SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR | SFGAO_HASSUBFOLDER;
constexpr ULONG kFsFile = SFGAO_FILESYSTEM | SFGAO_CANCOPY | SFGAO_CANRENAME;
constexpr POINT kAt{200, 200};

struct TFakeCommand {
  UINT Offset;
  std::wstring Caption;
  std::wstring Verb;  // empty: the handler names no verb
  std::wstring Help;
  bool OwnerDrawn = false;
  bool Default = false;
};

struct TInvocation {
  DWORD Size = 0;
  DWORD Mask = 0;
  HWND Window = nullptr;
  bool ByOffset = false;
  UINT Offset = 0;
  std::string Verb;
  std::wstring WideVerb;
  bool HasDirectory = false;
  std::wstring Directory;
  int Show = 0;
};

// A shell handler with the commands a test gives it, recording what it is
// asked. The test holds the first reference.
class TFakeContextMenu : public IContextMenu3 {
public:
  std::vector<TFakeCommand> Commands;
  bool Offers2 = true;
  bool RaiseWhileFilling = false;
  HRESULT InvokeResult = S_OK;

  int Queries = 0;
  UINT LastIndex = 0, LastFirst = 0, LastLast = 0, LastFlags = 0;
  HMENU LastMenu = nullptr;
  std::vector<UINT> Messages;
  std::vector<TInvocation> Invocations;
  LONG Refs = 1;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IContextMenu) ||
        (Offers2 && (IsEqualIID(iid, IID_IContextMenu2) || IsEqualIID(iid, IID_IContextMenu3))))
      *object = static_cast<IContextMenu3*>(this);
    if (*object == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&Refs)); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(InterlockedDecrement(&Refs)); }

  HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last, UINT flags) override {
    ++Queries;
    LastMenu = menu;
    LastIndex = index;
    LastFirst = first;
    LastLast = last;
    LastFlags = flags;
    UINT position = index;
    UINT highest = 0;
    for (const TFakeCommand& command : Commands) {
      if ((flags & CMF_DEFAULTONLY) != 0 && !command.Default) continue;
      MENUITEMINFOW info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_ID | MIIM_FTYPE | (command.OwnerDrawn ? 0 : MIIM_STRING);
      info.fType = command.OwnerDrawn ? MFT_OWNERDRAW : MFT_STRING;
      info.wID = first + command.Offset;
      std::wstring caption = command.Caption;
      info.dwTypeData = caption.data();
      InsertMenuItemW(menu, position++, TRUE, &info);
      if (command.Default) SetMenuDefaultItem(menu, first + command.Offset, FALSE);
      highest = std::max(highest, command.Offset + 1);
      if (RaiseWhileFilling) RaiseException(0xE0000042, 0, 0, nullptr);
    }
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, highest);
  }
  HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO* info) override {
    TInvocation call;
    call.Size = info->cbSize;
    call.Mask = info->fMask;
    call.Window = info->hwnd;
    call.Show = info->nShow;
    if (IS_INTRESOURCE(info->lpVerb)) {
      call.ByOffset = true;
      call.Offset = LOWORD(reinterpret_cast<ULONG_PTR>(info->lpVerb));
    } else {
      call.Verb = info->lpVerb;
    }
    if (info->cbSize >= sizeof(CMINVOKECOMMANDINFOEX) && (info->fMask & CMIC_MASK_UNICODE) != 0) {
      auto* ex = reinterpret_cast<CMINVOKECOMMANDINFOEX*>(info);
      if (!IS_INTRESOURCE(ex->lpVerbW)) call.WideVerb = ex->lpVerbW;
      call.HasDirectory = ex->lpDirectoryW != nullptr;
      if (call.HasDirectory) call.Directory = ex->lpDirectoryW;
    }
    Invocations.push_back(call);
    return InvokeResult;
  }
  HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR offset, UINT type, UINT*, LPSTR name, UINT chars) override {
    for (const TFakeCommand& command : Commands) {
      if (command.Offset != offset) continue;
      const std::wstring& text = type == GCS_VERBW ? command.Verb : type == GCS_HELPTEXTW ? command.Help : L"";
      if (text.empty() || text.size() >= chars) return E_NOTIMPL;
      wcscpy(reinterpret_cast<wchar_t*>(name), text.c_str());
      return S_OK;
    }
    return E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE HandleMenuMsg(UINT message, WPARAM, LPARAM lParam) override {
    Messages.push_back(message);
    if (message == WM_MEASUREITEM) {
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      measure->itemWidth = 120;
      measure->itemHeight = 20;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE HandleMenuMsg2(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
    if (result != nullptr) *result = 0;
    return HandleMenuMsg(message, wParam, lParam);
  }

  bool Saw(UINT message) const { return std::find(Messages.begin(), Messages.end(), message) != Messages.end(); }
};

// A folder view that hands out a background menu.
class TFakeShellView : public IShellView {
public:
  explicit TFakeShellView(IContextMenu* menu) : fMenu(menu) {}
  LONG Refs = 1;
  int ItemObjectRequests = 0;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IShellView) && !IsEqualIID(iid, IID_IOleWindow))
      return E_NOINTERFACE;
    *object = static_cast<IShellView*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&Refs)); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(InterlockedDecrement(&Refs)); }
  HRESULT STDMETHODCALLTYPE GetWindow(HWND*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*) override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE UIActivate(UINT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Refresh() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CreateViewWindow(IShellView*, LPCFOLDERSETTINGS, IShellBrowser*, RECT*, HWND*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE DestroyViewWindow() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetCurrentInfo(LPFOLDERSETTINGS) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE AddPropertySheetPages(DWORD, LPFNSVADDPROPSHEETPAGE, LPARAM) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SaveViewState() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SelectItem(PCUITEMID_CHILD, SVSIF) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetItemObject(UINT item, REFIID iid, void** object) override {
    ++ItemObjectRequests;
    *object = nullptr;
    if (item != SVGIO_BACKGROUND || fMenu == nullptr) return E_FAIL;
    return fMenu->QueryInterface(iid, object);
  }

private:
  IContextMenu* fMenu;
};

UINT CommandOf(const TFakeContextMenu& menu, const std::wstring& verb) {
  for (const TFakeCommand& command : menu.Commands)
    if (command.Verb == verb) return 1 + command.Offset;
  return 0;
}

class NsBrowserContextMenuTest : public ::testing::Test {
protected:
  NsBrowserContextMenuTest() {
    TFakeItem& desktop = space.Desktop();
    TFakeItem& computer = space.Add(desktop, L"My Computer", SFGAO_FOLDER | SFGAO_HASSUBFOLDER);
    space.SetSpecial(CSIDL_DRIVES, computer);
    TFakeItem& drive = space.Add(computer, L"Local Disk (C:)", kFsFolder, L"C:\\");
    data = &space.Add(drive, L"Data", kFsFolder, L"C:\\Data");
    space.Add(*data, L"notes.txt", kFsFile | SFGAO_CANDELETE, L"C:\\Data\\notes.txt");
    space.Add(*data, L"locked.txt", kFsFile, L"C:\\Data\\locked.txt");
    space.Add(*data, L"letter.doc", kFsFile | SFGAO_CANDELETE, L"C:\\Data\\letter.doc");
    handler.Commands = {{0, L"Open", L"open", L"Opens the item", false, true},
                        {1, L"Cut", L"cut", L"Moves the item"},
                        {2, L"Copy", L"copy", L"Copies the item"},
                        {3, L"Delete", L"delete", L""},
                        {4, L"Rename", L"rename", L""},
                        {5, L"Paste", L"paste", L""}};
    space.UIObjectOf = [this](TFakeItem&, UINT count, PCUITEMID_CHILD_ARRAY, REFIID iid, void** object) {
      uiObjectCounts.push_back(count);
      if (!IsEqualIID(iid, IID_IContextMenu)) return E_NOINTERFACE;
      return handler.QueryInterface(iid, object);
    };
    space.ViewObjectOf = [this](TFakeItem&, REFIID iid, void** object) {
      if (!IsEqualIID(iid, IID_IShellView)) return E_NOINTERFACE;
      return view.QueryInterface(iid, object);
    };
    TPidl folder(space.AbsoluteList(*data));
    browser.SetFolderIdList(folder.Get());
    browser.SetObjectName(L"notes.txt");
    browser.SetShowErrorMessages(false);

    appMenu = std::make_unique<TPopupMenu>(nullptr);
    for (const wchar_t* caption : {L"Alpha", L"Bravo", L"Charlie"}) {
      auto* item = new TMenuItem(appMenu.get());
      item->SetCaption(caption);
      appMenu->GetItems().Add(item);
    }
  }

  TMenuItem& AppItem(int index) { return *appMenu->GetItems().Item(index); }

  // The captions of the menu as it was shown, shell commands and all.
  static std::vector<std::wstring> Captions(const TMenuDriver& driver) {
    std::vector<std::wstring> captions;
    for (const TShownMenuItem& item : driver.Shown()) captions.push_back(item.Separator ? L"-" : item.Caption);
    return captions;
  }

  TFakeNamespace space;
  TFakeItem* data;
  TFakeContextMenu handler;
  TFakeShellView view{&handler};
  std::vector<UINT> uiObjectCounts;
  TNsBrowser browser{static_cast<TComponent*>(nullptr)};
  std::unique_ptr<TPopupMenu> appMenu;
};

using TCaptions = std::vector<std::wstring>;

TEST_F(NsBrowserContextMenuTest, ShellCommandsGoAfterTheAnchorAtTheEndOrOnTop) {
  {
    TMenuDriver driver(0u);
    EXPECT_EQ(browser.ShowContextMenu(kAt, appMenu.get(), &AppItem(1)), L"");
    EXPECT_EQ(Captions(driver),
              (TCaptions{L"Alpha", L"Bravo", L"Open", L"Cut", L"Copy", L"Delete", L"Rename", L"Paste", L"Charlie"}));
    EXPECT_EQ(handler.LastIndex, 2u);
    EXPECT_EQ(handler.LastFirst, 1u);
    EXPECT_EQ(handler.LastLast, 255u);
    EXPECT_EQ(handler.LastFlags, static_cast<UINT>(CMF_EXPLORE));
  }
  {
    // The anchor's own menu is found from the anchor alone.
    browser.SetObjectName(L"notes.txt");
    TMenuDriver driver(0u);
    EXPECT_EQ(browser.ShowContextMenu(kAt, &AppItem(0)), L"");
    EXPECT_EQ(Captions(driver).at(1), L"Open");
    EXPECT_EQ(Captions(driver).back(), L"Charlie");
  }
  {
    browser.SetObjectName(L"notes.txt");
    TMenuDriver driver(0u);
    browser.ShowContextMenu(kAt, appMenu.get(), nullptr);
    EXPECT_EQ(Captions(driver).at(3), L"Open");
    EXPECT_EQ(Captions(driver).back(), L"Paste");
  }
  {
    browser.SetObjectName(L"notes.txt");
    browser.SetShowContextMenuOnTop(true);
    TMenuDriver driver(0u);
    browser.ShowContextMenu(kAt, appMenu.get(), &AppItem(1));
    EXPECT_EQ(Captions(driver).front(), L"Open");
    EXPECT_EQ(Captions(driver).at(6), L"Alpha");
  }
  {
    // Without an application menu the shell's commands stand alone.
    browser.SetObjectName(L"notes.txt");
    TMenuDriver driver(0u);
    browser.ShowContextMenu(kAt, nullptr, nullptr);
    EXPECT_EQ(Captions(driver), (TCaptions{L"Open", L"Cut", L"Copy", L"Delete", L"Rename", L"Paste"}));
  }
}

TEST_F(NsBrowserContextMenuTest, AnAnchorInASubMenuGetsTheShellCommandsThere) {
  auto* sub = new TMenuItem(appMenu.get());
  sub->SetCaption(L"More");
  AppItem(2).Add(sub);
  auto* inner = new TMenuItem(appMenu.get());
  inner->SetCaption(L"Inner");
  AppItem(2).Add(inner);
  TMenuDriver driver(0u);
  browser.ShowContextMenu(kAt, appMenu.get(), sub);
  EXPECT_EQ(Captions(driver), (TCaptions{L"Alpha", L"Bravo", L"Charlie"}));
  EXPECT_EQ(handler.LastIndex, 1u);
  EXPECT_NE(handler.LastMenu, nullptr);
}

TEST_F(NsBrowserContextMenuTest, TheApplicationMenuIsCopiedWithItsSettingsAndFreedAfterwards) {
  TCustomImageList images(nullptr);
  appMenu->SetImages(&images);
  TMenuItem& bravo = AppItem(1);
  bravo.SetName(L"BravoItem");
  bravo.SetShortCut(scCtrl | 'B');
  bravo.SetChecked(true);
  bravo.SetTag(42);
  bravo.SetHint(L"Bravo|Does bravo things");
  bravo.SetHelpContext(7);
  bravo.SetImageIndex(3);
  AppItem(2).SetEnabled(false);
  int popups = 0;
  appMenu->OnPopup = [&](TObject*) {
    ++popups;
    AppItem(0).SetCaption(L"Alpha (adjusted)");
  };

  std::vector<int> copyCommands;
  TMenuItem* copy = nullptr;
  TMenuDriver driver(0u);
  driver.ReadyWhen = [&] {
    TPopupMenu* shown = browser.GetActiveAppContextMenu();
    if (shown == nullptr || copy != nullptr) return true;
    EXPECT_EQ(shown->GetImages(), &images);
    EXPECT_NE(shown, appMenu.get());
    copy = shown->GetItems().Item(1);
    EXPECT_EQ(copy->GetName(), L"BravoItem2");
    EXPECT_EQ(copy->GetCaption(), L"Bravo");
    EXPECT_EQ(copy->GetShortCut(), scCtrl | 'B');
    EXPECT_TRUE(copy->GetChecked());
    EXPECT_EQ(copy->GetTag(), 42);
    EXPECT_EQ(copy->GetHint(), L"Bravo|Does bravo things");
    EXPECT_EQ(copy->GetHelpContext(), 7);
    EXPECT_EQ(copy->GetImageIndex(), 3);
    EXPECT_FALSE(shown->GetItems().Item(2)->GetEnabled());
    EXPECT_NE(copy->GetCommand(), bravo.GetCommand());
    for (int i = 0; i < shown->GetItems().Count(); ++i) copyCommands.push_back(shown->GetItems().Item(i)->GetCommand());
    return true;
  };
  browser.ShowContextMenu(kAt, appMenu.get(), &bravo);
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(Captions(driver).front(), L"Alpha (adjusted)");
  ASSERT_EQ(copyCommands.size(), 3u);
  for (int command : copyCommands) {
    EXPECT_GE(command, 256);
    EXPECT_FALSE(IsMenuCommandIdTaken(command)) << "the copy of the menu was not freed";
  }
  EXPECT_EQ(browser.GetActiveAppContextMenu(), nullptr);
  EXPECT_EQ(browser.GetActiveIContextMenu(), nullptr);
}

TEST_F(NsBrowserContextMenuTest, AnApplicationItemRunsItsHandlerAndNoShellCommand) {
  TObject* clicked = nullptr;
  int clickedTag = 0;
  AppItem(2).SetTag(3);
  AppItem(2).OnClick = [&](TObject* sender) {
    clicked = sender;
    clickedTag = static_cast<TMenuItem*>(sender)->GetTag();
  };
  TMenuDriver driver([](const std::vector<TShownMenuItem>& items) {
    for (const TShownMenuItem& item : items)
      if (item.Caption == L"Charlie") return item.Command;
    return 0u;
  });
  EXPECT_EQ(browser.ShowContextMenu(kAt, appMenu.get(), &AppItem(0)), L"");
  ASSERT_NE(clicked, nullptr);
  EXPECT_NE(clicked, &AppItem(2));  // the copy was clicked, with the source's handler
  EXPECT_EQ(clickedTag, 3);
  EXPECT_GE(driver.Shown().at(driver.IndexOfCaption(L"Charlie")).Command, 256u);
  EXPECT_TRUE(handler.Invocations.empty());
}

TEST_F(NsBrowserContextMenuTest, AShellCommandRunsByOffsetInTheFolderAndAnswersItsVerb) {
  TMenuDriver driver(CommandOf(handler, L"copy"));
  EXPECT_EQ(browser.ShowContextMenu(kAt, appMenu.get(), &AppItem(0)), L"copy");
  ASSERT_EQ(handler.Invocations.size(), 1u);
  const TInvocation& call = handler.Invocations[0];
  EXPECT_EQ(call.Size, sizeof(CMINVOKECOMMANDINFOEX));
  EXPECT_EQ(call.Mask, static_cast<DWORD>(CMIC_MASK_UNICODE));
  EXPECT_TRUE(call.ByOffset);
  EXPECT_EQ(call.Offset, 2u);
  EXPECT_EQ(call.Directory, L"C:\\Data\\");
  EXPECT_EQ(call.Show, SW_SHOWNORMAL);
  EXPECT_EQ(call.Window, nullptr);  // no error messages: nothing may show a window
  EXPECT_EQ(uiObjectCounts, (std::vector<UINT>{1}));
}

TEST_F(NsBrowserContextMenuTest, ACommandWithoutVerbRunsAndAnswersEmpty) {
  handler.Commands.push_back({9, L"Unnamed", L"", L""});
  TMenuDriver driver(10u);
  EXPECT_EQ(browser.ShowContextMenu(kAt, nullptr, nullptr), L"");
  ASSERT_EQ(handler.Invocations.size(), 1u);
  EXPECT_EQ(handler.Invocations[0].Offset, 9u);
}

TEST_F(NsBrowserContextMenuTest, AFailingCommandAnswersEmpty) {
  handler.InvokeResult = E_FAIL;
  TMenuDriver driver(CommandOf(handler, L"copy"));
  EXPECT_EQ(browser.ShowContextMenu(kAt, nullptr, nullptr), L"");
  EXPECT_EQ(handler.Invocations.size(), 1u);
}

TEST_F(NsBrowserContextMenuTest, RefusedCommandsRunNothing) {
  std::vector<std::wstring> asked;
  browser.OnContextMenuSelect = [&](TObject*, const std::wstring& command, bool& execute) {
    asked.push_back(command);
    execute = command != L"cut";
  };
  {
    TMenuDriver driver(CommandOf(handler, L"cut"));
    EXPECT_EQ(browser.ShowContextMenu(kAt, nullptr, nullptr), L"");
  }
  EXPECT_EQ(asked, (std::vector<std::wstring>{L"cut"}));
  EXPECT_TRUE(handler.Invocations.empty());

  // Read-only: no deleting, cutting or pasting, whatever the event says;
  // copying still runs.
  browser.SetReadOnly(true);
  browser.OnContextMenuSelect = nullptr;
  for (const wchar_t* verb : {L"delete", L"paste"}) {
    browser.SetObjectName(L"notes.txt");
    TMenuDriver driver(CommandOf(handler, verb));
    EXPECT_EQ(browser.ShowContextMenu(kAt, nullptr, nullptr), L"") << verb;
  }
  EXPECT_TRUE(handler.Invocations.empty());
  browser.SetObjectName(L"notes.txt");
  {
    TMenuDriver driver(CommandOf(handler, L"copy"));
    EXPECT_EQ(browser.ShowContextMenu(kAt, nullptr, nullptr), L"copy");
  }
  EXPECT_EQ(handler.Invocations.size(), 1u);
}

TEST_F(NsBrowserContextMenuTest, BeforeShellCommandSeesTheRequestedItemsAndMayStopTheCommand) {
  // The single path of the list must exist: a folder on disk behind the fake.
  TTempFolder temp;
  TFakeItem& real = space.Add(*data, L"Real", kFsFolder, temp.Path());
  space.Add(real, L"notes.txt", kFsFile, temp.MakeFile(L"notes.txt"));
  space.Add(real, L"letter.doc", kFsFile, temp.MakeFile(L"letter.doc"));
  space.Add(real, L"a;b.txt", kFsFile, temp.MakeFile(L"a;b.txt"));
  {
    TPidl list(space.AbsoluteList(real));
    browser.SetFolderIdList(list.Get());
  }
  browser.SetObjectName(L"notes.txt");
  std::wstring command;
  std::vector<std::wstring> paths;
  browser.OnBeforeShellCommand = [&](TNsBrowser* sender, const std::wstring& verb, TNsPathList* list, bool& allow) {
    EXPECT_EQ(sender, &browser);
    command = verb;
    paths.clear();
    for (int i = 0; i < list->GetCount(); ++i) paths.push_back(list->Get(i));
    allow = false;
  };
  {
    // Refused: the verb is still the answer, and nothing ran.
    TMenuDriver driver(CommandOf(handler, L"cut"));
    EXPECT_EQ(browser.ShowContextMenu(kAt, nullptr, nullptr), L"cut");
  }
  EXPECT_EQ(command, L"cut");
  EXPECT_EQ(paths, (std::vector<std::wstring>{temp / L"notes.txt"}));
  EXPECT_TRUE(handler.Invocations.empty());
  {
    // A refused deletion leaves the file, so it is no deletion either.
    browser.SetObjectName(L"notes.txt");
    TMenuDriver driver(CommandOf(handler, L"delete"));
    EXPECT_EQ(browser.ShowContextMenu(kAt, nullptr, nullptr), L"");
  }

  // Several items: the event sees all of them, though asking the shell for
  // their menu consumed the list.
  browser.GetMultiObjects()->Add(L"notes.txt");
  browser.GetMultiObjects()->Add(L"letter.doc");
  {
    TMenuDriver driver(CommandOf(handler, L"copy"));
    EXPECT_EQ(browser.ShowContextMenu(kAt, nullptr, nullptr), L"copy");
  }
  EXPECT_EQ(uiObjectCounts.back(), 2u);
  EXPECT_EQ(paths, (std::vector<std::wstring>{L"letter.doc", L"notes.txt"}));
  EXPECT_EQ(browser.GetMultiObjects()->GetCount(), 0);

  // A name with the list form's separator stays one path.
  browser.SetObjectName(L"a;b.txt");
  EXPECT_FALSE(browser.InvokeContextMenuCommand(L"copy"));
  EXPECT_EQ(paths, (std::vector<std::wstring>{temp / L"a;b.txt"}));
  EXPECT_EQ(command, L"copy");
}

TEST_F(NsBrowserContextMenuTest, RenameGoesToOnRenameWhenItIsAssigned) {
  int renames = 0;
  browser.OnRename = [&](TObject* sender) {
    EXPECT_EQ(sender, &browser);
    ++renames;
  };
  {
    TMenuDriver driver(CommandOf(handler, L"rename"));
    EXPECT_EQ(browser.ShowContextMenu(kAt, nullptr, nullptr), L"rename");
  }
  EXPECT_EQ(handler.LastFlags, static_cast<UINT>(CMF_EXPLORE | CMF_CANRENAME));
  EXPECT_EQ(renames, 1);
  EXPECT_TRUE(handler.Invocations.empty());
  browser.SetObjectName(L"notes.txt");
  EXPECT_TRUE(browser.InvokeContextMenuCommand(L"Rename"));
  EXPECT_EQ(renames, 2);
  EXPECT_TRUE(handler.Invocations.empty());

  // Without the event the shell renames.
  browser.OnRename = nullptr;
  browser.SetObjectName(L"notes.txt");
  {
    TMenuDriver driver(CommandOf(handler, L"rename"));
    EXPECT_EQ(browser.ShowContextMenu(kAt, nullptr, nullptr), L"rename");
  }
  EXPECT_EQ(handler.LastFlags, static_cast<UINT>(CMF_EXPLORE));
  EXPECT_EQ(handler.Invocations.size(), 1u);
  browser.SetObjectName(L"notes.txt");
  EXPECT_TRUE(browser.InvokeContextMenuCommand(L"rename"));
  ASSERT_EQ(handler.Invocations.size(), 2u);
  EXPECT_EQ(handler.Invocations[1].WideVerb, L"rename");
}

TEST_F(NsBrowserContextMenuTest, ShiftAsksForTheExtendedVerbs) {
  BYTE keys[256];
  ASSERT_TRUE(GetKeyboardState(keys));
  BYTE shifted[256];
  std::copy(std::begin(keys), std::end(keys), std::begin(shifted));
  shifted[VK_SHIFT] = 0x80;
  SetKeyboardState(shifted);
  {
    TMenuDriver driver(0u);
    browser.ShowContextMenu(kAt, nullptr, nullptr);
  }
  SetKeyboardState(keys);
  EXPECT_EQ(handler.LastFlags, static_cast<UINT>(CMF_EXPLORE | CMF_EXTENDEDVERBS));
}

TEST_F(NsBrowserContextMenuTest, AHandlerThatRaisesWhileFillingLeavesTheApplicationsMenu) {
  handler.RaiseWhileFilling = true;
  int clicks = 0;
  AppItem(1).OnClick = [&](TObject*) { ++clicks; };
  TMenuDriver driver([](const std::vector<TShownMenuItem>& items) {
    for (const TShownMenuItem& item : items)
      if (item.Caption == L"Bravo") return item.Command;
    return 0u;
  });
  EXPECT_EQ(browser.ShowContextMenu(kAt, appMenu.get(), &AppItem(0)), L"");
  EXPECT_EQ(Captions(driver), (TCaptions{L"Alpha", L"Bravo", L"Charlie"}));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(handler.Refs, 1);

  // Without a menu to show, the raise is a failure.
  browser.SetObjectName(L"notes.txt");
  EXPECT_FALSE(browser.InvokeContextMenuCommand(L"copy"));
  browser.SetObjectName(L"notes.txt");
  EXPECT_FALSE(browser.InvokeContextMenuCommand(L""));
  EXPECT_TRUE(handler.Invocations.empty());
  EXPECT_EQ(handler.Refs, 1);
}

TEST_F(NsBrowserContextMenuTest, MenuMessagesReachTheHandlerWhileTheMenuIsOpen) {
  handler.Commands.push_back({7, L"", L"drawn", L"", true});
  std::vector<std::wstring> hints;
  Application->OnHint = [&](TObject*) { hints.push_back(Application->GetHint()); };
  AppItem(0).SetHint(L"A|Alpha's long hint");
  bool activeWhileOpen = false;
  TMenuDriver driver([](const std::vector<TShownMenuItem>& items) { return items.at(1).Command; });
  driver.ReadyWhen = [&] {
    activeWhileOpen = activeWhileOpen || browser.GetActiveIContextMenu() != nullptr;
    return handler.Saw(WM_DRAWITEM);
  };
  // The driver walks down from Alpha to Bravo and picks it.
  EXPECT_EQ(browser.ShowContextMenu(kAt, appMenu.get(), nullptr), L"");
  Application->OnHint = nullptr;
  EXPECT_FALSE(driver.GaveUp());
  EXPECT_TRUE(activeWhileOpen);
  EXPECT_TRUE(handler.Saw(WM_INITMENUPOPUP));
  EXPECT_TRUE(handler.Saw(WM_MEASUREITEM));
  EXPECT_TRUE(handler.Saw(WM_DRAWITEM));
  EXPECT_EQ(browser.GetActiveIContextMenu(), nullptr);
  // The menu opened on the application's Alpha and moved to Bravo.
  EXPECT_NE(std::find(hints.begin(), hints.end(), L"Alpha's long hint"), hints.end());
  EXPECT_EQ(handler.Refs, 1);
}

TEST_F(NsBrowserContextMenuTest, ShellCommandHintsAreTheirHelpTexts) {
  std::vector<std::wstring> hints;
  Application->OnHint = [&](TObject*) { hints.push_back(Application->GetHint()); };
  browser.SetShowContextMenuOnTop(true);
  TMenuDriver driver(CommandOf(handler, L"copy"));
  EXPECT_EQ(browser.ShowContextMenu(kAt, appMenu.get(), nullptr), L"copy");
  Application->OnHint = nullptr;
  Application->SetHint(L"");
  EXPECT_NE(std::find(hints.begin(), hints.end(), L"Opens the item"), hints.end());
  EXPECT_NE(std::find(hints.begin(), hints.end(), L"Copies the item"), hints.end());
}

TEST_F(NsBrowserContextMenuTest, AHandlerWithoutOwnerDrawingGetsNoMessages) {
  handler.Offers2 = false;
  bool activeWhileOpen = false;
  TMenuDriver driver(0u);
  driver.ReadyWhen = [&] {
    activeWhileOpen = activeWhileOpen || browser.GetActiveIContextMenu() != nullptr;
    return browser.GetActiveAppContextMenu() != nullptr;
  };
  browser.ShowContextMenu(kAt, appMenu.get(), nullptr);
  EXPECT_TRUE(driver.MenuSeen());
  EXPECT_FALSE(activeWhileOpen);
  EXPECT_TRUE(handler.Messages.empty());
}

TEST_F(NsBrowserContextMenuTest, NothingIsLeftBehind) {
  TFreeCounter& spy = FreeCounter();
  HMENU shown = nullptr;
  spy.StartTracking();
  // A browser of the test's own, so that everything it allocates is freed
  // by the end.
  auto owned = std::make_unique<TNsBrowser>(nullptr);
  TNsBrowser& browser = *owned;
  {
    TPidl folder(space.AbsoluteList(*data));
    browser.SetFolderIdList(folder.Get());
  }
  browser.SetObjectName(L"notes.txt");
  {
    TMenuDriver driver(CommandOf(handler, L"copy"));
    EXPECT_EQ(browser.ShowContextMenu(kAt, appMenu.get(), &AppItem(1)), L"copy");
    shown = handler.LastMenu;
  }
  browser.GetMultiObjects()->Add(L"notes.txt");
  browser.GetMultiObjects()->Add(L"letter.doc");
  EXPECT_TRUE(browser.InvokeContextMenuCommand(L"copy"));
  browser.SetObjectName(L"notes.txt");
  EXPECT_TRUE(browser.InvokeContextMenuCommand(L""));
  {
    TMenuDriver driver(0u);
    EXPECT_EQ(browser.ShowBackgroundMenu(kAt, appMenu.get()), L"");
  }
  {
    // The next menu lets go of what the background menu kept.
    browser.SetObjectName(L"notes.txt");
    TMenuDriver driver(0u);
    browser.ShowContextMenu(kAt, nullptr, nullptr);
  }
  EXPECT_EQ(browser.GetMultiObjects()->GetCount(), 0);
  EXPECT_EQ(browser.GetActiveIContextMenu(), nullptr);
  EXPECT_EQ(browser.GetActiveAppContextMenu(), nullptr);
  owned.reset();
  EXPECT_EQ(spy.StopTracking(), 0u) << "identifier lists were not freed";
  EXPECT_FALSE(IsMenu(shown));
  EXPECT_EQ(handler.Refs, 1);
  EXPECT_EQ(view.Refs, 1);
  EXPECT_EQ(ScreenCursor(), crDefault);
}

TEST_F(NsBrowserContextMenuTest, ErrorsOfTheUIObjectRequestPropagateAfterCleaningUp) {
  TNsBrowser unbound(nullptr);
  unbound.GetMultiObjects()->Add(L"C:\\Nowhere\\notes.txt");
  EXPECT_THROW(unbound.ShowContextMenu(kAt, appMenu.get(), nullptr), ENsBrowserError);
  EXPECT_EQ(unbound.GetMultiObjects()->GetCount(), 0);
  EXPECT_EQ(ScreenCursor(), crDefault);
  EXPECT_EQ(unbound.GetActiveAppContextMenu(), nullptr);

  // An entry the folder does not have.
  browser.GetMultiObjects()->Add(L"missing.txt");
  EXPECT_THROW(browser.InvokeContextMenuCommand(L"copy"), ENsBrowserError);
  EXPECT_EQ(browser.GetMultiObjects()->GetCount(), 0);
  EXPECT_EQ(ScreenCursor(), crDefault);
}

TEST_F(NsBrowserContextMenuTest, InvokeRunsTheDefaultCommandForAnEmptyVerb) {
  std::vector<std::wstring> selected, before;
  browser.OnContextMenuSelect = [&](TObject*, const std::wstring& verb, bool&) { selected.push_back(verb); };
  browser.OnBeforeShellCommand = [&](TNsBrowser*, const std::wstring& verb, TNsPathList*, bool&) {
    before.push_back(verb);
  };
  EXPECT_TRUE(browser.InvokeContextMenuCommand(L""));
  EXPECT_EQ(selected, (std::vector<std::wstring>{L""}));
  EXPECT_EQ(before, (std::vector<std::wstring>{L"default"}));
  EXPECT_EQ(handler.LastFlags, static_cast<UINT>(CMF_DEFAULTONLY));
  EXPECT_EQ(handler.LastLast, 0x7FFFu);
  ASSERT_EQ(handler.Invocations.size(), 1u);
  EXPECT_TRUE(handler.Invocations[0].ByOffset);
  EXPECT_EQ(handler.Invocations[0].Offset, 0u);
  EXPECT_EQ(handler.Invocations[0].Directory, L"C:\\Data\\");
  EXPECT_FALSE(IsMenu(handler.LastMenu));

  // "Default" by name is the same; without a default command nothing runs,
  // and nothing was carried out.
  handler.Commands[0].Default = false;
  browser.SetObjectName(L"notes.txt");
  EXPECT_FALSE(browser.InvokeContextMenuCommand(L"DEFAULT"));
  EXPECT_EQ(handler.Invocations.size(), 1u);
}

TEST_F(NsBrowserContextMenuTest, InvokeRunsOtherVerbsByName) {
  EXPECT_TRUE(browser.InvokeContextMenuCommand(L"properties"));
  EXPECT_EQ(handler.LastFlags, static_cast<UINT>(CMF_EXPLORE | CMF_EXTENDEDVERBS));
  EXPECT_EQ(handler.LastLast, 0x7FFFu);
  ASSERT_EQ(handler.Invocations.size(), 1u);
  const TInvocation& call = handler.Invocations[0];
  EXPECT_FALSE(call.ByOffset);
  EXPECT_EQ(call.Verb, "properties");
  EXPECT_EQ(call.WideVerb, L"properties");
  EXPECT_EQ(call.Directory, L"C:\\Data\\");
  EXPECT_EQ(call.Mask, static_cast<DWORD>(CMIC_MASK_UNICODE));

  // A failure answers false with the handler's code as the last error.
  handler.InvokeResult = E_ACCESSDENIED;
  browser.SetObjectName(L"notes.txt");
  EXPECT_FALSE(browser.InvokeContextMenuCommand(L"properties"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(E_ACCESSDENIED));
}

TEST_F(NsBrowserContextMenuTest, InvokeRefusesBeforeAskingTheShell) {
  // Deleting needs an item that can be deleted, or several items.
  browser.SetObjectName(L"locked.txt");
  EXPECT_FALSE(browser.InvokeContextMenuCommand(L"delete"));
  EXPECT_EQ(handler.Queries, 0);
  EXPECT_TRUE(uiObjectCounts.empty());

  browser.OnContextMenuSelect = [](TObject*, const std::wstring&, bool& execute) { execute = false; };
  browser.SetObjectName(L"notes.txt");
  EXPECT_FALSE(browser.InvokeContextMenuCommand(L"copy"));
  EXPECT_TRUE(uiObjectCounts.empty());

  browser.OnContextMenuSelect = nullptr;
  browser.OnBeforeShellCommand = [](TNsBrowser*, const std::wstring&, TNsPathList*, bool& allow) { allow = false; };
  EXPECT_FALSE(browser.InvokeContextMenuCommand(L"copy"));
  EXPECT_EQ(handler.Queries, 0);

  TNsBrowser unbound(nullptr);
  unbound.GetMultiObjects()->Add(L"C:\\Data\\notes.txt");
  EXPECT_FALSE(unbound.InvokeContextMenuCommand(L"copy"));
  EXPECT_EQ(unbound.GetMultiObjects()->GetCount(), 0);
}

TEST_F(NsBrowserContextMenuTest, ADeleteCountsOnceItsTargetIsGone) {
  // The fake's paths do not exist on disk: a deletion counts as done.
  EXPECT_TRUE(browser.InvokeContextMenuCommand(L"delete"));
  browser.GetMultiObjects()->Add(L"locked.txt");
  EXPECT_TRUE(browser.InvokeContextMenuCommand(L"Delete"));
  EXPECT_EQ(handler.Invocations.size(), 2u);
}

TEST_F(NsBrowserContextMenuTest, ALongFolderIsNotHandedToTheCommand) {
  const std::wstring deep = L"C:\\" + std::wstring(270, L'd');
  TFakeItem& folder = space.Add(*data, L"Deep", kFsFolder, deep);
  space.Add(folder, L"x.txt", kFsFile, deep + L"\\x.txt");
  TPidl list(space.AbsoluteList(folder));
  browser.SetFolderIdList(list.Get());
  browser.SetObjectName(L"x.txt");
  EXPECT_TRUE(browser.InvokeContextMenuCommand(L"properties"));
  EXPECT_TRUE(browser.InvokeContextMenuCommand(L""));
  browser.SetObjectName(L"x.txt");
  {
    TMenuDriver driver(CommandOf(handler, L"copy"));
    EXPECT_EQ(browser.ShowContextMenu(kAt, nullptr, nullptr), L"copy");
  }
  ASSERT_EQ(handler.Invocations.size(), 3u);
  for (const TInvocation& call : handler.Invocations) EXPECT_FALSE(call.HasDirectory);
}

TEST_F(NsBrowserContextMenuTest, TheBackgroundMenuRunsTheFoldersCommands) {
  handler.Commands = {{0, L"View", L"", L""},  {4, L"Refresh", L"", L""}, {18, L"Thumbnails", L"", L""},
                      {26, L"Paste", L"paste", L""}};
  for (UINT command : {1u, 5u, 19u, 27u}) {
    TMenuDriver driver(command);
    const std::wstring verb = browser.ShowBackgroundMenu(kAt, appMenu.get());
    EXPECT_EQ(verb, command == 1 ? L"1" : command == 5 ? L"refresh" : command == 19 ? L"thumbnails" : L"paste");
    EXPECT_EQ(Captions(driver), (TCaptions{L"Alpha", L"Bravo", L"Charlie", L"View", L"Refresh", L"Thumbnails", L"Paste"}));
    // The handler stays at hand after the menu, for the owner's messages.
    EXPECT_NE(browser.GetActiveIContextMenu(), nullptr);
    EXPECT_NE(browser.GetActiveAppContextMenu(), nullptr);
  }
  EXPECT_EQ(handler.LastFlags, static_cast<UINT>(CMF_EXPLORE));
  EXPECT_EQ(handler.LastIndex, 3u);
  ASSERT_EQ(handler.Invocations.size(), 4u);
  EXPECT_EQ(handler.Invocations[3].Size, sizeof(CMINVOKECOMMANDINFO));
  EXPECT_EQ(handler.Invocations[3].Mask, 0u);
  EXPECT_TRUE(handler.Invocations[3].ByOffset);
  EXPECT_EQ(handler.Invocations[3].Offset, 26u);

  browser.SetShowContextMenuOnTop(true);
  handler.InvokeResult = E_FAIL;
  TMenuDriver driver(27u);
  EXPECT_EQ(browser.ShowBackgroundMenu(kAt, nullptr), L"");
  EXPECT_EQ(handler.LastIndex, 0u);
}

TEST_F(NsBrowserContextMenuTest, TheBackgroundMenuAnswersEmptyWithoutAView) {
  space.ViewObjectOf = [](TFakeItem&, REFIID, void**) { return E_FAIL; };
  EXPECT_EQ(browser.ShowBackgroundMenu(kAt, appMenu.get()), L"");
  handler.RaiseWhileFilling = true;
  space.ViewObjectOf = [this](TFakeItem&, REFIID iid, void** object) { return view.QueryInterface(iid, object); };
  EXPECT_EQ(browser.ShowBackgroundMenu(kAt, appMenu.get()), L"");
  EXPECT_TRUE(handler.Invocations.empty());
}

}  // namespace
}  // namespace ts::test
