#include <gtest/gtest.h>

#include "classlib/datetime.h"
#include "classlib/exceptions.h"
#include "classlib/filetime.h"

namespace {

// Central European time: UTC+1, UTC+2 from the last Sunday of March 02:00
// to the last Sunday of October 03:00.
TIME_ZONE_INFORMATION CentralEurope() {
  TIME_ZONE_INFORMATION zone{};
  zone.Bias = -60;
  zone.StandardBias = 0;
  zone.DaylightBias = -60;
  zone.StandardDate.wMonth = 10;
  zone.StandardDate.wDay = 5;  // the last such weekday of the month
  zone.StandardDate.wDayOfWeek = 0;
  zone.StandardDate.wHour = 3;
  zone.DaylightDate.wMonth = 3;
  zone.DaylightDate.wDay = 5;
  zone.DaylightDate.wDayOfWeek = 0;
  zone.DaylightDate.wHour = 2;
  return zone;
}

TDateTime At(int year, int month, int day, int hour, int minute = 0) {
  return EncodeDate(year, month, day) + EncodeTime(hour, minute, 0, 0);
}

// Compared as milliseconds, so a rounding error in the last bit of a double
// does not fail a test about hours.
int64_t Ms(TDateTime value) {
  int64_t days;
  int32_t ms;
  SplitDateTime(value, days, ms);
  return days * 86400000 + ms;
}

}  // namespace

TEST(FileTime, KnownMomentsAndRoundTrips) {
  EXPECT_EQ(Ms(FileTimeToDateTime(UInt64ToFileTime(0))), Ms(EncodeDate(1601, 1, 1)));
  EXPECT_EQ(FileTimeToUInt64(DateTimeToFileTime(EncodeDate(1970, 1, 1))), 116444736000000000ull);
  TDateTime t = At(2023, 11, 5, 17, 42) + EncodeTime(0, 0, 9, 123);
  EXPECT_EQ(Ms(FileTimeToDateTime(DateTimeToFileTime(t))), Ms(t));
  // Before 1601 there is no file time; far beyond 9999 no date-time.
  EXPECT_EQ(FileTimeToUInt64(DateTimeToFileTime(EncodeDate(1500, 1, 1))), 0u);
  EXPECT_EQ(FileTimeToDateTime(UInt64ToFileTime(~0ull)), MaxDateTime);
  EXPECT_EQ(UtcFileTimeToLocalDateTime(UInt64ToFileTime(~0ull)), MaxDateTime);
}

TEST(FileTime, SystemTimeFieldsCarryOver) {
  SYSTEMTIME st = DateTimeToSystemTime(At(2024, 2, 29, 23, 59) + EncodeTime(0, 0, 58, 7));
  EXPECT_EQ(st.wYear, 2024);
  EXPECT_EQ(st.wMonth, 2);
  EXPECT_EQ(st.wDay, 29);
  EXPECT_EQ(st.wDayOfWeek, 4);  // a Thursday
  EXPECT_EQ(st.wSecond, 58);
  EXPECT_EQ(st.wMilliseconds, 7);
  EXPECT_EQ(Ms(SystemTimeToDateTime(st)), Ms(At(2024, 2, 29, 23, 59) + EncodeTime(0, 0, 58, 7)));
  st.wMonth = 13;
  EXPECT_THROW(SystemTimeToDateTime(st), EConvertError);
}

TEST(FileTime, LocalTimeUsesTheDaylightRuleOfItsOwnDate) {
  TIME_ZONE_INFORMATION zone = CentralEurope();
  // The same wall-clock hour lies 2 hours ahead of UTC in July, 1 in January,
  // whatever the season the conversion runs in.
  FILETIME summer = LocalDateTimeToUtcFileTime(At(2021, 7, 1, 12), &zone);
  FILETIME winter = LocalDateTimeToUtcFileTime(At(2021, 1, 15, 12), &zone);
  EXPECT_EQ(Ms(FileTimeToDateTime(summer)), Ms(At(2021, 7, 1, 10)));
  EXPECT_EQ(Ms(FileTimeToDateTime(winter)), Ms(At(2021, 1, 15, 11)));
  EXPECT_EQ(Ms(UtcFileTimeToLocalDateTime(summer, &zone)), Ms(At(2021, 7, 1, 12)));
  EXPECT_EQ(Ms(UtcFileTimeToLocalDateTime(winter, &zone)), Ms(At(2021, 1, 15, 12)));
  // Either side of the spring change (2021-03-28 01:00 UTC).
  EXPECT_EQ(Ms(UtcFileTimeToLocalDateTime(DateTimeToFileTime(At(2021, 3, 28, 0, 59)), &zone)),
            Ms(At(2021, 3, 28, 1, 59)));
  EXPECT_EQ(Ms(UtcFileTimeToLocalDateTime(DateTimeToFileTime(At(2021, 3, 28, 1, 1)), &zone)),
            Ms(At(2021, 3, 28, 3, 1)));
}

TEST(FileTime, DosTimeOfAFileFollowsItsOwnDate) {
  TIME_ZONE_INFORMATION zone = CentralEurope();
  FILETIME july = DateTimeToFileTime(At(2021, 7, 1, 10));
  FILETIME january = DateTimeToFileTime(At(2021, 1, 15, 10));
  EXPECT_EQ(UtcFileTimeToFileDate(july, &zone), EncodeFileDate(2021, 7, 1, 12, 0, 0));
  EXPECT_EQ(UtcFileTimeToFileDate(january, &zone), EncodeFileDate(2021, 1, 15, 11, 0, 0));
  EXPECT_EQ(FileTimeToUInt64(FileDateToUtcFileTime(EncodeFileDate(2021, 7, 1, 12, 0, 0), &zone)),
            FileTimeToUInt64(july));
  // A file time before 1980 still gives a valid DOS time.
  EXPECT_EQ(UtcFileTimeToFileDate(DateTimeToFileTime(EncodeDate(1700, 1, 1)), &zone),
            EncodeFileDate(1980, 1, 1, 0, 0, 0));
}

// The system's own zone (the tests run in Central European time, see
// tests/CMakeLists.txt): a summer and a winter date each convert by the rule
// of their own season, whatever the season of the run.
TEST(FileTime, SystemZoneConvertsEachDateByTheRuleOfItsOwnSeason) {
  TIME_ZONE_INFORMATION zone{};
  GetTimeZoneInformation(&zone);
  if (zone.Bias != -60 || zone.DaylightDate.wMonth != 3)
    GTEST_SKIP() << "needs the tests' zone, Central European time (TZ=CET-1CEST,M3.5.0,M10.5.0/3)";
  EXPECT_EQ(Ms(FileTimeToDateTime(LocalDateTimeToUtcFileTime(At(2021, 7, 1, 12)))), Ms(At(2021, 7, 1, 10)));
  EXPECT_EQ(Ms(FileTimeToDateTime(LocalDateTimeToUtcFileTime(At(2021, 1, 15, 12)))), Ms(At(2021, 1, 15, 11)));
  EXPECT_EQ(Ms(UtcFileTimeToLocalDateTime(DateTimeToFileTime(At(2021, 7, 1, 10)))), Ms(At(2021, 7, 1, 12)));
  EXPECT_EQ(Ms(UtcFileTimeToLocalDateTime(DateTimeToFileTime(At(2021, 3, 28, 1, 1)))), Ms(At(2021, 3, 28, 3, 1)));
  EXPECT_EQ(UtcFileTimeToFileDate(DateTimeToFileTime(At(2021, 7, 1, 10))), EncodeFileDate(2021, 7, 1, 12, 0, 0));
  EXPECT_EQ(UtcFileTimeToFileDate(DateTimeToFileTime(At(2021, 1, 15, 10))), EncodeFileDate(2021, 1, 15, 11, 0, 0));
}
