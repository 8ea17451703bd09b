#include "shell/runandwait.h"

#include <windows.h>

#include <atomic>
#include <vector>

#include "shell/owners.h"

namespace {

std::atomic<TRunAndWaitShouldStop> shouldStopHook{nullptr};
std::atomic<uint32_t> timeoutMs{kRunAndWaitDefaultTimeout};

// How often the stop hook is asked.
constexpr DWORD kWaitSlice = 50;
// How long an ended child gets to disappear before we stop waiting for it.
constexpr DWORD kTerminateWait = 5000;
constexpr UINT kTerminatedExitCode = 1;

// Ends the child when the wait is abandoned on any path, an exception from the
// hook included.
class TChildGuard {
public:
  explicit TChildGuard(HANDLE process) : process_(process) {}
  ~TChildGuard() {
    if (process_ == nullptr) return;
    TerminateProcess(process_, kTerminatedExitCode);
    WaitForSingleObject(process_, kTerminateWait);
  }
  TChildGuard(const TChildGuard&) = delete;
  TChildGuard& operator=(const TChildGuard&) = delete;
  void Release() { process_ = nullptr; }

private:
  HANDLE process_;
};

bool ShouldStop() {
  TRunAndWaitShouldStop hook = shouldStopHook.load();
  return hook != nullptr && hook();
}

}  // namespace

int RunAndWait(const std::string& commandLine, const std::string& workFolder, int showCmd) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showCmd);
  // CreateProcess may write into the command line.
  std::vector<char> command(commandLine.begin(), commandLine.end());
  command.push_back('\0');
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE,
                      CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS, nullptr,
                      workFolder.empty() ? nullptr : workFolder.c_str(), &startup, &info)) {
    return -1;
  }
  TOwnedHandle process(info.hProcess);
  TOwnedHandle thread(info.hThread);
  TChildGuard guard(process.Get());

  const uint32_t timeout = timeoutMs.load();
  const ULONGLONG started = GetTickCount64();
  for (;;) {
    DWORD waited = WaitForSingleObject(process.Get(), kWaitSlice);
    if (waited == WAIT_OBJECT_0) break;
    if (waited != WAIT_TIMEOUT) return -1;
    if (timeout != INFINITE && GetTickCount64() - started >= timeout) return -1;
    if (ShouldStop()) return -1;
  }
  guard.Release();
  DWORD exitCode = 0;
  if (!GetExitCodeProcess(process.Get(), &exitCode)) return -1;
  return static_cast<int>(exitCode);
}

void SetRunAndWaitShouldStop(TRunAndWaitShouldStop hook) { shouldStopHook.store(hook); }
TRunAndWaitShouldStop RunAndWaitShouldStop() { return shouldStopHook.load(); }

void SetRunAndWaitTimeout(uint32_t milliseconds) { timeoutMs.store(milliseconds); }
uint32_t RunAndWaitTimeout() { return timeoutMs.load(); }
