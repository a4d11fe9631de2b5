#include <gtest/gtest.h>

#include <vector>

#include "toolkit/Exception.h"
#include "toolkit/StringList.h"

namespace ts {
namespace {

std::vector<std::wstring> Items(const TStringList& list) {
  std::vector<std::wstring> items;
  for (int i = 0; i < list.GetCount(); ++i) items.push_back(list[i]);
  return items;
}

TEST(StringList, SortedListKeepsOrderAndAppliesTheDuplicatesPolicy) {
  TStringList list;
  list.SetSorted(true);
  list.Add(L"pear");
  list.Add(L"Apple");
  list.Add(L"banana");
  EXPECT_EQ(Items(list), (std::vector<std::wstring>{L"Apple", L"banana", L"pear"}));

  // Case-insensitive by default: "APPLE" is a duplicate, ignored at its index.
  EXPECT_EQ(list.Add(L"APPLE"), 0);
  EXPECT_EQ(list.GetCount(), 3);

  list.SetDuplicates(dupError);
  EXPECT_THROW(list.Add(L"PEAR"), EStringListError);
  list.SetDuplicates(dupAccept);
  list.Add(L"PEAR");
  EXPECT_EQ(list.GetCount(), 4);

  list.SetCaseSensitive(true);
  int index = -1;
  EXPECT_FALSE(list.Find(L"APPLE", index));
  EXPECT_TRUE(list.Find(L"Apple", index));
}

TEST(StringList, SortedListRefusesPositionalChanges) {
  TStringList list;
  list.SetSorted(true);
  list.Add(L"a");
  EXPECT_THROW(list.Insert(0, L"b"), EStringListError);
  EXPECT_THROW(list.Put(0, L"b"), EStringListError);
  try {
    list.InsertObject(0, L"x", nullptr);
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), L"Operation not allowed on sorted list");
  }
}

TEST(StringList, IndexErrorsNameTheIndex) {
  TStringList list;
  try {
    list.Delete(3);
    FAIL();
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), L"List index out of bounds (3)");
  }
  EXPECT_THROW(list.Get(-1), EStringListError);
}

TEST(StringList, ObjectsTravelWithTheirStrings) {
  TStringList list;
  int a = 1, b = 2;
  list.AddObject(L"b", &b);
  list.AddObject(L"a", &a);
  list.Sort();
  EXPECT_EQ(list.GetObject(0), &a);
  EXPECT_EQ(list.GetObject(1), &b);
  EXPECT_EQ(list.IndexOfObject(&b), 1);
}

TEST(StringList, StrictDelimitedTextKeepsSpacesAndEmptyParts) {
  TStringList list;
  list.SetDelimiter(L';');
  list.SetStrictDelimiter(true);
  list.SetDelimitedText(L"C:\\Program Files;;D:\\x;");
  EXPECT_EQ(Items(list), (std::vector<std::wstring>{L"C:\\Program Files", L"", L"D:\\x", L""}));
  EXPECT_EQ(list.GetDelimitedText(), L"C:\\Program Files;;D:\\x;");
}

TEST(StringList, CommaTextQuotesWhatNeedsQuoting) {
  TStringList list;
  list.Add(L"plain");
  list.Add(L"with space");
  list.Add(L"say \"hi\"");
  EXPECT_EQ(list.GetCommaText(), L"plain,\"with space\",\"say \"\"hi\"\"\"");
  TStringList back;
  back.SetCommaText(list.GetCommaText());
  EXPECT_EQ(Items(back), Items(list));
}

TEST(StringList, TextSplitsOnEveryKindOfLineBreak) {
  TStringList list;
  list.SetText(L"one\r\ntwo\nthree\rfour");
  EXPECT_EQ(Items(list), (std::vector<std::wstring>{L"one", L"two", L"three", L"four"}));
  EXPECT_EQ(list.GetText(), L"one\r\ntwo\r\nthree\r\nfour\r\n");
}

TEST(StringList, NamesAndValues) {
  TStringList list;
  list.Add(L"Left=10");
  list.Add(L"Top=20");
  EXPECT_EQ(list.GetValue(L"top"), L"20");
  EXPECT_EQ(list.GetName(0), L"Left");
  list.SetValue(L"Left", L"15");
  EXPECT_EQ(list[0], L"Left=15");
  list.SetValue(L"Width", L"300");
  EXPECT_EQ(list.GetCount(), 3);
  list.SetValue(L"Top", L"");
  EXPECT_EQ(list.IndexOfName(L"Top"), -1);
}

TEST(StringList, ChangeEventsRespectTheUpdateBracket) {
  TStringList list;
  int changing = 0, changed = 0;
  list.OnChanging = [&](TObject*) { ++changing; };
  list.OnChange = [&](TObject*) { ++changed; };
  list.Add(L"a");
  EXPECT_EQ(changing, 1);
  EXPECT_EQ(changed, 1);
  list.BeginUpdate();
  list.Add(L"b");
  list.Add(L"c");
  list.Delete(0);
  list.EndUpdate();
  EXPECT_EQ(changing, 2);
  EXPECT_EQ(changed, 2);
  list.Clear();
  list.Clear();  // nothing to clear: no events
  EXPECT_EQ(changed, 3);
}

// A subclass sees every insertion through the virtual operations.
class TCountingList : public TStringList {
public:
  int Inserted = 0;
  void InsertObject(int index, const std::wstring& s, void* object) override {
    ++Inserted;
    TStringList::InsertObject(index, s, object);
  }
};

TEST(StringList, InsertGoesThroughTheVirtualInsertObject) {
  TCountingList list;
  list.Insert(0, L"x");
  list.Insert(1, L"y");
  EXPECT_EQ(list.Inserted, 2);
}

// A subclass whose Add refuses some strings.
class TRefusingList : public TStringList {
public:
  int Add(const std::wstring& s) override { return s.empty() ? -1 : TStringList::Add(s); }
};

TEST(StringList, AddingAVectorOfStringsIsAddingEachAsOneChange) {
  TStringList sorted;
  sorted.SetSorted(true);
  int changed = 0;
  sorted.OnChange = [&](TObject*) { ++changed; };
  sorted.AddStrings(std::vector<std::wstring>{L"pear", L"Apple", L"apple", L"banana"});
  EXPECT_EQ(Items(sorted), (std::vector<std::wstring>{L"Apple", L"banana", L"pear"}));
  EXPECT_EQ(changed, 1);
  // A subclass's Add decides for each string.
  TRefusingList refusing;
  refusing.AddStrings(std::vector<std::wstring>{L"a", L"", L"b"});
  EXPECT_EQ(Items(refusing), (std::vector<std::wstring>{L"a", L"b"}));
}

TEST(StringList, AssignCopiesStringsObjectsAndDelimiters) {
  TStringList source;
  source.SetDelimiter(L'|');
  int o = 0;
  source.AddObject(L"x", &o);
  TStringList target;
  target.Add(L"old");
  target.Assign(source);
  EXPECT_EQ(Items(target), std::vector<std::wstring>{L"x"});
  EXPECT_EQ(target.GetObject(0), &o);
  EXPECT_EQ(target.GetDelimiter(), L'|');
}

}  // namespace
}  // namespace ts
