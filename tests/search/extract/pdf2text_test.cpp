#include "search/extract/pdf2text.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

#include "classlib/codepage.h"
#include "search/extract/testfiles.h"

namespace {

std::string Compress(const std::string& text) {
  uLongf size = compressBound(static_cast<uLong>(text.size()));
  std::string out(size, '\0');
  compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(text.data()),
           static_cast<uLong>(text.size()));
  out.resize(size);
  return out;
}

std::string FlateObject(const std::string& content, const std::string& dictionary = "/Filter /FlateDecode") {
  return "4 0 obj << " + dictionary + " >>\nstream\r\n" + Compress(content) + "\r\nendstream\nendobj\n";
}

std::string TextOf(const std::string& pdf) {
  TStringStream source(pdf);
  TPDF2Text converter(source);
  EXPECT_EQ(converter.Output().Position(), 0);
  return StreamText(converter.Output());
}

}  // namespace

TEST(PDF2Text, ContentStreamStringsBecomeText) {
  struct Case {
    const char* content;
    std::string text;
  } cases[] = {
      {"BT (Hello) Tj ET", "Hello"},
      {"[(Hel) -20 (lo)] TJ", "Hello"},
      {"<48656C6C6F> Tj", "Hello"},
      {"<0244> Tj", WideToMultiByte(L"\x041A")},
      {"(a\\nb) Tj", "a\r\nb"},
      {"(\\101\\102) Tj", "AB"},
      {"(\\1234) Tj", "S4"},
      {"(\\(x\\)\\\\) Tj", "(x)\\"},
      // An inflated stream is one line, line breaks and all.
      {"(first\nsecond) Tj", "first\nsecond"},
      // Each hexadecimal text once, however many ">" follow it.
      {"<414243>>>> Tj", "ABC"},
      {"<41>42>> Tj", "AB"},
  };
  for (const Case& c : cases) EXPECT_EQ(TextOf(FlateObject(c.content)), c.text) << c.content;
}

TEST(PDF2Text, StreamsThatAreNotInflatedGiveNoText) {
  EXPECT_EQ(TextOf(FlateObject("(Img) Tj", "/Filter /FlateDecode /ColorSpace /DeviceRGB")), "");
  EXPECT_EQ(TextOf("4 0 obj << /Length 10 >>\nstream\n(Plain) Tj\nendstream\nendobj\n"), "");
  EXPECT_EQ(TextOf("4 0 obj << /Filter /FlateDecode >>\nstream\nnot zlib data\nendstream\n"), "");
  // Text outside streams is read too.
  EXPECT_EQ(TextOf("1 0 obj << /Title (Report) >>\nendobj\n"), "Report");
}

// The dictionary is every line from the last "<<" on, joined without breaks.
TEST(PDF2Text, DictionaryIsReadAcrossLines) {
  EXPECT_EQ(TextOf(FlateObject("(Split) Tj", "/Filter /Flate\nDecode")), "Split");
  EXPECT_EQ(TextOf(FlateObject("(Img) Tj", "/Filter /FlateDecode\n/ColorSpace /Device\nRGB")), "");
  EXPECT_EQ(TextOf("<< /Filter /FlateDecode >>\n<< /Length 3 >>\nstream\n" + Compress("(No) Tj") + "\nendstream\n"), "");
}

TEST(PDF2Text, StreamWithoutDictionaryRaisesTheListError) {
  TStringStream source("%PDF-1.4\nstream\nendstream\n");
  try {
    TPDF2Text converter(source);
    FAIL() << "no exception";
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (-1)");
  }
}

// Faults: an end before the start, and escapes at the end of a line or of
// the data, read nothing outside the bytes they were given.
TEST(PDF2Text, MalformedStreamsAndEscapesReadNothingPastTheirEnd) {
  EXPECT_EQ(TextOf("<< /Filter /FlateDecode >>\nstream\r\n\r\nendstream\n(after)"), "after");
  EXPECT_EQ(TextOf("<< /Filter /FlateDecode >>\nstream\nendstream"), "");
  EXPECT_EQ(TextOf("<< /Filter /FlateDecode >>\nstream\n\n\n"), "");
  EXPECT_EQ(TextOf("(abc\\\ndef)"), "abcdef");
  EXPECT_EQ(TextOf("(abc\\"), "abc");
  EXPECT_EQ(TextOf("(abc\\12"), "abc\n");
  EXPECT_EQ(TextOf("x ("), "");
}

// Strings run on over line breaks, empty lines included, and from an
// inflated stream into the lines after it.
TEST(PDF2Text, StringsRunOnAcrossLinesAndStreams) {
  const std::pair<std::string, std::string> cases[] = {
      {"<41\r\n\r\n\n4243>", "ABC"},
      {"(one\n\r\ntwo)", "onetwo"},
      {"<< /Filter /FlateDecode >>\nstream\n" + Compress("<4142") + "\nendstream\n43>\n", "ABC"},
      {"<< /Filter /FlateDecode >>\nstream\n" + Compress("(one") + "\nendstream\ntwo)\n", "onetwo"},
  };
  for (const auto& [pdf, text] : cases) EXPECT_EQ(TextOf(pdf), text) << pdf;
}

TEST(PDF2Text, StreamCutShortGivesTheTextBeforeTheCut) {
  std::string content;
  for (int i = 0; i < 50; ++i) content += "(word" + std::to_string(i) + ") Tj\n";
  std::string full;
  for (int i = 0; i < 50; ++i) full += "word" + std::to_string(i);
  std::string data = Compress(content);
  std::string pdf = "<< /Filter /FlateDecode >>\nstream\n" + data.substr(0, data.size() / 2) + "\nendstream\n";
  std::string text = TextOf(pdf);
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(full.compare(0, text.size(), text), 0);
}

TEST(PDF2Text, ReadsAPdfMadeByGroff) {
  TPDF2Text converter(DataPath("pdf_groff.pdf"));
  std::string text = StreamText(converter.Output());
  EXPECT_NE(text.find("Hello PDF world from groff."), std::string::npos) << text;
  EXPECT_NE(text.find("Second paragraph with needle inside (parenthesised) and caf\xE9."), std::string::npos);
}

TEST(PDF2Text, MissingFileRaisesTheOpenError) {
  EXPECT_THROW(TPDF2Text(DataPath("no_such.pdf")), EFOpenError);
}

// Cut and flipped copies of a real PDF: no crash, no hang; at most the
// documented list error.
TEST(PDF2Text, DamagedCopiesNeverCrash) {
  std::string good = Fixture("pdf_groff.pdf");
  auto convert = [](const std::string& bytes) {
    try {
      TextOf(bytes);
    } catch (const EStringListError&) {
    }
  };
  for (size_t n : CutLengths(good.size())) convert(good.substr(0, n));
  for (const std::string& bad : FlippedCopies(good)) convert(bad);
}

TEST(PdfHelpers, DecodeOctalAndHexAsDocumented) {
  EXPECT_EQ(PdfOctalToByte("101"), 'A');
  EXPECT_EQ(PdfOctalToByte("777"), 0xFF);
  EXPECT_EQ(PdfOctalToByte("9"), 9);
  EXPECT_EQ(PdfHexToAnsi("414"), "A");
  EXPECT_EQ(PdfHexToText(""), "");
  EXPECT_EQ(PdfHexToText("FE2A"), std::string(1, '\0'));  // 0xFE2A + 470 wraps to 0
}

namespace {

int stopAfter = 0;  // how many checks pass before the hook asks to stop
int checks = 0;
bool StopWhenCounted() { return ++checks > stopAfter; }

}  // namespace

// A conversion told to stop gives up before its next stream: the streams
// before it were inflated, none after.
TEST(PDF2Text, StopIsNoticedBeforeEachStream) {
  const std::string pdf = FlateObject("(one) Tj") + FlateObject("(two) Tj") + FlateObject("(three) Tj");
  SetConversionShouldStop(&StopWhenCounted);
  for (int allowed : {0, 2}) {
    stopAfter = allowed;
    checks = 0;
    TStringStream source(pdf);
    EXPECT_THROW(TPDF2Text text(source), EAbort) << allowed;
    EXPECT_EQ(checks, allowed + 1);
  }
  SetConversionShouldStop(nullptr);
  EXPECT_EQ(TextOf(pdf), "onetwothree");
}
