#ifndef TNWK_DRIVER_REPORT_OUTPUT_H_
#define TNWK_DRIVER_REPORT_OUTPUT_H_

#include <cstdint>
#include <cstdio>
#include <span>
#include <vector>

#include "base/clock.h"
#include "base/diagnostics.h"
#include "entries/counters.h"
#include "entries/log_entry.h"
#include "entries/options.h"
#include "entries/report_definition.h"
#include "entries/report_rows.h"
#include "resolve/name_cache.h"

namespace tnwk {

// Whole seconds spent in the cache steps, the last three trailer numbers.
struct CacheTimes {
  int64_t host_cache_seconds = 0;
  int64_t service_cache_seconds = 0;
  int64_t other_lookup_seconds = 0;
};

// Writes the report the front end reads, after the rows have been sorted:
// the cache steps and their times, then (on standard output, or on the -o
// file instead) the preamble, the header, one tab-separated line per shown
// row, an empty line and the six-number trailer. Statistics go to the
// diagnostics stream at verbosity 3, without -o only. Everything it is given
// is borrowed; `standard_output` is the stream that -o reopens on the file
// and closes at the end, so it must not be used afterwards in that case.
class ReportWriter {
 public:
  ReportWriter(const Options& options, const ReportDefinition& definition,
               const Diagnostics& diag, NameCache* cache, const Clock& clock,
               std::FILE* standard_output = stdout);

  // `rows` in print order (head first); `row_count` and `count_sum` (0
  // unless "summarize") as the aggregation left them; `counters` of the
  // input loop. Returns the exit status: 0, or 1 when the -o file cannot be
  // opened, a write fails or the -o file cannot be closed; each failure is
  // reported on the diagnostics stream.
  int write_report(std::span<const ReportEntry* const> rows, uint64_t row_count,
                   uint64_t count_sum, const Counters& counters);
  // The same for the rows of `rows` in list order, with its row_count and
  // count_sum; reads compact rows one at a time.
  int write_report(const ReportRows& rows, const Counters& counters);

  // The times of the last write_report.
  const CacheTimes& times() const { return times_; }

  // The rows the report prints: after the first row_skip (taken modulo
  // 2^32), at most row_limit of them (0: no limit). A row that stands for
  // several identical rows appears as often as it is printed.
  static std::vector<const ReportEntry*> ShownRows(
      std::span<const ReportEntry* const> rows, uint64_t row_skip,
      uint64_t row_limit);

 private:
  // Calls `visit(row, copies)` for each shown row of `rows` (list order) and
  // how many times in a row it is printed.
  template <typename Rows, typename Multiplicity, typename Visit>
  static void VisitShown(const Rows& rows, uint64_t row_skip,
                         uint64_t row_limit, Multiplicity multiplicity,
                         Visit visit);
  // Everything after the cache steps: `for_each_shown(visit)` visits the
  // shown rows as VisitShown does, and `row_of` gives the row of a handle.
  template <typename ForEachShown, typename RowOf>
  int Write(ForEachShown for_each_shown, RowOf row_of, uint64_t row_count,
            uint64_t count_sum, const Counters& counters);

  void RunCacheSteps(std::span<const ReportEntry* const> shown);
  void WriteStatistics(const Counters& counters) const;

  const Options& options_;
  const ReportDefinition& definition_;
  const Diagnostics& diag_;
  NameCache* cache_;
  const Clock& clock_;
  std::FILE* standard_output_;
  CacheTimes times_;
};

}  // namespace tnwk

#endif  // TNWK_DRIVER_REPORT_OUTPUT_H_
