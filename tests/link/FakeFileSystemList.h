#pragma once
// A selection list over a small file system held in memory, for what the
// platform here cannot make: drive roots of one's own, folders that cannot
// be opened, and junctions (Wine makes none). It counts the searches it
// opens and closes.
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "link/NsSelectionList.h"
#include "toolkit/FilePaths.h"
#include "toolkit/Strings.h"

namespace ts::test {

class TFakeFileSystemList : public TNsSelectionList {
public:
  explicit TFakeFileSystemList(TComponent* owner = nullptr) : TNsSelectionList(owner) {
    SetCalculateSelectedFiles(false);  // the size jobs read the real disk
  }
  ~TFakeFileSystemList() override { ResetFindNext(); }

  // path is absolute ("Q:\a\b"); missing folders above it are made.
  void AddFolder(const std::wstring& path) { Make(path, true); }
  void AddFile(const std::wstring& path) { Make(path, false); }
  // A junction at path that leads to target.
  void AddLink(const std::wstring& path, const std::wstring& target) {
    Make(path, true).Target = target;
  }
  void MakeUnopenable(const std::wstring& path) { Node(path)->Unopenable = true; }
  bool DriveReady = true;
  int SearchesOpen = 0;
  int SearchesClosed = 0;

protected:
  HANDLE OpenSearch(const std::wstring& pattern, WIN32_FIND_DATAW& data) override {
    if (pattern.size() < 2 || pattern.compare(pattern.size() - 2, 2, L"\\*") != 0) return INVALID_HANDLE_VALUE;
    const TEntry* folder = Resolve(pattern.substr(0, pattern.size() - 2));
    if (folder == nullptr || !folder->Folder || folder->Unopenable) return INVALID_HANDLE_VALUE;
    auto search = std::make_unique<TSearch>();
    search->Records.push_back(Record(L".", true, false));
    search->Records.push_back(Record(L"..", true, false));
    for (const std::wstring& name : folder->Children) {
      const TEntry* child = Node(folder->Path + L"\\" + name);
      search->Records.push_back(Record(name, child->Folder, !child->Target.empty()));
    }
    data = search->Records[0];
    ++SearchesOpen;
    return reinterpret_cast<HANDLE>(search.release());
  }
  bool ReadSearch(HANDLE handle, WIN32_FIND_DATAW& data) override {
    auto* search = reinterpret_cast<TSearch*>(handle);
    if (++search->Next >= search->Records.size()) return false;
    data = search->Records[search->Next];
    return true;
  }
  void CloseSearch(HANDLE handle) override {
    delete reinterpret_cast<TSearch*>(handle);
    ++SearchesClosed;
  }
  bool ExistsAsFile(const std::wstring& path) override {
    const TEntry* entry = Resolve(path);
    return entry != nullptr && !entry->Folder;
  }
  bool ExistsAsFolder(const std::wstring& path) override {
    if (path.size() <= 3 && path.size() >= 2 && path[1] == L':') return true;  // a drive root
    const TEntry* entry = Resolve(path);
    return entry != nullptr && entry->Folder;
  }
  bool DriveAnswers(const std::wstring&) override { return DriveReady; }
  std::wstring ReparseTarget(const std::wstring& path) override {
    const TEntry* entry = Resolve(ExtractFileDir(path));
    if (entry == nullptr) return {};
    const TEntry* link = Node(entry->Path + L"\\" + ExtractFileName(path));
    return link != nullptr ? link->Target : std::wstring();
  }

private:
  struct TEntry {
    std::wstring Path;
    bool Folder = false;
    bool Unopenable = false;
    std::wstring Target;
    std::vector<std::wstring> Children;  // in the order made
  };
  struct TSearch {
    std::vector<WIN32_FIND_DATAW> Records;
    size_t Next = 0;
  };

  static WIN32_FIND_DATAW Record(const std::wstring& name, bool folder, bool link) {
    WIN32_FIND_DATAW data{};
    data.dwFileAttributes = (folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL) |
                            (link ? FILE_ATTRIBUTE_REPARSE_POINT : 0);
    name.copy(data.cFileName, MAX_PATH - 1);
    return data;
  }

  TEntry* Node(const std::wstring& path) {
    auto it = fEntries.find(UpperCase(ExcludeTrailingPathDelimiter(path)));
    return it == fEntries.end() ? nullptr : &it->second;
  }

  TEntry& Make(const std::wstring& path, bool folder) {
    const std::wstring clean = ExcludeTrailingPathDelimiter(path);
    if (TEntry* existing = Node(clean)) return *existing;
    const std::wstring parent = ExtractFileDir(clean);
    if (parent.size() > 3) Make(parent, true);
    TEntry& entry = fEntries[UpperCase(clean)];
    entry.Path = clean;
    entry.Folder = folder;
    const std::wstring parentKey = UpperCase(ExcludeTrailingPathDelimiter(parent));
    if (parent.size() <= 3) {
      TEntry& drive = fEntries[parentKey];
      drive.Path = ExcludeTrailingPathDelimiter(parent);
      drive.Folder = true;
    }
    fEntries[parentKey].Children.push_back(ExtractFileName(clean));
    return entry;
  }

  // The entry a path names, following junctions on the way.
  const TEntry* Resolve(const std::wstring& path) {
    const std::wstring clean = ExcludeTrailingPathDelimiter(path);
    if (clean.size() < 2 || clean[1] != L':') return nullptr;
    const TEntry* current = Node(clean.substr(0, 2));
    size_t start = 3;
    while (current != nullptr && start < clean.size()) {
      size_t end = clean.find(L'\\', start);
      if (end == std::wstring::npos) end = clean.size();
      const TEntry* child = Node(current->Path + L"\\" + clean.substr(start, end - start));
      if (child != nullptr && !child->Target.empty()) child = Node(child->Target);
      current = child;
      start = end + 1;
    }
    return current;
  }

  std::map<std::wstring, TEntry> fEntries;
};

}  // namespace ts::test
