#include "controls/ShellListBackgroundMenu.h"

#include "controls/ShellList.h"
#include "shell/ShellGlobals.h"

namespace ts {

namespace {

constexpr wchar_t kArrangeIconsBy[] = L"Arrange Icons By";
constexpr wchar_t kSortColumnItemName[] = L"_SortColumnPopupMenuItem";
constexpr int kViewGroup = 1;
constexpr int kSortGroup = 2;

// The platform's word, or the program's own where the platform has none.
std::wstring CaptionOr(const std::wstring& platform, const wchar_t* own) {
  return platform.empty() ? std::wstring(own) : platform;
}

}  // namespace

TNsBackgroundContextMenu::TNsBackgroundContextMenu(TNsShellList* ListView)
    : TPopupMenu(ListView), fListView(ListView) {
  BuildItems();
}

TMenuItem* TNsBackgroundContextMenu::AddItem(TMenuItem& parent, const std::wstring& caption, TNotifyEvent onClick) {
  auto* item = new TMenuItem(this);
  item->SetCaption(caption);
  item->OnClick = std::move(onClick);
  parent.Add(item);
  return item;
}

TMenuItem* TNsBackgroundContextMenu::AddRadioItem(TMenuItem& parent, const std::wstring& caption, int group,
                                                   TNotifyEvent onClick) {
  TMenuItem* item = AddItem(parent, caption);
  item->SetRadioItem(true);
  item->SetGroupIndex(group);
  item->OnClick = [item, onClick = std::move(onClick)](TObject* sender) {
    item->SetChecked(true);
    if (onClick) onClick(sender);
  };
  return item;
}

void TNsBackgroundContextMenu::BuildItems() {
  const TShellMenuCaptions& c = ShellMenuCaptions;
  TNsShellList* list = fListView;
  TMenuItem& root = GetItems();

  ViewMenu = AddItem(root, CaptionOr(c.ViewMenu, L"&View"));
  ThumbnailsItem = AddRadioItem(*ViewMenu, CaptionOr(c.ThumbnailsView, L"T&humbnails"), kViewGroup,
                                [list](TObject*) { list->SetThumbnails(true); });
  IconsItem = AddRadioItem(*ViewMenu, CaptionOr(c.IconView, L"Ic&ons"), kViewGroup,
                           [list](TObject*) { list->SetViewStyle(vsIcon); });
  ListItem = AddRadioItem(*ViewMenu, CaptionOr(c.ListView, L"&List"), kViewGroup,
                          [list](TObject*) { list->SetViewStyle(vsList); });
  DetailsItem = AddRadioItem(*ViewMenu, CaptionOr(c.DetailsView, L"&Details"), kViewGroup,
                             [list](TObject*) { list->SetViewStyle(vsReport); });
  AddItem(root, L"-");

  TListColumns& columns = list->GetColumns();
  if (columns.Count() > 0) {
    ArrangeMenu = AddItem(root, kArrangeIconsBy);
    for (int i = 0; i < columns.Count(); ++i) {
      TMenuItem* column = AddRadioItem(*ArrangeMenu, columns.Item(i).Caption, kSortGroup, {});
      column->SetName(kSortColumnItemName + std::to_wstring(i));
      column->SetTag(i);
      TNotifyEvent check = column->OnClick;
      column->OnClick = [list, column, check](TObject* sender) {
        check(sender);
        list->SetSortColumn(column->GetTag());
      };
    }
  }

  RefreshItem = AddItem(root, CaptionOr(c.Refresh, L"R&efresh"), [list](TObject*) { list->FullRefresh(); });
  AddItem(root, L"-");
  PasteItem = AddItem(root, CaptionOr(c.Paste, L"&Paste"), [list](TObject*) { list->InvokeCommandOnFolder(L"paste"); });
  AddItem(root, L"-");
  NewMenu = AddItem(root, CaptionOr(c.NewMenu, L"Ne&w"));
  NewFolderItem = AddItem(*NewMenu, CaptionOr(c.NewFolder, L"&Folder"), [list](TObject*) { list->CreateDir(L"", true); });
  AddItem(root, L"-");
  PropertiesItem = AddItem(root, CaptionOr(c.Properties, L"P&roperties"),
                           [list](TObject*) { list->InvokeCommandOnFolder(L"properties"); });
}

}  // namespace ts
