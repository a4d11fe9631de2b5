#include "toolkit/ComboBox.h"

#include <algorithm>

#include "toolkit/Application.h"

namespace ts {

namespace {

constexpr wchar_t kEditOwnerProperty[] = L"TsComboOwner";

}  // namespace

// TCustomComboBox

TCustomComboBox::TCustomComboBox(TComponent* AOwner)
    : TWinControl(AOwner), fItems(std::make_unique<TWindowStrings>(*this, ComboBoxMessages)) {
  fWidth = 145;
  fHeight = 200;  // the drop-down part included
  fTabStop = true;
  SetColor(clWindow);
}

TCustomComboBox::~TCustomComboBox() { DestroyHandle(); }

void TCustomComboBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.ClassName = L"COMBOBOX";
  params.Style |= WS_VSCROLL | CBS_AUTOHSCROLL;
  switch (fStyle) {
    case csDropDown: params.Style |= CBS_DROPDOWN | CBS_HASSTRINGS; break;
    case csSimple: params.Style |= CBS_SIMPLE | CBS_HASSTRINGS; break;
    case csDropDownList: params.Style |= CBS_DROPDOWNLIST | CBS_HASSTRINGS; break;
    case csOwnerDrawFixed: params.Style |= CBS_DROPDOWN | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS; break;
    case csOwnerDrawVariable: params.Style |= CBS_DROPDOWN | CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS; break;
  }
}

void TCustomComboBox::InitializeWindow() {
  for (int i = 0; i < fItems->GetCount(); ++i)
    SendMessageW(fHandle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(fItems->Get(i).c_str()));
  if (fStyle == csOwnerDrawFixed) SendMessageW(fHandle, CB_SETITEMHEIGHT, 0, fItemHeight);
  SendMessageW(fHandle, CB_SETCURSEL, static_cast<WPARAM>(fItemIndex), 0);
  if (fItemIndex < 0 && !fText.empty()) SetWindowTextW(fHandle, fText.c_str());
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  fEditHandle = nullptr;
  if (GetComboBoxInfo(fHandle, &info) && info.hwndItem != nullptr && info.hwndItem != fHandle &&
      fStyle != csDropDownList) {
    // The edit field's keys reach the combo's key events.
    fEditHandle = info.hwndItem;
    SetPropW(fEditHandle, kEditOwnerProperty, this);
    fEditDefProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(fEditHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TCustomComboBox::EditProc)));
  }
}

void TCustomComboBox::SaveWindowState() {
  fItemIndex = GetItemIndex();
  fText = GetText();
}

void TCustomComboBox::DestroyWnd() {
  if (fEditHandle != nullptr && IsWindow(fEditHandle)) {
    SetWindowLongPtrW(fEditHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(fEditDefProc));
    RemovePropW(fEditHandle, kEditOwnerProperty);
  }
  fEditHandle = nullptr;
  TWinControl::DestroyWnd();
}

LRESULT CALLBACK TCustomComboBox::EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* combo = static_cast<TCustomComboBox*>(GetPropW(window, kEditOwnerProperty));
  if (combo == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  try {
    if (message == WM_KEYDOWN || message == WM_KEYUP) {
      WORD key = static_cast<WORD>(wParam);
      if (message == WM_KEYDOWN)
        combo->KeyDown(key, KeyShiftState());
      else
        combo->KeyUp(key, KeyShiftState());
      if (key == 0) return 0;
      wParam = key;
    } else if (message == WM_CHAR) {
      auto key = static_cast<wchar_t>(wParam);
      combo->KeyPress(key);
      if (key == 0) return 0;
      wParam = key;
    }
  } catch (...) {
    Application->HandleException();
    return 0;
  }
  return CallWindowProcW(combo->fEditDefProc, window, message, wParam, lParam);
}

void TCustomComboBox::SetStyle(TComboBoxStyle value) {
  if (value == fStyle) return;
  fStyle = value;
  RecreateWnd();
}

int TCustomComboBox::GetItemIndex() const {
  return HandleAllocated() ? static_cast<int>(SendMessageW(fHandle, CB_GETCURSEL, 0, 0)) : fItemIndex;
}

void TCustomComboBox::SetItemIndex(int value) {
  if (value < -1 || value >= fItems->GetCount()) value = -1;
  fItemIndex = value;
  if (HandleAllocated()) SendMessageW(fHandle, CB_SETCURSEL, static_cast<WPARAM>(value), 0);
}

std::wstring TCustomComboBox::GetText() {
  if (!HandleAllocated()) return fItemIndex >= 0 ? fItems->Get(fItemIndex) : fText;
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(fHandle)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(fHandle, text.data(), static_cast<int>(text.size()))));
  return text;
}

void TCustomComboBox::SetText(const std::wstring& value) {
  fText = value;
  if (HandleAllocated()) SetWindowTextW(fHandle, value.c_str());
}

void TCustomComboBox::SetItemHeight(int value) {
  fItemHeight = value;
  if (HandleAllocated()) SendMessageW(fHandle, CB_SETITEMHEIGHT, 0, value);
}

bool TCustomComboBox::GetDroppedDown() const {
  return HandleAllocated() && SendMessageW(fHandle, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool value) {
  SendMessageW(GetHandle(), CB_SHOWDROPDOWN, value, 0);
}

void TCustomComboBox::DrawItem(int index, const RECT& rect, TOwnerDrawState state) {
  if (OnDrawItem) {
    OnDrawItem(this, index, rect, state);
    return;
  }
  // Without a handler: the text, highlighted when selected.
  fCanvas.Brush.Color = state.Contains(odSelected) ? clHighlight : GetColor();
  fCanvas.FontColor = state.Contains(odSelected) ? clHighlightText : GetFont().GetColor();
  fCanvas.FillRect(rect);
  if (index >= 0 && index < fItems->GetCount()) fCanvas.TextOut(rect.left + 2, rect.top, fItems->Get(index));
}

void TCustomComboBox::MeasureItem(int index, int& height) {
  if (OnMeasureItem) OnMeasureItem(this, index, height);
}

void TCustomComboBox::Select() {
  if (OnSelect)
    OnSelect(this);
  else
    Change();
}

void TCustomComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TCustomComboBox::DropDown() {
  // The open list's height is the window's height less the face's.
  if (HandleAllocated() && fStyle != csSimple) {
    const int count = std::min(fItems->GetCount(), std::max(fDropDownCount, 1));
    int listHeight = 0;
    for (int i = 0; i < count; ++i) {
      const LRESULT height = SendMessageW(fHandle, CB_GETITEMHEIGHT, static_cast<WPARAM>(i), 0);
      listHeight += height > 0 ? static_cast<int>(height) : fItemHeight;
    }
    if (count == 0) listHeight = fItemHeight;
    // The face keeps its height; the window's height sets the list's.
    RECT face;
    GetWindowRect(fHandle, &face);
    SetWindowPos(fHandle, nullptr, 0, 0, face.right - face.left, face.bottom - face.top + listHeight + 2,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (OnDropDown) OnDropDown(this);
}

void TCustomComboBox::CloseUp() {
  if (OnCloseUp) OnCloseUp(this);
}

void TCustomComboBox::WndProc(TMessage& message) {
  switch (message.Msg) {
    case CN_COMMAND:
      switch (HIWORD(message.WParam)) {
        case CBN_SELCHANGE:
          fItemIndex = GetItemIndex();
          Select();
          return;
        case CBN_EDITCHANGE:
          Change();
          return;
        case CBN_DROPDOWN:
          DropDown();
          return;
        case CBN_CLOSEUP:
          CloseUp();
          return;
        default:
          return;
      }
    case CN_DRAWITEM: {
      auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam);
      TOwnerDrawState state;
      if (draw->itemState & ODS_SELECTED) state.Include(odSelected);
      if (draw->itemState & ODS_FOCUS) state.Include(odFocused);
      if (draw->itemState & ODS_DISABLED) state.Include(odDisabled);
      if (draw->itemState & ODS_COMBOBOXEDIT) state.Include(odComboBoxEdit);
      fCanvas.SetHandle(draw->hDC);
      HGDIOBJ old = SelectObject(draw->hDC, GetFont().GetHandle());
      DrawItem(static_cast<int>(draw->itemID), draw->rcItem, state);
      SelectObject(draw->hDC, old);
      fCanvas.SetHandle(nullptr);
      message.Result = TRUE;
      return;
    }
    case CN_MEASUREITEM: {
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
      int height = fItemHeight;
      MeasureItem(static_cast<int>(measure->itemID), height);
      measure->itemHeight = static_cast<UINT>(height);
      message.Result = TRUE;
      return;
    }
    default:
      break;
  }
  TWinControl::WndProc(message);
}

}  // namespace ts
