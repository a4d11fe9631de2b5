#include "shell/PathClassification.h"

#include "toolkit/FilePaths.h"
#include "toolkit/Strings.h"

namespace ts {

namespace {

bool StartsWithTwoBackslashes(const std::wstring& path) {
  return path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\';
}

bool IsLongPathForm(const std::wstring& path) { return path.rfind(L"\\\\?\\", 0) == 0; }

}  // namespace

std::wstring PathDrivePart(const std::wstring& path) { return ExtractFileDrive(path); }

bool IsRootPath(const std::wstring& path) {
  if (path.empty()) return false;
  const std::wstring drive = PathDrivePart(path);
  if (HasTrailingPathDelimiter(path)) return SameText(ExcludeTrailingPathDelimiter(path), drive);
  return SameText(path, drive);
}

bool IsDrivePath(const std::wstring& path) {
  if (path.size() < 3) return false;
  wchar_t letter = path[0];
  bool isLetter = (letter >= L'A' && letter <= L'Z') || (letter >= L'a' && letter <= L'z');
  return isLetter && path[1] == L':' && path[2] == L'\\';
}

bool IsUNCPath(const std::wstring& path) {
  if (path.size() <= 2 || !StartsWithTwoBackslashes(path)) return false;
  if (IsLongPathForm(path)) return path.size() >= 8 && StartsText(L"\\\\?\\UNC\\", path);
  return path.find(L'\\', 2) != std::wstring::npos;
}

bool IsUNCServerPath(const std::wstring& path) {
  if (path.size() < 3) return false;
  const std::wstring s = ExcludeTrailingPathDelimiter(path);
  return StartsWithTwoBackslashes(s) && s.find(L'\\', 2) == std::wstring::npos;
}

bool IsDriveOrUNCPath(const std::wstring& path) { return IsDrivePath(path) || IsUNCPath(path); }

bool IsNetworkPath(const std::wstring& path) {
  if (IsUNCPath(path)) return true;
  const std::wstring drive = PathDrivePart(path);
  if (drive.empty()) return false;
  return GetDriveTypeW(IncludeTrailingPathDelimiter(drive).c_str()) == DRIVE_REMOTE;
}

bool HasExtension(const std::wstring& path, const std::wstring& ext) {
  std::wstring wanted = ext;
  if (!wanted.empty() && wanted[0] != L'.') wanted.insert(wanted.begin(), L'.');
  return SameText(ExtractFileExt(ExcludeTrailingPathDelimiter(path)), wanted);
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return SameText(ExcludeTrailingPathDelimiter(a), ExcludeTrailingPathDelimiter(b));
}

bool IsAncestorPath(const std::wstring& ancestor, const std::wstring& path) {
  if (path.empty()) return false;
  const std::wstring full = UpperCase(IncludeTrailingPathDelimiter(path));
  return full.rfind(UpperCase(ancestor), 0) == 0 && !SamePath(ancestor, path);
}

bool IsDotOrDotDot(const std::wstring& name) { return name == L"." || name == L".."; }

bool IsReparsePoint(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

}  // namespace ts
