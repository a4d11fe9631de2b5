#pragma once
// The lines of the Latest Added window: one per folder (or folder and file)
// met by a walk, a date text and a path each, gathered aside and put in
// order once, newest first.
#include <cstdint>
#include <string>
#include <vector>

#include "app/DirectoryScanner.h"

namespace ts {

// The date text of a line: "yyyy-mm-dd  hh:mm " (18 characters) for a
// packed local date-time, "xxxx-xx-xx" for one that could not be packed (-1).
std::wstring LatestAddedDateText(int32_t time);

// The path a line names, without a trailing "\": a dated line's from its
// 20th character on, an undated line's after "xxxx-xx-xx ". False for a line
// too short to be one of the list's lines (a jump from it does nothing).
bool LatestAddedLinePath(const std::wstring& line, std::wstring& path);

// The lines of one walk, gathered aside and put in order once.
class TLatestAddedLines {
public:
  explicit TLatestAddedLines(bool dirsOnly) : fDirsOnly(dirsOnly) {}

  // The walk's callback: a folder gives its line in both modes, a file only
  // when files are listed too. It always lets the walk go on.
  bool Add(const std::wstring& path, const TDirEntry& entry);
  // Walks the tree below startPath (empty: the current directory).
  void Scan(const std::wstring& startPath);
  // Ascending by the user locale's case-insensitive order of whole lines:
  // the dated lines by time, then the undated ones; one minute's lines by
  // their paths.
  void Sort();

  const std::vector<std::wstring>& Lines() const noexcept { return fLines; }
  // Hands the lines over newest first (the sorted order reversed), leaving
  // none behind.
  std::vector<std::wstring> TakeNewestFirst();

private:
  // The minute of each line, which decides between lines of different
  // minutes without comparing their texts; the undated lines last.
  std::vector<uint32_t> fMinutes;
  bool fDirsOnly;
  std::vector<std::wstring> fLines;
};

}  // namespace ts
