// Helpers for the picture reader tests: loading fixture bytes through a
// reader, and a bitmap's pixels as red, green, blue bytes, top row first,
// to compare with what an independent decoder made of the same file.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "classlib/bitmap.h"
#include "classlib/streams.h"
#include "heapmeter.h"
#include "testutil.h"

inline std::string AsString(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

template <class Reader>
void LoadBytes(Reader& reader, const Bytes& bytes) {
  TStringStream stream(AsString(bytes));
  reader.LoadFromStream(stream);
}

// The colour of every pixel: indexed formats through the colour table.
inline Bytes BitmapRgb(const TBitmap& bitmap) {
  Bytes rgb;
  const int bits = PixelFormatBits(bitmap.PixelFormat());
  const auto& colors = bitmap.Colors();
  for (int y = 0; y < bitmap.Height(); ++y) {
    const auto* row = static_cast<const uint8_t*>(bitmap.ScanLine(y));
    for (int x = 0; x < bitmap.Width(); ++x) {
      uint8_t r = 0, g = 0, b = 0;
      if (bits <= 8) {
        const unsigned perByte = 8 / bits;
        const unsigned shift = 8 - bits - (x % perByte) * bits;
        const unsigned index = (row[x / perByte] >> shift) & ((1u << bits) - 1);
        if (index < colors.size()) r = colors[index].peRed, g = colors[index].peGreen, b = colors[index].peBlue;
      } else if (bits == 16) {
        const unsigned v = row[2 * x] | row[2 * x + 1] << 8;
        r = static_cast<uint8_t>(((v >> 10) & 31) << 3);
        g = static_cast<uint8_t>(((v >> 5) & 31) << 3);
        b = static_cast<uint8_t>((v & 31) << 3);
      } else {
        const uint8_t* p = row + x * (bits / 8);
        r = p[2], g = p[1], b = p[0];
      }
      rgb.insert(rgb.end(), {r, g, b});
    }
  }
  return rgb;
}

// The message of the class library's exception a load raises; "" when the
// file loads.
template <class Reader>
std::string RefusalOf(const Bytes& file) {
  Reader reader;
  try {
    LoadBytes(reader, file);
  } catch (const Exception& e) {
    return e.what();
  }
  return "";
}

// Equal within Tolerance per byte (16-bit samples may round either way).
inline ::testing::AssertionResult NearBytes(const Bytes& a, const Bytes& b, int tolerance) {
  if (a.size() != b.size())
    return ::testing::AssertionFailure() << "sizes differ: " << a.size() << " vs " << b.size();
  for (size_t i = 0; i < a.size(); ++i)
    if (std::abs(int(a[i]) - int(b[i])) > tolerance)
      return ::testing::AssertionFailure() << "first difference at byte " << i << " (pixel " << i / 3
                                           << "): " << int(a[i]) << " vs " << int(b[i]);
  return ::testing::AssertionSuccess();
}

// The reference decode of a fixture: "pictures/<name>.rgb".
inline Bytes ReferenceRgb(const std::string& name) {
  return ReadFixture("pictures/" + name.substr(0, name.rfind('.')) + ".rgb");
}

// Every prefix length from a few fixed cuts and bit flips at spread-out
// places: the damaged copies a reader must survive.
inline std::vector<Bytes> DamagedCopies(const Bytes& file) {
  std::vector<Bytes> copies;
  for (size_t cut : {size_t{0}, size_t{1}, size_t{7}, size_t{8}, size_t{13}, size_t{18}, size_t{33},
                     file.size() / 4, file.size() / 2, file.size() - 1})
    if (cut < file.size()) copies.emplace_back(file.begin(), file.begin() + static_cast<ptrdiff_t>(cut));
  uint32_t seed = 12345;
  for (int i = 0; i < 64 && !file.empty(); ++i) {
    seed = seed * 1103515245 + 12345;
    Bytes copy = file;
    // Headers get most of the flips: that is where sizes live.
    const size_t span = i % 2 == 0 ? std::min<size_t>(file.size(), 64) : file.size();
    copy[(seed >> 8) % span] ^= static_cast<uint8_t>(1u << ((seed >> 4) & 7));
    copies.push_back(std::move(copy));
  }
  return copies;
}

// Loads every damaged copy: an exception of the class library is fine,
// anything else (a crash, a hang, a foreign exception) is not. Prepare, when
// given, mends each copy first (a checksum the damage would trip over).
template <class Reader>
void SurvivesDamage(const std::string& fixture, void (*prepare)(Bytes&) = nullptr) {
  const Bytes file = ReadFixture("pictures/" + fixture);
  for (Bytes copy : DamagedCopies(file)) {
    if (prepare != nullptr) prepare(copy);
    Reader reader;
    try {
      LoadBytes(reader, copy);
    } catch (const Exception&) {
    }
    EXPECT_LE(int64_t{reader.Width()} * reader.Height(), int64_t{1} << 24) << fixture;
  }
}

// Bytes of a bitmap's pixels (rows padded to 4 bytes).
inline uint64_t BitmapBytes(const TBitmap& bitmap) {
  return uint64_t(bitmap.Height()) * ((uint64_t(bitmap.Width()) * PixelFormatBits(bitmap.PixelFormat()) + 31) / 32 * 4);
}

// Loads a hostile file (one that declares far more than it holds): the load
// may refuse it or show what it holds, but the most it holds on the heap at
// once and the bitmap it leaves stay under 16 MiB together (time follows the
// bytes a load makes and fills). Answers whether it was refused.
template <class Reader>
bool LoadsInLittleMemory(const Bytes& file) {
  const THeapMeter heap;
  bool refused = false;
  uint64_t bitmap = 0;
  {
    Reader reader;
    try {
      LoadBytes(reader, file);
    } catch (const Exception&) {
      refused = true;
    }
    bitmap = BitmapBytes(reader);
  }
  EXPECT_LT(heap.PeakAbove() + bitmap, uint64_t{16} << 20);
  return refused;
}
