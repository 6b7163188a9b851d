#include "parsers/dialect_parser.h"

#include <cstdio>

#include "parsers/syslog_time.h"

namespace tnwk {

bool DialectParser::ReadSyslogHeader(const char* token) {
  char month[4];
  int day, hour, minute, second;
  char host[33];
  // Every numeric conversion has a width of two, so no digit run can
  // overflow; the host is bounded to the 32 characters local_hostname holds.
  if (std::sscanf(token, "%3s %2d %2d:%2d:%2d %32s", month, &day, &hour,
                  &minute, &second, host) != 6) {
    return false;
  }
  set_syslog_time(entry(), clock(), month, day, hour, minute, second);
  entry().local_hostname.Set(host);
  parse_status_ |= kStatusHeader;
  return true;
}

void DialectParser::ReportParseError(const char* dialect, const char* line,
                                     uint64_t line_no) const {
  diag().Log(5, "%s parse error in line %lu, ignoring.\n", dialect,
             static_cast<unsigned long>(line_no));
  diag().Log(6, "input was: \"%s\"\n", line);
}

}  // namespace tnwk
