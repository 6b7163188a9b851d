#include "base/address_parser.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cctype>
#include <cstddef>
#include <cstring>

#include "base/address_family.h"

namespace tnwk {

namespace {

// The common form of an IPv4 address, four decimal numbers of 0 to 255
// without leading zeros, read without the C library (each line has two or
// three of them). Returns false for every other text, which inet_aton then
// reads: octal and hexadecimal parts, fewer parts, and whatever it rejects.
// Like inet_aton, the address may be followed by white space. Returns the
// length of the address text, or 0.
size_t ReadDottedQuad(const char* text, uint32_t* address) {
  uint32_t value = 0;
  const char* p = text;
  for (int part = 0; part < 4; ++part) {
    if (part > 0 && *p++ != '.') return 0;
    unsigned number = 0;
    const char* digits = p;
    while (*p >= '0' && *p <= '9' && p - digits < 3) {
      number = number * 10 + static_cast<unsigned>(*p++ - '0');
    }
    const ptrdiff_t length = p - digits;
    if (length == 0 || number > 255 || (length > 1 && *digits == '0')) {
      return 0;
    }
    value = value << 8 | number;
  }
  if (*p != '\0' && !std::isspace(static_cast<unsigned char>(*p))) {
    return 0;
  }
  *address = htonl(value);
  return static_cast<size_t>(p - text);
}

// The canonical text of an IPv6 address, as inet_ntop writes it: groups in
// lower-case hexadecimal without leading zeros, the longest run of at least
// two zero groups (the first of equal runs) written "::", and the last four
// bytes of an IPv4-compatible or IPv4-mapped address as a dotted quad. The
// C library's version formats each group through sprintf.
void FormatIpv6(const uint8_t* address, char* out) {
  unsigned words[8];
  for (int i = 0; i < 8; ++i)
    words[i] = address[2 * i] << 8 | address[2 * i + 1];
  int best = -1, best_length = 0;
  for (int i = 0; i < 8;) {
    if (words[i] != 0) {
      ++i;
      continue;
    }
    int j = i;
    while (j < 8 && words[j] == 0) ++j;
    if (j - i > best_length) {
      best = i;
      best_length = j - i;
    }
    i = j;
  }
  if (best_length < 2) best = -1;
  static constexpr char kHex[] = "0123456789abcdef";
  char* p = out;
  for (int i = 0; i < 8; ++i) {
    if (best >= 0 && i >= best && i < best + best_length) {
      if (i == best) *p++ = ':';
      continue;
    }
    if (i != 0) *p++ = ':';
    if (i == 6 && best == 0 &&
        (best_length == 6 || (best_length == 5 && words[5] == 0xffff))) {
      for (int b = 12; b < 16; ++b) {
        if (b != 12) *p++ = '.';
        unsigned v = address[b];
        if (v >= 100) *p++ = static_cast<char>('0' + v / 100);
        if (v >= 10) *p++ = static_cast<char>('0' + v / 10 % 10);
        *p++ = static_cast<char>('0' + v % 10);
      }
      break;
    }
    bool started = false;
    for (int shift = 12; shift >= 0; shift -= 4) {
      unsigned nibble = words[i] >> shift & 0xf;
      if (nibble != 0 || started || shift == 0) {
        *p++ = kHex[nibble];
        started = true;
      }
    }
  }
  if (best >= 0 && best + best_length == 8) *p++ = ':';
  *p = '\0';
}

}  // namespace

int parse_ip_address(uint16_t family, const char* text, uint32_t* ipv4_out,
                     uint8_t* ipv6_out, char* text_out,
                     const Diagnostics& diag) {
  if (family == kFamilyIpv6) {
    if (inet_pton(PlatformFamily(kFamilyIpv6), text, ipv6_out) == 1) {
      if (text_out != nullptr) FormatIpv6(ipv6_out, text_out);
      return 0;
    }
  } else if (family == kFamilyIpv4) {
    in_addr addr;
    if (size_t length = ReadDottedQuad(text, &addr.s_addr)) {
      *ipv4_out = addr.s_addr;
      if (text_out != nullptr) {
        std::memcpy(text_out, text, length);
        text_out[length] = '\0';
      }
      return 0;
    }
    if (inet_aton(text, &addr) != 0) {
      *ipv4_out = addr.s_addr;
      if (text_out != nullptr) {
        // inet_aton stops at white space; whatever followed the address in
        // the log (a tab, a quote) must not travel into reports or SQL.
        size_t n = 0;
        while (n < kAddressTextSize - 1 && text[n] != '\0' &&
               !std::isspace(static_cast<unsigned char>(text[n]))) {
          ++n;
        }
        std::memcpy(text_out, text, n);
        text_out[n] = '\0';
      }
      return 0;
    }
  } else {
    return 1;
  }
  diag.Log(2, "IP address error: %s\n", text);
  return 1;
}

size_t FormatDottedQuad(uint32_t v4, char* out) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(&v4);
  char* p = out;
  for (int i = 0; i < 4; ++i) {
    if (i != 0) *p++ = '.';
    const unsigned v = bytes[i];
    if (v >= 100) *p++ = static_cast<char>('0' + v / 100);
    if (v >= 10) *p++ = static_cast<char>('0' + v / 10 % 10);
    *p++ = static_cast<char>('0' + v % 10);
  }
  *p = '\0';
  return static_cast<size_t>(p - out);
}

}  // namespace tnwk
