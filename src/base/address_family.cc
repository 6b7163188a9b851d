#include "base/address_family.h"

#include <sys/socket.h>

namespace tnwk {

int PlatformFamily(uint16_t family) {
  if (family == kFamilyIpv4) return AF_INET;
  if (family == kFamilyIpv6) return AF_INET6;
  return -1;
}

}  // namespace tnwk
