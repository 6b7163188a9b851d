// Building blocks of the classic syslog prefix "Mmm dd hh:mm:ss host",
// shared by every dialect scanner. A scanner includes this file with an
// include:re2c directive and writes its header rule with these names.
/*!re2c
  MONTH     = "Jan" | "Feb" | "Mar" | "Apr" | "May" | "Jun"
            | "Jul" | "Aug" | "Sep" | "Oct" | "Nov" | "Dec";
  DAY       = " "? [0-9]{1,2};
  TIME      = [0-9]{2} ":" [0-9]{2} ":" [0-9]{2};
  HOST_CHAR = [-().0-9:A-Z_a-z];
  // The header with a host; dialects that need at least one host character
  // write MONTH " " DAY " " TIME " " HOST_CHAR+ instead.
  SYSLOG_HEADER = MONTH " " DAY " " TIME " " HOST_CHAR*;
*/
