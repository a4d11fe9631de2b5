#pragma once
// Makes a data object carry a list of paths as CF_HDROP. A data object that
// takes the block keeps it; one that refuses new formats (and may describe
// its items with wrong paths of its own) is wrapped in one that answers
// CF_HDROP itself and passes everything else on.
#include <objidl.h>

#include "toolkit/ComPtr.h"

namespace ts {

class TStringList;

// Null for a null data object.
TComPtr<IDataObject> DataObjectWithDropFiles(IDataObject* dataObject, const TStringList& paths);

}  // namespace ts
