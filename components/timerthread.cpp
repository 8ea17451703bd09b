#include "components/timerthread.h"

#include <algorithm>

namespace {
// Shorter intervals would keep the thread busy for frames nobody can see.
constexpr uint16_t kMinInterval = 10;
}  // namespace

TTimerThread::TTimerThread(HWND target, UINT stepMessage, uint16_t interval)
    : TThread(true),
      target_(target),
      stepMessage_(stepMessage),
      stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      run_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      stepDone_(CreateEventA(nullptr, FALSE, FALSE, nullptr)),
      interval_(interval) {
  if (stop_ == nullptr || run_ == nullptr || stepDone_ == nullptr) {
    for (HANDLE event : {stop_, run_, stepDone_})
      if (event != nullptr) CloseHandle(event);
    throw EThread("Cannot create the animation thread's events");
  }
  Resume();
}

TTimerThread::~TTimerThread() {
  SetEvent(stop_);
  Terminate();
  WaitFor();
  CloseHandle(stop_);
  CloseHandle(run_);
  CloseHandle(stepDone_);
}

void TTimerThread::Execute() {
  const HANDLE stopOrRun[2] = {stop_, run_};
  const HANDLE stopOrDone[2] = {stop_, stepDone_};
  for (;;) {
    // Paused: sleeps until running again or stopped.
    if (WaitForMultipleObjects(2, stopOrRun, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) return;
    if (WaitForSingleObject(stop_, std::max(interval_.load(), kMinInterval)) != WAIT_TIMEOUT) return;
    if (!Running()) continue;
    // A step an earlier clock posted may have said it was done meanwhile.
    ResetEvent(stepDone_);
    if (!PostMessageA(target_, stepMessage_, 0, 0)) continue;
    if (WaitForMultipleObjects(2, stopOrDone, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) return;
  }
}
