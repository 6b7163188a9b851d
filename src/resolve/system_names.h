#ifndef TNWK_RESOLVE_SYSTEM_NAMES_H_
#define TNWK_RESOLVE_SYSTEM_NAMES_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tnwk {

// Names from the system's protocol and service databases and the resolver.
// Each operation has a fixed fallback, so a report cell is never empty;
// nothing is printed when a lookup finds nothing.

// The system's name of IP protocol `number`, or the number in decimal (at
// most its first three digits).
std::string protocol_name(unsigned number);

// The system's service name of `port` under the protocol's name (the
// protocol_name text), or "-".
std::string service_name(uint16_t port, unsigned protocol);

// The host name of an address: 16 bytes as IPv6 when `kind` begins with
// "bin" and `length` is 16, else the first 4 bytes as IPv4. "-" when the
// resolver knows none. May block on the resolver.
std::string reverse_host_name(const uint8_t* address, std::string_view kind,
                              size_t length);

// protocol_name for every report cell: each protocol's name is looked up
// once, since the system database is a file read on every lookup.
class ProtocolNames {
 public:
  const std::string& Name(uint8_t number);

 private:
  std::array<std::string, 256> names_;
  std::array<bool, 256> known_{};
};

}  // namespace tnwk

#endif  // TNWK_RESOLVE_SYSTEM_NAMES_H_
