#include "controls/ShellComboEdit.h"

#include "shell/LookAndFeel.h"
#include "shell/NsBrowser.h"

namespace ts {

namespace {

// Where the edit field starts: after the item's icon.
constexpr int kEditLeft = 24;
constexpr int kEditTop = 3;

}  // namespace

TNsCustomEditComboBox::TNsCustomEditComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {
  SetUseSystemFont(true);
  fCancelled = false;
}

TNsCustomEditComboBox::~TNsCustomEditComboBox() {
  fEditField.reset();
  DestroyHandle();
}

std::wstring TNsCustomEditComboBox::GetVersion() const { return ClassName() + NsBrowserVersionSuffix; }

void TNsCustomEditComboBox::SetUseSystemFont(bool value) {
  fUseSystemFont = value;
  if (value) AssignIconTitleFont(GetFont());
}

void TNsCustomEditComboBox::Loaded() {
  TCustomComboBox::Loaded();
  // The font stored with the form gives way to the system's.
  if (fUseSystemFont) AssignIconTitleFont(GetFont());
}

void TNsCustomEditComboBox::SetEditable(bool value) {
  if (value == GetEditable()) return;
  if (value)
    CreateEditField();
  else
    fEditField.reset();
  Change();
}

void TNsCustomEditComboBox::CreateEditField() {
  fEditField.reset();
  auto edit = std::make_unique<TEdit>(nullptr);
  edit->SetBorderStyle(bsNone);
  edit->SetTabStop(false);
  edit->OnKeyPress = [this](TObject* sender, wchar_t& key) { EditKeyPress(sender, key); };
  edit->OnKeyDown = [this](TObject* sender, WORD& key, TShiftState shift) { EditKeyDown(sender, key, shift); };
  edit->OnKeyUp = [this](TObject* sender, WORD& key, TShiftState shift) { EditKeyUp(sender, key, shift); };
  fEditField = std::move(edit);
  SizeEditField();
  fEditField->SetParent(this);
}

void TNsCustomEditComboBox::SizeEditField() {
  if (!fEditField) return;
  // The face's height: the window's, once it exists (before, the height
  // includes the list).
  int width = GetWidth();
  int height = GetHeight();
  if (HandleAllocated()) {
    RECT face;
    GetWindowRect(fHandle, &face);
    width = face.right - face.left;
    height = face.bottom - face.top;
  }
  const int edge = GetSystemMetrics(SM_CXEDGE);
  fEditField->SetBounds(kEditLeft, kEditTop, width - kEditLeft - 2 * edge - GetSystemMetrics(SM_CXVSCROLL),
                        height - kEditTop - edge);
}

void TNsCustomEditComboBox::InitializeWindow() {
  TCustomComboBox::InitializeWindow();
  SizeEditField();
}

void TNsCustomEditComboBox::Resize() {
  SizeEditField();
  TCustomComboBox::Resize();
}

std::wstring TNsCustomEditComboBox::GetText() {
  if (fEditField) {
    std::wstring text = fEditField->GetText();
    if (!text.empty()) return text;
  }
  return ComboText();
}

void TNsCustomEditComboBox::SetText(const std::wstring& value) {
  if (fEditField) fEditField->SetText(value);
  TCustomComboBox::SetText(value);
}

void TNsCustomEditComboBox::SelectAll() {
  if (!fEditField) return;
  fEditField->SelectAll();
  fEditField->SetFocus();
}

void TNsCustomEditComboBox::KeyPress(wchar_t& key) {
  fCancelled = key == VK_ESCAPE;
  TCustomComboBox::KeyPress(key);
}

void TNsCustomEditComboBox::EditKeyPress(TObject*, wchar_t& Key) {
  if (Key != 0 && OnKeyPress) OnKeyPress(this, Key);
}

void TNsCustomEditComboBox::EditKeyDown(TObject*, WORD& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TNsCustomEditComboBox::EditKeyUp(TObject*, WORD& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

}  // namespace ts
