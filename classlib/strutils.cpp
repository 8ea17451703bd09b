#include "classlib/strutils.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "classlib/exceptions.h"

std::string UpperCase(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}

std::string LowerCase(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}

int CompareStr(std::string_view a, std::string_view b) {
  int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CompareText(std::string_view a, std::string_view b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    auto x = static_cast<unsigned char>(a[i]);
    auto y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool SameText(std::string_view a, std::string_view b) { return CompareText(a, b) == 0; }
bool AnsiSameText(std::string_view a, std::string_view b) { return AnsiCompareText(a, b) == 0; }

std::string IntToStr(int64_t value) { return std::to_string(value); }

std::string IntToHex(uint64_t value, int digits) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string r;
  do {
    r.insert(r.begin(), kDigits[value & 15]);
    value >>= 4;
  } while (value != 0);
  while (static_cast<int>(r.size()) < digits) r.insert(r.begin(), '0');
  return r;
}

bool TryStrToInt64(std::string_view s, int64_t& value) {
  size_t i = 0;
  while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
  size_t end = s.size();
  while (end > i && static_cast<unsigned char>(s[end - 1]) <= ' ') --end;
  bool negative = false;
  if (i < end && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  int base = 10;
  if (i < end && s[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < end && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= end) return false;
  uint64_t acc = 0;
  const uint64_t limit = negative ? uint64_t(std::numeric_limits<int64_t>::max()) + 1
                                  : uint64_t(std::numeric_limits<int64_t>::max());
  for (; i < end; ++i) {
    char c = s[i];
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    if (acc > (limit - static_cast<uint64_t>(d)) / static_cast<uint64_t>(base)) {
      // Hexadecimal may fill all 64 bits (as two's complement).
      if (base != 16 || acc > (std::numeric_limits<uint64_t>::max() - d) / 16) return false;
    }
    acc = acc * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
  }
  value = negative ? static_cast<int64_t>(0 - acc) : static_cast<int64_t>(acc);
  return true;
}

int64_t StrToInt64(std::string_view s) {
  int64_t v;
  if (!TryStrToInt64(s, v))
    throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
  return v;
}

bool TryStrToFloat(std::string_view s, double& value) {
  size_t i = 0, end = s.size();
  while (i < end && static_cast<unsigned char>(s[i]) <= ' ') ++i;
  while (end > i && static_cast<unsigned char>(s[end - 1]) <= ' ') --end;
  const size_t start = i;
  if (i < end && (s[i] == '-' || s[i] == '+')) ++i;
  // from_chars takes no "+": it is skipped once the grammar is checked.
  const size_t number = start < end && s[start] == '+' ? i : start;
  auto digits = [&] {
    size_t from = i;
    while (i < end && s[i] >= '0' && s[i] <= '9') ++i;
    return i - from;
  };
  size_t mantissa = digits();
  if (i < end && s[i] == '.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (i < end && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < end && (s[i] == '-' || s[i] == '+')) ++i;
    if (digits() == 0) return false;
  }
  if (i != end) return false;
  double parsed = 0;
  const auto result = std::from_chars(s.data() + number, s.data() + end, parsed);
  if (result.ec != std::errc() || result.ptr != s.data() + end || !std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}

double StrToFloatDef(std::string_view s, double fallback) {
  double value = fallback;
  return TryStrToFloat(s, value) ? value : fallback;
}

int32_t StrToInt(std::string_view s) {
  int64_t v;
  if (!TryStrToInt64(s, v) || v < std::numeric_limits<int32_t>::min() ||
      v > std::numeric_limits<int32_t>::max()) {
    // Hexadecimal up to 32 bits is taken as two's complement.
    if (TryStrToInt64(s, v) && v >= 0 && v <= 0xFFFFFFFFll) return static_cast<int32_t>(v);
    throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
  }
  return static_cast<int32_t>(v);
}

int32_t StrToIntDef(std::string_view s, int32_t fallback) {
  try {
    return StrToInt(s);
  } catch (const EConvertError&) {
    return fallback;
  }
}

int64_t StrToInt64Def(std::string_view s, int64_t fallback) {
  int64_t v;
  return TryStrToInt64(s, v) ? v : fallback;
}

std::string TrimLeft(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
  return std::string(s.substr(i));
}

std::string TrimRight(std::string_view s) {
  size_t n = s.size();
  while (n > 0 && static_cast<unsigned char>(s[n - 1]) <= ' ') --n;
  return std::string(s.substr(0, n));
}

std::string Trim(std::string_view s) { return TrimLeft(TrimRight(s)); }

std::wstring WideTrim(std::wstring_view s) {
  size_t i = 0, n = s.size();
  while (i < n && s[i] <= L' ') ++i;
  while (n > i && s[n - 1] <= L' ') --n;
  return std::wstring(s.substr(i, n - i));
}

std::string StringReplace(std::string_view s, std::string_view from, std::string_view to, bool all,
                          bool ignoreCase) {
  if (from.empty()) return std::string(s);
  std::string hay = ignoreCase ? AnsiUpperCase(s) : std::string(s);
  std::string needle = ignoreCase ? AnsiUpperCase(from) : std::string(from);
  std::string r;
  size_t pos = 0;
  while (pos <= s.size()) {
    size_t hit = hay.find(needle, pos);
    if (hit == std::string::npos) break;
    r.append(s.substr(pos, hit - pos));
    r.append(to);
    pos = hit + from.size();
    if (!all) break;
  }
  r.append(s.substr(pos < s.size() ? pos : s.size()));
  return r;
}

std::string AnsiQuotedStr(std::string_view s, char quote) {
  std::string r(1, quote);
  for (char c : s) {
    r += c;
    if (c == quote) r += c;
  }
  r += quote;
  return r;
}
