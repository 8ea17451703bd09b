// Image data written by a real image converter in GIF, PCX, SGI and Targa
// files decodes to the pixels the converter reads back from the same files.
#include <gtest/gtest.h>

#include "classlib/bytereader.h"
#include "imaging/lzwdecoder.h"
#include "imaging/rledecoders.h"
#include "testutil.h"

namespace {

struct GifImage {
  uint32_t width = 0, height = 0;
  Bytes palette;
  uint8_t codeSize = 0;
  Bytes data;  // the LZW data with the sub-block lengths taken out
};

GifImage ParseGif(const Bytes& file) {
  GifImage g;
  size_t at = 10;
  uint8_t flags = file.at(at);
  at = 13;
  if (flags & 0x80) {
    size_t size = 3u << ((flags & 7) + 1);
    g.palette.assign(file.begin() + at, file.begin() + at + size);
    at += size;
  }
  auto skipBlocks = [&] {
    while (file.at(at) != 0) at += file.at(at) + 1;
    ++at;
  };
  while (file.at(at) == 0x21) {
    at += 2;
    skipBlocks();
  }
  EXPECT_EQ(file.at(at), 0x2C);
  g.width = ReadLe16(file.data(), at + 5);
  g.height = ReadLe16(file.data(), at + 7);
  uint8_t local = file.at(at + 9);
  EXPECT_FALSE(local & 0x40) << "interlaced";
  at += 10;
  if (local & 0x80) {
    size_t size = 3u << ((local & 7) + 1);
    g.palette.assign(file.begin() + at, file.begin() + at + size);
    at += size;
  }
  g.codeSize = file.at(at++);
  while (file.at(at) != 0) {
    size_t n = file.at(at);
    g.data.insert(g.data.end(), file.begin() + at + 1, file.begin() + at + 1 + n);
    at += n + 1;
  }
  return g;
}

class GifImages : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

// Includes a noisy 96 x 96 picture whose string table fills up, and a
// four-colour one that starts with 3-bit codes.
TEST_P(GifImages, DecodeToTheConvertersPixels) {
  GifImage g = ParseGif(ReadFixture(GetParam().first));
  Bytes reference = ReadFixture(GetParam().second);
  TGIFLZWDecoder decoder(g.codeSize);
  Bytes indices = DecodeBlock(decoder, g.data, size_t{g.width} * g.height);
  Bytes rgb;
  for (uint8_t i : indices) rgb.insert(rgb.end(), g.palette.begin() + 3 * i, g.palette.begin() + 3 * i + 3);
  EXPECT_TRUE(SameBytes(rgb, reference));
}

INSTANTIATE_TEST_SUITE_P(RealFiles, GifImages,
                         ::testing::Values(std::pair{"plasma.gif", "plasma_gif.rgb"},
                                           std::pair{"noise.gif", "noise_gif.rgb"},
                                           std::pair{"four.gif", "four_gif.rgb"}));

TEST(PcxImage, PlanesDecodeToTheConvertersPixels) {
  Bytes file = ReadFixture("plasma.pcx");
  uint32_t width = ReadLe16(file.data(), 8) + 1u, height = ReadLe16(file.data(), 10) + 1u;
  uint32_t planes = file.at(65), bytesPerLine = ReadLe16(file.data(), 66);
  ASSERT_EQ(planes, 3u);
  Bytes packed(file.begin() + 128, file.end());
  TPCXRLEDecoder decoder;
  Bytes planar = DecodeBlock(decoder, packed, size_t{height} * planes * bytesPerLine);
  Bytes rgb;
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x)
      for (uint32_t p = 0; p < 3; ++p) rgb.push_back(planar[(y * planes + p) * bytesPerLine + x]);
  EXPECT_TRUE(SameBytes(rgb, ReadFixture("src.rgb")));
}

TEST(SgiImage, RowsDecodeToTheConvertersPixels) {
  Bytes file = ReadFixture("plasma.sgi");
  ASSERT_EQ(file.at(2), 1);  // run-length encoded
  ASSERT_EQ(file.at(3), 1);  // one byte per sample
  uint32_t width = ReadBe16(file.data(), 6), height = ReadBe16(file.data(), 8), channels = ReadBe16(file.data(), 10);
  TSGIRLEDecoder decoder(8);
  Bytes rgb(size_t{width} * height * 3);
  for (uint32_t c = 0; c < channels; ++c)
    for (uint32_t y = 0; y < height; ++y) {
      size_t index = y + c * height;
      uint32_t start = ReadBe32(file.data(), 512 + 4 * index);
      uint32_t length = ReadBe32(file.data(), 512 + 4 * (height * channels + index));
      Bytes row = DecodeBlock(decoder, Bytes(file.begin() + start, file.begin() + start + length), width);
      for (uint32_t x = 0; x < width; ++x) rgb[((height - 1 - y) * width + x) * 3 + c] = row[x];
    }
  EXPECT_TRUE(SameBytes(rgb, ReadFixture("src.rgb")));
}

TEST(TargaImage, PacketsDecodeToTheConvertersPixels) {
  Bytes file = ReadFixture("plasma.tga");
  ASSERT_EQ(file.at(2), 10);  // run-length true colour
  uint32_t width = ReadLe16(file.data(), 12), height = ReadLe16(file.data(), 14);
  TTargaRLEDecoder decoder(file.at(16));
  Bytes packed(file.begin() + 18 + file.at(0), file.end());
  GuardedBuffer out(size_t{width} * height * 3);
  const uint8_t* src = packed.data();
  uint8_t* dst = out.Data();
  decoder.Decode(src, dst, packed.size(), int64_t{width} * height);
  ASSERT_TRUE(out.GuardsIntact());
  EXPECT_GT(src, packed.data());
  Bytes bgr = out.Contents(), rgb;
  // The converter stores and reads back its rows in file order.
  for (size_t i = 0; i < bgr.size(); i += 3) rgb.insert(rgb.end(), {bgr[i + 2], bgr[i + 1], bgr[i]});
  EXPECT_TRUE(SameBytes(rgb, ReadFixture("src.rgb")));
}

}  // namespace
