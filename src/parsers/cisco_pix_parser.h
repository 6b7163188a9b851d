#ifndef TNWK_PARSERS_CISCO_PIX_PARSER_H_
#define TNWK_PARSERS_CISCO_PIX_PARSER_H_

#include <cstdint>

#include "parsers/dialect_parser.h"

namespace tnwk {

// parse_status bits of the PIX/FWSM dialect (kStatusHeader is 0x01).
inline constexpr uint32_t kCiscoPixSource = 0x02;
inline constexpr uint32_t kCiscoPixDestination = 0x04;
inline constexpr uint32_t kCiscoPixBookkeeping = 0x08;

// Parser of the deny messages that PIX firewalls and FWSM modules send
// through syslog ("%PIX-4-106023: Deny tcp src outside:10.1.1.1/1234 dst
// inside:10.2.2.2/80 ..."). Each supported message is known by its wording,
// which also gives the protocol; oob_prefix is always "Deny" and interface
// "-" unless the line names one "on interface". ParseEntry scans the whole
// line in place (newlines included) and sets count to 1. It returns
// kNotPacketLog for connection bookkeeping messages (built, teardown,
// translation and statistics lines), kAccepted when a header, a source and
// a destination were read and nothing else was, and otherwise kWrongFormat
// after the "cisco_pix parse error" diagnostics. For ICMP messages that give
// a type and code, these go into sport and dport, and also into icmp_type and
// icmp_code when they fit a byte. Nothing is allocated per line.
class CiscoPixParser final : public DialectParser {
 public:
  explicit CiscoPixParser(const ParserEnvironment& env) : DialectParser(env) {}

  LineResult ParseEntry(const char* line, uint64_t line_no) override;

 private:
  // Runs the token rules over `line` up to its terminating NUL.
  void Scan(const unsigned char* line);

  // The actions of the source tokens (which also give the protocol) and of
  // the destination tokens, on the token [begin, end).
  void ReadSource(uint8_t protocol, const unsigned char* begin,
                  const unsigned char* end);
  void ReadDestination(const unsigned char* begin, const unsigned char* end);
  // A message wording at `begin` that ends past `end`, the end of what the
  // main rules matched there: applies its action and returns its end, or
  // returns null when there is none.
  const unsigned char* ReadMessage(const unsigned char* begin,
                                   const unsigned char* end);
};

}  // namespace tnwk

#endif  // TNWK_PARSERS_CISCO_PIX_PARSER_H_
