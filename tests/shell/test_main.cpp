// The shell tests' program. Besides running the tests it plays the child
// program that the run-and-wait tests start (see child_modes.h).
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "child_modes.h"

namespace {

// Returns true (and sets exitCode) when the arguments ask for a child mode.
bool RunChildMode(int argc, char** argv, int& exitCode) {
  if (argc < 3) return false;
  if (std::strcmp(argv[1], kChildExit) == 0) {
    exitCode = std::atoi(argv[2]);
    return true;
  }
  if (std::strcmp(argv[1], kChildHang) == 0) {
    // The named event tells the parent we are up, and disappears with us.
    HANDLE alive = CreateEventA(nullptr, TRUE, FALSE, argv[2]);
    (void)alive;
    Sleep(INFINITE);
    return true;
  }
  if (std::strcmp(argv[1], kChildLeaveGrandchild) == 0) {
    // The grandchild sets the event it shares with us once it is up.
    HANDLE up = CreateEventA(nullptr, TRUE, FALSE, (std::string(argv[2]) + "-grandchild").c_str());
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = "\"" + std::string(self) + "\" " + kGrandchild + " \"" + argv[2] + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    exitCode = 1;
    if (up == nullptr ||
        !CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
      return true;
    const HANDLE upOrGone[] = {up, info.hProcess};
    if (WaitForMultipleObjects(2, upOrGone, FALSE, INFINITE) != WAIT_OBJECT_0) return true;
    HANDLE alive = CreateEventA(nullptr, TRUE, FALSE, argv[2]);
    (void)alive;
    Sleep(INFINITE);
    return true;
  }
  if (std::strcmp(argv[1], kGrandchild) == 0) {
    // The release is held before the parent hears of us, so that it cannot
    // be set and gone before we wait for it.
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, (std::string(argv[2]) + "-release").c_str());
    SetEvent(CreateEventA(nullptr, TRUE, FALSE, (std::string(argv[2]) + "-grandchild").c_str()));
    WaitForSingleObject(release, kGrandchildLife);
    return true;
  }
  if (std::strcmp(argv[1], kChildTouch) == 0) {
    HANDLE file = CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    exitCode = file != INVALID_HANDLE_VALUE ? 0 : 1;
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  int exitCode = 0;
  if (RunChildMode(argc, argv, exitCode)) return exitCode;
  // As the program does at start-up: the shell's objects need OLE.
  OleInitialize(nullptr);
  testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();
  OleUninitialize();
  return result;
}
