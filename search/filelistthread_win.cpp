#include "search/filelistthread.h"

#include <algorithm>
#include <mutex>

#include "classlib/paths.h"
#include "search/folderentries.h"
#include "search/threadowner.h"

namespace {

// Entries handed to the index per synchronised call: few enough that the
// main thread's share (a sorted insertion each) stays a short slice between
// its messages, many enough that a folder costs few round trips.
constexpr size_t kEntriesPerCall = 256;

// Every indexer object alive, so that the exit can wait for them.
std::mutex indexersLock;
std::vector<TFileListThread*> indexers;

// The index and, before it is freed, the wait for the indexers that fill it.
// An indexer that outlives the wait may still add to it: it is never freed.
class TSharedIndex {
public:
  ~TSharedIndex() {
    if (WaitForIndexers()) delete index;
  }
  TFolderIndex* index = new TFolderIndex;
};

// Created with the module; freed when the program ends.
TSharedIndex sharedIndex;

// Whether an indexer has been started and not yet ended. Called after
// Terminate, which clears any pause, so "suspended" means never started.
bool StillRunning(const TFileListThread& thread) { return !thread.Finished() && !thread.Suspended(); }

}  // namespace

TFolderIndex& FolderIndex() { return *sharedIndex.index; }

bool WaitForIndexers() {
  if (GetCurrentThreadId() != MainThreadID) return false;
  // An indexer may be waiting for the main thread to add its entries: the
  // wait runs them.
  return WaitForWorkersAtExit([] {
    bool running = false;
    std::lock_guard<std::mutex> lock(indexersLock);
    for (TFileListThread* thread : indexers) {
      thread->Terminate();
      running |= StillRunning(*thread);
    }
    return !running;
  });
}

TFileListThread::TFileListThread() : TThread(true) {
  std::lock_guard<std::mutex> lock(indexersLock);
  indexers.push_back(this);
}

TFileListThread::~TFileListThread() {
  EndThreadForOwner(*this);
  std::lock_guard<std::mutex> lock(indexersLock);
  indexers.erase(std::remove(indexers.begin(), indexers.end(), this), indexers.end());
}

void TFileListThread::SetDir(const std::string& text) {
  if (text.empty()) {
    dir_ = "C:";
    return;
  }
  dir_ = text;
  if (IsPathDelimiter(dir_, dir_.size() - 1)) dir_.pop_back();
}

void TFileListThread::Execute() {
  busy_ = true;
  struct BusyEnd {
    std::atomic<bool>& busy;
    ~BusyEnd() { busy = false; }
  } busyEnd{busy_};
  if (Target == nullptr) Target = &FolderIndex();
  const TDateTime start = Now();
  std::vector<std::string> root{dir_};
  AddToTarget(root);
  ScanDir(dir_);
  if (!Terminated()) pending_ = false;
  elapsed_ = Now() - start;
}

void TFileListThread::ScanDir(const std::string& path) {
  if (Terminated()) return;
  std::vector<std::string> entries;
  std::vector<std::string> subfolders;
  int leftOut = 0;
  {
    TFolderEntries listing(path);
    while (!Terminated() && listing.Next()) {
      CheckPaused();
      // A link to a folder is listed but not followed, as the search does.
      if (Recursive && listing.IsFolder() && !listing.IsLink()) subfolders.push_back(listing.Path());
      entries.push_back(listing.Path());
      if (entries.size() == kEntriesPerCall) AddToTarget(entries);
    }
    leftOut = listing.LeftOut();
  }
  AddToTarget(entries, path, leftOut);
  for (const std::string& folder : subfolders) ScanDir(folder);
}

void TFileListThread::AddToTarget(std::vector<std::string>& paths, const std::string& folder, int leftOut) {
  if (paths.empty() && leftOut == 0) return;
  TFolderIndex* target = Target;
  Synchronize([this, target, &paths, &folder, leftOut] {
    target->AddAll(paths);
    if (leftOut > 0) target->SetLeftOut(folder, leftOut);
    if (!paths.empty()) current_ = paths.back();
  });
  paths.clear();
}
