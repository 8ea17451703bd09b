#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "search/folderindex.h"

namespace {

using Paths = std::vector<std::string>;

TEST(FolderIndex, KeepsOnePathPerNameWhateverItsCaseInSortedOrder) {
  TFolderIndex index;
  index.AddAll({"C:\\Data\\b.txt", "C:\\Data", "C:\\Data\\A.txt", "C:\\Data\\a.TXT", "C:\\DATA\\B.TXT"});
  index.Add("C:\\Data\\a.txt");
  EXPECT_EQ(index.Paths(), (Paths{"C:\\Data", "C:\\Data\\A.txt", "C:\\Data\\b.txt"}));
  EXPECT_EQ(index.Count(), 3);
  EXPECT_TRUE(index.Contains("c:\\data\\B.txt"));
  EXPECT_FALSE(index.Contains("C:\\Data\\c.txt"));
}

TEST(FolderIndex, PathsBelowAFolderLeaveOutTheFolderItselfAndItsLookalikeNeighbours) {
  TFolderIndex index;
  index.AddAll({"C:\\Data", "C:\\Data\\1.txt", "C:\\Data\\Old", "C:\\Data\\Old\\2.txt", "C:\\Data2",
                "C:\\Data2\\3.txt", "C:\\Database.txt", "D:\\Data\\4.txt"});
  EXPECT_EQ(index.PathsBelow("C:\\Data", true), (Paths{"C:\\Data\\1.txt", "C:\\Data\\Old", "C:\\Data\\Old\\2.txt"}));
  EXPECT_EQ(index.PathsBelow("c:\\DATA", false), (Paths{"C:\\Data\\1.txt", "C:\\Data\\Old"}));
  EXPECT_EQ(index.PathsBelow("C:", false), (Paths{"C:\\Data", "C:\\Data2", "C:\\Database.txt"}));
  EXPECT_TRUE(index.PathsBelow("C:\\Data\\1.txt", true).empty());
  EXPECT_TRUE(index.PathsBelow("E:", true).empty());
}

// Where a path grew too long the walk spelled the folder's deepest parts by
// their short names: such paths lie below it too, and so do the entries
// the walk left out of it and of the folders below it.
TEST(FolderIndex, PathsSpelledThroughTheFoldersShortNamesAreBelowIt) {
  TFolderIndex index;
  index.AddAll({"C:\\Long name\\Deep folder\\a.txt", "C:\\Long name\\DEEPFO~1\\b.txt", "C:\\LONGNA~1\\DEEPFO~1\\c.txt",
                "C:\\LONGNA~1\\DEEPFO~1\\sub\\d.txt", "C:\\LONGNA~1\\DEEPFO~2\\e.txt", "C:\\Long name\\f.txt"});
  index.SetLeftOut("C:\\LONGNA~1\\DEEPFO~1", 2);
  index.SetLeftOut("C:\\LONGNA~1\\DEEPFO~1\\sub", 3);
  index.SetLeftOut("C:\\Long name", 5);
  index.SetLeftOut("C:\\Long name", 5);  // walked again by an overlapping indexer
  auto sorted = [](Paths paths) {
    std::sort(paths.begin(), paths.end());
    return paths;
  };
  const TFolderIndex::TBelow deep = index.PathsBelow("C:\\Long name\\Deep folder", "C:\\LONGNA~1\\DEEPFO~1", true);
  EXPECT_EQ(sorted(deep.Paths), (Paths{"C:\\LONGNA~1\\DEEPFO~1\\c.txt", "C:\\LONGNA~1\\DEEPFO~1\\sub\\d.txt",
                                       "C:\\Long name\\DEEPFO~1\\b.txt", "C:\\Long name\\Deep folder\\a.txt"}));
  EXPECT_EQ(deep.LeftOut, 5);
  const TFolderIndex::TBelow flat = index.PathsBelow("C:\\Long name\\Deep folder", "C:\\LONGNA~1\\DEEPFO~1", false);
  EXPECT_EQ(flat.Paths.size(), 3u);
  EXPECT_EQ(flat.LeftOut, 2);
  EXPECT_EQ(index.PathsBelow("C:\\Long name", "C:\\LONGNA~1", true).LeftOut, 10);
}

TEST(FolderIndex, BelowComparesLettersWithoutCase) {
  EXPECT_TRUE(IsPathBelow("C:\\DATA\\x", "c:\\data", true));
  EXPECT_TRUE(IsPathBelow("C:\\Data\\x\\y", "C:\\Data", false));
  EXPECT_FALSE(IsPathBelow("C:\\Data\\x\\y", "C:\\Data", true));
  EXPECT_FALSE(IsPathBelow("C:\\Data", "C:\\Data", false));
  EXPECT_FALSE(IsPathBelow("C:\\Data\\", "C:\\Data", false));
  EXPECT_FALSE(IsPathBelow("C:\\Datax\\y", "C:\\Data", false));
  EXPECT_TRUE(IsPathBelow("C:\\Caf\xC9\\x", "C:\\caf\xE9", true)) << "Latin capitals outside ASCII";
}

}  // namespace
