#include <windows.h>

#include <algorithm>
#include <cstring>

#include "classlib/graphics.h"
#include "classlib/palette.h"

static_assert(sizeof(TPaletteEntry) == sizeof(PALETTEENTRY));

HPALETTE CreatePaletteFromEntries(const TPaletteEntry* entries, int count) {
  count = std::min(count, 256);
  if (count <= 0 || entries == nullptr) throw EInvalidGraphicOperation("Invalid palette");
  struct {
    WORD version;
    WORD count;
    PALETTEENTRY entries[256];
  } log{0x300, static_cast<WORD>(count), {}};
  std::memcpy(log.entries, entries, sizeof(PALETTEENTRY) * static_cast<size_t>(count));
  HPALETTE palette = CreatePalette(reinterpret_cast<const LOGPALETTE*>(&log));
  if (palette == nullptr) throw EOutOfResources("Out of system resources");
  return palette;
}

std::vector<TPaletteEntry> PaletteEntries(HPALETTE palette) {
  if (palette == nullptr) return {};
  UINT count = GetPaletteEntries(palette, 0, 0, nullptr);
  std::vector<TPaletteEntry> entries(count);
  if (count != 0)
    count = GetPaletteEntries(palette, 0, count, reinterpret_cast<PALETTEENTRY*>(entries.data()));
  entries.resize(count);
  return entries;
}

void DeletePalette(HPALETTE palette) {
  if (palette != nullptr) DeleteObject(palette);
}
