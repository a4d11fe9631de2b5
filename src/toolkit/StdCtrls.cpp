#include "toolkit/StdCtrls.h"

#include "toolkit/Exception.h"
#include "toolkit/Forms.h"
#include "toolkit/Strings.h"

namespace ts {

// TButton

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) {
  fWidth = 75;
  fHeight = 25;
  fTabStop = true;
}

void TButton::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.ClassName = L"BUTTON";
  params.Style |= fDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool value) {
  fDefault = value;
  if (HandleAllocated()) SendMessageW(fHandle, BM_SETSTYLE, value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
  if (fModalResult != 0)
    if (TCustomForm* form = GetParentForm()) form->SetModalResult(fModalResult);
  TWinControl::Click();
}

void TButton::WndProc(TMessage& message) {
  if (message.Msg == CN_COMMAND && HIWORD(message.WParam) == BN_CLICKED) {
    Click();
    return;
  }
  TWinControl::WndProc(message);
}

// TLabel

TLabel::TLabel(TComponent* AOwner) : TWinControl(AOwner) {
  fWidth = 65;
  fHeight = 13;
}

void TLabel::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.ClassName = L"STATIC";
  params.Style |= SS_LEFT | SS_NOTIFY;
}

// TRadioButton

TRadioButton::TRadioButton(TComponent* AOwner) : TWinControl(AOwner) {
  fWidth = 113;
  fHeight = 17;
  fTabStop = true;
}

void TRadioButton::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.ClassName = L"BUTTON";
  params.Style |= BS_AUTORADIOBUTTON;
}

void TRadioButton::InitializeWindow() { SendMessageW(fHandle, BM_SETCHECK, fChecked ? BST_CHECKED : BST_UNCHECKED, 0); }

void TRadioButton::SaveWindowState() { fChecked = GetChecked(); }

bool TRadioButton::GetChecked() const {
  return HandleAllocated() ? SendMessageW(fHandle, BM_GETCHECK, 0, 0) == BST_CHECKED : fChecked;
}

void TRadioButton::SetChecked(bool value) {
  fChecked = value;
  SetTabStop(value);
  if (HandleAllocated()) SendMessageW(fHandle, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
  if (!value || fParent == nullptr) return;
  // The others of the same parent go off.
  for (int i = 0; i < fParent->ControlCount(); ++i)
    if (auto* other = dynamic_cast<TRadioButton*>(fParent->GetControl(i)); other != nullptr && other != this)
      other->SetChecked(false);
}

void TRadioButton::WndProc(TMessage& message) {
  if (message.Msg == CN_COMMAND && HIWORD(message.WParam) == BN_CLICKED) {
    // The platform checks a button the user clicks; the others of the
    // group, and which of them is the tab stop, follow here.
    SetChecked(GetChecked());
    Click();
    return;
  }
  TWinControl::WndProc(message);
}

void TRadioButton::Choose() {
  SetFocus();
  // Focused by a key, the platform may have checked it already.
  if (GetChecked()) return;
  SetChecked(true);
  Click();
}

// TGroupBox

TGroupBox::TGroupBox(TComponent* AOwner) : TWinControl(AOwner) {
  fWidth = 185;
  fHeight = 105;
  fAcceptsControls = true;
}

void TGroupBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.ClassName = L"BUTTON";
  params.Style |= BS_GROUPBOX;
}

// TMemo

TMemo::TMemo(TComponent* AOwner) : TWinControl(AOwner) {
  fWidth = 185;
  fHeight = 89;
  fTabStop = true;
  fLines.OnChange = [this](TObject*) {
    if (!fUpdatingLines && HandleAllocated()) SetWindowTextW(fHandle, fLines.GetText().c_str());
  };
}

void TMemo::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.ClassName = L"EDIT";
  params.Style |= ES_MULTILINE | ES_AUTOVSCROLL | WS_BORDER;
  if (fReadOnly) params.Style |= ES_READONLY;
  if (fScrollBars == ssVertical || fScrollBars == ssBoth) params.Style |= WS_VSCROLL;
  if (fScrollBars == ssHorizontal || fScrollBars == ssBoth) params.Style |= WS_HSCROLL | ES_AUTOHSCROLL;
}

void TMemo::InitializeWindow() { SetWindowTextW(fHandle, fLines.GetText().c_str()); }

void TMemo::SaveWindowState() {
  fUpdatingLines = true;
  fLines.SetText(GetText());
  fUpdatingLines = false;
}

std::wstring TMemo::GetText() {
  if (!HandleAllocated()) return fLines.GetText();
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(fHandle)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(fHandle, text.data(), static_cast<int>(text.size()))));
  return text;
}

void TMemo::SetText(const std::wstring& value) { fLines.SetText(value); }

void TMemo::SetReadOnly(bool value) {
  fReadOnly = value;
  if (HandleAllocated()) SendMessageW(fHandle, EM_SETREADONLY, value, 0);
}

void TMemo::SetScrollBars(TScrollStyle value) {
  if (value == fScrollBars) return;
  fScrollBars = value;
  RecreateWnd();
}

// TListBox

TListBox::TListBox(TComponent* AOwner) : TWinControl(AOwner), fItems(std::make_unique<TWindowStrings>(*this, ListBoxMessages)) {
  fWidth = 121;
  fHeight = 97;
  fTabStop = true;
  SetColor(clWindow);
}

TListBox::~TListBox() { DestroyHandle(); }

void TListBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.ClassName = L"LISTBOX";
  params.Style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER;
  params.Style |= fOwnerData ? LBS_NODATA | LBS_OWNERDRAWFIXED : LBS_HASSTRINGS;
}

void TListBox::InitializeWindow() {
  SendMessageW(fHandle, WM_SETREDRAW, FALSE, 0);
  if (fOwnerData) {
    SendMessageW(fHandle, LB_SETCOUNT, static_cast<WPARAM>(fItems->GetCount()), 0);
  } else {
    for (int i = 0; i < fItems->GetCount(); ++i)
      SendMessageW(fHandle, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(fItems->Get(i).c_str()));
  }
  SendMessageW(fHandle, LB_SETITEMHEIGHT, 0, fItemHeight);
  SendMessageW(fHandle, LB_SETCURSEL, static_cast<WPARAM>(fItemIndex), 0);
  SendMessageW(fHandle, WM_SETREDRAW, TRUE, 0);
}

void TListBox::SaveWindowState() { fItemIndex = GetItemIndex(); }

int TListBox::GetItemIndex() const {
  return HandleAllocated() ? static_cast<int>(SendMessageW(fHandle, LB_GETCURSEL, 0, 0)) : fItemIndex;
}

void TListBox::SetItemIndex(int value) {
  if (value < -1 || value >= fItems->GetCount()) value = -1;
  fItemIndex = value;
  if (HandleAllocated()) SendMessageW(fHandle, LB_SETCURSEL, static_cast<WPARAM>(value), 0);
}

void TListBox::SetItemHeight(int value) {
  if (value <= 0) return;
  fItemHeight = value;
  if (HandleAllocated()) {
    SendMessageW(fHandle, LB_SETITEMHEIGHT, 0, value);
    Invalidate();
  }
}

void TListBox::BeginUpdate() {
  fItems->BeginUpdate();
  fUpdate.Begin(fHandle);
}

void TListBox::EndUpdate() {
  // The count first, so that the window redraws with every line there.
  fItems->EndUpdate();
  fUpdate.End(fHandle);
}

void TListBox::SetOwnerData(bool value) {
  if (value == fOwnerData) return;
  fOwnerData = value;
  fItems->SetCountOnly(value);
  if (HandleAllocated()) RecreateWnd();
}

// The lines from index after + 1 on, round to the start, whose text begins
// with text (or, whole, is text), ignoring case: the list box's own search.
int TListBox::FindLine(int after, const wchar_t* text, bool whole) const {
  const int count = fItems->GetCount();
  if (count == 0 || text == nullptr) return LB_ERR;
  const std::wstring_view wanted(text);
  if (after < -1 || after >= count) after = -1;
  for (int step = 1; step <= count; ++step) {
    const int index = (after + step) % count;
    const std::wstring& line = fItems->Get(index);
    if (whole ? SameText(wanted, line) : StartsText(wanted, line)) return index;
  }
  return LB_ERR;
}

void TListBox::SelectByKey(wchar_t key) {
  const wchar_t text[2] = {key, 0};
  const int caret = static_cast<int>(SendMessageW(fHandle, LB_GETCARETINDEX, 0, 0));
  const int index = FindLine(caret, text, false);
  if (index == LB_ERR || index == GetItemIndex()) return;
  SendMessageW(fHandle, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  // As a list box does when a key selects: its parent hears of it.
  SendMessageW(::GetParent(fHandle), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(fHandle), LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(fHandle));
}

void TListBox::DrawOwnerDataItem(const DRAWITEMSTRUCT& draw) {
  RECT row = draw.rcItem;
  if (draw.itemAction == ODA_FOCUS || draw.itemID == static_cast<UINT>(-1)) {
    DrawFocusRect(draw.hDC, &row);
    return;
  }
  const int index = static_cast<int>(draw.itemID);
  const std::wstring empty;
  const std::wstring& line = index < fItems->GetCount() ? fItems->Get(index) : empty;
  const bool selected = (draw.itemState & ODS_SELECTED) != 0;
  COLORREF text = selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : ColorToRGB(GetFont().GetColor());
  if ((draw.itemState & ODS_DISABLED) != 0) text = GetSysColor(COLOR_GRAYTEXT);
  const COLORREF back = selected ? GetSysColor(COLOR_HIGHLIGHT) : ColorToRGB(GetColor());
  HGDIOBJ oldFont = SelectObject(draw.hDC, GetFont().GetHandle());
  const COLORREF oldText = SetTextColor(draw.hDC, text);
  const COLORREF oldBack = SetBkColor(draw.hDC, back);
  // Where a list box of strings puts its text: one pixel in.
  ExtTextOutW(draw.hDC, row.left + 1, row.top, ETO_OPAQUE | ETO_CLIPPED, &row, line.c_str(),
              static_cast<UINT>(line.size()), nullptr);
  if ((draw.itemState & ODS_FOCUS) != 0) DrawFocusRect(draw.hDC, &row);
  SetBkColor(draw.hDC, oldBack);
  SetTextColor(draw.hDC, oldText);
  SelectObject(draw.hDC, oldFont);
}

bool TListBox::HandleOwnerDataMessage(TMessage& message) {
  const int index = static_cast<int>(message.WParam);
  const bool inRange = index >= 0 && index < fItems->GetCount();
  switch (message.Msg) {
    case CN_DRAWITEM:
      DrawOwnerDataItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam));
      message.Result = TRUE;
      return true;
    case CN_MEASUREITEM:
      reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam)->itemHeight = static_cast<UINT>(fItemHeight);
      message.Result = TRUE;
      return true;
    case LB_GETTEXTLEN:
      message.Result = inRange ? static_cast<LRESULT>(fItems->Get(index).size()) : LB_ERR;
      return true;
    case LB_GETTEXT:
      if (!inRange || message.LParam == 0) {
        message.Result = LB_ERR;
      } else {
        const std::wstring& line = fItems->Get(index);
        line.copy(reinterpret_cast<wchar_t*>(message.LParam), line.size());
        reinterpret_cast<wchar_t*>(message.LParam)[line.size()] = 0;
        message.Result = static_cast<LRESULT>(line.size());
      }
      return true;
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT:
      message.Result = FindLine(index, reinterpret_cast<const wchar_t*>(message.LParam), message.Msg == LB_FINDSTRINGEXACT);
      return true;
    case LB_SELECTSTRING: {
      const int found = FindLine(index, reinterpret_cast<const wchar_t*>(message.LParam), false);
      if (found != LB_ERR) SendMessageW(fHandle, LB_SETCURSEL, static_cast<WPARAM>(found), 0);
      message.Result = found;
      return true;
    }
    case WM_CHAR:
      if (message.WParam >= L' ') {
        SelectByKey(static_cast<wchar_t>(message.WParam));
        message.Result = 0;
        return true;
      }
      return false;
    default:
      return false;
  }
}

void TListBox::WndProc(TMessage& message) {
  if (fOwnerData && HandleOwnerDataMessage(message)) return;
  if (message.Msg == CN_COMMAND) {
    switch (HIWORD(message.WParam)) {
      case LBN_DBLCLK: DblClick(); return;
      case LBN_SELCHANGE:
        fItemIndex = GetItemIndex();
        Click();
        if (OnSelect) OnSelect(this);
        return;
      default: break;
    }
  }
  // The list's double click comes through its notification, not the mouse.
  if (message.Msg == WM_LBUTTONDBLCLK) {
    DefaultHandler(message);
    return;
  }
  TWinControl::WndProc(message);
}

namespace {

std::string ColorIdent(TColor color) {
  if (color == clWindowText) return "clWindowText";
  if (color == clWindow) return "clWindow";
  if (color == clBtnFace) return "clBtnFace";
  if (color == clBlack) return "clBlack";
  if (color == clWhite) return "clWhite";
  return {};
}

TColor ColorFromIdent(const std::string& ident, TColor fallback) {
  if (ident == "clWindowText") return clWindowText;
  if (ident == "clWindow") return clWindow;
  if (ident == "clBtnFace") return clBtnFace;
  if (ident == "clBlack") return clBlack;
  if (ident == "clWhite") return clWhite;
  return fallback;
}

BYTE CharsetFromIdent(const std::string& ident, BYTE fallback) {
  if (ident == "DEFAULT_CHARSET") return DEFAULT_CHARSET;
  if (ident == "ANSI_CHARSET") return ANSI_CHARSET;
  if (ident == "SYMBOL_CHARSET") return SYMBOL_CHARSET;
  if (ident == "OEM_CHARSET") return OEM_CHARSET;
  return fallback;
}

std::string CharsetIdent(BYTE charset) {
  switch (charset) {
    case ANSI_CHARSET: return "ANSI_CHARSET";
    case SYMBOL_CHARSET: return "SYMBOL_CHARSET";
    case OEM_CHARSET: return "OEM_CHARSET";
    default: return "DEFAULT_CHARSET";
  }
}

constexpr const char* kFontStyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};

}  // namespace

void TListBox::WriteProperties(TWriter& writer) {
  writer.WritePropName("Left");
  writer.WriteInteger(fLeft);
  writer.WritePropName("Top");
  writer.WriteInteger(fTop);
  writer.WritePropName("Width");
  writer.WriteInteger(fWidth);
  writer.WritePropName("Height");
  writer.WriteInteger(fHeight);
  writer.WritePropName("Font.Charset");
  writer.WriteIdent(CharsetIdent(GetFont().GetCharset()));
  writer.WritePropName("Font.Color");
  const std::string color = ColorIdent(GetFont().GetColor());
  if (color.empty())
    writer.WriteInteger(GetFont().GetColor());
  else
    writer.WriteIdent(color);
  writer.WritePropName("Font.Height");
  writer.WriteInteger(GetFont().GetHeight());
  writer.WritePropName("Font.Name");
  writer.WriteString(GetFont().GetName());
  writer.WritePropName("Font.Style");
  std::vector<std::string> styles;
  for (int i = 0; i < 4; ++i)
    if (GetFont().GetStyle().Contains(static_cast<TFontStyle>(i))) styles.push_back(kFontStyleNames[i]);
  writer.WriteSet(styles);
  writer.WritePropName("ItemHeight");
  writer.WriteInteger(fItemHeight);
  writer.WritePropName("Items.Strings");
  writer.WriteListBegin();
  for (int i = 0; i < fItems->GetCount(); ++i) writer.WriteString(fItems->Get(i));
  writer.WriteListEnd();
  writer.WritePropName("ParentFont");
  writer.WriteBoolean(GetParentFont());
  writer.WritePropName("TabOrder");
  writer.WriteInteger(GetTabOrder() < 0 ? 0 : GetTabOrder());
}

bool TListBox::ReadProperty(TReader& reader, const std::string& name) {
  if (name == "Left") {
    SetLeft(reader.ReadInteger());
  } else if (name == "Top") {
    SetTop(reader.ReadInteger());
  } else if (name == "Width") {
    SetWidth(reader.ReadInteger());
  } else if (name == "Height") {
    SetHeight(reader.ReadInteger());
  } else if (name == "Font.Charset") {
    GetFont().SetCharset(CharsetFromIdent(reader.ReadIdent(), GetFont().GetCharset()));
  } else if (name == "Font.Color") {
    if (reader.PeekValueType() == vaIdent)
      GetFont().SetColor(ColorFromIdent(reader.ReadIdent(), GetFont().GetColor()));
    else
      GetFont().SetColor(reader.ReadInteger());
  } else if (name == "Font.Height") {
    GetFont().SetHeight(reader.ReadInteger());
  } else if (name == "Font.Name") {
    GetFont().SetName(reader.ReadString());
  } else if (name == "Font.Style") {
    TFontStyles styles;
    for (const std::string& element : reader.ReadSet())
      for (int i = 0; i < 4; ++i)
        if (element == kFontStyleNames[i]) styles.Include(static_cast<TFontStyle>(i));
    GetFont().SetStyle(styles);
  } else if (name == "ItemHeight") {
    SetItemHeight(reader.ReadInteger());
  } else if (name == "Items.Strings") {
    // A value that is not a list is refused before the lines change; a list
    // that breaks off keeps the lines read before the break.
    reader.ReadListBegin();
    fItems->BeginUpdate();
    try {
      fItems->Clear();
      while (!reader.EndOfList()) fItems->Add(reader.ReadString());
      reader.ReadListEnd();
    } catch (...) {
      fItems->EndUpdate();
      throw;
    }
    fItems->EndUpdate();
  } else if (name == "ParentFont") {
    SetParentFont(reader.ReadBoolean());
  } else if (name == "TabOrder") {
    SetTabOrder(reader.ReadInteger());
  } else {
    return false;
  }
  return true;
}

}  // namespace ts
