#ifndef TNWK_PARSERS_SYSLOG_HEADER_H_
#define TNWK_PARSERS_SYSLOG_HEADER_H_

#include <cstddef>

namespace tnwk {

// Length of the syslog header ("Mmm dd hh:mm:ss host", the host possibly
// empty) at the start of the terminated text `line`, or 0 when the line does
// not start with one. The match is the longest, as in the dialect scanners.
size_t MatchSyslogHeader(const char* line);

}  // namespace tnwk

#endif  // TNWK_PARSERS_SYSLOG_HEADER_H_
