#ifndef TNWK_PARSERS_SYSLOG_TIME_H_
#define TNWK_PARSERS_SYSLOG_TIME_H_

#include <cstdint>
#include <string_view>

#include "entries/clock.h"
#include "entries/log_entry.h"

namespace tnwk {

// Month number (0 for "Jan" to 11 for "Dec") of the first three characters
// of `month_text`, compared case-sensitively; any other text gives 0.
int MonthNumber(std::string_view month_text);

// The date builder. A syslog timestamp has no year: it is taken to be in the
// current year, unless that would put it after the present instant, in which
// case it belongs to the previous year. Out-of-range values (day 31 of a
// 30-day month, hour 99) are normalised as mktime does. Sets and returns
// `entry.local_time`.
int64_t set_syslog_time(LogEntry& entry, const Clock& clock,
                        std::string_view month_text, int day, int hour,
                        int minute, int second);

}  // namespace tnwk

#endif  // TNWK_PARSERS_SYSLOG_TIME_H_
