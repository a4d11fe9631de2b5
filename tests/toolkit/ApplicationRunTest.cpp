// The application's message loop: the main form, worker calls inside the
// loop, and closing the main form ending it. Its own program, since a
// terminated application stays terminated.
#include <gtest/gtest.h>

#include "toolkit/Application.h"
#include "toolkit/Forms.h"
#include "toolkit/Thread.h"

namespace ts::test {
namespace {

class TClosingThread : public TThread {
public:
  explicit TClosingThread(TCustomForm& form) : fForm(form) {}
  DWORD CallThread = 0;

protected:
  void Execute() override {
    Sleep(50);
    Synchronize([this] {
      CallThread = GetCurrentThreadId();
      PostMessageW(fForm.GetHandle(), WM_CLOSE, 0, 0);
    });
  }

private:
  TCustomForm& fForm;
};

TEST(ApplicationRunTest, AWorkersCallRunsInTheLoopAndClosingTheMainFormEndsIt) {
  TForm* form = nullptr;
  int created = 0, shown = 0;
  Application->CreateForm(form);
  ASSERT_EQ(Application->GetMainForm(), form);
  form->OnShow = [&](TObject*) { ++shown; };
  (void)created;
  TForm* second = nullptr;
  Application->CreateForm(second);
  EXPECT_EQ(Application->GetMainForm(), form);  // the first one stays the main form

  TClosingThread thread(*form);
  thread.Start();
  Application->Run();
  thread.WaitFor();
  EXPECT_TRUE(Application->GetTerminated());
  EXPECT_EQ(thread.CallThread, MainThreadID());
  EXPECT_EQ(shown, 1);
  EXPECT_FALSE(IsWindowVisible(form->GetHandle()));
}

}  // namespace
}  // namespace ts::test
