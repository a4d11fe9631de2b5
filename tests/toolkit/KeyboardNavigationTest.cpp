// The keyboard interface of forms, driven by keys posted to the focused
// window and handled by the application's message loop: Tab and Shift+Tab
// through the tab order, the arrow keys in a group of radio buttons, access
// keys, default and cancel buttons, key preview, and the focus a form gives
// back when it is activated again.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "support/KeyInput.h"
#include "support/MessagePump.h"
#include "toolkit/Application.h"
#include "toolkit/Edit.h"
#include "toolkit/ExtCtrls.h"
#include "toolkit/Forms.h"
#include "toolkit/StdCtrls.h"

namespace ts::test {
namespace {

template <typename T>
T* Add(TForm& form, TWinControl* parent, int left, int top, int width = 80, int height = 22) {
  T* control = new T(&form);
  control->SetParent(parent);
  control->SetBounds(left, top, width, height);
  return control;
}

// A control that wants the Tab key itself and counts the ones it gets.
class TTabTaker : public TWinControl {
public:
  explicit TTabTaker(TComponent* owner) : TWinControl(owner) { fTabStop = true; }
  int Tabs = 0;
  void WndProc(TMessage& message) override {
    if (message.Msg == WM_GETDLGCODE) {
      message.Result = DLGC_WANTTAB;
      return;
    }
    if (message.Msg == WM_KEYDOWN && message.WParam == VK_TAB) ++Tabs;
    TWinControl::WndProc(message);
  }
};

HWND Focus() { return GetFocus(); }

struct KeyboardNavigationTest : ::testing::Test {
  TForm form{nullptr};
  KeyboardNavigationTest() {
    form.SetBounds(40, 40, 520, 400);
    form.SetCaption(L"Keys");
  }
  void ShowForm() {
    form.Show();
    SetForegroundWindow(form.GetHandle());
    PumpMessagesFor(20);
  }
};

TEST_F(KeyboardNavigationTest, TabAndShiftTabGoThroughTheTabStopsInTabOrderIntoContainersAndRoundTheEnd) {
  auto* first = Add<TEdit>(form, &form, 8, 8);
  auto* panel = Add<TPanel>(form, &form, 8, 40, 300, 100);
  auto* inner1 = Add<TButton>(form, panel, 8, 8);
  auto* inner2 = Add<TButton>(form, panel, 100, 8);
  auto* disabled = Add<TButton>(form, &form, 8, 150);
  disabled->SetEnabled(false);
  auto* hidden = Add<TButton>(form, &form, 100, 150);
  hidden->SetVisible(false);
  Add<TLabel>(form, &form, 200, 150)->SetCaption(L"a label is no tab stop");
  // A band collapsed to nothing: its button is there but cannot be seen.
  auto* collapsed = Add<TPanel>(form, &form, 8, 180, 300, 0);
  Add<TButton>(form, collapsed, 0, 0);
  auto* memo = Add<TMemo>(form, &form, 8, 200, 200, 60);
  memo->SetScrollBars(ssVertical);
  auto* last = Add<TButton>(form, &form, 8, 300);
  // Put first in the tab order though made after the others.
  auto* list = Add<TListBox>(form, &form, 300, 8, 150, 60);
  list->SetTabOrder(0);
  ShowForm();

  list->SetFocus();
  ASSERT_EQ(Focus(), list->GetHandle());
  // The multi-line memo takes Enter but lets Tab go on.
  const std::vector<TWinControl*> forward{first, inner1, inner2, memo, last, list, first};
  for (TWinControl* expected : forward) {
    PressKey(VK_TAB);
    EXPECT_EQ(Focus(), expected->GetHandle());
  }
  const std::vector<TWinControl*> backward{list, last, memo, inner2, inner1, first, list};
  for (TWinControl* expected : backward) {
    PressKey(VK_TAB, true);
    EXPECT_EQ(Focus(), expected->GetHandle());
  }
  // Enabled and shown again, they are reached again, in their places.
  disabled->SetEnabled(true);
  hidden->SetVisible(true);
  inner2->SetFocus();
  PressKey(VK_TAB);
  EXPECT_EQ(Focus(), disabled->GetHandle());
  PressKey(VK_TAB);
  EXPECT_EQ(Focus(), hidden->GetHandle());
  PressKey(VK_TAB, true);
  PressKey(VK_TAB, true);
  EXPECT_EQ(Focus(), inner2->GetHandle());
}

TEST_F(KeyboardNavigationTest, AControlThatWantsTabKeepsItAndTheFormsOwnFocusStartsAtTheFirstTabStop) {
  auto* taker = new TTabTaker(&form);
  taker->SetParent(&form);
  taker->SetBounds(8, 8, 100, 40);
  auto* after = Add<TButton>(form, &form, 8, 60);
  ShowForm();
  taker->SetFocus();
  PressKey(VK_TAB);
  EXPECT_EQ(Focus(), taker->GetHandle());
  EXPECT_EQ(taker->Tabs, 1);

  // The form's own window, when it has the focus, hands it to the first tab stop.
  SetFocus(form.GetHandle());
  EXPECT_EQ(Focus(), taker->GetHandle());
  after->SetFocus();
  PressKey(VK_TAB);
  EXPECT_EQ(Focus(), taker->GetHandle());
}

TEST_F(KeyboardNavigationTest, AccessKeysClickButtonsMoveOnFromLabelsAndWaitForControlsThatTakeCharacters) {
  int saves = 0, gotos = 0, amps = 0;
  auto* list = Add<TListBox>(form, &form, 8, 8, 150, 80);
  list->GetItems().Add(L"apple");
  list->GetItems().Add(L"sun");
  auto* save = Add<TButton>(form, &form, 200, 8);
  save->SetCaption(L"&Save");
  save->OnClick = [&](TObject*) { ++saves; };
  auto* go = Add<TButton>(form, &form, 200, 40);
  go->SetCaption(L"&Goto");
  go->OnClick = [&](TObject*) { ++gotos; };
  auto* amp = Add<TButton>(form, &form, 200, 72);
  amp->SetCaption(L"Tom && Jerry");
  amp->OnClick = [&](TObject*) { ++amps; };
  auto* label = Add<TLabel>(form, &form, 8, 100);
  label->SetCaption(L"&Name:");
  auto* name = Add<TEdit>(form, &form, 80, 100);
  ShowForm();

  list->SetFocus();
  // With Alt the access key acts wherever the focus is; the focus stays.
  TypeAltChar(L's');
  EXPECT_EQ(saves, 1);
  EXPECT_EQ(Focus(), list->GetHandle());
  TypeAltChar(L'G');
  EXPECT_EQ(gotos, 1);
  // "&&" is an ampersand, no access key.
  EXPECT_FALSE(IsAccel(L'j', amp->GetCaption()));
  EXPECT_TRUE(IsAccel(L'J', L"Tom && &Jerry"));
  EXPECT_FALSE(IsAccel(L'x', L"Text&"));
  EXPECT_EQ(amps, 0);
  // A label's access key moves the focus to the control after it.
  TypeAltChar(L'n');
  EXPECT_EQ(Focus(), name->GetHandle());

  // Without Alt a letter goes to a control that takes characters (the
  // list's type-ahead), and is an access key only where none does.
  list->SetFocus();
  TypeChar(L's');
  EXPECT_EQ(saves, 1);
  EXPECT_EQ(list->GetItemIndex(), 1);
  go->SetFocus();
  TypeChar(L's');
  EXPECT_EQ(saves, 2);
  // A disabled button's access key does nothing.
  save->SetEnabled(false);
  TypeChar(L's');
  EXPECT_EQ(saves, 2);
  EXPECT_EQ(Focus(), go->GetHandle());
}

TEST_F(KeyboardNavigationTest, EnterAndEscReachTheDefaultAndCancelButtonsUnlessTheFocusedControlTakesAllKeys) {
  std::vector<std::string> clicks;
  auto* edit = Add<TEdit>(form, &form, 8, 8);
  auto* memo = Add<TMemo>(form, &form, 8, 40, 200, 60);
  auto* ok = Add<TButton>(form, &form, 8, 120);
  ok->SetCaption(L"OK");
  ok->SetDefault(true);
  ok->OnClick = [&](TObject*) { clicks.push_back("ok"); };
  auto* cancel = Add<TButton>(form, &form, 100, 120);
  cancel->SetCaption(L"Cancel");
  cancel->SetCancel(true);
  cancel->OnClick = [&](TObject*) { clicks.push_back("cancel"); };
  auto* other = Add<TButton>(form, &form, 200, 120);
  other->OnClick = [&](TObject*) { clicks.push_back("other"); };
  ShowForm();

  edit->SetFocus();
  PressKey(VK_RETURN);
  PressKey(VK_ESCAPE);
  // A focused button takes Enter itself.
  other->SetFocus();
  PressKey(VK_RETURN);
  EXPECT_EQ(clicks, (std::vector<std::string>{"ok", "cancel", "other"}));
  // The multi-line memo wants all keys: Enter is a new line there.
  clicks.clear();
  memo->SetFocus();
  PressKey(VK_RETURN);
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(clicks.empty());

  // Key preview: the form sees the key before its control, and a key it
  // consumes goes no further.
  std::vector<WORD> formKeys, editKeys;
  form.SetKeyPreview(true);
  form.OnKeyDown = [&](TObject*, WORD& key, TShiftState) {
    formKeys.push_back(key);
    if (key == VK_F2) key = 0;
  };
  edit->OnKeyDown = [&](TObject*, WORD& key, TShiftState) { editKeys.push_back(key); };
  edit->SetFocus();
  PressKey(VK_F3);
  PressKey(VK_F2);
  EXPECT_EQ(formKeys, (std::vector<WORD>{VK_F3, VK_F2}));
  EXPECT_EQ(editKeys, (std::vector<WORD>{VK_F3}));
}

TEST_F(KeyboardNavigationTest, TabReachesARadioGroupAtItsChoiceAndTheArrowsMoveTheChoice) {
  int clicks = 0;
  auto* before = Add<TButton>(form, &form, 8, 8);
  auto* one = Add<TRadioButton>(form, &form, 8, 40, 100, 17);
  auto* two = Add<TRadioButton>(form, &form, 120, 40, 100, 17);
  auto* three = Add<TRadioButton>(form, &form, 240, 40, 100, 17);
  three->SetCaption(L"&Third");
  auto* after = Add<TButton>(form, &form, 8, 80);
  for (TRadioButton* radio : {one, two, three}) radio->OnClick = [&](TObject*) { ++clicks; };
  two->SetChecked(true);
  ShowForm();

  before->SetFocus();
  PressKey(VK_TAB);
  EXPECT_EQ(Focus(), two->GetHandle());
  EXPECT_TRUE(two->GetChecked());
  EXPECT_EQ(clicks, 0);
  PressKey(VK_TAB);
  EXPECT_EQ(Focus(), after->GetHandle());
  PressKey(VK_TAB, true);
  EXPECT_EQ(Focus(), two->GetHandle());

  // The arrows move the choice round the group, as clicks do.
  PressKey(VK_DOWN);
  EXPECT_EQ(Focus(), three->GetHandle());
  EXPECT_TRUE(three->GetChecked());
  EXPECT_FALSE(two->GetChecked());
  EXPECT_EQ(clicks, 1);
  PressKey(VK_RIGHT);
  EXPECT_EQ(Focus(), one->GetHandle());
  EXPECT_TRUE(one->GetChecked());
  PressKey(VK_UP);
  EXPECT_EQ(Focus(), three->GetHandle());
  EXPECT_EQ(clicks, 3);
  // Tab now reaches the group at its new choice.
  after->SetFocus();
  PressKey(VK_TAB, true);
  EXPECT_EQ(Focus(), three->GetHandle());
  // An access key focuses and checks its button.
  one->SetFocus();
  TypeAltChar(L't');
  EXPECT_EQ(Focus(), three->GetHandle());
  EXPECT_TRUE(three->GetChecked());
  EXPECT_FALSE(one->GetChecked());
}

TEST_F(KeyboardNavigationTest, AFormActivatedAgainGivesTheFocusBackWhereTheUserLeftIt) {
  Add<TButton>(form, &form, 8, 8);
  auto* second = Add<TEdit>(form, &form, 8, 40);
  ShowForm();
  second->SetFocus();
  TForm other(nullptr);
  other.SetBounds(200, 200, 300, 200);
  auto* otherEdit = Add<TEdit>(other, &other, 8, 8);
  other.Show();
  SetForegroundWindow(other.GetHandle());
  SetActiveWindow(other.GetHandle());
  ASSERT_TRUE(PumpMessagesUntil([&] { return GetActiveWindow() == other.GetHandle(); }, 5000));
  EXPECT_EQ(Focus(), otherEdit->GetHandle());
  SetActiveWindow(form.GetHandle());
  ASSERT_TRUE(PumpMessagesUntil([&] { return GetActiveWindow() == form.GetHandle(); }, 5000));
  EXPECT_EQ(Focus(), second->GetHandle());
  EXPECT_EQ(form.GetActiveControl(), second);
}

}  // namespace
}  // namespace ts::test
