#include "shell/runandwait.h"

#include <windows.h>
#include <tlhelp32.h>

#include <atomic>
#include <cstring>
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
// How long the console host of an ended child gets to end after it: it
// takes a moment, far longer on a loaded machine.
constexpr DWORD kConsoleHostWait = 30000;

bool ShouldStop() {
  TRunAndWaitShouldStop hook = shouldStopHook.load();
  return hook != nullptr && hook();
}

// The console host the system started for the child's new console runs in
// the work folder too, and ends a moment after the child (under Wine the
// folder cannot be removed until then). Waits for it, so that nothing this
// run started holds the folder when RunAndWait returns, for as long as the
// caller lets it: a process the child left on its console keeps the host
// running, and a stopped caller must not wait that out.
void WaitForConsoleHost(DWORD childId) {
  TOwnedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  const ULONGLONG started = GetTickCount64();
  for (BOOL found = Process32First(snapshot.Get(), &entry); found; found = Process32Next(snapshot.Get(), &entry)) {
    if (entry.th32ParentProcessID != childId || _stricmp(entry.szExeFile, "conhost.exe") != 0) continue;
    TOwnedHandle host(OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID));
    if (!host) continue;
    while (WaitForSingleObject(host.Get(), kWaitSlice) == WAIT_TIMEOUT) {
      if (GetTickCount64() - started >= kConsoleHostWait || ShouldStop()) return;
    }
  }
}

// Ends the child when the wait is abandoned on any path, an exception from the
// hook included.
class TChildGuard {
public:
  explicit TChildGuard(HANDLE process) : process_(process) {}
  ~TChildGuard() { End(); }
  TChildGuard(const TChildGuard&) = delete;
  TChildGuard& operator=(const TChildGuard&) = delete;
  void End() {
    if (process_ == nullptr) return;
    TerminateProcess(process_, kTerminatedExitCode);
    WaitForSingleObject(process_, kTerminateWait);
    process_ = nullptr;
  }
  // The child has ended of its own accord.
  void Ended() { process_ = nullptr; }

private:
  HANDLE process_;
};

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
    // A stopped caller is not kept waiting for the console's host.
    if (ShouldStop()) return -1;
    if (timeout != INFINITE && GetTickCount64() - started >= timeout) {
      guard.End();
      WaitForConsoleHost(info.dwProcessId);
      return -1;
    }
  }
  guard.Ended();
  WaitForConsoleHost(info.dwProcessId);
  DWORD exitCode = 0;
  if (!GetExitCodeProcess(process.Get(), &exitCode)) return -1;
  return static_cast<int>(exitCode);
}

void SetRunAndWaitShouldStop(TRunAndWaitShouldStop hook) { shouldStopHook.store(hook); }
TRunAndWaitShouldStop RunAndWaitShouldStop() { return shouldStopHook.load(); }

void SetRunAndWaitTimeout(uint32_t milliseconds) { timeoutMs.store(milliseconds); }
uint32_t RunAndWaitTimeout() { return timeoutMs.load(); }
