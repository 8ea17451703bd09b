// TFileListThread: the background indexer. It lists its folder and, with
// Recursive, every file and folder below it into a folder index (the shared
// one unless told otherwise). Every path, the folder's own included, is added
// on the main thread through synchronised calls, so additions by several
// indexers never overlap. Once an indexer has walked its whole folder
// (Pending is clear), searches of that folder may read the index instead of
// the disk.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "classlib/datetime.h"
#include "classlib/thread.h"
#include "search/folderindex.h"

// The program's one folder index, shared by the indexers and the search
// threads. It lives until the program ends; before it is freed the program
// waits for every indexer still running (see WaitForIndexers).
TFolderIndex& FolderIndex();

// Main thread: tells every indexer still running to terminate and waits
// until all have ended, running their synchronised calls meanwhile, at most
// as long as an exit waits (WaitForWorkersAtExit); false when one is still
// running then, or when called on another thread. The program calls it at
// exit, before the index goes; freeing the index does it too, and leaves the
// index to an indexer that outlives it.
bool WaitForIndexers();

class TFileListThread : public TThread {
public:
  // Suspended, Dir "C:", not freed on termination.
  TFileListThread();
  // A running indexer is told to terminate and waited for.
  ~TFileListThread() override;

  // "" gives "C:"; one trailing "\" is removed.
  void SetDir(const std::string& text);
  const std::string& Dir() const { return dir_; }

  // Set by the main window before it resumes the thread.
  bool Recursive = false;
  TFolderIndex* Target = nullptr;  // not owned; nullptr means FolderIndex()

  // True while Execute runs.
  bool Busy() const { return busy_; }
  // True until the whole folder has been walked; a walk that was told to
  // terminate, or failed, leaves it set, so its index counts as incomplete.
  bool Pending() const { return pending_; }
  // The time the walk took, in days (read after the thread has ended).
  TDateTime Elapsed() const { return elapsed_; }
  // The last path handed to the index (main thread).
  const std::string& Current() const { return current_; }

protected:
  void Execute() override;

private:
  void ScanDir(const std::string& path);
  // One synchronised call hands paths, and how many entries the walk of
  // folder left out, to Target, and empties the list.
  void AddToTarget(std::vector<std::string>& paths, const std::string& folder = {}, int leftOut = 0);

  std::string dir_ = "C:";
  std::atomic<bool> busy_{false};
  std::atomic<bool> pending_{true};
  TDateTime elapsed_ = 0;
  std::string current_;  // written in the synchronised calls only
};
