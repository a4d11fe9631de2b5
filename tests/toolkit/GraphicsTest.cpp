// Bitmaps, their canvas and the image-list component.
#include <gtest/gtest.h>

#include "toolkit/Exception.h"
#include "toolkit/Graphics.h"
#include "toolkit/ImageList.h"

namespace ts::test {
namespace {

TEST(GraphicsTest, ABitmapsCanvasDrawsWhatItIsToldAndReadsBack) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf32bit);
  bitmap.SetSize(10, 6);
  ASSERT_NE(bitmap.GetHandle(), nullptr);
  TCanvas& canvas = bitmap.GetCanvas();
  canvas.Pen.Color = clBlue;
  canvas.Brush.Color = clLime;
  canvas.Rectangle(0, 0, 10, 6);
  EXPECT_EQ(bitmap.GetPixel(0, 0), RGB(0, 0, 255));
  EXPECT_EQ(bitmap.GetPixel(9, 5), RGB(0, 0, 255));
  EXPECT_EQ(bitmap.GetPixel(4, 3), RGB(0, 255, 0));
  EXPECT_EQ(bitmap.GetPixel(10, 0), CLR_INVALID);
  EXPECT_EQ(ColorToRGB(clWindowText), GetSysColor(COLOR_WINDOWTEXT));

  bitmap.SetPixelFormat(pf24bit);  // made again, empty
  EXPECT_EQ(bitmap.GetPixel(4, 3), RGB(0, 0, 0));
  EXPECT_THROW(bitmap.SetPixelFormat(pf8bit), Exception);
  HBITMAP handle = bitmap.ReleaseHandle();
  EXPECT_NE(handle, nullptr);
  EXPECT_EQ(bitmap.GetHandle(), nullptr);
  DeleteObject(handle);
}

TEST(GraphicsTest, AnImageListOwnsItsHandleUnlessShared) {
  TBitmap image;
  image.SetSize(16, 16);
  image.GetCanvas().Brush.Color = clRed;
  image.GetCanvas().FillRect(RECT{0, 0, 16, 16});
  HBITMAP picture = image.ReleaseHandle();

  TCustomImageList list(nullptr);
  int changes = 0;
  list.OnChange = [&](TObject*) { ++changes; };
  EXPECT_EQ(list.GetCount(), 0);
  EXPECT_EQ(list.Add(picture, nullptr), 0);
  EXPECT_EQ(list.Add(picture, nullptr), 1);
  EXPECT_EQ(list.GetCount(), 2);
  EXPECT_GE(changes, 2);
  DeleteObject(picture);

  TBitmap target;
  target.SetSize(20, 20);
  list.Draw(target.GetCanvas(), 2, 2, 0);
  EXPECT_EQ(target.GetPixel(5, 5), RGB(255, 0, 0));
  EXPECT_EQ(target.GetPixel(1, 1), RGB(0, 0, 0));

  // A list that shares the handle leaves it alive.
  {
    TCustomImageList shared(nullptr);
    shared.SetShareImages(true);
    shared.SetHandle(list.GetHandle());
    EXPECT_EQ(shared.GetCount(), 2);
    EXPECT_EQ(shared.GetWidth(), 16);
  }
  EXPECT_EQ(ImageList_GetImageCount(list.GetHandle()), 2);
  list.Delete(0);
  EXPECT_EQ(list.GetCount(), 1);
  list.Clear();
  EXPECT_EQ(list.GetCount(), 0);
}

}  // namespace
}  // namespace ts::test
