#ifndef TNWK_PARSERS_DIALECT_PARSER_H_
#define TNWK_PARSERS_DIALECT_PARSER_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/clock.h"
#include "base/diagnostics.h"
#include "entries/log_entry.h"
#include "parsers/syslog_time.h"

namespace tnwk {

// What a line came to, for the dispatcher and the input loop that counts it.
// The numbers are the documented result codes.
enum class LineResult {
  kAccepted = 0,      // complete entry: selected and aggregated
  kNotPacketLog = 2,  // not a packet-log line of the dialect
  kWrongFormat = 3,   // parse error: the line is ignored
  kExcluded = 4,      // complete, but the selection turned it away
};

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

// The wording of a dialect's unrecognized-token and -character messages.
enum class TokenReportStyle {
  kPlain,      // "Unrecognized token: %s\n"
  kLine,       // "Unrecognized token: %s, line %lu\n"
  kLineColon,  // "Unrecognized token: %s, line: %lu\n"
};

// One firewall log dialect, and the parts that every dialect's reader
// shares: the token text, the syslog date readers with their remembered
// timestamp, and the diagnostics. A parser object keeps its scanner state
// from one line to the next; it is not re-entrant. Nothing here allocates.
class DialectParser {
 public:
  explicit DialectParser(const ParserEnvironment& env) : env_(env) {}
  virtual ~DialectParser() = default;
  DialectParser(const DialectParser&) = delete;
  DialectParser& operator=(const DialectParser&) = delete;

  // The parse entry: resets the current entry, scans `line` (terminated, as
  // read from the input) and fills the entry. Returns kAccepted when the
  // entry is complete, kNotPacketLog when the line is not a packet-log line
  // of this dialect, kWrongFormat on a parse error (after printing the
  // dialect's parse error diagnostics). `line_no` is used in messages.
  virtual LineResult ParseEntry(const char* line, uint64_t line_no) = 0;

  uint32_t parse_status() const { return parse_status_; }

 protected:
  // A line holds at most 1023 characters, so any token fits.
  static constexpr size_t kTokenSize = 1024;

  LogEntry& entry() { return *env_.entry; }
  const Clock& clock() const { return *env_.clock; }
  const Diagnostics& diag() const { return *env_.diag; }
  uint64_t line_no() const { return line_no_; }

  // Steps 1 and 2 of every parse entry: parse_status to 0, the current
  // entry reset, the line number kept for the token diagnostics.
  void BeginLine(uint64_t line_no);

  // The token [begin, end) as a terminated string, cut to kTokenSize - 1
  // characters. Valid until the next call.
  const char* TokenText(const unsigned char* begin, const unsigned char* end);

  // Header actions on a token matched by the shared building blocks.
  //
  // ReadMonthDayTime: "Mmm" " "? "d" or "dd", then `gap` characters, then
  // "hh:mm:ss" (DATE has a gap of one blank; a date with its year between
  // day and time, six). Sets local_time (a future date goes to the previous
  // year) and the kStatusHeader bit; returns the character after the time.
  const unsigned char* ReadMonthDayTime(const unsigned char* begin, int gap);
  // ReadSyslogDate: DATE and, with `with_host`, " host" up to `end`;
  // without a host local_hostname becomes "-".
  void ReadSyslogDate(const unsigned char* begin, const unsigned char* end,
                      bool with_host);
  // SYSLOG_HEADER, whose host may be empty: with a host, as ReadSyslogDate;
  // with an empty host nothing is set. Returns whether the date was taken.
  bool ReadSyslogHeader(const unsigned char* begin, const unsigned char* end);
  // The year-first forms "2014:01:02-10:11:12 host" and
  // "2014-01-02T10:11:12[.fraction](Z|+hh:mm) host": the date and time are
  // read as local time, the host into local_hostname; sets kStatusHeader.
  void ReadCalendarTime(const unsigned char* begin, const unsigned char* end);
  // The date builder behind a remembered timestamp: lines come in bursts
  // that share one, and mktime costs more than scanning a whole line.
  // `month` counts from 0 for January; `year` is -1 for a syslog date,
  // whose year follows from the present. Sets and returns local_time.
  int64_t SetLocalTime(int year, int month, int day, int hour, int minute,
                       int second);

  // Reads `text` as an address of `family` into `block` (ParseAddressInto,
  // which reports a bad one) and on success sets `status_bit`. Returns
  // whether the address was read.
  bool ReadAddress(uint16_t family, const char* text, AddressBlock* block,
                   uint32_t status_bit);

  // The catch-all rules' messages for the token [begin, end), `what` being
  // "token" or "character", written at verbosity `level` or above.
  void ReportUnrecognized(TokenReportStyle style, unsigned level,
                          const char* what, const unsigned char* begin,
                          const unsigned char* end);

  // "<dialect> parse error in line %lu, ignoring.\n" at verbosity 5, then
  // "input was: \"%s\"\n" with the line at verbosity 6.
  void ReportParseError(const char* dialect, const char* line) const;

  uint32_t parse_status_ = 0;

 private:
  struct DateKey {
    int64_t now;  // only for a date without a year
    int year;     // -1: no year
    int month, day, hour, minute, second;
    bool operator==(const DateKey&) const = default;
  };

  ParserEnvironment env_;
  uint64_t line_no_ = 0;
  bool date_cached_ = false;
  DateKey date_key_{};
  int64_t date_time_ = 0;
  // The present of the last syslog date, broken down.
  bool now_cached_ = false;
  int64_t now_instant_ = 0;
  SyslogNow now_;
  char token_[kTokenSize];
};

// A dialect read by a generated scanner (a .re file). ParseEntry runs the
// steps every such dialect shares: BeginLine, the dialect's presets
// (Prepare), its scanner over the line in place (Scan), its completeness
// test (Result), and on kWrongFormat the "<name> parse error" diagnostics.
//
// The scanner's catch-all rules (catch_all_rules.re) call the hooks and
// read the settings below by their plain names, so a dialect that declares
// its own of the same name replaces the default here at compile time.
class ScannedDialect : public DialectParser {
 public:
  LineResult ParseEntry(const char* line, uint64_t line_no) final;

 protected:
  // `name` is the dialect word of the parse error message.
  ScannedDialect(const ParserEnvironment& env, const char* name)
      : DialectParser(env), name_(name) {}

  // Sets what the scan may override, on the freshly reset entry.
  virtual void Prepare() {}
  // Runs the token rules over `line` up to its end.
  virtual void Scan(const unsigned char* line) = 0;
  // What the line came to, from parse_status_ and the entry.
  virtual LineResult Result() = 0;

  // Settings of the catch-all rules: the wording and verbosity of the
  // unrecognized-token messages, and whether a newline ends the scan (or
  // the line ends only at its NUL).
  static constexpr TokenReportStyle kReportStyle = TokenReportStyle::kPlain;
  static constexpr unsigned kReportLevel = 5;
  static constexpr bool kNewlineEndsScan = false;

  // Hooks of the catch-all rules, for a dialect rule that lives in an
  // automaton of its own and can outrun the catch-all match [begin, end):
  // a hook applies that longer match and returns its end, or returns null.
  const unsigned char* AfterBlanks(const unsigned char*, const unsigned char*) {
    return nullptr;
  }
  const unsigned char* AfterUnknownWord(const unsigned char*,
                                        const unsigned char*) {
    return nullptr;
  }
  const unsigned char* AfterUnknownCharacter(const unsigned char*,
                                             const unsigned char*) {
    return nullptr;
  }

 private:
  const char* name_;
};

// [begin, end) as a view, for the bounded copies into text fields.
inline std::string_view View(const unsigned char* begin,
                             const unsigned char* end) {
  return std::string_view(reinterpret_cast<const char*>(begin),
                          static_cast<size_t>(end - begin));
}

// The decimal digits only, in every locale.
inline bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// The value of two decimal digits at `p`.
inline int TwoDigits(const unsigned char* p) {
  return (p[0] - '0') * 10 + p[1] - '0';
}

// The value of the digit run at `*p`, at most `max_digits` digits and none
// at or past `end`, advancing `*p` past it. The token patterns bound the
// runs, so the value never overflows.
uint32_t ReadDecimal(const unsigned char** p, const unsigned char* end,
                     int max_digits);

// Reads the dotted quad at `*p` (four runs of one to three digits, as a
// token pattern matched them, before `end`) and writes its octets into
// `text` in plain decimal: "010.1.1.1" becomes "10.1.1.1", where the address
// parser would take the leading zero for octal, and an octet above 255
// stays as it is, so that the address parser rejects it. Advances `*p` past
// the last octet.
void ReadDottedQuad(const unsigned char** p, const unsigned char* end,
                    char (&text)[16]);

// The TCP flag bit of a flag letter (S, A, F, R, P, U) or of the flag word
// it starts ("SYN", "ACK", "FIN", "RST", "PSH", "URG"), or 0.
uint8_t TcpFlagOfLetter(unsigned char letter);

// The IP protocol that a logged word starting with "TCP", "UDP" or "ICMP"
// names, or 0.
uint8_t ProtocolOfWord(std::string_view word);

}  // namespace tnwk

#endif  // TNWK_PARSERS_DIALECT_PARSER_H_
