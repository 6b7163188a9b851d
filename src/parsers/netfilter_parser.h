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
// at the terminating NUL, sets count to 1 and returns kAccepted when the
// fields the protocol needs were all seen, otherwise kWrongFormat after
// the "netfilter parse error" diagnostics. It never returns kNotPacketLog. The
// start condition carries over from one line to the next; nothing is allocated
// per line.
class NetfilterParser final : public ScannedDialect {
 public:
  explicit NetfilterParser(const ParserEnvironment& env)
      : ScannedDialect(env, "netfilter") {}

  NetfilterCondition condition() const { return condition_; }

 private:
  static constexpr TokenReportStyle kReportStyle = TokenReportStyle::kLine;
  static constexpr bool kNewlineEndsScan = true;

  void Prepare() override;
  void Scan(const unsigned char* line) override;
  LineResult Result() override;

  // The end of the log prefix token that starts at `blank` (the blank, the
  // prefix, "IN=" and an interface name), or null when there is none.
  const unsigned char* LogPrefixEnd(const unsigned char* blank);

  // The log prefix token: a blank, the prefix, "IN=" and an interface name.
  // Returns where scanning resumes.
  const unsigned char* ReadLogPrefix(const unsigned char* begin,
                                     const unsigned char* end);

  void ReadProtocol(const char* word);

  // The catch-all hooks: the log prefix after a blank, the hexadecimal
  // "ID:" after the word "ID", the bracketed packet after a "[".
  const unsigned char* AfterBlanks(const unsigned char* begin,
                                   const unsigned char* end);
  const unsigned char* AfterUnknownWord(const unsigned char* begin,
                                        const unsigned char* end);
  const unsigned char* AfterUnknownCharacter(const unsigned char* begin,
                                             const unsigned char* end);

  NetfilterCondition condition_ = NetfilterCondition::INITIAL;
  // The run of prefix characters LogPrefixEnd scanned last in this line, and
  // the last "IN=" in it (null: none).
  const unsigned char* prefix_run_end_ = nullptr;
  const unsigned char* prefix_in_ = nullptr;
};

}  // namespace tnwk

#endif  // TNWK_PARSERS_NETFILTER_PARSER_H_
