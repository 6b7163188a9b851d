#ifndef TNWK_BASE_IP_PROTOCOL_H_
#define TNWK_BASE_IP_PROTOCOL_H_

#include <cstdint>

namespace tnwk {

// IP protocol numbers that the parsers set and the row stages and cells
// test. Every other protocol is carried as its number alone.
inline constexpr uint8_t kProtocolIcmp = 1;
inline constexpr uint8_t kProtocolTcp = 6;
inline constexpr uint8_t kProtocolUdp = 17;
inline constexpr uint8_t kProtocolEsp = 50;
inline constexpr uint8_t kProtocolAh = 51;
inline constexpr uint8_t kProtocolIcmpv6 = 58;

}  // namespace tnwk

#endif  // TNWK_BASE_IP_PROTOCOL_H_
