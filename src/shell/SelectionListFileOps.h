#pragma once
// File-system probes that need no instance: class operations of the
// selection list, kept here so that the shell layer's own probes can use
// them. They take long paths (beyond MAX_PATH) through the "\\?\" prefixes.
#include <windows.h>

#include <string>

// The platform header names a macro after FindFirstFile; this class has an
// operation of that name, and the project calls FindFirstFileW explicitly.
#undef FindFirstFile

namespace ts {

class TNsSelectionListFileOps {
public:
  // FindFirstFileW with the long-path prefix: "C:\..." becomes "\\?\C:\...",
  // "\\server\share..." becomes "\\?\UNC\server\share..."; anything else is
  // used as it is.
  static HANDLE FindFirstFile(const std::wstring& path, WIN32_FIND_DATAW& findData);
  static bool IsFile(const std::wstring& path);
  static bool IsFolder(const std::wstring& path);
  static std::wstring GetParentPathFromPath(const std::wstring& path);
  // The path as the platform's wide functions take it beyond MAX_PATH.
  static std::wstring LongPathForm(const std::wstring& path);
};

}  // namespace ts
