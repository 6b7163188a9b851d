// Summarizing cost when few keys repeat against when every line starts a
// row of its own. With the row index both stay linear in the number of
// lines; the second pays in addition for making a million rows (their
// memory, the index growing past the caches).
#include <arpa/inet.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include "base/clock.h"
#include "entries/aggregation.h"

namespace {

constexpr int kLines = 1000000;

tnwk::ReportDefinition ReportBySourceAndService() {
  tnwk::ReportDefinition definition;
  for (int column :
       {tnwk::kColumnIpSaddr, tnwk::kColumnIpDaddr, tnwk::kColumnDport,
        tnwk::kColumnIpProtocol, tnwk::kColumnOobPrefix, tnwk::kColumnCount,
        tnwk::kColumnEarliest, tnwk::kColumnLatest}) {
    definition.column_selected[column] = 1;
  }
  return definition;
}

void AggregateEntries(benchmark::State& state, uint32_t distinct_keys) {
  tnwk::ReportDefinition definition = ReportBySourceAndService();
  tnwk::Options options;
  options.summarize = true;
  tnwk::Diagnostics diag;
  tnwk::LogEntry entry;
  tnwk::reset_current_entry(entry);
  entry.count = 1;
  entry.ip_protocol = 6;
  entry.dport = 443;
  entry.sname.Set("messages");
  entry.oob_prefix.Set("FW DROP ");
  entry.local_hostname.Set("gate");
  entry.oob_in.Set("eth0");
  inet_pton(AF_INET, "192.0.2.1", &entry.ip_daddr.v4);
  entry.ip_daddr.text.Set("192.0.2.1");
  uint64_t rows = 0;
  for (auto _ : state) {
    auto table = std::make_unique<tnwk::ReportRows>();
    tnwk::Counters counters;
    tnwk::SystemClock clock;
    {
      tnwk::Aggregation aggregation(definition, options, diag, clock, &counters,
                                    table.get());
      for (int line = 0; line < kLines; ++line) {
        entry.ip_saddr.v4 = htonl(0x0A000000u + line % distinct_keys);
        entry.local_time = 1700000000 + line;
        aggregation.aggregate_entry(entry);
      }
      rows = table->row_count();
      state.PauseTiming();
    }
    table.reset();
    state.ResumeTiming();
  }
  state.counters["rows"] = static_cast<double>(rows);
  state.SetItemsProcessed(state.iterations() * kLines);
}

void BM_Aggregate10Keys(benchmark::State& state) {
  AggregateEntries(state, 10);
}
void BM_AggregateDistinctKeys(benchmark::State& state) {
  AggregateEntries(state, kLines);
}

BENCHMARK(BM_Aggregate10Keys)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_AggregateDistinctKeys)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
