#pragma once
// The open searches of the selection list's folder walk, the innermost last,
// with the folder of the innermost one and the record the searches fill.
#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/List.h"

namespace ts {

class TNsStack : public TList {
  TS_CLASS(TNsStack, TList)

public:
  // What the walk keeps of each folder on the stack besides its search.
  struct TSubfolder {
    std::wstring Name;
    // Where it really is (a followed link's target); for loop checks.
    std::wstring RealPath;
  };
  struct TLevel {
    // Subfolders met while the folder's files were listed, walked after them.
    std::vector<TSubfolder> Subfolders;
    size_t NextSubfolder = 0;
    // Where the folder really is (a followed link's target); for loop checks.
    std::wstring RealPath;
  };

  // Pushes a valid handle only; CurrentPath then gains Path and a delimiter.
  void Push(HANDLE Handle, const std::wstring& Path);
  // Removes and answers the top handle (null when empty); CurrentPath loses
  // its last folder and is empty once the stack is.
  HANDLE Pop();
  // The top handle, or null.
  HANDLE Top() const;
  // Replaces the top handle, as when its search has been closed.
  void ReplaceTop(HANDLE Handle);

  // The folder of the innermost search, ending with a delimiter.
  const std::wstring& GetCurrentPath() const noexcept { return fCurrentPath; }
  TLevel& TopLevel() { return fLevels.back(); }
  const std::vector<TLevel>& Levels() const noexcept { return fLevels; }

  WIN32_FIND_DATAW Win32FindData{};

private:
  std::wstring fCurrentPath;
  std::vector<TLevel> fLevels;
};

}  // namespace ts
