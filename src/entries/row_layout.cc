#include "entries/row_layout.h"

#include <algorithm>
#include <array>

#include "base/address_parser.h"
#include "entries/field_keywords.h"

namespace tnwk {

namespace {

using F = RowField;

RowFieldSet Set(std::initializer_list<RowField> fields) {
  RowFieldSet set;
  for (RowField field : fields) set.set(static_cast<size_t>(field));
  return set;
}

// The place of every member in a ReportEntry, measured on one record.
std::array<RowFieldPlace, kRowFieldCount> MeasurePlaces() {
  static const ReportEntry probe;
  const auto* base = reinterpret_cast<const unsigned char*>(&probe);
  std::array<RowFieldPlace, kRowFieldCount> places{};
  auto place = [&](RowField field, const auto& member) {
    places[static_cast<size_t>(field)] = {
        static_cast<size_t>(reinterpret_cast<const unsigned char*>(&member) -
                            base),
        sizeof member};
  };
  place(F::kId, probe.id);
  place(F::kLocalTime, probe.local_time);
  place(F::kIpProtocol, probe.ip_protocol);
  place(F::kIpTotlen, probe.ip_totlen);
  place(F::kOobFamily, probe.oob_family);
  place(F::kIpSaddr, probe.ip_saddr);
  place(F::kSport, probe.sport);
  place(F::kIpDaddr, probe.ip_daddr);
  place(F::kDport, probe.dport);
  place(F::kTcpFlags, probe.tcp_flags);
  place(F::kCount, probe.count);
  place(F::kOobProtocol, probe.oob_protocol);
  place(F::kOobMark, probe.oob_mark);
  place(F::kIpTos, probe.ip_tos);
  place(F::kIpTtl, probe.ip_ttl);
  place(F::kIpIhl, probe.ip_ihl);
  place(F::kIpCsum, probe.ip_csum);
  place(F::kIpId, probe.ip_id);
  place(F::kIp6Payloadlen, probe.ip6_payloadlen);
  place(F::kIp6Flowlabel, probe.ip6_flowlabel);
  place(F::kIpFragoff, probe.ip_fragoff);
  place(F::kTcpSeq, probe.tcp_seq);
  place(F::kTcpAckseq, probe.tcp_ackseq);
  place(F::kTcpWindow, probe.tcp_window);
  place(F::kTcpUrgp, probe.tcp_urgp);
  place(F::kUdpLen, probe.udp_len);
  place(F::kIcmpType, probe.icmp_type);
  place(F::kIcmpCode, probe.icmp_code);
  place(F::kIcmpEchoid, probe.icmp_echoid);
  place(F::kIcmpEchoseq, probe.icmp_echoseq);
  place(F::kIcmpGateway, probe.icmp_gateway);
  place(F::kIcmpFragmtu, probe.icmp_fragmtu);
  place(F::kAhespSpi, probe.ahesp_spi);
  place(F::kSrcLocation, probe.src_location);
  place(F::kDstLocation, probe.dst_location);
  place(F::kSrcAsn, probe.src_asn);
  place(F::kDstAsn, probe.dst_asn);
  place(F::kEntryNo, probe.entry_no);
  place(F::kMultiplicity, probe.multiplicity);
  place(F::kEarliest, probe.earliest);
  place(F::kLatest, probe.latest);
  place(F::kSname, probe.sname);
  place(F::kLocalHostname, probe.local_hostname);
  place(F::kOobPrefix, probe.oob_prefix);
  place(F::kInterface, probe.interface);
  place(F::kSrcHost, probe.src_host);
  place(F::kSrcService, probe.src_service);
  place(F::kDstHost, probe.dst_host);
  place(F::kDstService, probe.dst_service);
  place(F::kMacSaddrStr, probe.mac_saddr_str);
  place(F::kMacDaddrStr, probe.mac_daddr_str);
  place(F::kRawMac, probe.raw_mac);
  place(F::kOobIn, probe.oob_in);
  place(F::kOobOut, probe.oob_out);
  return places;
}

const std::array<RowFieldPlace, kRowFieldCount>& Places() {
  static const std::array<RowFieldPlace, kRowFieldCount> places =
      MeasurePlaces();
  return places;
}

bool IsAddress(RowField field) {
  return field == F::kIpSaddr || field == F::kIpDaddr;
}

// Bytes of a field in a compact record.
size_t PackedSize(RowField field) {
  return IsAddress(field) ? 8 : PlaceOf(field).size;
}

RowFieldSet LocationFields(bool source) {
  return source ? Set({F::kSrcLocation, F::kSrcAsn})
                : Set({F::kDstLocation, F::kDstAsn});
}

// Fields are 1, 2, 4 or 8 bytes: copies of a known size are inlined.
inline void CopyField(unsigned char* to, const unsigned char* from,
                      size_t size) {
  switch (size) {
    case 1:
      std::memcpy(to, from, 1);
      break;
    case 2:
      std::memcpy(to, from, 2);
      break;
    case 4:
      std::memcpy(to, from, 4);
      break;
    case 8:
      std::memcpy(to, from, 8);
      break;
    default:
      std::memcpy(to, from, size);
      break;
  }
}

}  // namespace

RowFieldPlace PlaceOf(RowField field) {
  return Places()[static_cast<size_t>(field)];
}

RowFieldSet FieldsOfColumn(int column) {
  // Cells of protocol-bound fields also read the protocol and the ICMP type
  // and code; every compact record keeps those (see RowLayout).
  switch (column) {
    case kColumnId:
      return Set({F::kId});
    case kColumnSname:
      return Set({F::kSname});
    case kColumnCount:
      return Set({F::kCount});
    case kColumnLocalHostname:
      return Set({F::kLocalHostname});
    case kColumnLocalTime:
      return Set({F::kLocalTime});
    case kColumnEarliest:
      return Set({F::kEarliest});
    case kColumnLatest:
      return Set({F::kLatest});
    case kColumnOobPrefix:
      return Set({F::kOobPrefix});
    case kColumnOobMark:
      return Set({F::kOobMark});
    case kColumnOobProtocol:
      return Set({F::kOobProtocol});
    case kColumnMacSaddrStr:
      return Set({F::kMacSaddrStr});
    case kColumnMacDaddrStr:
      return Set({F::kMacDaddrStr});
    case kColumnRawMac:
      return Set({F::kRawMac});
    case kColumnOobIn:
      return Set({F::kOobIn});
    case kColumnOobOut:
      return Set({F::kOobOut});
    case kColumnIpProtocol:
      return Set({F::kIpProtocol});
    case kColumnIpSaddr:
      return Set({F::kIpSaddr, F::kOobFamily});
    case kColumnSrcHost:
      return Set({F::kSrcHost, F::kIpSaddr});
    case kColumnSport:
      return Set({F::kSport});
    case kColumnSrcService:
      return Set({F::kSrcService, F::kSport});
    case kColumnIpDaddr:
      return Set({F::kIpDaddr, F::kOobFamily});
    case kColumnDstHost:
      return Set({F::kDstHost, F::kIpDaddr});
    case kColumnDport:
      return Set({F::kDport});
    case kColumnDstService:
      return Set({F::kDstService, F::kDport});
    case kColumnIpId:
      return Set({F::kIpId});
    case kColumnIpCsum:
      return Set({F::kIpCsum});
    case kColumnIpFragoff:
      return Set({F::kIpFragoff});
    case kColumnIpIhl:
      return Set({F::kIpIhl});
    case kColumnIpTos:
      return Set({F::kIpTos});
    case kColumnIpTtl:
      return Set({F::kIpTtl});
    case kColumnIp6Flowlabel:
      return Set({F::kIp6Flowlabel});
    case kColumnIp6Payloadlen:
      return Set({F::kIp6Payloadlen});
    case kColumnIpTotlen:
      return Set({F::kIpTotlen});
    case kColumnOobFamily:
      return Set({F::kOobFamily});
    case kColumnIcmpType:
      return Set({F::kIcmpType});
    case kColumnIcmpCode:
      return Set({F::kIcmpCode});
    case kColumnTcpSeq:
      return Set({F::kTcpSeq});
    case kColumnTcpAckseq:
      return Set({F::kTcpAckseq});
    case kColumnTcpWindow:
      return Set({F::kTcpWindow});
    case kColumnTcpOptions:
      return Set({F::kTcpFlags});
    case kColumnTcpUrgp:
      return Set({F::kTcpUrgp});
    case kColumnUdpLen:
      return Set({F::kUdpLen});
    case kColumnIcmpEchoid:
      return Set({F::kIcmpEchoid});
    case kColumnIcmpEchoseq:
      return Set({F::kIcmpEchoseq});
    case kColumnIcmpFragmtu:
      return Set({F::kIcmpFragmtu});
    case kColumnIcmpGateway:
      return Set({F::kIcmpGateway});
    case kColumnAhespSpi:
      return Set({F::kAhespSpi});
    default:
      break;
  }
  if (column >= kColumnLocationSourceBase && column < kColumnIdLimit) {
    return LocationFields(column < kColumnLocationDestinationBase);
  }
  return {};
}

RowFieldSet FieldsOfSort(int sort_key) {
  switch (sort_key) {
    case kSortId:
      return Set({F::kSname, F::kId});
    case kSortSname:
      return Set({F::kSname});
    case kSortCount:
      return Set({F::kCount});
    case kSortEarliest:
      return Set({F::kEarliest});
    case kSortLatest:
      return Set({F::kLatest});
    case kSortLocalTime:
      return Set({F::kLocalTime});
    case kSortIpProtocol:
      return Set({F::kIpProtocol});
    case kSortIpSaddr:
      return Set({F::kOobFamily, F::kIpSaddr});
    case kSortSport:
      return Set({F::kSport});
    case kSortIpDaddr:
      return Set({F::kOobFamily, F::kIpDaddr});
    case kSortDport:
      return Set({F::kDport});
    case kSortIcmpType:
      return Set({F::kIcmpType});
    case kSortIcmpCode:
      return Set({F::kIcmpCode});
    case kSortIcmpEchoid:
      return Set({F::kIcmpEchoid});
    case kSortIcmpEchoseq:
      return Set({F::kIcmpEchoseq});
    case kSortIcmpFragmtu:
      return Set({F::kIcmpFragmtu});
    case kSortIcmpGateway:
      return Set({F::kOobFamily, F::kIcmpGateway});
    case kSortIpId:
      return Set({F::kIpId});
    case kSortIpIhl:
      return Set({F::kIpIhl});
    case kSortIpTos:
      return Set({F::kIpTos});
    case kSortIpTotlen:
      return Set({F::kIpTotlen});
    case kSortIpTtl:
      return Set({F::kIpTtl});
    case kSortIp6Flowlabel:
      return Set({F::kIp6Flowlabel});
    case kSortIp6Payloadlen:
      return Set({F::kIp6Payloadlen});
    case kSortOobFamily:
      return Set({F::kOobFamily});
    case kSortLocalHostname:
      return Set({F::kLocalHostname});
    case kSortOobIn:
      return Set({F::kOobIn});
    case kSortOobOut:
      return Set({F::kOobOut});
    case kSortOobMark:
      return Set({F::kOobMark});
    case kSortOobPrefix:
      return Set({F::kOobPrefix});
    case kSortOobProtocol:
      return Set({F::kOobProtocol});
    case kSortMacSaddrStr:
      return Set({F::kMacSaddrStr});
    case kSortMacDaddrStr:
      return Set({F::kMacDaddrStr});
    case kSortRawMac:
      return Set({F::kRawMac});
    case kSortIpFragoff:
      return Set({F::kIpFragoff});
    case kSortIpCsum:
      return Set({F::kIpCsum});
    case kSortAhespSpi:
      return Set({F::kAhespSpi});
    case kSortTcpSeq:
      return Set({F::kTcpSeq});
    case kSortTcpAckseq:
      return Set({F::kTcpAckseq});
    case kSortTcpWindow:
      return Set({F::kTcpWindow});
    case kSortUdpLen:
      return Set({F::kUdpLen});
    case kSortTcpUrgp:
      return Set({F::kTcpUrgp});
    case kSortTcpOptions:
      return Set({F::kTcpFlags});
    default:
      break;
  }
  if (sort_key >= kSortLocationSourceBase && sort_key < kSortIdLimit) {
    return LocationFields(sort_key < kSortLocationDestinationBase);
  }
  return {};
}

RowLayout::RowLayout(const ReportDefinition& definition, const Options& options,
                     bool timewarp_messages) {
  // The cache steps read the shown rows through the name cache, which may
  // read any field: such runs keep whole records.
  if ((options.cache_flags &
       (kCachePopulate | kCacheUpdHosts | kCachePopulateFull)) != 0) {
    return;
  }
  compact_ = true;
  // The guards of the protocol-bound cells and of address matching.
  stored_ = Set({F::kIpProtocol, F::kIcmpType, F::kIcmpCode, F::kOobFamily});
  for (const ReportColumn& column : definition.columns) {
    stored_ |= FieldsOfColumn(column.column);
  }
  for (int column = 0; column < kColumnIdLimit; ++column) {
    if (definition.IsColumnSelected(column)) stored_ |= FieldsOfColumn(column);
  }
  for (const SortField& sort : definition.sort_fields) {
    stored_ |= FieldsOfSort(sort.sort);
  }
  if (options.summarize) {
    // Folding and the end-of-input filter.
    stored_ |= Set({F::kCount, F::kEarliest, F::kLatest, F::kEntryNo});
    if (timewarp_messages) stored_.set(static_cast<size_t>(F::kSname));
  } else {
    stored_.set(static_cast<size_t>(F::kMultiplicity));
  }
  // Largest fields first, so that none needs padding.
  for (size_t i = 0; i < kRowFieldCount; ++i) {
    if (stored_[i]) order_.push_back(static_cast<RowField>(i));
  }
  std::stable_sort(order_.begin(), order_.end(), [](RowField a, RowField b) {
    return PackedSize(a) > PackedSize(b);
  });
  for (RowField field : order_) {
    offsets_[static_cast<size_t>(field)] = row_bytes_;
    const RowFieldPlace place = PlaceOf(field);
    slots_.push_back(
        {field, IsAddress(field), row_bytes_, place.offset, place.size});
    row_bytes_ += PackedSize(field);
  }
  // Records follow each other in memory; keep 8-byte fields aligned.
  row_bytes_ = (row_bytes_ + 7) / 8 * 8;
  if (row_bytes_ == 0) row_bytes_ = 8;
}

void RowLayout::Pack(const ReportEntry& row, unsigned char* out,
                     std::vector<SideAddress>* side, TextPool* texts) const {
  const auto* base = reinterpret_cast<const unsigned char*>(&row);
  for (const Slot& slot : slots_) {
    unsigned char* to = out + slot.packed;
    if (!slot.address) {
      CopyField(to, base + slot.offset, slot.size);
      continue;
    }
    const AddressBlock& address =
        slot.field == RowField::kIpSaddr ? row.ip_saddr : row.ip_daddr;
    uint32_t extra = 0;
    char dotted[16];
    static constexpr uint8_t kZero[16] = {};
    FormatDottedQuad(address.v4, dotted);
    if (std::memcmp(address.v6, kZero, sizeof kZero) != 0 ||
        std::strcmp(address.text.c_str(), dotted) != 0) {
      SideAddress entry;
      std::memcpy(entry.v6, address.v6, sizeof entry.v6);
      entry.text = texts->Intern(address.text.view());
      side->push_back(entry);
      extra = static_cast<uint32_t>(side->size());
    }
    std::memcpy(to, &address.v4, 4);
    std::memcpy(to + 4, &extra, 4);
  }
}

void RowLayout::Unpack(const unsigned char* record,
                       const std::vector<SideAddress>& side,
                       const RowFieldSet& fields, ReportEntry* row,
                       bool address_texts) const {
  auto* base = reinterpret_cast<unsigned char*>(row);
  for (const Slot& slot : slots_) {
    if (!fields[static_cast<size_t>(slot.field)]) continue;
    const unsigned char* from = record + slot.packed;
    if (!slot.address) {
      CopyField(base + slot.offset, from, slot.size);
      continue;
    }
    AddressBlock& address =
        slot.field == RowField::kIpSaddr ? row->ip_saddr : row->ip_daddr;
    uint32_t extra = 0;
    std::memcpy(&address.v4, from, 4);
    std::memcpy(&extra, from + 4, 4);
    if (extra == 0) {
      std::memset(address.v6, 0, sizeof address.v6);
      // A dotted quad of at most 15 characters fits any address text.
      if (address_texts) FormatDottedQuad(address.v4, address.text.data());
    } else {
      const SideAddress& entry = side[extra - 1];
      std::memcpy(address.v6, entry.v6, sizeof address.v6);
      if (address_texts) address.text.Set(entry.text);
    }
  }
}

}  // namespace tnwk
