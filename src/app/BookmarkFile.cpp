#include "app/BookmarkFile.h"

#include <windows.h>

#include <algorithm>

#include "shell/SystemErrorText.h"
#include "toolkit/ComponentStreaming.h"
#include "toolkit/Streams.h"

namespace ts {

namespace {

// The new contents are written here first; a file left by a run that died
// half-way is simply written over.
constexpr wchar_t kNewSuffix[] = L".new";
constexpr wchar_t kDamagedSuffix[] = L".bad";
// Copies aside of damaged files beyond this many are not made.
constexpr int kMaxDamagedCopies = 100;

[[noreturn]] void CannotCreate(const std::wstring& fileName, DWORD error) {
  throw EFCreateError(L"Cannot create file \"" + fileName + L"\". " + GetSystemErrorText(static_cast<int>(error)));
}

// Writes every byte and forces them to the disk; false with the thread's
// last error set when any of it fails.
bool WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  size_t done = 0;
  while (ok && done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
    DWORD written = 0;
    ok = WriteFile(file, bytes.data() + done, chunk, &written, nullptr) && written == chunk;
    if (ok) done += written;
  }
  ok = ok && FlushFileBuffers(file);
  const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
  if (!CloseHandle(file) && ok) return false;
  SetLastError(error);
  return ok;
}

}  // namespace

bool BookmarkFileExists(const std::wstring& fileName) {
  const DWORD attributes = GetFileAttributesW(fileName.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void ReadBookmarkFile(const std::wstring& fileName, TListBox& list) {
  TFileStream stream(fileName, fmOpenRead);
  TReader(stream).ReadRootComponent(list, list);
}

std::vector<uint8_t> BookmarkStream(TListBox& list) {
  TMemoryStream stream;
  TWriter(stream).WriteRootComponent(list, list);
  return stream.Bytes();
}

void WriteBookmarkFile(const std::wstring& fileName, TListBox& list) {
  // A read-only file is not written over, as opening it for writing would
  // refuse; a rename alone would not ask on every system.
  const DWORD attributes = GetFileAttributesW(fileName.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
    CannotCreate(fileName, ERROR_ACCESS_DENIED);
  const std::vector<uint8_t> bytes = BookmarkStream(list);
  const std::wstring newFile = fileName + kNewSuffix;
  if (!WriteWholeFile(newFile, bytes)) {
    const DWORD error = GetLastError();
    DeleteFileW(newFile.c_str());
    CannotCreate(fileName, error);
  }
  // The old file goes only in the same step that puts the new one in place.
  if (!MoveFileExW(newFile.c_str(), fileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = GetLastError();
    DeleteFileW(newFile.c_str());
    CannotCreate(fileName, error);
  }
}

std::wstring KeepDamagedFile(const std::wstring& fileName) {
  for (int n = 1; n <= kMaxDamagedCopies; ++n) {
    const std::wstring copy = fileName + kDamagedSuffix + (n == 1 ? std::wstring() : std::to_wstring(n));
    // Never over an earlier copy: each may hold bookmarks of its own.
    if (CopyFileW(fileName.c_str(), copy.c_str(), TRUE)) return copy;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return {};
  }
  SetLastError(ERROR_FILE_EXISTS);
  return {};
}

}  // namespace ts
