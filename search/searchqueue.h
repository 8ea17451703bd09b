// The threads of a running search and the program's indexers, as the main
// window keeps them: the search queue runs its threads one after another
// (one runs, the others wait for their start) and can stop them all; the
// indexer list finds the indexer whose folder holds a path.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

class TFileListThread;
class TFindFile;
class TObject;

// Whether path is folder itself or lies below it (letter case ignored).
bool IsSameOrBelow(std::string_view path, std::string_view folder);

class TSearchQueue {
public:
  TSearchQueue() = default;
  TSearchQueue(const TSearchQueue&) = delete;
  TSearchQueue& operator=(const TSearchQueue&) = delete;
  // Stops what is queued and waits, as WaitForAll does, until every thread
  // ever queued has ended.
  ~TSearchQueue();

  // The queue holds the thread until it ends (Remove) or is stopped.
  void Append(TFindFile* thread);
  bool Empty() const { return threads_.empty(); }
  int Count() const { return static_cast<int>(threads_.size()); }
  TFindFile* Thread(int index) const { return threads_.at(static_cast<size_t>(index)); }

  // A thread queued at position first or later that recurses from path or
  // from a folder above it: a ticked folder it covers needs no thread of
  // its own. Threads queued before first (another search's) cover nothing.
  bool Covers(std::string_view path, int first = 0) const;
  // Starts the first thread (starting a running one does nothing).
  void StartFirst();
  // A thread's termination handler: takes it out of the queue; false when
  // it was not queued. A thread that does not free itself is freed here.
  bool Remove(TObject* thread);
  // Whether a queued thread still waits for its start.
  bool AnyWaiting() const;
  // Takes every thread out of the queue, last first, and stops it: it ends
  // at its next folder, entry or listed path, frees itself and reports
  // nothing more. Never waits.
  void StopAll();
  // The exit's wait: until every thread ever appended has ended, running the
  // synchronised calls that threads wait on meanwhile; false when some
  // thread was still running after timeoutMs (see WaitForWorkersAtExit: the
  // process is then marked, and a stuck thread is never waited for again).
  bool WaitForAll(DWORD timeoutMs);

private:
  void ForgetEndedThreads();

  std::vector<TFindFile*> threads_;
  // A copy of each appended thread's handle: the threads free themselves, so
  // these are what an exit can still wait on.
  std::vector<HANDLE> handles_;
};

// The indexers started during a run; they never free themselves and stay
// until the program ends.
class TIndexerList {
public:
  TIndexerList() = default;
  TIndexerList(const TIndexerList&) = delete;
  TIndexerList& operator=(const TIndexerList&) = delete;
  // WaitForAll, then frees every indexer that has ended; one still running
  // is left alone.
  ~TIndexerList();

  void Add(TFileListThread* indexer);
  int Count() const { return static_cast<int>(indexers_.size()); }
  TFileListThread* Indexer(int index) const { return indexers_.at(static_cast<size_t>(index)); }
  // The first recursing indexer whose folder is path or lies above it.
  TFileListThread* FindCovering(std::string_view path) const;
  // Asks every indexer to terminate (they are waited for when the list goes).
  void TerminateAll();
  // The exit's wait, as the search queue's: tells every indexer to
  // terminate and waits at most timeoutMs until all have ended.
  bool WaitForAll(DWORD timeoutMs);

private:
  static bool IsRunning(const TFileListThread& indexer);

  std::vector<TFileListThread*> indexers_;
};
