// The whole program on one input: a report definition, a line "%%", then
// the log. The definition is read from a stream, the log goes through the
// input loop, the dispatcher with every dialect and its repeat lines, the
// selection, the aggregation, the end-of-input filter and the sorting, and
// the report is written to memory. Whatever the input, the report must keep
// its shape: the preamble, a header line, one line per row with one cell
// per column (so no cell holds a tab or a newline; "-" when there are no
// columns) and never an empty row line, then the blank line and the six
// trailer numbers.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "../null_name_cache.h"
#include "base/clock.h"
#include "base/diagnostics.h"
#include "driver/dispatcher.h"
#include "driver/input_list.h"
#include "driver/input_loop.h"
#include "driver/report_output.h"
#include "entries/aggregation.h"
#include "entries/counters.h"
#include "entries/log_entry.h"
#include "entries/options.h"
#include "entries/report_definition.h"
#include "entries/report_rows.h"
#include "entries/run_state.h"
#include "entries/selection.h"
#include "entries/sorting.h"
#include "fuzz_support.h"
#include "parsers/dialect_table.h"
#include "reportdef/definition_context.h"
#include "reportdef/definition_reader.h"

namespace {

void CheckShape(std::string_view report, size_t columns) {
  constexpr std::string_view kPreamble = "%%\n0\n0\n%%\n";
  if (report.substr(0, kPreamble.size()) != kPreamble) std::abort();
  report.remove_prefix(kPreamble.size());
  const size_t header_end = report.find('\n');
  if (header_end == std::string_view::npos) std::abort();
  report.remove_prefix(header_end + 1);
  for (;;) {
    const size_t end = report.find('\n');
    if (end == std::string_view::npos) std::abort();
    const std::string_view row = report.substr(0, end);
    report.remove_prefix(end + 1);
    if (row.empty()) break;  // the blank line that ends the rows
    size_t tabs = 0;
    for (char c : row) tabs += c == '\t';
    if (columns == 0 ? row != "-" : tabs != columns - 1) std::abort();
  }
  int numbers = 0;
  for (char c : report) numbers += c == '\n';
  if (numbers != 6) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tnwk::fuzz::FixTimeZone();
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find("\n%%\n");
  if (split == std::string_view::npos) return 0;
  std::string definition_text(input.substr(0, split + 1));
  std::string log_text(input.substr(split + 4));

  tnwk::FixedClock clock(1796400000);  // 2026-12-04
  tnwk::Options options;
  tnwk::Diagnostics diag(0, tnwk::fuzz::NullStream());
  tnwk::ReportDefinition definition;
  tnwk::DefinitionContext context{definition, options, diag, clock};
  std::FILE* definition_stream =
      fmemopen(definition_text.data(), definition_text.size(), "r");
  const int read =
      tnwk::read_report_definition(context, "-", definition_stream);
  std::fclose(definition_stream);
  if (read != 0) return 0;
  // At most a bounded report: the fuzzer looks for wrong shapes, not for
  // long ones.
  if (options.row_limit == 0 || options.row_limit > 1000)
    options.row_limit = 1000;

  tnwk::Counters counters;
  tnwk::ReportRows rows;
  // No location database: location and AS criteria are skipped.
  const tnwk::RunState run_state = tnwk::MakeRunState(options, 0);
  tnwk::Selection selection(definition, options, diag, run_state);
  tnwk::Aggregation aggregation(definition, options, diag, clock, &counters,
                                &rows);
  {
    tnwk::LogEntry entry;
    tnwk::ParserSet parsers({&entry, &clock, &diag});
    tnwk::FixedText<256> source_name;
    tnwk::Dispatcher dispatcher(&entry, &source_name, options.enabled_parsers,
                                diag, &selection, &aggregation);
    for (const tnwk::Dialect& dialect : tnwk::kDialects) {
      dispatcher.SetParser(dialect.bit, parsers.Get(dialect.bit));
    }
    std::FILE* log_stream = fmemopen(log_text.data(), log_text.size(), "r");
    if (log_stream == nullptr) return 0;  // an empty log
    tnwk::InputLoop loop(options, run_state, diag, &counters, &dispatcher,
                         &source_name, log_stream);
    tnwk::InputList inputs;
    inputs.add_input("-");
    loop.process_input(inputs);
    std::fclose(log_stream);
  }
  selection.filter_rows(&rows);
  tnwk::SortReportRows(&rows, definition, diag);
  char* report = nullptr;
  size_t report_size = 0;
  std::FILE* out = open_memstream(&report, &report_size);
  tnwk::NullNameCache cache;
  tnwk::ReportWriter writer(options, definition, diag, &cache, clock, out);
  writer.write_report(rows, counters);
  std::fclose(out);
  CheckShape(std::string_view(report, report_size), definition.columns.size());
  std::free(report);
  return 0;
}
