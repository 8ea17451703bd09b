// Native stand-ins: the C library's local time, and fixed ISO formats where
// the Windows build uses the user's formats.
#include "classlib/datetime.h"

#include <cstdio>
#include <ctime>

TDateTime Now() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  tm local{};
  localtime_r(&ts.tv_sec, &local);
  return EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
         EncodeTime(local.tm_hour, local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec,
                    static_cast<int>(ts.tv_nsec / 1000000));
}

std::string DateToStr(TDateTime value) {
  int year, month, day;
  DecodeDate(value, year, month, day);
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
  return text;
}

std::string TimeToStr(TDateTime value) {
  int hour, minute, second, ms;
  DecodeTime(value, hour, minute, second, ms);
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", hour, minute, second);
  return text;
}

std::string DateTimeToStr(TDateTime value) {
  int64_t days;
  int32_t ms;
  SplitDateTime(value, days, ms);
  return ms == 0 ? DateToStr(value) : DateToStr(value) + ' ' + TimeToStr(value);
}
