// Searches whose forms depend on the system's code pages: Cyrillic
// (1251/866) and Western (1252/437).
#include <gtest/gtest.h>

#include "classlib/codepage.h"
#include "search/stringsearch.h"
#include "search_test_util.h"

using namespace search_test;

namespace {

struct Encoding {
  unsigned codePage;
  TCodePageSet bit;
};
const Encoding kEncodings[] = {
    {1251, cpAnsi}, {866, cpOem}, {20866, cpKoi8}, {kUtf8CodePage, cpUtf8}, {kUtf16, cpUnicode}};

const std::wstring kLine = L"дед и баба, курочка Ряба";

class CyrillicSystem : public testing::Test {
protected:
  void SetUp() override {
    if (AnsiCodePage() != 1251 || OemCodePage() != 866) GTEST_SKIP() << "needs code pages 1251/866";
  }
  SystemCodePages pages_{"1251", "866"};
};

class WesternSystem : public testing::Test {
protected:
  void SetUp() override {
    if (AnsiCodePage() != 1252 || OemCodePage() != 437) GTEST_SKIP() << "needs code pages 1252/437";
  }
};

}  // namespace

// Russian text in each of the five encodings is found by one search with
// every code page, in either case when case is ignored.
TEST_F(CyrillicSystem, RussianTextFoundInEveryEncoding) {
  const std::string context = Encode(kLine, 1251);
  for (const Encoding& e : kEncodings) {
    const std::string bytes = Encode(L"\t" + kLine + L"\t", e.codePage);
    for (const std::wstring& text : {std::wstring(L"курочка"), std::wstring(L"КУРОЧКА"), std::wstring(L"кУрОчКа")}) {
      const auto hits = Hits(bytes, {text});
      ASSERT_EQ(hits.size(), 1u) << e.codePage;
      EXPECT_EQ(hits[0].codePage, e.bit) << e.codePage;
      EXPECT_EQ(hits[0].context, context) << e.codePage;
    }
    EXPECT_EQ(Hits(bytes, {L"курочка", cpAllCodePages, true}).size(), 1u) << e.codePage;
    EXPECT_TRUE(Hits(bytes, {L"КУРОЧКА", cpAllCodePages, true}).empty()) << e.codePage;
    // Upper case in the file, lower case searched.
    const std::string upper = Encode(L"\tДЕД И БАБА, КУРОЧКА РЯБА\t", e.codePage);
    EXPECT_EQ(Hits(upper, {L"курочка"}).size(), 1u) << e.codePage;
  }
}

// One matcher, searching again after each hit, finds the text in all five
// encodings of one file; each lies in a block of its own.
TEST_F(CyrillicSystem, OneSearchFindsEveryEncodingInOneFile) {
  std::string bytes;
  for (auto e = std::rbegin(kEncodings); e != std::rend(kEncodings); ++e) {
    bytes.resize(bytes.size() + 99999 - bytes.size() % 100000 + 1, '\0');
    bytes += Encode(L"\t" + kLine + L"\t", e->codePage);
  }
  const auto hits = Hits(bytes, {L"Курочка"});
  ASSERT_EQ(hits.size(), 5u);
  const TCodePageSet order[] = {cpUnicode, cpUtf8, cpKoi8, cpOem, cpAnsi};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(hits[i].codePage, order[i]);
    EXPECT_EQ(hits[i].context, Encode(kLine, 1251));
  }
}

// All five in one block: the Ansi text wins though it comes last.
TEST_F(CyrillicSystem, AnsiWinsABlockHoldingEveryEncoding) {
  std::string bytes;
  for (auto e = std::rbegin(kEncodings); e != std::rend(kEncodings); ++e)
    bytes += Encode(L"\t" + kLine + L"\t", e->codePage) + std::string(bytes.size() % 2 + 2, '\0');
  const auto hits = Hits(bytes, {L"курочка"});
  ASSERT_FALSE(hits.empty());
  EXPECT_EQ(hits[0].codePage, cpAnsi);
}

// "Use all code pages" holds WP5: a hyphenated name in an ordinary DOS file
// is still found, and so is its WP5 form.
TEST_F(CyrillicSystem, AllCodePagesFindAHyphenatedNameInADosFile) {
  const std::wstring city = L"Санкт-Петербург";
  std::string wp5 = Encode(city, 866);
  wp5[wp5.find('-')] = '\xA9';
  for (const std::string& bytes : {Encode(L"\t" + city + L"\t", 866), "\t" + wp5 + "\t"}) {
    const auto hits = Hits(bytes, {city});
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].codePage, cpOem);
  }
}

// On a Western system Russian text is still searched in KOI8-R, converted
// from the text itself; Windows-1252 and DOS 437 cannot hold it and are left
// out instead of searching for runs of "?". The 8-bit context is the text in
// the system's code page, KOI8-R read as KOI8-R.
TEST_F(WesternSystem, RussianTextFoundInKoi8AndTheUnicodeEncodings) {
  for (const Encoding& e : kEncodings) {
    const bool expected = e.bit == cpKoi8 || e.bit == cpUtf8 || e.bit == cpUnicode;
    const auto hits = Hits(Encode(L"\t" + kLine + L"\t", e.codePage), {L"курочка"});
    ASSERT_EQ(hits.size(), expected ? 1u : 0u) << e.codePage;
    if (expected) {
      EXPECT_EQ(hits[0].codePage, e.bit);
      EXPECT_EQ(hits[0].context, Encode(kLine, 1252)) << e.codePage;
    }
  }
  EXPECT_EQ(Hits(Encode(L"\tКУРОЧКА\t", 20866), {L"курочка"}).size(), 1u);
  EXPECT_TRUE(Hits("\t???????\t", {L"курочка"}).empty());
  EXPECT_TRUE(Hits("\t???????\t", {L"КУРОЧКА", cpAllCodePages, true}).empty());
}

// The euro sign exists in 1252 but not in 437: only the DOS search drops it.
TEST_F(WesternSystem, DosSearchLeftOutWhenTheDosCodePageCannotHoldTheText) {
  EXPECT_TRUE(Hits("x 5? x", {L"5\x20AC", cpOem}).empty());
  EXPECT_EQ(Hits("x 5\x80 x", {L"5\x20AC", cpAnsi}).size(), 1u);
}

// Accented Latin text in each encoding that holds it, either case. KOI8-R
// has no e-acute: "café" must not find its Cyrillic lookalike "cafй".
TEST_F(WesternSystem, AccentedTextFoundInEveryEncodingThatHoldsIt) {
  struct Case {
    std::string bytes;
    TCodePageSet bit;
  };
  const Case cases[] = {{"\tCaf\xE9 au lait\t", cpAnsi},
                        {"\tCAF\x90 AU LAIT\t", cpOem},
                        {"\tCaf\xC3\xA9 au lait\t", cpUtf8},
                        {Encode(L"\tCAF\x00C9 AU LAIT\t", kUtf16), cpUnicode}};
  for (const Case& c : cases) {
    const auto hits = Hits(c.bytes, {L"caf\x00E9"});
    ASSERT_EQ(hits.size(), 1u) << c.bit;
    EXPECT_EQ(hits[0].codePage, c.bit);
  }
  EXPECT_EQ(Hits(cases[0].bytes, {L"caf\x00E9"})[0].context, "Caf\xE9 au lait");
  EXPECT_EQ(Hits(cases[1].bytes, {L"caf\x00E9"})[0].context, "CAF\xC9 AU LAIT");
  EXPECT_TRUE(Hits("\tCaf\xCA au lait\t", {L"caf\x00E9"}).empty());
  EXPECT_TRUE(Hits("\tcaf\xC9 au lait\t", {L"caf\x00E9", cpKoi8}).empty());
}

// No best-fit lookalikes: the infinity sign is not searched as "8", nor
// O-macron as "O", in any 8-bit code page.
TEST_F(WesternSystem, NoLookalikeStandsInForACharacterTheCodePageLacks) {
  EXPECT_TRUE(Hits("\t8 = 8\t", {L"\x221E"}).empty());
  EXPECT_TRUE(Hits("\tOsaka, osaka\t", {L"\x014Csaka"}).empty());
  const auto hits = Hits(Encode(L"\t\x014Csaka\t", kUtf8CodePage), {L"\x014Csaka"});
  ASSERT_EQ(hits.size(), 1u);
  EXPECT_EQ(hits[0].codePage, cpUtf8);
}
