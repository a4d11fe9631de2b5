// The browser object: thumbnails of the current item.
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cmath>
#include <vector>

#include "shell/ErrorMode.h"
#include "shell/NsBrowser.h"
#include "shell/NsBrowserError.h"
#include "shell/NsSystemImageList.h"
#include "shell/ShellFunctions.h"
#include "shell/ShellGlobals.h"

namespace ts {

namespace {

// The version of the common controls the process uses (5 without the
// version-6 manifest).
DWORD ComCtlMajorVersion() {
  HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
  if (comctl == nullptr) return 0;
  auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void*>(GetProcAddress(comctl, "DllGetVersion")));
  if (getVersion == nullptr) return 0;
  DLLVERSIONINFO info{};
  info.cbSize = sizeof info;
  return SUCCEEDED(getVersion(&info)) ? info.dwMajorVersion : 0;
}

int RoundHalfToEven(double value) { return static_cast<int>(std::nearbyint(value)); }

}  // namespace

std::unique_ptr<TBitmap> TNsBrowser::GetThumbnailBitmap(int pWidth, int pHeight, bool pIconInstead) {
  const bool positive = pWidth > 0 && pHeight > 0;
  const int cx = positive ? pWidth : 200;
  const int cy = positive ? pHeight : 200;
  if (IsVistaOrLater && (ComCtlMajorVersion() >= 6 || !pIconInstead))
    return ThumbnailFromImageFactory(cx, cy, pWidth, pHeight, pIconInstead);
  return ThumbnailFromExtractor(cx, cy, pWidth, pHeight, pIconInstead);
}

std::unique_ptr<TBitmap> TNsBrowser::ThumbnailFromImageFactory(int cx, int cy, int pWidth, int pHeight,
                                                               bool pIconInstead) {
  TComPtr<IShellItem> item;
  PCItemIDList absolute = GetAbsoluteItemIdList();
  if (ShellFunctions.SHCreateItemFromIDList == nullptr || absolute == nullptr ||
      FAILED(ShellFunctions.SHCreateItemFromIDList(absolute, IID_IShellItem, item.PutVoid())) || !item) {
    OutputDebugStringW(L"TNsBrowser.GetThumbnailBitmap: SHCreateItemFromIDList failed");
    return nullptr;
  }
  TComPtr<IShellItemImageFactory> factory;
  if (FAILED(item.As(IID_IShellItemImageFactory, factory)) || !factory) {
    OutputDebugStringW(L"TNsBrowser.GetThumbnailBitmap: Couldn't get IShellItemImageFactory interface");
    return nullptr;
  }
  const SIIGBF flags = pIconInstead ? SIIGBF_RESIZETOFIT : SIIGBF_THUMBNAILONLY;
  HBITMAP handle = nullptr;
  if (FAILED(factory->GetImage(SIZE{cx, cy}, flags, &handle))) {
    OutputDebugStringW(L"TNsBrowser.GetThumbnailBitmap: IShellItemImageFactory.GetImage failed");
    return nullptr;
  }
  if (handle == nullptr) return nullptr;
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->AdoptHandle(handle);

  // A picture that does not fit the box is asked for again at the size that
  // keeps its proportions inside it.
  int newCx = cx, newCy = cy;
  if (bitmap->GetHeight() > pHeight * 1.01) {
    newCx = RoundHalfToEven(static_cast<double>(pWidth) * pHeight / bitmap->GetHeight());
  } else if (bitmap->GetWidth() > pWidth * 1.01) {
    newCy = RoundHalfToEven(static_cast<double>(pHeight) * pWidth / bitmap->GetWidth());
  } else {
    return bitmap;
  }
  HBITMAP corrected = nullptr;
  if (SUCCEEDED(factory->GetImage(SIZE{newCx, newCy}, flags, &corrected)) && corrected != nullptr)
    bitmap->AdoptHandle(corrected);
  return bitmap;
}

std::unique_ptr<TBitmap> TNsBrowser::ThumbnailFromExtractor(int cx, int cy, int pWidth, int pHeight,
                                                            bool pIconInstead) {
  // One extractor at a time in the whole process.
  struct TLock {
    TCriticalSection* Section;
    explicit TLock(TCriticalSection* section) : Section(section) {
      if (Section) Section->Enter();
    }
    ~TLock() {
      if (Section) Section->Leave();
    }
  } lock(ThumbnailLock);

  std::unique_ptr<TBitmap> bitmap;
  TComPtr<IExtractImage> extractor;
  try {
    extractor = GetUIObjectAs<IExtractImage>(IID_IExtractImage);
  } catch (const ENsBrowserError&) {
    extractor.Reset();
  }
  {
    TFailCriticalErrorsScope errorMode;
    if (extractor) {
      std::vector<wchar_t> location(32767);
      DWORD priority = 2;
      SIZE size{cx, cy};
      DWORD flags = IEIFLAG_SCREEN | IEIFLAG_QUALITY;
      const HRESULT hr =
          extractor->GetLocation(location.data(), static_cast<DWORD>(location.size()), &priority, &size, 24, &flags);
      HBITMAP handle = nullptr;
      if ((SUCCEEDED(hr) || hr == E_PENDING) && SUCCEEDED(extractor->Extract(&handle)) && handle != nullptr) {
        bitmap = std::make_unique<TBitmap>();
        bitmap->AdoptHandle(handle);
      }
    }
  }
  if (!bitmap && pIconInstead) {
    TNsSystemImageList icons(nullptr);
    icons.SetSize(si_large);
    bitmap = icons.GetIconAsBitmap(pHeight, pWidth, GetIconNumber(), clNone, clNone);
  }
  return bitmap;
}

bool TNsBrowser::GetThumbnailImage(TImage& Image) {
  std::unique_ptr<TBitmap> bitmap = GetThumbnailBitmap(Image.GetWidth(), Image.GetHeight(), false);
  if (!bitmap) return false;
  Image.GetPicture().Assign(*bitmap);
  Image.Invalidate();
  return true;
}

}  // namespace ts
