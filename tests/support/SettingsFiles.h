#pragma once
// Settings files as the tests read and write them: a key read the way the
// platform reads it, and a file written with exactly the given bytes.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace ts::test {

inline std::wstring IniKey(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
  wchar_t buffer[2048];
  GetPrivateProfileStringW(section, key, L"<none>", buffer, 2048, file.c_str());
  return buffer;
}

inline void WriteTextFile(const std::wstring& file, const std::string& text) {
  HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(h);
}

}  // namespace ts::test
