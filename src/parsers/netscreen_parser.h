#ifndef TNWK_PARSERS_NETSCREEN_PARSER_H_
#define TNWK_PARSERS_NETSCREEN_PARSER_H_

#include <cstdint>

#include "parsers/dialect_parser.h"

namespace tnwk {

// parse_status bits of the NetScreen dialect (kStatusHeader is 0x01).
inline constexpr uint32_t kNetscreenSrc = 0x02;
inline constexpr uint32_t kNetscreenDst = 0x04;
inline constexpr uint32_t kNetscreenSport = 0x08;  // or an ICMP type
inline constexpr uint32_t kNetscreenDport = 0x10;  // or an ICMP type
inline constexpr uint32_t kNetscreenAction = 0x20;
inline constexpr uint32_t kNetscreenProto = 0x40;
inline constexpr uint32_t kNetscreenNotice = 0x80;  // administrative notice

// Parser of the key=value traffic lines that NetScreen firewalls send through
// syslog. ParseEntry scans the whole line in place, sets interface to "-" and
// count to 1, and returns kNotPacketLog when the line carries an
// administrative notice, kAccepted (with tcp_flags 0x80, flags not logged)
// when the header, both addresses, both ports or an ICMP type, the action
// and the protocol were all seen, and otherwise kWrongFormat after the
// "netscreen parse error" diagnostics. An ICMP type goes into sport and
// icmp_type, with dport and icmp_code 0. The scanner has no start conditions
// and allocates nothing per line.
class NetscreenParser final : public DialectParser {
 public:
  explicit NetscreenParser(const ParserEnvironment& env) : DialectParser(env) {}

  LineResult ParseEntry(const char* line, uint64_t line_no) override;

 private:
  // Runs the token rules over `line` up to its terminating NUL.
  void Scan(const unsigned char* line);
};

}  // namespace tnwk

#endif  // TNWK_PARSERS_NETSCREEN_PARSER_H_
