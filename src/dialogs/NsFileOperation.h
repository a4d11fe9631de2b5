#pragma once
// The shell's file operation: copies, moves, deletes or renames a set of
// paths with the shell's own progress, confirmation and error dialogs as the
// options allow, and tells how it ended.
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <memory>
#include <string>

#include "link/NsBaseComponent.h"
#include "shell/NsPathList.h"
#include "toolkit/Set.h"

namespace ts {

enum TNsOperationType : uint8_t { otCopy, otDelete, otMove, otRename };
enum TNsShowOption : uint8_t {
  soAllowUndo, soFilesOnly, soNoConfirmation, soNoConfirmMkDir, soNoErrorUI, soRenameCollision, soSilent,
  soSimpleProgress
};
using TNsShowOptions = TSet<TNsShowOption, uint8_t>;

// How the operation is run: SHFileOperationW. Replaceable so that tests can
// look at what the platform is asked.
using TFileOperationCall = int(WINAPI*)(LPSHFILEOPSTRUCTW operation);
extern TFileOperationCall FileOperationCall;

// The platform's flags for the options.
FILEOP_FLAGS FileOperationFlags(TNsShowOptions options);

class TNsFileOperation : public TNsBaseComponent {
  TS_CLASS(TNsFileOperation, TNsBaseComponent)

public:
  explicit TNsFileOperation(TComponent* AOwner);
  ~TNsFileOperation() override;

  // Runs the operation over DialogParentWindow, or over ParentWnd; true when
  // the shell reports success (LastErrorCode 0), which it also does when the
  // user declined some of the work (OperationAborted). Copying, moving and
  // renaming need a Destination: without one nothing is done and the answer
  // is ERROR_INVALID_PARAMETER; a source that is not there stops the whole
  // operation before it starts, with ERROR_FILE_NOT_FOUND.
  bool Execute();
  bool Execute(HWND ParentWnd);

  const std::wstring& GetDestination() const noexcept { return fDestination; }
  void SetDestination(const std::wstring& value) { fDestination = value; }
  // Kept across Execute calls; the caller clears or replaces it.
  TNsPathList* GetSourceFiles() const noexcept { return fSourceFiles.get(); }
  // Replaces the entries with those of value, as they are.
  void SetSourceFiles(const TStringList& value);
  TNsOperationType GetOperation() const noexcept { return fOperation; }
  void SetOperation(TNsOperationType value) noexcept { fOperation = value; }
  TNsShowOptions GetOptions() const noexcept { return fOptions; }
  void SetOptions(TNsShowOptions value) noexcept { fOptions = value; }
  bool GetOperationAborted() const noexcept { return fOperationAborted; }
  uint32_t GetLastErrorCode() const noexcept { return fLastErrorCode; }
  const std::wstring& GetTitle() const noexcept { return fTitle; }
  void SetTitle(const std::wstring& value) { fTitle = value; }

private:
  std::wstring fDestination;
  std::unique_ptr<TNsPathList> fSourceFiles;
  TNsOperationType fOperation = otCopy;
  TNsShowOptions fOptions;
  bool fOperationAborted = false;
  uint32_t fLastErrorCode = 0;
  std::wstring fTitle;
};

}  // namespace ts
