#ifndef TNWK_DRIVER_DISPATCHER_H_
#define TNWK_DRIVER_DISPATCHER_H_

#include <array>
#include <cstdint>

#include "base/diagnostics.h"
#include "base/fixed_text.h"
#include "driver/input_loop.h"
#include "entries/entry_stages.h"
#include "entries/log_entry.h"
#include "parsers/dialect_parser.h"
#include "parsers/dialect_table.h"

namespace tnwk {

// Classifies each line: handles the syslog repeat lines, picks the dialect
// by its marker text, runs that parser, the selection and the aggregation,
// and writes one progress mark per line at verbosity 5. Everything it is
// given is borrowed. A dialect without a parser answers "not a packet-log
// line".
class Dispatcher final : public LineDispatcher {
 public:
  Dispatcher(LogEntry* entry, const FixedText<256>* source_name,
             uint32_t enabled_parsers, const Diagnostics& diag,
             EntrySelector* selector, EntryAggregator* aggregator);

  // Installs the parser of the dialect whose enabled_parsers bit is `bit`
  // (null: the dialect's lines are "not a packet-log line").
  void SetParser(uint32_t bit, DialectParser* parser);

  // Installs the stage that fills a parsed entry's location and AS
  // references before the selection (null: they stay the empty records).
  void SetLocator(EntryLocator* locator) { locator_ = locator; }

  // Returns kAccepted, kNotPacketLog, kWrongFormat (or whatever else the
  // parser gave) or kExcluded. `line` may be rewritten (the
  // wrapper of a " message repeated " line is cut out).
  LineResult classify_line(char* line, uint64_t line_no) override;

 private:
  LineResult Classify(char* line, uint64_t line_no);
  LineResult RepeatLastEntry(const char* line, const char* marker);
  DialectParser* ParserFor(const char* line) const;
  void Mark(const char* mark) const;

  LogEntry* entry_;
  const FixedText<256>* source_name_;
  uint32_t enabled_parsers_;
  const Diagnostics& diag_;
  EntrySelector* selector_;
  EntryAggregator* aggregator_;
  EntryLocator* locator_ = nullptr;
  // The parser of each row of kDialects.
  std::array<DialectParser*, kDialectCount> parsers_{};

  bool last_line_accepted_ = false;
  uint64_t last_count_ = 0;
};

}  // namespace tnwk

#endif  // TNWK_DRIVER_DISPATCHER_H_
