#include "toolkit/Streams.h"

#include <algorithm>
#include <cstring>

#include "toolkit/Exception.h"

namespace ts {

namespace {

std::wstring LastErrorText() {
  const DWORD code = GetLastError();
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  std::wstring message = n > 0 && text != nullptr ? std::wstring(text, n) : L"System error " + std::to_wstring(code);
  if (text != nullptr) LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
    message.pop_back();
  return message;
}

}  // namespace

void TStream::ReadBuffer(void* buffer, int64_t count) {
  if (count < 0 || (count != 0 && Read(buffer, count) != count)) throw EReadError(L"Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
  if (count < 0 || (count != 0 && Write(buffer, count) != count)) throw EWriteError(L"Stream write error");
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
  const int64_t available = std::max<int64_t>(0, GetSize() - fPosition);
  const int64_t n = std::min(count, available);
  if (n <= 0) return 0;
  std::memcpy(buffer, fBytes.data() + fPosition, static_cast<size_t>(n));
  fPosition += n;
  return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  const auto end = static_cast<size_t>(fPosition + count);
  if (end > fBytes.size()) fBytes.resize(end);
  std::memcpy(fBytes.data() + fPosition, buffer, static_cast<size_t>(count));
  fPosition += count;
  return count;
}

void TMemoryStream::SetPosition(int64_t position) { fPosition = std::clamp<int64_t>(position, 0, GetSize()); }

TFileStream::TFileStream(const std::wstring& FileName, TFileStreamMode Mode) : fFileName(FileName) {
  if (Mode == fmCreate) {
    fHandle = CreateFileW(FileName.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (fHandle == INVALID_HANDLE_VALUE)
      throw EFCreateError(L"Cannot create file \"" + FileName + L"\". " + LastErrorText());
  } else {
    const DWORD access = Mode == fmOpenRead ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    fHandle = CreateFileW(FileName.c_str(), access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                          nullptr);
    if (fHandle == INVALID_HANDLE_VALUE)
      throw EFOpenError(L"Cannot open file \"" + FileName + L"\". " + LastErrorText());
  }
}

TFileStream::~TFileStream() {
  if (fHandle != INVALID_HANDLE_VALUE) CloseHandle(fHandle);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
  int64_t total = 0;
  auto* bytes = static_cast<uint8_t*>(buffer);
  while (total < count) {
    const DWORD chunk = static_cast<DWORD>(std::min<int64_t>(count - total, 1 << 30));
    DWORD n = 0;
    if (!ReadFile(fHandle, bytes + total, chunk, &n, nullptr) || n == 0) break;
    total += n;
  }
  return total;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
  int64_t total = 0;
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  while (total < count) {
    const DWORD chunk = static_cast<DWORD>(std::min<int64_t>(count - total, 1 << 30));
    DWORD n = 0;
    if (!WriteFile(fHandle, bytes + total, chunk, &n, nullptr) || n == 0) break;
    total += n;
  }
  return total;
}

int64_t TFileStream::GetSize() {
  LARGE_INTEGER size{};
  return GetFileSizeEx(fHandle, &size) ? size.QuadPart : 0;
}

int64_t TFileStream::GetPosition() {
  LARGE_INTEGER zero{}, position{};
  return SetFilePointerEx(fHandle, zero, &position, FILE_CURRENT) ? position.QuadPart : 0;
}

void TFileStream::SetPosition(int64_t position) {
  LARGE_INTEGER to;
  to.QuadPart = position;
  SetFilePointerEx(fHandle, to, nullptr, FILE_BEGIN);
}

}  // namespace ts
