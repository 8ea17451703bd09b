#include "components/trayicon.h"

#include <cstring>

#include "classlib/application.h"
#include "classlib/forms.h"
#include "classlib/icon.h"
#include "classlib/menus.h"
#include "classlib/objectinstance.h"
#include "components/iconlist.h"
#include "components/timerthread.h"
#include "components/utilities.h"

namespace {

// Posted by the clock thread: take one animation step.
constexpr UINT kAnimateStep = WM_USER + 1;
// The tip of the record's first layout: 63 bytes and a terminating zero.
constexpr size_t kMaxTip = 63;
constexpr uint8_t kLeftPressed = 1;
constexpr uint8_t kRightPressed = 2;

bool Notify(DWORD command, NOTIFYICONDATAA& data) { return Shell_NotifyIconA(command, &data) != FALSE; }

// Broadcast by the shell when its taskbar (re)starts: every icon it showed
// before is gone.
UINT TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageA("TaskbarCreated");
  return message;
}

}  // namespace

TTrayIcon::TTrayIcon(TComponent* owner)
    : TComponent(owner), icon_(new TIcon), icons_(new TIconList) {
  window_ = AllocateHWnd(TWndMethod(this, &TTrayIcon::WndProc));
  icon_->OnChange = [this](TObject*) { IconChanged(); };
  icons_->OnChange = [this](TObject*) { IconChanged(); };
  active_ = true;
}

TTrayIcon::~TTrayIcon() {
  Destroying();
  enabled_ = false;
  icons_->OnChange = nullptr;
  icon_->OnChange = nullptr;
  StopAnimation();
  Deactivate();
  DeallocateHWnd(window_);
  delete icon_;
  delete icons_;
}

void TTrayIcon::Loaded() {
  TComponent::Loaded();
  if (active_) Activate();
}

void TTrayIcon::SetActive(bool value) {
  if (value == active_) return;
  active_ = value;
  if (value) Activate();
  else Deactivate();
}

void TTrayIcon::SetIcon(TIcon* value) { icon_->Assign(value); }

void TTrayIcon::SetIcons(TIconList* value) { icons_->Assign(value); }

void TTrayIcon::SetHint(const std::string& value) {
  if (value == hint_) return;
  hint_ = value;
  IconChanged();
}

void TTrayIcon::SetInterval(uint16_t value) {
  interval_ = value;
  if (timer_ != nullptr) timer_->SetInterval(value);
}

void TTrayIcon::SetPopupMenu(TPopupMenu* value) {
  if (popupMenu_ != nullptr) RemoveFreeNotification(popupMenu_);
  popupMenu_ = value;
  if (value != nullptr) FreeNotification(value);
}

void TTrayIcon::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == popupMenu_) popupMenu_ = nullptr;
}

std::string TTrayIcon::TipText(const std::string& hint, UINT codePage) {
  std::string tip = hint.substr(0, hint.find('|'));
  if (tip.size() <= kMaxTip) return tip;
  size_t end = 0;
  while (end < tip.size()) {
    const size_t next = end + (IsDBCSLeadByteEx(codePage, static_cast<BYTE>(tip[end])) ? 2 : 1);
    if (next > kMaxTip) break;
    end = next;
  }
  tip.resize(end);
  return tip;
}

TIcon* TTrayIcon::CurrentIcon() const {
  if (animated_ && icons_->Count() > 0)
    return icons_->Get(Max(Min(currentIndex_, icons_->Count() - 1), 0));
  return icon_;
}

void TTrayIcon::UpdateNotifyData() {
  TIcon* icon = CurrentIcon();
  data_ = NOTIFYICONDATAA{};
  data_.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data_.hWnd = window_;
  data_.uID = 0;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = CM_TRAYICON;
  data_.hIcon = icon != nullptr ? icon->Handle() : nullptr;
  const std::string tip = TipText(hint_);
  std::memcpy(data_.szTip, tip.data(), tip.size());
}

void TTrayIcon::Activate() {
  Deactivate();
  TIcon* icon = CurrentIcon();
  if (icon == nullptr || icon->Empty()) return;
  clickFlags_ = 0;
  UpdateNotifyData();
  added_ = Notify(NIM_ADD, data_);
  if (added_ && TipText(hint_).empty()) Notify(NIM_MODIFY, data_);
  if (added_ && timer_ != nullptr) timer_->Run();
}

void TTrayIcon::Deactivate() {
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = window_;
  data.uID = 0;
  Notify(NIM_DELETE, data);
  added_ = false;
  clickFlags_ = 0;
  if (timer_ != nullptr) timer_->Pause();
}

void TTrayIcon::ShellRestarted() {
  if (!added_) return;
  added_ = false;
  Activate();
  if (!added_ && OnLost) OnLost(this);
}

void TTrayIcon::IconChanged() {
  // Stopping here never comes back to this function.
  if (icons_->Count() == 0) StopAnimation();
  if (added_) {
    TIcon* icon = CurrentIcon();
    if (icon == nullptr || icon->Empty()) {
      Deactivate();
      return;
    }
    UpdateNotifyData();
    Notify(NIM_MODIFY, data_);
    return;
  }
  if (active_ && !HasState(csDesigning | csDestroying)) Activate();
}

void TTrayIcon::SetAnimated(bool value) {
  const bool wanted = value && icons_->Count() > 0;
  if (wanted == animated_) return;
  if (wanted) {
    timer_ = new TTimerThread(window_, kAnimateStep, interval_);
    if (added_) timer_->Run();
    animated_ = true;
  } else {
    StopAnimation();
  }
  currentIndex_ = 0;
  IconChanged();
}

void TTrayIcon::StopAnimation() {
  animated_ = false;
  TTimerThread* timer = timer_;
  timer_ = nullptr;
  // Waits for the clock thread; a step it posted meanwhile finds the
  // animation over and does nothing.
  delete timer;
}

void TTrayIcon::Animate() {
  // The clock's next interval starts once this step is done: started when
  // the step arrived, a shell slower than the interval would always find the
  // next step waiting, and a loop that runs till the queue is empty would
  // never end. The clock is read again, for the step may stop it.
  struct TStepDone {
    TTrayIcon& tray;
    ~TStepDone() {
      if (tray.timer_ != nullptr) tray.timer_->StepDone();
    }
  } done{*this};
  if (HasState(csDestroying) || !animated_) return;
  ++currentIndex_;
  if (currentIndex_ >= icons_->Count()) currentIndex_ = 0;
  IconChanged();
}

void TTrayIcon::WndProc(TMessage& msg) {
  if (msg.Msg == kAnimateStep) {
    Animate();
    return;
  }
  if (msg.Msg == TaskbarCreatedMessage() && msg.Msg != 0) {
    ShellRestarted();
    return;
  }
  if (msg.Msg != CM_TRAYICON || !enabled_) {
    msg.Result = DefWindowProcA(window_, msg.Msg, msg.WParam, msg.LParam);
    return;
  }
  MouseMessage(static_cast<UINT>(msg.LParam));
}

void TTrayIcon::MouseMessage(UINT mouseMessage) {
  // Per button: its messages, its shift flag and the click flag of a press
  // seen on the icon (the middle button makes no clicks).
  struct ButtonMessages {
    UINT down, up, doubleClick;
    TMouseButton button;
    TShiftState held;
    uint8_t pressed;
  };
  static const ButtonMessages kButtons[] = {
      {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, mbLeft, ssLeft, kLeftPressed},
      {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK, mbRight, ssRight, kRightPressed},
      {WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK, mbMiddle, ssMiddle, 0},
  };
  POINT p{};
  GetCursorPos(&p);
  const TShiftState shift = KeyboardStateToShiftState();
  if (mouseMessage == WM_MOUSEMOVE) {
    MouseMove(shift, p.x, p.y);
    return;
  }
  for (const ButtonMessages& b : kButtons) {
    if (mouseMessage == b.down) {
      MouseDown(b.button, shift | b.held, p.x, p.y);
      clickFlags_ |= b.pressed;
    } else if (mouseMessage == b.up) {
      if (clickFlags_ & b.pressed) {
        clickFlags_ &= ~b.pressed;
        DoClick(b.button, shift | b.held, p.x, p.y);
      }
      MouseUp(b.button, shift | b.held, p.x, p.y);
    } else if (mouseMessage == b.doubleClick) {
      if (b.button == mbLeft) DblClick();
      MouseDown(b.button, shift | ssDouble, p.x, p.y);
    }
  }
}

void TTrayIcon::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TTrayIcon::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TTrayIcon::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TTrayIcon::DoClick(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbRight && ShowPopup(x, y)) return;
  if (OnClick) OnClick(this, button, shift, x, y);
}

void TTrayIcon::DblClick() {
  if (active_ && popupMenu_ != nullptr) {
    TMenuItem* items = popupMenu_->Items();
    for (int i = 0; i < items->Count(); ++i) {
      TMenuItem* item = items->Items(i);
      if (item->Default() && item->Enabled()) {
        item->Click();
        return;
      }
    }
  }
  if (OnDblClick) OnDblClick(this);
}

bool TTrayIcon::ShowPopup(int x, int y) {
  if (!active_ || popupMenu_ == nullptr || !popupMenu_->AutoPopup()) return false;
  popupMenu_->SetPopupComponent(this);
  // An open menu or a drag in the program's own windows ends first.
  HWND active = GetActiveWindow();
  TWinControl* form = FindControl(active);
  if (dynamic_cast<TCustomForm*>(form) == nullptr) form = Application->MainForm();
  if (form != nullptr && form->HandleAllocated() && !HasState(csDestroying)) SendMessageA(form->Handle(), WM_CANCELMODE, 0, 0);
  SwitchToWindow(window_, false);
  Application->ProcessMessages();
  popupMenu_->Popup(x, y);
  SwitchToWindow(window_, false);
  return true;
}
