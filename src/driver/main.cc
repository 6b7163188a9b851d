// tnwk_syslog: the back-end log file parser of tarnwick. Start-up wires the
// run's objects together in the documented order and decides the exit
// status; every stage below works on the objects it is handed.
#include <cstdio>
#include <cstdlib>
#include <new>

#include "driver/command_line.h"
#include "driver/dispatcher.h"
#include "driver/input_list.h"
#include "driver/input_loop.h"
#include "entries/clock.h"
#include "entries/counters.h"
#include "entries/diagnostics.h"
#include "entries/entry_stages.h"
#include "entries/log_entry.h"
#include "parsers/dialect_parser.h"
#include "reportdef/definition_context.h"
#include "reportdef/definition_reader.h"
#include "reportdef/options.h"
#include "reportdef/report_definition.h"

namespace {

void OutOfMemory() {
  std::fputs("\nMemory allocation error, exiting.\n", stderr);
  std::exit(1);
}

// Stand in for the selection and the aggregation until they are built:
// every entry is kept, and nothing is reported yet.
class KeepEverything final : public tnwk::EntrySelector,
                             public tnwk::EntryAggregator {
 public:
  bool select_entry(const tnwk::LogEntry&) override { return true; }
  void aggregate_entry(const tnwk::LogEntry&) override {}
};

}  // namespace

int main(int argc, char** argv) {
  std::set_new_handler(OutOfMemory);

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
    // No name cache yet: every run goes without a database.
    diag.Log(1, "No database server available.  (Is support compiled in?)\n");
    options.use_database = false;
  }

  tnwk::Counters counters;
  tnwk::LogEntry current_entry;
  KeepEverything stages;
  tnwk::FixedText<256> source_name;
  tnwk::Dispatcher dispatcher(&current_entry, &source_name,
                              options.enabled_parsers, diag, &stages, &stages);
  tnwk::InputLoop loop(options, diag, &counters, &dispatcher, &source_name);
  loop.process_input(inputs);
  return 0;
}
