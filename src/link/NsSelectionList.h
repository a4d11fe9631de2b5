#pragma once
// The check-box selection of a pane: the files and folders a user has
// checked in its tree and list, held compactly (a folder selected with all
// its contents is one entry, its path followed by "\*"; a file is its path),
// with the state of any item derived from the entries and the file system,
// the selected files enumerated one by one, and their count and size added
// up in the background.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "link/NsSelectionEntries.h"
#include "link/NsSelectionState.h"
#include "link/NsStack.h"
#include "shell/ItemIdList.h"
#include "shell/NsPathList.h"
#include "shell/SelectionListFileOps.h"
#include "toolkit/Component.h"
#include "toolkit/StringList.h"

namespace ts {

class TNsFolderSizeWorkItem;
class TNsSelectionList;

// The selection and what it adds up to; the ways of changing the entries are
// a subclass's.
class TNsBaseSelectionList : public TComponent {
  TS_CLASS(TNsBaseSelectionList, TComponent)

public:
  explicit TNsBaseSelectionList(TComponent* aOwner);
  ~TNsBaseSelectionList() override;

  virtual void AddPathToSelection(const std::wstring& sFQPath) = 0;
  virtual void RemovePathFromSelection(const std::wstring& sFQPath) = 0;
  // The highest folder on the way up from sFQPath that is completely selected.
  virtual std::wstring CompletePathSelected(const std::wstring& sFQPath) = 0;
  // The state of one path; bIsSubItemOf tells whether it is selected through
  // the entry of a folder above it.
  virtual TNsSelectionState GetSelectionState(const std::wstring& Path, bool& bIsSubItemOf) = 0;
  TNsSelectionState IsPathSelected(const std::wstring& Path);

  int GetCount() const noexcept { return List.GetCount(); }
  // The entries themselves.
  TStringList& GetPaths() noexcept { return List; }
  const TStringList& GetPaths() const noexcept { return List; }
  // Starts afresh: every given path is selected as by AddPathToSelection.
  virtual void SetPaths(const TStringList& value);
  // From another selection list its paths; anything else cannot be assigned.
  virtual void Assign(const TObject* Source);

  // Writes the entries as the keys of one settings section, replacing it.
  // Raises EIniFileException when the file cannot be written.
  void SaveToIniFile(const std::wstring& sFileName, const std::wstring& section);
  // Selects what the section names; what no longer exists is left out.
  void LoadFromIniFile(const std::wstring& sFileName, const std::wstring& section);
  virtual void Clear();

  // The totals, 0 while the background work has them below zero.
  int64_t GetSize() const noexcept { return FSize < 0 ? 0 : FSize; }
  int GetFileCount() const noexcept { return FFileCount < 0 ? 0 : FFileCount; }
  int GetFolderCount() const noexcept { return FFolderCount < 0 ? 0 : FFolderCount; }
  // The component told of changes: the owning link.
  TComponent* GetParent() const noexcept { return fParent; }
  void SetParent(TComponent* value) noexcept { fParent = value; }

protected:
  // Ends this list's folder-size work, queued or running.
  void EndSizeWork();
  void ZeroCounters() noexcept;

  TNsSelectionEntries List;
  TComponent* fParent = nullptr;
  int64_t FSize = 0;
  int FFileCount = 0;
  int FFolderCount = 0;
};

// How a job on a worker thread holds a selection list that the main thread
// may free meanwhile: while a reader runs the list cannot be freed, and a
// reader that comes after it was freed does not run.
class TNsSelectionListLifetime {
public:
  explicit TNsSelectionListLifetime(TNsSelectionList* list) noexcept : fList(list) {}
  TNsSelectionListLifetime(const TNsSelectionListLifetime&) = delete;
  TNsSelectionListLifetime& operator=(const TNsSelectionListLifetime&) = delete;

  // Runs reader(list) unless the list is gone; answers whether it ran.
  template <typename Reader>
  bool Read(Reader&& reader) {
    AcquireSRWLockShared(&fLock);
    struct TRelease {
      SRWLOCK* Lock;
      ~TRelease() { ReleaseSRWLockShared(Lock); }
    } release{&fLock};
    if (fList == nullptr) return false;
    reader(*fList);
    return true;
  }
  // The list is being freed: waits for the readers inside, turns later ones away.
  void End() noexcept;

private:
  SRWLOCK fLock = SRWLOCK_INIT;
  TNsSelectionList* fList;
};

class TNsSelectionList : public TNsBaseSelectionList {
  TS_CLASS(TNsSelectionList, TNsBaseSelectionList)

public:
  explicit TNsSelectionList(TComponent* aOwner);
  // A list with aSelectionList's owner, settings and entries as they are;
  // sizes and counts are not computed.
  static TNsSelectionList* CreateCopy(const TNsSelectionList& aSelectionList);
  ~TNsSelectionList() override;

  void AddPathToSelection(const std::wstring& sFQPath) override;
  void AddPIDLToSelection(PCItemIDList PIDL);
  void RemovePathFromSelection(const std::wstring& sFQPath) override;
  void RemovePIDLFromSelection(PCItemIDList PIDL);
  TNsSelectionState GetSelectionState(const std::wstring& Path, bool& bIsSubItemOf) override;
  // My Computer reads ssGrayed while a drive path is selected, the Network
  // folder while a UNC path is, else ssDisabled; items without a file-system
  // path read ssDisabled. Safe on worker threads while the main thread
  // changes the entries: a query reads the entries as they stood after one
  // change, never halfway through one.
  TNsSelectionState IsPIDLSelected(PCItemIDList PIDL, bool& bIsSubItemOf);
  std::wstring CompletePathSelected(const std::wstring& sFQPath) override;
  // The same as an absolute list the caller frees; null when there is none.
  PItemIDList CompletePIDLSelected(PCItemIDList PIDL);

  // Entries naming pOldPath, or lying below it, follow it to pNewPath.
  void PathWasRenamed(const std::wstring& pOldPath, const std::wstring& pNewPath);
  // Between the two the link is not told of changes; they do not nest.
  void BeginUpdate() noexcept { fIsUpdating = true; }
  void EndUpdate();

  // The next selected file: the file entries in list order, then the files
  // below each folder entry, depth first (a folder's files, then each of its
  // subfolders in the platform's order). After the last it gives an empty
  // path (answering false), and the next call starts over.
  bool FindNext(std::wstring& path);
  // Starts the enumeration over, closing the searches it had open.
  void ResetFindNext();
  // Every selected file, from a fresh enumeration that leaves one in
  // progress as it was.
  std::unique_ptr<TNsPathList> GetListOfAllFiles();

  bool GetDifferentDrives() const;
  bool GetIsLocalPathSelected() const;
  bool GetIsUNCPathSelected() const;
  bool GetHandleShellLinks() const noexcept { return fHandleShellLinks.load(); }
  void SetHandleShellLinks(bool value) noexcept { fHandleShellLinks.store(value); }
  bool GetCalculateSelectedFiles() const noexcept { return fCalculateSelectedFiles; }
  void SetCalculateSelectedFiles(bool value) noexcept { fCalculateSelectedFiles = value; }
  bool GetFollowReparsePoint() const noexcept { return fFollowReparsePoint; }
  void SetFollowReparsePoint(bool value) noexcept { fFollowReparsePoint = value; }

  // What a job on a worker thread holds to reach this list safely.
  std::shared_ptr<TNsSelectionListLifetime> GetLifetime() const noexcept { return fLifetime; }

  // Probes of the file system that need no list.
  static HANDLE FindFirstFile(const std::wstring& Path, WIN32_FIND_DATAW& FindData) {
    return TNsSelectionListFileOps::FindFirstFile(Path, FindData);
  }
  static bool IsFile(const std::wstring& Path) { return TNsSelectionListFileOps::IsFile(Path); }
  static bool IsFolder(const std::wstring& Path) { return TNsSelectionListFileOps::IsFolder(Path); }
  static std::wstring GetParentPathFromPath(const std::wstring& Path) {
    return TNsSelectionListFileOps::GetParentPathFromPath(Path);
  }

  // After every change of the entries.
  TNotifyEvent OnChange;
  // Whenever a size or count was added.
  TNotifyEvent OnCompletedCalculateFiles;

  // A file stays as it is; a folder becomes its path, a delimiter and "*";
  // false for what does not exist and for what is no absolute path.
  virtual bool NormalizeSelectionPath(std::wstring& path);
  virtual TNsSelectionState CalculateState(const std::wstring& p, bool& bIsSubItemOf);
  virtual bool IsInSelectedFolder(const std::wstring& p);
  // Whether p is selected through its own entry or through entries for all
  // it holds; a folder with nothing in it, or that cannot be listed, is not.
  virtual bool IsCompletelySelected(const std::wstring& p);
  // Climbing from Path in ParentPath: the highest folder whose items are all
  // completely selected, or Path itself; empty when ParentPath cannot be listed.
  virtual std::wstring CompleteSelection(const std::wstring& ParentPath, const std::wstring& Path);
  // Lists the items of FolderPath but ExcludedPath as entries, and so on up
  // while the folder above is selected; answers the folder whose entry is to go.
  virtual std::wstring ExplodeFolder(const std::wstring& FolderPath, const std::wstring& ExcludedPath);
  virtual void RemoveDescendants(const std::wstring& p);

protected:
  static bool IsFolderShortcut(const std::wstring& path);

  void DeleteEntry(int index, bool subtract);
  void CalculateFolder(const std::wstring& RootPath, bool subtract);
  void FolderSizeCalculated(TNsFolderSizeWorkItem* workItem);
  void PathsChanged();

  // The file system as the list reads it: the platform's. A subclass that
  // replaces the searches ends the enumeration (ResetFindNext) in its own
  // destructor, while its searches can still be closed.
  virtual HANDLE OpenSearch(const std::wstring& pattern, WIN32_FIND_DATAW& data);
  virtual bool ReadSearch(HANDLE search, WIN32_FIND_DATAW& data);
  virtual void CloseSearch(HANDLE search);
  virtual bool ExistsAsFile(const std::wstring& path);
  virtual bool ExistsAsFolder(const std::wstring& path);
  virtual bool DriveAnswers(const std::wstring& path);
  virtual std::wstring ReparseTarget(const std::wstring& path);

  // Waits for the jobs on worker threads that are reading this list and
  // turns later ones away. The list does it as it is freed; a subclass whose
  // own state its queries read does it first thing in its destructor.
  void EndWorkerReads() noexcept { fLifetime->End(); }

  // The entries as a query on this thread reads them: as they stand on the
  // list's own thread, else as published after the last change.
  TNsSelectionEntriesIndexPtr Entries() const;

private:
  class TEntriesPin;
  friend class TEntriesPin;

  TNsSelectionEntriesIndexPtr PublishedEntries() const;
  void PublishEntries();
  bool IsShortcutFolder(const std::wstring& path);
  static std::wstring FolderShortcutTarget(const std::wstring& path);
  // Calls visit with each entry of folder (without "." and "..") and its
  // path until it answers false; answers false when the folder cannot be
  // listed.
  using TEntryVisit = std::function<bool(const std::wstring& path, const WIN32_FIND_DATAW& data)>;
  bool ForEachEntry(const std::wstring& folder, const TEntryVisit& visit);

  // The folder walk of FindNext.
  bool NextFileOfCurrentFolder(std::wstring& path);
  bool AdvanceWalk();
  bool PushFolder(const std::wstring& pattern, const std::wstring& path, const std::wstring& realPath);
  bool MayDescend(const std::wstring& path, const WIN32_FIND_DATAW& data, std::wstring& realPath);
  void CloseWalk();

  HANDLE FFHandle = INVALID_HANDLE_VALUE;
  HANDLE fFolderHandle = INVALID_HANDLE_VALUE;
  int fFindNextPFileCharListIndex = 0;
  TNsStack* fStackList;
  int fi = 0;
  int fSelectedFilesCounter = 0;
  bool fIsUpdating = false;
  std::atomic<bool> fHandleShellLinks{true};
  bool fCalculateSelectedFiles = true;
  bool fFollowReparsePoint = false;

  // Whether the record of the current listing holds an entry not yet read.
  bool fRecordUnread = false;
  // The folder entry being walked, for loop checks.
  std::wstring fWalkRoot;
  DWORD fOwnerThreadId;
  mutable SRWLOCK fPublishLock = SRWLOCK_INIT;
  TNsSelectionEntriesIndexPtr fPublished;
  std::shared_ptr<TNsSelectionListLifetime> fLifetime;
};

}  // namespace ts
