// The Paint Shop Pro reader on files made here from the format's
// description (no tool at hand writes the format): blocks, layers and
// channels as the description lays them out, in version 3 and version 5.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstring>

#include "imaging/imagingtexts.h"
#include "imaging/pspgraphic.h"
#include "picturetestutil.h"
#include "pictureutil.h"

namespace {

class PspWriter {
public:
  explicit PspWriter(uint16_t major) : major_(major) {}

  static void U16(Bytes& b, uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
  static void U32(Bytes& b, uint32_t v) {
    U16(b, v & 0xFFFF);
    U16(b, v >> 16);
  }
  Bytes Block(uint16_t id, const Bytes& body) const {
    Bytes b = {'~', 'B', 'K', 0};
    U16(b, id);
    if (major_ == 3) U32(b, uint32_t(body.size()));
    U32(b, uint32_t(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    return b;
  }
  Bytes Header() const {
    Bytes b(32, 0);
    std::memcpy(b.data(), "Paint Shop Pro Image File\n\x1a", 27);
    U16(b, major_);
    U16(b, 0);
    return b;
  }
  // width, height, resolution, unit, compression, depth, grey.
  Bytes Attributes(uint32_t w, uint32_t h, double dpi, uint8_t unit, uint16_t compression, uint16_t depth,
                   bool grey) const {
    Bytes a;
    if (major_ > 3) U32(a, 46);
    U32(a, w);
    U32(a, h);
    uint64_t bits;
    std::memcpy(&bits, &dpi, 8);
    U32(a, uint32_t(bits));
    U32(a, uint32_t(bits >> 32));
    a.push_back(unit);
    U16(a, compression);
    U16(a, depth);
    U16(a, 1);
    U32(a, depth == 24 ? 0 : 1u << depth);
    a.push_back(grey);
    U32(a, 0);
    U32(a, 0);
    U16(a, 1);
    U32(a, 1);
    return Block(0, a);
  }
  Bytes Palette(const Bytes& bgrx) const {
    Bytes p;
    if (major_ > 3) U32(p, 8);
    U32(p, uint32_t(bgrx.size() / 4));
    p.insert(p.end(), bgrx.begin(), bgrx.end());
    return Block(2, p);
  }
  Bytes Channel(uint16_t type, const Bytes& packed, uint32_t unpacked) const {
    Bytes c;
    if (major_ > 3) U32(c, 16);
    U32(c, uint32_t(packed.size()));
    U32(c, unpacked);
    U16(c, 0);
    U16(c, type);
    c.insert(c.end(), packed.begin(), packed.end());
    return Block(0x11, c);
  }
  Bytes Layer(uint8_t type, const std::vector<Bytes>& channels) const {
    Bytes l;
    if (major_ > 3) {
      const std::string name = "Layer";
      U32(l, uint32_t(4 + 2 + name.size() + 115));
      U16(l, uint32_t(name.size()));
      l.insert(l.end(), name.begin(), name.end());
      Bytes info(115, 0);
      info[0] = type;
      l.insert(l.end(), info.begin(), info.end());
      U32(l, 8);
    } else {
      Bytes nameAndInfo(256 + 115, 0);
      nameAndInfo[256] = type;
      l.insert(l.end(), nameAndInfo.begin(), nameAndInfo.end());
    }
    U16(l, 1);
    U16(l, uint32_t(channels.size()));
    for (const Bytes& c : channels) l.insert(l.end(), c.begin(), c.end());
    return Block(4, l);
  }

private:
  uint16_t major_;
};

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

Bytes Deflated(const Bytes& raw) {
  uLongf size = compressBound(uLong(raw.size()));
  Bytes out(size);
  compress(out.data(), &size, raw.data(), uLong(raw.size()));
  out.resize(size);
  return out;
}

// Run-length as the description gives it: below 128 a count of literal
// bytes, from 128 a repeat of the next byte (count - 128) times.
Bytes RunLength(const Bytes& raw) {
  Bytes out;
  for (size_t i = 0; i < raw.size();) {
    size_t run = 1;
    while (i + run < raw.size() && raw[i + run] == raw[i] && run < 127) ++run;
    if (run >= 3) {
      out.insert(out.end(), {uint8_t(128 + run), raw[i]});
    } else {
      out.push_back(uint8_t(run));
      out.insert(out.end(), raw.begin() + long(i), raw.begin() + long(i + run));
    }
    i += run;
  }
  return out;
}

// A 5 x 3 picture: red, green and blue planes with every value different.
const Bytes kRed = {10, 20, 30, 40, 50, 11, 21, 31, 41, 51, 12, 22, 32, 42, 52};
const Bytes kGreen = {60, 70, 80, 90, 100, 61, 71, 81, 91, 101, 62, 72, 82, 92, 102};
const Bytes kBlue = {110, 120, 130, 140, 150, 111, 121, 131, 141, 151, 112, 122, 132, 142, 152};

Bytes ExpectedRgb() {
  Bytes rgb;
  for (size_t i = 0; i < kRed.size(); ++i) rgb.insert(rgb.end(), {kRed[i], kGreen[i], kBlue[i]});
  return rgb;
}

Bytes RgbFile(uint16_t major, uint16_t compression, uint8_t firstLayerType = 0) {
  PspWriter w(major);
  auto pack = [&](const Bytes& raw) {
    return compression == 1 ? RunLength(raw) : compression == 2 ? Deflated(raw) : raw;
  };
  std::vector<Bytes> channels = {w.Channel(1, pack(kRed), 15), w.Channel(2, pack(kGreen), 15),
                                 w.Channel(3, pack(kBlue), 15)};
  Bytes bank;
  if (firstLayerType != 0) bank = w.Layer(firstLayerType, {w.Channel(1, pack(Bytes(15, 9)), 15)});
  const Bytes used = w.Layer(major > 3 ? 1 : 0, channels);
  bank.insert(bank.end(), used.begin(), used.end());
  return Join({w.Header(), w.Attributes(5, 3, 100, 2, compression, 24, false), w.Block(3, bank)});
}

TEST(PspReader, RgbLayersInEveryCompressionAndVersion) {
  for (uint16_t major : {3, 5})
    for (uint16_t compression : {0, 1, 2}) {
      TPSPGraphic psp;
      LoadPicture(psp, RgbFile(major, compression));
      ASSERT_EQ(psp.Width(), 5);
      EXPECT_EQ(RgbOf(psp), ExpectedRgb()) << major << " " << compression;
      EXPECT_EQ(psp.ImageProperties.Version, major);
    }
}

// Resolution per centimetre becomes dots per inch.
TEST(PspReader, ResolutionPerCentimetreIsStoredPerInch) {
  TPSPGraphic psp;
  const Bytes file = RgbFile(5, 0);
  TStringStream stream(std::string(file.begin(), file.end()));
  ASSERT_TRUE(psp.ReadImageProperties(stream, 0));
  EXPECT_FLOAT_EQ(psp.ImageProperties.XResolution, 254.0f);
  EXPECT_FLOAT_EQ(psp.ImageProperties.YResolution, 254.0f);
}

// A version-5 bank whose first layer is not a raster layer: the next one shows.
TEST(PspReader, LayersOfOtherKindsArePassedOver) {
  TPSPGraphic psp;
  LoadPicture(psp, RgbFile(5, 2, 2));
  EXPECT_EQ(RgbOf(psp), ExpectedRgb());
}

// 4-bit indices, even width: rows of width / 2 bytes; the palette in
// blue-green-red order; a mask channel (type 4) is read past.
TEST(PspReader, IndexedRowsAndPalette) {
  PspWriter w(5);
  const Bytes indices = {0x01, 0x23, 0x10, 0x32, 0x11, 0x22};  // 4 x 3 pixels
  const Bytes palette = {255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 255, 0, 9, 9, 9, 0};
  const Bytes file = Join({w.Header(), w.Attributes(4, 3, 72, 1, 0, 4, false), w.Palette(palette),
                           w.Block(3, w.Layer(1, {w.Channel(4, Bytes(12, 7), 12), w.Channel(0, indices, 6)}))});
  TPSPGraphic psp;
  LoadPicture(psp, file);
  ASSERT_EQ(psp.PixelFormat(), pf4bit);
  const Bytes rgb = RgbOf(psp);
  const Bytes blue = {0, 0, 255}, red = {255, 0, 0};
  EXPECT_EQ(Bytes(rgb.begin(), rgb.begin() + 3), blue);
  EXPECT_EQ(Bytes(rgb.begin() + 6, rgb.begin() + 9), red);
  EXPECT_EQ(Bytes(rgb.begin() + 9, rgb.begin() + 12), (Bytes{9, 9, 9}));
  EXPECT_EQ(Bytes(rgb.begin() + 12, rgb.begin() + 15), (Bytes{0, 255, 0}));
}

TEST(PspReader, JpegChannelsAndOtherDepthsAreRefused) {
  PspWriter w(5);
  TPSPGraphic psp;
  try {
    LoadPicture(psp, Join({w.Header(), w.Attributes(5, 3, 72, 1, 3, 24, false)}));
    ADD_FAILURE() << "JPEG channels loaded";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(std::string(e.Message()), "Cannot load image. The compression scheme is not supported for PSP files.");
  }
  try {
    LoadPicture(psp, Join({w.Header(), w.Attributes(5, 3, 72, 1, 0, 16, false)}));
    ADD_FAILURE() << "16-bit indices loaded";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(std::string(e.Message()), "Invalid color format in PSP file.");
  }
}

// 4000 x 4000 pixels of 24 bits (48 MB) with 64 KB of channel data: neither
// raw nor deflated can that be the picture, which is refused before its
// bitmap and channel buffers are made.
TEST(PspReader, HugePictureOfLittleDataIsRefused) {
  PspWriter w(5);
  for (uint16_t compression : {0, 2}) {
    const Bytes file = Join({w.Header(), w.Attributes(4000, 4000, 72, 1, compression, 24, false),
                             w.Block(3, w.Layer(1, {w.Channel(1, Bytes(65536, 1), 16000000)}))});
    EXPECT_TRUE(LoadsInLittleMemory<TPSPGraphic>(file)) << compression;
  }
}

TEST(PspReader, DamagedCopiesFailCleanly) {
  for (uint16_t compression : {0, 1, 2}) LoadDamagedCopies<TPSPGraphic>(RgbFile(5, compression, 2));
  LoadDamagedCopies<TPSPGraphic>(RgbFile(3, 1));
}

}  // namespace
