#pragma once
// Walks a directory tree on disk and hands every file and subdirectory to a
// callback: per folder all its files (of every attribute) first, then each
// subdirectory that is neither hidden nor system, followed by its subtree.
// Folders that cannot be searched are passed over without a word.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace ts {

struct TDirEntry {
  // The last write, local time, packed as a DOS date-time (date in the high
  // word); -1 when the date lies outside 1980 to 2107.
  int32_t Time = 0;
  int64_t Size = 0;
  DWORD Attr = 0;
  std::wstring Name;
};

// Path: the folder of a file, or a subdirectory's own path; both end with
// "\". Answer false to stop the whole walk.
using TScanCallback = std::function<bool(const std::wstring& Path, const TDirEntry& Entry)>;

// Mask selects files (empty: "*.*"); subdirectories are always all searched.
// An empty StartPath is the current directory. The walk and the paths the
// callback gets start from the start path's full form ("C:\Data\..\Other"
// walks "C:\Other\", "C:\Data/Sub" walks "C:\Data\Sub\").
void ScanDirectory(bool Recurse, const std::wstring& StartPath, const std::wstring& Mask,
                   const TScanCallback& Callback);

// The packed local date-time of a file time; -1 when it cannot be packed.
int32_t PackedLocalDateTime(const FILETIME& time);

}  // namespace ts
