#include <windows.h>

#include <vector>

#include "imaging/colormanager.h"

namespace {

HPALETTE MakePalette(const std::vector<TPaletteColor>& entries) {
  std::vector<uint8_t> buffer(sizeof(LOGPALETTE) + entries.size() * sizeof(PALETTEENTRY));
  auto* palette = reinterpret_cast<LOGPALETTE*>(buffer.data());
  palette->palVersion = 0x300;
  palette->palNumEntries = static_cast<WORD>(entries.size());
  for (size_t i = 0; i < entries.size(); ++i)
    palette->palPalEntry[i] = {entries[i].Red, entries[i].Green, entries[i].Blue, entries[i].Flags};
  return CreatePalette(palette);
}

}  // namespace

HPALETTE TColorManager::CreateColorPalette(const std::vector<std::span<const uint8_t>>& Data,
                                           uint8_t DataFormat, uint32_t ColorCount,
                                           bool BgrOrder) const {
  return MakePalette(ColorPaletteEntries(Data, DataFormat, ColorCount, BgrOrder));
}

HPALETTE TColorManager::CreateGrayscalePalette(bool MinimumIsWhite) const {
  return MakePalette(GrayscalePaletteEntries(MinimumIsWhite));
}
