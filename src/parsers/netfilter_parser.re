// The netfilter scanner. Tokens whose value an action converts are first
// copied into token_, so a conversion never reads past its token (SPT=123456
// is the port 12345 followed by a stray digit, not the port 123456).
//
// Rules are listed in priority order (Scan takes the rule blocks in the
// order they are written); the longest match wins and a tie goes to the
// earlier rule. Almost every rule is active in every start condition,
// so they form one automaton. The few that are not are decided from the
// condition:
//   - LEN= and ID= match the same text everywhere; the action asks whether
//     the IP header is being read.
//   - The log prefix (AFTER_TAG), the hexadecimal "ID:" (IP_HEADER) and the
//     bracketed copy of an ICMP error's packet (ICMP_INNER) are matched by
//     small automata of their own, from the only actions whose match they
//     can outrun: the blank and the kernel tags (both start with a blank),
//     the word "ID", and the single "[". None of them can tie with those
//     matches, so taking the longer of the two is exactly the longest-match
//     outcome of one list.
#include "parsers/netfilter_parser.h"

#include <cstring>
#include <ctime>
#include <string_view>

#include "base/address_family.h"
#include "base/address_parser.h"
#include "base/ip_protocol.h"
#include "base/numbers.h"

namespace tnwk {

/*!include:re2c "scanner_rules.re" */

/*!re2c
  HOST   = HOST_CHAR+;
  IFNAME = ([A-Za-z] [-.0-9A-Z_a-z]*)?;
  IPV6   = [0-9A-Fa-f]{0,4} (":" [0-9A-Fa-f]{0,4}){2,7};
  HEXNUM = "0x" [0-9A-Fa-f]+ | [0-9A-Fa-f]+;
  HEX2   = [0-9A-Fa-f]{2};
  YEAR   = [0-9]{4};
  ISO_TIME = YEAR "-" [0-9]{2} "-" [0-9]{2} "T" [0-9]{2} ":" [0-9]{2}
             ":" [0-9]{2} ("." [0-9]{1,6})?
             ("Z" | [-+] [0-9]{2} ":" [0-9]{2});
  DASHED_TIME = YEAR ":" [0-9]{2} ":" [0-9]{2} "-" [0-9]{2} ":" [0-9]{2}
                ":" [0-9]{2};
  BLANKS       = " ";
  UNKNOWN_WORD = [A-Za-z] [-.0-9A-Z_a-z]*;
*/
/*!include:re2c "catch_all_rules.re" */

namespace {

// The condition-bound rules, each as its own automaton. Each returns the end
// of its longest match at `p`, or null. The log prefix rule of AFTER_TAG is
// matched by LogPrefixEnd.

// <IP_HEADER>: the IP ID in hexadecimal.
const unsigned char* MatchHexId(const unsigned char* p) {
  const unsigned char* YYCURSOR = p;
  const unsigned char* YYMARKER = p;
  /*!re2c
    "ID:" [0-9A-Fa-f]{8} { return YYCURSOR; }
    *                    { return nullptr; }
  */
}

// <ICMP_INNER>: the copy of the offending packet in an ICMP error, up to the
// last closing bracket of the line; its fields are not the packet's.
const unsigned char* MatchInnerPacket(const unsigned char* p) {
  const unsigned char* YYCURSOR = p;
  const unsigned char* YYMARKER = p;
  /*!re2c
    "[" [^\n\x00]+ "]" { return YYCURSOR; }
    *                  { return nullptr; }
  */
}

bool IsIfnameStart(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The characters a log prefix may hold: printable ASCII and Latin-1.
bool IsPrefixChar(unsigned char c) {
  return (c >= 0x20 && c <= 0x7e) || c >= 0xa1;
}

bool IsIfnameChar(unsigned char c) {
  return IsIfnameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_';
}

// Which fields a line must have depends on its protocol.
bool IsComplete(uint32_t status, uint8_t protocol) {
  constexpr uint32_t kTransportLine = kStatusHeader | kNetfilterIn |
                                      kNetfilterSrc | kNetfilterDst |
                                      kNetfilterProto | kNetfilterSpt |
                                      kNetfilterDpt;
  constexpr uint32_t kIcmpLine = kStatusHeader | kNetfilterIn | kNetfilterSrc |
                                 kNetfilterDst | kNetfilterProto |
                                 kNetfilterType;
  constexpr uint32_t kAnyLine = kStatusHeader | kNetfilterIn | kNetfilterSrc |
                                kNetfilterDst | kNetfilterProto;
  switch (protocol) {
    case kProtocolTcp:
    case kProtocolUdp:
      return status == kTransportLine;
    case kProtocolIcmp:
    case kProtocolIcmpv6:
      return status == kIcmpLine;
    default:
      return (status & kAnyLine) == kAnyLine;
  }
}

}  // namespace

const unsigned char* NetfilterParser::LogPrefixEnd(const unsigned char* blank) {
  // The rule " " [\x20-\x7e\xa1-\xff]+ "IN=" IFNAME: its longest match runs
  // to the last "IN=" of the run of prefix characters after the blank (an
  // interface name cannot reach past a later "="). Every blank of one run
  // shares that run, so it is scanned once per line, not once per blank,
  // which kept a line of many words before "IN=" quadratic.
  if (prefix_run_end_ == nullptr || blank >= prefix_run_end_) {
    const unsigned char* p = blank + 1;
    const unsigned char* in = nullptr;
    for (; IsPrefixChar(*p); ++p) {
      if (p[0] == 'I' && p[1] == 'N' && p[2] == '=') in = p;
    }
    prefix_run_end_ = p;
    prefix_in_ = in;
  }
  // At least one prefix character stands between the blank and "IN=".
  if (prefix_in_ == nullptr || prefix_in_ < blank + 2) return nullptr;
  const unsigned char* end = prefix_in_ + 3;
  if (IsIfnameStart(*end)) {
    ++end;
    while (IsIfnameChar(*end)) ++end;
  }
  return end;
}

const unsigned char* NetfilterParser::ReadLogPrefix(const unsigned char* begin,
                                                    const unsigned char* end) {
  // The token runs to the last "IN=" of the line, which on a bridge is the
  // one of "PHYSIN="; the prefix ends at the last "IN=" that is not.
  const unsigned char* in = nullptr;
  for (const unsigned char* p = end - 3; p > begin; --p) {
    if (p[0] != 'I' || p[1] != 'N' || p[2] != '=') continue;
    if (p - begin >= 5 && std::memcmp(p - 4, "PHYS", 4) == 0) continue;
    in = p;
    break;
  }
  if (in == nullptr) {
    // Only "PHYSIN=" in the token: there is no prefix here, so the blank is
    // just a blank and the rest is scanned token by token.
    return begin + 1;
  }

  const unsigned char* prefix_end = in;
  // Front ends glue their prefix to "IN=" ("[wan-lan-default-D]IN=eth0");
  // only a separating blank is not part of the prefix.
  if (prefix_end - 1 > begin && prefix_end[-1] == ' ') --prefix_end;
  LogEntry& e = entry();
  if (prefix_end > begin + 1) {
    e.oob_prefix.Set(View(begin + 1, prefix_end));
  } else {
    e.oob_prefix.Set("-");
  }

  const unsigned char* name = in + 3;
  const unsigned char* name_end = name;
  if (name_end < end && IsIfnameStart(*name_end)) {
    ++name_end;
    while (name_end < end && IsIfnameChar(*name_end)) ++name_end;
  }
  e.oob_in.Set(View(name, name_end));
  e.interface.Set(View(name, name_end));
  parse_status_ |= kNetfilterIn;
  condition_ = NetfilterCondition::IP_HEADER;
  // OUT=, PHYSIN= and whatever else the token swallowed are tokens of their
  // own.
  return name_end;
}

void NetfilterParser::ReadProtocol(const char* word) {
  const std::string_view w(word);
  uint8_t& protocol = entry().ip_protocol;
  if (IsDigit(w[0])) {
    protocol = static_cast<uint8_t>(CheckedAtoi(word));
  } else if (w.starts_with("ICMPv6")) {
    protocol = kProtocolIcmpv6;
  } else if (const uint8_t number = ProtocolOfWord(w); number != 0) {
    protocol = number;  // UDPLITE is UDP
  } else if (w.starts_with("AH")) {
    protocol = kProtocolAh;
  } else if (w.starts_with("ESP")) {
    protocol = kProtocolEsp;
  }
  if (protocol != 0) parse_status_ |= kNetfilterProto;
}

const unsigned char* NetfilterParser::AfterBlanks(const unsigned char* begin,
                                                  const unsigned char* end) {
  // Where the log prefix can start, its automaton may outrun the blank and
  // the kernel tags.
  if (condition_ != NetfilterCondition::AFTER_TAG) return nullptr;
  const unsigned char* prefix_end = LogPrefixEnd(begin);
  if (prefix_end == nullptr || prefix_end <= end) return nullptr;
  return ReadLogPrefix(begin, prefix_end);
}

const unsigned char* NetfilterParser::AfterUnknownWord(
    const unsigned char* begin, const unsigned char* end) {
  if (condition_ != NetfilterCondition::IP_HEADER || end - begin != 2 ||
      begin[0] != 'I' || begin[1] != 'D') {
    return nullptr;
  }
  const unsigned char* id_end = MatchHexId(begin);
  if (id_end == nullptr) return nullptr;
  entry().ip_id =
      static_cast<uint16_t>(CheckedStrtoul(View(begin + 3, id_end), 16));
  return id_end;
}

const unsigned char* NetfilterParser::AfterUnknownCharacter(
    const unsigned char* begin, const unsigned char*) {
  if (condition_ != NetfilterCondition::ICMP_INNER || *begin != '[') {
    return nullptr;
  }
  return MatchInnerPacket(begin);
}

// The syslog date and host, and the kernel tag that ends the header.
/*!rules:re2c:netfilter_header
  // Timestamps. A kernel tag right after a host-less date is part of
  // the date token and starts the fields.
  DATE " " ("klogd:" | "kernel:" | "[kernel]") {
    condition_ = NetfilterCondition::AFTER_TAG;
    ReadSyslogDate(token, YYCURSOR, false);
    continue;
  }
  DATE " " HOST {
    ReadSyslogDate(token, YYCURSOR, true);
    continue;
  }
  DATE {
    ReadSyslogDate(token, YYCURSOR, false);
    continue;
  }
  // A leading year is skipped; the date builder infers it.
  YEAR " " DATE " " HOST {
    ReadSyslogDate(token + 5, YYCURSOR, true);
    continue;
  }
  YEAR " " DATE {
    ReadSyslogDate(token + 5, YYCURSOR, false);
    continue;
  }
  DASHED_TIME " " HOST {
    ReadCalendarTime(token, YYCURSOR);
    continue;
  }
  ISO_TIME " " HOST {
    ReadCalendarTime(token, YYCURSOR);
    continue;
  }

  // Kernel tags, with or without the uptime stamp.
  " " ("klogd" | "kernel") ": [" " "* [0-9]+ "." [0-9]+ "]"
  | " " ("klogd" | "kernel") ":" | " [kernel]" {
    // The tag starts with a blank, so the log prefix may outrun it.
    if (const unsigned char* end = AfterBlanks(token, YYCURSOR)) {
      YYCURSOR = end;
      continue;
    }
    condition_ = NetfilterCondition::AFTER_TAG;
    continue;
  }
*/

// The interfaces and the link layer: IN=, OUT=, MAC= and the tunnel.
/*!rules:re2c:netfilter_link
  "IN=" IFNAME {
    condition_ = NetfilterCondition::IP_HEADER;
    e.oob_prefix.Set("-");
    e.oob_in.Set(view().substr(3));
    e.interface.Set(view().substr(3));
    parse_status_ |= kNetfilterIn;
    continue;
  }
  "OUT=" IFNAME {
    e.oob_out.Set(view().substr(4));
    continue;
  }
  "PHYSIN=" IFNAME {
    continue;
  }
  "PHYSOUT=" IFNAME {
    continue;
  }
  "MAC=" (HEX2 (":" HEX2){13,})? {
    e.raw_mac.Set(view().substr(4));
    continue;
  }
  "MACSRC=" HEX2 (":" HEX2){5} {
    e.mac_saddr_str.Set(view().substr(7));
    continue;
  }
  "MACDST=" HEX2 (":" HEX2){5} {
    e.mac_daddr_str.Set(view().substr(7));
    continue;
  }
  "MACPROTO=" [0-9A-Fa-f]+ {
    e.oob_protocol =
        static_cast<uint16_t>(CheckedStrtoul(view().substr(9), 16));
    continue;
  }
  "TUNNEL=" IPV4 "->" IPV4 {
    continue;
  }
*/

// The addresses and the IP header fields.
/*!rules:re2c:netfilter_ip
  // Addresses. The family of the line is the one of its SRC=.
  "SRC=" IPV4 {
    if (ReadAddress(kFamilyIpv4, text() + 4, &e.ip_saddr, kNetfilterSrc)) {
      e.oob_family = kFamilyIpv4;
    }
    continue;
  }
  "DST=" IPV4 {
    ReadAddress(kFamilyIpv4, text() + 4, &e.ip_daddr, kNetfilterDst);
    continue;
  }
  "SRC=" IPV6 {
    if (ReadAddress(kFamilyIpv6, text() + 4, &e.ip_saddr, kNetfilterSrc)) {
      e.oob_family = kFamilyIpv6;
    }
    continue;
  }
  "DST=" IPV6 {
    ReadAddress(kFamilyIpv6, text() + 4, &e.ip_daddr, kNetfilterDst);
    continue;
  }

  // In the IP header LEN= is the packet's length; elsewhere it belongs
  // to the transport header.
  "LEN=" NUM {
    if (condition_ != NetfilterCondition::IP_HEADER) {
      e.udp_len = static_cast<uint16_t>(CheckedAtol(view().substr(4)));
      continue;
    }
    const unsigned long length = CheckedStrtoul(view().substr(4), 0);
    if (e.oob_family == kFamilyIpv4) {
      e.ip_totlen = static_cast<uint16_t>(length);
    } else {
      e.ip6_payloadlen = static_cast<uint16_t>(length);
    }
    continue;
  }
  "TOS=" HEXNUM {
    e.ip_tos |= static_cast<uint8_t>(CheckedStrtol(view().substr(4), 0));
    continue;
  }
  "PREC=" HEXNUM {
    e.ip_tos |= static_cast<uint8_t>(CheckedStrtol(view().substr(5), 0));
    continue;
  }
  "TTL=" NUM {
    e.ip_ttl = static_cast<uint8_t>(CheckedAtoi(view().substr(4)));
    continue;
  }
  // ID= likewise: the IP header's, or the ICMP echo's.
  "ID=" NUM {
    if (condition_ == NetfilterCondition::IP_HEADER) {
      e.ip_id = static_cast<uint16_t>(CheckedStrtoul(view().substr(3), 0));
    } else {
      e.icmp_echoid = static_cast<uint16_t>(CheckedAtoi(view().substr(3)));
    }
    continue;
  }
  "CE" { continue; }
  "DF" {
    e.ip_fragoff |= 0x4000;
    continue;
  }
  "MF" {
    e.ip_fragoff |= 0x2000;
    continue;
  }
  "FRAG:" NUM {
    e.ip_fragoff |= static_cast<uint16_t>(CheckedAtoi(view().substr(5)));
    continue;
  }
  "PROTO=" (NUM | "TCP" | "UDP" | "UDPLITE" | "ICMP" | "ICMPv6" | "AH"
            | "ESP") {
    condition_ = NetfilterCondition::TRANSPORT;
    ReadProtocol(text() + 6);
    continue;
  }
  "INCOMPLETE [" NUM " bytes]" {
    continue;
  }
*/

// The transport header: ICMP type and code, TCP and UDP fields, SPI.
/*!rules:re2c:netfilter_transport
  "TYPE=" NUM {
    e.icmp_type = static_cast<uint8_t>(CheckedAtoi(view().substr(5)));
    parse_status_ |= kNetfilterType;
    continue;
  }
  "CODE=" NUM {
    condition_ = NetfilterCondition::ICMP_INNER;
    e.icmp_code = static_cast<uint8_t>(CheckedAtoi(view().substr(5)));
    continue;
  }
  "SEQ=" NUM {
    const unsigned long seq = CheckedStrtoul(view().substr(4), 0);
    if (e.ip_protocol == kProtocolTcp) {
      e.tcp_seq = static_cast<uint32_t>(seq);
    } else {
      e.icmp_echoseq = static_cast<uint16_t>(seq);
    }
    continue;
  }
  "ACK=" NUM {
    e.tcp_ackseq =
        static_cast<uint32_t>(CheckedStrtoul(view().substr(4), 0));
    continue;
  }
  "SPT=" [0-9]{1,5} {
    e.sport = static_cast<uint32_t>(CheckedAtol(view().substr(4)));
    parse_status_ |= kNetfilterSpt;
    continue;
  }
  "DPT=" [0-9]{1,5} {
    e.dport = static_cast<uint32_t>(CheckedAtol(view().substr(4)));
    parse_status_ |= kNetfilterDpt;
    continue;
  }
  "WINDOW=" NUM {
    e.tcp_window = static_cast<uint16_t>(CheckedAtol(view().substr(7)));
    continue;
  }
  "RES=" HEXNUM {
    continue;
  }
  "URGP=" NUM {
    e.tcp_urgp = static_cast<uint16_t>(CheckedAtol(view().substr(5)));
    continue;
  }
  !use:tcp_flag_words;
  "ECE" { continue; }
  "CWR" { continue; }
  "OPT (" [0-9A-Fa-f]+ ")" {
    continue;
  }
  "OPT (TRUNCATED)" {
    continue;
  }
  "SPI=" HEXNUM {
    e.ahesp_spi =
        static_cast<uint32_t>(CheckedStrtoul(view().substr(4), 0));
    continue;
  }
*/

// ICMP error details, IPv6 header fields, the mark, owner and truncation.
/*!rules:re2c:netfilter_trailer
  "GATEWAY=" IPV4 {
    uint8_t unused_v6[16];
    parse_ip_address(kFamilyIpv4, text() + 8, &e.icmp_gateway, unused_v6,
                     nullptr, diag());
    continue;
  }
  "MTU=" NUM {
    e.icmp_fragmtu = static_cast<uint16_t>(CheckedAtoi(view().substr(4)));
    continue;
  }
  "TC=" NUM {
    e.ip_tos |= static_cast<uint8_t>(CheckedStrtol(view().substr(3), 0));
    continue;
  }
  "HOPLIMIT=" NUM {
    e.ip_ttl = static_cast<uint8_t>(CheckedAtoi(view().substr(9)));
    continue;
  }
  "FLOWLBL=" NUM {
    e.ip6_flowlabel =
        static_cast<uint32_t>(CheckedStrtoul(view().substr(8), 0));
    continue;
  }
  "PARAMETER=" NUM {
    continue;
  }
  "POINTER=" [0-9A-Fa-f]{8} {
    continue;
  }
  "MARK=" HEXNUM {
    e.oob_mark =
        static_cast<uint32_t>(CheckedStrtoul(view().substr(5), 16));
    continue;
  }
  "UID=" NUM {
    continue;
  }
  "GID=" NUM {
    continue;
  }
  "TRUNCATED" {
    continue;
  }
*/

void NetfilterParser::Scan(const unsigned char* YYCURSOR) {
  const unsigned char* YYMARKER = YYCURSOR;
  LogEntry& e = entry();
  for (const unsigned char* token = YYCURSOR;; token = YYCURSOR) {
    // The token as a terminated string, for the conversions.
    auto text = [&] { return TokenText(token, YYCURSOR); };
    // The token as a view, for the bounded copies into text fields.
    auto view = [&] { return View(token, YYCURSOR); };
    /*!re2c
      !use:netfilter_header;
      !use:netfilter_link;
      !use:netfilter_ip;
      !use:netfilter_transport;
      !use:netfilter_trailer;
      !use:catch_all;
    */
  }
}

void NetfilterParser::Prepare() {
  prefix_run_end_ = nullptr;
  entry().count = 1;
}

LineResult NetfilterParser::Result() {
  return IsComplete(parse_status_, entry().ip_protocol)
             ? LineResult::kAccepted
             : LineResult::kWrongFormat;
}

}  // namespace tnwk
