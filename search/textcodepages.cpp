#include "search/textcodepages.h"

#include <array>
#include <cstdint>

#include "classlib/codepage.h"

namespace {

// KOI8-R codes of the Windows-1251 letters 0xC0..0xFF (capital A to small ya).
constexpr uint8_t kCp1251LettersToKoi8[64] = {
    0xE1, 0xE2, 0xF7, 0xE7, 0xE4, 0xE5, 0xF6, 0xFA, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF, 0xF0,
    0xF2, 0xF3, 0xF4, 0xF5, 0xE6, 0xE8, 0xE3, 0xFE, 0xFB, 0xFD, 0xFF, 0xF9, 0xF8, 0xFC, 0xE0, 0xF1,
    0xC1, 0xC2, 0xD7, 0xC7, 0xC4, 0xC5, 0xD6, 0xDA, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF, 0xD0,
    0xD2, 0xD3, 0xD4, 0xD5, 0xC6, 0xC8, 0xC3, 0xDE, 0xDB, 0xDD, 0xDF, 0xD9, 0xD8, 0xDC, 0xC0, 0xD1,
};
constexpr uint8_t kCp1251SmallIo = 0xB8, kCp1251CapitalIo = 0xA8;
constexpr uint8_t kKoi8SmallIo = 0xA3, kKoi8CapitalIo = 0xB3;

using ByteMap = std::array<uint8_t, 256>;

constexpr ByteMap MakeAnsiToKoi8() {
  ByteMap map{};
  for (int b = 0; b < 256; ++b) map[b] = static_cast<uint8_t>(b);
  for (int i = 0; i < 64; ++i) map[0xC0 + i] = kCp1251LettersToKoi8[i];
  map[kCp1251SmallIo] = kKoi8SmallIo;
  map[kCp1251CapitalIo] = kKoi8CapitalIo;
  return map;
}

// The same mapping backwards; the table is a permutation of 0xC0..0xFF.
constexpr ByteMap MakeKoi8ToAnsi() {
  ByteMap map{};
  for (int b = 0; b < 256; ++b) map[b] = static_cast<uint8_t>(b);
  for (int i = 0; i < 64; ++i) map[kCp1251LettersToKoi8[i]] = static_cast<uint8_t>(0xC0 + i);
  map[kKoi8SmallIo] = kCp1251SmallIo;
  map[kKoi8CapitalIo] = kCp1251CapitalIo;
  return map;
}

constexpr ByteMap kAnsiToKoi8 = MakeAnsiToKoi8();
constexpr ByteMap kKoi8ToAnsi = MakeKoi8ToAnsi();

std::string MapBytes(std::string_view s, const ByteMap& map) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(map[static_cast<uint8_t>(c)]);
  return r;
}

}  // namespace

std::string AnsiToOemStr(std::string_view s) { return CharToOemString(s); }
std::string OemToAnsiStr(std::string_view s) { return OemToCharString(s); }
std::string AnsiToKoi8(std::string_view s) { return MapBytes(s, kAnsiToKoi8); }
std::string Koi8ToAnsi(std::string_view s) { return MapBytes(s, kKoi8ToAnsi); }
