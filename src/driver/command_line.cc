#include "driver/command_line.h"

#include <unistd.h>

#include "base/numbers.h"
#include "parsers/dialect_table.h"

namespace tnwk {

namespace {

// The version comes from the build, which keeps it in one place.
constexpr const char kVersion[] = "tarnwick " TNWK_VERSION;

uint64_t ReadNumber(const char* text) {
  // The command line's numbers are read like atol, negative ones included.
  return static_cast<uint64_t>(CheckedAtol(text));
}

}  // namespace

void PrintUsage(std::FILE* out, const char* program_name) {
  std::fprintf(out, "%s\n\n", kVersion);
  std::fprintf(out, "Usage: %s [options] [input_files]\n\n", program_name);
  std::fputs(
      "  -r <file>    specify report definition file (defaults to stdin)\n"
      "  -M <number>  Limit report to this many lines\n"
      "  -m <number>  Skip this many line on limited report\n"
      "  -l <number>  Print all columns for this line of first input file\n"
      "  -P <format>  use only parsers for specific formats (see "
      "tarnwick.conf)\n"
      "  -o <file>    specify output file\n"
      "  -v           verbose, specify multiple times for increasing detail\n"
      "  -V           show version and copyright info\n"
      "  -h           this help\n",
      out);
}

void PrintVersion(std::FILE* out) {
  std::fprintf(out, "%s\n", kVersion);
  std::fputs(
      "Copyright (C) the tarnwick developers.\n"
      "\n"
      "tnwk_syslog is the back-end log file parser for the tarnwick package,\n"
      "which is a web-based firewall log analyzer and reporting tool.\n"
      "This program is not intended to be run as a standalone process.\n"
      "\n"
      "This program is free software; you can redistribute it and/or modify\n"
      "it under the terms of the GNU General Public License as published by\n"
      "the Free Software Foundation; either version 2 of the License, or\n"
      "(at your option) any later version.\n"
      "\n"
      "This program is distributed in the hope that it will be useful,\n"
      "but WITHOUT ANY WARRANTY; without even the implied warranty of\n"
      "MERCHANTABILITY or FITNESS FOR A PARTICULAR PURPOSE.  See the\n"
      "GNU General Public License for more details.\n"
      "\n"
      "You should have received a copy of the GNU General Public License\n"
      "along with this program; if not, write to the Free Software\n"
      "Foundation, Inc., 51 Franklin Street, Fifth Floor, Boston,\n"
      "MA 02110-1301, USA.\n"
      "\n"
      "Report bugs to the tarnwick developers.\n"
      "\n"
      "Compile-time options of this version:\n"
      "MySQL support enabled\n"
      "zlib support enabled\n"
      "libmaxminddb support enabled\n",
      out);
}

CommandLineResult ParseCommandLine(int argc, char** argv, Options* options,
                                   InputList* inputs, std::FILE* out) {
  // getopt keeps its position in globals; 0 asks for a full restart, so the
  // parser can run more than once in a process (the tests do).
  optind = 0;
  int option;
  while ((option = getopt(argc, argv, "hl:m:M:o:P:r:vV")) != -1) {
    switch (option) {
      case 'h':
        PrintUsage(out, argv[0]);
        return CommandLineResult::kExitSuccess;
      case 'l':
        options->single_line = ReadNumber(optarg);
        break;
      case 'm':
        options->row_skip = ReadNumber(optarg);
        break;
      case 'M':
        options->row_limit = ReadNumber(optarg);
        break;
      case 'o':
        options->output_path.Set(optarg);
        options->output_to_file = true;
        break;
      case 'P':
        options->parser_letters.Set(optarg);
        break;
      case 'r':
        options->report_path.Set(optarg);
        break;
      case 'v':
        ++options->verbosity;
        break;
      case 'V':
        PrintVersion(out);
        return CommandLineResult::kExitSuccess;
      default:
        PrintUsage(out, argv[0]);
        return CommandLineResult::kExitFailure;
    }
  }
  for (int i = optind; i < argc; ++i) inputs->add_input(argv[i]);
  if (inputs->input_file_count() == 0) inputs->add_input("/var/log/messages");
  return CommandLineResult::kRun;
}

bool ApplyParserLetters(Options* options, const Diagnostics& diag) {
  if (options->parser_letters.empty()) return true;
  options->enabled_parsers = 0;
  for (const char c : options->parser_letters.view()) {
    const Dialect* dialect = DialectByLetter(c);
    if (dialect != nullptr) {
      options->enabled_parsers |= dialect->bit;
    } else {
      diag.Print("Unknown parser: '%c'.\n", c);
      return false;
    }
  }
  return true;
}

}  // namespace tnwk
