// Bounded reading of untrusted bytes: little- and big-endian fields decoded
// from offsets, and a reader that refuses to go past the bytes it was given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "classlib/exceptions.h"

inline uint16_t ReadLe16(const uint8_t* p, size_t offset = 0) {
  return static_cast<uint16_t>(p[offset] | (p[offset + 1] << 8));
}
inline uint32_t ReadLe32(const uint8_t* p, size_t offset = 0) {
  return static_cast<uint32_t>(p[offset]) | (static_cast<uint32_t>(p[offset + 1]) << 8) |
         (static_cast<uint32_t>(p[offset + 2]) << 16) | (static_cast<uint32_t>(p[offset + 3]) << 24);
}
inline uint64_t ReadLe64(const uint8_t* p, size_t offset = 0) {
  return ReadLe32(p, offset) | (static_cast<uint64_t>(ReadLe32(p, offset + 4)) << 32);
}
inline uint16_t ReadBe16(const uint8_t* p, size_t offset = 0) {
  return static_cast<uint16_t>((p[offset] << 8) | p[offset + 1]);
}
inline uint32_t ReadBe32(const uint8_t* p, size_t offset = 0) {
  return (static_cast<uint32_t>(p[offset]) << 24) | (static_cast<uint32_t>(p[offset + 1]) << 16) |
         (static_cast<uint32_t>(p[offset + 2]) << 8) | static_cast<uint32_t>(p[offset + 3]);
}

// Reads fields from a block of bytes it does not own. A read past the end
// raises EReadError and leaves the position where it was; Sub hands out a
// reader over the next n bytes only.
class ByteReader {
public:
  ByteReader() = default;
  ByteReader(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data)), size_(size) {}
  explicit ByteReader(std::string_view bytes) : ByteReader(bytes.data(), bytes.size()) {}

  size_t Size() const { return size_; }
  size_t Position() const { return pos_; }
  size_t Remaining() const { return size_ - pos_; }
  bool AtEnd() const { return pos_ >= size_; }
  const uint8_t* Data() const { return data_; }
  const uint8_t* Current() const { return data_ + pos_; }

  void Seek(size_t position) {
    if (position > size_) Fail();
    pos_ = position;
  }
  void Skip(size_t n) {
    Need(n);
    pos_ += n;
  }
  uint8_t U8() {
    Need(1);
    return data_[pos_++];
  }
  uint16_t Le16() { return Take<uint16_t>(2, ReadLe16); }
  uint32_t Le32() { return Take<uint32_t>(4, ReadLe32); }
  uint64_t Le64() { return Take<uint64_t>(8, ReadLe64); }
  uint16_t Be16() { return Take<uint16_t>(2, ReadBe16); }
  uint32_t Be32() { return Take<uint32_t>(4, ReadBe32); }
  void Bytes(void* out, size_t n) {
    Need(n);
    std::memcpy(out, data_ + pos_, n);
    pos_ += n;
  }
  std::string String(size_t n) {
    Need(n);
    std::string s(reinterpret_cast<const char*>(data_ + pos_), n);
    pos_ += n;
    return s;
  }
  ByteReader Sub(size_t n) {
    Need(n);
    ByteReader r(data_ + pos_, n);
    pos_ += n;
    return r;
  }

private:
  void Need(size_t n) const {
    if (n > size_ - pos_) Fail();
  }
  [[noreturn]] static void Fail() { throw EReadError("Stream read error"); }
  template <class T, class F>
  T Take(size_t n, F read) {
    Need(n);
    T v = read(data_, pos_);
    pos_ += n;
    return v;
  }

  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t pos_ = 0;
};
