#include "toolkit/IniFiles.h"

#include <windows.h>

#include <cerrno>
#include <climits>
#include <cwchar>
#include <vector>

namespace ts {

namespace {

constexpr DWORD kValueChars = 2048;

bool ParseDigits(const std::wstring& digits, int base, bool negative, int& value) {
  if (digits.empty()) return false;
  long long result = 0;
  for (wchar_t c : digits) {
    int digit;
    if (c >= L'0' && c <= L'9')
      digit = c - L'0';
    else if (base == 16 && c >= L'a' && c <= L'f')
      digit = c - L'a' + 10;
    else if (base == 16 && c >= L'A' && c <= L'F')
      digit = c - L'A' + 10;
    else
      return false;
    result = result * base + digit;
    if (result > (base == 16 ? 0xFFFFFFFFLL : static_cast<long long>(INT_MAX) + 1)) return false;
  }
  if (negative) result = -result;
  if (base == 10 && (result > INT_MAX || result < INT_MIN)) return false;
  // Hexadecimal covers all 32 bits, as the platform's own integers do.
  value = static_cast<int>(static_cast<uint32_t>(result));
  return true;
}

}  // namespace

bool TIniFile::ParseInteger(const std::wstring& text, int& value) {
  if (text.size() >= 3 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X'))
    return ParseDigits(text.substr(2), 16, false, value);
  size_t start = 0;
  while (start < text.size() && text[start] == L' ') ++start;
  bool negative = false;
  if (start < text.size() && (text[start] == L'-' || text[start] == L'+')) negative = text[start++] == L'-';
  if (start < text.size() && text[start] == L'$') return ParseDigits(text.substr(start + 1), 16, negative, value);
  return ParseDigits(text.substr(start), 10, negative, value);
}

std::wstring TIniFile::ReadString(const std::wstring& Section, const std::wstring& Ident,
                                  const std::wstring& Default) const {
  std::vector<wchar_t> buffer(kValueChars);
  const DWORD n = GetPrivateProfileStringW(Section.c_str(), Ident.c_str(), Default.c_str(), buffer.data(),
                                           kValueChars, fFileName.c_str());
  return std::wstring(buffer.data(), n);
}

int TIniFile::ReadInteger(const std::wstring& Section, const std::wstring& Ident, int Default) const {
  int value;
  return ParseInteger(ReadString(Section, Ident, L""), value) ? value : Default;
}

bool TIniFile::ReadBool(const std::wstring& Section, const std::wstring& Ident, bool Default) const {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TIniFile::WriteError() const { throw EIniFileException(L"Unable to write to " + fFileName); }

void TIniFile::EnsureUnicodeFile() {
  // The platform writes a new file in the ANSI code page, which loses names
  // outside it; a file that starts with the UTF-16 mark is kept in UTF-16.
  HANDLE file = CreateFileW(fFileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const unsigned char mark[2] = {0xFF, 0xFE};
  DWORD written = 0;
  WriteFile(file, mark, sizeof mark, &written, nullptr);
  CloseHandle(file);
}

void TIniFile::WriteString(const std::wstring& Section, const std::wstring& Ident, const std::wstring& Value) {
  EnsureUnicodeFile();
  if (!WritePrivateProfileStringW(Section.c_str(), Ident.c_str(), Value.c_str(), fFileName.c_str())) WriteError();
}

void TIniFile::WriteInteger(const std::wstring& Section, const std::wstring& Ident, int Value) {
  WriteString(Section, Ident, std::to_wstring(Value));
}

void TIniFile::WriteBool(const std::wstring& Section, const std::wstring& Ident, bool Value) {
  WriteString(Section, Ident, Value ? L"1" : L"0");
}

void TIniFile::ReadSection(const std::wstring& Section, TStringList& Strings) const {
  Strings.BeginUpdate();
  Strings.Clear();
  for (DWORD size = 16384;; size *= 4) {
    std::vector<wchar_t> buffer(size);
    const DWORD n = GetPrivateProfileStringW(Section.c_str(), nullptr, nullptr, buffer.data(), size,
                                             fFileName.c_str());
    if (n + 2 >= size && size < (1u << 24)) continue;  // cut short: try a larger buffer
    for (const wchar_t* p = buffer.data(); p < buffer.data() + n && *p != L'\0'; p += wcslen(p) + 1) Strings.Add(p);
    break;
  }
  Strings.EndUpdate();
}

void TIniFile::ReadSectionValues(const std::wstring& Section, TStringList& Strings) const {
  Strings.BeginUpdate();
  Strings.Clear();
  for (DWORD size = 16384;; size *= 4) {
    std::vector<wchar_t> buffer(size);
    const DWORD n = GetPrivateProfileSectionW(Section.c_str(), buffer.data(), size, fFileName.c_str());
    if (n + 2 >= size && size < (1u << 24)) continue;  // cut short: try a larger buffer
    for (const wchar_t* p = buffer.data(); p < buffer.data() + n && *p != L'\0'; p += wcslen(p) + 1) Strings.Add(p);
    break;
  }
  Strings.EndUpdate();
}

void TIniFile::WriteSectionValues(const std::wstring& Section, const TStringList& Strings) {
  std::wstring block;
  for (int i = 0; i < Strings.GetCount(); ++i) {
    block += Strings.Get(i);
    block += L'\0';
  }
  block += L'\0';
  EnsureUnicodeFile();
  if (!WritePrivateProfileSectionW(Section.c_str(), block.c_str(), fFileName.c_str())) WriteError();
}

bool TIniFile::ValueExists(const std::wstring& Section, const std::wstring& Ident) const {
  TStringList keys;
  ReadSection(Section, keys);
  for (int i = 0; i < keys.GetCount(); ++i)
    if (_wcsicmp(keys.Get(i).c_str(), Ident.c_str()) == 0) return true;
  return false;
}

bool TIniFile::SectionExists(const std::wstring& Section) const {
  TStringList keys;
  ReadSection(Section, keys);
  return keys.GetCount() > 0;
}

void TIniFile::EraseSection(const std::wstring& Section) {
  if (!WritePrivateProfileStringW(Section.c_str(), nullptr, nullptr, fFileName.c_str())) WriteError();
}

void TIniFile::DeleteKey(const std::wstring& Section, const std::wstring& Ident) {
  WritePrivateProfileStringW(Section.c_str(), Ident.c_str(), nullptr, fFileName.c_str());
}

}  // namespace ts
