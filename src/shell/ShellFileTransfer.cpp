#include "shell/ShellFileTransfer.h"

#include <shellapi.h>

#include <vector>

#include "shell/FileOperationTargets.h"
#include "shell/PathClassification.h"
#include "toolkit/FilePaths.h"
#include "toolkit/StringList.h"

namespace ts {

namespace {

// The names one after the other, each closed by a zero, the list by one more,
// as the platform reads them.
std::wstring ZeroSeparated(const std::vector<std::wstring>& names) {
  std::wstring text;
  for (const std::wstring& name : names) {
    text += name;
    text.push_back(L'\0');
  }
  text.push_back(L'\0');
  return text;
}

// Whether a file lies in the folder itself.
bool InFolder(const std::wstring& file, const std::wstring& folder) {
  return SamePath(ExtractFileDir(ExcludeTrailingPathDelimiter(file)), folder);
}

}  // namespace

TFileTransferResult TransferFiles(HWND owner, const TStringList& files, const std::wstring& destination,
                                  UINT operation, FILEOP_FLAGS extraFlags) {
  TFileTransferResult result;
  if (files.GetCount() == 0 || destination.empty()) {
    result.Code = ERROR_INVALID_PARAMETER;
    return result;
  }
  std::vector<std::wstring> sources;
  bool intoOwnFolder = false;
  for (int i = 0; i < files.GetCount(); ++i) {
    sources.push_back(files[i]);
    intoOwnFolder = intoOwnFolder || InFolder(files[i], destination);
  }
  std::wstring to = ExcludeTrailingPathDelimiter(destination);
  if (to.size() == 2 && to[1] == L':') to += L'\\';
  FILEOP_FLAGS flags = FOF_ALLOWUNDO | extraFlags;
  std::vector<std::wstring> targets;
  // Files copied into their own folder become copies beside themselves;
  // the names are chosen here, since not every shell keeps both (Wine's
  // overwrites). Anywhere else a name that is taken is the shell's to ask
  // about.
  if (intoOwnFolder && operation == FO_COPY) targets = CollisionFreeTargets(sources, to, false);
  if (!targets.empty()) flags |= FOF_MULTIDESTFILES;
  const std::wstring from = ZeroSeparated(sources);
  const std::wstring target = targets.empty() ? ZeroSeparated({to}) : ZeroSeparated(targets);
  SHFILEOPSTRUCTW op{};
  op.hwnd = owner;
  op.wFunc = operation;
  op.pFrom = from.c_str();
  op.pTo = target.c_str();
  op.fFlags = flags;
  result.Code = SHFileOperationW(&op);
  result.Aborted = op.fAnyOperationsAborted != FALSE;
  return result;
}

}  // namespace ts
