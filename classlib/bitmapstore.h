// Inside the bitmap: its pixel memory, per platform, and the per-pixel
// helpers that format conversion, filling and the BMP reader share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "classlib/bitmap.h"

struct TBitmapStore {
  uint8_t* bits = nullptr;  // zero-filled when made
#ifdef _WIN32
  HBITMAP section = nullptr;
#else
  struct FreeMemory {
    void operator()(uint8_t* p) const;
  };
  std::unique_ptr<uint8_t, FreeMemory> memory;
#endif
  TBitmapStore() = default;
  TBitmapStore(const TBitmapStore&) = delete;
  TBitmapStore& operator=(const TBitmapStore&) = delete;
  ~TBitmapStore();
};

// Memory for width x height pixels of format (bytes already checked against
// the cap); EOutOfResources when the system refuses it.
std::unique_ptr<TBitmapStore> NewBitmapStore(int width, int height, TPixelFormat format,
                                             size_t bytes, const std::vector<TPaletteEntry>& colors);
// Gives the store's own colour table these colours (Windows keeps one in the
// DIB section).
void SetStoreColors(TBitmapStore& store, const std::vector<TPaletteEntry>& colors);

inline bool IsIndexed(TPixelFormat f) { return f == pf1bit || f == pf4bit || f == pf8bit; }

uint32_t ReadPixelIndex(const uint8_t* row, int x, int bitsPerPixel);
void WritePixelIndex(uint8_t* row, int x, int bitsPerPixel, uint32_t index);
TColor ReadPixelColor(const uint8_t* row, int x, TPixelFormat format,
                      const std::vector<TPaletteEntry>& colors);
void WritePixelColor(uint8_t* row, int x, TPixelFormat format, TColor color,
                     const std::vector<TPaletteEntry>& colors);
// Index of the entry closest to color (squared distance), 0 for no entries.
uint32_t NearestColorIndex(const std::vector<TPaletteEntry>& colors, TColor color);
