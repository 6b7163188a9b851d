#include "reportdef/value_parsers.h"

#include <netdb.h>
#include <strings.h>

#include <cstdlib>
#include <cstring>
#include <limits>

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

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return 99;
}

const char* SkipBlanksAndQuotes(const char* text) {
  while (IsBlank(*text) || *text == '"') ++text;
  return text;
}

// Reads digits of `base` from `text`, saturating like strtoul; `*stop`
// receives the first character that is not such a digit.
uint64_t ReadDigits(const char* text, int base, const char** stop) {
  constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
  uint64_t value = 0;
  bool overflow = false;
  const char* p = text;
  for (; DigitValue(*p) < base; ++p) {
    const uint64_t digit = static_cast<uint64_t>(DigitValue(*p));
    if (value > (kMax - digit) / static_cast<uint64_t>(base)) overflow = true;
    if (!overflow) value = value * static_cast<uint64_t>(base) + digit;
  }
  *stop = p;
  return overflow ? kMax : value;
}

// The automatic base of an unsigned conversion, decided here rather than by
// strtoul(…, 0): newer C libraries also take a "0b" prefix in base 0, which
// would change what "0b101" means here.
uint64_t ConvertAutoBase(const char* run, const char** stop) {
  if (run[0] == '0' && (run[1] == 'x' || run[1] == 'X') && IsHexDigit(run[2])) {
    return ReadDigits(run + 2, 16, stop);
  }
  if (run[0] == '0') return ReadDigits(run, 8, stop);
  return ReadDigits(run, 10, stop);
}

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
  const char* stop;
  const uint64_t value = ConvertAutoBase(run, &stop);
  if (EndsNumber(*stop)) return value;
  if (*stop == 'b' || *stop == 'B') return ReadDigits(stop + 1, 2, &stop);
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
  const protoent* entry = getprotobyname(text);
  return entry != nullptr ? entry->p_proto : 0;
}

void strip_newlines(char* text) {
  char* out = text;
  for (const char* in = text; *in != '\0'; ++in) {
    if (*in != '\n') *out++ = *in;
  }
  *out = '\0';
}

std::string WithoutNewlines(std::string_view text) {
  std::string copy;
  for (char c : text) {
    if (c != '\n') copy.push_back(c);
  }
  return copy;
}

}  // namespace tnwk
