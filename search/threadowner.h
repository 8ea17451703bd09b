// Ending worker threads: one whose owner destroys it, and the bounded wait
// for every worker at the program's exit.
#pragma once

#include <windows.h>

#include <algorithm>
#include <atomic>

#include "classlib/boundary.h"
#include "classlib/thread.h"

// Called from a derived thread's destructor, before its members go: the
// owner wants no more news of the thread (OnTerminate is detached), asks it
// to terminate and waits until it has ended (a thread never started is
// started only to end at once). A thread that frees itself, or the thread
// destroying itself, is left alone.
inline void EndThreadForOwner(TThread& thread) noexcept {
  if (GetCurrentThreadId() == thread.ThreadID() || thread.FreeOnTerminate()) return;
  thread.SetOnTerminate(nullptr);
  thread.Terminate();
  if (thread.Finished()) return;
  try {
    thread.Resume();
    thread.WaitFor();
  } catch (...) {
    // WaitFor refuses nothing here; a failed wait leaves the base class's
    // own wait in its destructor.
  }
}

// How long the exit waits for the workers it told to stop: each notices at
// its next entry, block or stream, so only one stuck in a library or on a
// dead share takes longer.
constexpr DWORD kWorkerExitWaitMs = 15000;

// Whether an exit's wait gave up on a worker that is still running. Such a
// worker is never freed, nor is anything it may use; the program then ends
// without its clean-up (EndIfWorkerOutlivedExit).
inline std::atomic<bool>& WorkerOutlivedExitFlag() {
  static std::atomic<bool> outlived{false};
  return outlived;
}
inline bool WorkerOutlivedExit() { return WorkerOutlivedExitFlag(); }

// Main thread, at exit: waits until ended() holds, at most timeoutMs,
// running meanwhile the synchronised calls and sent messages that workers
// wait on. A wait that gives up marks the process; once it is marked a wait
// only looks, since the worker that outlasted one wait would outlast the
// next.
template <class Ended>
bool WaitForWorkersAtExit(Ended ended, DWORD timeoutMs = kWorkerExitWaitMs) {
  if (WorkerOutlivedExit()) timeoutMs = 0;
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (ended()) return true;
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) {
      WorkerOutlivedExitFlag() = true;
      return false;
    }
    constexpr ULONGLONG kSlice = 20;
    HANDLE synchronize = SynchronizeEvent();
    const DWORD r = MsgWaitForMultipleObjects(1, &synchronize, FALSE, static_cast<DWORD>(std::min(kSlice, deadline - now)),
                                              QS_SENDMESSAGE);
    if (r == WAIT_OBJECT_0 + 1) {
      MSG msg;
      PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    }
    GuardBoundary([] { CheckSynchronize(); });
  }
}

// The program's last step: with a worker still running past the exit's
// wait, the process ends here, at once, so that the worker neither keeps a
// process without windows alive nor sees the module's clean-up free what it
// uses. Otherwise it returns.
inline void EndIfWorkerOutlivedExit(UINT exitCode) {
  if (WorkerOutlivedExit()) TerminateProcess(GetCurrentProcess(), exitCode);
}
