#pragma once
// A critical section and a scope that holds it.
#include <windows.h>

namespace ts {

class TCriticalSection {
public:
  TCriticalSection() { InitializeCriticalSection(&fSection); }
  ~TCriticalSection() { DeleteCriticalSection(&fSection); }
  TCriticalSection(const TCriticalSection&) = delete;
  TCriticalSection& operator=(const TCriticalSection&) = delete;

  void Enter() { EnterCriticalSection(&fSection); }
  void Leave() { LeaveCriticalSection(&fSection); }
  bool TryEnter() { return TryEnterCriticalSection(&fSection) != FALSE; }

private:
  CRITICAL_SECTION fSection;
};

class TCriticalSectionLock {
public:
  explicit TCriticalSectionLock(TCriticalSection& section) : fSection(section) { fSection.Enter(); }
  ~TCriticalSectionLock() { fSection.Leave(); }
  TCriticalSectionLock(const TCriticalSectionLock&) = delete;
  TCriticalSectionLock& operator=(const TCriticalSectionLock&) = delete;

private:
  TCriticalSection& fSection;
};

}  // namespace ts
