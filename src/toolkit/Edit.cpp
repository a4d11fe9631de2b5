#include "toolkit/Edit.h"

namespace ts {

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  fWidth = 121;
  fHeight = 21;
  fTabStop = true;
  SetColor(clWindow);
}

TCustomEdit::~TCustomEdit() { DestroyHandle(); }

void TCustomEdit::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.ClassName = L"EDIT";
  params.Caption = fText;
  params.Style |= ES_AUTOHSCROLL;
  if (fBorderStyle == bsSingle) params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::InitializeWindow() { SetWindowTextW(fHandle, fText.c_str()); }

void TCustomEdit::SaveWindowState() { fText = GetText(); }

std::wstring TCustomEdit::GetText() {
  if (!HandleAllocated()) return fText;
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(fHandle)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(fHandle, text.data(), static_cast<int>(text.size()))));
  return text;
}

void TCustomEdit::SetText(const std::wstring& value) {
  fText = value;
  if (HandleAllocated() && GetText() != value) SetWindowTextW(fHandle, value.c_str());
}

void TCustomEdit::SetBorderStyle(TBorderStyle value) {
  if (value == fBorderStyle) return;
  fBorderStyle = value;
  RecreateWnd();
}

void TCustomEdit::SelectAll() {
  if (HandleAllocated()) SendMessageW(fHandle, EM_SETSEL, 0, -1);
}

int TCustomEdit::GetSelStart() const {
  DWORD start = 0;
  if (HandleAllocated()) SendMessageW(fHandle, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
  return static_cast<int>(start);
}

int TCustomEdit::GetSelLength() const {
  DWORD start = 0, end = 0;
  if (HandleAllocated())
    SendMessageW(fHandle, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(end - start);
}

void TCustomEdit::DoEnter() {
  if (fAutoSelect) SelectAll();
  TWinControl::DoEnter();
}

void TCustomEdit::WndProc(TMessage& message) {
  if (message.Msg == CN_COMMAND) {
    if (HIWORD(message.WParam) == EN_CHANGE) {
      fText = GetText();
      if (OnChange) OnChange(this);
    }
    return;
  }
  TWinControl::WndProc(message);
}

}  // namespace ts
