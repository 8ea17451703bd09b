#include "classlib/thread.h"

#include <process.h>

#include <algorithm>
#include <vector>

#include "classlib/application.h"
#include "classlib/boundary.h"
#include "classlib/exceptions.h"

// Set during start-up, which runs on the main thread.
DWORD MainThreadID = GetCurrentThreadId();

namespace {

// One synchronised call, on the stack of the thread that waits for it.
struct SyncRequest {
  const TThreadMethod* method;
  std::exception_ptr error;
  HANDLE done;
};

std::mutex g_lock;  // guards the two lists below
std::vector<SyncRequest*> g_queue;
std::vector<TThread*> g_pendingStarts;

// The posted message reaches the main thread in any message loop, modal
// ones included; the event reaches it in WaitFor.
void WakeMainThread() {
  SetEvent(SynchronizeEvent());
  TApplication* application = Application;
  if (application != nullptr && application->Handle() != nullptr)
    PostMessageA(application->Handle(), TApplication::kSynchronizeMessage, 0, 0);
}

void ErasePendingStart(TThread* thread) {
  g_pendingStarts.erase(std::remove(g_pendingStarts.begin(), g_pendingStarts.end(), thread), g_pendingStarts.end());
}

}  // namespace

HANDLE SynchronizeEvent() {
  static HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  return event;
}

bool CheckSynchronize() {
  if (GetCurrentThreadId() != MainThreadID) return false;
  ResetEvent(SynchronizeEvent());
  std::vector<SyncRequest*> batch;
  {
    std::lock_guard<std::mutex> lock(g_lock);
    for (TThread* thread : g_pendingStarts) {
      thread->startPending_ = false;
      thread->StartOsThread();
    }
    g_pendingStarts.clear();
    batch.swap(g_queue);
  }
  for (SyncRequest* request : batch) {
    // The boundary of a synchronised call: the exception goes back to the
    // thread that asked for the call.
    try {
      (*request->method)();
    } catch (...) {
      request->error = std::current_exception();
    }
    SetEvent(request->done);
  }
  return !batch.empty();
}

TThread::TThread(bool createSuspended) {
  if (!createSuspended && GetCurrentThreadId() != MainThreadID)
    throw EThread("A thread created outside the main thread must be created suspended");
  resumeEvent_ = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  syncDone_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  unsigned id = 0;
  uintptr_t handle = 0;
  if (resumeEvent_ != nullptr && syncDone_ != nullptr)
    handle = _beginthreadex(nullptr, 0, &TThread::ThreadProc, this, CREATE_SUSPENDED, &id);
  if (handle == 0) {
    DWORD error = GetLastError();
    if (resumeEvent_ != nullptr) CloseHandle(resumeEvent_);
    if (syncDone_ != nullptr) CloseHandle(syncDone_);
    throw EThread("Thread creation error: " + SysErrorMessage(error));
  }
  handle_ = reinterpret_cast<HANDLE>(handle);
  threadId_ = id;
  if (!createSuspended) {
    // Execute is virtual: the thread must not run before the derived
    // constructors have, so the start waits for the main thread's next turn.
    startPending_ = true;
    {
      std::lock_guard<std::mutex> lock(g_lock);
      g_pendingStarts.push_back(this);
    }
    WakeMainThread();
  }
}

TThread::~TThread() {
  destroying_ = true;
  {
    std::lock_guard<std::mutex> lock(g_lock);
    ErasePendingStart(this);
    startPending_ = false;
  }
  if (GetCurrentThreadId() != threadId_) {
    terminated_ = true;
    {
      std::lock_guard<std::mutex> lock(stateLock_);
      pauseRequested_ = false;
      SetEvent(resumeEvent_);
    }
    // A thread never started runs only to see that it is terminated.
    StartOsThread();
    WaitForEnd();
  }
  CloseHandle(handle_);
  CloseHandle(resumeEvent_);
  CloseHandle(syncDone_);
}

unsigned __stdcall TThread::ThreadProc(void* self) {
  auto* thread = static_cast<TThread*>(self);
  unsigned result = 0;
  GuardBoundary([&] {
    if (thread->terminated_) return;
    try {
      thread->Execute();
    } catch (...) {
      thread->fatalException_ = std::current_exception();
    }
  });
  result = static_cast<unsigned>(thread->returnValue_.load());
  thread->finished_ = true;
  if (!thread->destroying_) GuardBoundary([&] { thread->DoTerminate(); });
  // Read after DoTerminate: Stop sets it while the thread runs.
  if (thread->freeOnTerminate_ && !thread->destroying_) delete thread;
  return result;
}

void TThread::StartOsThread() {
  if (!started_.exchange(true)) ResumeThread(handle_);
}

void TThread::Resume() {
  if (!started_) {
    {
      std::lock_guard<std::mutex> lock(g_lock);
      ErasePendingStart(this);
      startPending_ = false;
    }
    StartOsThread();
    return;
  }
  std::lock_guard<std::mutex> lock(stateLock_);
  pauseRequested_ = false;
  SetEvent(resumeEvent_);
}

void TThread::Suspend() {
  if (!started_ && !startPending_) return;
  {
    std::lock_guard<std::mutex> lock(stateLock_);
    pauseRequested_ = true;
    ResetEvent(resumeEvent_);
  }
  if (GetCurrentThreadId() == threadId_) CheckPaused();
}

void TThread::Terminate() {
  terminated_ = true;
  std::lock_guard<std::mutex> lock(stateLock_);
  pauseRequested_ = false;
  SetEvent(resumeEvent_);
}

bool TThread::Suspended() const { return (!started_ && !startPending_) || pauseRequested_; }

void TThread::CheckPaused() {
  while (pauseRequested_ && !terminated_) {
    paused_ = true;
    WaitForSingleObject(resumeEvent_, INFINITE);
  }
  paused_ = false;
}

TNotifyEvent TThread::OnTerminate() const {
  std::lock_guard<std::mutex> lock(stateLock_);
  return onTerminate_;
}

void TThread::SetOnTerminate(TNotifyEvent handler) {
  std::lock_guard<std::mutex> lock(stateLock_);
  onTerminate_ = std::move(handler);
}

void TThread::DoTerminate() {
  {
    std::lock_guard<std::mutex> lock(stateLock_);
    if (!onTerminate_) return;
  }
  // The handler is read again on the main thread: it may have been detached
  // in the meantime (Stop does so).
  Synchronize([this] {
    // An owner destroying the thread meanwhile wants no more news of it.
    if (destroying_) return;
    TNotifyEvent handler = OnTerminate();
    if (handler) GuardBoundary([&] { handler(this); });
  });
}

void TThread::Synchronize(const TThreadMethod& method) {
  if (GetCurrentThreadId() == MainThreadID) {
    method();
    return;
  }
  std::lock_guard<std::mutex> serial(syncSerial_);
  SyncRequest request{&method, nullptr, syncDone_};
  {
    std::lock_guard<std::mutex> lock(g_lock);
    g_queue.push_back(&request);
  }
  WakeMainThread();
  WaitForSingleObject(syncDone_, INFINITE);
  if (request.error) std::rethrow_exception(request.error);
}

uint32_t TThread::WaitFor() {
  if (GetCurrentThreadId() == threadId_) throw EThread("A thread cannot wait for itself");
  if (freeOnTerminate_) throw EThread("Cannot wait for a thread that frees itself");
  if (startPending_) {
    {
      std::lock_guard<std::mutex> lock(g_lock);
      ErasePendingStart(this);
      startPending_ = false;
    }
    StartOsThread();
  }
  if (!started_) throw EThread("Cannot wait for a thread that has not been started");
  WaitForEnd();
  DWORD code = 0;
  GetExitCodeThread(handle_, &code);
  return code;
}

void TThread::WaitForEnd() noexcept {
  if (GetCurrentThreadId() != MainThreadID) {
    WaitForSingleObject(handle_, INFINITE);
    return;
  }
  HANDLE handles[2] = {handle_, SynchronizeEvent()};
  for (;;) {
    DWORD r = MsgWaitForMultipleObjects(2, handles, FALSE, INFINITE, QS_SENDMESSAGE);
    if (r == WAIT_OBJECT_0 + 1) {
      GuardBoundary([] { CheckSynchronize(); });
    } else if (r == WAIT_OBJECT_0 + 2) {
      // Lets messages sent from other threads through, so a worker blocked
      // in SendMessage to one of our windows is not left waiting for us.
      MSG msg;
      PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    } else {
      return;  // ended, or the wait itself failed
    }
  }
}
