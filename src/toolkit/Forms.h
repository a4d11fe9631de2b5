#pragma once
// Forms (top-level windows with a caption, a client size, a position, a
// window state whose normal bounds are kept while maximized, modal showing
// with a result, and closing that hides a secondary form and ends the
// program for the main one), the screen object with the program's cursor
// and its forms, and the hourglass scope.
//
// The main form is a window of its own on the taskbar and in the task
// switcher; the other forms belong to it (they stay above it and are
// minimized with it). A form keeps the keyboard focus where the user left
// it when it is activated again, and offers the keyboard interface of the
// platform's dialogs (KeyboardNavigation.cpp).
#include <windows.h>

#include "toolkit/Controls.h"
#include "toolkit/Menus.h"

namespace ts {

enum TWindowState : uint8_t { wsNormal, wsMinimized, wsMaximized };
enum TPosition : uint8_t { poDesigned, poDefault, poScreenCenter, poMainFormCenter };
enum TCloseAction : uint8_t { caNone, caHide, caFree, caMinimize };
using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrAbort = IDABORT, mrRetry = IDRETRY,
                       mrIgnore = IDIGNORE, mrYes = IDYES, mrNo = IDNO;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TCustomForm : public TWinControl {
  TS_CLASS(TCustomForm, TWinControl)

public:
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;

  void SetClientWidth(int value);
  void SetClientHeight(int value);
  TPosition GetPosition() const noexcept { return fPosition; }
  void SetPosition(TPosition value) noexcept { fPosition = value; }
  TWindowState GetWindowState() const;
  void SetWindowState(TWindowState value);
  // The bounds of the normal state, also while maximized or minimized.
  RECT GetNormalBounds() const;

  void Show();
  void Hide();
  TModalResult ShowModal();
  TModalResult GetModalResult() const noexcept { return fModalResult; }
  void SetModalResult(TModalResult value) noexcept { fModalResult = value; }
  bool IsModal() const noexcept { return fModal; }
  void Close();
  // The form's response to a navigation key that the focused window does
  // not take itself: Tab and Shift+Tab move through the tab stops, the
  // arrow keys through a group of radio buttons, Enter and Esc click the
  // default and cancel buttons (Enter a focused button). Answers whether
  // the key was used.
  virtual bool DialogKey(WORD key, HWND focus);
  // An access key: the first control of the form whose caption has it acts.
  bool DialogChar(wchar_t key) override;
  // With KeyPreview the form's key events see every key pressed in its
  // controls first; a key the form consumes (sets to 0) goes no further.
  bool GetKeyPreview() const noexcept { return fKeyPreview; }
  void SetKeyPreview(bool value) noexcept { fKeyPreview = value; }
  // The control of the form that had the focus last, or null.
  TWinControl* GetActiveControl() const;
  // Moves the bounds wholly onto the work area of the monitor nearest to
  // them (made smaller where they are larger): bounds kept from a monitor
  // that is gone, or from a larger screen, come back where they can be seen.
  void MakeFullyVisible();
  // The user's session is ending (log-off, shut-down): the program may be
  // ended at any moment once this returns, so a form writes here what it
  // would write when freed. Fires OnEndSession.
  virtual void EndSession();

  TMainMenu* GetMenu() const noexcept { return fMenu; }
  void SetMenu(TMainMenu* value);
  // Fires OnCreate; the application does so for the forms it creates.
  void DoCreate();

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnDestroy;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnEndSession;

  void WndProc(TMessage& message) override;

protected:
  void CreateParams(TCreateParams& params) override;
  void InitializeWindow() override;
  virtual bool CloseQuery();
  void Notification(TComponent* component, TOperation operation) override;

private:
  void ApplyPosition();
  // The focus back on the control that had it, or on the first tab stop;
  // answers whether a control took it.
  bool RestoreFocus();

  TPosition fPosition = poDesigned;
  TWindowState fWindowState = wsNormal;
  TModalResult fModalResult = mrNone;
  bool fModal = false;
  bool fPositioned = false;
  bool fKeyPreview = false;
  TMainMenu* fMenu = nullptr;
  // The window inside the form that had the focus when it was deactivated.
  HWND fFocusedWindow = nullptr;
};

class TForm : public TCustomForm {
  TS_CLASS(TForm, TCustomForm)

public:
  using TCustomForm::TCustomForm;
};

class TScreen {
public:
  TCursor GetCursor() const { return ScreenCursor(); }
  void SetCursor(TCursor value) { SetScreenCursor(value); }
  // The form of the active window, or null.
  TCustomForm* GetActiveForm() const;
  int GetWidth() const { return GetSystemMetrics(SM_CXSCREEN); }
  int GetHeight() const { return GetSystemMetrics(SM_CYSCREEN); }
  // The forms that exist, in the order they were made.
  int GetFormCount() const noexcept { return static_cast<int>(fForms.size()); }
  TCustomForm* GetForm(int index) const { return fForms[static_cast<size_t>(index)]; }

private:
  friend class TCustomForm;
  std::vector<TCustomForm*> fForms;
};

extern TScreen* Screen;

// The hourglass for the length of a scope; the previous cursor after it,
// also when the scope ends by an exception.
class THourglassScope {
public:
  THourglassScope() : fPrevious(Screen->GetCursor()) { Screen->SetCursor(crHourGlass); }
  ~THourglassScope() { Screen->SetCursor(fPrevious); }
  THourglassScope(const THourglassScope&) = delete;
  THourglassScope& operator=(const THourglassScope&) = delete;

private:
  TCursor fPrevious;
};

}  // namespace ts
