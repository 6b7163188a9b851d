#include "driver/input_loop.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "base/numbers.h"
#include "parsers/dialect_parser.h"

namespace tnwk {

InputLoop::InputLoop(const Options& options, RunState run_state,
                     const Diagnostics& diag, Counters* counters,
                     LineDispatcher* dispatcher, FixedText<256>* source_name,
                     std::FILE* standard_input)
    : options_(options),
      run_state_(run_state),
      diag_(diag),
      counters_(counters),
      dispatcher_(dispatcher),
      source_name_(source_name),
      standard_input_(standard_input) {}

void InputLoop::Prepare() {
  // Location or AS data that the report asks for but no database file
  // provides is announced as unavailable; the run state skips its criteria.
  const uint8_t wanted = options_.location_flags;
  const uint8_t sources = run_state_.location_sources;
  if ((wanted & (kLocationSource | kLocationDestination)) &&
      !(sources & (kLocationSource | kLocationDestination))) {
    diag_.Log(1,
              "Geoip locations columns, sorts or criteria specified but no "
              "libmaxminddb library available. Is support compiled in?\n");
  }
  if ((wanted & (kAsSource | kAsDestination)) &&
      !(sources & (kAsSource | kAsDestination))) {
    diag_.Log(1,
              "Geoip asn columns, sorts or criteria specified but no "
              "libmaxminddb library available. Is support compiled in?\n");
  }
  if (diag_.At(5)) {
    diag_.Print(". = accepted\n");
    diag_.Print("e = excluded\n");
    diag_.Print("r = repeated\n");
    diag_.Print("_ = not packet log entry\n");
  }
}

void InputLoop::process_input(const InputList& inputs) {
  Prepare();
  if (inputs.read_stdin()) {
    diag_.Log(1, "Processing input from stdin\n");
    LineReader reader;
    reader.UseStream(standard_input_);
    source_name_->Set(kStdinSourceName);
    ProcessLines(reader, "-");
    if (diag_.At(5)) diag_.Print("\n");
    return;
  }
  for (const std::string& name : inputs.files()) {
    diag_.Log(1, "Processing input file '%s'\n", name.c_str());
    LineReader reader;
    const bool opened = reader.OpenFile(name.c_str());
    if (!opened) {
      diag_.Print("gzopen %s: %s\n", name.c_str(), std::strerror(errno));
    }
    source_name_->Set(BaseName(name));
    if (opened) ProcessLines(reader, name.c_str());
    if (diag_.At(5)) diag_.Print("\n");
    diag_.Log(4, "Done processing input from '%s'\n", name.c_str());
    if (!opened) continue;  // nothing to close
    const bool read_failed = !reader.error().empty();
    std::string close_error;
    int result = reader.Close(&close_error);
    if (result == -1) {
      std::perror("gzclose");
    } else if (result != 0 && !read_failed) {
      // A stream that failed while reading fails its close with the same
      // error; it has been reported once already.
      diag_.Print("gzclose %s: %s\n", name.c_str(), close_error.c_str());
    }
  }
}

void InputLoop::ProcessLines(LineReader& reader, const char* name) {
  char* line = reader.Next();
  if (options_.single_line >= 2) {
    // Only line `single_line` of the input is processed. An input with
    // fewer lines processes nothing.
    for (uint64_t n = 1; line != nullptr && n < options_.single_line; ++n) {
      line = reader.Next();
    }
  }
  uint64_t line_no = 0;
  while (line != nullptr) {
    ++line_no;
    switch (dispatcher_->classify_line(line, line_no)) {
      case LineResult::kAccepted:
        ++counters_->lines_matched;
        // Lines that stand for many packets may have taken the packet
        // count to its largest value already; it stays there.
        counters_->total_matched = SaturatingAdd(counters_->total_matched, 1);
        break;
      case LineResult::kNotPacketLog:
        ++counters_->lines_not_packet_log;
        break;
      case LineResult::kWrongFormat:
        ++counters_->lines_wrong_format;
        break;
      case LineResult::kExcluded:
        ++counters_->lines_excluded;
        break;
    }
    if (options_.single_line != 0) break;
    line = reader.Next();
  }
  counters_->lines_processed += line_no;
  if (!reader.error().empty()) {
    diag_.Print("gzgets %s: %s\n", name, reader.error().c_str());
  }
}

}  // namespace tnwk
