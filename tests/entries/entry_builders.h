#ifndef TNWK_TESTS_ENTRIES_ENTRY_BUILDERS_H_
#define TNWK_TESTS_ENTRIES_ENTRY_BUILDERS_H_

#include <arpa/inet.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>

#include "entries/log_entry.h"
#include "entries/report_definition.h"

namespace tnwk::testing {

// Fills an address block from its text; returns the family of the text.
inline uint16_t SetAddress(AddressBlock& block, const char* text) {
  block = AddressBlock();
  block.text.Set(text);
  if (std::strchr(text, ':') != nullptr) {
    inet_pton(AF_INET6, text, block.v6);
    return kFamilyIpv6;
  }
  inet_pton(AF_INET, text, &block.v4);
  return kFamilyIpv4;
}

// A TCP entry of one packet from `saddr` to 192.0.2.1 port `dport`; the
// family follows the source address text.
inline LogEntry MakeEntry(const char* saddr = "10.0.0.1", uint32_t dport = 80) {
  LogEntry entry;
  reset_current_entry(entry);
  entry.count = 1;
  entry.ip_protocol = 6;
  entry.oob_family = SetAddress(entry.ip_saddr, saddr);
  SetAddress(entry.ip_daddr,
             entry.oob_family == kFamilyIpv6 ? "2001:db8::99" : "192.0.2.1");
  entry.sport = 40000;
  entry.dport = dport;
  entry.sname.Set("messages");
  return entry;
}

inline LogEntry IcmpEntry(uint8_t type, uint8_t code) {
  LogEntry entry = MakeEntry();
  entry.ip_protocol = 1;
  entry.icmp_type = type;
  entry.icmp_code = code;
  entry.sport = entry.dport = 65536;
  return entry;
}

inline SelectionCriterion Range(int field, uint64_t low, uint64_t high,
                                bool invert = false) {
  SelectionCriterion criterion;
  criterion.field = field;
  criterion.type = kTypeNumber;
  criterion.value = low;
  criterion.max_value = high;
  criterion.invert = invert;
  return criterion;
}

inline SelectionCriterion Number(int field, uint64_t value,
                                 bool invert = false) {
  return Range(field, value, value, invert);
}

// An address criterion "text/bits" as the definition reader leaves it.
inline SelectionCriterion Address(int field, const char* text, unsigned bits,
                                  bool invert = false) {
  SelectionCriterion criterion;
  criterion.field = field;
  criterion.type = kTypeAddress;
  criterion.invert = invert;
  AddressBlock block;
  criterion.family = SetAddress(block, text);
  if (criterion.family == kFamilyIpv6) {
    std::memcpy(criterion.in6_addr.data(), block.v6, 16);
    criterion.in6_bits = static_cast<uint8_t>(bits);
  } else {
    criterion.netmask = bits == 0 ? 0 : 0xFFFFFFFFu << (32 - bits);
    criterion.addr = ntohl(block.v4) & criterion.netmask;
  }
  return criterion;
}

inline SelectionCriterion Text(int field, const char* pattern,
                               bool invert = false) {
  SelectionCriterion criterion;
  criterion.field = field;
  criterion.type = kTypeText;
  criterion.regex.Compile(pattern);
  criterion.invert = invert;
  return criterion;
}

inline SelectionCriterion Flags(uint64_t value) {
  SelectionCriterion criterion;
  criterion.field = kCriterionTcpFlags;
  criterion.type = kTypeNumber;
  criterion.value = criterion.max_value = value;
  return criterion;
}

// A definition whose selected columns are `columns` (kColumn* ids).
inline ReportDefinition WithColumns(std::initializer_list<int> columns) {
  ReportDefinition definition;
  for (int column : columns) definition.column_selected[column] = 1;
  return definition;
}

}  // namespace tnwk::testing

#endif  // TNWK_TESTS_ENTRIES_ENTRY_BUILDERS_H_
