#include "link/NsSelectionList.h"

#include "link/NsShellLink.h"
#include "shell/FileProbes.h"
#include "shell/ItemIdListPaths.h"
#include "shell/LinkTarget.h"
#include "shell/PathClassification.h"
#include "shell/SpecialFolders.h"
#include "toolkit/FilePaths.h"
#include "toolkit/Strings.h"
#include "work/FolderSizeWorkItem.h"

namespace ts {

namespace {

// The entries a query on a worker thread reads, fixed for the whole query.
thread_local const TNsSelectionList* tPinnedList = nullptr;
thread_local const TNsSelectionEntriesIndexPtr* tPinnedEntries = nullptr;

bool HasWildcard(const std::wstring& path) { return path.find_first_of(L"*?") != std::wstring::npos; }

// A drive or share path, or the platform's long form of one: what the
// selection can hold. A relative path would change its meaning with the
// current folder.
bool IsAbsolutePath(const std::wstring& path) {
  return IsRootPath(path) || IsDriveOrUNCPath(path) || path.rfind(L"\\\\?\\", 0) == 0;
}

}  // namespace

void TNsSelectionListLifetime::End() noexcept {
  AcquireSRWLockExclusive(&fLock);
  fList = nullptr;
  ReleaseSRWLockExclusive(&fLock);
}

// Fixes, for one query on a thread other than the list's own, the entries it
// reads: the ones published after the last change.
class TNsSelectionList::TEntriesPin {
public:
  explicit TEntriesPin(const TNsSelectionList& list) {
    if (GetCurrentThreadId() == list.fOwnerThreadId || tPinnedList == &list) return;
    fEntries = list.PublishedEntries();
    fPreviousList = tPinnedList;
    fPreviousEntries = tPinnedEntries;
    tPinnedList = &list;
    tPinnedEntries = &fEntries;
    fActive = true;
  }
  ~TEntriesPin() {
    if (!fActive) return;
    tPinnedList = fPreviousList;
    tPinnedEntries = fPreviousEntries;
  }
  TEntriesPin(const TEntriesPin&) = delete;
  TEntriesPin& operator=(const TEntriesPin&) = delete;

private:
  TNsSelectionEntriesIndexPtr fEntries;
  const TNsSelectionList* fPreviousList = nullptr;
  const TNsSelectionEntriesIndexPtr* fPreviousEntries = nullptr;
  bool fActive = false;
};

TNsSelectionList::TNsSelectionList(TComponent* aOwner)
    : TNsBaseSelectionList(aOwner),
      fStackList(new TNsStack),
      fOwnerThreadId(GetCurrentThreadId()),
      fLifetime(std::make_shared<TNsSelectionListLifetime>(this)) {
  fParent = aOwner;
  fPublished = List.Index();
  List.OnChange = [this](TObject*) { PathsChanged(); };
}

TNsSelectionList* TNsSelectionList::CreateCopy(const TNsSelectionList& aSelectionList) {
  std::unique_ptr<TNsSelectionList> copy(new TNsSelectionList(aSelectionList.GetOwner()));
  copy->SetFollowReparsePoint(aSelectionList.GetFollowReparsePoint());
  copy->SetHandleShellLinks(aSelectionList.GetHandleShellLinks());
  copy->SetCalculateSelectedFiles(aSelectionList.GetCalculateSelectedFiles());
  // The owner does not hold the copy: it is not told of its filling.
  copy->fIsUpdating = true;
  copy->List.AddStrings(aSelectionList.List);
  copy->fIsUpdating = false;
  return copy.release();
}

TNsSelectionList::~TNsSelectionList() {
  // Jobs on worker threads that still read this list finish first.
  EndWorkerReads();
  List.OnChange = nullptr;
  EndSizeWork();
  CloseWalk();
  delete fStackList;
}

// --- The entries as queries read them ---

TNsSelectionEntriesIndexPtr TNsSelectionList::Entries() const {
  if (GetCurrentThreadId() == fOwnerThreadId) return List.Index();
  if (tPinnedList == this) return *tPinnedEntries;
  return PublishedEntries();
}

TNsSelectionEntriesIndexPtr TNsSelectionList::PublishedEntries() const {
  AcquireSRWLockShared(&fPublishLock);
  TNsSelectionEntriesIndexPtr entries = fPublished;
  ReleaseSRWLockShared(&fPublishLock);
  return entries;
}

void TNsSelectionList::PublishEntries() {
  TNsSelectionEntriesIndexPtr entries = List.Index();
  AcquireSRWLockExclusive(&fPublishLock);
  fPublished.swap(entries);
  ReleaseSRWLockExclusive(&fPublishLock);
  // The index replaced is released here, outside the lock.
}

// --- States ---

TNsSelectionState TNsSelectionList::GetSelectionState(const std::wstring& Path, bool& bIsSubItemOf) {
  bIsSubItemOf = false;
  if (Path.empty()) return ssDisabled;
  TEntriesPin pin(*this);
  if (IsRootPath(Path) && !DriveAnswers(Path)) return ssDisabled;
  std::wstring p = Path;
  if (IsShortcutFolder(p)) {
    if (!GetHandleShellLinks()) return ssDisabled;
    p = FolderShortcutTarget(p);
  }
  if (!NormalizeSelectionPath(p)) return ssDisabled;
  return CalculateState(p, bIsSubItemOf);
}

TNsSelectionState TNsSelectionList::IsPIDLSelected(PCItemIDList PIDL, bool& bIsSubItemOf) {
  bIsSubItemOf = false;
  if (PIDL == nullptr) return ssDisabled;
  TEntriesPin pin(*this);
  // My Computer and the Network folder lie right below the desktop.
  if (GetItemIdCount(PIDL) == 1) {
    switch (GetSpecialFolderOfItemIdList(PIDL, TNsShellFolders{SF_DRIVES, SF_NETWORK})) {
      case SF_NETWORK: return Entries()->HasUNCPath() ? ssGrayed : ssDisabled;
      case SF_DRIVES: return Entries()->HasLocalPath() ? ssGrayed : ssDisabled;
      default: break;
    }
  }
  return GetSelectionState(ItemIdListToPath(PIDL), bIsSubItemOf);
}

bool TNsSelectionList::NormalizeSelectionPath(std::wstring& path) {
  if (path.empty() || path == L"." || path == L"..") return false;
  std::wstring p = path;
  if (p.back() == L'*') p.pop_back();
  // Wildcards would make the probes below match other items.
  if (p.empty() || HasWildcard(p) || !IsAbsolutePath(p)) return false;
  if (ExistsAsFile(p)) {
    path = p;
    return true;
  }
  if (ExistsAsFolder(p)) {
    path = IncludeTrailingPathDelimiter(p) + L"*";
    return true;
  }
  return false;
}

TNsSelectionState TNsSelectionList::CalculateState(const std::wstring& p, bool& bIsSubItemOf) {
  bIsSubItemOf = false;
  TNsSelectionEntriesIndexPtr entries = Entries();
  if (entries->Contains(p)) return ssChecked;
  if (IsInSelectedFolder(p)) {
    bIsSubItemOf = true;
    return ssChecked;
  }
  const bool folder = !p.empty() && p.back() == L'*';
  const std::wstring prefix = folder ? p.substr(0, p.size() - 1) : IncludeTrailingPathDelimiter(p);
  return entries->AnyContains(prefix) ? ssGrayed : ssUnChecked;
}

bool TNsSelectionList::IsInSelectedFolder(const std::wstring& p) {
  TNsSelectionEntriesIndexPtr entries = Entries();
  std::wstring current = p;
  // Each step goes one folder up; the bound only guards against odd input.
  for (size_t steps = 0; steps <= p.size() + 2; ++steps) {
    if (entries->Contains(current)) return true;
    std::wstring item = current;
    if (!item.empty() && item.back() == L'*') {
      item.resize(item.size() >= 2 ? item.size() - 2 : 0);
      if (item.empty()) return false;
    }
    const std::wstring up = IncludeTrailingPathDelimiter(ExtractFilePath(item)) + L"*";
    // The top of a drive.
    if (SameText(up, current)) return false;
    current = up;
  }
  return false;
}

// --- Queries over the entries ---

bool TNsSelectionList::GetDifferentDrives() const {
  TNsSelectionEntriesIndexPtr entries = Entries();
  const std::vector<std::wstring>& keys = entries->Keys();
  if (keys.size() < 2) return false;
  const std::wstring first = keys[0].substr(0, 2);
  for (size_t i = 1; i < keys.size(); ++i)
    if (keys[i].substr(0, 2) != first) return true;
  return false;
}

bool TNsSelectionList::GetIsLocalPathSelected() const { return Entries()->HasLocalPath(); }

bool TNsSelectionList::GetIsUNCPathSelected() const { return Entries()->HasUNCPath(); }

// --- Changes and the update bracket ---

void TNsSelectionList::PathsChanged() {
  PublishEntries();
  fi = 0;
  fSelectedFilesCounter = 0;
  // A walk begun on the old entries would mix old and new.
  CloseWalk();
  if (OnChange) OnChange(this);
  if (!fIsUpdating && fParent != nullptr && fParent->InheritsFrom(TNsShellLink::StaticClass()))
    static_cast<TNsShellLink*>(fParent)->SmartRefresh();
}

void TNsSelectionList::EndUpdate() {
  fIsUpdating = false;
  PathsChanged();
}

// --- Folder shortcuts ---

bool TNsSelectionList::IsFolderShortcut(const std::wstring& path) { return ts::IsFolderShortcut(path); }

bool TNsSelectionList::IsShortcutFolder(const std::wstring& path) {
  std::wstring folder = path;
  if (!folder.empty() && folder.back() == L'*') folder.pop_back();
  if (folder.empty() || HasWildcard(folder)) return false;
  return ExistsAsFile(IncludeTrailingPathDelimiter(folder) + L"target.lnk");
}

std::wstring TNsSelectionList::FolderShortcutTarget(const std::wstring& path) {
  std::wstring folder = path;
  if (!folder.empty() && folder.back() == L'*') folder.pop_back();
  return ResolveLinkTarget(IncludeTrailingPathDelimiter(folder) + L"target.lnk");
}

// --- The file system ---

HANDLE TNsSelectionList::OpenSearch(const std::wstring& pattern, WIN32_FIND_DATAW& data) {
  return FindFirstFile(pattern, data);
}

bool TNsSelectionList::ReadSearch(HANDLE search, WIN32_FIND_DATAW& data) {
  return FindNextFileW(search, &data) != FALSE;
}

void TNsSelectionList::CloseSearch(HANDLE search) { FindClose(search); }

bool TNsSelectionList::ExistsAsFile(const std::wstring& path) { return IsFile(path); }

bool TNsSelectionList::ExistsAsFolder(const std::wstring& path) { return IsFolder(path); }

bool TNsSelectionList::DriveAnswers(const std::wstring& path) { return IsDriveReady(path); }

std::wstring TNsSelectionList::ReparseTarget(const std::wstring& path) { return GetReparsePointTarget(path); }

bool TNsSelectionList::ForEachEntry(const std::wstring& folder, const TEntryVisit& visit) {
  if (folder.empty()) return false;
  const std::wstring base = IncludeTrailingPathDelimiter(folder);
  WIN32_FIND_DATAW data;
  HANDLE search = OpenSearch(base + L"*", data);
  if (search == INVALID_HANDLE_VALUE) return false;
  try {
    do {
      if (IsDotOrDotDot(data.cFileName)) continue;
      if (!visit(base + data.cFileName, data)) break;
    } while (ReadSearch(search, data));
  } catch (...) {
    CloseSearch(search);
    throw;
  }
  CloseSearch(search);
  return true;
}

}  // namespace ts
