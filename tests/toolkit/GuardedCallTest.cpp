// Calls that raise the platform's exceptions end the call, not the program;
// C++ exceptions keep their way to C++ handlers.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdexcept>

#include "toolkit/GuardedCall.h"

namespace ts::test {
namespace {

struct TDestroyed {
  bool& Flag;
  ~TDestroyed() { Flag = true; }
};

__attribute__((noinline)) void RaisePlatformException(DWORD code) { RaiseException(code, 0, 0, nullptr); }

__attribute__((noinline)) void WriteThrough(volatile int* pointer) { *pointer = 1; }

TEST(GuardedCallTest, AReturningCallAnswersTrueWithCodeZero) {
  int calls = 0;
  DWORD code = 1;
  EXPECT_TRUE(GuardedCall([&] { ++calls; }, &code));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(code, 0u);
}

TEST(GuardedCallTest, RaisedExceptionsAndFaultsEndTheCallWithTheirCode) {
  DWORD code = 0;
  bool after = false;
  EXPECT_FALSE(GuardedCall(
      [&] {
        RaisePlatformException(0xE0001234);
        after = true;
      },
      &code));
  EXPECT_FALSE(after);
  EXPECT_EQ(code, 0xE0001234u);

  EXPECT_FALSE(GuardedCall([] { WriteThrough(nullptr); }, &code));
  EXPECT_EQ(code, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));

  // The guard is ready again at once, and without a place for the code.
  EXPECT_FALSE(GuardedCall([] { RaisePlatformException(0xE0000001); }));
  EXPECT_TRUE(GuardedCall([] {}));
}

TEST(GuardedCallTest, CppExceptionsPassThroughAndUnwindNormally) {
  bool destroyed = false;
  try {
    GuardedCall([&] {
      TDestroyed guard{destroyed};
      throw std::runtime_error("through");
    });
    FAIL() << "the exception did not come through";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "through");
  }
  EXPECT_TRUE(destroyed);

  // C++ exceptions handled inside the call stay inside.
  EXPECT_TRUE(GuardedCall([] {
    try {
      throw 5;
    } catch (int) {
    }
  }));
}

TEST(GuardedCallTest, GuardsNestAndTheInnerOneCatches) {
  DWORD inner = 0;
  bool innerAnswer = true;
  bool continued = false;
  DWORD outer = 1;
  EXPECT_TRUE(GuardedCall(
      [&] {
        innerAnswer = GuardedCall([] { RaisePlatformException(0xE0000002); }, &inner);
        continued = true;
      },
      &outer));
  EXPECT_FALSE(innerAnswer);
  EXPECT_EQ(inner, 0xE0000002u);
  EXPECT_TRUE(continued);
  EXPECT_EQ(outer, 0u);
}

struct TThreadResult {
  bool Answer = true;
  DWORD Code = 0;
};

DWORD WINAPI RaiseOnThread(void* parameter) {
  auto* result = static_cast<TThreadResult*>(parameter);
  result->Answer = GuardedCall([] { RaisePlatformException(0xE0000003); }, &result->Code);
  return 0;
}

TEST(GuardedCallTest, EachThreadHasItsOwnGuard) {
  TThreadResult result;
  HANDLE thread = CreateThread(nullptr, 0, &RaiseOnThread, &result, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  EXPECT_FALSE(result.Answer);
  EXPECT_EQ(result.Code, 0xE0000003u);
}

}  // namespace
}  // namespace ts::test
