#include "imaging/samplehelpers.h"

#include <algorithm>
#include <cstring>

#include "classlib/bytereader.h"
#include "classlib/graphics.h"

void ReverseBitOrder(uint8_t* Data, size_t Count) {
  for (size_t i = 0; i < Count; ++i) Data[i] = kReversedBits[Data[i]];
}

void DivideOutAlpha(std::span<std::vector<uint8_t>> Planes, unsigned Bits, bool OnWhite) {
  const size_t step = Bits / 8;
  const int64_t full = Bits == 16 ? 0xFFFF : 0xFF;
  auto read = [step](const uint8_t* p) { return step == 2 ? int64_t{ReadBe16(p)} : int64_t{*p}; };
  const std::vector<uint8_t>& alpha = Planes[3];
  for (size_t at = 0; at + step <= alpha.size(); at += step) {
    const int64_t a = read(&alpha[at]);
    if (a == 0 || a == full) continue;
    for (int c = 0; c < 3; ++c) {
      uint8_t* p = &Planes[c][at];
      const int64_t stored = read(p) - (OnWhite ? full - a : 0);
      const int64_t v = stored <= 0 ? 0 : std::min(full, (stored * full + a / 2) / a);
      if (step == 2) p[0] = static_cast<uint8_t>(v >> 8);
      p[step - 1] = static_cast<uint8_t>(v);
    }
  }
}

void SwapShortArray(void* Values, uint32_t Count) {
  auto* p = static_cast<uint8_t*>(Values);
  for (uint32_t i = 0; i < Count; ++i, p += 2) std::swap(p[0], p[1]);
}

void SwapLongArray(void* Values, uint32_t Count) {
  auto* p = static_cast<uint8_t*>(Values);
  for (uint32_t i = 0; i < Count; ++i, p += 4) {
    std::swap(p[0], p[3]);
    std::swap(p[1], p[2]);
  }
}

namespace {

uint8_t Average2(uint32_t a, uint32_t b) { return static_cast<uint8_t>((a + b + 1) / 2); }

}  // namespace

void UpsampleByTwo(uint32_t Width, uint32_t Height, uint32_t RowStride, std::span<uint8_t> Plane) {
  if (Width == 0 || Height == 0) return;
  const uint64_t outWidth = 2 * uint64_t{Width};
  const uint64_t stride = RowStride;
  // Width and Height are 32-bit, so none of these products can wrap.
  if (stride < outWidth || (2 * uint64_t{Height} - 1) * stride + outWidth > Plane.size())
    throw EInvalidGraphic("Sample plane too small to be doubled");
  uint8_t* plane = Plane.data();
  auto row = [&](uint64_t r) { return plane + r * stride; };

  // From the last row and from the right end: row r widens into row 2r, which
  // never lies over a row still to be read (2r >= r, stride >= 2 * Width).
  for (uint64_t r = Height; r-- > 0;) {
    const uint8_t* src = row(r);
    uint8_t* dst = row(2 * r);
    const uint8_t last = src[Width - 1];
    dst[outWidth - 1] = last;
    dst[outWidth - 2] = last;
    for (uint64_t x = Width - 1; x-- > 0;) {
      const uint8_t left = src[x];
      dst[2 * x + 1] = Average2(left, src[x + 1]);
      dst[2 * x] = left;
    }
  }

  for (uint64_t r = 0; r + 1 < Height; ++r) {
    const uint8_t* a = row(2 * r);
    const uint8_t* c = row(2 * r + 2);
    uint8_t* out = row(2 * r + 1);
    for (uint64_t x = 0; x + 1 < Width; ++x) {
      out[2 * x] = Average2(a[2 * x], c[2 * x]);
      out[2 * x + 1] = static_cast<uint8_t>((a[2 * x] + a[2 * x + 2] + c[2 * x] + c[2 * x + 2] + 2) / 4);
    }
    const uint64_t x = Width - 1;
    out[2 * x] = out[2 * x + 1] = Average2(a[2 * x], c[2 * x]);
  }

  std::memcpy(row(2 * uint64_t{Height} - 1), row(2 * uint64_t{Height} - 2), outWidth);
}
