#include "search/extract/zipfile.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <map>
#include <string>
#include <vector>

#include "classlib/codepage.h"
#include "classlib/strutils.h"
#include "search/extract/testfiles.h"

namespace {

// Local headers (30 bytes, then name and data) of the hex cases.
#define LOCAL_A "504B0304 0A00 0000 0000 00000000 00000000 02000000 02000000 0100 0000 61 6869"
#define LOCAL_B "504B0304 0A00 0000 0000 00000000 00000000 02000000 02000000 0100 0000 62 796F"
// "a" with its sizes left to a data descriptor (flag bit 3), 49 bytes.
#define DESCRIBED_A \
  "504B0304 1400 0800 0000 00000000 00000000 00000000 00000000 0100 0000 61 6869" \
  "504B0708 00000000 02000000 02000000"
// Central directory records (47 bytes each) for DESCRIBED_A at 0 and LOCAL_B at 49.
#define CENTRAL_A "504B0102 1E03 1400 0800 0000 00000000 00000000 02000000 02000000 0100 0000 0000 0000 0000 00000000 00000000 61"
#define CENTRAL_B "504B0102 1E03 0A00 0000 0000 00000000 00000000 02000000 02000000 0100 0000 0000 0000 0000 00000000 31000000 62"
// End record: two entries, directory of 94 bytes at 82.
#define END_AB "504B0506 0000 0000 0200 0200 5E000000 52000000 0000"

struct ZipCase {
  const char* fault;
  const char* hex;
  std::vector<std::string> names;
  const char* entry;  // extracted when set
  TUnzipResult result;
  const char* content;
};

const ZipCase kCases[] = {
    {"empty file", "", {}, nullptr, urComplete, ""},
    {"not a zip", "4D5A9000 03000000", {}, nullptr, urComplete, ""},
    {"signature only", "504B0304", {}, nullptr, urComplete, ""},
    {"fixed part cut short", "504B0304 0A00 0000 0000 0000", {}, nullptr, urComplete, ""},
    {"name length past the end", "504B0304 0A00 0000 0000 00000000 00000000 02000000 02000000 1000 0000 61", {},
     nullptr, urComplete, ""},
    {"extra length past the end", "504B0304 0A00 0000 0000 00000000 00000000 02000000 02000000 0100 2000 61 6869",
     {}, nullptr, urComplete, ""},
    {"compressed size past the end", "504B0304 0A00 0000 0000 00000000 00000000 00FFFFFF 02000000 0100 0000 61 6869",
     {}, nullptr, urComplete, ""},
    {"saturated sizes without zip64 record",
     "504B0304 2D00 0000 0000 00000000 00000000 FFFFFFFF FFFFFFFF 0100 0000 61 6869", {}, nullptr, urComplete, ""},
    {"stored entry", LOCAL_A, {"a"}, "a", urComplete, "hi"},
    {"second header cut keeps the first", LOCAL_A "504B0304 0A00", {"a"}, "a", urComplete, "hi"},
    {"central directory ends the walk", LOCAL_A CENTRAL_B, {"a"}, "a", urComplete, "hi"},
    {"lookup ignores ascii case", LOCAL_A LOCAL_B, {"a", "b"}, "B", urComplete, "yo"},
    {"duplicate name keeps the first header",
     LOCAL_A "504B0304 0A00 0000 0000 00000000 00000000 02000000 02000000 0100 0000 41 796F", {"a"}, "a",
     urComplete, "hi"},
    {"upper case and slashes",
     "504B0304 0A00 0000 0000 00000000 00000000 02000000 02000000 0C00 0000 576F72642F446F632E584D4C 6869",
     {"word\\doc.xml"}, "Word\\Doc.xml", urComplete, "hi"},
    {"data descriptor without central directory", DESCRIBED_A LOCAL_B, {}, nullptr, urComplete, ""},
    {"data descriptor sizes from central directory", DESCRIBED_A LOCAL_B CENTRAL_A CENTRAL_B END_AB, {"a", "b"},
     "a", urComplete, "hi"},
    {"directory offset past the end",
     DESCRIBED_A LOCAL_B CENTRAL_A CENTRAL_B "504B0506 0000 0000 0200 0200 5E000000 FFFFFF7F 0000", {}, nullptr,
     urComplete, ""},
    {"directory record cut short",
     DESCRIBED_A LOCAL_B
     "504B0102 1E03 1400 0800 0000 00000000 00000000 02000000 02000000 FF00 0000 0000 0000 0000 00000000 00000000 61"
     CENTRAL_B END_AB,
     {}, nullptr, urComplete, ""},
    {"directory sizes past the end",
     DESCRIBED_A LOCAL_B
     "504B0102 1E03 1400 0800 0000 00000000 00000000 00100000 02000000 0100 0000 0000 0000 0000 00000000 00000000 61"
     CENTRAL_B END_AB,
     {}, nullptr, urComplete, ""},
    {"zip64 locator past the end",
     DESCRIBED_A LOCAL_B CENTRAL_A CENTRAL_B "504B0607 00000000 FFFFFFFF00000000 01000000"
     "504B0506 0000 0000 0200 0200 FFFFFFFF FFFFFFFF 0000",
     {}, nullptr, urComplete, ""},
    {"saturated directory offset without zip64 end record",
     DESCRIBED_A LOCAL_B CENTRAL_A CENTRAL_B "504B0506 0000 0000 0200 0200 5E000000 FFFFFFFF 0000", {"a", "b"}, "a",
     urComplete, "hi"},
    {"zip64 sizes in the local header",
     "504B0304 2D00 0000 0000 00000000 00000000 FFFFFFFF FFFFFFFF 0100 1400 61"
     "0100 1000 0200000000000000 0200000000000000 6869",
     {"a"}, "a", urComplete, "hi"},
    {"zip64 record longer than the extra field",
     "504B0304 2D00 0000 0000 00000000 00000000 FFFFFFFF FFFFFFFF 0100 0C00 61 0100 FF00 0200000000000000 6869", {},
     nullptr, urComplete, ""},
    {"utf-8 name flag", "504B0304 0A00 0008 0000 00000000 00000000 02000000 02000000 0200 0000 C3A9 6869",
     {"\xE9"}, "\xE9", urComplete, "hi"},
    {"oem name", "504B0304 0A00 0000 0000 00000000 00000000 02000000 02000000 0100 0000 82 6869", {"\xE9"}, "\xE9",
     urComplete, "hi"},
    {"deflated entry", "504B0304 1400 0000 0800 00000000 00000000 04000000 02000000 0100 0000 61 cbc80400", {"a"},
     "a", urComplete, "hi"},
    {"deflated entry holding more than it declares",
     "504B0304 1400 0000 0800 00000000 00000000 04000000 01000000 0100 0000 61 cbc80400", {"a"}, "a", urDamaged, ""},
    {"deflated entry cut before its end code",
     "504B0304 1400 0000 0800 00000000 00000000 02000000 02000000 0100 0000 61 cbc8", {"a"}, "a", urTruncated, "h"},
    {"corrupt deflate data", "504B0304 1400 0000 0800 00000000 00000000 01000000 02000000 0100 0000 61 07", {"a"},
     "a", urDamaged, ""},
    {"declared size over the cap",
     "504B0304 1400 0000 0800 00000000 00000000 04000000 01000010 0100 0000 61 cbc80400", {"a"}, "a", urDamaged,
     ""},
    {"unknown method 12", "504B0304 1400 0000 0C00 00000000 00000000 02000000 02000000 0100 0000 61 6869", {"a"},
     "a", urUnsupported, ""},
};

std::map<std::string, std::string> ExtractAll(TZipFile& zip, std::map<std::string, TUnzipResult>* results = nullptr) {
  std::map<std::string, std::string> contents;
  for (const std::string& name : zip.Names().ToVector()) {
    TMemoryStream out;
    TUnzipResult r = zip.UnzipFileToBuffer(name, out);
    contents[name] = StreamText(out);
    if (results != nullptr) (*results)[name] = r;
  }
  return contents;
}

uint32_t Crc(const std::string& bytes) {
  return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

}  // namespace

TEST(ZipFile, HexCasesListAndExtractAsExpected) {
  for (const ZipCase& c : kCases) {
    std::string bytes = Hex(c.hex);
    TZipFile zip;
    zip.OpenMemory(bytes.data(), bytes.size());
    EXPECT_EQ(zip.Names().ToVector(), c.names) << c.fault;
    if (c.entry == nullptr) continue;
    TMemoryStream out;
    EXPECT_EQ(zip.UnzipFileToBuffer(c.entry, out), c.result) << c.fault;
    EXPECT_EQ(StreamText(out), c.content) << c.fault;
  }
}

TEST(ZipFile, WalkFillsTheCallersHeader) {
  std::string bytes = Hex(LOCAL_A LOCAL_B);
  TZipFile zip;
  zip.OpenMemory(bytes.data(), bytes.size());
  TZipLocalHeader header;
  ASSERT_TRUE(zip.FindFirstHeader(header));
  EXPECT_STREQ(header.Name, "a");
  EXPECT_EQ(header.Kind, 0x0403);
  EXPECT_EQ(header.CompressedSize, 2u);
  EXPECT_EQ(header.Place, reinterpret_cast<const uint8_t*>(bytes.data()) + 4);
  ASSERT_TRUE(zip.FindNextHeader());
  EXPECT_STREQ(header.Name, "b");
  EXPECT_FALSE(zip.FindNextHeader());
}

TEST(ZipFile, UnlistedNameRaises) {
  std::string bytes = Hex(LOCAL_A);
  TZipFile zip;
  zip.OpenMemory(bytes.data(), bytes.size());
  TMemoryStream out;
  try {
    zip.UnzipFileToBuffer("b", out);
    FAIL() << "no exception";
  } catch (const EErrorInZip& e) {
    EXPECT_EQ(e.Message(), "File not found (in UnzipFileToBuffer)");
  }
}

// Archives made by zip: stored, deflated, with data descriptors, streamed
// from standard input (zip64 descriptors), a zip64 archive and long names.
TEST(ZipFile, ReadsArchivesMadeByZip) {
  const std::string deflatedName = "deflated.txt";
  const uint32_t deflatedCrc = 0xCEE72B59;
  struct Expect {
    const char* file;
    std::vector<std::string> names;
  } archives[] = {
      {"zip_stored.zip", {"stored.txt"}},
      {"zip_deflated.zip", {"deflated.txt", "word\\document.xml"}},
      {"zip_descriptor.zip", {"deflated.txt", "stored.txt"}},
      {"zip_streamed_stdin.zip", {"-"}},
  };
  for (const Expect& a : archives) {
    TZipFile zip;
    zip.Open(DataPath(a.file));
    EXPECT_EQ(zip.Names().ToVector(), a.names) << a.file;
    auto contents = ExtractAll(zip);
    for (const auto& [name, text] : contents) {
      if (name == "stored.txt") {
        EXPECT_EQ(text, "Hello stored world\n") << a.file;
      }
      if (name == "word\\document.xml") {
        EXPECT_EQ(text, "Document body\n") << a.file;
      }
      if (name == deflatedName || name == "-") {
        EXPECT_EQ(text.size(), 2483u) << a.file;
        EXPECT_EQ(Crc(text), deflatedCrc) << a.file;
      }
    }
  }
}

TEST(ZipFile, NamesAreConvertedFromTheOemCodePageAndCut) {
  TZipFile zip;
  zip.Open(DataPath("zip_utf8_name.zip"));
  // zip stores the UTF-8 bytes without the UTF-8 flag: read as OEM text.
  std::string raw = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82.txt";
  EXPECT_EQ(zip.Names().ToVector(), std::vector<std::string>{LowerCase(OemToCharString(raw))});

  zip.Open(DataPath("zip_long_name.zip"));
  std::string longName = "long" + std::string(140, 'n') + ".txt";
  EXPECT_EQ(zip.Names().ToVector(), (std::vector<std::string>{longName.substr(0, 126), "stored.txt"}));
  TMemoryStream out;
  zip.UnzipFileToBuffer(longName.substr(0, 126), out);
  EXPECT_EQ(StreamText(out), "long name body\n");
}

// On a Japanese system "\x83\x4E" and "\x83\x6E" are two katakana that
// differ in their second byte, which is no letter: both entries are listed,
// each as it is, and each is found by its own name.
TEST(ZipFile, NamesDifferingInASecondBytesCaseStayApartDoubleByteSystem) {
  if (AnsiCodePage() != 932 || OemCodePage() != 932) GTEST_SKIP() << "needs code page 932";
  const std::string archive = Hex("504B0304 0A00 0000 0000 00000000 00000000 02000000 02000000 0200 0000 834E 6869"
                                  "504B0304 0A00 0000 0000 00000000 00000000 02000000 02000000 0200 0000 836E 796F");
  TZipFile zip;
  zip.OpenMemory(archive.data(), archive.size());
  EXPECT_EQ(zip.Names().ToVector(), (std::vector<std::string>{"\x83\x4E", "\x83\x6E"}));
  TMemoryStream out;
  zip.UnzipFileToBuffer("\x83\x6E", out);
  EXPECT_EQ(StreamText(out), "yo");
}

TEST(ZipFile, EmptyFileListsNothingAndMissingFileRaises) {
  TempFile empty("");
  TZipFile zip;
  zip.Open(empty.Path());
  EXPECT_EQ(zip.Names().Count(), 0);
  EXPECT_EQ(zip.Size(), 0u);

  std::string missing = DataPath("no_such_archive.zip");
  try {
    zip.Open(missing);
    FAIL() << "no exception";
  } catch (const EErrorInZip& e) {
    EXPECT_EQ(e.Message(), "Couldn't open: " + missing);
  }
  EXPECT_EQ(zip.Names().Count(), 0);
}

// Every cut of a good archive lists only good entries, each of them whole.
TEST(ZipFile, CutArchivesListOnlyWholeEntries) {
  for (const char* file : {"zip_deflated.zip", "zip_descriptor.zip", "zip_streamed_stdin.zip",
                           "zip_long_name.zip", "docx_pandoc.docx", "docx_zip64_streamed.docx"}) {
    std::string good = Fixture(file);
    TZipFile reference;
    reference.OpenMemory(good.data(), good.size());
    auto expected = ExtractAll(reference);
    for (size_t n : CutLengths(good.size())) {
      TZipFile zip;
      zip.OpenMemory(good.data(), n);
      std::map<std::string, TUnzipResult> results;
      for (const auto& [name, text] : ExtractAll(zip, &results)) {
        ASSERT_EQ(expected.count(name), 1u) << file << " cut at " << n;
        EXPECT_EQ(results[name], urComplete) << file << " cut at " << n;
        EXPECT_EQ(text, expected[name]) << file << " cut at " << n;
      }
    }
    // The same through a real file, at a few lengths.
    for (size_t n : {size_t(0), size_t(3), size_t(30), good.size() / 2, good.size() - 1}) {
      TempFile cut(good.substr(0, n), ".zip");
      TZipFile zip;
      EXPECT_NO_THROW(zip.Open(cut.Path())) << file;
      EXPECT_NO_THROW(ExtractAll(zip)) << file;
    }
  }
}

TEST(ZipFile, FlippedBytesNeverCrash) {
  for (const char* file : {"zip_deflated.zip", "zip_descriptor.zip", "zip_streamed_stdin.zip",
                           "docx_zip64_streamed.docx"}) {
    for (const std::string& bad : FlippedCopies(Fixture(file))) {
      TZipFile zip;
      zip.OpenMemory(bad.data(), bad.size());
      EXPECT_NO_THROW(ExtractAll(zip)) << file;
    }
  }
}
