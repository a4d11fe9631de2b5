// Enumerating the selected files one by one: the file entries, then the
// files below each folder entry, depth first. One search lists a folder: its
// files are handed out as they come, its subfolders are noted and walked
// after them, so at most one search is open at a time.
#include "link/NsSelectionList.h"

#include "shell/PathClassification.h"
#include "toolkit/FilePaths.h"
#include "work/FolderSizeWorkItem.h"

namespace ts {

namespace {

bool IsFolderEntry(const std::wstring& entry) { return !entry.empty() && entry.back() == L'*'; }

bool IsValidSearch(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

}  // namespace

bool TNsSelectionList::FindNext(std::wstring& path) {
  path.clear();
  const int count = List.GetCount();
  if (fi >= count && fStackList->GetCount() == 0) fi = 0;
  while (fSelectedFilesCounter < count) {
    const std::wstring& entry = List.Get(fSelectedFilesCounter++);
    if (!IsFolderEntry(entry)) {
      path = entry;
      return true;
    }
  }
  do {
    if (NextFileOfCurrentFolder(path)) return true;
  } while (AdvanceWalk());
  fSelectedFilesCounter = 0;
  return false;
}

bool TNsSelectionList::NextFileOfCurrentFolder(std::wstring& path) {
  WIN32_FIND_DATAW& record = fStackList->Win32FindData;
  while (IsValidSearch(FFHandle)) {
    if (!fRecordUnread && !ReadSearch(FFHandle, record)) {
      CloseSearch(FFHandle);
      FFHandle = INVALID_HANDLE_VALUE;
      fStackList->ReplaceTop(INVALID_HANDLE_VALUE);
      break;
    }
    fRecordUnread = false;
    if (IsDotOrDotDot(record.cFileName)) continue;
    const std::wstring itemPath = fStackList->GetCurrentPath() + record.cFileName;
    if ((record.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      std::wstring realPath;
      if (MayDescend(itemPath, record, realPath))
        fStackList->TopLevel().Subfolders.push_back({record.cFileName, realPath});
      continue;
    }
    path = itemPath;
    return true;
  }
  return false;
}

bool TNsSelectionList::AdvanceWalk() {
  for (;;) {
    if (fStackList->GetCount() == 0) {
      while (fi < List.GetCount()) {
        const std::wstring entry = List.Get(fi++);
        if (!IsFolderEntry(entry)) continue;
        const std::wstring folder = entry.substr(0, entry.size() - 1);
        fWalkRoot = ExcludeTrailingPathDelimiter(folder);
        if (PushFolder(entry, folder, fWalkRoot)) return true;
      }
      return false;
    }
    TNsStack::TLevel& level = fStackList->TopLevel();
    while (level.NextSubfolder < level.Subfolders.size()) {
      const TNsStack::TSubfolder next = level.Subfolders[level.NextSubfolder++];
      if (PushFolder(fStackList->GetCurrentPath() + next.Name + L"\\*", next.Name, next.RealPath)) return true;
      // A subfolder that cannot be opened has no files to give: it is passed
      // over like an empty one.
    }
    HANDLE handle = fStackList->Pop();
    if (IsValidSearch(handle)) CloseSearch(handle);
    FFHandle = INVALID_HANDLE_VALUE;
    fRecordUnread = false;
  }
}

bool TNsSelectionList::PushFolder(const std::wstring& pattern, const std::wstring& path,
                                  const std::wstring& realPath) {
  WIN32_FIND_DATAW& record = fStackList->Win32FindData;
  HANDLE handle = OpenSearch(pattern, record);
  if (!IsValidSearch(handle)) return false;
  fStackList->Push(handle, path);
  fStackList->TopLevel().RealPath = realPath;
  FFHandle = handle;
  fRecordUnread = true;  // the first entry is in the record already
  return true;
}

bool TNsSelectionList::MayDescend(const std::wstring& path, const WIN32_FIND_DATAW& data, std::wstring& realPath) {
  realPath = IncludeTrailingPathDelimiter(fStackList->TopLevel().RealPath) + data.cFileName;
  if (!IsReparsePoint(data.dwFileAttributes)) return true;
  if (!fFollowReparsePoint) return false;
  const std::wstring target = ExcludeTrailingPathDelimiter(ReparseTarget(path));
  // A link whose target cannot be read is followed as the folder-size jobs
  // follow it; the limit on path lengths ends the walk should it lead round.
  if (target.empty()) return true;
  // A link to the walked folder or into it gives files given already; one to
  // a folder above any on the way down leads round in a circle.
  auto loops = [&](const std::wstring& folder) {
    return IsInsideFolder(target, folder) || IsInsideFolder(folder, target);
  };
  if (loops(fWalkRoot)) return false;
  for (const TNsStack::TLevel& level : fStackList->Levels())
    if (loops(level.RealPath)) return false;
  realPath = target;
  return true;
}

void TNsSelectionList::CloseWalk() {
  while (fStackList->GetCount() > 0) {
    HANDLE handle = fStackList->Pop();
    if (IsValidSearch(handle)) CloseSearch(handle);
  }
  FFHandle = INVALID_HANDLE_VALUE;
  fRecordUnread = false;
}

void TNsSelectionList::ResetFindNext() {
  // The searches abandoned are closed: an open search keeps its folder busy.
  CloseWalk();
  fFolderHandle = INVALID_HANDLE_VALUE;
  fSelectedFilesCounter = 0;
  fFindNextPFileCharListIndex = 0;
  fi = 0;
}

std::unique_ptr<TNsPathList> TNsSelectionList::GetListOfAllFiles() {
  auto files = std::make_unique<TNsPathList>();
  // An enumeration in progress is set aside whole and taken up again after.
  TNsStack* savedStack = fStackList;
  const HANDLE savedHandle = FFHandle;
  const bool savedUnread = fRecordUnread;
  const std::wstring savedRoot = fWalkRoot;
  const int savedI = fi;
  const int savedCounter = fSelectedFilesCounter;
  fStackList = new TNsStack;
  FFHandle = INVALID_HANDLE_VALUE;
  fRecordUnread = false;
  fi = 0;
  fSelectedFilesCounter = 0;
  auto restore = [&] {
    CloseWalk();
    delete fStackList;
    fStackList = savedStack;
    FFHandle = savedHandle;
    fRecordUnread = savedUnread;
    fWalkRoot = savedRoot;
    fi = savedI;
    fSelectedFilesCounter = savedCounter;
  };
  try {
    std::wstring path;
    while (FindNext(path)) files->Add(path);
  } catch (...) {
    restore();
    throw;
  }
  restore();
  return files;
}

}  // namespace ts
