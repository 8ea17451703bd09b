// Hostile files made by the tests, each of which once made a search grow by
// hundreds of megabytes, against a ceiling on the process's peak working
// set. The fuzzers cannot reach these sizes: only these tests guard them.
#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>
#include <memory>
#include <string>

#include "classlib/streams.h"
#include "search/extract/chm_crafted.h"
#include "search/extract/chmpages.h"
#include "search/extract/file2text.h"
#include "search/extract/pdf2text.h"
#include "search/extract/zipfile.h"
#include "search/peak_memory_win.h"
#include "search/extract/testfiles.h"
#include "search/zip_fixtures.h"

using namespace search_test;

namespace {

constexpr uint64_t kMiB = 1u << 20;

constexpr const char* kPeakedBefore = "the process peaked higher before this test";

TUnzipResult OpenOnly(const std::string& archive, const std::string& name, TZipMember& member, TZipFile& zip) {
  zip.OpenMemory(archive.data(), archive.size());
  return zip.OpenMember(name, member);
}

}  // namespace

// A member that declares 100 bytes and inflates past 64 MiB is damaged at
// its 101st byte: nothing near the bomb's size is ever allocated.
TEST(HostileMemory, ZipMemberInflatingPastItsDeclaredSizeIsDamagedAtOnce) {
  uint32_t crc = 0;
  const std::string archive =
      OneEntryZip("a.txt", DeflateRepeated(std::string(1, '\0'), 65 * kMiB, true, &crc), crc, 100);
  TPeakWorkingSet peak;
  if (!peak.Known()) GTEST_SKIP() << kPeakedBefore;
  TZipFile zip;
  TZipMember member;
  EXPECT_EQ(OpenOnly(archive, "a.txt", member, zip), urDamaged);
  EXPECT_EQ(member.Size(), 0);
  EXPECT_LE(peak.RiseMiB(), 2u);
}

// A member declaring more than 64 MiB is refused before it is inflated; one
// just under is inflated into a single block of its size.
TEST(HostileMemory, ZipMemberSizeIsCappedAndInflatedOnce) {
  uint32_t crc = 0;
  const std::string zeros = DeflateRepeated(std::string(1, '\0'), 60 * kMiB, true, &crc);
  TPeakWorkingSet peak;
  if (!peak.Known()) GTEST_SKIP() << kPeakedBefore;
  {
    TZipFile zip;
    TZipMember member;
    EXPECT_EQ(OpenOnly(OneEntryZip("big", zeros, crc, 256 * kMiB), "big", member, zip), urDamaged);
  }
  EXPECT_LE(peak.RiseMiB(), 2u);
  TZipFile zip;
  TZipMember member;
  EXPECT_EQ(OpenOnly(OneEntryZip("big", zeros, crc, 60 * kMiB), "big", member, zip), urComplete);
  EXPECT_EQ(member.Size(), static_cast<int64_t>(60 * kMiB));
  // The first buffer and the member's block: never two blocks of its size.
  EXPECT_LE(peak.RiseMiB(), 60u + 8u);
}

// A PDF of a hundred streams of 4 MiB of strings each: together they may add
// no more than 64 MiB, the streams past that are not inflated at all, and
// the text is held once beside the one copy of the streams.
TEST(HostileMemory, PdfStreamsShareOneCapAndTheirTextIsHeldOnce) {
  const std::string unit = "(spaces and words) Tj\n";
  const uint64_t streamBytes = 4 * kMiB / unit.size() * unit.size();
  const std::string stream = DeflateRepeated(unit, streamBytes, false);
  std::string pdf = "%PDF-1.4\n";
  for (int i = 0; i < 100; ++i)
    pdf += std::to_string(i + 1) + " 0 obj\n<< /Length " + std::to_string(stream.size()) +
           " /Filter /FlateDecode >>\nstream\n" + stream + "\nendstream\nendobj\n";
  pdf += "(after the streams)\n";
  TPeakWorkingSet peak;
  if (!peak.Known()) GTEST_SKIP() << kPeakedBefore;
  TStringStream source(pdf);
  TPDF2Text text(source);
  int inflated = 0;
  for (const TPDF2Text::TPiece& piece : text.Pieces()) inflated += piece.Inflated && piece.Bytes.size() == streamBytes;
  EXPECT_EQ(inflated, 16);
  const uint64_t textBytes = 16 * (streamBytes / unit.size()) * 16 + 17;
  ASSERT_EQ(static_cast<uint64_t>(text.Output().Size()), textBytes);
  EXPECT_EQ(std::string_view(static_cast<const char*>(text.Output().Memory()) + textBytes - 33, 33),
            "spaces and wordsafter the streams");
  EXPECT_LE(peak.RiseMiB(), 64u + (textBytes >> 20) + 8u);
}

// Text past 64 MiB is not written: a stream of 60 MiB of text and 5 MiB more
// outside the streams give exactly 64 MiB.
TEST(HostileMemory, PdfTextStopsAtItsCap) {
  // "(" inside a string is dropped: the stream is one string of a's.
  const std::string stream = DeflateRepeated("(" + std::string(1023, 'a'), 60 * kMiB, false, nullptr, ")");
  std::string pdf = "<< /Filter /FlateDecode >>\nstream\n" + stream + "\nendstream\n(";
  pdf.append(5 * kMiB, 'b');
  pdf += ")\n";
  TPeakWorkingSet peak;
  if (!peak.Known()) GTEST_SKIP() << kPeakedBefore;
  TStringStream source(pdf);
  TPDF2Text text(source);
  ASSERT_EQ(static_cast<uint64_t>(text.Output().Size()), kMaxDocumentTextBytes);
  const char* out = static_cast<const char*>(text.Output().Memory());
  EXPECT_EQ(out[0], 'a');
  EXPECT_EQ(out[kMaxDocumentTextBytes - 1], 'b');
  // The file in the test's copy and the converter's, the stream, the text.
  EXPECT_LE(peak.RiseMiB(), 2 * 5u + 60u + 64u + 8u);
}

// A Word document whose text part inflates to 48 MiB: the part once, and
// the text once, never more copies.
TEST(HostileMemory, DocxHoldsOneCopyOfItsText) {
  const std::string paragraph = "<w:p><w:r><w:t>all work and no play</w:t></w:r></w:p>";
  const uint64_t partSize = 48 * kMiB / paragraph.size() * paragraph.size();
  uint32_t crc = 0;
  const std::string archive =
      OneEntryZip("word/document.xml", DeflateRepeated(paragraph, partSize, true, &crc), crc,
                  static_cast<uint32_t>(partSize));
  TPeakWorkingSet peak;
  if (!peak.Known()) GTEST_SKIP() << kPeakedBefore;
  TStringStream source(archive);
  TW072Text converter;
  converter.CreateFromStream(source);
  const uint64_t paragraphs = partSize / paragraph.size();
  EXPECT_EQ(static_cast<uint64_t>(converter.Output().Size()), paragraphs * std::string("all work and no play\r\n").size());
  EXPECT_EQ(converter.Source(), nullptr) << "the part is let go once converted";
  // The archive's bytes, the part, and the text.
  const uint64_t text = (paragraphs * 22) >> 20;
  EXPECT_LE(peak.RiseMiB(), 48u + text + 8u);
}

// A PDF of nothing but short lines costs what a few streams do: not a
// record per line, nor per line of a hexadecimal string spread over lines.
TEST(HostileMemory, PdfOfShortLinesCostsAboutItsOwnSize) {
  constexpr uint64_t kSize = 16 * kMiB;
  struct Case {
    const char* shape;
    std::string line;
    std::string text;  // of the first line or two
  };
  const Case cases[] = {
      {"line breaks", "\n", ""},
      {"one-character lines", "(\n", ""},
      // Each four digits, one a line, are the unit FE6B, which is "A" once 470 is added.
      {"a hexadecimal string of a digit per line", "F\nE\n6\nB\n", "AAAA"},
  };
  TPeakWorkingSet peak;
  if (!peak.Known()) GTEST_SKIP() << kPeakedBefore;
  for (const Case& c : cases) {
    std::string pdf = c.text.empty() ? "" : "<";
    pdf.reserve(kSize + 2);
    while (pdf.size() < kSize) pdf += c.line;
    pdf += ">\n";
    TStringStream source(std::move(pdf));
    TPDF2Text text(source);
    EXPECT_LE(text.Pieces().size(), 1u) << c.shape;
    EXPECT_EQ(StreamText(text.Output()).substr(0, c.text.size()), c.text) << c.shape;
  }
  // The file in the source stream and in the converter, once each.
  EXPECT_LE(peak.RiseMiB(), 2 * (kSize >> 20) + 8u);
}

// A Word document whose text part is stored, not deflated, is read where it
// lies, whatever its size: its text still stops at the cap, and no room is
// taken for more, not even for the rest of one paragraph longer than it.
TEST(HostileMemory, DocxWithAStoredPartGivesNoMoreThanTheTextCap) {
  const std::string text(1024, 'a'), start = "<w:p>", end = "</w:p>";
  const uint64_t pieces = kMaxDocumentTextBytes / 1024 + 1024;  // text of 1 MiB more than the cap
  const auto partSize = static_cast<uint32_t>(start.size() + pieces * text.size() + end.size());
  // Written a piece at a time: a local header is all the reader needs.
  auto docx = std::make_unique<TempFile>("", ".docx");
  {
    const std::string name = "word/document.xml";
    std::string header;
    for (auto [value, bytes] : {std::pair<uint32_t, int>{0x04034B50, 4}, {20, 2}, {0, 2}, {0, 2}, {0, 4}, {0, 4},
                                {partSize, 4}, {partSize, 4}, {static_cast<uint32_t>(name.size()), 2}, {0, 2}})
      PutLe(header, value, bytes);
    std::ofstream out(docx->Path(), std::ios::binary | std::ios::trunc);
    out << header << name << start;
    for (uint64_t i = 0; i < pieces; ++i) out << text;
    out << end;
  }
  TPeakWorkingSet peak;
  if (!peak.Known()) GTEST_SKIP() << kPeakedBefore;
  TW072Text converter(docx->Path());
  ASSERT_EQ(static_cast<uint64_t>(converter.Output().Size()), kMaxDocumentTextBytes);
  EXPECT_EQ(static_cast<const char*>(converter.Output().Memory())[kMaxDocumentTextBytes - 1], 'a');
  // The part's pages as they are read, and the text.
  EXPECT_LE(peak.RiseMiB(), (partSize >> 20) + 64u + 8u);
}

// A help file whose directory lists over a million small pages: the
// directory and the list of pages stay within the reader's 64 MiB, each
// entry counted as the heap allocates it, not as it was asked for.
TEST(HostileMemory, ChmDirectoryOfManyPagesStaysWithinTheReadersMemory) {
  TempFile help("", ".chm");
  {
    std::ofstream out(help.Path(), std::ios::binary);
    chm_test::WriteCraftedHelpFile(out, {{"/a.htm", 0, 0, 1}}, "x", chm_test::dirPlain, 1200000);
  }
  class TNoSink : public TChmPageSink {
    bool BeginPage(const std::vector<std::string>&) override { return true; }
    bool WritePage(const void*, size_t) override { return true; }
    void EndPage(bool) override {}
  } sink;
  TPeakWorkingSet peak;
  if (!peak.Known()) GTEST_SKIP() << kPeakedBefore;
  TFileStream source(help.Path(), fmOpenRead | fmShareDenyNone);
  ExtractChmPages(source, sink);
  EXPECT_LE(peak.RiseMiB(), 64u + 8u);
}
