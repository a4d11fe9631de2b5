// The system image list and its lookups, on Wine's real icon list.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <thread>

#include "shell/ItemIdListPaths.h"
#include "shell/NsBrowser.h"
#include "shell/NsSystemImageList.h"
#include "shell/ShellGlobals.h"
#include "support/TempFolder.h"

namespace ts::test {
namespace {

TEST(NsSystemImageListTest, ExtensionLookupsNeverTouchTheDisk) {
  const int txt = TNsSystemImageList::GetIndexFromExtension(L"txt", si_small, false);
  EXPECT_GE(txt, 0);
  EXPECT_EQ(TNsSystemImageList::GetIndexFromExtension(L".txt", si_small, false), txt);
  EXPECT_GE(TNsSystemImageList::GetIndexFromExtension(L"", si_small, false), 0);

  const int folder = TNsSystemImageList::GetFolderIconNumber(false);
  EXPECT_GE(folder, 0);
  EXPECT_GE(TNsSystemImageList::GetFolderIconNumber(true), 0);
  EXPECT_EQ(TNsSystemImageList::GetIndexFromPathByExt(L"C:\\some\\folder\\", si_small, false), folder);
  EXPECT_EQ(TNsSystemImageList::GetIndexFromPathByExt(L"\\\\server\\share", si_small, false), folder);

  // The document does not exist; its icon comes from its extension alone.
  ASSERT_EQ(GetFileAttributesW(L"C:\\a\\b.doc"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(TNsSystemImageList::GetIndexFromPathByExt(L"C:\\a\\b.doc", si_small, false),
            TNsSystemImageList::GetIndexFromExtension(L"doc", si_small, false));
  EXPECT_EQ(TNsSystemImageList::GetIndexFromFileName(L"C:\\no such folder\\x.txt", si_small, false), txt);
  EXPECT_FALSE(TNsSystemImageList::GetFileType(L"txt").empty());
  EXPECT_LE(TNsSystemImageList::GetFileType(L"txt").size(), 80u);
}

TEST(NsSystemImageListTest, ItemsOnDiskAndTheBrowsersIconNumbers) {
  TTempFolder temp;
  const std::wstring file = temp.MakeFile(L"readme.txt", "x");
  EXPECT_GE(TNsSystemImageList::GetIndexFromFileName(temp.Path(), si_small, false), 0);
  EXPECT_GE(TNsSystemImageList::GetIndexFromFileName(file, si_large, false), 0);
  TPidl list(PathToItemIdList(nullptr, temp.Path()));
  const int closed = TNsSystemImageList::GetIndexFromItemIdList(list.Get(), si_small, false);
  EXPECT_GE(closed, 0);
  EXPECT_GE(TNsSystemImageList::GetIndexFromItemIdList(list.Get(), si_small, true), 0);
  EXPECT_EQ(TNsSystemImageList::GetIndexFromItemIdList(nullptr, si_small, false), -1);

  TNsBrowser browser(temp.Path());
  EXPECT_EQ(browser.GetIconNumber(), closed);
  EXPECT_GE(browser.GetSelectedIconNumber(), 0);
}

TEST(NsSystemImageListTest, TheComponentShowsThePlatformListInItsSize) {
  TNsSystemImageList small(nullptr);
  EXPECT_TRUE(small.GetShareImages());
  EXPECT_EQ(small.GetSize(), si_small);
  ASSERT_TRUE(small.HandleAllocated());
  EXPECT_EQ(small.GetWidth(), GetSystemMetrics(SM_CXSMICON));
  EXPECT_GT(small.GetCount(), 0);
  EXPECT_FALSE(small.StoresImageData());

  TNsSystemImageList large(nullptr);
  large.SetSize(si_large);
  EXPECT_EQ(large.GetWidth(), GetSystemMetrics(SM_CXICON));

  // Before Vista the jumbo list is the large one.
  const bool vista = IsVistaOrLater;
  IsVistaOrLater = false;
  TNsSystemImageList jumbo(nullptr);
  jumbo.SetSize(si_jumbo);
  EXPECT_EQ(TNsSystemImageList::ListNumberOf(si_jumbo), SHIL_LARGE);
  EXPECT_EQ(jumbo.GetWidth(), large.GetWidth());
  IsVistaOrLater = vista;
  EXPECT_EQ(TNsSystemImageList::ListNumberOf(si_jumbo), vista ? SHIL_JUMBO : SHIL_LARGE);

  // Without sharing, a private copy with the same images, whichever way the
  // property is set: a list that believed it owned the platform's list would
  // destroy it.
  HIMAGELIST platform = small.GetHandle();
  {
    TNsSystemImageList copy(nullptr);
    TCustomImageList& asImageList = copy;
    asImageList.SetShareImages(false);
    EXPECT_FALSE(copy.GetShareImages());
    EXPECT_NE(copy.GetHandle(), platform);
    EXPECT_EQ(copy.GetCount(), small.GetCount());
    asImageList.SetShareImages(true);
    EXPECT_EQ(copy.GetHandle(), platform);
    asImageList.SetShareImages(false);
  }
  EXPECT_GT(ImageList_GetImageCount(platform), 0);
  EXPECT_EQ(small.GetHandle(), platform);
}

TEST(NsSystemImageListTest, ConvertingGivesAnEmpty32BitListAndLeavesThePlatformsAlone) {
  TNsSystemImageList list(nullptr);
  const int width = list.GetWidth();
  HIMAGELIST platform = list.GetHandle();
  TNsSystemImageList::ConvertTo32BitImageList(&list);
  if (!IsVistaOrLater) GTEST_SKIP() << "only from Vista on";
  EXPECT_NE(list.GetHandle(), platform);
  EXPECT_EQ(list.GetCount(), 0);
  EXPECT_EQ(list.GetWidth(), width);
  EXPECT_GT(ImageList_GetImageCount(platform), 0);  // still alive
  TNsSystemImageList::ConvertTo32BitImageList(nullptr);
}

TEST(NsSystemImageListTest, IconBitmapsAreCentredBorderedAndClipped) {
  TNsSystemImageList list(nullptr);
  const int icon = TNsSystemImageList::GetFolderIconNumber(false);
  const int side = list.GetWidth();
  ASSERT_GT(side, 0);

  auto bordered = list.GetIconAsBitmap(side + 8, side + 16, icon, clRed, clWhite);
  ASSERT_TRUE(bordered);
  EXPECT_EQ(bordered->GetWidth(), side + 16);
  EXPECT_EQ(bordered->GetHeight(), side + 8);
  EXPECT_TRUE(bordered->GetTransparent());
  EXPECT_EQ(bordered->GetPixelFormat(), IsVistaOrLater ? pf32bit : pf24bit);
  EXPECT_EQ(bordered->GetPixel(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(bordered->GetPixel(side + 15, side + 7), RGB(255, 0, 0));
  // Inside the border and outside the icon the rectangle's fill stays.
  EXPECT_EQ(bordered->GetPixel(1, 1), RGB(255, 255, 255));
  EXPECT_EQ(bordered->GetPixel(7, side / 2), RGB(255, 255, 255));
  EXPECT_EQ(bordered->GetPixel(side + 8, side / 2), RGB(255, 255, 255));
  // The icon sits at (8, 4).
  int drawn = 0;
  for (int y = 4; y < 4 + side; ++y)
    for (int x = 8; x < 8 + side; ++x)
      if (bordered->GetPixel(x, y) != RGB(255, 255, 255)) ++drawn;
  EXPECT_GT(drawn, side);

  // Handed over free of any drawing context, for the caller's own.
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bordered->GetHandle());
  EXPECT_NE(old, nullptr);
  if (old != nullptr) SelectObject(dc, old);
  DeleteDC(dc);

  auto plain = list.GetIconAsBitmap(side + 4, side + 4, icon, clNone, clWhite);
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->GetPixel(0, 0), RGB(0, 0, 0));  // no border, nothing drawn there

  // Smaller than the icon: drawn from a negative offset, clipped.
  auto clipped = list.GetIconAsBitmap(side / 2, side / 2, icon, clNone, clWhite);
  ASSERT_TRUE(clipped);
  int touched = 0;
  for (int y = 0; y < side / 2; ++y)
    for (int x = 0; x < side / 2; ++x)
      if (clipped->GetPixel(x, y) != RGB(0, 0, 0) || clipped->GetAlpha(x, y) != 0) ++touched;
  EXPECT_GT(touched, 0);
}

TEST(NsSystemImageListTest, LookupsFromWorkerThreadsAgreeWithTheMainThread) {
  TTempFolder temp;
  const std::wstring file = temp.MakeFile(L"a.txt", "x");
  TPidl list(PathToItemIdList(nullptr, temp.Path()));
  auto lookups = [&] {
    return std::vector<int>{TNsSystemImageList::GetIndexFromExtension(L"doc", si_small, false),
                            TNsSystemImageList::GetIndexFromFileName(file, si_small, false),
                            TNsSystemImageList::GetIndexFromPathByExt(L"C:\\x\\", si_small, true),
                            TNsSystemImageList::GetIndexFromItemIdList(list.Get(), si_small, false)};
  };
  const std::vector<int> expected = lookups();
  std::vector<std::vector<int>> results(4);
  std::vector<std::thread> threads;
  for (auto& result : results)
    threads.emplace_back([&result, &lookups] {
      CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
      for (int i = 0; i < 20; ++i) result = lookups();
      CoUninitialize();
    });
  for (auto& thread : threads) thread.join();
  for (const auto& result : results) EXPECT_EQ(result, expected);
}

}  // namespace
}  // namespace ts::test
