// tnwk_syslog: the back-end log file parser of tarnwick. Start-up wires the
// run's objects together in the documented order and decides the exit
// status; every stage below works on the objects it is handed.
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

#include "base/clock.h"
#include "base/diagnostics.h"
#include "driver/command_line.h"
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
#include "entries/selection.h"
#include "entries/sorting.h"
#include "parsers/dialect_table.h"
#include "reportdef/definition_context.h"
#include "reportdef/definition_reader.h"
#include "resolve/name_cache.h"

namespace {

void OutOfMemory() {
  std::fputs("\nMemory allocation error, exiting.\n", stderr);
  std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  std::set_new_handler(OutOfMemory);
  // Without TZ the C library checks the system's zone file again on every
  // mktime, which the date builder calls for each line. Naming that same
  // file explicitly keeps the zone and lets it be read once.
  setenv("TZ", ":/etc/localtime", /*overwrite=*/0);

  tnwk::Options options;
  tnwk::InputList inputs;
  switch (tnwk::ParseCommandLine(argc, argv, &options, &inputs, stdout)) {
    case tnwk::CommandLineResult::kExitSuccess:
      return 0;
    case tnwk::CommandLineResult::kExitFailure:
      return 1;
    case tnwk::CommandLineResult::kRun:
      break;
  }
  tnwk::Diagnostics diag(options.verbosity, stderr);
  if (!tnwk::ApplyParserLetters(&options, diag)) return 1;

  tnwk::SystemClock clock;
  tnwk::ReportDefinition definition;
  tnwk::DefinitionContext definition_context{definition, options, diag, clock};
  if (tnwk::read_report_definition(definition_context,
                                   options.report_path.c_str()) != 0) {
    return 1;
  }

  if (options.use_database) {
    // The database name cache is not built yet: every run goes without.
    diag.Log(1, "No database server available.  (Is support compiled in?)\n");
    options.use_database = false;
  }

  // The lines: each goes through its dialect's parser, the selection and
  // the aggregation into the report rows.
  tnwk::Counters counters;
  // Rows keep only the fields this report reads.
  tnwk::ReportRows rows(tnwk::RowLayout(definition, options, diag.At(4)));
  tnwk::Selection selection(definition, options, diag);
  tnwk::Aggregation aggregation(definition, options, diag, clock, &counters,
                                &rows);
  {
    tnwk::LogEntry current_entry;
    tnwk::ParserEnvironment parser_env{&current_entry, &clock, &diag};
    tnwk::ParserSet parsers(parser_env);
    tnwk::FixedText<256> source_name;
    tnwk::Dispatcher dispatcher(&current_entry, &source_name,
                                options.enabled_parsers, diag, &selection,
                                &aggregation);
    for (const tnwk::Dialect& dialect : tnwk::kDialects) {
      dispatcher.SetParser(dialect.bit, parsers.Get(dialect.bit));
    }
    tnwk::InputLoop loop(options, diag, &counters, &dispatcher, &source_name);
    loop.process_input(inputs);
  }

  // The report: filtered, sorted, named and written.
  selection.filter_rows(&rows);
  tnwk::SortReportRows(&rows, definition, diag);
  tnwk::NullNameCache name_cache;
  tnwk::ReportWriter writer(options, definition, diag, &name_cache, clock);
  return writer.write_report(rows, counters);
}
