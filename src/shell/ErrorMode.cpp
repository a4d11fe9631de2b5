#include "shell/ErrorMode.h"

namespace ts {

namespace {

// The flags a thread's own mode can hold; the others are the process's only.
constexpr UINT kThreadModeFlags = SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX;

template <typename TFunction>
TFunction Bind(HMODULE module, const char* name) {
  return module == nullptr ? nullptr : reinterpret_cast<TFunction>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

TErrorModeFunctions BindErrorModeFunctions() {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  TErrorModeFunctions functions;
  functions.SetThreadErrorMode = Bind<decltype(functions.SetThreadErrorMode)>(kernel, "SetThreadErrorMode");
  functions.GetThreadErrorMode = Bind<decltype(functions.GetThreadErrorMode)>(kernel, "GetThreadErrorMode");
  functions.GetErrorMode = Bind<decltype(functions.GetErrorMode)>(kernel, "GetErrorMode");
  return functions;
}

}  // namespace

const TErrorModeFunctions& ErrorModeFunctions() {
  static const TErrorModeFunctions functions = BindErrorModeFunctions();
  return functions;
}

UINT CurrentErrorMode() {
  const TErrorModeFunctions& functions = ErrorModeFunctions();
  if (functions.SetThreadErrorMode != nullptr && functions.GetThreadErrorMode != nullptr)
    return functions.GetThreadErrorMode();
  if (functions.GetErrorMode != nullptr) return functions.GetErrorMode();
  // Only reading it by setting it is left.
  const UINT mode = SetErrorMode(0);
  SetErrorMode(mode);
  return mode;
}

TErrorModeScope::TErrorModeScope(UINT mode, const TErrorModeFunctions& functions)
    : fSetThreadErrorMode(functions.SetThreadErrorMode) {
  if (fSetThreadErrorMode != nullptr) {
    DWORD previous = 0;
    if (fSetThreadErrorMode(mode & kThreadModeFlags, &previous)) {
      fThreadMode = true;
      fPrevious = previous;
      return;
    }
  }
  fPrevious = SetErrorMode(mode);
}

TErrorModeScope::~TErrorModeScope() {
  if (fThreadMode)
    fSetThreadErrorMode(fPrevious, nullptr);
  else
    SetErrorMode(fPrevious);
}

}  // namespace ts
