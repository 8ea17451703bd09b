#include <gtest/gtest.h>

#include <windows.h>

#include "app/commandline.h"
#include "app_fixtures.h"
#include "classlib/codepage.h"

namespace {

TEST(CommandLine, OnlyTheSecondCharacterOfTheFirstArgumentCounts) {
  EXPECT_EQ(ParseCommandLine(L"-f", L"C:\\Data").Folder, "C:\\Data");
  EXPECT_EQ(ParseCommandLine(L"/F", L"C:\\Data").Folder, "C:\\Data");
  EXPECT_EQ(ParseCommandLine(L"xF", L"C:\\Data").Folder, "C:\\Data");
  EXPECT_EQ(ParseCommandLine(L"-L", L"C:\\Docs\\report.doc").FileMask, L"report.doc");
  const TCommandLine nothing = ParseCommandLine(L"F", L"C:\\Data");  // one character selects nothing
  EXPECT_TRUE(nothing.Folder.empty());
  EXPECT_TRUE(nothing.FileMask.empty());
  EXPECT_TRUE(ParseCommandLine(L"-Q", L"C:\\Data").Folder.empty());
}

// "-F ." names the folder the program started in, whatever the current
// folder later becomes.
TEST(CommandLine, RelativeFolderIsMadeFull) {
  char current[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, current);
  EXPECT_EQ(ParseCommandLine(L"-F", L".").Folder, current);
  EXPECT_EQ(ParseCommandLine(L"-F", L"docs").Folder, std::string(current) + "\\docs");
}

TEST(CommandLine, SwitchWithoutItsArgumentChangesNothing) {
  EXPECT_TRUE(ParseCommandLine(L"-F", L"").Folder.empty());
  EXPECT_TRUE(ParseCommandLine(L"-L", L"").FileMask.empty());
}

TEST(CommandLine, FileNameWithMaskSyntaxStillFindsItself) {
  EXPECT_EQ(ParseCommandLine(L"-L", L"C:\\x\\my report [1].doc").FileMask, L"my?report??1?.doc");
}

// Names this (Western) system's code page cannot hold: the file's reaches the
// field as typed, where it is refused instead of turning into "?" wildcards;
// the folder is reached by its short name.
TEST(CommandLine, NamesOutsideTheCodePageStayThemselves) {
  const std::wstring name = L"\x041F\x0440\x0438\x0432\x0435\x0442";
  EXPECT_EQ(ParseCommandLine(L"-L", L"C:\\x\\" + name).FileMask, name);

  app_test::TTempFolder parent;
  const std::wstring folder = MultiByteToWide(parent.Path()) + L"\\" + name;
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::string reached = ParseCommandLine(L"-F", folder).Folder;
  EXPECT_EQ(reached.find('?'), std::string::npos) << reached;
  const DWORD attributes = GetFileAttributesA(reached.c_str());
  EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) << reached;
}

// A folder that no name in the code page reaches is refused, never taken
// for the sibling its best-fit lookalike names. (Under Wine every name has a
// short name; a folder that is not there has none, as on a volume that makes
// none.)
TEST(CommandLine, FolderWithoutAShortNameIsRefusedNotTakenForItsLookalike) {
  app_test::TTempFolder parent;
  const std::wstring base = MultiByteToWide(parent.Path()) + L"\\";
  ASSERT_TRUE(CreateDirectoryW((base + L"Gdansk").c_str(), nullptr));
  const TCommandLine line = ParseCommandLine(L"-F", base + L"Gda\u0144sk");
  EXPECT_TRUE(line.Folder.empty()) << line.Folder;
  EXPECT_EQ(line.RefusedFolder, base + L"Gda\u0144sk");
  EXPECT_TRUE(ParseCommandLine(L"-F", base + L"Gdansk").RefusedFolder.empty());
}

}  // namespace
