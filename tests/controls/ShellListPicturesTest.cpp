// The shell list's pictures: icons and overlays from jobs for the items
// drawn, thumbnail mode, the icon sizes, colouring and the background picture.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "ShellListPicturesSupport.h"
#include "shell/FakeNamespace.h"
#include "shell/FileProbes.h"
#include "shell/NsSystemImageList.h"
#include "support/TempFolder.h"
#include "toolkit/ComPtr.h"

namespace ts::test {
namespace {

int SystemIconOf(PCItemIDList absolute) {
  SHFILEINFOW info{};
  if (!SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute), 0, &info, sizeof info,
                      SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
    return -1;
  return info.iIcon;
}

void MakeShortcut(const std::wstring& path, const std::wstring& target) {
  TComPtr<IShellLinkW> link;
  ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.PutVoid())));
  link->SetPath(target.c_str());
  TComPtr<IPersistFile> file;
  ASSERT_TRUE(SUCCEEDED(link.As(IID_IPersistFile, file)));
  ASSERT_TRUE(SUCCEEDED(file->Save(path.c_str(), TRUE)));
}

// A pixel of an image list's picture, drawn on white.
COLORREF ImagePixel(HIMAGELIST list, int index, int x, int y) {
  int width = 0, height = 0;
  ImageList_GetIconSize(list, &width, &height);
  TBitmap canvas;
  canvas.SetSize(width, height);
  canvas.GetCanvas().Brush.Color = clWhite;
  canvas.GetCanvas().FillRect(RECT{0, 0, width, height});
  ImageList_DrawEx(list, index, canvas.GetCanvas().GetHandle(), 0, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_NORMAL);
  return canvas.GetPixel(x, y);
}

// A pixel of a bitmap file.
COLORREF FilePixel(const std::wstring& path, int x, int y) {
  HBITMAP loaded = static_cast<HBITMAP>(LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  if (loaded == nullptr) return CLR_INVALID;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, loaded);
  const COLORREF color = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(loaded);
  return color;
}

struct ShellListPicturesTest : ::testing::Test {
  TTempFolder temp;
  TRecordingForm view{800, 600};
  TRecordingList* list = view.List;
};

TEST_F(ShellListPicturesTest, EveryDrawnItemGetsTheSystemImageListsIconAndItsOverlay) {
  temp.MakeFile(L"text.txt");
  temp.MakeFile(L"page.html");
  temp.MakeFile(L"no extension");
  temp.MakeFolder(L"folder");
  MakeShortcut(temp / L"shortcut.lnk", temp / L"text.txt");
  list->SetShowParentFolder(true);
  list->SetPath(temp.Path());
  view.Draw();
  std::vector<TNsShellListItem*> drawn = view.Drawn();
  ASSERT_EQ(drawn.size(), 5u);  // " .. " is filled without being marked
  ASSERT_TRUE(WaitForJobs());
  for (TNsShellListItem* item : drawn) {
    EXPECT_EQ(list->IconsDelivered[TNsShellList::TagOf(item)], 1) << item->GetCaption();
    EXPECT_EQ(list->OverlaysDelivered[TNsShellList::TagOf(item)], 1) << item->GetCaption();
    EXPECT_EQ(item->GetImageIndex(), SystemIconOf(item->GetAbsolutePIDL())) << item->GetCaption();
  }
  // Wine has no overlay handler: a shortcut's overlay comes from its attributes.
  TNsShellListItem* shortcut = nullptr;
  for (TNsShellListItem* item : drawn)
    if (item->GetCaption().find(L"shortcut") == 0) shortcut = item;
  ASSERT_NE(shortcut, nullptr);
  EXPECT_EQ(shortcut->GetOverlayIndex(), 1);
  // The parent-folder item has the folder icon and asks for nothing.
  TNsShellListItem* parent = list->GetItems()[0];
  ASSERT_TRUE(parent->GetIsParentFolderItem());
  EXPECT_EQ(parent->GetImageIndex(), TNsSystemImageList::GetFolderIconNumber(false));
  EXPECT_EQ(list->JobsQueued.count(TNsShellList::TagOf(parent)), 0u);
  EXPECT_EQ(list->DeadDeliveries, 0);
}

TEST_F(ShellListPicturesTest, ScrollingAsksPicturesOnlyForTheItemsThatBecomeVisible) {
  for (int i = 0; i < 300; ++i) temp.MakeFile(L"file " + std::to_wstring(1000 + i) + L".txt");
  list->SetPath(temp.Path());
  view.Draw();
  const int shown = static_cast<int>(SendMessageW(list->GetHandle(), LVM_GETCOUNTPERPAGE, 0, 0));
  ASSERT_GT(shown, 3);
  ASSERT_LT(shown, 100);
  auto jobsOf = [&](int index) {
    auto it = list->JobsQueued.find(TNsShellList::TagOf(list->GetItems()[index]));
    return it == list->JobsQueued.end() ? 0 : it->second;
  };
  EXPECT_EQ(jobsOf(0), 2);  // icon and overlay
  EXPECT_EQ(jobsOf(shown - 1), 2);
  EXPECT_EQ(jobsOf(150), 0);
  EXPECT_EQ(jobsOf(299), 0);
  list->GetItems()[150]->MakeVisible(false);
  UpdateWindow(list->GetHandle());
  EXPECT_EQ(jobsOf(150), 2);
  EXPECT_EQ(jobsOf(299), 0);
  EXPECT_LT(static_cast<int>(list->JobsQueued.size()), 2 * shown + 20);
  // Drawn again, an item with its picture asks for nothing more.
  view.Draw();
  EXPECT_EQ(jobsOf(150), 2);

  list->SetShowOverlayIcons(false);
  list->JobsQueued.clear();
  view.Draw();
  EXPECT_EQ(jobsOf(static_cast<int>(SendMessageW(list->GetHandle(), LVM_GETTOPINDEX, 0, 0))), 1);
  ASSERT_TRUE(WaitForJobs());
  EXPECT_EQ(list->DeadDeliveries, 0);
}

TEST_F(ShellListPicturesTest, ThumbnailModeShowsFramedThumbnailsAndAnyViewStyleLeavesIt) {
  for (int i = 0; i < 6; ++i) temp.MakeFile(L"picture " + std::to_wstring(i) + L".txt");
  temp.MakeFolder(L"folder");
  list->SetPath(temp.Path());
  list->SetThumbnails(true);
  EXPECT_TRUE(list->GetThumbnails());
  EXPECT_EQ(list->GetViewStyle(), vsIcon);
  HIMAGELIST normal = reinterpret_cast<HIMAGELIST>(SendMessageW(list->GetHandle(), LVM_GETIMAGELIST, LVSIL_NORMAL, 0));
  EXPECT_EQ(normal, list->GetThumbNailImages()->GetHandle());
  view.Draw();
  std::vector<TNsShellListItem*> drawn = view.Drawn();
  ASSERT_EQ(drawn.size(), 7u);
  ASSERT_TRUE(WaitForJobs());
  EXPECT_EQ(list->ThumbnailsDelivered, 7);
  EXPECT_EQ(list->GetThumbNailImages()->GetCount(), 7);
  std::set<int> slots;
  for (TNsShellListItem* item : drawn) slots.insert(item->GetImageIndex());
  EXPECT_EQ(slots, (std::set<int>{0, 1, 2, 3, 4, 5, 6}));
  // Every slot is framed in the border colour.
  for (int slot : slots) EXPECT_EQ(ImagePixel(normal, slot, 0, 0), ColorToRGB(list->GetThumbnailBorderColor()));

  list->SetViewStyle(vsReport);
  EXPECT_FALSE(list->GetThumbnails());
  EXPECT_EQ(list->GetViewStyle(), vsReport);
  view.Draw();
  ASSERT_TRUE(WaitForJobs());
  for (TNsShellListItem* item : view.Drawn()) EXPECT_EQ(item->GetImageIndex(), SystemIconOf(item->GetAbsolutePIDL()));
  EXPECT_EQ(list->GetThumbNailImages()->GetCount(), 0);
  EXPECT_EQ(list->DeadDeliveries, 0);
}

TEST_F(ShellListPicturesTest, TheParentFolderItemKeepsOneThumbnailSlotHoweverOftenItIsDrawn) {
  temp.MakeFile(L"one.txt");
  temp.MakeFile(L"two.txt");
  list->SetShowParentFolder(true);
  list->SetPath(temp.Path());
  list->SetThumbnails(true);
  for (int i = 0; i < 5; ++i) view.Draw();
  ASSERT_TRUE(WaitForJobs());
  EXPECT_EQ(list->GetThumbNailImages()->GetCount(), 3);
  EXPECT_EQ(list->GetItems()[0]->GetCaption(), L" .. ");
  EXPECT_GE(list->GetItems()[0]->GetImageIndex(), 0);
  EXPECT_EQ(list->JobsQueued.count(TNsShellList::TagOf(list->GetItems()[0])), 0u);
}

TEST_F(ShellListPicturesTest, AChangedThumbnailSizeMakesEveryThumbnailAgain) {
  for (int i = 0; i < 4; ++i) temp.MakeFile(L"file " + std::to_wstring(i) + L".txt");
  list->SetPath(temp.Path());
  list->SetThumbnails(true);
  view.Draw();
  ASSERT_TRUE(WaitForJobs());
  ASSERT_EQ(list->ThumbnailsDelivered, 4);
  list->ThumbnailWidths.clear();
  std::vector<int> updated;
  list->OnThumbnailUpdated = [&](TObject*, int, TBitmap* bitmap) { updated.push_back(bitmap->GetWidth()); };
  list->SetThumbnailWidth(64);
  EXPECT_EQ(list->GetThumbnailWidth(), 64);
  for (int i = 0; i < list->GetItems().Count(); ++i) EXPECT_EQ(list->GetItems()[i]->GetImageIndex(), -1);
  view.Draw();
  ASSERT_TRUE(WaitForJobs());
  EXPECT_EQ(list->ThumbnailsDelivered, 8);
  EXPECT_EQ(list->GetThumbNailImages()->GetWidth(), 64);
  EXPECT_EQ(list->GetThumbNailImages()->GetCount(), 4);
  // Placeholders and results alike are 64 wide once padded.
  EXPECT_EQ(updated.size(), 8u);
  for (int width : updated) EXPECT_EQ(width, 64);
  list->SetThumbnailHeight(50);
  EXPECT_EQ(list->GetThumbNailImages()->GetHeight(), 50);
  EXPECT_EQ(list->DeadDeliveries, 0);
}

TEST_F(ShellListPicturesTest, TheThumbnailListKeepsOneSlotAnItemAcrossBorderColours) {
  for (int i = 0; i < 4; ++i) temp.MakeFile(L"file " + std::to_wstring(i) + L".txt");
  list->SetPath(temp.Path());
  list->SetThumbnails(true);
  view.Draw();
  ASSERT_TRUE(WaitForJobs());
  ASSERT_EQ(list->GetThumbNailImages()->GetCount(), 4);
  for (TColor color : {TColor(0x0000FF), TColor(0xFF0000), TColor(0x00FF00)}) {
    list->SetThumbnailBorderColor(color);
    view.Draw();
    ASSERT_TRUE(WaitForJobs());
    EXPECT_EQ(list->GetThumbNailImages()->GetCount(), 4);
  }
  for (int i = 0; i < list->GetItems().Count(); ++i) {
    EXPECT_GE(list->GetItems()[i]->GetImageIndex(), 0);
    EXPECT_LT(list->GetItems()[i]->GetImageIndex(), 4);
  }
  EXPECT_EQ(list->DeadDeliveries, 0);
}

// A list whose placeholders cannot be made: the item keeps no image.
class TFailingPlaceholderList : public TRecordingList {
public:
  using TRecordingList::TRecordingList;
  std::map<TNsShellListItem*, int> Fills;

protected:
  void FillItemPictures(TNsShellListItem* Item) override {
    ++Fills[Item];
    TRecordingList::FillItemPictures(Item);
    Item->SetImageIndex(-1);
  }
};

TEST_F(ShellListPicturesTest, AnItemWhosePlaceholderFailedIsNotFilledAgainAtEveryPaint) {
  TRecordingFormOf<TFailingPlaceholderList> failing;
  failing.List->DropJobs = true;
  for (int i = 0; i < 3; ++i) temp.MakeFile(L"file " + std::to_wstring(i) + L".txt");
  failing.List->SetPath(temp.Path());
  for (int i = 0; i < 5; ++i) failing.Draw();
  ASSERT_EQ(failing.List->Fills.size(), 3u);
  for (const auto& [item, fills] : failing.List->Fills) EXPECT_EQ(fills, 1) << item->GetCaption().c_str();
  // A new size asks for new pictures once more.
  failing.List->SetThumbnails(true);
  failing.List->Fills.clear();
  failing.List->SetThumbnailWidth(50);
  for (int i = 0; i < 3; ++i) failing.Draw();
  for (const auto& [item, fills] : failing.List->Fills) EXPECT_EQ(fills, 1) << item->GetCaption().c_str();
}

// Items whose freed memory is kept and filled with pointers to traps, so
// that a use after their end is counted instead of running on garbage.
int gItemTraps = 0;
ULONG STDMETHODCALLTYPE ItemTrap(void*) {
  ++gItemTraps;
  return 0;
}
void* gItemTrapTable[64];

class TPoisonedItem : public TLiveItem {
public:
  using TLiveItem::TLiveItem;
  static void* operator new(std::size_t size) { return ::operator new(size); }
  static void operator delete(void* memory, std::size_t size) {
    for (auto& entry : gItemTrapTable) entry = reinterpret_cast<void*>(&ItemTrap);
    void* table = gItemTrapTable;
    auto* bytes = static_cast<unsigned char*>(memory);
    for (std::size_t at = 0; at + sizeof table <= size; at += sizeof table) std::memcpy(bytes + at, &table, sizeof table);
    // Kept on purpose: the memory stays poisoned for the rest of the run.
  }
};

TEST_F(ShellListPicturesTest, AThumbnailHandlerThatRefreshesTheListLeavesNoUseOfTheOldItems) {
  list->OnCreateItemClass = [this](TCustomListView*, TListItemClass& itemClass) {
    itemClass = [this](TListItems* items) { return new TPoisonedItem(items, list->Live); };
  };
  for (int i = 0; i < 5; ++i) temp.MakeFile(L"file " + std::to_wstring(i) + L".txt");
  list->SetPath(temp.Path());
  list->SetThumbnails(true);
  gItemTraps = 0;
  // Once as the placeholder is made, once as a thumbnail arrives.
  int refreshes = 0;
  list->OnThumbnailUpdated = [&](TObject*, int, TBitmap*) {
    if (refreshes < 2) {
      ++refreshes;
      list->FullRefresh();
    }
  };
  view.Draw();
  ASSERT_TRUE(WaitForJobs());
  view.Draw();
  ASSERT_TRUE(WaitForJobs());
  EXPECT_EQ(refreshes, 2);
  EXPECT_EQ(gItemTraps, 0);
  EXPECT_EQ(list->DeadDeliveries, 0);
  list->OnThumbnailUpdated = nullptr;
  list->FullRefresh();
  view.Draw();
  ASSERT_TRUE(WaitForJobs());
  EXPECT_EQ(list->GetItems().Count(), 5);
  EXPECT_EQ(gItemTraps, 0);
}

TEST_F(ShellListPicturesTest, ASmallThumbnailIsPaddedWithTheWindowColourAndFramed) {
  temp.MakeFile(L"one.txt");
  list->SetPath(temp.Path());
  list->SetThumbnailBorderColor(clRed);
  list->SetThumbnails(true);
  view.Draw();
  ASSERT_TRUE(WaitForJobs());
  ASSERT_EQ(list->GetThumbNailImages()->GetCount(), 1);
  int reported = -1;
  list->OnThumbnailUpdated = [&](TObject* sender, int index, TBitmap* bitmap) {
    EXPECT_EQ(sender, list);
    EXPECT_EQ(bitmap->GetWidth(), 96);
    EXPECT_EQ(bitmap->GetHeight(), 96);
    reported = index;
  };
  auto* small = new TBitmap();
  small->SetSize(40, 30);
  small->GetCanvas().Brush.Color = clLime;
  small->GetCanvas().FillRect(RECT{0, 0, 40, 30});
  list->ThumbnailReady(small, 0, 0);
  EXPECT_EQ(reported, 0);
  HIMAGELIST images = list->GetThumbNailImages()->GetHandle();
  EXPECT_EQ(ImagePixel(images, 0, 10, 10), RGB(0, 255, 0));
  EXPECT_EQ(ImagePixel(images, 0, 60, 60), ColorToRGB(clWindow));
  EXPECT_EQ(ImagePixel(images, 0, 0, 50), RGB(255, 0, 0));
  EXPECT_EQ(ImagePixel(images, 0, 95, 95), RGB(255, 0, 0));
  // Nothing, or a slot that does not exist, changes nothing.
  reported = -1;
  list->ThumbnailReady(nullptr, 0, 0);
  auto* stray = new TBitmap();
  stray->SetSize(10, 10);
  list->ThumbnailReady(stray, 5, 0);
  list->ThumbnailReady(new TBitmap(), -1, 0);
  EXPECT_EQ(reported, -1);
  EXPECT_EQ(list->GetThumbNailImages()->GetCount(), 1);
}

TEST_F(ShellListPicturesTest, IconResultsSetTheirIndexOnlyWhenTheyMeanOne) {
  temp.MakeFile(L"one.txt");
  list->SetPath(temp.Path());
  view.Draw();
  ASSERT_TRUE(WaitForJobs());
  TNsShellListItem* item = list->GetItems()[0];
  const TWorkTag tag = TNsShellList::TagOf(item);
  const int icon = item->GetImageIndex();
  list->IconReady(-1, itNormal, tag);
  EXPECT_EQ(item->GetImageIndex(), icon);
  list->IconReady(icon + 3, itSelected, tag);
  EXPECT_EQ(item->GetImageIndex(), icon);
  list->IconReady(icon + 3, itNormal, tag);
  EXPECT_EQ(item->GetImageIndex(), icon + 3);
  list->IconReady(2, itOverlay, tag);
  EXPECT_EQ(item->GetOverlayIndex(), 2);
  LVITEMW lv{};
  lv.mask = LVIF_STATE;
  lv.stateMask = LVIS_OVERLAYMASK;
  SendMessageW(list->GetHandle(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lv));
  EXPECT_EQ(lv.state & LVIS_OVERLAYMASK, INDEXTOOVERLAYMASK(3));
  // Without a window nothing is applied.
  list->SetParent(nullptr);
  ASSERT_FALSE(list->HandleAllocated());
  list->IconReady(icon, itNormal, tag);
  EXPECT_EQ(item->GetImageIndex(), icon + 3);
}

TEST_F(ShellListPicturesTest, TheLargeIconSizesExcludeEachOther) {
  list->SetViewStyle(vsIcon);
  auto normal = [&] {
    return reinterpret_cast<HIMAGELIST>(SendMessageW(list->GetHandle(), LVM_GETIMAGELIST, LVSIL_NORMAL, 0));
  };
  auto iconWidth = [&] {
    int width = 0, height = 0;
    ImageList_GetIconSize(normal(), &width, &height);
    return width;
  };
  EXPECT_FALSE(list->GetShowExtraLargeIcons());
  EXPECT_FALSE(list->GetShowJumboIcons());
  const int large = iconWidth();
  list->SetShowExtraLargeIcons(true);
  EXPECT_TRUE(list->GetShowExtraLargeIcons());
  EXPECT_GT(iconWidth(), large);
  list->SetShowJumboIcons(true);
  EXPECT_TRUE(list->GetShowJumboIcons());
  EXPECT_FALSE(list->GetShowExtraLargeIcons());
  list->SetShowExtraLargeIcons(false);
  EXPECT_FALSE(list->GetShowJumboIcons());
  EXPECT_EQ(iconWidth(), large);
}

TEST_F(ShellListPicturesTest, TheBackgroundFileLivesAsLongAsTheWindow) {
  TBitmap picture;
  picture.SetSize(40, 30);
  picture.GetCanvas().Brush.Color = clBlue;
  picture.GetCanvas().FillRect(RECT{0, 0, 40, 30});
  list->SetBackgroundImage(picture);
  const std::wstring path = list->GetBackgroundImagePath();
  EXPECT_EQ(path, GetTempDirectory() + L"TNsShellListBackgroundImage_Temp" +
                      std::to_wstring(reinterpret_cast<uintptr_t>(list->GetHandle())) + L".bmp");
  EXPECT_TRUE(PathExists(path));
  EXPECT_EQ(FilePixel(path, 5, 5), RGB(0, 0, 255));
  EXPECT_EQ(FilePixel(path, 39, 29), RGB(0, 0, 255));
  for (TNsBackgroundImageStyle style : {bisLeftTop, bisRightBottom, bisTiled}) {
    list->SetBackgroundImageStyle(style);
    EXPECT_EQ(list->GetBackgroundImagePath(), path);
  }
  // A new window, a new file; the old one goes with its window.
  list->RecreateWnd();
  EXPECT_FALSE(PathExists(path));
  const std::wstring second = list->GetBackgroundImagePath();
  EXPECT_TRUE(PathExists(second));
  // An empty picture takes the background away.
  list->SetBackgroundImage(TBitmap());
  EXPECT_FALSE(PathExists(second));
  EXPECT_EQ(list->GetBackgroundImagePath(), L"");
  list->SetBackgroundImage(picture);
  const std::wstring third = list->GetBackgroundImagePath();
  EXPECT_TRUE(PathExists(third));
  list->SetParent(nullptr);
  EXPECT_FALSE(PathExists(third));
}

TEST_F(ShellListPicturesTest, ABackgroundThatCannotBeWrittenIsNotShown) {
  list->HandleNeeded();
  const std::wstring path = GetTempDirectory() + L"TNsShellListBackgroundImage_Temp" +
                            std::to_wstring(reinterpret_cast<uintptr_t>(list->GetHandle())) + L".bmp";
  ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr));  // in the file's way
  TBitmap picture;
  picture.SetSize(10, 10);
  EXPECT_NO_THROW(list->SetBackgroundImage(picture));
  EXPECT_EQ(list->GetBackgroundImagePath(), L"");
  RemoveDirectoryW(path.c_str());
}

// On a namespace the test sets up: attributes Wine's files cannot have.
struct ShellListColouringTest : ::testing::Test {
  TFakeNamespace space;
  TRecordingForm view{500, 300};
  TRecordingList* list = view.List;
  TFakeItem* folder;

  ShellListColouringTest() {
    list->DropJobs = true;
    list->SetAutomaticRefresh(false);
    folder = &space.Add(space.Desktop(), L"Folder", SFGAO_FOLDER);
    space.Add(*folder, L"plain", 0);
    space.Add(*folder, L"packed", SFGAO_COMPRESSED);
    space.Add(*folder, L"secret", SFGAO_ENCRYPTED);
    space.Add(*folder, L"both", SFGAO_COMPRESSED | SFGAO_ENCRYPTED);
    space.Add(*folder, L"hidden", SFGAO_HIDDEN);
    list->SetShowHidden(true);
    list->SetDetails(false);
    list->SetColorCompressed(true);
    list->SetColorEncrypted(true);
    TPidl shown(space.AbsoluteList(*folder));
    list->SetFolderIdList(shown.Get());
  }
  TNsShellListItem* Named(const std::wstring& caption) {
    for (int i = 0; i < list->GetItems().Count(); ++i)
      if (list->GetItems()[i]->GetCaption() == caption) return list->GetItems()[i];
    return nullptr;
  }
  // How many pixels of the item's label are of the colour (within a margin
  // for smoothed edges).
  int PixelsLike(TNsShellListItem* item, COLORREF color) {
    RECT label = item->DisplayRect(drLabel);
    RECT client;
    GetClientRect(list->GetHandle(), &client);
    TBitmap shot;
    shot.SetSize(client.right, client.bottom);
    SendMessageW(list->GetHandle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(shot.GetCanvas().GetHandle()),
                 PRF_CLIENT | PRF_ERASEBKGND);
    int count = 0;
    for (int y = label.top; y < label.bottom; ++y)
      for (int x = label.left; x < label.right; ++x) {
        const COLORREF pixel = shot.GetPixel(x, y);
        if (std::abs(GetRValue(pixel) - GetRValue(color)) < 40 && std::abs(GetGValue(pixel) - GetGValue(color)) < 40 &&
            std::abs(GetBValue(pixel) - GetBValue(color)) < 40)
          ++count;
      }
    return count;
  }
};

TEST_F(ShellListColouringTest, CompressedIsBlueEncryptedGreenAndBothGreen) {
  view.Draw();
  ASSERT_EQ(view.Drawn().size(), 5u);
  EXPECT_TRUE(Named(L"packed")->GetIsCompressed());
  EXPECT_FALSE(Named(L"packed")->GetIsEncrypted());
  EXPECT_TRUE(Named(L"secret")->GetIsEncrypted());
  EXPECT_TRUE(Named(L"both")->GetIsCompressed());
  EXPECT_TRUE(Named(L"both")->GetIsEncrypted());
  EXPECT_TRUE(Named(L"hidden")->GetCut());
  EXPECT_FALSE(Named(L"plain")->GetCut());

  const COLORREF blue = RGB(0, 0, 255), green = RGB(0, 128, 0);
  EXPECT_GT(PixelsLike(Named(L"packed"), blue), 5);
  EXPECT_EQ(PixelsLike(Named(L"packed"), green), 0);
  EXPECT_GT(PixelsLike(Named(L"secret"), green), 5);
  EXPECT_GT(PixelsLike(Named(L"both"), green), 5);
  EXPECT_EQ(PixelsLike(Named(L"both"), blue), 0);
  EXPECT_EQ(PixelsLike(Named(L"plain"), green) + PixelsLike(Named(L"plain"), blue), 0);
}

TEST_F(ShellListColouringTest, WithoutOverlaysNothingIsDimmedOrColoured) {
  list->SetShowOverlayIcons(false);
  view.Draw();
  ASSERT_EQ(view.Drawn().size(), 5u);
  for (TNsShellListItem* item : view.Drawn()) {
    EXPECT_FALSE(item->GetIsCompressed()) << item->GetCaption();
    EXPECT_FALSE(item->GetIsEncrypted()) << item->GetCaption();
    EXPECT_FALSE(item->GetCut()) << item->GetCaption();
    EXPECT_EQ(list->JobsQueued[TNsShellList::TagOf(item)], 1);  // the icon only
  }
  EXPECT_EQ(PixelsLike(Named(L"both"), RGB(0, 128, 0)), 0);
}

TEST_F(ShellListColouringTest, ColouringOffLeavesTheFlagsOff) {
  list->SetColorCompressed(false);
  list->SetColorEncrypted(false);
  view.Draw();
  EXPECT_FALSE(Named(L"both")->GetIsCompressed());
  EXPECT_FALSE(Named(L"both")->GetIsEncrypted());
  EXPECT_TRUE(Named(L"hidden")->GetCut());
}

}  // namespace
}  // namespace ts::test
