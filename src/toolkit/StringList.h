#pragma once
// The string list of the framework layer: strings with an attached pointer
// each, optionally kept sorted (with a duplicates policy and a choice of case
// sensitivity), delimited and line-broken text forms, name=value access, and
// change notification with an update bracket.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/Object.h"

// The platform's GetObject (of GDI objects) is a macro that would rename the
// list's GetObject; GDI callers use GetObjectW by name.
#undef GetObject

namespace ts {

enum TDuplicates : uint8_t { dupIgnore, dupAccept, dupError };

class TStringList;
using TNotifyEvent = std::function<void(TObject* sender)>;
using TStringListSortCompare = std::function<int(TStringList& list, int index1, int index2)>;

class TStringList : public TObject {
  TS_CLASS(TStringList, TObject)

public:
  TStringList() = default;
  ~TStringList() override;

  int GetCount() const noexcept { return static_cast<int>(fItems.size()); }
  int GetCapacity() const noexcept { return static_cast<int>(fItems.capacity()); }
  void SetCapacity(int capacity);

  const std::wstring& Get(int index) const;
  const std::wstring& operator[](int index) const { return Get(index); }
  virtual void Put(int index, const std::wstring& s);
  void* GetObject(int index) const;
  virtual void PutObject(int index, void* object);

  virtual int Add(const std::wstring& s);
  virtual int AddObject(const std::wstring& s, void* object);
  void Insert(int index, const std::wstring& s);
  virtual void InsertObject(int index, const std::wstring& s, void* object);
  virtual void Delete(int index);
  virtual void Clear();
  void AddStrings(const TStringList& strings);
  // Adds each string as Add would; a list that may takes them over instead
  // of copying them (the vector is left with empty strings or none).
  virtual void AddStrings(std::vector<std::wstring>&& strings);
  void Assign(const TStringList& source);
  void Exchange(int index1, int index2);
  void Move(int curIndex, int newIndex);

  virtual int IndexOf(const std::wstring& s) const;
  int IndexOfObject(void* object) const noexcept;
  // Binary search of a sorted list: true when found, index of the first
  // match or of the place s would take.
  bool Find(const std::wstring& s, int& index) const;

  bool GetSorted() const noexcept { return fSorted; }
  void SetSorted(bool value);
  TDuplicates GetDuplicates() const noexcept { return fDuplicates; }
  void SetDuplicates(TDuplicates value) noexcept { fDuplicates = value; }
  bool GetCaseSensitive() const noexcept { return fCaseSensitive; }
  void SetCaseSensitive(bool value);
  virtual void Sort();
  void CustomSort(const TStringListSortCompare& compare);

  wchar_t GetDelimiter() const noexcept { return fDelimiter; }
  void SetDelimiter(wchar_t value) noexcept { fDelimiter = value; }
  wchar_t GetQuoteChar() const noexcept { return fQuoteChar; }
  void SetQuoteChar(wchar_t value) noexcept { fQuoteChar = value; }
  bool GetStrictDelimiter() const noexcept { return fStrictDelimiter; }
  void SetStrictDelimiter(bool value) noexcept { fStrictDelimiter = value; }
  std::wstring GetDelimitedText() const;
  void SetDelimitedText(const std::wstring& text);
  // Comma-separated form: the delimited text with ',' and '"'.
  std::wstring GetCommaText() const;
  void SetCommaText(const std::wstring& text);
  // Lines separated by CR LF (each line ends with one).
  std::wstring GetText() const;
  void SetText(const std::wstring& text);

  wchar_t GetNameValueSeparator() const noexcept { return fNameValueSeparator; }
  void SetNameValueSeparator(wchar_t value) noexcept { fNameValueSeparator = value; }
  std::wstring GetName(int index) const;
  std::wstring GetValueFromIndex(int index) const;
  std::wstring GetValue(const std::wstring& name) const;
  void SetValue(const std::wstring& name, const std::wstring& value);
  int IndexOfName(const std::wstring& name) const;

  void BeginUpdate();
  void EndUpdate();
  int GetUpdateCount() const noexcept { return fUpdateCount; }

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  virtual void Changed();
  virtual void Changing();
  virtual int CompareStrings(const std::wstring& a, const std::wstring& b) const;
  void InsertItem(int index, const std::wstring& s, void* object);
  // Moves the strings in at the end, without objects, as one change.
  void AppendTaken(std::vector<std::wstring>& strings);
  [[noreturn]] static void IndexError(int index);
  [[noreturn]] static void SortedListError();

private:
  struct TItem {
    std::wstring String;
    void* Object;
  };
  void CheckIndex(int index) const;
  void QuickSort(const TStringListSortCompare& compare);

  std::vector<TItem> fItems;
  bool fSorted = false;
  bool fCaseSensitive = false;
  TDuplicates fDuplicates = dupIgnore;
  wchar_t fDelimiter = L',';
  wchar_t fQuoteChar = L'"';
  wchar_t fNameValueSeparator = L'=';
  bool fStrictDelimiter = false;
  int fUpdateCount = 0;
};

}  // namespace ts
