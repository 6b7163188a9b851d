#ifndef TNWK_ENTRIES_AGGREGATION_H_
#define TNWK_ENTRIES_AGGREGATION_H_

#include <cstdint>

#include "base/clock.h"
#include "base/diagnostics.h"
#include "entries/counters.h"
#include "entries/entry_stages.h"
#include "entries/log_entry.h"
#include "entries/options.h"
#include "entries/report_definition.h"
#include "entries/report_rows.h"
#include "entries/row_index.h"

namespace tnwk {

// Folds accepted entries into the report rows.
//
// Without "summarize" every packet becomes a row of its own: an entry that
// stands for n packets (its count read as signed 32-bit) makes n rows of
// count 1, none when n <= 0. With "summarize" an entry joins the newest row
// that equals it on every selected matchable column (RowKey), adding its
// count and widening the row's earliest / latest; otherwise it starts a new
// row. Lines that stand for more than one packet add count - 1 to
// counters->total_matched. With "populate_cache_full" every folded entry
// also leaves an AddressDetail at the head of rows->address_details().
//
// Rows are found through a RowIndex, so each line costs constant expected
// time however many rows there are. Everything passed in is borrowed and
// must outlive this object.
class Aggregation final : public EntryAggregator {
 public:
  Aggregation(const ReportDefinition& definition, const Options& options,
              const Diagnostics& diag, const Clock& clock, Counters* counters,
              ReportRows* rows);

  void aggregate_entry(const LogEntry& entry) override;

 private:
  // Makes a row from `entry` with the given count and multiplicity and
  // pushes it at the head of the list; staging_ keeps its values.
  void NewRow(const LogEntry& entry, uint64_t count, uint64_t multiplicity);
  void AddAddressDetail(const LogEntry& entry, uint64_t entry_no);
  void Fold(RowRef row, const LogEntry& entry);
  // The pool's copy of the text `field` of the new row.
  const char* Intern(const char* text, RowField field);

  bool summarize_;
  bool populate_full_;
  const Diagnostics& diag_;
  Counters* counters_;
  ReportRows* rows_;
  RowIndex index_;
  ReportEntry staging_;
  // By text number (TextNumber).
  const char* last_interned_[kTextFieldCount] = {};
  const Clock& clock_;  // formats the time-warp message in local time
};

}  // namespace tnwk

#endif  // TNWK_ENTRIES_AGGREGATION_H_
