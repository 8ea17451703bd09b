// Splits a fuzzer's input into the data and the option bytes at its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class FuzzInput {
public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  // Takes an option byte from the end (0 when none is left).
  uint8_t Option() {
    if (size_ == 0) return 0;
    return data_[--size_];
  }
  uint16_t Option16() { return static_cast<uint16_t>(Option() | (Option() << 8)); }
  // The bytes that are left, copied so that the decoder reads exactly them.
  std::vector<uint8_t> Rest() const { return std::vector<uint8_t>(data_, data_ + size_); }

private:
  const uint8_t* data_;
  size_t size_;
};
