#pragma once
// Copies and moves files into a folder with the platform's shell file
// operation, which shows its own progress and questions (a name that exists,
// a read-only target) and can be undone.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace ts {

class TStringList;

struct TFileTransferResult {
  int Code = 0;          // SHFileOperationW's answer; 0 for success
  bool Aborted = false;  // the user stopped it (or answered no)
  bool Succeeded() const noexcept { return Code == 0 && !Aborted; }
};

// Operation is FO_COPY or FO_MOVE. Files put into the folder they come from
// get new names instead of asking to replace themselves. extraFlags are
// further FOF_ flags (FOF_NOERRORUI for a caller that reports errors itself).
TFileTransferResult TransferFiles(HWND owner, const TStringList& files, const std::wstring& destination,
                                  UINT operation, FILEOP_FLAGS extraFlags = 0);

}  // namespace ts
