#pragma once
// The file list's own menu for its empty space: the view styles, the sort
// column, refresh, paste, a new folder and the folder's properties.
#include <string>

#include "toolkit/Menus.h"

namespace ts {

class TNsShellList;

class TNsBackgroundContextMenu : public TPopupMenu {
  TS_CLASS(TNsBackgroundContextMenu, TPopupMenu)

public:
  // The list owns the menu; the items are built once, here.
  explicit TNsBackgroundContextMenu(TNsShellList* ListView);

  TNsShellList* GetListView() const noexcept { return fListView; }
  // The items by what they do, for the list and for tests.
  TMenuItem* ViewMenu = nullptr;
  TMenuItem* ThumbnailsItem = nullptr;
  TMenuItem* IconsItem = nullptr;
  TMenuItem* ListItem = nullptr;
  TMenuItem* DetailsItem = nullptr;
  TMenuItem* ArrangeMenu = nullptr;  // null when the list had no columns
  TMenuItem* RefreshItem = nullptr;
  TMenuItem* PasteItem = nullptr;
  TMenuItem* NewMenu = nullptr;
  TMenuItem* NewFolderItem = nullptr;
  TMenuItem* PropertiesItem = nullptr;

private:
  void BuildItems();
  TMenuItem* AddItem(TMenuItem& parent, const std::wstring& caption, TNotifyEvent onClick = {});
  // A radio item of a group that checks itself when chosen.
  TMenuItem* AddRadioItem(TMenuItem& parent, const std::wstring& caption, int group, TNotifyEvent onClick);

  TNsShellList* fListView;
};

}  // namespace ts
