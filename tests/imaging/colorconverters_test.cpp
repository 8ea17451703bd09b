// The row converters on known rows: every scheme pair, both byte orders of
// 16-bit samples, planes, masks and alpha. Source rows are exactly as long
// as the pixels they hold, targets have guard bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "imaging/colormanager.h"
#include "testutil.h"

namespace {

using namespace ConversionOption;
using CS = ColorScheme;

struct Conversion {
  CS source, target;
  uint8_t sourceBits, targetBits;
  uint8_t sourceOptions = 0, targetOptions = 0;
};

std::unique_ptr<TColorManager> Manager(const Conversion& c) {
  auto m = std::make_unique<TColorManager>();
  m->SetSourceColorScheme(c.source);
  m->SetTargetColorScheme(c.target);
  m->SetSourceBitsPerSample(c.sourceBits);
  m->SetTargetBitsPerSample(c.targetBits);
  m->SourceOptions = c.sourceOptions;
  m->TargetOptions = c.targetOptions;
  return m;
}

Bytes Convert(const Conversion& c, const std::vector<Bytes>& planes, uint32_t count, size_t targetSize,
              uint8_t mask = 0xFF, uint8_t fill = 0) {
  auto m = Manager(c);
  std::vector<std::unique_ptr<Bytes>> copies;  // separate blocks, exactly sized
  std::vector<TRowBytes> rows;
  for (const Bytes& p : planes) {
    copies.push_back(std::make_unique<Bytes>(p));
    rows.emplace_back(*copies.back());
  }
  GuardedBuffer out(targetSize, fill);
  m->ConvertRow(rows, std::span<uint8_t>(out.Data(), out.Size()), count, mask);
  EXPECT_TRUE(out.GuardsIntact());
  return out.Contents();
}

Bytes Le(std::initializer_list<uint16_t> words) {
  Bytes b;
  for (uint16_t w : words) b.insert(b.end(), {uint8_t(w), uint8_t(w >> 8)});
  return b;
}
Bytes Be(std::initializer_list<uint16_t> words) {
  Bytes b;
  for (uint16_t w : words) b.insert(b.end(), {uint8_t(w >> 8), uint8_t(w)});
  return b;
}

struct RowCase {
  const char* name;
  Conversion c;
  Bytes in;
  uint32_t count;
  Bytes out;
  uint8_t fill = 0;
};

void PrintTo(const RowCase& r, std::ostream* os) { *os << r.name; }

class KnownRows : public ::testing::TestWithParam<RowCase> {};

TEST_P(KnownRows, ConvertAsExpected) {
  const RowCase& r = GetParam();
  EXPECT_EQ(Convert(r.c, {r.in}, r.count, r.out.size(), 0xFF, r.fill), r.out) << r.name;
}

const RowCase kRows[] = {
    // RGB and BGR, all four orders and all four depth pairs.
    {"RgbToBgr8", {CS::Rgb, CS::Bgr, 8, 8}, {10, 20, 30}, 1, {30, 20, 10}},
    {"RgbToRgb8", {CS::Rgb, CS::Rgb, 8, 8}, {10, 20, 30}, 1, {10, 20, 30}},
    {"BgrToRgb8", {CS::Bgr, CS::Rgb, 8, 8}, {10, 20, 30}, 1, {30, 20, 10}},
    {"BgrToBgr8", {CS::Bgr, CS::Bgr, 8, 8}, {10, 20, 30}, 1, {10, 20, 30}},
    {"RgbToBgr16To8", {CS::Rgb, CS::Bgr, 16, 8}, Le({65535, 257, 256}), 1, {0, 1, 255}},
    {"Rgb16LittleEndian", {CS::Rgb, CS::Rgb, 16, 8}, {0x12, 0x34, 0, 0, 0, 0}, 1, {51, 0, 0}},
    {"Rgb16BigEndian", {CS::Rgb, CS::Rgb, 16, 8, SwapBytes16}, {0x12, 0x34, 0, 0, 0, 0}, 1, {18, 0, 0}},
    {"RgbToBgr8To16", {CS::Rgb, CS::Bgr, 8, 16}, {10, 20, 30}, 1, Le({30 * 257, 20 * 257, 10 * 257})},
    {"RgbToBgr16To16", {CS::Rgb, CS::Bgr, 16, 16}, Le({0x0201, 0x0403, 0x0605}), 1, Le({0x0605, 0x0403, 0x0201})},
    {"RgbToBgr16To16Swapped", {CS::Rgb, CS::Bgr, 16, 16, SwapBytes16}, Le({0x0201, 0x0403, 0x0605}), 1,
     Be({0x0605, 0x0403, 0x0201})},
    {"BgrToRgb16To8Gamma", {CS::Bgr, CS::Rgb, 16, 8, SwapBytes16, GammaCorrect}, Be({0x8080, 0, 65535}), 1,
     {255, 0, 186}},
    // Alpha: copied past the gamma table, left alone, or dropped.
    {"RgbaToBgraGamma", {CS::Rgba, CS::Bgra, 8, 8, 0, GammaCorrect}, {128, 0, 255, 128}, 1, {255, 0, 186, 128}},
    {"RgbToBgraKeepsTarget", {CS::Rgb, CS::Bgra, 8, 8}, {10, 20, 30}, 1, {30, 20, 10, 0xEE}, 0xEE},
    {"RgbaToBgrDropsAlpha", {CS::Rgba, CS::Bgr, 8, 8}, {10, 20, 30, 40, 11, 21, 31, 41}, 2, {30, 20, 10, 31, 21, 11}},
    {"RgbaToRgba16To8", {CS::Rgba, CS::Rgba, 16, 8, SwapBytes16}, Be({0, 0, 0, 0xFF00}), 1, {0, 0, 0, 254}},
    // CMYK
    {"CmykWhite", {CS::Cmyk, CS::Rgb, 8, 8}, {0, 0, 0, 0}, 1, {255, 255, 255}},
    {"CmykBlackInk", {CS::Cmyk, CS::Rgb, 8, 8}, {30, 60, 90, 255}, 1, {0, 0, 0}},
    {"CmykCyan", {CS::Cmyk, CS::Rgb, 8, 8}, {255, 0, 0, 0}, 1, {0, 255, 255}},
    {"CmykCyanToBgr", {CS::Cmyk, CS::Bgr, 8, 8}, {255, 0, 0, 0}, 1, {255, 255, 0}},
    {"CmykTo16", {CS::Cmyk, CS::Rgb, 8, 16}, {255, 0, 0, 0}, 1, Le({0, 65535, 65535})},
    {"Cmyk16", {CS::Cmyk, CS::Bgr, 16, 8}, Le({0x8000, 0, 0, 0}), 1, {255, 255, 128}},
    {"Cmyk16To16", {CS::Cmyk, CS::Rgb, 16, 16}, Le({0x8000, 0, 0, 0}), 1, Le({0x7FFF, 65535, 65535})},
    {"CmykToBgraSkipsAlpha", {CS::Cmyk, CS::Bgra, 8, 8}, {0, 0, 0, 0}, 1, {255, 255, 255, 7}, 7},
    // CIE L*a*b*
    {"LabScaledWhite", {CS::Lab, CS::Rgb, 8, 8, LightnessScaled}, {255, 0, 0}, 1, {255, 255, 255}},
    {"LabBlack", {CS::Lab, CS::Bgr, 8, 8}, {0, 0, 0}, 1, {0, 0, 0}},
    {"LabChromaOffsetWhite", {CS::Lab, CS::Rgb, 8, 8, ChromaOffset}, {100, 128, 128}, 1, {255, 255, 255}},
    {"LabTo16", {CS::Lab, CS::Rgb, 8, 16, LightnessScaled}, {255, 0, 0}, 1, Le({65535, 65535, 65535})},
    {"Lab16White", {CS::Lab, CS::Rgb, 16, 8}, Le({65535, 0, 0}), 1, {255, 255, 255}},
    // L* 19.6 ends in sRGB as other decoders show it, not in linear light (7).
    {"LabDarkGreyInSrgb", {CS::Lab, CS::Rgb, 8, 8, LightnessScaled}, {50, 0, 0}, 1, {47, 47, 47}},
    // YCbCr and Photo-CD
    {"YCbCrGrey", {CS::YCbCr, CS::Rgb, 8, 8}, {128, 128, 128}, 1, {128, 128, 128}},
    {"YCbCrRed", {CS::YCbCr, CS::Bgr, 8, 8}, {76, 85, 255}, 1, {0, 0, 254}},
    {"YCbCr16To16", {CS::YCbCr, CS::Rgb, 16, 16}, Le({32896, 40092, 35209}), 1, Le({44686, 44686, 44686})},
    {"YCbCr16To16Clamped", {CS::YCbCr, CS::Rgb, 16, 16}, Le({65535, 0, 65535}), 1, Le({65535, 65535, 103})},
    {"PhotoYccGrey", {CS::PhotoYcc, CS::Rgb, 8, 8}, {128, 156, 137}, 1, {128, 128, 128}},
    // Grey
    {"Gray8", {CS::Gray, CS::Gray, 8, 8}, {1, 2, 3}, 3, {1, 2, 3}},
    {"Gray8To16", {CS::Gray, CS::Gray, 8, 16}, {0x12}, 1, {0x12, 0x12}},
    {"Gray16To8", {CS::Gray, CS::Gray, 16, 8}, {0x12, 0x34}, 1, {51}},
    {"Gray16To8Swapped", {CS::Gray, CS::PaletteIndex, 16, 8, SwapBytes16}, {0x12, 0x34}, 1, {18}},
    {"Gray16To16Swapped", {CS::Gray, CS::Gray, 16, 16, SwapBytes16}, {0x12, 0x34}, 1, {0x34, 0x12}},
    {"GrayAlphaSkipsAlpha", {CS::GrayAlpha, CS::Gray, 8, 8}, {10, 99, 20, 99}, 2, {10, 20}},
    {"GrayAlpha16To8", {CS::GrayAlpha, CS::Gray, 16, 8}, Le({65535, 1, 257, 1}), 2, {255, 1}},
    // Packed indices
    {"Indexed4To8", {CS::PaletteIndex, CS::PaletteIndex, 4, 8}, {0x12, 0x34}, 4, {17, 34, 51, 68}},
    {"Indexed1To8", {CS::PaletteIndex, CS::Gray, 1, 8}, {0xA0}, 3, {255, 0, 255}},
    {"Gray8To4Truncates", {CS::Gray, CS::Gray, 8, 4}, {254, 17}, 2, {0xE1}},
    {"Indexed2To4", {CS::PaletteIndex, CS::PaletteIndex, 2, 4}, {0x1B}, 4, {0x05, 0xAF}},
    {"IndexedSameDepthCopies", {CS::PaletteIndex, CS::PaletteIndex, 4, 4}, {0x12, 0x30}, 3, {0x12, 0x30}},
    {"Indexed3BitsPackedAcrossBytes", {CS::Gray, CS::Gray, 3, 8}, {0x05, 0x39, 0x77}, 8,
     {0, 36, 72, 109, 145, 182, 218, 255}},
    {"Indexed16To16", {CS::PaletteIndex, CS::PaletteIndex, 16, 16}, {0x12, 0x34}, 1, {0x12, 0x34}},
    {"Indexed16To16Swapped", {CS::PaletteIndex, CS::PaletteIndex, 16, 16, SwapBytes16}, {0x12, 0x34}, 1, {0x34, 0x12}},
    {"Indexed16To1", {CS::PaletteIndex, CS::PaletteIndex, 16, 1}, Le({65535, 0, 65535}), 3, {0xA0}},
    {"Indexed16To4Swapped", {CS::PaletteIndex, CS::PaletteIndex, 16, 4, SwapBytes16}, Be({0x8000, 0xFFFF}), 2, {0x7F}},
    {"Indexed3To16", {CS::PaletteIndex, CS::PaletteIndex, 3, 16}, {0x20}, 1, Le({9362})},
    {"Indexed3To16Swapped", {CS::PaletteIndex, CS::PaletteIndex, 3, 16, SwapBytes16}, {0x20}, 1, Be({9362})},
};

INSTANTIATE_TEST_SUITE_P(Schemes, KnownRows, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The CMYK, L*a*b* and YCbCr converters read 16-bit samples in the order
// the file gives: the same values stored high byte first (with SwapBytes16)
// or low byte first (without) convert alike.
TEST(SixteenBitSources, HonourTheByteOrderFlag) {
  struct Case {
    CS scheme;
    std::initializer_list<uint16_t> values;
  };
  for (const Case& k : {Case{CS::Cmyk, {0x8000, 0x1000, 0x0000, 0x2000}}, Case{CS::Lab, {0xC000, 0x1000, 0xF000}},
                        Case{CS::YCbCr, {0xC000, 0x7000, 0x9000}}}) {
    for (uint8_t target : {8, 16}) {
      Bytes little = Convert({k.scheme, CS::Bgr, 16, target}, {Le(k.values)}, 1, 3 * target / 8);
      Bytes big = Convert({k.scheme, CS::Bgr, 16, target, SwapBytes16}, {Be(k.values)}, 1, 3 * target / 8);
      Bytes wrong = Convert({k.scheme, CS::Bgr, 16, target}, {Be(k.values)}, 1, 3 * target / 8);
      EXPECT_EQ(little, big) << int(k.scheme) << " to " << int(target);
      EXPECT_NE(little, wrong) << int(k.scheme) << " to " << int(target);
    }
  }
}

TEST(Planes, EachPlaneGivesOneSample) {
  EXPECT_EQ(Convert({CS::Rgb, CS::Bgr, 8, 8}, {{10, 11}, {20, 21}, {30, 31}}, 2, 6), (Bytes{30, 20, 10, 31, 21, 11}));
  EXPECT_EQ(Convert({CS::Rgba, CS::Bgra, 8, 8}, {{10}, {20}, {30}, {40}}, 1, 4), (Bytes{30, 20, 10, 40}));
  EXPECT_EQ(Convert({CS::Cmyk, CS::Rgb, 8, 8}, {{255}, {0}, {0}, {0}}, 1, 3), (Bytes{0, 255, 255}));
  EXPECT_EQ(Convert({CS::YCbCr, CS::Rgb, 16, 8}, {Le({0x8080}), Le({0x8080}), Le({0x8080})}, 1, 3),
            (Bytes{128, 128, 128}));
  // Fewer planes than the scheme needs are refused, never read past.
  EXPECT_THROW(Convert({CS::Rgb, CS::Bgr, 8, 8}, {{1}, {2}}, 1, 3), EColorConversionError);
}

// L*a*b* colours come from single precision and an sRGB table: over a grid
// of samples of each layout they stay within one level of the same
// arithmetic done exactly, with a power for the curve.
TEST(Lab, WithinOneLevelOfExactArithmetic) {
  auto srgb = [](long double linear) {
    if (!(linear > 0)) return 0;
    if (linear >= 1) return 255;
    const long double v = linear <= 0.0031308L ? 12.92L * linear : 1.055L * std::pow(linear, 1 / 2.4L) - 0.055L;
    return static_cast<int>(std::nearbyint(v * 255));
  };
  struct Layout {
    uint8_t bits, options;
  };
  // 8 bits: L* scaled to 0..255 or as it is (0..100); 16 bits: L* over the
  // whole word. a* and b* signed, or with the middle of their range added.
  for (const Layout& k : {Layout{8, LightnessScaled}, Layout{8, LightnessScaled | ChromaOffset}, Layout{8, 0},
                          Layout{8, ChromaOffset}, Layout{16, 0}, Layout{16, ChromaOffset}}) {
    const unsigned top = (1u << k.bits) - 1, unit = k.bits == 8 ? 1 : 257;
    Bytes row;
    std::vector<uint16_t> samples;
    for (unsigned l = 0; l <= top; l += 3 * unit)
      for (unsigned a = 0; a <= top; a += 5 * unit)
        for (unsigned b = 0; b <= top; b += 5 * unit)
          for (unsigned v : {l, a, b}) {
            samples.push_back(uint16_t(v));
            row.push_back(uint8_t(v));
            if (k.bits == 16) row.push_back(uint8_t(v >> 8));
          }
    const uint32_t count = uint32_t(samples.size() / 3);
    const Bytes out = Convert({CS::Lab, CS::Rgb, k.bits, 8, k.options}, {row}, count, samples.size());
    const bool offset = k.options & ChromaOffset, scaled = k.options & LightnessScaled;
    // a* and b* in steps of 1 (8 bits) or 1/256 (16 bits).
    const long double step = k.bits == 8 ? 1 : 256;
    auto chroma = [&](uint16_t v) { return (offset ? v - 128 * step : k.bits == 8 ? int8_t(v) : int16_t(v)) / step; };
    auto lightness = [&](uint16_t v) { return k.bits == 16 ? v * 100.0L / 65535 : scaled ? v / 2.55L : v; };
    int worst = 0;
    for (size_t i = 0; i < samples.size(); i += 3) {
      const long double L = lightness(samples[i]), a = chroma(samples[i + 1]), b = chroma(samples[i + 2]);
      long double X, Y, Z;
      if (L < 7.9996L) {
        Y = L / 903.3L, X = a / 3893.5L + Y, Z = Y - b / 1557.4L;
      } else {
        const long double fy = (L + 16) / 116;
        X = std::pow(a / 500 + fy, 3.0L), Y = fy * fy * fy, Z = std::pow(fy - b / 200, 3.0L);
      }
      const int rgb[3] = {srgb(3.080093L * X - 1.5372L * Y - 0.542891L * Z),
                          srgb(-0.920910L * X + 1.8758L * Y + 0.045186L * Z),
                          srgb(0.052941L * X - 0.2040L * Y + 1.150893L * Z)};
      for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(rgb[c] - out[i + c]));
    }
    EXPECT_LE(worst, 1) << int(k.bits) << " bits, options " << int(k.options);
  }
}

TEST(Mask, SkippedPixelsAdvanceTheTargetOnly) {
  Bytes source = {1, 2, 3, 4, 5, 6};
  Bytes out = Convert({CS::Rgb, CS::Rgb, 8, 8}, {source}, 16, 48, 0x80, 0xEE);
  for (int i = 0; i < 16; ++i) {
    Bytes pixel(out.begin() + 3 * i, out.begin() + 3 * i + 3);
    if (i == 0)
      EXPECT_EQ(pixel, (Bytes{1, 2, 3}));
    else if (i == 8)
      EXPECT_EQ(pixel, (Bytes{4, 5, 6}));
    else
      EXPECT_EQ(pixel, (Bytes{0xEE, 0xEE, 0xEE})) << i;
  }
  // Packed targets keep the bits of pixels that are skipped; a pass of 2-bit
  // values (3, 2, 1, 0) goes to every other 4-bit pixel, scaled.
  EXPECT_EQ(Convert({CS::PaletteIndex, CS::PaletteIndex, 4, 4}, {{0x30}}, 2, 1, 0x80, 0xFF), (Bytes{0x3F}));
  EXPECT_EQ(Convert({CS::Gray, CS::Gray, 2, 4}, {{0xE4}}, 8, 4, 0x55, 0x00), (Bytes{0x0F, 0x0A, 0x05, 0x00}));
  EXPECT_EQ(Convert({CS::Gray, CS::Gray, 8, 8}, {{7}}, 2, 2, 0x40, 0xEE), (Bytes{0xEE, 7}));
}

TEST(ConvertRow, CountZeroWritesNothing) {
  EXPECT_EQ(Convert({CS::Rgb, CS::Bgr, 8, 8}, {{}}, 0, 3, 0xFF, 0xEE), (Bytes{0xEE, 0xEE, 0xEE}));
}

// Rows exactly as long as the pixels need pass; one byte less on either
// side is refused before anything is read or written.
TEST(ConvertRow, RowsShorterThanTheirPixelsAreRefused) {
  struct Case {
    const char* name;
    Conversion c;
    std::vector<Bytes> planes;
    uint32_t count;
    size_t target;
  };
  const Case cases[] = {
      {"Rgb", {CS::Rgb, CS::Bgr, 8, 8}, {Bytes(6)}, 2, 6},
      {"Rgb16", {CS::Rgb, CS::Bgr, 16, 8}, {Bytes(12)}, 2, 6},
      {"RgbaPlanes", {CS::Rgba, CS::Bgra, 8, 8}, {Bytes(2), Bytes(2), Bytes(2), Bytes(2)}, 2, 8},
      {"Cmyk", {CS::Cmyk, CS::Bgr, 8, 8}, {Bytes(8)}, 2, 6},
      {"GrayAlpha", {CS::GrayAlpha, CS::Gray, 8, 8}, {Bytes(4)}, 2, 2},
      {"Indexed4", {CS::PaletteIndex, CS::PaletteIndex, 4, 4}, {Bytes(2)}, 3, 2},
      {"Indexed2To8", {CS::PaletteIndex, CS::PaletteIndex, 2, 8}, {Bytes(1)}, 3, 3},
      {"Indexed16To1", {CS::PaletteIndex, CS::PaletteIndex, 16, 1}, {Bytes(18)}, 9, 2},
  };
  for (const Case& k : cases) {
    EXPECT_NO_THROW(Convert(k.c, k.planes, k.count, k.target)) << k.name;
    for (size_t p = 0; p < k.planes.size(); ++p) {
      std::vector<Bytes> shorter = k.planes;
      shorter[p].pop_back();
      EXPECT_THROW(Convert(k.c, shorter, k.count, k.target), EColorConversionError) << k.name << p;
    }
    EXPECT_THROW(Convert(k.c, k.planes, k.count, k.target - 1), EColorConversionError) << k.name;
  }
  // A masked row reads only the pixels it selects.
  EXPECT_NO_THROW(Convert({CS::Rgb, CS::Bgr, 8, 8}, {Bytes(6)}, 16, 48, 0x80));
  EXPECT_THROW(Convert({CS::Rgb, CS::Bgr, 8, 8}, {Bytes(5)}, 16, 48, 0x80), EColorConversionError);
}

// Readers whose scheme and sample layout disagree: an alpha target on a
// three-sample scan line (two matte channels), and blue-green-red rows from
// a grey strip. Both raise; neither touches a byte.
TEST(ConvertRow, SchemesThatDisagreeWithTheRowLayoutRaise) {
  GuardedBuffer scanLine(12, 0xEE);  // four pixels of three bytes
  TColorManager m;
  m.SetSourceColorScheme(CS::Rgba);
  m.SetTargetColorScheme(CS::Bgra);
  m.SetSourceSamplesPerPixel(3);
  m.SetTargetSamplesPerPixel(3);
  Bytes r(4), g(4), b(4), a(4);
  const TRowBytes planes[] = {r, g, b, a};
  EXPECT_THROW(m.ConvertRow(planes, std::span<uint8_t>(scanLine.Data(), scanLine.Size()), 4, 0xFF),
               EColorConversionError);
  m.SetSourceColorScheme(CS::Bgr);
  m.SetTargetColorScheme(CS::Bgr);
  Bytes grey(4);
  GuardedBuffer greyLine(4, 0xEE);
  EXPECT_THROW(m.ConvertRow(TRowBytes(grey), std::span<uint8_t>(greyLine.Data(), greyLine.Size()), 4, 0xFF),
               EColorConversionError);
  EXPECT_EQ(scanLine.Contents(), Bytes(12, 0xEE));
  EXPECT_EQ(greyLine.Contents(), Bytes(4, 0xEE));
  EXPECT_TRUE(scanLine.GuardsIntact() && greyLine.GuardsIntact());
}

}  // namespace
