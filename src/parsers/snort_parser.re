// The scanner of the one-line alerts an intrusion detection sensor writes
// through syslog: "Mmm dd hh:mm:ss host snort[pid]: [gen:sig:rev] message
// [Classification: text] [Priority: n]: {PROTO} src[:port] -> dst[:port]".
// The whole line is scanned. A preprocessor notice (port scan or stream
// reassembly) is not a packet-log line; an alert is accepted (with the
// flags-unknown bit) when header, message, classification, protocol and
// both addresses were all seen. The classification goes into oob_prefix;
// every entry has interface "-" and count 1.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/address_family.h"
#include "entries/log_entry.h"
#include "parsers/dialect_parser.h"
#include "parsers/scanner_dialects.h"

namespace tnwk {

/*!include:re2c "scanner_rules.re" */

/*!re2c
  PROTO        = "ICMP" | "TCP" | "UDP";
  PORT         = [0-9]{1,5};
  BLANKS       = " "+;
  UNKNOWN_WORD = [-.0-9A-Z_a-z]+;
*/
/*!include:re2c "catch_all_rules.re" */

namespace {

// parse_status bits (kStatusHeader is 0x01).
constexpr uint32_t kMessage = 0x02;
constexpr uint32_t kClassification = 0x04;
constexpr uint32_t kProtocol = 0x08;
constexpr uint32_t kSrc = 0x10;
constexpr uint32_t kDst = 0x20;
constexpr uint32_t kPreprocessor = 0x40;

// An address token's octets in plain decimal ("010.1.1.1" is 10.1.1.1 in
// both the text and the address), and its port, if it has one.
struct Endpoint {
  char text[16];
  uint32_t port;
  bool has_port;
};

// Reads the IPV4 (":" PORT)? at `p`, which the token's pattern has already
// matched up to `end`.
Endpoint ReadEndpoint(const unsigned char* p, const unsigned char* end) {
  Endpoint out{};
  ReadDottedQuad(&p, end, out.text);
  if (p < end && *p == ':') {
    ++p;
    out.has_port = true;
    out.port = ReadDecimal(&p, end, 5);
  }
  return out;
}

class SnortParser final : public ScannedDialect {
 public:
  explicit SnortParser(const ParserEnvironment& env)
      : ScannedDialect(env, "snort") {}

 private:
  void Prepare() override;
  void Scan(const unsigned char* line) override;
  LineResult Result() override;

  // The "{PROTO} a.b.c.d[:port]" token, from the character after "{".
  void ReadSource(const unsigned char* begin, const unsigned char* end);
  // The "-> a.b.c.d[:port]" token.
  void ReadDestination(const unsigned char* begin, const unsigned char* end);
};

}  // namespace

DialectParser* NewSnortParser(const ParserEnvironment& env) {
  return new SnortParser(env);
}

void SnortParser::Prepare() {
  entry().interface.Set("-");
  entry().count = 1;
}

LineResult SnortParser::Result() {
  if (parse_status_ & kPreprocessor) return LineResult::kNotPacketLog;
  // Complete when every bit but the preprocessor's is set.
  constexpr uint32_t kComplete =
      kStatusHeader | kMessage | kClassification | kProtocol | kSrc | kDst;
  if (parse_status_ != kComplete) return LineResult::kWrongFormat;
  entry().tcp_flags |= kTcpFlagsUnknown;
  return LineResult::kAccepted;
}

void SnortParser::ReadSource(const unsigned char* begin,
                             const unsigned char* end) {
  LogEntry& e = entry();
  e.ip_protocol = ProtocolOfWord(View(begin, end));
  if (e.ip_protocol != 0) parse_status_ |= kProtocol;

  const unsigned char* address = begin;
  while (*address != ' ') ++address;
  const Endpoint source = ReadEndpoint(address + 1, end);
  if (source.has_port) e.sport = source.port;
  ReadAddress(kFamilyIpv4, source.text, &e.ip_saddr, kSrc);
}

void SnortParser::ReadDestination(const unsigned char* begin,
                                  const unsigned char* end) {
  LogEntry& e = entry();
  const Endpoint destination = ReadEndpoint(begin + 3, end);
  if (destination.has_port) e.dport = destination.port;
  ReadAddress(kFamilyIpv4, destination.text, &e.ip_daddr, kDst);
}

void SnortParser::Scan(const unsigned char* YYCURSOR) {
  const unsigned char* YYMARKER = YYCURSOR;
  for (const unsigned char* token = YYCURSOR;; token = YYCURSOR) {
    /*!re2c

      !use:syslog_header;
      "snort: " { continue; }
      "snort[" [0-9]+ "]: " { continue; }
      // Generator, signature and a one-digit revision. A longer revision
      // falls to the catch-all rules: it is only reported, the alert stands.
      "[" [0-9]+ ":" [0-9]+ ":" [0-9] "]" { continue; }
      // The alert's message: required, but not kept.
      [(A-Za-z] [ ()\-./0-9A-Z_a-z]* [)A-Za-z] {
        parse_status_ |= kMessage;
        continue;
      }
      // Any byte but the brackets may stand in the classification; a tab
      // in it is written as a blank by the report.
      "[Classification: " [^[\]\n\x00]* "]" {
        constexpr size_t kLead = sizeof "[Classification: " - 1;
        entry().oob_prefix.Set(View(token + kLead, YYCURSOR - 1));
        parse_status_ |= kClassification;
        continue;
      }
      "[Priority: " [0-9] "]:" { continue; }
      "{" PROTO "} " IPV4 {
        ReadSource(token + 1, YYCURSOR);
        continue;
      }
      "{" PROTO "} " IPV4 ":" PORT {
        ReadSource(token + 1, YYCURSOR);
        continue;
      }
      "-> " IPV4 {
        ReadDestination(token, YYCURSOR);
        continue;
      }
      "-> " IPV4 ":" PORT {
        ReadDestination(token, YYCURSOR);
        continue;
      }
      // Port scan and stream reassembly notices: not packet log lines.
      "spp_portscan: " [^\n\x00]* {
        parse_status_ |= kPreprocessor;
        continue;
      }
      "spp_stream4: " [^\n\x00]* {
        parse_status_ |= kPreprocessor;
        continue;
      }
      !use:catch_all;
    */
  }
}

}  // namespace tnwk
