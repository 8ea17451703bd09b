// The rows of a codec that decodes one row at a time, handed out in pieces
// of any size: a row that fits goes straight into the piece; one that does
// not is decoded aside and what is left of it opens the next piece.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

class TRowPieces {
public:
  void Reset() { from_ = to_ = 0; }

  // Fills up to Room bytes at Dest with rows of RowBytes; answers how many
  // (fewer only when DecodeRow finds no further row). DecodeRow(Row, Size)
  // decodes the next row into Row, writing nothing past Size bytes, and
  // answers whether the data held one. Without Carry a last row that does
  // not fit is decoded straight into Dest, cut at Room, and its rest is lost
  // (one block decoded at once).
  template <class DecodeRow>
  uint64_t Fill(uint8_t* Dest, uint64_t Room, uint64_t RowBytes, bool Carry, DecodeRow decodeRow) {
    const uint64_t carried = std::min(to_ - from_, Room);
    if (carried > 0) std::memcpy(Dest, row_.data() + from_, static_cast<size_t>(carried));
    from_ += carried;
    uint64_t written = carried;
    while (written < Room && RowBytes > 0) {
      const uint64_t left = Room - written;
      if (left >= RowBytes || !Carry) {
        const uint64_t size = std::min(left, RowBytes);
        if (!decodeRow(Dest + written, size)) break;
        written += size;
        continue;
      }
      row_.assign(static_cast<size_t>(RowBytes), 0);
      if (!decodeRow(row_.data(), RowBytes)) break;
      std::memcpy(Dest + written, row_.data(), static_cast<size_t>(left));
      from_ = left;
      to_ = RowBytes;
      written = Room;
    }
    return written;
  }

private:
  std::vector<uint8_t> row_;
  uint64_t from_ = 0, to_ = 0;
};
