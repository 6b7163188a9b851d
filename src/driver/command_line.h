#ifndef TNWK_DRIVER_COMMAND_LINE_H_
#define TNWK_DRIVER_COMMAND_LINE_H_

#include <cstdio>

#include "base/diagnostics.h"
#include "driver/input_list.h"
#include "entries/options.h"

namespace tnwk {

// What start-up does after reading the command line.
enum class CommandLineResult { kRun, kExitSuccess, kExitFailure };

// Reads the options with getopt and "hl:m:M:o:P:r:vV" into `options`, and
// the remaining arguments into `inputs` ("/var/log/messages" when there are
// none). -h and -V print their texts to `out` and end with kExitSuccess; an
// unknown option (reported by getopt on standard error) prints the usage to
// `out` and ends with kExitFailure. Numbers are read like atol: no checks,
// text that is not a number gives 0.
CommandLineResult ParseCommandLine(int argc, char** argv, Options* options,
                                   InputList* inputs, std::FILE* out);

// Turns options->parser_letters into options->enabled_parsers: an empty
// text keeps every parser; otherwise each letter enables its dialect. A
// letter that names no dialect is reported as "Unknown parser: '%c'.\n" and
// gives false.
bool ApplyParserLetters(Options* options, const Diagnostics& diag);

void PrintUsage(std::FILE* out, const char* program_name);
void PrintVersion(std::FILE* out);

}  // namespace tnwk

#endif  // TNWK_DRIVER_COMMAND_LINE_H_
