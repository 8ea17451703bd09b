#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "classlib/datetime.h"
#include "classlib/exceptions.h"

namespace {

struct Fields {
  int year, month, day, hour, minute, second, ms;
  bool operator==(const Fields&) const = default;
};

Fields Decode(TDateTime value) {
  Fields f{};
  DecodeDateTime(value, f.year, f.month, f.day, f.hour, f.minute, f.second, f.ms);
  return f;
}

std::ostream& operator<<(std::ostream& os, const Fields& f) {
  return os << f.year << "-" << f.month << "-" << f.day << " " << f.hour << ":" << f.minute << ":" << f.second
            << "." << f.ms;
}

}  // namespace

TEST(DateTime, KnownDaysAndRoundTrips) {
  struct Case {
    int year, month, day;
    double value;
  } cases[] = {
      {1899, 12, 30, 0},      {1899, 12, 31, 1},     {1900, 1, 1, 2},          {1899, 12, 29, -1},
      {2000, 2, 29, 36585},   {1970, 1, 1, 25569},   {1980, 1, 1, 29221},      {1, 1, 1, -693593},
      {9999, 12, 31, 2958465}, {1601, 1, 1, -109205},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EncodeDate(c.year, c.month, c.day), c.value) << c.year << "-" << c.month << "-" << c.day;
    int y, m, d;
    DecodeDate(c.value, y, m, d);
    EXPECT_EQ((Fields{y, m, d, 0, 0, 0, 0}), (Fields{c.year, c.month, c.day, 0, 0, 0, 0}));
  }
}

TEST(DateTime, InvalidFieldsRaise) {
  EXPECT_THROW(EncodeDate(2001, 2, 29), EConvertError);
  EXPECT_THROW(EncodeDate(1900, 2, 29), EConvertError);  // not a leap year
  EXPECT_NO_THROW(EncodeDate(2000, 2, 29));
  EXPECT_THROW(EncodeDate(2001, 13, 1), EConvertError);
  EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 0, 60, 0), EConvertError);
  TDateTime unused;
  EXPECT_FALSE(TryEncodeTime(0, 0, 0, 1000, unused));
}

TEST(DateTime, TimeBeforeDayZeroCountsForwardsIntoItsDay) {
  EXPECT_EQ(Decode(-1.25), (Fields{1899, 12, 29, 6, 0, 0, 0}));
  EXPECT_EQ(Decode(-0.5), (Fields{1899, 12, 30, 12, 0, 0, 0}));
  EXPECT_EQ(Decode(EncodeDate(2021, 7, 1) + EncodeTime(13, 14, 15, 16)), (Fields{2021, 7, 1, 13, 14, 15, 16}));
}

TEST(DateTime, RoundingUpToMidnightMovesToTheNextCalendarDay) {
  double almost = 0.9999999999;  // 23:59:59.99999...
  EXPECT_EQ(Decode(EncodeDate(2020, 12, 31) + almost), (Fields{2021, 1, 1, 0, 0, 0, 0}));
  // Before day zero the next calendar day is one day number higher too.
  EXPECT_EQ(Decode(-1 - almost), (Fields{1899, 12, 30, 0, 0, 0, 0}));
}

TEST(DateTime, ValuesOutOfRangeAreClampedNotUndefined) {
  EXPECT_EQ(Decode(1e300), (Fields{9999, 12, 31, 23, 59, 59, 999}));
  EXPECT_EQ(Decode(-1e300), (Fields{1, 1, 1, 0, 0, 0, 0}));
  EXPECT_EQ(Decode(std::numeric_limits<double>::infinity()), (Fields{9999, 12, 31, 23, 59, 59, 999}));
  EXPECT_EQ(Decode(std::nan("")), (Fields{1899, 12, 30, 0, 0, 0, 0}));
  EXPECT_EQ(Decode(MaxDateTime), (Fields{9999, 12, 31, 23, 59, 59, 999}));
}

TEST(DateTime, DayOfWeekCountsFromSunday) {
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 1, 1)), 2);  // a Monday
  EXPECT_EQ(DayOfWeek(0), 7);                       // 1899-12-30, a Saturday
  EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 24)), 1);
}

TEST(DosDateTime, PacksFieldsAndDropsOddSeconds) {
  TDateTime t = EncodeDate(2020, 6, 15) + EncodeTime(13, 45, 31, 900);
  int32_t packed = DateTimeToFileDate(t);
  EXPECT_EQ(static_cast<uint32_t>(packed), (((2020u - 1980) << 9 | 6 << 5 | 15) << 16) | (13 << 11 | 45 << 5 | 15));
  EXPECT_EQ(Decode(FileDateToDateTime(packed)), (Fields{2020, 6, 15, 13, 45, 30, 0}));
}

TEST(DosDateTime, MomentsOutsideDosRangeAreClamped) {
  const uint32_t first = (0u << 9 | 1 << 5 | 1) << 16;
  const uint32_t last = ((127u << 9 | 12 << 5 | 31) << 16) | (23 << 11 | 59 << 5 | 29);
  EXPECT_EQ(static_cast<uint32_t>(DateTimeToFileDate(EncodeDate(1979, 12, 31) + 0.75)), first);
  EXPECT_EQ(static_cast<uint32_t>(DateTimeToFileDate(EncodeDate(1601, 1, 1))), first);
  EXPECT_EQ(static_cast<uint32_t>(DateTimeToFileDate(EncodeDate(2108, 1, 1))), last);
  EXPECT_EQ(static_cast<uint32_t>(DateTimeToFileDate(1e300)), last);
  EXPECT_EQ(static_cast<uint32_t>(DateTimeToFileDate(std::nan(""))), first);
  EXPECT_EQ(static_cast<uint32_t>(EncodeFileDate(1980, 1, 1, 0, 0, 0)), first);
  EXPECT_EQ(Decode(FileDateToDateTime(static_cast<int32_t>(last))), (Fields{2107, 12, 31, 23, 59, 58, 0}));
}

TEST(DosDateTime, DamagedPackedValuesGiveTheNearestValidMoment) {
  struct Case {
    uint32_t packed;
    Fields expected;
  } cases[] = {
      {0x00000000, {1980, 1, 1, 0, 0, 0, 0}},               // month and day 0
      {0xFFFFFFFF, {2107, 12, 31, 23, 59, 59, 0}},          // every field too large
      {(((21u << 9) | (2 << 5) | 30) << 16), {2001, 2, 28, 0, 0, 0, 0}},  // 30 February
      {(((24u << 9) | (2 << 5) | 30) << 16), {2004, 2, 29, 0, 0, 0, 0}},  // in a leap year
  };
  for (const Case& c : cases)
    EXPECT_EQ(Decode(FileDateToDateTime(static_cast<int32_t>(c.packed))), c.expected) << std::hex << c.packed;
}

TEST(DateTime, DateTimeTextLeavesTheTimeOutAtMidnight) {
  TDateTime midnight = EncodeDate(2020, 3, 4);
  EXPECT_EQ(DateTimeToStr(midnight), DateToStr(midnight));
  TDateTime later = midnight + EncodeTime(9, 5, 0, 0);
  EXPECT_EQ(DateTimeToStr(later), DateToStr(later) + " " + TimeToStr(later));
  EXPECT_NE(DateToStr(midnight).find("2020"), std::string::npos);
  EXPECT_NE(TimeToStr(later).find("05"), std::string::npos);
}
