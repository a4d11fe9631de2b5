#include "shell/ShellClipboard.h"

#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include "shell/ClipboardFormats.h"
#include "shell/DropFilesDataObject.h"
#include "shell/ShellFileTransfer.h"
#include "toolkit/ComPtr.h"
#include "toolkit/StringList.h"

namespace ts {

namespace {

// A block of the clipboard's data object in a format; false without one.
bool ClipboardBlock(CLIPFORMAT format, STGMEDIUM& medium) {
  TComPtr<IDataObject> data;
  if (FAILED(OleGetClipboard(data.Put())) || !data) return false;
  FORMATETC wanted{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  return SUCCEEDED(data->GetData(&wanted, &medium)) && medium.tymed == TYMED_HGLOBAL;
}

}  // namespace

std::unique_ptr<TStringList> GetClipboardFileList() {
  STGMEDIUM medium{};
  if (!ClipboardBlock(CF_HDROP, medium)) return nullptr;
  auto files = std::make_unique<TStringList>();
  auto drop = static_cast<HDROP>(medium.hGlobal);
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  std::wstring name(32768, L'\0');
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size()));
    files->Add(name.substr(0, length));
  }
  ReleaseStgMedium(&medium);
  return files;
}

DWORD GetClipboardPreferredDropEffect() {
  STGMEDIUM medium{};
  if (!ClipboardBlock(GetPreferredDropEffectFormat(), medium)) return DROPEFFECT_COPY;
  DWORD effect = DROPEFFECT_COPY;
  if (GlobalSize(medium.hGlobal) >= sizeof effect)
    if (const auto* value = static_cast<const DWORD*>(GlobalLock(medium.hGlobal))) {
      effect = *value;
      GlobalUnlock(medium.hGlobal);
    }
  ReleaseStgMedium(&medium);
  return effect;
}

bool SetClipboardFiles(IDataObject* shellData, const TStringList& paths, DWORD preferredEffect) {
  TComPtr<IDataObject> files = FilesDataObject(shellData, paths, preferredEffect);
  if (FAILED(OleSetClipboard(files.Get()))) return false;
  // Rendered now: the files stay on the clipboard when the program ends.
  OleFlushClipboard();
  return true;
}

bool PasteClipboardFiles(HWND owner, const std::wstring& destination) {
  std::unique_ptr<TStringList> files = GetClipboardFileList();
  if (!files || files->GetCount() == 0) return false;
  const bool move = (GetClipboardPreferredDropEffect() & DROPEFFECT_MOVE) != 0;
  const TFileTransferResult result = TransferFiles(owner, *files, destination, move ? FO_MOVE : FO_COPY);
  if (result.Succeeded() && move) OleSetClipboard(nullptr);
  return result.Succeeded();
}

}  // namespace ts
