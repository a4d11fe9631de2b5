#include "work/FolderSizeWorkItem.h"

#include <windows.h>
#include <winioctl.h>

#include <vector>

#include "shell/PathClassification.h"
#include "shell/SelectionListFileOps.h"
#include "toolkit/FilePaths.h"
#include "toolkit/Strings.h"

namespace ts {

namespace {

constexpr DWORD kReparseBufferSize = 16384;
constexpr DWORD kSymlinkTag = 0xA000000C;

// Enumerates path + "*" (long paths included) and closes the search.
class TFolderSearch {
public:
  explicit TFolderSearch(const std::wstring& path)
      : fHandle(TNsSelectionListFileOps::FindFirstFile(path + L"*", fData)) {}
  ~TFolderSearch() {
    if (fHandle != INVALID_HANDLE_VALUE) FindClose(fHandle);
  }
  TFolderSearch(const TFolderSearch&) = delete;
  TFolderSearch& operator=(const TFolderSearch&) = delete;

  bool Valid() const noexcept { return fHandle != INVALID_HANDLE_VALUE; }
  const WIN32_FIND_DATAW& Entry() const noexcept { return fData; }
  bool Next() { return FindNextFileW(fHandle, &fData) != FALSE; }

private:
  WIN32_FIND_DATAW fData{};
  HANDLE fHandle;
};

}  // namespace

std::wstring GetReparsePointTarget(const std::wstring& path) {
  HANDLE file = CreateFileW(TNsSelectionListFileOps::LongPathForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::vector<BYTE> buffer(kReparseBufferSize);
  DWORD returned = 0;
  const BOOL ok = DeviceIoControl(file, FSCTL_GET_REPARSE_POINT, nullptr, 0, buffer.data(), kReparseBufferSize,
                                  &returned, nullptr);
  CloseHandle(file);
  if (!ok) return {};
  return ReparseBufferTarget(buffer.data(), returned);
}

std::wstring ReparseBufferTarget(const BYTE* buffer, DWORD returned) {
  if (buffer == nullptr || returned < 12) return {};
  auto word = [&](size_t offset) { return static_cast<DWORD>(buffer[offset] | (buffer[offset + 1] << 8)); };
  const DWORD tag = word(0) | (word(2) << 16);
  const DWORD nameBytes = word(10);
  if (returned < nameBytes + 2) return {};
  const size_t start = tag == kSymlinkTag ? 20 : 16;
  // Only what the platform filled in is read.
  if (start + nameBytes > returned) return {};
  std::wstring target(nameBytes / 2, L'\0');
  for (size_t i = 0; i < target.size(); ++i) target[i] = static_cast<wchar_t>(word(start + i * 2));
  return StringReplace(target, L"\\??\\", L"", rfReplaceAll | rfIgnoreCase);
}

bool IsInsideFolder(const std::wstring& target, const std::wstring& folder) {
  if (target.empty()) return false;
  return UpperCase(IncludeTrailingPathDelimiter(target)).rfind(UpperCase(IncludeTrailingPathDelimiter(folder)), 0) == 0;
}

TNsFolderSizeWorkItem::TNsFolderSizeWorkItem(const std::wstring& RootPath, bool Recursive, bool aFollowReparsePoints)
    : fRootPath(RootPath), fRecursive(Recursive), fFollowReparsePoints(aFollowReparsePoints) {}

void TNsFolderSizeWorkItem::PerformWork() {
  const bool root = IsRootPath(fRootPath);
  // A folder named with a trailing delimiter is looked up without it: the
  // platform finds no entry for "C:\Dir\".
  const std::wstring pattern =
      root ? IncludeTrailingPathDelimiter(fRootPath) + L"*" : ExcludeTrailingPathDelimiter(fRootPath);
  WIN32_FIND_DATAW found{};
  HANDLE search = TNsSelectionListFileOps::FindFirstFile(pattern, found);
  if (search == INVALID_HANDLE_VALUE) return;
  FindClose(search);
  if (root || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    fFolderCount = 1;  // the root itself
    if (fRecursive)
      ScanFolder(IncludeTrailingPathDelimiter(fRootPath),
                 !root && (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0);
  } else {
    fSize = (static_cast<int64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    fFileCount = 1;
  }
}

void TNsFolderSizeWorkItem::ScanFolder(const std::wstring& path, bool IsParentFolderReparsePoint) {
  TFolderSearch search(path);
  if (!search.Valid()) return;
  do {
    if (fTerminated.load()) return;
    const WIN32_FIND_DATAW& entry = search.Entry();
    const std::wstring name = entry.cFileName;
    const bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool isReparse = (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (isFolder && IsDotOrDotDot(name)) continue;
    if (isReparse) {
      if (!fFollowReparsePoints && !IsParentFolderReparsePoint) continue;
      const std::wstring target = GetReparsePointTarget(path + name);
      // A link into the measured folder, or to the folder itself, would count
      // things twice or never end.
      if (IsInsideFolder(target, fRootPath)) continue;
    }
    if (isFolder) {
      ++fFolderCount;
      ScanFolder(path + name + L"\\", isReparse);
    } else {
      fSize += (static_cast<int64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
      ++fFileCount;
    }
  } while (search.Next());
}

}  // namespace ts
