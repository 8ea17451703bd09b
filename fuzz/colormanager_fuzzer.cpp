// The colour manager: the last bytes choose the schemes, depths, options,
// pixel count, mask and plane count; the rows and palette data come from
// the rest, in buffers of exactly the size each converter reads and writes.
#include <span>

#include "fuzzinput.h"
#include "imaging/colormanager.h"
#include "imaging/decoder.h"
#include "imaging/predictor.h"

namespace {

bool IsRgbLike(ColorScheme s) { return s >= ColorScheme::Rgb && s <= ColorScheme::Bgra; }

// What a converter reads from one source buffer: Count pixels at most.
uint64_t SourceBytes(const TColorManager& m, uint64_t n, size_t planes) {
  using namespace ConversionOption;
  const ColorScheme s = m.SourceColorScheme();
  const uint32_t sb = m.SourceBitsPerSample(), bytes = sb == 16 ? 2 : 1;
  const bool alpha = m.SourceOptions & AlphaPresent;
  if (IsRgbLike(s)) return planes > 1 ? n * bytes : n * bytes * (alpha ? 4 : 3);
  if (s == ColorScheme::Cmyk) return planes == 4 ? n * bytes : n * bytes * 4;
  if (s == ColorScheme::Lab || s == ColorScheme::YCbCr || s == ColorScheme::PhotoYcc)
    return planes > 1 ? n * bytes : n * bytes * 3;
  const uint64_t perPixel = s == ColorScheme::GrayAlpha ? 2 : 1;
  if (sb == 16) return n * 2 * perPixel;
  if (s == ColorScheme::GrayAlpha || m.TargetBitsPerSample() == 16) return n * perPixel;
  return (n * sb + 7) / 8;
}

// What a converter writes: Count target pixels.
uint64_t TargetBytes(const TColorManager& m, uint64_t n) {
  using namespace ConversionOption;
  const ColorScheme s = m.SourceColorScheme(), t = m.TargetColorScheme();
  const uint32_t sb = m.SourceBitsPerSample(), tb = m.TargetBitsPerSample();
  if (IsRgbLike(t)) return n * (tb == 16 ? 2 : 1) * ((m.TargetOptions & AlphaPresent) ? 4 : 3);
  if (tb == 16) return n * 2;
  const bool gray = s == ColorScheme::GrayAlpha || (s == ColorScheme::Gray && sb == 16);
  if (gray) return n;
  return (n * tb + 7) / 8;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  TColorManager m;
  try {
    m.SetSourceColorScheme(static_cast<ColorScheme>(in.Option() % 14));
    m.SetTargetColorScheme(static_cast<ColorScheme>(in.Option() % 14));
    m.SetSourceBitsPerSample(static_cast<uint8_t>(1 + in.Option() % 16));
    m.SetTargetBitsPerSample(static_cast<uint8_t>(1 + in.Option() % 16));
    m.SetSourceSamplesPerPixel(static_cast<uint8_t>(1 + in.Option() % 4));
    m.SetTargetSamplesPerPixel(static_cast<uint8_t>(1 + in.Option() % 4));
    m.SourceOptions = in.Option();
    m.TargetOptions = in.Option();
    uint8_t gamma = in.Option();
    m.SetGamma(gamma / 64.0f, 2.2f);
    float weights[3] = {in.Option() / 255.0f, in.Option() / 255.0f, in.Option() / 255.0f};
    m.SetYCbCrParameters(weights, 2, 1);
  } catch (const EColorConversionError&) {
  }
  uint32_t count = in.Option16() % 600;
  uint8_t mask = in.Option();
  uint8_t planes = 1 + in.Option() % 4;
  std::vector<uint8_t> rest = in.Rest();

  try {
    m.PrepareConversion();
  } catch (const EColorConversionError&) {
  }
  // Each plane and the target are separate heap blocks of the exact size.
  uint64_t sourceSize = SourceBytes(m, count, planes);
  std::vector<std::vector<uint8_t>> planeData(planes);
  std::vector<const void*> pointers;
  for (auto& plane : planeData) {
    plane.resize(sourceSize);
    std::copy_n(rest.begin(), std::min<size_t>(rest.size(), plane.size()), plane.begin());
    pointers.push_back(plane.data());
  }
  std::vector<uint8_t> target(TargetBytes(m, count));
  try {
    m.ConvertRow(std::span<const void* const>(pointers), target.data(), count, mask);
  } catch (const EColorConversionError&) {
  }

  std::vector<std::span<const uint8_t>> palette;
  size_t third = rest.size() / 3;
  for (int i = 0; i < 3; ++i) palette.emplace_back(rest.data() + i * third, third);
  m.ColorPaletteEntries(palette, static_cast<uint8_t>(count % 10), count, mask & 1);
  m.GrayscalePaletteEntries(mask & 2);

  try {
    UndoHorizontalPredictor(rest.data(), rest.size(), count, planes, (mask & 4) ? 16 : 8, mask & 8);
  } catch (const EGraphicCompression&) {
  }
  return 0;
}
