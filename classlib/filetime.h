// The system's FILETIME (100 ns units since 1601-01-01 UTC) and SYSTEMTIME
// against TDateTime, and conversions between UTC and local time.
//
// Local time is always converted by the time-zone rules in force on the date
// being converted (a summer date gets the summer offset even in winter), never
// by the offset in force today. zone, when given, replaces the system's
// time-zone settings.
#pragma once

#include <windows.h>

#include <cstdint>

#include "classlib/datetime.h"

inline uint64_t FileTimeToUInt64(const FILETIME& ft) {
  return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}
inline FILETIME UInt64ToFileTime(uint64_t value) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(value);
  ft.dwHighDateTime = static_cast<DWORD>(value >> 32);
  return ft;
}

// Without a change of zone: the moment a FILETIME names, as a date-time in
// the same zone, and back. A date-time before 1601 gives file time 0.
TDateTime FileTimeToDateTime(const FILETIME& ft);
FILETIME DateTimeToFileTime(TDateTime value);

// SYSTEMTIME fields to a date-time (invalid fields raise EConvertError), and
// back. A date-time outside 1601..30827 is taken as the nearest end.
TDateTime SystemTimeToDateTime(const SYSTEMTIME& st);
SYSTEMTIME DateTimeToSystemTime(TDateTime value);

// A UTC file time as a local date-time, and a local date-time as a UTC file
// time.
TDateTime UtcFileTimeToLocalDateTime(const FILETIME& utc, const TIME_ZONE_INFORMATION* zone = nullptr);
FILETIME LocalDateTimeToUtcFileTime(TDateTime local, const TIME_ZONE_INFORMATION* zone = nullptr);

// A UTC file time as a packed local DOS date-time (clamped to 1980..2107 as
// DateTimeToFileDate is), and a packed local DOS date-time as a UTC file time.
int32_t UtcFileTimeToFileDate(const FILETIME& utc, const TIME_ZONE_INFORMATION* zone = nullptr);
FILETIME FileDateToUtcFileTime(int32_t fileDate, const TIME_ZONE_INFORMATION* zone = nullptr);
