// The ipfw scanner. The line is scanned in place: unsigned char code units,
// no refilling, and the terminating NUL as the sentinel. The rules are listed
// in priority order (the longest match wins, a tie goes to the earlier rule)
// and none depends on a start condition, so they form one automaton.
//
// Tokens whose fields are read with a format are first copied, so a
// conversion never reads past its token. The formats read fixed widths (five
// characters of rule number, five digits of port, two digits of ICMP type
// and code); an overlong field shifts the later conversions.
#include "parsers/ipfw_parser.h"

#include <cstdio>
#include <cstring>

#include "base/address_family.h"
#include "base/numbers.h"

namespace tnwk {

/*!include:re2c "scanner_rules.re" */

/*!re2c
  DATE   = MONTH " " DAY " " TIME;
  IPV4   = [0-9]{1,3} "." [0-9]{1,3} "." [0-9]{1,3} "." [0-9]{1,3};
  IFNAME = [A-Za-z] [-.0-9A-Za-z]*;
  // The syslog tag before "ipfw:" is one word after a blank. A class that
  // also took blanks would run back over the whole syslog header.
  PREFIX = " " [^ \n\x00]+ ": ipfw: ";
  NUM    = [0-9]+;
  ACTION = "Accept" | "Count" | "Deny" | "Refuse" | "Reject" | "Reset"
         | "UNKNOWN" | "Unreach" | "Unreach " NUM | "Divert " NUM
         | "Tee " NUM | "SkipTo " NUM | "Pipe " NUM | "Queue " NUM
         | "Forward to " [0-9]{1,3} "." [0-9]{1,3} "." [0-9]{1,3} "." NUM
           (":" [0-9]{0,5})?;
*/

namespace {

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

}  // namespace

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
    parse_status_ |= kIpfwRule;
  }
}

void IpfwParser::ReadIcmpTypeAndCode(const char* token) {
  LogEntry& e = entry();
  e.ip_protocol = 1;
  // "ICMP:128.0" reads as type 12 and code 8: two digits each.
  const TokenCopy copy(token, '.');
  unsigned type = 0;
  unsigned code = 0;
  const int read = std::sscanf(copy.text + 5, "%2u %2u", &type, &code);
  if (read >= 1) e.icmp_type = static_cast<uint8_t>(type);
  if (read == 2) {
    e.icmp_code = static_cast<uint8_t>(code);
    parse_status_ |= kIpfwProtocol;
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
  if (ParseAddressInto(kFamilyIpv4, source, &e.ip_saddr, diag()) != 0) return;
  if (ParseAddressInto(kFamilyIpv4, destination, &e.ip_daddr, diag()) != 0) {
    return;
  }
  parse_status_ |= kIpfwAddresses;
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

void IpfwParser::Scan(const unsigned char* line) {
  const unsigned char* YYCURSOR = line;
  const unsigned char* YYMARKER = line;
  LogEntry& e = entry();
  for (;;) {
    const unsigned char* token = YYCURSOR;
    // The token as a terminated string, for the conversions.
    auto text = [&] { return TokenText(token, YYCURSOR); };
    // The token as a view, for the bounded copies into text fields.
    auto view = [&] { return View(token, YYCURSOR); };
    /*!re2c
      DATE " " HOST_CHAR* {
        ReadSyslogHeader(token, YYCURSOR);
        continue;
      }
      PREFIX NUM " " ACTION {
        ReadRuleAndAction(text());
        continue;
      }
      "TCP" | "UDP" | "ICMP" {
        e.ip_protocol = *token == 'T' ? 6 : *token == 'U' ? 17 : 1;
        parse_status_ |= kIpfwProtocol;
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
          if (e.ip_protocol != 0) parse_status_ |= kIpfwProtocol;
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
        parse_status_ |= kIpfwInterface;
        continue;
      }
      "out via " IFNAME {
        e.oob_out.Set(view().substr(8));
        parse_status_ |= kIpfwInterface;
        continue;
      }
      "[no if info]" { continue; }
      "(frag " NUM ":" NUM "@" NUM "+"? ")" {
        ReadFragment(text());
        continue;
      }
      PREFIX "limit " NUM " reached on entry " NUM {
        parse_status_ |= kIpfwLimitNotice;
        continue;
      }
      "MAC" { continue; }
      " " { continue; }
      "\n" { return; }
      IFNAME {
        ReportUnrecognized(TokenReportStyle::kPlain, 5, "token", token,
                           YYCURSOR);
        continue;
      }
      [^\n\x00] {
        ReportUnrecognized(TokenReportStyle::kPlain, 5, "character", token,
                           YYCURSOR);
        continue;
      }
      "\x00" { return; }
    */
  }
}

LineResult IpfwParser::ParseEntry(const char* line, uint64_t line_no) {
  BeginLine(line_no);
  Scan(reinterpret_cast<const unsigned char*>(line));
  LogEntry& e = entry();
  e.count = 1;
  if (parse_status_ & kIpfwLimitNotice) return LineResult::kNotPacketLog;
  constexpr uint32_t kComplete = kStatusHeader | kIpfwRule | kIpfwProtocol |
                                 kIpfwAddresses | kIpfwInterface;
  if ((parse_status_ & kComplete) == kComplete) {
    e.tcp_flags |= kTcpFlagsUnknown;
    return LineResult::kAccepted;
  }
  ReportParseError("ipfw", line);
  return LineResult::kWrongFormat;
}

}  // namespace tnwk
