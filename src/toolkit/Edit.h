#pragma once
// The platform's single-line edit control: its text, the selection, a border
// or none, and all of its text selected when it is entered.
#include <windows.h>

#include <string>

#include "toolkit/Controls.h"

namespace ts {

enum TBorderStyle : uint8_t { bsNone, bsSingle };

class TCustomEdit : public TWinControl {
  TS_CLASS(TCustomEdit, TWinControl)

public:
  explicit TCustomEdit(TComponent* AOwner);
  ~TCustomEdit() override;

  std::wstring GetText();
  void SetText(const std::wstring& value);
  TBorderStyle GetBorderStyle() const noexcept { return fBorderStyle; }
  void SetBorderStyle(TBorderStyle value);
  bool GetAutoSelect() const noexcept { return fAutoSelect; }
  void SetAutoSelect(bool value) noexcept { fAutoSelect = value; }
  void SelectAll();
  int GetSelStart() const;
  int GetSelLength() const;

  TNotifyEvent OnChange;
  void WndProc(TMessage& message) override;

protected:
  void CreateParams(TCreateParams& params) override;
  void InitializeWindow() override;
  void SaveWindowState() override;
  void DoEnter() override;

private:
  std::wstring fText;
  TBorderStyle fBorderStyle = bsSingle;
  bool fAutoSelect = true;
};

class TEdit : public TCustomEdit {
  TS_CLASS(TEdit, TCustomEdit)

public:
  explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
};

}  // namespace ts
