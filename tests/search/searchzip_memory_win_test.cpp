// An archive member is searched where it was inflated: the search thread
// holds no copy of it (a big member once cost twice its size and more).
#include <gtest/gtest.h>

#include <string>

#include "search/peak_memory_win.h"
#include "search/search_fixtures_win.h"
#include "search/zip_fixtures.h"

using namespace search_test;

TEST(SearchZipMemory, MemberIsSearchedWithoutACopy) {
  constexpr uint32_t kSpaces = 48u << 20;
  const std::string text = "needle";
  TTree tree;
  uint32_t crc = 0;
  const std::string deflated = DeflateRepeated(" ", kSpaces, true, &crc, text);
  tree.File("a.zip", OneEntryZip("inside.txt", deflated, crc, kSpaces + static_cast<uint32_t>(text.size())));
  TPeakWorkingSet peak;
  if (!peak.Known()) GTEST_SKIP() << "the process peaked higher before this test";
  TRecording r = Search(tree, "*.txt", [](TFindFile& s) {
    s.ContainsText = L"needle";
    s.InZip = true;
  });
  EXPECT_EQ(r.Hits(), std::vector<std::string>{"a.zip"});
  // The member's block and the first buffer it grew from.
  EXPECT_LE(peak.RiseMiB(), 48u + 8u);
}

// A stored member costs nothing to read where it lies, so one past the cap
// on inflated output is searched all the same.
TEST(SearchZipMemory, StoredMemberPastTheInflateCapIsSearched) {
  const uint32_t size = static_cast<uint32_t>(kMaxInflatedBytes) + (1u << 20);
  TTree tree;
  {
    std::string member(size, ' ');
    member.replace(member.size() - 6, 6, "needle");
    tree.File("a.zip", OneEntryZip("inside.txt", member, 0, size, 0));
  }
  TRecording r = Search(tree, "*.txt", [](TFindFile& s) {
    s.ContainsText = L"needle";
    s.InZip = true;
  });
  EXPECT_EQ(r.Hits(), std::vector<std::string>{"a.zip"});
}
