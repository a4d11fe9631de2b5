// Selecting and unselecting: completion upwards, explosion of a selected
// folder, and the entries' own renames.
#include "link/NsSelectionList.h"

#include "shell/FileProbes.h"
#include "shell/ItemIdListPaths.h"
#include "shell/PathClassification.h"
#include "toolkit/FilePaths.h"
#include "toolkit/Strings.h"

namespace ts {

namespace {

bool IsFolderEntry(const std::wstring& entry) { return !entry.empty() && entry.back() == L'*'; }

// An item's own path: a folder entry without its "\*", without a trailing
// delimiter ("C:\a\*" gives "C:\a", "C:\*" gives "C:").
std::wstring OwnPath(const std::wstring& path) {
  std::wstring own = path;
  if (IsFolderEntry(own)) own.pop_back();
  return ExcludeTrailingPathDelimiter(own);
}

// Runs body inside one update of list: its change event fires once, at the end.
template <typename Body>
void InUpdate(TStringList& list, Body&& body) {
  list.BeginUpdate();
  try {
    body();
  } catch (...) {
    list.EndUpdate();
    throw;
  }
  list.EndUpdate();
}

}  // namespace

void TNsSelectionList::AddPathToSelection(const std::wstring& sFQPath) {
  InUpdate(List, [&] {
    std::wstring s = sFQPath;
    if (GetHandleShellLinks() && IsShortcutFolder(s)) s = FolderShortcutTarget(s);
    if (!NormalizeSelectionPath(s)) return;
    bool bIsSubItemOf = false;
    switch (GetSelectionState(s, bIsSubItemOf)) {
      case ssChecked: return;
      case ssGrayed: RemoveDescendants(s); break;
      default: break;
    }
    if (fCalculateSelectedFiles) {
      if (IsFolderEntry(s)) {
        CalculateFolder(s.substr(0, s.size() - 1), false);
      } else {
        const int64_t size = GetFileSizeByPath(s);
        if (size > 0) FSize += size;
        ++FFileCount;
        if (OnCompletedCalculateFiles) OnCompletedCalculateFiles(this);
      }
    }
    List.Add(s);
    // A folder that has become complete, or the highest such, is selected
    // in turn, which replaces the entries below it.
    const std::wstring own = OwnPath(s);
    const std::wstring up = CompletePathSelected(own);
    if (!up.empty() && !SamePath(up, own)) AddPathToSelection(up);
  });
}

void TNsSelectionList::AddPIDLToSelection(PCItemIDList PIDL) { AddPathToSelection(ItemIdListToPath(PIDL)); }

void TNsSelectionList::RemovePathFromSelection(const std::wstring& sFQPath) {
  InUpdate(List, [&] {
    std::wstring text = sFQPath;
    if (GetHandleShellLinks() && IsShortcutFolder(text)) text = FolderShortcutTarget(text);
    bool bIsSubItemOf = false;
    switch (GetSelectionState(text, bIsSubItemOf)) {
      case ssChecked: {
        // The item as it was resolved, in one form whether it came as
        // "C:\a", "C:\a\" or "C:\a\*".
        const std::wstring own = OwnPath(text);
        const std::wstring parent = GetParentPathFromPath(own);
        if (fCalculateSelectedFiles && !bIsSubItemOf && !parent.empty() && !SamePath(parent, own) &&
            IsPathSelected(parent) == ssChecked)
          CalculateFolder(parent, true);
        if (bIsSubItemOf) {
          // Selected through a folder above: that folder's entry gives way to
          // entries for everything in it but this item.
          const std::wstring top = ExplodeFolder(parent, own);
          if (fCalculateSelectedFiles) {
            // Every folder from the item's own up to the top one is no longer
            // selected as a whole.
            int levels = 0;
            std::wstring folder = ExcludeTrailingPathDelimiter(parent);
            for (size_t guard = 0; guard <= parent.size(); ++guard) {
              ++levels;
              if (folder.empty() || SamePath(folder, top)) break;
              const std::wstring above = ExcludeTrailingPathDelimiter(GetParentPathFromPath(folder));
              if (above.size() >= folder.size()) break;
              folder = above;
            }
            FFolderCount -= levels;
            CalculateFolder(own, true);
          }
          std::wstring entry = top;
          if (NormalizeSelectionPath(entry)) DeleteEntry(List.IndexOf(entry), false);
        } else {
          std::wstring entry = text;
          if (NormalizeSelectionPath(entry)) DeleteEntry(List.IndexOf(entry), true);
        }
        break;
      }
      case ssGrayed: RemoveDescendants(text); break;
      default: break;
    }
  });
  if (List.GetCount() == 0) {
    EndSizeWork();
    ZeroCounters();
  }
}

void TNsSelectionList::RemovePIDLFromSelection(PCItemIDList PIDL) {
  RemovePathFromSelection(ItemIdListToPath(PIDL));
}

std::wstring TNsSelectionList::CompletePathSelected(const std::wstring& sFQPath) {
  const std::wstring own = IsFolderEntry(sFQPath) ? OwnPath(sFQPath) : sFQPath;
  if (own.empty()) return {};
  return CompleteSelection(ExtractFilePath(own), own);
}

PItemIDList TNsSelectionList::CompletePIDLSelected(PCItemIDList PIDL) {
  const std::wstring path = CompletePathSelected(ItemIdListToPath(PIDL));
  // An empty path would parse as My Computer.
  return path.empty() ? nullptr : PathToItemIdList(nullptr, path);
}

std::wstring TNsSelectionList::CompleteSelection(const std::wstring& ParentPath, const std::wstring& Path) {
  const std::wstring P = ExcludeTrailingPathDelimiter(ParentPath);
  bool complete = true;
  const bool listed = ForEachEntry(P, [&](const std::wstring& item, const WIN32_FIND_DATAW&) {
    if (SamePath(item, Path)) return true;
    complete = IsCompletelySelected(item);
    return complete;
  });
  if (!listed) return {};
  if (!complete) return Path;
  if (SamePath(P, Path)) return IncludeTrailingPathDelimiter(Path);  // a drive root was reached
  return CompleteSelection(ExtractFilePath(P), P);
}

bool TNsSelectionList::IsCompletelySelected(const std::wstring& p) {
  const std::wstring folder = ExcludeTrailingPathDelimiter(p);
  TNsSelectionEntriesIndexPtr entries = Entries();
  if (entries->Contains(folder) || entries->Contains(folder + L"\\*")) return true;
  bool complete = false;  // a folder with nothing in it is not complete
  ForEachEntry(folder, [&](const std::wstring& item, const WIN32_FIND_DATAW& data) {
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
      complete = entries->Contains(item);
    else if (entries->Contains(item + L"\\*"))
      complete = true;
    else
      // A link is complete only through its own entry: looking through it
      // could lead back up into this folder for ever.
      complete = !IsReparsePoint(data.dwFileAttributes) && IsCompletelySelected(item);
    return complete;
  });
  return complete;
}

std::wstring TNsSelectionList::ExplodeFolder(const std::wstring& FolderPath, const std::wstring& ExcludedPath) {
  const std::wstring F = ExcludeTrailingPathDelimiter(FolderPath);
  if (F.empty() || SamePath(F, ExcludedPath)) return F;
  ForEachEntry(F, [&](const std::wstring& item, const WIN32_FIND_DATAW& data) {
    if (!SamePath(item, ExcludedPath))
      List.Add((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? item + L"\\*" : item);
    return true;
  });
  const std::wstring above = GetParentPathFromPath(F);
  if (!above.empty() && IsPathSelected(above) == ssChecked) return ExplodeFolder(above, F);
  return F;
}

void TNsSelectionList::RemoveDescendants(const std::wstring& p) {
  if (p.empty()) return;
  std::wstring folder = p;
  if (folder.back() == L'*') folder.pop_back();
  const std::wstring below = UpperCase(IncludeTrailingPathDelimiter(folder));
  for (int i = List.GetCount() - 1; i >= 0; --i) {
    if (i >= List.GetCount()) continue;
    if (UpperCase(List.Get(i)).find(below) != std::wstring::npos) DeleteEntry(i, true);
  }
}

void TNsSelectionList::DeleteEntry(int index, bool subtract) {
  if (index < 0 || index >= List.GetCount()) return;
  if (fCalculateSelectedFiles && subtract) {
    std::wstring entry = List.Get(index);
    if (IsFolderEntry(entry)) entry.pop_back();
    CalculateFolder(entry, true);
  }
  List.Delete(index);
}

void TNsSelectionList::PathWasRenamed(const std::wstring& pOldPath, const std::wstring& pNewPath) {
  if (pOldPath.empty()) return;
  const std::wstring oldPrefix = IncludeTrailingPathDelimiter(pOldPath);
  const std::wstring newPrefix = IncludeTrailingPathDelimiter(pNewPath);
  for (int i = 0; i < List.GetCount(); ++i) {
    const std::wstring entry = List.Get(i);
    if (SamePath(entry, pOldPath))
      List.Put(i, pNewPath);
    // The file system ignores case, and so does the match: the shell may
    // report the old name in another case than the entry holds.
    else if (StartsText(oldPrefix, entry))
      List.Put(i, newPrefix + entry.substr(oldPrefix.size()));
  }
}

}  // namespace ts
