// The tray icon's animation clock: a thread that, while it runs, posts one
// step message to a window every interval. It never touches the icon (the
// step runs on the window's thread), never spins, waits on events to pause
// and to stop, and posts no new step while one is still waiting.
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
  // The window has handled a step: the next may be posted.
  void StepDone() { stepPending_ = false; }

protected:
  void Execute() override;

private:
  HWND target_;
  UINT stepMessage_;
  HANDLE stop_;
  HANDLE run_;
  std::atomic<uint16_t> interval_;
  std::atomic<bool> stepPending_{false};
};
