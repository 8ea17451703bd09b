// The test programs of a run share the session's clipboard: a test that
// puts something on it and reads it back holds this lock meanwhile, so that
// no other test program empties it in between.
#pragma once

#include <windows.h>

class ClipboardTestLock {
public:
  // A test that hangs holding the lock is ended by its own time-out, and the
  // lock then comes free (abandoned): the wait needs no limit of its own.
  ClipboardTestLock() : mutex_(CreateMutexA(nullptr, FALSE, "OvalisClipboardTests")) {
    WaitForSingleObject(mutex_, INFINITE);
  }
  ~ClipboardTestLock() {
    ReleaseMutex(mutex_);
    CloseHandle(mutex_);
  }
  ClipboardTestLock(const ClipboardTestLock&) = delete;
  ClipboardTestLock& operator=(const ClipboardTestLock&) = delete;

private:
  HANDLE mutex_;
};
