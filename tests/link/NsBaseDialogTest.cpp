// The dialog components' base: one pair of events around the platform dialog
// a subclass runs, and the window that dialog is shown over.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/NsBaseDialog.h"
#include "shell/ProcessInfo.h"
#include "toolkit/ExtCtrls.h"
#include "toolkit/Forms.h"

namespace ts::test {
namespace {

using TLog = std::vector<std::wstring>;

// Closes the platform's message box of this thread, noting that it was open.
TLog* gLog = nullptr;
BOOL CALLBACK CloseBox(HWND window, LPARAM) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (std::wstring(name) != L"#32770" || !IsWindowVisible(window)) return TRUE;
  if (gLog != nullptr) gLog->push_back(L"dialog open");
  PostMessageW(window, WM_COMMAND, IDOK, 0);
  return FALSE;
}
void CALLBACK CloseBoxTimer(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), CloseBox, 0); }

// A dialog component whose platform dialog is a message box over the parent.
class TBoxDialog : public TNsBaseDialog {
public:
  using TNsBaseDialog::TNsBaseDialog;
  using TNsBaseDialog::Execute;
  bool Execute(HWND parent) override {
    Parent = parent;
    DoShow();
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, CloseBoxTimer);
    const int answer = MessageBoxW(parent, L"text", L"caption", MB_OK);
    KillTimer(nullptr, timer);
    DoClose();
    return answer == IDOK;
  }
  HWND Parent = reinterpret_cast<HWND>(1);
};

TEST(NsBaseDialogTest, OneShowAndOneCloseEventAroundThePlatformDialog) {
  TBoxDialog dialog(nullptr);
  TLog log;
  gLog = &log;
  // The events as fields, as a form's code assigns them ...
  dialog.OnShow = [&](TObject* sender) {
    EXPECT_EQ(sender, &dialog);
    log.push_back(L"show");
  };
  dialog.OnClose = [&](TObject*) { log.push_back(L"close"); };
  EXPECT_TRUE(dialog.Execute(nullptr));
  EXPECT_EQ(log, (TLog{L"show", L"dialog open", L"close"}));

  // ... and through the accessors: the same two events.
  log.clear();
  dialog.SetOnClose([&](TObject*) { log.push_back(L"closed by the accessor"); });
  EXPECT_TRUE(static_cast<bool>(dialog.OnClose));
  EXPECT_TRUE(static_cast<bool>(dialog.GetOnShow()));
  TCommonDialog& base = dialog;
  EXPECT_TRUE(base.Execute(nullptr));
  EXPECT_EQ(log, (TLog{L"show", L"dialog open", L"closed by the accessor"}));
  gLog = nullptr;
}

TEST(NsBaseDialogTest, WithoutAParentTheFirstFormUpTheOwnerChainIsUsed) {
  TForm form(nullptr);
  auto* panel = new TPanel(&form);
  auto* onForm = new TBoxDialog(&form);
  auto* onPanel = new TBoxDialog(panel);
  TCommonDialog& asBase = *onPanel;
  EXPECT_TRUE(asBase.Execute());
  EXPECT_EQ(onPanel->Parent, form.GetHandle());
  EXPECT_TRUE(onForm->Execute());
  EXPECT_EQ(onForm->Parent, form.GetHandle());

  // No form among the owners: the program's main window.
  TComponent module(nullptr);
  TBoxDialog onModule(&module);
  EXPECT_TRUE(onModule.Execute());
  EXPECT_EQ(onModule.Parent, GetMainWindowHandle());
  TBoxDialog alone(nullptr);
  EXPECT_TRUE(alone.Execute());
  EXPECT_EQ(alone.Parent, GetMainWindowHandle());
  EXPECT_NE(alone.Parent, nullptr);
}

}  // namespace
}  // namespace ts::test
