#include "shell/FileOperationTargets.h"

#include <set>

#include "shell/FileProbes.h"
#include "shell/PathClassification.h"
#include "shell/SelectionListFileOps.h"
#include "toolkit/FilePaths.h"
#include "toolkit/Strings.h"

namespace ts {

namespace {

constexpr int kMostNumbers = 10000;

// The name split before its extension; a name that is all extension
// (".profile") and a folder's name are all stem.
void SplitName(const std::wstring& name, bool isFolder, std::wstring& stem, std::wstring& extension) {
  extension = isFolder ? std::wstring() : ExtractFileExt(name);
  if (extension.size() == name.size()) extension.clear();
  stem = name.substr(0, name.size() - extension.size());
}

// Where each source lands, before any renaming; empty when the platform
// alone knows.
std::vector<std::wstring> NaturalTargets(const std::vector<std::wstring>& sources, const std::wstring& destination) {
  std::vector<std::wstring> targets;
  if (destination.empty() || HasWildcard(destination)) return targets;
  for (const std::wstring& source : sources)
    if (source.empty() || HasWildcard(source)) return targets;
  const bool isFolder = TNsSelectionListFileOps::IsFolder(destination);
  const bool exists = isFolder || PathExists(destination);
  if (sources.size() == 1 && !isFolder && !HasTrailingPathDelimiter(destination)) {
    // One source for a name that is no folder: the source takes that name.
    targets.push_back(destination);
  } else if (isFolder || !exists) {
    // Into the folder, or into one the platform makes for them.
    const std::wstring folder = IncludeTrailingPathDelimiter(destination);
    for (const std::wstring& source : sources)
      targets.push_back(folder + ExtractFileName(ExcludeTrailingPathDelimiter(source)));
  }
  return targets;
}

}  // namespace

bool HasWildcard(const std::wstring& path) { return path.find_first_of(L"*?") != std::wstring::npos; }

std::wstring NextFreeName(const std::wstring& target, bool isFolder, bool asCopy,
                          const std::function<bool(const std::wstring&)>& isTaken) {
  const std::wstring folder = ExtractFilePath(target);
  std::wstring stem, extension;
  SplitName(ExtractFileName(target), isFolder, stem, extension);
  for (int number = asCopy ? 1 : 2; number <= kMostNumbers; ++number) {
    std::wstring mark = asCopy ? L" - Copy" : L"";
    if (number > 1) mark += L" (" + std::to_wstring(number) + L")";
    std::wstring candidate = folder + stem + mark + extension;
    if (!isTaken(candidate)) return candidate;
  }
  return {};
}

std::wstring FreeNewFolderName(const std::wstring& folder, const std::wstring& name) {
  const std::wstring base = IncludeTrailingPathDelimiter(folder);
  std::wstring free = name;
  for (int n = 1; n <= kMostNumbers && PathExists(base + free); ++n) free = name + L" (" + std::to_wstring(n) + L")";
  return free;
}

std::vector<std::wstring> CollisionFreeTargets(const std::vector<std::wstring>& sources,
                                               const std::wstring& destination, bool moving) {
  std::vector<std::wstring> targets = NaturalTargets(sources, destination);
  // Names the sources take here, so that two of them never meet either.
  std::set<std::wstring> claimed;
  auto isTaken = [&claimed](const std::wstring& path) {
    return claimed.count(UpperCase(path)) > 0 || PathExists(path);
  };
  bool renamed = false;
  for (size_t i = 0; i < targets.size(); ++i) {
    const std::wstring source = ExcludeTrailingPathDelimiter(sources[i]);
    const bool onItself = SamePath(source, targets[i]);
    // A move onto itself leaves the item where it is.
    if (!(moving && onItself) && isTaken(targets[i])) {
      const bool asCopy = !moving && onItself;
      std::wstring free = NextFreeName(targets[i], TNsSelectionListFileOps::IsFolder(source), asCopy, isTaken);
      if (free.empty()) return {};
      targets[i] = free;
      renamed = true;
    }
    claimed.insert(UpperCase(targets[i]));
  }
  if (!renamed) targets.clear();
  return targets;
}

}  // namespace ts
