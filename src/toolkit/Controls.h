#pragma once
// Controls: the control base (bounds, alignment, visibility, fonts, colours,
// hints, popup menu, mouse and keyboard events) and the windowed-control
// base, whose platform window is made on demand, can be made again
// (GetRecreating tells subclasses so) and runs a window procedure that
// subclasses extend and pass on.
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/Component.h"
#include "toolkit/Graphics.h"
#include "toolkit/Set.h"
#include "toolkit/StringList.h"
#include "toolkit/WinControlHandle.h"

namespace ts {

class TWinControl;
class TPopupMenu;
class TCustomForm;

enum TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TShiftStateFlag : uint8_t { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateFlag, uint8_t>;
enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };
enum TFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle, uint8_t>;
// The platform's cursor identifiers, with 0 for the default.
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crHourGlass = 32514;  // IDC_WAIT
constexpr TCursor crArrow = 32512;
constexpr TCursor crHSplit = 32644;  // IDC_SIZEWE
constexpr TCursor crVSplit = 32645;  // IDC_SIZENS

using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, wchar_t& Key)>;
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TContextPopupEvent = std::function<void(TObject* Sender, POINT MousePos, bool& Handled)>;

struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result = 0;
};

// Messages a parent hands back to the child control they are about.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
constexpr UINT CN_CTLCOLOR = CN_BASE + WM_CTLCOLORSTATIC;

// The font of a control: created on demand, given to the window.
class TFont {
public:
  std::wstring GetName() const { return fName; }
  void SetName(const std::wstring& value);
  int GetHeight() const noexcept { return fHeight; }
  void SetHeight(int value);
  TFontStyles GetStyle() const noexcept { return fStyle; }
  void SetStyle(TFontStyles value);
  TColor GetColor() const noexcept { return fColor; }
  void SetColor(TColor value);
  BYTE GetCharset() const noexcept { return fCharset; }
  void SetCharset(BYTE value);
  void Assign(const TFont& source);
  // Takes the name, height, style and character set of a platform font.
  void AssignLogFont(const LOGFONTW& font);
  HFONT GetHandle() const;
  ~TFont();
  TFont() = default;
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;

  std::function<void()> OnChange;

private:
  void Changed();
  std::wstring fName = L"Tahoma";
  int fHeight = -11;
  TFontStyles fStyle;
  TColor fColor = clWindowText;
  BYTE fCharset = DEFAULT_CHARSET;
  mutable HFONT fHandle = nullptr;
};

class TControl : public TComponent {
  TS_CLASS(TControl, TComponent)

public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  TWinControl* GetParent() const noexcept { return fParent; }
  virtual void SetParent(TWinControl* value);

  int GetLeft() const noexcept { return fLeft; }
  int GetTop() const noexcept { return fTop; }
  int GetWidth() const noexcept { return fWidth; }
  int GetHeight() const noexcept { return fHeight; }
  void SetLeft(int value) { SetBounds(value, fTop, fWidth, fHeight); }
  void SetTop(int value) { SetBounds(fLeft, value, fWidth, fHeight); }
  void SetWidth(int value) { SetBounds(fLeft, fTop, value, fHeight); }
  void SetHeight(int value) { SetBounds(fLeft, fTop, fWidth, value); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  RECT GetBoundsRect() const { return RECT{fLeft, fTop, fLeft + fWidth, fTop + fHeight}; }
  virtual int GetClientWidth() { return fWidth; }
  virtual int GetClientHeight() { return fHeight; }

  TAlign GetAlign() const noexcept { return fAlign; }
  virtual void SetAlign(TAlign value);
  bool GetVisible() const noexcept { return fVisible; }
  virtual void SetVisible(bool value);
  // Visible itself and every parent up to the top.
  bool Showing() const;
  bool GetEnabled() const noexcept { return fEnabled; }
  virtual void SetEnabled(bool value);
  TFont& GetFont() noexcept { return fFont; }
  bool GetParentFont() const noexcept { return fParentFont; }
  void SetParentFont(bool value);
  TColor GetColor() const noexcept { return fColor; }
  void SetColor(TColor value);
  TCursor GetCursor() const noexcept { return fCursor; }
  void SetCursor(TCursor value) noexcept { fCursor = value; }
  const std::wstring& GetHint() const noexcept { return fHint; }
  virtual void SetHint(const std::wstring& value);
  bool GetShowHint() const noexcept { return fShowHint; }
  virtual void SetShowHint(bool value);
  TPopupMenu* GetPopupMenu() const noexcept { return fPopupMenu; }
  void SetPopupMenu(TPopupMenu* value);
  const std::wstring& GetCaption() const noexcept { return fCaption; }
  virtual void SetCaption(const std::wstring& value);

  POINT ClientToScreen(POINT point);
  POINT ScreenToClient(POINT point);
  virtual void Invalidate();
  virtual void Repaint();
  // The form the control is on, or null.
  TCustomForm* GetParentForm() const;

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnResize;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TContextPopupEvent OnContextPopup;

protected:
  virtual void Click();
  virtual void DblClick();
  virtual void Resize();
  virtual void FontChanged();
  // Asks the popup menu (or OnContextPopup); answers whether it was handled.
  virtual bool DoContextPopup(POINT mousePos);
  void Notification(TComponent* component, TOperation operation) override;
  void ParentFontChanged();

  int fLeft = 0;
  int fTop = 0;
  int fWidth = 0;
  int fHeight = 0;
  TWinControl* fParent = nullptr;

private:
  TAlign fAlign = alNone;
  bool fVisible = true;
  bool fEnabled = true;
  TFont fFont;
  bool fParentFont = true;
  TColor fColor = clBtnFace;
  TCursor fCursor = crDefault;
  std::wstring fHint;
  bool fShowHint = false;
  TPopupMenu* fPopupMenu = nullptr;
  std::wstring fCaption;
  bool fAssigningParentFont = false;

  friend class TWinControl;
};

struct TCreateParams {
  std::wstring ClassName;
  std::wstring Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  // For a class of the control's own: the window class style and background.
  UINT ClassStyle = CS_DBLCLKS;
  HBRUSH Background = nullptr;
};

class TWinControl : public TControl, public IWinControlHandle {
  TS_CLASS(TWinControl, TControl)

public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  // The window, made now if need be (with the parents' windows first).
  HWND GetHandle() override;
  bool HandleAllocated() const override { return fHandle != nullptr; }
  void HandleNeeded() { GetHandle(); }
  // Destroys the window and makes it again, keeping what the control holds.
  void RecreateWnd();
  // True while the window is being destroyed to be made again.
  bool GetRecreating() const noexcept { return fRecreating; }

  int ControlCount() const noexcept { return static_cast<int>(fControls.size()); }
  TControl* GetControl(int index) const { return fControls[static_cast<size_t>(index)]; }
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  // Lays the aligned children out in the client area.
  virtual void Realign();
  bool GetAcceptsControls() const noexcept { return fAcceptsControls; }

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void SetVisible(bool value) override;
  void SetEnabled(bool value) override;
  void SetCaption(const std::wstring& value) override;
  int GetClientWidth() override;
  int GetClientHeight() override;

  bool Focused() const;
  virtual bool CanFocus() const;
  virtual void SetFocus();
  bool GetTabStop() const noexcept { return fTabStop; }
  void SetTabStop(bool value);
  // The place among the parent's windowed controls, in the order they are
  // tabbed through (the order they were put on the parent until set).
  // Without a parent: the place set for the control, -1 when none.
  int GetTabOrder() const;
  // Moves the control to that place (the nearest one there is); without a
  // parent the place is kept and taken when the control gets one.
  void SetTabOrder(int value);
  // Every windowed control inside this one, in the order Tab goes through
  // them: each control followed by the controls inside it.
  void GetTabOrderList(std::vector<TWinControl*>& list) const;
  // The control inside this one that Tab (goForward) or Shift+Tab moves to
  // from current (from the start or the end when current is not inside),
  // round the end; with checkTabStop only tab stops count, with checkParent
  // only this control's own children. Only controls the user can reach
  // count: showing, enabled, with some area on the screen. Null for none.
  TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop, bool checkParent) const;
  // Moves the focus there; answers whether a control was found.
  bool SelectNext(TWinControl* current, bool goForward, bool checkTabStop);
  // Showing, enabled, and with a part of its window inside every parent's:
  // a control the user can see to use.
  bool CanBeReached() const;
  // An access key (the letter after "&" in a caption) typed with Alt, or
  // alone where the focused control takes no characters: answers whether
  // this control acted on it.
  virtual bool DialogChar(wchar_t key);
  void Invalidate() override;
  void Repaint() override;

  // The control that owns a window, or null.
  static TWinControl* FromHandle(HWND window);
  // The control that owns a window or, for a window made inside a control
  // (an edit field, a header), the nearest control around it; or null.
  static TWinControl* FindControlForWindow(HWND window);

  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

  // The window procedure: subclasses handle what they want and pass the rest
  // on (TWinControl::WndProc, then the platform's procedure).
  virtual void WndProc(TMessage& message);

protected:
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWnd();
  virtual void DestroyWnd();
  // Runs once the window exists (again): the place to hand it the state.
  virtual void CreateWindowHandle(const TCreateParams& params);
  virtual void InitializeWindow() {}
  // Called before the window goes, to save what only the window holds.
  virtual void SaveWindowState() {}
  void DefaultHandler(TMessage& message);
  // Answers WM_PAINT by drawing on the window's paint context.
  void PaintWith(const std::function<void(HDC dc)>& paint);
  void FontChanged() override;
  // Keys: answering with Key = 0 consumes it.
  virtual void KeyDown(WORD& key, TShiftState shift);
  virtual void KeyUp(WORD& key, TShiftState shift);
  virtual void KeyPress(wchar_t& key);
  virtual void DoEnter();
  virtual void DoExit();
  void DestroyHandle();
  // The platform destroys the window (its owner or parent went): the
  // control keeps what the window held and forgets the window, to make a
  // new one when it is next needed.
  void WindowDestroyed();
  static TShiftState KeyShiftState();
  static TShiftState MouseShiftState(WPARAM keys);

  HWND fHandle = nullptr;
  bool fAcceptsControls = false;
  bool fTabStop = false;

private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void UpdateBoundsFromWindow();
  bool ReflectToChild(TMessage& message);
  void HandleMouse(TMessage& message);
  void UpdateHint();

  WNDPROC fDefWndProc = nullptr;
  std::vector<TControl*> fControls;
  // The windowed children in tab order.
  std::vector<TControl*> fTabList;
  int fTabOrder = -1;
  bool fRecreating = false;
  bool fAligning = false;
  bool fSettingBounds = false;
  HWND fToolTip = nullptr;
};

// Suspends a window's drawing while many changes are made; brackets nest,
// and the window is drawn again when the outermost one ends.
class TRedrawBracket {
public:
  void Begin(HWND window) {
    if (fCount++ == 0 && window != nullptr) SendMessageW(window, WM_SETREDRAW, FALSE, 0);
  }
  void End(HWND window) {
    if (fCount == 0) return;
    if (--fCount == 0 && window != nullptr) {
      SendMessageW(window, WM_SETREDRAW, TRUE, 0);
      InvalidateRect(window, nullptr, TRUE);
    }
  }
  bool Active() const noexcept { return fCount > 0; }

private:
  int fCount = 0;
};

// Whether caption gives key as its access key: the letter after a single
// "&" ("&&" is an ampersand), in either case.
bool IsAccel(wchar_t key, std::wstring_view caption);

// The window class the toolkit's own windows share, registered on first use.
const wchar_t* ToolkitWindowClass();

// The cursor the whole program shows (crDefault: each control's own).
TCursor ScreenCursor();
void SetScreenCursor(TCursor cursor);

}  // namespace ts
