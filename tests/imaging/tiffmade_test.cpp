// The TIFF reader on small files made here: sample layouts and depths that
// common writers produce but the fixtures do not, and hostile strip tables.
#include <gtest/gtest.h>

#include <zlib.h>

#include <map>

#include "imaging/tiffgraphic.h"
#include "picturetestutil.h"
#include "pictureutil.h"

namespace {

using Tags = std::map<uint16_t, std::vector<uint32_t>>;

// A little-endian TIFF of LONG tags: Data after the header (one strip unless
// the tags place strips), long tag values after it, the directory last.
Bytes MakeTiff(Tags tags, const Bytes& data) {
  if (!tags.count(273)) tags[273] = {8}, tags[279] = {uint32_t(data.size())};
  Bytes file(8 + data.size()), ifd;
  file[0] = file[1] = 'I', file[2] = 42;
  std::copy(data.begin(), data.end(), file.begin() + 8);
  auto put = [](Bytes& out, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) out.push_back(uint8_t(v >> (8 * i)));
  };
  put(ifd, uint32_t(tags.size()), 2);
  for (const auto& [tag, values] : tags) {
    put(ifd, tag, 2), put(ifd, 4, 2), put(ifd, uint32_t(values.size()), 4);
    if (values.size() == 1) {
      put(ifd, values[0], 4);
      continue;
    }
    put(ifd, uint32_t(file.size()), 4);
    for (uint32_t v : values) put(file, v, 4);
  }
  put(ifd, 0, 4);
  for (int i = 0; i < 4; ++i) file[4 + i] = uint8_t(file.size() >> (8 * i));
  file.insert(file.end(), ifd.begin(), ifd.end());
  return file;
}

Bytes Picture(uint32_t width, uint32_t photometric, uint32_t samples, uint32_t bits, Tags more, const Bytes& data) {
  more.insert({{256, {width}}, {257, {1}}, {258, {bits}}, {259, {1}}, {262, {photometric}}, {277, {samples}}});
  return MakeTiff(more, data);
}

struct Shape {
  std::string name;
  Bytes file;
  Bytes rgb;  // red, green, blue of each pixel; empty: refused with the reader's message
};

std::vector<Shape> Shapes() {
  std::vector<Shape> shapes = {
      // Extra samples: the next pixel starts after all of them.
      {"CmykWithAlpha", Picture(2, 5, 5, 8, {{338, {2}}}, {0, 0, 0, 255, 255, 0, 0, 0, 0, 255}), {0, 0, 0, 255, 255, 255}},
      {"RgbWithTwoExtra", Picture(2, 2, 5, 8, {{338, {2, 0}}}, {10, 20, 30, 255, 7, 40, 50, 60, 255, 7}),
       {10, 20, 30, 40, 50, 60}},
      {"GreyWithTwoExtra", Picture(2, 1, 3, 8, {{338, {2, 0}}}, {100, 255, 0, 200, 255, 0}), {100, 100, 100, 200, 200, 200}},
      {"OneBitGreyWithAlpha", Picture(2, 1, 2, 1, {{338, {2}}}, {0x90}), {255, 255, 255, 0, 0, 0}},
      {"ZeroWidth", Picture(0, 1, 1, 8, {}, Bytes(16)), {}},
      {"ZeroHeight", Picture(4, 1, 1, 8, {{257, {0}}}, Bytes(16)), {}},
      // ThunderScan rows are of 4-bit pixels: longer than rows of 1-bit ones.
      {"ThunderScanOfOneBit", Picture(4, 1, 1, 1, {{259, {32809}}}, {0xC5}), {}},
      // A strip a row: a white row, then a row whose data ends after its
      // first pixel, decoded into the buffer the white row was: black after.
      {"ThunderScanRowCutShort",
       Picture(4, 1, 1, 4, {{257, {2}}, {259, {32809}}, {273, {8, 10}}, {278, {1}}, {279, {2, 1}}},
               {0xCF, 0x03, 0xCF}),
       {255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  // Palettes of every depth: indices 1, 2, top - 1 and top each show their
  // own entry (red i*37, green i*91, blue i, mod 256).
  for (unsigned bits : {3u, 5u, 6u, 7u, 16u}) {
    const uint32_t n = 1u << bits, v[4] = {1, 2, n - 2, n - 1};
    std::vector<uint32_t> map(3 * n);
    for (uint32_t i = 0; i < n; ++i)
      map[i] = (i * 37 % 256) * 257, map[n + i] = (i * 91 % 256) * 257, map[2 * n + i] = (i % 256) * 257;
    Bytes data((4 * bits + 7) / 8), rgb;
    for (unsigned i = 0, at = 0; i < 4; ++i) {
      for (unsigned b = bits; b-- > 0; ++at) data[at / 8] |= uint8_t((v[i] >> b & 1) << (7 - at % 8));
      rgb.insert(rgb.end(), {uint8_t(v[i] * 37), uint8_t(v[i] * 91), uint8_t(v[i])});
    }
    if (bits == 16) data = {1, 0, 2, 0, 0xFE, 0xFF, 0xFF, 0xFF};  // the file's byte order
    shapes.push_back({"Palette" + std::to_string(bits), Picture(4, 3, 1, bits, {{320, map}}, data), rgb});
  }
  return shapes;
}

TEST(TiffMadeFiles, EachSampleLayoutShowsItsColours) {
  for (const Shape& s : Shapes()) {
    TTIFFGraphic tiff;
    try {
      LoadPicture(tiff, s.file);
      EXPECT_FALSE(s.rgb.empty()) << s.name << " loaded";
      EXPECT_LE(MaxDifference(RgbOf(tiff), s.rgb), 1) << s.name;
    } catch (const EInvalidGraphic& e) {
      EXPECT_TRUE(s.rgb.empty()) << s.name << ": " << e.Message();
      EXPECT_EQ(e.Message(), "Cannot load image. Invalid or unexpected TIF/TIFF image format.") << s.name;
    }
  }
}

class TCountingStream : public TStringStream {
public:
  using TStringStream::TStringStream;
  int32_t Read(void* buffer, int32_t count) override {
    const int32_t n = TStringStream::Read(buffer, count);
    read += uint64_t(n);
    return n;
  }
  uint64_t read = 0;
};

// 8000 PackBits strips of one 100-byte row each (no-ops, the rows decode to
// zeros), 800 KB, whose byte counts are missing or say 4 GB, or that all
// start at the same place: each is read up to the next one, not to the end
// of the file, and a table that would read the file over and over is refused.
TEST(TiffMadeFiles, StripsWithoutTrueByteCountsAreReadOnce) {
  constexpr uint32_t kRows = 8000;
  std::vector<uint32_t> offsets;
  for (uint32_t y = 0; y < kRows; ++y) offsets.push_back(8 + 100 * y);
  for (int variant : {0, 1, 2}) {
    Tags tags = {{256, {100}}, {257, {kRows}}, {258, {8}}, {259, {32773}}, {262, {1}}, {273, offsets}, {278, {1}}};
    if (variant == 1) tags[279] = std::vector<uint32_t>(kRows, 0xFFFFFFFF);
    if (variant == 2) tags[273] = std::vector<uint32_t>(kRows, 8);
    const Bytes file = MakeTiff(tags, Bytes(100 * kRows, 0x80));
    TCountingStream stream(std::string(file.begin(), file.end()));
    TTIFFGraphic tiff;
    try {
      tiff.LoadFromStream(stream);
      EXPECT_EQ(tiff.Height(), int(kRows));
    } catch (const EInvalidGraphic&) {
      EXPECT_EQ(variant, 2);
    }
    EXPECT_LT(stream.read, 2 * file.size()) << variant;
  }
}

// A 64 KB uncompressed strip cannot hold 6000 x 6000 RGB pixels (108 MB),
// nor can 150 KB of LZW, deflate or JPEG data hold 6000 x 6000 RGBA pixels
// (144 MB: such large pictures need a byte of data for every 256 of pixels):
// refused before the bitmap is made.
TEST(TiffMadeFiles, DeclaredSizeFollowsTheData) {
  EXPECT_TRUE(LoadsInLittleMemory<TTIFFGraphic>(Picture(6000, 2, 3, 8, {{257, {6000}}}, Bytes(65536, 0x55))));
  for (uint32_t compression : {5u, 7u, 8u}) {
    const Bytes file = Picture(6000, 2, 4, 8, {{257, {6000}}, {259, {compression}}, {338, {2}}}, Bytes(150000, 0x55));
    EXPECT_TRUE(LoadsInLittleMemory<TTIFFGraphic>(file)) << compression;
  }
}

// 2000 x 3000 grey pixels in one strip (6 MB), stored as they are, as
// PackBits literals or deflated: the strip is decoded a piece at a time into
// the bitmap, not into a strip of its own beside it, and no strip data is
// kept once the load is over.
TEST(TiffMadeFiles, OneStripIsDecodedInPiecesAndNothingIsKept) {
  constexpr uint32_t kWidth = 2000, kHeight = 3000;
  Bytes pixels(size_t{kWidth} * kHeight);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i * 7 + i / kWidth);
  Bytes packbits;
  for (size_t i = 0; i < pixels.size(); i += 128) {
    packbits.push_back(127);
    packbits.insert(packbits.end(), pixels.begin() + i, pixels.begin() + i + 128);
  }
  uLongf deflatedSize = compressBound(pixels.size());
  Bytes deflated(deflatedSize);
  ASSERT_EQ(compress2(deflated.data(), &deflatedSize, pixels.data(), pixels.size(), 1), Z_OK);
  deflated.resize(deflatedSize);
  for (const auto& [compression, data] : std::map<uint32_t, Bytes>{{1, pixels}, {8, deflated}, {32773, packbits}}) {
    const Bytes file = Picture(kWidth, 1, 1, 8, {{257, {kHeight}}, {259, {compression}}}, data);
    TStringStream stream(std::string(file.begin(), file.end()));
    const THeapMeter heap;
    TTIFFGraphic tiff;
    tiff.LoadFromStream(stream);
    // The strip's stored bytes, a piece of rows and the codec's tables.
    EXPECT_LT(heap.PeakAbove(), (compression == 1 ? 0 : data.size()) + (1u << 20)) << compression;
    EXPECT_LT(heap.HeldAbove(), 64 * 1024) << compression;
    for (uint32_t y : {0u, kHeight / 2, kHeight - 1})
      EXPECT_EQ(static_cast<const uint8_t*>(tiff.ScanLine(int(y)))[kWidth - 1], pixels[size_t{y} * kWidth + kWidth - 1])
          << compression << " row " << y;
  }
}

}  // namespace
