// A row that stands for several identical rows must give exactly the report
// that those rows would: under every sort, skip and limit.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "../entries/entry_builders.h"
#include "base/clock.h"
#include "driver/report_output.h"
#include "entries/aggregation.h"
#include "entries/sorting.h"
#include "null_name_cache.h"
#include "test_support.h"

namespace tnwk {
namespace {

ReportColumn Column(int id, const char* name, int32_t position) {
  ReportColumn column;
  column.column = id;
  column.name.Set(name);
  column.position = position;
  return column;
}

SortField Sort(int id, bool descending) {
  SortField field;
  field.sort = id;
  field.descending = descending ? 1 : 0;
  return field;
}

struct Run {
  ReportRows rows;
  Counters counters;
};

// Aggregates `entries` (each standing for `count` packets) and writes the
// sorted report with `options`; `expand` hands each packet over as a line
// of its own instead.
std::string Report(const std::vector<LogEntry>& entries, bool expand,
                   const ReportDefinition& definition, const Options& options) {
  FixedClock clock(0);
  Diagnostics diag(0, nullptr);
  Run run;
  Aggregation aggregation(definition, options, diag, clock, &run.counters,
                          &run.rows);
  for (LogEntry entry : entries) {
    if (!expand) {
      aggregation.aggregate_entry(entry);
      continue;
    }
    const uint64_t packets = entry.count;
    entry.count = 1;
    for (uint64_t i = 0; i < packets; ++i) aggregation.aggregate_entry(entry);
  }
  SortReportRows(&run.rows, definition, diag);
  testing::CapturedStream out;
  NullNameCache cache;
  ReportWriter writer(options, definition, diag, &cache, clock, out.get());
  writer.write_report(run.rows, Counters());
  return out.str();
}

TEST(MultiplicityRows, ReportEqualsTheExpandedRows) {
  std::mt19937 random(12345);
  auto pick = [&](uint32_t n) { return random() % n; };
  ReportDefinition definition;
  definition.columns = {
      Column(kColumnIpSaddr, "ip_saddr", 1), Column(kColumnDport, "dport", 2),
      Column(kColumnCount, "count", 3), Column(kColumnId, "id", 4)};
  const int sort_ids[] = {kSortIpSaddr, kSortDport, kSortCount};
  for (int round = 0; round < 200; ++round) {
    std::vector<LogEntry> entries;
    const uint32_t lines = 1 + pick(12);
    for (uint32_t i = 0; i < lines; ++i) {
      const std::string address = "10.0.0." + std::to_string(pick(3));
      LogEntry entry = testing::MakeEntry(address.c_str(), 20 + pick(3));
      entry.id = i + 1;
      entry.count = pick(4);  // 0: no packet at all
      entries.push_back(entry);
    }
    definition.sort_fields.clear();
    for (uint32_t i = pick(3); i > 0; --i) {
      definition.sort_fields.push_back(Sort(sort_ids[pick(3)], pick(2)));
    }
    Options options;
    options.row_skip = pick(6);
    options.row_limit = pick(6);
    EXPECT_EQ(Report(entries, false, definition, options),
              Report(entries, true, definition, options))
        << "round " << round;
  }
}

}  // namespace
}  // namespace tnwk
