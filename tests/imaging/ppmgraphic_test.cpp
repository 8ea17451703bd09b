// Portable maps written by netpbm, plain and raw, 8- and 16-bit, load to the
// pixels ImageMagick reads from them.
#include <gtest/gtest.h>

#include <string>

#include "imaging/ppmgraphic.h"
#include "picturetestutil.h"

namespace {

class PortableMaps : public ::testing::TestWithParam<const char*> {};

TEST_P(PortableMaps, LoadToTheReferencePixels) {
  const std::string name = GetParam();
  TPPMGraphic pnm;
  LoadBytes(pnm, ReadFixture("pictures/" + name));
  const std::string stem = name.substr(0, name.rfind('.')) + "_" + name.substr(name.rfind('.') + 1);
  // Rounding of two-byte samples.
  const int tolerance = name.find("16") != std::string::npos || name.find("1000") != std::string::npos ? 1 : 0;
  EXPECT_TRUE(NearBytes(BitmapRgb(pnm), ReadFixture("pictures/" + stem + ".rgb"), tolerance)) << name;
}

INSTANTIATE_TEST_SUITE_P(Files, PortableMaps,
                         ::testing::Values("pnm_raw.pbm", "pnm_plain.pbm", "pnm_raw.pgm", "pnm_plain.pgm",
                                           "pnm_raw.ppm", "pnm_plain.ppm", "pnm_raw16.pgm", "pnm_raw16.ppm",
                                           "pnm_plain16.ppm", "pnm_raw15.pgm", "pnm_raw15.ppm", "pnm_plain15.ppm",
                                           "pnm_raw1000.ppm"));

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes Loaded(const std::string& text) {
  TPPMGraphic pnm;
  LoadBytes(pnm, Text(text));
  return BitmapRgb(pnm);
}

TEST(PortableMapReader, PlainBitmapDigitsNeedNoSpaces) {
  EXPECT_EQ(Loaded("P1\n4 1\n0101"), (Bytes{255, 255, 255, 0, 0, 0, 255, 255, 255, 0, 0, 0}));
}

// Numbers may share the magic's line, and comments may stand between any
// two of them.
TEST(PortableMapReader, HeaderLayoutAndComments) {
  EXPECT_EQ(Loaded("P2 2 1 255 7 9\n"), (Bytes{7, 7, 7, 9, 9, 9}));
  EXPECT_EQ(Loaded("P2\n# a\n# b\n2 # c\n1\n#d\n255\n7 9"), (Bytes{7, 7, 7, 9, 9, 9}));
}

// Samples of every maximum other than 255 are stretched to the full range,
// plain and raw; a value above the maximum shows as the maximum.
TEST(PortableMapReader, SamplesScaleToTheirMaximum) {
  EXPECT_EQ(Loaded("P5 2 1 15\n\x03\x0F"), (Bytes{51, 51, 51, 255, 255, 255}));
  EXPECT_EQ(Loaded("P2 2 1 15\n3 99"), (Bytes{51, 51, 51, 255, 255, 255}));
  EXPECT_EQ(Loaded("P6 1 1 2\n\x02\x01\x02"), (Bytes{255, 128, 255}));
  EXPECT_EQ(Loaded("P3 1 1 1000\n500 1000 0"), (Bytes{128, 255, 0}));
}

TEST(PortableMapReader, NoWidthOrHeightIsRefused) {
  for (const char* text : {"P5 0 1 255\n", "P4 1 0\n", "P3 0 0 255\n"})
    EXPECT_EQ(RefusalOf<TPPMGraphic>(Text(text)),
              "Cannot load image. Invalid or unexpected PBM, PGM or PPM image format.");
}

TEST(PortableMapReader, BadHeadersRaise) {
  TPPMGraphic pnm;
  EXPECT_THROW(LoadBytes(pnm, Text("P2 2 1 0\n1 2\n")), EInvalidGraphic);
  EXPECT_THROW(LoadBytes(pnm, Text("P2 -2 1 255\n1 2\n")), EInvalidGraphic);
  EXPECT_THROW(LoadBytes(pnm, Text("P5 2 1 70000\n1234\n")), EInvalidGraphic);
  EXPECT_THROW(LoadBytes(pnm, Text("X5 2 1 255\n12")), EInvalidGraphic);
  EXPECT_THROW(LoadBytes(pnm, Text("PQ 2 1 255\n12")), EConvertError);
}

// A file that ends before its pixels raises the reader's own error; nothing
// left in the read buffer from before is shown.
TEST(PortableMapReader, ShortFilesRaise) {
  TPPMGraphic pnm;
  try {
    LoadBytes(pnm, Text("P6 100 100 255\nabc"));
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "Stream read error in PPM file.");
  }
  EXPECT_THROW(LoadBytes(pnm, Text("P3 2 1 255\n1 2 3 4")), EInvalidGraphic);
}

TEST(PortableMapReader, MagicSevenLoadsEmpty) {
  TPPMGraphic pnm;
  LoadBytes(pnm, Text("P7\nWIDTH 2\n"));
  EXPECT_TRUE(pnm.Empty());
}

TEST(PortableMapReader, DamagedFilesFailCleanly) {
  for (const char* name : {"pnm_raw.ppm", "pnm_plain.pgm", "pnm_raw16.ppm", "pnm_plain.pbm"})
    SurvivesDamage<TPPMGraphic>(name);
}

}  // namespace
