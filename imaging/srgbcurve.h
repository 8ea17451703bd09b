// Linear light (1 = white) as the sRGB levels screens show, by table instead
// of a power per sample: the level is the one the exact curve rounds to.
#pragma once

#include <cstdint>

class TSrgbCurve {
public:
  // The one table, made on first use.
  static const TSrgbCurve& Get();

  uint8_t Encode(float linear) const {
    if (!(linear > 0)) return 0;
    if (linear >= 1) return 255;
    unsigned level = start_[static_cast<unsigned>(linear * kCells)];
    // A cell is narrower than the gap between two levels' thresholds, so at
    // most one lies inside it.
    if (linear >= threshold_[level + 1]) ++level;
    return static_cast<uint8_t>(level);
  }

private:
  TSrgbCurve();

  static constexpr unsigned kCells = 4096;
  // threshold_[k]: the least linear value shown as level k or above;
  // threshold_[256] lies past white.
  float threshold_[257];
  // The level at the lower edge of each cell.
  uint8_t start_[kCells + 1];
};
