// The main window's search control: turns the criteria fields and the
// options into search threads, runs them one after another, takes their
// hits into the result list and shows progress, count and time in the
// status bar; also the background indexers started for ticked folders.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "classlib/datetime.h"
#include "search/searchcriteria.h"
#include "search/searchqueue.h"
#include "search/resultrecord.h"

class TFindFile;
class TFindForm;
class TObject;
class TTimer;
struct TFoundItem;

class TSearchControl {
public:
  explicit TSearchControl(TFindForm& form);
  ~TSearchControl();
  TSearchControl(const TSearchControl&) = delete;
  TSearchControl& operator=(const TSearchControl&) = delete;

  // Start: a running search is stopped first and the results are cleared.
  void tbStartClick();
  // Add: the new hits join the present results.
  void tbAddClick();
  void tbStopClick();
  // Searches the files of the present result list again.
  void tbInResultsClick();

  // Creates, queues and starts the threads of a search of the ticked
  // folders or the special path.
  void StartSearch(const TSearchCriteria& criteria);

  // The deferred start-up: an indexer for every ticked folder on a fixed
  // drive, when "Cache results" is on.
  void StartIndexers();

  // Exit: every search and indexer thread is told to stop and waited for,
  // serving the calls they wait on, before anything they use goes.
  void StopAndWaitForAll();

  bool Searching() const { return !SearchThreads.Empty(); }
  // Whether the end of the last search is still being flashed.
  bool Flashing() const;
  int FoundCount() const { return FoundCount_; }
  int FolderCount() const { return FolderCount_; }

private:
  // The criteria the fields and options give, or nothing after saying why
  // they cannot make a search. The fields' texts go to their histories
  // first, as every search keeps what it was asked.
  std::optional<TSearchCriteria> ReadCriteria();
  // Whether the search has a place to look in; asks for one when the
  // special path is shown empty.
  bool LocationChosen();
  void StopAll();
  TFindFile* NewThread(const TSearchCriteria& criteria);
  TFileListThread* NewIndexer(const std::string& path);
  void SearchTickedFolders(const TSearchCriteria& criteria);
  void SearchSpecialPath(const TSearchCriteria& criteria);

  void OnFileFound(TObject* Sender, const TFoundItem& Found);
  void OnFolder(TObject* Sender);
  void OnSearchTerminate(TObject* Sender);
  void OnIndexThreadTerminate(TObject* Sender);
  void ShowCountAndTime();
  void SignalEnd();
  void Flash();
  void FlashTimerTick();
  void SetStatus(int panel, const std::string& text);

  TFindForm& form_;
  TSearchQueue SearchThreads;
  TIndexerList IndexThreads;
  TTypeNameCache typeNames_;
  // Each queued thread's size limit: a search added while another runs
  // keeps its own criteria.
  std::map<const TObject*, TSizeLimit> sizeLimits_;
  std::unique_ptr<TTimer> flashTimer_;
  int flashesLeft_ = 0;
  TDateTime StartTime = 0;
  // The time the last search took (shown again by a Stop with nothing running).
  TDateTime elapsed_ = 0;
  int FoundCount_ = 0;
  int FolderCount_ = 0;
  int LeftOut_ = 0;
};
