// The colour manager: the last bytes choose the schemes, depths, options,
// pixel count, mask, plane count and the lengths of the rows; the rows and
// palette data come from the rest. Each row and the target is a heap block of
// the length given, so a converter that reads or writes past what its length
// check allowed is caught.
#include <span>

#include "fuzzinput.h"
#include "imaging/colormanager.h"
#include "imaging/decoder.h"
#include "imaging/predictor.h"

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
  uint16_t sourceSize = in.Option16() % 5000;
  uint16_t targetSize = in.Option16() % 5000;
  std::vector<uint8_t> rest = in.Rest();

  try {
    m.PrepareConversion();
  } catch (const EColorConversionError&) {
  }
  std::vector<std::vector<uint8_t>> planeData(planes);
  std::vector<TRowBytes> rows;
  for (size_t i = 0; i < planeData.size(); ++i) {
    auto& plane = planeData[i];
    plane.resize(i == planeData.size() - 1 ? sourceSize : sourceSize + i);
    std::copy_n(rest.begin(), std::min<size_t>(rest.size(), plane.size()), plane.begin());
    rows.emplace_back(plane);
  }
  std::vector<uint8_t> target(targetSize);
  try {
    m.ConvertRow(rows, target, count, mask);
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
