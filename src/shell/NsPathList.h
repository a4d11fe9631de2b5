#pragma once
// A sorted, case-insensitive set of file-system paths, each held once in one
// normalised form (roots with a trailing backslash, other paths without),
// optionally only paths that exist, with add and remove notifications and
// the zero-separated form the platform's file operations take.
#include <functional>
#include <string>
#include <vector>

#include "shell/WideStringBuilder.h"
#include "toolkit/StringList.h"

namespace ts {

using TNsPathListOperation = std::function<void(const std::wstring& aPath, int Index)>;

class TNsPathList : public TStringList {
  TS_CLASS(TNsPathList, TStringList)

public:
  TNsPathList();
  // The strings of CopyFrom with their objects, kept sorted and unique but
  // otherwise as they are: not normalised, checked or notified.
  explicit TNsPathList(const TStringList& CopyFrom);
  // The ";"-separated paths of InitialValue, each added through Add.
  explicit TNsPathList(const std::wstring& InitialValue);
  ~TNsPathList() override = default;

  // Answers the entry's index (where it stands once OnAdd has run), or -1
  // when the path is refused.
  int Add(const std::wstring& S) override;
  void Put(int Index, const std::wstring& S) override;
  void InsertObject(int Index, const std::wstring& S, void* AObject) override;
  void Delete(int Index) override;
  void Remove(const std::wstring& str);

  int IndexOfPath(const std::wstring& aPath) const;
  bool ContainsPath(const std::wstring& aPath) const { return IndexOfPath(aPath) >= 0; }
  // Whether every entry begins with aPath (plain text prefix, ignoring case).
  bool AllItemsSubpathOf(const std::wstring& aPath) const;

  // Every entry followed by a zero, then two more zeros; valid until the
  // next change of the list.
  const wchar_t* GetStringPointer();
  bool GetCheckIfExists() const noexcept { return fCheckIfExists; }
  void SetCheckIfExists(bool value) noexcept { fCheckIfExists = value; }
  bool GetContainsNetworkPath() const noexcept { return fContainsNetworkPath; }

  TNsPathListOperation OnAdd;
  TNsPathListOperation OnRemove;

  virtual std::wstring NormalizePath(const std::wstring& path) const;
  virtual bool AcceptPath(const std::wstring& path) const;

protected:
  // For lists with settings of their own: none of the above is applied.
  struct TNoSetup {};
  explicit TNsPathList(TNoSetup) {}

  void Changed() override;

private:
  // An index that follows the insertions and deletions made while it lives.
  struct TTrackedIndex {
    TTrackedIndex(TNsPathList& list, int index) : List(list), Index(index) { List.fTrackedIndexes.push_back(&Index); }
    ~TTrackedIndex() { std::erase(List.fTrackedIndexes, &Index); }
    TTrackedIndex(const TTrackedIndex&) = delete;
    TTrackedIndex& operator=(const TTrackedIndex&) = delete;
    TNsPathList& List;
    int Index;
  };

  void ApplySettings();

  std::vector<int*> fTrackedIndexes;

  TWideStringBuilder fWideStringBuilder;
  bool fStringPointerValid = false;
  bool fCheckIfExists = false;
  bool fContainsNetworkPath = false;
};

}  // namespace ts
