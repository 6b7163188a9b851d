#include "base/system_databases.h"

#include <arpa/inet.h>
#include <netdb.h>

#include <cstdio>

namespace tnwk {

int LookUpProtocolNumber(const char* name) {
  const protoent* entry = getprotobyname(name);
  return entry != nullptr ? entry->p_proto : -1;
}

const char* LookUpProtocolName(unsigned number,
                               char (&digits)[kProtocolDigitsSize]) {
  if (const protoent* entry = getprotobynumber(static_cast<int>(number))) {
    return entry->p_name;
  }
  std::snprintf(digits, sizeof digits, "%d", static_cast<int>(number));
  return digits;
}

int LookUpServicePort(const char* name, unsigned protocol) {
  // The service database files services under protocol names; a protocol
  // without one is named by its number, as the report names it.
  char digits[kProtocolDigitsSize];
  const servent* entry =
      getservbyname(name, LookUpProtocolName(protocol, digits));
  return entry != nullptr ? ntohs(static_cast<uint16_t>(entry->s_port)) : -1;
}

const char* LookUpServiceName(uint16_t port, unsigned protocol) {
  char digits[kProtocolDigitsSize];
  const servent* entry =
      getservbyport(htons(port), LookUpProtocolName(protocol, digits));
  return entry != nullptr ? entry->s_name : nullptr;
}

}  // namespace tnwk
