#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "search/searchcriteria.h"

namespace {

TEST(SearchCriteria, TypeMasksAreTheTextBetweenTheParentheses) {
  EXPECT_EQ(ExtractTypeMasks("Text files: (*.txt)"), "*.txt");
  EXPECT_EQ(ExtractTypeMasks("MS Word: (*.doc; *.rtf)"), "*.doc; *.rtf");
  EXPECT_EQ(ExtractTypeMasks("no parentheses"), "");
  EXPECT_EQ(ExtractTypeMasks("*.txt)"), "*.txt");          // no "(": from the start
  EXPECT_EQ(ExtractTypeMasks("odd ) order (*.x"), "");     // ")" before the start
  EXPECT_EQ(ExtractTypeMasks("open (*.x"), "");            // no ")"
}

TEST(SearchCriteria, NameMaskPutsTheNameBeforeEveryDotOfTheTypeMasks) {
  EXPECT_EQ(BuildNameMask("report", "*.doc; *.rtf"), "*report*.doc; *report*.rtf");
  EXPECT_EQ(BuildNameMask("abc", "*.*"), "*abc*.*");
  EXPECT_EQ(BuildNameMask("report.doc", "*.pdf"), "report.doc");
  EXPECT_EQ(BuildNameMask("", "*.*"), "*.*");
  EXPECT_EQ(BuildNameMask("", ""), "*.*");
  EXPECT_EQ(BuildNameMask("", "*.pdf"), "*.pdf");
  EXPECT_EQ(BuildNameMask("abc", "*"), "*");  // masks without "." keep as they are
}

TEST(SearchCriteria, TypedNameNeverVanishesIntoAnEmptyMaskText) {
  // A type line without parentheses gives no masks; the name alone must
  // still narrow the search rather than list nothing or everything.
  EXPECT_EQ(BuildNameMask("abc", ""), "*abc*");
}

TEST(SearchCriteria, FileArgumentKeepsTheNameAndHidesMaskSyntax) {
  EXPECT_EQ(MaskFromFileArgument(L"C:\\Docs\\report.doc"), L"report.doc");
  EXPECT_EQ(MaskFromFileArgument(L"C:report.doc"), L"report.doc");
  EXPECT_EQ(MaskFromFileArgument(L"report.doc"), L"report.doc");
  // Blanks, commas and semicolons would cut the name into several masks,
  // brackets would make a set that never matches the name itself.
  EXPECT_EQ(MaskFromFileArgument(L"C:\\x\\my report [v2],final;1.doc"), L"my?report??v2??final?1.doc");
}

TEST(SearchCriteria, CodePageSetFromTheBoxes) {
  TCodePageChoice choice;
  EXPECT_EQ(CodePageSetOf(choice), cpAnsi);  // none ticked
  choice.Utf8 = true;
  EXPECT_EQ(CodePageSetOf(choice), cpUtf8);
  choice.Ansi = choice.Oem = choice.Koi8 = choice.Wp5Dos = choice.Unicode = true;
  EXPECT_EQ(CodePageSetOf(choice), 63u);
  TCodePageChoice all;
  all.All = true;
  EXPECT_EQ(CodePageSetOf(all), cpAllCodePages);
}

TEST(SearchCriteria, SizeLimitComparesInTheChosenUnitAndLetsTheLimitItselfPass) {
  const TSizeLimit atLeastOneK("1", 1, 2);
  EXPECT_TRUE(atLeastOneK.Accepts(1024));
  EXPECT_FALSE(atLeastOneK.Accepts(1023));
  const TSizeLimit atMostOneK("1", 1, 1);
  EXPECT_TRUE(atMostOneK.Accepts(1024));
  EXPECT_FALSE(atMostOneK.Accepts(1025));
  const TSizeLimit exactly("100", 0, 0);
  EXPECT_TRUE(exactly.Accepts(100));
  EXPECT_FALSE(exactly.Accepts(101));
  EXPECT_EQ(TSizeLimit("5000", 2, 2).Bytes(), 5242880000LL);
  EXPECT_TRUE(TSizeLimit("many", 1, 2).Accepts(0));  // not a number: 0
  EXPECT_TRUE(TSizeLimit("1", 1, -1).Accepts(5));    // no comparison chosen
  EXPECT_TRUE(TSizeLimit().Accepts(-1));             // no limit at all
}

TEST(SearchCriteria, SizeLimitSaturatesInsteadOfOverflowing) {
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  const TSizeLimit huge("9000000000000000000", 2, 1);
  EXPECT_EQ(huge.Bytes(), kMax);
  EXPECT_TRUE(huge.Accepts(kMax));  // not a negative limit that passes nothing
  EXPECT_EQ(TSizeLimit("-9000000000000000000", 2, 0).Bytes(), std::numeric_limits<int64_t>::min());
}

TEST(SearchCriteria, PlainTextFitsTheAnsiCodePage) {
  EXPECT_EQ(FindCharOutsideAnsi(L"report*.doc"), std::wstring_view::npos);
  EXPECT_EQ(FindCharOutsideAnsi(L""), std::wstring_view::npos);
}

}  // namespace

namespace {

TEST(SearchCriteria, EndOfDayKeepsTheDayAndReachesItsLastMillisecond) {
  const TDateTime noon = EncodeDate(2024, 2, 29) + 0.5;
  const TDateTime end = EndOfDay(noon);
  int y, mo, d, h, mi, s, ms;
  DecodeDateTime(end, y, mo, d, h, mi, s, ms);
  EXPECT_EQ(y * 10000 + mo * 100 + d, 20240229);
  EXPECT_EQ(h * 10000000 + mi * 100000 + s * 1000 + ms, 235959999);
  EXPECT_LT(EndOfDay(EncodeDate(1899, 12, 29)), EncodeDate(1899, 12, 30));  // before day 0 too
}

}  // namespace
