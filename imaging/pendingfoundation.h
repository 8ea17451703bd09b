// Temporary stand-ins for foundation pieces that are being added elsewhere;
// removed once those land.
#pragma once

#include <vector>

#include "classlib/bitmap.h"
#include "classlib/palette.h"
#include "imaging/colormanager.h"

inline TPixelFormat PixelFormatOf(BitmapFormat format) {
  switch (format) {
    case BitmapFormat::Bits1: return pf1bit;
    case BitmapFormat::Bits4: return pf4bit;
    case BitmapFormat::Bits8: return pf8bit;
    case BitmapFormat::Bits15: return pf15bit;
    case BitmapFormat::Bits24: return pf24bit;
    case BitmapFormat::Bits32: return pf32bit;
    default: return pfCustom;
  }
}

inline std::vector<TPaletteEntry> PaletteEntriesOf(const std::vector<TPaletteColor>& colors) {
  std::vector<TPaletteEntry> entries;
  entries.reserve(colors.size());
  for (const TPaletteColor& c : colors) entries.push_back({c.Red, c.Green, c.Blue, c.Flags});
  return entries;
}

inline constexpr uint8_t ioFileGamma = 16;

#include <filesystem>
#include <string>
inline bool FileExists(const std::string& fileName) {
  std::error_code error;
  return std::filesystem::is_regular_file(std::filesystem::path(fileName), error);
}
