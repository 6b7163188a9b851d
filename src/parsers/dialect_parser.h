#ifndef TNWK_PARSERS_DIALECT_PARSER_H_
#define TNWK_PARSERS_DIALECT_PARSER_H_

#include <cstdint>

#include "entries/clock.h"
#include "entries/diagnostics.h"
#include "entries/log_entry.h"

namespace tnwk {

// Line result codes shared by the parsers and the dispatcher.
inline constexpr int kLineAccepted = 0;
inline constexpr int kLineNotPacketLog = 2;
inline constexpr int kLineWrongFormat = 3;
inline constexpr int kLineExcluded = 4;

// parse_status bit that every dialect uses for "a syslog header with a valid
// date was seen".
inline constexpr uint32_t kStatusHeader = 0x1;

// What a parser works on: the current entry it fills, the clock its date
// builder reads, and the diagnostic stream. All borrowed.
struct ParserEnvironment {
  LogEntry* entry;
  const Clock* clock;
  const Diagnostics* diag;
};

// One firewall log dialect. A parser object keeps its scanner state (the
// start condition) from one line to the next; it is not re-entrant.
class DialectParser {
 public:
  explicit DialectParser(const ParserEnvironment& env) : env_(env) {}
  virtual ~DialectParser() = default;
  DialectParser(const DialectParser&) = delete;
  DialectParser& operator=(const DialectParser&) = delete;

  // The parse entry: resets the current entry, scans `line` (terminated, as
  // read from the input) and fills the entry. Returns kLineAccepted when the
  // entry is complete, kLineNotPacketLog when the line is not a packet-log
  // line of this dialect, kLineWrongFormat on a parse error (after printing
  // the dialect's parse error diagnostics). `line_no` is used in messages.
  virtual int ParseEntry(const char* line, uint64_t line_no) = 0;

  uint32_t parse_status() const { return parse_status_; }

 protected:
  LogEntry& entry() { return *env_.entry; }
  const Clock& clock() const { return *env_.clock; }
  const Diagnostics& diag() const { return *env_.diag; }

  // The header-with-host action: reads `token` with
  // "%3s %2d %2d:%2d:%2d %32s"; only when all six values convert does it set
  // the date and local_hostname and the kStatusHeader bit. Returns whether it
  // did.
  bool ReadSyslogHeader(const char* token);

  // "<dialect> parse error in line %lu, ignoring.\n" at verbosity 5, then
  // "input was: \"%s\"\n" with the line at verbosity 6.
  void ReportParseError(const char* dialect, const char* line,
                        uint64_t line_no) const;

  uint32_t parse_status_ = 0;

 private:
  ParserEnvironment env_;
};

}  // namespace tnwk

#endif  // TNWK_PARSERS_DIALECT_PARSER_H_
