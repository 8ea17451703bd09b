#include "widecontrols/utf8.h"

#include <cstdint>

std::string WideStringToUTF8(std::wstring_view ws) {
  std::string out;
  out.reserve(ws.size() * 3);
  for (wchar_t c : ws) {
    auto u = static_cast<uint16_t>(c);
    if (u < 0x80) {
      out += static_cast<char>(u);
    } else if (u < 0x800) {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (u >> 12));
      out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
}

// Format notes: a lead byte with bit 7 set starts a sequence of three bytes
// when its bit 5 is set and of two otherwise; nothing else of the lead is
// checked, so stray following bytes and four-byte leads decode to something
// rather than fail. Only the following bytes must be 10xxxxxx.
std::wstring UTF8ToWideString(std::string_view s) {
  std::wstring out;
  out.reserve(s.size());
  size_t i = 0;
  auto byte = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
  while (i < s.size()) {
    uint8_t lead = byte(i++);
    if (lead < 0x80) {
      out += static_cast<wchar_t>(lead);
      continue;
    }
    size_t following = (lead & 0x20) != 0 ? 2 : 1;
    if (following > s.size() - i) return {};
    uint32_t unit = following == 2 ? (lead & 0x0Fu) : (lead & 0x1Fu);
    for (size_t k = 0; k < following; ++k) {
      uint8_t b = byte(i++);
      if ((b & 0xC0) != 0x80) return {};
      unit = (unit << 6) | (b & 0x3Fu);
    }
    out += static_cast<wchar_t>(unit);
  }
  return out;
}
