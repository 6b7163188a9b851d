#ifndef TNWK_RESOLVE_NAME_CHECKS_H_
#define TNWK_RESOLVE_NAME_CHECKS_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace tnwk {

// Whoever owns the reverse zone of a logged address chooses the name the
// resolver returns, and the C library passes odd characters through. These
// checks decide what may be stored in the shared tables and printed.

// True when `name` is a host name the cache may store: 1 to 253
// characters, in non-empty labels separated by single dots, each label made
// of ASCII letters, digits, hyphens and underscores.
bool IsValidHostName(std::string_view name);

// The name columns of the shipped schema hold this many characters.
inline constexpr size_t kNameColumnCharacters = 255;

// What the cache stores for the name the resolver gave an address: the name
// without the one trailing dot of an absolute name, when the rest is a valid
// host name; "-" otherwise.
std::string HostNameToStore(std::string_view resolver_name);

// What the cache stores for the name the services database gave a port: the
// name when it is cell-safe, valid UTF-8 and fits the name column; "-"
// otherwise, so that the entry counts as resolved and is not tried again.
std::string ServiceNameToStore(std::string_view service_name);

// True when `text` is well-formed UTF-8 (no overlong forms, surrogates or
// code points past U+10FFFF), as the utf8mb4 columns accept it.
bool IsValidUtf8(std::string_view text);

// The longest start of `text` of at most `max_bytes` bytes that does not end
// inside a UTF-8 character.
std::string_view CutAtCharacter(std::string_view text, size_t max_bytes);

// True when `text` cannot break a tab-separated report line: it holds no
// control character (tab, newline, NUL, ...), and is not empty.
bool IsCellSafe(std::string_view text);

}  // namespace tnwk

#endif  // TNWK_RESOLVE_NAME_CHECKS_H_
