#include "components/utilities.h"

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsDelim(const TCharSet& delims, char c) { return delims.test(static_cast<unsigned char>(c)); }

uint8_t KeyByte(std::string_view key, size_t index) {
  return static_cast<uint8_t>(key[index % key.size()]);
}

}  // namespace

TCharSet CharSetOf(std::string_view chars) {
  TCharSet set;
  for (char c : chars) set.set(static_cast<unsigned char>(c));
  return set;
}

std::string ReplaceStr(std::string_view s, std::string_view search, std::string_view replace) {
  if (search.empty()) return std::string(s);
  std::string result;
  size_t from = 0;
  for (size_t at = s.find(search); at != std::string_view::npos; at = s.find(search, from)) {
    result.append(s.substr(from, at - from)).append(replace);
    from = at + search.size();
  }
  result.append(s.substr(from));
  return result;
}

int WordPosition(int n, std::string_view s, const TCharSet& delims) {
  int count = 0;
  size_t i = 0;
  while (i < s.size() && count != n) {
    while (i < s.size() && IsDelim(delims, s[i])) ++i;
    if (i < s.size()) ++count;
    if (count == n) return static_cast<int>(i) + 1;
    while (i < s.size() && !IsDelim(delims, s[i])) ++i;
  }
  return 0;
}

int WordCount(std::string_view s, const TCharSet& delims) {
  int count = 0;
  bool inWord = false;
  for (char c : s) {
    const bool delim = IsDelim(delims, c);
    if (!delim && !inWord) ++count;
    inWord = !delim;
  }
  return count;
}

std::string ExtractWord(int n, std::string_view s, const TCharSet& delims) {
  const int position = WordPosition(n, s, delims);
  if (position == 0) return std::string();
  size_t end = static_cast<size_t>(position) - 1;
  while (end < s.size() && !IsDelim(delims, s[end])) ++end;
  return std::string(s.substr(static_cast<size_t>(position) - 1, end - (static_cast<size_t>(position) - 1)));
}

std::string XorEncode(std::string_view key, std::string_view source) {
  static const char kDigits[] = "0123456789abcdef";
  std::string result;
  result.reserve(source.size() * 2);
  for (size_t i = 0; i < source.size(); ++i) {
    uint8_t b = static_cast<uint8_t>(source[i]);
    if (!key.empty()) b ^= KeyByte(key, i);
    result += kDigits[b >> 4];
    result += kDigits[b & 0x0F];
  }
  return result;
}

std::string XorDecode(std::string_view key, std::string_view source) {
  std::string result;
  result.reserve(source.size() / 2);
  for (size_t k = 0; k < source.size() / 2; ++k) {
    const int high = HexDigit(source[2 * k]), low = HexDigit(source[2 * k + 1]);
    int value = high < 0 || low < 0 ? ' ' : high * 16 + low;
    if (!key.empty()) value = (value ^ KeyByte(key, k)) & 0xFF;
    result += static_cast<char>(value);
  }
  return result;
}
