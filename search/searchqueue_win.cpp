#include "search/searchqueue.h"

#include <algorithm>

#include "classlib/strutils.h"
#include "classlib/thread.h"
#include "search/filelistthread.h"
#include "search/folderindex.h"
#include "search/searchthread.h"
#include "search/threadowner.h"

bool IsSameOrBelow(std::string_view path, std::string_view folder) {
  return AnsiSameText(path, folder) || IsPathBelow(path, folder, false);
}

TSearchQueue::~TSearchQueue() {
  StopAll();
  WaitForAll(kWorkerExitWaitMs);
}

void TSearchQueue::Append(TFindFile* thread) {
  ForgetEndedThreads();
  HANDLE copy = nullptr;
  if (DuplicateHandle(GetCurrentProcess(), thread->Handle(), GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0))
    handles_.push_back(copy);
  threads_.push_back(thread);
}

bool TSearchQueue::Covers(std::string_view path, int first) const {
  const auto from = threads_.begin() + std::clamp(first, 0, Count());
  return std::any_of(from, threads_.end(), [&](const TFindFile* thread) {
    return thread->Recurse() && IsSameOrBelow(path, thread->StartFolder());
  });
}

void TSearchQueue::StartFirst() {
  if (!threads_.empty()) threads_.front()->Start();
}

bool TSearchQueue::Remove(TObject* thread) {
  auto found = std::find(threads_.begin(), threads_.end(), thread);
  if (found == threads_.end()) return false;
  TFindFile* ended = *found;
  threads_.erase(found);
  if (!ended->FreeOnTerminate()) delete ended;
  return true;
}

bool TSearchQueue::AnyWaiting() const {
  return std::any_of(threads_.begin(), threads_.end(),
                     [](const TFindFile* thread) { return thread->PauseRequest() || thread->Suspended(); });
}

void TSearchQueue::StopAll() {
  while (!threads_.empty()) {
    TFindFile* thread = threads_.back();
    threads_.pop_back();
    thread->Suspend();
    thread->SetFreeOnTerminate(true);
    thread->SetOnTerminate(nullptr);
    thread->Terminate();
    thread->Resume();
  }
}

bool TSearchQueue::WaitForAll(DWORD timeoutMs) {
  return WaitForWorkersAtExit(
      [this] {
        ForgetEndedThreads();
        return handles_.empty();
      },
      timeoutMs);
}

void TSearchQueue::ForgetEndedThreads() {
  auto ended = [](HANDLE handle) {
    if (WaitForSingleObject(handle, 0) != WAIT_OBJECT_0) return false;
    CloseHandle(handle);
    return true;
  };
  handles_.erase(std::remove_if(handles_.begin(), handles_.end(), ended), handles_.end());
}

TIndexerList::~TIndexerList() {
  WaitForAll(kWorkerExitWaitMs);
  // One still running is left as it is: it may yet use itself and the index.
  for (auto it = indexers_.rbegin(); it != indexers_.rend(); ++it)
    if (!IsRunning(**it)) delete *it;
}

bool TIndexerList::IsRunning(const TFileListThread& indexer) { return !indexer.Finished() && !indexer.Suspended(); }

bool TIndexerList::WaitForAll(DWORD timeoutMs) {
  TerminateAll();
  return WaitForWorkersAtExit(
      [this] { return std::none_of(indexers_.begin(), indexers_.end(), [](auto* i) { return IsRunning(*i); }); },
      timeoutMs);
}

void TIndexerList::Add(TFileListThread* indexer) { indexers_.push_back(indexer); }

TFileListThread* TIndexerList::FindCovering(std::string_view path) const {
  for (TFileListThread* indexer : indexers_)
    if (indexer->Recursive && IsSameOrBelow(path, indexer->Dir())) return indexer;
  return nullptr;
}

void TIndexerList::TerminateAll() {
  for (TFileListThread* indexer : indexers_) indexer->Terminate();
}
