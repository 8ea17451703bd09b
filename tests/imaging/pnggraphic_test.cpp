// PNG files written by netpbm and ImageMagick load to the pixels another
// decoder reads from them; damaged files fail cleanly.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cmath>
#include <string>

#include "classlib/bytereader.h"
#include "fuzz/pngchunks.h"
#include "imaging/imagingtexts.h"
#include "imaging/pnggraphic.h"
#include "picturetestutil.h"

namespace {

class PngFiles : public ::testing::TestWithParam<const char*> {};

TEST_P(PngFiles, LoadToTheReferencePixels) {
  const std::string name = GetParam();
  TPNGGraphic png;
  LoadBytes(png, ReadFixture("pictures/" + name));
  const bool wide = name.find("16") != std::string::npos;
  EXPECT_TRUE(NearBytes(BitmapRgb(png), ReferenceRgb(name), wide ? 1 : 0)) << name;
}

INSTANTIATE_TEST_SUITE_P(
    Netpbm, PngFiles,
    ::testing::Values("png_gray1.png", "png_gray2.png", "png_gray4.png", "png_gray8.png", "png_gray16.png",
                      "png_rgb8.png", "png_rgb16.png", "png_pal1.png", "png_pal2.png", "png_pal4.png",
                      "png_pal8.png", "png_rgba8.png", "png_rgb8_adam7.png", "png_gray1_adam7.png",
                      "png_pal4_adam7.png", "png_gray16_adam7.png", "png_rgba8_adam7.png", "png_pal4_trns.png",
                      "png_pal4_bkgd.png", "magick_graya8.png", "magick_rgba16.png"));

TEST(PngReader, FormatsFollowTheColourType) {
  auto formatOf = [](const char* name) {
    TPNGGraphic png;
    LoadBytes(png, ReadFixture(std::string("pictures/") + name));
    return png.PixelFormat();
  };
  EXPECT_EQ(formatOf("png_gray2.png"), pf4bit);  // 2-bit grey becomes 4-bit grey
  EXPECT_EQ(formatOf("png_rgb16.png"), pf24bit);
  EXPECT_EQ(formatOf("magick_graya8.png"), pf8bit);
  EXPECT_EQ(formatOf("png_rgba8.png"), pf32bit);
  EXPECT_EQ(formatOf("png_pal1.png"), pf1bit);
}

TEST(PngReader, AlphaIsKeptBesideTheColours) {
  TPNGGraphic png;
  LoadBytes(png, ReadFixture("pictures/png_rgba8.png"));
  const auto* row = static_cast<const uint8_t*>(png.ScanLine(0));
  const Bytes grey = ReferenceRgb("png_gray8.png");
  // The alpha plane is the negated grey picture.
  EXPECT_EQ(row[3], 255 - grey[0]);
  EXPECT_EQ(row[7], 255 - grey[3]);
}

// gAMA 1.0 against a screen gamma of 2.2: every sample of the picture
// (the same one as png_rgb8.png) goes through 255 * (v / 255) ^ (1 / 2.2).
TEST(PngReader, FileGammaCorrectsTheColours) {
  TPNGGraphic png;
  LoadBytes(png, ReadFixture("pictures/png_rgb8_gamma1.png"));
  Bytes expected = ReferenceRgb("png_rgb8.png");
  for (uint8_t& v : expected) v = static_cast<uint8_t>(std::nearbyint(255 * std::pow(v / 255.0, 1 / 2.2)));
  EXPECT_TRUE(NearBytes(BitmapRgb(png), expected, 0));
  EXPECT_FLOAT_EQ(png.ImageProperties.FileGamma, 1.0f);
  EXPECT_TRUE(png.ImageProperties.Options & 16);
}

// The transparent colour is the first pixel of the 16-colour picture.
TEST(PngReader, TransparentColourOfAnRgbFile) {
  TPNGGraphic png;
  LoadBytes(png, ReadFixture("pictures/png_rgb8_trns.png"));
  EXPECT_TRUE(png.Transparent());
  const Bytes first = ReferenceRgb("png_pal4.png");
  EXPECT_EQ(png.TransparentColor(), RGBColor(first[0], first[1], first[2]));
  EXPECT_TRUE(NearBytes(BitmapRgb(png), ReferenceRgb("png_rgb8_trns.png"), 0));
}

// --- hand-made files ----------------------------------------------------------

void Put32(Bytes& b, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<uint8_t>(v >> s));
}

void AddChunk(Bytes& file, const char* type, const Bytes& data, bool goodCrc = true) {
  Put32(file, static_cast<uint32_t>(data.size()));
  Bytes body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  file.insert(file.end(), body.begin(), body.end());
  Put32(file, static_cast<uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))) ^ (goodCrc ? 0 : 1));
}

Bytes Header(uint32_t w, uint32_t h, uint8_t depth, uint8_t type, uint8_t interlace = 0, uint8_t method = 0) {
  Bytes d;
  Put32(d, w);
  Put32(d, h);
  d.insert(d.end(), {depth, type, method, 0, interlace});
  return d;
}

Bytes Deflate(const Bytes& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  Bytes out(size);
  compress(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
  out.resize(size);
  return out;
}

Bytes Png(const Bytes& header, const std::vector<std::pair<const char*, Bytes>>& chunks) {
  Bytes file = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
  AddChunk(file, "IHDR", header);
  for (const auto& [type, data] : chunks) AddChunk(file, type, data);
  AddChunk(file, "IEND", {});
  return file;
}

std::string LoadError(const Bytes& file) { return RefusalOf<TPNGGraphic>(file); }

TEST(PngReader, ExactlyEightBytesAreRefusedBySignature) {
  TStringStream eight(std::string("\x89PNG\r\n\x1a\n", 8));
  EXPECT_FALSE(TPNGGraphic::CanLoadFromStream(eight));
  TStringStream nine(std::string("\x89PNG\r\n\x1a\nX", 9));
  EXPECT_TRUE(TPNGGraphic::CanLoadFromStream(nine));
  EXPECT_EQ(nine.Position(), 0);
}

TEST(PngReader, HeaderFaultsRaiseTheirMessages) {
  const Bytes row = Deflate({0, 0});
  EXPECT_EQ(LoadError(Png(Header(0, 1, 8, 0), {{"IDAT", row}})),
            "Cannot load image. Invalid or unexpected PNG image format.");
  EXPECT_EQ(LoadError(Png(Header(1, 1, 8, 0, 0, 1), {{"IDAT", row}})),
            "Cannot load image. The compression scheme is not supported for PNG files.");
  EXPECT_EQ(LoadError(Png(Header(1, 1, 3, 0), {{"IDAT", row}})), "Invalid color format in PNG file.");
  EXPECT_EQ(LoadError(Png(Header(1, 1, 8, 3), {{"PLTE", Bytes(767)}, {"IDAT", row}})),
            "Cannot load image. Palette in PNG file is invalid.");
  EXPECT_EQ(LoadError(Png(Header(1, 1, 8, 0), {{"CRIT", {}}, {"IDAT", row}})),
            "Cannot load PNG image. Unexpected but critical chunk detected.");
  EXPECT_EQ(LoadError(Png(Header(1, 1, 8, 0), {{"crit", {}}, {"IDAT", row}})), "");
  EXPECT_EQ(LoadError(Png(Header(1, 1, 8, 0), {{"idat", row}})), "");  // letter case never matters
}

TEST(PngReader, WrongCrcOnAReadChunkIsAnError) {
  Bytes file = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
  AddChunk(file, "IHDR", Header(1, 1, 8, 0));
  AddChunk(file, "IDAT", Deflate({0, 7}), false);
  AddChunk(file, "IEND", {});
  EXPECT_EQ(LoadError(file), "Cannot load image. CRC error found in PNG file.");
}

// A chunk whose length runs past the file is refused before anything is
// made for it.
TEST(PngReader, ChunkLengthsAreCheckedAgainstTheFile) {
  Bytes file = Png(Header(1, 1, 8, 0), {{"IDAT", Deflate({0, 7})}});
  file[8 + 25 + 0] = 0x7F;  // the IDAT length's top byte
  TPNGGraphic png;
  EXPECT_THROW(LoadBytes(png, file), EReadError);
}

// A palette of two colours and pixels that name index 5: those show black,
// and nothing is read past the palette.
TEST(PngReader, IndicesPastThePaletteShowBlack) {
  const Bytes file = Png(Header(3, 1, 8, 3), {{"PLTE", {10, 20, 30, 40, 50, 60}}, {"IDAT", Deflate({0, 0, 1, 5})}});
  TPNGGraphic png;
  LoadBytes(png, file);
  EXPECT_EQ(BitmapRgb(png), (Bytes{10, 20, 30, 40, 50, 60, 0, 0, 0}));
}

// Rows inflate to more data than the image has: the excess is ignored.
TEST(PngReader, DataPastTheLastRowIsIgnored) {
  Bytes raw = {0, 1, 2, 0, 3, 4};
  raw.resize(100000, 9);
  const Bytes file = Png(Header(2, 2, 8, 0), {{"IDAT", Deflate(raw)}});
  TPNGGraphic png;
  LoadBytes(png, file);
  EXPECT_EQ(BitmapRgb(png), (Bytes{1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4}));
}

TEST(PngReader, HugeDeclaredSizesAreRefusedBeforeAllocating) {
  EXPECT_NE(LoadError(Png(Header(0x7FFFFFFF, 0x7FFFFFFF, 8, 6), {{"IDAT", Deflate({0})}})), "");
  EXPECT_NE(LoadError(Png(Header(16384, 16384, 8, 0), {{"IDAT", Deflate({0})}})), "");
}

// Rows of filter byte 0 and zeros, deflated one by one so that the test
// never holds the whole raw picture; every 197th byte random when detailed.
Bytes DeflatedRows(uint32_t rows, size_t rowBytes, bool detailed) {
  z_stream z{};
  deflateInit(&z, detailed ? 1 : 9);
  Bytes row(rowBytes), packed;
  uint32_t seed = 1;
  for (uint32_t y = 0; y < rows; ++y) {
    for (size_t x = 1; detailed && x < row.size(); x += 197)
      row[x] = static_cast<uint8_t>(seed = seed * 1103515245 + 12345);
    z.next_in = row.data();
    z.avail_in = static_cast<uInt>(row.size());
    const int flush = y + 1 == rows ? Z_FINISH : Z_NO_FLUSH;
    do {
      uint8_t out[65536];
      z.next_out = out;
      z.avail_out = sizeof out;
      deflate(&z, flush);
      packed.insert(packed.end(), out, out + (sizeof out - z.avail_out));
    } while (z.avail_out == 0);
  }
  deflateEnd(&z);
  return packed;
}

// The largest RGBA picture the bitmap holds: its filter bytes take it past
// the bitmap's size, but only the bitmap counts against that. Its rows hold
// enough detail for deflate data of a believable size.
TEST(PngReader, LargestRgbaPictureLoads) {
  const uint32_t side = 8192;
  TPNGGraphic png;
  LoadBytes(png, Png(Header(side, side, 8, 6), {{"IDAT", DeflatedRows(side, 4 * side + 1, true)}}));
  EXPECT_EQ(png.Width(), int(side));
}

// A picture of 8192 x 7000 pixels all of one colour deflates to about
// 220 KB: with a comment of 64 KB beside it, still so small a file does not
// make a bitmap of 219 MiB.
TEST(PngReader, SmallFileOfAHugeFlatPictureIsRefused) {
  const uint32_t width = 8192, height = 7000;
  const Bytes file = Png(Header(width, height, 8, 6),
                         {{"IDAT", DeflatedRows(height, 4 * width + 1, false)}, {"zzZz", Bytes(65536, 'z')}});
  ASSERT_LT(file.size(), 300000u);
  EXPECT_TRUE(LoadsInLittleMemory<TPNGGraphic>(file));
}

// Deflated data of the first row alone: the zlib header, a stored block's
// header and the row. The rows after it keep the background.
Bytes FirstRowOnly(const Bytes& raw, size_t rowBytes) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  Bytes stored(size);
  compress2(stored.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 0);
  return Bytes(stored.begin(), stored.begin() + 2 + 5 + static_cast<ptrdiff_t>(rowBytes));
}

TEST(PngReader, ImageDataThatEndsEarlyLeavesTheBackground) {
  const Bytes cut = FirstRowOnly({0, 50, 60, 0, 70, 80}, 3);
  TPNGGraphic png;
  LoadBytes(png, Png(Header(2, 2, 8, 0), {{"bKGD", {0, 255}}, {"IDAT", cut}}));
  EXPECT_EQ(BitmapRgb(png), (Bytes{50, 50, 50, 60, 60, 60, 255, 255, 255, 255, 255, 255}));
}

// Grey pictures of 1, 2 and 4 bits and a palette picture: a bKGD and a tRNS
// value name a level of the picture's own depth (an index for the palette).
TEST(PngReader, LowDepthBackgroundAndTransparency) {
  struct Case {
    uint8_t depth, type;
    Bytes background, transparent;
    uint8_t backgroundGrey, transparentGrey;
  };
  const Case cases[] = {
      {1, 0, {0, 1}, {0, 0}, 255, 0},
      {2, 0, {0, 2}, {0, 1}, 170, 85},
      {4, 0, {0, 5}, {0, 15}, 85, 255},
      {4, 3, {1}, {}, 200, 0},
  };
  for (const Case& c : cases) {
    std::vector<std::pair<const char*, Bytes>> chunks;
    if (c.type == 3) chunks.push_back({"PLTE", {0, 0, 0, 200, 200, 200}});
    chunks.push_back({"bKGD", c.background});
    if (!c.transparent.empty()) chunks.push_back({"tRNS", c.transparent});
    chunks.push_back({"IDAT", FirstRowOnly({0, 0, 0, 0}, 2)});
    TPNGGraphic png;
    LoadBytes(png, Png(Header(1, 2, c.depth, c.type), chunks));
    const Bytes rgb = BitmapRgb(png);
    EXPECT_EQ(rgb[3], c.backgroundGrey) << int(c.depth);
    EXPECT_EQ(rgb[5], c.backgroundGrey) << int(c.depth);
    if (!c.transparent.empty()) {
      EXPECT_EQ(png.TransparentColor(), RGBColor(c.transparentGrey, c.transparentGrey, c.transparentGrey))
          << int(c.depth);
    }
  }
}

// A gAMA of 0 or far outside real values is damage and is not applied; an
// interlace method other than none or Adam7 is refused.
TEST(PngReader, AbsurdGammaIsIgnoredAndUnknownInterlaceRefused) {
  const Bytes row = Deflate({0, 100});
  for (uint32_t gamma : {0u, 1u, 2000u, 0xFFFFFFFFu}) {
    Bytes value;
    Put32(value, gamma);
    TPNGGraphic png;
    LoadBytes(png, Png(Header(1, 1, 8, 0), {{"gAMA", value}, {"IDAT", row}}));
    EXPECT_EQ(BitmapRgb(png), (Bytes{100, 100, 100})) << gamma;
    EXPECT_FALSE(png.ImageProperties.Options & ioFileGamma) << gamma;
  }
  EXPECT_EQ(LoadError(Png(Header(1, 1, 8, 0, 2), {{"IDAT", row}})),
            "Cannot load image. Invalid or unexpected PNG image format.");
}

TEST(PngReader, FilterFiveLeavesTheRow) {
  uint8_t row[3] = {1, 2, 3};
  const uint8_t prior[3] = {9, 9, 9};
  TPNGGraphic::ApplyFilter(5, row, 3, 1, prior);
  EXPECT_EQ(row[2], 3);
  TPNGGraphic::ApplyFilter(4, row, 3, 1, prior);  // Paeth
  EXPECT_EQ(row[0], 10);
  EXPECT_EQ(TPNGGraphic::PaethPredictor(10, 20, 30), 10);
  EXPECT_EQ(TPNGGraphic::PaethPredictor(30, 20, 10), 30);
}

// One pixel wide, interlaced: passes 2, 4 and 6 start past the column.
TEST(PngReader, OnePixelWideInterlacedImage) {
  Bytes raw;
  for (uint8_t y : {0, 4, 2, 6, 1, 3, 5, 7}) raw.insert(raw.end(), {0, static_cast<uint8_t>(y * 10)});
  TPNGGraphic png;
  LoadBytes(png, Png(Header(1, 8, 8, 0, 1), {{"IDAT", Deflate(raw)}}));
  const Bytes rgb = BitmapRgb(png);
  for (int y = 0; y < 8; ++y) EXPECT_EQ(rgb[3 * y], y * 10) << y;
}

// Damaged copies get their chunk CRCs made right, so that the damage reaches
// inflate, the filters and the interlacing.
TEST(PngReader, DamagedFilesFailCleanly) {
  for (const char* name : {"png_rgb8.png", "png_pal4_adam7.png", "png_gray16.png", "magick_graya8.png"})
    SurvivesDamage<TPNGGraphic>(name, [](Bytes& b) { RecomputePngCrcs(b.data(), b.size()); });
}

}  // namespace
