// The search thread over compiled help files with no stand-in decompiler.
// The stand-in lies beside this program, so the test runs a copy of the
// program from a folder of its own: there the system's decompiler runs
// (Wine's writes nothing) and the pages come from the help file's reader.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "classlib/codepage.h"
#include "search/search_fixtures_win.h"
#include "search/searchthread.h"
#include "shell/runandwait.h"

using namespace search_test;

namespace {

constexpr char kTreeVariable[] = "OVALIS_CHM_SEARCH_TREE";
constexpr char kHitsVariable[] = "OVALIS_CHM_SEARCH_HITS";

// One text of each page of chm_codepages.chm: the Windows-1251 one, the
// UTF-8 one.
const std::wstring kTexts[] = {L"мягких французских булок", L"электрификация южных губерний"};

std::string Env(const char* name) {
  char value[MAX_PATH * 2];
  DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n == 0 || n >= sizeof value ? std::string() : std::string(value, n);
}

// The hits of each text, read from the copy's report ("<text> <name>" lines).
std::vector<std::set<std::string>> ReadHits(const std::string& path) {
  std::vector<std::set<std::string>> hits(std::size(kTexts));
  std::istringstream in(ReadBytes(path));
  size_t text;
  std::string name;
  while (in >> text >> name)
    if (text < hits.size()) hits[text].insert(name);
  return hits;
}

}  // namespace

// Run in the copy: searches the tree for each text, every code page on, and
// reports the hits.
TEST(ChmSearchChild, DISABLED_SearchTree) {
  const std::string root = Env(kTreeVariable), report = Env(kHitsVariable);
  ASSERT_FALSE(root.empty());
  std::ofstream out(report, std::ios::binary);
  for (size_t i = 0; i < std::size(kTexts); ++i) {
    TFindFile search;
    search.SetMasks("*.chm");
    search.SetPath(root);
    search.CodePages = cpAllCodePages;
    search.ContainsText = kTexts[i];
    search.OnFileFound = [&](TObject*, const TFoundItem& found) {
      out << i << " " << found.FullName.substr(root.size() + 1) << "\n";
    };
    RunToEnd(search);
  }
}

// A help file compiled with one page in Windows-1251 and one in UTF-8 is
// found by both texts (the first needs a Cyrillic system); a cut and a
// damaged copy neither crash the search nor match.
TEST(SearchThread, ChmPagesAreFoundWithoutADecompilerBothEncodingsOnACyrillicSystem) {
  TTree tree, program;
  const std::string good = ReadBytes(DataFile("chm_codepages.chm"));
  tree.File("good.chm", good);
  tree.File("cut.chm", good.substr(0, good.size() / 2));
  // chmcmd writes the compressed pages last; every 7th byte of them is inverted.
  std::string damaged = good;
  for (size_t i = damaged.size() - 2000; i < damaged.size(); i += 7) damaged[i] = static_cast<char>(~damaged[i]);
  tree.File("damaged.chm", damaged);

  char self[MAX_PATH] = {};
  ASSERT_NE(GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);
  const std::string copy = program / "search_copy.exe";
  ASSERT_TRUE(CopyFileA(self, copy.c_str(), FALSE));
  const std::string report = program / "hits.txt";
  SetEnvironmentVariableA(kTreeVariable, tree.Root().c_str());
  SetEnvironmentVariableA(kHitsVariable, report.c_str());
  const int exitCode = RunAndWait(
      "\"" + copy + "\" --gtest_also_run_disabled_tests --gtest_filter=ChmSearchChild.DISABLED_SearchTree", "",
      SW_HIDE);
  SetEnvironmentVariableA(kTreeVariable, nullptr);
  SetEnvironmentVariableA(kHitsVariable, nullptr);
  ASSERT_EQ(exitCode, 0);

  const std::vector<std::set<std::string>> hits = ReadHits(report);
  EXPECT_EQ(hits[1], std::set<std::string>{"good.chm"});
  if (AnsiCodePage() == 1251)
    EXPECT_EQ(hits[0], std::set<std::string>{"good.chm"});
  else
    EXPECT_EQ(hits[0], std::set<std::string>{}) << "Windows-1251 bytes are no text of this system";
}
