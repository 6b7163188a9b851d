// Feeds every line of the input to one dialect's parser, named in the
// environment variable TNWK_FUZZ_DIALECT (its name in the dialect table),
// at the highest verbosity. A parser must
// never crash, read past its line or misuse a diagnostic format.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/clock.h"
#include "base/diagnostics.h"
#include "entries/log_entry.h"
#include "fuzz_support.h"
#include "parsers/dialect_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tnwk::fuzz::FixTimeZone();
  static tnwk::FixedClock clock(1796400000);  // 2026-12-04
  static tnwk::Diagnostics diag(6, tnwk::fuzz::NullStream());
  static tnwk::LogEntry entry;
  static const tnwk::Dialect* dialect = [] {
    const char* name = std::getenv("TNWK_FUZZ_DIALECT");
    for (const tnwk::Dialect& d : tnwk::kDialects) {
      if (name != nullptr && std::strcmp(d.name, name) == 0) return &d;
    }
    std::fprintf(stderr, "TNWK_FUZZ_DIALECT names no dialect\n");
    std::exit(2);
    return static_cast<const tnwk::Dialect*>(nullptr);
  }();
  // One parser for the whole run, as in the program: its state carries from
  // line to line and from input to input.
  static auto parser = dialect != nullptr && dialect->make != nullptr
                           ? dialect->make({&entry, &clock, &diag})
                           : nullptr;
  if (parser == nullptr) return 0;
  tnwk::fuzz::ForEachLine(data, size, [](char* line, uint64_t line_no) {
    parser->ParseEntry(line, line_no);
  });
  return 0;
}
