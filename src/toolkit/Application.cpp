#include "toolkit/Application.h"

#include <vector>

#include "toolkit/Exception.h"
#include "toolkit/FilePaths.h"
#include "toolkit/Forms.h"
#include "toolkit/Synchronize.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace ts {

namespace {

constexpr wchar_t kApplicationWindowClass[] = L"TApplication";

LRESULT CALLBACK ApplicationWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == SynchronizeMessage()) {
    // Nothing may escape a window procedure; a call's own error goes back
    // to the thread that queued it.
    try {
      CheckSynchronize();
    } catch (...) {
      Application->HandleException();
    }
    return 0;
  }
  switch (msg) {
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wParam != 0) {
        try {
          Application->EndSession();
        } catch (...) {
          Application->HandleException();
        }
      }
      return 0;
    default:
      return DefWindowProcW(wnd, msg, wParam, lParam);
  }
}

std::wstring ModuleBaseName() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring name = ExtractFileName(std::wstring(path, n));
  return ChangeFileExt(name, L"");
}

TApplication gApplication;

}  // namespace

TApplication* Application = &gApplication;

bool IsLibrary() { return reinterpret_cast<HMODULE>(&__ImageBase) != GetModuleHandleW(nullptr); }

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() { DestroyHandle(); }

HWND TApplication::GetHandle() {
  if (fHandle != nullptr || IsLibrary()) return fHandle;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  if (!GetClassInfoW(instance, kApplicationWindowClass, &wc)) {
    wc.lpfnWndProc = ApplicationWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kApplicationWindowClass;
    RegisterClassW(&wc);
  }
  // A zero-sized, never shown top-level window, as owner of the program's windows.
  fHandle = CreateWindowExW(0, kApplicationWindowClass, GetTitle().c_str(), WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS,
                            0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
  SetSynchronizeWindow(fHandle);
  return fHandle;
}

void TApplication::DestroyHandle() {
  SetSynchronizeWindow(nullptr);
  if (fHandle != nullptr && IsWindow(fHandle)) DestroyWindow(fHandle);
  fHandle = nullptr;
}

std::wstring TApplication::GetTitle() const { return fTitle.empty() ? ModuleBaseName() : fTitle; }

bool TApplication::ProcessMessage(MSG& msg) {
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    fTerminated = true;
    return true;
  }
  if (msg.hwnd == nullptr && msg.message == SynchronizeMessage()) {
    CheckSynchronize();
    return true;
  }
  if (IsKeyMsg(msg)) return true;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
  return true;
}

bool TApplication::IsKeyMsg(const MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_CHAR && msg.message != WM_SYSCHAR) return false;
  TWinControl* control = TWinControl::FindControlForWindow(msg.hwnd);
  TCustomForm* form = control != nullptr ? control->GetParentForm() : nullptr;
  if (form == nullptr || !form->HandleAllocated()) return false;
  // Asked without the message, as a control of the framework asks: an edit
  // field told of a dialog would act on the dialog itself.
  auto dialogCode = [&msg] { return SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, 0); };
  switch (msg.message) {
    case WM_KEYDOWN: {
      LRESULT wanted = 0;
      switch (msg.wParam) {
        case VK_TAB: wanted = DLGC_WANTTAB; break;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN: wanted = DLGC_WANTARROWS; break;
        case VK_RETURN:
        case VK_ESCAPE: wanted = DLGC_WANTALLKEYS; break;
        default: return false;
      }
      if ((dialogCode() & wanted) != 0) return false;
      return form->DialogKey(static_cast<WORD>(msg.wParam), msg.hwnd);
    }
    case WM_SYSCHAR:
      return form->DialogChar(static_cast<wchar_t>(msg.wParam));
    default:
      // A plain letter is an access key where the focused control takes no
      // characters (a button).
      if (msg.wParam <= L' ' || (dialogCode() & (DLGC_WANTCHARS | DLGC_WANTALLKEYS)) != 0) return false;
      return form->DialogChar(static_cast<wchar_t>(msg.wParam));
  }
}

void TApplication::SetMainForm(TCustomForm* form) {
  fMainForm = form;
  fMainFormHandle = nullptr;
  if (form == nullptr) return;
  const bool made = form->HandleAllocated();
  fMainFormHandle = form->GetHandle();
  if (!made) return;
  // A window made before the form became the main form was made as one
  // belonging to another: it becomes a window of its own.
  if (GetWindow(fMainFormHandle, GW_OWNER) != nullptr) SetWindowLongPtrW(fMainFormHandle, GWLP_HWNDPARENT, 0);
  const LONG_PTR exStyle = GetWindowLongPtrW(fMainFormHandle, GWL_EXSTYLE);
  if ((exStyle & WS_EX_APPWINDOW) == 0) SetWindowLongPtrW(fMainFormHandle, GWL_EXSTYLE, exStyle | WS_EX_APPWINDOW);
}

HWND TApplication::FormOwnerWindow() {
  if (fMainForm != nullptr && fMainForm->HandleAllocated()) return fMainForm->GetHandle();
  return GetHandle();
}

void TApplication::EndSession() {
  if (fSessionEnded) return;
  fSessionEnded = true;
  // A form's handler may free forms: each is looked for again before it is told.
  std::vector<TCustomForm*> forms;
  for (int i = 0; i < Screen->GetFormCount(); ++i) forms.push_back(Screen->GetForm(i));
  for (TCustomForm* form : forms) {
    bool exists = false;
    for (int i = 0; i < Screen->GetFormCount() && !exists; ++i) exists = Screen->GetForm(i) == form;
    if (!exists) continue;
    try {
      form->EndSession();
    } catch (...) {
      HandleException();
    }
  }
  Terminate();
}

void TApplication::SetHint(const std::wstring& value) {
  if (value == fHint) return;
  fHint = value;
  if (OnHint) OnHint(this);
}

void TApplication::HandleMessage() {
  MSG msg;
  if (!ProcessMessage(msg) && !CheckSynchronize()) WaitMessage();
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
}

void TApplication::Run() {
  if (fMainForm != nullptr) fMainForm->Show();
  while (!fTerminated) {
    MSG msg;
    if (ProcessMessage(msg)) continue;
    // A wake-up lost to a modal loop that dropped thread messages.
    if (!CheckSynchronize()) WaitMessage();
  }
}

void TApplication::Terminate() {
  if (!fTerminated) PostQuitMessage(0);
  fTerminated = true;
}

int TApplication::ShowMessageBox(const std::wstring& text, const std::wstring& caption, UINT flags) {
  HWND owner = GetActiveWindow();
  if (owner == nullptr) owner = fMainFormHandle;
  return MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
}

void TApplication::HandleException(const std::exception& error) {
  if (dynamic_cast<const EAbort*>(&error) != nullptr) return;
  if (OnException) {
    OnException(this, error);
    return;
  }
  std::wstring text;
  if (auto* e = dynamic_cast<const Exception*>(&error)) {
    text = e->Message();
  } else {
    std::string narrow = error.what();
    text.assign(narrow.begin(), narrow.end());
  }
  ShowMessageBox(text, GetTitle(), MB_OK | MB_ICONSTOP);
}

void TApplication::HandleException() {
  try {
    throw;
  } catch (const std::exception& e) {
    HandleException(e);
  } catch (...) {
    HandleException(Exception(L"Unknown error"));
  }
}

}  // namespace ts
