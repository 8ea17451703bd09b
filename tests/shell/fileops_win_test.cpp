#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "classlib/codepage.h"

#include "classlib/stringlist.h"
#include "shell/fileops.h"
#include "shell/shell_fixtures.h"

namespace {

std::wstring Wide(const std::string& path) { return MultiByteToWide(path); }

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

// The shell's windows are not the program's: while they ask and show
// progress, no window of the program may take input, and afterwards every
// one does again. The window notes each change of its state as it is told
// of it, with whether the copy had been made by then.
struct TEnableLog {
  static inline WNDPROC original = nullptr;
  static inline std::string copy;
  static inline std::vector<std::pair<bool, bool>> changes;  // (enabled, copy made)
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ENABLE) changes.emplace_back(wParam != 0, PathExists(copy));
    return CallWindowProcA(original, window, message, wParam, lParam);
  }
};

TEST_F(CopyMoveFixture, WindowsTakeNoInputWhileTheShellWorks) {
  HWND window = CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  TEnableLog::copy = dest + "\\c.txt";
  TEnableLog::changes.clear();
  TEnableLog::original =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TEnableLog::Proc)));
  const std::vector<TFileTarget> files = {{Wide(source + "\\a.txt"), Wide(TEnableLog::copy), false, {}, {}}};
  EXPECT_TRUE(TransferFiles(files, TTransfer::Copy));
  EXPECT_EQ(TEnableLog::changes, (std::vector<std::pair<bool, bool>>{{false, false}, {true, true}}));
  EXPECT_TRUE(IsWindowEnabled(window));
  EXPECT_EQ(ReadTextFile(TEnableLog::copy), "alpha");
  DestroyWindow(window);
}

// Only the file the user agreed to replace is replaced: a file that turned
// up at a free target meanwhile is kept, also by a move, which not every
// shell asks about, and so is a replaced file that became a folder.
TEST_F(CopyMoveFixture, TransferKeepsWhatTurnedUpOrChangedAtATarget) {
  ASSERT_TRUE(WriteTextFile(source + "\\c.txt", "gamma"));
  for (const TTransfer transfer : {TTransfer::Copy, TTransfer::Move}) {
    ASSERT_TRUE(WriteTextFile(dest + "\\a.txt", "old a"));
    ASSERT_TRUE(WriteTextFile(dest + "\\c.txt", "old c"));
    const std::vector<TFileTarget> files = {
        {Wide(source + "\\a.txt"), Wide(dest + "\\a.txt"), true, {}, *FileFacts(Wide(dest + "\\a.txt"))},
        {Wide(source + "\\b.txt"), Wide(dest + "\\b.txt"), false, {}, {}},
        {Wide(source + "\\c.txt"), Wide(dest + "\\c.txt"), true, {}, *FileFacts(Wide(dest + "\\c.txt"))}};
    ASSERT_TRUE(WriteTextFile(dest + "\\b.txt", "written meanwhile"));
    ASSERT_TRUE(DeleteFileA((dest + "\\c.txt").c_str()));
    ASSERT_TRUE(CreateDirectoryA((dest + "\\c.txt").c_str(), nullptr));
    TButtonPresser presser({});
    EXPECT_FALSE(TransferFiles(files, transfer));
    EXPECT_EQ(presser.Boxes(), 0);
    EXPECT_EQ(ReadTextFile(dest + "\\a.txt"), "alpha");
    EXPECT_EQ(ReadTextFile(dest + "\\b.txt"), "written meanwhile");
    EXPECT_EQ(ReadTextFile(source + "\\b.txt"), "beta");
    EXPECT_EQ(ReadTextFile(source + "\\c.txt"), "gamma");
    EXPECT_FALSE(PathExists(dest + "\\c.txt\\c.txt"));
    ASSERT_TRUE(RemoveDirectoryA((dest + "\\c.txt").c_str()));
    if (transfer == TTransfer::Move) {
      ASSERT_TRUE(WriteTextFile(source + "\\a.txt", "alpha"));
    }
  }
}

TEST(FileOperations, EmptyListDoesNothingAndFails) {
  TStringList none;
  EXPECT_FALSE(DeleteToRecycleBin(none));
  EXPECT_FALSE(CopyFiles(none, GetTempDir()));
  EXPECT_FALSE(MoveFiles(none, GetTempDir()));
}

// A name that is not fully qualified would mean whatever file the current
// folder holds by it: the shell never gets one.
TEST_F(CopyMoveFixture, NamesThatAreNotFullyQualifiedNeverReachTheShell) {
  char current[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, current);
  SetCurrentDirectoryA(source.c_str());
  TStringList relative;
  relative.Add("a.txt");
  EXPECT_FALSE(DeleteToRecycleBin(relative));
  EXPECT_FALSE(CopyFiles(files, "..\\dest"));
  const std::vector<TFileTarget> pair = {{L"b.txt", Wide(dest + "\\b.txt"), false, {}, {}}};
  EXPECT_FALSE(TransferFiles(pair, TTransfer::Move));
  SetCurrentDirectoryA(current);
  EXPECT_TRUE(PathExists(source + "\\a.txt"));
  EXPECT_TRUE(PathExists(source + "\\b.txt"));
  EXPECT_FALSE(PathExists(dest + "\\a.txt"));
}

TEST(DeleteToRecycleBin, FileGoesToTheRecycleBin) {
  TTempFolder folder;
  std::string name = "recycle-" + std::to_string(GetCurrentProcessId()) + ".txt";
  std::string file = folder / name;
  ASSERT_TRUE(WriteTextFile(file, "bin me"));
  TStringList files;
  files.Add(file);
  {
    TButtonPresser answerer({IDYES});  // the shell asks before it moves a file to the bin
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
