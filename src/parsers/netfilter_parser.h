#ifndef TNWK_PARSERS_NETFILTER_PARSER_H_
#define TNWK_PARSERS_NETFILTER_PARSER_H_

#include <cstddef>
#include <cstdint>

#include "parsers/dialect_parser.h"

namespace tnwk {

// Start conditions of the netfilter scanner. Every rule without a condition
// of its own is active in all of them.
//   INITIAL     only at the start of the run.
//   AFTER_TAG   after a kernel tag: a log prefix followed by "IN=" is read.
//   IP_HEADER   after "IN=": LEN= and ID= are the IP header's fields.
//   TRANSPORT   after "PROTO=": LEN= and ID= are transport fields.
//   ICMP_INNER  after "CODE=": a bracketed copy of the offending packet of an
//               ICMP error is skipped as one token.
// The names are the ones the scanner rules use.
enum class NetfilterCondition {
  INITIAL,
  AFTER_TAG,
  IP_HEADER,
  TRANSPORT,
  ICMP_INNER
};

// parse_status bits of the netfilter dialect (kStatusHeader is 0x01).
inline constexpr uint32_t kNetfilterIn = 0x02;
inline constexpr uint32_t kNetfilterSrc = 0x04;
inline constexpr uint32_t kNetfilterDst = 0x08;
inline constexpr uint32_t kNetfilterProto = 0x10;
inline constexpr uint32_t kNetfilterSpt = 0x20;
inline constexpr uint32_t kNetfilterDpt = 0x40;
inline constexpr uint32_t kNetfilterType = 0x80;

// Parser of the packet lines that the Linux netfilter LOG target writes
// through the kernel log into syslog: a syslog header (or an ISO or
// year-first timestamp), an optional kernel tag and log prefix, then KEY=value
// fields. ParseEntry scans the line in place, stops at the first newline or
// at the terminating NUL, sets count to 1 and returns kLineAccepted when the
// fields the protocol needs were all seen, otherwise kLineWrongFormat after
// the "netfilter parse error" diagnostics. It never returns
// kLineNotPacketLog. The start condition carries over from one line to the
// next; nothing is allocated per line.
class NetfilterParser final : public DialectParser {
 public:
  explicit NetfilterParser(const ParserEnvironment& env) : DialectParser(env) {}

  int ParseEntry(const char* line, uint64_t line_no) override;

  NetfilterCondition condition() const { return condition_; }

 private:
  // A line holds at most 1023 characters, so any token fits.
  static constexpr size_t kTokenSize = 1024;

  // Runs the token rules over `line` until a newline or the NUL.
  void Scan(const unsigned char* line);

  // The token [begin, end) as a terminated string in token_.
  const char* TokenText(const unsigned char* begin, const unsigned char* end);

  // Header actions. ReadSyslogDate takes "Mmm dd hh:mm:ss" and, with
  // `with_host`, " host" (otherwise local_hostname is "-");
  // ReadCalendarTime the year-first forms "2014:01:02-10:11:12 host" and
  // "2014-01-02T10:11:12.123+01:00 host".
  void ReadSyslogDate(const unsigned char* begin, const unsigned char* end,
                      bool with_host);
  void ReadCalendarTime(const unsigned char* begin, const unsigned char* end);

  // The log prefix token: a blank, the prefix, "IN=" and an interface name.
  // Returns where scanning resumes.
  const unsigned char* ReadLogPrefix(const unsigned char* begin,
                                     const unsigned char* end);

  void ReadProtocol(const char* word);
  void ReportUnrecognized(const char* what, const unsigned char* begin,
                          const unsigned char* end);

  // The last timestamp and the time it gave. Lines come in bursts that share
  // a timestamp, and the date builder's mktime calls cost more than scanning
  // the whole line. The result depends only on the fields and, for a syslog
  // date without a year, on the present second.
  struct DateKey {
    int64_t now;
    int year;  // -1: no year, the date builder infers it from now
    int month, day, hour, minute, second;
    bool operator==(const DateKey&) const = default;
  };

  NetfilterCondition condition_ = NetfilterCondition::INITIAL;
  bool date_cached_ = false;
  DateKey date_key_{};
  int64_t date_time_ = 0;
  uint64_t line_no_ = 0;
  char token_[kTokenSize];
};

}  // namespace tnwk

#endif  // TNWK_PARSERS_NETFILTER_PARSER_H_
