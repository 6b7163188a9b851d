// The Cisco IOS access-list scanner: the logging messages of IOS routers as
// they arrive through syslog,
//   Mar  1 10:11:12 router 123: *Mar  1 10:11:12.123: %SEC-6-IPACCESSLOGP:
//   list 101 denied tcp 10.1.1.1(1234) (Ethernet0 0000.0c12.3456) ->
//   10.2.2.2(80), 1 packet
// The whole line is scanned (a newline does not end it). A line is accepted
// (with the flags-unknown bit) when it had a timestamp, the source address
// and a known protocol of the access-list token, the destination address
// and the packet count, which is the entry's count. The type and code of an
// ICMP message go into sport and dport as well as icmp_type and icmp_code.
//
// The actions read their values by position. The rules fix the shape of
// every field they read (one to three digits per octet, one to five for a
// port); where a field is read with a narrower width than the rule allows
// (the list name, the protocol word, the ICMP type and code), the action
// says what the width does.
#include <cstddef>
#include <string_view>

#include "base/address_family.h"
#include "base/ip_protocol.h"
#include "base/numbers.h"
#include "parsers/dialect_parser.h"
#include "parsers/scanner_dialects.h"

namespace tnwk {

/*!include:re2c "scanner_rules.re" */

/*!re2c
  NAME  = [-.0-9>A-Z_a-z]*;
  ACT   = "denied" | "permitted";
  PROTO = [0-9]+ | "gre" | "icmp" | "igmp" | "ipinip" | "ospf" | "pim"
        | "tcp" | "udp";
  BLANKS       = " "+;
  UNKNOWN_WORD = [A-Za-z] [-.0-9A-Z_a-z]*;
*/
/*!include:re2c "catch_all_rules.re" */

namespace {

// parse_status bits (kStatusHeader is 0x01, set by the syslog timestamp and
// by the router's own timestamp).
constexpr uint32_t kSource = 0x02;
constexpr uint32_t kDestination = 0x04;
constexpr uint32_t kProtocol = 0x08;
constexpr uint32_t kCount = 0x10;

// The widest list name and protocol word (with a port and without one) of
// an access-list token that converts: a longer field would be split across
// the following fields, and the token converts nothing.
constexpr std::ptrdiff_t kMaxListName = 127;
constexpr std::ptrdiff_t kMaxProtocolWithPort = 5;
constexpr std::ptrdiff_t kMaxProtocolWithoutPort = 8;

struct ProtocolWord {
  std::string_view word;
  uint8_t number;
};

// Tried in this order against the start of the protocol word.
constexpr ProtocolWord kProtocolWords[] = {
    {"tcp", kProtocolTcp}, {"udp", kProtocolUdp}, {"icmp", kProtocolIcmp},
    {"igmp", 2},           {"gre", 47},           {"ospf", 89},
    {"ipinip", 4},         {"pim", 103},
};

uint8_t ProtocolNumber(std::string_view word) {
  for (const ProtocolWord& p : kProtocolWords) {
    if (word.starts_with(p.word)) return p.number;
  }
  if (!word.empty() && IsDigit(static_cast<unsigned char>(word[0]))) {
    // At most eight digits: the number fits, and like any protocol number
    // it is stored in eight bits.
    const auto* digits = reinterpret_cast<const unsigned char*>(word.data());
    return static_cast<uint8_t>(ReadDecimal(
        &digits, digits + word.size(), static_cast<int>(word.size())));
  }
  return 0;
}

const unsigned char* SkipToBlank(const unsigned char* p) {
  while (*p != ' ') ++p;
  return p;
}

class CiscoIosParser final : public ScannedDialect {
 public:
  explicit CiscoIosParser(const ParserEnvironment& env)
      : ScannedDialect(env, "cisco_ios") {}

 private:
  // How a destination token ends: "(port),", " (type/code)," or ",".
  enum class DestinationForm { kPort, kIcmp, kBare };

  void Scan(const unsigned char* line) override;
  LineResult Result() override;

  // A syslog header ("Mmm dd hh:mm:ss host", the host possibly empty) or,
  // without `with_host`, the router's timestamp that follows it.
  void ReadTimestamp(const unsigned char* begin, const unsigned char* end,
                     bool with_host);
  // "list NAME ACTION PROTOCOL a.b.c.d", with "(port)" when `with_port`.
  void ReadAccessList(const unsigned char* begin, const unsigned char* end,
                      bool with_port);
  // "-> a.b.c.d" and the rest of `form`.
  void ReadDestination(const unsigned char* begin, const unsigned char* end,
                       DestinationForm form);
};

}  // namespace

DialectParser* NewCiscoIosParser(const ParserEnvironment& env) {
  return new CiscoIosParser(env);
}

LineResult CiscoIosParser::Result() {
  constexpr uint32_t kComplete =
      kStatusHeader | kSource | kDestination | kProtocol | kCount;
  if (parse_status_ != kComplete) return LineResult::kWrongFormat;
  entry().tcp_flags |= kTcpFlagsUnknown;
  return LineResult::kAccepted;
}

void CiscoIosParser::ReadTimestamp(const unsigned char* begin,
                                   const unsigned char* end, bool with_host) {
  const unsigned char* time_end = ReadMonthDayTime(begin, 1);
  // An empty host converts nothing, so it leaves the host name as it was;
  // the date counts all the same.
  if (with_host && time_end + 1 < end) {
    entry().local_hostname.Set(View(time_end + 1, end).substr(0, 32));
  }
}

void CiscoIosParser::ReadAccessList(const unsigned char* begin,
                                    const unsigned char* end, bool with_port) {
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
  const unsigned char* p = protocol_end + 1;
  ReadDottedQuad(&p, end, address);
  if (with_port) {
    ++p;  // "("
    e.sport = ReadDecimal(&p, end, 5);
  }
  // The name, its blank and the action word, as they stand in the token.
  e.oob_prefix.Set(View(name, action_end));
  if (!ReadAddress(kFamilyIpv4, address, &e.ip_saddr, kSource)) return;
  e.ip_protocol = ProtocolNumber(View(protocol, protocol_end));
  if (e.ip_protocol != 0) parse_status_ |= kProtocol;
}

void CiscoIosParser::ReadDestination(const unsigned char* begin,
                                     const unsigned char* end,
                                     DestinationForm form) {
  LogEntry& e = entry();
  char address[16];
  const unsigned char* p = begin + 3;
  ReadDottedQuad(&p, end, address);
  // The port, type and code are stored as they are read, before the address
  // is known to be good.
  switch (form) {
    case DestinationForm::kPort:
      ++p;  // "("
      e.dport = ReadDecimal(&p, end, 5);
      break;
    case DestinationForm::kIcmp: {
      // Type and code are read as two digits each: a type of three digits
      // leaves the slash unread and the read fails; a longer code is cut to
      // its first two digits.
      p += 2;  // " ("
      const unsigned type = ReadDecimal(&p, end, 2);
      e.sport = type;
      e.icmp_type = static_cast<uint8_t>(type);
      if (*p++ != '/') return;
      const unsigned code = ReadDecimal(&p, end, 2);
      e.dport = code;
      e.icmp_code = static_cast<uint8_t>(code);
      break;
    }
    case DestinationForm::kBare:
      break;
  }
  ReadAddress(kFamilyIpv4, address, &e.ip_daddr, kDestination);
}

void CiscoIosParser::Scan(const unsigned char* YYCURSOR) {
  const unsigned char* YYMARKER = YYCURSOR;
  LogEntry& e = entry();
  for (const unsigned char* token = YYCURSOR;; token = YYCURSOR) {
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
      "list " NAME " " ACT " " PROTO " " IPV4 "(" [0-9]{1,5} ")" {
        ReadAccessList(token, YYCURSOR, true);
        continue;
      }
      "list " NAME " " ACT " " PROTO " " IPV4 {
        ReadAccessList(token, YYCURSOR, false);
        continue;
      }
      // A standard access list names no protocol and no destination.
      "list " NAME " " ACT " " IPV4 { continue; }

      // The destination.
      "-> " IPV4 "(" [0-9]{1,5} ")," {
        ReadDestination(token, YYCURSOR, DestinationForm::kPort);
        continue;
      }
      "-> " IPV4 " (" [0-9]+ "/" [0-9]+ ")," {
        ReadDestination(token, YYCURSOR, DestinationForm::kIcmp);
        continue;
      }
      "-> " IPV4 "," {
        ReadDestination(token, YYCURSOR, DestinationForm::kBare);
        continue;
      }

      [0-9]+ " packet" "s"? {
        // Read whole: a count past the range of int is still a count.
        e.count = CheckedStrtoul(TokenText(token, YYCURSOR), 10);
        parse_status_ |= kCount;
        continue;
      }
      "(" [- *./0-9A-Z_a-z]* ")" {
        e.interface.Set(View(token, YYCURSOR));
        continue;
      }

      !use:catch_all;
    */
  }
}

}  // namespace tnwk
