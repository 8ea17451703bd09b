#include "imaging/colormanager.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "imaging/imagingtexts.h"

namespace {

constexpr char kCoefficientsDamaged[] = "YCbCr coefficients are damaged. Each must be a number above 0.";

// Nearest integer, halves to the even neighbour (the default rounding mode),
// held far enough inside int32 that a wild weight cannot overflow it.
int32_t Nearest(long double value) {
  if (!(value > -1e9L)) return -1000000000;
  if (value > 1e9L) return 1000000000;
  return static_cast<int32_t>(std::nearbyint(value));
}

bool IsIndexedSource(ColorScheme s) {
  return s == ColorScheme::PaletteIndex || s == ColorScheme::Gray || s == ColorScheme::GrayAlpha;
}
bool IsIndexedTarget(ColorScheme s) { return s == ColorScheme::PaletteIndex || s == ColorScheme::Gray; }
bool HasAlpha(ColorScheme s) {
  return s == ColorScheme::GrayAlpha || s == ColorScheme::Rgba || s == ColorScheme::Bgra;
}
bool IsRgbTarget(ColorScheme s) { return s == ColorScheme::Rgb || s == ColorScheme::Rgba; }
bool IsBgrTarget(ColorScheme s) { return s == ColorScheme::Bgr || s == ColorScheme::Bgra; }

uint16_t Swap16(uint16_t v) { return static_cast<uint16_t>((v << 8) | (v >> 8)); }

// How many of Count pixels Mask selects: its pattern repeats every 8 pixels.
uint64_t SelectedPixels(uint32_t Count, uint8_t Mask) {
  const uint64_t whole = uint64_t{Count / 8} * static_cast<unsigned>(__builtin_popcount(Mask));
  const unsigned rest = Count % 8;
  const unsigned head = rest == 0 ? 0u : (Mask >> (8 - rest)) & ((1u << rest) - 1);
  return whole + static_cast<unsigned>(__builtin_popcount(head));
}

uint64_t PackedBytes(uint64_t pixels, unsigned bits) { return (pixels * bits + 7) / 8; }

// Entries 0 to SourceMax of a gamma table: the nearest of
// (i / SourceMax) ^ Exponent times TargetMax, in its low byte.
void BuildGammaTable(uint8_t* table, float exponent, int sourceMax, int targetMax) {
  for (int i = 0; i <= sourceMax; ++i) {
    long double power = i == 0 ? 0.0L : std::pow(static_cast<long double>(i) / sourceMax,
                                                 static_cast<long double>(exponent));
    table[i] = static_cast<uint8_t>(Nearest(power * targetMax) & 0xFF);
  }
}

bool IsIdentity(const uint8_t* table) {
  for (int i = 0; i <= 255; ++i)
    if (table[i] != i) return false;
  return true;
}

}  // namespace

uint8_t ClampByte(int32_t Value) {
  if (Value < 0) return 0;
  if (Value > 255) return 255;
  return static_cast<uint8_t>(Value);
}

uint16_t MulDiv16(uint16_t A, uint16_t B, uint16_t C) {
  if (C == 0) return 0;
  return static_cast<uint16_t>(static_cast<uint32_t>(A) * B / C);
}

TColorManager::TColorManager() {
  // Every reader makes a manager and few use its gamma: the default table is
  // worked out once (a power per entry is dear where long doubles are
  // computed in software).
  static const std::array<uint8_t, 256> defaults = [] {
    std::array<uint8_t, 256> table{};
    BuildGammaTable(table.data(), 1.0f / (1.0f * 2.2f), 255, 255);
    return table;
  }();
  std::copy(defaults.begin(), defaults.end(), gammaTable_);
  gammaIdentity_ = IsIdentity(gammaTable_);
}

void TColorManager::Error(const char* Message) { throw EColorConversionError(Message); }

void TColorManager::SetSourceBitsPerSample(uint8_t Value) {
  if (Value < 1 || Value > 16) Error(kInvalidColorDepth);
  if (Value == sourceBitsPerSample_) return;
  sourceBitsPerSample_ = Value;
  changed_ = true;
}

void TColorManager::SetTargetBitsPerSample(uint8_t Value) {
  if (Value < 1 || Value > 16) Error(kInvalidColorDepth);
  if (Value == targetBitsPerSample_) return;
  targetBitsPerSample_ = Value;
  changed_ = true;
}

void TColorManager::SetSourceSamplesPerPixel(uint8_t Value) {
  if (Value < 1 || Value > 4) Error(kWrongSampleCount);
  if (Value == sourceSamplesPerPixel_) return;
  sourceSamplesPerPixel_ = Value;
  changed_ = true;
}

void TColorManager::SetTargetSamplesPerPixel(uint8_t Value) {
  if (Value < 1 || Value > 4) Error(kWrongSampleCount);
  if (Value == targetSamplesPerPixel_) return;
  targetSamplesPerPixel_ = Value;
  changed_ = true;
}

void TColorManager::SetSourceColorScheme(ColorScheme Value) {
  if (Value == sourceColorScheme_) return;
  sourceColorScheme_ = Value;
  changed_ = true;
}

void TColorManager::SetTargetColorScheme(ColorScheme Value) {
  if (Value == targetColorScheme_) return;
  targetColorScheme_ = Value;
  changed_ = true;
}

void TColorManager::SetGamma(float ImageGamma, float ScreenGamma) {
  if (!(ImageGamma > 0)) ImageGamma = 1.0f;
  if (!(ScreenGamma > 0)) ScreenGamma = 2.2f;
  imageGamma_ = ImageGamma;
  screenGamma_ = ScreenGamma;
  int sourceMax = sourceBitsPerSample_ >= 8 ? 255 : (1 << sourceBitsPerSample_) - 1;
  int targetMax = targetBitsPerSample_ >= 8 ? 255 : (1 << targetBitsPerSample_) - 1;
  BuildGammaTable(gammaTable_, 1.0f / (ImageGamma * ScreenGamma), sourceMax, targetMax);
  gammaIdentity_ = sourceMax == 255 && targetMax == 255 && IsIdentity(gammaTable_);
}

void TColorManager::SetYCbCrParameters(std::span<const float> Coefficients,
                                       uint8_t HorizontalSubsampling, uint8_t VerticalSubsampling) {
  size_t n = std::min<size_t>(Coefficients.size(), 3);
  for (size_t i = 0; i < n; ++i)
    if (!(Coefficients[i] > 0) || !std::isfinite(Coefficients[i])) Error(kCoefficientsDamaged);
  for (size_t i = 0; i < n; ++i) {
    // New weights need new tables even when nothing else changed.
    if (yCbCrCoefficients_[i] != Coefficients[i]) crToRedTable_.clear();
    yCbCrCoefficients_[i] = Coefficients[i];
  }
  auto valid = [](uint8_t v) { return v == 1 || v == 2 || v == 4; };
  if (!valid(HorizontalSubsampling) || !valid(VerticalSubsampling)) Error(kInvalidSubsampling);
  if (HorizontalSubsampling < VerticalSubsampling) Error(kVerticalSubsampling);
  horizontalSubsampling_ = HorizontalSubsampling;
  verticalSubsampling_ = VerticalSubsampling;
}

TPixelFormat TColorManager::GetTargetPixelFormat(int Index) const {
  uint8_t samples = Index == 0 ? sourceSamplesPerPixel_ : targetSamplesPerPixel_;
  uint8_t bits = Index == 0 ? sourceBitsPerSample_ : targetBitsPerSample_;
  switch (samples) {
    case 1:
      if (bits == 1) return pf1bit;
      if (bits <= 4) return pf4bit;
      if (bits >= 8) return pf8bit;
      return pfCustom;
    case 3: return bits <= 5 ? pf15bit : pf24bit;
    case 4: return bits >= 8 ? pf32bit : pfCustom;
    default: return pfCustom;
  }
}

void TColorManager::BuildYCbCrTables() {
  long double kr = yCbCrCoefficients_[0], kg = yCbCrCoefficients_[1], kb = yCbCrCoefficients_[2];
  float f1 = static_cast<float>(2 - 2 * kr);
  float f2 = static_cast<float>(kr * f1 / kg);
  float f3 = static_cast<float>(2 - 2 * kb);
  float f4 = static_cast<float>(kb * f3 / kg);
  crToRedTable_.assign(256, 0);
  cbToBlueTable_.assign(256, 0);
  crToGreenTable_.assign(256, 0);
  cbToGreenTable_.assign(256, 0);
  bool photo = sourceColorScheme_ == ColorScheme::PhotoYcc;
  int crOffset = photo ? 137 : 128, cbOffset = photo ? 156 : 128;
  for (int i = 0; i < 256; ++i) {
    long double cr = i - crOffset, cb = i - cbOffset;
    crToRedTable_[i] = Nearest(cr * f1);
    cbToBlueTable_[i] = Nearest(cb * f3);
    crToGreenTable_[i] = -Nearest(cr * f2);
    cbToGreenTable_[i] = -Nearest(cb * f4);
  }
}

void TColorManager::PrepareConversion() {
  rowConverter_ = nullptr;
  if (IsIndexedSource(sourceColorScheme_) != IsIndexedTarget(targetColorScheme_)) Error(kIndexedConversion);
  using namespace ConversionOption;
  SourceOptions = HasAlpha(sourceColorScheme_) ? (SourceOptions | AlphaPresent) : (SourceOptions & ~AlphaPresent);
  TargetOptions = HasAlpha(targetColorScheme_) ? (TargetOptions | AlphaPresent) : (TargetOptions & ~AlphaPresent);

  const uint8_t sb = sourceBitsPerSample_, tb = targetBitsPerSample_;
  const bool toRgb = IsRgbTarget(targetColorScheme_), toBgr = IsBgrTarget(targetColorScheme_);
  auto pick = [&](TRowConverter rgb, TRowConverter bgr) {
    rowConverter_ = toRgb ? rgb : toBgr ? bgr : nullptr;
  };
  switch (sourceColorScheme_) {
    case ColorScheme::PaletteIndex:
      if (sb == 16 && tb == 16) rowConverter_ = &TColorManager::RowIndexed16To16;
      else if (sb == 16) rowConverter_ = &TColorManager::RowIndexed16ToPacked;
      else if (tb == 16) rowConverter_ = &TColorManager::RowIndexedPackedTo16;
      else rowConverter_ = &TColorManager::RowIndexed;
      break;
    case ColorScheme::Gray:
      if (sb == 16 || tb == 16)
        rowConverter_ = sb >= 8 && tb >= 8 ? &TColorManager::RowGray : nullptr;
      else
        rowConverter_ = &TColorManager::RowIndexed;
      break;
    case ColorScheme::GrayAlpha:
      if ((sb == 8 || sb == 16) && (tb == 8 || tb == 16)) rowConverter_ = &TColorManager::RowGray;
      break;
    case ColorScheme::Rgb:
    case ColorScheme::Rgba: pick(&TColorManager::RowRgbToRgb, &TColorManager::RowRgbToBgr); break;
    case ColorScheme::Bgr:
    case ColorScheme::Bgra: pick(&TColorManager::RowBgrToRgb, &TColorManager::RowBgrToBgr); break;
    case ColorScheme::Cmyk: pick(&TColorManager::RowCmykToRgb, &TColorManager::RowCmykToBgr); break;
    case ColorScheme::Lab: pick(&TColorManager::RowLabToRgb, &TColorManager::RowLabToBgr); break;
    case ColorScheme::YCbCr:
    case ColorScheme::PhotoYcc:
      BuildYCbCrTables();
      pick(&TColorManager::RowYCbCrToRgb, &TColorManager::RowYCbCrToBgr);
      break;
    default: break;
  }
  changed_ = false;
}

void TColorManager::CheckRowLengths(std::span<const TRowBytes> Source, size_t Target,
                                    uint32_t Count, uint8_t Mask) const {
  using namespace ConversionOption;
  const TRowConverter c = rowConverter_;
  const uint64_t n = SelectedPixels(Count, Mask);
  const unsigned sb = sourceBitsPerSample_, tb = targetBitsPerSample_;
  const unsigned sourceSample = sb == 16 ? 2 : 1, targetSample = tb == 16 ? 2 : 1;
  const bool sourceAlpha = SourceOptions & AlphaPresent, targetAlpha = TargetOptions & AlphaPresent;

  // What one source span must hold (every span of a planar row alike), and
  // how many spans are read.
  uint64_t source = 0, target = 0;
  size_t spans = 1;
  if (c == &TColorManager::RowGray) {
    source = n * (sourceAlpha ? 2 : 1) * sourceSample;
    target = uint64_t{Count} * targetSample;
  } else if (c == &TColorManager::RowIndexed) {
    source = PackedBytes(sb == tb && Mask == 0xFF ? Count : n, sb);
    target = PackedBytes(Count, tb);
  } else if (c == &TColorManager::RowIndexed16To16) {
    source = n * 2;
    target = uint64_t{Count} * 2;
  } else if (c == &TColorManager::RowIndexed16ToPacked) {
    source = n * 2;
    target = PackedBytes(Count, tb);
  } else if (c == &TColorManager::RowIndexedPackedTo16) {
    source = PackedBytes(n, sb);
    target = uint64_t{Count} * 2;
  } else {
    // The colour converters: three samples (four with source alpha, or for
    // CMYK), interleaved or one per plane; the target has three or four.
    const bool cmyk = c == &TColorManager::RowCmykToRgb || c == &TColorManager::RowCmykToBgr;
    const bool rgb = c == &TColorManager::RowRgbToRgb || c == &TColorManager::RowRgbToBgr ||
                     c == &TColorManager::RowBgrToRgb || c == &TColorManager::RowBgrToBgr;
    const unsigned samples = cmyk || (rgb && sourceAlpha) ? 4 : 3;
    const bool planar = cmyk ? Source.size() == 4 : Source.size() > 1;
    spans = planar ? samples : 1;
    source = n * sourceSample * (planar ? 1 : samples);
    target = uint64_t{Count} * targetSample * (targetAlpha ? 4 : 3);
  }
  if (Source.size() < spans) Error(kConversionFailed);
  for (size_t i = 0; i < spans; ++i)
    if (Source[i].size() < source || (source > 0 && Source[i].data() == nullptr)) Error(kRowTooShort);
  if (Target < target) Error(kRowTooShort);
}

void TColorManager::ConvertRow(std::span<const TRowBytes> Source, std::span<uint8_t> Target,
                               uint32_t Count, uint8_t Mask) {
  if (changed_) PrepareConversion();
  if (rowConverter_ == nullptr) Error(kConversionFailed);
  if (Count == 0) return;
  if (Source.empty()) Error(kConversionFailed);
  CheckRowLengths(Source, Target.size(), Count, Mask);
  const void* planes[4] = {};
  const size_t used = std::min<size_t>(Source.size(), 4);
  for (size_t i = 0; i < used; ++i) planes[i] = Source[i].data();
  (this->*rowConverter_)(std::span<const void* const>(planes, used), Target.data(), Count, Mask);
}

std::vector<TPaletteEntry> TColorManager::ColorPaletteEntries(
    const std::vector<std::span<const uint8_t>>& Data, uint8_t DataFormat, uint32_t ColorCount,
    bool BgrOrder) const {
  using namespace ConversionOption;
  const bool gamma = (TargetOptions & GammaCorrect) != 0;
  const bool swap = (SourceOptions & SwapBytes16) != 0;
  auto value8 = [&](uint8_t v) { return gamma ? gammaTable_[v] : v; };
  auto value16 = [&](const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    if (swap) v = Swap16(v);
    return value8(static_cast<uint8_t>(MulDiv16(v, 255, 65535)));
  };

  // The file's entries, as many as were asked for and are really there.
  std::vector<TPaletteEntry> file;
  const bool wide = DataFormat >= 4 && DataFormat <= 7;
  const size_t unit = wide ? 2 : 1;
  if (DataFormat <= 7) {
    const bool planar = (DataFormat & 3) == 2 || (DataFormat & 3) == 3;
    size_t available = 0;
    if (planar && Data.size() >= 3) {
      available = std::min({Data[0].size(), Data[1].size(), Data[2].size()}) / unit;
    } else if (!planar && !Data.empty()) {
      size_t stride = ((DataFormat & 3) == 0 ? 3 : 4) * unit;
      available = Data[0].size() / stride;
    }
    file.resize(std::min<size_t>(ColorCount, available));
    for (size_t i = 0; i < file.size(); ++i) {
      const uint8_t* c[3];
      if (planar) {
        for (int k = 0; k < 3; ++k) c[k] = Data[k].data() + i * unit;
      } else {
        size_t stride = ((DataFormat & 3) == 0 ? 3 : 4) * unit;
        const uint8_t* e = Data[0].data() + i * stride;
        int first = BgrOrder ? 2 : 0, last = BgrOrder ? 0 : 2;
        c[first] = e;
        c[1] = e + unit;
        c[last] = e + 2 * unit;
      }
      TPaletteEntry& entry = file[i];
      entry.peRed = wide ? value16(c[0]) : value8(*c[0]);
      entry.peGreen = wide ? value16(c[1]) : value8(*c[1]);
      entry.peBlue = wide ? value16(c[2]) : value8(*c[2]);
    }
  }

  const uint32_t sourceMax = (1u << sourceBitsPerSample_) - 1;
  const uint32_t targetMax = (1u << targetBitsPerSample_) - 1;
  std::vector<TPaletteEntry> result;
  if (targetBitsPerSample_ <= 8 && sourceBitsPerSample_ != targetBitsPerSample_) {
    // Spread the file's entries over the indices the row converters produce;
    // an index past what the file holds stays black.
    result.resize(targetMax + 1);
    for (uint32_t i = 0; i <= targetMax; ++i) {
      size_t from = MulDiv16(static_cast<uint16_t>(i), static_cast<uint16_t>(sourceMax),
                             static_cast<uint16_t>(targetMax));
      if (from < file.size()) result[i] = file[from];
    }
    return result;
  }
  result.resize(std::min<uint32_t>(ColorCount, 256));
  std::copy_n(file.begin(), std::min(file.size(), result.size()), result.begin());
  return result;
}

std::vector<TPaletteEntry> TColorManager::GrayscalePaletteEntries(bool MinimumIsWhite) const {
  uint32_t bits = std::min<uint32_t>(uint32_t{targetBitsPerSample_} * targetSamplesPerPixel_, 8);
  uint32_t count = 1u << bits, upper = count - 1, step = 255 / upper;
  const bool gamma = (TargetOptions & ConversionOption::GammaCorrect) != 0;
  std::vector<TPaletteEntry> result(count);
  for (uint32_t i = 0; i <= upper; ++i) {
    uint32_t v = i * step;
    uint8_t ramp = gamma ? gammaTable_[v & 0xFF] : static_cast<uint8_t>(v & 0xFF);
    TPaletteEntry& entry = result[MinimumIsWhite ? upper - i : i];
    entry.peRed = entry.peGreen = entry.peBlue = ramp;
  }
  return result;
}

HPALETTE TColorManager::CreateColorPalette(const std::vector<std::span<const uint8_t>>& Data,
                                           uint8_t DataFormat, uint32_t ColorCount,
                                           bool BgrOrder) const {
  return CreatePaletteFromEntries(ColorPaletteEntries(Data, DataFormat, ColorCount, BgrOrder));
}

HPALETTE TColorManager::CreateGrayscalePalette(bool MinimumIsWhite) const {
  return CreatePaletteFromEntries(GrayscalePaletteEntries(MinimumIsWhite));
}
