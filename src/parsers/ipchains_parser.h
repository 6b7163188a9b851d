#ifndef TNWK_PARSERS_IPCHAINS_PARSER_H_
#define TNWK_PARSERS_IPCHAINS_PARSER_H_

#include <cstdint>

#include "parsers/dialect_parser.h"

namespace tnwk {

// parse_status bits of the ipchains dialect (kStatusHeader is 0x01):
// the chain, target, interface and protocol, and both addresses.
inline constexpr uint32_t kIpchainsRule = 0x02;
inline constexpr uint32_t kIpchainsAddresses = 0x04;

// Parser of the packet lines that the Linux ipchains firewall logs through
// the kernel log ("kernel: Packet log: input DENY eth0 PROTO=17
// 192.168.1.1:53 10.0.0.1:1024 L=60 ..."). ParseEntry scans the whole line
// in place (a newline does not end the scan), sets count to 1 and returns
// kAccepted when the header, the rule token and the address pair were all
// read, otherwise kWrongFormat after the "ipchains parse error"
// diagnostics. It never returns kNotPacketLog. The scanner keeps no state
// between lines; nothing is allocated per line.
class IpchainsParser final : public DialectParser {
 public:
  explicit IpchainsParser(const ParserEnvironment& env) : DialectParser(env) {}

  LineResult ParseEntry(const char* line, uint64_t line_no) override;

 private:
  void Scan(const unsigned char* line);
  void ReadRule(const char* token);
  void ReadRedirect(const char* token);
  void ReadAddressPair(const char* token);
};

}  // namespace tnwk

#endif  // TNWK_PARSERS_IPCHAINS_PARSER_H_
