// The result list at scale, in the real main window with the default
// options: a search that finds 100,000 files, timing the whole and the
// longest stretch in which the main thread handled no message (what a user
// feels as a frozen window); then a million rows that carry the context of a
// text search: the memory they hold, a sort by name, and removing 100,000
// rows scattered through them ("Delete from list").
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "app/filecommands_win.h"
#include "app/findform_win.h"
#include "app/programforms.h"
#include "app/resultlist_win.h"
#include "app/searchcontrol_win.h"
#include "bench/stopwatch.h"
#include "classlib/application.h"
#include "classlib/buttons.h"
#include "classlib/combobox.h"
#include "classlib/listview.h"
#include "classlib/pagecontrol.h"
#include "classlib/registry.h"
#include "classlib/thread.h"
#include "search/fileinfo.h"
#include "shell/folders.h"

namespace {

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 1000;
constexpr int kStoreRows = 1000000;
constexpr int kRemovedRows = 100000;

size_t MemoryInUse() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.PagefileUsage;
}

std::string MakeTree() {
  char base[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH, base);
  const std::string root = std::string(base) + "ovalis-ui-bench";
  DeleteTree(root);
  CreateDirectoryA(root.c_str(), nullptr);
  for (int f = 0; f < kFolders; ++f) {
    const std::string folder = root + "\\folder" + std::to_string(f);
    CreateDirectoryA(folder.c_str(), nullptr);
    for (int i = 0; i < kFilesPerFolder; ++i) {
      const std::string file = folder + "\\file" + std::to_string(i) + ".txt";
      CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
  }
  return root;
}

struct TSearchRun {
  double seconds = 0;
  double longestPauseMs = 0;
  int listed = 0;
};

// Runs the message loop itself so that every stretch of work between two
// messages (a message handled, or a batch of hits handed over) is timed.
TSearchRun SearchThroughTheWindow(const std::string& root) {
  FindForm->pcFilePath->SetActivePageIndex(1);
  FindForm->cbFolder->SetText(root);

  TSearchRun run;
  const LARGE_INTEGER start = TickNow();
  FindForm->bStart->Click();
  MSG msg;
  while (FindForm->Search().Searching() || FindForm->ListView->Items()->Count() < FindForm->Search().FoundCount()) {
    const LARGE_INTEGER before = TickNow();
    const bool handled = Application->ProcessMessage(msg) || CheckSynchronize();
    const LARGE_INTEGER after = TickNow();
    run.longestPauseMs = std::max(run.longestPauseMs, SecondsBetween(before, after) * 1000);
    if (!handled) {
      HANDLE wake = SynchronizeEvent();
      MsgWaitForMultipleObjects(1, &wake, FALSE, 10, QS_ALLINPUT);
    }
  }
  run.seconds = SecondsBetween(start, TickNow());
  run.listed = FindForm->ListView->Items()->Count();
  return run;
}

struct TRowsRun {
  double megabytes = 0;
  double sortSeconds = 0;
  double removeSeconds = 0;
  int removed = 0;
};

// What a text search leaves in a row: the context of the first occurrence,
// as long as the matcher makes it when the text runs on at both sides.
std::string ContextOf(int row) {
  static const std::string words =
      "the quick brown fox jumps over the lazy dog while the clerk files every report of the year "
      "under its number and the auditor reads them twice before the end of the month ";
  const size_t at = static_cast<size_t>(row) % 48;
  return words.substr(at, 111);
}

TRowsRun MillionRows() {
  TResultList& list = FindForm->ResultList();
  list.Clear();
  Application->ProcessMessages();
  const char* types[] = {"Text Document", "Microsoft Word Document", "JPEG image", "Adobe PDF"};
  uint32_t seed = 12345;
  TRowsRun run;
  const size_t before = MemoryInUse();
  for (int i = 0; i < kStoreRows; ++i) {
    seed = seed * 1103515245u + 12345u;
    TFileInfo info;
    info.Name = "file" + std::to_string(seed % 1000000) + "_" + std::to_string(i) + ".txt";
    info.Path = "C:\\Users\\someone\\Documents\\Projects\\folder" + std::to_string(i / 100);
    info.TypeName = types[i % 4];
    info.Size = seed;
    info.Modified = 45000 + (seed % 1000);
    info.Context = ContextOf(i);
    list.Add(info);
  }
  list.SyncCount();
  Application->ProcessMessages();
  run.megabytes = static_cast<double>(MemoryInUse() - before) / 1048576.0;

  TListView& view = *FindForm->ListView;
  LARGE_INTEGER t0 = TickNow();
  list.ListViewColumnClick(&view, view.Columns()->Items(0));
  run.sortSeconds = SecondsBetween(t0, TickNow());

  std::vector<int> rows(kStoreRows);
  for (int i = 0; i < kStoreRows; ++i) rows[static_cast<size_t>(i)] = i;
  std::shuffle(rows.begin(), rows.end(), std::mt19937(7));
  rows.resize(kRemovedRows);
  std::sort(rows.begin(), rows.end());
  {
    // As a user's clicks would, without a preview per row on the way.
    auto held = std::move(view.OnSelectItem);
    view.OnSelectItem = nullptr;
    for (int row : rows) view.SetSelected(row, true);
    view.OnSelectItem = std::move(held);
  }
  Application->ProcessMessages();
  t0 = TickNow();
  FindForm->FileCommands().mListDelClick();
  run.removeSeconds = SecondsBetween(t0, TickNow());
  run.removed = kStoreRows - view.Items()->Count();
  return run;
}

}  // namespace

int main() {
  OleInitialize(nullptr);
  std::fprintf(stderr, "ui: making %d files\n", kFolders * kFilesPerFolder);
  const std::string root = MakeTree();
  TRegistry().DeleteKey("\\Software\\Marnok\\Ovalis");
  CreateProgramForms(false);
  FindForm->Show();
  Application->ProcessMessages();
  const TSearchRun search = SearchThroughTheWindow(root);
  DeleteTree(root);
  const TRowsRun rows = MillionRows();
  DestroyProgramForms();
  std::printf(
      "ui: %d hits listed in %.1f s, longest message-loop pause %.0f ms; %d rows with contexts in %.0f MB, "
      "sorted by name in %.2f s, %d rows removed in %.2f s\n",
      search.listed, search.seconds, search.longestPauseMs, kStoreRows, rows.megabytes, rows.sortSeconds,
      rows.removed, rows.removeSeconds);
  OleUninitialize();
  // The mask "*.*" lists the folders too.
  return search.listed == kFolders * kFilesPerFolder + kFolders && rows.removed == kRemovedRows ? 0 : 1;
}
