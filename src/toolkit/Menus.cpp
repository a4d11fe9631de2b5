#include "toolkit/Menus.h"

#include <algorithm>
#include <map>

#include "toolkit/Application.h"
#include "toolkit/ImageList.h"
#include "toolkit/MenuCommandIds.h"

namespace ts {

namespace {

// Identifiers below 256 belong to the shell's context-menu handlers.
constexpr int kFirstApplicationCommand = 256;

std::map<int, TMenuItem*>& Commands() {
  static std::map<int, TMenuItem*> commands;
  return commands;
}

int AllocateApplicationCommand() {
  for (;;) {
    const int id = AllocateMenuCommandId();
    if (id < 0 || id >= kFirstApplicationCommand) return id;
    // Not reserved yet (the shell layer is not running): keep it reserved.
  }
}

std::wstring KeyName(WORD key) {
  if (key >= 'A' && key <= 'Z') return std::wstring(1, static_cast<wchar_t>(key));
  if (key >= '0' && key <= '9') return std::wstring(1, static_cast<wchar_t>(key));
  if (key >= VK_F1 && key <= VK_F24) return L"F" + std::to_wstring(key - VK_F1 + 1);
  switch (key) {
    case VK_DELETE: return L"Del";
    case VK_INSERT: return L"Ins";
    case VK_RETURN: return L"Enter";
    case VK_ESCAPE: return L"Esc";
    case VK_BACK: return L"BkSp";
    case VK_TAB: return L"Tab";
    case VK_SPACE: return L"Space";
    case VK_LEFT: return L"Left";
    case VK_RIGHT: return L"Right";
    case VK_UP: return L"Up";
    case VK_DOWN: return L"Down";
    default: return {};
  }
}

}  // namespace

std::wstring ShortCutToText(TShortCut shortCut) {
  const std::wstring name = KeyName(shortCut & 0xFF);
  if (name.empty()) return {};
  std::wstring text;
  if (shortCut & scShift) text += L"Shift+";
  if (shortCut & scCtrl) text += L"Ctrl+";
  if (shortCut & scAlt) text += L"Alt+";
  return text + name;
}

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), fCommand(AllocateApplicationCommand()) {
  if (fCommand >= 0) Commands()[fCommand] = this;
}

TMenuItem::~TMenuItem() {
  if (fParent != nullptr) fParent->Remove(this);
  for (TMenuItem* item : fItems) item->fParent = nullptr;
  if (fCommand >= 0) {
    Commands().erase(fCommand);
    ReleaseMenuCommandId(fCommand);
  }
}

std::wstring TMenuItem::GetLongHint() const {
  const size_t bar = fHint.find(L'|');
  return bar == std::wstring::npos ? fHint : fHint.substr(bar + 1);
}

void TMenuItem::SetChecked(bool value) {
  fChecked = value;
  if (value && fRadioItem && fParent != nullptr)
    for (TMenuItem* sibling : fParent->fItems)
      if (sibling != this && sibling->fRadioItem && sibling->fGroupIndex == fGroupIndex) sibling->fChecked = false;
  Changed();
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (item == nullptr) return;
  if (item->fParent != nullptr) item->fParent->Remove(item);
  index = std::clamp(index, 0, Count());
  fItems.insert(fItems.begin() + index, item);
  item->fParent = this;
  Changed();
}

void TMenuItem::Remove(TMenuItem* item) {
  auto it = std::find(fItems.begin(), fItems.end(), item);
  if (it == fItems.end()) return;
  fItems.erase(it);
  item->fParent = nullptr;
  Changed();
}

void TMenuItem::Clear() {
  while (!fItems.empty()) Remove(fItems.back());
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  auto it = std::find(fItems.begin(), fItems.end(), item);
  return it == fItems.end() ? -1 : static_cast<int>(it - fItems.begin());
}

void TMenuItem::Changed() {
  // A menu bar shows its items' state at once.
  for (TMenuItem* root = this; root != nullptr; root = root->fParent)
    if (auto* menu = dynamic_cast<TMainMenu*>(root->GetOwner()); menu != nullptr && &menu->GetItems() == root) {
      menu->Rebuild();
      break;
    }
}

void TMenuItem::AppendTo(HMENU menu) {
  if (!fVisible) return;
  if (IsLine()) {
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    return;
  }
  std::wstring text = fCaption;
  const std::wstring shortCut = ShortCutToText(fShortCut);
  if (!shortCut.empty()) text += L"\t" + shortCut;
  UINT flags = MF_STRING;
  if (!fEnabled) flags |= MF_GRAYED;
  if (fChecked) flags |= MF_CHECKED;
  if (fBreak) flags |= MF_MENUBREAK;
  UINT_PTR id = static_cast<UINT_PTR>(fCommand);
  if (!fItems.empty()) {
    flags |= MF_POPUP;
    id = reinterpret_cast<UINT_PTR>(CreateMenuHandle());
  }
  AppendMenuW(menu, flags, id, text.c_str());
  const int position = GetMenuItemCount(menu) - 1;
  if (fRadioItem && fChecked) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
    info.fType |= MFT_RADIOCHECK;
    SetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
  }
  if (fDefault) SetMenuDefaultItem(menu, static_cast<UINT>(position), TRUE);
}

HMENU TMenuItem::CreateMenuHandle() {
  HMENU menu = CreatePopupMenu();
  for (TMenuItem* item : fItems) item->AppendTo(menu);
  return menu;
}

void TMenuItem::Click() {
  if (OnClick) OnClick(this);
}

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), fItems(std::make_unique<TMenuItem>(this)) {}

TMenu::~TMenu() = default;

void TMenu::SetImages(TCustomImageList* value) {
  if (value == fImages) return;
  if (fImages != nullptr) fImages->RemoveFreeNotification(this);
  fImages = value;
  if (value != nullptr) value->FreeNotification(this);
}

void TMenu::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == fImages) fImages = nullptr;
}

TMenuItem* TMenu::FindItemByCommand(int command) {
  auto it = Commands().find(command);
  return it == Commands().end() ? nullptr : it->second;
}

TMainMenu::~TMainMenu() {
  if (fHandle != nullptr) DestroyMenu(fHandle);
}

HMENU TMainMenu::GetHandle() {
  if (fHandle == nullptr) Rebuild();
  return fHandle;
}

void TMainMenu::Rebuild() {
  HMENU bar = CreateMenu();
  for (int i = 0; i < fItems->Count(); ++i) fItems->Item(i)->AppendTo(bar);
  HMENU old = fHandle;
  fHandle = bar;
  // A form showing the bar takes the new one.
  if (old != nullptr) {
    for (HWND window = GetTopWindow(nullptr); window != nullptr; window = GetWindow(window, GW_HWNDNEXT))
      if (GetMenu(window) == old) {
        SetMenu(window, bar);
        DrawMenuBar(window);
      }
    DestroyMenu(old);
  }
}

void TPopupMenu::Popup(int X, int Y) {
  if (OnPopup) OnPopup(this);
  HMENU menu = fItems->CreateMenuHandle();
  int command;
  if (TrackMenu) {
    command = TrackMenu(menu, X, Y);
  } else {
    HWND owner = Application->GetHandle();
    SetForegroundWindow(owner);
    command = static_cast<int>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, X, Y, 0, owner, nullptr));
  }
  DestroyMenu(menu);
  if (command > 0) DispatchMenuCommand(command);
}

bool DispatchMenuCommand(int command) {
  TMenuItem* item = TMenu::FindItemByCommand(command);
  if (item == nullptr || !item->GetEnabled()) return false;
  item->Click();
  return true;
}

std::wstring MenuItemHint(int command) {
  TMenuItem* item = TMenu::FindItemByCommand(command);
  return item != nullptr ? item->GetLongHint() : std::wstring();
}

}  // namespace ts
