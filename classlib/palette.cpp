#include "classlib/palette.h"

std::vector<TPaletteEntry> SystemPalette16Entries() {
  static const uint8_t kColors[16][3] = {
      {0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
      {0, 0, 128},   {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
      {128, 128, 128}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
      {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
  std::vector<TPaletteEntry> entries;
  for (const auto& c : kColors) entries.push_back({c[0], c[1], c[2], 0});
  return entries;
}
