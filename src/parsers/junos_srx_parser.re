// The Junos SRX scanner: the session messages (RT_FLOW) that SRX firewalls
// send through syslog, in their two forms.
//
// The plain form is the message text after the event name:
//   RT_FLOW_SESSION_DENY: session denied 10.0.0.1/54924->192.168.1.1/53
//       junos-dns-udp 17(0) default-deny(global) trust trust ...
//   RT_FLOW_SESSION_CLOSE: session closed TCP FIN: 10.0.0.1/4242->
//       192.0.2.80/443 junos-https 203.0.113.1/4242->192.0.2.80/443
//       None None 6 allow-web trust untrust 1234 78(6657) 64(90211) 12 ...
// Its fields are blank-separated and positional; releases differ in a
// connection tag ("0x0") after each endpoint pair and in the NAT rule
// fields between the translated endpoints and the protocol (two rule names,
// or a type and a name for each direction, a type being "N/A" or two words
// such as "source rule"); the layout in which the protocol and the session
// id are numbers is the one the line has.
//
// The structured form carries the same values as the parameters of an
// RFC 5424 structured-data element after its message id:
//   RT_FLOW - RT_FLOW_SESSION_DENY [junos@2636.1.1.1.2.39
//       source-address="10.0.0.1" source-port="54924" ...]
// in any order; the event is the word before the element.
//
// DENY and CLOSE lines are packet entries: the policy name and the event
// word ("denied", "closed") make oob_prefix, the source and destination
// zones oob_in and oob_out, and a CLOSE line stands for the packets of its
// session, both directions added up. CREATE lines open the sessions that
// CLOSE lines report, and are not packet-log lines. A number that is not
// one, a port or protocol out of range, an address that does not parse, an
// unterminated value or a second event makes the line a parse error.

#include <cstdint>
#include <cstring>
#include <string_view>

#include "base/address_family.h"
#include "base/ip_protocol.h"
#include "base/numbers.h"
#include "entries/log_entry.h"
#include "parsers/dialect_parser.h"
#include "parsers/scanner_dialects.h"

namespace tnwk {

/*!include:re2c "scanner_rules.re" */

/*!re2c
  HEX       = [0-9A-Fa-f];
  IPV6      = (HEX | ".")* ":" (HEX | [.:])*;
  ADDR      = IPV4 | IPV6;
  ENDPOINTS = ADDR "/" NUM "->" ADDR "/" NUM;
  // The reason of a CLOSE message, up to its colon ("TCP FIN").
  REASON    = [^:\n\x00]{0,64};
  SD_NAME   = [-.0-9A-Z_a-z]+;
  SD_VALUE  = ([^"\\\n\x00] | "\\" [^\n\x00])*;
  BLANKS       = " "+;
  UNKNOWN_WORD = [A-Za-z] [-.0-9A-Z_a-z]*;
*/
/*!include:re2c "catch_all_rules.re" */

namespace {

// parse_status bits (kStatusHeader is 0x01).
constexpr uint32_t kEvent = 0x02;  // one session event, read
constexpr uint32_t kSrc = 0x04;
constexpr uint32_t kDst = 0x08;
constexpr uint32_t kSport = 0x10;
constexpr uint32_t kDport = 0x20;
constexpr uint32_t kProto = 0x40;
constexpr uint32_t kPolicy = 0x80;
constexpr uint32_t kSrcZone = 0x100;
constexpr uint32_t kDstZone = 0x200;
constexpr uint32_t kClientPackets = 0x400;
constexpr uint32_t kServerPackets = 0x800;
constexpr uint32_t kBad = 0x1000;  // a value that does not read

enum class Event { kNone, kDeny, kCreate, kClose };

// What one field of the plain form, or one value, is as a whole.
enum class FieldKind { kEndpoints, kTag, kPair, kNumber, kWord };

struct Field {
  FieldKind kind;
  const unsigned char* begin;
  const unsigned char* end;
};

// The kind of the text [begin, end), which a blank, a quote, a slash, a
// newline or the NUL ends: none of the patterns reads past those.
FieldKind Classify(const unsigned char* begin, const unsigned char* end) {
  const unsigned char* YYCURSOR = begin;
  const unsigned char* YYMARKER = begin;
  FieldKind kind = FieldKind::kWord;
  /*!re2c
    ENDPOINTS       { kind = FieldKind::kEndpoints; goto done; }
    "0x" HEX+       { kind = FieldKind::kTag; goto done; }
    NUM "(" NUM ")" { kind = FieldKind::kPair; goto done; }
    NUM             { kind = FieldKind::kNumber; goto done; }
    *               { return FieldKind::kWord; }
  */
done:
  return YYCURSOR == end ? kind : FieldKind::kWord;
}

// Whether [begin, end) is an address text as a whole: a dotted quad, or
// hexadecimal digits, dots and at least one colon. The character at `end`
// is one that no address holds.
bool IsAddressText(const unsigned char* begin, const unsigned char* end) {
  const unsigned char* YYCURSOR = begin;
  const unsigned char* YYMARKER = begin;
  /*!re2c
    ADDR { return YYCURSOR == end; }
    *    { return false; }
  */
}

// The decimal number that is all of `text`, saturating at the largest
// value; false when `text` is empty, holds anything but digits, or is
// greater than `max`.
bool ReadNumber(std::string_view text, uint64_t max, uint64_t* out) {
  if (text.empty()) return false;
  uint64_t value = 0;
  for (char c : text) {
    if (!IsDigit(static_cast<unsigned char>(c))) return false;
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    value = value > (UINT64_MAX - digit) / 10 ? UINT64_MAX : value * 10 + digit;
  }
  *out = value;
  return value <= max;
}

class JunosSrxParser final : public ScannedDialect {
 public:
  explicit JunosSrxParser(const ParserEnvironment& env)
      : ScannedDialect(env, "junos_srx") {}

 private:
  // The plain form keeps at most this many fields: a CLOSE message needs
  // sixteen at most.
  static constexpr int kMaxFields = 18;

  void Prepare() override;
  void Scan(const unsigned char* line) override;
  LineResult Result() override;

  // Takes `event`; a second one in the line is a fault.
  void SetEvent(Event event);
  // The plain message from `p` to the end of the line; returns its end.
  const unsigned char* ReadPlainMessage(Event event, const unsigned char* p);
  void ReadPlainFields(const Field* fields, int count);
  // The structured-data element that starts at `begin`: the event is the
  // message id before it.
  void OpenStructuredData(const unsigned char* line,
                          const unsigned char* begin);
  void ReadParameter(std::string_view name, const unsigned char* begin,
                     const unsigned char* end);

  // Setters shared by both forms; a value that does not read sets kBad.
  void SetEndpoints(const unsigned char* begin, const unsigned char* end);
  void SetAddress(bool source, const unsigned char* begin,
                  const unsigned char* end);
  void SetPort(bool source, std::string_view text);
  void SetProtocol(std::string_view text);
  void SetIcmpType(std::string_view text);
  void SetPolicy(std::string_view text);
  void SetPackets(int direction, std::string_view text);
  void Check(bool ok) {
    if (!ok) parse_status_ |= kBad;
  }
  // A value with its escapes (\" \\ \]) taken out, valid until the next
  // call.
  std::string_view Unescaped(const unsigned char* begin,
                             const unsigned char* end);

  Event event_ = Event::kNone;
  bool structured_ = false;  // inside the structured-data element
  uint16_t src_family_ = 0;
  uint16_t dst_family_ = 0;
  uint64_t packets_[2] = {};
  int icmp_type_ = -1;
  char value_[kTokenSize];
};

}  // namespace

DialectParser* NewJunosSrxParser(const ParserEnvironment& env) {
  return new JunosSrxParser(env);
}

void JunosSrxParser::Prepare() {
  event_ = Event::kNone;
  structured_ = false;
  src_family_ = dst_family_ = 0;
  packets_[0] = packets_[1] = 0;
  icmp_type_ = -1;
  entry().count = 1;
}

LineResult JunosSrxParser::Result() {
  LogEntry& e = entry();
  if (event_ == Event::kNone) return LineResult::kWrongFormat;
  if ((parse_status_ & (kSrc | kDst)) == (kSrc | kDst) &&
      src_family_ != dst_family_) {
    parse_status_ |= kBad;  // one entry has one family for both ends
  }
  if ((parse_status_ & kBad) != 0) return LineResult::kWrongFormat;
  if (event_ == Event::kCreate) return LineResult::kNotPacketLog;
  uint32_t needed = kStatusHeader | kEvent | kSrc | kDst | kSport | kDport |
                    kProto | kPolicy | kSrcZone | kDstZone;
  if (event_ == Event::kClose) needed |= kClientPackets | kServerPackets;
  if ((parse_status_ & needed) != needed) return LineResult::kWrongFormat;
  e.oob_family = src_family_;
  if (event_ == Event::kClose) {
    e.count = SaturatingAdd(packets_[0], packets_[1]);
  }
  if ((e.ip_protocol == kProtocolIcmp || e.ip_protocol == kProtocolIcmpv6) &&
      icmp_type_ >= 0) {
    e.icmp_type = static_cast<uint8_t>(icmp_type_);
  }
  e.tcp_flags |= kTcpFlagsUnknown;
  return LineResult::kAccepted;
}

void JunosSrxParser::SetEvent(Event event) {
  Check(event_ == Event::kNone);
  event_ = event;
  parse_status_ |= kEvent;
}

const unsigned char* JunosSrxParser::ReadPlainMessage(Event event,
                                                      const unsigned char* p) {
  SetEvent(event);
  Field fields[kMaxFields];
  int count = 0;
  for (;;) {
    while (*p == ' ') ++p;
    if (*p == '\0' || *p == '\n') break;
    const unsigned char* begin = p;
    while (*p != ' ' && *p != '\0' && *p != '\n') ++p;
    const FieldKind kind = Classify(begin, p);
    // The connection tag that follows an endpoint pair in later releases.
    if (kind == FieldKind::kTag && count > 0 &&
        fields[count - 1].kind == FieldKind::kEndpoints) {
      continue;
    }
    if (count < kMaxFields) fields[count++] = {kind, begin, p};
  }
  ReadPlainFields(fields, count);
  return p;
}

void JunosSrxParser::ReadPlainFields(const Field* f, int count) {
  auto view = [f](int i) { return View(f[i].begin, f[i].end); };
  if (count < 1 || f[0].kind != FieldKind::kEndpoints) return;
  SetEndpoints(f[0].begin, f[0].end);
  LogEntry& e = entry();
  if (event_ == Event::kDeny) {
    // endpoints, service, protocol(ICMP type), policy, zones.
    if (count < 3 || f[2].kind != FieldKind::kPair) return;
    const std::string_view pair = view(2);
    const size_t open = pair.find('(');
    SetProtocol(pair.substr(0, open));
    SetIcmpType(pair.substr(open + 1, pair.size() - open - 2));
    if (count > 3) {
      // A global policy is written "name(global)"; the name is the policy.
      std::string_view policy = view(3);
      const size_t paren = policy.rfind('(');
      if (paren != std::string_view::npos && paren > 0 &&
          policy.back() == ')') {
        policy = policy.substr(0, paren);
      }
      SetPolicy(policy);
    }
    if (count > 4) {
      e.oob_in.Set(view(4));
      parse_status_ |= kSrcZone;
    }
    if (count > 5) {
      e.oob_out.Set(view(5));
      parse_status_ |= kDstZone;
    }
    return;
  }
  // CREATE and CLOSE: endpoints, service, translated endpoints, the NAT rule
  // fields, protocol, policy, zones, session id, for CLOSE the packet(byte)
  // pairs of both directions. The rule fields are a type and a name for
  // each direction, a type being one word ("N/A") or two ("source rule"),
  // or in earlier releases the two names alone; the layout whose protocol
  // and session id are numbers is the line's.
  if (count < 3 || f[2].kind != FieldKind::kEndpoints) return;
  int typed = 3;
  for (int part = 0; part < 4; ++part) {
    const bool two_words =
        part % 2 == 0 && typed + 1 < count && view(typed + 1) == "rule";
    typed += two_words ? 2 : 1;
  }
  const auto fits = [f, count](int i) {
    return i + 4 < count && f[i].kind == FieldKind::kNumber &&
           f[i + 4].kind == FieldKind::kNumber;
  };
  const int i = fits(typed) ? typed : 5;
  if (!fits(i)) return;
  SetProtocol(view(i));
  SetPolicy(view(i + 1));
  e.oob_in.Set(view(i + 2));
  e.oob_out.Set(view(i + 3));
  parse_status_ |= kSrcZone | kDstZone;
  for (int d = 0; d < 2 && i + 5 + d < count; ++d) {
    if (f[i + 5 + d].kind != FieldKind::kPair) break;
    const std::string_view pair = view(i + 5 + d);
    SetPackets(d, pair.substr(0, pair.find('(')));
  }
}

void JunosSrxParser::OpenStructuredData(const unsigned char* line,
                                        const unsigned char* begin) {
  structured_ = true;
  const unsigned char* end = begin;
  while (end > line && end[-1] == ' ') --end;
  const unsigned char* word = end;
  while (word > line && word[-1] != ' ') --word;
  const std::string_view id = View(word, end);
  if (id == "RT_FLOW_SESSION_DENY") {
    SetEvent(Event::kDeny);
  } else if (id == "RT_FLOW_SESSION_CREATE") {
    SetEvent(Event::kCreate);
  } else if (id == "RT_FLOW_SESSION_CLOSE") {
    SetEvent(Event::kClose);
  }
}

void JunosSrxParser::ReadParameter(std::string_view name,
                                   const unsigned char* begin,
                                   const unsigned char* end) {
  const std::string_view raw = View(begin, end);
  LogEntry& e = entry();
  if (name == "source-address") {
    SetAddress(true, begin, end);
  } else if (name == "destination-address") {
    SetAddress(false, begin, end);
  } else if (name == "source-port") {
    SetPort(true, raw);
  } else if (name == "destination-port") {
    SetPort(false, raw);
  } else if (name == "protocol-id") {
    SetProtocol(raw);
  } else if (name == "icmp-type") {
    SetIcmpType(raw);
  } else if (name == "policy-name") {
    SetPolicy(Unescaped(begin, end));
  } else if (name == "source-zone-name") {
    e.oob_in.Set(Unescaped(begin, end));
    parse_status_ |= kSrcZone;
  } else if (name == "destination-zone-name") {
    e.oob_out.Set(Unescaped(begin, end));
    parse_status_ |= kDstZone;
  } else if (name == "packets-from-client") {
    SetPackets(0, raw);
  } else if (name == "packets-from-server") {
    SetPackets(1, raw);
  }
}

void JunosSrxParser::SetEndpoints(const unsigned char* begin,
                                  const unsigned char* end) {
  // The pattern fixed the shape: no address holds a slash or a dash.
  const auto find = [end](const unsigned char* from, unsigned char c) {
    return static_cast<const unsigned char*>(
        std::memchr(from, c, static_cast<size_t>(end - from)));
  };
  const unsigned char* slash = find(begin, '/');
  const unsigned char* arrow = find(slash, '-');
  const unsigned char* slash2 = find(arrow + 2, '/');
  SetAddress(true, begin, slash);
  SetPort(true, View(slash + 1, arrow));
  SetAddress(false, arrow + 2, slash2);
  SetPort(false, View(slash2 + 1, end));
}

void JunosSrxParser::SetAddress(bool source, const unsigned char* begin,
                                const unsigned char* end) {
  LogEntry& e = entry();
  const char* text = TokenText(begin, end);
  if (!IsAddressText(begin, end)) {
    diag().Log(2, "IP address error: %s\n", text);
    parse_status_ |= kBad;
    return;
  }
  const uint16_t family = std::memchr(text, ':', static_cast<size_t>(
                                                     end - begin)) != nullptr
                              ? kFamilyIpv6
                              : kFamilyIpv4;
  if (!ReadAddress(family, text, source ? &e.ip_saddr : &e.ip_daddr,
                   source ? kSrc : kDst)) {
    parse_status_ |= kBad;
    return;
  }
  (source ? src_family_ : dst_family_) = family;
}

void JunosSrxParser::SetPort(bool source, std::string_view text) {
  uint64_t port = 0;
  if (!ReadNumber(text, 65535, &port)) {
    parse_status_ |= kBad;
    return;
  }
  (source ? entry().sport : entry().dport) = static_cast<uint32_t>(port);
  parse_status_ |= source ? kSport : kDport;
}

void JunosSrxParser::SetProtocol(std::string_view text) {
  uint64_t protocol = 0;
  if (!ReadNumber(text, 255, &protocol)) {
    parse_status_ |= kBad;
    return;
  }
  entry().ip_protocol = static_cast<uint8_t>(protocol);
  parse_status_ |= kProto;
}

void JunosSrxParser::SetIcmpType(std::string_view text) {
  uint64_t type = 0;
  if (!ReadNumber(text, UINT64_MAX, &type)) {
    parse_status_ |= kBad;
    return;
  }
  // A type that does not fit a byte would alias a real one: "none".
  icmp_type_ = type <= 255 ? static_cast<int>(type) : -1;
}

void JunosSrxParser::SetPolicy(std::string_view text) {
  const char* word = event_ == Event::kDeny    ? "denied"
                     : event_ == Event::kClose ? "closed"
                                               : "created";
  char prefix[kTokenSize];
  const size_t length = text.size() < 127 ? text.size() : 127;
  std::memcpy(prefix, text.data(), length);
  prefix[length] = ' ';
  const size_t word_length = std::strlen(word);
  std::memcpy(prefix + length + 1, word, word_length);
  entry().oob_prefix.Set(std::string_view(prefix, length + 1 + word_length));
  parse_status_ |= kPolicy;
}

void JunosSrxParser::SetPackets(int direction, std::string_view text) {
  if (!ReadNumber(text, UINT64_MAX, &packets_[direction])) {
    parse_status_ |= kBad;
    return;
  }
  parse_status_ |= direction == 0 ? kClientPackets : kServerPackets;
}

std::string_view JunosSrxParser::Unescaped(const unsigned char* begin,
                                           const unsigned char* end) {
  size_t length = 0;
  for (const unsigned char* p = begin; p < end && length < kTokenSize; ++p) {
    if (*p == '\\' && p + 1 < end &&
        (p[1] == '"' || p[1] == '\\' || p[1] == ']')) {
      ++p;
    }
    value_[length++] = static_cast<char>(*p);
  }
  return std::string_view(value_, length);
}

void JunosSrxParser::Scan(const unsigned char* YYCURSOR) {
  const unsigned char* const line = YYCURSOR;
  const unsigned char* YYMARKER = YYCURSOR;
  for (const unsigned char* token = YYCURSOR;; token = YYCURSOR) {
    /*!re2c
      !use:syslog_header;

      // The syslog tag of the plain form, the application and process of
      // the structured one, and its message id, which the element reads.
      "RT_FLOW" (":" | " -") { continue; }
      "RT_FLOW_SESSION_" ("DENY" | "CREATE" | "CLOSE") { continue; }

      // The plain form: the message is the rest of the line.
      "RT_FLOW_SESSION_DENY:" " "+ "session denied" {
        YYCURSOR = ReadPlainMessage(Event::kDeny, YYCURSOR);
        continue;
      }
      "RT_FLOW_SESSION_CREATE:" " "+ "session created" {
        YYCURSOR = ReadPlainMessage(Event::kCreate, YYCURSOR);
        continue;
      }
      "RT_FLOW_SESSION_CLOSE:" " "+ "session closed" (" " REASON)? ":" {
        YYCURSOR = ReadPlainMessage(Event::kClose, YYCURSOR);
        continue;
      }

      // The structured form: the element and its parameters.
      "[junos@" [0-9.]+ {
        OpenStructuredData(line, token);
        continue;
      }
      SD_NAME "=\"" SD_VALUE "\"" {
        if (!structured_) {
          ReportUnrecognized(kReportStyle, kReportLevel, "token", token,
                             YYCURSOR);
          continue;
        }
        const unsigned char* equals = static_cast<const unsigned char*>(
            std::memchr(token, '=', static_cast<size_t>(YYCURSOR - token)));
        ReadParameter(View(token, equals), equals + 2, YYCURSOR - 1);
        continue;
      }
      SD_NAME "=\"" SD_VALUE {
        parse_status_ |= kBad;  // a value without its closing quote
        continue;
      }
      "]" {
        structured_ = false;
        continue;
      }

      !use:catch_all;
    */
  }
}

}  // namespace tnwk
