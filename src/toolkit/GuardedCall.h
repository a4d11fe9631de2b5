#pragma once
// Calls into code of other modules (shell extensions, handlers installed by
// other programs) that may raise the platform's structured exceptions, which
// C++ handlers do not catch: such an exception ends the call instead of the
// program.
#include <windows.h>

#include <functional>

namespace ts {

// Runs call. Answers true when it returned, false when it raised a platform
// exception (its code goes to code when given). C++ exceptions thrown by
// call pass through unchanged.
bool GuardedCall(const std::function<void()>& call, DWORD* code = nullptr);

}  // namespace ts
