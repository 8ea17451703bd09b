// Ending a worker thread whose owner destroys it.
#pragma once

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
