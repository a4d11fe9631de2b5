#pragma once
#include <objidl.h>

#include <memory>

#include "toolkit/StringList.h"

namespace ts {

// The files named by dropped or pasted data: CF_HDROP paths, else the names
// of virtual files from the wide, then the narrow file-group descriptors,
// else an empty list. Null for a null data object and for a CF_HDROP drop
// without names. The caller owns the list.
std::unique_ptr<TStringList> GetFileListFromDataObject(IDataObject* dataObject);

}  // namespace ts
