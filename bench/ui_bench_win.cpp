// The result list at scale: a search that finds 100,000 files run through
// the real main window, timing the whole and the longest stretch in which
// the main thread handled no message (what a user feels as a frozen
// window); and the result store with a million rows: the memory it holds
// and the time a sort by name takes.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "app/configform_win.h"
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
  TRegistry().DeleteKey("\\Software\\Marnok\\Ovalis");
  CreateProgramForms(false);
  for (TCheckBox* box : {ConfigForm->CheckFlashW, ConfigForm->CheckBeep}) box->SetChecked(false);
  FindForm->Show();
  Application->ProcessMessages();
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
  DestroyProgramForms();
  return run;
}

struct TStoreRun {
  double megabytes = 0;
  double sortSeconds = 0;
};

TStoreRun MillionRows() {
  const size_t before = MemoryInUse();
  TStoreRun run;
  {
    TFileInfoList store;
    const char* types[] = {"Text Document", "Microsoft Word Document", "JPEG image", "Adobe PDF"};
    uint32_t seed = 12345;
    for (int i = 0; i < kStoreRows; ++i) {
      seed = seed * 1103515245u + 12345u;
      TFileInfo info;
      info.Name = "file" + std::to_string(seed % 1000000) + "_" + std::to_string(i) + ".txt";
      info.Path = "C:\\Users\\someone\\Documents\\Projects\\folder" + std::to_string(i / 100);
      info.TypeName = types[i % 4];
      info.Size = seed;
      info.Modified = 45000 + (seed % 1000);
      store.Add(info);
    }
    run.megabytes = static_cast<double>(MemoryInUse() - before) / 1048576.0;
    const LARGE_INTEGER t0 = TickNow();
    store.SortByName();
    run.sortSeconds = SecondsBetween(t0, TickNow());
  }
  return run;
}

}  // namespace

int main() {
  OleInitialize(nullptr);
  std::fprintf(stderr, "ui: making %d files\n", kFolders * kFilesPerFolder);
  const std::string root = MakeTree();
  const TSearchRun search = SearchThroughTheWindow(root);
  DeleteTree(root);
  const TStoreRun store = MillionRows();
  std::printf("ui: %d hits listed in %.2f s, longest message-loop pause %.0f ms; %d rows in %.0f MB, sorted by name in %.2f s\n",
              search.listed, search.seconds, search.longestPauseMs, kStoreRows, store.megabytes, store.sortSeconds);
  OleUninitialize();
  // The mask "*.*" lists the folders too.
  return search.listed == kFolders * kFilesPerFolder + kFolders ? 0 : 1;
}
