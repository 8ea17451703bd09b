// Worker threads with synchronised calls into the main (user-interface)
// thread.
//
// Pausing is cooperative: Suspend never stops a thread where it happens to
// be (it could hold the heap lock or be half-way through a list); it asks the
// thread to wait at its next CheckPaused, a point its Execute chooses.
// Synchronize hands a call to the main thread and waits for it; the main
// thread runs such calls from its message loop (also inside modal loops such
// as a message box), from ProcessMessages and while it waits in WaitFor.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>

#include "classlib/object.h"

using TThreadMethod = std::function<void()>;

// The id of the program's main thread (the one that ran start-up).
extern DWORD MainThreadID;

// Runs the synchronised calls waiting for the main thread, and starts threads
// created to run at once. Only the main thread does anything here; returns
// whether a call ran.
bool CheckSynchronize();
// Signalled while synchronised calls may be waiting: a main thread that
// waits for anything should wait for this too and then CheckSynchronize.
HANDLE SynchronizeEvent();

class TThread : public TObject {
public:
  // Suspended: the thread waits until Resume. Not suspended: the thread
  // starts as soon as its creator is done constructing it, which C++ cannot
  // signal from a base class: it starts when the main thread next services
  // synchronised calls (its message loop, ProcessMessages, WaitFor) or on
  // Resume, whichever comes first. Only the main thread may create a thread
  // that is not suspended (EThread otherwise).
  explicit TThread(bool createSuspended);
  // A thread still running is told to terminate, released from a pause and
  // waited for. A derived class whose Execute uses its own members must make
  // sure the thread has ended before its own destructor runs (Terminate and
  // WaitFor, or FreeOnTerminate).
  ~TThread() override;

  // Starts a thread created suspended, or releases a pause.
  void Resume();
  // Asks the thread to pause at its next CheckPaused; when the thread calls
  // it on itself it pauses at once. A thread not yet started stays so.
  void Suspend();
  // Sets Terminated; a paused thread is released so that it can see it.
  void Terminate();
  // Waits until the thread has ended and answers its ReturnValue. On the
  // main thread, synchronised calls (of any thread) run during the wait.
  // Refused (EThread) for a thread that frees itself, one never started or
  // the calling thread itself.
  uint32_t WaitFor();
  // Runs method on the main thread and waits for it (directly when called
  // on the main thread). An exception raised by method is raised again here.
  void Synchronize(const TThreadMethod& method);

  bool Terminated() const { return terminated_; }
  // Not started yet, or asked to pause and not released.
  bool Suspended() const;
  // Waiting at a CheckPaused.
  bool Paused() const { return paused_; }
  bool Finished() const { return finished_; }

  bool FreeOnTerminate() const { return freeOnTerminate_; }
  void SetFreeOnTerminate(bool value) { freeOnTerminate_ = value; }
  // Called on the main thread after Execute has ended (unless the thread is
  // being destroyed by its owner). May be changed while the thread runs.
  TNotifyEvent OnTerminate() const;
  void SetOnTerminate(TNotifyEvent handler);

  HANDLE Handle() const { return handle_; }
  DWORD ThreadID() const { return threadId_; }
  int32_t ReturnValue() const { return returnValue_; }
  // The exception that escaped Execute, if one did.
  std::exception_ptr FatalException() const { return fatalException_; }

protected:
  virtual void Execute() = 0;
  // Runs OnTerminate through Synchronize.
  virtual void DoTerminate();
  // The pause point: waits while a pause is asked for and the thread is not
  // terminated. Called by Execute on its own thread.
  void CheckPaused();
  void SetReturnValue(int32_t value) { returnValue_ = value; }

private:
  friend bool CheckSynchronize();
  static unsigned __stdcall ThreadProc(void* self);
  void StartOsThread();
  // Waits for the OS thread to end, servicing synchronised calls on the
  // main thread. Never throws.
  void WaitForEnd() noexcept;

  HANDLE handle_ = nullptr;
  DWORD threadId_ = 0;
  HANDLE resumeEvent_ = nullptr;  // signalled while no pause is asked for
  HANDLE syncDone_ = nullptr;     // signalled when a synchronised call has run
  std::mutex syncSerial_;         // one synchronised call at a time per thread
  mutable std::mutex stateLock_;  // guards pause state and OnTerminate
  TNotifyEvent onTerminate_;
  std::atomic<bool> started_{false};
  std::atomic<bool> startPending_{false};
  std::atomic<bool> pauseRequested_{false};
  std::atomic<bool> paused_{false};
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  std::atomic<bool> freeOnTerminate_{false};
  std::atomic<bool> destroying_{false};
  std::atomic<int32_t> returnValue_{0};
  std::exception_ptr fatalException_;
};
