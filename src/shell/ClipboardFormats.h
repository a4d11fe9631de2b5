#pragma once
#include <windows.h>
#include <objidl.h>

namespace ts {

// The registered formats of virtual files in dropped data, registered on
// first use and remembered for the life of the process.
CLIPFORMAT GetFileGroupDescriptorWFormat();
CLIPFORMAT GetFileGroupDescriptorFormat();
// "Preferred DropEffect": whether files on the clipboard were cut or copied.
CLIPFORMAT GetPreferredDropEffectFormat();

}  // namespace ts
