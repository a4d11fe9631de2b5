#include "toolkit/Controls.h"

#include <commctrl.h>

#include <algorithm>
#include <unordered_map>

#include "toolkit/Application.h"
#include "toolkit/Exception.h"
#include "toolkit/Forms.h"
#include "toolkit/Menus.h"

namespace ts {

namespace {

// The controls by window: looked up for every message, so a hash map rather
// than window properties (a round trip to the server under some platforms).
std::unordered_map<HWND, TWinControl*>& ControlsByWindow() {
  static std::unordered_map<HWND, TWinControl*> controls;
  return controls;
}
constexpr wchar_t kWindowClass[] = L"TsWindow";
int gNextControlId = 1000;

}  // namespace

const wchar_t* ToolkitWindowClass() {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kWindowClass;
    return RegisterClassW(&wc) != 0;
  }();
  (void)registered;
  return kWindowClass;
}

// TFont

TFont::~TFont() {
  if (fHandle != nullptr) DeleteObject(fHandle);
}

void TFont::Changed() {
  if (fHandle != nullptr) DeleteObject(fHandle);
  fHandle = nullptr;
  if (OnChange) OnChange();
}

void TFont::SetName(const std::wstring& value) {
  if (value == fName) return;
  fName = value;
  Changed();
}

void TFont::SetHeight(int value) {
  if (value == fHeight) return;
  fHeight = value;
  Changed();
}

void TFont::SetStyle(TFontStyles value) {
  if (value == fStyle) return;
  fStyle = value;
  Changed();
}

void TFont::SetColor(TColor value) {
  if (value == fColor) return;
  fColor = value;
  Changed();
}

void TFont::SetCharset(BYTE value) {
  if (value == fCharset) return;
  fCharset = value;
  Changed();
}

void TFont::Assign(const TFont& source) {
  if (&source == this) return;
  fName = source.fName;
  fHeight = source.fHeight;
  fStyle = source.fStyle;
  fColor = source.fColor;
  fCharset = source.fCharset;
  Changed();
}

void TFont::AssignLogFont(const LOGFONTW& font) {
  fName = font.lfFaceName;
  fHeight = font.lfHeight;
  fCharset = font.lfCharSet;
  fStyle = TFontStyles();
  if (font.lfWeight >= FW_BOLD) fStyle.Include(fsBold);
  if (font.lfItalic) fStyle.Include(fsItalic);
  if (font.lfUnderline) fStyle.Include(fsUnderline);
  if (font.lfStrikeOut) fStyle.Include(fsStrikeOut);
  Changed();
}

HFONT TFont::GetHandle() const {
  if (fHandle == nullptr)
    fHandle = CreateFontW(fHeight, 0, 0, 0, fStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL,
                          fStyle.Contains(fsItalic), fStyle.Contains(fsUnderline), fStyle.Contains(fsStrikeOut),
                          fCharset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                          fName.c_str());
  return fHandle;
}

// TControl

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {
  fFont.OnChange = [this] {
    if (!fAssigningParentFont) fParentFont = false;
    FontChanged();
  };
}

TControl::~TControl() {
  fFont.OnChange = nullptr;
  if (fParent != nullptr) fParent->RemoveControl(this);
}

void TControl::SetParent(TWinControl* value) {
  if (value == fParent) return;
  if (fParent != nullptr) fParent->RemoveControl(this);
  if (value != nullptr) value->InsertControl(this);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const bool resized = AWidth != fWidth || AHeight != fHeight;
  fLeft = ALeft;
  fTop = ATop;
  fWidth = AWidth;
  fHeight = AHeight;
  if (fParent != nullptr && fAlign != alNone) fParent->Realign();
  if (resized) Resize();
  Invalidate();
}

void TControl::SetAlign(TAlign value) {
  if (value == fAlign) return;
  fAlign = value;
  if (fParent != nullptr) fParent->Realign();
}

void TControl::SetVisible(bool value) {
  if (value == fVisible) return;
  fVisible = value;
  if (fParent != nullptr) fParent->Realign();
}

bool TControl::Showing() const {
  for (const TControl* c = this; c != nullptr; c = c->fParent)
    if (!c->fVisible) return false;
  return true;
}

void TControl::SetEnabled(bool value) { fEnabled = value; }

void TControl::SetParentFont(bool value) {
  fParentFont = value;
  if (value) ParentFontChanged();
}

void TControl::ParentFontChanged() {
  if (!fParentFont || fParent == nullptr) return;
  fAssigningParentFont = true;
  fFont.Assign(fParent->GetFont());
  fAssigningParentFont = false;
}

void TControl::FontChanged() {}

void TControl::SetColor(TColor value) {
  fColor = value;
  Invalidate();
}

void TControl::SetHint(const std::wstring& value) { fHint = value; }

void TControl::SetShowHint(bool value) { fShowHint = value; }

void TControl::SetPopupMenu(TPopupMenu* value) {
  if (fPopupMenu != nullptr) fPopupMenu->RemoveFreeNotification(this);
  fPopupMenu = value;
  if (value != nullptr) value->FreeNotification(this);
}

void TControl::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == fPopupMenu) fPopupMenu = nullptr;
}

void TControl::SetCaption(const std::wstring& value) { fCaption = value; }

POINT TControl::ClientToScreen(POINT point) {
  if (auto* self = dynamic_cast<TWinControl*>(this)) {
    ::ClientToScreen(self->GetHandle(), &point);
    return point;
  }
  if (fParent == nullptr) return point;
  return fParent->ClientToScreen(POINT{point.x + fLeft, point.y + fTop});
}

POINT TControl::ScreenToClient(POINT point) {
  if (auto* self = dynamic_cast<TWinControl*>(this)) {
    ::ScreenToClient(self->GetHandle(), &point);
    return point;
  }
  if (fParent == nullptr) return point;
  POINT p = fParent->ScreenToClient(point);
  return POINT{p.x - fLeft, p.y - fTop};
}

void TControl::Invalidate() {
  if (fParent != nullptr && fParent->HandleAllocated()) {
    RECT r = GetBoundsRect();
    InvalidateRect(fParent->GetHandle(), &r, TRUE);
  }
}

void TControl::Repaint() {
  Invalidate();
  if (fParent != nullptr && fParent->HandleAllocated()) UpdateWindow(fParent->GetHandle());
}

TCustomForm* TControl::GetParentForm() const {
  const TControl* top = this;
  while (top->fParent != nullptr) top = top->fParent;
  return dynamic_cast<TCustomForm*>(const_cast<TControl*>(top));
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

bool TControl::DoContextPopup(POINT mousePos) {
  if (OnContextPopup) {
    bool handled = false;
    OnContextPopup(this, mousePos, handled);
    if (handled) return true;
  }
  if (fPopupMenu == nullptr) return false;
  POINT screen = mousePos;
  if (screen.x == -1 && screen.y == -1) screen = POINT{fWidth / 2, fHeight / 2};
  screen = ClientToScreen(screen);
  fPopupMenu->SetPopupComponent(this);
  fPopupMenu->Popup(screen.x, screen.y);
  return true;
}

// TWinControl

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
  // Children are freed by their owners; here they only lose their parent.
  while (!fControls.empty()) fControls.back()->SetParent(nullptr);
  DestroyHandle();
}

TWinControl* TWinControl::FromHandle(HWND window) {
  if (window == nullptr) return nullptr;
  const auto& controls = ControlsByWindow();
  auto it = controls.find(window);
  return it == controls.end() ? nullptr : it->second;
}

TWinControl* TWinControl::FindControlForWindow(HWND window) {
  for (; window != nullptr; window = ::GetParent(window)) {
    if (TWinControl* control = FromHandle(window)) return control;
    if ((GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) == 0) break;
  }
  return nullptr;
}

HWND TWinControl::GetHandle() {
  if (fHandle == nullptr && fParent != nullptr) fParent->HandleNeeded();
  // Making the parent's window makes its children's too: this one may have
  // one by now, and a second would be left behind, unpainted.
  if (fHandle == nullptr) CreateWnd();
  return fHandle;
}

void TWinControl::CreateParams(TCreateParams& params) {
  params.ClassName = ToolkitWindowClass();
  params.Caption = GetCaption();
  params.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  if (fParent != nullptr) params.Style |= WS_CHILD;
  if (GetVisible()) params.Style |= WS_VISIBLE;
  if (!GetEnabled()) params.Style |= WS_DISABLED;
  if (fTabStop) params.Style |= WS_TABSTOP;
  // The platform's dialog navigation looks inside containers too.
  if (fAcceptsControls) params.ExStyle |= WS_EX_CONTROLPARENT;
  params.X = fLeft;
  params.Y = fTop;
  params.Width = fWidth;
  params.Height = fHeight;
  params.WndParent = fParent != nullptr ? fParent->fHandle : Application->GetHandle();
}

void TWinControl::CreateWindowHandle(const TCreateParams& params) {
  HMENU id = (params.Style & WS_CHILD) != 0 ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(gNextControlId++)) : nullptr;
  fHandle = CreateWindowExW(params.ExStyle, params.ClassName.c_str(), params.Caption.c_str(), params.Style, params.X,
                            params.Y, params.Width, params.Height, params.WndParent, id, GetModuleHandleW(nullptr),
                            nullptr);
  if (fHandle == nullptr) RaiseLastOSError();
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  CreateWindowHandle(params);
  ControlsByWindow()[fHandle] = this;
  fDefWndProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(fHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWinControl::WindowProc)));
  SendMessageW(fHandle, WM_SETFONT, reinterpret_cast<WPARAM>(GetFont().GetHandle()), FALSE);
  UpdateHint();
  InitializeWindow();
  for (TControl* control : fControls)
    if (auto* child = dynamic_cast<TWinControl*>(control)) child->HandleNeeded();
  Realign();
}

void TWinControl::DestroyWnd() {
  if (fHandle == nullptr) return;
  SaveWindowState();
  for (TControl* control : fControls)
    if (auto* child = dynamic_cast<TWinControl*>(control)) child->DestroyHandle();
  HWND window = fHandle;
  ControlsByWindow().erase(window);
  SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(fDefWndProc));
  fHandle = nullptr;
  if (fToolTip != nullptr) DestroyWindow(fToolTip);
  fToolTip = nullptr;
  DestroyWindow(window);
}

void TWinControl::DestroyHandle() { DestroyWnd(); }

void TWinControl::WindowDestroyed() {
  if (fHandle == nullptr) return;
  ControlsByWindow().erase(fHandle);
  fHandle = nullptr;
  fDefWndProc = nullptr;
  // A tooltip belongs to the window's top-level window, which is going too.
  fToolTip = nullptr;
}

void TWinControl::SetTabStop(bool value) {
  fTabStop = value;
  if (fHandle == nullptr) return;
  const LONG_PTR style = GetWindowLongPtrW(fHandle, GWL_STYLE);
  SetWindowLongPtrW(fHandle, GWL_STYLE, value ? style | WS_TABSTOP : style & ~static_cast<LONG_PTR>(WS_TABSTOP));
}

void TWinControl::RecreateWnd() {
  if (fHandle == nullptr) return;
  fRecreating = true;
  try {
    DestroyHandle();
    HandleNeeded();
  } catch (...) {
    fRecreating = false;
    throw;
  }
  fRecreating = false;
}

void TWinControl::InsertControl(TControl* control) {
  control->fParent = this;
  fControls.push_back(control);
  if (auto* child = dynamic_cast<TWinControl*>(control)) {
    fTabList.push_back(child);
    if (child->fTabOrder >= 0) child->SetTabOrder(child->fTabOrder);
  }
  control->ParentFontChanged();
  if (fHandle != nullptr)
    if (auto* child = dynamic_cast<TWinControl*>(control)) child->HandleNeeded();
  Realign();
}

void TWinControl::RemoveControl(TControl* control) {
  auto it = std::find(fControls.begin(), fControls.end(), control);
  if (it == fControls.end()) return;
  if (auto* child = dynamic_cast<TWinControl*>(control)) child->DestroyHandle();
  fControls.erase(it);
  // By address: a control being destroyed is no longer a windowed one here.
  std::erase(fTabList, control);
  if (auto* child = dynamic_cast<TWinControl*>(control)) child->fTabOrder = -1;
  control->fParent = nullptr;
  Realign();
}

void TWinControl::Realign() {
  if (fAligning) return;
  fAligning = true;
  RECT r{0, 0, GetClientWidth(), GetClientHeight()};
  for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
    std::vector<TControl*> aligned;
    for (TControl* c : fControls)
      if (c->GetAlign() == align && c->GetVisible()) aligned.push_back(c);
    // Controls on the same side keep their order on that side.
    std::stable_sort(aligned.begin(), aligned.end(), [align](TControl* a, TControl* b) {
      switch (align) {
        case alTop: return a->fTop < b->fTop;
        case alBottom: return a->fTop + a->fHeight > b->fTop + b->fHeight;
        case alLeft: return a->fLeft < b->fLeft;
        case alRight: return a->fLeft + a->fWidth > b->fLeft + b->fWidth;
        default: return false;
      }
    });
    for (TControl* c : aligned) {
      const int w = r.right - r.left, h = r.bottom - r.top;
      switch (align) {
        case alTop: c->SetBounds(r.left, r.top, w, c->fHeight); r.top += c->fHeight; break;
        case alBottom: c->SetBounds(r.left, r.bottom - c->fHeight, w, c->fHeight); r.bottom -= c->fHeight; break;
        case alLeft: c->SetBounds(r.left, r.top, c->fWidth, h); r.left += c->fWidth; break;
        case alRight: c->SetBounds(r.right - c->fWidth, r.top, c->fWidth, h); r.right -= c->fWidth; break;
        default: c->SetBounds(r.left, r.top, w < 0 ? 0 : w, h < 0 ? 0 : h); break;
      }
    }
  }
  fAligning = false;
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (AWidth < 0) AWidth = 0;
  if (AHeight < 0) AHeight = 0;
  const bool changed = ALeft != fLeft || ATop != fTop || AWidth != fWidth || AHeight != fHeight;
  if (!changed) return;
  const bool resized = AWidth != fWidth || AHeight != fHeight;
  fLeft = ALeft;
  fTop = ATop;
  fWidth = AWidth;
  fHeight = AHeight;
  if (fHandle != nullptr && !fSettingBounds) {
    fSettingBounds = true;
    SetWindowPos(fHandle, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    fSettingBounds = false;
  }
  if (fParent != nullptr && GetAlign() != alNone) fParent->Realign();
  if (resized) {
    Realign();
    Resize();
  }
}

void TWinControl::UpdateBoundsFromWindow() {
  if (fHandle == nullptr || fSettingBounds) return;
  RECT r;
  GetWindowRect(fHandle, &r);
  if (fParent != nullptr && fParent->fHandle != nullptr) MapWindowPoints(nullptr, fParent->fHandle, reinterpret_cast<POINT*>(&r), 2);
  const bool resized = r.right - r.left != fWidth || r.bottom - r.top != fHeight;
  fLeft = r.left;
  fTop = r.top;
  fWidth = r.right - r.left;
  fHeight = r.bottom - r.top;
  if (resized) {
    Realign();
    Resize();
  }
}

int TWinControl::GetClientWidth() {
  if (fHandle == nullptr) return fWidth;
  RECT r;
  GetClientRect(fHandle, &r);
  return r.right;
}

int TWinControl::GetClientHeight() {
  if (fHandle == nullptr) return fHeight;
  RECT r;
  GetClientRect(fHandle, &r);
  return r.bottom;
}

void TWinControl::SetVisible(bool value) {
  if (value == GetVisible()) return;
  TControl::SetVisible(value);
  if (fHandle != nullptr) ShowWindow(fHandle, value ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::SetEnabled(bool value) {
  TControl::SetEnabled(value);
  if (fHandle != nullptr) EnableWindow(fHandle, value);
}

void TWinControl::SetCaption(const std::wstring& value) {
  TControl::SetCaption(value);
  if (fHandle != nullptr) SetWindowTextW(fHandle, value.c_str());
}

void TWinControl::FontChanged() {
  if (fHandle != nullptr) SendMessageW(fHandle, WM_SETFONT, reinterpret_cast<WPARAM>(GetFont().GetHandle()), TRUE);
  for (TControl* c : fControls) c->ParentFontChanged();
}

bool TWinControl::Focused() const { return fHandle != nullptr && GetFocus() == fHandle; }

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c != nullptr; c = c->GetParent())
    if (!c->GetVisible() || !c->GetEnabled()) return false;
  return true;
}

void TWinControl::SetFocus() {
  if (CanFocus()) ::SetFocus(GetHandle());
}

int TWinControl::GetTabOrder() const {
  if (fParent == nullptr) return fTabOrder;
  auto& list = fParent->fTabList;
  auto it = std::find(list.begin(), list.end(), static_cast<const TControl*>(this));
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int value) {
  fTabOrder = value;
  if (fParent == nullptr) return;
  auto& list = fParent->fTabList;
  auto it = std::find(list.begin(), list.end(), static_cast<TControl*>(this));
  if (it == list.end()) return;
  list.erase(it);
  const int last = static_cast<int>(list.size());
  list.insert(list.begin() + std::clamp(value, 0, last), this);
}

void TWinControl::Invalidate() {
  if (fHandle != nullptr) InvalidateRect(fHandle, nullptr, TRUE);
}

void TWinControl::Repaint() {
  if (fHandle == nullptr) return;
  InvalidateRect(fHandle, nullptr, TRUE);
  UpdateWindow(fHandle);
}

void TWinControl::UpdateHint() {
  if (fHandle == nullptr) return;
  if (!GetShowHint() || GetHint().empty()) return;
  if (fToolTip == nullptr)
    fToolTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0,
                               0, 0, fHandle, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (fToolTip == nullptr) return;
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = fHandle;
  tool.uId = reinterpret_cast<UINT_PTR>(fHandle);
  std::wstring text = GetHint();
  tool.lpszText = text.data();
  SendMessageW(fToolTip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(fToolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

TShiftState TWinControl::KeyShiftState() {
  TShiftState shift;
  if (GetKeyState(VK_SHIFT) < 0) shift.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) shift.Include(ssCtrl);
  if (GetKeyState(VK_MENU) < 0) shift.Include(ssAlt);
  return shift;
}

TShiftState TWinControl::MouseShiftState(WPARAM keys) {
  TShiftState shift;
  if (keys & MK_SHIFT) shift.Include(ssShift);
  if (keys & MK_CONTROL) shift.Include(ssCtrl);
  if (keys & MK_LBUTTON) shift.Include(ssLeft);
  if (keys & MK_RBUTTON) shift.Include(ssRight);
  if (keys & MK_MBUTTON) shift.Include(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) shift.Include(ssAlt);
  return shift;
}

void TWinControl::KeyDown(WORD& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(wchar_t& key) {
  if (OnKeyPress) OnKeyPress(this, key);
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

void TWinControl::DefaultHandler(TMessage& message) {
  message.Result = fDefWndProc != nullptr
                       ? CallWindowProcW(fDefWndProc, fHandle, message.Msg, message.WParam, message.LParam)
                       : DefWindowProcW(fHandle, message.Msg, message.WParam, message.LParam);
}

void TWinControl::PaintWith(const std::function<void(HDC dc)>& paint) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(fHandle, &ps);
  try {
    paint(dc);
  } catch (...) {
    EndPaint(fHandle, &ps);
    throw;
  }
  EndPaint(fHandle, &ps);
}

bool TWinControl::ReflectToChild(TMessage& message) {
  HWND child = nullptr;
  switch (message.Msg) {
    case WM_COMMAND: child = reinterpret_cast<HWND>(message.LParam); break;
    case WM_NOTIFY: child = reinterpret_cast<NMHDR*>(message.LParam)->hwndFrom; break;
    case WM_DRAWITEM: child = reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam)->hwndItem; break;
    case WM_MEASUREITEM:
      child = GetDlgItem(fHandle, static_cast<int>(reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam)->CtlID));
      break;
    default: break;
  }
  TWinControl* control = FromHandle(child);
  if (control == nullptr || control == this) return false;
  TMessage reflected{CN_BASE + message.Msg, message.WParam, message.LParam};
  control->WndProc(reflected);
  message.Result = reflected.Result;
  return true;
}

void TWinControl::HandleMouse(TMessage& message) {
  const int x = static_cast<short>(LOWORD(message.LParam));
  const int y = static_cast<short>(HIWORD(message.LParam));
  const TShiftState shift = MouseShiftState(message.WParam);
  switch (message.Msg) {
    case WM_LBUTTONDOWN: if (OnMouseDown) OnMouseDown(this, mbLeft, shift, x, y); break;
    case WM_RBUTTONDOWN: if (OnMouseDown) OnMouseDown(this, mbRight, shift, x, y); break;
    case WM_MBUTTONDOWN: if (OnMouseDown) OnMouseDown(this, mbMiddle, shift, x, y); break;
    case WM_LBUTTONUP: if (OnMouseUp) OnMouseUp(this, mbLeft, shift, x, y); break;
    case WM_RBUTTONUP: if (OnMouseUp) OnMouseUp(this, mbRight, shift, x, y); break;
    case WM_MBUTTONUP: if (OnMouseUp) OnMouseUp(this, mbMiddle, shift, x, y); break;
    case WM_MOUSEMOVE: if (OnMouseMove) OnMouseMove(this, shift, x, y); break;
    case WM_LBUTTONDBLCLK: DblClick(); break;
    default: break;
  }
}

void TWinControl::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_COMMAND:
      if (message.LParam != 0) {
        if (ReflectToChild(message)) return;
      } else if (HIWORD(message.WParam) <= 1 && DispatchMenuCommand(LOWORD(message.WParam))) {
        return;
      }
      break;
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
      if (ReflectToChild(message)) return;
      break;
    case WM_SIZE:
    case WM_MOVE:
      DefaultHandler(message);
      UpdateBoundsFromWindow();
      return;
    case WM_ERASEBKGND:
      if (fDefWndProc == DefWindowProcW) {
        RECT r;
        GetClientRect(fHandle, &r);
        HBRUSH brush = CreateSolidBrush(ColorToRGB(GetColor()));
        FillRect(reinterpret_cast<HDC>(message.WParam), &r, brush);
        DeleteObject(brush);
        message.Result = 1;
        return;
      }
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      WORD key = static_cast<WORD>(message.WParam);
      const bool down = message.Msg == WM_KEYDOWN || message.Msg == WM_SYSKEYDOWN;
      // A form with KeyPreview sees the key first.
      TCustomForm* form = GetParentForm();
      TWinControl* preview = form != nullptr && form != this && form->GetKeyPreview() ? form : nullptr;
      if (preview != nullptr) down ? preview->KeyDown(key, KeyShiftState()) : preview->KeyUp(key, KeyShiftState());
      if (key != 0) down ? KeyDown(key, KeyShiftState()) : KeyUp(key, KeyShiftState());
      if (key == 0) return;  // consumed
      message.WParam = key;
      break;
    }
    case WM_CHAR: {
      auto key = static_cast<wchar_t>(message.WParam);
      TCustomForm* form = GetParentForm();
      if (form != nullptr && form != this && form->GetKeyPreview()) static_cast<TWinControl*>(form)->KeyPress(key);
      if (key != 0) KeyPress(key);
      if (key == 0) return;
      message.WParam = key;
      break;
    }
    case WM_DESTROY:
      // Only a window that the platform destroys gets here (with its owner
      // or parent): the control's own destruction takes its procedure back
      // first. What the window holds is kept for the next window.
      SaveWindowState();
      break;
    case WM_NCDESTROY:
      DefaultHandler(message);
      WindowDestroyed();
      return;
    case WM_SETFOCUS:
      DefaultHandler(message);
      DoEnter();
      return;
    case WM_KILLFOCUS:
      DefaultHandler(message);
      DoExit();
      return;
    case WM_CONTEXTMENU: {
      POINT point{static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam))};
      if (point.x != -1 || point.y != -1) ::ScreenToClient(fHandle, &point);
      if (DoContextPopup(point)) return;
      break;
    }
    case WM_SETCURSOR: {
      TCursor cursor = ScreenCursor() != crDefault ? ScreenCursor() : GetCursor();
      if (cursor != crDefault && LOWORD(message.LParam) == HTCLIENT) {
        ::SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(cursor)));
        message.Result = TRUE;
        return;
      }
      break;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDBLCLK:
      HandleMouse(message);
      break;
    default:
      break;
  }
  DefaultHandler(message);
}

LRESULT CALLBACK TWinControl::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  TWinControl* control = FromHandle(window);
  if (control == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  TMessage m{message, wParam, lParam};
  try {
    control->WndProc(m);
  } catch (...) {
    Application->HandleException();
  }
  return m.Result;
}

// The cursor the whole program shows while it is not crDefault.
namespace {
TCursor gScreenCursor = crDefault;
}

TCursor ScreenCursor() { return gScreenCursor; }

void SetScreenCursor(TCursor cursor) {
  gScreenCursor = cursor;
  POINT p;
  GetCursorPos(&p);
  ::SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(cursor == crDefault ? crArrow : cursor)));
  SetCursorPos(p.x, p.y);  // makes the window under the mouse ask again
}

}  // namespace ts
