// The oracle for codecs that decode a block in pieces: decoded again in
// pieces of Piece bytes, each piece holding other bytes first (as the TIFF
// reader's buffer holds the piece before) and its rest cleared where the
// data ends short of it (as the reader clears it), the block must give what
// one Decode of it wrote into cleared memory.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/decoder.h"

inline void CheckPieces(TDecoder& decoder, const std::vector<uint8_t>& packed, const std::vector<uint8_t>& whole,
                        size_t piece) {
  piece = std::max<size_t>(piece, 1);
  std::vector<uint8_t> out(whole.size(), 0);
  decoder.DecodeBegin(packed.data(), static_cast<int64_t>(packed.size()));
  for (size_t at = 0; at < out.size(); at += piece) {
    const size_t n = std::min(piece, out.size() - at);
    std::fill(out.begin() + static_cast<ptrdiff_t>(at), out.begin() + static_cast<ptrdiff_t>(at + n), 0xA5);
    const uint64_t got = decoder.DecodeNext(out.data() + at, static_cast<int64_t>(n));
    if (got > n) __builtin_trap();
    std::fill(out.begin() + static_cast<ptrdiff_t>(at + got), out.begin() + static_cast<ptrdiff_t>(at + n), 0);
    if (got < n) break;
  }
  if (out != whole) __builtin_trap();
}
