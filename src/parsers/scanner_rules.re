// What every dialect scanner shares: the settings, the building blocks of
// the classic syslog prefix "Mmm dd hh:mm:ss host", and the rule blocks that
// several dialects use. A scanner includes this file with an include:re2c
// directive before its first block, names the rule blocks it takes with
// !use, and ends its rule list with catch_all_rules.re.
//
// A line is scanned in place as unsigned char code units, never refilled,
// and ends in NUL: the NUL is the sentinel that no rule may match across, so
// classes such as [^\n] must exclude \x00 (re2c -W -Werror checks it).
/*!re2c
  re2c:define:YYCTYPE = "unsigned char";
  re2c:yyfill:enable = 0;
  re2c:sentinel = 0;

  MONTH     = "Jan" | "Feb" | "Mar" | "Apr" | "May" | "Jun"
            | "Jul" | "Aug" | "Sep" | "Oct" | "Nov" | "Dec";
  DAY       = " "? [0-9]{1,2};
  TIME      = [0-9]{2} ":" [0-9]{2} ":" [0-9]{2};
  DATE      = MONTH " " DAY " " TIME;
  HOST_CHAR = [-().0-9:A-Z_a-z];
  // The header with a host, possibly empty (DialectParser::ReadSyslogHeader
  // then takes no date); dialects that need at least one host character
  // write DATE " " HOST_CHAR+ instead.
  SYSLOG_HEADER = DATE " " HOST_CHAR*;

  IPV4 = [0-9]{1,3} "." [0-9]{1,3} "." [0-9]{1,3} "." [0-9]{1,3};
  NUM  = [0-9]+;
*/

// The syslog header as most dialects read it; their first rule.
/*!rules:re2c:syslog_header
  SYSLOG_HEADER {
    ReadSyslogHeader(token, YYCURSOR);
    continue;
  }
*/

// The TCP flags as words ("SYN ACK"); each sets its bit.
/*!rules:re2c:tcp_flag_words
  "URG" | "ACK" | "PSH" | "RST" | "SYN" | "FIN" {
    entry().tcp_flags |= TcpFlagOfLetter(*token);
    continue;
  }
*/
