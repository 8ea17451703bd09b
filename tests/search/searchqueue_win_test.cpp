// The search queue runs its threads one after another and can stop them
// all; every thread it ever held has ended when WaitForAll says so.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "search/filelistthread.h"
#include "search/search_fixtures_win.h"
#include "search/searchqueue.h"
#include "search/searchthread.h"
#include "search/threadowner.h"

namespace {

using search_test::TTree;

TFindFile* QueuedThread(const std::string& folder, bool recurse, std::vector<std::string>* hits) {
  auto* thread = new TFindFile();
  thread->SetMasks("*.*");
  thread->SetPath(folder);
  thread->SetRecurse(recurse);
  thread->SetFreeOnTerminate(true);
  thread->OnFileFound = [hits](TObject*, const TFoundItem& found) { hits->push_back(found.FullName); };
  return thread;
}

TEST(SearchQueue, RecursingThreadCoversItsFolderAndThoseBelowOnly) {
  TTree tree;
  TSearchQueue queue;
  std::vector<std::string> hits;
  queue.Append(QueuedThread(tree / "Data", true, &hits));
  queue.Append(QueuedThread(tree / "Flat", false, &hits));
  EXPECT_TRUE(queue.Covers(tree / "Data"));
  EXPECT_TRUE(queue.Covers(tree / "DATA\\Old"));
  EXPECT_FALSE(queue.Covers(tree / "Data2"));       // "Data\" is no prefix of "Data2\"
  EXPECT_FALSE(queue.Covers(tree / "Flat\\Below"));  // that thread does not recurse
  EXPECT_FALSE(queue.Covers(tree / "Data", 1));      // queued by an earlier start
  EXPECT_TRUE(queue.AnyWaiting());
  queue.StopAll();
  EXPECT_TRUE(queue.Empty());
  EXPECT_TRUE(queue.WaitForAll(10000));
  EXPECT_TRUE(hits.empty());  // never started, stopped: nothing reported
}

TEST(SearchQueue, EachEndStartsTheNextAndTheLastLeavesItEmpty) {
  TTree tree;
  tree.File("a\\one.txt");
  tree.File("b\\two.txt");
  TSearchQueue queue;
  std::vector<std::string> hits;
  int ends = 0;
  for (const char* folder : {"a", "b"}) {
    TFindFile* thread = QueuedThread(tree / folder, true, &hits);
    thread->SetOnTerminate([&](TObject* sender) {
      ++ends;
      EXPECT_TRUE(queue.Remove(sender));
      if (queue.AnyWaiting()) queue.StartFirst();
    });
    queue.Append(thread);
  }
  queue.StartFirst();
  const DWORD deadline = GetTickCount() + 20000;
  while (ends < 2 && GetTickCount() < deadline) {
    WaitForSingleObject(SynchronizeEvent(), 50);
    CheckSynchronize();
  }
  EXPECT_EQ(ends, 2);
  EXPECT_TRUE(queue.Empty());
  EXPECT_EQ(hits, (std::vector<std::string>{tree / "a\\one.txt", tree / "b\\two.txt"}));
  EXPECT_TRUE(queue.WaitForAll(10000));
}

TEST(SearchQueue, StoppingARunningSearchEndsItAndWaitingFindsItGone) {
  TTree tree;
  for (int i = 0; i < 300; ++i) tree.File("deep\\" + std::to_string(i % 10) + "\\f" + std::to_string(i) + ".txt");
  TSearchQueue queue;
  std::vector<std::string> hits;
  TFindFile* thread = QueuedThread(tree / "deep", true, &hits);
  bool terminated = false;
  thread->SetOnTerminate([&](TObject*) { terminated = true; });
  queue.Append(thread);
  queue.StartFirst();
  queue.StopAll();
  EXPECT_TRUE(queue.WaitForAll(10000));
  EXPECT_FALSE(terminated);  // a stopped thread reports nothing, its end included
  const size_t seen = hits.size();
  CheckSynchronize();
  EXPECT_EQ(hits.size(), seen);
}

// Workers that, once running, never return until released, as one stuck in
// a library or on a dead share.
template <class Worker>
class TStuck : public Worker {
public:
  explicit TStuck(HANDLE release) : release_(release) {}
  ~TStuck() override { CloseHandle(stuck_); }
  bool WaitUntilStuck() { return WaitForSingleObject(stuck_, 10000) == WAIT_OBJECT_0; }

protected:
  void Execute() override {
    SetEvent(stuck_);
    WaitForSingleObject(release_, INFINITE);
  }

private:
  HANDLE release_;
  HANDLE stuck_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
};

// The exit's wait gives up on stuck workers once and marks the process to
// end without its clean-up; no later wait waits for them again, and nothing
// they use is freed.
TEST(ExitWait, StuckWorkersAreGivenUpOnceAndNeverFreed) {
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  auto* search = new TStuck<TFindFile>(release);
  search->SetFreeOnTerminate(true);
  auto* indexer = new TStuck<TFileListThread>(release);
  {
    TIndexerList indexers;
    indexers.Add(indexer);
    indexer->Resume();
    TSearchQueue queue;
    queue.Append(search);
    queue.StartFirst();
    ASSERT_TRUE(search->WaitUntilStuck() && indexer->WaitUntilStuck());
    queue.StopAll();
    EXPECT_FALSE(queue.WaitForAll(300));
    EXPECT_TRUE(WorkerOutlivedExit());
    EXPECT_FALSE(WaitForIndexers());
  }
  int looks = 0;
  EXPECT_FALSE(WaitForWorkersAtExit([&] { return ++looks < 0; }));
  EXPECT_EQ(looks, 1) << "a wait after one gave up only looks";
  EXPECT_FALSE(indexer->Finished()) << "left running, and not freed";
  SetEvent(release);
  indexer->WaitFor();
  delete indexer;
  CloseHandle(release);
}

TEST(IndexerList, FindsTheFirstRecursingIndexerHoldingThePath) {
  TIndexerList indexers;
  auto* flat = new TFileListThread();
  flat->SetDir("C:\\Data");
  indexers.Add(flat);
  auto* deep = new TFileListThread();
  deep->SetDir("C:\\Data");
  deep->Recursive = true;
  indexers.Add(deep);
  EXPECT_EQ(indexers.FindCovering("C:\\Data\\Old"), deep);
  EXPECT_EQ(indexers.FindCovering("c:\\data"), deep);
  EXPECT_EQ(indexers.FindCovering("C:\\Data2"), nullptr);
}

}  // namespace
