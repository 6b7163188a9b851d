#ifndef TNWK_ENTRIES_LOG_ENTRY_H_
#define TNWK_ENTRIES_LOG_ENTRY_H_

#include <cstdint>

#include "base/address_family.h"
#include "base/diagnostics.h"
#include "base/fixed_text.h"

namespace tnwk {

// Location data of one address. No location database is consulted, so every
// entry points at kEmptyLocation.
struct LocationRecord {
  FixedText<128> continent_code;
  FixedText<128> continent_name;
  FixedText<128> country_iso_code;
  FixedText<128> country_name;
  FixedText<128> subdivision_1_iso_code;
  FixedText<128> subdivision_1_name;
  FixedText<128> subdivision_2_iso_code;
  FixedText<128> subdivision_2_name;
  FixedText<128> city_name;
  uint16_t metro_code = 0;
  FixedText<128> time_zone;
  FixedText<128> registered_country_geoname_id;
  FixedText<128> represented_country_geoname_id;
  uint8_t is_anonymous_proxy = 255;  // 1 yes, 0 no, 255 unknown
  uint8_t is_satellite_provider = 255;
  FixedText<128> postal_code;
  double latitude = 0.0;
  double longitude = 0.0;
  uint8_t is_in_european_union = 255;
  uint16_t accuracy_radius = 0;
};

// Autonomous-system data of one address; always kEmptyAs here.
struct AsRecord {
  uint32_t autonomous_system_number = 0;
  FixedText<128> autonomous_system_organization;
};

// The shared empty records that every entry and row points at.
extern const LocationRecord kEmptyLocation;
extern const AsRecord kEmptyAs;

// One endpoint address, kept in both forms side by side. `v4` is valid when
// the entry's family is kFamilyIpv4, `v6` when it is kFamilyIpv6. `text` is
// what the report prints: the IPv4 text as the log wrote it, or the
// canonical IPv6 text.
struct AddressBlock {
  uint32_t v4 = 0;  // network byte order
  uint8_t v6[16] = {};
  FixedText<46> text;
};

// parse_ip_address into one address block (its three forms side by side).
int ParseAddressInto(uint16_t family, const char* text, AddressBlock* block,
                     const Diagnostics& diag);

// The port value of a line that gave no port: one past the highest port, so
// it is no port to name and no port criterion's range holds it by accident.
inline constexpr uint32_t kNoPort = 65536;

// Every field of a log entry that is not free text, in record order. Both
// LogEntry and ReportEntry carry these, so a row is made by plain copy.
struct EntryValues {
  uint64_t id = 0;
  int64_t local_time = 0;
  uint8_t ip_protocol = 0;
  uint16_t ip_totlen = 0;
  uint16_t oob_family = kFamilyIpv4;
  AddressBlock ip_saddr;
  uint32_t sport = kNoPort;
  AddressBlock ip_daddr;
  uint32_t dport = kNoPort;
  uint8_t tcp_flags = 0;  // 0x80: flags unknown
  uint64_t count = 0;
  uint16_t oob_protocol = 0;
  uint32_t oob_mark = 0;
  uint8_t ip_tos = 0;
  uint8_t ip_ttl = 0;
  uint8_t ip_ihl = 0;
  uint16_t ip_csum = 0;
  uint16_t ip_id = 0;
  uint16_t ip6_payloadlen = 0;
  uint32_t ip6_flowlabel = 0;
  uint16_t ip_fragoff = 0;
  uint32_t tcp_seq = 0;
  uint32_t tcp_ackseq = 0;
  uint16_t tcp_window = 0;
  uint16_t tcp_urgp = 0;
  uint16_t udp_len = 0;
  uint8_t icmp_type = 255;  // 255: none
  uint8_t icmp_code = 255;
  uint16_t icmp_echoid = 0;
  uint16_t icmp_echoseq = 0;
  uint32_t icmp_gateway = 0;  // network byte order
  uint16_t icmp_fragmtu = 0;
  uint32_t ahesp_spi = 0;
  const LocationRecord* src_location = &kEmptyLocation;
  const LocationRecord* dst_location = &kEmptyLocation;
  const AsRecord* src_asn = &kEmptyAs;
  const AsRecord* dst_asn = &kEmptyAs;
};

// TCP flag bits of `tcp_flags`.
inline constexpr uint8_t kTcpSyn = 0x01;
inline constexpr uint8_t kTcpAck = 0x02;
inline constexpr uint8_t kTcpFin = 0x04;
inline constexpr uint8_t kTcpRst = 0x08;
inline constexpr uint8_t kTcpPsh = 0x10;
inline constexpr uint8_t kTcpUrg = 0x20;
inline constexpr uint8_t kTcpFlagsUnknown = 0x80;

// The parsed form of one packet-log line: the current entry that every
// dialect parser fills. Its text fields are fixed-size and cut to their size
// minus one, as the report format and the database columns expect.
struct LogEntry : EntryValues {
  FixedText<256> sname;
  FixedText<33> local_hostname;
  FixedText<128> oob_prefix;
  FixedText<128> interface;
  FixedText<128> src_host;
  FixedText<128> src_service;
  FixedText<128> dst_host;
  FixedText<128> dst_service;
  FixedText<128> mac_saddr_str;
  FixedText<128> mac_daddr_str;
  FixedText<512> raw_mac;
  FixedText<128> oob_in;
  FixedText<128> oob_out;
};

// Sets every field of `entry` to its default: texts empty, numbers 0, family
// IPv4, ports 65536, ICMP type and code 255, the shared empty location and AS
// records. Every parser calls it before it scans a line.
void reset_current_entry(LogEntry& entry);

// One report row. Its texts are views into the row table's text pool, which
// keeps each distinct text once (rows share host names, prefixes and
// interfaces), so a row costs a few hundred bytes whatever its text fields'
// sizes are. The texts are already cut to the widths of LogEntry.
struct ReportEntry : EntryValues {
  uint64_t entry_no = 0;  // creation sequence number; not printed
  // Without "summarize", a line that stands for n packets makes n identical
  // rows; one row then stands for all of them, and the report, its limits
  // and the cache steps count it n times. Always 1 with "summarize".
  uint64_t multiplicity = 1;
  int64_t earliest = 0;
  int64_t latest = 0;
  const char* sname = "";
  const char* local_hostname = "";
  const char* oob_prefix = "";
  const char* interface = "";
  const char* src_host = "";
  const char* src_service = "";
  const char* dst_host = "";
  const char* dst_service = "";
  const char* mac_saddr_str = "";
  const char* mac_daddr_str = "";
  const char* raw_mac = "";
  const char* oob_in = "";
  const char* oob_out = "";
};

}  // namespace tnwk

#endif  // TNWK_ENTRIES_LOG_ENTRY_H_
