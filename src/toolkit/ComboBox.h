#pragma once
// The combo box the folder combo extends: items with attached objects,
// owner-drawn items of fixed or variable height, the item index and text,
// the dropped-down state and the number of items the open list shows, its
// events, and the key events of the edit field of an editable combo.
#include <windows.h>

#include <memory>

#include "toolkit/Controls.h"
#include "toolkit/WindowStrings.h"

namespace ts {

enum TComboBoxStyle : uint8_t { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
enum TOwnerDrawStateFlag : uint8_t { odSelected, odGrayed, odDisabled, odChecked, odFocused, odComboBoxEdit };
using TOwnerDrawState = TSet<TOwnerDrawStateFlag, uint8_t>;

class TCustomComboBox;

using TDrawItemEvent = std::function<void(TCustomComboBox* Control, int Index, const RECT& Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = std::function<void(TCustomComboBox* Control, int Index, int& Height)>;

class TCustomComboBox : public TWinControl {
  TS_CLASS(TCustomComboBox, TWinControl)

public:
  explicit TCustomComboBox(TComponent* AOwner);
  ~TCustomComboBox() override;

  TStringList& GetItems() noexcept { return *fItems; }
  TComboBoxStyle GetStyle() const noexcept { return fStyle; }
  void SetStyle(TComboBoxStyle value);
  int GetItemIndex() const;
  void SetItemIndex(int value);
  std::wstring GetText();
  void SetText(const std::wstring& value);
  int GetItemHeight() const noexcept { return fItemHeight; }
  void SetItemHeight(int value);
  bool GetDroppedDown() const;
  void SetDroppedDown(bool value);
  // How many items the open list shows before it scrolls.
  int GetDropDownCount() const noexcept { return fDropDownCount; }
  void SetDropDownCount(int value) noexcept { fDropDownCount = value; }
  // The edit field of an editable combo; 0 for a drop-down list.
  HWND GetEditHandle() const noexcept { return fEditHandle; }
  bool IsOwnerDrawn() const noexcept { return fStyle == csOwnerDrawFixed || fStyle == csOwnerDrawVariable; }

  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;
  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

  TCanvas& GetCanvas() noexcept { return fCanvas; }
  void WndProc(TMessage& message) override;

protected:
  void CreateParams(TCreateParams& params) override;
  void InitializeWindow() override;
  void SaveWindowState() override;
  void DestroyWnd() override;
  virtual void DrawItem(int index, const RECT& rect, TOwnerDrawState state);
  virtual void MeasureItem(int index, int& height);
  // The user picked an item: OnSelect when assigned, else Change.
  virtual void Select();
  // The selection or the text changed: OnChange.
  virtual void Change();
  // The list is about to open: it is sized to DropDownCount items, then
  // OnDropDown.
  virtual void DropDown();
  virtual void CloseUp();

private:
  static LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  std::unique_ptr<TWindowStrings> fItems;
  TComboBoxStyle fStyle = csDropDown;
  int fItemIndex = -1;
  int fItemHeight = 16;
  int fDropDownCount = 8;
  std::wstring fText;
  HWND fEditHandle = nullptr;
  WNDPROC fEditDefProc = nullptr;
  TCanvas fCanvas;

};

}  // namespace ts
