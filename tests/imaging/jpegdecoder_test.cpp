// JPEG-compressed TIFF strips written by a real TIFF writer, compared with
// the pixels another decoder gives for the same files; and the ways a strip
// can be damaged.
#include <gtest/gtest.h>

#include <cstdlib>

#include "imaging/colormanager.h"
#include "imaging/jpegdecoder.h"
#include "testutil.h"

namespace {

// Collects warnings instead of showing them, for the length of a test.
class CollectWarnings {
public:
  CollectWarnings() {
    previous_ = SetJPEGWarningHook([this](const std::string& m) { messages.push_back(m); });
  }
  ~CollectWarnings() { SetJPEGWarningHook(previous_); }
  std::vector<std::string> messages;

private:
  TJPEGWarningHook previous_;
};

TImageProperties PropertiesOf(const TiffFixture& t) {
  TImageProperties p;
  p.Width = t.Width();
  p.Height = t.Height();
  p.BitsPerSample = static_cast<uint8_t>(t.BitsPerSample());
  p.SamplesPerPixel = static_cast<uint8_t>(t.Samples());
  p.PlanarConfig = t.Tag(284, 1);
  uint32_t photometric = t.Tag(262);
  p.ColorScheme = static_cast<uint8_t>(photometric == 6   ? ColorScheme::YCbCr
                                       : photometric == 2 ? ColorScheme::Rgb
                                                          : ColorScheme::Gray);
  p.BytesPerLine = static_cast<uint32_t>(t.RowBytes());
  p.RowsPerStrip = {t.RowsPerStrip()};
  if (photometric == 6) {
    auto it = t.tags.find(530);
    p.YCbCrSubsampling = it == t.tags.end() ? TByteArray{2, 2}
                                            : TByteArray{uint8_t(it->second[0]), uint8_t(it->second[1])};
  }
  auto tables = t.rawTags.find(347);
  if (tables != t.rawTags.end()) p.JPEGTables = tables->second;
  return p;
}

// Decodes all strips, CurrentRow moving on between strips: each strip at
// once into a buffer of a full strip's rows, or in pieces of Lines lines.
Bytes DecodeJpegTiff(const TiffFixture& t, TImageProperties& p, uint32_t lines = 0) {
  TTIFFJPEGDecoder decoder(&p);
  decoder.DecodeInit();
  Bytes image;
  p.CurrentRow = 0;
  for (const Bytes& strip : t.strips) {
    uint32_t rows = std::min(p.Height - p.CurrentRow, p.RowsPerStrip[0]);
    Bytes out = lines > 0 ? Bytes() : DecodeBlock(decoder, strip, size_t{p.RowsPerStrip[0]} * p.BytesPerLine);
    if (lines > 0) {
      decoder.DecodeBegin(strip.data(), static_cast<int64_t>(strip.size()));
      for (uint32_t done = 0; done < rows; done += lines) {
        Bytes piece(size_t{std::min(lines, rows - done)} * p.BytesPerLine, 0);
        decoder.DecodeNext(piece.data(), static_cast<int64_t>(piece.size()));
        out.insert(out.end(), piece.begin(), piece.end());
      }
    }
    image.insert(image.end(), out.begin(), out.begin() + size_t{rows} * p.BytesPerLine);
    p.CurrentRow += rows;
  }
  decoder.DecodeEnd();
  return image;
}

int LargestDifference(const Bytes& a, const Bytes& b) {
  EXPECT_EQ(a.size(), b.size());
  int worst = 0;
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
  return worst;
}

Bytes RgbToBgr(Bytes rgb) {
  for (size_t i = 0; i + 2 < rgb.size(); i += 3) std::swap(rgb[i], rgb[i + 2]);
  return rgb;
}

TEST(TiffJpeg, YCbCrStripsComeOutInBlueGreenRedOrder) {
  CollectWarnings quiet;
  TiffFixture t = LoadTiff("rgb_jpeg_ycbcr.tif");
  ASSERT_EQ(t.strips.size(), 3u);  // 16 + 16 + 8 rows: the last strip is short
  TImageProperties p = PropertiesOf(t);
  Bytes decoded = DecodeJpegTiff(t, p);
  EXPECT_LE(LargestDifference(decoded, RgbToBgr(ReadFixture("rgb_jpeg_ycbcr.rgb"))), 2);
  EXPECT_TRUE(quiet.messages.empty());
}

TEST(TiffJpeg, RgbStripsDecodeWithoutColourConversion) {
  CollectWarnings quiet;
  TiffFixture t = LoadTiff("rgb_jpeg_rgb.tif");
  TImageProperties p = PropertiesOf(t);
  ASSERT_EQ(p.ColorScheme, static_cast<uint8_t>(ColorScheme::Rgb));
  Bytes decoded = DecodeJpegTiff(t, p);
  EXPECT_LE(LargestDifference(decoded, RgbToBgr(ReadFixture("rgb_jpeg_rgb.rgb"))), 1);
}

// The TIFF reader takes a strip's lines a few at a time.
TEST(TiffJpeg, StripsDecodeAlikeInPiecesOfWholeLines) {
  CollectWarnings quiet;
  for (const char* name : {"rgb_jpeg_ycbcr.tif", "gray_jpeg.tif"}) {
    TiffFixture t = LoadTiff(name);
    TImageProperties p = PropertiesOf(t);
    const Bytes whole = DecodeJpegTiff(t, p);
    for (uint32_t lines : {1u, 3u}) EXPECT_EQ(DecodeJpegTiff(t, p, lines), whole) << name << ", " << lines;
  }
}

TEST(TiffJpeg, GreyStripsDecode) {
  CollectWarnings quiet;
  TiffFixture t = LoadTiff("gray_jpeg.tif");
  TImageProperties p = PropertiesOf(t);
  Bytes decoded = DecodeJpegTiff(t, p);
  EXPECT_LE(LargestDifference(decoded, ReadFixture("gray_jpeg.gray")), 1);
}

TEST(TiffJpeg, ShortStripWarnsOnceAndEndsWhereTheDataEnds) {
  CollectWarnings warnings;
  TiffFixture t = LoadTiff("rgb_jpeg_ycbcr.tif");
  TImageProperties p = PropertiesOf(t);
  TTIFFJPEGDecoder decoder(&p);
  decoder.DecodeInit();
  Bytes strip(t.strips[0].begin(), t.strips[0].begin() + t.strips[0].size() / 2);
  Bytes out = DecodeBlock(decoder, strip, size_t{16} * p.BytesPerLine);
  ASSERT_EQ(warnings.messages.size(), 1u);
  EXPECT_EQ(warnings.messages[0], "JPEG decompression error. Unexpected end of input.");
  // The first pixels lie in the first block, which the data still held.
  Bytes reference = RgbToBgr(ReadFixture("rgb_jpeg_ycbcr.rgb"));
  EXPECT_LE(LargestDifference(Bytes(out.begin(), out.begin() + 24), Bytes(reference.begin(), reference.begin() + 24)),
            2);
  // The decoder is still usable for the next strip.
  p.CurrentRow = 16;
  Bytes second = DecodeBlock(decoder, t.strips[1], size_t{16} * p.BytesPerLine);
  EXPECT_LE(LargestDifference(second, Bytes(reference.begin() + 16 * p.BytesPerLine,
                                            reference.begin() + 32 * p.BytesPerLine)),
            2);
}

TEST(TiffJpeg, LibraryErrorsBecomeExceptionsAndTheDecoderRecovers) {
  CollectWarnings quiet;
  TiffFixture t = LoadTiff("rgb_jpeg_ycbcr.tif");
  TImageProperties p = PropertiesOf(t);
  TTIFFJPEGDecoder decoder(&p);
  decoder.DecodeInit();
  Bytes garbage = {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x03, 0x01, 0x02};  // a frame header cut short
  GuardedBuffer out(size_t{16} * p.BytesPerLine);
  const uint8_t* src = garbage.data();
  uint8_t* dst = out.Data();
  EXPECT_THROW(decoder.Decode(src, dst, garbage.size(), out.Size()), EGraphicCompression);
  EXPECT_TRUE(out.GuardsIntact());
  Bytes notJpeg(200, 0x55);
  src = notJpeg.data();
  EXPECT_THROW(decoder.Decode(src, dst, notJpeg.size(), out.Size()), EGraphicCompression);
  Bytes good = DecodeBlock(decoder, t.strips[0], size_t{16} * p.BytesPerLine);
  Bytes reference = RgbToBgr(ReadFixture("rgb_jpeg_ycbcr.rgb"));
  EXPECT_LE(LargestDifference(good, Bytes(reference.begin(), reference.begin() + 16 * p.BytesPerLine)), 2);
}

TEST(TiffJpeg, StripChecksRaiseTheirMessages) {
  CollectWarnings quiet;
  TiffFixture t = LoadTiff("rgb_jpeg_ycbcr.tif");
  auto failure = [&](auto change, size_t room) -> std::string {
    TImageProperties p = PropertiesOf(t);
    change(p);
    TTIFFJPEGDecoder decoder(&p);
    try {
      decoder.DecodeInit();
      GuardedBuffer out(room);
      const uint8_t* src = t.strips[0].data();
      uint8_t* dst = out.Data();
      decoder.Decode(src, dst, t.strips[0].size(), room);
      EXPECT_TRUE(out.GuardsIntact());
    } catch (const EGraphicCompression& e) {
      return e.Message();
    }
    return "";
  };
  const size_t strip = 16 * 48 * 3;
  EXPECT_EQ(failure([](TImageProperties& p) { p.Width = 47; }, strip), "Improper JPEG strip/tile size.");
  EXPECT_EQ(failure([](TImageProperties& p) { p.SamplesPerPixel = 4; }, strip), "Improper JPEG component count.");
  EXPECT_EQ(failure([](TImageProperties& p) { p.BitsPerSample = 12; }, strip), "Improper JPEG data precision.");
  EXPECT_EQ(failure([](TImageProperties& p) { p.YCbCrSubsampling = {1, 1}; }, strip),
            "Improper JPEG sampling factors.");
  EXPECT_EQ(failure([](TImageProperties&) {}, strip - 1), "Fractional JPEG scanline unsupported.");
  EXPECT_EQ(failure([](TImageProperties& p) { p.JPEGTables = {0xFF, 0xD8, 0x00}; }, strip),
            "Bogus JPEG tables field.");
  EXPECT_EQ(failure([](TImageProperties& p) { p.BytesPerLine = 0; }, strip), "Improper JPEG strip/tile size.");
  // A row shorter than libjpeg's line is written only as far as it goes.
  EXPECT_EQ(failure([](TImageProperties& p) { p.BytesPerLine = 100; }, 1600), "");
}

}  // namespace
