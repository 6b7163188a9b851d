// The syslog header rule as a scanner of its own. Every dialect scanner is
// written this way: unsigned char code units, the line terminated by NUL and
// no refilling, so the NUL is the sentinel that no rule may match across.
#include "parsers/syslog_header.h"

namespace tnwk {

/*!include:re2c "syslog_rules.re" */

size_t MatchSyslogHeader(const char* line) {
  const unsigned char* start = reinterpret_cast<const unsigned char*>(line);
  const unsigned char* YYCURSOR = start;
  const unsigned char* YYMARKER = start;
  /*!re2c
    re2c:define:YYCTYPE = "unsigned char";
    re2c:yyfill:enable = 0;
    re2c:sentinel = 0;

    SYSLOG_HEADER { return static_cast<size_t>(YYCURSOR - start); }
    *             { return 0; }
  */
}

}  // namespace tnwk
