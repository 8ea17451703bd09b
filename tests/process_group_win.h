// Puts the test's own process in a job, so that everything it starts from
// then on, and everything those start, is found there: even a process that
// has been created and is not running yet, which no process list shows.
// The process stays in the job till it ends; the job sets no limits.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <map>
#include <string>
#include <vector>

class TOwnProcessGroup {
public:
  TOwnProcessGroup() : job_(CreateJobObjectA(nullptr, nullptr)) {
    joined_ = job_ != nullptr && AssignProcessToJobObject(job_, GetCurrentProcess());
  }
  ~TOwnProcessGroup() {
    if (job_ != nullptr) CloseHandle(job_);
  }
  TOwnProcessGroup(const TOwnProcessGroup&) = delete;
  TOwnProcessGroup& operator=(const TOwnProcessGroup&) = delete;

  bool Joined() const { return joined_; }

  // What runs in the group besides this process, one "name id" a line. The
  // process that shows the desktop is left out: under Wine the first program
  // to open the desktop starts it for the whole session, a console's host
  // among them.
  std::string Others() const {
    std::vector<ULONG_PTR> buffer(2 + 1024);
    auto* list = reinterpret_cast<JOBOBJECT_BASIC_PROCESS_ID_LIST*>(buffer.data());
    if (!QueryInformationJobObject(job_, JobObjectBasicProcessIdList, list,
                                   static_cast<DWORD>(buffer.size() * sizeof(ULONG_PTR)), nullptr))
      return "the group could not be read: " + std::to_string(GetLastError());
    DWORD desktopOwner = 0;
    GetWindowThreadProcessId(GetDesktopWindow(), &desktopOwner);
    std::map<DWORD, std::string> names;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL found = Process32First(snapshot, &entry); found; found = Process32Next(snapshot, &entry))
      names[entry.th32ProcessID] = entry.szExeFile;
    CloseHandle(snapshot);
    std::string others;
    const ULONG_PTR* ids = list->ProcessIdList;
    for (DWORD i = 0; i < list->NumberOfProcessIdsInList; ++i) {
      const DWORD id = static_cast<DWORD>(ids[i]);
      if (id == GetCurrentProcessId() || id == desktopOwner) continue;
      others += (names.count(id) != 0 ? names[id] : "(not running yet)") + " " + std::to_string(id) + "\n";
    }
    return others;
  }

private:
  HANDLE job_;
  bool joined_ = false;
};
