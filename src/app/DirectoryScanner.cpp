#include "app/DirectoryScanner.h"

#include <vector>

#include "shell/SelectionListFileOps.h"

namespace ts {

namespace {

class TDirectoryScanner {
public:
  TDirectoryScanner(bool recurse, const TScanCallback& callback) : fRecurse(recurse), fCallback(callback) {}

  // The working path grows by one name per level and is cut back after it.
  std::wstring Path;

  bool ScanLevel(const std::wstring& mask) {
    const size_t length = Path.size();
    // With the mask that finds everything, one search gives both the files
    // and the subdirectories; these wait until the files are done.
    const bool onePass = mask == L"*.*" || mask == L"*";
    std::vector<TDirEntry> folders;
    {
      TSearch files(Path + mask);
      for (bool more = files.Valid(); more; more = files.Next()) {
        const WIN32_FIND_DATAW& data = files.Data();
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
          if (onePass && fRecurse && IsVisibleFolder(data)) folders.push_back(EntryOf(data));
          continue;
        }
        if ((data.dwFileAttributes & kVolumeLabel) != 0) continue;
        if (!fCallback(Path, EntryOf(data))) return false;
      }
    }
    if (!fRecurse) return false;
    if (!onePass) {
      TSearch search(Path + L"*.*");
      for (bool more = search.Valid(); more; more = search.Next()) {
        const WIN32_FIND_DATAW& data = search.Data();
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && IsVisibleFolder(data)) {
          if (!EnterFolder(EntryOf(data), mask, length)) return false;
        }
      }
      return true;
    }
    for (const TDirEntry& folder : folders)
      if (!EnterFolder(folder, mask, length)) return false;
    return true;
  }

private:
  static constexpr DWORD kVolumeLabel = 0x08;

  static bool IsVisibleFolder(const WIN32_FIND_DATAW& data) {
    return (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0 && !IsDots(data.cFileName);
  }

  // Reports a subdirectory and walks it; the path comes back to length.
  bool EnterFolder(const TDirEntry& folder, const std::wstring& mask, size_t length) {
    Path.append(folder.Name);
    Path.push_back(L'\\');
    fCallback(Path, folder);
    if (!ScanLevel(mask)) return false;
    Path.resize(length);
    return true;
  }

  // One open search; the long-path form lets deep folders be searched too.
  class TSearch {
  public:
    explicit TSearch(const std::wstring& pattern)
        : fHandle(FindFirstFileW(TNsSelectionListFileOps::LongPathForm(pattern).c_str(), &fData)) {}
    ~TSearch() {
      if (fHandle != INVALID_HANDLE_VALUE) FindClose(fHandle);
    }
    TSearch(const TSearch&) = delete;
    TSearch& operator=(const TSearch&) = delete;
    bool Valid() const noexcept { return fHandle != INVALID_HANDLE_VALUE; }
    bool Next() { return FindNextFileW(fHandle, &fData) != FALSE; }
    const WIN32_FIND_DATAW& Data() const noexcept { return fData; }

  private:
    WIN32_FIND_DATAW fData{};
    HANDLE fHandle;
  };

  static bool IsDots(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
  }

  static TDirEntry EntryOf(const WIN32_FIND_DATAW& data) {
    TDirEntry entry;
    entry.Time = PackedLocalDateTime(data.ftLastWriteTime);
    entry.Size = (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entry.Attr = data.dwFileAttributes;
    entry.Name = data.cFileName;
    return entry;
  }

  bool fRecurse;
  const TScanCallback& fCallback;
};

// The full form of a path, as the platform would resolve it: "." and ".."
// resolved, "/" turned into "\", relative paths made absolute. The long-path
// form that every search uses passes the text on as it stands, so the start
// path is put into this form first; the names the walk appends come from the
// searches themselves and stay as they are.
std::wstring FullPathName(const std::wstring& path) {
  DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  const DWORD n = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  if (n == 0 || n >= size) return path;
  full.resize(n);
  return full;
}

}  // namespace

int32_t PackedLocalDateTime(const FILETIME& time) {
  FILETIME local;
  WORD date = 0, clock = 0;
  if (!FileTimeToLocalFileTime(&time, &local) || !FileTimeToDosDateTime(&local, &date, &clock)) return -1;
  return static_cast<int32_t>((static_cast<uint32_t>(date) << 16) | clock);
}

void ScanDirectory(bool Recurse, const std::wstring& StartPath, const std::wstring& Mask,
                   const TScanCallback& Callback) {
  TDirectoryScanner scanner(Recurse, Callback);
  if (StartPath.empty()) {
    std::vector<wchar_t> buffer(32768);
    const DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    scanner.Path.assign(buffer.data(), n < buffer.size() ? n : 0);
  } else {
    scanner.Path = StartPath;
  }
  if (scanner.Path.empty() || scanner.Path.back() != L'\\') scanner.Path.push_back(L'\\');
  scanner.Path = FullPathName(scanner.Path);
  scanner.Path.reserve(1024);
  scanner.ScanLevel(Mask.empty() ? L"*.*" : Mask);
}

}  // namespace ts
