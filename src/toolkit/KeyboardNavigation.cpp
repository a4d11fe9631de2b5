// The keyboard interface of forms, as the platform's dialogs offer it: Tab
// and Shift+Tab through the tab stops in tab order, the arrow keys within a
// group of radio buttons, Enter and Esc for the default and cancel buttons,
// and access keys (the letter after "&" in a caption) typed with Alt. The
// application's message loop hands these keys to the form of the focused
// window when that window does not take them itself (TApplication::IsKeyMsg).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "toolkit/Forms.h"
#include "toolkit/StdCtrls.h"
#include "toolkit/Strings.h"

namespace ts {

bool IsAccel(wchar_t key, std::wstring_view caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != L'&') continue;
    // "&&" stands for an ampersand.
    if (caption[i + 1] == L'&') {
      ++i;
      continue;
    }
    return SameText(std::wstring_view(&key, 1), caption.substr(i + 1, 1));
  }
  return false;
}

// Tab order.

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
  for (TControl* child : fTabList) {
    auto* control = static_cast<TWinControl*>(child);
    list.push_back(control);
    control->GetTabOrderList(list);
  }
}

bool TWinControl::CanBeReached() const {
  if (!CanFocus() || fHandle == nullptr || !IsWindowVisible(fHandle) || !IsWindowEnabled(fHandle)) return false;
  // A control in a band collapsed to nothing (a splitter dragged shut) is
  // there but cannot be seen.
  RECT area;
  GetWindowRect(fHandle, &area);
  for (HWND window = fHandle; (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) != 0;) {
    HWND parent = ::GetParent(window);
    if (parent == nullptr) break;
    RECT client;
    GetClientRect(parent, &client);
    MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&client), 2);
    if (!IntersectRect(&area, &area, &client)) return false;
    window = parent;
  }
  return true;
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                                          bool checkParent) const {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  const int count = static_cast<int>(list.size());
  const auto found = std::find(list.begin(), list.end(), current);
  const int start = found != list.end() ? static_cast<int>(found - list.begin()) : (goForward ? count - 1 : 0);
  int i = start;
  do {
    i = goForward ? (i + 1) % count : (i + count - 1) % count;
    TWinControl* control = list[static_cast<size_t>(i)];
    if ((!checkTabStop || control->GetTabStop()) && (!checkParent || control->GetParent() == this) &&
        control->CanBeReached())
      return control;
  } while (i != start);
  return nullptr;
}

bool TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop) {
  TWinControl* next = FindNextControl(current, goForward, checkTabStop, !checkTabStop);
  if (next == nullptr) return false;
  next->SetFocus();
  return true;
}

bool TWinControl::DialogChar(wchar_t) { return false; }

// Access keys of the standard controls.

bool TButton::DialogChar(wchar_t key) {
  if (!IsAccel(key, GetCaption()) || !CanBeReached()) return false;
  Click();
  return true;
}

bool TRadioButton::DialogChar(wchar_t key) {
  if (!IsAccel(key, GetCaption()) || !CanBeReached()) return false;
  Choose();
  return true;
}

bool TLabel::DialogChar(wchar_t key) {
  if (!IsAccel(key, GetCaption()) || !CanBeReached() || fParent == nullptr) return false;
  if (TWinControl* next = fParent->FindNextControl(this, true, true, false)) next->SetFocus();
  return true;
}

// The form.

namespace {

// The radio button of the same parent after (or before) button, round the
// end, that the user can reach; null when there is none but button itself.
TRadioButton* NextRadioButton(TRadioButton* button, bool goForward) {
  TWinControl* parent = button->GetParent();
  if (parent == nullptr) return nullptr;
  std::vector<TRadioButton*> group;
  for (int i = 0; i < parent->ControlCount(); ++i)
    if (auto* radio = dynamic_cast<TRadioButton*>(parent->GetControl(i)))
      if (radio == button || radio->CanBeReached()) group.push_back(radio);
  std::stable_sort(group.begin(), group.end(),
                   [](TRadioButton* a, TRadioButton* b) { return a->GetTabOrder() < b->GetTabOrder(); });
  const auto at = std::find(group.begin(), group.end(), button);
  if (group.size() < 2 || at == group.end()) return nullptr;
  const size_t count = group.size(), index = static_cast<size_t>(at - group.begin());
  return group[goForward ? (index + 1) % count : (index + count - 1) % count];
}

}  // namespace

bool TCustomForm::DialogKey(WORD key, HWND focus) {
  TWinControl* current = FindControlForWindow(focus);
  // A part of a control (the edit field of a combo box) counts as the control.
  while (current != nullptr && !current->GetTabStop() && current->GetParent() != nullptr &&
         current->GetParent()->GetTabStop())
    current = current->GetParent();
  switch (key) {
    case VK_TAB: {
      if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
      SelectNext(current == this ? nullptr : current, GetKeyState(VK_SHIFT) >= 0, true);
      // The keyboard is in use: focus rectangles and access keys show.
      SendMessageW(fHandle, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
      return true;
    }
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN: {
      auto* radio = dynamic_cast<TRadioButton*>(current);
      TRadioButton* next = radio != nullptr ? NextRadioButton(radio, key == VK_RIGHT || key == VK_DOWN) : nullptr;
      if (next == nullptr) return false;
      next->Choose();
      return true;
    }
    case VK_RETURN:
    case VK_ESCAPE:
      break;
    default:
      return false;
  }
  if (key == VK_RETURN)
    if (auto* focused = dynamic_cast<TButton*>(current); focused != nullptr && focused->GetHandle() == focus) {
      focused->Click();
      return true;
    }
  // The default or cancel button anywhere on the form.
  std::vector<TWinControl*> controls;
  GetTabOrderList(controls);
  for (TWinControl* control : controls)
    if (auto* button = dynamic_cast<TButton*>(control))
      if (button->GetEnabled() && button->Showing() &&
          ((key == VK_RETURN && button->GetDefault()) || (key == VK_ESCAPE && button->GetCancel()))) {
        button->Click();
        return true;
      }
  return false;
}

bool TCustomForm::DialogChar(wchar_t key) {
  std::vector<TWinControl*> controls;
  GetTabOrderList(controls);
  // The control's action may change the form: nothing of it is used after.
  for (TWinControl* control : controls)
    if (control->DialogChar(key)) return true;
  return false;
}

}  // namespace ts
