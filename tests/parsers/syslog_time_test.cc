#include "parsers/syslog_time.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tnwk
