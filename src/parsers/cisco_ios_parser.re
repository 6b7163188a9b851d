// The Cisco IOS access-list scanner. The line is scanned in place: unsigned
// char code units, no refilling, and the terminating NUL as the sentinel
// that no rule matches across. The dialect has a single start condition, so
// every rule is part of one automaton, listed in priority order: the longest
// match wins and a tie goes to the earlier rule.
//
// The actions read their values by position. The rules fix the shape of
// every field they read (one to three digits per octet, one to five for a
// port), so this gives what the message's conversions "%3d" and "%5u" give;
// where a conversion's width is narrower than the rule allows (the list
// name, the protocol word, the ICMP type and code), the action says what the
// width does.
#include "parsers/cisco_ios_parser.h"

#include <cstddef>
#include <string_view>

#include "base/address_family.h"
#include "base/numbers.h"
#include "parsers/syslog_time.h"

namespace tnwk {

/*!include:re2c "scanner_rules.re" */

/*!re2c
  DATE  = MONTH " " DAY " " TIME;
  IP    = [0-9]{1,3} "." [0-9]{1,3} "." [0-9]{1,3} "." [0-9]{1,3};
  NAME  = [-.0-9>A-Z_a-z]*;
  ACT   = "denied" | "permitted";
  PROTO = [0-9]+ | "gre" | "icmp" | "igmp" | "ipinip" | "ospf" | "pim"
        | "tcp" | "udp";
*/

namespace {

// The access-list token's list name and protocol word are read as "%127s"
// and, with a port, "%5s" or, without one, "%8s". A longer field would be
// split across the following conversions and the token would not convert.
constexpr std::ptrdiff_t kMaxListName = 127;
constexpr std::ptrdiff_t kMaxProtocolWithPort = 5;
constexpr std::ptrdiff_t kMaxProtocolWithoutPort = 8;

struct ProtocolWord {
  std::string_view word;
  uint8_t number;
};

// Tried in this order against the start of the protocol word.
constexpr ProtocolWord kProtocolWords[] = {
    {"tcp", 6},   {"udp", 17},  {"icmp", 1},   {"igmp", 2},
    {"gre", 47},  {"ospf", 89}, {"ipinip", 4}, {"pim", 103},
};

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// The value of at most `width` digits at `*p`, advancing `*p` past them.
unsigned ReadDigits(const unsigned char** p, int width) {
  unsigned value = 0;
  for (int i = 0; i < width && IsDigit(**p); ++i) {
    value = value * 10 + (*(*p)++ - '0');
  }
  return value;
}

// Reads the dotted address at `p`, whose octets the rule matched as one to
// three digits, and writes it back as "%d.%d.%d.%d" prints it: the address
// parser is given "10.1.1.1" for "010.001.1.1". Returns the character after
// the last octet.
const unsigned char* ReadDottedQuad(const unsigned char* p, char (&text)[16]) {
  char* out = text;
  for (int i = 0; i < 4; ++i) {
    if (i > 0) *out++ = static_cast<char>(*p++);  // the dot
    const unsigned value = ReadDigits(&p, 3);
    if (value >= 100) *out++ = static_cast<char>('0' + value / 100);
    if (value >= 10) *out++ = static_cast<char>('0' + value / 10 % 10);
    *out++ = static_cast<char>('0' + value % 10);
  }
  *out = '\0';
  return p;
}

uint8_t ProtocolNumber(std::string_view word) {
  for (const ProtocolWord& p : kProtocolWords) {
    if (word.starts_with(p.word)) return p.number;
  }
  if (!word.empty() && IsDigit(static_cast<unsigned char>(word[0]))) {
    // At most eight digits: the number fits, and like any protocol number
    // it is stored in eight bits.
    const auto* digits = reinterpret_cast<const unsigned char*>(word.data());
    return static_cast<uint8_t>(
        ReadDigits(&digits, static_cast<int>(word.size())));
  }
  return 0;
}

const unsigned char* SkipToBlank(const unsigned char* p) {
  while (*p != ' ') ++p;
  return p;
}

}  // namespace

void CiscoIosParser::ReadTimestamp(const unsigned char* begin,
                                   const unsigned char* end, bool with_host) {
  const unsigned char* p = begin + 4;
  if (*p == ' ') ++p;
  int day = *p++ - '0';
  if (*p != ' ') day = day * 10 + (*p++ - '0');
  ++p;
  SetLocalTime(-1, MonthNumber(View(begin, begin + 3)), day, TwoDigits(p),
               TwoDigits(p + 3), TwoDigits(p + 6));
  // An empty host converts nothing, so it leaves the host name as it was;
  // the date counts all the same.
  if (with_host && p + 9 < end) {
    entry().local_hostname.Set(View(p + 9, end).substr(0, 32));
  }
  parse_status_ |= kStatusHeader;
}

void CiscoIosParser::ReadAccessList(const unsigned char* begin,
                                    bool with_port) {
  const unsigned char* name = begin + 5;
  const unsigned char* name_end = SkipToBlank(name);
  const unsigned char* action_end = SkipToBlank(name_end + 1);
  const unsigned char* protocol = action_end + 1;
  const unsigned char* protocol_end = SkipToBlank(protocol);
  const std::ptrdiff_t name_length = name_end - name;
  // An empty name lets the action word stand in for it, and every later
  // field shifts by one. A name longer than its conversion is treated the
  // same way: read by width, its tail would stand in for the action word
  // and, past 261 characters, the source address would be taken from the
  // name itself.
  if (name_length == 0 || name_length > kMaxListName) return;
  if (protocol_end - protocol >
      (with_port ? kMaxProtocolWithPort : kMaxProtocolWithoutPort)) {
    return;
  }

  LogEntry& e = entry();
  char address[16];
  const unsigned char* p = ReadDottedQuad(protocol_end + 1, address);
  if (with_port) {
    ++p;  // "("
    e.sport = ReadDigits(&p, 5);
  }
  // The name, its blank and the action word, as they stand in the token.
  e.oob_prefix.Set(View(name, action_end));
  if (ParseAddressInto(kFamilyIpv4, address, &e.ip_saddr, diag()) != 0) return;
  parse_status_ |= kCiscoIosSource;
  e.ip_protocol = ProtocolNumber(View(protocol, protocol_end));
  if (e.ip_protocol != 0) parse_status_ |= kCiscoIosProtocol;
}

void CiscoIosParser::ReadDestination(const unsigned char* begin,
                                     DestinationForm form) {
  LogEntry& e = entry();
  char address[16];
  const unsigned char* p = ReadDottedQuad(begin + 3, address);
  // The port, type and code are stored as they are read, before the address
  // is known to be good.
  switch (form) {
    case DestinationForm::kPort:
      ++p;  // "("
      e.dport = ReadDigits(&p, 5);
      break;
    case DestinationForm::kIcmp: {
      // Type and code are read as "%2u/%2u": a type of three digits leaves
      // the slash unread and the read fails; a longer code is cut to its
      // first two digits.
      p += 2;  // " ("
      const unsigned type = ReadDigits(&p, 2);
      e.sport = type;
      e.icmp_type = static_cast<uint8_t>(type);
      if (*p++ != '/') return;
      const unsigned code = ReadDigits(&p, 2);
      e.dport = code;
      e.icmp_code = static_cast<uint8_t>(code);
      break;
    }
    case DestinationForm::kBare:
      break;
  }
  if (ParseAddressInto(kFamilyIpv4, address, &e.ip_daddr, diag()) == 0) {
    parse_status_ |= kCiscoIosDestination;
  }
}

void CiscoIosParser::Scan(const unsigned char* line) {
  const unsigned char* YYCURSOR = line;
  const unsigned char* YYMARKER = line;
  LogEntry& e = entry();
  for (;;) {
    const unsigned char* token = YYCURSOR;
    /*!re2c

      // The syslog header, then the router's sequence number, its uptime
      // or its own clock, and the message tag.
      SYSLOG_HEADER {
        ReadTimestamp(token, YYCURSOR, true);
        continue;
      }
      [0-9]+ ":" { continue; }
      [0-9] "y" [0-9]{1,2} "w:" { continue; }
      [0-9]{1,2} "w" [0-9] "d:" { continue; }
      [0-9] "d" [0-9]{2} "h:" { continue; }
      DATE "." [0-9]{3} ":" {
        ReadTimestamp(token, YYCURSOR, false);
        continue;
      }
      DATE ":" {
        ReadTimestamp(token, YYCURSOR, false);
        continue;
      }
      "%SEC-6-IPACCESSLOG" ("P" | "S" | "DP" | "NP" | "RP") ":" { continue; }

      // The access list and the source.
      "list " NAME " " ACT " " PROTO " " IP "(" [0-9]{1,5} ")" {
        ReadAccessList(token, true);
        continue;
      }
      "list " NAME " " ACT " " PROTO " " IP {
        ReadAccessList(token, false);
        continue;
      }
      // A standard access list names no protocol and no destination.
      "list " NAME " " ACT " " IP { continue; }

      // The destination.
      "-> " IP "(" [0-9]{1,5} ")," {
        ReadDestination(token, DestinationForm::kPort);
        continue;
      }
      "-> " IP " (" [0-9]+ "/" [0-9]+ ")," {
        ReadDestination(token, DestinationForm::kIcmp);
        continue;
      }
      "-> " IP "," {
        ReadDestination(token, DestinationForm::kBare);
        continue;
      }

      [0-9]+ " packet" "s"? {
        // Read whole: a count past the range of int is still a count.
        e.count = CheckedStrtoul(TokenText(token, YYCURSOR), 10);
        parse_status_ |= kCiscoIosCount;
        continue;
      }
      "(" [- *./0-9A-Z_a-z]* ")" {
        e.interface.Set(View(token, YYCURSOR));
        continue;
      }

      // Catch-all rules: unmatched input never stops the scan, and a
      // newline does not end it.
      " "+ { continue; }
      "\n" { continue; }
      [A-Za-z] [-.0-9A-Z_a-z]* {
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

LineResult CiscoIosParser::ParseEntry(const char* line, uint64_t line_no) {
  constexpr uint32_t kComplete = kStatusHeader | kCiscoIosSource |
                                 kCiscoIosDestination | kCiscoIosProtocol |
                                 kCiscoIosCount;
  BeginLine(line_no);
  Scan(reinterpret_cast<const unsigned char*>(line));
  if (parse_status_ == kComplete) {
    entry().tcp_flags |= kTcpFlagsUnknown;
    return LineResult::kAccepted;
  }
  ReportParseError("cisco_ios", line);
  return LineResult::kWrongFormat;
}

}  // namespace tnwk
