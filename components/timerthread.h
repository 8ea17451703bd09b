// The tray icon's animation clock: a thread that, while it runs, posts one
// step message to a window an interval after the window is done with the
// step before. It never touches the icon (the step runs on the window's
// thread), never spins, and waits on events to pause, to stop and for the
// step: however slow a step is, the next is never waiting behind it.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "classlib/thread.h"

class TTimerThread final : public TThread {
public:
  // Starts paused; Run lets the clock tick.
  TTimerThread(HWND target, UINT stepMessage, uint16_t interval);
  // Stops the thread and waits for it.
  ~TTimerThread() override;

  void Run() { SetEvent(run_); }
  void Pause() { ResetEvent(run_); }
  bool Running() const { return WaitForSingleObject(run_, 0) == WAIT_OBJECT_0; }
  void SetInterval(uint16_t ms) { interval_ = ms; }
  // The window is done with a step: the next interval starts.
  void StepDone() { SetEvent(stepDone_); }

protected:
  void Execute() override;

private:
  HWND target_;
  UINT stepMessage_;
  HANDLE stop_;
  HANDLE run_;
  HANDLE stepDone_;
  std::atomic<uint16_t> interval_;
};
