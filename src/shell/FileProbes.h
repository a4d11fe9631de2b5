#pragma once
// Probes of files and folders that never show a platform dialog: media are
// touched with SEM_FAILCRITICALERRORS, and failures answer neutral values.
#include <cstdint>
#include <string>

namespace ts {

bool PathExists(const std::wstring& path);
// Whether path names a folder (a file) that is there: its own entry is
// looked up, never searched for, so a name with wildcards names nothing,
// and a drive's root is one only while the drive is there. A trailing
// backslash is allowed; paths beyond MAX_PATH are looked up whole.
bool DirectoryExists(const std::wstring& path);
bool FileExists(const std::wstring& path);
// Whether the drive (or share) of the path answers: media present, reachable.
bool IsDriveReady(const std::wstring& path);
// The size from the path's directory entry; -1 when there is none.
int64_t GetFileSizeByPath(const std::wstring& path);
// Creates the folder and any missing parents. Raises ENsBrowserError for an
// empty path; answers whether the folder could be made (true when it exists).
bool CreateDirectoryPath(const std::wstring& path);
std::wstring GetWindowsDirectoryPath();
// The temporary folder, with a trailing backslash.
std::wstring GetTempDirectory();
// Whether the folder holds "target.lnk", the mark of a folder shortcut.
bool IsFolderShortcut(const std::wstring& path);

}  // namespace ts
