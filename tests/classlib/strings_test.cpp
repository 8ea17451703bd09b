#include <gtest/gtest.h>

#include "classlib/codepage.h"
#include "classlib/exceptions.h"
#include "classlib/fileexists.h"
#include "classlib/paths.h"
#include "classlib/strutils.h"
#include "testdata.h"

TEST(Paths, SplitsFolderNameAndExtension) {
  EXPECT_EQ(ExtractFilePath("C:\\a\\b.txt"), "C:\\a\\");
  EXPECT_EQ(ExtractFileDir("C:\\a\\b.txt"), "C:\\a");
  EXPECT_EQ(ExtractFileDir("C:\\b.txt"), "C:\\");
  EXPECT_EQ(ExtractFileName("C:\\a\\b.txt"), "b.txt");
  EXPECT_EQ(ExtractFileExt("C:\\a.d\\b"), "");
  EXPECT_EQ(ExtractFileExt("C:\\a\\b.tar.gz"), ".gz");
  EXPECT_EQ(ChangeFileExt("C:\\a\\b.txt", ".htm"), "C:\\a\\b.htm");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\a"), "C:\\a\\");
  EXPECT_EQ(ExcludeTrailingBackslash("C:\\a\\"), "C:\\a");
}

// On a Japanese system (code page 932) "\x83\x5C" is one katakana whose
// second byte is a "\": it neither splits a path nor ends a folder's name.
TEST(Paths, ASecondByteBackslashIsNoDelimiterDoubleByteSystem) {
  if (AnsiCodePage() != 932) GTEST_SKIP() << "needs code page 932";
  const std::string so = "\x83\x5C";
  EXPECT_EQ(PathParts("C:\\" + so + "\\a"), (std::vector<std::string_view>{"C:", so, "a"}));
  EXPECT_EQ(ExcludeTrailingBackslash("C:\\" + so), "C:\\" + so);
}

TEST(StrToInt, AcceptsDecimalAndHexRefusesJunk) {
  EXPECT_EQ(StrToInt(" 42 "), 42);
  EXPECT_EQ(StrToInt("-7"), -7);
  EXPECT_EQ(StrToInt("$FF"), 255);
  EXPECT_EQ(StrToInt("0x10"), 16);
  EXPECT_EQ(StrToIntDef("12a", -1), -1);
  EXPECT_EQ(StrToIntDef("", 5), 5);
  EXPECT_EQ(StrToIntDef("99999999999", 3), 3);
  EXPECT_THROW(StrToInt("x"), EConvertError);
}

// Numbers as files write them: a point, never the user's decimal comma.
TEST(StrToFloat, ReadsDecimalTextAndRefusesEverythingElse) {
  EXPECT_DOUBLE_EQ(StrToFloatDef(" 2.2 ", 0), 2.2);
  EXPECT_DOUBLE_EQ(StrToFloatDef("+.5", 0), 0.5);
  EXPECT_DOUBLE_EQ(StrToFloatDef("-3.", 0), -3.0);
  EXPECT_DOUBLE_EQ(StrToFloatDef("45e-2", 0), 0.45);
  EXPECT_DOUBLE_EQ(StrToFloatDef("1.0\t\r\n", 0), 1.0);
  for (const char* junk : {"", "  ", ".", "-", "2,2", "2.2x", "e5", "1e", "1e+", "0x10", "nan", "inf",
                           "1e999", "1 2", "--1"})
    EXPECT_DOUBLE_EQ(StrToFloatDef(junk, 7.5), 7.5) << junk;
  double value = 3;
  EXPECT_FALSE(TryStrToFloat("abc", value));
  EXPECT_EQ(value, 3);
}

TEST(FileExists, FilesOnlyNotFoldersOrMissingNames) {
  EXPECT_TRUE(FileExists(TestData("grey.jpg")));
  EXPECT_FALSE(FileExists(TestData("no-such-file.jpg")));
  EXPECT_FALSE(FileExists(OVALIS_TEST_DATA));
  EXPECT_FALSE(FileExists(""));
}

TEST(Case, AnsiCaseFollowsTheCodePageAsciiCaseDoesNot) {
  // E with acute accent in code page 1252.
  EXPECT_EQ(AnsiUpperCase("caf\xE9"), "CAF\xC9");
  EXPECT_EQ(UpperCase("caf\xE9"), "CAF\xE9");
  EXPECT_EQ(WideUpperCase(L"\x0436"), L"\x0416");
  EXPECT_EQ(AnsiCompareText("abc", "ABC"), 0);
  EXPECT_LT(AnsiCompareStr("a", "b"), 0);
}

TEST(CodePage, ReportsCharactersTheCodePageCannotHold) {
  bool usedDefault = false;
  std::string s = WideToMultiByte(L"\x0416", kAnsiCodePage, &usedDefault);
  EXPECT_TRUE(usedDefault);
  EXPECT_EQ(MultiByteToWide("\xC3\xA9", kUtf8CodePage), L"\x00E9");
  EXPECT_EQ(WideToMultiByte(L"\x00E9", kUtf8CodePage), "\xC3\xA9");
  EXPECT_EQ(CharToOemString("\xE9"), "\x82");
  EXPECT_EQ(OemToCharString("\x82"), "\xE9");
}

namespace {

TEST(Strings, SortKeysOrderTextsAsTheLocaleComparesThem) {
  const std::vector<std::string> texts = {"b.txt", "A.txt", "a.TXT", "ab", "abc", "a-b", "a b", "Z", "z1", "",
                                          "10.doc", "9.doc", "\xC9t\xE9", "Ete", "_x", "~y"};
  for (const std::string& a : texts)
    for (const std::string& b : texts) {
      const int byCompare = AnsiCompareText(a, b);
      const int byKey = AnsiSortKeyText(a).compare(AnsiSortKeyText(b));
      EXPECT_EQ(byCompare < 0, byKey < 0) << "'" << a << "' vs '" << b << "'";
      EXPECT_EQ(byCompare == 0, byKey == 0) << "'" << a << "' vs '" << b << "'";
    }
}

}  // namespace
