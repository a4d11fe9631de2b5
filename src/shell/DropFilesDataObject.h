#pragma once
// Makes a data object carry a list of paths as CF_HDROP. A data object that
// takes the block keeps it; one that refuses new formats (and may describe
// its items with wrong paths of its own) is wrapped in one that answers
// CF_HDROP itself and passes everything else on.
#include <windows.h>
#include <objidl.h>

#include "toolkit/ComPtr.h"

namespace ts {

class TStringList;

// Null for a null data object.
TComPtr<IDataObject> DataObjectWithDropFiles(IDataObject* dataObject, const TStringList& paths);

// The data object files are handed to other programs in (clipboard, drag
// and drop): CF_HDROP of the paths and, unless DROPEFFECT_NONE, the
// "Preferred DropEffect" answered by itself, whatever the shell's data
// object (null for none) says of them; the shell's other formats passed
// on; formats set on it kept where the shell's object refuses them.
TComPtr<IDataObject> FilesDataObject(IDataObject* shellData, const TStringList& paths, DWORD preferredEffect);

}  // namespace ts
