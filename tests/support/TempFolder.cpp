#include "support/TempFolder.h"

#include <windows.h>

#include <atomic>
#include <stdexcept>

namespace ts::test {

std::wstring LongPath(const std::wstring& path) {
  if (path.rfind(L"\\\\?\\", 0) == 0) return path;
  if (path.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + path.substr(2);
  return L"\\\\?\\" + path;
}

void RemoveTree(const std::wstring& path) {
  const std::wstring root = LongPath(path);
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW((root + L"\\*").c_str(), &data);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring child = path + L"\\" + name;
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
          (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        RemoveTree(child);
      } else {
        SetFileAttributesW(LongPath(child).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(LongPath(child).c_str());
      }
    } while (FindNextFileW(h, &data));
    FindClose(h);
  }
  SetFileAttributesW(root.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryW(root.c_str());
}

TTempFolder::TTempFolder() {
  static std::atomic<unsigned> counter{0};
  wchar_t temp[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  if (n == 0 || n > MAX_PATH) throw std::runtime_error("no temporary folder");
  std::wstring base(temp, n);
  if (base.back() == L'\\') base.pop_back();
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::wstring candidate = base + L"\\twinscope-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                             std::to_wstring(counter++);
    if (CreateDirectoryW(candidate.c_str(), nullptr)) {
      fPath = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot make a temporary folder");
}

TTempFolder::~TTempFolder() {
  if (!fPath.empty()) RemoveTree(fPath);
}

std::wstring TTempFolder::MakeFolder(const std::wstring& relative) const {
  std::wstring path = fPath;
  size_t start = 0;
  while (start <= relative.size()) {
    size_t end = relative.find(L'\\', start);
    if (end == std::wstring::npos) end = relative.size();
    path += L"\\" + relative.substr(start, end - start);
    CreateDirectoryW(LongPath(path).c_str(), nullptr);
    start = end + 1;
  }
  return path;
}

std::wstring TTempFolder::MakeFile(const std::wstring& relative, const std::string& content) const {
  size_t slash = relative.rfind(L'\\');
  if (slash != std::wstring::npos) MakeFolder(relative.substr(0, slash));
  std::wstring path = fPath + L"\\" + relative;
  HANDLE h = CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create a test file");
  DWORD written = 0;
  if (!content.empty()) WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(h);
  return path;
}

}  // namespace ts::test
