#pragma once
#include <windows.h>
#include <objidl.h>

namespace ts {

// The registered formats of virtual files in dropped data, registered on
// first use and remembered for the life of the process.
CLIPFORMAT GetFileGroupDescriptorWFormat();
CLIPFORMAT GetFileGroupDescriptorFormat();

}  // namespace ts
