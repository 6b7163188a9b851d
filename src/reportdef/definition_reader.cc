#include "reportdef/definition_reader.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "reportdef/column_list.h"
#include "reportdef/criteria.h"
#include "reportdef/definition_dump.h"
#include "reportdef/option_keys.h"
#include "reportdef/sort_list.h"
#include "reportdef/value_parsers.h"

namespace tnwk {
namespace {

constexpr int kLineBufferSize = 1024;

struct Prefix {
  const char* text;
  int kind;
};

constexpr Prefix kPrefixes[] = {
    {"w_", kLineCriterionValue}, {"i_", kLineCriterionInvert},
    {"s_", kLineSortPosition},   {"o_", kLineSortOrder},
    {"c_", kLineColumn},
};

// Whether a line whose key (after its blanks) starts `key` carries a
// password: its key, with or without a line-kind prefix, begins with
// "mysql_pass" or "pgsql_pass", as the option echo tells them.
bool IsSecretKey(std::string_view key) {
  if (key.size() > 2 && key[1] == '_') key.remove_prefix(2);
  return key.starts_with("mysql_pass") || key.starts_with("pgsql_pass");
}

// A line as the traces show it: a password line keeps its key and "=" and
// shows "************" for its value, so a password appears in no
// diagnostic.
std::string TracedLine(const char* line) {
  const char* key = line + std::strspn(line, " \t");
  const std::string_view rest(key);
  if (!IsSecretKey(rest)) return line;
  const size_t equals = rest.find('=');
  if (equals == std::string_view::npos) return line;  // no value to hide
  return std::string(line, static_cast<size_t>(key - line) + equals + 1) +
         "************\n";
}

}  // namespace

void process_definition_line(DefinitionContext& context, char* text,
                             int line_no) {
  const Diagnostics& diag = context.diag;
  // A definition written on Windows ends its lines in CR LF; the CR is no
  // more part of the value than the newline is.
  const size_t length = std::strlen(text);
  if (length >= 2 && text[length - 2] == '\r' && text[length - 1] == '\n') {
    text[length - 2] = '\n';
    text[length - 1] = '\0';
  } else if (length >= 1 && text[length - 1] == '\r') {
    text[length - 1] = '\0';
  }
  char* start = text;
  while (*start == ' ' || *start == '\t') ++start;
  // An empty piece can only be the end of a file without a final newline.
  if (*start == '\n' || *start == '#' || *start == '\0') return;

  const std::string_view key(start, std::strcspn(start, " ="));
  char* equals = std::strchr(start, '=');
  char* parameter = equals != nullptr ? equals + 1 : nullptr;

  int kind = kLineIgnored;
  std::string_view key_proper = key;
  for (const Prefix& prefix : kPrefixes) {
    if (key.starts_with(prefix.text)) {
      kind = prefix.kind;
      key_proper = key.substr(2);
      break;
    }
  }
  const std::string key_text(key_proper);

  if (IsSummarizeKey(key_proper)) {
    kind = kLineSummarize;
  } else if (ApplyOptions(context, key_proper, parameter, line_no)) {
    return;
  }

  if (kind == kLineIgnored) {
    diag.Log(5, "Ignoring report definition line: %s",
             TracedLine(start).c_str());
    return;
  }
  diag.Log(6,
           "Processing report definition line Type: %u; Key: %s; "
           "Parameter: %s",
           static_cast<unsigned>(kind), key_text.c_str(),
           parameter == nullptr ? ""
           : IsSecretKey(key)   ? "************\n"
                                : parameter);
  if (parameter == nullptr) return;

  switch (kind) {
    case kLineCriterionValue:
    case kLineCriterionInvert:
      add_criterion(context, key_text, parameter, line_no, kind);
      break;
    case kLineSortPosition:
    case kLineSortOrder:
      add_sort_field(context, key_text, parameter, line_no, kind);
      break;
    case kLineColumn:
      add_column(context, key_text, parameter, line_no);
      break;
    case kLineSummarize:
      // "null" (-1) switches summarizing on, like true.
      context.options.summarize =
          parse_boolean_value(parameter, line_no, diag) != 0;
      break;
  }
}

int read_report_definition(DefinitionContext& context, const char* path,
                           std::FILE* standard_input) {
  const Diagnostics& diag = context.diag;
  const bool from_stdin = std::strcmp(path, "-") == 0;
  std::FILE* stream = standard_input;
  if (from_stdin) {
    diag.Log(1, "Processing report definition from stdin\n");
  } else {
    struct stat info;
    if (stat(path, &info) != 0) {
      diag.Print("Cannot open report definition file %s, exiting.\n", path);
      return 1;
    }
    if (!S_ISREG(info.st_mode)) {
      diag.Print("%s is not a regular file, exiting.\n", path);
      return 1;
    }
    diag.Log(1, "Processing report definition file '%s'\n", path);
    stream = std::fopen(path, "r");
    if (stream == nullptr) {
      diag.Print("fopen %s: %s\n", path, std::strerror(errno));
      return 1;
    }
  }

  ReportDefinition& definition = context.definition;
  definition.ClearColumnSelected();
  definition.ClearLimits();

  char line[kLineBufferSize];
  int line_no = 0;
  while (std::fgets(line, sizeof line, stream) != nullptr) {
    ++line_no;
    if (diag.At(6)) diag.Log(6, "Input line is: %s", TracedLine(line).c_str());
    process_definition_line(context, line, line_no);
  }
  if (std::ferror(stream)) {
    // A definition that could not be read whole (a directory or a closed
    // descriptor on standard input, a device error) must not give a report
    // that passes for the one the front end asked for.
    diag.Print("Error reading the report definition: %s\n",
               std::strerror(errno));
    if (!from_stdin) std::fclose(stream);
    return 1;
  }

  if (!context.options.summarize &&
      !definition.IsColumnSelected(kColumnSname)) {
    add_column(context, "sname", "99", 999);
  }
  order_columns(definition);

  WriteDefinitionDump(definition, diag, context.clock);

  if (from_stdin) {
    // Standard input stays open: the log may follow on it.
    diag.Log(4, "Done processing report definition from stdin\n");
    return 0;
  }
  diag.Log(4, "Done processing report definition file '%s'\n", path);
  if (std::fclose(stream) != 0) {
    diag.Print("fclose: %s\n", std::strerror(errno));
    return 1;
  }
  return 0;
}

}  // namespace tnwk
