#ifndef TNWK_ENTRIES_LOG_ENTRY_H_
#define TNWK_ENTRIES_LOG_ENTRY_H_

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "base/address_family.h"
#include "base/diagnostics.h"
#include "base/fixed_text.h"
#include "entries/entry_fields.h"

namespace tnwk {

// Location data of one address, as the location databases give it; an entry
// whose address no database knows points at kEmptyLocation.
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

// Autonomous-system data of one address; kEmptyAs when none is known.
struct AsRecord {
  uint32_t autonomous_system_number = 0;
  FixedText<128> autonomous_system_organization;
};

// The shared empty records that an entry and a row point at until the
// location stage finds records of their addresses.
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
#define TNWK_DECLARE_VALUE(id, member, type, initial) type member = initial;
  TNWK_VALUE_FIELDS(TNWK_DECLARE_VALUE)
#undef TNWK_DECLARE_VALUE
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
#define TNWK_DECLARE_TEXT(id, member, size) FixedText<size> member;
  TNWK_TEXT_FIELDS(TNWK_DECLARE_TEXT)
#undef TNWK_DECLARE_TEXT
};

// Sets every field of `entry` to its default: texts empty, numbers 0, family
// IPv4, ports kNoPort, ICMP type and code 255, the shared empty location and
// AS records. Every parser calls it before it scans a line.
void reset_current_entry(LogEntry& entry);

// One report row. Its texts are views into the row table's text pool, which
// keeps each distinct text once (rows share host names, prefixes and
// interfaces), so a row costs a few hundred bytes whatever its text fields'
// sizes are. The texts are already cut to the widths of LogEntry.
struct ReportEntry : EntryValues {
#define TNWK_DECLARE_ROW_ONLY(id, member, type, initial) type member = initial;
  TNWK_ROW_ONLY_FIELDS(TNWK_DECLARE_ROW_ONLY)
#undef TNWK_DECLARE_ROW_ONLY
#define TNWK_DECLARE_POOLED(id, member, size) const char* member = "";
  TNWK_TEXT_FIELDS(TNWK_DECLARE_POOLED)
#undef TNWK_DECLARE_POOLED
};

// Field access by RowField, for the stages that pick fields by the ids of
// the keyword table. Numbers come out widened to 64 bits (signed ones as
// their two's complement), any other field as 0; texts as their characters,
// any other field as "". Each is one jump through a table.

namespace entry_fields_internal {
template <typename T>
constexpr uint64_t AsNumber(const T& value) {
  if constexpr (std::is_integral_v<T>) {
    return static_cast<uint64_t>(value);
  } else {
    return 0;
  }
}
}  // namespace entry_fields_internal

#define TNWK_NUMBER_CASE(id, member, ...) \
  case RowField::id:                      \
    return entry_fields_internal::AsNumber(values.member);

inline uint64_t FieldNumber(const EntryValues& values, RowField field) {
  switch (field) {
    TNWK_VALUE_FIELDS(TNWK_NUMBER_CASE)
    default:
      return 0;
  }
}

inline uint64_t FieldNumber(const ReportEntry& values, RowField field) {
  switch (field) {
    TNWK_VALUE_FIELDS(TNWK_NUMBER_CASE)
    TNWK_ROW_ONLY_FIELDS(TNWK_NUMBER_CASE)
    default:
      return 0;
  }
}
#undef TNWK_NUMBER_CASE

inline const char* FieldText(const LogEntry& entry, RowField field) {
  switch (field) {
#define TNWK_TEXT_CASE(id, member, size) \
  case RowField::id:                     \
    return entry.member.c_str();
    TNWK_TEXT_FIELDS(TNWK_TEXT_CASE)
#undef TNWK_TEXT_CASE
    default:
      return "";
  }
}

inline const char* FieldText(const ReportEntry& row, RowField field) {
  switch (field) {
#define TNWK_TEXT_CASE(id, member, size) \
  case RowField::id:                     \
    return row.member;
    TNWK_TEXT_FIELDS(TNWK_TEXT_CASE)
#undef TNWK_TEXT_CASE
    default:
      return "";
  }
}

// The size of a text's LogEntry buffer; 0 for other fields.
inline constexpr size_t TextCapacity(RowField field) {
  switch (field) {
#define TNWK_CAPACITY_CASE(id, member, size) \
  case RowField::id:                         \
    return size;
    TNWK_TEXT_FIELDS(TNWK_CAPACITY_CASE)
#undef TNWK_CAPACITY_CASE
    default:
      return 0;
  }
}

// The destination address for kIpDaddr, the source address for any other
// field.
inline const AddressBlock& FieldAddress(const EntryValues& values,
                                        RowField field) {
  return field == RowField::kIpDaddr ? values.ip_daddr : values.ip_saddr;
}
inline AddressBlock& FieldAddress(EntryValues& values, RowField field) {
  return field == RowField::kIpDaddr ? values.ip_daddr : values.ip_saddr;
}

}  // namespace tnwk

#endif  // TNWK_ENTRIES_LOG_ENTRY_H_
