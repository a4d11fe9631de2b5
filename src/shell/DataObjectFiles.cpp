#include "shell/DataObjectFiles.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <vector>

#include "shell/ClipboardFormats.h"

namespace ts {

namespace {

constexpr size_t kDescriptorNameOffset = 72;
constexpr size_t kWideDescriptorSize = 592;
constexpr size_t kNarrowDescriptorSize = 332;
constexpr size_t kMaxDescriptorName = 260;

// Holds a medium from GetData and releases it on every path.
class TMedium {
public:
  STGMEDIUM Value{};
  bool Get(IDataObject* data, CLIPFORMAT format) {
    FORMATETC request{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    if (FAILED(data->GetData(&request, &Value))) return false;
    fHeld = true;
    return Value.tymed == TYMED_HGLOBAL && Value.hGlobal != nullptr;
  }
  ~TMedium() {
    if (fHeld) ReleaseStgMedium(&Value);
  }

private:
  bool fHeld = false;
};

std::unique_ptr<TStringList> ReadHDrop(HDROP drop) {
  UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  if (count == 0) return nullptr;
  auto list = std::make_unique<TStringList>();
  std::vector<wchar_t> buffer(32768);
  for (UINT i = 0; i < count; ++i) {
    UINT n = DragQueryFileW(drop, i, buffer.data(), static_cast<UINT>(buffer.size()));
    // Some platforms count the closing zero of an empty drop as one empty name.
    if (n > 0) list->Add(std::wstring(buffer.data(), n));
  }
  if (list->GetCount() == 0) return nullptr;
  return list;
}

// Reads descriptor names, never past the end of the block (the data comes
// from another program and may be damaged).
template <typename Char>
std::unique_ptr<TStringList> ReadDescriptors(HGLOBAL block, size_t descriptorSize) {
  auto list = std::make_unique<TStringList>();
  const SIZE_T size = GlobalSize(block);
  const auto* bytes = static_cast<const BYTE*>(GlobalLock(block));
  if (bytes == nullptr) return list;
  if (size >= sizeof(UINT)) {
    UINT count;
    std::memcpy(&count, bytes, sizeof count);
    for (UINT i = 0; i < count; ++i) {
      const size_t offset = sizeof(UINT) + i * descriptorSize + kDescriptorNameOffset;
      if (offset + kMaxDescriptorName * sizeof(Char) > size) break;
      Char name[kMaxDescriptorName + 1] = {};
      std::memcpy(name, bytes + offset, kMaxDescriptorName * sizeof(Char));
      if constexpr (sizeof(Char) == sizeof(wchar_t)) {
        list->Add(std::wstring(reinterpret_cast<const wchar_t*>(name)));
      } else {
        const char* narrow = reinterpret_cast<const char*>(name);
        int length = static_cast<int>(strnlen(narrow, kMaxDescriptorName));
        std::wstring wide(static_cast<size_t>(length), L'\0');
        int n = MultiByteToWideChar(CP_ACP, 0, narrow, length, wide.data(), length);
        wide.resize(static_cast<size_t>(n > 0 ? n : 0));
        list->Add(wide);
      }
    }
  }
  GlobalUnlock(block);
  return list;
}

}  // namespace

std::unique_ptr<TStringList> GetFileListFromDataObject(IDataObject* dataObject) {
  if (dataObject == nullptr) return nullptr;
  {
    TMedium medium;
    if (medium.Get(dataObject, CF_HDROP)) return ReadHDrop(static_cast<HDROP>(medium.Value.hGlobal));
  }
  {
    TMedium medium;
    if (medium.Get(dataObject, GetFileGroupDescriptorWFormat()))
      return ReadDescriptors<wchar_t>(medium.Value.hGlobal, kWideDescriptorSize);
  }
  {
    TMedium medium;
    if (medium.Get(dataObject, GetFileGroupDescriptorFormat()))
      return ReadDescriptors<char>(medium.Value.hGlobal, kNarrowDescriptorSize);
  }
  return std::make_unique<TStringList>();
}

}  // namespace ts
