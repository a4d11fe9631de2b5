#include "toolkit/FilePaths.h"

namespace ts {

namespace {

// Index just after the last '\' or ':' (the start of the file name).
size_t NameStart(std::wstring_view path) {
  size_t i = path.find_last_of(L"\\:");
  return i == std::wstring_view::npos ? 0 : i + 1;
}

}  // namespace

std::wstring ExtractFileDrive(std::wstring_view path) {
  if (path.size() >= 2 && path[1] == DriveDelim) return std::wstring(path.substr(0, 2));
  if (path.size() >= 2 && path[0] == PathDelim && path[1] == PathDelim) {
    // Server and share: up to the second backslash after the leading pair.
    size_t server = path.find(PathDelim, 2);
    if (server == std::wstring_view::npos) return std::wstring(path);
    size_t share = path.find(PathDelim, server + 1);
    return std::wstring(share == std::wstring_view::npos ? path : path.substr(0, share));
  }
  return {};
}

std::wstring ExtractFilePath(std::wstring_view path) { return std::wstring(path.substr(0, NameStart(path))); }

std::wstring ExtractFileDir(std::wstring_view path) {
  size_t start = NameStart(path);
  if (start > 1 && path[start - 1] == PathDelim && path[start - 2] != PathDelim && path[start - 2] != DriveDelim)
    --start;
  return std::wstring(path.substr(0, start));
}

std::wstring ExtractFileName(std::wstring_view path) { return std::wstring(path.substr(NameStart(path))); }

std::wstring ExtractFileExt(std::wstring_view path) {
  size_t i = path.find_last_of(L".\\:");
  if (i == std::wstring_view::npos || path[i] != L'.') return {};
  return std::wstring(path.substr(i));
}

std::wstring ChangeFileExt(std::wstring_view path, std::wstring_view extension) {
  size_t i = path.find_last_of(L".\\:");
  size_t end = (i == std::wstring_view::npos || path[i] != L'.') ? path.size() : i;
  return std::wstring(path.substr(0, end)) + std::wstring(extension);
}

bool HasTrailingPathDelimiter(std::wstring_view path) { return !path.empty() && path.back() == PathDelim; }

std::wstring IncludeTrailingPathDelimiter(std::wstring_view path) {
  std::wstring s(path);
  if (!HasTrailingPathDelimiter(s)) s += PathDelim;
  return s;
}

std::wstring ExcludeTrailingPathDelimiter(std::wstring_view path) {
  std::wstring s(path);
  if (HasTrailingPathDelimiter(s)) s.pop_back();
  return s;
}

}  // namespace ts
