#include "search/extract/rtf2text.h"

#include <gtest/gtest.h>

#include <string>

#include "search/extract/testfiles.h"

namespace {

std::string TextOf(const std::string& rtf) {
  TStringStream source(rtf);
  TRtf2Text converter(source);
  EXPECT_EQ(converter.Output().Position(), 0);
  return StreamText(converter.Output());
}

}  // namespace

TEST(Rtf2Text, ControlWordsAndBracesAreDropped) {
  struct Case {
    const char* rtf;
    std::string text;
  } cases[] = {
      {"{\\rtf1 Hello \\b World\\b0 }", " Hello  World "},
      {"{Hi there}", " there"},
      {"\\'e9", "\xE9"},
      {"\\'07", " "},
      {"\\'zz", " "},
      {"\\\\x\\{y\\}", "\\x{y}"},
  };
  for (const Case& c : cases) EXPECT_EQ(TextOf(c.rtf), c.text) << c.rtf;
  EXPECT_EQ(TextOf(std::string(" a\r\nb\0c", 7)), " abc");
}

// Fault: an escape cut off by the end of the data reads nothing past it.
TEST(Rtf2Text, EscapeCutOffByTheEndWritesNothing) {
  EXPECT_EQ(TextOf(" abc\\"), " abc");
  EXPECT_EQ(TextOf(" abc\\'"), " abc");
  EXPECT_EQ(TextOf(" abc\\'e"), " abc");
}

TEST(Rtf2Text, ReadsAnRtfMadeByPandoc) {
  TRtf2Text converter(DataPath("rtf_pandoc.rtf"));
  std::string text = StreamText(converter.Output());
  for (const char* part : {" First paragraph with", " & more.", " Second paragraph, caf"})
    EXPECT_NE(text.find(part), std::string::npos) << part << " in " << text;
  EXPECT_NE(text.find("{braces} back\\slash."), std::string::npos) << text;
}

// The walk only appends, so every cut of a file gives the start of the text.
TEST(Rtf2Text, CutCopiesGiveTheStartOfTheText) {
  std::string good = Fixture("rtf_pandoc.rtf");
  std::string full = TextOf(good);
  for (size_t n = 0; n <= good.size(); ++n) {
    std::string text = TextOf(good.substr(0, n));
    ASSERT_EQ(full.compare(0, text.size(), text), 0) << "cut at " << n;
  }
  for (const std::string& bad : FlippedCopies(good)) TextOf(bad);
}

TEST(Rtf2Text, MissingFileRaisesTheOpenError) {
  EXPECT_THROW(TRtf2Text(DataPath("no_such.rtf")), EFOpenError);
}
