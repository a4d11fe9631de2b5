#pragma once
// The application object: the hidden application window that owns the
// program's top-level windows, the main form's window, the message loop,
// termination, and the message box every unhandled error ends in.
#include <windows.h>

#include <exception>
#include <functional>
#include <string>

#include "toolkit/Component.h"

namespace ts {

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

  // Runs the message loop until the application terminates.
  void Run();
  // Handles every message waiting in the queue, then returns.
  void ProcessMessages();
  void Terminate();
  bool GetTerminated() const noexcept { return fTerminated; }

  // The platform's message box, owned by the active or main window.
  int ShowMessageBox(const std::wstring& text, const std::wstring& caption, UINT flags);
  // Reports an error that reached a boundary (window procedure, callback):
  // OnException when assigned, else an error box; EAbort is silent.
  void HandleException(const std::exception& error);
  void HandleException();

  std::function<void(TObject* sender, const std::exception& error)> OnException;

private:
  bool ProcessMessage(MSG& msg);
  void DestroyHandle();

  HWND fHandle = nullptr;
  HWND fMainFormHandle = nullptr;
  std::wstring fTitle;
  bool fTerminated = false;
};

extern TApplication* Application;

// True when this code runs inside a DLL rather than the program itself.
bool IsLibrary();

}  // namespace ts
