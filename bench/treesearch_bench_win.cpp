// Tree search against a bare walk of the same tree, measured in the same
// run: the bare walk enumerates every folder and opens and reads every file
// in 64 KiB blocks; the search walks with masks and looks for a
// case-insensitive text in all six encodings, with the found-file and
// folder events served by the main thread as the main window serves them.
// Then a name search of the folder index against the same search walking
// the disk.
//
// Two trees under the temporary folder: a copy of the host's /usr/include
// (skipped when it cannot be read) and a larger generated one.
//
//   treesearch_bench [rounds]     (default 7)
//
// Details go to stderr; stdout gets the one result line, with the worse
// figure of the two trees.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench/stopwatch.h"
#include "classlib/codepage.h"
#include "search/codepageset.h"
#include "search/filelistthread.h"
#include "search/folderindex.h"
#include "search/searchthread.h"

namespace {

constexpr DWORD kReadBlock = 64 * 1024;
const char kHostTree[] = "Z:\\usr\\include";
// Never present: every file is read to its end.
const wchar_t kAbsent[] = L"Кукушонок-ovalis";

bool IsSubfolder(const WIN32_FIND_DATAA& data) {
  const std::string name = data.cFileName;
  return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 && name != "." && name != "..";
}

// Copies a folder's files and real subfolders (links are left out).
void CopyTree(const std::string& from, const std::string& to, uint64_t& files) {
  CreateDirectoryA(to.c_str(), nullptr);
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA((from + "\\*").c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return;
  std::vector<std::string> subfolders;
  do {
    const std::string name = data.cFileName;
    if (IsSubfolder(data)) subfolders.push_back(name);
    else if ((data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0 &&
             CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE))
      ++files;
  } while (FindNextFileA(h, &data));
  FindClose(h);
  for (const std::string& name : subfolders) CopyTree(from + "\\" + name, to + "\\" + name, files);
}

void DeleteTree(const std::string& folder) {
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      const std::string full = folder + "\\" + name;
      SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (IsSubfolder(data)) DeleteTree(full);
      else if (!DeleteFileA(full.c_str())) RemoveDirectoryA(full.c_str());
    } while (FindNextFileA(h, &data));
    FindClose(h);
  }
  RemoveDirectoryA(folder.c_str());
}

struct Rng {
  uint64_t state;
  uint32_t Next() {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<uint32_t>(state >> 33);
  }
};

// Folders of text files in several encodings, of 1 to 32 KiB.
void GenerateTree(const std::string& root, int topFolders, int subfolders, int filesEach, uint64_t& files) {
  const wchar_t* const words[] = {L"курица", L"кукуруза", L"дед", L"баба", L"яйцо", L"золотое", L"the", L"quick",
                                  L"brown", L"fox", L"search", L"folder", L"file", L"index", L"2024", L"Ряба"};
  const unsigned codePages[] = {1251, 866, 20866, kUtf8CodePage, 1252};
  const char* const extensions[] = {".txt", ".c", ".h", ".log", ".dat", ".ini"};
  Rng rng{777};
  std::vector<std::string> pool;
  for (int i = 0; i < 64; ++i) {
    std::wstring text;
    while (text.size() < 48 * 1024) {
      text += words[rng.Next() % (sizeof words / sizeof words[0])];
      text += (rng.Next() % 9 == 0) ? L"\r\n" : L" ";
    }
    pool.push_back(WideToMultiByte(text, codePages[i % 5]));
  }
  CreateDirectoryA(root.c_str(), nullptr);
  for (int t = 0; t < topFolders; ++t) {
    const std::string top = root + "\\top" + std::to_string(t);
    CreateDirectoryA(top.c_str(), nullptr);
    for (int s = 0; s < subfolders; ++s) {
      const std::string sub = top + "\\sub" + std::to_string(s);
      CreateDirectoryA(sub.c_str(), nullptr);
      for (int f = 0; f < filesEach; ++f) {
        const std::string& text = pool[rng.Next() % pool.size()];
        const size_t size = std::min<size_t>(text.size(), 1024 + rng.Next() % (31 * 1024));
        const std::string path =
            sub + "\\file" + std::to_string(f) + extensions[rng.Next() % (sizeof extensions / sizeof extensions[0])];
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) continue;
        DWORD written = 0;
        WriteFile(h, text.data(), static_cast<DWORD>(size), &written, nullptr);
        CloseHandle(h);
        ++files;
      }
    }
  }
}

struct WalkCount {
  uint64_t files = 0, bytes = 0;
};

// The reference: enumerate, open every file, read it in 64 KiB blocks.
void BareWalk(const std::string& folder, std::vector<char>& buffer, WalkCount& count) {
  std::vector<std::string> subfolders;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = data.cFileName;
    if (IsSubfolder(data)) {
      subfolders.push_back(folder + "\\" + name);
      continue;
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    HANDLE h = CreateFileA((folder + "\\" + name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) continue;
    DWORD n = 0;
    while (ReadFile(h, buffer.data(), kReadBlock, &n, nullptr) && n > 0) count.bytes += n;
    CloseHandle(h);
    ++count.files;
  } while (FindNextFileA(find, &data));
  FindClose(find);
  for (const std::string& sub : subfolders) BareWalk(sub, buffer, count);
}

double TimeBareWalk(const std::string& root, WalkCount& count) {
  std::vector<char> buffer(kReadBlock);
  count = {};
  const LARGE_INTEGER t0 = TickNow();
  BareWalk(root, buffer, count);
  return SecondsBetween(t0, TickNow());
}

struct SearchCount {
  uint64_t hits = 0, folders = 0;
};

// One search run to its end, its events served by this (the main) thread.
double TimeSearch(const std::string& root, const std::string& masks, const std::wstring& text,
                  const TFolderIndex* index, SearchCount& count) {
  count = {};
  TFindFile search;
  search.SetMasks(masks);
  search.ContainsText = text;
  search.ListMode = index != nullptr;
  search.SetPathList(index);
  search.SetPath(root);
  search.SetRecurse(true);
  search.CaseSensitive = false;
  search.CodePages = cpAllCodePages;
  search.OnFileFound = [&count](TObject*, const TFoundItem&) { ++count.hits; };
  search.OnFolder = [&count](TObject*) { ++count.folders; };
  const LARGE_INTEGER t0 = TickNow();
  search.Start();
  search.WaitFor();
  return SecondsBetween(t0, TickNow());
}

struct TreeResult {
  double ratio = 0;
  double indexSpeedup = 0;
};

TreeResult Measure(const char* label, const std::string& root, const std::string& contentMasks,
                   const std::string& nameMasks, int rounds) {
  WalkCount walk;
  SearchCount found;
  TimeBareWalk(root, walk);  // warm the cache
  // The machine is shared: the best of several rounds, the two taking turns
  // at going first, so neither gains from what the other left in the caches.
  double bare = 1e9, content = 1e9;
  for (int round = 0; round < rounds; ++round) {
    if (round % 2 == 0) bare = std::min(bare, TimeBareWalk(root, walk));
    content = std::min(content, TimeSearch(root, contentMasks, kAbsent, nullptr, found));
    if (round % 2 == 1) bare = std::min(bare, TimeBareWalk(root, walk));
  }
  std::fprintf(stderr,
               "%s: %llu files, %.1f MiB, %llu folders; bare walk %.3f s (%.0f MB/s), content search %.3f s, "
               "%llu hits\n",
               label, static_cast<unsigned long long>(walk.files), static_cast<double>(walk.bytes) / 1048576.0,
               static_cast<unsigned long long>(found.folders), bare, static_cast<double>(walk.bytes) / 1e6 / bare,
               content, static_cast<unsigned long long>(found.hits));

  TFolderIndex index;
  const LARGE_INTEGER t0 = TickNow();
  {
    TFileListThread indexer;
    indexer.SetDir(root);
    indexer.Recursive = true;
    indexer.Target = &index;
    indexer.Resume();
    indexer.WaitFor();
  }
  const double build = SecondsBetween(t0, TickNow());
  SearchCount walked, listed;
  double onDisk = 1e9, fromIndex = 1e9;
  for (int round = 0; round < rounds; ++round) {
    if (round % 2 == 0) onDisk = std::min(onDisk, TimeSearch(root, nameMasks, L"", nullptr, walked));
    fromIndex = std::min(fromIndex, TimeSearch(root, nameMasks, L"", &index, listed));
    if (round % 2 == 1) onDisk = std::min(onDisk, TimeSearch(root, nameMasks, L"", nullptr, walked));
  }
  std::fprintf(stderr,
               "%s: index of %d paths built in %.3f s; name search '%s' walking %.3f s (%llu hits), from the "
               "index %.3f s (%llu hits)\n",
               label, index.Count(), build, nameMasks.c_str(), onDisk, static_cast<unsigned long long>(walked.hits),
               fromIndex, static_cast<unsigned long long>(listed.hits));
  if (walked.hits != listed.hits)
    std::fprintf(stderr, "%s: the index search found other files than the walk\n", label);
  return {content / bare, onDisk / fromIndex};
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  char temp[MAX_PATH + 1];
  if (GetTempPathA(sizeof temp, temp) == 0) return 2;
  const std::string base = std::string(temp) + "ovalis-tree-bench";
  DeleteTree(base);
  CreateDirectoryA(base.c_str(), nullptr);

  std::vector<TreeResult> results;
  uint64_t copied = 0;
  CopyTree(kHostTree, base + "\\include", copied);
  if (copied > 0) {
    results.push_back(Measure("include", base + "\\include", "*.h *.hpp *.c *.tcc *.def *", "*std*.h *.tcc", rounds));
  } else {
    std::fprintf(stderr, "include: %s not readable, left out\n", kHostTree);
  }
  uint64_t generated = 0;
  GenerateTree(base + "\\generated", 30, 20, 40, generated);
  results.push_back(Measure("generated", base + "\\generated", "*.txt *.c *.h *.log *.dat *", "file3?.log", rounds));
  DeleteTree(base);

  double ratio = 0, speedup = 1e9;
  for (const TreeResult& r : results) {
    ratio = std::max(ratio, r.ratio);
    speedup = std::min(speedup, r.indexSpeedup);
  }
  std::fprintf(stderr, "tree bench: code pages %u/%u, every encoding searched, case ignored, best of %d\n", GetACP(),
               GetOEMCP(), rounds);
  std::printf("tree: %.2fx the bare walk, index %.1fx faster\n", ratio, speedup);
  return 0;
}
