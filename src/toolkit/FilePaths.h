#pragma once
// Windows path pieces, as the framework's file-name functions split them.
#include <string>
#include <string_view>

namespace ts {

constexpr wchar_t PathDelim = L'\\';
constexpr wchar_t DriveDelim = L':';

// "C:" for "C:\dir\file", "\\server\share" for "\\server\share\dir"; else empty.
std::wstring ExtractFileDrive(std::wstring_view path);
// Everything up to and including the last backslash or colon.
std::wstring ExtractFilePath(std::wstring_view path);
// ExtractFilePath without its trailing backslash, except for a root ("C:\").
std::wstring ExtractFileDir(std::wstring_view path);
std::wstring ExtractFileName(std::wstring_view path);
// The extension with its dot, "" when the name has none.
std::wstring ExtractFileExt(std::wstring_view path);
std::wstring ChangeFileExt(std::wstring_view path, std::wstring_view extension);

std::wstring IncludeTrailingPathDelimiter(std::wstring_view path);
std::wstring ExcludeTrailingPathDelimiter(std::wstring_view path);
bool HasTrailingPathDelimiter(std::wstring_view path);

}  // namespace ts
