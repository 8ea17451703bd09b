#include <algorithm>

#include "classlib/graphics.h"
#include "classlib/palette.h"

// Natively a palette handle is this owned block.
struct HPALETTE__ {
  std::vector<TPaletteEntry> entries;
};

HPALETTE CreatePaletteFromEntries(const TPaletteEntry* entries, int count) {
  count = std::min(count, 256);
  if (count <= 0 || entries == nullptr) throw EInvalidGraphicOperation("Invalid palette");
  return new HPALETTE__{std::vector<TPaletteEntry>(entries, entries + count)};
}

std::vector<TPaletteEntry> PaletteEntries(HPALETTE palette) {
  if (palette == nullptr) return {};
  return palette->entries;
}

void DeletePalette(HPALETTE palette) { delete palette; }
