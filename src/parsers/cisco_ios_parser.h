#ifndef TNWK_PARSERS_CISCO_IOS_PARSER_H_
#define TNWK_PARSERS_CISCO_IOS_PARSER_H_

#include <cstdint>

#include "parsers/dialect_parser.h"

namespace tnwk {

// parse_status bits of the Cisco IOS dialect (kStatusHeader is 0x01, set by
// the syslog timestamp and by the router's own timestamp).
inline constexpr uint32_t kCiscoIosSource = 0x02;
inline constexpr uint32_t kCiscoIosDestination = 0x04;
inline constexpr uint32_t kCiscoIosProtocol = 0x08;
inline constexpr uint32_t kCiscoIosCount = 0x10;

// Parser of the access-list logging messages of Cisco IOS routers, as they
// arrive through syslog:
//   Mar  1 10:11:12 router 123: *Mar  1 10:11:12.123: %SEC-6-IPACCESSLOGP:
//   list 101 denied tcp 10.1.1.1(1234) (Ethernet0 0000.0c12.3456) ->
//   10.2.2.2(80), 1 packet
// ParseEntry scans the whole line in place (a newline does not end it) and
// returns kAccepted when it saw a timestamp, the source address and a known
// protocol of the access-list token, the destination address and the packet
// count. The entry's count is the message's packet count, its tcp_flags say
// "not logged"; the type and code of an ICMP message go into sport and dport
// as well as icmp_type and icmp_code. Otherwise it returns kWrongFormat after
// the "cisco_ios parse error" diagnostics; never kNotPacketLog. Nothing is
// allocated per line.
class CiscoIosParser final : public DialectParser {
 public:
  explicit CiscoIosParser(const ParserEnvironment& env) : DialectParser(env) {}

  LineResult ParseEntry(const char* line, uint64_t line_no) override;

 private:
  // How a destination token ends: "(port),", " (type/code)," or ",".
  enum class DestinationForm { kPort, kIcmp, kBare };

  void Scan(const unsigned char* line);

  // A syslog header ("Mmm dd hh:mm:ss host", the host possibly empty) or,
  // without `with_host`, the router's timestamp that follows it.
  void ReadTimestamp(const unsigned char* begin, const unsigned char* end,
                     bool with_host);
  // "list NAME ACTION PROTOCOL a.b.c.d", with "(port)" when `with_port`.
  void ReadAccessList(const unsigned char* begin, bool with_port);
  // "-> a.b.c.d" and the rest of `form`.
  void ReadDestination(const unsigned char* begin, DestinationForm form);
};

}  // namespace tnwk

#endif  // TNWK_PARSERS_CISCO_IOS_PARSER_H_
