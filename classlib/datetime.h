// Dates and times as TDateTime: a double counting days since 1899-12-30
// 00:00, the fraction being the time of day. Before that day the integral
// part is negative and the fraction still counts forwards into the day
// (-1.25 is 1899-12-29 06:00). Valid dates run from 0001-01-01 to 9999-12-31.
//
// Packed DOS date-times ("file dates") hold the date in the high word (year -
// 1980, month, day) and the time in the low word (hour, minute, seconds / 2).
#pragma once

#include <cstdint>
#include <string>

using TDateTime = double;

constexpr double HoursPerDay = 24;
constexpr double MinsPerDay = 24 * 60;
constexpr double SecsPerDay = 24 * 60 * 60;
constexpr double MSecsPerDay = 24.0 * 60 * 60 * 1000;

// The first and last moments a TDateTime can stand for.
extern const TDateTime MinDateTime;  // 0001-01-01 00:00
extern const TDateTime MaxDateTime;  // 9999-12-31 23:59:59.999

bool IsLeapYear(int year);
// Days in the month, or 0 for a month outside 1..12.
int DaysInMonth(int year, int month);

// Raise EConvertError ("Invalid argument to date encode" / "... time encode")
// for a field out of range; the Try forms answer false instead.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& result);

// The fields of a date-time, rounded to the millisecond. A value outside
// MinDateTime..MaxDateTime is taken as the nearest end; NaN as 0.
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond);
void DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& minute,
                    int& second, int& millisecond);
// The day number (days since 1899-12-30, negative before it) and the
// milliseconds into that day, and back. Split clamps as DecodeDate does.
void SplitDateTime(TDateTime value, int64_t& days, int32_t& msOfDay);
TDateTime ComposeDateTime(int64_t days, int32_t msOfDay);

// 1 for Sunday to 7 for Saturday.
int DayOfWeek(TDateTime value);

// The local date and time now; Date is today at 00:00, Time the time of day.
TDateTime Now();
TDateTime Date();
TDateTime Time();

// Local date-time to a packed DOS date-time. Seconds are rounded down to an
// even number; a moment before 1980-01-01 gives 1980-01-01 00:00:00 and one
// after 2107-12-31 23:59:58 gives that moment (DOS cannot hold more).
int32_t DateTimeToFileDate(TDateTime value);
// Packed DOS date-time to a date-time. A field out of range (month 0, day 31
// of a 30-day month, hour 25, as found in damaged archives) is taken as the
// nearest valid value, so every 32-bit value gives a defined moment.
TDateTime FileDateToDateTime(int32_t fileDate);
// The packed form of the given fields, clamped as DateTimeToFileDate clamps.
int32_t EncodeFileDate(int year, int month, int day, int hour, int minute, int second);

// Text in the user's formats: DateToStr the short date format, TimeToStr the
// long time format, DateTimeToStr both separated by a blank, leaving the time
// out at exactly midnight.
std::string DateToStr(TDateTime value);
std::string TimeToStr(TDateTime value);
std::string DateTimeToStr(TDateTime value);
