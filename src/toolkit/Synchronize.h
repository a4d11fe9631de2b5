#pragma once
// Running calls on the main thread: a worker queues a call and waits until the
// main thread has run it. The main thread runs queued calls in the order they
// were queued, from its message loop (woken by one posted message per batch)
// or from any routine that waits on other threads (CheckSynchronize).
#include <windows.h>

#include <exception>
#include <functional>

namespace ts {

using TThreadMethod = std::function<void()>;

// The thread that loaded the program; the one that runs the message loop.
DWORD MainThreadID();
bool IsMainThread();

// Runs method on the main thread and returns when it has run. On the main
// thread it runs at once. An exception raised by method is raised again in
// the calling thread. owner identifies the caller's thread object (may be
// null) so that a thread that is killed can take back its pending call.
void SynchronizeCall(const TThreadMethod& method, const void* owner = nullptr);

// On the main thread: runs the calls waiting, oldest first, and answers
// whether there were any. Elsewhere it does nothing. Nested calls (a call that
// itself waits and drains) keep the overall order.
bool CheckSynchronize();

// The number of calls waiting for the main thread.
int PendingSynchronizeCount();

// Drops the calls queued by owner without running them; for threads that were
// killed while they waited.
void CancelSynchronizeCalls(const void* owner);

// The message that tells the main thread that calls wait, and the window it
// is posted to (the application's window; without one it is posted to the
// main thread's queue).
UINT SynchronizeMessage();
void SetSynchronizeWindow(HWND window);

}  // namespace ts
