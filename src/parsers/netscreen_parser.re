// The NetScreen scanner. The line is scanned in place: unsigned char code
// units, no refilling, and the terminating NUL as the sentinel that no rule
// matches across. Tokens whose value an action converts are first copied into
// token_, so a conversion never reads past its token (dst_port=123456 is the
// port 12345 followed by a stray digit).
//
// Rules are listed in priority order; the longest match wins and a tie goes
// to the earlier rule. The dialect has no start conditions, so every rule
// belongs to the one automaton. A newline does not end the scan: the line
// ends at its NUL.
#include "parsers/netscreen_parser.h"

#include "base/address_family.h"
#include "base/numbers.h"

namespace tnwk {

/*!include:re2c "scanner_rules.re" */

/*!re2c
  IP   = [0-9]{1,3} "." [0-9]{1,3} "." [0-9]{1,3} "." [0-9]{1,3};
  WORD = [A-Za-z] [-.0-9A-Z_a-z]*;
  VAL  = [-/0-9:A-Za-z]+;
  NUM  = [0-9]+;
  HEX  = [0-9a-f]*;
  // The gateway and user names of the XAuth notices: host and account
  // names, e-mail style included; a comma ends a name.
  XAUTH_NAME = [-.0-9@A-Z_a-z]+;
  // The bracketed virtual system name before a message class.
  VSYS = ("[" [ 0-9A-Za-z]* "]")?;
*/

void NetscreenParser::Scan(const unsigned char* line) {
  const unsigned char* YYCURSOR = line;
  const unsigned char* YYMARKER = line;
  LogEntry& e = entry();
  for (;;) {
    const unsigned char* token = YYCURSOR;
    // The token as a terminated string, for the conversions.
    auto text = [&] { return TokenText(token, YYCURSOR); };
    /*!re2c

      // Syslog header; an empty host takes no date.
      SYSLOG_HEADER {
        ReadSyslogHeader(token, YYCURSOR);
        continue;
      }

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
        parse_status_ |= kNetscreenProto;
        continue;
      }
      "direction=" WORD { continue; }
      "src zone=" WORD { continue; }
      "dst zone=" WORD { continue; }
      "action=" VAL {
        e.oob_prefix.Set(View(token + 7, YYCURSOR));
        parse_status_ |= kNetscreenAction;
        continue;
      }
      "sent=" NUM { continue; }
      "rcvd=" NUM { continue; }

      "src=" IP {
        if (ParseAddressInto(kFamilyIpv4, text() + 4, &e.ip_saddr, diag()) ==
            0) {
          parse_status_ |= kNetscreenSrc;
        }
        continue;
      }
      "dst=" IP {
        if (ParseAddressInto(kFamilyIpv4, text() + 4, &e.ip_daddr, diag()) ==
            0) {
          parse_status_ |= kNetscreenDst;
        }
        continue;
      }
      "src_port=" [0-9]{1,5} {
        e.sport = static_cast<uint32_t>(CheckedAtoi(text() + 9));
        parse_status_ |= kNetscreenSport;
        continue;
      }
      "dst_port=" [0-9]{1,5} {
        e.dport = static_cast<uint32_t>(CheckedAtoi(text() + 9));
        parse_status_ |= kNetscreenDport;
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
        parse_status_ |= kNetscreenSport | kNetscreenDport;
        continue;
      }
      "translated ip=" IP " port=" [0-9]{1,5} { continue; }
      "src-xlated ip=" IP " port=" [0-9]{1,5} { continue; }

      // VPN negotiation: the IKE peer marks a notice, not a packet.
      "IKE<" IP ">" {
        parse_status_ |= kNetscreenNotice;
        continue;
      }
      ": XAuth login expired and was terminated for username " XAUTH_NAME
          " at " IP "." { continue; }
      ": XAuth login failed for gateway " XAUTH_NAME ", username "
          XAUTH_NAME ", retry: " NUM "." { continue; }
      ">> " IP " Phase 1: Initiated negotiations in main mode." { continue; }
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

      // Administrative notices: the line is not a packet log line.
      "last message repeated " NUM " time" "s"? {
        parse_status_ |= kNetscreenNotice;
        continue;
      }
      "The system clock has been updated through NTP." {
        parse_status_ |= kNetscreenNotice;
        continue;
      }
      "Admin user " ["0-9A-Za-z]+ " logged in via Telnet from " IP ":"
          NUM {
        parse_status_ |= kNetscreenNotice;
        continue;
      }
      "Save configuration to IP address " IP " under filename "
          [.0-9@-Za-z]+ " by administrator by admin " [0-9A-Za-z]+ {
        parse_status_ |= kNetscreenNotice;
        continue;
      }
      "Lock configuration ended by task " [-0-9:A-Za-z]+ {
        parse_status_ |= kNetscreenNotice;
        continue;
      }

      // A parenthesised date and time.
      "(" [ \-0-9:]{19} ")" { continue; }

      // Catch-all rules: unmatched input never stops the scan.
      " "+ { continue; }
      "\n" { continue; }
      WORD {
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

LineResult NetscreenParser::ParseEntry(const char* line, uint64_t line_no) {
  BeginLine(line_no);
  Scan(reinterpret_cast<const unsigned char*>(line));
  LogEntry& e = entry();
  e.interface.Set("-");
  e.count = 1;
  if ((parse_status_ & kNetscreenNotice) != 0) {
    return LineResult::kNotPacketLog;
  }
  constexpr uint32_t kComplete = kStatusHeader | kNetscreenSrc |
                                 kNetscreenDst | kNetscreenSport |
                                 kNetscreenDport | kNetscreenAction |
                                 kNetscreenProto;
  if (parse_status_ == kComplete) {
    e.tcp_flags |= kTcpFlagsUnknown;
    return LineResult::kAccepted;
  }
  ReportParseError("netscreen", line);
  return LineResult::kWrongFormat;
}

}  // namespace tnwk
