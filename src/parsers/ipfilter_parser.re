// The ipfilter scanner: the packet lines that the ipfilter log daemon
// writes through syslog: the header, the daemon's own time stamp, an
// optional repeat count ("3x"), interface, "@group:rule" and action letter,
// source and destination (address, "name[address]", each with an optional
// ",port" or ",service"), "PR" protocol, "len", fragment, ICMP type and code
// (numbers or names), TCP flags and the direction word. The whole line is
// scanned (newlines included). The count is the repeat count (1 without
// one); logged service names become ports. The daemon's other messages
// (hex dumps, ioctl errors, unknown protocols) are not packet-log lines; a
// packet line is accepted when the fields its protocol needs were all seen.
// Unrecognized tokens are reported from verbosity 4.
//
// Rules are listed in priority order (Scan takes the rule blocks in the
// order they are written); the longest match wins and a tie goes to the
// earlier rule. There are no start conditions, so every rule is in
// the one automaton except the inner packet of an ICMP error ("for <source>
// - <destination> PR <word> len <n> <n>"), which is matched on its own:
// at its start only the word "for" matches, and the inner packet is always
// longer, so taking it from the catch-all word rule's hook when it matches
// is the longest-match outcome of one list, without the cost of both
// endpoints' forms twice more in the main automaton.
//
// The six endpoint forms (address, address and port, name[address], ...)
// share one rule per direction: a form is told from the token's text, and
// where two forms match the same text (",80" is a port and a service of
// digits) the port, listed first, is taken.
#include <cstring>
#include <string_view>

#include "base/address_family.h"
#include "base/address_parser.h"
#include "base/ip_protocol.h"
#include "base/numbers.h"
#include "parsers/dialect_parser.h"
#include "parsers/icmp_names.h"
#include "parsers/scanner_dialects.h"
#include "parsers/system_numbers.h"

namespace tnwk {

/*!include:re2c "scanner_rules.re" */

/*!re2c
  WORD     = [-.0-9A-Z_a-z];
  IFACE    = WORD*;
  NAME     = WORD*;
  SERV     = WORD*;
  // IPv6 only in lowercase hexadecimal, as the daemon writes it.
  ADDR     = IPV4 | [0-9a-f]{0,4} (":" [0-9a-f]{0,4}){1,7};
  ENDPOINT = ADDR ("," SERV)? | NAME "[" ADDR "]" ("," SERV)?;
  LENGTHS  = NUM (" " NUM | " (" NUM ")");
  RULE     = " @" NUM ":" NUM " " [BLPSbnp];
  BLANKS       = [ \t]+;
  UNKNOWN_WORD = WORD+;
*/
/*!include:re2c "catch_all_rules.re" */

namespace {

// parse_status bits (kStatusHeader is 0x001).
constexpr uint32_t kRule = 0x002;      // interface and rule
constexpr uint32_t kProtocol = 0x004;  // nonzero PR word
constexpr uint32_t kSrc = 0x008;
constexpr uint32_t kDst = 0x010;
constexpr uint32_t kSrcPort = 0x020;
constexpr uint32_t kDstPort = 0x040;
constexpr uint32_t kIcmpType = 0x080;
constexpr uint32_t kNotPacket = 0x100;  // a daemon message

// The end of the endpoint that starts at `p` and runs to the next blank, or
// null. Endpoints hold no blank, so an endpoint followed by one is exactly
// the run of characters before it.
const unsigned char* MatchEndpoint(const unsigned char* p) {
  const unsigned char* YYCURSOR = p;
  const unsigned char* YYMARKER = p;
  /*!re2c
    ENDPOINT " " { return YYCURSOR - 1; }
    * { return nullptr; }
  */
}

// The inner packet of an ICMP error, from "for " to its lengths; null when
// there is none at `p`. Its fields are not the packet's.
const unsigned char* MatchInnerPacket(const unsigned char* p) {
  if (std::strncmp(reinterpret_cast<const char*>(p), "for ", 4) != 0) {
    return nullptr;
  }
  p = MatchEndpoint(p + 4);
  if (p == nullptr ||
      std::strncmp(reinterpret_cast<const char*>(p), " - ", 3) != 0) {
    return nullptr;
  }
  p = MatchEndpoint(p + 3);
  if (p == nullptr) return nullptr;
  const unsigned char* YYCURSOR = p;
  const unsigned char* YYMARKER = p;
  /*!re2c
    " PR " [-0-9a-z]+ " len " LENGTHS { return YYCURSOR; }
    * { return nullptr; }
  */
}

// Appends `tail` to `field`, cut at the field's size like every copy.
template <size_t N>
void Append(FixedText<N>& field, std::string_view tail) {
  const size_t used = field.view().size();
  BoundedCopy(field.data() + used, N - used, tail);
}

// Which fields a line must have depends on its protocol.
bool IsComplete(uint32_t status, uint8_t protocol) {
  constexpr uint32_t kAnyLine = kStatusHeader | kRule | kProtocol | kSrc | kDst;
  switch (protocol) {
    case kProtocolTcp:
    case kProtocolUdp:
      return status == (kAnyLine | kSrcPort | kDstPort);
    case kProtocolIcmp:
    case kProtocolIcmpv6:
      return status == (kAnyLine | kIcmpType);
    default:
      return (status & kAnyLine) == kAnyLine;
  }
}

class IpfilterParser final : public ScannedDialect {
 public:
  explicit IpfilterParser(const ParserEnvironment& env)
      : ScannedDialect(env, "ipfilter") {}

 private:
  static constexpr TokenReportStyle kReportStyle = TokenReportStyle::kLineColon;
  static constexpr unsigned kReportLevel = 4;

  void Scan(const unsigned char* line) override;
  LineResult Result() override;

  // "[<count>x ]<interface> @<group>:<rule> <letter>".
  void ReadRule(const unsigned char* begin, const unsigned char* end,
                bool with_count);
  // One endpoint in any of its forms; `source` tells which.
  void ReadEndpoint(bool source, const unsigned char* begin,
                    const unsigned char* end);
  // The word after "PR ".
  void ReadProtocol(const char* word);
  // A logged service name, once the protocol is known.
  void ResolveService(uint32_t port_bit);

  // The word "for" may start the inner packet of an ICMP error.
  const unsigned char* AfterUnknownWord(const unsigned char* begin,
                                        const unsigned char* end) {
    if (end - begin != 3 || std::memcmp(begin, "for", 3) != 0) return nullptr;
    return MatchInnerPacket(begin);
  }

  SystemNumbers numbers_;
};

}  // namespace

DialectParser* NewIpfilterParser(const ParserEnvironment& env) {
  return new IpfilterParser(env);
}

LineResult IpfilterParser::Result() {
  // The scan set count from the repeat count; a line without one fails the
  // completeness test anyway.
  if (parse_status_ & kNotPacket) return LineResult::kNotPacketLog;
  if (parse_status_ & kProtocol) {
    ResolveService(kSrcPort);
    ResolveService(kDstPort);
  }
  return IsComplete(parse_status_, entry().ip_protocol)
             ? LineResult::kAccepted
             : LineResult::kWrongFormat;
}

void IpfilterParser::ReadRule(const unsigned char* begin,
                              const unsigned char* end, bool with_count) {
  const unsigned char* name = begin;
  uint64_t count = 1;
  if (with_count) {
    count = CheckedStrtoul(TokenText(begin, end), 10);
    while (*name != 'x') ++name;
    name += 2;
  }
  // The interface runs to the blank before "@". The daemon never leaves it
  // empty, and a name the field cannot hold is no interface either: the
  // token then sets nothing.
  const unsigned char* name_end = name;
  while (*name_end != ' ') ++name_end;
  if (name_end == name || name_end - name >= 128) return;

  LogEntry& e = entry();
  e.count = count;
  e.interface.Set(View(name, name_end));
  // "group:rule", a blank and the action letter as written (b block,
  // p pass, L log, S short, n no match, B, P).
  e.oob_prefix.Set(View(name_end + 2, end - 2));
  Append(e.oob_prefix, View(end - 2, end));
  parse_status_ |= kRule;
}

void IpfilterParser::ReadEndpoint(bool source, const unsigned char* begin,
                                  const unsigned char* end) {
  const std::string_view token = View(begin, end);
  std::string_view host;
  std::string_view address;
  std::string_view tail;  // after the comma
  bool has_tail = false;
  if (const size_t open = token.find('['); open != std::string_view::npos) {
    host = token.substr(0, open);
    if (host.empty()) return;  // "[address]" names no host: not an endpoint
    const size_t close = token.find(']', open);
    address = token.substr(open + 1, close - open - 1);
    has_tail = close + 1 < token.size();
    if (has_tail) tail = token.substr(close + 2);
  } else {
    const size_t comma = token.find(',');
    address = token.substr(0, comma);
    has_tail = comma != std::string_view::npos;
    if (has_tail) tail = token.substr(comma + 1);
  }
  if (has_tail && tail.empty()) return;  // a comma and no service after it
  bool is_port = has_tail;
  for (char c : tail) is_port = is_port && IsDigit(c);

  LogEntry& e = entry();
  char text[kAddressTextSize];
  BoundedCopy(text, sizeof text, address);
  e.oob_family = address.find(':') != std::string_view::npos ? kFamilyIpv6
                                                               : kFamilyIpv4;
  if (!ReadAddress(e.oob_family, text, source ? &e.ip_saddr : &e.ip_daddr,
                   source ? kSrc : kDst)) {
    return;
  }
  if (!host.empty()) (source ? e.src_host : e.dst_host).Set(host);
  if (is_port) {
    // Ports are read as at most five digits.
    const auto* digits = reinterpret_cast<const unsigned char*>(tail.data());
    (source ? e.sport : e.dport) =
        ReadDecimal(&digits, digits + tail.size(), 5);
    parse_status_ |= source ? kSrcPort : kDstPort;
  } else if (has_tail) {
    (source ? e.src_service : e.dst_service).Set(tail.substr(0, 32));
  }
}

void IpfilterParser::ReadProtocol(const char* word) {
  uint8_t& protocol = entry().ip_protocol;
  if (IsDigit(word[0])) {
    protocol = static_cast<uint8_t>(CheckedAtoi(word));
  } else if (std::strncmp(word, "icmpv6", 6) == 0) {
    // Not every protocol database knows this name.
    protocol = kProtocolIcmpv6;
  } else if (const int number = numbers_.ProtocolNumber(word); number >= 0) {
    protocol = static_cast<uint8_t>(number);
  }
  if (protocol != 0) {
    parse_status_ |= kProtocol;
  } else {
    diag().Print("Unknown protocol (not in /etc/protocols), ignoring: %s\n",
                 word);
    parse_status_ |= kNotPacket;
  }
}

void IpfilterParser::ResolveService(uint32_t port_bit) {
  LogEntry& e = entry();
  const bool source = port_bit == kSrcPort;
  const FixedText<128>& service = source ? e.src_service : e.dst_service;
  if (parse_status_ & port_bit || service.empty()) return;
  const int port = numbers_.ServicePort(service.c_str(), e.ip_protocol);
  if (port < 0) return;
  (source ? e.sport : e.dport) = static_cast<uint32_t>(port);
  parse_status_ |= port_bit;
}

// The syslog header, the daemon's tag and time stamp, the interface and rule.
/*!rules:re2c:ipfilter_header
  !use:syslog_header;
  "ipmon[" NUM "]:" { continue; }
  "[ID " NUM " " WORD* "]" { continue; }
  // The daemon's own time stamp; the syslog one is the entry's time.
  [0-9]{2} ":" [0-9]{2} ":" [0-9]{2} "." [0-9]{6} { continue; }

  IFACE RULE {
    ReadRule(token, YYCURSOR, false);
    continue;
  }
  NUM "x " IFACE RULE {
    ReadRule(token, YYCURSOR, true);
    continue;
  }
*/

// The addresses and ports, the protocol, the lengths, fragment and ICMP.
/*!rules:re2c:ipfilter_packet
  ENDPOINT {
    ReadEndpoint(true, token, YYCURSOR);
    continue;
  }
  " -> " ENDPOINT {
    ReadEndpoint(false, token + 4, YYCURSOR);
    continue;
  }

  "PR " [-0-9a-z]+ {
    ReadProtocol(text() + 3);
    continue;
  }
  // "len <header length> <total length>", the second possibly in
  // parentheses.
  "len " LENGTHS {
    const char* p = text() + 4;
    unsigned header = 0;
    unsigned total = 0;
    ScanUnsigned(&p, &header);
    while (*p == ' ' || *p == '(') ++p;
    ScanUnsigned(&p, &total);
    e.ip_ihl = static_cast<uint8_t>(header);
    e.ip_totlen = static_cast<uint16_t>(total);
    continue;
  }
  // "frag [+|-]<length>@<offset>": + more fragments follow, - do not
  // fragment.
  "frag " [-+]? NUM "@" NUM {
    const char* t = text();
    if (t[5] == '+') e.ip_fragoff |= 0x2000;
    if (t[5] == '-') e.ip_fragoff |= 0x4000;
    e.ip_fragoff |=
        static_cast<uint16_t>(CheckedAtoi(std::strchr(t, '@') + 1));
    continue;
  }
  "icmp" "v6"? " " NUM "/" NUM {
    const char* p = std::strchr(text(), ' ');
    unsigned type = 0;
    unsigned code = 0;
    ScanUnsigned(&p, &type);
    ++p;
    ScanUnsigned(&p, &code);
    e.icmp_type = static_cast<uint8_t>(type);
    e.icmp_code = static_cast<uint8_t>(code);
    parse_status_ |= kIcmpType;
    continue;
  }
  "icmp" "v6"? " " [-0-9A-Z_a-z]* "/" [-0-9A-Z_a-z]* {
    if (lookup_icmp_names(text(), e, diag()) == 0) {
      parse_status_ |= kIcmpType;
    }
    continue;
  }
*/

// The TCP fields, the trailing words, and the daemon's other messages.
/*!rules:re2c:ipfilter_trailer
  "-" [AFPRSU]+ {
    for (const unsigned char* c = token + 1; c < YYCURSOR; ++c) {
      e.tcp_flags |= TcpFlagOfLetter(*c);
    }
    continue;
  }
  // Sequence number, acknowledgement number, window.
  NUM " " NUM " " NUM {
    const char* p = text();
    unsigned seq = 0;
    unsigned ack = 0;
    unsigned window = 0;
    ScanUnsigned(&p, &seq);
    ScanUnsigned(&p, &ack);
    ScanUnsigned(&p, &window);
    e.tcp_seq = seq;
    e.tcp_ackseq = ack;
    e.tcp_window = static_cast<uint16_t>(window);
    continue;
  }
  "K-S" | "K-F" { continue; }
  "IN" {
    e.oob_in.Set(e.interface.view());
    continue;
  }
  "OUT" {
    e.oob_out.Set(e.interface.view());
    continue;
  }
  "log-tag " NUM {
    Append(e.oob_prefix, View(token + 7, YYCURSOR));
    continue;
  }
  "low-ttl" | "mbcast" | "broadcast" { continue; }

  // The daemon's other messages: a hex dump of a packet, an error.
  [0-9a-f]{2} " " [\x20-\x7e]+
  | "ioctl(" [A-Z_]+ "): " [\x20-\x7e]+ {
    parse_status_ |= kNotPacket;
    continue;
  }
*/

void IpfilterParser::Scan(const unsigned char* YYCURSOR) {
  const unsigned char* YYMARKER = YYCURSOR;
  LogEntry& e = entry();
  for (const unsigned char* token = YYCURSOR;; token = YYCURSOR) {
    // The token as a terminated string, for the conversions.
    auto text = [&] { return TokenText(token, YYCURSOR); };
    /*!re2c
      !use:ipfilter_header;
      !use:ipfilter_packet;
      !use:ipfilter_trailer;
      !use:catch_all;
    */
  }
}

}  // namespace tnwk
