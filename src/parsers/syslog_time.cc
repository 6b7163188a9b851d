#include "parsers/syslog_time.h"

#include <ctime>

namespace tnwk {

namespace {
constexpr std::string_view kMonths[] = {"Jan", "Feb", "Mar", "Apr",
                                        "May", "Jun", "Jul", "Aug",
                                        "Sep", "Oct", "Nov", "Dec"};

std::tm Breakdown(int year, int month, int day, int hour, int minute,
                  int second) {
  std::tm tm{};
  tm.tm_year = year;
  tm.tm_mon = month;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = -1;  // let the time zone rules decide
  return tm;
}
}  // namespace

int MonthNumber(std::string_view month_text) {
  std::string_view head = month_text.substr(0, 3);
  for (int i = 0; i < 12; ++i) {
    if (head == kMonths[i]) return i;
  }
  return 0;
}

int64_t CalendarTime(const Clock& clock, int year, int month, int day, int hour,
                     int minute, int second) {
  std::tm tm = Breakdown(year - 1900, month - 1, day, hour, minute, second);
  return clock.MakeTime(&tm);
}

SyslogNow BreakDownNow(const Clock& clock, int64_t now) {
  SyslogNow result;
  clock.LocalTime(now, &result.tm);
  std::tm copy = result.tm;
  result.time = clock.MakeTime(&copy);
  return result;
}

int64_t SyslogTime(const Clock& clock, int month, int day, int hour, int minute,
                   int second) {
  return SyslogTime(clock, BreakDownNow(clock, clock.Now()), month, day, hour,
                    minute, second);
}

int64_t SyslogTime(const Clock& clock, const SyslogNow& now, int month, int day,
                   int hour, int minute, int second) {
  std::tm logged = Breakdown(now.tm.tm_year, month, day, hour, minute, second);
  int64_t t = clock.MakeTime(&logged);
  if (t > now.time) {
    // Rebuild from the logged fields rather than from the breakdown mktime
    // just normalised: that one carries this year's daylight-saving flag and
    // has already turned "Feb 29" of a common year into "Mar 1".
    std::tm previous =
        Breakdown(now.tm.tm_year - 1, month, day, hour, minute, second);
    t = clock.MakeTime(&previous);
  }
  return t;
}

namespace {

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - (a % b < 0 ? 1 : 0); }

// Days from 1970-01-01 to the proleptic Gregorian date, for any month
// number: months beyond 1 to 12 carry into the year first.
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
  year += FloorDiv(month - 1, 12);
  month -= 12 * FloorDiv(month - 1, 12);
  // Count from March, so that the leap day ends the counted year.
  if (month <= 2) --year;
  const int64_t era = FloorDiv(year, 400);
  const int64_t year_of_era = year - era * 400;
  const int64_t day_of_year =
      (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t day_of_era =
      year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

}  // namespace

int64_t ZonedCalendarTime(int year, int month, int day, int hour, int minute,
                          int second, int offset_seconds) {
  return DaysFromCivil(year, month, day) * 86400 + int64_t{hour} * 3600 +
         int64_t{minute} * 60 + second - offset_seconds;
}

}  // namespace tnwk
