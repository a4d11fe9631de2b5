#include "shell/ShellFileTransfer.h"

#include <shellapi.h>

#include "shell/PathClassification.h"
#include "toolkit/FilePaths.h"
#include "toolkit/StringList.h"

namespace ts {

namespace {

// Whether a file lies in the folder itself.
bool InFolder(const std::wstring& file, const std::wstring& folder) {
  return SamePath(ExtractFileDir(ExcludeTrailingPathDelimiter(file)), folder);
}

}  // namespace

TFileTransferResult TransferFiles(HWND owner, const TStringList& files, const std::wstring& destination,
                                  UINT operation) {
  TFileTransferResult result;
  if (files.GetCount() == 0 || destination.empty()) {
    result.Code = ERROR_INVALID_PARAMETER;
    return result;
  }
  // The names one after the other, each closed by a zero, the list by one more.
  std::wstring from;
  bool intoOwnFolder = false;
  for (int i = 0; i < files.GetCount(); ++i) {
    from += files[i];
    from.push_back(L'\0');
    intoOwnFolder = intoOwnFolder || InFolder(files[i], destination);
  }
  from.push_back(L'\0');
  // The target as one double-zero string too, as the platform reads it.
  std::wstring to = ExcludeTrailingPathDelimiter(destination);
  if (to.size() == 2 && to[1] == L':') to += L'\\';
  to.push_back(L'\0');
  SHFILEOPSTRUCTW op{};
  op.hwnd = owner;
  op.wFunc = operation;
  op.pFrom = from.c_str();
  op.pTo = to.c_str();
  op.fFlags = FOF_ALLOWUNDO;
  if (intoOwnFolder) op.fFlags |= FOF_RENAMEONCOLLISION;
  result.Code = SHFileOperationW(&op);
  result.Aborted = op.fAnyOperationsAborted != FALSE;
  return result;
}

}  // namespace ts
