#pragma once
// Files on the clipboard: reading the names another program (or the shell)
// put there and whether they were cut or copied, putting files there that
// every program can read, and pasting them into a folder.
#include <windows.h>
#include <objidl.h>

#include <memory>
#include <string>

namespace ts {

class TStringList;

// The names of the clipboard's CF_HDROP data, in order; null when the
// clipboard holds none.
std::unique_ptr<TStringList> GetClipboardFileList();
// What the clipboard's "Preferred DropEffect" asks for; DROPEFFECT_COPY when
// it says nothing.
DWORD GetClipboardPreferredDropEffect();
// Puts the files on the clipboard in FilesDataObject (the shell's data
// object for them, when given, carries the rest), rendered at once so that
// they stay there after the program ends. False when the clipboard refuses.
bool SetClipboardFiles(IDataObject* shellData, const TStringList& paths, DWORD preferredEffect);
// Pastes the clipboard's files into a folder with the shell's own file
// operation (its progress, collision questions and undo): moved when they
// were cut, copied otherwise. A paste into the folder they come from makes
// copies with new names. After a move the clipboard is emptied, as its
// files are gone. False when there is nothing to paste, the operation
// failed or the user stopped it.
bool PasteClipboardFiles(HWND owner, const std::wstring& destination);

}  // namespace ts
