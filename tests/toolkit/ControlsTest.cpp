// Controls and forms as real windows, driven by messages.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <stdexcept>

#include "support/MessagePump.h"
#include "toolkit/Application.h"
#include "toolkit/Buttons.h"
#include "toolkit/ComCtrls.h"
#include "toolkit/ExtCtrls.h"
#include "toolkit/Forms.h"
#include "toolkit/Graphics.h"
#include "toolkit/Menus.h"
#include "toolkit/StdCtrls.h"

namespace ts::test {
namespace {

// A list box that records its window's life.
class TRecordingListBox : public TListBox {
public:
  using TListBox::TListBox;
  std::vector<std::string> Calls;

protected:
  void CreateWnd() override {
    Calls.push_back(GetRecreating() ? "create(recreating)" : "create");
    TListBox::CreateWnd();
  }
  void DestroyWnd() override {
    Calls.push_back(GetRecreating() ? "destroy(recreating)" : "destroy");
    TListBox::DestroyWnd();
  }
};

struct TFormFixture : ::testing::Test {
  TForm form{nullptr};
  TFormFixture() {
    form.SetBounds(50, 50, 400, 300);
    form.Show();
  }
};

using ControlsTest = TFormFixture;

TEST_F(ControlsTest, RecreatingAWindowKeepsTheControlsStateAndCallsTheHooks) {
  auto* list = new TRecordingListBox(&form);
  list->SetParent(&form);
  for (const wchar_t* line : {L"one", L"two", L"three"}) list->GetItems().Add(line);
  list->SetItemIndex(2);
  HWND before = list->GetHandle();
  EXPECT_EQ(SendMessageW(before, LB_GETCOUNT, 0, 0), 3);
  list->RecreateWnd();
  EXPECT_NE(list->GetHandle(), before);
  EXPECT_FALSE(IsWindow(before));
  EXPECT_EQ(SendMessageW(list->GetHandle(), LB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(list->GetItemIndex(), 2);
  EXPECT_EQ(list->Calls, (std::vector<std::string>{"create", "destroy(recreating)", "create(recreating)"}));
  EXPECT_FALSE(list->GetRecreating());
  EXPECT_EQ(TWinControl::FromHandle(list->GetHandle()), list);
}

BOOL CALLBACK CountWindow(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

TEST(WindowHandlesTest, AChildAskedFirstGetsOneWindowWithItsParents) {
  TForm form{nullptr};
  auto* panel = new TPanel(&form);
  panel->SetParent(&form);
  auto* list = new TListBox(&form);
  list->SetParent(panel);
  // Neither the form nor the panel has a window yet: the list's asks for both.
  HWND window = list->GetHandle();
  int panelChildren = 0;
  EnumChildWindows(panel->GetHandle(), CountWindow, reinterpret_cast<LPARAM>(&panelChildren));
  EXPECT_EQ(panelChildren, 1);
  EXPECT_EQ(GetParent(window), panel->GetHandle());
  EXPECT_EQ(GetWindow(form.GetHandle(), GW_CHILD), panel->GetHandle());
  EXPECT_EQ(GetWindow(panel->GetHandle(), GW_HWNDNEXT), nullptr);
}

TEST_F(ControlsTest, AlignedChildrenFillTheClientAreaInOrder) {
  auto* top = new TPanel(&form);
  top->SetHeight(30);
  top->SetAlign(alTop);
  top->SetParent(&form);
  auto* left = new TPanel(&form);
  left->SetWidth(80);
  left->SetAlign(alLeft);
  left->SetParent(&form);
  auto* splitter = new TSplitter(&form);
  splitter->SetLeft(90);
  splitter->SetParent(&form);
  auto* status = new TStatusBar(&form);
  status->SetParent(&form);
  auto* client = new TPanel(&form);
  client->SetAlign(alClient);
  client->SetParent(&form);
  const int cw = form.GetClientWidth(), ch = form.GetClientHeight();
  EXPECT_EQ(top->GetBoundsRect().right, cw);
  EXPECT_EQ(left->GetTop(), 30);
  EXPECT_EQ(left->GetHeight(), ch - 30 - status->GetHeight());
  EXPECT_EQ(splitter->GetLeft(), 80);
  EXPECT_EQ(client->GetLeft(), 83);
  EXPECT_EQ(client->GetWidth(), cw - 83);
  EXPECT_EQ(status->GetTop(), ch - status->GetHeight());

  // A resized form lays its children out again.
  form.SetBounds(50, 50, 500, 400);
  EXPECT_EQ(client->GetWidth(), form.GetClientWidth() - 83);
  EXPECT_EQ(left->GetHeight(), form.GetClientHeight() - 30 - status->GetHeight());
}

TEST_F(ControlsTest, ASplitterDragResizesItsNeighbourAndSnapsShutBelowTheMinimum) {
  auto* left = new TPanel(&form);
  left->SetWidth(100);
  left->SetAlign(alLeft);
  left->SetParent(&form);
  auto* splitter = new TSplitter(&form);
  splitter->SetLeft(200);
  splitter->SetParent(&form);
  auto* rest = new TPanel(&form);
  rest->SetAlign(alClient);
  rest->SetParent(&form);
  int moved = 0;
  splitter->OnMoved = [&](TObject*) { ++moved; };
  HWND handle = splitter->GetHandle();
  POINT grip = splitter->ClientToScreen(POINT{1, 10});
  auto send = [&](UINT message, int screenX) {
    POINT p{screenX, grip.y};
    ::ScreenToClient(handle, &p);
    SetCursorPos(screenX, grip.y);
    SendMessageW(handle, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(p.x, p.y));
  };
  send(WM_LBUTTONDOWN, grip.x);
  send(WM_MOUSEMOVE, grip.x + 50);
  EXPECT_EQ(left->GetWidth(), 150);
  EXPECT_EQ(splitter->GetLeft(), 150);
  send(WM_MOUSEMOVE, grip.x - 80);  // 20 pixels: below 30, shut
  EXPECT_EQ(left->GetWidth(), 0);
  splitter->OnCanResize = [](TObject*, int& size, bool& accept) { accept = size <= 120; };
  send(WM_MOUSEMOVE, grip.x + 40);
  EXPECT_EQ(left->GetWidth(), 0);  // refused
  send(WM_MOUSEMOVE, grip.x + 10);
  EXPECT_EQ(left->GetWidth(), 110);
  send(WM_LBUTTONUP, grip.x + 10);
  EXPECT_EQ(moved, 1);
}

TEST_F(ControlsTest, ASplittersCursorIsTheResizeCursorAcrossItsBar) {
  auto* bar = new TSplitter(&form);
  bar->SetParent(&form);
  // The cursor the window sets when the mouse is over it.
  auto cursorOver = [&] {
    SendMessageW(bar->GetHandle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(bar->GetHandle()),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
  };
  const HCURSOR leftRight = LoadCursorW(nullptr, IDC_SIZEWE);
  const HCURSOR upDown = LoadCursorW(nullptr, IDC_SIZENS);
  EXPECT_EQ(bar->GetCursor(), crHSplit);
  EXPECT_EQ(cursorOver(), leftRight);
  for (TAlign align : {alTop, alBottom}) {
    bar->SetAlign(align);
    EXPECT_EQ(bar->GetCursor(), crVSplit);
    EXPECT_EQ(cursorOver(), upDown);
  }
  bar->SetAlign(alRight);
  EXPECT_EQ(cursorOver(), leftRight);
}

TEST_F(ControlsTest, AKeyEventThatClearsTheKeyConsumesIt) {
  auto* memo = new TMemo(&form);
  memo->SetParent(&form);
  memo->OnKeyPress = [](TObject*, wchar_t& key) {
    if (key == L'x') key = 0;
    if (key == L'a') key = L'b';
  };
  int downs = 0;
  memo->OnKeyDown = [&](TObject*, WORD& key, TShiftState) {
    ++downs;
    if (key == VK_BACK) key = 0;
  };
  HWND edit = memo->GetHandle();
  for (wchar_t c : std::wstring(L"xyaz")) SendMessageW(edit, WM_CHAR, c, 0);
  EXPECT_EQ(memo->GetText(), L"ybz");
  SendMessageW(edit, WM_KEYDOWN, VK_BACK, 0);
  SendMessageW(edit, WM_CHAR, VK_BACK, 0);  // the character itself still goes through
  EXPECT_EQ(downs, 1);
  memo->GetLines().SetText(L"line 1\r\nline 2\r\n");
  EXPECT_EQ(memo->GetText(), L"line 1\r\nline 2\r\n");
  memo->SetReadOnly(true);
  EXPECT_NE(GetWindowLongW(edit, GWL_STYLE) & ES_READONLY, 0);
}

TEST_F(ControlsTest, ASpeedButtonDrawsAGlyphStillHeldByItsCanvas) {
  auto* button = new TSpeedButton(&form);
  button->SetParent(&form);
  button->SetBounds(10, 10, 25, 24);
  TBitmap& glyph = button->GetGlyph();
  glyph.SetPixelFormat(pf24bit);
  glyph.SetSize(16, 16);
  // Drawn through its canvas, which keeps the bitmap selected afterwards.
  glyph.GetCanvas().Brush.Color = clRed;
  glyph.GetCanvas().FillRect(RECT{0, 0, 16, 16});
  glyph.GetCanvas().Brush.Color = 0xFF00FF;  // the transparent corner
  glyph.GetCanvas().FillRect(RECT{0, 15, 1, 16});
  InvalidateRect(button->GetHandle(), nullptr, TRUE);
  UpdateWindow(button->GetHandle());
  HDC dc = GetDC(button->GetHandle());
  const COLORREF centre = GetPixel(dc, 12, 12);
  ReleaseDC(button->GetHandle(), dc);
  EXPECT_EQ(centre, RGB(255, 0, 0));
}

TEST_F(ControlsTest, SpeedButtonsOfAGroupAreRadioButtonsAndNeverTakeTheFocus) {
  auto* memo = new TMemo(&form);
  memo->SetParent(&form);
  std::vector<TSpeedButton*> buttons;
  for (int i = 0; i < 3; ++i) {
    auto* b = new TSpeedButton(&form);
    b->SetLeft(200 + i * 30);
    b->SetGroupIndex(1);
    b->SetParent(&form);
    buttons.push_back(b);
  }
  int clicks = 0;
  buttons[1]->OnClick = [&](TObject*) { ++clicks; };
  memo->SetFocus();
  auto click = [](TSpeedButton* b) {
    SendMessageW(b->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(b->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  };
  click(buttons[0]);
  EXPECT_TRUE(buttons[0]->GetDown());
  click(buttons[1]);
  EXPECT_FALSE(buttons[0]->GetDown());
  EXPECT_TRUE(buttons[1]->GetDown());
  EXPECT_EQ(clicks, 1);
  click(buttons[1]);  // the last one down stays down
  EXPECT_TRUE(buttons[1]->GetDown());
  buttons[0]->SetAllowAllUp(true);
  click(buttons[1]);
  EXPECT_FALSE(buttons[1]->GetDown());
  EXPECT_FALSE(buttons[2]->GetDown());
  EXPECT_TRUE(memo->Focused());
  EXPECT_FALSE(buttons[2]->CanFocus());
  // Outside a group a speed button is never down.
  buttons[2]->SetGroupIndex(0);
  buttons[2]->SetDown(true);
  EXPECT_FALSE(buttons[2]->GetDown());
}

TEST_F(ControlsTest, AModalFormAnswersWithItsButtonsResult) {
  TForm dialog(nullptr);
  auto* ok = new TButton(&dialog);
  ok->SetModalResult(mrOk);
  ok->SetDefault(true);
  ok->SetParent(&dialog);
  auto* cancel = new TButton(&dialog);
  cancel->SetCancel(true);
  cancel->SetModalResult(mrCancel);
  cancel->SetTop(40);
  cancel->SetParent(&dialog);
  HWND okHandle = ok->GetHandle();
  PostMessageW(okHandle, BM_CLICK, 0, 0);
  EXPECT_EQ(dialog.ShowModal(), mrOk);
  EXPECT_FALSE(IsWindowVisible(dialog.GetHandle()));
  EXPECT_TRUE(IsWindowEnabled(form.GetHandle()));

  // Esc reaches the cancel button; closing answers cancel too.
  PostMessageW(okHandle, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(dialog.ShowModal(), mrCancel);
  PostMessageW(dialog.GetHandle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(dialog.ShowModal(), mrCancel);
  PostMessageW(cancel->GetHandle(), WM_KEYDOWN, VK_RETURN, 0);  // Enter on a focused button clicks it
  EXPECT_EQ(dialog.ShowModal(), mrCancel);
}

TEST_F(ControlsTest, ClosingASecondaryFormHidesItAndAMaximizedFormKeepsItsNormalBounds) {
  TForm secondary(nullptr);
  int closes = 0;
  secondary.OnClose = [&](TObject*, TCloseAction& action) {
    ++closes;
    EXPECT_EQ(action, caHide);
  };
  secondary.SetBounds(120, 110, 300, 200);
  secondary.SetCaption(L"Bookmarks");
  secondary.Show();
  wchar_t caption[64];
  GetWindowTextW(secondary.GetHandle(), caption, 64);
  EXPECT_STREQ(caption, L"Bookmarks");
  SendMessageW(secondary.GetHandle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(IsWindowVisible(secondary.GetHandle()));
  EXPECT_TRUE(IsWindow(secondary.GetHandle()));

  secondary.Show();
  secondary.SetWindowState(wsMaximized);
  EXPECT_EQ(secondary.GetWindowState(), wsMaximized);
  const RECT normal = secondary.GetNormalBounds();
  EXPECT_EQ(normal.left, 120);
  EXPECT_EQ(normal.right - normal.left, 300);
  secondary.SetWindowState(wsNormal);
  EXPECT_EQ(secondary.GetWindowState(), wsNormal);
  secondary.SetClientWidth(250);
  EXPECT_EQ(secondary.GetClientWidth(), 250);
}

TEST_F(ControlsTest, AnErrorInAHandlerReachesTheApplicationsHandler) {
  std::wstring reported;
  Application->OnException = [&](TObject*, const std::exception& error) {
    if (auto* e = dynamic_cast<const Exception*>(&error)) reported = e->Message();
  };
  auto* button = new TButton(&form);
  button->SetParent(&form);
  button->OnClick = [](TObject*) { throw EInvalidOperation(L"the handler failed"); };
  SendMessageW(button->GetHandle(), BM_CLICK, 0, 0);
  Application->OnException = nullptr;
  EXPECT_EQ(reported, L"the handler failed");
}

TEST_F(ControlsTest, ListBoxesSelectDoubleClickAndSuspendDrawing) {
  auto* list = new TListBox(&form);
  list->SetParent(&form);
  list->SetBounds(10, 10, 200, 150);
  for (const wchar_t* line : {L"1 C:\\tmp", L"2 C:\\temp", L"3", L"10"}) list->GetItems().Add(line);
  int doubles = 0;
  list->OnDblClick = [&](TObject*) { ++doubles; };
  list->SetItemIndex(1);
  EXPECT_EQ(SendMessageW(list->GetHandle(), LB_GETCURSEL, 0, 0), 1);
  SendMessageW(list->GetHandle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(doubles, 1);
  list->GetItems().Put(2, L"3 D:\\");
  EXPECT_EQ(list->GetItems().Get(2), L"3 D:\\");
  wchar_t text[32];
  SendMessageW(list->GetHandle(), LB_GETTEXT, 2, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, L"3 D:\\");
  list->SetItemHeight(14);
  EXPECT_EQ(SendMessageW(list->GetHandle(), LB_GETITEMHEIGHT, 0, 0), 14);
  list->BeginUpdate();
  list->GetItems().Delete(0);
  list->EndUpdate();
  EXPECT_EQ(SendMessageW(list->GetHandle(), LB_GETCOUNT, 0, 0), 3);
  // The platform's type-ahead: a digit selects the next line starting with it.
  list->SetFocus();
  SendMessageW(list->GetHandle(), WM_CHAR, L'1', 0);
  EXPECT_EQ(list->GetItemIndex(), 2);  // "10"
}

TEST(TabOrderTest, APlaceAmongTheParentsWindowedControls) {
  TGroupBox parent(nullptr);
  auto make = [&] {
    auto* button = new TButton(&parent);
    button->SetParent(&parent);
    return button;
  };
  TButton* a = make();
  TButton* b = make();
  TButton* c = make();
  EXPECT_EQ(a->GetTabOrder(), 0);
  EXPECT_EQ(c->GetTabOrder(), 2);

  c->SetTabOrder(0);
  EXPECT_EQ(c->GetTabOrder(), 0);
  EXPECT_EQ(a->GetTabOrder(), 1);
  EXPECT_EQ(b->GetTabOrder(), 2);
  a->SetTabOrder(99);  // the nearest place there is: the last
  EXPECT_EQ(a->GetTabOrder(), 2);
  b->SetTabOrder(-4);
  EXPECT_EQ(b->GetTabOrder(), 0);

  // A control that goes leaves no gap; one without a parent keeps the place
  // it was given and takes it when it gets a parent.
  delete b;
  EXPECT_EQ(c->GetTabOrder(), 0);
  EXPECT_EQ(a->GetTabOrder(), 1);
  TButton loose(nullptr);
  EXPECT_EQ(loose.GetTabOrder(), -1);
  loose.SetTabOrder(0);
  EXPECT_EQ(loose.GetTabOrder(), 0);
  loose.SetParent(&parent);
  EXPECT_EQ(loose.GetTabOrder(), 0);
  EXPECT_EQ(c->GetTabOrder(), 1);
  loose.SetParent(nullptr);
  EXPECT_EQ(loose.GetTabOrder(), -1);
  EXPECT_EQ(a->GetTabOrder(), 1);
}

TEST_F(ControlsTest, MenuItemsHaveApplicationCommandsAndRunTheirClicks) {
  TMainMenu menu(&form);
  auto* file = new TMenuItem(&menu);
  file->SetCaption(L"&File");
  menu.GetItems().Add(file);
  auto* open = new TMenuItem(&menu);
  open->SetCaption(L"&Open");
  open->SetShortCut(scCtrl | 'O');
  open->SetHint(L"Open|Opens the selected item");
  file->Add(open);
  EXPECT_GE(open->GetCommand(), 256);
  EXPECT_GE(file->GetCommand(), 256);
  EXPECT_NE(open->GetCommand(), file->GetCommand());
  int opened = 0;
  open->OnClick = [&](TObject*) { ++opened; };
  form.SetMenu(&menu);
  EXPECT_NE(GetMenu(form.GetHandle()), nullptr);
  SendMessageW(form.GetHandle(), WM_COMMAND, static_cast<WPARAM>(open->GetCommand()), 0);
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(open->GetLongHint(), L"Opens the selected item");
  EXPECT_EQ(ShortCutToText(open->GetShortCut()), L"Ctrl+O");

  // Radio items of a group exclude each other.
  auto* a = new TMenuItem(&menu);
  auto* b = new TMenuItem(&menu);
  for (TMenuItem* item : {a, b}) {
    item->SetRadioItem(true);
    item->SetGroupIndex(3);
    file->Add(item);
  }
  a->SetChecked(true);
  b->SetChecked(true);
  EXPECT_FALSE(a->GetChecked());
  EXPECT_TRUE(b->GetChecked());

  // A popup menu, with and without a context handler that takes over.
  TPopupMenu popup(&form);
  auto* copy = new TMenuItem(&popup);
  copy->SetCaption(L"Copy");
  popup.GetItems().Add(copy);
  int copies = 0, popups = 0;
  copy->OnClick = [&](TObject*) { ++copies; };
  popup.OnPopup = [&](TObject*) { ++popups; };
  popup.TrackMenu = [&](HMENU menuHandle, int, int) {
    EXPECT_EQ(GetMenuItemCount(menuHandle), 1);
    return copy->GetCommand();
  };
  auto* panel = new TPanel(&form);
  panel->SetParent(&form);
  panel->SetPopupMenu(&popup);
  SendMessageW(panel->GetHandle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(panel->GetHandle()), MAKELPARAM(-1, -1));
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(copies, 1);
  EXPECT_EQ(popup.GetPopupComponent(), panel);
  panel->OnContextPopup = [](TObject*, POINT, bool& handled) { handled = true; };
  SendMessageW(panel->GetHandle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(panel->GetHandle()), MAKELPARAM(-1, -1));
  EXPECT_EQ(popups, 1);

  const int id = copy->GetCommand();
  delete copy;
  EXPECT_EQ(TMenu::FindItemByCommand(id), nullptr);
  EXPECT_FALSE(DispatchMenuCommand(id));
}

TEST_F(ControlsTest, TimersTickAndTheHourglassComesBackAfterAnError) {
  TTimer timer(nullptr);
  timer.SetInterval(10);
  int ticks = 0;
  timer.OnTimer = [&](TObject*) { ++ticks; };
  EXPECT_TRUE(PumpMessagesUntil([&] { return ticks >= 2; }, 3000));
  timer.SetEnabled(false);
  const int stopped = ticks;
  PumpMessagesFor(60);
  EXPECT_EQ(ticks, stopped);

  EXPECT_EQ(Screen->GetCursor(), crDefault);
  try {
    THourglassScope hourglass;
    EXPECT_EQ(Screen->GetCursor(), crHourGlass);
    throw std::runtime_error("interrupted");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(Screen->GetCursor(), crDefault);
}

TEST_F(ControlsTest, StandardControlsShowWhatTheyHold) {
  auto* status = new TStatusBar(&form);
  status->SetParent(&form);
  status->AddPanel(L"3 items", 100);
  status->AddPanel(L"", 50);
  status->SetPanelText(1, L"12 KB");
  wchar_t text[32];
  SendMessageW(status->GetHandle(), SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, L"12 KB");
  TStatusBar holder(&form, true);
  EXPECT_TRUE(holder.GetAcceptsControls());

  auto* label = new TLabel(&form);
  label->SetCaption(L"Bookmark editing");
  label->GetFont().SetStyle(TFontStyles{fsUnderline});
  label->SetParent(&form);
  GetWindowTextW(label->GetHandle(), text, 32);
  EXPECT_STREQ(text, L"Bookmark editing");
  EXPECT_FALSE(label->GetParentFont());

  auto* group = new TGroupBox(&form);
  group->SetParent(&form);
  auto* first = new TRadioButton(&form);
  auto* second = new TRadioButton(&form);
  first->SetParent(group);
  second->SetParent(group);
  first->SetChecked(true);
  second->SetChecked(true);
  EXPECT_FALSE(first->GetChecked());
  EXPECT_TRUE(second->GetChecked());

  auto* hinted = new TSpeedButton(&form);
  hinted->SetHint(L"Single Explorer");
  hinted->SetShowHint(true);
  hinted->SetParent(&form);
  EXPECT_NE(FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr), nullptr);
}

}  // namespace
}  // namespace ts::test
