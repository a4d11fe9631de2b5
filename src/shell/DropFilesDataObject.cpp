#include "shell/DropFilesDataObject.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "shell/ClipboardFormats.h"
#include "shell/DropFiles.h"
#include "toolkit/InterfacedObject.h"
#include "toolkit/StringList.h"

namespace ts {

namespace {

bool AsksForDropFiles(const FORMATETC* format) {
  return format != nullptr && format->cfFormat == CF_HDROP && (format->tymed & TYMED_HGLOBAL) != 0 &&
         format->dwAspect == DVASPECT_CONTENT;
}

// Answers CF_HDROP from its paths itself, and the formats set on it that
// the inner object refuses (a drop target's "Performed DropEffect", say);
// everything else comes from the inner object, when there is one.
class TDropFilesDataObject : public TInterfacedObject, public IDataObject {
  TS_CLASS(TDropFilesDataObject, TInterfacedObject)

public:
  TDropFilesDataObject(IDataObject* inner, const TStringList& paths) : fInner(inner) { fPaths.Assign(paths); }

  TS_IUNKNOWN_METHODS

  // Keeps a copy of a block as the answer for a format.
  bool Keep(CLIPFORMAT format, const void* bytes, SIZE_T size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (block == nullptr) return false;
    if (void* target = GlobalLock(block)) {
      std::memcpy(target, bytes, size);
      GlobalUnlock(block);
    }
    Forget(format);
    fKept.push_back({format, block});
    return true;
  }

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) noexcept override {
    if (medium == nullptr) return E_POINTER;
    if (AsksForDropFiles(format)) {
      try {
        medium->hGlobal = GetDropFiles(fPaths);
      } catch (...) {
        return E_OUTOFMEMORY;
      }
      medium->tymed = TYMED_HGLOBAL;
      medium->pUnkForRelease = nullptr;
      return S_OK;
    }
    if (HGLOBAL kept = KeptBlock(format)) {
      const SIZE_T size = GlobalSize(kept);
      HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
      if (copy == nullptr) return E_OUTOFMEMORY;
      const void* from = GlobalLock(kept);
      void* to = GlobalLock(copy);
      if (from != nullptr && to != nullptr) std::memcpy(to, from, size);
      GlobalUnlock(copy);
      GlobalUnlock(kept);
      medium->tymed = TYMED_HGLOBAL;
      medium->hGlobal = copy;
      medium->pUnkForRelease = nullptr;
      return S_OK;
    }
    return fInner ? fInner->GetData(format, medium) : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) noexcept override {
    if (AsksForDropFiles(format) || KeptBlock(format) != nullptr) return DATA_E_FORMATETC;
    return fInner ? fInner->GetDataHere(format, medium) : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) noexcept override {
    if (AsksForDropFiles(format) || KeptBlock(format) != nullptr) return S_OK;
    return fInner ? fInner->QueryGetData(format) : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) noexcept override {
    if (fInner) return fInner->GetCanonicalFormatEtc(in, out);
    if (out != nullptr) out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) noexcept override {
    if (format == nullptr || medium == nullptr) return E_INVALIDARG;
    const HRESULT inner = fInner ? fInner->SetData(format, medium, release) : E_NOTIMPL;
    if (SUCCEEDED(inner)) {
      Forget(format->cfFormat);
      return inner;
    }
    // Blocks only, which is what drop targets and the shell set.
    if (medium->tymed != TYMED_HGLOBAL || format->cfFormat == CF_HDROP) return inner;
    const void* bytes = GlobalLock(medium->hGlobal);
    const bool kept = bytes != nullptr && Keep(format->cfFormat, bytes, GlobalSize(medium->hGlobal));
    if (bytes != nullptr) GlobalUnlock(medium->hGlobal);
    if (!kept) return E_OUTOFMEMORY;
    if (release) ReleaseStgMedium(medium);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) noexcept override {
    if (direction != DATADIR_GET) return fInner ? fInner->EnumFormatEtc(direction, formats) : E_NOTIMPL;
    if (formats == nullptr) return E_POINTER;
    *formats = nullptr;
    // The inner object's formats, with CF_HDROP and the kept ones among them.
    std::vector<FORMATETC> list;
    try {
      auto listed = [&list](CLIPFORMAT format) {
        return std::any_of(list.begin(), list.end(), [format](const FORMATETC& f) { return f.cfFormat == format; });
      };
      TComPtr<IEnumFORMATETC> inner;
      if (fInner && SUCCEEDED(fInner->EnumFormatEtc(DATADIR_GET, inner.Put())) && inner) {
        FORMATETC format;
        while (inner->Next(1, &format, nullptr) == S_OK) {
          if (format.ptd != nullptr) {
            CoTaskMemFree(format.ptd);
            format.ptd = nullptr;
          }
          list.push_back(format);
        }
      }
      if (!listed(CF_HDROP)) list.push_back(FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
      for (const auto& kept : fKept)
        if (!listed(kept.Format)) list.push_back(FORMATETC{kept.Format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
    } catch (...) {
      return E_OUTOFMEMORY;
    }
    return SHCreateStdEnumFmtEtc(static_cast<UINT>(list.size()), list.data(), formats);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                                    DWORD* connection) noexcept override {
    return fInner ? fInner->DAdvise(format, flags, sink, connection) : OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) noexcept override {
    return fInner ? fInner->DUnadvise(connection) : OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** advises) noexcept override {
    return fInner ? fInner->EnumDAdvise(advises) : OLE_E_ADVISENOTSUPPORTED;
  }

protected:
  void* GetInterface(REFIID iid) noexcept override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) return static_cast<IDataObject*>(this);
    return nullptr;
  }

private:
  struct TKept {
    CLIPFORMAT Format;
    HGLOBAL Block;
  };

  ~TDropFilesDataObject() override {
    for (const auto& kept : fKept) GlobalFree(kept.Block);
  }
  HGLOBAL KeptBlock(const FORMATETC* format) const {
    if (format == nullptr || (format->tymed & TYMED_HGLOBAL) == 0) return nullptr;
    for (const auto& kept : fKept)
      if (kept.Format == format->cfFormat) return kept.Block;
    return nullptr;
  }
  void Forget(CLIPFORMAT format) {
    for (auto it = fKept.begin(); it != fKept.end(); ++it)
      if (it->Format == format) {
        GlobalFree(it->Block);
        fKept.erase(it);
        return;
      }
  }

  TComPtr<IDataObject> fInner;
  TStringList fPaths;
  std::vector<TKept> fKept;
};

}  // namespace

TComPtr<IDataObject> DataObjectWithDropFiles(IDataObject* dataObject, const TStringList& paths) {
  if (dataObject == nullptr) return nullptr;
  if (AddDropFilesToDataObject(paths, dataObject)) return TComPtr<IDataObject>(dataObject);
  return TComPtr<IDataObject>(new TDropFilesDataObject(dataObject, paths));
}

TComPtr<IDataObject> FilesDataObject(IDataObject* shellData, const TStringList& paths, DWORD preferredEffect) {
  TComPtr<TDropFilesDataObject> files(new TDropFilesDataObject(shellData, paths));
  if (preferredEffect != DROPEFFECT_NONE) files->Keep(GetPreferredDropEffectFormat(), &preferredEffect, sizeof preferredEffect);
  return TComPtr<IDataObject>(files.Get());
}

}  // namespace ts
