// Helpers for the picture-reader tests: a reader loaded from bytes, its
// bitmap as 8-bit RGB (top row first, as the fixtures' .rgb files hold the
// pixels another decoder made), and damaged copies of a file.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "classlib/bitmap.h"
#include "classlib/streams.h"
#include "testutil.h"

template <class Reader>
void LoadPicture(Reader& reader, const Bytes& file) {
  TStringStream stream(std::string(file.begin(), file.end()));
  reader.LoadFromStream(stream);
}

inline Bytes RgbOf(const TBitmap& b) {
  Bytes rgb;
  rgb.reserve(size_t(b.Width()) * b.Height() * 3);
  const int bits = PixelFormatBits(b.PixelFormat());
  for (int y = 0; y < b.Height(); ++y) {
    const auto* row = static_cast<const uint8_t*>(b.ScanLine(y));
    for (int x = 0; x < b.Width(); ++x) {
      if (bits <= 8) {
        uint32_t i = bits == 8 ? row[x] : bits == 4 ? (row[x / 2] >> (x % 2 ? 0 : 4)) & 15 : (row[x / 8] >> (7 - x % 8)) & 1;
        TPaletteEntry e = i < b.Colors().size() ? b.Colors()[i] : TPaletteEntry{};
        rgb.insert(rgb.end(), {e.peRed, e.peGreen, e.peBlue});
        continue;
      }
      const uint8_t* p = row + x * (bits / 8);
      rgb.insert(rgb.end(), {p[2], p[1], p[0]});
    }
  }
  return rgb;
}

// The largest difference of two equally long byte blocks (255 when the
// lengths differ).
inline int MaxDifference(const Bytes& a, const Bytes& b) {
  if (a.size() != b.size()) return 255;
  int worst = 0;
  for (size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::abs(int(a[i]) - int(b[i])));
  return worst;
}

// Every cut of a file at a few places, and copies with single bits flipped,
// each loaded by a fresh reader: a clean error or a picture, never a crash.
template <class Reader>
void LoadDamagedCopies(const Bytes& file) {
  auto attempt = [](const Bytes& bytes) {
    Reader reader;
    try {
      LoadPicture(reader, bytes);
    } catch (const Exception&) {
    }
  };
  for (size_t cut : {size_t{0}, size_t{1}, size_t{8}, file.size() / 4, file.size() / 2, file.size() - 1})
    if (cut < file.size()) attempt(Bytes(file.begin(), file.begin() + cut));
  uint32_t seed = 12345;
  for (int i = 0; i < 200; ++i) {
    seed = seed * 1103515245 + 12345;
    Bytes copy = file;
    // Headers hold the interesting bits: half the flips land in the first 256 bytes.
    size_t at = (i % 2 ? seed >> 8 : (seed >> 8) % 256) % copy.size();
    copy[at] ^= uint8_t(1 << (seed >> 28 & 7));
    attempt(copy);
  }
}
