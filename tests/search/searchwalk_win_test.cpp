// The walk's harder places: names the system code page cannot hold, paths
// too long for the 8-bit calls, folder links against other reparse points,
// online-only files, reports handed over before a slow file is read, and a
// stop that comes during a big file.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/codepage.h"
#include "classlib/streams.h"
#include "search/folderentries.h"
#include "search/hh_standin_win.h"
#include "search/search_fixtures_win.h"
#include "search/searchthread.h"

using namespace search_test;

namespace {

using Names = std::vector<std::string>;

// Every entry of tree, for "needle" in every code page, recorded into r.
void SearchForNeedle(TFindFile& search, TRecording& r, const TTree& tree) {
  search.SetMasks("*");
  search.SetPath(tree.Root());
  search.CodePages = cpAllCodePages;
  search.ContainsText = L"needle";
  Record(search, r, tree);
}

}  // namespace

// Names outside the system code page come by their short names: every
// reported path opens, and a folder so named is walked. (Where the code
// page holds the names they come as they are, with the same outcome.)
TEST(SearchWalk, NamesOutsideTheCodePageAreReachedByTheirShortNames) {
  TTree tree;
  tree.WideFile(L"ПРИВЕТ.TXT", "needle");
  tree.WideFile(L"Папка с пробелами\\inner.txt", "needle");

  TRecording r = Search(tree, "*", [](TFindFile& s) { s.ContainsText = L"needle"; });
  EXPECT_EQ(r.folders, 2);
  ASSERT_EQ(r.hits.size(), 2u);
  for (const TFoundItem& hit : r.hits) {
    EXPECT_EQ(hit.FullName.find('?'), std::string::npos) << hit.FullName;
    EXPECT_NO_THROW(TFileStream(hit.FullName, fmOpenRead | fmShareDenyNone)) << hit.FullName;
  }
}

// Symbolic links and mount points are not entered (nor a reparse point with
// no tag, as Wine shows its host's links); cloud placeholders, deduplicated
// folders and the like are folders to walk.
TEST(SearchWalk, OnlyLinksAndMountPointsAreLinks) {
  EXPECT_TRUE(IsFolderLinkTag(IO_REPARSE_TAG_SYMLINK));
  EXPECT_TRUE(IsFolderLinkTag(IO_REPARSE_TAG_MOUNT_POINT));
  EXPECT_TRUE(IsFolderLinkTag(0));
  const DWORD folders[] = {0x9000001A,   // a cloud file's placeholder
                           0x9000601A,   // the same, another provider
                           0x80000013,   // deduplicated
                           0x80000017};  // a folder under a filter (WOF)
  for (DWORD tag : folders) EXPECT_FALSE(IsFolderLinkTag(tag)) << std::hex << tag;
}

// A hit waiting to be handed over reaches the main thread before a slow
// document after it is converted: the decompiler waits for the hit.
TEST(SearchWalk, WaitingHitIsHandedOverBeforeASlowDocumentIsRead) {
  ASSERT_TRUE(InstallHelpDecompilerStandIn());
  TTree scratch;
  TTree tree;
  tree.File("a.txt", "needle");
  tree.File("sub\\b.chm", ReadBytes(std::string(OVALIS_TEST_DATA) + "\\chm_help.chm"));
  const std::string released = scratch / "released";
  const std::string log = scratch / "hh.log";
  ScopedEnv logEnv("OVALIS_HH_LOG", log);
  ScopedEnv waitEnv("OVALIS_HH_WAIT_FOR", released);
  ScopedEnv pagesEnv("OVALIS_HH_PAGES", "");

  TRecording r;
  TFindFile search;
  SearchForNeedle(search, r, tree);
  search.OnFileFound = [&r, &tree, &released](TObject*, const TFoundItem& found) {
    r.events.push_back(tree.Relative(found.FullName));
    if (found.FullName == tree / "a.txt")
      CloseHandle(CreateFileA(released.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  };
  RunToEnd(search);
  EXPECT_EQ(r.Hits(), (Names{"a.txt", "sub\\b.chm"}));
  const std::string said = ReadBytes(log);
  EXPECT_NE(said.find("\nreleased"), std::string::npos) << said;
}

// Told to stop while a big file is about to be read, the search abandons it
// at its first block (the text at its end is never reached) and reports
// nothing more; what came before still arrives.
TEST(SearchWalk, StopDuringABigFileAbandonsItAndReportsNothingMore) {
  TTree tree;
  tree.File("a.txt", "needle");
  tree.File("sub\\big.bin", std::string(4 << 20, ' ') + "needle");
  TRecording r;
  TFindFile search;
  SearchForNeedle(search, r, tree);
  // The second folder report is that of "sub", whose one entry is the big
  // file: it arrives before the file is read.
  search.OnFolder = [&r, &search](TObject*) {
    if (++r.folders == 2) search.Terminate();
  };
  RunToEnd(search);
  EXPECT_EQ(r.Hits(), Names{"a.txt"});
  EXPECT_EQ(r.folders, 2);
  EXPECT_EQ(search.ItemState(), isFailed) << "the big file was read to its end";
}

// Every file holding the text is found by a path that opens it, and not a
// sibling bearing its lookalike; masks and the choice of text converter see
// each entry's own name, not the short name it is reached by; what lies
// deeper than the 8-bit calls reach is reached through short folder names,
// down to what even they cannot reach.
TEST(SearchWalk, ForeignNamesAndDeepPathsAreFoundByPathsThatOpenThemCyrillicSystem) {
  TTree tree;
  const std::vector<std::wstring> needles = MakeForeignTree(tree);
  struct Case {
    const char* masks;
    const wchar_t* text;
    std::vector<std::wstring> hits;
  };
  const Case cases[] = {
      {"*", L"needle", needles},
      {"*.docx", L"", {L"\u0141\u00F3d\u017A.docx"}},
      {"*.doc", L"", {}},
      {"l*.txt", L"", {L"Lodz.txt", L"L\u00F3dz.txt"}},
  };
  for (const Case& c : cases) {
    TRecording r = Search(tree, c.masks, [&c](TFindFile& s) { s.ContainsText = c.text; });
    EXPECT_EQ(RealHits(tree, r.hits), c.hits) << c.masks;
  }
}

// Reading an online-only file would download it.
TEST(SearchWalk, OnlineOnlyContentsAreLeftUnread) {
  const std::pair<DWORD, bool> cases[] = {
      {FILE_ATTRIBUTE_NORMAL, false}, {FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT, false},
      {FILE_ATTRIBUTE_OFFLINE, true}, {0x00040000, true},  // recall on open
      {0x00400000, true},                                   // recall on data access
  };
  for (const auto& [attributes, onlineOnly] : cases) EXPECT_EQ(IsOnlineOnly(attributes), onlineOnly) << attributes;
}
