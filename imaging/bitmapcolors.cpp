#include "imaging/bitmapcolors.h"

void SetBitmapColors(TBitmap& bitmap, std::vector<TPaletteEntry> entries) {
  const int bits = PixelFormatBits(bitmap.PixelFormat());
  if (bits >= 1 && bits <= 8) entries.resize(size_t{1} << bits);
  if (entries.empty()) return;
  bitmap.SetPalette(CreatePaletteFromEntries(entries));
}
