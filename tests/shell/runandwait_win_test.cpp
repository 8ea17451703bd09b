#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "process_group_win.h"
#include "shell/child_modes.h"
#include "shell/runandwait.h"
#include "shell/shell_fixtures.h"

namespace {

std::string SelfCommand(const char* mode, const std::string& argument) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  return "\"" + std::string(self) + "\" " + mode + " \"" + argument + "\"";
}

std::string UniqueEventName() {
  static std::atomic<int> counter{0};
  return "OvalisShellTestChild-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
}

bool EventExists(const std::string& name) {
  HANDLE event = OpenEventA(SYNCHRONIZE, FALSE, name.c_str());
  if (event == nullptr) return false;
  CloseHandle(event);
  return true;
}

// The handles this process holds (handle values are small multiples of 4).
int CountOpenHandles() {
  int count = 0;
  for (ULONG_PTR value = 4; value < 0x4000; value += 4) {
    DWORD flags = 0;
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
  }
  return count;
}

// Restores the run-and-wait settings a test changes.
struct RunAndWaitSettings {
  RunAndWaitSettings() : timeout(RunAndWaitTimeout()), hook(RunAndWaitShouldStop()) {}
  ~RunAndWaitSettings() {
    SetRunAndWaitTimeout(timeout);
    SetRunAndWaitShouldStop(hook);
  }
  uint32_t timeout;
  TRunAndWaitShouldStop hook;
};

TEST(RunAndWait, ReturnsTheChildsExitCode) {
  EXPECT_EQ(RunAndWait(SelfCommand(kChildExit, "7"), "", SW_HIDE), 7);
  EXPECT_EQ(RunAndWait(SelfCommand(kChildExit, "0"), "", SW_HIDE), 0);
  EXPECT_EQ(RunAndWait("cmd /c exit 7", "", SW_HIDE), 7);
}

TEST(RunAndWait, MissingProgramGivesMinusOne) {
  EXPECT_EQ(RunAndWait("ovalis-no-such-program-here.exe", "", SW_HIDE), -1);
  EXPECT_EQ(RunAndWait("", "", SW_HIDE), -1);
}

TEST(RunAndWait, ChildRunsInTheWorkFolder) {
  TTempFolder folder;
  EXPECT_EQ(RunAndWait(SelfCommand(kChildTouch, "marker.txt"), folder.Path(), SW_HIDE), 0);
  EXPECT_TRUE(PathExists(folder / "marker.txt"));
}

// Nothing the run started still holds the work folder when it returns: the
// new console's host, which ends a moment after the child, included.
TEST(RunAndWait, WorkFolderIsFreeOnceItReturns) {
  for (int i = 0; i < 5; ++i) {
    TTempFolder folder;
    const std::string work = folder / "work";
    ASSERT_TRUE(CreateDirectoryA(work.c_str(), nullptr));
    ASSERT_EQ(RunAndWait(SelfCommand(kChildExit, "0"), work, SW_HIDE), 0);
    EXPECT_TRUE(RemoveDirectoryA(work.c_str())) << "run " << i << ": " << GetLastError();
  }
}

TEST(RunAndWait, ClosesTheChildsHandles) {
  std::string command = SelfCommand(kChildExit, "3");
  ASSERT_EQ(RunAndWait(command, "", SW_HIDE), 3);  // whatever the first start sets up for good
  int before = CountOpenHandles();
  for (int i = 0; i < 3; ++i) ASSERT_EQ(RunAndWait(command, "", SW_HIDE), 3);
  EXPECT_EQ(CountOpenHandles(), before);
}

// A child that never ends used to block its caller forever.
TEST(RunAndWait, TimeOutEndsAHangingChild) {
  RunAndWaitSettings restore;
  SetRunAndWaitTimeout(1000);
  std::string event = UniqueEventName();
  EXPECT_EQ(RunAndWait(SelfCommand(kChildHang, event), "", SW_HIDE), -1);
  EXPECT_FALSE(EventExists(event));  // the child and its event are gone
}

std::string stopEventName;
bool StopOnceChildIsUp() { return EventExists(stopEventName); }

// A thread told to terminate must not sit waiting for its child.
TEST(RunAndWait, StopHookEndsTheChild) {
  RunAndWaitSettings restore;
  SetRunAndWaitTimeout(INFINITE);
  stopEventName = UniqueEventName();
  SetRunAndWaitShouldStop(&StopOnceChildIsUp);
  EXPECT_EQ(RunAndWait(SelfCommand(kChildHang, stopEventName), "", SW_HIDE), -1);
  SetRunAndWaitShouldStop(nullptr);
  EXPECT_FALSE(EventExists(stopEventName));
}

// A process the child left on its console keeps the console's host running;
// a stop ends it and the host with the child rather than wait for them.
TEST(RunAndWait, StopEndsWhatTheChildLeftOnItsConsole) {
  RunAndWaitSettings restore;
  SetRunAndWaitTimeout(INFINITE);
  stopEventName = UniqueEventName();
  const std::string grandchild = stopEventName + "-grandchild";
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, (stopEventName + "-release").c_str());
  ASSERT_NE(release, nullptr);
  SetRunAndWaitShouldStop(&StopOnceChildIsUp);
  EXPECT_EQ(RunAndWait(SelfCommand(kChildLeaveGrandchild, stopEventName), "", SW_HIDE), -1);
  SetRunAndWaitShouldStop(nullptr);
  // The grandchild outlives any wait for the host unless it is released.
  EXPECT_FALSE(EventExists(grandchild));
  SetEvent(release);
  CloseHandle(release);
}

// A child ended while it starts up may already have started its console's
// host, which then never ends by itself, and holds the work folder. Time-outs
// of 1 to 100 ms land there often.
TEST(RunAndWait, ChildrenEndedWhileTheyStartLeaveNothingRunning) {
  TOwnProcessGroup group;
  ASSERT_TRUE(group.Joined());
  RunAndWaitSettings restore;
  for (uint32_t timeout = 1; timeout <= 100; ++timeout) {
    TTempFolder folder;
    const std::string work = folder / "work";
    ASSERT_TRUE(CreateDirectoryA(work.c_str(), nullptr));
    SetRunAndWaitTimeout(timeout);
    EXPECT_EQ(RunAndWait(SelfCommand(kChildHang, UniqueEventName()), work, SW_HIDE), -1);
    EXPECT_TRUE(RemoveDirectoryA(work.c_str())) << timeout << " ms: " << GetLastError();
  }
  EXPECT_EQ(group.Others(), "");
}

}  // namespace
