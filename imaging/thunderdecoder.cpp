#include "imaging/thunderdecoder.h"

#include <algorithm>
#include <cstring>

namespace {

// Format notes: a code byte's top two bits choose its kind. 00 repeats the
// last pixel (low six bits = count); 01 holds three 2-bit deltas, 10 two
// 3-bit deltas (the marked value in each table means "no pixel"); 11 holds a
// raw pixel in its low four bits.
constexpr int kSkip = 99;
constexpr int kTwoBitDeltas[4] = {0, 1, kSkip, -1};
constexpr int kThreeBitDeltas[8] = {0, 1, 2, 3, kSkip, -3, -2, -1};

class RowWriter {
public:
  // The row starts cleared: data that ends part-way through it leaves the
  // rest black, never what the buffer held before (a row of an earlier
  // piece, when a strip is decoded in pieces into one buffer).
  RowWriter(uint8_t* row, uint64_t room, uint32_t width) : row_(row), room_(room), width_(width) {
    std::memset(row_, 0, static_cast<size_t>(room_));
  }

  bool Full() const { return done_ >= width_; }
  unsigned Last() const { return last_; }

  void Put(unsigned pixel) {
    if (Full()) return;
    last_ = pixel & 0x0F;
    uint64_t index = done_ / 2;
    if (index < room_) {
      if (done_ % 2 == 0)
        row_[index] = static_cast<uint8_t>(last_ << 4);
      else
        row_[index] = static_cast<uint8_t>(row_[index] | last_);
    }
    ++done_;
  }

  void PutDelta(int delta) {
    if (delta != kSkip) Put(static_cast<unsigned>(static_cast<int>(last_) + delta));
  }

private:
  uint8_t* row_;
  uint64_t room_;
  uint32_t width_;
  uint64_t done_ = 0;
  unsigned last_ = 0;
};

}  // namespace

void TThunderDecoder::Decode(const uint8_t*& Source, uint8_t*& Dest, int64_t PackedSize,
                             int64_t UnpackedSize) {
  DecodeBegin(Source, PackedSize);
  Produce(Dest, DecodeRoom(UnpackedSize), false);
}

void TThunderDecoder::DecodeBegin(const uint8_t* Source, int64_t PackedSize) {
  src_ = Source;
  srcLeft_ = DecodeRoom(PackedSize);
  pieces_.Reset();
}

uint64_t TThunderDecoder::DecodeNext(uint8_t* Dest, int64_t Room) { return Produce(Dest, DecodeRoom(Room), true); }

uint64_t TThunderDecoder::Produce(uint8_t* Dest, uint64_t Room, bool Carry) {
  return pieces_.Fill(Dest, Room, (static_cast<uint64_t>(Width) + 1) / 2, Carry,
                      [this](uint8_t* row, uint64_t size) { return DecodeRow(row, size); });
}

bool TThunderDecoder::DecodeRow(uint8_t* Row, uint64_t Size) {
  if (srcLeft_ == 0) return false;
  RowWriter row(Row, Size, Width);
  while (srcLeft_ > 0 && !row.Full()) {
    unsigned n = *src_++;
    --srcLeft_;
    switch (n >> 6) {
      case 0:
        for (unsigned count = n & 0x3F; count > 0 && !row.Full(); --count) row.Put(row.Last());
        break;
      case 1:
        row.PutDelta(kTwoBitDeltas[(n >> 4) & 3]);
        row.PutDelta(kTwoBitDeltas[(n >> 2) & 3]);
        row.PutDelta(kTwoBitDeltas[n & 3]);
        break;
      case 2:
        row.PutDelta(kThreeBitDeltas[(n >> 3) & 7]);
        row.PutDelta(kThreeBitDeltas[n & 7]);
        break;
      default:
        row.Put(n & 0x0F);
        break;
    }
  }
  return true;
}
