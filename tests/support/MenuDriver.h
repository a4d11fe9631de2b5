#pragma once
// Drives the modal menus and message boxes a test opens, from a timer that
// runs inside their message loops: a menu is answered by picking one of its
// top-level commands with the keyboard, or by Escape; a confirmation box by
// one of its buttons.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace ts::test {

// One entry of a menu as it was shown.
struct TShownMenuItem {
  UINT Command = 0;      // 0 for separators; the sub menu's entry id for sub menus
  std::wstring Caption;  // without the accelerator mark
  bool Separator = false;
  bool SubMenu = false;
};

class TMenuDriver {
public:
  // Chooses, once the menu is shown, the command to pick (0 closes the menu).
  using TChooser = std::function<UINT(const std::vector<TShownMenuItem>& items)>;

  // Picks command from the next menu the thread shows (0: Escape).
  explicit TMenuDriver(UINT command);
  explicit TMenuDriver(TChooser chooser);
  ~TMenuDriver();
  TMenuDriver(const TMenuDriver&) = delete;
  TMenuDriver& operator=(const TMenuDriver&) = delete;

  // The driver acts only once this holds while the menu is open (for tests
  // that wait for the menu to be drawn, say).
  std::function<bool()> ReadyWhen;

  // The top-level entries of the menu when the driver first saw it.
  const std::vector<TShownMenuItem>& Shown() const noexcept { return fShown; }
  bool MenuSeen() const noexcept { return fSeen; }
  // True when the command could not be reached in time (the menu was closed).
  bool GaveUp() const noexcept { return fGaveUp; }
  // Position of the first entry with this caption among the shown ones; -1.
  int IndexOfCaption(const std::wstring& caption) const;
  int IndexOfCommand(UINT command) const;

private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  void Step(HWND menuWindow);

  TChooser fChooser;
  UINT_PTR fTimer = 0;
  std::vector<TShownMenuItem> fShown;
  bool fSeen = false;
  bool fChosen = false;
  UINT fTarget = 0;
  bool fDone = false;
  bool fGaveUp = false;
  int fTicks = 0;
};

// Answers the next message boxes (dialogs of the thread) with a button.
class TDialogAnswerer {
public:
  explicit TDialogAnswerer(int button);
  ~TDialogAnswerer();
  TDialogAnswerer(const TDialogAnswerer&) = delete;
  TDialogAnswerer& operator=(const TDialogAnswerer&) = delete;
  int Answered() const noexcept { return fAnswered; }
  const std::wstring& LastCaption() const noexcept { return fLastCaption; }

private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);

  int fButton;
  UINT_PTR fTimer = 0;
  int fAnswered = 0;
  HWND fLastDialog = nullptr;
  std::wstring fLastCaption;
};

}  // namespace ts::test
