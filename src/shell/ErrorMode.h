#pragma once
// Runs a scope with the process error mode SEM_FAILCRITICALERRORS, so that
// touching removable or network media shows no platform box; the previous
// mode comes back when the scope ends, also on failure.
#include <windows.h>

namespace ts {

class TFailCriticalErrorsScope {
public:
  TFailCriticalErrorsScope() : fPrevious(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
  ~TFailCriticalErrorsScope() { SetErrorMode(fPrevious); }
  TFailCriticalErrorsScope(const TFailCriticalErrorsScope&) = delete;
  TFailCriticalErrorsScope& operator=(const TFailCriticalErrorsScope&) = delete;

private:
  UINT fPrevious;
};

}  // namespace ts
