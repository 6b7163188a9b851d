#ifndef TNWK_PARSERS_DIALECT_TABLE_H_
#define TNWK_PARSERS_DIALECT_TABLE_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "parsers/dialect_parser.h"

namespace tnwk {

// One firewall log dialect as the command line, the dispatcher and the tests
// see it. Adding a dialect is one row of kDialects and one scanner.
inline constexpr size_t kMaxMarkers = 4;

struct Dialect {
  const char* name;  // the dialect word of its parse error message
  char letter;       // its -P letter
  uint32_t bit;      // its enabled_parsers bit
  // The dispatch markers, tried in order up to the first null: a line that
  // contains one of them goes to this dialect's parser. "" claims every
  // line.
  std::array<const char*, kMaxMarkers> markers;
  // Makes the dialect's parser; null while the dialect has none, and its
  // lines are then "not a packet-log line".
  std::unique_ptr<DialectParser> (*make)(const ParserEnvironment& env);
};

inline constexpr size_t kDialectCount = 11;

// Every dialect, in the order the dispatcher tests their markers. The
// Windows XP firewall log has no marker: its parser takes every line that
// gets that far, so a snort line reaches the snort parser only when that
// parser is disabled.
extern const std::array<Dialect, kDialectCount> kDialects;

// The dialect whose -P letter is `letter`, or null.
const Dialect* DialectByLetter(char letter);

// One parser object for each dialect that has one, made at construction and
// owned for the run. Each keeps its scanner state from line to line.
class ParserSet {
 public:
  explicit ParserSet(const ParserEnvironment& env);

  // The parser of the dialect with enabled_parsers bit `bit`, or null when
  // that dialect has none.
  DialectParser* Get(uint32_t bit) const;

 private:
  std::array<std::unique_ptr<DialectParser>, kDialectCount> parsers_;
};

}  // namespace tnwk

#endif  // TNWK_PARSERS_DIALECT_TABLE_H_
