#include "entries/sorting.h"

#include <arpa/inet.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "entries/location_fields.h"

namespace tnwk {

namespace {

// -1, 0 or 1 as a is less than, equal to or greater than b.
template <typename T>
int Order(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

int TextOrder(const char* a, const char* b) {
  int result = std::strncmp(a, b, 128);
  return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

int AddressOrder(uint16_t family_a, const AddressBlock& a, uint16_t family_b,
                 const AddressBlock& b) {
  if (family_a != family_b) return Order(family_a, family_b);
  if (family_a == kFamilyIpv4) return Order(ntohl(a.v4), ntohl(b.v4));
  if (family_a == kFamilyIpv6) {
    int result = std::memcmp(a.v6, b.v6, sizeof a.v6);
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
  }
  return 0;
}

int LocationOrder(const ReportEntry& a, const ReportEntry& b, bool source,
                  LocationField field) {
  switch (KindOfLocationField(field)) {
    case LocationKind::kNumber:
      return Order(LocationNumber(a, source, field),
                   LocationNumber(b, source, field));
    case LocationKind::kDouble:
      // NaN is neither less nor greater, so it compares equal.
      return Order(LocationDouble(a, source, field),
                   LocationDouble(b, source, field));
    case LocationKind::kYesNo:
      // 255 ("unknown") is -1 as a signed byte and sorts below no and yes.
      return Order(static_cast<int8_t>(LocationYesNo(a, source, field)),
                   static_cast<int8_t>(LocationYesNo(b, source, field)));
    case LocationKind::kText:
      break;
  }
  return TextOrder(LocationText(a, source, field),
                   LocationText(b, source, field));
}

// The order of a and b on `sort_key`; `known` is cleared for ids that name
// no field.
int FieldOrder(const ReportEntry& a, const ReportEntry& b, int sort_key,
               bool* known) {
  switch (sort_key) {
    case kSortId: {
      int result = TextOrder(a.sname, b.sname);
      return result != 0 ? result : Order(a.id, b.id);
    }
    case kSortSname:
      return TextOrder(a.sname, b.sname);
    case kSortCount:
      return Order(a.count, b.count);
    case kSortEarliest:
      return Order(static_cast<uint64_t>(a.earliest),
                   static_cast<uint64_t>(b.earliest));
    case kSortLatest:
      return Order(static_cast<uint64_t>(a.latest),
                   static_cast<uint64_t>(b.latest));
    case kSortLocalTime:
      return Order(static_cast<uint64_t>(a.local_time),
                   static_cast<uint64_t>(b.local_time));
    case kSortIpProtocol:
      return Order(a.ip_protocol, b.ip_protocol);
    case kSortIpSaddr:
      return AddressOrder(a.oob_family, a.ip_saddr, b.oob_family, b.ip_saddr);
    case kSortSport:
      return Order(a.sport, b.sport);
    case kSortIpDaddr:
      return AddressOrder(a.oob_family, a.ip_daddr, b.oob_family, b.ip_daddr);
    case kSortDport:
      return Order(a.dport, b.dport);
    case kSortIcmpType:
      return Order(a.icmp_type, b.icmp_type);
    case kSortIcmpCode:
      return Order(a.icmp_code, b.icmp_code);
    case kSortIcmpEchoid:
      return Order(a.icmp_echoid, b.icmp_echoid);
    case kSortIcmpEchoseq:
      return Order(a.icmp_echoseq, b.icmp_echoseq);
    case kSortIcmpFragmtu:
      return Order(a.icmp_fragmtu, b.icmp_fragmtu);
    case kSortIcmpGateway:
      if (a.oob_family != b.oob_family) {
        return Order(a.oob_family, b.oob_family);
      }
      if (a.oob_family != kFamilyIpv4) return 0;
      return Order(ntohl(a.icmp_gateway), ntohl(b.icmp_gateway));
    case kSortIpId:
      return Order(a.ip_id, b.ip_id);
    case kSortIpIhl:
      return Order(a.ip_ihl, b.ip_ihl);
    case kSortIpTos:
      return Order(a.ip_tos, b.ip_tos);
    case kSortIpTotlen:
      return Order(a.ip_totlen, b.ip_totlen);
    case kSortIpTtl:
      return Order(a.ip_ttl, b.ip_ttl);
    case kSortIp6Flowlabel:
      return Order(a.ip6_flowlabel, b.ip6_flowlabel);
    case kSortIp6Payloadlen:
      return Order(a.ip6_payloadlen, b.ip6_payloadlen);
    case kSortOobFamily:
      return Order(a.oob_family, b.oob_family);
    case kSortLocalHostname:
      return TextOrder(a.local_hostname, b.local_hostname);
    case kSortOobIn:
      return TextOrder(a.oob_in, b.oob_in);
    case kSortOobOut:
      return TextOrder(a.oob_out, b.oob_out);
    case kSortOobMark:
      return Order(a.oob_mark, b.oob_mark);
    case kSortOobPrefix:
      return TextOrder(a.oob_prefix, b.oob_prefix);
    case kSortOobProtocol:
      return Order(a.oob_protocol, b.oob_protocol);
    case kSortMacSaddrStr:
      return TextOrder(a.mac_saddr_str, b.mac_saddr_str);
    case kSortMacDaddrStr:
      return TextOrder(a.mac_daddr_str, b.mac_daddr_str);
    case kSortRawMac:
      return TextOrder(a.raw_mac, b.raw_mac);
    case kSortIpFragoff:
      return Order(a.ip_fragoff, b.ip_fragoff);
    case kSortIpCsum:
      return Order(a.ip_csum, b.ip_csum);
    case kSortAhespSpi:
      return Order(a.ahesp_spi, b.ahesp_spi);
    case kSortTcpSeq:
      return Order(a.tcp_seq, b.tcp_seq);
    case kSortTcpAckseq:
      return Order(a.tcp_ackseq, b.tcp_ackseq);
    case kSortTcpWindow:
      return Order(a.tcp_window, b.tcp_window);
    case kSortUdpLen:
      return Order(a.udp_len, b.udp_len);
    case kSortTcpUrgp:
      return Order(a.tcp_urgp, b.tcp_urgp);
    case kSortTcpOptions:
      return Order(a.tcp_flags, b.tcp_flags);
    default:
      break;
  }
  if (sort_key >= kSortLocationSourceBase && sort_key < kSortIdLimit) {
    bool source = sort_key < kSortLocationDestinationBase;
    auto field = static_cast<LocationField>(
        sort_key -
        (source ? kSortLocationSourceBase : kSortLocationDestinationBase));
    return LocationOrder(a, b, source, field);
  }
  *known = false;
  return 0;
}

}  // namespace

bool compare_rows(const ReportEntry& a, const ReportEntry& b, int sort_key,
                  bool descending, const Diagnostics& diag) {
  bool known = true;
  int order = FieldOrder(a, b, sort_key, &known);
  if (!known) {
    diag.Log(1, "Unrecognized sort key %i\n", sort_key);
    return false;
  }
  return descending ? order < 0 : order > 0;
}

namespace {

// One stable pass over `rows`; `after(a, b)` tells whether a must come after
// b. Runs of k rows are merged pairwise until one walk makes at most one
// merge. A row of the second run only overtakes one of the first run when
// `after` says the first must come after it, which keeps equal rows in their
// order.
template <typename After>
void MergeSort(std::deque<ReportEntry*>& rows, After after) {
  const size_t n = rows.size();
  if (n == 0) return;
  std::vector<ReportEntry*> from(rows.begin(), rows.end());
  std::vector<ReportEntry*> to(n);
  for (size_t k = 1;; k *= 2) {
    size_t merges = 0;
    size_t out = 0;
    for (size_t p = 0; p < n;) {
      ++merges;
      size_t p_end = p + k < n ? p + k : n;
      size_t q = p_end;
      size_t q_end = q + k < n ? q + k : n;
      while (p < p_end || q < q_end) {
        if (p == p_end) {
          to[out++] = from[q++];
        } else if (q == q_end) {
          to[out++] = from[p++];
        } else if (after(from[p], from[q])) {
          to[out++] = from[q++];
        } else {
          to[out++] = from[p++];
        }
      }
      p = q_end;
    }
    from.swap(to);
    if (merges <= 1) break;
  }
  rows.assign(from.begin(), from.end());
}

}  // namespace

void sort_rows(std::deque<ReportEntry*>& rows, int sort_key, bool descending,
               const Diagnostics& diag) {
  MergeSort(rows, [&](const ReportEntry* a, const ReportEntry* b) {
    return compare_rows(*a, *b, sort_key, descending, diag);
  });
}

void SortReportRows(ReportRows* rows, const ReportDefinition& definition,
                    const Diagnostics& diag) {
  diag.Log(1, "Sorting data\n");
  // Compact rows are compared on the fields of the pass only, unpacked.
  ReportEntry left, right;
  for (const SortField& field : definition.sort_fields) {
    if (field.position == kSortPlaceholderPosition) break;
    if (!rows->layout().compact()) {
      sort_rows(rows->mutable_rows(), field.sort, field.descending != 0, diag);
    } else {
      const RowFieldSet fields = FieldsOfSort(field.sort);
      MergeSort(rows->mutable_rows(),
                [&](const ReportEntry* a, const ReportEntry* b) {
                  return compare_rows(rows->Row(a, &left, fields),
                                      rows->Row(b, &right, fields), field.sort,
                                      field.descending != 0, diag);
                });
    }
    diag.Log(5, ".");
  }
  diag.Log(5, "\n");
}

}  // namespace tnwk
