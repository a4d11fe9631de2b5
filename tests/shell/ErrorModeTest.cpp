// The error-mode scope: each thread's own mode, so that the scopes of the
// main thread and of the workers never undo each other, and entry points
// bound at run time, so that the program loads where they are missing.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <thread>

#include "shell/ErrorMode.h"

namespace ts {
namespace {

// What the system goes by for the calling thread: its own mode and the
// process's together.
UINT ModeInForce() {
  const TErrorModeFunctions& functions = ErrorModeFunctions();
  UINT mode = functions.GetErrorMode != nullptr ? functions.GetErrorMode() : 0;
  if (functions.GetThreadErrorMode != nullptr) mode |= functions.GetThreadErrorMode();
  return mode;
}

UINT ProcessMode() {
  const UINT mode = SetErrorMode(0);
  SetErrorMode(mode);
  return mode;
}

// Two threads taking turns at the steps a test gives them.
class TTurns {
public:
  TTurns() : fEvents{CreateEventW(nullptr, FALSE, FALSE, nullptr), CreateEventW(nullptr, FALSE, FALSE, nullptr)} {}
  ~TTurns() {
    CloseHandle(fEvents[0]);
    CloseHandle(fEvents[1]);
  }
  // Hands the turn to the other side and waits for it to come back.
  void Pass(int side) {
    SetEvent(fEvents[1 - side]);
    Wait(side);
  }
  void Wait(int side) { ASSERT_EQ(WaitForSingleObject(fEvents[side], 30000), WAIT_OBJECT_0); }
  void Give(int side) { SetEvent(fEvents[1 - side]); }

private:
  HANDLE fEvents[2];
};

class ErrorModeTest : public ::testing::Test {
protected:
  // Each case starts from a process mode without the flag, as a program does.
  ErrorModeTest() : fSaved(SetErrorMode(0)) {}
  ~ErrorModeTest() override { SetErrorMode(fSaved); }

  void SetUp() override {
    if (ErrorModeFunctions().SetThreadErrorMode == nullptr) GTEST_SKIP() << "no thread error modes here";
  }

private:
  UINT fSaved;
};

TEST_F(ErrorModeTest, AnotherThreadsScopeNeitherTakesTheFlagNorKeepsItsOwn) {
  TTurns turns;
  UINT duringOther = 0, afterOther = 0, otherInside = 0;
  std::thread other([&] {
    turns.Wait(1);
    {
      TErrorModeScope showErrors(0);
      otherInside = ModeInForce();
      turns.Pass(1);
    }
    turns.Give(1);
  });
  {
    TFailCriticalErrorsScope quiet;
    EXPECT_EQ(CurrentErrorMode() & SEM_FAILCRITICALERRORS, static_cast<UINT>(SEM_FAILCRITICALERRORS));
    turns.Pass(0);  // the other thread is inside its scope now
    duringOther = ModeInForce();
    turns.Pass(0);  // and out of it
    afterOther = ModeInForce();
  }
  other.join();
  EXPECT_TRUE(duringOther & SEM_FAILCRITICALERRORS);
  EXPECT_TRUE(afterOther & SEM_FAILCRITICALERRORS);
  EXPECT_FALSE(otherInside & SEM_FAILCRITICALERRORS);
  EXPECT_FALSE(ModeInForce() & SEM_FAILCRITICALERRORS);
}

TEST_F(ErrorModeTest, InterleavedScopesLeaveEveryModeAsItWas) {
  TTurns turns;
  std::thread other([&] {
    turns.Wait(1);
    {
      TFailCriticalErrorsScope quiet;
      turns.Pass(1);  // the first thread leaves its scope while this one is in
    }
    turns.Give(1);
  });
  {
    TFailCriticalErrorsScope quiet;
    turns.Pass(0);
  }
  turns.Pass(0);
  other.join();
  EXPECT_EQ(ProcessMode(), 0u);
  EXPECT_EQ(CurrentErrorMode(), 0u);
}

TEST_F(ErrorModeTest, WithoutThreadModesTheProcessModeIsSetAndRestored) {
  const TErrorModeFunctions none;
  {
    TErrorModeScope quiet(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, none);
    EXPECT_EQ(ProcessMode(), static_cast<UINT>(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX));
  }
  EXPECT_EQ(ProcessMode(), 0u);
}

// Every entry point the program imports by name from the kernel, read from
// its own import table: an entry imported that way that the system lacks
// stops the program from loading at all.
TEST(ErrorModeImports, TheErrorModeEntriesAreBoundAtRunTimeNotImported) {
  auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  ASSERT_NE(directory.VirtualAddress, 0u);
  int kernelNames = 0;
  for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
       entry->Name != 0; ++entry) {
    if (_stricmp(reinterpret_cast<const char*>(base + entry->Name), "kernel32.dll") != 0) continue;
    const DWORD lookup = entry->OriginalFirstThunk != 0 ? entry->OriginalFirstThunk : entry->FirstThunk;
    for (auto* thunk = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + lookup); thunk->u1.AddressOfData != 0;
         ++thunk) {
      if (IMAGE_SNAP_BY_ORDINAL(thunk->u1.Ordinal)) continue;
      const auto* name = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + thunk->u1.AddressOfData);
      const std::string imported(reinterpret_cast<const char*>(name->Name));
      ++kernelNames;
      EXPECT_NE(imported, "GetErrorMode");
      EXPECT_NE(imported, "GetThreadErrorMode");
      EXPECT_NE(imported, "SetThreadErrorMode");
    }
  }
  EXPECT_GT(kernelNames, 10);  // the table was read
}

}  // namespace
}  // namespace ts
