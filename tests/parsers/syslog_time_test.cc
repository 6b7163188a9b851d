#include "parsers/syslog_time.h"

#include <gtest/gtest.h>

#include <ctime>
#include <random>

#include "base/clock.h"
#include "test_support.h"

namespace tnwk {
namespace {

using testing::LocalSeconds;
using testing::ScopedTimeZone;

// The time the date builder gives for a timestamp read at `now`.
int64_t LoggedAt(int64_t now, const char* month, int day, int hour, int minute,
                 int second) {
  FixedClock clock(now);
  return SyslogTime(clock, MonthNumber(month), day, hour, minute, second);
}

TEST(SyslogTime, TimestampEarlierThisYearStaysInThisYear) {
  ScopedTimeZone tz("UTC");
  int64_t now = LocalSeconds(2026, 12, 8, 12, 0, 0);
  EXPECT_EQ(LoggedAt(now, "Mar", 3, 4, 5, 6),
            LocalSeconds(2026, 3, 3, 4, 5, 6));
}

TEST(SyslogTime, TimestampEqualToNowStaysInThisYear) {
  ScopedTimeZone tz("UTC");
  int64_t now = LocalSeconds(2026, 12, 8, 12, 0, 0);
  EXPECT_EQ(LoggedAt(now, "Dec", 8, 12, 0, 0), now);
}

TEST(SyslogTime, TimestampOneSecondInTheFutureGoesToLastYear) {
  ScopedTimeZone tz("UTC");
  int64_t now = LocalSeconds(2026, 12, 8, 12, 0, 0);
  EXPECT_EQ(LoggedAt(now, "Dec", 8, 12, 0, 1),
            LocalSeconds(2025, 12, 8, 12, 0, 1));
}

TEST(SyslogTime, NewYearsEveReadOnNewYearsDayIsLastYear) {
  ScopedTimeZone tz("UTC");
  int64_t now = LocalSeconds(2027, 1, 1, 0, 0, 5);
  EXPECT_EQ(LoggedAt(now, "Dec", 31, 23, 59, 59),
            LocalSeconds(2026, 12, 31, 23, 59, 59));
}

TEST(SyslogTime, PreviousYearKeepsItsOwnDaylightSavingOffset) {
  // 2026-03-10 is standard time in New York, but 11 March 2025 was already
  // daylight-saving time: the year must be rebuilt, not shifted.
  ScopedTimeZone tz("America/New_York");
  int64_t now = LocalSeconds(2026, 3, 10, 12, 0, 0);
  EXPECT_EQ(LoggedAt(now, "Mar", 11, 12, 0, 0),
            LocalSeconds(2025, 3, 11, 12, 0, 0));
}

TEST(SyslogTime, LeapDayOfLastYearIsNotShiftedToMarch) {
  ScopedTimeZone tz("UTC");
  int64_t now = LocalSeconds(2029, 1, 15, 0, 0, 0);
  EXPECT_EQ(LoggedAt(now, "Feb", 29, 10, 0, 0),
            LocalSeconds(2028, 2, 29, 10, 0, 0));
}

TEST(SyslogTime, OutOfRangeFieldsAreNormalised) {
  ScopedTimeZone tz("UTC");
  int64_t now = LocalSeconds(2026, 12, 8, 12, 0, 0);
  EXPECT_EQ(LoggedAt(now, "Apr", 31, 0, 0, 0),
            LocalSeconds(2026, 5, 1, 0, 0, 0));
  EXPECT_EQ(LoggedAt(now, "Jan", 1, 99, 0, 0),
            LocalSeconds(2026, 1, 5, 3, 0, 0));
}

TEST(SyslogTime, UnknownMonthIsJanuary) {
  ScopedTimeZone tz("UTC");
  int64_t now = LocalSeconds(2026, 12, 8, 12, 0, 0);
  EXPECT_EQ(LoggedAt(now, "jan", 2, 0, 0, 0),
            LocalSeconds(2026, 1, 2, 0, 0, 0));
  EXPECT_EQ(MonthNumber("December"), 11);
  EXPECT_EQ(MonthNumber("Foo"), 0);
}

TEST(ZonedCalendarTime, AgreesWithTheCLibraryInUtc) {
  std::mt19937 random(7);
  for (int i = 0; i < 20000; ++i) {
    std::tm tm{};
    tm.tm_year = static_cast<int>(random() % 300) + 1800 - 1900;
    tm.tm_mon = static_cast<int>(random() % 14);  // 12 and 13 carry over
    tm.tm_mday = static_cast<int>(random() % 32);
    tm.tm_hour = static_cast<int>(random() % 25);
    tm.tm_min = static_cast<int>(random() % 60);
    tm.tm_sec = static_cast<int>(random() % 61);
    const int offset = static_cast<int>(random() % 100800) - 50400;
    const int64_t zoned =
        ZonedCalendarTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                          tm.tm_hour, tm.tm_min, tm.tm_sec, offset);
    ASSERT_EQ(zoned, static_cast<int64_t>(timegm(&tm)) - offset) << i;
  }
}

TEST(ZonedCalendarTime, OffsetNamesTheInstant) {
  // 2024-03-10T12:00:00+01:00 is 11:00 UTC.
  EXPECT_EQ(ZonedCalendarTime(2024, 3, 10, 12, 0, 0, 3600), 1710068400);
  EXPECT_EQ(ZonedCalendarTime(1970, 1, 1, 0, 0, 0, 0), 0);
  EXPECT_EQ(ZonedCalendarTime(2024, 2, 29, 23, 59, 60, 0), 1709251200);
}

}  // namespace
}  // namespace tnwk
