#include "classlib/strutils.h"

#include <windows.h>

#include <climits>

std::string AnsiUpperCase(std::string_view s) {
  std::string r(s);
  if (!r.empty()) CharUpperBuffA(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

std::string AnsiLowerCase(std::string_view s) {
  std::string r(s);
  if (!r.empty()) CharLowerBuffA(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

std::wstring WideUpperCase(std::wstring_view s) {
  std::wstring r(s);
  if (!r.empty()) CharUpperBuffW(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

std::wstring WideLowerCase(std::wstring_view s) {
  std::wstring r(s);
  if (!r.empty()) CharLowerBuffW(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

namespace {
int FromCompareString(int result) { return result - CSTR_EQUAL; }
int Clamp(size_t n) { return n > INT_MAX ? INT_MAX : static_cast<int>(n); }
}  // namespace

int AnsiCompareStr(std::string_view a, std::string_view b) {
  return FromCompareString(
      CompareStringA(LOCALE_USER_DEFAULT, 0, a.data(), Clamp(a.size()), b.data(), Clamp(b.size())));
}

int AnsiCompareText(std::string_view a, std::string_view b) {
  return FromCompareString(CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                                          Clamp(a.size()), b.data(), Clamp(b.size())));
}

void AppendAnsiSortKey(std::string& key, std::string_view s) {
  constexpr DWORD kFlags = LCMAP_SORTKEY | NORM_IGNORECASE;
  char buffer[512];
  int got = LCMapStringA(LOCALE_USER_DEFAULT, kFlags, s.data(), Clamp(s.size()), buffer, sizeof buffer);
  if (got > 0) {
    // The key's closing zero byte would only add a tie-breaker of its own.
    key.append(buffer, static_cast<size_t>(got) - (buffer[got - 1] == '\0' ? 1 : 0));
    return;
  }
  const int need = LCMapStringA(LOCALE_USER_DEFAULT, kFlags, s.data(), Clamp(s.size()), nullptr, 0);
  if (need <= 0) {
    key.append(s);
    return;
  }
  std::string long_key(static_cast<size_t>(need), '\0');
  got = LCMapStringA(LOCALE_USER_DEFAULT, kFlags, s.data(), Clamp(s.size()), long_key.data(), need);
  long_key.resize(got > 0 ? static_cast<size_t>(got) : 0);
  if (!long_key.empty() && long_key.back() == '\0') long_key.pop_back();
  key.append(long_key);
}

std::string AnsiSortKeyText(std::string_view s) {
  std::string key;
  AppendAnsiSortKey(key, s);
  return key;
}

int WideCompareStr(std::wstring_view a, std::wstring_view b) {
  return FromCompareString(
      CompareStringW(LOCALE_USER_DEFAULT, 0, a.data(), Clamp(a.size()), b.data(), Clamp(b.size())));
}

int WideCompareText(std::wstring_view a, std::wstring_view b) {
  return FromCompareString(CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                                          Clamp(a.size()), b.data(), Clamp(b.size())));
}
