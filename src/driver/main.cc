// tnwk_syslog: the back-end log file parser of tarnwick. Start-up wires the
// run's objects together in the documented order and decides the exit
// status; every stage below works on the objects it is handed.
#include <cstdio>
#include <cstdlib>
#include <memory>
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
#include "entries/run_state.h"
#include "entries/selection.h"
#include "entries/sorting.h"
#include "location/locator.h"
#include "parsers/dialect_table.h"
#include "reportdef/definition_context.h"
#include "reportdef/definition_reader.h"
#include "resolve/database_name_cache.h"
#include "resolve/sql_client.h"

namespace {

void OutOfMemory() {
  std::fputs("\nMemory allocation error, exiting.\n", stderr);
  std::exit(1);
}

// The run, once start-up has read the command line and the report
// definition, which stay as they are from here on. Returns the exit status.
int Run(const tnwk::Options& options, const tnwk::ReportDefinition& definition,
        const tnwk::InputList& inputs, const tnwk::Diagnostics& diag,
        const tnwk::Clock& clock) {
  // Rows keep only the fields this report reads; the name cache reads the
  // addresses of every accepted line that the aggregation keeps with them.
  tnwk::ReportRows rows(tnwk::RowLayout(definition, options, diag.At(4)));
  const std::unique_ptr<tnwk::SqlClient> database = tnwk::MakeMariadbClient();
  tnwk::DatabaseNameCache name_cache(database.get(), options, definition, diag,
                                     &rows.address_details());
  // A cache that could not connect stays off for the rest of the run.
  if (!name_cache.db_connect()) name_cache.db_close();

  // The location and AS databases; their records outlive the rows.
  tnwk::Locator locator(diag);
  locator.Open(options);
  const tnwk::RunState run_state =
      tnwk::MakeRunState(options, locator.sources());

  // The lines: each goes through its dialect's parser, the locator, the
  // selection and the aggregation into the report rows.
  tnwk::Counters counters;
  tnwk::Selection selection(definition, options, diag, run_state);
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
    if (locator.sources() != 0) dispatcher.SetLocator(&locator);
    tnwk::InputLoop loop(options, run_state, diag, &counters, &dispatcher,
                         &source_name);
    loop.process_input(inputs);
  }

  // The report: filtered, sorted, named and written.
  selection.filter_rows(&rows);
  tnwk::SortReportRows(&rows, definition, diag);
  tnwk::ReportWriter writer(options, definition, diag, &name_cache, clock);
  return writer.write_report(rows, counters);
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
  return Run(options, definition, inputs, diag, clock);
}
