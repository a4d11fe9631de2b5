#include "shell/NsSystemImageList.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>

#include "shell/ErrorMode.h"
#include "shell/FileProbes.h"
#include "shell/ShellFunctions.h"
#include "shell/ShellGlobals.h"
#include "toolkit/Exception.h"

namespace ts {

namespace {

// The folder icons, closed and open; -1 until looked up.
std::atomic<int> gFolderIcon[2] = {-1, -1};

// IID_IImageList, {46EB5926-582E-4017-9FDF-E8998DAA0950}.
constexpr GUID kIID_IImageList = {0x46eb5926, 0x582e, 0x4017, {0x9f, 0xdf, 0xe8, 0x99, 0x8d, 0xaa, 0x09, 0x50}};

int IndexFromFileInfo(LPCWSTR path, DWORD attributes, UINT flags) {
  TFailCriticalErrorsScope errorMode;
  SHFILEINFOW info{};
  const DWORD_PTR result = SHGetFileInfoW(path, attributes, &info, sizeof info, flags);
  return result != 0 ? info.iIcon : -1;
}

}  // namespace

TNsSystemImageList::TNsSystemImageList(TComponent* AOwner) : TCustomImageList(AOwner) {
  SetShareImages(true);
  SetImageListHandle();
}

void TNsSystemImageList::SetSize(TNsImageListSize value) {
  fSize = value;
  SetImageListHandle();
}

void TNsSystemImageList::SetShareImages(bool value) {
  SetHandle(nullptr);
  TCustomImageList::SetShareImages(value);
  SetImageListHandle();
}

void TNsSystemImageList::Loaded() {
  TCustomImageList::Loaded();
  SetImageListHandle();
}

int TNsSystemImageList::ListNumberOf(TNsImageListSize size) {
  switch (size) {
    case si_small: return SHIL_SMALL;
    case si_large: return SHIL_LARGE;
    case si_extralarge: return SHIL_EXTRALARGE;
    case si_jumbo: return IsVistaOrLater ? SHIL_JUMBO : SHIL_LARGE;
  }
  return SHIL_SMALL;
}

void TNsSystemImageList::SetImageListHandle() {
  HIMAGELIST platformList = nullptr;
  if (IsWinXPOrLater && ShellFunctions.SHGetImageList != nullptr) {
    void* list = nullptr;
    if (SUCCEEDED(ShellFunctions.SHGetImageList(ListNumberOf(fSize), kIID_IImageList, &list)))
      platformList = static_cast<HIMAGELIST>(list);
  }
  if (platformList == nullptr) {
    SHFILEINFOW info{};
    platformList = reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(
        WindowsDriveRoot.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | (fSize == si_small ? SHGFI_SMALLICON : 0)));
  }
  if (GetShareImages() || IsDesigning()) {
    SetHandle(platformList);
    return;
  }
  // A private copy: the images of a list that shares the platform's handle.
  TCustomImageList shared(nullptr);
  shared.SetShareImages(true);
  shared.SetHandle(platformList);
  SetHandle(nullptr);
  SetWidth(shared.GetWidth());
  SetHeight(shared.GetHeight());
  AddImages(shared);
}

std::unique_ptr<TBitmap> TNsSystemImageList::GetIconAsBitmap(int aHeigth, int aWidth, int aIconNumber,
                                                            TColor BorderColor, TColor BackgroundColor) {
  try {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(IsVistaOrLater ? pf32bit : pf24bit);
    bitmap->SetSize(aWidth, aHeigth);
    bitmap->SetTransparent(true);
    if (bitmap->GetHandle() == nullptr) return nullptr;
    TCanvas& canvas = bitmap->GetCanvas();
    if (BorderColor != clNone) {
      canvas.Pen.Color = BorderColor;
      canvas.Rectangle(0, 0, aWidth, aHeigth);
    }
    HIMAGELIST list = GetHandle();
    if (list == nullptr) return nullptr;
    const int x = (aWidth - GetWidth()) / 2;
    const int y = (aHeigth - GetHeight()) / 2;
    ImageList_DrawEx(list, aIconNumber, canvas.GetHandle(), x, y, 0, 0, ColorToRGB(BackgroundColor), CLR_NONE,
                     ILD_TRANSPARENT);
    // The caller puts it into drawing contexts and image lists of its own.
    bitmap->ReleaseCanvas();
    return bitmap;
  } catch (...) {
    return nullptr;
  }
}

int TNsSystemImageList::GetIndexFromItemIdList(PCItemIDList AbsoluteItemIdList, TNsImageListSize aSize, bool Opened) {
  if (AbsoluteItemIdList == nullptr) return -1;
  UINT flags = SHGFI_PIDL | SHGFI_SYSICONINDEX;
  if (aSize != si_large) flags |= SHGFI_SMALLICON;
  if (Opened) flags |= SHGFI_OPENICON;
  return IndexFromFileInfo(reinterpret_cast<LPCWSTR>(AbsoluteItemIdList), 0, flags);
}

int TNsSystemImageList::GetIndexFromFile(const std::wstring& path, TNsImageListSize size, bool useAttributes,
                                         bool opened) {
  UINT flags = SHGFI_SYSICONINDEX;
  if (size != si_large) flags |= SHGFI_SMALLICON;
  if (opened) flags |= SHGFI_OPENICON;
  DWORD attributes = 0;
  if (useAttributes) {
    flags |= SHGFI_USEFILEATTRIBUTES;
    attributes = FILE_ATTRIBUTE_NORMAL;
  }
  return IndexFromFileInfo(path.c_str(), attributes, flags);
}

int TNsSystemImageList::GetIndexFromFileName(const std::wstring& FileName, TNsImageListSize aSize, bool Opened) {
  const int index = GetIndexFromFile(FileName, aSize, false, false);
  return index >= 0 ? index : GetIndexFromPathByExt(FileName, aSize, Opened);
}

int TNsSystemImageList::GetIndexFromPathByExt(const std::wstring& Path, TNsImageListSize aSize, bool Opened) {
  const bool endsWithDelimiter = !Path.empty() && Path.back() == L'\\';
  const bool uncServerOrShare =
      !Path.empty() && Path.front() == L'\\' && std::count(Path.begin(), Path.end(), L'\\') <= 3;
  if (endsWithDelimiter || uncServerOrShare) return GetFolderIconNumber(Opened);
  // The extension: what follows the last dot of the last name.
  const size_t nameStart = Path.find_last_of(L"\\:");
  const size_t dot = Path.find_last_of(L'.');
  const bool hasExtension = dot != std::wstring::npos && (nameStart == std::wstring::npos || dot > nameStart);
  return GetIndexFromExtension(hasExtension ? Path.substr(dot) : std::wstring(), aSize, Opened);
}

std::wstring TNsSystemImageList::DummyNameFor(const std::wstring& extension) {
  if (extension.empty()) return WindowsDriveRoot + L"test";
  if (extension.front() == L'.') return WindowsDriveRoot + L"test" + extension;
  return WindowsDriveRoot + L"test." + extension;
}

int TNsSystemImageList::GetIndexFromExtension(const std::wstring& Extension, TNsImageListSize aSize, bool Opened) {
  return GetIndexFromFile(DummyNameFor(Extension), aSize, true, Opened);
}

int TNsSystemImageList::GetFolderIconNumber(bool opened) {
  std::atomic<int>& cached = gFolderIcon[opened ? 1 : 0];
  int index = cached.load();
  if (index >= 0) return index;
  std::wstring folder = GetTempDirectory();
  if (folder.empty() || !PathExists(folder)) folder = GetWindowsDirectoryPath();
  index = GetIndexFromFile(folder, si_small, false, opened);
  if (index >= 0) cached.store(index);
  return index;
}

std::wstring TNsSystemImageList::GetFileType(const std::wstring& Extension) {
  SHFILEINFOW info{};
  const std::wstring name = DummyNameFor(Extension);
  if (SHGetFileInfoW(name.c_str(), 0, &info, sizeof info, SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES) == 0) return {};
  std::wstring type(info.szTypeName);
  if (type.size() > 80) type.resize(80);
  return type;
}

void TNsSystemImageList::ConvertTo32BitImageList(TCustomImageList* ImageList) {
  if (!IsVistaOrLater || ImageList == nullptr) return;
  HIMAGELIST handle = ImageList_Create(ImageList->GetWidth(), ImageList->GetHeight(),
                                       ILC_COLOR32 | (ImageList->GetMasked() ? ILC_MASK : 0), 0,
                                       ImageList->GetAllocBy());
  if (handle == nullptr) throw EInvalidOperation(L"invalid imagelist");
  // The old handle goes as it was held (a shared one stays alive); the new
  // one belongs to the list.
  ImageList->SetOwnedHandle(handle);
}

}  // namespace ts
