#pragma once
// The CF_HDROP block: a DROPFILES header of 20 bytes followed by the paths
// in UTF-16, each closed by a zero, the list closed by one more zero.
#include <windows.h>
#include <objidl.h>

namespace ts {

class TStringList;

constexpr int DropFilesHeaderSize = 20;

// A movable global block; raises EOutOfMemory when it cannot be allocated.
HGLOBAL GetDropFiles(const TStringList& paths);
// Puts the paths into the data object as CF_HDROP, the block handed over to
// it; false (and the block freed) when the data object refuses.
bool AddDropFilesToDataObject(const TStringList& paths, IDataObject* dataObject);

}  // namespace ts
