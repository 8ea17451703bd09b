// SGI files written by ImageMagick and netpbm load to the pixels the other
// tool reads from them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "imaging/sgigraphic.h"
#include "picturetestutil.h"

namespace {

class SgiFiles : public ::testing::TestWithParam<const char*> {};

TEST_P(SgiFiles, LoadToTheReferencePixels) {
  const std::string name = GetParam();
  TSGIGraphic sgi;
  LoadBytes(sgi, ReadFixture("pictures/" + name));
  EXPECT_TRUE(NearBytes(BitmapRgb(sgi), ReferenceRgb(name), name.find("16") != std::string::npos ? 1 : 0)) << name;
}

INSTANTIATE_TEST_SUITE_P(Files, SgiFiles,
                         ::testing::Values("sgi_rgb_rle.sgi", "sgi_rgb_raw.sgi", "sgi_rgb16_raw.sgi",
                                           "sgi_rgb16_rle.sgi", "sgi_grey16_raw.sgi", "sgi_grey_rle.sgi",
                                           "sgi_netpbm_raw.sgi"));

// Hand-made from the format description: a 512-byte header, then the planes.
Bytes SgiFile(uint16_t w, uint16_t h, uint16_t z, uint8_t bytesPerChannel, const Bytes& planes) {
  Bytes file(512 + planes.size(), 0);
  file[0] = 0x01;
  file[1] = 0xDA;
  file[3] = bytesPerChannel;
  file[5] = 3;
  file[6] = static_cast<uint8_t>(w >> 8), file[7] = static_cast<uint8_t>(w);
  file[8] = static_cast<uint8_t>(h >> 8), file[9] = static_cast<uint8_t>(h);
  file[10] = static_cast<uint8_t>(z >> 8), file[11] = static_cast<uint8_t>(z);
  std::copy(planes.begin(), planes.end(), file.begin() + 512);
  return file;
}

// Grey with alpha shows the grey channel; the first stored row is the
// bottom one.
TEST(SgiReader, GreyWithAlphaShowsItsGreyChannel) {
  TSGIGraphic sgi;
  LoadBytes(sgi, SgiFile(2, 2, 2, 1, {10, 20, 30, 40, /* alpha */ 255, 255, 0, 0}));
  EXPECT_EQ(sgi.PixelFormat(), pf8bit);
  EXPECT_EQ(BitmapRgb(sgi), (Bytes{30, 30, 30, 40, 40, 40, 10, 10, 10, 20, 20, 20}));
}

// 16-bit grey samples stay within 8-bit rows: each is reduced.
TEST(SgiReader, SixteenBitGreyStaysWithinItsRows) {
  TSGIGraphic sgi;
  LoadBytes(sgi, SgiFile(3, 1, 1, 2, {0xFF, 0xFF, 0x80, 0x00, 0x00, 0xFF}));
  EXPECT_EQ(BitmapRgb(sgi), (Bytes{255, 255, 255, 127, 127, 127, 0, 0, 0}));
}

TEST(SgiReader, ChannelCountTakesTheLowByte) {
  TSGIGraphic sgi;
  LoadBytes(sgi, SgiFile(1, 1, 0x0103, 1, {1, 2, 3}));
  EXPECT_EQ(BitmapRgb(sgi), (Bytes{1, 2, 3}));
  EXPECT_THROW(LoadBytes(sgi, SgiFile(1, 1, 5, 1, {1, 2, 3, 4, 5})), EInvalidGraphic);
  EXPECT_THROW(LoadBytes(sgi, SgiFile(100, 100, 3, 1, {1, 2, 3})), EReadError);
}

// A run-length file whose every row points at the same packed row of length
// (in samples), which follows the tables.
Bytes SgiWithSharedRows(uint16_t width, uint16_t height, uint16_t channels, uint8_t bytesPerSample, uint32_t length) {
  const uint32_t rows = uint32_t{height} * channels, table = 512 + rows * 8;
  Bytes file = SgiFile(width, height, channels, bytesPerSample, {});
  file[2] = 1;  // run-length encoded
  auto put32 = [&](uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) file.push_back(static_cast<uint8_t>(v >> s));
  };
  for (uint32_t i = 0; i < rows; ++i) put32(table);
  for (uint32_t i = 0; i < rows; ++i) put32(length);
  return file;
}

// Every row of 8192 x 4096 RGB pixels points at the same 131 packed bytes:
// so small a file does not make a picture of 96 MB.
TEST(SgiReader, RowsSharingTheirDataCannotMakeAHugePicture) {
  Bytes file = SgiWithSharedRows(8192, 4096, 3, 1, 131);
  for (int i = 0; i < 65; ++i) file.insert(file.end(), {0x7F, 9});
  file.push_back(0);
  EXPECT_TRUE(LoadsInLittleMemory<TSGIGraphic>(file));
}

TEST(SgiReader, NoWidthOrHeightIsRefused) {
  for (auto [w, h] : {std::pair{0, 1}, std::pair{1, 0}})
    EXPECT_EQ(RefusalOf<TSGIGraphic>(SgiFile(static_cast<uint16_t>(w), static_cast<uint16_t>(h), 1, 1, {1, 2})),
              "Cannot load image. Invalid or unexpected sgi, bw or rgb(a) image format.");
}

TEST(SgiReader, DamagedFilesFailCleanly) {
  for (const char* name : {"sgi_rgb_rle.sgi", "sgi_rgb16_rle.sgi", "sgi_grey_rle.sgi", "sgi_rgb_raw.sgi"})
    SurvivesDamage<TSGIGraphic>(name);
}

// 16-bit RGBA of 8193 x 4096 pixels: its planes of 16-bit samples (268 MB)
// pass the bitmap's cap, the 32-bit bitmap it makes (134 MB) does not. Every
// row points at the same packed row; the file holds enough data besides.
TEST(SgiReader, SixteenBitPicturesAreCappedByTheirBitmap) {
  const uint16_t width = 8193, height = 4096;
  Bytes file = SgiWithSharedRows(width, height, 4, 2, 131);  // in 16-bit units
  for (int i = 0; i < 64; ++i) file.insert(file.end(), {0, 0x7F, 0x80, 0});
  file.insert(file.end(), {0, 0x41, 0x80, 0, 0, 0});
  file.resize(file.size() + uint64_t{width} * 2 * height * 4 / 64, 0);
  TSGIGraphic sgi;
  LoadBytes(sgi, file);
  ASSERT_EQ(sgi.Width(), width);
  EXPECT_EQ(static_cast<const uint8_t*>(sgi.ScanLine(0))[4 * (width - 1) + 3], 127);
}

}  // namespace
