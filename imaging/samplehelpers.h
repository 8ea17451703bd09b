// Small in-place routines on sample buffers that several readers share:
// byte- and bit-order reversal, straight colour from colour stored with its
// alpha, and doubling a sample plane. (Undoing horizontal differencing lives
// in predictor.h.) None of them allocates.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// The value with its four bytes in reverse order.
constexpr uint32_t SwapLong(uint32_t Value) {
  return (Value >> 24) | ((Value >> 8) & 0xFF00u) | ((Value << 8) & 0xFF0000u) | (Value << 24);
}

// Reverse the bytes of each of Count 16-bit, respectively 32-bit, values in
// place. Values need no alignment (they often point into a byte buffer read
// from a file).
void SwapShortArray(void* Values, uint32_t Count);
void SwapLongArray(void* Values, uint32_t Count);

// The byte with its eight bits in reverse order (bits stored least
// significant first); inline, as decoders ask it per byte.
inline constexpr std::array<uint8_t, 256> kReversedBits = [] {
  std::array<uint8_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned r = 0;
    for (unsigned b = 0; b < 8; ++b) r |= ((i >> b) & 1u) << (7 - b);
    table[i] = static_cast<uint8_t>(r);
  }
  return table;
}();
inline uint8_t ReversedBits(uint8_t Byte) { return kReversedBits[Byte]; }
// Reverses the order of the bits in each of Count bytes.
void ReverseBitOrder(uint8_t* Data, size_t Count);

// Colour planes 0 to 2 stored multiplied by the alpha of plane 3 (and, with
// OnWhite, blended over white besides), as 8-bit or 16-bit big-endian
// samples: brought back to straight colour where alpha is neither none (there
// is nothing to take out) nor full.
void DivideOutAlpha(std::span<std::vector<uint8_t>> Planes, unsigned Bits, bool OnWhite);

// Doubles a plane of Height rows of Width 8-bit samples in both directions,
// in place: row r starts at r * RowStride, and the result is 2 * Height rows
// of 2 * Width samples at the same stride. New samples are rounded averages
// of their neighbours; the last column and the last row are repeated. The
// plane must hold the doubled picture (RowStride >= 2 * Width, room for
// 2 * Height rows); a smaller one raises EInvalidGraphic and is left as it was.
void UpsampleByTwo(uint32_t Width, uint32_t Height, uint32_t RowStride, std::span<uint8_t> Plane);
