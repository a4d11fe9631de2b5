#pragma once
// The platform's standard controls: button, label, radio button, group box,
// memo and list box.
#include <windows.h>

#include <memory>

#include "toolkit/ComponentStreaming.h"
#include "toolkit/Controls.h"
#include "toolkit/WindowStrings.h"

namespace ts {

class TButton : public TWinControl {
  TS_CLASS(TButton, TWinControl)

public:
  explicit TButton(TComponent* AOwner);
  // A click also sets the form's modal result when the button has one.
  void Click() override;
  int GetModalResult() const noexcept { return fModalResult; }
  void SetModalResult(int value) noexcept { fModalResult = value; }
  bool GetDefault() const noexcept { return fDefault; }
  void SetDefault(bool value);
  bool GetCancel() const noexcept { return fCancel; }
  void SetCancel(bool value) noexcept { fCancel = value; }
  // Its access key clicks it; the focus stays where it is.
  bool DialogChar(wchar_t key) override;
  void WndProc(TMessage& message) override;

protected:
  void CreateParams(TCreateParams& params) override;

private:
  int fModalResult = 0;
  bool fDefault = false;
  bool fCancel = false;
};

class TLabel : public TWinControl {
  TS_CLASS(TLabel, TWinControl)

public:
  explicit TLabel(TComponent* AOwner);
  // Its access key moves the focus to the tab stop that follows it.
  bool DialogChar(wchar_t key) override;

protected:
  void CreateParams(TCreateParams& params) override;
};

class TRadioButton : public TWinControl {
  TS_CLASS(TRadioButton, TWinControl)

public:
  explicit TRadioButton(TComponent* AOwner);
  bool GetChecked() const;
  // Only the checked button of a group is a tab stop: Tab reaches the group
  // at its choice, and the arrow keys move the choice within it.
  void SetChecked(bool value);
  // Its access key focuses and checks it.
  bool DialogChar(wchar_t key) override;
  // Focuses this button and checks it as a click does.
  void Choose();
  void WndProc(TMessage& message) override;

protected:
  void CreateParams(TCreateParams& params) override;
  void InitializeWindow() override;
  void SaveWindowState() override;

private:
  bool fChecked = false;
};

class TGroupBox : public TWinControl {
  TS_CLASS(TGroupBox, TWinControl)

public:
  explicit TGroupBox(TComponent* AOwner);

protected:
  void CreateParams(TCreateParams& params) override;
};

enum TScrollStyle : uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };

class TMemo : public TWinControl {
  TS_CLASS(TMemo, TWinControl)

public:
  explicit TMemo(TComponent* AOwner);
  // The lines; the window shows them when they change.
  TStringList& GetLines() noexcept { return fLines; }
  std::wstring GetText();
  void SetText(const std::wstring& value);
  bool GetReadOnly() const noexcept { return fReadOnly; }
  void SetReadOnly(bool value);
  TScrollStyle GetScrollBars() const noexcept { return fScrollBars; }
  void SetScrollBars(TScrollStyle value);

protected:
  void CreateParams(TCreateParams& params) override;
  void InitializeWindow() override;
  void SaveWindowState() override;

private:
  TStringList fLines;
  bool fReadOnly = false;
  TScrollStyle fScrollBars = ssNone;
  bool fUpdatingLines = false;
};

// A list of lines with a selected line, its platform type-ahead and double
// click; streamable, with the properties a form stores for it.
class TListBox : public TWinControl, public IStreamableComponent {
  TS_CLASS(TListBox, TWinControl)

public:
  explicit TListBox(TComponent* AOwner);
  ~TListBox() override;

  TStringList& GetItems() noexcept { return *fItems; }
  int GetItemIndex() const;
  void SetItemIndex(int value);
  int GetItemHeight() const noexcept { return fItemHeight; }
  void SetItemHeight(int value);
  // Holds the window's drawing while many lines change.
  void BeginUpdate();
  void EndUpdate();
  // The lines stay in Items only and are drawn from there: the window is
  // told their count, not given a copy of each, so that filling it with
  // hundreds of thousands of lines costs what filling Items does. The
  // window's own text messages (LB_GETTEXT, LB_FINDSTRING, ...) and typing
  // a first letter answer from Items as for any list box.
  bool GetOwnerData() const noexcept { return fOwnerData; }
  void SetOwnerData(bool value);

  std::string StreamClassName() const override { return "TListBox"; }
  void WriteProperties(TWriter& writer) override;
  bool ReadProperty(TReader& reader, const std::string& name) override;

  TNotifyEvent OnSelect;
  void WndProc(TMessage& message) override;

protected:
  void CreateParams(TCreateParams& params) override;
  void InitializeWindow() override;
  void SaveWindowState() override;

private:
  bool HandleOwnerDataMessage(TMessage& message);
  void DrawOwnerDataItem(const DRAWITEMSTRUCT& draw);
  int FindLine(int after, const wchar_t* text, bool whole) const;
  void SelectByKey(wchar_t key);

  std::unique_ptr<TWindowStrings> fItems;
  int fItemHeight = 13;
  int fItemIndex = -1;
  bool fOwnerData = false;
  TRedrawBracket fUpdate;

};

}  // namespace ts
