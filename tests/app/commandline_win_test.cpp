#include <gtest/gtest.h>

#include "app/commandline.h"

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

TEST(CommandLine, SwitchWithoutItsArgumentChangesNothing) {
  EXPECT_TRUE(ParseCommandLine(L"-F", L"").Folder.empty());
  EXPECT_TRUE(ParseCommandLine(L"-L", L"").FileMask.empty());
}

TEST(CommandLine, FileNameWithMaskSyntaxStillFindsItself) {
  EXPECT_EQ(ParseCommandLine(L"-L", L"C:\\x\\my report [1].doc").FileMask, L"my?report??1?.doc");
}

}  // namespace
