// Targa files written by netpbm, ImageMagick and Pillow load to the pixels
// two other decoders agree on (bottom row first unless bit 5 says
// otherwise); the writer's files load back unchanged.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "imaging/targagraphic.h"
#include "picturetestutil.h"

namespace {

class TargaFiles : public ::testing::TestWithParam<const char*> {};

TEST_P(TargaFiles, LoadToTheReferencePixels) {
  TTargaGraphic tga;
  LoadBytes(tga, ReadFixture(std::string("pictures/") + GetParam()));
  EXPECT_TRUE(NearBytes(BitmapRgb(tga), ReferenceRgb(GetParam()), 0)) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Files, TargaFiles,
                         ::testing::Values("tga_rgb_rle.tga", "tga_rgb_raw.tga", "tga_cmap_rle.tga",
                                           "tga_netpbm_cmap_raw.tga", "tga_grey_rle.tga", "tga_grey_raw.tga",
                                           "tga_netpbm_rgba_rle.tga", "tga_netpbm_rgba_raw.tga",
                                           "tga_topleft.tga", "tga_cmap_raw.tga", "tga_rgba32.tga",
                                           "tga_magick_rgb_rle.tga", "tga_magick_grey_raw.tga",
                                           "tga_magick_rgba_rle.tga", "tga_pillow_rgb_raw.tga",
                                           "tga_pillow_rgb_rle.tga", "tga_pillow_rgba_rle.tga",
                                           "tga_pillow_grey_rle.tga", "tga_pillow_cmap_raw.tga"));

// Hand-made from the format description: an 18-byte header, then the map
// and the pixels.
Bytes TargaHeader(uint8_t type, uint16_t w, uint16_t h, uint8_t pixelSize, uint8_t descriptor = 0,
                  uint8_t mapType = 0, uint16_t mapLength = 0, uint8_t mapEntrySize = 0) {
  return {0,
          mapType,
          type,
          0,
          0,
          static_cast<uint8_t>(mapLength),
          static_cast<uint8_t>(mapLength >> 8),
          mapEntrySize,
          0,
          0,
          0,
          0,
          static_cast<uint8_t>(w),
          static_cast<uint8_t>(w >> 8),
          static_cast<uint8_t>(h),
          static_cast<uint8_t>(h >> 8),
          pixelSize,
          descriptor};
}

// A run packet of 6 pixels over a 4 x 2 image crosses from the first row
// into the second; both rows come out right.
TEST(TargaReader, PacketsMayCrossRows) {
  Bytes file = TargaHeader(11, 4, 2, 8, 0x20);
  file.insert(file.end(), {0x85, 7, 0x01, 8, 9});
  TTargaGraphic tga;
  LoadBytes(tga, file);
  const Bytes rgb = BitmapRgb(tga);
  const uint8_t expected[8] = {7, 7, 7, 7, 7, 7, 8, 9};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(rgb[3 * i], expected[i]) << i;
}

TEST(TargaReader, BottomUpRowsAndFifteenBitPixels) {
  Bytes file = TargaHeader(2, 1, 2, 16);
  file.insert(file.end(), {0x00, 0x7C, 0x1F, 0x00});  // bottom row red, top row blue
  TTargaGraphic tga;
  LoadBytes(tga, file);
  EXPECT_EQ(tga.PixelFormat(), pf15bit);
  EXPECT_EQ(BitmapRgb(tga), (Bytes{0, 0, 248, 248, 0, 0}));
}

TEST(TargaReader, SixteenBitColourMapExpandsByShifting) {
  Bytes file = TargaHeader(1, 2, 1, 8, 0x20, 1, 2, 16);
  file.insert(file.end(), {0xFF, 0x7F, 0x00, 0x7C, 1, 0});
  TTargaGraphic tga;
  LoadBytes(tga, file);
  EXPECT_EQ(BitmapRgb(tga), (Bytes{248, 0, 0, 248, 248, 248}));
}

TEST(TargaReader, ColourMapOfABadEntrySizeRaises) {
  Bytes file = TargaHeader(1, 1, 1, 8, 0, 1, 2, 8);
  file.insert(file.end(), {1, 2, 0});
  TTargaGraphic tga;
  EXPECT_THROW(LoadBytes(tga, file), EInvalidGraphic);
  Bytes shortMap = TargaHeader(1, 1, 1, 8, 0, 1, 200, 24);
  shortMap.insert(shortMap.end(), {1, 2, 3, 0});
  EXPECT_THROW(LoadBytes(tga, shortMap), EReadError);
}

TEST(TargaReader, EntrySizeZeroIsRefusedBySignatureButLoads) {
  Bytes file = TargaHeader(2, 1, 1, 24, 0x20);
  file.insert(file.end(), {1, 2, 3});
  TStringStream stream(AsString(file));
  EXPECT_FALSE(TTargaGraphic::CanLoadFromStream(stream));
  TTargaGraphic tga;
  LoadBytes(tga, file);
  EXPECT_EQ(BitmapRgb(tga), (Bytes{3, 2, 1}));
}

// Type 0 holds no picture, whatever size its header names; a picture of
// no width or height is refused with the reader's message.
TEST(TargaReader, NoImageLoadsEmptyAndNoSizeIsRefused) {
  TTargaGraphic tga;
  LoadBytes(tga, TargaHeader(0, 0xFFFF, 0xFFFF, 32));
  EXPECT_TRUE(tga.Empty());
  for (auto [w, h] : {std::pair{0, 5}, std::pair{5, 0}}) {
    Bytes file = TargaHeader(2, static_cast<uint16_t>(w), static_cast<uint16_t>(h), 24);
    file.resize(file.size() + 100, 0);
    EXPECT_EQ(RefusalOf<TTargaGraphic>(file), "Cannot load image. Invalid or unexpected Targa image format.");
  }
}

TEST(TargaReader, HugeRunLengthImageWithLittleDataIsRefused) {
  Bytes file = TargaHeader(10, 0xFFFF, 0x3FFF, 24);
  file.insert(file.end(), {0xFF, 1, 2, 3});
  TTargaGraphic tga;
  EXPECT_THROW(LoadBytes(tga, file), Exception);
}

Bytes Saved(TTargaGraphic& tga, bool compressed) {
  TStringStream out;
  tga.SaveToStreamCompressed(out, compressed);
  const std::string& s = out.DataString();
  return Bytes(s.begin(), s.end());
}

// Every format the writer takes loads back to the same colours; the header
// says top row first, and the map is there only for 8-bit pictures.
TEST(TargaWriter, WrittenFilesLoadBack) {
  for (const char* name : {"tga_rgb_raw.tga", "tga_cmap_raw.tga", "tga_rgba32.tga", "tga_grey_rle.tga"}) {
    for (bool compressed : {false, true}) {
      TTargaGraphic source;
      LoadBytes(source, ReadFixture(std::string("pictures/") + name));
      const Bytes file = Saved(source, compressed);
      ASSERT_GE(file.size(), 18u);
      EXPECT_EQ(file[17], 0x20);
      EXPECT_EQ(file[5] | file[6] << 8, 256);  // map length and entry size, also without a map
      EXPECT_EQ(file[7], 24);
      TStringStream check(AsString(file));
      EXPECT_TRUE(TTargaGraphic::CanLoadFromStream(check));
      TTargaGraphic again;
      LoadBytes(again, file);
      EXPECT_TRUE(NearBytes(BitmapRgb(again), BitmapRgb(source), 0)) << name << compressed;
    }
  }
}

TEST(TargaWriter, OneRowAndOneBitBitmaps) {
  TTargaGraphic one;
  one.SetPixelFormat(pf24bit);
  one.SetSize(3, 1);
  static_cast<uint8_t*>(one.ScanLine(0))[0] = 200;
  TTargaGraphic back;
  LoadBytes(back, Saved(one, true));
  EXPECT_EQ(BitmapRgb(back), BitmapRgb(one));

  TTargaGraphic mono;
  mono.SetPixelFormat(pf1bit);
  mono.SetSize(9, 2);
  static_cast<uint8_t*>(mono.ScanLine(1))[0] = 0x80;
  const Bytes expected = BitmapRgb(mono);
  const Bytes file = Saved(mono, false);
  EXPECT_EQ(mono.PixelFormat(), pf8bit);  // changed before writing
  EXPECT_EQ(file[16], 8);
  TTargaGraphic monoBack;
  LoadBytes(monoBack, file);
  EXPECT_EQ(BitmapRgb(monoBack), expected);
}

// Targa's 16-bit pixels are 5-5-5: a 5-6-5 bitmap is written in the colours
// it shows, not with green's low bit taken for red.
TEST(TargaWriter, FiveSixFiveBitmapKeepsItsColours) {
  TTargaGraphic source;
  source.SetPixelFormat(pf16bit);
  source.SetSize(4, 1);
  const uint16_t pixels[4] = {0xF800, 0x07E0, 0x001F, 0xFFFF};  // red, green, blue, white
  std::memcpy(source.ScanLine(0), pixels, sizeof pixels);
  for (bool compressed : {false, true}) {
    TTargaGraphic copy;
    copy.Assign(&source);
    const Bytes file = Saved(copy, compressed);
    EXPECT_EQ(file[16], 16);
    TTargaGraphic back;
    LoadBytes(back, file);
    EXPECT_EQ(BitmapRgb(back), (Bytes{248, 0, 0, 0, 248, 0, 0, 0, 248, 248, 248, 248})) << compressed;
  }
}

// One colour packs 128 pixels into a packet of three bytes: such a file
// is as small as run-length data gets, and loads back.
TEST(TargaWriter, FlatFifteenBitPictureLoadsBack) {
  TTargaGraphic flat;
  flat.SetPixelFormat(pf15bit);
  flat.SetSize(256, 300);
  TTargaGraphic back;
  LoadBytes(back, Saved(flat, true));
  EXPECT_EQ(back.Width(), 256);
  EXPECT_EQ(BitmapRgb(back), BitmapRgb(flat));
}

TEST(TargaWriter, EmptyBitmapWritesNothing) {
  TTargaGraphic empty;
  EXPECT_TRUE(Saved(empty, true).empty());
}

TEST(TargaReader, DamagedFilesFailCleanly) {
  for (const char* name : {"tga_rgb_rle.tga", "tga_cmap_rle.tga", "tga_topleft.tga", "tga_rgba32.tga"})
    SurvivesDamage<TTargaGraphic>(name);
}

}  // namespace
