// Forms as top-level windows: the main form on the taskbar with the others
// belonging to it, windows the platform destroys with their owner, a form
// whose making fails, and the question whether the session may end.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <stdexcept>

#include "support/MessagePump.h"
#include "toolkit/Application.h"
#include "toolkit/Exception.h"
#include "toolkit/Forms.h"
#include "toolkit/StdCtrls.h"

namespace ts::test {
namespace {

HWND OwnerOf(HWND window) { return GetWindow(window, GW_OWNER); }
bool OnTaskbar(HWND window) { return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW) != 0; }

// The application's main form for the length of a test.
class TMainFormScope {
public:
  explicit TMainFormScope(TCustomForm& form) { Application->SetMainForm(&form); }
  ~TMainFormScope() { Application->SetMainForm(nullptr); }
  TMainFormScope(const TMainFormScope&) = delete;
  TMainFormScope& operator=(const TMainFormScope&) = delete;
};

TEST(MainFormTest, TheMainFormIsAWindowOfItsOwnOnTheTaskbarAndTheOtherFormsBelongToIt) {
  auto main = std::make_unique<TForm>(nullptr);
  main->SetCaption(L"Main");
  {
    TMainFormScope scope(*main);
    const HWND mainWindow = main->GetHandle();
    EXPECT_EQ(OwnerOf(mainWindow), nullptr);
    EXPECT_TRUE(OnTaskbar(mainWindow));

    TForm secondary(nullptr);
    secondary.Show();
    EXPECT_EQ(OwnerOf(secondary.GetHandle()), mainWindow);
    EXPECT_FALSE(OnTaskbar(secondary.GetHandle()));

    // A form whose window was made before it became the main form becomes
    // a window of its own.
    TForm early(nullptr);
    const HWND earlyWindow = early.GetHandle();
    EXPECT_EQ(OwnerOf(earlyWindow), mainWindow);
    TMainFormScope earlyScope(early);
    EXPECT_EQ(OwnerOf(earlyWindow), nullptr);
    EXPECT_TRUE(OnTaskbar(earlyWindow));
  }
  // Without a main form the forms belong to the hidden application window.
  TForm loose(nullptr);
  EXPECT_EQ(OwnerOf(loose.GetHandle()), Application->GetHandle());
  EXPECT_FALSE(OnTaskbar(loose.GetHandle()));
}

TEST(MainFormTest, AFormWhoseWindowGoesWithItsOwnerKeepsWhatItHeldAndMakesANewWindow) {
  auto main = std::make_unique<TForm>(nullptr);
  TMainFormScope scope(*main);
  main->Show();
  TForm secondary(nullptr);
  auto* list = new TListBox(&secondary);
  list->SetParent(&secondary);
  list->GetItems().Add(L"one");
  list->GetItems().Add(L"two");
  auto* yes = new TRadioButton(&secondary);
  yes->SetParent(&secondary);
  yes->SetTop(120);
  secondary.Show();
  SendMessageW(list->GetHandle(), LB_SETCURSEL, 1, 0);
  SendMessageW(yes->GetHandle(), BM_SETCHECK, BST_CHECKED, 0);
  const HWND old = secondary.GetHandle();
  ASSERT_EQ(OwnerOf(old), main->GetHandle());

  // Freeing the main form destroys the windows that belong to it.
  main.reset();
  EXPECT_FALSE(IsWindow(old));
  EXPECT_FALSE(secondary.HandleAllocated());
  EXPECT_FALSE(list->HandleAllocated());
  EXPECT_EQ(TWinControl::FromHandle(old), nullptr);
  EXPECT_EQ(list->GetItemIndex(), 1);
  EXPECT_TRUE(yes->GetChecked());

  secondary.Show();
  EXPECT_TRUE(IsWindow(secondary.GetHandle()));
  EXPECT_EQ(SendMessageW(list->GetHandle(), LB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageW(list->GetHandle(), LB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(SendMessageW(yes->GetHandle(), BM_GETCHECK, 0, 0), BST_CHECKED);
}

// A form whose creation ends in an error, counting its frees.
int gFreedForms = 0;
class TFailingForm : public TForm {
public:
  explicit TFailingForm(TComponent* owner) : TForm(owner) {
    OnCreate = [](TObject*) { throw EInvalidOperation(L"cannot be made"); };
  }
  ~TFailingForm() override { ++gFreedForms; }
};

TEST(CreateFormTest, AFormWhoseMakingFailsIsFreedAndTheErrorGoesOn) {
  const int components = Application->GetComponentCount();
  TFailingForm* form = nullptr;
  EXPECT_THROW(Application->CreateForm(form), EInvalidOperation);
  EXPECT_EQ(form, nullptr);
  EXPECT_EQ(gFreedForms, 1);
  EXPECT_EQ(Application->GetComponentCount(), components);
  for (int i = 0; i < Screen->GetFormCount(); ++i) EXPECT_EQ(dynamic_cast<TFailingForm*>(Screen->GetForm(i)), nullptr);
}

TEST(SessionTest, AFormAnswersWhetherTheSessionMayEndAsItAnswersClosing) {
  TForm form(nullptr);
  form.Show();
  EXPECT_EQ(SendMessageW(form.GetHandle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  form.OnCloseQuery = [](TObject*, bool& canClose) { canClose = false; };
  EXPECT_EQ(SendMessageW(form.GetHandle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), FALSE);
  // Only asked: the form stays, and an end that does not come changes nothing.
  EXPECT_TRUE(IsWindowVisible(form.GetHandle()));
  int ends = 0;
  form.OnEndSession = [&](TObject*) { ++ends; };
  SendMessageW(form.GetHandle(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
  EXPECT_EQ(ends, 0);
  EXPECT_FALSE(Application->GetSessionEnded());
  EXPECT_FALSE(Application->GetTerminated());
}

}  // namespace
}  // namespace ts::test
