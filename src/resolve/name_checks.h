#ifndef TNWK_RESOLVE_NAME_CHECKS_H_
#define TNWK_RESOLVE_NAME_CHECKS_H_

#include <string_view>

namespace tnwk {

// Whoever owns the reverse zone of a logged address chooses the name the
// resolver returns, and the C library passes odd characters through. These
// checks decide what may be stored in the shared tables and printed.

// True when `name` is a host name the cache may store: 1 to 253
// characters, in non-empty labels separated by single dots, each label made
// of ASCII letters, digits, hyphens and underscores.
bool IsValidHostName(std::string_view name);

// True when `text` cannot break a tab-separated report line: it holds no
// control character (tab, newline, NUL, ...), and is not empty.
bool IsCellSafe(std::string_view text);

}  // namespace tnwk

#endif  // TNWK_RESOLVE_NAME_CHECKS_H_
