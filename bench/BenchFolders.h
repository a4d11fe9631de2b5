#pragma once
// Folders of empty files in the temporary folder, made and removed by the
// benchmarks.
#include <windows.h>

#include <cwchar>
#include <initializer_list>
#include <string>
#include <vector>

namespace ts::bench {

inline std::wstring TempRoot() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  return temp;
}

// The folder name in the temporary folder with files "file 000000" on, their
// extensions taken in turn from the list.
inline std::wstring MakeFolder(const std::wstring& name, int files,
                               std::initializer_list<const wchar_t*> extensions = {L".txt"}) {
  const std::vector<const wchar_t*> endings(extensions);
  const std::wstring folder = TempRoot() + name;
  CreateDirectoryW(folder.c_str(), nullptr);
  for (int i = 0; i < files; ++i) {
    wchar_t file[64];
    swprintf(file, 64, L"\\file %06d%ls", i, endings[static_cast<size_t>(i) % endings.size()]);
    HANDLE h = CreateFileW((folder + file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  return folder;
}

// Removes the folder and the files in it.
inline void RemoveFolder(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) DeleteFileW((folder + L"\\" + data.cFileName).c_str());
    } while (FindNextFileW(h, &data));
    FindClose(h);
  }
  RemoveDirectoryW(folder.c_str());
}

}  // namespace ts::bench
