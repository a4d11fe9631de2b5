#include "dialogs/NsFileOperation.h"

#include <vector>

#include "shell/FileOperationTargets.h"
#include "link/NsBaseDialog.h"
#include "shell/FileProbes.h"

namespace ts {

TFileOperationCall FileOperationCall = &SHFileOperationW;

namespace {

UINT OperationFunction(TNsOperationType operation) {
  switch (operation) {
    case otDelete: return FO_DELETE;
    case otMove: return FO_MOVE;
    case otRename: return FO_RENAME;
    case otCopy: break;
  }
  return FO_COPY;
}

// Each path followed by a zero, then one more: the platform's list form.
std::wstring ZeroSeparated(const std::vector<std::wstring>& paths) {
  std::wstring text;
  for (const std::wstring& path : paths) {
    text += path;
    text.push_back(L'\0');
  }
  text.push_back(L'\0');
  return text;
}

// Whether every source names something there (a pattern is the platform's
// to match).
bool AllSourcesExist(const std::vector<std::wstring>& sources) {
  for (const std::wstring& source : sources)
    if (!HasWildcard(source) && !PathExists(source)) return false;
  return true;
}

}  // namespace

FILEOP_FLAGS FileOperationFlags(TNsShowOptions options) {
  FILEOP_FLAGS flags = 0;
  if (options.Contains(soAllowUndo)) flags |= FOF_ALLOWUNDO;
  if (options.Contains(soFilesOnly)) flags |= FOF_FILESONLY;
  if (options.Contains(soNoConfirmation)) flags |= FOF_NOCONFIRMATION;
  if (options.Contains(soNoConfirmMkDir)) flags |= FOF_NOCONFIRMMKDIR;
  if (options.Contains(soNoErrorUI)) flags |= FOF_NOERRORUI;
  if (options.Contains(soRenameCollision)) flags |= FOF_RENAMEONCOLLISION;
  if (options.Contains(soSilent)) flags |= FOF_SILENT;
  if (options.Contains(soSimpleProgress)) flags |= FOF_SIMPLEPROGRESS;
  return flags;
}

TNsFileOperation::TNsFileOperation(TComponent* AOwner)
    : TNsBaseComponent(AOwner), fSourceFiles(std::make_unique<TNsPathList>()) {
  SetEnabled(true);
}

TNsFileOperation::~TNsFileOperation() = default;

void TNsFileOperation::SetSourceFiles(const TStringList& value) {
  if (&value == fSourceFiles.get()) return;
  fSourceFiles->Clear();
  fSourceFiles->AddStrings(value);
}

bool TNsFileOperation::Execute() { return Execute(DialogParentWindow(*this)); }

bool TNsFileOperation::Execute(HWND ParentWnd) {
  fOperationAborted = false;
  // Without a destination the shell would put the files into the process's
  // current folder, wherever that is.
  if (fOperation != otDelete && fDestination.empty()) {
    fLastErrorCode = ERROR_INVALID_PARAMETER;
    return false;
  }
  FILEOP_FLAGS flags = FileOperationFlags(fOptions);
  // The operation runs a message loop: it gets copies nothing there can change.
  std::vector<std::wstring> sources;
  sources.reserve(static_cast<size_t>(fSourceFiles->GetCount()));
  for (int i = 0; i < fSourceFiles->GetCount(); ++i) sources.push_back(fSourceFiles->Get(i));
  // Not every shell reports a source that is not there (Wine's answers a
  // move of one with success).
  if (!AllSourcesExist(sources)) {
    fLastErrorCode = ERROR_FILE_NOT_FOUND;
    return false;
  }
  const std::wstring from = ZeroSeparated(sources);
  std::wstring to = ZeroSeparated({fDestination});
  // Not every shell keeps both items on a collision (Wine's overwrites the
  // target): each source is given a free name of its own beforehand.
  if (fOptions.Contains(soRenameCollision) && (fOperation == otCopy || fOperation == otMove)) {
    const std::vector<std::wstring> targets = CollisionFreeTargets(sources, fDestination, fOperation == otMove);
    if (!targets.empty()) {
      to = ZeroSeparated(targets);
      flags |= FOF_MULTIDESTFILES;
    }
  }
  const std::wstring title = fTitle;

  SHFILEOPSTRUCTW operation{};
  operation.hwnd = ParentWnd;
  operation.wFunc = OperationFunction(fOperation);
  operation.pFrom = from.c_str();
  operation.pTo = to.c_str();
  operation.fFlags = flags;
  operation.fAnyOperationsAborted = FALSE;
  operation.hNameMappings = nullptr;
  operation.lpszProgressTitle = title.c_str();
  const int result = FileOperationCall(&operation);
  fLastErrorCode = static_cast<uint32_t>(result);
  fOperationAborted = operation.fAnyOperationsAborted != FALSE;
  return result == 0;
}

}  // namespace ts
