// Helpers for the image tests: fixture files, a few lines of TIFF tag
// reading to reach the compressed strips, and output buffers with guard bytes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline Bytes ReadFixture(const std::string& name) {
  std::ifstream in(std::string(OVALIS_TEST_DATA) + "/" + name, std::ios::binary);
  EXPECT_TRUE(in.good()) << "missing fixture " << name;
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The first image of a TIFF file: its tags (first values and value lists) and
// its strips as stored.
struct TiffFixture {
  bool bigEndian = false;
  std::map<uint16_t, std::vector<uint32_t>> tags;
  std::map<uint16_t, Bytes> rawTags;  // the value bytes of BYTE/UNDEFINED tags
  std::vector<Bytes> strips;

  uint32_t Tag(uint16_t tag, uint32_t fallback = 0) const {
    auto it = tags.find(tag);
    return it == tags.end() || it->second.empty() ? fallback : it->second[0];
  }
  uint32_t Width() const { return Tag(256); }
  uint32_t Height() const { return Tag(257); }
  uint32_t BitsPerSample() const { return Tag(258, 1); }
  uint32_t Samples() const { return Tag(277, 1); }
  uint32_t RowsPerStrip() const { return Tag(278, Height()); }
  uint64_t RowBytes() const { return (uint64_t{Width()} * Samples() * BitsPerSample() + 7) / 8; }
  Bytes Joined() const {
    Bytes all;
    for (const Bytes& s : strips) all.insert(all.end(), s.begin(), s.end());
    return all;
  }
};

inline TiffFixture ParseTiff(const Bytes& file) {
  TiffFixture t;
  t.bigEndian = file.at(0) == 'M';
  auto u16 = [&](size_t o) {
    return t.bigEndian ? uint32_t(file.at(o) << 8 | file.at(o + 1)) : uint32_t(file.at(o) | file.at(o + 1) << 8);
  };
  auto u32 = [&](size_t o) {
    return t.bigEndian ? (u16(o) << 16 | u16(o + 2)) : (u16(o) | u16(o + 2) << 16);
  };
  size_t ifd = u32(4);
  uint32_t count = u16(ifd);
  for (uint32_t i = 0; i < count; ++i) {
    size_t e = ifd + 2 + 12 * i;
    uint16_t tag = static_cast<uint16_t>(u16(e)), type = static_cast<uint16_t>(u16(e + 2));
    uint32_t n = u32(e + 4);
    size_t size = type == 3 ? 2 : type == 4 ? 4 : 1;
    size_t at = n * size <= 4 ? e + 8 : u32(e + 8);
    std::vector<uint32_t>& values = t.tags[tag];
    for (uint32_t k = 0; k < n; ++k)
      values.push_back(size == 2 ? u16(at + 2 * k) : size == 4 ? u32(at + 4 * k) : file.at(at + k));
    if (size == 1) t.rawTags[tag] = Bytes(file.begin() + at, file.begin() + at + n);
  }
  const auto& offsets = t.tags[273];
  const auto& counts = t.tags[279];
  for (size_t i = 0; i < offsets.size(); ++i)
    t.strips.emplace_back(file.begin() + offsets[i], file.begin() + offsets[i] + counts.at(i));
  return t;
}

inline TiffFixture LoadTiff(const std::string& name) { return ParseTiff(ReadFixture(name)); }

// An output buffer with guard bytes on both sides.
class GuardedBuffer {
public:
  static constexpr size_t kGuard = 64;
  static constexpr uint8_t kFill = 0xA5;

  explicit GuardedBuffer(size_t size, uint8_t fill = 0) : size_(size), bytes_(size + 2 * kGuard, kFill) {
    std::memset(Data(), fill, size);
  }
  uint8_t* Data() { return bytes_.data() + kGuard; }
  size_t Size() const { return size_; }
  Bytes Contents() const { return Bytes(bytes_.begin() + kGuard, bytes_.begin() + kGuard + size_); }
  bool GuardsIntact() const {
    for (size_t i = 0; i < kGuard; ++i)
      if (bytes_[i] != kFill || bytes_[kGuard + size_ + i] != kFill) return false;
    return true;
  }

private:
  size_t size_;
  Bytes bytes_;
};

// Runs a decoder over one block and returns what it wrote; the guards around
// the output must be intact.
template <class Decoder>
Bytes DecodeBlock(Decoder& decoder, const Bytes& packed, size_t unpacked) {
  GuardedBuffer out(unpacked);
  const uint8_t* src = packed.data();
  uint8_t* dst = out.Data();
  decoder.Decode(src, dst, static_cast<int64_t>(packed.size()), static_cast<int64_t>(unpacked));
  EXPECT_TRUE(out.GuardsIntact());
  return out.Contents();
}

// The first index where two byte blocks differ, for readable failures.
inline ::testing::AssertionResult SameBytes(const Bytes& a, const Bytes& b) {
  if (a.size() != b.size())
    return ::testing::AssertionFailure() << "sizes differ: " << a.size() << " vs " << b.size();
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i])
      return ::testing::AssertionFailure() << "first difference at byte " << i << ": " << int(a[i])
                                           << " vs " << int(b[i]);
  return ::testing::AssertionSuccess();
}
