#include "reportdef/value_parsers.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>

#include "base/numbers.h"
#include "base/system_databases.h"

namespace tnwk {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool EndsNumber(char c) {
  return c == '\0' || std::strchr("\t\n \"#,:", c) != nullptr;
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') ||
         (c >= 'A' && c <= 'F');
}

const char* SkipBlanksAndQuotes(const char* text) {
  while (IsBlank(*text) || *text == '"') ++text;
  return text;
}

// The conversions below stand for strtoull on the checked run: a 64-bit
// result that saturates.
static_assert(sizeof(unsigned long) == sizeof(uint64_t));

// Checks the run at `text` against the allowed characters; on a bad one
// reports it and returns false.
bool CheckRun(const char* text, const char* extra, const char* what,
              int line_no, const Diagnostics& diag) {
  for (const char* p = text; !EndsNumber(*p); ++p) {
    if (IsHexDigit(*p) || std::strchr(extra, *p) != nullptr) continue;
    diag.Log(1, "Error in report definition, line %d: %s not a %s\n", line_no,
             WithoutNewlines(p).c_str(), what);
    return false;
  }
  return true;
}

}  // namespace

const char* parse_text_value(char* text) {
  if (text == nullptr) return "";
  char* value = text;
  while (IsBlank(*value)) ++value;
  if (*value == '\'' || *value == '"') {
    char* closing = std::strrchr(value + 1, *value);
    if (closing != nullptr) {
      *closing = '\0';
      *value = ' ';
      ++value;
    }
  }
  char* newline = std::strchr(value, '\n');
  if (newline != nullptr) *newline = '\0';
  size_t length = std::strlen(value);
  while (length > 0 &&
         (IsBlank(value[length - 1]) || value[length - 1] == '\n')) {
    --length;
  }
  value[length] = '\0';
  return value;
}

uint64_t parse_number_value(const char* text, int line_no,
                            const Diagnostics& diag) {
  if (text == nullptr) return 0;
  const char* run = SkipBlanksAndQuotes(text);
  if (!CheckRun(run, "xXbB", "number", line_no, diag)) return 0;
  // The checked run holds no blank or sign for the conversion to skip, so
  // an empty run (the number ends at once) is 0 and needs no conversion.
  if (EndsNumber(*run)) return 0;
  // Base 0 takes "0x" and a leading 0, but not the "0b" that newer C
  // libraries' strtoul also take, which would change what "0b101" means.
  const char* stop;
  const uint64_t value = CheckedStrtoul(run, 0, &stop);
  if (EndsNumber(*stop)) return value;
  // A run that stops at "b" takes the binary digits after it, if any.
  if ((*stop == 'b' || *stop == 'B') && (stop[1] == '0' || stop[1] == '1')) {
    return CheckedStrtoul(stop + 1, 2);
  }
  return 0;
}

double parse_double_value(const char* text, int line_no,
                          const Diagnostics& diag) {
  if (text == nullptr) return 0.0;
  const char* run = SkipBlanksAndQuotes(text);
  if (!CheckRun(run, "xX-.", "double", line_no, diag)) return 0.0;
  const char* end = run;
  while (!EndsNumber(*end)) ++end;
  // Only the run is converted, whatever strtod would accept after it.
  std::string copy(run, end);
  return std::strtod(copy.c_str(), nullptr);
}

int8_t parse_boolean_value(const char* text, int line_no,
                           const Diagnostics& diag) {
  if (text == nullptr) return 0;
  const char* word = SkipBlanksAndQuotes(text);
  size_t length = 0;
  while (word[length] != '\0' &&
         std::strchr("\t\n \"#", word[length]) == nullptr) {
    ++length;
  }
  auto begins = [&](const char* prefix) {
    return strncasecmp(word, prefix, std::strlen(prefix)) == 0;
  };
  int8_t result;
  const char* outcome;
  if (begins("yes") || begins("1") || begins("on") || begins("true")) {
    result = 1;
    outcome = "true";
  } else if (length == 0 || begins("0") || begins("no") || begins("off") ||
             begins("false")) {
    result = 0;
    outcome = "false";
  } else if (begins("-1")) {
    result = -1;
    outcome = "null";
  } else {
    diag.Log(6, "Error in report definition, line %d, assuming 'false'\n",
             line_no);
    return 0;
  }
  diag.Log(6, "%s was parsed to %.*s and evaluated to %s\n",
           WithoutNewlines(text).c_str(), static_cast<int>(length), word,
           outcome);
  return result;
}

int protocol_number(const char* text) {
  const int number = LookUpProtocolNumber(text);
  return number >= 0 ? number : 0;
}

std::string WithoutNewlines(std::string_view text) {
  std::string copy;
  for (char c : text) {
    if (c != '\n') copy.push_back(c);
  }
  return copy;
}

}  // namespace tnwk
