#include "work/NsThread.h"

#include "work/CustomThreadPool.h"

namespace ts {

TNsThread::TNsThread(int32_t id) : fThreadId(id) { SetFreeOnTerminate(true); }

bool TNsThread::GetTerminated() {
  while (fPaused.load() && !TerminationRequested()) Sleep(100);
  return TerminationRequested();
}

void TNsThread::SetBackgroundMode(bool value) {
  if (value == fBackgroundMode) return;
  fBackgroundMode = value;
  SetThreadPriority(GetCurrentThread(), value ? THREAD_MODE_BACKGROUND_BEGIN : THREAD_MODE_BACKGROUND_END);
}

void TNsThread::DoTerminate() {
  fIsFinished.store(true);
  try {
    TThread::DoTerminate();
  } catch (...) {
    // The pool must hear of the end whatever the hook did.
  }
  Synchronize([this] { ThreadFinished(); });
}

void TNsThread::ThreadFinished() {
  if (fThreadPool != nullptr) fThreadPool->ThreadTerminated(this);
}

}  // namespace ts
