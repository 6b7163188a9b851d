#ifndef TNWK_PARSERS_SNORT_PARSER_H_
#define TNWK_PARSERS_SNORT_PARSER_H_

#include <cstdint>

#include "parsers/dialect_parser.h"

namespace tnwk {

// parse_status bits of the snort dialect (kStatusHeader is 0x01).
inline constexpr uint32_t kSnortMessage = 0x02;
inline constexpr uint32_t kSnortClassification = 0x04;
inline constexpr uint32_t kSnortProtocol = 0x08;
inline constexpr uint32_t kSnortSrc = 0x10;
inline constexpr uint32_t kSnortDst = 0x20;
inline constexpr uint32_t kSnortPreprocessor = 0x40;

// Parser of the one-line alerts an intrusion detection sensor writes through
// syslog: "Mmm dd hh:mm:ss host snort[pid]: [gen:sig:rev] message
// [Classification: text] [Priority: n]: {PROTO} src[:port] -> dst[:port]".
// ParseEntry scans the whole line in place, sets interface to "-" and count
// to 1, and returns kNotPacketLog for a preprocessor notice (port scan or
// stream reassembly), kAccepted when header, message, classification,
// protocol and both addresses were all seen (tcp_flags then gets 0x80, flags
// unknown), otherwise kWrongFormat after the "snort parse error"
// diagnostics. The classification goes into oob_prefix. Nothing is
// allocated per line.
class SnortParser final : public DialectParser {
 public:
  explicit SnortParser(const ParserEnvironment& env) : DialectParser(env) {}

  LineResult ParseEntry(const char* line, uint64_t line_no) override;

 private:
  // Runs the token rules over `line` up to its terminating NUL.
  void Scan(const unsigned char* line);

  // The "{PROTO} a.b.c.d[:port]" token, from the character after "{".
  void ReadSource(const unsigned char* begin, const unsigned char* end);
  // The "-> a.b.c.d[:port]" token.
  void ReadDestination(const unsigned char* begin, const unsigned char* end);
};

}  // namespace tnwk

#endif  // TNWK_PARSERS_SNORT_PARSER_H_
