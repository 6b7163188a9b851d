#ifndef TNWK_PARSERS_WIN_XP_PARSER_H_
#define TNWK_PARSERS_WIN_XP_PARSER_H_

#include <cstdint>

#include "parsers/dialect_parser.h"

namespace tnwk {

// Parser of the Windows XP firewall log: one packet per line, seventeen
// fields separated by single blanks (date, time, action, protocol, source
// and destination address, ports, size, TCP flags, sequence and
// acknowledgement numbers, window, ICMP type and code, info, path), "-" for
// a field without a value, and no syslog header.
//
// The dialect has no marker, so the dispatcher hands it every line no other
// parser claimed. A line that does not start with a digit (a "#" header
// line, any syslog line) is turned away with kNotPacketLog after one byte
// test, before the entry is touched. Otherwise the entry is reset and
// filled field by field; the line is read in place and never written.
//
// Results: kAccepted with count 1; kNotPacketLog (no message) when the date
// or time does not read, or (after "IP address error") when an address is
// not IPv4; kWrongFormat when the date or time has no blank after it (no
// message), or for an unknown protocol, an address "-", a port "-" on a TCP
// or UDP line, or an unknown TCP flag letter, each with its "win_xp parse
// error" message at verbosity 5.
//
// The line ends at its first newline, less a carriage return before it. A
// line that ends early reads its missing fields as empty: fields after the
// destination address then keep their reset values. On ICMP lines the type
// and code go into icmp_type and icmp_code as well as sport and dport.
// Nothing is allocated per line.
class WinXpParser final : public DialectParser {
 public:
  explicit WinXpParser(const ParserEnvironment& env) : DialectParser(env) {}

  LineResult ParseEntry(const char* line, uint64_t line_no) override;

 private:
  // Fills the entry from the line [begin, end) that starts with a digit.
  LineResult ParseFields(const unsigned char* begin, const unsigned char* end);

  // "win_xp parse error while reading <field> ..." at verbosity 5.
  LineResult FieldError(const char* field) const;
};

}  // namespace tnwk

#endif  // TNWK_PARSERS_WIN_XP_PARSER_H_
