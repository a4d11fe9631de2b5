#include "toolkit/StringList.h"

#include <algorithm>
#include <numeric>

#include "toolkit/Exception.h"
#include "toolkit/Strings.h"

namespace ts {

TStringList::~TStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
}

void TStringList::IndexError(int index) {
  throw EStringListError(L"List index out of bounds (" + std::to_wstring(index) + L")");
}

void TStringList::SortedListError() { throw EStringListError(L"Operation not allowed on sorted list"); }

void TStringList::CheckIndex(int index) const {
  if (index < 0 || index >= GetCount()) IndexError(index);
}

void TStringList::SetCapacity(int capacity) {
  if (capacity > GetCount()) fItems.reserve(static_cast<size_t>(capacity));
}

const std::wstring& TStringList::Get(int index) const {
  CheckIndex(index);
  return fItems[static_cast<size_t>(index)].String;
}

void TStringList::Put(int index, const std::wstring& s) {
  if (fSorted) SortedListError();
  CheckIndex(index);
  Changing();
  fItems[static_cast<size_t>(index)].String = s;
  Changed();
}

void* TStringList::GetObject(int index) const {
  CheckIndex(index);
  return fItems[static_cast<size_t>(index)].Object;
}

void TStringList::PutObject(int index, void* object) {
  CheckIndex(index);
  Changing();
  fItems[static_cast<size_t>(index)].Object = object;
  Changed();
}

int TStringList::Add(const std::wstring& s) { return AddObject(s, nullptr); }

int TStringList::AddObject(const std::wstring& s, void* object) {
  int index = GetCount();
  if (fSorted && Find(s, index)) {
    if (fDuplicates == dupIgnore) return index;
    if (fDuplicates == dupError) throw EStringListError(L"String list does not allow duplicates");
  }
  InsertItem(index, s, object);
  return index;
}

void TStringList::Insert(int index, const std::wstring& s) { InsertObject(index, s, nullptr); }

void TStringList::InsertObject(int index, const std::wstring& s, void* object) {
  if (fSorted) SortedListError();
  if (index < 0 || index > GetCount()) IndexError(index);
  InsertItem(index, s, object);
}

void TStringList::InsertItem(int index, const std::wstring& s, void* object) {
  Changing();
  fItems.insert(fItems.begin() + index, TItem{s, object});
  Changed();
}

void TStringList::Delete(int index) {
  CheckIndex(index);
  Changing();
  fItems.erase(fItems.begin() + index);
  Changed();
}

void TStringList::Clear() {
  if (fItems.empty()) return;
  Changing();
  fItems.clear();
  Changed();
}

void TStringList::AddStrings(const TStringList& strings) {
  BeginUpdate();
  try {
    for (int i = 0; i < strings.GetCount(); ++i) AddObject(strings.Get(i), strings.GetObject(i));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStringList::AddStrings(std::vector<std::wstring>&& strings) {
  BeginUpdate();
  try {
    for (const std::wstring& s : strings) Add(s);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStringList::AppendTaken(std::vector<std::wstring>& strings) {
  if (strings.empty()) return;
  Changing();
  fItems.reserve(fItems.size() + strings.size());
  for (std::wstring& s : strings) fItems.push_back(TItem{std::move(s), nullptr});
  Changed();
}

void TStringList::Assign(const TStringList& source) {
  if (&source == this) return;
  BeginUpdate();
  try {
    Clear();
    fDelimiter = source.fDelimiter;
    fQuoteChar = source.fQuoteChar;
    fNameValueSeparator = source.fNameValueSeparator;
    fStrictDelimiter = source.fStrictDelimiter;
    AddStrings(source);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStringList::Exchange(int index1, int index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  Changing();
  std::swap(fItems[static_cast<size_t>(index1)], fItems[static_cast<size_t>(index2)]);
  Changed();
}

void TStringList::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  CheckIndex(curIndex);
  CheckIndex(newIndex);
  if (fSorted) SortedListError();
  Changing();
  TItem item = std::move(fItems[static_cast<size_t>(curIndex)]);
  fItems.erase(fItems.begin() + curIndex);
  fItems.insert(fItems.begin() + newIndex, std::move(item));
  Changed();
}

int TStringList::IndexOf(const std::wstring& s) const {
  if (fSorted) {
    int index;
    return Find(s, index) ? index : -1;
  }
  for (int i = 0; i < GetCount(); ++i)
    if (CompareStrings(fItems[static_cast<size_t>(i)].String, s) == 0) return i;
  return -1;
}

int TStringList::IndexOfObject(void* object) const noexcept {
  for (int i = 0; i < GetCount(); ++i)
    if (fItems[static_cast<size_t>(i)].Object == object) return i;
  return -1;
}

bool TStringList::Find(const std::wstring& s, int& index) const {
  int low = 0, high = GetCount();
  while (low < high) {
    int mid = low + (high - low) / 2;
    if (CompareStrings(fItems[static_cast<size_t>(mid)].String, s) < 0)
      low = mid + 1;
    else
      high = mid;
  }
  index = low;
  return low < GetCount() && CompareStrings(fItems[static_cast<size_t>(low)].String, s) == 0;
}

void TStringList::SetSorted(bool value) {
  if (value == fSorted) return;
  if (value) Sort();
  fSorted = value;
}

void TStringList::SetCaseSensitive(bool value) {
  if (value == fCaseSensitive) return;
  fCaseSensitive = value;
  if (fSorted) Sort();
}

void TStringList::Sort() {
  CustomSort([](TStringList& list, int a, int b) { return list.CompareStrings(list.Get(a), list.Get(b)); });
}

void TStringList::CustomSort(const TStringListSortCompare& compare) {
  if (GetCount() < 2) return;
  Changing();
  QuickSort(compare);
  Changed();
}

void TStringList::QuickSort(const TStringListSortCompare& compare) {
  // The comparison addresses entries by index: sort a permutation, then apply it.
  std::vector<int> order(fItems.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(*this, a, b) < 0; });
  std::vector<TItem> sorted;
  sorted.reserve(fItems.size());
  for (int i : order) sorted.push_back(std::move(fItems[static_cast<size_t>(i)]));
  fItems = std::move(sorted);
}

int TStringList::CompareStrings(const std::wstring& a, const std::wstring& b) const {
  return fCaseSensitive ? CompareStr(a, b) : CompareText(a, b);
}

std::wstring TStringList::GetDelimitedText() const {
  if (GetCount() == 1 && fItems[0].String.empty()) return std::wstring(2, fQuoteChar);
  std::wstring result;
  for (int i = 0; i < GetCount(); ++i) {
    const std::wstring& s = fItems[static_cast<size_t>(i)].String;
    bool quote = false;
    for (wchar_t c : s)
      if (c == fDelimiter || c == fQuoteChar || (!fStrictDelimiter && c <= L' ')) quote = true;
    if (i > 0) result += fDelimiter;
    if (!quote) {
      result += s;
      continue;
    }
    result += fQuoteChar;
    for (wchar_t c : s) {
      if (c == fQuoteChar) result += fQuoteChar;
      result += c;
    }
    result += fQuoteChar;
  }
  return result;
}

void TStringList::SetDelimitedText(const std::wstring& text) {
  auto isSpace = [this](wchar_t c) { return !fStrictDelimiter && c != L'\0' && c <= L' '; };
  BeginUpdate();
  try {
    Clear();
    size_t p = 0;
    const size_t n = text.size();
    while (p < n && isSpace(text[p])) ++p;
    while (p < n) {
      std::wstring item;
      if (text[p] == fQuoteChar) {
        ++p;
        while (p < n) {
          if (text[p] == fQuoteChar) {
            if (p + 1 < n && text[p + 1] == fQuoteChar) {
              item += fQuoteChar;
              p += 2;
              continue;
            }
            ++p;
            break;
          }
          item += text[p++];
        }
      } else {
        size_t start = p;
        while (p < n && text[p] != fDelimiter && !isSpace(text[p])) ++p;
        item = text.substr(start, p - start);
      }
      Add(item);
      while (p < n && isSpace(text[p])) ++p;
      if (p < n && text[p] == fDelimiter) {
        if (p + 1 == n) Add(L"");
        ++p;
        while (p < n && isSpace(text[p])) ++p;
      }
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

std::wstring TStringList::GetCommaText() const {
  TStringList copy;
  copy.Assign(*this);
  copy.fDelimiter = L',';
  copy.fQuoteChar = L'"';
  copy.fStrictDelimiter = false;
  return copy.GetDelimitedText();
}

void TStringList::SetCommaText(const std::wstring& text) {
  wchar_t delimiter = fDelimiter, quote = fQuoteChar;
  bool strict = fStrictDelimiter;
  fDelimiter = L',';
  fQuoteChar = L'"';
  fStrictDelimiter = false;
  try {
    SetDelimitedText(text);
  } catch (...) {
    fDelimiter = delimiter, fQuoteChar = quote, fStrictDelimiter = strict;
    throw;
  }
  fDelimiter = delimiter, fQuoteChar = quote, fStrictDelimiter = strict;
}

std::wstring TStringList::GetText() const {
  std::wstring result;
  for (const TItem& item : fItems) {
    result += item.String;
    result += L"\r\n";
  }
  return result;
}

void TStringList::SetText(const std::wstring& text) {
  BeginUpdate();
  try {
    Clear();
    size_t p = 0;
    while (p < text.size()) {
      size_t end = text.find_first_of(L"\r\n", p);
      if (end == std::wstring::npos) end = text.size();
      Add(text.substr(p, end - p));
      p = end;
      if (p < text.size() && text[p] == L'\r') ++p;
      if (p < text.size() && text[p] == L'\n') ++p;
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

std::wstring TStringList::GetName(int index) const {
  const std::wstring& s = Get(index);
  size_t sep = s.find(fNameValueSeparator);
  return sep == std::wstring::npos ? std::wstring() : s.substr(0, sep);
}

std::wstring TStringList::GetValueFromIndex(int index) const {
  const std::wstring& s = Get(index);
  size_t sep = s.find(fNameValueSeparator);
  return sep == std::wstring::npos ? std::wstring() : s.substr(sep + 1);
}

int TStringList::IndexOfName(const std::wstring& name) const {
  for (int i = 0; i < GetCount(); ++i) {
    const std::wstring& s = fItems[static_cast<size_t>(i)].String;
    size_t sep = s.find(fNameValueSeparator);
    if (sep != std::wstring::npos && CompareStrings(s.substr(0, sep), name) == 0) return i;
  }
  return -1;
}

std::wstring TStringList::GetValue(const std::wstring& name) const {
  int i = IndexOfName(name);
  return i < 0 ? std::wstring() : GetValueFromIndex(i);
}

void TStringList::SetValue(const std::wstring& name, const std::wstring& value) {
  int i = IndexOfName(name);
  std::wstring line = name + fNameValueSeparator + value;
  if (value.empty()) {
    if (i >= 0) Delete(i);
  } else if (i < 0) {
    Add(line);
  } else if (fSorted) {
    // A sorted list cannot replace in place: take the line out and add it again.
    void* object = GetObject(i);
    Delete(i);
    AddObject(line, object);
  } else {
    Put(i, line);
  }
}

void TStringList::BeginUpdate() {
  if (fUpdateCount == 0) Changing();
  ++fUpdateCount;
}

void TStringList::EndUpdate() {
  if (fUpdateCount <= 0) return;
  if (--fUpdateCount == 0) Changed();
}

void TStringList::Changed() {
  if (fUpdateCount == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (fUpdateCount == 0 && OnChanging) OnChanging(this);
}

}  // namespace ts
