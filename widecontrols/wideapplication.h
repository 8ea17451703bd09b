// Windows only. The wide application: a wide title and hint kept beside the
// class library's 8-bit ones, the hint kept up to date at idle time, and
// the message hook that lets typed wide characters through the class
// library's 8-bit loop: on NT a WH_GETMESSAGE hook of the main thread
// dispatches a WM_CHAR above 255 for a Unicode window itself
// (DispatchMessageW) and leaves the loop a WM_NULL.
#pragma once

#include <windows.h>

#include <string>

#include "classlib/component.h"
#include "classlib/controls.h"
#include "classlib/messages.h"

class TWideApplication;

// A visible control without size on the main form, whose action's update
// runs at every idle cycle of the class library (TWideApplication::DoIdle).
class TWideAppIdleEventControl : public TControl {
public:
  explicit TWideAppIdleEventControl(TComponent* owner);
  ~TWideAppIdleEventControl() override;
  const char* ClassName() const override { return "TWideAppIdleEventControl"; }
};

class TWideApplication : public TComponent {
public:
  // Hooks itself into the application window.
  explicit TWideApplication(TComponent* owner);
  ~TWideApplication() override;

  // The first call after the program has a main form puts the idle control
  // on it. Then: a WM_CHAR above 255 for a Unicode window goes to the
  // application's OnMessage, hides a hint, goes to the application's
  // dialog, else is dispatched with DispatchMessageW. True when the loop
  // must leave the message alone.
  bool ProcessMessage(MSG& msg);

  // The application window's title (the taskbar button's text), wide.
  std::wstring Title();
  void SetTitle(const std::wstring& value);
  // The application's hint, wide (the long hint of the control under the
  // mouse, or of the menu item selected).
  std::wstring Hint();
  void SetHint(const std::wstring& value);

  TWideAppIdleEventControl* IdleEventControl() const { return idleEventControl_; }

private:
  friend class TWideAppIdleEventControl;
  // The application window's messages: a title waiting for the window, and
  // the hint action, which is replaced by a wide one.
  bool WndProcHook(TMessage& message);
  void DoIdle(TObject* sender);
  void SetAnsiTitle(const std::string& value);

  bool idleControlCreated_ = false;
  std::wstring hint_;
  TWideAppIdleEventControl* idleEventControl_ = nullptr;
  std::wstring title_;
};

extern TWideApplication* WideApplication;

// Installs the hook (NT only; EWideInternalError elsewhere).
void InstallGetMessageHook();
// The layer's start and end: the wide application object, on NT the hook,
// and the wide popup list in place of the class library's.
void StartWideApplication();
void EndWideApplication();
