// The pf scanner: the comma-separated packet records that pfSense and
// OPNsense write through syslog with the tag "filterlog" ("rule,sub-rule,
// anchor,tracker,interface,reason,action,direction,4|6,<IP fields>,<protocol
// fields>"), and OpenBSD pflog packets as tcpdump -n -e -ttt prints them
// ("rule 2/(match) pass in on xl0: 1.2.3.4.6667 > 5.6.7.8.16290: P ..."),
// plain or sent to syslog with the tag "pf:". A line is accepted when a
// date and one whole packet record were read; a record with a missing, extra
// or malformed field is a parse error and fills no packet bit. The scanner
// keeps no state between lines.
#include <algorithm>
#include <cstdint>
#include <cstdio>
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
  PID          = "[" NUM "]";
  // The structured data of an RFC 5424 frame: "-" or bracketed elements.
  SD           = "-" | ("[" [^\]\n\x00]* "]")+;
  BLANKS       = " "+;
  UNKNOWN_WORD = [A-Za-z] [-.0-9A-Z_a-z]*;
*/
/*!include:re2c "catch_all_rules.re" */

namespace {

// parse_status bits (kStatusHeader is 0x01).
constexpr uint32_t kTag = 0x02;     // "filterlog" or "pf:"
constexpr uint32_t kPacket = 0x04;  // one whole packet record

// The fields of a comma-separated record, one after another.
class Fields {
 public:
  Fields(std::string_view text) : rest_(text) {}
  // The next field, or false when the record has ended.
  bool Next(std::string_view* field) {
    if (done_) return false;
    const size_t comma = rest_.find(',');
    *field = rest_.substr(0, comma);
    if (comma == std::string_view::npos) {
      done_ = true;
    } else {
      rest_.remove_prefix(comma + 1);
    }
    return true;
  }
  bool AtEnd() const { return done_; }

 private:
  std::string_view rest_;
  bool done_ = false;
};

// A decimal number of at most `max`, or with `hex` also "0x" and hex
// digits; nothing else. False for an empty or malformed field.
bool Number(std::string_view f, uint32_t max, uint32_t* out, bool hex = false) {
  int base = 10;
  if (hex && f.size() > 2 && f[0] == '0' && (f[1] | 0x20) == 'x') {
    base = 16;
    f.remove_prefix(2);
  }
  if (f.empty() || f.size() > 10) return false;
  uint64_t value = 0;
  for (char c : f) {
    unsigned digit = static_cast<unsigned char>(c) - '0';
    if (base == 16 && digit > 9) {
      digit = (static_cast<unsigned char>(c) | 0x20) - 'a' + 10;
      if (digit < 10 || digit > 15) return false;
    } else if (digit > 9) {
      return false;
    }
    value = value * static_cast<unsigned>(base) + digit;
  }
  if (value > max) return false;
  *out = static_cast<uint32_t>(value);
  return true;
}

// As Number, an empty field giving 0.
bool OptionalNumber(std::string_view f, uint32_t max, uint32_t* out) {
  if (f.empty()) {
    *out = 0;
    return true;
  }
  return Number(f, max, out);
}

// The ICMP type and code that a filterlog type word names (the code where
// the word fixes it, else 255), and how many fields follow it.
struct IcmpWord {
  const char* word;
  uint8_t type, code;
  int fields;
};
constexpr IcmpWord kIcmpWords[] = {
    {"request", 8, 0, 2},      {"reply", 0, 0, 2},
    {"tstamp", 13, 0, 2},      {"tstampreply", 14, 0, 5},
    {"unreachproto", 3, 2, 2}, {"unreachport", 3, 3, 3},
    {"needfrag", 3, 4, 2},     {"unreach", 3, 255, 1},
    {"timexceed", 11, 255, 1}, {"timeexceed", 11, 255, 1},
    {"paramprob", 12, 255, 1}, {"redirect", 5, 255, 1},
    {"maskreply", 18, 0, 1},
};

class PfParser final : public ScannedDialect {
 public:
  explicit PfParser(const ParserEnvironment& env) : ScannedDialect(env, "pf") {}

 private:
  void Prepare() override { entry().count = 1; }
  void Scan(const unsigned char* line) override;
  LineResult Result() override {
    constexpr uint32_t kComplete = kStatusHeader | kPacket;
    return (parse_status_ & kComplete) == kComplete ? LineResult::kAccepted
                                                    : LineResult::kWrongFormat;
  }

  bool ReadFilterlog(std::string_view record);
  bool ReadTransport(uint8_t protocol, Fields* f);
  bool ReadPflog(std::string_view text);
  bool ReadAddressField(uint16_t family, std::string_view f,
                        AddressBlock* block);
  void SetPrefixAndInterface(std::string_view action, std::string_view rule,
                             bool in, std::string_view interface);
};

}  // namespace

DialectParser* NewPfParser(const ParserEnvironment& env) {
  return new PfParser(env);
}

bool PfParser::ReadAddressField(uint16_t family, std::string_view f,
                                AddressBlock* block) {
  if (f.empty() || f.size() > 45) return false;
  for (char c : f) {
    const bool ok = family == kFamilyIpv4
                        ? (IsDigit(c) || c == '.')
                        : (IsDigit(c) || c == ':' || c == '.' ||
                           ((c | 0x20) >= 'a' && (c | 0x20) <= 'f'));
    if (!ok) return false;
  }
  const auto* p = reinterpret_cast<const unsigned char*>(f.data());
  return ReadAddress(family, TokenText(p, p + f.size()), block, 0);
}

void PfParser::SetPrefixAndInterface(std::string_view action,
                                     std::string_view rule, bool in,
                                     std::string_view interface) {
  LogEntry& e = entry();
  char prefix[128];
  std::snprintf(prefix, sizeof prefix, "%.*s %.*s",
                static_cast<int>(action.size()), action.data(),
                static_cast<int>(rule.size()), rule.data());
  e.oob_prefix.Set(prefix);
  e.interface.Set(interface);
  (in ? e.oob_in : e.oob_out).Set(interface);
}

bool PfParser::ReadFilterlog(std::string_view record) {
  LogEntry& e = entry();
  Fields f(record);
  std::string_view rule, sub, anchor, tracker, interface, reason, action, dir,
      version;
  uint32_t n = 0;
  if (!f.Next(&rule) || !f.Next(&sub) || !f.Next(&anchor) ||
      !f.Next(&tracker) || !f.Next(&interface) || !f.Next(&reason) ||
      !f.Next(&action) || !f.Next(&dir) || !f.Next(&version)) {
    return false;
  }
  if (!Number(rule, UINT32_MAX, &n) || !OptionalNumber(sub, UINT32_MAX, &n) ||
      interface.empty() || action.empty() || (dir != "in" && dir != "out")) {
    return false;
  }
  for (char c : action) {
    if (!((c >= 'a' && c <= 'z') || c == '-')) return false;
  }
  std::string_view v[9];
  uint32_t protocol = 0;
  if (version == "4") {
    // TOS, ECN, TTL, ID, offset, flags, protocol, its name, length.
    for (auto& field : v) {
      if (!f.Next(&field)) return false;
    }
    uint32_t tos, ttl, id, offset, length;
    if (!Number(v[0], 255, &tos, true) || !Number(v[2], 255, &ttl) ||
        !Number(v[3], 65535, &id) || !Number(v[4], 0x1fff, &offset) ||
        !Number(v[6], 255, &protocol) || !Number(v[8], 65535, &length)) {
      return false;
    }
    uint32_t fragoff = offset;
    if (v[5] == "DF") {
      fragoff |= 0x4000;
    } else if (v[5] == "MF") {
      fragoff |= 0x2000;
    } else if (v[5] != "none" && !v[5].empty()) {
      return false;
    }
    e.ip_tos = static_cast<uint8_t>(tos);
    e.ip_ttl = static_cast<uint8_t>(ttl);
    e.ip_id = static_cast<uint16_t>(id);
    e.ip_fragoff = static_cast<uint16_t>(fragoff);
    e.ip_totlen = static_cast<uint16_t>(length);
    e.oob_family = kFamilyIpv4;
  } else if (version == "6") {
    // Class, flow label, hop limit, protocol name, protocol, length.
    for (int i = 0; i < 6; ++i) {
      if (!f.Next(&v[i])) return false;
    }
    uint32_t tclass, flow, hops, length;
    if (!Number(v[0], 255, &tclass, true) ||
        !Number(v[1], 0xfffff, &flow, true) || !Number(v[2], 255, &hops) ||
        !Number(v[4], 255, &protocol) || !Number(v[5], 65535, &length)) {
      return false;
    }
    e.ip_tos = static_cast<uint8_t>(tclass);
    e.ip6_flowlabel = flow;
    e.ip_ttl = static_cast<uint8_t>(hops);
    e.ip6_payloadlen = static_cast<uint16_t>(length);
    e.oob_family = kFamilyIpv6;
  } else {
    return false;
  }
  std::string_view src, dst;
  if (!f.Next(&src) || !f.Next(&dst) ||
      !ReadAddressField(e.oob_family, src, &e.ip_saddr) ||
      !ReadAddressField(e.oob_family, dst, &e.ip_daddr)) {
    return false;
  }
  e.ip_protocol = static_cast<uint8_t>(protocol);
  if (!ReadTransport(e.ip_protocol, &f)) return false;
  SetPrefixAndInterface(action, rule, dir == "in", interface);
  return true;
}

bool PfParser::ReadTransport(uint8_t protocol, Fields* f) {
  LogEntry& e = entry();
  std::string_view v[9];
  int count = 0;
  while (count < 9 && f->Next(&v[count])) ++count;
  if (!f->AtEnd() && count == 9) return false;  // more than any form has
  if (protocol == kProtocolTcp || protocol == kProtocolUdp) {
    uint32_t sport, dport, length;
    if (count != (protocol == kProtocolTcp ? 9 : 3) ||
        !Number(v[0], 65535, &sport) || !Number(v[1], 65535, &dport) ||
        !Number(v[2], 65535, &length)) {
      return false;
    }
    e.sport = sport;
    e.dport = dport;
    if (protocol == kProtocolUdp) {
      e.udp_len = static_cast<uint16_t>(length);
      return true;
    }
    uint8_t flags = 0;
    for (char c : v[3]) {
      if (c != 'E' && c != 'W' && TcpFlagOfLetter(c) == 0) return false;
      flags |= TcpFlagOfLetter(c);
    }
    uint32_t seq, ack, window, urgent;
    if (!OptionalNumber(v[4], UINT32_MAX, &seq) ||
        !OptionalNumber(v[5], UINT32_MAX, &ack) ||
        !OptionalNumber(v[6], 65535, &window) ||
        !OptionalNumber(v[7], 65535, &urgent)) {
      return false;
    }
    e.tcp_flags = flags;
    e.tcp_seq = seq;
    e.tcp_ackseq = ack;
    e.tcp_window = static_cast<uint16_t>(window);
    e.tcp_urgp = static_cast<uint16_t>(urgent);
    return true;
  }
  if (protocol == kProtocolIcmp && count > 0) {
    // The type word, then its own fields; an unknown word may carry one
    // description.
    const IcmpWord* word = nullptr;
    for (const IcmpWord& w : kIcmpWords) {
      if (v[0] == w.word) word = &w;
    }
    if (word == nullptr) return count <= 2;
    if (count != 1 + word->fields) return false;
    e.icmp_type = word->type;
    e.icmp_code = word->code;
    uint32_t a, b;
    if (word->fields >= 2 && word->code != 2 && word->code != 3 &&
        word->code != 4) {
      if (!Number(v[1], 65535, &a) || !Number(v[2], 65535, &b)) return false;
      e.icmp_echoid = static_cast<uint16_t>(a);
      e.icmp_echoseq = static_cast<uint16_t>(b);
    } else if (word->code == 4 && word->type == 3) {
      if (!Number(v[2], 65535, &a)) return false;
      e.icmp_fragmtu = static_cast<uint16_t>(a);
    }
    return true;
  }
  if (protocol == 112 && count == 6) return true;  // CARP's own six fields
  // Any other protocol: nothing more, or its data length.
  uint32_t length;
  return count == 0 || (count == 1 && v[0].starts_with("datalength=") &&
                        Number(v[0].substr(11), 65535, &length));
}

// "rule N/(reason) action dir on if: src > dst: rest", as the OpenBSD
// tcpdump prints a logged packet. The ports are the last dotted part of
// each address; the protocol follows from the rest: TCP flags, "udp",
// "icmp:" or "icmp6:", or a protocol word.
bool PfParser::ReadPflog(std::string_view text) {
  LogEntry& e = entry();
  text.remove_prefix(5);  // "rule "
  const size_t slash = text.find('/');
  const size_t close = text.find(") ");
  if (slash == 0 || slash == std::string_view::npos || close == text.npos ||
      close < slash) {
    return false;
  }
  const std::string_view rule = text.substr(0, slash);
  text.remove_prefix(close + 2);
  auto word = [&](std::string_view* out, char stop) {
    const size_t at = text.find(stop);
    if (at == 0 || at == text.npos) return false;
    *out = text.substr(0, at);
    text.remove_prefix(at + 1);
    return true;
  };
  std::string_view action, dir, on, interface, src, arrow, dst;
  if (!word(&action, ' ') || !word(&dir, ' ') || !word(&on, ' ') ||
      on != "on" || (dir != "in" && dir != "out") || !word(&interface, ':') ||
      !text.starts_with(' ')) {
    return false;
  }
  text.remove_prefix(1);
  if (!word(&src, ' ') || !word(&arrow, ' ') || arrow != ">") return false;
  // An IPv6 destination holds colons: it ends at the first ": ".
  const size_t dst_end = text.find(": ");
  if (dst_end == 0 || dst_end == text.npos) return false;
  dst = text.substr(0, dst_end);
  text.remove_prefix(dst_end + 2);
  const uint16_t family = src.find(':') != src.npos ? kFamilyIpv6 : kFamilyIpv4;
  // An IPv4 address with a port has four dots; an IPv6 one has a dot.
  auto split = [&](std::string_view* address, uint32_t* port) {
    const size_t dots =
        static_cast<size_t>(std::count(address->begin(), address->end(), '.'));
    if (dots != (family == kFamilyIpv4 ? 4u : 1u)) return true;
    const size_t at = address->rfind('.');
    const bool ok = Number(address->substr(at + 1), 65535, port);
    *address = address->substr(0, at);
    return ok;
  };
  uint32_t sport = 65536, dport = 65536;
  if (!split(&src, &sport) || !split(&dst, &dport) ||
      (sport == 65536) != (dport == 65536) ||
      !ReadAddressField(family, src, &e.ip_saddr) ||
      !ReadAddressField(family, dst, &e.ip_daddr)) {
    return false;
  }
  e.oob_family = family;
  uint8_t protocol = 0;
  if (sport != 65536) {
    e.sport = sport;
    e.dport = dport;
    const size_t end = text.find(' ');
    const std::string_view first = text.substr(0, end);
    bool flags = !first.empty();
    for (char c : first) {
      flags = flags &&
              (c == '.' || c == 'E' || c == 'W' || TcpFlagOfLetter(c) != 0);
    }
    if (flags) {
      protocol = kProtocolTcp;
      for (char c : first) e.tcp_flags |= TcpFlagOfLetter(c);
      // "seq:end(length)", "ack N", "win N", "urg N".
      std::string_view rest = text.substr(first.size());
      auto value_after = [&](std::string_view key, uint32_t max,
                             uint32_t* out) {
        const size_t at = rest.find(key);
        if (at == rest.npos) return false;
        std::string_view digits = rest.substr(at + key.size());
        size_t n = 0;
        while (n < digits.size() && IsDigit(digits[n])) ++n;
        return Number(digits.substr(0, n), max, out);
      };
      uint32_t value;
      if (value_after(" ", UINT32_MAX, &value)) e.tcp_seq = value;
      if (value_after(" ack ", UINT32_MAX, &value)) {
        e.tcp_ackseq = value;
        e.tcp_flags |= kTcpAck;
      }
      if (value_after(" win ", 65535, &value)) {
        e.tcp_window = static_cast<uint16_t>(value);
      }
      if (value_after(" urg ", 65535, &value)) {
        e.tcp_urgp = static_cast<uint16_t>(value);
      }
    } else {
      // "udp N", or a payload the printer decoded (DNS, NTP, ...): every
      // other protocol with ports is printed with its own word.
      protocol = kProtocolUdp;
    }
  } else if (text.starts_with("icmp: ") || text.starts_with("icmp6: ")) {
    const bool v6 = text[4] == '6';
    protocol = v6 ? kProtocolIcmpv6 : kProtocolIcmp;
    text.remove_prefix(v6 ? 7 : 6);
    if (text.starts_with("echo request")) {
      e.icmp_type = v6 ? 128 : 8;
      e.icmp_code = 0;
    } else if (text.starts_with("echo reply")) {
      e.icmp_type = v6 ? 129 : 0;
      e.icmp_code = 0;
    } else if (!v6 && text.find(" unreachable") != text.npos) {
      e.icmp_type = 3;
      e.icmp_code = text.find(" port ") != text.npos       ? 3
                    : text.find(" protocol ") != text.npos ? 2
                    : text.starts_with("net ")             ? 0
                                                           : 1;
    } else if (!v6 && text.starts_with("time exceeded")) {
      e.icmp_type = 11;
    }
  } else {
    struct Named {
      const char* word;
      uint8_t protocol;
    };
    static constexpr Named kWords[] = {{"igmp", 2},   {"gre", 47},
                                       {"esp", 50},   {"ah", 51},
                                       {"carp", 112}, {"ip-proto-", 0}};
    for (const Named& n : kWords) {
      if (!text.starts_with(n.word)) continue;
      protocol = n.protocol;
      if (protocol == 0) {
        std::string_view digits = text.substr(9);
        size_t len = 0;
        while (len < digits.size() && IsDigit(digits[len])) ++len;
        uint32_t number = 0;
        if (!Number(digits.substr(0, len), 255, &number)) return false;
        protocol = static_cast<uint8_t>(number);
      }
      break;
    }
    if (protocol == 0) return false;
  }
  e.ip_protocol = protocol;
  SetPrefixAndInterface(action, rule, dir == "in", interface);
  return true;
}

void PfParser::Scan(const unsigned char* YYCURSOR) {
  const unsigned char* YYMARKER = YYCURSOR;
  for (const unsigned char* token = YYCURSOR;; token = YYCURSOR) {
    auto view = [&] { return View(token, YYCURSOR); };
    /*!re2c
      !use:syslog_header;
      // pfSense sends its BSD-format lines without a host name.
      DATE " filterlog" PID? ":" {
        ReadSyslogDate(token, token, false);
        parse_status_ |= kTag;
        continue;
      }
      // tcpdump's own stamp, the date of a line read from a pflog file.
      DATE "." [0-9]{1,6} {
        if (!(parse_status_ & kStatusHeader)) {
          ReadSyslogDate(token, token, false);
        }
        continue;
      }
      " filterlog" PID? ":" | " pf:" | " filterlog " (NUM | "-") " "
          [!-~]+ " " SD {
        parse_status_ |= kTag;
        continue;
      }
      " " NUM "," [^\n\x00]* {
        if (!(parse_status_ & kPacket) && ReadFilterlog(view().substr(1))) {
          parse_status_ |= kPacket;
        }
        continue;
      }
      "rule " [^\n\x00]* {
        if (!(parse_status_ & kPacket) && ReadPflog(view())) {
          parse_status_ |= kPacket;
        }
        continue;
      }
      !use:catch_all;
    */
  }
}

}  // namespace tnwk
