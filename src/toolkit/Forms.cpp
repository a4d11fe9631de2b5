#include "toolkit/Forms.h"

#include <algorithm>

#include "toolkit/Application.h"
#include "toolkit/StdCtrls.h"

namespace ts {

namespace {

TScreen gScreen;
constexpr UINT CM_RELEASE = WM_APP + 0x3F01;

BOOL CALLBACK CollectEnabledWindow(HWND window, LPARAM list) {
  if (IsWindowVisible(window) && IsWindowEnabled(window)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

}  // namespace

TScreen* Screen = &gScreen;

TCustomForm* TScreen::GetActiveForm() const {
  return dynamic_cast<TCustomForm*>(TWinControl::FromHandle(GetActiveWindow()));
}

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner) {
  // A form is shown by Show or ShowModal, not by making its window.
  TControl::SetVisible(false);
  fWidth = 320;
  fHeight = 240;
  Screen->fForms.push_back(this);
  Application->FormConstructed(this);
}

TCustomForm::~TCustomForm() {
  if (OnDestroy) {
    try {
      OnDestroy(this);
    } catch (...) {
      Application->HandleException();
    }
  }
  if (Application->GetMainForm() == this) Application->SetMainForm(nullptr);
  std::erase(Screen->fForms, this);
}

void TCustomForm::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.Style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  params.ExStyle = WS_EX_CONTROLPARENT;
  if (Application->IsMainForm(this)) {
    // A window of its own, with its button on the taskbar and its place in
    // the task switcher, as any program's main window.
    params.WndParent = nullptr;
    params.ExStyle |= WS_EX_APPWINDOW;
  } else {
    params.WndParent = Application->FormOwnerWindow();
  }
}

void TCustomForm::InitializeWindow() {
  if (fMenu != nullptr) ::SetMenu(fHandle, fMenu->GetHandle());
}

void TCustomForm::SetClientWidth(int value) {
  RECT r{0, 0, value, 100};
  AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, fMenu != nullptr, 0);
  SetWidth(r.right - r.left);
}

void TCustomForm::SetClientHeight(int value) {
  RECT r{0, 0, 100, value};
  AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, fMenu != nullptr, 0);
  SetHeight(r.bottom - r.top);
}

TWindowState TCustomForm::GetWindowState() const {
  if (fHandle == nullptr || !IsWindowVisible(fHandle)) return fWindowState;
  if (IsZoomed(fHandle)) return wsMaximized;
  if (IsIconic(fHandle)) return wsMinimized;
  return wsNormal;
}

void TCustomForm::SetWindowState(TWindowState value) {
  fWindowState = value;
  if (fHandle == nullptr || !IsWindowVisible(fHandle)) return;
  ShowWindow(fHandle, value == wsMaximized ? SW_MAXIMIZE : value == wsMinimized ? SW_MINIMIZE : SW_RESTORE);
}

RECT TCustomForm::GetNormalBounds() const {
  if (fHandle == nullptr) return GetBoundsRect();
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  GetWindowPlacement(fHandle, &placement);
  return placement.rcNormalPosition;
}

void TCustomForm::SetMenu(TMainMenu* value) {
  if (fMenu != nullptr) fMenu->RemoveFreeNotification(this);
  fMenu = value;
  if (value != nullptr) value->FreeNotification(this);
  if (fHandle != nullptr) ::SetMenu(fHandle, value != nullptr ? value->GetHandle() : nullptr);
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == opRemove && component == fMenu) {
    fMenu = nullptr;
    if (fHandle != nullptr) ::SetMenu(fHandle, nullptr);
  }
}

void TCustomForm::DoCreate() {
  if (OnCreate) OnCreate(this);
}

void TCustomForm::MakeFullyVisible() {
  RECT bounds = GetBoundsRect();
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(MonitorFromRect(&bounds, MONITOR_DEFAULTTONEAREST), &info)) return;
  const RECT& work = info.rcWork;
  const int width = std::min(fWidth, static_cast<int>(work.right - work.left));
  const int height = std::min(fHeight, static_cast<int>(work.bottom - work.top));
  const int left = std::clamp(fLeft, static_cast<int>(work.left), static_cast<int>(work.right) - width);
  const int top = std::clamp(fTop, static_cast<int>(work.top), static_cast<int>(work.bottom) - height);
  if (left != fLeft || top != fTop || width != fWidth || height != fHeight) SetBounds(left, top, width, height);
}

void TCustomForm::EndSession() {
  if (OnEndSession) OnEndSession(this);
}

TWinControl* TCustomForm::GetActiveControl() const {
  if (fHandle == nullptr) return nullptr;
  HWND focus = GetFocus();
  if (focus == nullptr || !IsChild(fHandle, focus)) focus = fFocusedWindow;
  if (focus == nullptr || !IsWindow(focus) || !IsChild(fHandle, focus)) return nullptr;
  for (HWND window = focus; window != nullptr && window != fHandle; window = ::GetParent(window))
    if (TWinControl* control = FromHandle(window)) return control;
  return nullptr;
}

bool TCustomForm::RestoreFocus() {
  HWND target = fFocusedWindow;
  if (target != nullptr && (!IsWindow(target) || !IsChild(fHandle, target))) target = nullptr;
  TWinControl* control = nullptr;
  for (HWND window = target; window != nullptr && window != fHandle && control == nullptr;
       window = ::GetParent(window))
    control = FromHandle(window);
  if (control != nullptr && control->CanBeReached()) {
    ::SetFocus(target);
    if (GetFocus() == target) return true;
  }
  return SelectNext(nullptr, true, true);
}

void TCustomForm::ApplyPosition() {
  if (fPositioned) return;
  fPositioned = true;
  if (fPosition == poScreenCenter || fPosition == poMainFormCenter) {
    RECT area{0, 0, Screen->GetWidth(), Screen->GetHeight()};
    TCustomForm* main = Application->GetMainForm();
    if (fPosition == poMainFormCenter && main != nullptr && main != this) area = main->GetBoundsRect();
    SetBounds(area.left + (area.right - area.left - fWidth) / 2, area.top + (area.bottom - area.top - fHeight) / 2,
              fWidth, fHeight);
  }
}

void TCustomForm::Show() {
  const bool wasVisible = fHandle != nullptr && IsWindowVisible(fHandle);
  TControl::SetVisible(true);
  HandleNeeded();
  ApplyPosition();
  ShowWindow(fHandle, fWindowState == wsMaximized   ? SW_SHOWMAXIMIZED
                      : fWindowState == wsMinimized ? SW_SHOWMINIMIZED
                                                    : SW_SHOWNORMAL);
  if (!wasVisible && OnShow) OnShow(this);
}

void TCustomForm::Hide() {
  const bool wasVisible = fHandle != nullptr && IsWindowVisible(fHandle);
  TControl::SetVisible(false);
  if (fHandle == nullptr) return;
  if (wasVisible) fWindowState = GetWindowState();
  ShowWindow(fHandle, SW_HIDE);
  if (wasVisible && OnHide) OnHide(this);
}

TModalResult TCustomForm::ShowModal() {
  // Every other window of the program waits for this one.
  std::vector<HWND> disabled;
  EnumThreadWindows(GetCurrentThreadId(), &CollectEnabledWindow, reinterpret_cast<LPARAM>(&disabled));
  for (HWND window : disabled) EnableWindow(window, FALSE);
  fModal = true;
  fModalResult = mrNone;
  try {
    Show();
    SetForegroundWindow(fHandle);
    while (fModalResult == mrNone && !Application->GetTerminated()) {
      Application->HandleMessage();
      if (fHandle == nullptr || !IsWindowVisible(fHandle)) break;
    }
  } catch (...) {
    fModal = false;
    for (HWND window : disabled) EnableWindow(window, TRUE);
    throw;
  }
  fModal = false;
  for (HWND window : disabled) EnableWindow(window, TRUE);
  Hide();
  if (fModalResult == mrNone) fModalResult = mrCancel;
  return fModalResult;
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::Close() {
  if (!CloseQuery()) return;
  TCloseAction action = fModal ? caHide : (Application->GetMainForm() == this ? caFree : caHide);
  if (OnClose) OnClose(this, action);
  if (action == caNone) return;
  if (fModal) {
    fModalResult = mrCancel;
    return;
  }
  if (Application->GetMainForm() == this) {
    Hide();
    Application->Terminate();
    return;
  }
  switch (action) {
    case caHide: Hide(); break;
    case caMinimize: SetWindowState(wsMinimized); break;
    case caFree:
      Hide();
      PostMessageW(fHandle, CM_RELEASE, 0, 0);
      break;
    default: break;
  }
}

void TCustomForm::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_CLOSE:
      Close();
      return;
    case WM_ACTIVATE:
      if (LOWORD(message.WParam) == WA_INACTIVE) {
        // The focus is still where the user left it.
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(fHandle, focus)) fFocusedWindow = focus;
      } else if (HIWORD(message.WParam) == 0 && RestoreFocus()) {
        message.Result = 0;
        return;
      }
      break;
    case WM_SETFOCUS:
      // The form passes the focus on to its control, as a dialog does.
      TWinControl::WndProc(message);
      if (IsWindowVisible(fHandle) && !IsIconic(fHandle)) RestoreFocus();
      return;
    case WM_QUERYENDSESSION:
      message.Result = CloseQuery() ? TRUE : FALSE;
      return;
    case WM_ENDSESSION:
      if (message.WParam != 0) Application->EndSession();
      message.Result = 0;
      return;
    case CM_RELEASE:
      delete this;
      return;
    case WM_MENUSELECT:
      Application->SetHint(MenuItemHint(LOWORD(message.WParam)));
      break;
    default:
      break;
  }
  TWinControl::WndProc(message);
}

}  // namespace ts
