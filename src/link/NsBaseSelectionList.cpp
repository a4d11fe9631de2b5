#include "link/NsSelectionList.h"

#include <vector>

#include "toolkit/Exception.h"
#include "toolkit/IniFiles.h"
#include "toolkit/Strings.h"
#include "work/GlobalWorkerPool.h"

namespace ts {

namespace {

// The key of one line of a section as the platform hands it out. Entries are
// written with empty values, so a line ending in "=" is all key: a path may
// hold "=" itself. Other lines end their key at the first "=".
std::wstring KeyOfLine(const std::wstring& line) {
  std::wstring key;
  if (!line.empty() && line.back() == L'=')
    key = line.substr(0, line.size() - 1);
  else
    key = line.substr(0, line.find(L'='));
  return Trim(key);
}

}  // namespace

TNsBaseSelectionList::TNsBaseSelectionList(TComponent* aOwner) : TComponent(aOwner) {}

TNsBaseSelectionList::~TNsBaseSelectionList() = default;

TNsSelectionState TNsBaseSelectionList::IsPathSelected(const std::wstring& Path) {
  bool bIsSubItemOf = false;
  return GetSelectionState(Path, bIsSubItemOf);
}

void TNsBaseSelectionList::SetPaths(const TStringList& value) {
  // value may be this list's own entries.
  std::vector<std::wstring> paths;
  paths.reserve(static_cast<size_t>(value.GetCount()));
  for (int i = 0; i < value.GetCount(); ++i) paths.push_back(value.Get(i));
  EndSizeWork();
  ZeroCounters();
  List.BeginUpdate();
  try {
    List.Clear();
    for (const std::wstring& path : paths) AddPathToSelection(path);
  } catch (...) {
    List.EndUpdate();
    throw;
  }
  List.EndUpdate();
}

void TNsBaseSelectionList::Assign(const TObject* Source) {
  if (Source != nullptr && Source->InheritsFrom(TNsBaseSelectionList::StaticClass())) {
    SetPaths(static_cast<const TNsBaseSelectionList*>(Source)->List);
    return;
  }
  throw EConvertError(L"Cannot assign a " + (Source != nullptr ? Source->ClassName() : std::wstring(L"nil")) +
                      L" to a " + ClassName() + L".");
}

void TNsBaseSelectionList::SaveToIniFile(const std::wstring& sFileName, const std::wstring& section) {
  TIniFile ini(sFileName);
  try {
    ini.EraseSection(section);
  } catch (const EIniFileException&) {
    // Writing the section below reports a file that cannot be written.
  }
  if (List.GetCount() == 0) return;
  TStringList lines;
  for (int i = 0; i < List.GetCount(); ++i) lines.Add(List.Get(i) + L"=");
  // All at once: written key by key, a path holding "=" would be taken for
  // the key of another entry and overwrite it.
  ini.WriteSectionValues(section, lines);
}

void TNsBaseSelectionList::LoadFromIniFile(const std::wstring& sFileName, const std::wstring& section) {
  Clear();
  TIniFile ini(sFileName);
  TStringList lines, keys;
  ini.ReadSectionValues(section, lines);
  for (int i = 0; i < lines.GetCount(); ++i) {
    const std::wstring key = KeyOfLine(lines.Get(i));
    if (!key.empty()) keys.Add(key);
  }
  SetPaths(keys);
}

void TNsBaseSelectionList::Clear() {
  EndSizeWork();
  ZeroCounters();
  List.Clear();
}

void TNsBaseSelectionList::EndSizeWork() {
  if (TWorkerThreadPool* pool = GlobalWorkerPool())
    pool->TerminateWorkItems(reinterpret_cast<TWorkTag>(this));
}

void TNsBaseSelectionList::ZeroCounters() noexcept {
  FSize = 0;
  FFileCount = 0;
  FFolderCount = 0;
}

}  // namespace ts
