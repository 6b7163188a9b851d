// The ipchains scanner. The line is scanned in place: unsigned char code
// units, no refilling, and the terminating NUL as the sentinel. The rules are
// listed in priority order (the longest match wins, a tie goes to the earlier
// rule) and none depends on a start condition, so they form one automaton.
//
// Tokens whose fields are read with a format are first copied into token_,
// so a conversion never reads past its token. The formats read fixed widths
// (%127s into the 128-byte text fields, at most three digits of protocol,
// so "PROTO=1234" is protocol 123); a word longer than its field shifts the
// later conversions, and the token then sets no status bit.
#include "parsers/ipchains_parser.h"

#include <cstdio>

#include "base/address_family.h"
#include "base/numbers.h"

namespace tnwk {

/*!include:re2c "scanner_rules.re" */

/*!re2c
  DATE   = MONTH " " DAY " " TIME;
  WORD   = [-A-Za-z] [-.0-9A-Z_a-z]*;
  OCTETS = [0-9]{1,3} "." [0-9]{1,3} "." [0-9]{1,3} "." [0-9]{1,3};
  HEX    = [0-9A-Fa-f]+;
*/

void IpchainsParser::ReadRule(const char* token) {
  LogEntry& e = entry();
  char chain[128];
  unsigned protocol = 0;
  if (std::sscanf(token, "%127s %127s %127s PROTO=%3u", chain,
                  e.oob_prefix.data(), e.oob_in.data(), &protocol) == 4) {
    e.ip_protocol = static_cast<uint8_t>(protocol);
    parse_status_ |= kIpchainsRule;
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
    parse_status_ |= kIpchainsRule;
  }
}

void IpchainsParser::ReadAddressPair(const char* token) {
  LogEntry& e = entry();
  int s[4];
  int d[4];
  if (std::sscanf(token, "%3d.%3d.%3d.%3d:%5u %3d.%3d.%3d.%3d:%5u", &s[0],
                  &s[1], &s[2], &s[3], &e.sport, &d[0], &d[1], &d[2], &d[3],
                  &e.dport) != 10) {
    return;
  }
  // The octets are printed back, so the stored text is the plain decimal
  // form ("010.1.1.1" becomes "10.1.1.1") and an octet above 255 fails.
  char text[16];
  std::snprintf(text, sizeof text, "%d.%d.%d.%d", s[0], s[1], s[2], s[3]);
  if (ParseAddressInto(kFamilyIpv4, text, &e.ip_saddr, diag()) != 0) return;
  std::snprintf(text, sizeof text, "%d.%d.%d.%d", d[0], d[1], d[2], d[3]);
  if (ParseAddressInto(kFamilyIpv4, text, &e.ip_daddr, diag()) != 0) return;
  parse_status_ |= kIpchainsAddresses;
}

void IpchainsParser::Scan(const unsigned char* line) {
  const unsigned char* YYCURSOR = line;
  const unsigned char* YYMARKER = line;
  LogEntry& e = entry();
  for (;;) {
    const unsigned char* token = YYCURSOR;
    // The token as a terminated string, for the conversions.
    auto text = [&] { return TokenText(token, YYCURSOR); };
    /*!re2c
      DATE " " HOST_CHAR* {
        ReadSyslogHeader(token, YYCURSOR);
        continue;
      }
      " kernel: Packet log: " { continue; }
      WORD " " WORD " " WORD " PROTO=" [0-9]+ {
        ReadRule(text());
        continue;
      }
      WORD " REDIRECT " [0-9]+ " " WORD " PROTO=" [0-9]+ {
        ReadRedirect(text());
        continue;
      }
      OCTETS ":" [0-9]{1,5} " " OCTETS ":" [0-9]{1,5} {
        ReadAddressPair(text());
        continue;
      }
      "L=" [0-9]+ {
        e.ip_totlen = static_cast<uint16_t>(CheckedAtol(text() + 2));
        continue;
      }
      "S=0x" HEX {
        e.ip_tos = static_cast<uint8_t>(CheckedStrtoul(text() + 4, 16));
        continue;
      }
      "I=" [0-9]+ {
        e.ip_id = static_cast<uint16_t>(CheckedStrtoul(text() + 2, 0));
        continue;
      }
      "F=0x" HEX {
        e.ip_fragoff = static_cast<uint16_t>(CheckedStrtoul(text() + 4, 16));
        continue;
      }
      "T=" [0-9]+ {
        e.ip_ttl = static_cast<uint8_t>(CheckedAtoi(text() + 2));
        continue;
      }
      "O=0x" HEX { continue; }
      "SYN" {
        e.tcp_flags |= kTcpSyn;
        continue;
      }
      "(#" [0-9]+ ")" { continue; }
      " "+ { continue; }
      // Unlike netfilter's, this scan reads on after a newline.
      "\n" { continue; }
      WORD {
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

LineResult IpchainsParser::ParseEntry(const char* line, uint64_t line_no) {
  BeginLine(line_no);
  Scan(reinterpret_cast<const unsigned char*>(line));
  entry().count = 1;
  if (parse_status_ == (kStatusHeader | kIpchainsRule | kIpchainsAddresses)) {
    return LineResult::kAccepted;
  }
  ReportParseError("ipchains", line);
  return LineResult::kWrongFormat;
}

}  // namespace tnwk
