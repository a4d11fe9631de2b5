// Forms as top-level windows: the main form on the taskbar with the others
// belonging to it, windows the platform destroys with their owner, bounds
// brought back onto the screen, a form whose making fails, and the question
// whether the session may end.
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

TEST(FormBoundsTest, BoundsOffEveryMonitorComeBackOntoTheNearestWorkArea) {
  TForm form(nullptr);
  RECT probe{0, 0, 10, 10};
  MONITORINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetMonitorInfoW(MonitorFromRect(&probe, MONITOR_DEFAULTTONEAREST), &info));
  const RECT work = info.rcWork;
  auto inside = [&](const RECT& r) {
    return r.left >= work.left && r.top >= work.top && r.right <= work.right && r.bottom <= work.bottom;
  };

  // Where a second monitor was, right and below.
  form.SetBounds(work.right + 2000, work.bottom + 900, 400, 300);
  form.MakeFullyVisible();
  EXPECT_TRUE(inside(form.GetBoundsRect()));
  EXPECT_EQ(form.GetWidth(), 400);
  EXPECT_EQ(form.GetHeight(), 300);
  EXPECT_EQ(form.GetLeft(), work.right - 400);
  // Left and above.
  form.SetBounds(work.left - 3000, work.top - 5000, 400, 300);
  form.MakeFullyVisible();
  EXPECT_EQ(form.GetLeft(), work.left);
  EXPECT_EQ(form.GetTop(), work.top);
  // Larger than the screen: made to fit.
  form.SetBounds(work.left + 10, work.top + 10, 9000, 7000);
  form.MakeFullyVisible();
  EXPECT_EQ(form.GetBoundsRect().left, work.left);
  EXPECT_EQ(form.GetWidth(), work.right - work.left);
  EXPECT_EQ(form.GetHeight(), work.bottom - work.top);
  // Partly off the edge: moved in, its size kept.
  form.SetBounds(work.right - 100, work.top + 50, 400, 300);
  form.MakeFullyVisible();
  EXPECT_EQ(form.GetLeft(), work.right - 400);
  EXPECT_EQ(form.GetTop(), work.top + 50);
  // Wholly on the screen: left where it is, also with its window made.
  form.HandleNeeded();
  form.SetBounds(work.left + 30, work.top + 40, 300, 200);
  form.MakeFullyVisible();
  EXPECT_EQ(form.GetLeft(), work.left + 30);
  EXPECT_EQ(form.GetTop(), work.top + 40);
  RECT window;
  GetWindowRect(form.GetHandle(), &window);
  EXPECT_EQ(window.left, work.left + 30);
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
