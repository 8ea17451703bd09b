#include "shell/runandwait.h"

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "shell/owners.h"

namespace {

std::atomic<TRunAndWaitShouldStop> shouldStopHook{nullptr};
std::atomic<uint32_t> timeoutMs{kRunAndWaitDefaultTimeout};

// How often the stop hook is asked.
constexpr DWORD kWaitSlice = 50;
// How long an ended process gets to disappear before we stop waiting for it.
constexpr DWORD kTerminateWait = 5000;
constexpr UINT kTerminatedExitCode = 1;
// How long the console host of a child that ended by itself gets to end
// after it: it takes a moment, far longer on a loaded machine.
constexpr DWORD kConsoleHostWait = 30000;
// How long what an ended child started gets to end by itself before it is
// ended too. The console's host ends a moment after the child, unless the
// child was ended while it set its console up: then the host never ends.
constexpr DWORD kGroupGrace = 500;
// A process of the group may start another before it is ended; each round
// ends what the one before found.
constexpr int kEndRounds = 3;
// More processes than a run could start; a job that claims more is not read.
constexpr DWORD kMaxJobProcesses = 4096;

bool ShouldStop() {
  TRunAndWaitShouldStop hook = shouldStopHook.load();
  return hook != nullptr && hook();
}

uint64_t CreationTime(HANDLE process) {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return (static_cast<uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// One started program. The job, when the system gave one, holds the child
// and everything started from it, from the moment it is created: under Wine
// the child itself starts its console's host while it starts up, and an
// end that lands then can leave a host that is not running yet, so no
// process list shows it.
struct TRun {
  HANDLE process;
  DWORD id;
  uint64_t created;
  HANDLE job;  // nullptr: the child could not be put in one
};

constexpr DWORD kGroupAccess = SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION;

// The console hosts the system started for the child's new console: run
// by the child, and no older than it (a host left by an earlier process
// that had the child's id is not the child's).
std::vector<TOwnedHandle> ConsoleHosts(const TRun& run) {
  std::vector<TOwnedHandle> hosts;
  TOwnedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return hosts;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL found = Process32First(snapshot.Get(), &entry); found; found = Process32Next(snapshot.Get(), &entry)) {
    if (entry.th32ParentProcessID != run.id || _stricmp(entry.szExeFile, "conhost.exe") != 0) continue;
    TOwnedHandle host(OpenProcess(kGroupAccess, FALSE, entry.th32ProcessID));
    if (host && CreationTime(host.Get()) >= run.created) hosts.push_back(std::move(host));
  }
  return hosts;
}

std::vector<DWORD> JobProcessIds(HANDLE job) {
  for (DWORD room = 64; room <= kMaxJobProcesses; room *= 2) {
    std::vector<ULONG_PTR> buffer(2 + room);
    auto* list = reinterpret_cast<JOBOBJECT_BASIC_PROCESS_ID_LIST*>(buffer.data());
    const DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(ULONG_PTR));
    if (!QueryInformationJobObject(job, JobObjectBasicProcessIdList, list, bytes, nullptr)) {
      if (GetLastError() == ERROR_MORE_DATA) continue;
      return {};
    }
    if (list->NumberOfProcessIdsInList < list->NumberOfAssignedProcesses) continue;
    const ULONG_PTR* ids = list->ProcessIdList;
    return std::vector<DWORD>(ids, ids + list->NumberOfProcessIdsInList);
  }
  return {};
}

// What the run started that may still be running. The process that shows
// the desktop serves the whole session and is never counted in: under Wine
// the first program to open the desktop starts it, and a console's host
// could be that program (RunAndWait opens the desktop first so that it is
// not).
std::vector<TOwnedHandle> OpenGroup(const TRun& run) {
  if (run.job == nullptr) return ConsoleHosts(run);
  DWORD desktopOwner = 0;
  GetWindowThreadProcessId(GetDesktopWindow(), &desktopOwner);
  std::vector<TOwnedHandle> group;
  for (DWORD id : JobProcessIds(run.job)) {
    if (id == desktopOwner) continue;
    TOwnedHandle process(OpenProcess(kGroupAccess, FALSE, id));
    if (process) group.push_back(std::move(process));
  }
  return group;
}

bool Running(HANDLE process) { return WaitForSingleObject(process, 0) == WAIT_TIMEOUT; }

void WaitForAll(const std::vector<TOwnedHandle>& processes, DWORD milliseconds) {
  const ULONGLONG started = GetTickCount64();
  for (const TOwnedHandle& process : processes) {
    const ULONGLONG spent = GetTickCount64() - started;
    WaitForSingleObject(process.Get(), spent >= milliseconds ? 0 : static_cast<DWORD>(milliseconds - spent));
  }
}

// Ends the child, then whatever it started that does not end by itself
// within the grace, and waits for them all, so that nothing the run started
// holds the work folder or the caller's output when RunAndWait returns.
void EndGroup(const TRun& run) {
  TerminateProcess(run.process, kTerminatedExitCode);
  WaitForSingleObject(run.process, kTerminateWait);
  DWORD grace = kGroupGrace;
  for (int round = 0; round < kEndRounds; ++round) {
    std::vector<TOwnedHandle> group = OpenGroup(run);
    if (group.empty()) return;
    WaitForAll(group, grace);
    grace = 0;
    for (const TOwnedHandle& process : group)
      if (Running(process.Get())) TerminateProcess(process.Get(), kTerminatedExitCode);
    WaitForAll(group, kTerminateWait);
  }
}

// The console host the system started for the child's new console runs in
// the work folder too, and ends a moment after the child (under Wine the
// folder cannot be removed until then). Waits for it, so that nothing this
// run started holds the folder when RunAndWait returns, for as long as the
// caller lets it: a process the child left on its console keeps the host
// running, and a stopped caller must not wait that out.
void WaitForConsoleHost(const TRun& run) {
  const ULONGLONG started = GetTickCount64();
  for (const TOwnedHandle& host : ConsoleHosts(run)) {
    while (WaitForSingleObject(host.Get(), kWaitSlice) == WAIT_TIMEOUT) {
      if (GetTickCount64() - started >= kConsoleHostWait || ShouldStop()) return;
    }
  }
}

// Ends the child with what it started when the wait is abandoned on any
// path, an exception from the hook included.
class TRunGuard {
public:
  explicit TRunGuard(const TRun& run) : run_(&run) {}
  ~TRunGuard() { End(); }
  TRunGuard(const TRunGuard&) = delete;
  TRunGuard& operator=(const TRunGuard&) = delete;
  void End() {
    if (run_ == nullptr) return;
    EndGroup(*run_);
    run_ = nullptr;
  }
  // The child has ended of its own accord.
  void Ended() { run_ = nullptr; }

private:
  const TRun* run_;
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
  // Under Wine the first program to open the desktop starts the process that
  // shows it, for the whole session; opened here, it is not started into
  // the child's group by the child's console host.
  GetDesktopWindow();
  // Suspended, so that it is in the job before it can start anything.
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE,
                      CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS | CREATE_SUSPENDED, nullptr,
                      workFolder.empty() ? nullptr : workFolder.c_str(), &startup, &info)) {
    return -1;
  }
  TOwnedHandle process(info.hProcess);
  TOwnedHandle thread(info.hThread);
  // A caller already in a job that allows no other (before Windows 8) gets
  // none: its child's console host is then found by the process list.
  TOwnedHandle job(CreateJobObjectA(nullptr, nullptr));
  if (job && !AssignProcessToJobObject(job.Get(), process.Get())) job.Close();
  const TRun run{process.Get(), info.dwProcessId, CreationTime(process.Get()), job.Get()};
  TRunGuard guard(run);
  if (ResumeThread(thread.Get()) == static_cast<DWORD>(-1)) return -1;

  const uint32_t timeout = timeoutMs.load();
  const ULONGLONG started = GetTickCount64();
  for (;;) {
    // The time-out is kept to the millisecond, not rounded up to a slice.
    DWORD slice = kWaitSlice;
    if (timeout != INFINITE) {
      const ULONGLONG spent = GetTickCount64() - started;
      slice = spent >= timeout ? 0 : static_cast<DWORD>(std::min<ULONGLONG>(slice, timeout - spent));
    }
    DWORD waited = WaitForSingleObject(process.Get(), slice);
    if (waited == WAIT_OBJECT_0) break;
    if (waited != WAIT_TIMEOUT || ShouldStop()) return -1;
    if (timeout != INFINITE && GetTickCount64() - started >= timeout) return -1;
  }
  guard.Ended();
  WaitForConsoleHost(run);
  DWORD exitCode = 0;
  if (!GetExitCodeProcess(process.Get(), &exitCode)) return -1;
  return static_cast<int>(exitCode);
}

void SetRunAndWaitShouldStop(TRunAndWaitShouldStop hook) { shouldStopHook.store(hook); }
TRunAndWaitShouldStop RunAndWaitShouldStop() { return shouldStopHook.load(); }

void SetRunAndWaitTimeout(uint32_t milliseconds) { timeoutMs.store(milliseconds); }
uint32_t RunAndWaitTimeout() { return timeoutMs.load(); }
