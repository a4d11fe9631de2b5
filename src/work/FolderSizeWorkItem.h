#pragma once
// Adds up the bytes, files and folders below a path on a worker thread; the
// creator reads them in its OnTerminate handler on the main thread.
#include <windows.h>

#include <cstdint>
#include <string>

#include "work/WorkItem.h"

namespace ts {

class TNsFolderSizeWorkItem : public TBasicWorkItem {
  TS_CLASS(TNsFolderSizeWorkItem, TBasicWorkItem)

public:
  TNsFolderSizeWorkItem(const std::wstring& RootPath, bool Recursive, bool aFollowReparsePoints);

  void PerformWork() override;

  // A sign the creator applies when it uses the result; the job ignores it.
  int GetFactor() const noexcept { return fFactor; }
  void SetFactor(int value) noexcept { fFactor = value; }
  const std::wstring& GetPath() const noexcept { return fRootPath; }
  int64_t GetSize() const noexcept { return fSize; }
  int GetFileCount() const noexcept { return fFileCount; }
  int GetFolderCount() const noexcept { return fFolderCount; }

private:
  void ScanFolder(const std::wstring& path, bool IsParentFolderReparsePoint);

  int fFactor = 1;
  std::wstring fRootPath;
  int64_t fSize = 0;
  int fFileCount = 0;
  int fFolderCount = 0;
  bool fRecursive;
  bool fFollowReparsePoints;
};

// The target of a junction or symbolic link, without "\??\"; empty when the
// entry is none or cannot be read.
std::wstring GetReparsePointTarget(const std::wstring& path);
// The target in a reparse-data buffer of `returned` bytes as the platform
// fills it; empty when the buffer is short or names nothing.
std::wstring ReparseBufferTarget(const BYTE* buffer, DWORD returned);
// Whether target is folder or lies below it (letters compared in upper case).
bool IsInsideFolder(const std::wstring& target, const std::wstring& folder);

}  // namespace ts
