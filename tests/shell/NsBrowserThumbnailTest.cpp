// Thumbnails: Wine's image factory and icon fallback, and the size rules on a
// fake image factory.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <vector>

#include "shell/NsBrowser.h"
#include "shell/ShellFunctions.h"
#include "support/TempFolder.h"
#include "toolkit/Image.h"

namespace ts::test {
namespace {

HBITMAP MakeBitmap(int width, int height) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf32bit);
  bitmap.SetSize(width, height);
  return bitmap.ReleaseHandle();
}

// An item whose image factory answers with bitmaps of the sizes the test
// chooses, recording every request.
struct TFactoryScript {
  std::vector<SIZE> Requests;
  std::vector<SIIGBF> Flags;
  std::function<SIZE(SIZE)> Answer = [](SIZE asked) { return asked; };
  bool Fails = false;
  bool NoThumbnail = false;  // fails requests for a thumbnail only
};
TFactoryScript* gScript = nullptr;

class TFakeItem : public IShellItem, public IShellItemImageFactory {
public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IShellItem)) {
      *object = static_cast<IShellItem*>(this);
    } else if (IsEqualIID(iid, IID_IShellItemImageFactory)) {
      *object = static_cast<IShellItemImageFactory*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++fRefs; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG refs = --fRefs;
    if (refs == 0) delete this;
    return refs;
  }
  HRESULT STDMETHODCALLTYPE BindToHandler(IBindCtx*, REFGUID, REFIID, void** out) override {
    *out = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetParent(IShellItem** out) override {
    *out = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetDisplayName(SIGDN, LPWSTR* out) override {
    *out = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetAttributes(SFGAOF, SFGAOF*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Compare(IShellItem*, SICHINTF, int*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetImage(SIZE size, SIIGBF flags, HBITMAP* bitmap) override {
    gScript->Requests.push_back(size);
    gScript->Flags.push_back(flags);
    *bitmap = nullptr;
    if (gScript->Fails || (gScript->NoThumbnail && (flags & SIIGBF_THUMBNAILONLY) != 0)) return E_FAIL;
    const SIZE answer = gScript->Answer(size);
    *bitmap = MakeBitmap(answer.cx, answer.cy);
    return S_OK;
  }

private:
  virtual ~TFakeItem() = default;
  ULONG fRefs = 1;
};

HRESULT WINAPI CreateFakeItem(PCIDLIST_ABSOLUTE, REFIID iid, void** item) {
  auto* fake = new TFakeItem();
  const HRESULT hr = fake->QueryInterface(iid, item);
  fake->Release();
  return hr;
}

class ThumbnailFakeTest : public ::testing::Test {
protected:
  ThumbnailFakeTest() : browser(temp.MakeFile(L"picture.jpg", "not really")) {
    saved = ShellFunctions.SHCreateItemFromIDList;
    ShellFunctions.SHCreateItemFromIDList = &CreateFakeItem;
    gScript = &script;
  }
  ~ThumbnailFakeTest() override {
    ShellFunctions.SHCreateItemFromIDList = saved;
    gScript = nullptr;
  }

  TTempFolder temp;
  TNsBrowser browser;
  TFactoryScript script;
  decltype(TShellFunctions::SHCreateItemFromIDList) saved;
};

TEST_F(ThumbnailFakeTest, ASideOfZeroAsksFor200By200) {
  auto bitmap = browser.GetThumbnailBitmap(0, 96, false);
  ASSERT_TRUE(bitmap);
  ASSERT_GE(script.Requests.size(), 1u);
  EXPECT_EQ(script.Requests[0].cx, 200);
  EXPECT_EQ(script.Requests[0].cy, 200);
  EXPECT_EQ(script.Flags[0], SIIGBF_THUMBNAILONLY);
}

TEST_F(ThumbnailFakeTest, APortraitAnswerIsAskedAgainInProportion) {
  script.Answer = [](SIZE asked) { return asked.cx == 96 && asked.cy == 96 ? SIZE{96, 128} : asked; };
  auto bitmap = browser.GetThumbnailBitmap(96, 96, false);
  ASSERT_TRUE(bitmap);
  ASSERT_EQ(script.Requests.size(), 2u);
  EXPECT_EQ(script.Requests[1].cx, 72);
  EXPECT_EQ(script.Requests[1].cy, 96);
  EXPECT_EQ(bitmap->GetWidth(), 72);
  EXPECT_EQ(bitmap->GetHeight(), 96);

  // A landscape answer too wide by more than 1 %.
  script.Requests.clear();
  script.Answer = [](SIZE asked) { return asked.cy == 100 ? SIZE{150, 100} : asked; };
  bitmap = browser.GetThumbnailBitmap(100, 100, false);
  ASSERT_EQ(script.Requests.size(), 2u);
  EXPECT_EQ(script.Requests[1].cx, 100);
  EXPECT_EQ(script.Requests[1].cy, 67);
}

TEST_F(ThumbnailFakeTest, AnAnswerWithinOnePercentIsKeptAndAFailureGivesNothing) {
  script.Answer = [](SIZE) { return SIZE{100, 101}; };
  auto bitmap = browser.GetThumbnailBitmap(100, 100, false);
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(script.Requests.size(), 1u);
  EXPECT_EQ(bitmap->GetHeight(), 101);

  script.Fails = true;
  EXPECT_FALSE(browser.GetThumbnailBitmap(100, 100, false));
  TImage image(nullptr);
  image.SetBounds(0, 0, 40, 30);
  EXPECT_FALSE(browser.GetThumbnailImage(image));
  EXPECT_EQ(image.GetPicture().GetHandle(), nullptr);  // unchanged
  script.Fails = false;
  script.Answer = [](SIZE asked) { return asked; };
  EXPECT_TRUE(browser.GetThumbnailImage(image));
  EXPECT_EQ(image.GetPicture().GetWidth(), 40);
  EXPECT_EQ(image.GetPicture().GetHeight(), 30);
}

TEST_F(ThumbnailFakeTest, AnItemWithoutAThumbnailGivesNothingWithoutTheIconFallback) {
  // As the platform's factory for an item no handler can preview: the icon
  // when asked to fit whatever there is, a failure for a thumbnail only.
  script.NoThumbnail = true;
  EXPECT_FALSE(browser.GetThumbnailBitmap(96, 96, false));
  ASSERT_EQ(script.Flags.size(), 1u);
  EXPECT_EQ(script.Flags[0], SIIGBF_THUMBNAILONLY);
}

TEST(ThumbnailShellTest, TheIconFallbackDrawsTheIconInTheBoxsSize) {
  TTempFolder temp;
  TNsBrowser browser(temp.MakeFile(L"notes.txt", "text"));
  // The common controls here are older than version 6: the fallback draws
  // the large icon centred on a bitmap of the box's size.
  auto icon = browser.GetThumbnailBitmap(64, 48, true);
  ASSERT_TRUE(icon);
  EXPECT_EQ(icon->GetWidth(), 64);
  EXPECT_EQ(icon->GetHeight(), 48);
  TNsBrowser nothing(nullptr);
  EXPECT_FALSE(nothing.GetThumbnailBitmap(64, 48, false));
}

}  // namespace
}  // namespace ts::test
