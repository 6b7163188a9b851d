// The ipfw scanner: packet lines of the FreeBSD ipfw firewall ("kernel:
// ipfw: 100 Deny TCP 1.2.3.4:1234 5.6.7.8:80 in via xl0"), up to the first
// newline. The logging-limit notice is not a packet-log line; a packet line
// is accepted when the header, the rule and action, a protocol, both
// addresses and an interface were all read, and then gets the flags-unknown
// bit, as ipfw logs no TCP flags. The scanner keeps no state between lines.
//
// Tokens whose fields are read with a format are first copied, so a
// conversion never reads past its token. The formats read fixed widths (five
// characters of rule number, five digits of port, two digits of ICMP type
// and code); an overlong field shifts the later conversions.
#include <cstdio>
#include <cstring>

#include "base/address_family.h"
#include "base/ip_protocol.h"
#include "base/numbers.h"
#include "parsers/dialect_parser.h"
#include "parsers/scanner_dialects.h"

namespace tnwk {

/*!include:re2c "scanner_rules.re" */

/*!re2c
  IFNAME = [A-Za-z] [-.0-9A-Za-z]*;
  // The syslog tag before "ipfw:" is one word after a blank. A class that
  // also took blanks would run back over the whole syslog header.
  PREFIX = " " [^ \n\x00]+ ": ipfw: ";
  ACTION = "Accept" | "Count" | "Deny" | "Refuse" | "Reject" | "Reset"
         | "UNKNOWN" | "Unreach" | "Unreach " NUM | "Divert " NUM
         | "Tee " NUM | "SkipTo " NUM | "Pipe " NUM | "Queue " NUM
         | "Forward to " [0-9]{1,3} "." [0-9]{1,3} "." [0-9]{1,3} "." NUM
           (":" [0-9]{0,5})?;
  BLANKS       = " ";
  UNKNOWN_WORD = IFNAME;
*/
/*!include:re2c "catch_all_rules.re" */

namespace {

// parse_status bits (kStatusHeader is 0x01).
constexpr uint32_t kRule = 0x02;         // rule number and action
constexpr uint32_t kProtocol = 0x04;     // a nonzero protocol
constexpr uint32_t kAddresses = 0x08;    // both addresses
constexpr uint32_t kInterface = 0x10;    // "in via" or "out via"
constexpr uint32_t kLimitNotice = 0x20;  // "limit N reached ..."

// A modifiable copy of a token, for the formats that read it with some of
// its separators turned into blanks.
struct TokenCopy {
  // `token` comes from TokenText, so it fits.
  TokenCopy(const char* token, char from) {
    std::memcpy(text, token, std::strlen(token) + 1);
    for (char* p = text; *p != '\0'; ++p) {
      if (*p == from) *p = ' ';
    }
  }
  char text[1024];
};

class IpfwParser final : public ScannedDialect {
 public:
  explicit IpfwParser(const ParserEnvironment& env)
      : ScannedDialect(env, "ipfw") {}

 private:
  static constexpr bool kNewlineEndsScan = true;

  void Prepare() override { entry().count = 1; }
  void Scan(const unsigned char* line) override;
  LineResult Result() override;

  void ReadRuleAndAction(const char* token);
  void ReadIcmpTypeAndCode(const char* token);
  void ReadAddresses(const char* token, bool with_ports);
  void ReadFragment(const char* token);
};

}  // namespace

DialectParser* NewIpfwParser(const ParserEnvironment& env) {
  return new IpfwParser(env);
}

LineResult IpfwParser::Result() {
  if (parse_status_ & kLimitNotice) return LineResult::kNotPacketLog;
  constexpr uint32_t kComplete =
      kStatusHeader | kRule | kProtocol | kAddresses | kInterface;
  if ((parse_status_ & kComplete) != kComplete) return LineResult::kWrongFormat;
  entry().tcp_flags |= kTcpFlagsUnknown;
  return LineResult::kAccepted;
}

void IpfwParser::ReadRuleAndAction(const char* token) {
  // The token starts with the syslog tag (" kernel:"), which %*s skips.
  char number[6];
  char action[122];
  const int read =
      std::sscanf(token, "%*s ipfw: %5s %121[a-zA-Z0-9 .:]", number, action);
  LogEntry& e = entry();
  if (read >= 1) e.oob_prefix.Set(number);
  if (read == 2) {
    std::snprintf(e.oob_prefix.data(), decltype(e.oob_prefix)::kSize, "%s %s",
                  number, action);
    parse_status_ |= kRule;
  }
}

void IpfwParser::ReadIcmpTypeAndCode(const char* token) {
  LogEntry& e = entry();
  e.ip_protocol = kProtocolIcmp;
  // "ICMP:128.0" reads as type 12 and code 8: two digits each.
  const TokenCopy copy(token, '.');
  unsigned type = 0;
  unsigned code = 0;
  const int read = std::sscanf(copy.text + 5, "%2u %2u", &type, &code);
  if (read >= 1) e.icmp_type = static_cast<uint8_t>(type);
  if (read == 2) {
    e.icmp_code = static_cast<uint8_t>(code);
    parse_status_ |= kProtocol;
  }
}

void IpfwParser::ReadAddresses(const char* token, bool with_ports) {
  LogEntry& e = entry();
  char source[16];
  char destination[16];
  if (with_ports) {
    const TokenCopy copy(token, ':');
    if (std::sscanf(copy.text, "%15s %5u %15s %5u", source, &e.sport,
                    destination, &e.dport) != 4) {
      return;
    }
  } else if (std::sscanf(token, "%15s %15s", source, destination) != 2) {
    return;
  }
  if (!ReadAddress(kFamilyIpv4, source, &e.ip_saddr, 0)) return;
  ReadAddress(kFamilyIpv4, destination, &e.ip_daddr, kAddresses);
}

void IpfwParser::ReadFragment(const char* token) {
  // "(frag <id>:<length>@<offset in bytes>[+])", the "+" when more
  // fragments follow.
  const char* p = token + 6;
  const auto id = static_cast<uint16_t>(CheckedStrtoul(p, 10, &p));
  const auto length = static_cast<uint16_t>(CheckedStrtoul(p + 1, 10, &p));
  const auto offset = static_cast<unsigned>(CheckedStrtoul(p + 1, 10, &p));
  LogEntry& e = entry();
  e.ip_id = id;
  e.ip_totlen = length;
  e.ip_fragoff = static_cast<uint16_t>(offset >> 3);
  if (*p == '+') e.ip_fragoff |= 0x2000;
}

void IpfwParser::Scan(const unsigned char* YYCURSOR) {
  const unsigned char* YYMARKER = YYCURSOR;
  LogEntry& e = entry();
  for (const unsigned char* token = YYCURSOR;; token = YYCURSOR) {
    // The token as a terminated string, for the conversions.
    auto text = [&] { return TokenText(token, YYCURSOR); };
    // The token as a view, for the bounded copies into text fields.
    auto view = [&] { return View(token, YYCURSOR); };
    /*!re2c
      !use:syslog_header;
      PREFIX NUM " " ACTION {
        ReadRuleAndAction(text());
        continue;
      }
      "TCP" | "UDP" | "ICMP" {
        e.ip_protocol = ProtocolOfWord(view());
        parse_status_ |= kProtocol;
        continue;
      }
      "ICMP:" NUM "." NUM {
        ReadIcmpTypeAndCode(text());
        continue;
      }
      "P:" NUM {
        unsigned protocol = 0;
        if (std::sscanf(text(), "P:%5u", &protocol) == 1) {
          e.ip_protocol = static_cast<uint8_t>(protocol);
          if (e.ip_protocol != 0) parse_status_ |= kProtocol;
        }
        continue;
      }
      IPV4 " " IPV4 {
        ReadAddresses(text(), false);
        continue;
      }
      IPV4 ":" NUM " " IPV4 ":" NUM {
        ReadAddresses(text(), true);
        continue;
      }
      "in via " IFNAME {
        e.oob_in.Set(view().substr(7));
        parse_status_ |= kInterface;
        continue;
      }
      "out via " IFNAME {
        e.oob_out.Set(view().substr(8));
        parse_status_ |= kInterface;
        continue;
      }
      "[no if info]" { continue; }
      "(frag " NUM ":" NUM "@" NUM "+"? ")" {
        ReadFragment(text());
        continue;
      }
      PREFIX "limit " NUM " reached on entry " NUM {
        parse_status_ |= kLimitNotice;
        continue;
      }
      "MAC" { continue; }
      !use:catch_all;
    */
  }
}

}  // namespace tnwk
