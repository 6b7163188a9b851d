#include "parsers/system_numbers.h"

#include <arpa/inet.h>
#include <netdb.h>

#include <cstdio>
#include <cstring>
#include <string_view>

namespace tnwk {

int SystemNumbers::ProtocolNumber(const char* name) {
  if (const Answer* a = Find(name, kNoProtocol)) return a->number;
  const protoent* entry = getprotobyname(name);
  return Keep(name, kNoProtocol, entry != nullptr ? entry->p_proto : -1);
}

int SystemNumbers::ServicePort(const char* name, uint8_t protocol) {
  if (const Answer* a = Find(name, protocol)) return a->number;
  // The service database files services under protocol names; a protocol
  // without one is named by its number, as the report names it.
  char number[4];
  const char* protocol_text;
  if (const protoent* p = getprotobynumber(protocol)) {
    protocol_text = p->p_name;
  } else {
    std::snprintf(number, sizeof number, "%d", protocol);
    protocol_text = number;
  }
  const servent* entry = getservbyname(name, protocol_text);
  return Keep(
      name, protocol,
      entry != nullptr ? ntohs(static_cast<uint16_t>(entry->s_port)) : -1);
}

const SystemNumbers::Answer* SystemNumbers::Find(const char* name,
                                                 int protocol) const {
  for (size_t i = 0; i < used_; ++i) {
    const Answer& a = answers_[i];
    if (a.protocol == protocol && a.name.view() == name) return &a;
  }
  return nullptr;
}

int SystemNumbers::Keep(const char* name, int protocol, int number) {
  if (std::strlen(name) >= kNameSize) return number;
  size_t slot = used_;
  if (used_ < kSlots) {
    ++used_;
  } else {
    slot = next_;
    next_ = (next_ + 1) % kSlots;
  }
  Answer& a = answers_[slot];
  a.name.Set(name);
  a.protocol = protocol;
  a.number = number;
  return number;
}

}  // namespace tnwk
