#include "shell/SelectionListFileOps.h"

#include "shell/PathClassification.h"
#include "toolkit/FilePaths.h"

namespace ts {

std::wstring TNsSelectionListFileOps::LongPathForm(const std::wstring& path) {
  if (path.rfind(L"\\\\?\\", 0) == 0) return path;
  if (IsDrivePath(path)) return L"\\\\?\\" + path;
  if (IsUNCPath(path)) return L"\\\\?\\UNC\\" + path.substr(2);
  return path;
}

HANDLE TNsSelectionListFileOps::FindFirstFile(const std::wstring& path, WIN32_FIND_DATAW& findData) {
  return FindFirstFileW(LongPathForm(path).c_str(), &findData);
}

namespace {

// The directory entry of path, or false when there is none.
bool FindEntry(const std::wstring& path, WIN32_FIND_DATAW& data) {
  if (path.empty()) return false;
  HANDLE h = TNsSelectionListFileOps::FindFirstFile(path, data);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  return true;
}

}  // namespace

bool TNsSelectionListFileOps::IsFile(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  return FindEntry(path, data) && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool TNsSelectionListFileOps::IsFolder(const std::wstring& path) {
  if (IsRootPath(path)) return true;
  WIN32_FIND_DATAW data;
  return FindEntry(ExcludeTrailingPathDelimiter(path), data) && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::wstring TNsSelectionListFileOps::GetParentPathFromPath(const std::wstring& path) {
  return ExtractFilePath(ExcludeTrailingPathDelimiter(path));
}

}  // namespace ts
