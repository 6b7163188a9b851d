#include "parsers/system_numbers.h"

#include "base/system_databases.h"

#include <cstring>
#include <string_view>

namespace tnwk {

int SystemNumbers::ProtocolNumber(const char* name) {
  if (const Answer* a = Find(name, kNoProtocol)) return a->number;
  return Keep(name, kNoProtocol, LookUpProtocolNumber(name));
}

int SystemNumbers::ServicePort(const char* name, uint8_t protocol) {
  if (const Answer* a = Find(name, protocol)) return a->number;
  return Keep(name, protocol, LookUpServicePort(name, protocol));
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
