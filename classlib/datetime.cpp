#include "classlib/datetime.h"

#include <cmath>

#include "classlib/exceptions.h"

namespace {

constexpr int32_t kMsPerDay = 86400000;

// Days from 1970-01-01 to the given day of the proleptic Gregorian calendar,
// counting by 400-year eras of 146097 days each.
constexpr int64_t DaysFromCivil(int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(int64_t days, int& year, int& month, int& day) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t dayOfEra = days - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
  day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

// Day 0 of TDateTime, 1899-12-30, counted from 1970-01-01.
constexpr int64_t kEpochShift = -DaysFromCivil(1899, 12, 30);
constexpr int64_t kFirstDay = DaysFromCivil(1, 1, 1) + kEpochShift;
constexpr int64_t kLastDay = DaysFromCivil(9999, 12, 31) + kEpochShift;

int Clamp(int value, int low, int high) { return value < low ? low : (value > high ? high : value); }

}  // namespace

const TDateTime MinDateTime = static_cast<double>(kFirstDay);
const TDateTime MaxDateTime = static_cast<double>(kLastDay) + (kMsPerDay - 1) / MSecsPerDay;

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
    return false;
  result = static_cast<double>(DaysFromCivil(year, month, day) + kEpochShift);
  return true;
}

bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& result) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
      millisecond < 0 || millisecond > 999)
    return false;
  result = (((hour * 60 + minute) * 60 + second) * 1000 + millisecond) / MSecsPerDay;
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime result;
  if (!TryEncodeDate(year, month, day, result)) throw EConvertError("Invalid argument to date encode");
  return result;
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
  TDateTime result;
  if (!TryEncodeTime(hour, minute, second, millisecond, result))
    throw EConvertError("Invalid argument to time encode");
  return result;
}

void SplitDateTime(TDateTime value, int64_t& days, int32_t& msOfDay) {
  // Checked before any conversion to an integer: a cast of NaN or of a value
  // beyond the integer's range is undefined.
  if (std::isnan(value)) value = 0;
  if (!(value > static_cast<double>(kFirstDay - 1))) {
    days = kFirstDay;
    msOfDay = 0;
    return;
  }
  if (!(value < static_cast<double>(kLastDay + 1))) {
    days = kLastDay;
    msOfDay = kMsPerDay - 1;
    return;
  }
  double whole = std::trunc(value);
  days = static_cast<int64_t>(whole);
  auto ms = static_cast<int64_t>(std::llround(std::fabs(value - whole) * MSecsPerDay));
  if (ms >= kMsPerDay) {
    // Rounded up to the next midnight: that is the next calendar day, for
    // negative day numbers too (their time still counts forwards).
    if (days < kLastDay) {
      ++days;
      ms = 0;
    } else {
      ms = kMsPerDay - 1;
    }
  }
  msOfDay = static_cast<int32_t>(ms);
}

TDateTime ComposeDateTime(int64_t days, int32_t msOfDay) {
  double fraction = msOfDay / MSecsPerDay;
  return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
  int64_t days;
  int32_t ms;
  SplitDateTime(value, days, ms);
  CivilFromDays(days - kEpochShift, year, month, day);
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond) {
  int64_t days;
  int32_t ms;
  SplitDateTime(value, days, ms);
  millisecond = ms % 1000;
  ms /= 1000;
  second = ms % 60;
  ms /= 60;
  minute = ms % 60;
  hour = ms / 60;
}

void DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& minute,
                    int& second, int& millisecond) {
  DecodeDate(value, year, month, day);
  DecodeTime(value, hour, minute, second, millisecond);
}

int DayOfWeek(TDateTime value) {
  int64_t days;
  int32_t ms;
  SplitDateTime(value, days, ms);
  // Day 0 was a Saturday.
  return static_cast<int>(((days + 6) % 7 + 7) % 7) + 1;
}

TDateTime Date() {
  int64_t days;
  int32_t ms;
  SplitDateTime(Now(), days, ms);
  return static_cast<double>(days);
}

TDateTime Time() {
  int64_t days;
  int32_t ms;
  SplitDateTime(Now(), days, ms);
  return ms / MSecsPerDay;
}

// --- DOS date-times -----------------------------------------------------------

namespace {
constexpr int kFirstDosYear = 1980;
constexpr int kLastDosYear = 1980 + 127;
}  // namespace

int32_t EncodeFileDate(int year, int month, int day, int hour, int minute, int second) {
  if (year < kFirstDosYear) {
    year = kFirstDosYear;
    month = day = 1;
    hour = minute = second = 0;
  } else if (year > kLastDosYear) {
    year = kLastDosYear;
    month = 12;
    day = 31;
    hour = 23;
    minute = second = 59;
  }
  month = Clamp(month, 1, 12);
  day = Clamp(day, 1, DaysInMonth(year, month));
  hour = Clamp(hour, 0, 23);
  minute = Clamp(minute, 0, 59);
  second = Clamp(second, 0, 59);
  auto date = static_cast<uint32_t>(((year - kFirstDosYear) << 9) | (month << 5) | day);
  auto time = static_cast<uint32_t>((hour << 11) | (minute << 5) | (second / 2));
  return static_cast<int32_t>((date << 16) | time);
}

int32_t DateTimeToFileDate(TDateTime value) {
  int year, month, day, hour, minute, second, ms;
  DecodeDateTime(value, year, month, day, hour, minute, second, ms);
  return EncodeFileDate(year, month, day, hour, minute, second);
}

TDateTime FileDateToDateTime(int32_t fileDate) {
  auto packed = static_cast<uint32_t>(fileDate);
  uint32_t date = packed >> 16, time = packed & 0xFFFF;
  int year = kFirstDosYear + static_cast<int>(date >> 9);
  int month = Clamp(static_cast<int>((date >> 5) & 15), 1, 12);
  int day = Clamp(static_cast<int>(date & 31), 1, DaysInMonth(year, month));
  int hour = Clamp(static_cast<int>(time >> 11), 0, 23);
  int minute = Clamp(static_cast<int>((time >> 5) & 63), 0, 59);
  int second = Clamp(static_cast<int>(time & 31) * 2, 0, 59);
  return EncodeDate(year, month, day) + EncodeTime(hour, minute, second, 0);
}
