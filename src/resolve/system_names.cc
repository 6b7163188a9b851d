#include "resolve/system_names.h"

#include <arpa/inet.h>
#include <netdb.h>

#include <cstring>

#include "base/address_family.h"
#include "base/system_databases.h"

namespace tnwk {

std::string protocol_name(unsigned number) {
  char digits[kProtocolDigitsSize];
  return LookUpProtocolName(number, digits);
}

std::string service_name(uint16_t port, unsigned protocol) {
  const char* name = LookUpServiceName(port, protocol);
  return name != nullptr ? name : "-";
}

std::string reverse_host_name(const uint8_t* address, std::string_view kind,
                              size_t length) {
  const hostent* entry;
  if (kind.substr(0, 3) == "bin" && length == 16) {
    entry = gethostbyaddr(address, 16, PlatformFamily(kFamilyIpv6));
  } else {
    entry = gethostbyaddr(address, 4, PlatformFamily(kFamilyIpv4));
  }
  if (entry == nullptr || entry->h_name == nullptr) return "-";
  return entry->h_name;
}

const std::string& ProtocolNames::Name(uint8_t number) {
  if (!known_[number]) {
    names_[number] = protocol_name(number);
    known_[number] = true;
  }
  return names_[number];
}

}  // namespace tnwk
