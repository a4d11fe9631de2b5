#include "app/LatestAddedLines.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "toolkit/FilePaths.h"
#include "toolkit/SortKeys.h"
#include "toolkit/Strings.h"

namespace ts {

namespace {

// A dated line: 18 characters of date text, one space, the path.
constexpr size_t kDatedPathStart = 19;
constexpr size_t kShortestJumpLine = 18;
constexpr wchar_t kUndatedText[] = L"xxxx-xx-xx";
constexpr size_t kUndatedPathStart = std::size(kUndatedText);  // the text and its space

bool IsUndatedLine(const std::wstring& line) {
  return line.size() >= kUndatedPathStart && line.compare(0, kUndatedPathStart - 1, kUndatedText) == 0 &&
         line[kUndatedPathStart - 1] == L' ';
}

}  // namespace


namespace {

// The date text put at the end of line, without a string of its own: a big
// tree has a line for every entry.
void AppendDateText(std::wstring& line, int32_t time) {
  if (time == -1) {
    line += kUndatedText;
    return;
  }
  // The DOS layout: the date in the high word (day, month, years since
  // 1980), the time in the low word (two-second units, minutes, hours).
  const auto packed = static_cast<uint32_t>(time);
  const unsigned date = packed >> 16, clock = packed & 0xFFFFu;
  const size_t start = line.size();
  line += L"0000-00-00  00:00 ";
  auto put = [&line, start](size_t at, unsigned value, size_t digits) {
    for (size_t i = digits; i-- > 0; value /= 10) line[start + at + i] = static_cast<wchar_t>(L'0' + value % 10);
  };
  put(0, 1980 + (date >> 9), 4);
  put(5, (date >> 5) & 0x0Fu, 2);
  put(8, date & 0x1Fu, 2);
  put(12, clock >> 11, 2);
  put(15, (clock >> 5) & 0x3Fu, 2);
}

}  // namespace

std::wstring LatestAddedDateText(int32_t time) {
  std::wstring text;
  AppendDateText(text, time);
  return text;
}

bool LatestAddedLinePath(const std::wstring& line, std::wstring& path) {
  // An undated line's path follows its shorter date text; taking it from the
  // 20th character as for a dated line would cut its first eight characters
  // off and name another place.
  if (IsUndatedLine(line) && line.size() > kUndatedPathStart) {
    path = line.substr(kUndatedPathStart);
  } else if (line.size() >= kShortestJumpLine) {
    path = line.size() > kDatedPathStart ? line.substr(kDatedPathStart) : std::wstring();
  } else {
    return false;
  }
  if (!path.empty() && path.back() == PathDelim) path.pop_back();
  return true;
}

namespace {

constexpr uint32_t kUndatedMinute = UINT32_MAX;

// The packed date-time without its two-second units: ordered as the dates
// and times the date texts show.
uint32_t MinuteOf(int32_t time) { return time == -1 ? kUndatedMinute : static_cast<uint32_t>(time) >> 5; }

// Orders the lines at order[first, last), all of one minute (so all with the
// same date text), by their paths; lines the locale holds equal keep the
// walk's order.
void SortOneMinute(const std::vector<std::wstring>& lines, std::vector<size_t>& order, size_t first, size_t last) {
  const auto begin = order.begin() + static_cast<std::ptrdiff_t>(first);
  const auto end = order.begin() + static_cast<std::ptrdiff_t>(last);
  // The date texts are equal, so the paths decide as the whole lines would.
  const size_t pathStart = IsUndatedLine(lines[*begin]) ? kUndatedPathStart : kDatedPathStart;
  auto pathOf = [&](size_t index) {
    const std::wstring& line = lines[index];
    return std::wstring_view(line).substr(std::min(pathStart, line.size()));
  };
  TSortKeys keys;
  keys.Reserve(last - first, (last - first) * lines[*begin].size());
  bool keyed = true;
  for (auto i = begin; i != end && keyed; ++i) keyed = keys.Add(pathOf(*i));
  if (keyed) {
    // Keys go by place in the run; the run is sorted as places, then mapped.
    std::vector<size_t> places(last - first);
    for (size_t p = 0; p < places.size(); ++p) places[p] = p;
    std::stable_sort(places.begin(), places.end(), [&](size_t a, size_t b) { return keys.Compare(a, b) < 0; });
    std::vector<size_t> run(begin, end);
    for (size_t p = 0; p < places.size(); ++p) order[first + p] = run[places[p]];
  } else {
    std::stable_sort(begin, end, [&](size_t a, size_t b) { return CompareText(pathOf(a), pathOf(b)) < 0; });
  }
}

}  // namespace

bool TLatestAddedLines::Add(const std::wstring& path, const TDirEntry& entry) {
  const bool folder = (entry.Attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (!folder && fDirsOnly) return true;
  std::wstring line;
  line.reserve(kDatedPathStart + path.size() + (folder ? 0 : entry.Name.size()));
  AppendDateText(line, entry.Time);
  line += L' ';
  line += path;  // a folder's own path, with its "\"
  if (!folder) line += entry.Name;
  fLines.push_back(std::move(line));
  fMinutes.push_back(MinuteOf(entry.Time));
  return true;
}

void TLatestAddedLines::Scan(const std::wstring& startPath) {
  ScanDirectory(true, startPath, L"*.*", [this](const std::wstring& path, const TDirEntry& entry) {
    return Add(path, entry);
  });
}

void TLatestAddedLines::Sort() {
  // The minutes order the lines as their date texts would; only the lines of
  // one minute need their texts compared.
  std::vector<size_t> order(fLines.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [this](size_t a, size_t b) { return fMinutes[a] < fMinutes[b]; });
  for (size_t first = 0; first < order.size();) {
    size_t last = first + 1;
    while (last < order.size() && fMinutes[order[last]] == fMinutes[order[first]]) ++last;
    if (last - first > 1) SortOneMinute(fLines, order, first, last);
    first = last;
  }
  std::vector<std::wstring> sorted;
  std::vector<uint32_t> minutes;
  sorted.reserve(fLines.size());
  minutes.reserve(fLines.size());
  for (size_t index : order) {
    sorted.push_back(std::move(fLines[index]));
    minutes.push_back(fMinutes[index]);
  }
  fLines = std::move(sorted);
  fMinutes = std::move(minutes);
}

std::vector<std::wstring> TLatestAddedLines::TakeNewestFirst() {
  std::vector<std::wstring> lines = std::move(fLines);
  fLines.clear();
  fMinutes.clear();
  std::reverse(lines.begin(), lines.end());
  return lines;
}

}  // namespace ts
