// Native stand-in for the system's code-page functions, used by the portable
// code's tests and fuzzers: iconv does the converting. The ANSI and OEM code
// pages are 1252 and 437 unless OVALIS_ACP / OVALIS_OEMCP say otherwise.
#include "classlib/codepage.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

unsigned EnvCodePage(const char* name, unsigned fallback) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return fallback;
  return static_cast<unsigned>(std::strtoul(value, nullptr, 10));
}

unsigned Resolve(unsigned codePage) {
  if (codePage == kAnsiCodePage) return AnsiCodePage();
  if (codePage == kOemCodePage) return OemCodePage();
  return codePage;
}

std::string IconvName(unsigned codePage) {
  switch (codePage) {
    case 65001: return "UTF-8";
    case 65000: return "UTF-7";
    case 20866: return "KOI8-R";
    case 1200: return "UTF-16LE";
    default: return "CP" + std::to_string(codePage);
  }
}

// Converts with iconv, replacing what cannot be converted by `replacement`
// and skipping one input unit of `unitSize` bytes.
std::string Convert(const char* from, const char* to, std::string_view input, size_t unitSize,
                    std::string_view replacement, bool* replaced) {
  if (replaced != nullptr) *replaced = false;
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::string out;
  out.resize(input.size() * 4 + 16);
  char* in = const_cast<char*>(input.data());
  size_t inLeft = input.size();
  size_t done = 0;
  while (inLeft > 0) {
    char* outPtr = out.data() + done;
    size_t outLeft = out.size() - done;
    size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    done = static_cast<size_t>(outPtr - out.data());
    if (rc != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    // EILSEQ or EINVAL: replace one unit and go on.
    size_t skip = inLeft < unitSize ? inLeft : unitSize;
    in += skip;
    inLeft -= skip;
    if (out.size() - done < replacement.size()) out.resize(out.size() * 2 + replacement.size());
    out.replace(done, replacement.size(), replacement);
    done += replacement.size();
    if (replaced != nullptr) *replaced = true;
  }
  iconv_close(cd);
  out.resize(done);
  return out;
}

}  // namespace

unsigned AnsiCodePage() { return EnvCodePage("OVALIS_ACP", 1252); }
unsigned OemCodePage() { return EnvCodePage("OVALIS_OEMCP", 437); }

std::wstring MultiByteToWide(std::string_view text, unsigned codePage) {
  if (text.empty()) return {};
  std::string bytes = Convert(IconvName(Resolve(codePage)).c_str(), "UTF-16LE", text, 1,
                              std::string_view("\xFD\xFF", 2), nullptr);
  std::wstring result(bytes.size() / 2, L'\0');
  for (size_t i = 0; i < result.size(); ++i)
    result[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  return result;
}

std::string WideToMultiByte(std::wstring_view text, unsigned codePage, bool* usedDefaultChar) {
  if (usedDefaultChar != nullptr) *usedDefaultChar = false;
  if (text.empty()) return {};
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (wchar_t c : text) {
    auto unit = static_cast<uint16_t>(c);
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  unsigned cp = Resolve(codePage);
  bool replaced = false;
  std::string result = Convert("UTF-16LE", IconvName(cp).c_str(), bytes, 2, "?", &replaced);
  if (usedDefaultChar != nullptr && cp != 65001 && cp != 65000) *usedDefaultChar = replaced;
  return result;
}

bool WideToMultiByteExact(std::wstring_view text, unsigned codePage, std::string& out) {
  out.clear();
  bool replaced = false;
  std::string bytes = WideToMultiByte(text, codePage, &replaced);
  if (bytes.empty() || replaced || MultiByteToWide(bytes, codePage) != text) return false;
  out = std::move(bytes);
  return true;
}

std::string CharToOemString(std::string_view text) {
  std::string result = WideToMultiByte(MultiByteToWide(text, kAnsiCodePage), kOemCodePage);
  return result.size() == text.size() ? result : std::string(text);
}

std::string OemToCharString(std::string_view text) {
  std::string result = WideToMultiByte(MultiByteToWide(text, kOemCodePage), kAnsiCodePage);
  return result.size() == text.size() ? result : std::string(text);
}

bool IsAnsiLeadByte(unsigned char) { return false; }
