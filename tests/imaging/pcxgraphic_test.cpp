// PCX files written by netpbm, ImageMagick and Pillow load to the pixels
// another tool reads from them.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "imaging/pcxgraphic.h"
#include "picturetestutil.h"

namespace {

class PcxFiles : public ::testing::TestWithParam<const char*> {};

// Four bit planes, packed 2- and 4-bit, 8-bit with the palette block, 24-bit
// in three planes, RGBA in four, 1-bit (Pillow's with a header palette of
// zeros); all 37 pixels wide.
TEST_P(PcxFiles, LoadToTheReferencePixels) {
  TPCXGraphic pcx;
  LoadBytes(pcx, ReadFixture(std::string("pictures/") + GetParam()));
  EXPECT_TRUE(NearBytes(BitmapRgb(pcx), ReferenceRgb(GetParam()), 0)) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Files, PcxFiles,
                         ::testing::Values("pcx_planes4.pcx", "pcx_packed2.pcx", "pcx_packed4.pcx",
                                           "pcx_8bit.pcx", "pcx_24bit.pcx", "pcx_1bit.pcx",
                                           "pcx_magick24.pcx", "pcx_magick_rgba.pcx", "pcx_pillow_1bit.pcx"));

// The fourth byte plane is the alpha channel: the negated grey picture.
TEST(PcxReader, FourBytePlanesKeepTheirAlpha) {
  TPCXGraphic pcx;
  LoadBytes(pcx, ReadFixture("pictures/pcx_magick_rgba.pcx"));
  ASSERT_EQ(pcx.PixelFormat(), pf32bit);
  const Bytes grey = ReferenceRgb("png_gray8.png");
  const auto* row = static_cast<const uint8_t*>(pcx.ScanLine(0));
  for (int x = 0; x < 3; ++x) EXPECT_EQ(row[4 * x + 3], 255 - grey[3 * x]) << x;
}

Bytes PcxHeader(uint8_t manufacturer, uint8_t version, uint8_t encoding, uint8_t bits, uint16_t w, uint16_t h,
                uint8_t planes, uint16_t bytesPerLine, uint16_t paletteInfo = 1) {
  Bytes h128(128, 0);
  h128[0] = manufacturer;
  h128[1] = version;
  h128[2] = encoding;
  h128[3] = bits;
  h128[8] = static_cast<uint8_t>(w - 1);
  h128[9] = static_cast<uint8_t>((w - 1) >> 8);
  h128[10] = static_cast<uint8_t>(h - 1);
  h128[11] = static_cast<uint8_t>((h - 1) >> 8);
  h128[65] = planes;
  h128[66] = static_cast<uint8_t>(bytesPerLine);
  h128[67] = static_cast<uint8_t>(bytesPerLine >> 8);
  h128[68] = static_cast<uint8_t>(paletteInfo);
  for (int i = 0; i < 48; ++i) h128[16 + i] = static_cast<uint8_t>(i * 5);
  return h128;
}

TEST(PcxReader, TwoBitImageBecomesAFourBitBitmap) {
  Bytes file = PcxHeader(10, 5, 0, 2, 4, 1, 1, 2);
  file.insert(file.end(), {0x1B, 0});
  TPCXGraphic pcx;
  LoadBytes(pcx, file);
  EXPECT_EQ(pcx.PixelFormat(), pf4bit);
  // Indices 0, 1, 2, 3 show header entries 0, 1, 2, 3.
  EXPECT_EQ(BitmapRgb(pcx), (Bytes{0, 5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55}));
}

TEST(PcxReader, VersionThreeUsesTheSystemPalette) {
  Bytes file = PcxHeader(10, 3, 0, 4, 2, 1, 1, 1);
  file.insert(file.end(), {0x9F});
  TPCXGraphic pcx;
  LoadBytes(pcx, file);
  EXPECT_EQ(BitmapRgb(pcx), (Bytes{255, 0, 0, 255, 255, 255}));
}

TEST(PcxReader, EightBitFileWithoutPaletteBlockKeepsItsDataShort) {
  Bytes file = PcxHeader(10, 5, 0, 8, 2, 1, 1, 2, 2);
  file.insert(file.end(), {40, 80});
  file.resize(file.size() + 769, 0);
  TPCXGraphic pcx;
  LoadBytes(pcx, file);
  EXPECT_EQ(BitmapRgb(pcx), (Bytes{40, 40, 40, 80, 80, 80}));  // grey palette information
}

TEST(PcxReader, SignatureAndPropertiesDisagreeOnManufacturer) {
  Bytes twelve = PcxHeader(12, 5, 0, 8, 1, 1, 1, 1);
  twelve.push_back(0);
  TStringStream a(AsString(twelve));
  EXPECT_TRUE(TPCXGraphic::CanLoadFromStream(a));
  TPCXGraphic pcx;
  EXPECT_FALSE(pcx.ReadImageProperties(a, 0));
  Bytes capture = PcxHeader(0xCD, 5, 0, 8, 1, 1, 1, 1);
  capture.push_back(0);
  TStringStream b(AsString(capture));
  EXPECT_FALSE(TPCXGraphic::CanLoadFromStream(b));
  EXPECT_TRUE(pcx.ReadImageProperties(b, 0));
}

// Lines too short for their pixels, and layouts no bitmap takes, are refused
// before any row is converted.
TEST(PcxReader, ImpossibleLayoutsAreRefused) {
  TPCXGraphic pcx;
  Bytes shortLine = PcxHeader(10, 5, 0, 8, 100, 1, 1, 2);
  shortLine.resize(shortLine.size() + 1000, 0);
  EXPECT_THROW(LoadBytes(pcx, shortLine), EInvalidGraphic);
  Bytes twoPlanes = PcxHeader(10, 5, 0, 1, 8, 1, 2, 1);
  twoPlanes.resize(twoPlanes.size() + 10, 0);
  EXPECT_THROW(LoadBytes(pcx, twoPlanes), EInvalidGraphic);
}

// Whatever the version, a one-plane bitmap shows black and white, not its
// header palette (which writers leave as zeros).
TEST(PcxReader, OneBitPicturesAreBlackAndWhite) {
  for (uint8_t version : {0, 2, 3, 5}) {
    Bytes file = PcxHeader(10, version, 0, 1, 2, 1, 1, 2);
    file.insert(file.end(), {0x40, 0});
    TPCXGraphic pcx;
    LoadBytes(pcx, file);
    EXPECT_EQ(BitmapRgb(pcx), (Bytes{0, 0, 0, 255, 255, 255})) << int(version);
  }
}

TEST(PcxReader, NoWidthOrHeightIsRefused) {
  for (size_t minAt : {4, 6}) {
    Bytes file = PcxHeader(10, 5, 0, 8, 1, 1, 1, 2);
    file[minAt] = 5;  // the minimum past the maximum
    file.resize(file.size() + 10, 0);
    EXPECT_EQ(RefusalOf<TPCXGraphic>(file), "Cannot load image. Invalid or unexpected PCX or SCR image format.");
  }
}

// Packed data is read a block of 64 KiB at a time: a run whose count byte
// ends one block and whose repeated byte starts the next still repeats it,
// and runs carry on from one line into the next.
TEST(PcxReader, RunsCarryOnAcrossDataBlocksAndLines) {
  Bytes file = PcxHeader(10, 5, 1, 8, 1000, 200, 1, 1000);
  file.insert(file.end(), 65535, 0x01);
  file.insert(file.end(), {0xC5, 0x07});
  file.insert(file.end(), 200000 - 65540 - 3, 0x02);
  file.insert(file.end(), {0xC3, 0x09});  // the last line's three bytes
  file.push_back(12);
  file.insert(file.end(), 768, 0);
  TPCXGraphic pcx;
  LoadBytes(pcx, file);
  auto pixel = [&](size_t i) { return static_cast<const uint8_t*>(pcx.ScanLine(int(i / 1000)))[i % 1000]; };
  const std::pair<size_t, uint8_t> expected[] = {{65534, 1}, {65535, 7}, {65539, 7}, {65540, 2}, {199996, 2}, {199997, 9},
                                                 {199999, 9}};
  for (const auto& [at, value] : expected) EXPECT_EQ(pixel(at), value) << at;
}

// 4000 x 4000 uncompressed 8-bit pixels with 300 KB of them there: refused
// before the picture is made.
TEST(PcxReader, UncompressedFileMustHoldItsRows) {
  Bytes file = PcxHeader(10, 5, 0, 8, 4000, 4000, 1, 4000);
  file.resize(file.size() + 300000, 7);
  EXPECT_TRUE(LoadsInLittleMemory<TPCXGraphic>(file));
}

TEST(PcxReader, DamagedFilesFailCleanly) {
  for (const char* name : {"pcx_planes4.pcx", "pcx_8bit.pcx", "pcx_24bit.pcx", "pcx_packed2.pcx"})
    SurvivesDamage<TPCXGraphic>(name);
}

}  // namespace
