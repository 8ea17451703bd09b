// One icon in the taskbar notification area: its picture and tip kept up to
// date, the shell's mouse messages turned into events, the popup menu shown
// on a right click and its default item run on a double click, and an
// animation through a list of icons whose steps a clock thread asks the
// main thread to take.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <string>

#include "classlib/component.h"
#include "classlib/controls.h"
#include "classlib/messages.h"

class TIcon;
class TIconList;
class TPopupMenu;
class TTimerThread;

// The message the shell sends to the icon's window (LParam: the mouse
// message).
constexpr UINT CM_TRAYICON = 0xB054;

class TTrayIcon : public TComponent {
public:
  explicit TTrayIcon(TComponent* owner);
  ~TTrayIcon() override;
  void Loaded() override;

  // Whether the icon should be shown.
  bool Active() const { return active_; }
  void SetActive(bool value);
  // Whether the icon is in the notification area now (the shell took it).
  bool Added() const { return added_; }
  bool Animated() const { return animated_; }
  // Starts only with at least one icon in Icons.
  void SetAnimated(bool value);
  // Whether mouse messages become events.
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value) { enabled_ = value; }
  uint16_t Interval() const { return interval_; }
  void SetInterval(uint16_t value);
  TIcon* Icon() const { return icon_; }
  void SetIcon(TIcon* value);
  TIconList* Icons() const { return icons_; }
  void SetIcons(TIconList* value);
  // Only the part before the first "|" is shown as the tip.
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& value);
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* value);

  // The window the shell sends CM_TRAYICON to.
  HWND Handle() const { return window_; }
  // The animation frame shown (-1 before any animation).
  int CurrentIndex() const { return currentIndex_; }
  // The tip of a hint: its short part, at most 63 bytes, never ending in
  // half a character of the code page.
  static std::string TipText(const std::string& hint, UINT codePage = CP_ACP);

  TMouseEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  // The shell restarted and would not take the shown icon again: whatever
  // only the icon could bring back needs another way.
  TNotifyEvent OnLost;

  // Fills the record handed to the shell from the current icon and hint.
  virtual void UpdateNotifyData();

protected:
  void Notification(TComponent* component, TOperation operation) override;
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void DoClick(TMouseButton button, TShiftState shift, int x, int y);
  virtual void DblClick();
  // Shows the popup menu at a screen point when it pops up by itself.
  bool ShowPopup(int x, int y);

private:
  void WndProc(TMessage& msg);
  void MouseMessage(UINT mouseMessage);
  TIcon* CurrentIcon() const;
  void Activate();
  void Deactivate();
  void IconChanged();
  // The shell's taskbar started again: a shown icon is added again.
  void ShellRestarted();
  void Animate();
  void StopAnimation();

  HWND window_ = nullptr;
  bool active_ = false;
  bool added_ = false;
  bool animated_ = false;
  bool enabled_ = true;
  uint8_t clickFlags_ = 0;
  int currentIndex_ = -1;
  uint16_t interval_ = 150;
  NOTIFYICONDATAA data_{};
  TIcon* icon_ = nullptr;
  TIconList* icons_ = nullptr;
  TTimerThread* timer_ = nullptr;
  std::string hint_;
  TPopupMenu* popupMenu_ = nullptr;
};
