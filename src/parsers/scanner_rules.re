// What every dialect scanner shares: the settings and the building blocks of
// the classic syslog prefix "Mmm dd hh:mm:ss host". A scanner includes this
// file with an include:re2c directive before its first block.
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
  HOST_CHAR = [-().0-9:A-Z_a-z];
  // The header with a host, possibly empty (DialectParser::ReadSyslogHeader
  // then takes no date); dialects that need at least one host character
  // write MONTH " " DAY " " TIME " " HOST_CHAR+ instead.
  SYSLOG_HEADER = MONTH " " DAY " " TIME " " HOST_CHAR*;
*/
