// The PIX/FWSM scanner: the deny messages that PIX firewalls and FWSM
// modules send through syslog ("%PIX-4-106023: Deny tcp src
// outside:10.1.1.1/1234 dst inside:10.2.2.2/80 ..."). Each supported message
// is known by its wording, which also gives the protocol; oob_prefix is
// always "Deny" and interface "-" unless the line names one "on interface".
// The whole line is scanned (newlines included); every entry has count 1.
// Connection bookkeeping messages (built, teardown, translation and
// statistics lines) are not packet-log lines; a line is accepted when a
// header, a source and a destination were read and nothing else was. For
// ICMP messages that give a type and code, these go into sport and dport,
// and also into icmp_type and icmp_code when they fit a byte.
//
// Rules are listed in priority order; the longest match wins and a tie goes
// to the earlier rule. The dialect has no start conditions, but its message
// wordings (the source tokens and the bookkeeping messages) are long, and in
// one automaton with the other rules they make the scanner compile three
// times as long, so they are matched by one of their own, from the only
// actions whose match they can outrun:
//   - every message that starts with a blank has a letter next, so the blank
//     rule matched exactly that one blank;
//   - the URL message starts with an address followed by a blank, which the
//     bare address rule matched whole;
//   - the statistics message starts with a number followed by a blank, where
//     nothing but the single-character rule matches.
// A message always ends further on, and no message ties with a rule of the
// main list, so taking the longer of the two is exactly the longest-match
// outcome of one list.
//
// Endpoint tokens are read by position within the token, which their
// patterns bound: an octet has at most three digits and a port at most five,
// so "to 10.2.2.2/123456" is port 12345 followed by a stray "6".
#include <cstring>
#include <string_view>

#include "base/address_family.h"
#include "base/ip_protocol.h"
#include "entries/log_entry.h"
#include "parsers/dialect_parser.h"
#include "parsers/scanner_dialects.h"

namespace tnwk {

/*!include:re2c "scanner_rules.re" */

/*!re2c
  re2c:flags:bit-vectors = 1;

  PORT  = [0-9]{1,5};
  IFACE = [A-Za-z] [-.0-9A-Z_a-z]*;
  DUR   = [0-9:]+;
  BLANKS       = " "+;
  UNKNOWN_WORD = IFACE;
*/
/*!include:re2c "catch_all_rules.re" */

namespace {

// parse_status bits (kStatusHeader is 0x01).
constexpr uint32_t kSource = 0x02;
constexpr uint32_t kDestination = 0x04;
constexpr uint32_t kBookkeeping = 0x08;

// What the message automaton found at a position.
struct Message {
  enum Kind { kNone, kSource, kBookkeeping };
  Kind kind = kNone;
  uint8_t protocol = 0;  // of a source
  const unsigned char* end = nullptr;
};

Message Source(uint8_t protocol, const unsigned char* end) {
  return {Message::kSource, protocol, end};
}

// The message wordings, in their priority order among the rules.
Message MatchMessage(const unsigned char* p) {
  const unsigned char* YYCURSOR = p;
  const unsigned char* YYMARKER = p;
  /*!re2c
    // Sources: the wording gives the protocol. No text matches two
    // wordings, so their order does not matter.
    " Inbound TCP connection denied from " IPV4 "/" PORT
    | " Deny TCP (no connection) from " IPV4 "/" PORT
    | " Deny tcp src " IFACE ":" IPV4 "/" PORT
    | " Deny inbound tcp src " IFACE ":" IPV4 "/" PORT
    | " Deny inbound (No xlate) tcp src " IFACE ":" IPV4 "/" PORT {
      return Source(kProtocolTcp, YYCURSOR);
    }
    " Deny inbound UDP from " IPV4 "/" PORT
    | " Deny udp src " IFACE ":" IPV4 "/" PORT
    | " Deny inbound (No xlate) udp src " IFACE ":" IPV4 "/" PORT {
      return Source(kProtocolUdp, YYCURSOR);
    }
    " Deny icmp src " IFACE ":" IPV4
    | " Deny inbound icmp src " IFACE ":" IPV4
    | " Deny inbound (No xlate) icmp src " IFACE ":" IPV4 {
      return Source(kProtocolIcmp, YYCURSOR);
    }

    // Connection bookkeeping: the line is not a packet log line.
    " Built dynamic " ("ICMP" | "TCP" | "UDP") " translation from " IFACE
        ":" IPV4 "/" PORT " to " IFACE ":" IPV4 "/" PORT
    | " Built " ("inbound" | "outbound") " " ("TCP" | "UDP")
        " connection " [0-9]+ " for " IFACE ":" IPV4 "/" PORT
        " (" IPV4 "/" PORT ") to " IFACE ":" IPV4 "/" PORT
        " (" IPV4 "/" PORT ")"
    | " Built static translation from " IFACE ":" IPV4 " to " IFACE ":" IPV4
    | " Built local-host " IFACE ":" IPV4
    | " Teardown dynamic " ("ICMP" | "TCP" | "UDP") " translation from "
        IFACE ":" IPV4 "/" PORT " to " IFACE ":" IPV4 "/" PORT " duration " DUR
    | " Teardown " ("TCP" | "UDP") " connection " [0-9]+ " for " IFACE ":"
        IPV4 "/" PORT " to " IFACE ":" IPV4 "/" PORT " duration " DUR
        " bytes " [0-9]+
    | " Teardown local-host " IFACE ":" IPV4 " duration " DUR
    | IPV4 " Accessed URL " [^\n\x00]+
    | " IGRP request discarded from " IPV4 " to " IFACE ":" IPV4
    | [0-9]+ " in use, " [0-9]+ " most used" {
      return {Message::kBookkeeping, 0, YYCURSOR};
    }
    * { return {}; }
  */
}

// What an endpoint token says: its address, and its port or ICMP type and
// code when it gives them.
struct Endpoint {
  // The octets printed back in decimal: "010.1.1.1" is ten, not the octal
  // eight that the address parser would read from the text as written.
  char address[16] = {};
  bool has_port = false;
  uint32_t port = 0;
  bool has_icmp = false;
  uint32_t icmp_type = 0;
  uint32_t icmp_code = 0;
};

// An endpoint token: fixed words (never digits or a colon), then either an
// interface and a colon or the address, then "/port", " (type t, code c)"
// or other fixed words. The patterns bound every number: three digits an
// octet, five a port, type or code.
Endpoint ReadEndpoint(const unsigned char* begin, const unsigned char* end) {
  Endpoint endpoint;
  const unsigned char* p = static_cast<const unsigned char*>(
      std::memchr(begin, ':', static_cast<size_t>(end - begin)));
  if (p != nullptr) {
    ++p;
  } else {
    p = begin;
    while (!IsDigit(*p)) ++p;
  }
  ReadDottedQuad(&p, end, endpoint.address);

  constexpr std::string_view kType = " (type ";
  constexpr std::string_view kCode = ", code ";
  if (p < end && *p == '/') {
    ++p;
    endpoint.has_port = true;
    endpoint.port = ReadDecimal(&p, end, 5);
  } else if (View(p, end).starts_with(kType)) {
    p += kType.size();
    endpoint.icmp_type = ReadDecimal(&p, end, 5);
    p += kCode.size();
    endpoint.icmp_code = ReadDecimal(&p, end, 5);
    endpoint.has_icmp = true;
  }
  return endpoint;
}

class CiscoPixParser final : public ScannedDialect {
 public:
  explicit CiscoPixParser(const ParserEnvironment& env)
      : ScannedDialect(env, "cisco_pix") {}

 private:
  void Prepare() override;
  void Scan(const unsigned char* line) override;
  LineResult Result() override;

  // The actions of the source tokens (which also give the protocol) and of
  // the destination tokens, on the token [begin, end).
  void ReadSource(uint8_t protocol, const unsigned char* begin,
                  const unsigned char* end);
  void ReadDestination(const unsigned char* begin, const unsigned char* end);
  // A message wording at `begin` that ends past `end`, the end of what the
  // main rules matched there: applies its action and returns its end, or
  // returns null when there is none.
  const unsigned char* ReadMessage(const unsigned char* begin,
                                   const unsigned char* end);

  // The catch-all hooks: a blank run or a digit may start a message.
  const unsigned char* AfterBlanks(const unsigned char* begin,
                                   const unsigned char* end) {
    return ReadMessage(begin, end);
  }
  const unsigned char* AfterUnknownCharacter(const unsigned char* begin,
                                             const unsigned char* end) {
    return IsDigit(*begin) ? ReadMessage(begin, end) : nullptr;
  }
};

}  // namespace

DialectParser* NewCiscoPixParser(const ParserEnvironment& env) {
  return new CiscoPixParser(env);
}

void CiscoPixParser::Prepare() {
  LogEntry& e = entry();
  e.interface.Set("-");
  e.oob_prefix.Set("Deny");
  e.count = 1;
}

LineResult CiscoPixParser::Result() {
  if ((parse_status_ & kBookkeeping) != 0) return LineResult::kNotPacketLog;
  return parse_status_ == (kStatusHeader | kSource | kDestination)
             ? LineResult::kAccepted
             : LineResult::kWrongFormat;
}

void CiscoPixParser::ReadSource(uint8_t protocol, const unsigned char* begin,
                                const unsigned char* end) {
  LogEntry& e = entry();
  e.ip_protocol = protocol;
  const Endpoint endpoint = ReadEndpoint(begin, end);
  if (endpoint.has_port) e.sport = endpoint.port;
  ReadAddress(kFamilyIpv4, endpoint.address, &e.ip_saddr, kSource);
}

void CiscoPixParser::ReadDestination(const unsigned char* begin,
                                     const unsigned char* end) {
  LogEntry& e = entry();
  const Endpoint endpoint = ReadEndpoint(begin, end);
  if (endpoint.has_port) e.dport = endpoint.port;
  if (endpoint.has_icmp) {
    e.sport = endpoint.icmp_type;
    e.dport = endpoint.icmp_code;
    // The ICMP columns and criteria read these; a value that does not fit
    // a byte would alias a real type, so it leaves "none".
    if (endpoint.icmp_type <= 255 && endpoint.icmp_code <= 255) {
      e.icmp_type = static_cast<uint8_t>(endpoint.icmp_type);
      e.icmp_code = static_cast<uint8_t>(endpoint.icmp_code);
    }
  }
  ReadAddress(kFamilyIpv4, endpoint.address, &e.ip_daddr, kDestination);
}

const unsigned char* CiscoPixParser::ReadMessage(const unsigned char* begin,
                                                 const unsigned char* end) {
  const Message message = MatchMessage(begin);
  if (message.kind == Message::kNone || message.end <= end) return nullptr;
  if (message.kind == Message::kSource) {
    ReadSource(message.protocol, begin, message.end);
  } else {
    parse_status_ |= kBookkeeping;
  }
  return message.end;
}

void CiscoPixParser::Scan(const unsigned char* YYCURSOR) {
  const unsigned char* YYMARKER = YYCURSOR;
  LogEntry& e = entry();
  for (const unsigned char* token = YYCURSOR;; token = YYCURSOR) {
    /*!re2c

      // The syslog header; an empty host still gives the date, and leaves
      // the host of an earlier header (a relay's) in place.
      SYSLOG_HEADER {
        const unsigned char* time_end = ReadMonthDayTime(token, 1);
        if (time_end + 1 < YYCURSOR) {
          e.local_hostname.Set(View(time_end + 1, YYCURSOR).substr(0, 32));
        }
        continue;
      }
      "%" [A-Z]{3,4} "-" [1-7] "-" [0-9]{6} ":" { continue; }
      // The device's timestamp. Its year is not used: the date builder
      // places the date in the current or the previous year, like the
      // syslog header's.
      MONTH " " DAY " " [0-9]{4} " " TIME ":"? {
        ReadMonthDayTime(token, 6);  // " yyyy " between day and time
        continue;
      }
      " : " { continue; }

      // The source wordings come here, in MatchMessage.
      IPV4 " attempted to ping " {
        ReadSource(kProtocolIcmp, token, YYCURSOR);
        continue;
      }

      // Destinations. A bare address that no longer token covers is one
      // too, and a later one replaces an earlier one.
      "to " IPV4 "/" PORT
      | "dst " IFACE ":" IPV4 "/" PORT
      | "dst " IFACE ":" IPV4 " (type " PORT ", code " PORT ")" {
        ReadDestination(token, YYCURSOR);
        continue;
      }
      IPV4 {
        if (const unsigned char* end = ReadMessage(token, YYCURSOR)) {
          YYCURSOR = end;
          continue;
        }
        ReadDestination(token, YYCURSOR);
        continue;
      }

      "flags" { continue; }
      !use:tcp_flag_words;
      "on interface " IFACE {
        e.interface.Set(View(token, YYCURSOR).substr(13));
        continue;
      }
      "by access-group \"" [A-Za-z] [-.0-9A-Z_a-z]* "\"" { continue; }
      "due to DNS " ("Query" | "Response") { continue; }
      "(" IPV4 ")" { continue; }

      // The bookkeeping messages come here, in MatchMessage.

      !use:catch_all;
    */
  }
}

}  // namespace tnwk
