#include "imaging/thunderdecoder.h"

#include <algorithm>

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
  RowWriter(uint8_t* row, uint64_t room, uint32_t width) : row_(row), room_(room), width_(width) {}

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
  const uint8_t* src = Source;
  uint64_t srcLeft = DecodeRoom(PackedSize);
  uint64_t outSize = DecodeRoom(UnpackedSize);
  uint64_t rowBytes = (static_cast<uint64_t>(Width) + 1) / 2;
  if (rowBytes == 0) return;
  for (uint64_t rowStart = 0; rowStart < outSize && srcLeft > 0; rowStart += rowBytes) {
    RowWriter row(Dest + rowStart, std::min(rowBytes, outSize - rowStart), Width);
    while (srcLeft > 0 && !row.Full()) {
      unsigned n = *src++;
      --srcLeft;
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
  }
}
