#ifndef TNWK_PARSERS_IPFW_PARSER_H_
#define TNWK_PARSERS_IPFW_PARSER_H_

#include <cstdint>

#include "parsers/dialect_parser.h"

namespace tnwk {

// parse_status bits of the ipfw dialect (kStatusHeader is 0x01).
inline constexpr uint32_t kIpfwRule = 0x02;         // rule number and action
inline constexpr uint32_t kIpfwProtocol = 0x04;     // a nonzero protocol
inline constexpr uint32_t kIpfwAddresses = 0x08;    // both addresses
inline constexpr uint32_t kIpfwInterface = 0x10;    // "in via" or "out via"
inline constexpr uint32_t kIpfwLimitNotice = 0x20;  // "limit N reached ..."

// Parser of the packet lines of the FreeBSD ipfw firewall ("kernel: ipfw:
// 100 Deny TCP 1.2.3.4:1234 5.6.7.8:80 in via xl0"). ParseEntry scans the
// line in place up to its first newline and sets count to 1. It returns
// kNotPacketLog for the logging-limit notice, kAccepted when the header, the
// rule and action, a protocol, both addresses and an interface were all read
// (the entry then gets the flags-unknown bit, as ipfw logs no TCP flags),
// otherwise kWrongFormat after the "ipfw parse error" diagnostics. The
// scanner keeps no state between lines; nothing is allocated per line.
class IpfwParser final : public DialectParser {
 public:
  explicit IpfwParser(const ParserEnvironment& env) : DialectParser(env) {}

  LineResult ParseEntry(const char* line, uint64_t line_no) override;

 private:
  void Scan(const unsigned char* line);
  void ReadRuleAndAction(const char* token);
  void ReadIcmpTypeAndCode(const char* token);
  void ReadAddresses(const char* token, bool with_ports);
  void ReadFragment(const char* token);
};

}  // namespace tnwk

#endif  // TNWK_PARSERS_IPFW_PARSER_H_
