// The ipchains scanner: packet lines that the Linux ipchains firewall logs
// through the kernel log ("kernel: Packet log: input DENY eth0 PROTO=17
// 192.168.1.1:53 10.0.0.1:1024 L=60 ..."). The whole line is scanned (a
// newline does not end the scan); the line is accepted when the header, the
// rule token and the address pair were all read. The scanner keeps no state
// between lines.
//
// The rule tokens are read with a format, after a copy into token_, so a
// conversion never reads past its token. The format reads fixed widths
// (%127s into the 128-byte text fields, at most three digits of protocol,
// so "PROTO=1234" is protocol 123); a word longer than its field shifts the
// later conversions, and the token then sets no status bit.
#include <cstdio>

#include "base/address_family.h"
#include "base/numbers.h"
#include "parsers/dialect_parser.h"
#include "parsers/scanner_dialects.h"

namespace tnwk {

/*!include:re2c "scanner_rules.re" */

/*!re2c
  WORD         = [-A-Za-z] [-.0-9A-Z_a-z]*;
  HEX          = [0-9A-Fa-f]+;
  BLANKS       = " "+;
  UNKNOWN_WORD = WORD;
*/
/*!include:re2c "catch_all_rules.re" */

namespace {

// parse_status bits (kStatusHeader is 0x01): the chain, target, interface
// and protocol, and both addresses.
constexpr uint32_t kRule = 0x02;
constexpr uint32_t kAddresses = 0x04;

class IpchainsParser final : public ScannedDialect {
 public:
  explicit IpchainsParser(const ParserEnvironment& env)
      : ScannedDialect(env, "ipchains") {}

 private:
  void Prepare() override { entry().count = 1; }
  void Scan(const unsigned char* line) override;
  LineResult Result() override {
    return parse_status_ == (kStatusHeader | kRule | kAddresses)
               ? LineResult::kAccepted
               : LineResult::kWrongFormat;
  }

  void ReadRule(const char* token);
  void ReadRedirect(const char* token);
  void ReadAddressPair(const unsigned char* begin, const unsigned char* end);
};

}  // namespace

DialectParser* NewIpchainsParser(const ParserEnvironment& env) {
  return new IpchainsParser(env);
}

void IpchainsParser::ReadRule(const char* token) {
  LogEntry& e = entry();
  char chain[128];
  unsigned protocol = 0;
  if (std::sscanf(token, "%127s %127s %127s PROTO=%3u", chain,
                  e.oob_prefix.data(), e.oob_in.data(), &protocol) == 4) {
    e.ip_protocol = static_cast<uint8_t>(protocol);
    parse_status_ |= kRule;
  }
}

void IpchainsParser::ReadRedirect(const char* token) {
  LogEntry& e = entry();
  char chain[128];
  int port = 0;
  unsigned protocol = 0;
  if (std::sscanf(token, "%127s REDIRECT %5d %127s PROTO=%3u", chain, &port,
                  e.oob_in.data(), &protocol) == 4) {
    e.ip_protocol = static_cast<uint8_t>(protocol);
    std::snprintf(e.oob_prefix.data(), decltype(e.oob_prefix)::kSize, "RD %d",
                  port);
    parse_status_ |= kRule;
  }
}

void IpchainsParser::ReadAddressPair(const unsigned char* begin,
                                     const unsigned char* end) {
  // "a.b.c.d:port a.b.c.d:port", which the rule bounds to three digits an
  // octet and five a port. The ports are kept even when an address fails.
  LogEntry& e = entry();
  char source[16];
  char destination[16];
  const unsigned char* p = begin;
  ReadDottedQuad(&p, end, source);
  ++p;  // ":"
  e.sport = ReadDecimal(&p, end, 5);
  ++p;  // " "
  ReadDottedQuad(&p, end, destination);
  ++p;  // ":"
  e.dport = ReadDecimal(&p, end, 5);
  if (!ReadAddress(kFamilyIpv4, source, &e.ip_saddr, 0)) return;
  ReadAddress(kFamilyIpv4, destination, &e.ip_daddr, kAddresses);
}

void IpchainsParser::Scan(const unsigned char* YYCURSOR) {
  const unsigned char* YYMARKER = YYCURSOR;
  LogEntry& e = entry();
  for (const unsigned char* token = YYCURSOR;; token = YYCURSOR) {
    // The token as a terminated string, for the conversions.
    auto text = [&] { return TokenText(token, YYCURSOR); };
    /*!re2c
      !use:syslog_header;
      " kernel: Packet log: " { continue; }
      WORD " " WORD " " WORD " PROTO=" NUM {
        ReadRule(text());
        continue;
      }
      WORD " REDIRECT " NUM " " WORD " PROTO=" NUM {
        ReadRedirect(text());
        continue;
      }
      IPV4 ":" [0-9]{1,5} " " IPV4 ":" [0-9]{1,5} {
        ReadAddressPair(token, YYCURSOR);
        continue;
      }
      "L=" NUM {
        e.ip_totlen = static_cast<uint16_t>(CheckedAtol(text() + 2));
        continue;
      }
      "S=0x" HEX {
        e.ip_tos = static_cast<uint8_t>(CheckedStrtoul(text() + 4, 16));
        continue;
      }
      "I=" NUM {
        e.ip_id = static_cast<uint16_t>(CheckedStrtoul(text() + 2, 0));
        continue;
      }
      "F=0x" HEX {
        e.ip_fragoff = static_cast<uint16_t>(CheckedStrtoul(text() + 4, 16));
        continue;
      }
      "T=" NUM {
        e.ip_ttl = static_cast<uint8_t>(CheckedAtoi(text() + 2));
        continue;
      }
      "O=0x" HEX { continue; }
      "SYN" {
        e.tcp_flags |= kTcpSyn;
        continue;
      }
      "(#" NUM ")" { continue; }
      !use:catch_all;
    */
  }
}

}  // namespace tnwk
