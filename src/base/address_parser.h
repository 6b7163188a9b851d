#ifndef TNWK_BASE_ADDRESS_PARSER_H_
#define TNWK_BASE_ADDRESS_PARSER_H_

#include <cstddef>
#include <cstdint>

#include "base/diagnostics.h"

namespace tnwk {

// Size of an address text buffer: 45 characters and the terminator.
inline constexpr int kAddressTextSize = 46;

// Reads an address of `family` (kFamilyIpv4 or kFamilyIpv6) from `text`.
// IPv6: inet_pton into `ipv6_out` (16 bytes); `text_out` gets the canonical
// text. IPv4: inet_aton into `ipv4_out` (network byte order, every form
// inet_aton takes, such as "10.1"); `text_out` gets the text as written up to
// its first white space, cut to 45 characters. `text_out` may be null.
// Returns 0 on success, 1 on failure; a text that does not parse is reported
// as "IP address error: %s\n" at verbosity 2. Any other family gives 1
// silently. On failure the outputs hold whatever the library left in them.
int parse_ip_address(uint16_t family, const char* text, uint32_t* ipv4_out,
                     uint8_t* ipv6_out, char* text_out,
                     const Diagnostics& diag);

// Writes the dotted quad of `v4` (network byte order) into `out` (at least
// 16 bytes), terminated, and returns its length. The one IPv4 formatter:
// every dotted quad the program prints comes from here.
size_t FormatDottedQuad(uint32_t v4, char* out);

}  // namespace tnwk

#endif  // TNWK_BASE_ADDRESS_PARSER_H_
