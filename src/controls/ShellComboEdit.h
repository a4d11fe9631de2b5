#pragma once
// The first layer of the folder combo: a combo box with an optional edit
// field of its own over its face, whose keys the combo handles, the
// system's icon-title font, and whether the last key pressed in the combo
// itself was Escape.
#include <memory>
#include <string>

#include "toolkit/ComboBox.h"
#include "toolkit/Edit.h"

namespace ts {

class TNsCustomEditComboBox : public TCustomComboBox {
  TS_CLASS(TNsCustomEditComboBox, TCustomComboBox)

public:
  explicit TNsCustomEditComboBox(TComponent* AOwner);
  ~TNsCustomEditComboBox() override;

  bool GetUseSystemFont() const noexcept { return fUseSystemFont; }
  void SetUseSystemFont(bool value);
  bool GetCancelled() const noexcept { return fCancelled; }
  // Whether the combo has its edit field; changing it runs Change.
  bool GetEditable() const noexcept { return fEditField != nullptr; }
  void SetEditable(bool value);
  // The edit field, or null; lent.
  TEdit* GetEditField() const noexcept { return fEditField.get(); }
  // With an edit field its text (the combo's own when that is empty),
  // else the combo's own text. Writing sets both.
  std::wstring GetText();
  void SetText(const std::wstring& value);
  // Selects the edit field's text and gives it the focus.
  void SelectAll();
  std::wstring GetVersion() const;
  void SetVersion(const std::wstring&) noexcept {}

protected:
  void Loaded() override;
  void InitializeWindow() override;
  void Resize() override;
  void KeyPress(wchar_t& key) override;
  // Makes the edit field (again).
  virtual void CreateEditField();
  // The edit field's key events.
  virtual void EditKeyPress(TObject* Sender, wchar_t& Key);
  virtual void EditKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  virtual void EditKeyUp(TObject* Sender, WORD& Key, TShiftState Shift);
  // Places the edit field after the icon, within the face.
  void SizeEditField();
  std::wstring ComboText() { return TCustomComboBox::GetText(); }

  bool fUseSystemFont = true;
  bool fCancelled = false;
  std::unique_ptr<TEdit> fEditField;
};

}  // namespace ts
