// The NetScreen scanner: the key=value traffic lines that NetScreen
// firewalls send through syslog. The whole line is scanned (a newline does
// not end it). A line with an administrative notice is not a packet-log
// line; a traffic line is accepted (with the flags-unknown bit) when the
// header, both addresses, both ports or an ICMP type, the action and the
// protocol were all seen. An ICMP type goes into sport and icmp_type, with
// dport and icmp_code 0. Every entry has interface "-" and count 1.
//
// Tokens whose value an action converts are first copied into token_, so a
// conversion never reads past its token (dst_port=123456 is the port 12345
// followed by a stray digit).

#include "base/address_family.h"
#include "base/numbers.h"
#include "parsers/dialect_parser.h"
#include "parsers/scanner_dialects.h"

namespace tnwk {

/*!include:re2c "scanner_rules.re" */

/*!re2c
  WORD = [A-Za-z] [-.0-9A-Z_a-z]*;
  VAL  = [-/0-9:A-Za-z]+;
  HEX  = [0-9a-f]*;
  // The gateway and user names of the XAuth notices: host and account
  // names, e-mail style included; a comma ends a name.
  XAUTH_NAME = [-.0-9@A-Z_a-z]+;
  // The bracketed virtual system name before a message class.
  VSYS = ("[" [ 0-9A-Za-z]* "]")?;
  BLANKS       = " "+;
  UNKNOWN_WORD = WORD;
*/
/*!include:re2c "catch_all_rules.re" */

namespace {

// parse_status bits (kStatusHeader is 0x01).
constexpr uint32_t kSrc = 0x02;
constexpr uint32_t kDst = 0x04;
constexpr uint32_t kSport = 0x08;  // or an ICMP type
constexpr uint32_t kDport = 0x10;  // or an ICMP type
constexpr uint32_t kAction = 0x20;
constexpr uint32_t kProto = 0x40;
constexpr uint32_t kNotice = 0x80;  // administrative notice

class NetscreenParser final : public ScannedDialect {
 public:
  explicit NetscreenParser(const ParserEnvironment& env)
      : ScannedDialect(env, "netscreen") {}

 private:
  void Prepare() override;
  void Scan(const unsigned char* line) override;
  LineResult Result() override;
};

}  // namespace

DialectParser* NewNetscreenParser(const ParserEnvironment& env) {
  return new NetscreenParser(env);
}

void NetscreenParser::Prepare() {
  entry().interface.Set("-");
  entry().count = 1;
}

LineResult NetscreenParser::Result() {
  if ((parse_status_ & kNotice) != 0) return LineResult::kNotPacketLog;
  constexpr uint32_t kComplete =
      kStatusHeader | kSrc | kDst | kSport | kDport | kAction | kProto;
  if (parse_status_ != kComplete) return LineResult::kWrongFormat;
  entry().tcp_flags |= kTcpFlagsUnknown;
  return LineResult::kAccepted;
}

// The syslog header, the device and session fields, the protocol and action.
/*!rules:re2c:netscreen_session
  // Syslog header; an empty host takes no date.
  !use:syslog_header;

  // Device, message class and session fields that are not stored.
  WORD ": NetScreen" { continue; }
  "device_id=" WORD { continue; }
  VSYS "system-information-" NUM ":" { continue; }
  VSYS "system-notification-" NUM "(traffic)"? ":" { continue; }
  VSYS "system-warning-" NUM ":" { continue; }
  "start_time=\"" [0-9]{4} "-" [0-9]{2} "-" [0-9]{2} " " [0-9]{2} ":"
      [0-9]{2} ":" [0-9]{2} "\"" { continue; }
  "duration=" NUM { continue; }
  "policy_id=" NUM { continue; }
  "service=" VAL { continue; }

  "proto=" NUM {
    e.ip_protocol = static_cast<uint8_t>(CheckedAtoi(text() + 6));
    parse_status_ |= kProto;
    continue;
  }
  "direction=" WORD { continue; }
  "src zone=" WORD { continue; }
  "dst zone=" WORD { continue; }
  "action=" VAL {
    e.oob_prefix.Set(View(token + 7, YYCURSOR));
    parse_status_ |= kAction;
    continue;
  }
  "sent=" NUM { continue; }
  "rcvd=" NUM { continue; }
*/

// The addresses and ports, the ICMP type and the address translations.
/*!rules:re2c:netscreen_addresses
  "src=" IPV4 {
    ReadAddress(kFamilyIpv4, text() + 4, &e.ip_saddr, kSrc);
    continue;
  }
  "dst=" IPV4 {
    ReadAddress(kFamilyIpv4, text() + 4, &e.ip_daddr, kDst);
    continue;
  }
  "src_port=" [0-9]{1,5} {
    e.sport = static_cast<uint32_t>(CheckedAtoi(text() + 9));
    parse_status_ |= kSport;
    continue;
  }
  "dst_port=" [0-9]{1,5} {
    e.dport = static_cast<uint32_t>(CheckedAtoi(text() + 9));
    parse_status_ |= kDport;
    continue;
  }
  // An ICMP line logs its type in place of the ports. The type also goes
  // into icmp_type, and the code the line does not give is 0 like the
  // destination port, so the ICMP columns and criteria see real values.
  "icmp type=" NUM {
    const int type = CheckedAtoi(text() + 10);
    e.sport = static_cast<uint32_t>(type);
    e.dport = 0;
    e.icmp_type = static_cast<uint8_t>(type);
    e.icmp_code = 0;
    parse_status_ |= kSport | kDport;
    continue;
  }
  "translated ip=" IPV4 " port=" [0-9]{1,5} { continue; }
  "src-xlated ip=" IPV4 " port=" [0-9]{1,5} { continue; }
*/

// The VPN negotiation notices.
/*!rules:re2c:netscreen_vpn
  // VPN negotiation: the IKE peer marks a notice, not a packet.
  "IKE<" IPV4 ">" {
    parse_status_ |= kNotice;
    continue;
  }
  ": XAuth login expired and was terminated for username " XAUTH_NAME
      " at " IPV4 "." { continue; }
  ": XAuth login failed for gateway " XAUTH_NAME ", username "
      XAUTH_NAME ", retry: " NUM "." { continue; }
  ">> " IPV4 " Phase 1: Initiated negotiations in main mode." { continue; }
  "Phase 1: Aborted negotiations because the time limit has elapsed." {
    continue;
  }
  "Phase 1: Completed Main mode negotiations with a " NUM
      "-second lifetime." { continue; }
  "Phase 1: Completed for user " [ \-0-9A-Z_a-z]* "." { continue; }
  "Phase 1: IKE responder has detected NAT in front of the remote "
      "device." { continue; }
  "Phase 1: Responder starts MAIN mode negotiations." { continue; }
  "Phase 2: Initiated negotiations." { continue; }
  "Phase 2 msg ID " HEX ": Completed negotiations with SPI " HEX
      ", tunnel ID " NUM ", and lifetime " NUM " seconds/" NUM " KB." {
    continue;
  }
  "Phase 2 msg ID " HEX ": Responded to the first message." { continue; }
  ": Received a notification message for " { continue; }
*/

// The administrative notices and the parenthesised date.
/*!rules:re2c:netscreen_notices
  // Administrative notices: the line is not a packet log line.
  "last message repeated " NUM " time" "s"? {
    parse_status_ |= kNotice;
    continue;
  }
  "The system clock has been updated through NTP." {
    parse_status_ |= kNotice;
    continue;
  }
  "Admin user " ["0-9A-Za-z]+ " logged in via Telnet from " IPV4 ":"
      NUM {
    parse_status_ |= kNotice;
    continue;
  }
  "Save configuration to IP address " IPV4 " under filename "
      [.0-9@-Za-z]+ " by administrator by admin " [0-9A-Za-z]+ {
    parse_status_ |= kNotice;
    continue;
  }
  "Lock configuration ended by task " [-0-9:A-Za-z]+ {
    parse_status_ |= kNotice;
    continue;
  }

  // A parenthesised date and time.
  "(" [ \-0-9:]{19} ")" { continue; }
*/

void NetscreenParser::Scan(const unsigned char* YYCURSOR) {
  const unsigned char* YYMARKER = YYCURSOR;
  LogEntry& e = entry();
  for (const unsigned char* token = YYCURSOR;; token = YYCURSOR) {
    // The token as a terminated string, for the conversions.
    auto text = [&] { return TokenText(token, YYCURSOR); };
    /*!re2c
      !use:netscreen_session;
      !use:netscreen_addresses;
      !use:netscreen_vpn;
      !use:netscreen_notices;
      !use:catch_all;
    */
  }
}

}  // namespace tnwk
