// Logical palettes: the system's palette handles (gdi32 on Windows; natively
// an owned block standing in for one), so that code which builds a palette
// from file bytes stays portable.
#pragma once

#include <cstdint>
#include <vector>

// The layout of the system's PALETTEENTRY.
struct TPaletteEntry {
  uint8_t peRed = 0;
  uint8_t peGreen = 0;
  uint8_t peBlue = 0;
  uint8_t peFlags = 0;
  friend bool operator==(const TPaletteEntry&, const TPaletteEntry&) = default;
};

// The system's own handle type, declared the way windows.h declares it.
typedef struct HPALETTE__* HPALETTE;

// A new logical palette of the entries (1 to 256; more are cut to 256). The
// caller owns it (DeletePalette), or hands it to a bitmap, which takes it over.
HPALETTE CreatePaletteFromEntries(const TPaletteEntry* entries, int count);
inline HPALETTE CreatePaletteFromEntries(const std::vector<TPaletteEntry>& entries) {
  return CreatePaletteFromEntries(entries.data(), static_cast<int>(entries.size()));
}
// Every entry of palette (none for a null handle).
std::vector<TPaletteEntry> PaletteEntries(HPALETTE palette);
void DeletePalette(HPALETTE palette);

// The 16 colours of the system's standard VGA palette, in their usual order.
std::vector<TPaletteEntry> SystemPalette16Entries();
