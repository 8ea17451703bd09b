#include "widecontrols/platform.h"

#include <windows.h>

#include <string_view>

namespace {

OSVERSIONINFOW QueryVersion() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExW(&info)) info = OSVERSIONINFOW{};
  return info;
}

const OSVERSIONINFOW kVersion = QueryVersion();

bool IsXP(const OSVERSIONINFOW& v) {
  return (v.dwMajorVersion == 5 && v.dwMinorVersion >= 1) || v.dwMajorVersion >= 6;
}

}  // namespace

const bool Win32PlatformIsUnicode = kVersion.dwPlatformId == VER_PLATFORM_WIN32_NT;
const bool Win32PlatformIsXP = IsXP(kVersion);
const unsigned DefaultSystemCodePage = Win32PlatformIsUnicode && kVersion.dwMajorVersion >= 5
                                           ? CP_THREAD_ACP
                                           : LCIDToCodePage(GetThreadLocale());

unsigned LCIDToCodePage(uint32_t locale) {
  char buffer[6] = {};
  int n = GetLocaleInfoA(locale, LOCALE_IDEFAULTANSICODEPAGE, buffer, sizeof buffer);
  std::string_view digits(buffer, n > 0 ? static_cast<size_t>(n - 1) : 0);
  if (digits.empty()) return GetACP();
  unsigned value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return GetACP();
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return value;
}
