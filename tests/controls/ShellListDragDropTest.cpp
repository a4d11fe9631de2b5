// The list's drag and drop on Wine's real shell: its registration, and its
// drop target driven through the interface as the platform's drag loop
// drives it, with data objects the tests build; files really copied and
// moved, reported once, and selected when they show up.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>
#include <commctrl.h>
#include <shlobj.h>

#include "ShellListCommandsSupport.h"
#include "controls/ShellList.h"
#include "shell/DropFilesDataObject.h"
#include "support/MenuDriver.h"
#include "support/MessagePump.h"
#include "support/TempFolder.h"
#include "toolkit/Controls.h"
#include "toolkit/StringList.h"

namespace ts::test {
namespace {

constexpr unsigned kWait = 30000;

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

struct ShellListDragDropTest : ::testing::Test {
  TTempFolder temp;
  TCommandForm view;
  TCommandList* list = view.List;
  IDropTarget* target = static_cast<IDropTarget*>(list);

  ShellListDragDropTest() { list->SetAutomaticRefresh(false); }

  TComPtr<IDataObject> DataOf(std::initializer_list<std::wstring> files) {
    TStringList paths;
    for (const std::wstring& file : files) paths.Add(file);
    return FilesDataObject(nullptr, paths, 0);
  }
  // A screen point inside the item, or in the empty space below the items.
  POINTL PointOn(const wchar_t* caption) {
    RECT bounds = view.ItemNamed(caption)->DisplayRect(drLabel);
    POINT client{(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
    ClientToScreen(view.Handle(), &client);
    return POINTL{client.x, client.y};
  }
  POINTL EmptySpace() {
    RECT client{};
    GetClientRect(view.Handle(), &client);
    POINT point{client.right - 10, client.bottom - 10};
    ClientToScreen(view.Handle(), &point);
    return POINTL{point.x, point.y};
  }
  // Enter, move to the point, drop, as the drag loop calls them; answers
  // Drop's result and leaves the effect done in effect.
  HRESULT DragAndDrop(IDataObject* data, POINTL point, DWORD keys, DWORD& effect) {
    DWORD offered = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    effect = offered;
    target->DragEnter(data, keys, point, &effect);
    effect = offered;
    target->DragOver(keys, point, &effect);
    const DWORD over = effect;
    effect = offered;
    // The button is up by the time the loop drops.
    const HRESULT hr = target->Drop(data, keys & ~(MK_LBUTTON | MK_RBUTTON), point, &effect);
    lastOver = over;
    return hr;
  }
  DWORD lastOver = 0;
};

TEST_F(ShellListDragDropTest, TheListTakesDropsWhileItsFeatureIsOnAndAcrossANewWindow) {
  list->SetPath(temp.Path());
  ASSERT_TRUE(list->GetOleDragDrop());
  EXPECT_TRUE(list->IsDropTargetRegistered());
  list->SetOleDragDrop(false);
  EXPECT_FALSE(list->IsDropTargetRegistered());
  EXPECT_EQ(RevokeDragDrop(view.Handle()), DRAGDROP_E_NOTREGISTERED);
  list->SetOleDragDrop(true);
  EXPECT_TRUE(list->IsDropTargetRegistered());
  list->RecreateWnd();
  view.List->HandleNeeded();
  EXPECT_TRUE(list->IsDropTargetRegistered());
}

TEST_F(ShellListDragDropTest, FilesDroppedOnTheEmptySpaceAreCopiedHereReportedAndSelected) {
  const std::wstring source = temp.MakeFile(L"from\\dropped.txt", "data");
  temp.MakeFolder(L"to");
  temp.MakeFile(L"to\\already.txt");
  list->SetPath(temp / L"to");
  TComPtr<IDataObject> data = DataOf({source});
  DWORD effect = 0;
  ASSERT_EQ(DragAndDrop(data.Get(), EmptySpace(), MK_LBUTTON | MK_CONTROL, effect), S_OK);
  EXPECT_EQ(lastOver, static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_TRUE(Exists(temp / L"to\\dropped.txt"));
  EXPECT_TRUE(Exists(source));
  ASSERT_EQ(list->Reports.size(), 1u);
  EXPECT_EQ(list->Reports[0].Operation, (TNsShellOperations{sopDrop, sopCopy}));
  EXPECT_EQ(list->Reports[0].Files, (Names{source}));
  EXPECT_EQ(list->Reports[0].Destination, list->GetPath());
  EXPECT_EQ(list->GetDropItem(), nullptr);

  // The new file comes up selected with the first icons after the drop.
  list->SmartRefresh();
  ASSERT_TRUE(PumpMessagesUntil([&] { return list->GetDroppedFiles()->GetCount() == 0; }, kWait));
  ASSERT_NE(view.ItemNamed(L"dropped.txt"), nullptr);
  EXPECT_TRUE(view.ItemNamed(L"dropped.txt")->GetSelected());
  EXPECT_FALSE(view.ItemNamed(L"already.txt")->GetSelected());
}

TEST_F(ShellListDragDropTest, AFolderItemTakesTheDropHighlightedAndShiftMovesIntoIt) {
  const std::wstring source = temp.MakeFile(L"moved.txt", "data");
  temp.MakeFolder(L"into");
  list->SetPath(temp.Path());
  TComPtr<IDataObject> data = DataOf({source});
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  const POINTL onFolder = PointOn(L"into");
  target->DragEnter(data.Get(), MK_LBUTTON | MK_SHIFT, onFolder, &effect);
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  target->DragOver(MK_LBUTTON | MK_SHIFT, onFolder, &effect);
  ASSERT_EQ(list->GetDropItem(), view.ItemNamed(L"into"));
  EXPECT_TRUE(view.ItemNamed(L"into")->GetDropTarget());
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE));
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  ASSERT_EQ(target->Drop(data.Get(), MK_SHIFT, onFolder, &effect), S_OK);
  EXPECT_TRUE(Exists(temp / L"into\\moved.txt"));
  EXPECT_FALSE(Exists(source));
  EXPECT_FALSE(view.ItemNamed(L"into")->GetDropTarget());
  ASSERT_EQ(list->Reports.size(), 1u);
  EXPECT_EQ(list->Reports[0].Operation, (TNsShellOperations{sopDrop, sopMove}));
  EXPECT_EQ(list->Reports[0].Destination, temp / L"into");
}

TEST_F(ShellListDragDropTest, TheParentFolderItemTakesDropsIntoTheParent) {
  const std::wstring source = temp.MakeFile(L"deep\\up.txt", "data");
  list->SetShowParentFolder(true);
  list->SetPath(temp / L"deep");
  ASSERT_TRUE(view.ItemNamed(L"..") != nullptr || view.ItemNamed(L" .. ") != nullptr);
  const wchar_t* parent = view.ItemNamed(L"..") != nullptr ? L".." : L" .. ";
  TComPtr<IDataObject> data = DataOf({source});
  DWORD effect = 0;
  ASSERT_EQ(DragAndDrop(data.Get(), PointOn(parent), MK_LBUTTON | MK_CONTROL, effect), S_OK);
  EXPECT_TRUE(Exists(temp / L"up.txt"));
  EXPECT_TRUE(Exists(source));
}

TEST_F(ShellListDragDropTest, AVetoAReadOnlyListAndAFolderIntoItselfLoseNothingAndReportNothing) {
  const std::wstring source = temp.MakeFile(L"from\\kept.txt", "data");
  temp.MakeFolder(L"to");
  list->SetPath(temp / L"to");
  TComPtr<IDataObject> data = DataOf({source});

  bool asked = false;
  list->OnBeforeShellDrop = [&](TObject* sender, TObject* dropTarget, TStringList* files, bool& execute, int) {
    asked = true;
    EXPECT_EQ(sender, list);
    EXPECT_EQ(dropTarget, list);  // the empty space
    EXPECT_EQ(files->GetCount(), 1);
    execute = false;
  };
  DWORD effect = 0;
  EXPECT_EQ(DragAndDrop(data.Get(), EmptySpace(), MK_LBUTTON | MK_CONTROL, effect), E_UNEXPECTED);
  EXPECT_TRUE(asked);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_FALSE(Exists(temp / L"to\\kept.txt"));
  list->OnBeforeShellDrop = nullptr;

  list->SetReadOnly(true);
  effect = DROPEFFECT_COPY;
  target->DragEnter(data.Get(), MK_LBUTTON, EmptySpace(), &effect);
  effect = DROPEFFECT_COPY;
  target->DragOver(MK_LBUTTON, EmptySpace(), &effect);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  target->DragLeave();
  list->SetReadOnly(false);

  // The folder shown dropped into itself.
  TComPtr<IDataObject> self = DataOf({temp / L"to"});
  DragAndDrop(self.Get(), EmptySpace(), MK_LBUTTON | MK_SHIFT, effect);
  EXPECT_EQ(lastOver, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_TRUE(Exists(temp / L"to"));
  EXPECT_TRUE(Exists(source));
  EXPECT_TRUE(list->Reports.empty());
}

TEST_F(ShellListDragDropTest, ADropWhoseNameIsTakenNeverOverwritesTheFileThere) {
  const std::wstring source = temp.MakeFile(L"from\\same.txt", "new");
  temp.MakeFile(L"to\\same.txt", "old");
  list->SetPath(temp / L"to");
  TComPtr<IDataObject> data = DataOf({source});
  DWORD effect = 0;
  {
    // The shell asks before replacing: the answer is no.
    TDialogAnswerer no(IDNO);
    DragAndDrop(data.Get(), EmptySpace(), MK_LBUTTON | MK_CONTROL, effect);
  }
  HANDLE file = CreateFileW((temp / L"to\\same.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  char text[8] = {};
  DWORD read = 0;
  ReadFile(file, text, sizeof text - 1, &read, nullptr);
  CloseHandle(file);
  EXPECT_STREQ(text, "old");
  EXPECT_TRUE(Exists(source));
}

// The platform's drag loop, driven as the user drives it: the thread's
// button state held down, the cursor taken to the other list, the button
// let go once that list has seen the drag. The loop reads both from the
// thread, so no real mouse is needed.
class TDragDriver {
public:
  TDragDriver(POINT to, const bool& arrived, bool escape = false) : fTo(to), fArrived(arrived), fEscape(escape) {
    sDriver = this;
    fTimer = SetTimer(nullptr, 0, 20, Tick);
  }
  ~TDragDriver() {
    KillTimer(nullptr, fTimer);
    sDriver = nullptr;
  }
  TDragDriver(const TDragDriver&) = delete;
  TDragDriver& operator=(const TDragDriver&) = delete;

private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (sDriver != nullptr) sDriver->Step();
  }
  void Step() {
    SetCursorPos(fTo.x, fTo.y);
    if (!fArrived && ++fTicks < 500) return;
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_LBUTTON] = 0;
    SetKeyboardState(state);
    if (fEscape) PostMessageW(GetCapture(), WM_KEYDOWN, VK_ESCAPE, 0);
  }
  static inline TDragDriver* sDriver = nullptr;
  POINT fTo;
  const bool& fArrived;
  bool fEscape;
  UINT_PTR fTimer = 0;
  int fTicks = 0;
};

struct ShellListTwoListsTest : ShellListDragDropTest {
  TCommandForm other{40, 460};

  // Starts a drag of the named item with the left button, as the list view
  // reports it, and runs the platform's loop until it ends.
  void DragFromFirstList(const wchar_t* caption, POINT to, bool escape = false) {
    view.Select({caption});
    bool arrived = false;
    other.List->TickCountSource = [&] {
      arrived = true;
      return GetTickCount();
    };
    THeldKeys button({VK_LBUTTON});
    TDragDriver driver(to, arrived, escape);
    NMLISTVIEW notice{};
    notice.hdr.hwndFrom = view.Handle();
    notice.hdr.code = LVN_BEGINDRAG;
    notice.iItem = view.List->GetItems().IndexOf(view.ItemNamed(caption));
    SendMessageW(view.Handle(), CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
    other.List->TickCountSource = nullptr;
  }
  POINT OtherEmptySpace() {
    RECT client{};
    GetClientRect(other.Handle(), &client);
    POINT point{client.right - 10, client.bottom - 10};
    ClientToScreen(other.Handle(), &point);
    return point;
  }
};

TEST_F(ShellListTwoListsTest, AFileDraggedToTheOtherListMovesThereAndBothListsReportIt) {
  temp.MakeFile(L"from\\dragged.txt", "data");
  temp.MakeFolder(L"to");
  list->SetPath(temp / L"from");
  other.List->SetAutomaticRefresh(false);
  other.List->SetPath(temp / L"to");
  DragFromFirstList(L"dragged.txt", OtherEmptySpace());
  // The same drive: a move, as the shell does it.
  EXPECT_TRUE(Exists(temp / L"to\\dragged.txt"));
  EXPECT_FALSE(Exists(temp / L"from\\dragged.txt"));
  ASSERT_EQ(other.List->Reports.size(), 1u);
  EXPECT_EQ(other.List->Reports[0].Operation, (TNsShellOperations{sopDrop, sopMove}));
  ASSERT_EQ(list->Reports.size(), 1u);
  EXPECT_EQ(list->Reports[0].Operation, (TNsShellOperations{sopDrag, sopMove, sopRemove}));
  EXPECT_EQ(list->Reports[0].Files, (Names{temp / L"from\\dragged.txt"}));
}

TEST_F(ShellListTwoListsTest, ADragOntoItsOwnEmptySpaceOrCancelledWithEscapeDoesNothing) {
  temp.MakeFile(L"from\\stays.txt", "data");
  list->SetPath(temp / L"from");
  RECT client{};
  GetClientRect(view.Handle(), &client);
  POINT own{client.right - 10, client.bottom - 10};
  ClientToScreen(view.Handle(), &own);
  {
    bool arrived = false;
    list->TickCountSource = [&] {
      arrived = true;
      return GetTickCount();
    };
    view.Select({L"stays.txt"});
    THeldKeys button({VK_LBUTTON});
    TDragDriver driver(own, arrived);
    NMLISTVIEW notice{};
    notice.hdr.hwndFrom = view.Handle();
    notice.hdr.code = LVN_BEGINDRAG;
    SendMessageW(view.Handle(), CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
    list->TickCountSource = nullptr;
  }
  EXPECT_TRUE(Exists(temp / L"from\\stays.txt"));
  EXPECT_TRUE(list->Reports.empty());

  temp.MakeFolder(L"to");
  other.List->SetPath(temp / L"to");
  DragFromFirstList(L"stays.txt", OtherEmptySpace(), true);
  EXPECT_TRUE(Exists(temp / L"from\\stays.txt"));
  EXPECT_FALSE(Exists(temp / L"to\\stays.txt"));
  EXPECT_TRUE(list->Reports.empty());
  EXPECT_TRUE(other.List->Reports.empty());
}

TEST_F(ShellListDragDropTest, TheDragGoesOnWhileItsButtonIsDownAndStopsAtEscapeOrASecondButton) {
  IDropSource* source = static_cast<IDropSource*>(list);
  // No drag of the list's own: any button down is a second one.
  EXPECT_EQ(source->QueryContinueDrag(FALSE, 0), DRAGDROP_S_DROP);
  EXPECT_EQ(source->QueryContinueDrag(TRUE, 0), DRAGDROP_S_CANCEL);
  EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_RBUTTON), DRAGDROP_S_CANCEL);
  EXPECT_EQ(source->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
}

}  // namespace
}  // namespace ts::test
