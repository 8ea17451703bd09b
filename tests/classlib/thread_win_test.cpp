#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>

#include "classlib/application.h"
#include "classlib/exceptions.h"
#include "classlib/thread.h"
#include "pump_until_win.h"

namespace {

// A thread whose body is given by the test.
class TestThread : public TThread {
public:
  TestThread(bool suspended, std::function<void(TestThread&)> body) : TThread(suspended), body_(std::move(body)) {}
  using TThread::CheckPaused;
  using TThread::SetReturnValue;

protected:
  void Execute() override { body_(*this); }

private:
  std::function<void(TestThread&)> body_;
};

// Waits without pumping (for states a worker reaches on its own).
bool WaitUntil(const std::function<bool()>& done) {
  ULONGLONG deadline = GetTickCount64() + 60000;
  while (!done()) {
    if (GetTickCount64() > deadline) return false;
    Sleep(1);
  }
  return true;
}

}  // namespace

TEST(Thread, SynchronizeRunsOnTheMainThreadAndWaitForReturnsTheResult) {
  std::atomic<DWORD> ranOn{0};
  TestThread thread(true, [&](TestThread& self) {
    self.Synchronize([&] { ranOn = GetCurrentThreadId(); });
    self.SetReturnValue(42);
  });
  EXPECT_TRUE(thread.Suspended());
  thread.Resume();
  EXPECT_EQ(thread.WaitFor(), 42u);
  EXPECT_EQ(ranOn, MainThreadID);
  EXPECT_NE(thread.ThreadID(), MainThreadID);
  EXPECT_NE(thread.Handle(), nullptr);
  EXPECT_TRUE(thread.Finished());
}

TEST(Thread, WaitForKeepsServingAThreadThatSynchronisesAgainAndAgain) {
  int count = 0;  // touched only on the main thread
  TestThread thread(false, [&](TestThread& self) {
    for (int i = 0; i < 500; ++i) self.Synchronize([&] { ++count; });
  });
  thread.WaitFor();
  EXPECT_EQ(count, 500);
}

TEST(Thread, CreatedNotSuspendedStartsWithTheNextMessageLoopTurn) {
  std::atomic<bool> ran{false};
  TestThread thread(false, [&](TestThread&) { ran = true; });
  EXPECT_FALSE(thread.Suspended());
  EXPECT_TRUE(PumpUntil([&] { return ran.load(); }));
  thread.WaitFor();
}

TEST(Thread, ExceptionInASynchronisedCallIsRaisedAgainInTheThread) {
  std::string caught;
  TestThread thread(false, [&](TestThread& self) {
    try {
      self.Synchronize([] { throw EConvertError("bad value"); });
    } catch (const EConvertError& e) {
      caught = e.Message();
    }
  });
  thread.WaitFor();
  EXPECT_EQ(caught, "bad value");
}

TEST(Thread, ExceptionEscapingExecuteIsKeptAndTheThreadEndsNormally) {
  int terminated = 0;
  TestThread thread(true, [](TestThread&) { throw EAbort("stopped"); });
  thread.SetOnTerminate([&](TObject*) { ++terminated; });
  thread.Resume();
  thread.WaitFor();
  ASSERT_TRUE(thread.FatalException());
  try {
    std::rethrow_exception(thread.FatalException());
  } catch (const EAbort& e) {
    EXPECT_EQ(e.Message(), "stopped");
  }
  EXPECT_EQ(terminated, 1);
}

TEST(Thread, OnTerminateRunsOnTheMainThread) {
  std::atomic<DWORD> ranOn{0};
  TestThread thread(true, [](TestThread&) {});
  thread.SetOnTerminate([&](TObject* sender) {
    ranOn = GetCurrentThreadId();
    EXPECT_EQ(sender, &thread);
  });
  thread.Resume();
  thread.WaitFor();
  EXPECT_EQ(ranOn, MainThreadID);
}

TEST(Thread, SuspendPausesAtTheNextCheckpointAndResumeReleases) {
  std::atomic<int> steps{0};
  TestThread thread(false, [&](TestThread& self) {
    while (!self.Terminated()) {
      self.CheckPaused();
      ++steps;
      Sleep(0);
    }
  });
  ASSERT_TRUE(PumpUntil([&] { return steps > 0; }));
  thread.Suspend();
  EXPECT_TRUE(thread.Suspended());
  ASSERT_TRUE(WaitUntil([&] { return thread.Paused(); }));
  int paused = steps;
  Sleep(50);
  EXPECT_EQ(steps, paused);
  thread.Resume();
  EXPECT_FALSE(thread.Suspended());
  ASSERT_TRUE(WaitUntil([&] { return steps > paused; }));
  thread.Terminate();
  thread.WaitFor();
}

TEST(Thread, TerminateReleasesAPausedThread) {
  std::atomic<bool> afterPause{false};
  TestThread thread(false, [&](TestThread& self) {
    while (!self.Terminated()) self.CheckPaused();
    afterPause = true;
  });
  thread.Suspend();
  ASSERT_TRUE(PumpUntil([&] { return thread.Paused(); }));
  thread.Terminate();
  thread.WaitFor();
  EXPECT_TRUE(afterPause);
}

TEST(Thread, SuspendOnItselfPausesAtOnce) {
  std::atomic<int> stage{0};
  TestThread thread(false, [&](TestThread& self) {
    stage = 1;
    self.Suspend();
    stage = 2;
  });
  ASSERT_TRUE(PumpUntil([&] { return thread.Paused(); }));
  EXPECT_EQ(stage, 1);
  thread.Resume();
  thread.WaitFor();
  EXPECT_EQ(stage, 2);
}

TEST(Thread, FreeOnTerminateThreadFreesItselfAfterItsHandler) {
  // Counts destruction through a flag the thread cannot outlive.
  struct Flagged : TestThread {
    Flagged(std::atomic<bool>& destroyed, std::function<void(TestThread&)> body)
        : TestThread(true, std::move(body)), destroyed_(destroyed) {}
    ~Flagged() override { destroyed_ = true; }
    std::atomic<bool>& destroyed_;
  };
  std::atomic<bool> destroyed{false};
  bool handled = false;
  auto* thread = new Flagged(destroyed, [](TestThread& self) { self.Synchronize([] {}); });
  thread->SetFreeOnTerminate(true);
  thread->SetOnTerminate([&](TObject*) { handled = true; });
  EXPECT_THROW(thread->WaitFor(), EThread);
  thread->Resume();
  EXPECT_TRUE(PumpUntil([&] { return destroyed.load(); }));
  EXPECT_TRUE(handled);
}

TEST(Thread, StopSequenceEndsARunningThreadWithoutItsHandler) {
  // As the main window stops a search: suspend, free on terminate, detach
  // the handler, terminate, resume.
  struct Flagged : TestThread {
    Flagged(std::atomic<bool>& destroyed, std::function<void(TestThread&)> body)
        : TestThread(false, std::move(body)), destroyed_(destroyed) {}
    ~Flagged() override { destroyed_ = true; }
    std::atomic<bool>& destroyed_;
  };
  std::atomic<bool> destroyed{false};
  std::atomic<int> found{0};
  bool handled = false;
  auto* thread = new Flagged(destroyed, [&](TestThread& self) {
    while (!self.Terminated()) {
      self.CheckPaused();
      self.Synchronize([&] { ++found; });
    }
  });
  thread->SetOnTerminate([&](TObject*) { handled = true; });
  ASSERT_TRUE(PumpUntil([&] { return found > 3; }));
  thread->Suspend();
  thread->SetFreeOnTerminate(true);
  thread->SetOnTerminate(nullptr);
  thread->Terminate();
  thread->Resume();
  EXPECT_TRUE(PumpUntil([&] { return destroyed.load(); }));
  EXPECT_FALSE(handled);
}

TEST(Thread, DestroyingAThreadNeverStartedDoesNotRunIt) {
  std::atomic<bool> ran{false};
  {
    TestThread thread(true, [&](TestThread&) { ran = true; });
    EXPECT_THROW(thread.WaitFor(), EThread);
  }
  EXPECT_FALSE(ran);
}

TEST(Thread, SynchronisedCallRunsInsideAModalLoop) {
  // The main thread sits in a message box; the call must still run there,
  // and it closes the box.
  const char caption[] = "Ovalis synchronise test";
  std::atomic<bool> ran{false};
  TestThread thread(false, [&](TestThread& self) {
    HWND box = nullptr;
    for (int i = 0; i < 6000 && box == nullptr; ++i) {
      box = FindWindowA(nullptr, caption);
      if (box == nullptr) Sleep(10);
    }
    if (box == nullptr) return;
    self.Synchronize([&] {
      ran = true;
      EndDialog(box, IDOK);
    });
  });
  MessageBoxA(nullptr, "waiting", caption, MB_OK);
  thread.WaitFor();
  EXPECT_TRUE(ran);
}

TEST(Application, HandleExceptionReportsAllButAbort) {
  std::string shown;
  Application->OnException = [&](TObject*, const Exception& e) { shown = e.Message(); };
  Application->HandleException(Application, std::make_exception_ptr(Exception("visible")));
  EXPECT_EQ(shown, "visible");
  shown.clear();
  Application->HandleException(Application, std::make_exception_ptr(EAbort()));
  EXPECT_EQ(shown, "");
  Application->HandleException(Application, std::make_exception_ptr(std::runtime_error("std")));
  EXPECT_EQ(shown, "std");
  Application->OnException = nullptr;
}
