#include "classlib/datetime.h"

#include <windows.h>

#include <cstdio>

#include "classlib/filetime.h"

namespace {

// The platform formats only what a SYSTEMTIME holds (from 1601); earlier
// dates are written as year-month-day so that they still read unambiguously.
std::string FallbackDate(TDateTime value) {
  int year, month, day;
  DecodeDate(value, year, month, day);
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
  return text;
}

template <class Format>
std::string Formatted(Format format) {
  int n = format(nullptr, 0);
  if (n <= 0) return {};
  std::string text(static_cast<size_t>(n), '\0');
  n = format(text.data(), n);
  text.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);
  return text;
}

}  // namespace

TDateTime Now() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return SystemTimeToDateTime(st);
}

std::string DateToStr(TDateTime value) {
  SYSTEMTIME st = DateTimeToSystemTime(value);
  std::string text = Formatted([&](char* buffer, int size) {
    return GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buffer, size);
  });
  int year, month, day;
  DecodeDate(value, year, month, day);
  return text.empty() || year < 1601 ? FallbackDate(value) : text;
}

std::string TimeToStr(TDateTime value) {
  SYSTEMTIME st = DateTimeToSystemTime(value);
  int hour, minute, second, ms;
  DecodeTime(value, hour, minute, second, ms);
  st.wHour = static_cast<WORD>(hour);
  st.wMinute = static_cast<WORD>(minute);
  st.wSecond = static_cast<WORD>(second);
  st.wMilliseconds = static_cast<WORD>(ms);
  return Formatted([&](char* buffer, int size) {
    return GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, buffer, size);
  });
}

std::string DateTimeToStr(TDateTime value) {
  int64_t days;
  int32_t ms;
  SplitDateTime(value, days, ms);
  std::string text = DateToStr(value);
  if (ms != 0) text += ' ' + TimeToStr(value);
  return text;
}
