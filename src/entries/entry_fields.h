#ifndef TNWK_ENTRIES_ENTRY_FIELDS_H_
#define TNWK_ENTRIES_ENTRY_FIELDS_H_

#include <cstddef>
#include <cstdint>

// The fields of a log entry and of a report row, listed once. The records
// of log_entry.h, the row field ids below and the per-field access of
// log_entry.h are expanded from these lists, so a new field is one line
// here (and one line in the keyword table when the front end may name it).
//
// Each list is an X-macro: X(id, member, ...) per field, in record order.

// Numbers, addresses and location references that LogEntry and ReportEntry
// both carry (EntryValues): X(id, member, type, default value).
#define TNWK_VALUE_FIELDS(X)                                            \
  X(kId, id, uint64_t, 0)                                               \
  X(kLocalTime, local_time, int64_t, 0)                                 \
  X(kIpProtocol, ip_protocol, uint8_t, 0)                               \
  X(kIpTotlen, ip_totlen, uint16_t, 0)                                  \
  X(kOobFamily, oob_family, uint16_t, kFamilyIpv4)                      \
  X(kIpSaddr, ip_saddr, AddressBlock, {})                               \
  X(kSport, sport, uint32_t, kNoPort)                                   \
  X(kIpDaddr, ip_daddr, AddressBlock, {})                               \
  X(kDport, dport, uint32_t, kNoPort)                                   \
  X(kTcpFlags, tcp_flags, uint8_t, 0) /* 0x80: flags unknown */         \
  X(kCount, count, uint64_t, 0)                                         \
  X(kOobProtocol, oob_protocol, uint16_t, 0)                            \
  X(kOobMark, oob_mark, uint32_t, 0)                                    \
  X(kIpTos, ip_tos, uint8_t, 0)                                         \
  X(kIpTtl, ip_ttl, uint8_t, 0)                                         \
  X(kIpIhl, ip_ihl, uint8_t, 0)                                         \
  X(kIpCsum, ip_csum, uint16_t, 0)                                      \
  X(kIpId, ip_id, uint16_t, 0)                                          \
  X(kIp6Payloadlen, ip6_payloadlen, uint16_t, 0)                        \
  X(kIp6Flowlabel, ip6_flowlabel, uint32_t, 0)                          \
  X(kIpFragoff, ip_fragoff, uint16_t, 0)                                \
  X(kTcpSeq, tcp_seq, uint32_t, 0)                                      \
  X(kTcpAckseq, tcp_ackseq, uint32_t, 0)                                \
  X(kTcpWindow, tcp_window, uint16_t, 0)                                \
  X(kTcpUrgp, tcp_urgp, uint16_t, 0)                                    \
  X(kUdpLen, udp_len, uint16_t, 0)                                      \
  X(kIcmpType, icmp_type, uint8_t, 255) /* 255: none */                 \
  X(kIcmpCode, icmp_code, uint8_t, 255)                                 \
  X(kIcmpEchoid, icmp_echoid, uint16_t, 0)                              \
  X(kIcmpEchoseq, icmp_echoseq, uint16_t, 0)                            \
  X(kIcmpGateway, icmp_gateway, uint32_t, 0) /* network byte order */   \
  X(kIcmpFragmtu, icmp_fragmtu, uint16_t, 0)                            \
  X(kAhespSpi, ahesp_spi, uint32_t, 0)                                  \
  X(kSrcLocation, src_location, const LocationRecord*, &kEmptyLocation) \
  X(kDstLocation, dst_location, const LocationRecord*, &kEmptyLocation) \
  X(kSrcAsn, src_asn, const AsRecord*, &kEmptyAs)                       \
  X(kDstAsn, dst_asn, const AsRecord*, &kEmptyAs)

// The numbers only a report row has: X(id, member, type, default value).
// entry_no is the row's creation sequence number (never printed).
// multiplicity: without "summarize", a line that stands for n packets makes
// n identical rows; one row then stands for all of them, and the report,
// its limits and the cache steps count it n times. Always 1 with
// "summarize".
#define TNWK_ROW_ONLY_FIELDS(X)               \
  X(kEntryNo, entry_no, uint64_t, 0)          \
  X(kMultiplicity, multiplicity, uint64_t, 1) \
  X(kEarliest, earliest, int64_t, 0)          \
  X(kLatest, latest, int64_t, 0)

// The texts: X(id, member, size of the LogEntry buffer). A LogEntry keeps
// them in fixed buffers, a ReportEntry as views into its table's text pool.
#define TNWK_TEXT_FIELDS(X)             \
  X(kSname, sname, 256)                 \
  X(kLocalHostname, local_hostname, 33) \
  X(kOobPrefix, oob_prefix, 128)        \
  X(kInterface, interface, 128)         \
  X(kSrcHost, src_host, 128)            \
  X(kSrcService, src_service, 128)      \
  X(kDstHost, dst_host, 128)            \
  X(kDstService, dst_service, 128)      \
  X(kMacSaddrStr, mac_saddr_str, 128)   \
  X(kMacDaddrStr, mac_daddr_str, 128)   \
  X(kRawMac, raw_mac, 512)              \
  X(kOobIn, oob_in, 128)                \
  X(kOobOut, oob_out, 128)

namespace tnwk {

// The fields of a report row, one per member of ReportEntry, in record
// order; kNone names no field.
enum class RowField : uint8_t {
#define TNWK_ROW_FIELD_ID(id, ...) id,
  TNWK_VALUE_FIELDS(TNWK_ROW_FIELD_ID) TNWK_ROW_ONLY_FIELDS(TNWK_ROW_FIELD_ID)
      TNWK_TEXT_FIELDS(TNWK_ROW_FIELD_ID)
#undef TNWK_ROW_FIELD_ID
          kNone,
};
inline constexpr size_t kRowFieldCount = static_cast<size_t>(RowField::kNone);

// The texts are the last fields; a text's number counts from 0 in list
// order.
inline constexpr size_t kTextFieldCount =
    kRowFieldCount - static_cast<size_t>(RowField::kSname);
inline constexpr size_t TextNumber(RowField field) {
  return static_cast<size_t>(field) - static_cast<size_t>(RowField::kSname);
}

}  // namespace tnwk

#endif  // TNWK_ENTRIES_ENTRY_FIELDS_H_
