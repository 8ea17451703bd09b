// Waiting for a condition while the calling thread's messages are handled,
// however slow a loaded machine is meanwhile.
#pragma once

#include <windows.h>

#include "classlib/application.h"

// Runs the message loop until done() holds; false after limit milliseconds
// (a minute unless told), so a hang shows as a failure, not a stuck test.
template <class Done>
bool PumpUntil(Done done, DWORD limit = 60000) {
  const ULONGLONG deadline = GetTickCount64() + limit;
  while (!done()) {
    if (GetTickCount64() > deadline) return false;
    Application->ProcessMessages();
    Sleep(1);
  }
  return true;
}
