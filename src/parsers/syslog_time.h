#ifndef TNWK_PARSERS_SYSLOG_TIME_H_
#define TNWK_PARSERS_SYSLOG_TIME_H_

#include <cstdint>
#include <ctime>
#include <string_view>

#include "base/clock.h"

namespace tnwk {

// Month number (0 for "Jan" to 11 for "Dec") of the first three characters
// of `month_text`, compared case-sensitively; any other text gives 0.
int MonthNumber(std::string_view month_text);

// The date builder. A syslog timestamp has no year: it is taken to be in the
// current year, unless that would put it after the present instant, in which
// case it belongs to the previous year. Out-of-range values (day 31 of a
// 30-day month, hour 99) are normalised as mktime does. `month` is a month
// number (0 to 11).
int64_t SyslogTime(const Clock& clock, int month, int day, int hour, int minute,
                   int second);

// The present instant `now` as the date builder reads it: its local calendar
// breakdown and the mktime of that breakdown. Lines come many to a second,
// so a parser keeps it while the clock shows the same second.
struct SyslogNow {
  std::tm tm{};
  int64_t time = 0;
};
SyslogNow BreakDownNow(const Clock& clock, int64_t now);
// SyslogTime against a present broken down by BreakDownNow.
int64_t SyslogTime(const Clock& clock, const SyslogNow& now, int month, int day,
                   int hour, int minute, int second);

// Local calendar time with a year (the year as written, month 1 to 12; out
// of range fields are normalised as mktime does) to seconds.
int64_t CalendarTime(const Clock& clock, int year, int month, int day, int hour,
                     int minute, int second);

// Calendar time written at a fixed offset east of UTC (`offset_seconds`,
// +3600 for "+01:00"; 0 for "Z") to the instant it names, in seconds since
// the epoch. The year as written, month 1 to 12; out of range fields carry
// over into the next larger one, as mktime would. Needs no time zone.
int64_t ZonedCalendarTime(int year, int month, int day, int hour, int minute,
                          int second, int offset_seconds);

}  // namespace tnwk

#endif  // TNWK_PARSERS_SYSLOG_TIME_H_
