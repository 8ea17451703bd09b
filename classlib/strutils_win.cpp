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

int WideCompareStr(std::wstring_view a, std::wstring_view b) {
  return FromCompareString(
      CompareStringW(LOCALE_USER_DEFAULT, 0, a.data(), Clamp(a.size()), b.data(), Clamp(b.size())));
}

int WideCompareText(std::wstring_view a, std::wstring_view b) {
  return FromCompareString(CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                                          Clamp(a.size()), b.data(), Clamp(b.size())));
}
