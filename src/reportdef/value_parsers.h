#ifndef TNWK_REPORTDEF_VALUE_PARSERS_H_
#define TNWK_REPORTDEF_VALUE_PARSERS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "base/diagnostics.h"

namespace tnwk {

// The value parsers of the report definition. Each works on the parameter
// of one line: the text after its first "=", newline included. A null
// parameter (a line without "=") gives the empty text, 0, 0.0 or false.
// Bad values never fail: they become 0 or false, with a message at the
// verbosities given.

// Cleans the parameter in place and returns its value, a terminated text
// inside `text` (or "" for null): leading blanks are skipped; a value that
// opens with a single or double quote ends at the last occurrence of that
// quote, which is cut off, and its opening quote is overwritten with a
// blank; an unclosed quote stays part of the value. The value always ends
// at the first newline, and trailing spaces, tabs and newlines are cut.
// Parsers applied to `text` afterwards see the cleaned form.
const char* parse_text_value(char* text);

// An unsigned number. Leading spaces, tabs and double quotes are skipped;
// the number runs to the first tab, newline, space, double quote, "#", ","
// or ":". Its characters must be hexadecimal digits or x, X, b, B; any
// other gives "Error in report definition, line %d: %s not a number\n" at
// verbosity 1 (the rest of the text, without newlines) and 0. The run is
// read as hexadecimal after "0x", octal after a leading "0", else decimal;
// a run whose conversion stops at "b" or "B" takes the binary digits after
// that letter instead; one that stops anywhere else gives 0. Values too big
// for 64 bits saturate.
uint64_t parse_number_value(const char* text, int line_no,
                            const Diagnostics& diag);

// A floating-point number: like parse_number_value, but the allowed
// characters are hexadecimal digits, x, X, "-" and "."; the run is read with
// strtod. A bad character gives "... %s not a double\n" and 0.0.
double parse_double_value(const char* text, int line_no,
                          const Diagnostics& diag);

// A yes/no word compared by its beginning, ignoring case: yes, 1, on, true
// give 1; an empty word, 0, no, off, false give 0; -1 gives -1 ("null").
// Anything else is false, reported at verbosity 6.
int8_t parse_boolean_value(const char* text, int line_no,
                           const Diagnostics& diag);

// The number of a protocol name in the system protocol database; 0 when the
// name is unknown.
int protocol_number(const char* text);

// `text` without its newline characters.
std::string WithoutNewlines(std::string_view text);

}  // namespace tnwk

#endif  // TNWK_REPORTDEF_VALUE_PARSERS_H_
