#include "imaging/srgbcurve.h"

#include <cmath>

const TSrgbCurve& TSrgbCurve::Get() {
  static const TSrgbCurve curve;
  return curve;
}

TSrgbCurve::TSrgbCurve() {
  // Level k starts where the curve reaches k - 0.5 levels; the curve's
  // inverse gives that point in linear light.
  threshold_[0] = 0;
  for (unsigned k = 1; k <= 255; ++k) {
    const double s = (k - 0.5) / 255;
    threshold_[k] = static_cast<float>(s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4));
  }
  threshold_[256] = 2;
  unsigned level = 0;
  for (unsigned i = 0; i <= kCells; ++i) {
    const float edge = static_cast<float>(i) / kCells;
    while (level < 255 && edge >= threshold_[level + 1]) ++level;
    start_[i] = static_cast<uint8_t>(level);
  }
}
