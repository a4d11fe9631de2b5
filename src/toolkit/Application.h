#pragma once
// The application object: the hidden application window that owns the
// program's windows until there is a main form, the main form's window, the
// message loop (which hands the keyboard interface of dialogs to the forms),
// termination, the end of the user's session, and the message box every
// unhandled error ends in.
#include <windows.h>

#include <exception>
#include <functional>
#include <string>

#include "toolkit/Component.h"
#include "toolkit/StringList.h"

namespace ts {

class TCustomForm;

class TApplication : public TComponent {
  TS_CLASS(TApplication, TComponent)

public:
  TApplication();
  ~TApplication() override;

  // The hidden application window, made on first use; 0 when it cannot be made.
  HWND GetHandle();
  bool HandleAllocated() const noexcept { return fHandle != nullptr; }
  HWND GetMainFormHandle() const noexcept { return fMainFormHandle; }
  void SetMainFormHandle(HWND handle) noexcept { fMainFormHandle = handle; }

  std::wstring GetTitle() const;
  void SetTitle(const std::wstring& title) { fTitle = title; }

  // The first form made with CreateForm; closing it ends the program.
  TCustomForm* GetMainForm() const noexcept { return fMainForm; }
  // Makes the form's window (a window of its own, on the taskbar).
  void SetMainForm(TCustomForm* form);
  // The main form, or the form CreateForm is making to be the main form.
  bool IsMainForm(const TCustomForm* form) const noexcept {
    return form != nullptr && (form == fMainForm || form == fMainFormBeingMade);
  }
  // The window the other forms' windows belong to: the main form's once it
  // has one, else the hidden application window.
  HWND FormOwnerWindow();
  // Makes a form owned by the application; the first one is the main form.
  // A form whose making fails is freed again, and the error goes on to the
  // caller with reference left null.
  template <typename T>
  void CreateForm(T*& reference) {
    reference = nullptr;
    fClaimMainForm = fMainForm == nullptr;
    T* form = nullptr;
    try {
      form = new T(this);
      fClaimMainForm = false;
      if (fMainForm == nullptr) SetMainForm(form);
      fMainFormBeingMade = nullptr;
      form->DoCreate();
    } catch (...) {
      fClaimMainForm = false;
      fMainFormBeingMade = nullptr;
      delete form;
      throw;
    }
    reference = form;
  }
  // Called by every form as it is made.
  void FormConstructed(TCustomForm* form) noexcept {
    if (!fClaimMainForm) return;
    fClaimMainForm = false;
    fMainFormBeingMade = form;
  }

  // The hint of what is under the mouse or selected in a menu.
  const std::wstring& GetHint() const noexcept { return fHint; }
  void SetHint(const std::wstring& value);
  TNotifyEvent OnHint;

  // Runs the message loop until the application terminates; shows the main
  // form first.
  void Run();
  // Handles one message, waiting for one when there is none.
  void HandleMessage();
  // Handles every message waiting in the queue, then returns.
  void ProcessMessages();
  void Terminate();
  bool GetTerminated() const noexcept { return fTerminated; }
  // The user's session is ending: every form writes what it keeps
  // (TCustomForm::EndSession, in the order the forms were made), once, and
  // the message loop ends.
  void EndSession();
  bool GetSessionEnded() const noexcept { return fSessionEnded; }

  // The platform's message box, owned by the active or main window.
  int ShowMessageBox(const std::wstring& text, const std::wstring& caption, UINT flags);
  // Reports an error that reached a boundary (window procedure, callback):
  // OnException when assigned, else an error box; EAbort is silent.
  void HandleException(const std::exception& error);
  void HandleException();

  std::function<void(TObject* sender, const std::exception& error)> OnException;

private:
  bool ProcessMessage(MSG& msg);
  // The keyboard interface of dialogs: a key that the focused window does
  // not take itself goes to its form; answers whether the form used it.
  bool IsKeyMsg(const MSG& msg);
  void DestroyHandle();

  HWND fHandle = nullptr;
  HWND fMainFormHandle = nullptr;
  TCustomForm* fMainForm = nullptr;
  TCustomForm* fMainFormBeingMade = nullptr;
  bool fClaimMainForm = false;
  std::wstring fHint;
  std::wstring fTitle;
  bool fTerminated = false;
  bool fSessionEnded = false;
};

extern TApplication* Application;

// True when this code runs inside a DLL rather than the program itself.
bool IsLibrary();

}  // namespace ts
