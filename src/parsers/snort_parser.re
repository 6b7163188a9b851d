// The scanner of the intrusion detection alerts. The line is scanned in
// place: unsigned char code units, no refilling, and the terminating NUL as
// the sentinel that no rule matches across. The dialect has no start
// conditions, so all rules form one automaton; the longest match wins and a
// tie goes to the earlier rule.
#include "parsers/snort_parser.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/address_family.h"
#include "entries/log_entry.h"

namespace tnwk {

/*!include:re2c "scanner_rules.re" */

/*!re2c
  IP    = [0-9]{1,3} "." [0-9]{1,3} "." [0-9]{1,3} "." [0-9]{1,3};
  PROTO = "ICMP" | "TCP" | "UDP";
  PORT  = [0-9]{1,5};
*/

namespace {

// An address token's four octets, read as decimal numbers and printed back
// as "%d.%d.%d.%d", and its port, if it has one. "010.1.1.1" thus becomes
// 10.1.1.1 in both the text and the address, where the address parser alone
// would take the leading zero for octal (8.1.1.1).
struct Endpoint {
  char text[16];
  uint32_t port;
  bool has_port;
};

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// Reads the IP (":" PORT)? at `p`, which the token's pattern has already
// matched up to `end`: one to three digits per octet, so the decimal values
// are what "%3d" reads, and at most five port digits, what "%5u" reads.
Endpoint ReadEndpoint(const unsigned char* p, const unsigned char* end) {
  Endpoint out{};
  char* w = out.text;
  for (int octet = 0; octet < 4; ++octet) {
    if (octet > 0) *w++ = *p++;  // the dot
    // %d drops leading zeros but keeps a lone zero.
    while (p + 1 < end && *p == '0' && IsDigit(p[1])) ++p;
    while (p < end && IsDigit(*p)) *w++ = static_cast<char>(*p++);
  }
  *w = '\0';
  if (p < end && *p == ':') {
    out.has_port = true;
    for (++p; p < end; ++p) out.port = out.port * 10 + (*p - '0');
  }
  return out;
}

// The line is complete when every bit but the preprocessor's is set.
constexpr uint32_t kCompleteAlert = kStatusHeader | kSnortMessage |
                                    kSnortClassification | kSnortProtocol |
                                    kSnortSrc | kSnortDst;

}  // namespace

void SnortParser::ReadSource(const unsigned char* begin,
                             const unsigned char* end) {
  LogEntry& e = entry();
  const std::string_view word = View(begin, end);
  if (word.starts_with("TCP")) {
    e.ip_protocol = 6;
  } else if (word.starts_with("UDP")) {
    e.ip_protocol = 17;
  } else if (word.starts_with("ICMP")) {
    e.ip_protocol = 1;
  }
  if (e.ip_protocol != 0) parse_status_ |= kSnortProtocol;

  const unsigned char* address = begin;
  while (*address != ' ') ++address;
  const Endpoint source = ReadEndpoint(address + 1, end);
  if (source.has_port) e.sport = source.port;
  if (ParseAddressInto(kFamilyIpv4, source.text, &e.ip_saddr, diag()) == 0) {
    parse_status_ |= kSnortSrc;
  }
}

void SnortParser::ReadDestination(const unsigned char* begin,
                                  const unsigned char* end) {
  LogEntry& e = entry();
  const Endpoint destination = ReadEndpoint(begin + 3, end);
  if (destination.has_port) e.dport = destination.port;
  if (ParseAddressInto(kFamilyIpv4, destination.text, &e.ip_daddr, diag()) ==
      0) {
    parse_status_ |= kSnortDst;
  }
}

void SnortParser::Scan(const unsigned char* line) {
  const unsigned char* YYCURSOR = line;
  const unsigned char* YYMARKER = line;
  for (;;) {
    const unsigned char* token = YYCURSOR;
    /*!re2c

      SYSLOG_HEADER {
        ReadSyslogHeader(token, YYCURSOR);
        continue;
      }
      "snort: " { continue; }
      "snort[" [0-9]+ "]: " { continue; }
      // Generator, signature and a one-digit revision. A longer revision
      // falls to the catch-all rules: it is only reported, the alert stands.
      "[" [0-9]+ ":" [0-9]+ ":" [0-9] "]" { continue; }
      // The alert's message: required, but not kept.
      [(A-Za-z] [ ()\-./0-9A-Z_a-z]* [)A-Za-z] {
        parse_status_ |= kSnortMessage;
        continue;
      }
      // Any byte but the brackets may stand in the classification; a tab
      // in it is written as a blank by the report.
      "[Classification: " [^[\]\n\x00]* "]" {
        constexpr size_t kLead = sizeof "[Classification: " - 1;
        entry().oob_prefix.Set(View(token + kLead, YYCURSOR - 1));
        parse_status_ |= kSnortClassification;
        continue;
      }
      "[Priority: " [0-9] "]:" { continue; }
      "{" PROTO "} " IP {
        ReadSource(token + 1, YYCURSOR);
        continue;
      }
      "{" PROTO "} " IP ":" PORT {
        ReadSource(token + 1, YYCURSOR);
        continue;
      }
      "-> " IP {
        ReadDestination(token, YYCURSOR);
        continue;
      }
      "-> " IP ":" PORT {
        ReadDestination(token, YYCURSOR);
        continue;
      }
      // Port scan and stream reassembly notices: not packet log lines.
      "spp_portscan: " [^\n\x00]* {
        parse_status_ |= kSnortPreprocessor;
        continue;
      }
      "spp_stream4: " [^\n\x00]* {
        parse_status_ |= kSnortPreprocessor;
        continue;
      }
      " "+ { continue; }
      "\n" { continue; }
      [-.0-9A-Z_a-z]+ {
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

LineResult SnortParser::ParseEntry(const char* line, uint64_t line_no) {
  BeginLine(line_no);
  Scan(reinterpret_cast<const unsigned char*>(line));
  LogEntry& e = entry();
  e.interface.Set("-");
  e.count = 1;
  if (parse_status_ & kSnortPreprocessor) return LineResult::kNotPacketLog;
  if (parse_status_ == kCompleteAlert) {
    e.tcp_flags |= kTcpFlagsUnknown;
    return LineResult::kAccepted;
  }
  ReportParseError("snort", line);
  return LineResult::kWrongFormat;
}

}  // namespace tnwk
