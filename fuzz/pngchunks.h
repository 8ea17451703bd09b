// Gives every whole chunk of a PNG file the CRC of its type and data, so
// that a mutated or damaged copy reaches inflate, the row filters and the
// interlacing instead of stopping at the first CRC test.
#pragma once

#include <zlib.h>

#include <cstddef>
#include <cstdint>

inline void RecomputePngCrcs(uint8_t* data, size_t size) {
  // Past the 8-byte signature: length, type, data, CRC.
  for (size_t at = 8; at + 12 <= size;) {
    const uint32_t length = uint32_t{data[at]} << 24 | uint32_t{data[at + 1]} << 16 | uint32_t{data[at + 2]} << 8 |
                            data[at + 3];
    if (length > size - at - 12) return;
    const auto crc = static_cast<uint32_t>(crc32(0, data + at + 4, static_cast<uInt>(length) + 4));
    uint8_t* stored = data + at + 8 + length;
    for (int i = 0; i < 4; ++i) stored[i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    at += size_t{length} + 12;
  }
}
