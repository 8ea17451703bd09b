#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "search/filelistthread.h"
#include "search/folderindex.h"
#include "search/pathfit.h"
#include "search/search_fixtures_win.h"
#include "search/searchqueue.h"
#include "search/searchthread.h"
#include "shell/pidls.h"

using namespace search_test;

namespace {

using Paths = std::vector<std::string>;

// Every path below root, root included, found independently.
void ListTree(const std::string& folder, Paths& paths) {
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    paths.push_back(folder + "\\" + name);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ListTree(folder + "\\" + name, paths);
  } while (FindNextFileA(h, &data));
  FindClose(h);
}

Paths Lower(Paths paths) {
  for (std::string& p : paths) CharLowerBuffA(p.data(), static_cast<DWORD>(p.size()));
  std::sort(paths.begin(), paths.end());
  return paths;
}

void MakeTree(const TTree& tree) {
  for (const char* file : {"a.txt", "b.doc", "one\\c.txt", "one\\two\\d.txt", "one\\two\\e.bin", "three\\f.txt"})
    tree.File(file, std::string("needle in ") + file);
  tree.Folder("empty");
}

// Indexes folder into target and waits for the end, serving the calls.
void Index(const std::string& folder, TFolderIndex& target, bool recursive = true) {
  TFileListThread indexer;
  indexer.SetDir(folder);
  indexer.Recursive = recursive;
  indexer.Target = &target;
  indexer.Resume();
  indexer.WaitFor();
  EXPECT_FALSE(indexer.Pending());
  EXPECT_FALSE(indexer.Busy());
}

}  // namespace

TEST(FileListThread, SetDirDropsOneTrailingBackslash) {
  TFileListThread indexer;
  EXPECT_EQ(indexer.Dir(), "C:");
  EXPECT_TRUE(indexer.Pending());
  EXPECT_FALSE(indexer.Busy());
  indexer.SetDir("D:\\");
  EXPECT_EQ(indexer.Dir(), "D:");
  indexer.SetDir("D:\\data");
  EXPECT_EQ(indexer.Dir(), "D:\\data");
  indexer.SetDir("");
  EXPECT_EQ(indexer.Dir(), "C:");
}

TEST(FileListThread, ListsItsFolderAndEverythingBelowOnTheMainThreadOnly) {
  TTree tree;
  MakeTree(tree);
  TFolderIndex target;
  TFileListThread indexer;
  indexer.SetDir(tree.Root() + "\\");
  indexer.Recursive = true;
  indexer.Target = &target;
  indexer.Resume();
  // Without the main thread nothing, the folder itself included, is added.
  Sleep(300);
  EXPECT_EQ(target.Count(), 0);
  indexer.WaitFor();
  Paths expected{tree.Root()};
  ListTree(tree.Root(), expected);
  EXPECT_EQ(Lower(target.Paths()), Lower(expected));
  EXPECT_FALSE(indexer.Pending());
  EXPECT_GE(indexer.Elapsed(), 0.0);
  EXPECT_FALSE(indexer.Current().empty());

  TFolderIndex flat;
  Index(tree / "one", flat, false);
  EXPECT_EQ(Lower(flat.Paths()), Lower({tree / "one", tree / "one\\c.txt", tree / "one\\two"}));
}

TEST(FileListThread, OverlappingIndexersAndOtherLetterCaseLeaveEachPathOnce) {
  TTree tree;
  MakeTree(tree);
  TFolderIndex target;
  Index(tree.Root(), target);
  const int whole = target.Count();
  std::string upper = tree / "one";
  CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
  Index(upper, target);
  Index(tree / "three", target);
  EXPECT_EQ(target.Count(), whole);
}

TEST(FileListThread, WalkToldToTerminateLeavesItsIndexIncomplete) {
  TTree tree;
  MakeTree(tree);
  TFolderIndex target;
  TFileListThread indexer;
  indexer.SetDir(tree.Root());
  indexer.Recursive = true;
  indexer.Target = &target;
  indexer.Resume();
  // Its first call (the folder itself) waits for the main thread.
  ASSERT_EQ(WaitForSingleObject(SynchronizeEvent(), 10000), WAIT_OBJECT_0);
  indexer.Terminate();
  indexer.WaitFor();
  EXPECT_TRUE(indexer.Pending()) << "a search must not read an index that was cut short";
  EXPECT_FALSE(indexer.Busy());
  EXPECT_LE(target.Count(), 1);
}

TEST(FileListThread, FolderLinkIsListedButNotFollowed) {
  TTree tree;
  tree.File("real\\inside.txt");
  if (!MakeFolderLink(tree / "real\\loop", tree.Root())) GTEST_SKIP() << "no folder links here";
  TFolderIndex target;
  Index(tree.Root(), target);
  EXPECT_EQ(Lower(target.Paths()), Lower({tree.Root(), tree / "real", tree / "real\\inside.txt", tree / "real\\loop"}));
}

TEST(FileListThread, ExitWaitEndsRunningIndexersWhileServingTheirCalls) {
  TTree tree;
  for (int i = 0; i < 40; ++i) tree.File("f" + std::to_string(i) + "\\x.txt");
  TFolderIndex target;
  TFileListThread first, second, never;
  for (TFileListThread* indexer : {&first, &second}) {
    indexer->SetDir(tree.Root());
    indexer->Recursive = true;
    indexer->Target = &target;
    indexer->Resume();
  }
  // Both are blocked on the main thread, which does not serve them here.
  Sleep(100);
  WaitForIndexers();
  EXPECT_TRUE(first.Finished());
  EXPECT_TRUE(second.Finished());
  EXPECT_FALSE(never.Finished()) << "one never started is left alone";
}

TEST(FileListThread, SearchOfTheBuiltIndexGivesTheHitsOfTheWalk) {
  TTree tree;
  MakeTree(tree);
  tree.File("one\\two\\g.dat", "no such word");
  TFolderIndex index;
  Index(tree.Root(), index);
  struct Case {
    const char* masks;
    const wchar_t* contains;
    const wchar_t* notContains;
    bool recurse;
  };
  const Case cases[] = {
      {"*", L"", L"", true},       {"*.txt", L"needle", L"", true}, {"*.*", L"", L"needle", true},
      {"*t*", L"", L"", false},    {"d.txt e.bin", L"", L"", true},
  };
  for (const Case& c : cases) {
    auto configure = [&](bool fromIndex) {
      return [&, fromIndex](TFindFile& s) {
        s.ContainsText = c.contains;
        s.NotContainsText = c.notContains;
        s.SetRecurse(c.recurse);
        s.ListMode = fromIndex;
        s.SetPathList(fromIndex ? &index : nullptr);
      };
    };
    const TRecording walk = Search(tree, c.masks, configure(false));
    const TRecording listed = Search(tree, c.masks, configure(true));
    EXPECT_EQ(listed.SortedHits(), walk.SortedHits()) << c.masks;
    EXPECT_FALSE(walk.Hits().empty()) << c.masks;
    auto sortedContexts = [](TRecording r) {
      std::sort(r.contexts.begin(), r.contexts.end());
      return r.contexts;
    };
    EXPECT_EQ(sortedContexts(listed), sortedContexts(walk)) << c.masks;
  }
}

// A ticked folder whose name the code page cannot hold is walked and indexed
// through the path the folder tree gives it; the index of a tree of such
// names, and of paths too long for the 8-bit calls, gives the hits of the
// walk and leaves out as many entries, also for a ticked folder whose
// entries the walk can reach only through its short names.
TEST(FileListThread, TickedForeignAndDeepFoldersListTheSameFromTheWalkAndTheIndexCyrillicSystem) {
  TTree tree;
  const std::vector<std::wstring> needles = MakeForeignTree(tree);
  // The deepest folder that fits the 8-bit calls: every entry in it does not.
  int depth = 0;
  while (tree.Root().size() + DeepFolders(depth + 1).size() <= kMaxOpenablePath) ++depth;
  ASSERT_LT(depth, 12);
  const std::wstring deep = DeepFolders(depth);
  struct Case {
    std::wstring folder;
    std::vector<std::wstring> hits;
    int leftOut;  // the folder too deep even for short names
  };
  const Case cases[] = {
      {L"", needles, 1},
      {L"\\\u041F\u0430\u043F\u043A\u0430", {L"\u041F\u0430\u043F\u043A\u0430\\inner.txt"}, 0},
      {L"\\Gda\u0144sk", {L"Gda\u0144sk\\inner.txt"}, 0},
      {L"\\" + deep.substr(0, deep.size() - 1), {DeepFolders(12) + L"deep.txt"}, 1},
  };
  for (const Case& c : cases) {
    LPITEMIDLIST pidl = nullptr;
    ASSERT_HRESULT_SUCCEEDED(SHParseDisplayName((MultiByteToWide(tree.Root()) + c.folder).c_str(), nullptr, &pidl, 0, nullptr));
    const std::string path = PidlToPath(pidl);
    CoTaskMemFree(pidl);
    TFolderIndex index;
    Index(path, index);
    const TFolderIndex* const lists[] = {nullptr, &index};
    for (const TFolderIndex* list : lists) {
      TRecording r = Search(tree, "*", [&](TFindFile& s) {
        s.ContainsText = L"needle";
        s.SetPath(path);
        s.ListMode = list != nullptr;
        s.SetPathList(list);
      });
      const char* mode = list != nullptr ? " from the index" : " by walking";
      EXPECT_EQ(RealHits(tree, r.hits), c.hits) << path << mode;
      EXPECT_EQ(r.leftOut, c.leftOut) << path << mode;
    }
  }
}

// On a Japanese system (code page 932) "\x83\x4E" and "\x83\x6E" are two
// katakana that differ in their second byte, which is no letter: a search
// of one folder from the cache lists none of its sibling's files, and a
// ticked folder below the sibling is not taken as covered by the other.
TEST(FileListThread, SiblingsDifferingInASecondBytesCaseStayApartDoubleByteSystem) {
  if (AnsiCodePage() != 932) GTEST_SKIP() << "needs code page 932";
  TTree tree;
  const std::string ku = "\x83\x4E", ha = "\x83\x6E";
  tree.File(ku + "\\a.txt");
  tree.File(ha + "\\sub\\b.txt");
  TFolderIndex index;
  Index(tree.Root(), index);
  TRecording r = Search(tree, "*", [&](TFindFile& s) {
    s.SetPath(tree / ku);
    s.ListMode = true;
    s.SetPathList(&index);
  });
  EXPECT_EQ(r.Hits(), Paths{ku + "\\a.txt"});
  EXPECT_FALSE(IsSameOrBelow(tree / (ha + "\\sub"), tree / ku));
  EXPECT_TRUE(IsSameOrBelow(tree / (ku + "\\sub"), tree / ku));
}
