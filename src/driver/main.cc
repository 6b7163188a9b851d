// tnwk_syslog: the back-end log file parser of tarnwick. Start-up wires the
// run's objects together in the documented order and decides the exit
// status; every stage below works on the objects it is handed.
#include <cstdio>
#include <cstdlib>
#include <new>

#include "driver/command_line.h"
#include "driver/input_list.h"
#include "driver/input_loop.h"
#include "entries/clock.h"
#include "entries/counters.h"
#include "entries/diagnostics.h"
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

// Stands in for the line dispatcher until the dialect parsers are wired in:
// every line is "not a packet-log line".
class NoDialects final : public tnwk::LineDispatcher {
 public:
  int classify_line(char*, uint64_t) override {
    return tnwk::kLineNotPacketLog;
  }
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
  NoDialects dispatcher;
  tnwk::InputLoop loop(options, diag, &counters, &dispatcher);
  loop.process_input(inputs);
  return 0;
}
