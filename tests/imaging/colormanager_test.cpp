// The colour manager's settings, its choice of converter and its palettes.
#include <gtest/gtest.h>

#include <cmath>

#include "imaging/colormanager.h"
#include "testutil.h"

namespace {

using namespace ConversionOption;

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EColorConversionError& e) {
    return e.Message();
  }
  return "";
}

const char kMix[] = "Conversion between indexed and non-indexed pixel formats is not supported.";
const char kNoMethod[] = "Color conversion failed. Could not find a proper method.";

struct Pair {
  ColorScheme source, target;
  uint8_t sourceBits, targetBits;
};

std::string ConvertError(const Pair& s) {
  TColorManager m;
  return ErrorOf([&] {
    m.SetSourceColorScheme(s.source);
    m.SetTargetColorScheme(s.target);
    m.SetSourceBitsPerSample(s.sourceBits);
    m.SetTargetBitsPerSample(s.targetBits);
    Bytes in(64, 0), out(64, 0);
    m.ConvertRow(TRowBytes(in), out, 4, 0xFF);
  });
}

TEST(ColorManager, RefusesMixesAndPairsWithoutAConverter) {
  EXPECT_EQ(ConvertError({ColorScheme::Rgb, ColorScheme::Gray, 8, 8}), kMix);
  EXPECT_EQ(ConvertError({ColorScheme::Gray, ColorScheme::Bgr, 8, 8}), kMix);
  EXPECT_EQ(ConvertError({ColorScheme::GrayAlpha, ColorScheme::GrayAlpha, 8, 8}), kMix);
  EXPECT_EQ(ConvertError({ColorScheme::GrayAlpha, ColorScheme::Gray, 8, 8}), "");
  EXPECT_EQ(ConvertError({ColorScheme::Cmyk, ColorScheme::Cmyk, 8, 8}), kNoMethod);
  EXPECT_EQ(ConvertError({ColorScheme::NoScheme, ColorScheme::Bgr, 8, 8}), kNoMethod);
  EXPECT_EQ(ConvertError({ColorScheme::Reserved, ColorScheme::Bgr, 8, 8}), kNoMethod);
  EXPECT_EQ(ConvertError({ColorScheme::Gray, ColorScheme::Gray, 16, 4}), kNoMethod);
}

// Depths a converter does not handle raise instead of leaving the row black.
TEST(ColorManager, UnsupportedDepthsRaiseInsteadOfWritingNothing) {
  for (Pair s : {Pair{ColorScheme::Rgb, ColorScheme::Bgr, 12, 8}, Pair{ColorScheme::Rgb, ColorScheme::Bgr, 8, 5},
                  Pair{ColorScheme::Cmyk, ColorScheme::Bgr, 4, 8}, Pair{ColorScheme::Lab, ColorScheme::Rgb, 8, 12},
                  Pair{ColorScheme::YCbCr, ColorScheme::Bgr, 10, 8}, Pair{ColorScheme::GrayAlpha, ColorScheme::Gray, 4, 8},
                  Pair{ColorScheme::Gray, ColorScheme::Gray, 12, 16}, Pair{ColorScheme::PaletteIndex, ColorScheme::PaletteIndex, 12, 8},
                  Pair{ColorScheme::PaletteIndex, ColorScheme::PaletteIndex, 16, 12}})
    EXPECT_EQ(ConvertError(s), kNoMethod) << int(s.source) << " " << int(s.sourceBits) << " to " << int(s.targetBits);
}

TEST(ColorManager, SettersCheckTheirRangesAndMarkChanges) {
  TColorManager m;
  m.PrepareConversion();
  EXPECT_FALSE(m.Changed());
  const char depth[] = "Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16.";
  EXPECT_EQ(ErrorOf([&] { m.SetSourceBitsPerSample(0); }), depth);
  EXPECT_EQ(ErrorOf([&] { m.SetTargetBitsPerSample(17); }), depth);
  EXPECT_EQ(ErrorOf([&] { m.SetSourceSamplesPerPixel(5); }),
            "Sample count per pixel does not correspond to the given color scheme.");
  m.SetSourceBitsPerSample(8);
  m.SetTargetColorScheme(ColorScheme::Bgr);
  EXPECT_FALSE(m.Changed());
  m.SourceOptions = SwapBytes16;
  EXPECT_FALSE(m.Changed());
  m.SetSourceBitsPerSample(5);
  m.SetSourceBitsPerSample(12);
  EXPECT_TRUE(m.Changed());
  EXPECT_EQ(m.SourceBitsPerSample(), 12);
}

TEST(ColorManager, GammaAndYCbCrParametersFallBackOrRefuse) {
  TColorManager m;
  m.SetGamma(0, -1);
  EXPECT_FLOAT_EQ(m.ImageGamma(), 1.0f);
  EXPECT_FLOAT_EQ(m.ScreenGamma(), 2.2f);
  EXPECT_EQ(m.GammaTable()[0], 0);
  EXPECT_EQ(m.GammaTable()[128], 186);  // (128 / 255)^(1 / 2.2) * 255 = 186.4
  EXPECT_EQ(m.GammaTable()[255], 255);
  m.SetGamma(NAN, NAN);
  EXPECT_FLOAT_EQ(m.ImageGamma(), 1.0f);
  EXPECT_FLOAT_EQ(m.ScreenGamma(), 2.2f);
  m.SetGamma(0.45455f, 2.2f);  // a PNG file gamma: about no change
  EXPECT_EQ(m.GammaTable()[100], 100);

  const float weights[3] = {0.2125f, 0.7154f, 0.0721f};
  EXPECT_EQ(ErrorOf([&] { m.SetYCbCrParameters(weights, 2, 4); }),
            "Vertical subsampling value must be <= horizontal subsampling value.");
  EXPECT_EQ(ErrorOf([&] { m.SetYCbCrParameters(weights, 3, 1); }),
            "Subsampling value is invalid. Allowed are 1, 2 and 4.");
  EXPECT_FLOAT_EQ(m.YCbCrCoefficients()[1], 0.7154f);  // the weights were stored before the checks
  EXPECT_EQ(m.HorizontalSubsampling(), 1);
  // Damaged weights: a zero green weight would divide by zero.
  for (float bad : {0.0f, NAN, -0.5f, INFINITY}) {
    const float damaged[3] = {0.299f, bad, 0.114f};
    EXPECT_NE(ErrorOf([&] { m.SetYCbCrParameters(damaged, 2, 2); }), "");
    EXPECT_FLOAT_EQ(m.YCbCrCoefficients()[1], 0.7154f);
  }
  const float one[1] = {0.3f};
  m.SetYCbCrParameters(one, 4, 2);
  EXPECT_FLOAT_EQ(m.YCbCrCoefficients()[0], 0.3f);
  EXPECT_EQ(m.VerticalSubsampling(), 2);
}

// The answer is the bitmap's own pixel format, so a reader can hand it to
// the bitmap; "custom" is the one format a bitmap refuses.
TEST(ColorManager, PixelFormatIsTheBitmapsOwn) {
  struct Case {
    uint8_t samples, bits;
    TPixelFormat format;
    int bitmapBits;  // what the bitmap stores per pixel
  };
  for (Case c : {Case{1, 1, pf1bit, 1}, Case{1, 3, pf4bit, 4}, Case{1, 8, pf8bit, 8}, Case{1, 16, pf8bit, 8},
                 Case{1, 6, pfCustom, 0}, Case{3, 5, pf15bit, 16}, Case{3, 8, pf24bit, 24},
                 Case{4, 8, pf32bit, 32}, Case{4, 4, pfCustom, 0}, Case{2, 8, pfCustom, 0}}) {
    TColorManager m;
    m.SetTargetSamplesPerPixel(c.samples);
    m.SetTargetBitsPerSample(c.bits);
    ASSERT_EQ(m.GetTargetPixelFormat(1), c.format) << int(c.samples) << "x" << int(c.bits);
    EXPECT_EQ(m.GetTargetPixelFormat(0), pf24bit);
    TBitmap bitmap;
    if (c.format == pfCustom) {
      EXPECT_THROW(bitmap.SetPixelFormat(c.format), EInvalidGraphicOperation);
      continue;
    }
    bitmap.SetPixelFormat(c.format);
    bitmap.SetSize(3, 1);
    EXPECT_EQ(PixelFormatBits(bitmap.PixelFormat()), c.bitmapBits);
  }
}

TEST(ColorPalette, EntriesComeFromEveryLayoutAndNeverPastTheData) {
  TColorManager m;
  Bytes triples = {1, 2, 3, 4, 5, 6};
  auto p = m.ColorPaletteEntries({triples}, 0, 2, false);
  EXPECT_EQ(p, (std::vector<TPaletteEntry>{{1, 2, 3, 0}, {4, 5, 6, 0}}));
  p = m.ColorPaletteEntries({triples}, 0, 2, true);
  EXPECT_EQ(p[0], (TPaletteEntry{3, 2, 1, 0}));
  Bytes quads = {1, 2, 3, 99, 4, 5, 6, 99};
  EXPECT_EQ(m.ColorPaletteEntries({quads}, 1, 2, false)[1], (TPaletteEntry{4, 5, 6, 0}));
  Bytes r = {10, 11}, g = {20, 21}, b = {30, 31};
  EXPECT_EQ(m.ColorPaletteEntries({r, g, b}, 2, 2, true)[1], (TPaletteEntry{11, 21, 31, 0}));
  // A map that claims 300 colours but holds 2: 256 entries, the rest black,
  // and nothing read past the six bytes.
  p = m.ColorPaletteEntries({triples}, 0, 300, false);
  ASSERT_EQ(p.size(), 256u);
  EXPECT_EQ(p[1], (TPaletteEntry{4, 5, 6, 0}));
  EXPECT_EQ(p[2], TPaletteEntry{});
  // Planes of different lengths, and too few planes.
  EXPECT_EQ(m.ColorPaletteEntries({r, g, Bytes{30}}, 2, 2, false)[1], TPaletteEntry{});
  EXPECT_EQ(m.ColorPaletteEntries({r}, 2, 2, false)[0], TPaletteEntry{});
  EXPECT_EQ(m.ColorPaletteEntries({triples}, 8, 2, false)[0], TPaletteEntry{});
}

TEST(ColorPalette, SixteenBitValuesHonourTheByteOrderAndGamma) {
  TColorManager m;
  Bytes r = {0x00, 0xFF, 0x00, 0x01}, g = {0xFF, 0xFF, 0x00, 0x00}, b = {0x00, 0x80, 0x00, 0x00};
  auto p = m.ColorPaletteEntries({r, g, b}, 6, 2, false);
  EXPECT_EQ(p[0], (TPaletteEntry{254, 255, 127, 0}));  // 0xFF00, 0xFFFF, 0x8000
  m.SourceOptions = SwapBytes16;
  p = m.ColorPaletteEntries({r, g, b}, 6, 2, false);
  EXPECT_EQ(p[0], (TPaletteEntry{0, 255, 0, 0}));  // 0x00FF, 0xFFFF, 0x0080
  EXPECT_EQ(p[1], (TPaletteEntry{0, 0, 0, 0}));
  m.TargetOptions = GammaCorrect;
  Bytes gray = {128, 128, 128};
  EXPECT_EQ(m.ColorPaletteEntries({gray}, 0, 1, false)[0].peRed, 186);
}

TEST(ColorPalette, DepthChangesSpreadEntriesLikeTheRowConverters) {
  TColorManager m;
  m.SetSourceBitsPerSample(2);
  m.SetTargetBitsPerSample(4);
  Bytes map = {0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3};
  auto p = m.ColorPaletteEntries({map}, 0, 4, false);
  ASSERT_EQ(p.size(), 16u);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(p[i].peRed, i / 5) << i;
  // 16-bit indices into an 8-bit target: entry i is the map's entry i * 257,
  // which a 256-entry map does not hold: black, and no read past the map.
  m.SetSourceBitsPerSample(16);
  m.SetTargetBitsPerSample(8);
  Bytes big(3 * 256, 7);
  p = m.ColorPaletteEntries({big}, 0, 256, false);
  ASSERT_EQ(p.size(), 256u);
  EXPECT_EQ(p[0].peRed, 7);
  EXPECT_EQ(p[1], TPaletteEntry{});
}

TEST(GrayscalePalette, RampsForEachDepth) {
  TColorManager m;
  m.SetTargetSamplesPerPixel(1);
  m.SetTargetBitsPerSample(1);
  auto p = m.GrayscalePaletteEntries(true);
  EXPECT_EQ(p, (std::vector<TPaletteEntry>{{255, 255, 255, 0}, {0, 0, 0, 0}}));
  m.SetTargetBitsPerSample(2);
  p = m.GrayscalePaletteEntries(false);
  ASSERT_EQ(p.size(), 4u);
  EXPECT_EQ(p[1].peGreen, 85);
  EXPECT_EQ(p[3].peBlue, 255);
  m.SetTargetBitsPerSample(3);
  EXPECT_EQ(m.GrayscalePaletteEntries(false)[7].peRed, 252);
  m.SetTargetBitsPerSample(16);
  EXPECT_EQ(m.GrayscalePaletteEntries(false).size(), 256u);
}

// Palette handles on every platform, from the same entries; a palette that
// cannot be made raises rather than handing back nothing.
TEST(ColorPalette, HandlesCarryTheEntriesAndEmptyPalettesRaise) {
  TColorManager m;
  Bytes triples = {1, 2, 3, 4, 5, 6};
  HPALETTE palette = m.CreateColorPalette({triples}, 0, 2, false);
  ASSERT_NE(palette, nullptr);
  EXPECT_EQ(PaletteEntries(palette), m.ColorPaletteEntries({triples}, 0, 2, false));
  DeletePalette(palette);
  EXPECT_ANY_THROW(m.CreateColorPalette({triples}, 0, 0, false));
  m.SetTargetSamplesPerPixel(1);
  m.SetTargetBitsPerSample(1);
  palette = m.CreateGrayscalePalette(true);
  EXPECT_EQ(PaletteEntries(palette), (std::vector<TPaletteEntry>{{255, 255, 255, 0}, {0, 0, 0, 0}}));
  DeletePalette(palette);
}

// New weights alone must change the colours: the tables follow them.
TEST(YCbCr, NewWeightsTakeEffectWithoutAnyOtherChange) {
  TColorManager m;
  m.SetSourceColorScheme(ColorScheme::YCbCr);
  m.SetTargetColorScheme(ColorScheme::Rgb);
  Bytes pixel = {100, 90, 200}, before(3), after(3);
  m.ConvertRow(TRowBytes(pixel), before, 1, 0xFF);
  const float weights[3] = {0.2125f, 0.7154f, 0.0721f};
  m.SetYCbCrParameters(weights, 1, 1);
  EXPECT_FALSE(m.Changed());
  m.ConvertRow(TRowBytes(pixel), after, 1, 0xFF);
  EXPECT_NE(before, after);
  TColorManager fresh;
  fresh.SetSourceColorScheme(ColorScheme::YCbCr);
  fresh.SetTargetColorScheme(ColorScheme::Rgb);
  fresh.SetYCbCrParameters(weights, 1, 1);
  Bytes expected(3);
  fresh.ConvertRow(TRowBytes(pixel), expected, 1, 0xFF);
  EXPECT_EQ(after, expected);
}

}  // namespace
