// The timer: OnTimer every Interval milliseconds while Enabled, run by a
// hidden window of the main thread (so the handler runs in the message
// loop, through the exception boundary).
#pragma once

#include <windows.h>

#include "classlib/component.h"
#include "classlib/messages.h"

class TTimer : public TComponent {
public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  // 0 stops the timer.
  UINT Interval() const { return interval_; }
  void SetInterval(UINT value);

  TNotifyEvent OnTimer;

private:
  void Update();
  void WndProc(TMessage& message);

  bool enabled_ = true;
  UINT interval_ = 1000;
  HWND window_ = nullptr;
};
