#include "base/address_parser.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cctype>
#include <cstring>

#include "base/address_family.h"

namespace tnwk {

int parse_ip_address(uint16_t family, const char* text, uint32_t* ipv4_out,
                     uint8_t* ipv6_out, char* text_out,
                     const Diagnostics& diag) {
  if (family == kFamilyIpv6) {
    if (inet_pton(PlatformFamily(kFamilyIpv6), text, ipv6_out) == 1) {
      if (text_out != nullptr &&
          inet_ntop(PlatformFamily(kFamilyIpv6), ipv6_out, text_out,
                    kAddressTextSize) == nullptr) {
        text_out[0] = '\0';
      }
      return 0;
    }
  } else if (family == kFamilyIpv4) {
    in_addr addr;
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

}  // namespace tnwk
