// The row converters of TColorManager: one call converts one row (or one
// interlace pass of a row) from the file's layout into a bitmap scan line.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "imaging/channelorder.h"
#include "imaging/colormanager.h"
#include "imaging/imagingtexts.h"
#include "imaging/srgbcurve.h"

namespace {

uint16_t Load16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}
void Store16(uint8_t* p, uint16_t v) { std::memcpy(p, &v, 2); }
uint16_t Swap16(uint16_t v) { return static_cast<uint16_t>((v << 8) | (v >> 8)); }
uint8_t NextBit(uint8_t bit) { return static_cast<uint8_t>((bit >> 1) | (bit << 7)); }
uint8_t Reduce16(uint16_t v) { return static_cast<uint8_t>(MulDiv16(v, 255, 65535)); }

int32_t Nearest(long double value) { return static_cast<int32_t>(std::nearbyint(value)); }

// The samples of a source row: one interleaved pointer, or one per plane.
class SourceRow {
public:
  // samples: samples a converted pixel consumes; planes: how many planes a
  // planar row needs (more pointers than one and fewer than this are refused).
  SourceRow(std::span<const void* const> source, unsigned samples, unsigned planes,
            unsigned bytesPerSample, bool planar)
      : bytes_(bytesPerSample), step_(samples * bytesPerSample) {
    planes_ = planar ? planes : 1;
    if (planar && source.size() < planes) TColorManager::Error(kConversionFailed);
    for (unsigned i = 0; i < planes_; ++i) ptr_[i] = static_cast<const uint8_t*>(source[i]);
  }

  const uint8_t* At(unsigned k) const { return planes_ == 1 ? ptr_[0] + k * bytes_ : ptr_[k]; }
  uint16_t Sample(unsigned k, bool swap) const {
    if (bytes_ == 1) return *At(k);
    uint16_t v = Load16(At(k));
    return swap ? Swap16(v) : v;
  }
  void Advance() {
    if (planes_ == 1) {
      ptr_[0] += step_;
      return;
    }
    for (unsigned i = 0; i < planes_; ++i) ptr_[i] += bytes_;
  }

private:
  const uint8_t* ptr_[4] = {};
  unsigned planes_ = 1;
  unsigned bytes_;
  unsigned step_;
};

// Packed values of 1 to 8 bits, most significant bits first, at bit offsets
// counted from the start of the row. Only bytes that hold the value are touched.
unsigned ReadBits(const uint8_t* row, uint64_t pos, unsigned width) {
  const uint8_t* p = row + (pos >> 3);
  unsigned offset = static_cast<unsigned>(pos & 7), mask = (1u << width) - 1;
  if (offset + width <= 8) return (p[0] >> (8 - offset - width)) & mask;
  unsigned two = (static_cast<unsigned>(p[0]) << 8) | p[1];
  return (two >> (16 - offset - width)) & mask;
}

void WriteBits(uint8_t* row, uint64_t pos, unsigned width, unsigned value) {
  uint8_t* p = row + (pos >> 3);
  unsigned offset = static_cast<unsigned>(pos & 7), mask = (1u << width) - 1;
  value &= mask;
  if (offset + width <= 8) {
    unsigned shift = 8 - offset - width;
    p[0] = static_cast<uint8_t>((p[0] & ~(mask << shift)) | (value << shift));
    return;
  }
  unsigned shift = 16 - offset - width;
  unsigned two = (static_cast<unsigned>(p[0]) << 8) | p[1];
  two = (two & ~(mask << shift)) | (value << shift);
  p[0] = static_cast<uint8_t>(two >> 8);
  p[1] = static_cast<uint8_t>(two);
}

bool Packed(uint8_t bits) { return bits >= 1 && bits <= 8; }

}  // namespace

void TColorManager::RequireDepths8Or16() const {
  auto ok = [](uint8_t b) { return b == 8 || b == 16; };
  if (!ok(sourceBitsPerSample_) || !ok(targetBitsPerSample_)) Error(kConversionFailed);
}

void TColorManager::RowRgbToRgb(std::span<const void* const> s, uint8_t* t, uint32_t n, uint8_t m) {
  RowRgbFamily(s, t, n, m, false);
}
void TColorManager::RowRgbToBgr(std::span<const void* const> s, uint8_t* t, uint32_t n, uint8_t m) {
  RowRgbFamily(s, t, n, m, true);
}
void TColorManager::RowBgrToRgb(std::span<const void* const> s, uint8_t* t, uint32_t n, uint8_t m) {
  RowRgbFamily(s, t, n, m, true);
}
void TColorManager::RowBgrToBgr(std::span<const void* const> s, uint8_t* t, uint32_t n, uint8_t m) {
  RowRgbFamily(s, t, n, m, false);
}
void TColorManager::RowCmykToRgb(std::span<const void* const> s, uint8_t* t, uint32_t n, uint8_t m) {
  RowCmyk(s, t, n, m, false);
}
void TColorManager::RowCmykToBgr(std::span<const void* const> s, uint8_t* t, uint32_t n, uint8_t m) {
  RowCmyk(s, t, n, m, true);
}
void TColorManager::RowLabToRgb(std::span<const void* const> s, uint8_t* t, uint32_t n, uint8_t m) {
  RowLab(s, t, n, m, false);
}
void TColorManager::RowLabToBgr(std::span<const void* const> s, uint8_t* t, uint32_t n, uint8_t m) {
  RowLab(s, t, n, m, true);
}
void TColorManager::RowYCbCrToRgb(std::span<const void* const> s, uint8_t* t, uint32_t n, uint8_t m) {
  RowYCbCr(s, t, n, m, false);
}
void TColorManager::RowYCbCrToBgr(std::span<const void* const> s, uint8_t* t, uint32_t n, uint8_t m) {
  RowYCbCr(s, t, n, m, true);
}

void TColorManager::RowRgbFamily(std::span<const void* const> Source, uint8_t* Target,
                                 uint32_t Count, uint8_t Mask, bool Reverse) {
  using namespace ConversionOption;
  RequireDepths8Or16();
  const bool sourceAlpha = SourceOptions & AlphaPresent, targetAlpha = TargetOptions & AlphaPresent;
  const bool copyAlpha = sourceAlpha && targetAlpha;
  const unsigned sb = sourceBitsPerSample_ / 8, tb = targetBitsPerSample_ / 8;
  const bool swap = SourceOptions & SwapBytes16;
  const bool gamma = (TargetOptions & GammaCorrect) && !(sb == 1 && tb == 1 && gammaIdentity_);
  const unsigned targetStep = (targetAlpha ? 4 : 3) * tb;
  const unsigned order[3] = {Reverse ? 2u : 0u, 1u, Reverse ? 0u : 2u};
  // Whole interleaved rows of 8-bit samples without gamma, the common case
  // of every true-colour picture: a plain byte shuffle.
  if (sb == 1 && tb == 1 && Mask == 0xFF && !gamma && Source.size() == 1) {
    const auto* s = static_cast<const uint8_t*>(Source[0]);
    if (sourceAlpha == targetAlpha) {
      if (!Reverse)
        std::memmove(Target, s, size_t{Count} * targetStep);
      else if (sourceAlpha)
        ReverseChannels4(s, Target, Count);
      else
        ReverseChannels3(s, Target, Count);
      return;
    }
    const unsigned sourceStep = sourceAlpha ? 4 : 3;
    for (uint32_t i = 0; i < Count; ++i, s += sourceStep, Target += targetStep) {
      Target[0] = s[order[0]];
      Target[1] = s[1];
      Target[2] = s[order[2]];
    }
    return;
  }
  // The same from one plane per channel.
  if (sb == 1 && tb == 1 && Mask == 0xFF && !gamma && Source.size() >= (sourceAlpha ? 4u : 3u) &&
      (copyAlpha || !targetAlpha)) {
    const auto plane = [&](unsigned k) { return static_cast<const uint8_t*>(Source[k]); };
    if (targetAlpha)
      InterleavePlanes4(plane(order[0]), plane(1), plane(order[2]), plane(3), Target, Count);
    else
      InterleavePlanes3(plane(order[0]), plane(1), plane(order[2]), Target, Count);
    return;
  }
  SourceRow src(Source, sourceAlpha ? 4 : 3, sourceAlpha ? 4 : 3, sb, Source.size() > 1);

  // Raw source sample to target sample; gamma only for colour samples.
  auto convert = [&](const uint8_t* p, bool colour) -> uint16_t {
    const bool g = colour && gamma;
    if (sb == 1) {
      uint8_t x = g ? gammaTable_[*p] : *p;
      if (tb == 1) return x;
      uint16_t w = static_cast<uint16_t>(x * 257);
      return swap ? Swap16(w) : w;
    }
    uint16_t v = Load16(p);
    if (swap) v = Swap16(v);
    if (tb == 2) return v;
    uint8_t x = Reduce16(v);
    return g ? gammaTable_[x] : x;
  };
  auto put = [&](uint8_t* p, uint16_t v) {
    if (tb == 1)
      *p = static_cast<uint8_t>(v);
    else
      Store16(p, v);
  };

  // 8-bit samples, any mask: each selected pixel through the table or not.
  if (sb == 1 && tb == 1) {
    const uint8_t* g = gammaTable_;
    uint8_t bit = 0x80;
    for (uint32_t i = 0; i < Count; ++i, Target += targetStep, bit = NextBit(bit)) {
      if (!(Mask & bit)) continue;
      Target[0] = gamma ? g[*src.At(order[0])] : *src.At(order[0]);
      Target[1] = gamma ? g[*src.At(1)] : *src.At(1);
      Target[2] = gamma ? g[*src.At(order[2])] : *src.At(order[2]);
      if (copyAlpha) Target[3] = *src.At(3);
      src.Advance();
    }
    return;
  }
  uint8_t bit = 0x80;
  for (uint32_t i = 0; i < Count; ++i, Target += targetStep, bit = NextBit(bit)) {
    if (!(Mask & bit)) continue;
    for (unsigned j = 0; j < 3; ++j) put(Target + j * tb, convert(src.At(order[j]), true));
    if (copyAlpha) put(Target + 3 * tb, convert(src.At(3), false));
    src.Advance();
  }
}

void TColorManager::RowCmyk(std::span<const void* const> Source, uint8_t* Target, uint32_t Count,
                            uint8_t Mask, bool Bgr) {
  using namespace ConversionOption;
  RequireDepths8Or16();
  const bool swap = SourceOptions & SwapBytes16;
  const unsigned sb = sourceBitsPerSample_ / 8, tb = targetBitsPerSample_ / 8;
  const unsigned targetStep = ((TargetOptions & AlphaPresent) ? 4 : 3) * tb;
  SourceRow src(Source, 4, 4, sb, Source.size() == 4);

  uint8_t bit = 0x80;
  for (uint32_t i = 0; i < Count; ++i, Target += targetStep, bit = NextBit(bit)) {
    if (!(Mask & bit)) continue;
    const uint32_t k = src.Sample(3, swap);
    uint16_t rgb[3];
    for (unsigned c = 0; c < 3; ++c) {
      const uint32_t x = src.Sample(c, swap);
      if (sb == 1) {
        uint32_t t = x * k / 255;
        uint8_t v = ClampByte(255 - static_cast<int32_t>(x - t + k));
        rgb[c] = tb == 1 ? v : static_cast<uint16_t>(v * 257);
      } else {
        uint32_t t = x * k / 65535;
        uint16_t s = static_cast<uint16_t>(x - t + k);
        rgb[c] = tb == 1 ? ClampByte(255 - static_cast<int32_t>(uint32_t{s} * 255 / 65535))
                         : static_cast<uint16_t>(65535 - s);
      }
    }
    for (unsigned j = 0; j < 3; ++j) {
      uint16_t v = rgb[Bgr ? 2 - j : j];
      if (tb == 1)
        Target[j] = static_cast<uint8_t>(v);
      else
        Store16(Target + 2 * j, v);
    }
    src.Advance();
  }
}

void TColorManager::RowLab(std::span<const void* const> Source, uint8_t* Target, uint32_t Count,
                           uint8_t Mask, bool Bgr) {
  using namespace ConversionOption;
  RequireDepths8Or16();
  const bool swap = SourceOptions & SwapBytes16;
  const bool scaled = SourceOptions & LightnessScaled, offset = SourceOptions & ChromaOffset;
  const unsigned sb = sourceBitsPerSample_ / 8, tb = targetBitsPerSample_ / 8;
  const unsigned targetStep = ((TargetOptions & AlphaPresent) ? 4 : 3) * tb;
  SourceRow src(Source, 3, 3, sb, Source.size() > 1);

  // Single precision and a table for the sRGB curve: no power per sample,
  // and a level at most one away from the exact arithmetic's.
  const TSrgbCurve& curve = TSrgbCurve::Get();
  uint8_t bit = 0x80;
  for (uint32_t i = 0; i < Count; ++i, Target += targetStep, bit = NextBit(bit)) {
    if (!(Mask & bit)) continue;
    float L, a, b;
    const uint16_t l0 = src.Sample(0, swap), a0 = src.Sample(1, swap), b0 = src.Sample(2, swap);
    if (sb == 1) {
      L = scaled ? l0 * (1 / 2.55f) : l0;
      a = offset ? a0 - 128.0f : static_cast<int8_t>(a0);
      b = offset ? b0 - 128.0f : static_cast<int8_t>(b0);
    } else {
      // 16-bit samples span the same ranges 256 times finer: L* 0..100 over
      // the whole word, a* and b* in 1/256 steps.
      L = l0 * (100.0f / 65535.0f);
      a = offset ? a0 * (1 / 256.0f) - 128.0f : static_cast<int16_t>(a0) * (1 / 256.0f);
      b = offset ? b0 * (1 / 256.0f) - 128.0f : static_cast<int16_t>(b0) * (1 / 256.0f);
    }
    float X, Y, Z;
    if (L < 7.9996f) {
      Y = L * (1 / 903.3f);
      X = a * (1 / 3893.5f) + Y;
      Z = Y - b * (1 / 1557.4f);
    } else {
      const float fy = (L + 16) * (1 / 116.0f), fx = a * (1 / 500.0f) + fy, fz = fy - b * (1 / 200.0f);
      X = fx * fx * fx;
      Y = fy * fy * fy;
      Z = fz * fz * fz;
    }
    // X, Y and Z are relative to the white point (white is 1, 1, 1): the
    // sRGB primaries' matrix with its D65 white folded in.
    const uint8_t rgb[3] = {
        curve.Encode(3.080093f * X - 1.5372f * Y - 0.542891f * Z),
        curve.Encode(-0.920910f * X + 1.8758f * Y + 0.045186f * Z),
        curve.Encode(0.052941f * X - 0.2040f * Y + 1.150893f * Z),
    };
    for (unsigned j = 0; j < 3; ++j) {
      uint8_t v = rgb[Bgr ? 2 - j : j];
      if (tb == 1)
        Target[j] = v;
      else
        Store16(Target + 2 * j, static_cast<uint16_t>(v * 257));
    }
    src.Advance();
  }
}

void TColorManager::RowYCbCr(std::span<const void* const> Source, uint8_t* Target, uint32_t Count,
                             uint8_t Mask, bool Bgr) {
  using namespace ConversionOption;
  RequireDepths8Or16();
  if (crToRedTable_.size() != 256) BuildYCbCrTables();
  const bool swap = SourceOptions & SwapBytes16;
  const unsigned sb = sourceBitsPerSample_ / 8, tb = targetBitsPerSample_ / 8;
  const unsigned targetStep = ((TargetOptions & AlphaPresent) ? 4 : 3) * tb;
  SourceRow src(Source, 3, 3, sb, Source.size() > 1);

  uint8_t bit = 0x80;
  for (uint32_t i = 0; i < Count; ++i, Target += targetStep, bit = NextBit(bit)) {
    if (!(Mask & bit)) continue;
    uint16_t y = src.Sample(0, swap), cb = src.Sample(1, swap), cr = src.Sample(2, swap);
    uint16_t rgb[3];
    if (sb == 2 && tb == 2) {
      const long double yy = y * 1.3584L, c1 = cb - 40092.0L, c2 = cr - 35209.0L;
      const long double v[3] = {yy + 1.8215L * c2, yy - 0.9271435L * c2 - 0.4302726L * c1,
                                yy + 2.2179L * c1};
      for (unsigned c = 0; c < 3; ++c)
        rgb[c] = static_cast<uint16_t>(std::clamp(Nearest(v[c]), 0, 65535));
    } else {
      if (sb == 2) {
        y = Reduce16(y);
        cb = Reduce16(cb);
        cr = Reduce16(cr);
      }
      const uint8_t v[3] = {
          ClampByte(y + crToRedTable_[cr]),
          ClampByte(y + cbToGreenTable_[cb] + crToGreenTable_[cr]),
          ClampByte(y + cbToBlueTable_[cb]),
      };
      for (unsigned c = 0; c < 3; ++c) rgb[c] = tb == 1 ? v[c] : static_cast<uint16_t>(v[c] * 257);
    }
    for (unsigned j = 0; j < 3; ++j) {
      uint16_t v = rgb[Bgr ? 2 - j : j];
      if (tb == 1)
        Target[j] = static_cast<uint8_t>(v);
      else
        Store16(Target + 2 * j, v);
    }
    src.Advance();
  }
}

void TColorManager::RowGray(std::span<const void* const> Source, uint8_t* Target, uint32_t Count,
                            uint8_t Mask) {
  using namespace ConversionOption;
  RequireDepths8Or16();
  const bool swap = SourceOptions & SwapBytes16;
  const unsigned sb = sourceBitsPerSample_ / 8, tb = targetBitsPerSample_ / 8;
  SourceRow src(Source.first(1), (SourceOptions & AlphaPresent) ? 2 : 1, 1, sb, false);

  uint8_t bit = 0x80;
  for (uint32_t i = 0; i < Count; ++i, Target += tb, bit = NextBit(bit)) {
    if (!(Mask & bit)) continue;
    uint16_t v = src.Sample(0, swap);
    if (sb == 1 && tb == 1)
      *Target = static_cast<uint8_t>(v);
    else if (sb == 1)
      Store16(Target, static_cast<uint16_t>(v * 257));
    else if (tb == 1)
      *Target = Reduce16(v);
    else
      Store16(Target, v);
    src.Advance();
  }
}

void TColorManager::RowIndexed(std::span<const void* const> Source, uint8_t* Target, uint32_t Count,
                               uint8_t Mask) {
  const uint8_t sb = sourceBitsPerSample_, tb = targetBitsPerSample_;
  if (!Packed(sb) || !Packed(tb)) Error(kConversionFailed);
  const uint8_t* src = static_cast<const uint8_t*>(Source[0]);
  if (sb == tb && Mask == 0xFF) {
    std::memcpy(Target, src, static_cast<size_t>((uint64_t{sb} * Count + 7) / 8));
    return;
  }
  // Depths that divide 8 only: a value never straddles two bytes, and the
  // selected pixels of each group of 8 are known up front, so an interlace
  // pass costs its own pixels, not the whole row's.
  if (8 % sb != 0 || 8 % tb != 0) {
    const unsigned sourceMax = (1u << sb) - 1, targetMax = (1u << tb) - 1;
    uint64_t sourcePos = 0;
    uint8_t bit = 0x80;
    for (uint32_t i = 0; i < Count; ++i, bit = NextBit(bit)) {
      if (!(Mask & bit)) continue;
      unsigned v = ReadBits(src, sourcePos, sb);
      sourcePos += sb;
      WriteBits(Target, uint64_t{i} * tb, tb, v * targetMax / sourceMax);
    }
    return;
  }
  uint8_t scaled[256];
  const unsigned sourceMax = (1u << sb) - 1, targetMax = (1u << tb) - 1;
  for (unsigned v = 0; v <= sourceMax; ++v) scaled[v] = static_cast<uint8_t>(v * targetMax / sourceMax);
  unsigned offsets[8], selected = 0;
  for (unsigned k = 0; k < 8; ++k)
    if (Mask & (0x80u >> k)) offsets[selected++] = k;
  const unsigned sourceShift = 8 - sb, targetMask = targetMax;
  // Target pixels per byte as a shift: 8 / tb = 1 << perByte.
  const unsigned perByte = tb == 1 ? 3 : tb == 2 ? 2 : tb == 4 ? 1 : 0, within = (1u << perByte) - 1;
  unsigned held = 0, bitsHeld = 0;
  // Positions in 32 bits without overflow: every group starts at or before
  // Count, and a pixel past it is found by its distance from the group.
  for (uint32_t g = 0; g <= Count / 8; ++g) {
    const uint32_t group = g * 8;
    for (unsigned k = 0; k < selected; ++k) {
      if (offsets[k] >= Count - group) return;
      const uint32_t x = group + offsets[k];
      if (bitsHeld == 0) {
        held = *src++;
        bitsHeld = 8;
      }
      const unsigned v = scaled[(held >> sourceShift) & sourceMax];
      held = (held << sb) & 0xFF;
      bitsHeld -= sb;
      if (tb == 8) {
        Target[x] = static_cast<uint8_t>(v);
        continue;
      }
      const unsigned shift = 8 - tb - (x & within) * tb;
      uint8_t& t = Target[x >> perByte];
      t = static_cast<uint8_t>((t & ~(targetMask << shift)) | (v << shift));
    }
  }
}

void TColorManager::RowIndexed16To16(std::span<const void* const> Source, uint8_t* Target,
                                     uint32_t Count, uint8_t Mask) {
  if (sourceBitsPerSample_ != 16 || targetBitsPerSample_ != 16) Error(kConversionFailed);
  const bool swap = SourceOptions & ConversionOption::SwapBytes16;
  const uint8_t* src = static_cast<const uint8_t*>(Source[0]);
  if (!swap && Mask == 0xFF) {
    std::memcpy(Target, src, size_t{Count} * 2);
    return;
  }
  uint8_t bit = 0x80;
  for (uint32_t i = 0; i < Count; ++i, Target += 2, bit = NextBit(bit)) {
    if (!(Mask & bit)) continue;
    uint16_t v = Load16(src);
    Store16(Target, swap ? Swap16(v) : v);
    src += 2;
  }
}

void TColorManager::RowIndexed16ToPacked(std::span<const void* const> Source, uint8_t* Target,
                                         uint32_t Count, uint8_t Mask) {
  const uint8_t tb = targetBitsPerSample_;
  if (sourceBitsPerSample_ != 16 || !Packed(tb)) Error(kConversionFailed);
  const bool swap = SourceOptions & ConversionOption::SwapBytes16;
  const uint8_t* src = static_cast<const uint8_t*>(Source[0]);
  const unsigned targetMax = (1u << tb) - 1;
  uint8_t bit = 0x80;
  for (uint32_t i = 0; i < Count; ++i, bit = NextBit(bit)) {
    if (!(Mask & bit)) continue;
    uint16_t v = Load16(src);
    if (swap) v = Swap16(v);
    src += 2;
    WriteBits(Target, uint64_t{i} * tb, tb, uint32_t{v} * targetMax / 65535);
  }
}

void TColorManager::RowIndexedPackedTo16(std::span<const void* const> Source, uint8_t* Target,
                                         uint32_t Count, uint8_t Mask) {
  const uint8_t sb = sourceBitsPerSample_;
  if (!Packed(sb) || targetBitsPerSample_ != 16) Error(kConversionFailed);
  const bool swap = SourceOptions & ConversionOption::SwapBytes16;
  const uint8_t* src = static_cast<const uint8_t*>(Source[0]);
  const unsigned sourceMax = (1u << sb) - 1;
  uint64_t sourcePos = 0;
  uint8_t bit = 0x80;
  for (uint32_t i = 0; i < Count; ++i, Target += 2, bit = NextBit(bit)) {
    if (!(Mask & bit)) continue;
    uint16_t v = static_cast<uint16_t>(ReadBits(src, sourcePos, sb) * 65535u / sourceMax);
    sourcePos += sb;
    Store16(Target, swap ? Swap16(v) : v);
  }
}
