#ifndef TNWK_BASE_ADDRESS_FAMILY_H_
#define TNWK_BASE_ADDRESS_FAMILY_H_

#include <cstdint>

namespace tnwk {

// The address family numbers that the program stores, prints, compares,
// sorts on and sends to the database. They are fixed by the report format
// and the shared cache tables, whatever the platform's own numbers are.
inline constexpr uint16_t kFamilyIpv4 = 2;
inline constexpr uint16_t kFamilyIpv6 = 28;

// Maps a stored family number to the platform's AF_INET / AF_INET6 for calls
// into the C library (inet_pton, inet_ntop, gethostbyaddr). Any other number
// gives -1.
int PlatformFamily(uint16_t family);

}  // namespace tnwk

#endif  // TNWK_BASE_ADDRESS_FAMILY_H_
