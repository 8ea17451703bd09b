#include "widecontrols/utf7.h"

#include <array>
#include <cstdint>

#include "classlib/checkedsize.h"
#include "widecontrols/wideerrors.h"

namespace {

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

using Table = std::array<int8_t, 128>;

// 1 for the characters that must be shifted into base64; Set D and the four
// white-space characters never are, Set O only when optionalDirect is off.
constexpr Table MustShift(bool optionalDirect) {
  Table t{};
  for (auto& v : t) v = 1;
  for (int c = 'A'; c <= 'Z'; ++c) t[c] = 0;
  for (int c = 'a'; c <= 'z'; ++c) t[c] = 0;
  for (int c = '0'; c <= '9'; ++c) t[c] = 0;
  for (char c : std::string_view("'(),-./:?\t\r\n ")) t[static_cast<uint8_t>(c)] = 0;
  if (optionalDirect)
    for (char c : std::string_view("!\"#$%&*;<=>@[]^_`{|}")) t[static_cast<uint8_t>(c)] = 0;
  return t;
}

constexpr Table InverseBase64() {
  Table t{};
  for (auto& v : t) v = -1;
  for (int i = 0; i < 64; ++i) t[static_cast<uint8_t>(kBase64[i])] = static_cast<int8_t>(i);
  return t;
}

constexpr Table kMustShiftSafe = MustShift(false);
constexpr Table kMustShiftOptional = MustShift(true);
constexpr Table kInverseBase64 = InverseBase64();

bool IsBase64(uint32_t c) { return c < 128 && kInverseBase64[c] >= 0; }

// The bit buffer of both coders: a 32-bit word filled from its most
// significant end, and the number of bits it holds (never more than 21).
struct BitBuffer {
  uint32_t word = 0;
  unsigned bits = 0;
  void Append(uint32_t value, unsigned count) {
    if (count == 0) return;
    word |= value << (32 - count - bits);
    bits += count;
  }
  uint32_t Take(unsigned count) {
    uint32_t v = word >> (32 - count);
    word = count < 32 ? word << count : 0;
    bits -= count;
    return v;
  }
};

}  // namespace

TUTF7Result EncodeUTF7(const wchar_t*& source, const wchar_t* sourceEnd, char*& target,
                       char* targetEnd, bool optional, bool verbose) {
  const Table& mustShift = optional ? kMustShiftOptional : kMustShiftSafe;
  bool shifted = false;
  BitBuffer buffer;
  auto put = [&](uint32_t c) {
    if (target >= targetEnd) return false;
    *target++ = static_cast<char>(c);
    return true;
  };
  for (;;) {
    bool done = source >= sourceEnd;
    uint32_t r = done ? 0 : static_cast<uint16_t>(*source++);
    bool needShift = !done && (r > 127 || mustShift[r] != 0);
    if (needShift && !shifted) {
      if (!put('+')) return TUTF7Result::Overflow;
      // A plus sign outside a run is written as "+-".
      if (r == '+') {
        if (!put('-')) return TUTF7Result::Overflow;
      } else {
        shifted = true;
      }
    }
    if (shifted) {
      if (needShift) buffer.Append(r, 16);
      else buffer.Append(0, (6 - buffer.bits % 6) % 6);
      while (buffer.bits >= 6)
        if (!put(static_cast<uint8_t>(kBase64[buffer.Take(6)]))) return TUTF7Result::Overflow;
      if (!needShift) {
        // A run needs its "-" only where the next character would be read
        // as part of it.
        if (verbose || (!done && (IsBase64(r) || r == '-')))
          if (!put('-')) return TUTF7Result::Overflow;
        shifted = false;
      }
    }
    if (!needShift && !done && !put(r)) return TUTF7Result::Overflow;
    if (done) return TUTF7Result::Ok;
  }
}

TUTF7Result DecodeUTF7(const char*& source, const char* sourceEnd, wchar_t*& target,
                       wchar_t* targetEnd) {
  bool shifted = false, first = false, wroteOne = false;
  BitBuffer buffer;
  TUTF7Result result = TUTF7Result::Ok;
  for (;;) {
    bool done = source >= sourceEnd;
    uint32_t c = done ? 0 : static_cast<uint8_t>(*source++);
    if (shifted) {
      bool base64End = done || !IsBase64(c);
      if (base64End) {
        shifted = false;
        if (!done && (c == '+' || c == '-')) {
          uint32_t ending = c;
          done = source >= sourceEnd;
          c = done ? 0 : static_cast<uint8_t>(*source++);
          if (first && ending == '-') {
            // "+-" is the escape of a plus sign.
            if (target >= targetEnd) return TUTF7Result::Overflow;
            *target++ = L'+';
          } else if (!wroteOne) {
            result = TUTF7Result::Malformed;
          }
        } else if (!wroteOne) {
          result = TUTF7Result::Malformed;
        }
      } else {
        buffer.Append(static_cast<uint32_t>(kInverseBase64[c]), 6);
        first = false;
      }
      while (buffer.bits >= 16) {
        if (target >= targetEnd) return TUTF7Result::Overflow;
        *target++ = static_cast<wchar_t>(buffer.Take(16));
        wroteOne = true;
      }
      if (base64End) {
        if (buffer.word != 0) result = TUTF7Result::Malformed;
        buffer = BitBuffer();
      }
    }
    if (!shifted && !done) {
      if (c == '+') {
        shifted = true;
        first = true;
        wroteOne = false;
      } else {
        if (target >= targetEnd) return TUTF7Result::Overflow;
        *target++ = static_cast<wchar_t>(c);
        if (c > 127) result = TUTF7Result::Malformed;
      }
    }
    if (done) return result;
  }
}

std::string WideStringToUTF7(std::wstring_view ws) {
  if (ws.empty()) return {};
  // Never more than 7 bytes per unit: "+", three base64 characters, and a
  // closing flush, "-" and the next character direct.
  auto room = CheckedMul(ws.size(), 7);
  if (!room || *room > SIZE_MAX / 2) throw EOutOfMemory("Out of memory");
  std::string out(static_cast<size_t>(*room), '\0');
  const wchar_t* source = ws.data();
  char* target = out.data();
  if (EncodeUTF7(source, ws.data() + ws.size(), target, out.data() + out.size(), true, false) !=
      TUTF7Result::Ok)
    throw EWideInternalError("Buffer overflow");
  out.resize(static_cast<size_t>(target - out.data()));
  return out;
}

std::wstring UTF7ToWideString(std::string_view s) {
  if (s.empty()) return {};
  std::wstring out(s.size(), L'\0');
  const char* source = s.data();
  wchar_t* target = out.data();
  switch (DecodeUTF7(source, s.data() + s.size(), target, out.data() + out.size())) {
    case TUTF7Result::Ok: break;
    case TUTF7Result::Malformed: throw EWideGeneralError("Invalid UTF7");
    case TUTF7Result::Overflow: throw EWideInternalError("Buffer overflow");
  }
  out.resize(static_cast<size_t>(target - out.data()));
  return out;
}
