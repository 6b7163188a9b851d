// The netfilter scanner. The line is scanned in place: unsigned char code
// units, no refilling, and the terminating NUL as the sentinel that no rule
// matches across. Tokens whose value an action converts are first copied into
// token_, so a conversion never reads past its token (SPT=123456 is the port
// 12345 followed by a stray digit, not the port 123456).
//
// Rules are listed in priority order; the longest match wins and a tie goes
// to the earlier rule. Every rule names its conditions explicitly, because
// re2c ranks rules written for all conditions below the others, and here the
// keywords (SYN, DF, LEN=...) must rank above the catch-all word rule.
#include "parsers/netfilter_parser.h"

#include <cstring>
#include <ctime>
#include <string_view>

#include "entries/address_family.h"
#include "parsers/address_parser.h"
#include "parsers/numbers.h"
#include "parsers/syslog_time.h"

namespace tnwk {

/*!include:re2c "syslog_rules.re" */

namespace {

std::string_view View(const unsigned char* begin, const unsigned char* end) {
  return std::string_view(reinterpret_cast<const char*>(begin),
                          static_cast<size_t>(end - begin));
}

int TwoDigits(const unsigned char* p) { return (p[0] - '0') * 10 + p[1] - '0'; }

bool IsIfnameStart(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
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
    case 6:   // TCP
    case 17:  // UDP
      return status == kTransportLine;
    case 1:   // ICMP
    case 58:  // ICMPv6
      return status == kIcmpLine;
    default:
      return (status & kAnyLine) == kAnyLine;
  }
}

}  // namespace

const char* NetfilterParser::TokenText(const unsigned char* begin,
                                       const unsigned char* end) {
  size_t length = static_cast<size_t>(end - begin);
  if (length > kTokenSize - 1) length = kTokenSize - 1;
  std::memcpy(token_, begin, length);
  token_[length] = '\0';
  return token_;
}

void NetfilterParser::ReadSyslogDate(const unsigned char* begin,
                                     const unsigned char* end,
                                     bool with_host) {
  // The token matched "Mmm" " "? "d" or "dd" " hh:mm:ss" and, with a host,
  // " host"; reading it by position gives what sscanf
  // "%3s %2d %2d:%2d:%2d %32s" gives, without the cost of sscanf.
  const std::string_view month = View(begin, begin + 3);
  const unsigned char* p = begin + 4;
  if (*p == ' ') ++p;
  int day = *p++ - '0';
  if (*p != ' ') day = day * 10 + (*p++ - '0');
  ++p;
  const int hour = TwoDigits(p);
  const int minute = TwoDigits(p + 3);
  const int second = TwoDigits(p + 6);
  const DateKey key{clock().Now(), -1, MonthNumber(month), day, hour, minute,
                    second};
  if (!(date_cached_ && key == date_key_)) {
    date_time_ = set_syslog_time(entry(), clock(), month, day, hour, minute,
                                 second);
    date_key_ = key;
    date_cached_ = true;
  }
  entry().local_time = date_time_;
  entry().local_hostname.Set(with_host ? View(p + 9, end).substr(0, 32)
                                       : std::string_view("-"));
  parse_status_ |= kStatusHeader;
}

void NetfilterParser::ReadCalendarTime(const unsigned char* begin,
                                       const unsigned char* end) {
  // Both forms put year, month, day, hour, minute and second at the same
  // offsets; the ISO form's fraction and zone are skipped, so the time is
  // read as local time like every other timestamp of the log.
  const DateKey key{0,
                    TwoDigits(begin) * 100 + TwoDigits(begin + 2),
                    TwoDigits(begin + 5),
                    TwoDigits(begin + 8),
                    TwoDigits(begin + 11),
                    TwoDigits(begin + 14),
                    TwoDigits(begin + 17)};
  if (!(date_cached_ && key == date_key_)) {
    std::tm tm{};
    tm.tm_year = key.year - 1900;
    tm.tm_mon = key.month - 1;
    tm.tm_mday = key.day;
    tm.tm_hour = key.hour;
    tm.tm_min = key.minute;
    tm.tm_sec = key.second;
    tm.tm_isdst = -1;
    date_time_ = clock().MakeTime(&tm);
    date_key_ = key;
    date_cached_ = true;
  }
  entry().local_time = date_time_;
  const unsigned char* host = begin + 19;
  while (*host != ' ') ++host;
  entry().local_hostname.Set(View(host + 1, end).substr(0, 32));
  parse_status_ |= kStatusHeader;
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
  if (w[0] >= '0' && w[0] <= '9') {
    protocol = static_cast<uint8_t>(CheckedAtoi(word));
  } else if (w.starts_with("TCP")) {
    protocol = 6;
  } else if (w.starts_with("UDP")) {  // also UDPLITE
    protocol = 17;
  } else if (w.starts_with("ICMPv6")) {
    protocol = 58;
  } else if (w.starts_with("ICMP")) {
    protocol = 1;
  } else if (w.starts_with("AH")) {
    protocol = 51;
  } else if (w.starts_with("ESP")) {
    protocol = 50;
  }
  if (protocol != 0) parse_status_ |= kNetfilterProto;
}

void NetfilterParser::ReportUnrecognized(const char* what,
                                         const unsigned char* begin,
                                         const unsigned char* end) {
  if (!diag().At(5)) return;
  diag().Log(5, "Unrecognized %s: %s, line %lu\n", what, TokenText(begin, end),
             static_cast<unsigned long>(line_no_));
}

void NetfilterParser::Scan(const unsigned char* line) {
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
      re2c:define:YYCTYPE = "unsigned char";
      re2c:yyfill:enable = 0;
      re2c:sentinel = 0;
      re2c:condenumprefix = "NetfilterCondition::";
      re2c:define:YYGETCONDITION = "condition_";
      re2c:define:YYGETCONDITION:naked = 1;
      re2c:define:YYSETCONDITION = "condition_ = @@;";
      re2c:define:YYSETCONDITION:naked = 1;

      DATE   = MONTH " " DAY " " TIME;
      HOST   = HOST_CHAR+;
      IFNAME = ([A-Za-z] [-.0-9A-Z_a-z]*)?;
      IPV4   = [0-9]{1,3} "." [0-9]{1,3} "." [0-9]{1,3} "." [0-9]{1,3};
      IPV6   = [0-9A-Fa-f]{0,4} (":" [0-9A-Fa-f]{0,4}){2,7};
      HEXNUM = "0x" [0-9A-Fa-f]+ | [0-9A-Fa-f]+;
      NUM    = [0-9]+;
      HEX2   = [0-9A-Fa-f]{2};
      YEAR   = [0-9]{4};
      ISO_TIME = YEAR "-" [0-9]{2} "-" [0-9]{2} "T" [0-9]{2} ":" [0-9]{2}
                 ":" [0-9]{2} ("." [0-9]{1,6})?
                 ("Z" | [-+] [0-9]{2} ":" [0-9]{2});
      DASHED_TIME = YEAR ":" [0-9]{2} ":" [0-9]{2} "-" [0-9]{2} ":" [0-9]{2}
                    ":" [0-9]{2};

      // Timestamps. A kernel tag right after a host-less date is part of
      // the date token and starts the fields.
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER>
      DATE " " ("klogd:" | "kernel:" | "[kernel]") => AFTER_TAG {
        ReadSyslogDate(token, YYCURSOR, false);
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> DATE " " HOST {
        ReadSyslogDate(token, YYCURSOR, true);
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> DATE {
        ReadSyslogDate(token, YYCURSOR, false);
        continue;
      }
      // A leading year is skipped; the date builder infers it.
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> YEAR " " DATE " " HOST {
        ReadSyslogDate(token + 5, YYCURSOR, true);
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> YEAR " " DATE {
        ReadSyslogDate(token + 5, YYCURSOR, false);
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> DASHED_TIME " " HOST {
        ReadCalendarTime(token, YYCURSOR);
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> ISO_TIME " " HOST {
        ReadCalendarTime(token, YYCURSOR);
        continue;
      }

      // Kernel tags, with or without the uptime stamp.
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER>
      " " ("klogd" | "kernel") ": [" " "* [0-9]+ "." [0-9]+ "]" => AFTER_TAG {
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER>
      " " ("klogd" | "kernel") ":" | " [kernel]" => AFTER_TAG {
        continue;
      }

      // Interfaces and link layer.
      <AFTER_TAG> " " [\x20-\x7e\xa1-\xff]+ "IN=" IFNAME {
        YYCURSOR = ReadLogPrefix(token, YYCURSOR);
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER>
      "IN=" IFNAME => IP_HEADER {
        e.oob_prefix.Set("-");
        e.oob_in.Set(view().substr(3));
        e.interface.Set(view().substr(3));
        parse_status_ |= kNetfilterIn;
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "OUT=" IFNAME {
        e.oob_out.Set(view().substr(4));
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "PHYSIN=" IFNAME {
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "PHYSOUT=" IFNAME {
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER>
      "MAC=" (HEX2 (":" HEX2){13,})? {
        e.raw_mac.Set(view().substr(4));
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER>
      "MACSRC=" HEX2 (":" HEX2){5} {
        e.mac_saddr_str.Set(view().substr(7));
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER>
      "MACDST=" HEX2 (":" HEX2){5} {
        e.mac_daddr_str.Set(view().substr(7));
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER>
      "MACPROTO=" [0-9A-Fa-f]+ {
        e.oob_protocol = static_cast<uint16_t>(CheckedStrtoul(text() + 9, 16));
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER>
      "TUNNEL=" IPV4 "->" IPV4 {
        continue;
      }

      // Addresses. The family of the line is the one of its SRC=.
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "SRC=" IPV4 {
        if (ParseAddressInto(kFamilyIpv4, text() + 4, &e.ip_saddr, diag()) ==
            0) {
          e.oob_family = kFamilyIpv4;
          parse_status_ |= kNetfilterSrc;
        }
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "DST=" IPV4 {
        if (ParseAddressInto(kFamilyIpv4, text() + 4, &e.ip_daddr, diag()) ==
            0) {
          parse_status_ |= kNetfilterDst;
        }
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "SRC=" IPV6 {
        if (ParseAddressInto(kFamilyIpv6, text() + 4, &e.ip_saddr, diag()) ==
            0) {
          e.oob_family = kFamilyIpv6;
          parse_status_ |= kNetfilterSrc;
        }
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "DST=" IPV6 {
        if (ParseAddressInto(kFamilyIpv6, text() + 4, &e.ip_daddr, diag()) ==
            0) {
          parse_status_ |= kNetfilterDst;
        }
        continue;
      }

      // IP header.
      <IP_HEADER> "LEN=" NUM {
        const unsigned long length = CheckedStrtoul(text() + 4, 0);
        if (e.oob_family == kFamilyIpv4) {
          e.ip_totlen = static_cast<uint16_t>(length);
        } else {
          e.ip6_payloadlen = static_cast<uint16_t>(length);
        }
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "TOS=" HEXNUM {
        e.ip_tos |= static_cast<uint8_t>(CheckedStrtol(text() + 4, 0));
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "PREC=" HEXNUM {
        e.ip_tos |= static_cast<uint8_t>(CheckedStrtol(text() + 5, 0));
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "TTL=" NUM {
        e.ip_ttl = static_cast<uint8_t>(CheckedAtoi(text() + 4));
        continue;
      }
      <IP_HEADER> "ID=" NUM {
        e.ip_id = static_cast<uint16_t>(CheckedStrtoul(text() + 3, 0));
        continue;
      }
      <IP_HEADER> "ID:" [0-9A-Fa-f]{8} {
        e.ip_id = static_cast<uint16_t>(CheckedStrtoul(text() + 3, 16));
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "CE" { continue; }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "DF" {
        e.ip_fragoff |= 0x4000;
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "MF" {
        e.ip_fragoff |= 0x2000;
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "FRAG:" NUM {
        e.ip_fragoff |= static_cast<uint16_t>(CheckedAtoi(text() + 5));
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER>
      "PROTO=" (NUM | "TCP" | "UDP" | "UDPLITE" | "ICMP" | "ICMPv6" | "AH"
                | "ESP") => TRANSPORT {
        ReadProtocol(text() + 6);
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER>
      "INCOMPLETE [" NUM " bytes]" {
        continue;
      }

      // Transport header.
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "TYPE=" NUM {
        e.icmp_type = static_cast<uint8_t>(CheckedAtoi(text() + 5));
        parse_status_ |= kNetfilterType;
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER>
      "CODE=" NUM => ICMP_INNER {
        e.icmp_code = static_cast<uint8_t>(CheckedAtoi(text() + 5));
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "SEQ=" NUM {
        const unsigned long seq = CheckedStrtoul(text() + 4, 0);
        if (e.ip_protocol == 6) {
          e.tcp_seq = static_cast<uint32_t>(seq);
        } else {
          e.icmp_echoseq = static_cast<uint16_t>(seq);
        }
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "ACK=" NUM {
        e.tcp_ackseq = static_cast<uint32_t>(CheckedStrtoul(text() + 4, 0));
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "SPT=" [0-9]{1,5} {
        e.sport = static_cast<uint32_t>(CheckedAtol(text() + 4));
        parse_status_ |= kNetfilterSpt;
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "DPT=" [0-9]{1,5} {
        e.dport = static_cast<uint32_t>(CheckedAtol(text() + 4));
        parse_status_ |= kNetfilterDpt;
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "WINDOW=" NUM {
        e.tcp_window = static_cast<uint16_t>(CheckedAtol(text() + 7));
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "RES=" HEXNUM {
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "URGP=" NUM {
        e.tcp_urgp = static_cast<uint16_t>(CheckedAtol(text() + 5));
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "URG" {
        e.tcp_flags |= kTcpUrg;
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "ACK" {
        e.tcp_flags |= kTcpAck;
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "PSH" {
        e.tcp_flags |= kTcpPsh;
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "RST" {
        e.tcp_flags |= kTcpRst;
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "SYN" {
        e.tcp_flags |= kTcpSyn;
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "FIN" {
        e.tcp_flags |= kTcpFin;
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "ECE" { continue; }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "CWR" { continue; }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER>
      "OPT (" [0-9A-Fa-f]+ ")" {
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "OPT (TRUNCATED)" {
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "SPI=" HEXNUM {
        e.ahesp_spi = static_cast<uint32_t>(CheckedStrtoul(text() + 4, 0));
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "GATEWAY=" IPV4 {
        uint8_t unused_v6[16];
        parse_ip_address(kFamilyIpv4, text() + 8, &e.icmp_gateway, unused_v6,
                         nullptr, diag());
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "MTU=" NUM {
        e.icmp_fragmtu = static_cast<uint16_t>(CheckedAtoi(text() + 4));
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "TC=" NUM {
        e.ip_tos |= static_cast<uint8_t>(CheckedStrtol(text() + 3, 0));
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "HOPLIMIT=" NUM {
        e.ip_ttl = static_cast<uint8_t>(CheckedAtoi(text() + 9));
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "FLOWLBL=" NUM {
        e.ip6_flowlabel = static_cast<uint32_t>(CheckedStrtoul(text() + 8, 0));
        continue;
      }
      // Outside the IP header, LEN= and ID= belong to the transport header.
      <INITIAL,AFTER_TAG,TRANSPORT,ICMP_INNER> "LEN=" NUM {
        e.udp_len = static_cast<uint16_t>(CheckedAtol(text() + 4));
        continue;
      }
      <INITIAL,AFTER_TAG,TRANSPORT,ICMP_INNER> "ID=" NUM {
        e.icmp_echoid = static_cast<uint16_t>(CheckedAtoi(text() + 3));
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "PARAMETER=" NUM {
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER>
      "POINTER=" [0-9A-Fa-f]{8} {
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "MARK=" HEXNUM {
        e.oob_mark = static_cast<uint32_t>(CheckedStrtoul(text() + 5, 16));
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "UID=" NUM {
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "GID=" NUM {
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "TRUNCATED" {
        continue;
      }
      // The copy of the offending packet in an ICMP error, up to the last
      // closing bracket of the line; its fields are not the packet's.
      <ICMP_INNER> "[" [^\n\x00]+ "]" { continue; }

      // Catch-all rules: unmatched input never stops the scan.
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> " " { continue; }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "\n" { return; }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER>
      [A-Za-z] [-.0-9A-Z_a-z]* {
        ReportUnrecognized("token", token, YYCURSOR);
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> [^\n\x00] {
        ReportUnrecognized("character", token, YYCURSOR);
        continue;
      }
      <INITIAL,AFTER_TAG,IP_HEADER,TRANSPORT,ICMP_INNER> "\x00" { return; }
    */
  }
}

int NetfilterParser::ParseEntry(const char* line, uint64_t line_no) {
  parse_status_ = 0;
  line_no_ = line_no;
  reset_current_entry(entry());
  Scan(reinterpret_cast<const unsigned char*>(line));
  entry().count = 1;
  if (IsComplete(parse_status_, entry().ip_protocol)) return kLineAccepted;
  ReportParseError("netfilter", line, line_no);
  return kLineWrongFormat;
}

}  // namespace tnwk
