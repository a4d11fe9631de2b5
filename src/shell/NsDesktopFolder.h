#pragma once
// The desktop folder as the shell's default menu sees it when one menu is
// built over items from several folders: everything goes to the real
// desktop, except that the items' data object is the one prepared for the
// menu (with the right file list), not one the desktop would make.
#include <windows.h>
#include <shlobj.h>

#include "toolkit/ComPtr.h"
#include "toolkit/InterfacedObject.h"

namespace ts {

class TNsDesktopFolder : public TInterfacedObject, public IShellFolder {
  TS_CLASS(TNsDesktopFolder, TInterfacedObject)

public:
  // Raises ENsBrowserError when the shell gives no desktop folder.
  explicit TNsDesktopFolder(IDataObject* pMultiDataObject);

  TS_IUNKNOWN_METHODS

  // IShellFolder
  HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND hwnd, IBindCtx* pbc, LPWSTR pszDisplayName, ULONG* pchEaten,
                                             PIDLIST_RELATIVE* ppidl, ULONG* pdwAttributes) noexcept override;
  HRESULT STDMETHODCALLTYPE EnumObjects(HWND hwnd, SHCONTF grfFlags, IEnumIDList** ppenumIDList) noexcept override;
  HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE pidl, IBindCtx* pbc, REFIID riid,
                                         void** ppv) noexcept override;
  HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE pidl, IBindCtx* pbc, REFIID riid,
                                          void** ppv) noexcept override;
  HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM lParam, PCUIDLIST_RELATIVE pidl1,
                                       PCUIDLIST_RELATIVE pidl2) noexcept override;
  HRESULT STDMETHODCALLTYPE CreateViewObject(HWND hwndOwner, REFIID riid, void** ppv) noexcept override;
  HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT cidl, PCUITEMID_CHILD_ARRAY apidl,
                                            SFGAOF* rgfInOut) noexcept override;
  HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND hwndOwner, UINT cidl, PCUITEMID_CHILD_ARRAY apidl, REFIID riid,
                                          UINT* rgfReserved, void** ppv) noexcept override;
  HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD pidl, SHGDNF uFlags, STRRET* pName) noexcept override;
  HRESULT STDMETHODCALLTYPE SetNameOf(HWND hwnd, PCUITEMID_CHILD pidl, LPCWSTR pszName, SHGDNF uFlags,
                                      PITEMID_CHILD* ppidlOut) noexcept override;

protected:
  void* GetInterface(REFIID iid) noexcept override;

private:
  ~TNsDesktopFolder() override = default;

  TComPtr<IShellFolder> fDesktop;
  TComPtr<IDataObject> fMultiDataObject;
};

}  // namespace ts
