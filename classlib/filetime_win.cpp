#include "classlib/filetime.h"

namespace {

constexpr uint64_t kTicksPerMs = 10000;
constexpr uint64_t kMsPerDay = 86400000;
// Days from 1601-01-01 (file time 0) to 1899-12-30 (TDateTime 0).
constexpr int64_t kFileTimeEpochDays = 109205;

// Like SystemTimeToDateTime, but a year past what TDateTime holds (a file
// time may name one up to 30827) gives MaxDateTime instead of an error.
TDateTime ClampedSystemTimeToDateTime(const SYSTEMTIME& st) {
  if (st.wYear > 9999) return MaxDateTime;
  return SystemTimeToDateTime(st);
}

}  // namespace

TDateTime FileTimeToDateTime(const FILETIME& ft) {
  uint64_t ms = FileTimeToUInt64(ft) / kTicksPerMs;
  auto days = static_cast<int64_t>(ms / kMsPerDay) - kFileTimeEpochDays;
  auto msOfDay = static_cast<int32_t>(ms % kMsPerDay);
  TDateTime value = ComposeDateTime(days, msOfDay);
  return value > MaxDateTime ? MaxDateTime : value;
}

FILETIME DateTimeToFileTime(TDateTime value) {
  int64_t days;
  int32_t msOfDay;
  SplitDateTime(value, days, msOfDay);
  days += kFileTimeEpochDays;
  if (days < 0) return UInt64ToFileTime(0);
  uint64_t ms = static_cast<uint64_t>(days) * kMsPerDay + static_cast<uint64_t>(msOfDay);
  return UInt64ToFileTime(ms * kTicksPerMs);
}

TDateTime SystemTimeToDateTime(const SYSTEMTIME& st) {
  return EncodeDate(st.wYear, st.wMonth, st.wDay) +
         EncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
}

SYSTEMTIME DateTimeToSystemTime(TDateTime value) {
  int year, month, day, hour, minute, second, ms;
  DecodeDateTime(value, year, month, day, hour, minute, second, ms);
  SYSTEMTIME st{};
  if (year < 1601) {
    year = 1601;
    month = day = 1;
    hour = minute = second = ms = 0;
  }
  st.wYear = static_cast<WORD>(year);
  st.wMonth = static_cast<WORD>(month);
  st.wDay = static_cast<WORD>(day);
  st.wHour = static_cast<WORD>(hour);
  st.wMinute = static_cast<WORD>(minute);
  st.wSecond = static_cast<WORD>(second);
  st.wMilliseconds = static_cast<WORD>(ms);
  TDateTime date;
  TryEncodeDate(year, month, day, date);
  st.wDayOfWeek = static_cast<WORD>(DayOfWeek(date) - 1);
  return st;
}

TDateTime UtcFileTimeToLocalDateTime(const FILETIME& utc, const TIME_ZONE_INFORMATION* zone) {
  SYSTEMTIME universal, local;
  if (!FileTimeToSystemTime(&utc, &universal)) return FileTimeToDateTime(utc);
  // The platform applies the daylight rule of the date converted; the local
  // file-time functions would apply today's offset to every date.
  if (!SystemTimeToTzSpecificLocalTime(zone, &universal, &local)) return ClampedSystemTimeToDateTime(universal);
  return ClampedSystemTimeToDateTime(local);
}

FILETIME LocalDateTimeToUtcFileTime(TDateTime local, const TIME_ZONE_INFORMATION* zone) {
  SYSTEMTIME localTime = DateTimeToSystemTime(local), universal;
  if (!TzSpecificLocalTimeToSystemTime(zone, &localTime, &universal)) universal = localTime;
  FILETIME ft;
  if (!SystemTimeToFileTime(&universal, &ft)) return DateTimeToFileTime(local);
  return ft;
}

int32_t UtcFileTimeToFileDate(const FILETIME& utc, const TIME_ZONE_INFORMATION* zone) {
  return DateTimeToFileDate(UtcFileTimeToLocalDateTime(utc, zone));
}

FILETIME FileDateToUtcFileTime(int32_t fileDate, const TIME_ZONE_INFORMATION* zone) {
  return LocalDateTimeToUtcFileTime(FileDateToDateTime(fileDate), zone);
}
