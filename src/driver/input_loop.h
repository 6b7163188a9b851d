#ifndef TNWK_DRIVER_INPUT_LOOP_H_
#define TNWK_DRIVER_INPUT_LOOP_H_

#include <cstdint>
#include <cstdio>

#include "base/diagnostics.h"
#include "base/fixed_text.h"
#include "driver/input_list.h"
#include "driver/line_reader.h"
#include "entries/counters.h"
#include "entries/options.h"
#include "entries/run_state.h"
#include "parsers/dialect_parser.h"

namespace tnwk {

// Receives every line the input loop reads.
class LineDispatcher {
 public:
  virtual ~LineDispatcher() = default;
  // Handles one line (terminated, modifiable, at most 1023 characters) with
  // its number; returns what the line came to, which the loop counts.
  virtual LineResult classify_line(char* line, uint64_t line_no) = 0;
};

// Reads the inputs one after another, line by line, hands every line to the
// dispatcher and counts the results. Before each input it writes the input's
// `source_name` (the last path component of its name), which the dispatcher
// copies into the lines it accepts. Everything it is given is borrowed,
// except the run state, which it copies.
class InputLoop {
 public:
  InputLoop(const Options& options, RunState run_state, const Diagnostics& diag,
            Counters* counters, LineDispatcher* dispatcher,
            FixedText<256>* source_name, std::FILE* standard_input = stdin);

  // The preparation (the announcement of location data that the report
  // asks for but no database provides, the progress-mark legend), then every
  // input: standard input alone when it was named, else each file in turn.
  // Inputs that cannot be opened or read are reported and skipped.
  void process_input(const InputList& inputs);

  // The name lines read from standard input carry.
  static constexpr const char* kStdinSourceName = "stdin";

 private:
  void Prepare();
  // Reads `reader` to its end (or its single line) and counts the results.
  void ProcessLines(LineReader& reader, const char* name);

  const Options& options_;
  const RunState run_state_;
  const Diagnostics& diag_;
  Counters* counters_;
  LineDispatcher* dispatcher_;
  FixedText<256>* source_name_;
  std::FILE* standard_input_;
};

}  // namespace tnwk

#endif  // TNWK_DRIVER_INPUT_LOOP_H_
