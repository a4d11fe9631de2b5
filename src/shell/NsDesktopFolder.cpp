#include "shell/NsDesktopFolder.h"

#include "shell/NsBrowserError.h"

namespace ts {

TNsDesktopFolder::TNsDesktopFolder(IDataObject* pMultiDataObject) : fMultiDataObject(pMultiDataObject) {
  if (FAILED(SHGetDesktopFolder(fDesktop.Put())) || !fDesktop)
    throw ENsBrowserError(L"RizezIvoruvi Components: Cannot open Shell!");
}

void* TNsDesktopFolder::GetInterface(REFIID iid) noexcept {
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IShellFolder)) return static_cast<IShellFolder*>(this);
  return nullptr;
}

HRESULT TNsDesktopFolder::ParseDisplayName(HWND hwnd, IBindCtx* pbc, LPWSTR pszDisplayName, ULONG* pchEaten,
                                           PIDLIST_RELATIVE* ppidl, ULONG* pdwAttributes) noexcept {
  return fDesktop->ParseDisplayName(hwnd, pbc, pszDisplayName, pchEaten, ppidl, pdwAttributes);
}

HRESULT TNsDesktopFolder::EnumObjects(HWND hwnd, SHCONTF grfFlags, IEnumIDList** ppenumIDList) noexcept {
  if (ppenumIDList != nullptr) *ppenumIDList = nullptr;
  return fDesktop->EnumObjects(hwnd, grfFlags, ppenumIDList);
}

HRESULT TNsDesktopFolder::BindToObject(PCUIDLIST_RELATIVE pidl, IBindCtx* pbc, REFIID riid, void** ppv) noexcept {
  return fDesktop->BindToObject(pidl, pbc, riid, ppv);
}

HRESULT TNsDesktopFolder::BindToStorage(PCUIDLIST_RELATIVE pidl, IBindCtx* pbc, REFIID riid, void** ppv) noexcept {
  return fDesktop->BindToStorage(pidl, pbc, riid, ppv);
}

HRESULT TNsDesktopFolder::CompareIDs(LPARAM lParam, PCUIDLIST_RELATIVE pidl1, PCUIDLIST_RELATIVE pidl2) noexcept {
  return fDesktop->CompareIDs(lParam, pidl1, pidl2);
}

HRESULT TNsDesktopFolder::CreateViewObject(HWND hwndOwner, REFIID riid, void** ppv) noexcept {
  return fDesktop->CreateViewObject(hwndOwner, riid, ppv);
}

HRESULT TNsDesktopFolder::GetAttributesOf(UINT cidl, PCUITEMID_CHILD_ARRAY apidl, SFGAOF* rgfInOut) noexcept {
  return fDesktop->GetAttributesOf(cidl, apidl, rgfInOut);
}

HRESULT TNsDesktopFolder::GetUIObjectOf(HWND hwndOwner, UINT cidl, PCUITEMID_CHILD_ARRAY apidl, REFIID riid,
                                        UINT* rgfReserved, void** ppv) noexcept {
  if (IsEqualIID(riid, IID_IDataObject) && fMultiDataObject) {
    if (ppv == nullptr) return E_POINTER;
    fMultiDataObject->AddRef();
    *ppv = fMultiDataObject.Get();
    return S_OK;
  }
  return fDesktop->GetUIObjectOf(hwndOwner, cidl, apidl, riid, rgfReserved, ppv);
}

HRESULT TNsDesktopFolder::GetDisplayNameOf(PCUITEMID_CHILD pidl, SHGDNF uFlags, STRRET* pName) noexcept {
  return fDesktop->GetDisplayNameOf(pidl, uFlags, pName);
}

HRESULT TNsDesktopFolder::SetNameOf(HWND hwnd, PCUITEMID_CHILD pidl, LPCWSTR pszName, SHGDNF uFlags,
                                    PITEMID_CHILD* ppidlOut) noexcept {
  return fDesktop->SetNameOf(hwnd, pidl, pszName, uFlags, ppidlOut);
}

}  // namespace ts
