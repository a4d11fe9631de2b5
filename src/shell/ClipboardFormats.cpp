#include "shell/ClipboardFormats.h"

namespace ts {

CLIPFORMAT GetFileGroupDescriptorWFormat() {
  static const CLIPFORMAT format = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"FileGroupDescriptorW"));
  return format;
}

CLIPFORMAT GetFileGroupDescriptorFormat() {
  static const CLIPFORMAT format = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"FileGroupDescriptor"));
  return format;
}

CLIPFORMAT GetPreferredDropEffectFormat() {
  static const CLIPFORMAT format = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"Preferred DropEffect"));
  return format;
}

}  // namespace ts
