// Every decoder on real data cut short and with bytes overwritten: it may
// decode garbage or raise its own error, but it never writes outside the
// output it was given (the guard bytes) and always returns.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>

#include "imaging/ccittdecoder.h"
#include "imaging/jpegdecoder.h"
#include "imaging/lz77decoder.h"
#include "imaging/lzwdecoder.h"
#include "imaging/rledecoders.h"
#include "imaging/thunderdecoder.h"
#include "testutil.h"

namespace {

struct Subject {
  const char* name;
  Bytes packed;
  size_t room;  // output bytes (for Targa: pixels * 3)
  std::function<std::unique_ptr<TDecoder>()> make;
  int64_t unpacked = -1;  // what Decode is told, when not room
};

// Damaged versions of one input: every cut in 64 steps, then 64 copies with
// a few bytes overwritten.
std::vector<Bytes> Damaged(const Bytes& good) {
  std::vector<Bytes> out;
  for (size_t i = 0; i <= 64; ++i) out.emplace_back(good.begin(), good.begin() + good.size() * i / 64);
  std::mt19937 random(12345);
  for (int i = 0; i < 64; ++i) {
    Bytes b = good;
    for (int k = 0; k < 1 + i % 5 && !b.empty(); ++k) b[random() % b.size()] = uint8_t(random());
    out.push_back(b);
  }
  return out;
}

void DecodeDamaged(const Subject& s) {
  for (const Bytes& input : Damaged(s.packed)) {
    // An exact copy, so that reading past the input is caught too.
    auto copy = std::make_unique<uint8_t[]>(input.size() + 1);
    std::copy(input.begin(), input.end(), copy.get());
    GuardedBuffer out(s.room);
    auto decoder = s.make();
    const uint8_t* src = copy.get();
    uint8_t* dst = out.Data();
    try {
      decoder->DecodeInit();
      decoder->Decode(src, dst, static_cast<int64_t>(input.size()), s.unpacked >= 0 ? s.unpacked : s.room);
      decoder->DecodeEnd();
    } catch (const EGraphicCompression&) {
    }
    ASSERT_TRUE(out.GuardsIntact()) << s.name << " with " << input.size() << " bytes";
    ASSERT_GE(src, copy.get()) << s.name;
    ASSERT_LE(src, copy.get() + input.size()) << s.name;
  }
}

Bytes FirstStrip(const char* file) { return LoadTiff(file).strips.at(0); }

TEST(DamagedData, NoDecoderWritesOutsideItsOutput) {
  TImageProperties jpeg;
  {
    TiffFixture t = LoadTiff("rgb_jpeg_ycbcr.tif");
    jpeg.Width = 48;
    jpeg.Height = 40;
    jpeg.BitsPerSample = 8;
    jpeg.SamplesPerPixel = 3;
    jpeg.PlanarConfig = 1;
    jpeg.ColorScheme = 11;
    jpeg.BytesPerLine = 144;
    jpeg.RowsPerStrip = {16};
    jpeg.YCbCrSubsampling = {2, 2};
    jpeg.JPEGTables = t.rawTags.at(347);
  }
  SetJPEGWarningHook(nullptr);
  Bytes tga = ReadFixture("plasma.tga");
  Bytes pcx = ReadFixture("plasma.pcx");
  Bytes gif = ReadFixture("noise.gif");
  Bytes thunder = {0xC5, 0x03, 0x5E, 0x9E, 0xC9, 0x0F, 0x6A, 0x81, 0x3F, 0xC1, 0x55, 0x96};
  Bytes runs = {0x05, 1, 2, 3, 4, 5, 6, 0x85, 7, 0xFB, 8, 0x80, 0x02, 9, 9, 9, 0x00};
  std::vector<Subject> subjects = {
      {"TIFF LZW", FirstStrip("rgb_lzw.tif"), 1152, [] { return std::make_unique<TTIFFLZWDecoder>(); }},
      {"GIF LZW", Bytes(gif.begin() + 800, gif.end()), 9216,
       [] { return std::make_unique<TGIFLZWDecoder>(8); }},
      {"deflate", FirstStrip("rgb_zip.tif"), 1152, [] { return std::make_unique<TLZ77Decoder>(Z_PARTIAL_FLUSH, true); }},
      {"PackBits", FirstStrip("rgb_packbits.tif"), 1152, [] { return std::make_unique<TPackbitsRLEDecoder>(); }},
      {"group 3", FirstStrip("bw_g3.tif"), 2600, [] { return std::make_unique<TCCITTFax3Decoder>(0, false, false, 2600); }},
      {"group 3 fill", FirstStrip("bw_g3_fill.tif"), 2600,
       [] { return std::make_unique<TCCITTFax3Decoder>(4, false, false, 2600); }},
      {"modified Huffman", FirstStrip("bw_g3.tif"), 2600,
       [] { return std::make_unique<TCCITTMHDecoder>(0, true, true, 2600); }},
      {"JPEG", FirstStrip("rgb_jpeg_ycbcr.tif"), 16 * 144, [&jpeg] { return std::make_unique<TTIFFJPEGDecoder>(&jpeg); }},
      {"PCX", Bytes(pcx.begin() + 128, pcx.end()), 48 * 32 * 3, [] { return std::make_unique<TPCXRLEDecoder>(); }},
      {"Targa", Bytes(tga.begin() + 18, tga.end()), 48 * 32 * 3, [] { return std::make_unique<TTargaRLEDecoder>(24); },
       48 * 32},
      {"SGI 8", Bytes(runs), 20, [] { return std::make_unique<TSGIRLEDecoder>(8); }},
      {"SGI 16", Bytes(runs), 21, [] { return std::make_unique<TSGIRLEDecoder>(16); }},
      {"CUT", Bytes(runs), 20, [] { return std::make_unique<TCUTRLEDecoder>(); }},
      {"Paintshop Pro", Bytes(runs), 20, [] { return std::make_unique<TPSPRLEDecoder>(); }},
      {"RLA", Bytes(runs), 20, [] { return std::make_unique<TRLADecoder>(); }},
      {"ThunderScan", thunder, 9, [] { return std::make_unique<TThunderDecoder>(5); }},
  };
  for (const Subject& s : subjects) DecodeDamaged(s);
}

}  // namespace
