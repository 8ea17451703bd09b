// UTF-8 byte classes, for cutting text without cutting a character in two.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

inline bool IsUtf8Continuation(uint8_t byte) { return (byte & 0xC0) == 0x80; }

// The bytes of the UTF-8 character this byte starts; 0 for a byte that
// starts none.
inline size_t Utf8SequenceLength(uint8_t lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// The length of bytes without a last character whose bytes stop short.
// Bytes that are no UTF-8 there are left as they are.
inline size_t CompleteUtf8Length(std::string_view bytes) {
  size_t lead = bytes.size();
  while (lead > 0 && bytes.size() - lead < 3 && IsUtf8Continuation(static_cast<uint8_t>(bytes[lead - 1]))) --lead;
  if (lead == 0) return bytes.size();
  --lead;
  return Utf8SequenceLength(static_cast<uint8_t>(bytes[lead])) > bytes.size() - lead ? lead : bytes.size();
}
