#pragma once
// Scopes of the process error mode. With SEM_FAILCRITICALERRORS touching
// removable or network media shows no platform box.
#include <windows.h>

namespace ts {

// Runs a scope with a given process error mode; the previous mode comes back
// when the scope ends, also on failure.
class TErrorModeScope {
public:
  explicit TErrorModeScope(UINT mode) : fPrevious(SetErrorMode(mode)) {}
  ~TErrorModeScope() { SetErrorMode(fPrevious); }
  TErrorModeScope(const TErrorModeScope&) = delete;
  TErrorModeScope& operator=(const TErrorModeScope&) = delete;

private:
  UINT fPrevious;
};

class TFailCriticalErrorsScope : public TErrorModeScope {
public:
  TFailCriticalErrorsScope() : TErrorModeScope(SEM_FAILCRITICALERRORS) {}
};

}  // namespace ts
