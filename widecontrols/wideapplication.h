// Windows only. The message hook that lets typed wide characters through the
// class library's 8-bit loop: on NT a WH_GETMESSAGE hook of the main thread
// dispatches a WM_CHAR above 255 for a Unicode window itself
// (DispatchMessageW) and leaves the loop a WM_NULL.
#pragma once

#include <windows.h>

#include "classlib/component.h"

class TWideApplication : public TComponent {
public:
  explicit TWideApplication(TComponent* owner) : TComponent(owner) {}
  // Handles msg when it is a WM_CHAR above 255 for a Unicode window: the
  // application's OnMessage, CancelHint, the application's dialog, else
  // DispatchMessageW. True when the loop must leave the message alone.
  bool ProcessMessage(MSG& msg);
};

extern TWideApplication* WideApplication;

// Installs the hook (NT only; EWideInternalError elsewhere).
void InstallGetMessageHook();
// The layer's start and end: the wide application object and, on NT, the hook.
void StartWideApplication();
void EndWideApplication();
