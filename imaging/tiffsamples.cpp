#include "imaging/tiffsamples.h"

#include <algorithm>
#include <cstring>

namespace {

uint8_t Reduce16(uint32_t v) { return static_cast<uint8_t>(v * 255 / 65535); }

}  // namespace

void KeepLeadingSamples(const uint8_t* Source, uint8_t* Target, uint32_t Count, uint32_t Samples,
                        uint32_t Keep, uint32_t BytesPerSample) {
  const size_t in = size_t{Samples} * BytesPerSample, out = size_t{Keep} * BytesPerSample;
  for (uint32_t i = 0; i < Count; ++i, Source += in, Target += out) std::memcpy(Target, Source, out);
}

TSampleLookup::TSampleLookup(uint32_t BitsPerSample, uint32_t SamplesPerPixel, bool BigEndian)
    : bits_(BitsPerSample), step_(BitsPerSample * SamplesPerPixel), bigEndian_(BigEndian),
      colors_(size_t{3} << BitsPerSample, 0) {}

void TSampleLookup::SetColorMap(const std::vector<uint32_t>& Map) {
  const size_t entries = std::min(Map.size() / 3, colors_.size() / 3);
  const size_t plane = Map.size() / 3;
  for (size_t i = 0; i < entries; ++i) {
    colors_[3 * i] = Reduce16(Map[2 * plane + i] & 0xFFFF);
    colors_[3 * i + 1] = Reduce16(Map[plane + i] & 0xFFFF);
    colors_[3 * i + 2] = Reduce16(Map[i] & 0xFFFF);
  }
}

void TSampleLookup::SetGrayRamp(bool MinIsWhite) {
  const size_t entries = colors_.size() / 3, top = entries - 1;
  for (size_t i = 0; i < entries; ++i) {
    const auto v = static_cast<uint8_t>((MinIsWhite ? top - i : i) * 255 / top);
    std::fill_n(colors_.begin() + static_cast<ptrdiff_t>(3 * i), 3, v);
  }
}

void TSampleLookup::Row(const uint8_t* Source, uint8_t* Target, uint32_t Count) const {
  uint64_t at = 0;
  for (uint32_t x = 0; x < Count; ++x, at += step_, Target += 3) {
    const uint8_t* p = Source + (at >> 3);
    uint32_t index;
    if (bits_ == 16) {
      index = bigEndian_ ? (uint32_t{p[0]} << 8 | p[1]) : (uint32_t{p[1]} << 8 | p[0]);
    } else {
      // Only the bytes that hold the sample are read.
      const unsigned offset = static_cast<unsigned>(at & 7), end = offset + bits_;
      uint32_t window = 0;
      for (unsigned k = 0; k < (end + 7) / 8; ++k) window = window << 8 | p[k];
      index = (window >> ((end + 7) / 8 * 8 - end)) & ((1u << bits_) - 1);
    }
    std::memcpy(Target, &colors_[3 * size_t{index}], 3);
  }
}
