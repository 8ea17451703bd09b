#include <windows.h>

#include <gtest/gtest.h>

#include "classlib/stringlist.h"
#include "shell/fileops.h"
#include "shell/shell_fixtures.h"

namespace {

struct CopyMoveFixture : testing::Test {
  void SetUp() override {
    source = folder / "source";
    dest = folder / "dest";
    ASSERT_TRUE(CreateDirectoryA(source.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(dest.c_str(), nullptr));
    ASSERT_TRUE(WriteTextFile(source + "\\a.txt", "alpha"));
    ASSERT_TRUE(WriteTextFile(source + "\\b.txt", "beta"));
    files.Add(source + "\\a.txt");
    files.Add(source + "\\b.txt");
  }
  TTempFolder folder;
  std::string source, dest;
  TStringList files;
};

TEST_F(CopyMoveFixture, CopyFilesCopiesEveryListedFile) {
  EXPECT_TRUE(CopyFiles(files, dest));
  EXPECT_EQ(ReadTextFile(dest + "\\a.txt"), "alpha");
  EXPECT_EQ(ReadTextFile(dest + "\\b.txt"), "beta");
  EXPECT_TRUE(PathExists(source + "\\a.txt"));
  EXPECT_TRUE(PathExists(source + "\\b.txt"));
}

// An empty line would have ended the shell's list early and dropped the rest.
TEST_F(CopyMoveFixture, EmptyNameInTheListDoesNotHideLaterNames) {
  files.Insert(1, "");
  EXPECT_TRUE(CopyFiles(files, dest));
  EXPECT_TRUE(PathExists(dest + "\\a.txt"));
  EXPECT_TRUE(PathExists(dest + "\\b.txt"));
}

TEST_F(CopyMoveFixture, MoveFilesMovesAFile) {
  files.Delete(1);
  EXPECT_TRUE(MoveFiles(files, dest));
  EXPECT_EQ(ReadTextFile(dest + "\\a.txt"), "alpha");
  EXPECT_FALSE(PathExists(source + "\\a.txt"));
}

TEST_F(CopyMoveFixture, MoveFilesMovesEveryListedFile) {
  // Wine 8 moves only the first of several files into one folder and reports
  // the operation cancelled.
  if (IsWine()) GTEST_SKIP() << "Wine moves one file of several";
  EXPECT_TRUE(MoveFiles(files, dest));
  EXPECT_EQ(ReadTextFile(dest + "\\a.txt"), "alpha");
  EXPECT_EQ(ReadTextFile(dest + "\\b.txt"), "beta");
  EXPECT_FALSE(PathExists(source + "\\a.txt"));
  EXPECT_FALSE(PathExists(source + "\\b.txt"));
}

TEST(FileOperations, EmptyListDoesNothingAndFails) {
  TStringList none;
  EXPECT_FALSE(DeleteToRecycleBin(none));
  EXPECT_FALSE(CopyFiles(none, GetTempDir()));
  EXPECT_FALSE(MoveFiles(none, GetTempDir()));
}

TEST(DeleteToRecycleBin, FileGoesToTheRecycleBin) {
  TTempFolder folder;
  std::string name = "recycle-" + std::to_string(GetCurrentProcessId()) + ".txt";
  std::string file = folder / name;
  ASSERT_TRUE(WriteTextFile(file, "bin me"));
  TStringList files;
  files.Add(file);
  {
    TConfirmAnswerer answerer;  // the shell asks before it moves a file to the bin
    EXPECT_TRUE(DeleteToRecycleBin(files));
  }
  EXPECT_FALSE(PathExists(file));
  char dataHome[MAX_PATH] = {};
  if (IsWine() && GetEnvironmentVariableA("XDG_DATA_HOME", dataHome, MAX_PATH) != 0) {
    std::string trash = DosNameOfUnixPath(std::string(dataHome) + "/Trash/files/" + name);
    ASSERT_FALSE(trash.empty());
    EXPECT_EQ(ReadTextFile(trash), "bin me");
  }
}

}  // namespace
