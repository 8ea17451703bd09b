#include <gtest/gtest.h>

#include "classlib/codepage.h"
#include "classlib/streams.h"
#include "search/stringsearch.h"
#include "search_test_util.h"

using namespace search_test;

namespace {

std::string Zeros(size_t n) { return std::string(n, '\0'); }

// Puts piece at offset into a stream of NUL bytes at least size long.
std::string Place(std::string bytes, size_t offset, const std::string& piece) {
  if (bytes.size() < offset + piece.size()) bytes.resize(offset + piece.size(), '\0');
  bytes.replace(offset, piece.size(), piece);
  return bytes;
}

}  // namespace

// An occurrence lying across a read block or the 64 KiB decision-block edge
// is found where it lies; the same text wholly inside either block too.
TEST(StringSearch, FindsTextAcrossTheBlockEdge) {
  for (size_t offset : {65536 - 6, 65536 - 5, 65536 - 1, 65536, 100, 70000}) {
    const std::string bytes = Place(Zeros(140000), offset, "needle");
    const auto hits = Hits(bytes, {L"needle"});
    ASSERT_EQ(hits.size(), 1u) << offset;
    EXPECT_EQ(hits[0], (Hit{static_cast<int64_t>(offset), 6, cpAnsi, "needle",
                            static_cast<int64_t>(offset) + 11}));
  }
}

// A longer text is found at every offset, the very first included, among
// near misses that share its beginning and its end.
TEST(StringSearch, FindsALongTextAtEveryOffsetAmongNearMisses) {
  const std::string noise = "needle needls eedles neexles ";
  for (size_t offset = 0; offset < 40; ++offset) {
    std::string bytes;
    while (bytes.size() < offset) bytes += noise;
    bytes = bytes.substr(0, offset) + "needles" + noise;
    const auto hits = Hits(bytes, {L"needles"});
    ASSERT_EQ(hits.size(), 1u) << offset;
    EXPECT_EQ(hits[0].offset, static_cast<int64_t>(offset));
  }
}

// UTF-16 text counts only at even distances from where the search began.
TEST(StringSearch, Utf16TextCountsOnlyAtEvenDistancesFromTheStart) {
  const std::string wide = Encode(L"wide", kUtf16);
  EXPECT_TRUE(Hits(Place(Zeros(20), 9, wide), {L"wide", cpUnicode}).empty());
  EXPECT_EQ(Hits(Place(Zeros(20), 8, wide), {L"wide", cpUnicode}),
            (std::vector<Hit>{{8, 8, cpUnicode, "wide", 8 + 16 - 2}}));
  Query fromOdd{L"wide", cpUnicode};
  fromOdd.from = 1;
  EXPECT_EQ(Hits(Place(Zeros(20), 9, wide), fromOdd), (std::vector<Hit>{{9, 8, cpUnicode, "wide", 23}}));
}

// With "WP5 for DOS" the DOS search looks for the hyphen both as "-" and as
// 0xA9, and a text without a hyphen is the plain DOS search.
TEST(StringSearch, Wp5DosFindsTheHyphenAsA9AndAsItself) {
  const Query q{L"a-b", cpOem | cpWp5Dos};
  for (const std::string& bytes : {std::string("xx a-b xx"), std::string("xx a\xA9" "b xx")}) {
    const auto hits = Hits(bytes, q);
    ASSERT_EQ(hits.size(), 1u) << bytes;
    EXPECT_EQ(hits[0].offset, 3);
    EXPECT_EQ(hits[0].codePage, cpOem);
    EXPECT_EQ(Hits(bytes, {L"A-B", cpWp5Dos}).size(), 1u) << "either case";
  }
  EXPECT_TRUE(Hits("xx a\xA9" "b xx", {L"a-b", cpOem}).empty()) << "0xA9 only with WP5";

  TStringSearch search;
  search.SetCodePages(cpWp5Dos);
  search.SetSearchText(L"a-b");
  EXPECT_EQ(search.CodePages(), cpWp5Dos | cpOem);
  EXPECT_EQ(Hits("xx ab xx", {L"ab", cpWp5Dos}).size(), 1u);
}

// Case-insensitive search finds "ABC" in "abc" in every encoding selected;
// case-sensitive search does not.
TEST(StringSearch, CaseModeAppliesToEveryEncoding) {
  struct Case {
    TCodePageSet page;
    std::string bytes;
  };
  const Case cases[] = {{cpAnsi, "\t-abc-"}, {cpOem, "\t-abc-"}, {cpKoi8, "\t-abc-"},
                        {cpUtf8, "\t-abc-"}, {cpUnicode, Encode(L"\t-abc-", kUtf16)}};
  for (const Case& c : cases) {
    const auto hits = Hits(c.bytes, {L"ABC", c.page});
    ASSERT_EQ(hits.size(), 1u) << c.page;
    EXPECT_EQ(hits[0].codePage, c.page);
    EXPECT_EQ(hits[0].context, "-abc-");
    EXPECT_TRUE(Hits(c.bytes, {L"ABC", c.page, true}).empty()) << c.page;
    EXPECT_EQ(Hits(c.bytes, {L"abc", c.page, true}).size(), 1u) << c.page;
  }
  // Upper and lower case may mix within one occurrence.
  EXPECT_EQ(Hits("aBc", {L"ABC"}).size(), 1u);
}

// The context stops at TAB and NUL, keeps CR and LF, and holds at most 55
// units on either side of the occurrence's last unit.
TEST(StringSearch, ContextStopsAtControlCharactersAndAfter55Units) {
  EXPECT_EQ(Hits(std::string("x\tone\r\ntwo key three\r\nfour\0rest", 31), {L"key"})[0].context,
            "one\r\ntwo key three\r\nfour");
  const std::string left(100, 'a'), right(100, 'b');
  EXPECT_EQ(Hits(left + "key" + right, {L"key"})[0].context, std::string(53, 'a') + "key" + std::string(55, 'b'));
  EXPECT_EQ(Hits(Encode(L"\x01" L"foo key bar\t", kUtf16), {L"key"})[0].context, "foo key bar");
  // The text's first unit is part of the context like any other.
  EXPECT_EQ(Hits("key rest", {L"key"})[0].context, "key rest");
  EXPECT_EQ(Hits("Dear all, key", {L"key"})[0].context, "Dear all, key");
}

// A text that reads the same in several encodings (plain ASCII) is found
// in the first of them, but its context is read as the file holds it:
// UTF-8 when a byte-order mark or well-formed UTF-8 around it says so. No
// context begins or ends inside a character, nor holds the mark, whatever
// it is read in, unless the mark is what was searched for.
TEST(StringSearch, ContextIsReadAsTheFileHoldsItInWholeCharacters) {
  SystemCodePages pages("1252", "437");
  if (AnsiCodePage() != 1252) GTEST_SKIP() << "needs code page 1252";
  const std::wstring euro = L"\x20AC", smile = L"\xD83D\xDE00";
  auto times = [](const std::wstring& piece, int n) {
    std::wstring s;
    while (n-- > 0) s += piece;
    return s;
  };
  const std::string utf8Around = Encode(L"caf\xE9 \x043F\x0440\x0438 needle", kUtf8CodePage);
  const std::string invalidAround = "caf\xC3\xA9 \xE9x needle";
  struct Case {
    const char* what;
    std::string bytes;
    std::wstring text;
    std::wstring context;
  } cases[] = {
      {"UTF-8", utf8Around, L"needle", L"caf\xE9 \x043F\x0440\x0438 needle"},
      {"Ansi", "caf\xE9 needle", L"needle", L"caf\xE9 needle"},
      {"no UTF-8 without its mark", invalidAround, L"needle", MultiByteToWide(invalidAround, 1252)},
      {"UTF-8 by its mark", "\xEF\xBB\xBF" + invalidAround, L"needle", MultiByteToWide(invalidAround, kUtf8CodePage)},
      {"UTF-16 mark", Encode(L"\xFEFFone needle", kUtf16), L"needle", L"one needle"},
      {"UTF-8 mark on Windows code page text", "\xEF\xBB\xBF" "caf\xE9 needle", L"caf\xE9", L"caf\xE9 needle"},
      {"the mark searched for", "\xEF\xBB\xBF" "one", L"\xFEFF", L"\xFEFFone"},
      {"UTF-8 cut", Encode(times(euro, 27) + L"needle" + times(euro, 30), kUtf8CodePage), L"needle",
       times(euro, 16) + L"needle" + times(euro, 18)},
      {"UTF-16 cut", Encode(times(smile, 30) + L"needles" + times(smile, 30), kUtf16), L"needles",
       times(smile, 24) + L"needles" + times(smile, 27)},
  };
  for (const Case& c : cases) {
    TStringStream stream(c.bytes);
    TStringSearch search(&stream);
    search.SetCodePages(cpAllCodePages);
    search.SetSearchText(c.text);
    ASSERT_TRUE(search.Find()) << c.what;
    EXPECT_EQ(search.WideContext(), c.context) << c.what;
    EXPECT_EQ(search.Context(), WideToMultiByte(c.context, 1252)) << c.what;
  }
  // Only the context changes: the match is still the Ansi one, and the
  // next search resumes where it would.
  EXPECT_EQ(Hits(utf8Around, {L"needle"}), (std::vector<Hit>{{13, 6, cpAnsi, WideToMultiByte(cases[0].context, 1252), 24}}));
}

// Nothing to find: an empty stream, no encoding, an empty text. A miss leaves
// the stream at its end, so the occurrence count ends.
TEST(StringSearch, EmptyStreamEmptySetAndEmptyTextAreNotFound) {
  EXPECT_TRUE(Hits("", {L"a"}).empty());
  EXPECT_TRUE(Hits("abc", {L"a", 0}).empty());
  EXPECT_TRUE(Hits("abc", {L"a", 64 | 128}).empty());
  TStringStream stream("abc");
  TStringSearch search(&stream);
  search.SetSearchText(L"");
  EXPECT_FALSE(search.Find());
  EXPECT_TRUE(search.NotFound());
  EXPECT_EQ(stream.Position(), 3);
  TStringSearch noStream;
  noStream.SetSearchText(L"a");
  EXPECT_FALSE(noStream.Find());
}

// Within one 64 KiB block the first encoding in search order wins, wherever
// it lies in the block; an earlier block wins over a later one. An
// occurrence belongs to the block of its last byte.
TEST(StringSearch, FirstEncodingInSearchOrderWinsWithinABlock) {
  const std::string wide = Encode(L"key", kUtf16);
  std::string bytes = Place(Place(Zeros(140000), 100, wide), 1000, "key");
  EXPECT_EQ(Hits(bytes, {L"key"})[0], (Hit{1000, 3, cpAnsi, "key", 1005}));

  bytes = Place(Place(Zeros(140000), 100, wide), 70000, "key");
  const auto hits = Hits(bytes, {L"key"});
  ASSERT_EQ(hits.size(), 2u);
  EXPECT_EQ(hits[0], (Hit{100, 6, cpUnicode, "key", 110}));
  EXPECT_EQ(hits[1], (Hit{70000, 3, cpAnsi, "key", 70005}));

  // "key" at 65534 ends in the second block: the UTF-16 text in the first wins.
  bytes = Place(Place(Zeros(140000), 100, wide), 65534, "key");
  EXPECT_EQ(Hits(bytes, {L"key"})[0].codePage, cpUnicode);
  // ...and it beats UTF-16 text later in that second block.
  bytes = Place(Place(Zeros(140000), 65600, wide), 65534, "key");
  EXPECT_EQ(Hits(bytes, {L"key"})[0], (Hit{65534, 3, cpAnsi, "key", 65539}));
}

// A following search resumes one text length after the last unit of the
// occurrence: "ab" counts twice in "ababab".
TEST(StringSearch, FollowingSearchResumesOneLengthAfterTheOccurrence) {
  const auto hits = Hits("ababab", {L"ab"});
  ASSERT_EQ(hits.size(), 2u);
  EXPECT_EQ(hits[0], (Hit{0, 2, cpAnsi, "ababab", 3}));
  // The context is read from where the following search began.
  EXPECT_EQ(hits[1], (Hit{4, 2, cpAnsi, "bab", 7}));
  // UTF-16: the resume point counts 16-bit units.
  EXPECT_EQ(Hits(Encode(L"abab", kUtf16), {L"ab", cpUnicode}),
            (std::vector<Hit>{{0, 4, cpUnicode, "abab", 6}}));
}

// Each case form is compared over its own length: U+023A and its lower case
// U+2C65 differ in UTF-8 length, and neither form matches past its end. The
// text as typed is found too.
TEST(StringSearch, CaseFormsOfDifferentLengthsAreComparedWhole) {
  const Query q{L"\x023A" L"x", cpUtf8};
  const std::pair<std::wstring, int32_t> found[] = {
      {L"\x2C65" L"x", 4}, {L"\x023A" L"X", 3}, {L"\x023A" L"x", 3}};
  for (const auto& [text, length] : found) {
    const auto hits = Hits("- " + Encode(text, kUtf8CodePage) + " -", q);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].length, length);
  }
  EXPECT_TRUE(Hits("- " + Encode(L"\x2C65" L"y", kUtf8CodePage) + " -", q).empty());
  EXPECT_TRUE(Hits("- " + Encode(L"\x2C65", kUtf8CodePage), q).empty());
}

// Case-insensitive UTF-8 takes each character wholly in one case: the bytes
// of U+0420 and U+0440 must not combine into U+0460 or U+0400.
TEST(StringSearch, Utf8CaseFormsDoNotMixWithinACharacter) {
  const Query q{L"\x0440", cpUtf8};
  EXPECT_EQ(Hits(Encode(L"-\x0420-", kUtf8CodePage), q).size(), 1u);
  EXPECT_EQ(Hits(Encode(L"-\x0440-", kUtf8CodePage), q).size(), 1u);
  EXPECT_TRUE(Hits(Encode(L"-\x0460-\x0400-", kUtf8CodePage), q).empty());
}

// Changing the case mode or the code pages after the text builds the
// patterns again.
TEST(StringSearch, SettingsAfterTheTextTakeEffect) {
  TStringStream stream(Encode(L"-KEY-", kUtf16));
  TStringSearch search(&stream);
  search.SetSearchText(L"key");
  EXPECT_FALSE(search.Find());
  search.SetCodePages(cpUnicode);
  EXPECT_TRUE(search.Find());
  search.SetCaseSensitive(true);
  EXPECT_FALSE(search.Find());
  EXPECT_EQ(search.Context(), "");
}
