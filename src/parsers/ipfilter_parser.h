#ifndef TNWK_PARSERS_IPFILTER_PARSER_H_
#define TNWK_PARSERS_IPFILTER_PARSER_H_

#include <cstdint>

#include "parsers/dialect_parser.h"
#include "parsers/system_numbers.h"

namespace tnwk {

// parse_status bits of the ipfilter dialect (kStatusHeader is 0x001).
inline constexpr uint32_t kIpfilterRule = 0x002;      // interface and rule
inline constexpr uint32_t kIpfilterProtocol = 0x004;  // nonzero PR word
inline constexpr uint32_t kIpfilterSrc = 0x008;
inline constexpr uint32_t kIpfilterDst = 0x010;
inline constexpr uint32_t kIpfilterSrcPort = 0x020;
inline constexpr uint32_t kIpfilterDstPort = 0x040;
inline constexpr uint32_t kIpfilterIcmpType = 0x080;
inline constexpr uint32_t kIpfilterNotPacket = 0x100;  // a daemon message

// Parser of the packet lines that the ipfilter log daemon writes through
// syslog: the header, the daemon's own time stamp, an optional repeat count
// ("3x"), interface, "@group:rule" and action letter, source and destination
// (address, "name[address]", each with an optional ",port" or ",service"),
// "PR" protocol, "len", fragment, ICMP type and code (numbers or names),
// TCP flags and the direction word.
//
// ParseEntry scans the whole line in place (newlines included), sets count
// from the repeat count (1 without one), turns logged service names into
// ports, and returns kNotPacketLog for the daemon's other messages (hex
// dumps, ioctl errors, unknown protocols), kAccepted when the fields the
// protocol needs were all seen, otherwise kWrongFormat after the "ipfilter
// parse error" diagnostics. Unrecognized tokens are reported from verbosity
// 4. The scanner has no start conditions; nothing is allocated per line.
class IpfilterParser final : public DialectParser {
 public:
  explicit IpfilterParser(const ParserEnvironment& env) : DialectParser(env) {}

  LineResult ParseEntry(const char* line, uint64_t line_no) override;

 private:
  void Scan(const unsigned char* line);

  // "[<count>x ]<interface> @<group>:<rule> <letter>".
  void ReadRule(const unsigned char* begin, const unsigned char* end,
                bool with_count);
  // One endpoint in any of its forms; `source` tells which.
  void ReadEndpoint(bool source, const unsigned char* begin,
                    const unsigned char* end);
  // The word after "PR ".
  void ReadProtocol(const char* word);
  // A logged service name, once the protocol is known.
  void ResolveService(uint32_t port_bit);

  SystemNumbers numbers_;
};

}  // namespace tnwk

#endif  // TNWK_PARSERS_IPFILTER_PARSER_H_
