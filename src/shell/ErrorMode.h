#pragma once
// Scopes of the error mode. With SEM_FAILCRITICALERRORS touching removable or
// network media shows no platform box.
//
// The main thread and many workers set and restore the mode at the same time:
// with one mode for the whole process their pairs interleave, a worker's media
// access loses the flag and the process may be left in another thread's mode.
// So the scope sets the calling thread's own mode where the platform has one
// (from Windows 7 on), and the process's only where it has not. The entry
// points are bound at run time, so that the program loads on systems that
// lack them.
#include <windows.h>

namespace ts {

struct TErrorModeFunctions {
  BOOL(WINAPI* SetThreadErrorMode)(DWORD mode, LPDWORD previous) = nullptr;
  DWORD(WINAPI* GetThreadErrorMode)() = nullptr;
  UINT(WINAPI* GetErrorMode)() = nullptr;
};

// The platform's, bound on first use.
const TErrorModeFunctions& ErrorModeFunctions();

// The mode in force for the calling thread: its own where threads have one.
UINT CurrentErrorMode();

// Runs a scope with a given error mode; the previous mode comes back when the
// scope ends, also on failure.
class TErrorModeScope {
public:
  explicit TErrorModeScope(UINT mode) : TErrorModeScope(mode, ErrorModeFunctions()) {}
  // With the given entry points (those the platform lacks left null).
  TErrorModeScope(UINT mode, const TErrorModeFunctions& functions);
  ~TErrorModeScope();
  TErrorModeScope(const TErrorModeScope&) = delete;
  TErrorModeScope& operator=(const TErrorModeScope&) = delete;

private:
  decltype(TErrorModeFunctions::SetThreadErrorMode) fSetThreadErrorMode;
  bool fThreadMode = false;
  UINT fPrevious = 0;
};

class TFailCriticalErrorsScope : public TErrorModeScope {
public:
  TFailCriticalErrorsScope() : TErrorModeScope(SEM_FAILCRITICALERRORS) {}
};

}  // namespace ts
