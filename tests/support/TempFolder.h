#pragma once
// A folder that one test owns: made fresh under the Windows temporary folder
// and removed with everything in it (long paths included) when it goes.
#include <string>

namespace ts::test {

class TTempFolder {
public:
  TTempFolder();
  ~TTempFolder();
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  // The folder's path, without a trailing backslash.
  const std::wstring& Path() const noexcept { return fPath; }
  // Path() + "\" + relative.
  std::wstring operator/(const std::wstring& relative) const { return fPath + L"\\" + relative; }

  // Makes a file (and its missing folders) with the given bytes; answers its path.
  std::wstring MakeFile(const std::wstring& relative, const std::string& content = {}) const;
  std::wstring MakeFolder(const std::wstring& relative) const;

private:
  std::wstring fPath;
};

// Removes a folder tree; long paths are fine.
void RemoveTree(const std::wstring& path);
// The "\\?\" form of an absolute drive or UNC path.
std::wstring LongPath(const std::wstring& path);

}  // namespace ts::test
