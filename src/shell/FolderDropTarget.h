#pragma once
// A drop target for a file-system folder that carries out the drop itself:
// the dropped files (their paths, CF_HDROP) are copied or moved into the
// folder with the shell's file operation (its progress, its questions about
// names that exist, undo), or shortcuts to them are made there. It answers
// only effects the source offers, and refuses what cannot be done: data
// without paths, a folder into itself or below itself, a move of files into
// the folder they are in. A right-button drop asks what to do with a menu.
//
// It stands in for the platform's own targets where those are missing or do
// nothing (Wine's answer "move" for anything and copy nothing); the shell
// controls get their targets through GetItemDropTarget.
#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "shell/ItemIdList.h"
#include "toolkit/ComPtr.h"
#include "toolkit/InterfacedObject.h"

namespace ts {

class TStringList;

class TNsFolderDropTarget : public TInterfacedObject, public IDropTarget {
  TS_CLASS(TNsFolderDropTarget, TInterfacedObject)

public:
  // owner is the window the file operation's progress, questions and errors
  // belong to; 0 for none.
  TNsFolderDropTarget(const std::wstring& folder, HWND owner);

  TS_IUNKNOWN_METHODS

  // IDropTarget. The effect answered is the one a drop would have now;
  // Drop answers the effect it carried out (DROPEFFECT_NONE when nothing was
  // done: refused, cancelled or failed) and S_OK, as the shell's targets do.
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* dataObject, DWORD keyState, POINTL point,
                                      DWORD* effect) noexcept override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) noexcept override;
  HRESULT STDMETHODCALLTYPE DragLeave() noexcept override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* dataObject, DWORD keyState, POINTL point,
                                 DWORD* effect) noexcept override;

  const std::wstring& GetFolder() const noexcept { return fFolder; }
  // The effect dropping these files would have, among the offered ones,
  // with the keys and buttons of keyState held (MK_CONTROL copies, MK_SHIFT
  // moves, both or MK_ALT link; otherwise a move on the same drive and a
  // copy elsewhere); DROPEFFECT_NONE when it cannot be done.
  DWORD EffectFor(const std::vector<std::wstring>& files, DWORD keyState, DWORD offered) const;

  // Asks, for a drop with the right button, which of the allowed effects to
  // carry out (the suggested one first); DROPEFFECT_NONE cancels. The
  // default shows a menu at the point ("Copy Here", "Move Here", "Create
  // Shortcuts Here", "Cancel").
  std::function<DWORD(POINT point, DWORD allowed, DWORD suggested)> ChooseEffect;

protected:
  ~TNsFolderDropTarget() override = default;
  void* GetInterface(REFIID iid) noexcept override;

private:
  DWORD ShowDropMenu(POINT point, DWORD allowed, DWORD suggested);
  // Carries the drop out; answers the effect done.
  DWORD Perform(const std::vector<std::wstring>& files, DWORD effect);
  bool MakeShortcuts(const std::vector<std::wstring>& files);
  void ShowError(const std::wstring& text);

  std::wstring fFolder;
  HWND fOwner;
  // The files of the drag now over the target.
  std::vector<std::wstring> fFiles;
};

// The paths a data object carries as CF_HDROP (absolute drive or UNC paths
// only); empty for anything else.
std::vector<std::wstring> DroppedPaths(IDataObject* dataObject);

// The drop target of an item: the platform's own (from the item's folder,
// or the desktop's view object for the desktop itself) or, for a file-system
// folder where the platform gives none, or on a platform whose targets do
// nothing (platformFirst false), a TNsFolderDropTarget of its path. Null
// when neither is to be had. relative is the item's one-level list in
// folder, absolute its whole list.
TComPtr<IDropTarget> GetItemDropTarget(HWND owner, IShellFolder* folder, PCItemIDList relative,
                                       PCItemIDList absolute, bool platformFirst);
TComPtr<IDropTarget> GetItemDropTarget(HWND owner, IShellFolder* folder, PCItemIDList relative,
                                       PCItemIDList absolute);

}  // namespace ts
