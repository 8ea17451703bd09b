// Strips compressed by a real TIFF writer decode to the same bytes as the
// uncompressed twin of the same picture.
#include <gtest/gtest.h>

#include "imaging/ccittdecoder.h"
#include "imaging/lz77decoder.h"
#include "imaging/lzwdecoder.h"
#include "imaging/predictor.h"
#include "imaging/rledecoders.h"
#include "testutil.h"

namespace {

// Decodes every strip of a file into rows of the twin's layout, undoing the
// predictor when the file has one.
Bytes DecodeStrips(TDecoder& decoder, const TiffFixture& t) {
  Bytes all;
  uint32_t rowsLeft = t.Height();
  for (const Bytes& strip : t.strips) {
    uint32_t rows = std::min(rowsLeft, t.RowsPerStrip());
    Bytes out = DecodeBlock(decoder, strip, rows * t.RowBytes());
    if (t.Tag(317, 1) == 2)
      for (uint32_t r = 0; r < rows; ++r)
        UndoHorizontalPredictor(out.data() + r * t.RowBytes(), t.RowBytes(), t.Width(), t.Samples(),
                                t.BitsPerSample(), t.bigEndian);
    all.insert(all.end(), out.begin(), out.end());
    rowsLeft -= rows;
  }
  return all;
}

struct StripCase {
  const char* packed;
  const char* twin;
};

void PrintTo(const StripCase& c, std::ostream* os) { *os << c.packed; }

class LzwStrips : public ::testing::TestWithParam<StripCase> {};

TEST_P(LzwStrips, DecodeToTheUncompressedTwin) {
  TiffFixture packed = LoadTiff(GetParam().packed), twin = LoadTiff(GetParam().twin);
  ASSERT_EQ(packed.Tag(259), 5u);
  TTIFFLZWDecoder decoder;
  EXPECT_TRUE(SameBytes(DecodeStrips(decoder, packed), twin.Joined()));
}

INSTANTIATE_TEST_SUITE_P(
    RealFiles, LzwStrips,
    ::testing::Values(StripCase{"rgb_lzw.tif", "rgb_none.tif"},
                      StripCase{"rgb_lzw_pred.tif", "rgb_none.tif"},
                      // 16-bit samples, both byte orders, with the predictor
                      StripCase{"rgb16_lzw_pred.tif", "rgb16_none.tif"},
                      StripCase{"rgb16_be_lzw_pred.tif", "rgb16_be_none.tif"},
                      // grey with alpha: two samples per pixel
                      StripCase{"ga_lzw_pred.tif", "ga_none.tif"}),
    [](const auto& info) {
      std::string name = info.param.packed;
      return name.substr(0, name.find('.'));
    });

TEST(DeflateStrips, EachStripIsAStreamOfItsOwn) {
  for (const char* name : {"rgb_zip.tif", "rgb_zip_pred.tif"}) {
    TiffFixture packed = LoadTiff(name), twin = LoadTiff("rgb_none.tif");
    ASSERT_EQ(packed.Tag(259), 8u);
    TLZ77Decoder decoder(Z_PARTIAL_FLUSH, true);
    decoder.DecodeInit();
    EXPECT_TRUE(SameBytes(DecodeStrips(decoder, packed), twin.Joined())) << name;
    EXPECT_EQ(decoder.Status, Z_STREAM_END);
    decoder.DecodeEnd();
  }
}

TEST(PackbitsStrips, DecodeToTheUncompressedTwin) {
  TiffFixture packed = LoadTiff("rgb_packbits.tif"), twin = LoadTiff("rgb_none.tif");
  ASSERT_EQ(packed.Tag(259), 32773u);
  TPackbitsRLEDecoder decoder;
  EXPECT_TRUE(SameBytes(DecodeStrips(decoder, packed), twin.Joined()));
}

class Fax3Strips : public ::testing::TestWithParam<const char*> {};

// Plain, fill-bit padded and reversed-bit-order group 3 data of a picture
// 2600 pixels wide, so the shared make-up codes past 1728 occur too.
TEST_P(Fax3Strips, DecodeToTheUncompressedTwin) {
  TiffFixture packed = LoadTiff(GetParam()), twin = LoadTiff("bw_none.tif");
  ASSERT_EQ(packed.Tag(259), 3u);
  ASSERT_EQ(packed.Width(), 2600u);
  TCCITTFax3Decoder decoder(packed.Tag(292), packed.Tag(266, 1) == 2, false, packed.Width());
  decoder.DecodeInit();
  EXPECT_TRUE(SameBytes(DecodeStrips(decoder, packed), twin.Joined()));
}

INSTANTIATE_TEST_SUITE_P(RealFiles, Fax3Strips,
                         ::testing::Values("bw_g3.tif", "bw_g3_fill.tif", "bw_g3_lsb.tif"));

TEST(Fax3Strips, TwoDimensionalCodingIsRefused) {
  TiffFixture packed = LoadTiff("bw_g3_2d.tif");
  ASSERT_EQ(packed.Tag(292) & 1, 1u);
  TCCITTFax3Decoder decoder(packed.Tag(292), false, false, packed.Width());
  EXPECT_THROW(decoder.DecodeInit(), EGraphicCompression);
  GuardedBuffer out(packed.RowBytes() * 8);
  const uint8_t* src = packed.strips[0].data();
  uint8_t* dst = out.Data();
  try {
    decoder.Decode(src, dst, packed.strips[0].size(), out.Size());
    ADD_FAILURE() << "two-dimensional data was decoded";
  } catch (const EGraphicCompression& e) {
    EXPECT_NE(std::string(e.Message()).find("two-dimensional"), std::string::npos);
  }
  EXPECT_TRUE(out.GuardsIntact());
}

}  // namespace
