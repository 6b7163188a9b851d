// What a million netfilter lines cost the program when they fold into ten
// report rows, against when each of them makes a row of its own: every
// line goes through the dispatcher, the parser, the selection and the
// aggregation, as in a real run. Compare the two items_per_second figures.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/clock.h"
#include "driver/dispatcher.h"
#include "entries/aggregation.h"
#include "entries/counters.h"
#include "entries/options.h"
#include "entries/report_definition.h"
#include "entries/report_rows.h"
#include "entries/selection.h"
#include "parsers/netfilter_parser.h"

namespace {

constexpr int kLines = 1000000;

// kLines lines, one after the other in one buffer, each terminated by NUL;
// source address and port run through `distinct_keys` values.
std::vector<char> MakeLog(uint32_t distinct_keys) {
  std::vector<char> log;
  log.reserve(static_cast<size_t>(kLines) * 200);
  char line[512];
  for (uint32_t i = 0; i < kLines; ++i) {
    uint32_t key = i % distinct_keys;
    int n = std::snprintf(
        line, sizeof line,
        "Dec  4 10:%02u:%02u gw kernel: FW-DROP IN=eth0 OUT= SRC=10.%u.%u.%u "
        "DST=192.0.2.1 LEN=60 TOS=0x00 PREC=0x00 TTL=64 ID=%u DF PROTO=TCP "
        "SPT=%u DPT=%u WINDOW=5840 RES=0x00 SYN URGP=0\n",
        i / 60 % 60, i % 60, key >> 16 & 255, key >> 8 & 255, key & 255,
        i & 0xffff, 1024 + i % 60000, 22 + key % 10);
    log.insert(log.end(), line, line + n + 1);
  }
  return log;
}

void ProcessLines(benchmark::State& state, uint32_t distinct_keys) {
  static std::vector<char>* logs[2] = {nullptr, nullptr};
  std::vector<char>*& log = logs[distinct_keys == 10 ? 0 : 1];
  if (log == nullptr) log = new std::vector<char>(MakeLog(distinct_keys));

  tnwk::ReportDefinition definition;
  definition.column_selected[tnwk::kColumnIpSaddr] = 1;
  definition.column_selected[tnwk::kColumnDport] = 1;
  definition.column_selected[tnwk::kColumnCount] = 1;
  tnwk::Options options;
  options.summarize = true;
  tnwk::Diagnostics diag;
  tnwk::FixedClock clock(1796400000);  // 2026-12-04, after every line
  std::vector<char> line(1024);
  uint64_t rows = 0;
  for (auto _ : state) {
    {
      tnwk::Counters counters;
      tnwk::ReportRows table;
      tnwk::LogEntry entry;
      tnwk::FixedText<256> source("messages");
      tnwk::Selection selection(definition, options, diag);
      tnwk::Aggregation aggregation(definition, options, diag, clock, &counters,
                                    &table);
      tnwk::NetfilterParser netfilter(
          tnwk::ParserEnvironment{&entry, &clock, &diag});
      tnwk::Dispatcher dispatcher(&entry, &source, tnwk::kParserNetfilter, diag,
                                  &selection, &aggregation);
      dispatcher.SetParser(tnwk::kParserNetfilter, &netfilter);
      const char* p = log->data();
      for (int i = 0; i < kLines; ++i) {
        // The input loop hands each line over in its own modifiable buffer.
        size_t n = std::char_traits<char>::length(p);
        std::char_traits<char>::copy(line.data(), p, n + 1);
        dispatcher.classify_line(line.data(), i + 1);
        p += n + 1;
      }
      rows = table.row_count();
      state.PauseTiming();  // releasing the rows is not part of the work
    }
    state.ResumeTiming();
  }
  state.counters["rows"] = static_cast<double>(rows);
  state.SetItemsProcessed(state.iterations() * kLines);
}

void BM_LinesInto10Rows(benchmark::State& state) { ProcessLines(state, 10); }
void BM_LinesIntoDistinctRows(benchmark::State& state) {
  ProcessLines(state, kLines);
}

BENCHMARK(BM_LinesInto10Rows)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_LinesIntoDistinctRows)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
