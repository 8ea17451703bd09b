#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_link_win.h"
#include "shell/folders.h"
#include "shell/growtext.h"
#include "shell/shell_fixtures.h"

namespace {

TEST(RemoveTrailingBackslash, DropsOnlyAFinalBackslashOfALongerText) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {{"C:\\a\\", "C:\\a"}, {"C:\\a", "C:\\a"}, {"\\", "\\"},
               {"", ""},             {"a\\\\", "a\\"}, {"C:\\", "C:"}};
  for (const Case& c : cases) EXPECT_EQ(RemoveTrailingBackslash(c.in), c.out) << c.in;
}

TEST(GetTempDir, IsAnExistingFolderEndingInBackslash) {
  std::string temp = GetTempDir();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), '\\');
  EXPECT_TRUE(GetFileAttributesA(temp.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

// A system answer longer than the first buffer used to be read past the
// buffer's end. (Wine refuses temporary folders of MAX_PATH characters, so a
// stand-in plays the system here.)
TEST(QueryGrowingText, AnswerLongerThanTheFirstBufferComesWhole) {
  const std::string answer = "C:\\" + std::string(400, 't') + "\\";
  int calls = 0;
  auto system = [&](uint32_t capacity, char* buffer) -> uint32_t {
    ++calls;
    if (capacity < answer.size() + 1) return static_cast<uint32_t>(answer.size() + 1);
    answer.copy(buffer, answer.size());
    buffer[answer.size()] = '\0';
    return static_cast<uint32_t>(answer.size());
  };
  EXPECT_EQ(QueryGrowingText(system, MAX_PATH), answer);
  EXPECT_EQ(calls, 2);
}

TEST(QueryGrowingText, FailureOrEndlessGrowthGivesEmptyText) {
  EXPECT_EQ(QueryGrowingText([](uint32_t, char*) -> uint32_t { return 0; }), "");
  EXPECT_EQ(QueryGrowingText([](uint32_t capacity, char*) -> uint32_t { return capacity * 2; }), "");
  // An answer that exactly fills the buffer but its terminator is too long by one.
  auto exact = [](uint32_t capacity, char* buffer) -> uint32_t {
    if (capacity < 11) return 11;
    std::string("0123456789").copy(buffer, 10);
    buffer[10] = '\0';
    return 10;
  };
  EXPECT_EQ(QueryGrowingText(exact, 10), "0123456789");
}

// Builds folder\a.txt, folder\sub\b.txt, folder\sub\deeper\c.txt, folder\empty.
void BuildTree(const std::string& folder) {
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((folder + "\\sub").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((folder + "\\sub\\deeper").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((folder + "\\empty").c_str(), nullptr));
  ASSERT_TRUE(WriteTextFile(folder + "\\a.txt", "a"));
  ASSERT_TRUE(WriteTextFile(folder + "\\sub\\b.txt", "b"));
  ASSERT_TRUE(WriteTextFile(folder + "\\sub\\deeper\\c.txt", "c"));
}

TEST(DeleteTree, DeletesTheSameTreeWithOrWithoutTrailingBackslash) {
  for (const char* suffix : {"", "\\"}) {
    SCOPED_TRACE(*suffix ? "with backslash" : "without backslash");
    TTempFolder folder;
    std::string tree = folder / "tree";
    BuildTree(tree);
    ASSERT_TRUE(WriteTextFile(folder / "beside.txt", "stays"));
    DeleteTree(tree + suffix);
    EXPECT_FALSE(PathExists(tree));
    EXPECT_TRUE(PathExists(folder / "beside.txt"));
  }
}

TEST(DeleteTree, MissingFolderIsIgnored) {
  TTempFolder folder;
  DeleteTree(folder / "absent");
  DeleteTree(folder / "absent\\");
  EXPECT_TRUE(PathExists(folder.Path()));
}

// Removes the links it is given when the test ends, so that no folder of the
// test is left behind.
struct LinksRemovedAtEnd {
  std::vector<std::string> links;
  ~LinksRemovedAtEnd() {
    for (const std::string& link : links) RemoveFolderLink(link);
  }
};

// A link inside the tree, or the tree itself being a link, used to be
// followed, deleting the files of the folder it points at.
TEST(DeleteTree, LeavesWhatAFolderLinkPointsAt) {
  TTempFolder folder;
  std::string outside = folder / "outside";
  ASSERT_TRUE(CreateDirectoryA(outside.c_str(), nullptr));
  ASSERT_TRUE(WriteTextFile(outside + "\\keep.txt", "keep"));
  std::string tree = folder / "tree";
  BuildTree(tree);
  LinksRemovedAtEnd cleanup{{tree + "\\link", folder / "toplink"}};
  if (!MakeFolderLink(tree + "\\link", outside)) GTEST_SKIP() << "no folder links on this system";
  ASSERT_TRUE(MakeFolderLink(folder / "toplink", outside));

  DeleteTree(folder / "toplink");
  EXPECT_EQ(ReadTextFile(outside + "\\keep.txt"), "keep");

  DeleteTree(tree);
  EXPECT_EQ(ReadTextFile(outside + "\\keep.txt"), "keep");
  EXPECT_FALSE(PathExists(tree + "\\a.txt"));
  EXPECT_FALSE(PathExists(tree + "\\sub"));
  // Wine refuses to remove a host link to a folder that is not empty; Windows
  // removes the link and with it the tree.
  if (!IsWine()) {
    EXPECT_FALSE(PathExists(tree));
    EXPECT_FALSE(PathExists(folder / "toplink"));
  }
}

}  // namespace
