#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "toolkit/Exception.h"
#include "toolkit/InterfaceList.h"
#include "toolkit/List.h"
#include "toolkit/Set.h"

namespace ts {
namespace {

enum TColour : uint8_t { cRed, cGreen, cBlue, cHigh = 17 };

TEST(Set, RawValueIsBitNForOrdinalN) {
  TSet<TColour> s{cRed, cBlue};
  EXPECT_EQ(s.Value(), 0b101u);
  EXPECT_TRUE(s.Contains(cBlue));
  EXPECT_FALSE(s.Contains(cGreen));
  s.Include(cHigh).Exclude(cRed);
  EXPECT_EQ(s.Value(), (1u << 17) | 0b100u);
  EXPECT_EQ(TSet<TColour>::FromValue(s.Value()), s);
  EXPECT_TRUE(TSet<TColour>{cBlue}.SubsetOf(s));
  EXPECT_EQ((s - TSet<TColour>{cBlue}).Value(), 1u << 17);
}

TEST(Set, StoredValueOfADefaultCanBeReadBack) {
  // 261584 (0x3FDD0): ordinals 4, 6, 7, 8, 10 to 17.
  enum TFlag : uint8_t { f0, f1, f2, f3, f4, f5, f6, f7, f8, f9, f10, f11, f12, f13, f14, f15, f16, f17 };
  auto s = TSet<TFlag>::FromValue(261584);
  EXPECT_TRUE(s.Contains(f4));
  EXPECT_TRUE(s.Contains(f17));
  EXPECT_TRUE(s.Contains(f16));
  EXPECT_FALSE(s.Contains(f5));
  EXPECT_FALSE(s.Contains(f9));
}

// A list that owns ints and logs what it is told.
class TOwningList : public TList {
public:
  std::vector<std::pair<int, TListNotification>> Log;
  ~TOwningList() override { Clear(); }

protected:
  void Notify(void* item, TListNotification action) override {
    Log.emplace_back(*static_cast<int*>(item), action);
    if (action == lnDeleted) delete static_cast<int*>(item);
  }
};

TEST(List, NotifiesAdditionsDeletionsAndExtractions) {
  TOwningList list;
  list.Add(new int(1));
  list.Add(new int(2));
  int* three = new int(3);
  list.Insert(0, three);
  EXPECT_EQ(list.IndexOf(three), 0);
  EXPECT_EQ(list.Extract(three), three);
  delete three;
  list.Delete(0);
  ASSERT_EQ(list.Log.size(), 5u);
  EXPECT_EQ(list.Log[3], std::make_pair(3, lnExtracted));
  EXPECT_EQ(list.Log[4], std::make_pair(1, lnDeleted));
  EXPECT_EQ(list.GetCount(), 1);
}

TEST(List, OutOfRangeRaisesListError) {
  TList list;
  EXPECT_THROW(list.Get(0), EListError);
  EXPECT_THROW(list.Delete(-1), EListError);
  EXPECT_THROW(list.Insert(2, nullptr), EListError);
}

// A minimal COM object that counts its references.
class TCounted : public IUnknown {
public:
  std::atomic<long> Refs{1};
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown) {
      *out = this;
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++Refs); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--Refs); }
};

TEST(InterfaceList, HoldsCountedReferences) {
  TCounted a, b;
  {
    TInterfaceList list;
    list.Add(&a);
    list.Add(&b);
    EXPECT_EQ(a.Refs, 2);
    EXPECT_EQ(list.IndexOf(&b), 1);
    IUnknown* got = list.Get(1);
    EXPECT_EQ(got, &b);
    EXPECT_EQ(b.Refs, 3);
    got->Release();
    EXPECT_EQ(list.Remove(&a), 0);
    EXPECT_EQ(a.Refs, 1);
    EXPECT_EQ(list.Get(5), nullptr);
  }
  EXPECT_EQ(b.Refs, 1);
}

TEST(InterfaceList, SeveralThreadsAddAndRemoveSafely) {
  TCounted item;
  TInterfaceList list;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 2000; ++i) {
        list.Add(&item);
        list.Remove(&item);
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(item.Refs, 1);
}

}  // namespace
}  // namespace ts
