#pragma once
// The clipboard's files as another program reads them.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "shell/ClipboardFormats.h"

namespace ts::test {

// The clipboard's files as another program reads them (OpenClipboard,
// CF_HDROP, DragQueryFileW); empty when it holds none.
inline std::vector<std::wstring> ClipboardPaths() {
  std::vector<std::wstring> paths;
  for (int attempt = 0; attempt < 50 && !OpenClipboard(nullptr); ++attempt) Sleep(20);
  HANDLE data = GetClipboardData(CF_HDROP);
  if (data) {
    auto drop = static_cast<HDROP>(data);
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      wchar_t name[MAX_PATH * 4] = {};
      DragQueryFileW(drop, i, name, MAX_PATH * 4);
      paths.emplace_back(name);
    }
  }
  CloseClipboard();
  return paths;
}

// The clipboard's "Preferred DropEffect", or 0 when it has none.
inline DWORD ClipboardEffect() {
  DWORD effect = 0;
  for (int attempt = 0; attempt < 50 && !OpenClipboard(nullptr); ++attempt) Sleep(20);
  if (HANDLE data = GetClipboardData(GetPreferredDropEffectFormat())) {
    if (const auto* value = static_cast<const DWORD*>(GlobalLock(data))) {
      effect = *value;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return effect;
}

inline void EmptyTheClipboard() {
  for (int attempt = 0; attempt < 50 && !OpenClipboard(nullptr); ++attempt) Sleep(20);
  EmptyClipboard();
  CloseClipboard();
}

}  // namespace ts::test
