#include "shell/DropFilesDataObject.h"

#include <shlobj.h>

#include <vector>

#include "shell/DropFiles.h"
#include "toolkit/InterfacedObject.h"
#include "toolkit/StringList.h"

namespace ts {

namespace {

bool AsksForDropFiles(const FORMATETC* format) {
  return format != nullptr && format->cfFormat == CF_HDROP && (format->tymed & TYMED_HGLOBAL) != 0 &&
         format->dwAspect == DVASPECT_CONTENT;
}

class TDropFilesDataObject : public TInterfacedObject, public IDataObject {
  TS_CLASS(TDropFilesDataObject, TInterfacedObject)

public:
  TDropFilesDataObject(IDataObject* inner, const TStringList& paths) : fInner(inner) { fPaths.Assign(paths); }

  TS_IUNKNOWN_METHODS

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) noexcept override {
    if (!AsksForDropFiles(format)) return fInner->GetData(format, medium);
    if (medium == nullptr) return E_POINTER;
    try {
      medium->hGlobal = GetDropFiles(fPaths);
    } catch (...) {
      return E_OUTOFMEMORY;
    }
    medium->tymed = TYMED_HGLOBAL;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) noexcept override {
    if (AsksForDropFiles(format)) return DATA_E_FORMATETC;
    return fInner->GetDataHere(format, medium);
  }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) noexcept override {
    return AsksForDropFiles(format) ? S_OK : fInner->QueryGetData(format);
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) noexcept override {
    return fInner->GetCanonicalFormatEtc(in, out);
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) noexcept override {
    return fInner->SetData(format, medium, release);
  }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) noexcept override {
    if (direction != DATADIR_GET) return fInner->EnumFormatEtc(direction, formats);
    if (formats == nullptr) return E_POINTER;
    *formats = nullptr;
    // The inner object's formats, with CF_HDROP among them.
    std::vector<FORMATETC> list;
    bool hasDropFiles = false;
    try {
      TComPtr<IEnumFORMATETC> inner;
      if (SUCCEEDED(fInner->EnumFormatEtc(DATADIR_GET, inner.Put())) && inner) {
        FORMATETC format;
        while (inner->Next(1, &format, nullptr) == S_OK) {
          if (format.ptd != nullptr) {
            CoTaskMemFree(format.ptd);
            format.ptd = nullptr;
          }
          hasDropFiles = hasDropFiles || format.cfFormat == CF_HDROP;
          list.push_back(format);
        }
      }
      if (!hasDropFiles) list.push_back(FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
    } catch (...) {
      return E_OUTOFMEMORY;
    }
    return SHCreateStdEnumFmtEtc(static_cast<UINT>(list.size()), list.data(), formats);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                                    DWORD* connection) noexcept override {
    return fInner->DAdvise(format, flags, sink, connection);
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) noexcept override { return fInner->DUnadvise(connection); }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** advises) noexcept override {
    return fInner->EnumDAdvise(advises);
  }

protected:
  void* GetInterface(REFIID iid) noexcept override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) return static_cast<IDataObject*>(this);
    return nullptr;
  }

private:
  ~TDropFilesDataObject() override = default;

  TComPtr<IDataObject> fInner;
  TStringList fPaths;
};

}  // namespace

TComPtr<IDataObject> DataObjectWithDropFiles(IDataObject* dataObject, const TStringList& paths) {
  if (dataObject == nullptr) return nullptr;
  if (AddDropFilesToDataObject(paths, dataObject)) return TComPtr<IDataObject>(dataObject);
  return TComPtr<IDataObject>(new TDropFilesDataObject(dataObject, paths));
}

}  // namespace ts
