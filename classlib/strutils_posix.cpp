// Native stand-ins for the locale-aware functions: case through the C
// library's wide mapping (C.UTF-8), order by code unit.
#include "classlib/strutils.h"

#include <clocale>
#include <cwctype>

#include "classlib/codepage.h"

namespace {
struct LocaleSetup {
  LocaleSetup() { std::setlocale(LC_CTYPE, "C.UTF-8"); }
} localeSetup;

int Sign(int c) { return c < 0 ? -1 : (c > 0 ? 1 : 0); }
}  // namespace

std::wstring WideUpperCase(std::wstring_view s) {
  std::wstring r(s);
  for (wchar_t& c : r) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
  return r;
}

std::wstring WideLowerCase(std::wstring_view s) {
  std::wstring r(s);
  for (wchar_t& c : r) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return r;
}

namespace {
// Maps every byte through the code page, so the result keeps the input's length.
std::string MapBytes(std::string_view s, std::wstring (*map)(std::wstring_view)) {
  std::string r(s);
  for (char& c : r) {
    std::wstring w = MultiByteToWide(std::string_view(&c, 1));
    if (w.size() != 1) continue;
    std::string back = WideToMultiByte(map(w));
    if (back.size() == 1) c = back[0];
  }
  return r;
}
}  // namespace

std::string AnsiUpperCase(std::string_view s) { return MapBytes(s, WideUpperCase); }
std::string AnsiLowerCase(std::string_view s) { return MapBytes(s, WideLowerCase); }

int AnsiCompareStr(std::string_view a, std::string_view b) {
  return WideCompareStr(MultiByteToWide(a), MultiByteToWide(b));
}
int AnsiCompareText(std::string_view a, std::string_view b) {
  return WideCompareText(MultiByteToWide(a), MultiByteToWide(b));
}
void AppendAnsiSortKey(std::string& key, std::string_view s) {
  for (wchar_t c : WideUpperCase(MultiByteToWide(s))) {
    const auto unit = static_cast<uint32_t>(c);
    for (int shift = 24; shift >= 0; shift -= 8) key += static_cast<char>((unit >> shift) & 0xFF);
  }
}
std::string AnsiSortKeyText(std::string_view s) {
  std::string key;
  AppendAnsiSortKey(key, s);
  return key;
}
int WideCompareStr(std::wstring_view a, std::wstring_view b) { return Sign(a.compare(b)); }
int WideCompareText(std::wstring_view a, std::wstring_view b) {
  return Sign(WideUpperCase(a).compare(WideUpperCase(b)));
}
