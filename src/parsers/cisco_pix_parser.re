// The PIX/FWSM scanner. The line is scanned in place: unsigned char code
// units, no refilling, and the terminating NUL as the sentinel.
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
#include "parsers/cisco_pix_parser.h"

#include <charconv>
#include <cstring>
#include <string_view>

#include "base/address_family.h"
#include "entries/log_entry.h"
#include "parsers/syslog_time.h"

namespace tnwk {

/*!include:re2c "scanner_rules.re" */

/*!re2c
  re2c:flags:bit-vectors = 1;

  IP    = [0-9]{1,3} "." [0-9]{1,3} "." [0-9]{1,3} "." [0-9]{1,3};
  PORT  = [0-9]{1,5};
  IFACE = [A-Za-z] [-.0-9A-Z_a-z]*;
  DUR   = [0-9:]+;
*/

namespace {

constexpr uint8_t kTcp = 6;
constexpr uint8_t kUdp = 17;
constexpr uint8_t kIcmp = 1;

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
    // Sources: the wording gives the protocol.
    " Inbound TCP connection denied from " IP "/" PORT {
      return Source(kTcp, YYCURSOR);
    }
    " Deny TCP (no connection) from " IP "/" PORT {
      return Source(kTcp, YYCURSOR);
    }
    " Deny inbound UDP from " IP "/" PORT { return Source(kUdp, YYCURSOR); }
    " Deny udp src " IFACE ":" IP "/" PORT { return Source(kUdp, YYCURSOR); }
    " Deny tcp src " IFACE ":" IP "/" PORT { return Source(kTcp, YYCURSOR); }
    " Deny icmp src " IFACE ":" IP { return Source(kIcmp, YYCURSOR); }
    " Deny inbound icmp src " IFACE ":" IP { return Source(kIcmp, YYCURSOR); }
    " Deny inbound tcp src " IFACE ":" IP "/" PORT {
      return Source(kTcp, YYCURSOR);
    }
    " Deny inbound (No xlate) tcp src " IFACE ":" IP "/" PORT {
      return Source(kTcp, YYCURSOR);
    }
    " Deny inbound (No xlate) udp src " IFACE ":" IP "/" PORT {
      return Source(kUdp, YYCURSOR);
    }
    " Deny inbound (No xlate) icmp src " IFACE ":" IP {
      return Source(kIcmp, YYCURSOR);
    }

    // Connection bookkeeping: the line is not a packet log line.
    " Built dynamic " ("ICMP" | "TCP" | "UDP") " translation from " IFACE
        ":" IP "/" PORT " to " IFACE ":" IP "/" PORT
    | " Built " ("inbound" | "outbound") " " ("TCP" | "UDP")
        " connection " [0-9]+ " for " IFACE ":" IP "/" PORT
        " (" IP "/" PORT ") to " IFACE ":" IP "/" PORT " (" IP "/" PORT ")"
    | " Built static translation from " IFACE ":" IP " to " IFACE ":" IP
    | " Built local-host " IFACE ":" IP
    | " Teardown dynamic " ("ICMP" | "TCP" | "UDP") " translation from "
        IFACE ":" IP "/" PORT " to " IFACE ":" IP "/" PORT " duration " DUR
    | " Teardown " ("TCP" | "UDP") " connection " [0-9]+ " for " IFACE ":"
        IP "/" PORT " to " IFACE ":" IP "/" PORT " duration " DUR
        " bytes " [0-9]+
    | " Teardown local-host " IFACE ":" IP " duration " DUR
    | IP " Accessed URL " [^\n\x00]+
    | " IGRP request discarded from " IP " to " IFACE ":" IP
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

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// The digit run at `*p`, stopping at `end`; the token's pattern bounds it to
// five digits.
uint32_t ReadNumber(const unsigned char** p, const unsigned char* end) {
  uint32_t value = 0;
  while (*p < end && IsDigit(**p)) value = value * 10 + (*(*p)++ - '0');
  return value;
}

// An endpoint token: fixed words (never digits or a colon), then either an
// interface and a colon or the address, then "/port", " (type t, code c)"
// or other fixed words.
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
  char* out = endpoint.address;
  char* const out_end = endpoint.address + sizeof endpoint.address;
  for (int i = 0; i < 4; ++i) {
    if (i > 0) {
      *out++ = '.';
      ++p;
    }
    out = std::to_chars(out, out_end, ReadNumber(&p, end)).ptr;
  }
  *out = '\0';

  constexpr std::string_view kType = " (type ";
  constexpr std::string_view kCode = ", code ";
  if (p < end && *p == '/') {
    ++p;
    endpoint.has_port = true;
    endpoint.port = ReadNumber(&p, end);
  } else if (View(p, end).starts_with(kType)) {
    p += kType.size();
    endpoint.icmp_type = ReadNumber(&p, end);
    p += kCode.size();
    endpoint.icmp_code = ReadNumber(&p, end);
    endpoint.has_icmp = true;
  }
  return endpoint;
}

// The device's own timestamp "Mmm dd yyyy hh:mm:ss": the position of each
// value within the token.
struct DeviceTime {
  int month, day, hour, minute, second;
};

DeviceTime ReadDeviceTime(const unsigned char* begin) {
  const unsigned char* p = begin + 4;
  if (*p == ' ') ++p;
  int day = *p++ - '0';
  if (*p != ' ') day = day * 10 + (*p++ - '0');
  p += 6;  // " yyyy "
  return {MonthNumber(View(begin, begin + 3)), day, TwoDigits(p),
          TwoDigits(p + 3), TwoDigits(p + 6)};
}

}  // namespace

void CiscoPixParser::ReadSource(uint8_t protocol, const unsigned char* begin,
                                const unsigned char* end) {
  LogEntry& e = entry();
  e.ip_protocol = protocol;
  const Endpoint endpoint = ReadEndpoint(begin, end);
  if (endpoint.has_port) e.sport = endpoint.port;
  if (ParseAddressInto(kFamilyIpv4, endpoint.address, &e.ip_saddr, diag()) ==
      0) {
    parse_status_ |= kCiscoPixSource;
  }
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
  if (ParseAddressInto(kFamilyIpv4, endpoint.address, &e.ip_daddr, diag()) ==
      0) {
    parse_status_ |= kCiscoPixDestination;
  }
}

const unsigned char* CiscoPixParser::ReadMessage(const unsigned char* begin,
                                                 const unsigned char* end) {
  const Message message = MatchMessage(begin);
  if (message.kind == Message::kNone || message.end <= end) return nullptr;
  if (message.kind == Message::kSource) {
    ReadSource(message.protocol, begin, message.end);
  } else {
    parse_status_ |= kCiscoPixBookkeeping;
  }
  return message.end;
}

void CiscoPixParser::Scan(const unsigned char* line) {
  const unsigned char* YYCURSOR = line;
  const unsigned char* YYMARKER = line;
  LogEntry& e = entry();
  for (;;) {
    const unsigned char* token = YYCURSOR;
    /*!re2c

      // The syslog header; an empty host still gives the date.
      SYSLOG_HEADER {
        ReadSyslogDate(token, YYCURSOR, true);
        continue;
      }
      "%" [A-Z]{3,4} "-" [1-7] "-" [0-9]{6} ":" { continue; }
      // The device's timestamp. Its year is not used: the date builder
      // places the date in the current or the previous year, like the
      // syslog header's.
      MONTH " " DAY " " [0-9]{4} " " TIME ":"? {
        const DeviceTime t = ReadDeviceTime(token);
        SetLocalTime(-1, t.month, t.day, t.hour, t.minute, t.second);
        parse_status_ |= kStatusHeader;
        continue;
      }
      " : " { continue; }

      // The source wordings come here, in MatchMessage.
      IP " attempted to ping " {
        ReadSource(kIcmp, token, YYCURSOR);
        continue;
      }

      // Destinations. A bare address that no longer token covers is one
      // too, and a later one replaces an earlier one.
      "to " IP "/" PORT
      | "dst " IFACE ":" IP "/" PORT
      | "dst " IFACE ":" IP " (type " PORT ", code " PORT ")" {
        ReadDestination(token, YYCURSOR);
        continue;
      }
      IP {
        if (const unsigned char* end = ReadMessage(token, YYCURSOR)) {
          YYCURSOR = end;
          continue;
        }
        ReadDestination(token, YYCURSOR);
        continue;
      }

      "flags" { continue; }
      "URG" {
        e.tcp_flags |= kTcpUrg;
        continue;
      }
      "ACK" {
        e.tcp_flags |= kTcpAck;
        continue;
      }
      "PSH" {
        e.tcp_flags |= kTcpPsh;
        continue;
      }
      "RST" {
        e.tcp_flags |= kTcpRst;
        continue;
      }
      "SYN" {
        e.tcp_flags |= kTcpSyn;
        continue;
      }
      "FIN" {
        e.tcp_flags |= kTcpFin;
        continue;
      }
      "on interface " IFACE {
        e.interface.Set(View(token, YYCURSOR).substr(13));
        continue;
      }
      "by access-group \"" [A-Za-z] [-.0-9A-Z_a-z]* "\"" { continue; }
      "due to DNS " ("Query" | "Response") { continue; }
      "(" IP ")" { continue; }

      // The bookkeeping messages come here, in MatchMessage.

      // Catch-all rules: unmatched input never stops the scan.
      " "+ {
        if (const unsigned char* end = ReadMessage(token, YYCURSOR)) {
          YYCURSOR = end;
        }
        continue;
      }
      "\n" { continue; }
      [A-Za-z] [-.0-9A-Z_a-z]* {
        ReportUnrecognized(TokenReportStyle::kPlain, 5, "token", token,
                           YYCURSOR);
        continue;
      }
      [^\n\x00] {
        if (IsDigit(*token)) {
          if (const unsigned char* end = ReadMessage(token, YYCURSOR)) {
            YYCURSOR = end;
            continue;
          }
        }
        ReportUnrecognized(TokenReportStyle::kPlain, 5, "character", token,
                           YYCURSOR);
        continue;
      }
      "\x00" { return; }
    */
  }
}

LineResult CiscoPixParser::ParseEntry(const char* line, uint64_t line_no) {
  BeginLine(line_no);
  LogEntry& e = entry();
  e.interface.Set("-");
  e.oob_prefix.Set("Deny");
  e.count = 1;
  Scan(reinterpret_cast<const unsigned char*>(line));
  if ((parse_status_ & kCiscoPixBookkeeping) != 0) {
    return LineResult::kNotPacketLog;
  }
  if (parse_status_ ==
      (kStatusHeader | kCiscoPixSource | kCiscoPixDestination)) {
    return LineResult::kAccepted;
  }
  ReportParseError("cisco_pix", line);
  return LineResult::kWrongFormat;
}

}  // namespace tnwk
