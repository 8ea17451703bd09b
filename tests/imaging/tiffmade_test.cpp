// The TIFF reader on small files made here: sample layouts and depths that
// common writers produce but the fixtures do not, and hostile strip tables.
#include <gtest/gtest.h>

#include <chrono>

#include "imaging/tiffgraphic.h"
#include "peakworkingset.h"
#include "pictureutil.h"

namespace {

struct Tag {
  uint16_t tag;
  std::vector<uint32_t> values;
  uint16_t type = 4;  // LONG; 3 for SHORT
};

// A little-endian TIFF: Data right after the header, the tags' long values
// after it, the directory last. Without a strip offset tag, Data is one strip.
Bytes MakeTiff(std::vector<Tag> tags, const Bytes& data) {
  if (std::none_of(tags.begin(), tags.end(), [](const Tag& t) { return t.tag == 273; })) {
    tags.push_back({273, {8}});
    tags.push_back({279, {uint32_t(data.size())}});
  }
  std::sort(tags.begin(), tags.end(), [](const Tag& a, const Tag& b) { return a.tag < b.tag; });
  Bytes file = {'I', 'I', 42, 0, 0, 0, 0, 0};
  file.insert(file.end(), data.begin(), data.end());
  auto put = [](Bytes& out, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) out.push_back(uint8_t(v >> (8 * i)));
  };
  Bytes ifd;
  put(ifd, uint32_t(tags.size()), 2);
  for (const Tag& t : tags) {
    const int size = t.type == 3 ? 2 : 4;
    Bytes values;
    for (uint32_t v : t.values) put(values, v, size);
    put(ifd, t.tag, 2);
    put(ifd, t.type, 2);
    put(ifd, uint32_t(t.values.size()), 4);
    if (values.size() > 4) {
      put(ifd, uint32_t(file.size()), 4);
      file.insert(file.end(), values.begin(), values.end());
    } else {
      values.resize(4);
      ifd.insert(ifd.end(), values.begin(), values.end());
    }
  }
  put(ifd, 0, 4);
  const uint32_t at = uint32_t(file.size());
  for (int i = 0; i < 4; ++i) file[4 + i] = uint8_t(at >> (8 * i));
  file.insert(file.end(), ifd.begin(), ifd.end());
  return file;
}

// A colour map of 2^bits entries: entry i is red i*37, green i*91, blue i
// (mod 256), each as a 16-bit value.
std::vector<uint32_t> ColorMap(unsigned bits) {
  const uint32_t n = 1u << bits;
  std::vector<uint32_t> map(3 * n);
  for (uint32_t i = 0; i < n; ++i)
    map[i] = (i * 37 % 256) * 257, map[n + i] = (i * 91 % 256) * 257, map[2 * n + i] = (i % 256) * 257;
  return map;
}

Bytes Entry(uint32_t i) { return {uint8_t(i * 37), uint8_t(i * 91), uint8_t(i)}; }

// Indices 1, 2, top - 1 and top, packed most significant bit first.
Bytes PackedIndices(unsigned bits) {
  const uint32_t top = (1u << bits) - 1, v[4] = {1, 2, top - 1, top};
  Bytes out((4 * bits + 7) / 8);
  for (unsigned i = 0, at = 0; i < 4; ++i)
    for (unsigned b = bits; b-- > 0; ++at)
      if (v[i] >> b & 1) out[at / 8] |= uint8_t(0x80 >> (at % 8));
  return out;
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

struct Shape {
  std::string name;
  Bytes file;
  Bytes rgb;  // two or four pixels, red green blue
};

std::vector<Shape> Shapes() {
  auto picture = [](uint32_t width, uint32_t photometric, uint32_t samples, uint32_t bits,
                    std::vector<Tag> more, const Bytes& data) {
    more.insert(more.end(), {{256, {width}}, {257, {1}}, {258, {bits}, 3}, {259, {1}, 3},
                             {262, {photometric}, 3}, {277, {samples}, 3}});
    return MakeTiff(more, data);
  };
  std::vector<Shape> shapes = {
      // Extra samples: the next pixel starts after all of them.
      {"CmykWithAlpha", picture(2, 5, 5, 8, {{338, {2}, 3}}, {0, 0, 0, 255, 255, 0, 0, 0, 0, 255}),
       {0, 0, 0, 255, 255, 255}},
      {"RgbWithTwoExtraSamples", picture(2, 2, 5, 8, {{338, {2, 0}, 3}}, {10, 20, 30, 255, 7, 40, 50, 60, 255, 7}),
       {10, 20, 30, 40, 50, 60}},
      {"GreyWithTwoExtraSamples", picture(2, 1, 3, 8, {{338, {2, 0}, 3}}, {100, 255, 0, 200, 255, 0}),
       {100, 100, 100, 200, 200, 200}},
      {"OneBitGreyWithAlpha", picture(2, 1, 2, 1, {{338, {2}, 3}}, {0x90}), {255, 255, 255, 0, 0, 0}},
      // CIE L*a*b*: L* 19.6, neutral, as sRGB.
      {"LabDarkGrey", picture(2, 8, 3, 8, {}, {50, 0, 0, 50, 0, 0}), {47, 47, 47, 47, 47, 47}},
      // Bits stored least significant first, uncompressed: white, then black.
      {"FillOrderReversed", picture(2, 1, 1, 1, {{266, {2}, 3}}, {0x01}), {255, 255, 255, 0, 0, 0}},
  };
  // Palettes of every depth: each index shows its own entry.
  for (unsigned bits : {3u, 5u, 6u, 7u, 16u}) {
    const uint32_t top = (1u << bits) - 1;
    Bytes data = PackedIndices(bits);
    if (bits == 16) data = {1, 0, 2, 0, 0xFE, 0xFF, 0xFF, 0xFF};
    shapes.push_back({"Palette" + std::to_string(bits), picture(4, 3, 1, bits, {{320, ColorMap(bits), 3}}, data),
                      Join({Entry(1), Entry(2), Entry(top - 1), Entry(top)})});
  }
  return shapes;
}

TEST(TiffMadeFiles, EachSampleLayoutShowsItsColours) {
  for (const Shape& s : Shapes()) {
    TTIFFGraphic tiff;
    LoadPicture(tiff, s.file);
    const Bytes rgb = RgbOf(tiff);
    EXPECT_LE(MaxDifference(rgb, s.rgb), 1) << s.name;
  }
}

TEST(TiffMadeFiles, ZeroSizeIsRefusedWithTheReadersMessage) {
  for (uint32_t side : {256, 257}) {
    std::vector<Tag> tags = {{256, {4}}, {257, {4}}, {258, {8}, 3}, {259, {1}, 3}, {262, {1}, 3}};
    for (Tag& t : tags)
      if (t.tag == side) t.values = {0};
    TTIFFGraphic tiff;
    try {
      LoadPicture(tiff, MakeTiff(tags, Bytes(16)));
      ADD_FAILURE() << side;
    } catch (const EInvalidGraphic& e) {
      EXPECT_EQ(std::string(e.Message()), "Cannot load image. Invalid or unexpected TIF/TIFF image format.");
    }
  }
}

// Counts what a load reads.
class TCountingStream : public TStringStream {
public:
  using TStringStream::TStringStream;
  int32_t Read(void* buffer, int32_t count) override {
    const int32_t n = TStringStream::Read(buffer, count);
    read += static_cast<uint64_t>(n);
    return n;
  }
  uint64_t read = 0;
};

// 8000 PackBits strips of one 100-byte row each, 800 KB, whose byte counts
// are missing or say 4 GB: each is read up to the next one, not to the end
// of the file, and the load stays far within a minute.
TEST(TiffMadeFiles, StripsWithoutTrueByteCountsAreReadOnce) {
  constexpr uint32_t kRows = 8000;
  Bytes data;
  std::vector<uint32_t> offsets;
  for (uint32_t y = 0; y < kRows; ++y) {
    offsets.push_back(8 + uint32_t(data.size()));
    data.push_back(0x80);  // no-ops: the row decodes to zeros
    data.resize(data.size() + 99, 0x80);
  }
  for (bool huge : {false, true}) {
    std::vector<Tag> tags = {{256, {100}}, {257, {kRows}}, {258, {8}, 3}, {259, {32773}, 3},
                             {262, {1}, 3}, {273, offsets}, {278, {1}}};
    if (huge) tags.push_back({279, std::vector<uint32_t>(kRows, 0xFFFFFFFF)});
    const Bytes file = MakeTiff(tags, data);
    TCountingStream stream(std::string(file.begin(), file.end()));
    TTIFFGraphic tiff;
    const auto start = std::chrono::steady_clock::now();
    tiff.LoadFromStream(stream);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
    EXPECT_EQ(tiff.Height(), int(kRows));
    EXPECT_LT(stream.read, 2 * file.size()) << huge;
  }
}

// A 64 KB uncompressed strip cannot hold 6000 x 6000 RGB pixels (108 MB):
// refused before the bitmap is made.
TEST(TiffMadeFiles, DeclaredSizeFollowsTheData) {
  const Bytes file = MakeTiff({{256, {6000}}, {257, {6000}}, {258, {8, 8, 8}, 3}, {259, {1}, 3}, {262, {2}, 3},
                               {277, {3}, 3}}, Bytes(65536, 0x55));
  const uint64_t before = PeakWorkingSet();
  TTIFFGraphic tiff;
  EXPECT_THROW(LoadPicture(tiff, file), EInvalidGraphic);
  EXPECT_TRUE(tiff.Empty());
  EXPECT_LT(PeakWorkingSet() - before, uint64_t{16} << 20);
}

}  // namespace
