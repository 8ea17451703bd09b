// Runs work on a thread of its own and waits a generous time for it. Work
// that hangs cannot be stopped: the test program then fails and ends at once
// instead of waiting for it.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <future>
#include <thread>
#include <utility>
#endif

namespace test_wait {

#ifdef _WIN32
// A Windows thread and a wait on its handle: a detached std::thread of this
// toolchain's thread library can be lost before it runs when another one
// ends as it is detached, and its future then never becomes ready.
template <class Work>
struct TThreadCall {
  Work& work;
  std::exception_ptr error;
  static DWORD WINAPI Run(void* data) {
    auto* call = static_cast<TThreadCall*>(data);
    try {
      call->work();
    } catch (...) {
      call->error = std::current_exception();
    }
    return 0;
  }
};
#endif

[[noreturn]] inline void GiveUp(std::chrono::seconds limit, const std::string& what) {
  ADD_FAILURE() << what << " did not end within " << limit.count() << " s";
  std::fflush(stdout);
  std::_Exit(1);
}

template <class Work>
void EndsWithin(std::chrono::seconds limit, const std::string& what, Work work) {
#ifdef _WIN32
  TThreadCall<Work> call{work, nullptr};
  HANDLE thread = CreateThread(nullptr, 0, &TThreadCall<Work>::Run, &call, 0, nullptr);
  if (thread == nullptr) {
    ADD_FAILURE() << "no thread for " << what;
    return;
  }
  const DWORD waited = WaitForSingleObject(thread, static_cast<DWORD>(limit.count()) * 1000);
  if (waited != WAIT_OBJECT_0) GiveUp(limit, what);
  CloseHandle(thread);
  if (call.error) std::rethrow_exception(call.error);
#else
  std::packaged_task<void()> task(std::move(work));
  std::future<void> done = task.get_future();
  std::thread(std::move(task)).detach();
  if (done.wait_for(limit) != std::future_status::ready) GiveUp(limit, what);
  done.get();
#endif
}

}  // namespace test_wait
