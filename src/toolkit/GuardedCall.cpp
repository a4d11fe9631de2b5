#include "toolkit/GuardedCall.h"

#include <exception>

#if defined(__i386__)
#include <excpt.h>
#include <intrin.h>
#include <setjmp.h>
#endif

namespace ts {

namespace {

struct TGuardedCallContext {
  const std::function<void()>* Call;
  std::exception_ptr Error;
};

// C++ exceptions are caught here, on this side of the guard frame, and thrown
// again once the call is over.
void RunGuardedCall(void* context) {
  auto* guarded = static_cast<TGuardedCallContext*>(context);
  try {
    (*guarded->Call)();
  } catch (...) {
    guarded->Error = std::current_exception();
  }
}

}  // namespace

#if defined(__x86_64__)

// The guard frame: a function whose unwind data names the C runtime's scope
// handler with one scope around the call. When the filter accepts an
// exception, the handler unwinds to this frame and resumes at the target,
// which answers 0; a normal return answers 1.
extern "C" int TsGuardedCallFrame(void (*call)(void*), void* context);
extern "C" LONG TsGuardedCallFilter(EXCEPTION_POINTERS* pointers, void* frame);

namespace {
thread_local DWORD tGuardedCallCode = 0;
}

extern "C" LONG TsGuardedCallFilter(EXCEPTION_POINTERS* pointers, void*) {
  const DWORD code = pointers->ExceptionRecord->ExceptionCode;
  // The compiler's own exceptions (0x20474343 "GCC " and its unwinding
  // variants) are C++ exceptions on their way to a C++ handler.
  if ((code & 0x00FFFFFFu) == 0x00474343u && (code >> 24) >= 0x20 && (code >> 24) <= 0x22)
    return EXCEPTION_CONTINUE_SEARCH;
  tGuardedCallCode = code;
  return EXCEPTION_EXECUTE_HANDLER;
}

asm(R"(
    .text
    .globl TsGuardedCallFrame
    .def TsGuardedCallFrame; .scl 2; .type 32; .endef
    .seh_proc TsGuardedCallFrame
TsGuardedCallFrame:
    subq $40, %rsp
    .seh_stackalloc 40
    .seh_endprologue
    .seh_handler __C_specific_handler, @except
    .seh_handlerdata
    .long 1
    .rva .LTsGuardStart, .LTsGuardEnd, TsGuardedCallFilter, .LTsGuardTarget
    .text
.LTsGuardStart:
    movq %rcx, %rax
    movq %rdx, %rcx
    callq *%rax
    nop
.LTsGuardEnd:
    movl $1, %eax
    addq $40, %rsp
    ret
.LTsGuardTarget:
    xorl %eax, %eax
    addq $40, %rsp
    ret
    .seh_endproc
)");

bool GuardedCall(const std::function<void()>& call, DWORD* code) {
  TGuardedCallContext context{&call, nullptr};
  const bool returned = TsGuardedCallFrame(&RunGuardedCall, &context) != 0;
  if (!returned) {
    if (code != nullptr) *code = tGuardedCallCode;
    return false;
  }
  if (context.Error) std::rethrow_exception(context.Error);
  if (code != nullptr) *code = 0;
  return true;
}

#elif defined(__i386__)

// An exception registration on the thread's handler chain whose handler
// jumps back to the point saved before the call; the runtime's long jump
// unwinds the frames above and restores the chain.
namespace {

struct TGuardRegistration {
  TGuardRegistration* Prev;
  void* Handler;
  jmp_buf Resume;
  DWORD Code;
};

extern "C" EXCEPTION_DISPOSITION __cdecl TsGuardedCallHandler(EXCEPTION_RECORD* record, void* frame, CONTEXT*,
                                                             void*) {
  if ((record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) != 0) return ExceptionContinueSearch;
  auto* registration = static_cast<TGuardRegistration*>(frame);
  registration->Code = record->ExceptionCode;
  longjmp(registration->Resume, 1);
}

__attribute__((noinline)) bool RunRegistered(TGuardedCallContext& context, DWORD& code) {
  volatile TGuardRegistration registration{};
  auto& guard = const_cast<TGuardRegistration&>(registration);
  guard.Handler = reinterpret_cast<void*>(&TsGuardedCallHandler);
  guard.Prev = reinterpret_cast<TGuardRegistration*>(__readfsdword(0));
  if (setjmp(guard.Resume) != 0) {
    code = guard.Code;
    return false;
  }
  __writefsdword(0, reinterpret_cast<DWORD>(&guard));
  RunGuardedCall(&context);
  __writefsdword(0, reinterpret_cast<DWORD>(guard.Prev));
  return true;
}

}  // namespace

bool GuardedCall(const std::function<void()>& call, DWORD* code) {
  TGuardedCallContext context{&call, nullptr};
  DWORD raised = 0;
  if (!RunRegistered(context, raised)) {
    if (code != nullptr) *code = raised;
    return false;
  }
  if (context.Error) std::rethrow_exception(context.Error);
  if (code != nullptr) *code = 0;
  return true;
}

#else
#error "GuardedCall needs the platform's exception frames of this processor"
#endif

}  // namespace ts
