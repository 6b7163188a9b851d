#include "resolve/system_names.h"

#include <arpa/inet.h>
#include <netdb.h>

#include <cstdio>
#include <cstring>

#include "base/address_family.h"

namespace tnwk {

std::string protocol_name(unsigned number) {
  if (const protoent* entry = getprotobynumber(static_cast<int>(number))) {
    return entry->p_name;
  }
  char text[4];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(number));
  return text;
}

std::string service_name(uint16_t port, unsigned protocol) {
  std::string proto = protocol_name(protocol);
  if (const servent* entry = getservbyport(htons(port), proto.c_str())) {
    return entry->s_name;
  }
  return "-";
}

int service_port(const char* name, unsigned protocol) {
  std::string proto = protocol_name(protocol);
  if (const servent* entry = getservbyname(name, proto.c_str())) {
    return ntohs(static_cast<uint16_t>(entry->s_port));
  }
  return -1;
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
