#include "search/extract/zinflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "search/extract/testfiles.h"

namespace {

struct Inflated {
  TZInflateResult result;
  std::string bytes;
  bool released;  // nothing was handed out
};

Inflated Raw(const std::string& in, size_t estimate = 0) {
  void* out = nullptr;
  size_t outBytes = 0;
  TZInflateResult r = ZDecompressRaw(in.data(), in.size(), out, estimate, outBytes);
  std::unique_ptr<void, decltype(&std::free)> owned(out, &std::free);
  return {r, std::string(static_cast<const char*>(out) ? static_cast<const char*>(out) : "", outBytes),
          out == nullptr};
}

Inflated Zlib(const std::string& in, size_t estimate = 0) {
  void* out = nullptr;
  size_t outBytes = 0;
  TZInflateResult r = ZDecompress(in.data(), in.size(), out, estimate, outBytes);
  std::unique_ptr<void, decltype(&std::free)> owned(out, &std::free);
  return {r, std::string(out ? static_cast<const char*>(out) : "", outBytes), out == nullptr};
}

std::string Deflate(const std::string& data, bool raw) {
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, raw ? -MAX_WBITS : MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, data.size()), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

std::string SampleText() {
  std::string text;
  for (int i = 0; i < 200; ++i) text += "line " + std::to_string(i * 7919 % 1000) + " of the sample text\n";
  return text;
}

}  // namespace

// Raw deflate cases, each named after what is wrong with the data.
TEST(ZDecompressRaw, HexCasesGiveTheirResult) {
  struct Case {
    const char* name;
    const char* hex;
    TZInflateResult result;
    const char* output;
  } cases[] = {
      {"fixed block", "cbc80400", zrComplete, "hi"},
      {"stored block", "01 0200 fdff 6869", zrComplete, "hi"},
      {"back reference", "cb48cdc9c957c8402701", zrComplete, "hello hello hello hello"},
      {"no input at all", "", zrTruncated, ""},
      {"fixed block cut before its end code", "cbc8", zrTruncated, "h"},
      {"stored block cut inside its data", "01 0200 fdff 68", zrTruncated, "h"},
      {"stored length not matching its complement", "01 0200 0000 6869", zrDamaged, ""},
      {"reserved block type", "07", zrDamaged, ""},
      {"distance too far back", "4b044200", zrDamaged, ""},
  };
  for (const Case& c : cases) {
    for (size_t estimate : {size_t(0), size_t(1), size_t(2), size_t(64)}) {
      Inflated got = Raw(Hex(c.hex), estimate);
      EXPECT_EQ(got.result, c.result) << c.name << ", estimate " << estimate;
      EXPECT_EQ(got.bytes, c.output) << c.name << ", estimate " << estimate;
      if (c.result == zrDamaged) {
        EXPECT_TRUE(got.released) << c.name;
      }
    }
  }
}

// The output does not depend on the estimate: too small, exact or too large.
TEST(ZDecompress, OutputIsTheSameForEveryEstimate) {
  std::string text = SampleText();
  std::string raw = Deflate(text, true);
  std::string zlib = Deflate(text, false);
  for (size_t estimate : {size_t(0), size_t(1), text.size() - 1, text.size(), text.size() * 3}) {
    Inflated r = Raw(raw, estimate);
    EXPECT_EQ(r.result, zrComplete);
    EXPECT_EQ(r.bytes, text) << "raw, estimate " << estimate;
    Inflated z = Zlib(zlib, estimate);
    EXPECT_EQ(z.result, zrComplete);
    EXPECT_EQ(z.bytes, text) << "zlib, estimate " << estimate;
  }
}

// Input cut at every length: never an endless loop, never a crash; what
// comes out is the start of the text, reported as truncated.
TEST(ZDecompress, CutInputIsReportedTruncatedWithTheTextSoFar) {
  std::string text = SampleText();
  std::string raw = Deflate(text, true);
  std::string zlib = Deflate(text, false);
  for (size_t n = 0; n < raw.size(); ++n) {
    Inflated got = Raw(raw.substr(0, n), text.size());
    ASSERT_EQ(got.result, zrTruncated) << "raw cut at " << n;
    ASSERT_EQ(text.compare(0, got.bytes.size(), got.bytes), 0) << "raw cut at " << n;
  }
  for (size_t n = 0; n < zlib.size(); ++n) {
    Inflated got = Zlib(zlib.substr(0, n));
    ASSERT_EQ(got.result, zrTruncated) << "zlib cut at " << n;
    ASSERT_EQ(text.compare(0, got.bytes.size(), got.bytes), 0) << "zlib cut at " << n;
  }
}

TEST(ZDecompress, CorruptDataRaisesWithZlibsText) {
  try {
    Zlib(Hex("7800 cbc80400"));  // a header whose check bits do not add up
    FAIL() << "no exception";
  } catch (const EZDecompressionError& e) {
    EXPECT_EQ(e.Message(), "data error");
  }
  EXPECT_EQ(ZDecompressCheck(Z_NEED_DICT), Z_NEED_DICT);
  EXPECT_THROW(ZDecompressCheck(Z_BUF_ERROR), EZDecompressBufError);
  EXPECT_THROW(ZDecompressCheck(Z_DATA_ERROR), EZDecompressionError);
  EXPECT_STREQ(ZErrorText(Z_MEM_ERROR), "insufficient memory");
}

// A small input that inflates past the cap is given up, in both forms.
TEST(ZDecompress, OutputOverTheCapIsDamaged) {
  z_stream z{};
  deflateInit2(&z, 1, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string zeros(1 << 20, '\0');
  std::string raw(8 << 20, '\0');
  z.next_out = reinterpret_cast<Bytef*>(raw.data());
  z.avail_out = static_cast<uInt>(raw.size());
  for (uint64_t fed = 0; fed <= kMaxInflatedBytes; fed += zeros.size()) {
    z.next_in = reinterpret_cast<Bytef*>(zeros.data());
    z.avail_in = static_cast<uInt>(zeros.size());
    deflate(&z, Z_NO_FLUSH);
  }
  ASSERT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  raw.resize(z.total_out);
  deflateEnd(&z);

  Inflated got = Raw(raw);
  EXPECT_EQ(got.result, zrDamaged);
  EXPECT_TRUE(got.released);
}

// The caller's limit holds to the byte, whatever the estimate: "hi" fits in
// two bytes, not in one.
TEST(ZDecompress, OutputPastTheCallersLimitIsDamaged) {
  for (size_t estimate : {size_t(0), size_t(1), size_t(100)}) {
    void* out = nullptr;
    size_t outBytes = 0;
    EXPECT_EQ(ZDecompressRaw(Hex("cbc80400").data(), 4, out, estimate, outBytes, 1), zrDamaged) << estimate;
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(ZDecompressRaw(Hex("cbc80400").data(), 4, out, estimate, outBytes, 2), zrComplete) << estimate;
    EXPECT_EQ(std::string(static_cast<const char*>(out), outBytes), "hi");
    std::free(out);
  }
  const std::string zlib = Deflate(SampleText(), false);
  void* out = nullptr;
  size_t outBytes = 0;
  EXPECT_THROW(ZDecompress(zlib.data(), zlib.size(), out, 0, outBytes, SampleText().size() - 1), EZDecompressionError);
  EXPECT_EQ(ZDecompress(zlib.data(), zlib.size(), out, 0, outBytes, SampleText().size()), zrComplete);
  std::free(out);
}
