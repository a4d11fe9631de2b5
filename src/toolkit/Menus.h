#pragma once
// Menus: items (caption with accelerator, shortcut, check and radio marks,
// default, enabled, visible, break, image, hints, help context, sub items and
// a command identifier of 256 or above), the form's menu bar and popup menus
// with the image list their items' images come from.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "toolkit/Component.h"
#include "toolkit/StringList.h"

namespace ts {

using TShortCut = WORD;  // virtual key in the low byte, scShift/scCtrl/scAlt above
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
std::wstring ShortCutToText(TShortCut shortCut);

class TMenu;
class TCustomImageList;

class TMenuItem : public TComponent {
  TS_CLASS(TMenuItem, TComponent)

public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  const std::wstring& GetCaption() const noexcept { return fCaption; }
  void SetCaption(const std::wstring& value) { fCaption = value; Changed(); }
  TShortCut GetShortCut() const noexcept { return fShortCut; }
  void SetShortCut(TShortCut value) { fShortCut = value; Changed(); }
  bool GetChecked() const noexcept { return fChecked; }
  // A checked radio item unchecks the others of its group.
  void SetChecked(bool value);
  bool GetRadioItem() const noexcept { return fRadioItem; }
  void SetRadioItem(bool value) { fRadioItem = value; Changed(); }
  int GetGroupIndex() const noexcept { return fGroupIndex; }
  void SetGroupIndex(int value) { fGroupIndex = value; }
  bool GetDefault() const noexcept { return fDefault; }
  void SetDefault(bool value) { fDefault = value; Changed(); }
  bool GetEnabled() const noexcept { return fEnabled; }
  void SetEnabled(bool value) { fEnabled = value; Changed(); }
  bool GetVisible() const noexcept { return fVisible; }
  void SetVisible(bool value) { fVisible = value; Changed(); }
  bool GetBreak() const noexcept { return fBreak; }
  void SetBreak(bool value) { fBreak = value; Changed(); }
  int GetImageIndex() const noexcept { return fImageIndex; }
  void SetImageIndex(int value) noexcept { fImageIndex = value; }
  const std::wstring& GetHint() const noexcept { return fHint; }
  void SetHint(const std::wstring& value) { fHint = value; }
  // The part of the hint after "|", or all of it.
  std::wstring GetLongHint() const;
  int GetHelpContext() const noexcept { return fHelpContext; }
  void SetHelpContext(int value) noexcept { fHelpContext = value; }
  int GetCommand() const noexcept { return fCommand; }
  bool IsLine() const { return fCaption == L"-"; }

  int Count() const noexcept { return static_cast<int>(fItems.size()); }
  TMenuItem* Item(int index) const { return fItems[static_cast<size_t>(index)]; }
  TMenuItem* GetParent() const noexcept { return fParent; }
  // Takes the item into this menu (it stays owned by its owner).
  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);
  void Remove(TMenuItem* item);
  void Clear();
  int IndexOf(const TMenuItem* item) const;

  // Builds the platform's popup menu of the sub items (the caller destroys it).
  HMENU CreateMenuHandle();

  virtual void Click();

  TNotifyEvent OnClick;

private:
  void Changed();
  void AppendTo(HMENU menu);

  std::wstring fCaption;
  TShortCut fShortCut = 0;
  bool fChecked = false;
  bool fRadioItem = false;
  int fGroupIndex = 0;
  bool fDefault = false;
  bool fEnabled = true;
  bool fVisible = true;
  bool fBreak = false;
  int fImageIndex = -1;
  std::wstring fHint;
  int fHelpContext = 0;
  int fCommand = -1;
  std::vector<TMenuItem*> fItems;
  TMenuItem* fParent = nullptr;

  friend class TMenu;
  friend class TMainMenu;
};

class TMenu : public TComponent {
  TS_CLASS(TMenu, TComponent)

public:
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;

  // The root whose sub items are the menu's items.
  TMenuItem& GetItems() noexcept { return *fItems; }
  TCustomImageList* GetImages() const noexcept { return fImages; }
  void SetImages(TCustomImageList* value);
  // The item with a command identifier, in any menu; null for none.
  static TMenuItem* FindItemByCommand(int command);

protected:
  void Notification(TComponent* component, TOperation operation) override;

  std::unique_ptr<TMenuItem> fItems;

private:
  TCustomImageList* fImages = nullptr;
};

class TMainMenu : public TMenu {
  TS_CLASS(TMainMenu, TMenu)

public:
  explicit TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}
  ~TMainMenu() override;
  // The menu bar, built again from the items.
  HMENU GetHandle();
  void Rebuild();

private:
  HMENU fHandle = nullptr;
};

class TPopupMenu : public TMenu {
  TS_CLASS(TPopupMenu, TMenu)

public:
  explicit TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}

  // Shows the menu at a screen point and runs the chosen item's click.
  virtual void Popup(int X, int Y);
  TComponent* GetPopupComponent() const noexcept { return fPopupComponent; }
  void SetPopupComponent(TComponent* value) noexcept { fPopupComponent = value; }

  TNotifyEvent OnPopup;
  // Replaces the platform's menu loop (tests); answers the chosen command.
  std::function<int(HMENU menu, int x, int y)> TrackMenu;

private:
  TComponent* fPopupComponent = nullptr;
};

// Runs the item with the command identifier; false when there is none.
bool DispatchMenuCommand(int command);
// The hint of the item a menu-select message names, or empty.
std::wstring MenuItemHint(int command);

}  // namespace ts
