#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "shell/ItemIdList.h"

namespace ts {
namespace {

// Builds a list from record payloads, as a folder would.
TPidl MakeList(const std::vector<std::string>& payloads) {
  size_t size = 2;
  for (const auto& p : payloads) size += p.size() + 2;
  TPidl list(AllocItemIdList(static_cast<int>(size)));
  BYTE* out = reinterpret_cast<BYTE*>(list.Get());
  for (const auto& p : payloads) {
    USHORT cb = static_cast<USHORT>(p.size() + 2);
    std::memcpy(out, &cb, 2);
    std::memcpy(out + 2, p.data(), p.size());
    out += cb;
  }
  return list;
}

std::vector<std::string> Payloads(PCItemIDList list) {
  std::vector<std::string> result;
  const BYTE* p = reinterpret_cast<const BYTE*>(list);
  for (;;) {
    USHORT cb;
    std::memcpy(&cb, p, 2);
    if (cb == 0) break;
    result.emplace_back(reinterpret_cast<const char*>(p + 2), cb - 2);
    p += cb;
  }
  return result;
}

TEST(ItemIdList, SizeAndCountOfNullAndEmptyLists) {
  EXPECT_EQ(GetItemIdListSize(nullptr), 0);
  EXPECT_EQ(GetItemIdCount(nullptr), 0);
  TPidl empty = MakeList({});
  EXPECT_EQ(GetItemIdListSize(empty.Get()), 2);
  EXPECT_EQ(GetItemIdCount(empty.Get()), 0);
  TPidl three = MakeList({"a", "bb", "ccc"});
  EXPECT_EQ(GetItemIdListSize(three.Get()), 2 + 3 + 4 + 5);
  EXPECT_EQ(GetItemIdCount(three.Get()), 3);
}

TEST(ItemIdList, AllocationIsZeroFilled) {
  TPidl block(AllocItemIdList(64));
  ASSERT_TRUE(block);
  const BYTE* bytes = reinterpret_cast<const BYTE*>(block.Get());
  for (int i = 0; i < 64; ++i) EXPECT_EQ(bytes[i], 0);
  EXPECT_EQ(AllocItemIdList(0), nullptr);
}

TEST(ItemIdList, CopyIsAFreshEqualBlock) {
  TPidl list = MakeList({"x", "yz"});
  TPidl copy(CopyItemIdList(list.Get()));
  ASSERT_TRUE(copy);
  EXPECT_NE(copy.Get(), list.Get());
  EXPECT_EQ(Payloads(copy.Get()), Payloads(list.Get()));
  EXPECT_EQ(CopyItemIdList(nullptr), nullptr);
}

TEST(ItemIdList, ConcatenationDropsTheFirstTerminator) {
  TPidl a = MakeList({"a", "b"});
  TPidl b = MakeList({"c"});
  TPidl ab(ConcatItemIdLists(a.Get(), b.Get()));
  EXPECT_EQ(GetItemIdListSize(ab.Get()), GetItemIdListSize(a.Get()) + GetItemIdListSize(b.Get()) - 2);
  EXPECT_EQ(Payloads(ab.Get()), (std::vector<std::string>{"a", "b", "c"}));

  TPidl onlyB(ConcatItemIdLists(nullptr, b.Get()));
  EXPECT_EQ(Payloads(onlyB.Get()), std::vector<std::string>{"c"});
  EXPECT_NE(onlyB.Get(), b.Get());
  TPidl onlyA(ConcatItemIdLists(a.Get(), nullptr));
  EXPECT_EQ(Payloads(onlyA.Get()), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(ConcatItemIdLists(nullptr, nullptr), nullptr);
}

TEST(ItemIdList, ItemAtIndexAndLastItem) {
  TPidl list = MakeList({"one", "two", "three"});
  TPidl second(GetItemIdAt(list.Get(), 1));
  EXPECT_EQ(Payloads(second.Get()), std::vector<std::string>{"two"});
  EXPECT_EQ(GetItemIdListSize(second.Get()), 5 + 2);

  TPidl atCount(GetItemIdAt(list.Get(), 3));
  ASSERT_TRUE(atCount);
  EXPECT_EQ(GetItemIdListSize(atCount.Get()), 2);
  EXPECT_EQ(GetItemIdAt(list.Get(), 4), nullptr);
  EXPECT_EQ(GetItemIdAt(list.Get(), -1), nullptr);
  EXPECT_EQ(GetItemIdAt(nullptr, 0), nullptr);

  TPidl last(GetLastItemId(list.Get()));
  EXPECT_EQ(Payloads(last.Get()), std::vector<std::string>{"three"});
  TPidl empty = MakeList({});
  EXPECT_EQ(GetLastItemId(empty.Get()), nullptr);
}

TEST(ItemIdList, TruncationKeepsTheFirstItems) {
  TPidl list = MakeList({"a", "b", "c"});
  TPidl none(TruncateItemIdList(list.Get(), 0));
  EXPECT_EQ(GetItemIdCount(none.Get()), 0);
  EXPECT_EQ(GetItemIdListSize(none.Get()), 2);
  TPidl two(TruncateItemIdList(list.Get(), 2));
  EXPECT_EQ(Payloads(two.Get()), (std::vector<std::string>{"a", "b"}));
  TPidl all(TruncateItemIdList(list.Get(), 5));
  EXPECT_EQ(Payloads(all.Get()), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(Payloads(list.Get()), (std::vector<std::string>{"a", "b", "c"}));  // the original is untouched
  EXPECT_EQ(TruncateItemIdList(nullptr, 1), nullptr);
}

TEST(ItemIdList, DamagedRecordCountEndsTheList) {
  // A record count of 1 cannot be walked past; it must not loop or overrun.
  TPidl list(AllocItemIdList(8));
  BYTE* bytes = reinterpret_cast<BYTE*>(list.Get());
  bytes[0] = 1;
  EXPECT_EQ(GetItemIdCount(list.Get()), 0);
  EXPECT_EQ(GetItemIdListSize(list.Get()), 2);
}

TEST(ItemIdList, HolderFreesAndHandsOver) {
  TPidl holder(AllocItemIdList(4));
  PItemIDList raw = holder.Release();
  EXPECT_FALSE(holder);
  TPidl again(raw);
  TPidl moved(std::move(again));
  EXPECT_EQ(moved.Get(), raw);
  EXPECT_FALSE(again);
}

}  // namespace
}  // namespace ts
