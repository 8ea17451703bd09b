// Conversion of pixel rows from the layout an image file stores them in (the
// source) into the layout of the bitmap that shows them (the target):
// colour schemes, bit depths, byte orders, planes, gamma and the CMYK,
// L*a*b*, YCbCr and Photo-CD transforms; plus the palettes and the bitmap
// format that fit the target settings.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "classlib/bitmap.h"
#include "classlib/exceptions.h"
#include "classlib/object.h"
#include "classlib/palette.h"

enum class ColorScheme : uint8_t {
  NoScheme = 0,
  PaletteIndex = 1,
  Gray = 2,
  GrayAlpha = 3,
  Rgb = 4,
  Rgba = 5,
  Bgr = 6,
  Bgra = 7,
  Reserved = 8,  // no reader produces it, no converter accepts it
  Cmyk = 9,
  Lab = 10,
  YCbCr = 11,
  PhotoYcc = 12,
};

// Flags of TColorManager::SourceOptions and TargetOptions.
using ConversionOptions = uint8_t;
namespace ConversionOption {
enum : uint8_t {
  AlphaPresent = 1,     // both sides; kept up to date by PrepareConversion
  GammaCorrect = 2,     // target: colour samples and palettes pass GammaTable
  SwapBytes16 = 4,      // source: 16-bit samples are stored high byte first
  LightnessScaled = 8,  // source: L* is stored as 0..255
  ChromaOffset = 16,    // source: a* and b* are stored with 128 added
};
}  // namespace ConversionOption

// One source row as the converters see it: an interleaved row, or one plane
// of a planar row, with the bytes it really holds.
using TRowBytes = std::span<const uint8_t>;

class EColorConversionError : public Exception {
  using Exception::Exception;
};

uint8_t ClampByte(int32_t Value);
// A * B / C, truncated; callers keep C above 0 and the quotient below 65536.
uint16_t MulDiv16(uint16_t A, uint16_t B, uint16_t C);

class TColorManager : public TObject {
public:
  TColorManager();

  bool Changed() const { return changed_; }
  uint8_t SourceBitsPerSample() const { return sourceBitsPerSample_; }
  uint8_t TargetBitsPerSample() const { return targetBitsPerSample_; }
  uint8_t SourceSamplesPerPixel() const { return sourceSamplesPerPixel_; }
  uint8_t TargetSamplesPerPixel() const { return targetSamplesPerPixel_; }
  ColorScheme SourceColorScheme() const { return sourceColorScheme_; }
  ColorScheme TargetColorScheme() const { return targetColorScheme_; }
  float ImageGamma() const { return imageGamma_; }
  float ScreenGamma() const { return screenGamma_; }
  const uint8_t* GammaTable() const { return gammaTable_; }
  const float* YCbCrCoefficients() const { return yCbCrCoefficients_; }
  uint8_t HorizontalSubsampling() const { return horizontalSubsampling_; }
  uint8_t VerticalSubsampling() const { return verticalSubsampling_; }

  void SetSourceBitsPerSample(uint8_t Value);
  void SetTargetBitsPerSample(uint8_t Value);
  void SetSourceSamplesPerPixel(uint8_t Value);
  void SetTargetSamplesPerPixel(uint8_t Value);
  void SetSourceColorScheme(ColorScheme Value);
  void SetTargetColorScheme(ColorScheme Value);
  void SetGamma(float ImageGamma, float ScreenGamma);
  // One to three weights (red, green, blue); a weight that is not a number
  // above 0 is refused as damaged and nothing is stored.
  void SetYCbCrParameters(std::span<const float> Coefficients, uint8_t HorizontalSubsampling,
                          uint8_t VerticalSubsampling);

  // The bitmap's pixel format (classlib/bitmap.h) for the source settings
  // (Index 0) or the target settings (Index 1): pf1bit, pf4bit, pf8bit,
  // pf15bit, pf24bit, pf32bit, or pfCustom for a layout no bitmap takes
  // (one sample of 5 to 7 bits, two samples, four samples below 8 bits).
  TPixelFormat GetTargetPixelFormat(int Index) const;

  // Converts Count target pixels from Source into Target (a scan line).
  // Source is one interleaved row, or one span per plane. Mask selects pixels
  // for interlaced output, bit 7 for pixel 0 and so on, repeating every 8
  // pixels; a skipped pixel advances the target only.
  // Raises EColorConversionError when the settings have no converter (a bit
  // depth it does not handle included), or when a source span or Target holds
  // fewer bytes than Count pixels need in these settings (a reader whose
  // sample count disagrees with its scheme): nothing is then written.
  void ConvertRow(std::span<const TRowBytes> Source, std::span<uint8_t> Target, uint32_t Count,
                  uint8_t Mask);
  void ConvertRow(TRowBytes Source, std::span<uint8_t> Target, uint32_t Count, uint8_t Mask) {
    ConvertRow(std::span<const TRowBytes>(&Source, 1), Target, Count, Mask);
  }
  void PrepareConversion();

  // The entries of a palette built from a file's palette data: Data holds one
  // block (interleaved formats 0, 1, 4, 5) or three planes (2, 3, 6, 7); no
  // entry is read that lies past the end of its block.
  std::vector<TPaletteEntry> ColorPaletteEntries(const std::vector<std::span<const uint8_t>>& Data,
                                                 uint8_t DataFormat, uint32_t ColorCount,
                                                 bool BgrOrder) const;
  // A grey ramp for the target settings.
  std::vector<TPaletteEntry> GrayscalePaletteEntries(bool MinimumIsWhite) const;
  // The same as logical palettes (classlib/palette.h), on every platform: the
  // caller owns the handle or hands it to a bitmap. A palette that cannot be
  // made (no entries, no system resources) raises; no null handle comes back.
  HPALETTE CreateColorPalette(const std::vector<std::span<const uint8_t>>& Data, uint8_t DataFormat,
                              uint32_t ColorCount, bool BgrOrder) const;
  HPALETTE CreateGrayscalePalette(bool MinimumIsWhite) const;

  [[noreturn]] static void Error(const char* Message);

  ConversionOptions SourceOptions = 0;
  ConversionOptions TargetOptions = 0;

private:
  using TRowConverter = void (TColorManager::*)(std::span<const void* const>, uint8_t*, uint32_t,
                                                uint8_t);

  // Refuses a row whose source spans or target hold fewer bytes than the
  // chosen converter reads or writes for Count pixels under Mask.
  void CheckRowLengths(std::span<const TRowBytes> Source, size_t Target, uint32_t Count,
                       uint8_t Mask) const;

  void BuildYCbCrTables();

  void RowRgbToRgb(std::span<const void* const> Source, uint8_t* Target, uint32_t Count, uint8_t Mask);
  void RowRgbToBgr(std::span<const void* const> Source, uint8_t* Target, uint32_t Count, uint8_t Mask);
  void RowBgrToRgb(std::span<const void* const> Source, uint8_t* Target, uint32_t Count, uint8_t Mask);
  void RowBgrToBgr(std::span<const void* const> Source, uint8_t* Target, uint32_t Count, uint8_t Mask);
  void RowCmykToRgb(std::span<const void* const> Source, uint8_t* Target, uint32_t Count, uint8_t Mask);
  void RowCmykToBgr(std::span<const void* const> Source, uint8_t* Target, uint32_t Count, uint8_t Mask);
  void RowLabToRgb(std::span<const void* const> Source, uint8_t* Target, uint32_t Count, uint8_t Mask);
  void RowLabToBgr(std::span<const void* const> Source, uint8_t* Target, uint32_t Count, uint8_t Mask);
  void RowYCbCrToRgb(std::span<const void* const> Source, uint8_t* Target, uint32_t Count, uint8_t Mask);
  void RowYCbCrToBgr(std::span<const void* const> Source, uint8_t* Target, uint32_t Count, uint8_t Mask);
  void RowGray(std::span<const void* const> Source, uint8_t* Target, uint32_t Count, uint8_t Mask);
  void RowIndexed(std::span<const void* const> Source, uint8_t* Target, uint32_t Count, uint8_t Mask);
  void RowIndexed16To16(std::span<const void* const> Source, uint8_t* Target, uint32_t Count,
                        uint8_t Mask);
  void RowIndexed16ToPacked(std::span<const void* const> Source, uint8_t* Target, uint32_t Count,
                            uint8_t Mask);
  void RowIndexedPackedTo16(std::span<const void* const> Source, uint8_t* Target, uint32_t Count,
                            uint8_t Mask);

  void RowRgbFamily(std::span<const void* const> Source, uint8_t* Target, uint32_t Count,
                    uint8_t Mask, bool Reverse);
  void RowCmyk(std::span<const void* const> Source, uint8_t* Target, uint32_t Count, uint8_t Mask,
               bool Bgr);
  void RowLab(std::span<const void* const> Source, uint8_t* Target, uint32_t Count, uint8_t Mask,
              bool Bgr);
  void RowYCbCr(std::span<const void* const> Source, uint8_t* Target, uint32_t Count, uint8_t Mask,
                bool Bgr);
  void RequireDepths8Or16() const;

  bool changed_ = true;
  uint8_t sourceBitsPerSample_ = 8;
  uint8_t targetBitsPerSample_ = 8;
  uint8_t sourceSamplesPerPixel_ = 3;
  uint8_t targetSamplesPerPixel_ = 3;
  float imageGamma_ = 1.0f;
  float screenGamma_ = 2.2f;
  uint8_t gammaTable_[256] = {};
  // The table maps every 8-bit sample to itself (a file gamma that matches
  // the screen's), so rows of 8-bit samples need not pass it.
  bool gammaIdentity_ = true;
  float yCbCrCoefficients_[3] = {0.299f, 0.587f, 0.114f};
  uint8_t horizontalSubsampling_ = 1;
  uint8_t verticalSubsampling_ = 1;
  std::vector<int32_t> crToRedTable_, cbToBlueTable_, crToGreenTable_, cbToGreenTable_;
  ColorScheme sourceColorScheme_ = ColorScheme::Rgb;
  ColorScheme targetColorScheme_ = ColorScheme::Bgr;
  TRowConverter rowConverter_ = nullptr;
};
