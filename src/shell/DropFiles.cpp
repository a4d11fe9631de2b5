#include "shell/DropFiles.h"

#include <shlobj.h>

#include <cstring>

#include "shell/WideStringBuilder.h"
#include "toolkit/Exception.h"
#include "toolkit/StringList.h"

namespace ts {

static_assert(sizeof(DROPFILES) == DropFilesHeaderSize, "the drop block header has a fixed layout");

HGLOBAL GetDropFiles(const TStringList& paths) {
  TWideStringBuilder names;
  names.fIncludeTrailingZeroCharacter = true;
  names.Append(paths);
  const SIZE_T size = DropFilesHeaderSize + static_cast<SIZE_T>(names.GetSize());
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, size);
  if (block == nullptr) throw EOutOfMemory(L"GetDropFiles: Could not allocate memory.");
  auto* header = static_cast<DROPFILES*>(GlobalLock(block));
  if (header == nullptr) {
    GlobalFree(block);
    throw EOutOfMemory(L"GetDropFiles: Could not allocate memory.");
  }
  header->pFiles = DropFilesHeaderSize;
  header->pt = POINT{0, 0};
  header->fNC = FALSE;
  header->fWide = static_cast<BOOL>(-1);
  std::memcpy(reinterpret_cast<BYTE*>(header) + DropFilesHeaderSize, names.fString,
              static_cast<size_t>(names.GetSize()));
  GlobalUnlock(block);
  return block;
}

bool AddDropFilesToDataObject(const TStringList& paths, IDataObject* dataObject) {
  if (dataObject == nullptr) return false;
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  medium.tymed = TYMED_HGLOBAL;
  medium.hGlobal = GetDropFiles(paths);
  medium.pUnkForRelease = nullptr;
  if (FAILED(dataObject->SetData(&format, &medium, TRUE))) {
    GlobalFree(medium.hGlobal);
    return false;
  }
  return true;
}

}  // namespace ts
