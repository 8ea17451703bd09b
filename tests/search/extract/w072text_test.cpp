#include "search/extract/file2text.h"

#include <gtest/gtest.h>

#include <string>

#include "classlib/bytereader.h"
#include "search/extract/testfiles.h"
#include "search/zip_fixtures.h"

namespace {

std::string Le16(uint16_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string Le32(uint32_t v) { return Le16(static_cast<uint16_t>(v)) + Le16(static_cast<uint16_t>(v >> 16)); }

// A one-entry archive with the entry stored.
std::string StoredZip(const std::string& name, const std::string& data) {
  auto size = static_cast<uint32_t>(data.size());
  return "PK\x03\x04" + Le16(10) + Le16(0) + Le16(0) + Le32(0) + Le32(0) + Le32(size) + Le32(size) +
         Le16(static_cast<uint16_t>(name.size())) + Le16(0) + name + data;
}

std::string TextOf(const std::string& docx) {
  TStringStream source(docx);
  TW072Text converter;
  converter.CreateFromStream(source);
  EXPECT_EQ(converter.Output().Position(), 0);
  return StreamText(converter.Output());
}

const std::string kPandocText =
    "Title\r\nFirst paragraph with needle &amp; more.\r\nSecond paragraph, caf\xC3\xA9 {braces} back\\slash.\r\n";

}  // namespace

// The same document zipped three ways: by pandoc, with data descriptors,
// and streamed as zip64.
TEST(W072Text, ReadsDocumentsWrittenEveryWay) {
  for (const char* file : {"docx_pandoc.docx", "docx_descriptor.docx", "docx_zip64_streamed.docx"}) {
    TW072Text converter(DataPath(file));
    EXPECT_EQ(converter.Output().Position(), 0);
    EXPECT_EQ(StreamText(converter.Output()), kPandocText) << file;
  }
}

TEST(W072Text, ParagraphsEndWithALineBreakAndLongTagsNeverDo) {
  EXPECT_EQ(TextOf(StoredZip("word/document.xml", "<w:p><w:t>A</w:t></w:p><w:p>B</w:p>")), "A\r\nB\r\n");
  std::string longTag = "</w:p" + std::string(60, ' ') + ">";
  EXPECT_EQ(TextOf(StoredZip("word/document.xml", "<w:p>A" + longTag + "B")), "AB");
  // A ">" outside a tag is neither text nor the end of one.
  EXPECT_EQ(TextOf(StoredZip("word/document.xml", "<w:p>A>B</w:p>>C")), "AB\r\nC");
}

// A part that inflates past the text cap gives text up to the cap, as a
// stored part does, and no character cut in two: here the cap falls just
// after the first byte of a euro sign, which is left out.
TEST(W072Text, DeflatedPartPastTheCapGivesItsTextUpToTheCapOnAWholeCharacter) {
  std::string euros;
  for (int i = 0; i < 340; ++i) euros += "\xE2\x82\xAC";
  const std::string paragraph = "<w:p><w:r><w:t>" + euros + "</w:t></w:r></w:p>";  // 1022 bytes of text
  const uint64_t partSize = (kMaxDocumentTextBytes / 1022 + 2) * paragraph.size();
  uint32_t crc = 0;
  const std::string deflated = search_test::DeflateRepeated(paragraph, partSize, true, &crc);
  const std::string text = TextOf(search_test::OneEntryZip("word/document.xml", deflated, crc, uint32_t(partSize)));
  ASSERT_EQ(text.size(), kMaxDocumentTextBytes - 1);
  EXPECT_EQ(text.substr(0, 1022), euros + "\r\n");
  EXPECT_EQ(text.substr(text.size() - 3), "\xE2\x82\xAC");
}

// Markup without text (an empty run a megabyte long) repeated far past the
// most of a part that is read, after a paragraph of text: the text is given
// and the reading stops at the cap. The part declares a little more than
// the cap, so a reader that went on would find it damaged and give no text.
TEST(W072Text, PartFarPastTheReadCapGivesItsFirstTextAndStops) {
  const std::string markup = "<w:r w:rsidR=\"" + std::string((1u << 20) - 18, '0') + "\"></w:r>";
  const std::string block = search_test::DeflatedAlone(markup);
  std::string deflated = search_test::DeflatedAlone("<w:p><w:t>needle</w:t></w:p>");
  for (uint64_t inflated = 0; inflated < 4 * kMaxDocumentPartBytes; inflated += markup.size()) deflated += block;
  deflated += search_test::kLastEmptyBlock;
  const auto declared = static_cast<uint32_t>(kMaxDocumentPartBytes + markup.size());
  EXPECT_EQ(TextOf(search_test::OneEntryZip("word/document.xml", deflated, 0, declared)), "needle\r\n");
}

namespace {

// A part whose first kMaxDocumentPartBytes are a paragraph of "needle",
// then one tag, then atCap; after that comes beyondCap. Given deflated a
// megabyte at a time (ended on a byte boundary), then tail, or stored.
std::string PartOverTheCap(const std::string& atCap, const std::string& beyondCap, bool stored,
                           const std::string& tail = search_test::kLastEmptyBlock) {
  const std::string head = "<w:p><w:t>needle</w:t></w:p>";
  const auto tag = [](uint64_t size) { return "<" + std::string(static_cast<size_t>(size) - 2, 'a') + ">"; };
  constexpr uint64_t kMiB = 1u << 20;
  const std::string last = tag(kMiB - head.size() - atCap.size()) + atCap;
  const std::string name = "word/document.xml";
  if (stored) {
    std::string part = head;
    for (uint64_t i = 1; i < kMaxDocumentPartBytes / kMiB; ++i) part += tag(kMiB);
    part += last + beyondCap;
    return search_test::OneEntryZip(name, part, 0, static_cast<uint32_t>(part.size()), 0);
  }
  const std::string block = search_test::DeflatedAlone(tag(kMiB));
  std::string deflated = search_test::DeflatedAlone(head);
  for (uint64_t i = 1; i < kMaxDocumentPartBytes / kMiB; ++i) deflated += block;
  deflated += search_test::DeflatedAlone(last);
  if (!beyondCap.empty()) deflated += search_test::DeflatedAlone(beyondCap);
  deflated += tail;
  return search_test::OneEntryZip(name, deflated, 0, static_cast<uint32_t>(kMaxDocumentPartBytes + beyondCap.size()));
}

}  // namespace

// The read stops at the cap wherever it falls: inside a euro sign, whose
// first byte alone would match as an ANSI letter, at a part's very end, or
// right before damage, which zlib finds in the call that ends the block
// before it: the text before the cap is kept.
TEST(W072Text, ThePartCapEndsTheTextOnAWholeCharacterAndBeforeAnyDamage) {
  for (const bool stored : {true, false}) {
    EXPECT_EQ(TextOf(PartOverTheCap("<w:t>x\xE2", "\x82\xAC</w:t>", stored)), "needle\r\nx") << stored;
    EXPECT_EQ(TextOf(PartOverTheCap("<w:t>x\xE2\x82\xAC", "", stored)), "needle\r\nx\xE2\x82\xAC") << stored;
  }
  const std::string reservedType("\x07", 1), badStoredLengths("\x01\x05\x00\x00\x00", 5);
  for (const std::string& damage : {reservedType, badStoredLengths})
    EXPECT_EQ(TextOf(PartOverTheCap("<w:t>x</w:t>", "", false, damage)), "needle\r\nx");
}

TEST(W072Text, FilesWithoutTheDocumentPartGiveNoText) {
  EXPECT_EQ(TextOf(StoredZip("word/other.xml", "<w:p>A</w:p>")), "");
  EXPECT_EQ(TextOf("not a zip at all"), "");
  TW072Text notZip(DataPath("rtf_pandoc.rtf"));
  EXPECT_EQ(notZip.Output().Size(), 0);
  TW072Text missing(DataPath("no_such.docx"));
  EXPECT_EQ(missing.Output().Size(), 0);
}

TEST(W072Text, DamagedCopiesNeverCrash) {
  for (const char* file : {"docx_pandoc.docx", "docx_descriptor.docx"}) {
    std::string good = Fixture(file);
    for (size_t n : CutLengths(good.size())) EXPECT_NO_THROW(TextOf(good.substr(0, n))) << file << " cut at " << n;
    for (const std::string& bad : FlippedCopies(good)) EXPECT_NO_THROW(TextOf(bad)) << file;
  }
}

TEST(File2Text, BaseLoadsTheFileAndConvertsNothing) {
  TFile2Text converter;
  converter.CreateFromFile(DataPath("rtf_pandoc.rtf"));
  ASSERT_NE(converter.Source(), nullptr);
  EXPECT_EQ(converter.Source()->Size(), static_cast<int64_t>(Fixture("rtf_pandoc.rtf").size()));
  EXPECT_EQ(converter.Output().Size(), 0);
  EXPECT_EQ(converter.FileName(), DataPath("rtf_pandoc.rtf"));
}
