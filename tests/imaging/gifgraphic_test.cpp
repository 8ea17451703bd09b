// GIF files written by ImageMagick and gifsicle load to the pixels netpbm
// reads from them; damaged files fail cleanly.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "imaging/decoder.h"
#include "imaging/gifgraphic.h"
#include "picturetestutil.h"

namespace {

class GifFiles : public ::testing::TestWithParam<const char*> {};

// Interlaced, transparent (shown with its palette colour) and the first of
// several frames with local palettes.
TEST_P(GifFiles, LoadToTheReferencePixels) {
  TGIFGraphic gif;
  LoadBytes(gif, ReadFixture(std::string("pictures/") + GetParam()));
  EXPECT_EQ(gif.PixelFormat(), pf8bit);
  EXPECT_TRUE(NearBytes(BitmapRgb(gif), ReferenceRgb(GetParam()), 0)) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Files, GifFiles,
                         ::testing::Values("gif_plain.gif", "gif_interlaced.gif", "gif_transparent.gif",
                                           "gif_frames.gif"));

// A hand-made GIF: screen W x H, an optional global table, one image of
// the given size with an optional local table and the LZW data as given.
struct GifBuilder {
  Bytes file;
  explicit GifBuilder(uint16_t w, uint16_t h, Bytes globalTable = {}) {
    file = {'G', 'I', 'F', '8', '9', 'a'};
    Put16(w);
    Put16(h);
    file.push_back(globalTable.empty() ? 0 : static_cast<uint8_t>(0x80 | TableBits(globalTable)));
    file.insert(file.end(), {0, 0});
    file.insert(file.end(), globalTable.begin(), globalTable.end());
  }
  void Put16(uint16_t v) { file.insert(file.end(), {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)}); }
  static uint8_t TableBits(const Bytes& table) {
    uint8_t n = 0;
    while ((3u << (n + 1)) < table.size()) ++n;
    return n;
  }
  GifBuilder& Image(uint16_t w, uint16_t h, uint8_t codeSize, const Bytes& lzw, Bytes localTable = {}) {
    file.push_back(0x2C);
    Put16(0);
    Put16(0);
    Put16(w);
    Put16(h);
    file.push_back(localTable.empty() ? 0 : static_cast<uint8_t>(0x80 | TableBits(localTable)));
    file.insert(file.end(), localTable.begin(), localTable.end());
    file.push_back(codeSize);
    for (size_t at = 0; at < lzw.size(); at += 255) {
      const size_t n = std::min<size_t>(255, lzw.size() - at);
      file.push_back(static_cast<uint8_t>(n));
      file.insert(file.end(), lzw.begin() + static_cast<ptrdiff_t>(at), lzw.begin() + static_cast<ptrdiff_t>(at + n));
    }
    file.insert(file.end(), {0, 0x3B});
    return *this;
  }
};

// LZW codes packed least significant bit first, with the code width growing
// as a decoder's table does.
Bytes PackCodes(const std::vector<uint32_t>& codes, uint8_t codeSize) {
  Bytes out;
  uint32_t acc = 0, bits = 0, width = codeSize + 1u, next = (1u << codeSize) + 2;
  bool first = true;
  for (uint32_t code : codes) {
    acc |= code << bits;
    bits += width;
    while (bits >= 8) {
      out.push_back(static_cast<uint8_t>(acc));
      acc >>= 8;
      bits -= 8;
    }
    if (code == (1u << codeSize)) {
      width = codeSize + 1u;
      next = (1u << codeSize) + 2;
      first = true;
      continue;
    }
    if (!first && next < 4096) {
      if (next == (1u << width) - 1 && width < 12) ++width;
      ++next;
    }
    first = false;
  }
  if (bits > 0) out.push_back(static_cast<uint8_t>(acc));
  return out;
}

TEST(GifReader, LocalTableReplacesTheGlobalOne) {
  const Bytes global = {1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4};
  const Bytes local = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};
  GifBuilder b(2, 1, global);
  b.Image(2, 1, 2, PackCodes({4, 1, 3, 5}, 2), local);
  TGIFGraphic gif;
  LoadBytes(gif, b.file);
  EXPECT_EQ(BitmapRgb(gif), (Bytes{40, 50, 60, 100, 110, 120}));
}

// 4,093 pixels of codes without a clear: the table fills at 4,095 entries
// and decoding goes on with it as it is.
TEST(GifReader, FullTableWithoutClearKeepsDecoding) {
  std::vector<uint32_t> codes = {256};
  const uint32_t count = 5000;
  for (uint32_t i = 0; i < count; ++i) codes.push_back(i % 2 == 0 ? 1 : 2);
  codes.push_back(257);
  Bytes palette(256 * 3, 0);
  for (int i = 0; i < 256; ++i) palette[3 * i] = static_cast<uint8_t>(i);
  GifBuilder b(static_cast<uint16_t>(count), 1, palette);
  b.Image(static_cast<uint16_t>(count), 1, 8, PackCodes(codes, 8));
  TGIFGraphic gif;
  LoadBytes(gif, b.file);
  const Bytes rgb = BitmapRgb(gif);
  ASSERT_EQ(rgb.size(), count * 3);
  for (uint32_t i = 0; i < count; ++i) ASSERT_EQ(rgb[3 * i], i % 2 == 0 ? 1 : 2) << i;
}

// A plain LZW encoder that never clears: its table fills with strings of
// many pixels, which the decoder must go on using once its table is full.
std::vector<uint32_t> EncodeWithoutClear(const Bytes& pixels, uint8_t codeSize) {
  std::map<std::pair<uint32_t, uint8_t>, uint32_t> table;
  uint32_t next = (1u << codeSize) + 2, prefix = pixels[0];
  std::vector<uint32_t> codes = {1u << codeSize};
  for (size_t i = 1; i < pixels.size(); ++i) {
    const auto found = table.find({prefix, pixels[i]});
    if (found != table.end()) {
      prefix = found->second;
      continue;
    }
    codes.push_back(prefix);
    if (next < 4096) table[{prefix, pixels[i]}] = next++;
    prefix = pixels[i];
  }
  codes.insert(codes.end(), {prefix, (1u << codeSize) + 1});
  return codes;
}

TEST(GifReader, TableFullOfLongStringsKeepsDecoding) {
  const uint16_t width = 60000;
  Bytes pixels(width);
  for (uint32_t i = 0; i < width; ++i) pixels[i] = static_cast<uint8_t>((i * i / 7 + i / 13) % 8);
  const std::vector<uint32_t> codes = EncodeWithoutClear(pixels, 3);
  ASSERT_GT(codes.size(), 4096u);
  Bytes palette(16 * 3, 0);
  for (int i = 0; i < 16; ++i) palette[3 * i] = static_cast<uint8_t>(i);
  GifBuilder b(width, 1, palette);
  b.Image(width, 1, 3, PackCodes(codes, 3));
  TGIFGraphic gif;
  LoadBytes(gif, b.file);
  const Bytes rgb = BitmapRgb(gif);
  ASSERT_EQ(rgb.size(), size_t{width} * 3);
  for (uint32_t i = 0; i < width; ++i) ASSERT_EQ(rgb[3 * i], pixels[i]) << i;
}

// An extension of a label the reader does not know is passed over with its
// sub-blocks, whatever bytes they hold.
TEST(GifReader, UnknownExtensionIsPassedOver) {
  Bytes file = ReadFixture("pictures/gif_plain.gif");
  const size_t afterTable = 13 + (3u << ((file[10] & 7) + 1));
  file.insert(file.begin() + static_cast<ptrdiff_t>(afterTable), {0x21, 0x99, 3, 0x2C, 0x3B, 0x21, 1, 0x2C, 0});
  TGIFGraphic gif;
  LoadBytes(gif, file);
  EXPECT_TRUE(NearBytes(BitmapRgb(gif), ReferenceRgb("gif_plain.gif"), 0));
}

TEST(GifReader, NoWidthOrHeightIsRefused) {
  for (auto [w, h] : {std::pair{0, 2}, std::pair{2, 0}}) {
    GifBuilder b(0, 0);
    b.Image(static_cast<uint16_t>(w), static_cast<uint16_t>(h), 2, PackCodes({4, 1, 5}, 2));
    EXPECT_EQ(RefusalOf<TGIFGraphic>(b.file), "Cannot load image. Invalid or unexpected GIF image format.");
  }
}

TEST(GifReader, CodeSizeOutsideTwoToEightRaisesTheCodecError) {
  for (uint8_t size : {0, 1, 9, 12}) {
    GifBuilder b(2, 1);
    b.Image(2, 1, size, {0x00});
    TGIFGraphic gif;
    EXPECT_THROW(LoadBytes(gif, b.file), EGraphicCompression) << int(size);
  }
}

// A frame larger than its 4 x 3 screen shows 4 x 3 pixels, and only the
// rows it shows are decoded; one of 65,535 x 65,535 never makes more.
TEST(GifReader, FramesAreBoundedByTheScreen) {
  GifBuilder b(4, 3, {0, 0, 0, 255, 255, 255});
  b.Image(1000, 1000, 2, PackCodes({4, 1, 1, 1, 1}, 2));
  TGIFGraphic gif;
  LoadBytes(gif, b.file);
  EXPECT_EQ(gif.Width(), 4);
  EXPECT_EQ(gif.Height(), 3);
  EXPECT_EQ(BitmapRgb(gif)[0], 255);

  GifBuilder huge(4, 3, {0, 0, 0, 255, 255, 255});
  huge.Image(0xFFFF, 0xFFFF, 2, PackCodes({4, 1, 1, 1, 1}, 2));
  TGIFGraphic other;
  try {
    LoadBytes(other, huge.file);
  } catch (const Exception&) {
  }
  EXPECT_LE(other.Width(), 4);
  EXPECT_LE(other.Height(), 3);
}

TEST(GifReader, HugeScreenWithLittleDataIsRefused) {
  GifBuilder b(0xFFFF, 0xFFFF);
  b.Image(0, 0, 2, PackCodes({4, 1}, 2));
  TGIFGraphic gif;
  EXPECT_THROW(LoadBytes(gif, b.file), Exception);
}

// 12,000 x 12,000 pixels from 60 KB of codes: even packed as tightly as
// codes can be, so small a file does not make a picture of 144 MB.
TEST(GifReader, LargeScreenWithLittleDataIsRefused) {
  GifBuilder b(12000, 12000);
  b.Image(12000, 12000, 8, Bytes(60000, 0x55));
  EXPECT_TRUE(LoadsInLittleMemory<TGIFGraphic>(b.file));
}

TEST(GifReader, SignatureAndEmptyFiles) {
  TStringStream exact(std::string("GIF89a") + std::string(16, '\0'));
  EXPECT_FALSE(TGIFGraphic::CanLoadFromStream(exact));
  TStringStream lower(std::string("gif89a") + std::string(17, '\0'));
  EXPECT_TRUE(TGIFGraphic::CanLoadFromStream(lower));
  // No image descriptor: an empty bitmap, no error.
  GifBuilder b(2, 2);
  b.file.push_back(0x3B);
  TGIFGraphic gif;
  LoadBytes(gif, b.file);
  EXPECT_TRUE(gif.Empty());
}

TEST(GifReader, DamagedFilesFailCleanly) {
  for (const char* name : {"gif_plain.gif", "gif_interlaced.gif", "gif_frames.gif"}) SurvivesDamage<TGIFGraphic>(name);
}

}  // namespace
