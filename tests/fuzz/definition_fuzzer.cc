// Reads the input as a report definition at the highest verbosity, whose
// item dump and traces format every value read.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "base/clock.h"
#include "base/diagnostics.h"
#include "entries/options.h"
#include "entries/report_definition.h"
#include "fuzz_support.h"
#include "reportdef/definition_context.h"
#include "reportdef/definition_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tnwk::fuzz::FixTimeZone();
  std::string text(reinterpret_cast<const char*>(data), size);
  std::FILE* stream = fmemopen(text.data(), text.size(), "r");
  if (stream == nullptr) return 0;
  tnwk::FixedClock clock(1796400000);
  tnwk::Options options;
  tnwk::Diagnostics diag(6, tnwk::fuzz::NullStream());
  tnwk::ReportDefinition definition;
  tnwk::DefinitionContext context{definition, options, diag, clock};
  tnwk::read_report_definition(context, "-", stream);
  std::fclose(stream);
  return 0;
}
