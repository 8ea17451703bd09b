#include "classlib/timer.h"

#include "classlib/graphics.h"
#include "classlib/objectinstance.h"

namespace {
constexpr UINT_PTR kTimerId = 1;
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
  window_ = AllocateHWnd(TWndMethod(this, &TTimer::WndProc));
  Update();
}

TTimer::~TTimer() {
  enabled_ = false;
  if (window_ != nullptr) KillTimer(window_, kTimerId);
  DeallocateHWnd(window_);
}

void TTimer::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  Update();
}

void TTimer::SetInterval(UINT value) {
  if (value == interval_) return;
  interval_ = value;
  Update();
}

void TTimer::Update() {
  KillTimer(window_, kTimerId);
  if (!enabled_ || interval_ == 0) return;
  if (SetTimer(window_, kTimerId, interval_, nullptr) == 0) throw EOutOfResources("Not enough timers available");
}

void TTimer::WndProc(TMessage& message) {
  if (message.Msg == WM_TIMER && message.WParam == kTimerId) {
    if (enabled_ && OnTimer) OnTimer(this);
    message.Result = 0;
    return;
  }
  message.Result = DefWindowProcA(window_, message.Msg, message.WParam, message.LParam);
}
