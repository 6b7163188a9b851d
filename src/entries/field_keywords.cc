#include "entries/field_keywords.h"

#include <array>

#include "entries/options.h"

namespace tnwk {
namespace {

using F = RowField;
using G = ProtocolGuard;
using K = FieldKind;

constexpr RowField CompanionOf(RowField field, FieldKind kind) {
  switch (kind) {
    case K::kAddress:
      return F::kOobFamily;
    case K::kHost:
      return field == F::kSrcHost ? F::kIpSaddr : F::kIpDaddr;
    case K::kService:
      return field == F::kSrcService ? F::kSport : F::kDport;
    case K::kLocation:
      return field == F::kSrcLocation ? F::kSrcAsn : F::kDstAsn;
    default:
      return F::kNone;
  }
}

constexpr FieldKeyword Keyword(const char* name, RowField field, FieldKind kind,
                               int column, int sort, int criterion, int type,
                               bool selected, ProtocolGuard column_guard,
                               ProtocolGuard criterion_guard,
                               uint8_t cache_bits, uint8_t location_bits) {
  return FieldKeyword{name,
                      static_cast<uint8_t>(sort),
                      criterion,
                      static_cast<uint8_t>(type),
                      AggregateLimit::kNone,
                      selected,
                      static_cast<uint8_t>(column),
                      cache_bits,
                      location_bits,
                      field,
                      CompanionOf(field, kind),
                      kind,
                      column_guard,
                      criterion_guard};
}

// A field with a column; the guards apply to its cell and its criterion.
constexpr FieldKeyword Field(const char* name, RowField field, FieldKind kind,
                             int column, int sort, int criterion, int type,
                             bool selected,
                             ProtocolGuard column_guard = G::kNone,
                             ProtocolGuard criterion_guard = G::kNone) {
  return Keyword(name, field, kind, column, sort, criterion, type, selected,
                 column_guard, criterion_guard, 0, 0);
}

// A host or service name column, which the name cache may fill.
constexpr FieldKeyword Name(const char* name, RowField field, FieldKind kind,
                            int column) {
  return Keyword(name, field, kind, column, 0, 0, kTypeNone, true, G::kNone,
                 G::kNone, kCacheNameColumn, 0);
}

// A criterion without a column.
constexpr FieldKeyword Criterion(const char* name, RowField field,
                                 int criterion, int type,
                                 ProtocolGuard guard = G::kNone) {
  return Keyword(name, field, K::kNone, 0, 0, criterion, type, false, G::kNone,
                 guard, 0, 0);
}

constexpr FieldKeyword Limit(const char* name, int type, AggregateLimit limit) {
  FieldKeyword keyword = Criterion(name, F::kNone, 0, type);
  keyword.aggregate_limit = limit;
  return keyword;
}

constexpr FieldKeyword Reserved(const char* name) {
  return Criterion(name, F::kNone, 0, kTypeNone);
}

// The source and destination forms of one location or AS field share their
// index; the ids count up from the per-side bases.
constexpr FieldKeyword Location(const char* name, int index, int type,
                                bool source) {
  const bool as_field = index == kLocAutonomousSystemNumber ||
                        index == kLocAutonomousSystemOrganization;
  uint8_t bits;
  if (source) {
    bits = as_field ? kAsSource : kLocationSource;
  } else {
    bits = as_field ? kAsDestination : kLocationDestination;
  }
  const int column =
      (source ? kColumnLocationSourceBase : kColumnLocationDestinationBase) +
      index;
  const int sort =
      (source ? kSortLocationSourceBase : kSortLocationDestinationBase) + index;
  const int criterion = (source ? kCriterionLocationSourceBase
                                : kCriterionLocationDestinationBase) +
                        index;
  return Keyword(name, source ? F::kSrcLocation : F::kDstLocation, K::kLocation,
                 column, sort, criterion, type, true, G::kNone, G::kNone, 0,
                 bits);
}

constexpr bool kYes = true;
constexpr bool kNo = false;

constexpr std::array<FieldKeyword, kFieldKeywordCount> kTable = {{
    // IP header.
    Field("ip_protocol", F::kIpProtocol, K::kProtocol, 16, 6, 3, kTypeProtocol,
          kYes),
    Field("ip_saddr", F::kIpSaddr, K::kAddress, 17, 7, 4, kTypeAddress, kYes),
    Field("ip_daddr", F::kIpDaddr, K::kAddress, 21, 9, 5, kTypeAddress, kYes),
    Field("ip_totlen", F::kIpTotlen, K::kNumber, 33, 20, 30, kTypeNumber, kYes),
    Field("ip_tos", F::kIpTos, K::kNumber, 29, 19, 27, kTypeNumber, kYes),
    Field("ip_ttl", F::kIpTtl, K::kNumber, 30, 21, 28, kTypeNumber, kYes),
    Field("ip_ihl", F::kIpIhl, K::kNumber, 28, 18, 29, kTypeNumber, kYes),
    Field("ip_csum", F::kIpCsum, K::kNumber, 26, 38, 32, kTypeNumber, kYes),
    Field("ip_id", F::kIpId, K::kNumber, 25, 17, 31, kTypeNumber, kYes),
    Field("ip_fragoff", F::kIpFragoff, K::kNumber, 27, 37, 35, kTypeNumber,
          kYes),
    Criterion("ip_df", F::kIpFragoff, 33, kTypeFlagNumber),
    Criterion("ip_mf", F::kIpFragoff, 34, kTypeFlagNumber),
    Field("ip6_payloadlen", F::kIp6Payloadlen, K::kNumber, 32, 23, 37,
          kTypeNumber, kYes),
    Field("ip6_flowlabel", F::kIp6Flowlabel, K::kNumber, 31, 22, 36,
          kTypeNumber, kYes),
    Field("oob_family", F::kOobFamily, K::kNumber, 34, 24, 38, kTypeNumber,
          kYes),
    Field("ahesp_spi", F::kAhespSpi, K::kNumber, 47, 39, 26, kTypeNumber, kYes,
          G::kEspOrAh, G::kEspOrAh),
    // Ports, hosts and services.
    Field("sport", F::kSport, K::kNumber, 19, 8, 0, kTypeNone, kYes,
          G::kTcpOrUdp),
    Field("dport", F::kDport, K::kNumber, 23, 10, 0, kTypeNone, kYes,
          G::kTcpOrUdp),
    Criterion("tcp_sport", F::kSport, 16, kTypeNumber, G::kTcp),
    Criterion("tcp_dport", F::kDport, 17, kTypeNumber, G::kTcp),
    Criterion("udp_sport", F::kSport, 6, kTypeNumber, G::kUdp),
    Criterion("udp_dport", F::kDport, 7, kTypeNumber, G::kUdp),
    Name("src_host", F::kSrcHost, K::kHost, 18),
    Name("dst_host", F::kDstHost, K::kHost, 22),
    Name("src_service", F::kSrcService, K::kService, 20),
    Name("dst_service", F::kDstService, K::kService, 24),
    // TCP and UDP.
    Field("tcp_seq", F::kTcpSeq, K::kNumber, 37, 40, 40, kTypeNumber, kYes,
          G::kTcp),
    Field("tcp_ackseq", F::kTcpAckseq, K::kNumber, 38, 41, 41, kTypeNumber,
          kYes, G::kTcp),
    Field("tcp_window", F::kTcpWindow, K::kNumber, 39, 42, 42, kTypeNumber,
          kYes, G::kTcp),
    Field("tcp_urgp", F::kTcpUrgp, K::kNumber, 41, 44, 43, kTypeNumber, kYes,
          G::kTcp),
    Field("tcp_options", F::kTcpFlags, K::kTcpFlags, 40, 45, 25, kTypeBoolean,
          kYes, G::kTcp, G::kTcp),
    Criterion("tcp_flags", F::kTcpFlags, 18, kTypeBoolean, G::kTcp),
    Criterion("tcp_syn", F::kTcpFlags, 19, kTypeBoolean, G::kTcp),
    Criterion("tcp_ack", F::kTcpFlags, 20, kTypeBoolean, G::kTcp),
    Criterion("tcp_fin", F::kTcpFlags, 21, kTypeBoolean, G::kTcp),
    Criterion("tcp_rst", F::kTcpFlags, 22, kTypeBoolean, G::kTcp),
    Criterion("tcp_psh", F::kTcpFlags, 23, kTypeBoolean, G::kTcp),
    Criterion("tcp_urg", F::kTcpFlags, 24, kTypeBoolean, G::kTcp),
    Field("udp_len", F::kUdpLen, K::kNumber, 42, 43, 50, kTypeNumber, kYes,
          G::kUdp),
    // ICMP: columns and sorts without the underscore, criteria with it.
    Field("icmptype", F::kIcmpType, K::kNumber, 35, 11, 0, kTypeNone, kYes,
          G::kIcmpOrIcmpv6),
    Field("icmpcode", F::kIcmpCode, K::kNumber, 36, 12, 0, kTypeNone, kYes,
          G::kIcmpOrIcmpv6),
    Field("icmpechoid", F::kIcmpEchoid, K::kNumber, 43, 13, 0, kTypeNone, kYes,
          G::kEcho),
    Field("icmpechoseq", F::kIcmpEchoseq, K::kNumber, 44, 14, 0, kTypeNone,
          kYes, G::kEcho),
    Criterion("icmp_type", F::kIcmpType, 8, kTypeNumber, G::kIcmp),
    Criterion("icmp_code", F::kIcmpCode, 9, kTypeNumber, G::kIcmp),
    Criterion("icmp_echoid", F::kIcmpEchoid, 44, kTypeNumber, G::kIcmpEcho),
    Criterion("icmp_echoseq", F::kIcmpEchoseq, 45, kTypeNumber, G::kIcmpEcho),
    Criterion("icmpv6_type", F::kIcmpType, 10, kTypeNumber, G::kIcmpv6),
    Criterion("icmpv6_code", F::kIcmpCode, 11, kTypeNumber, G::kIcmpv6),
    Criterion("icmpv6_echoid", F::kIcmpEchoid, 48, kTypeNumber, G::kIcmpv6Echo),
    Criterion("icmpv6_echoseq", F::kIcmpEchoseq, 49, kTypeNumber,
              G::kIcmpv6Echo),
    Field("icmp_gateway", F::kIcmpGateway, K::kGateway, 46, 16, 46,
          kTypeAddress, kYes, G::kRedirect, G::kRedirect),
    Field("icmp_fragmtu", F::kIcmpFragmtu, K::kNumber, 45, 15, 47, kTypeNumber,
          kYes, G::kFragmentationNeeded, G::kFragmentationNeeded),
    // Interfaces, link layer and log text.
    Field("local_hostname", F::kLocalHostname, K::kText, 4, 25, 12, kTypeText,
          kYes),
    Field("oob_prefix", F::kOobPrefix, K::kText, 8, 29, 15, kTypeText, kYes),
    Field("oob_in", F::kOobIn, K::kText, 14, 26, 13, kTypeText, kYes),
    Field("oob_out", F::kOobOut, K::kText, 15, 27, 14, kTypeText, kYes),
    Field("oob_mark", F::kOobMark, K::kNumber, 9, 28, 39, kTypeNumber, kYes),
    Field("oob_protocol", F::kOobProtocol, K::kNumber, 10, 33, 51, kTypeNumber,
          kYes),
    Field("mac_saddr_str", F::kMacSaddrStr, K::kText, 11, 34, 53, kTypeText,
          kYes),
    Field("mac_daddr_str", F::kMacDaddrStr, K::kText, 12, 35, 52, kTypeText,
          kYes),
    Field("raw_mac", F::kRawMac, K::kText, 13, 36, 54, kTypeText, kYes),
    // Line, row and time.
    Field("id", F::kId, K::kLineId, 1, 1, 0, kTypeLineId, kNo),
    Field("sname", F::kSname, K::kText, 2, 2, 0, kTypeNone, kYes),
    Field("count", F::kCount, K::kCounter, 3, 3, 0, kTypeNone, kYes),
    Field("local_time", F::kLocalTime, K::kTime, 5, 30, 0, kTypeNone, kYes),
    Field("earliest", F::kEarliest, K::kTime, 6, 4, 0, kTypeNone, kYes),
    Field("latest", F::kLatest, K::kTime, 7, 5, 0, kTypeNone, kYes),
    Criterion("min_date", F::kLocalTime, 1, kTypeDate),
    Criterion("max_date", F::kLocalTime, 2, kTypeDate),
    Limit("min_count", kTypeCountLimit, AggregateLimit::kMinCount),
    Limit("max_count", kTypeCountLimit, AggregateLimit::kMaxCount),
    Limit("min_latest", kTypeTimeLimit, AggregateLimit::kMinLatest),
    Limit("max_earliest", kTypeTimeLimit, AggregateLimit::kMaxEarliest),
    // Location and AS fields, source forms then destination forms.
    Location("continent_code_s", 0, kTypeText, true),
    Location("continent_name_s", 1, kTypeText, true),
    Location("country_iso_code_s", 2, kTypeText, true),
    Location("country_name_s", 3, kTypeText, true),
    Location("subdivision_1_iso_code_s", 4, kTypeText, true),
    Location("subdivision_1_name_s", 5, kTypeText, true),
    Location("subdivision_2_iso_code_s", 6, kTypeText, true),
    Location("subdivision_2_name_s", 7, kTypeText, true),
    Location("city_name_s", 8, kTypeText, true),
    Location("metro_code_s", 9, kTypeNumber, true),
    Location("time_zone_s", 10, kTypeText, true),
    Location("accuracy_radius_s", 11, kTypeNumber, true),
    Location("registered_country_geoname_id_s", 12, kTypeText, true),
    Location("represented_country_geoname_id_s", 13, kTypeText, true),
    Location("is_anonymous_proxy_s", 14, kTypeBoolean, true),
    Location("is_satellite_provider_s", 15, kTypeBoolean, true),
    Location("postal_code_s", 16, kTypeText, true),
    Location("latitude_s", 17, kTypeDouble, true),
    Location("longitude_s", 18, kTypeDouble, true),
    Location("is_in_european_union_s", 19, kTypeBoolean, true),
    Location("autonomous_system_number_s", 20, kTypeNumber, true),
    Location("autonomous_system_organization_s", 21, kTypeText, true),
    Location("continent_code_d", 0, kTypeText, false),
    Location("continent_name_d", 1, kTypeText, false),
    Location("country_iso_code_d", 2, kTypeText, false),
    Location("country_name_d", 3, kTypeText, false),
    Location("subdivision_1_iso_code_d", 4, kTypeText, false),
    Location("subdivision_1_name_d", 5, kTypeText, false),
    Location("subdivision_2_iso_code_d", 6, kTypeText, false),
    Location("subdivision_2_name_d", 7, kTypeText, false),
    Location("city_name_d", 8, kTypeText, false),
    Location("metro_code_d", 9, kTypeNumber, false),
    Location("time_zone_d", 10, kTypeText, false),
    Location("accuracy_radius_d", 11, kTypeNumber, false),
    Location("registered_country_geoname_id_d", 12, kTypeText, false),
    Location("represented_country_geoname_id_d", 13, kTypeText, false),
    Location("is_anonymous_proxy_d", 14, kTypeBoolean, false),
    Location("is_satellite_provider_d", 15, kTypeBoolean, false),
    Location("postal_code_d", 16, kTypeText, false),
    Location("latitude_d", 17, kTypeDouble, false),
    Location("longitude_d", 18, kTypeDouble, false),
    Location("is_in_european_union_d", 19, kTypeBoolean, false),
    Location("autonomous_system_number_d", 20, kTypeNumber, false),
    Location("autonomous_system_organization_d", 21, kTypeText, false),
    // Reserved: accepted names without any use.
    Reserved("extra"),
    Reserved("extra_value"),
    Reserved("oob_earliest"),
    Reserved("oob_latest"),
    Reserved("oob_time_sec"),
    Reserved("oob_time_usec"),
    Reserved("oob_max_date"),
    Reserved("oob_min_date"),
    Reserved("oob_max_earliest"),
    Reserved("oob_min_latest"),
}};

// The table's entries by one of their ids: the entry's number in kTable,
// or kNoKeyword.
constexpr uint8_t kNoKeyword = 0xFF;
static_assert(kFieldKeywordCount < kNoKeyword);

template <int kLimit, typename IdOf>
constexpr std::array<uint8_t, kLimit> IndexBy(IdOf id_of) {
  std::array<uint8_t, kLimit> index{};
  for (uint8_t& slot : index) slot = kNoKeyword;
  for (size_t i = 0; i < kTable.size(); ++i) {
    const int id = id_of(kTable[i]);
    if (id != 0) index[id] = static_cast<uint8_t>(i);
  }
  return index;
}

constexpr auto kByColumn = IndexBy<kColumnIdLimit>(
    [](const FieldKeyword& keyword) { return int{keyword.column_id}; });
constexpr auto kBySort = IndexBy<kSortIdLimit>(
    [](const FieldKeyword& keyword) { return int{keyword.sort_id}; });
constexpr auto kByCriterion = IndexBy<kCriterionIdLimit>(
    [](const FieldKeyword& keyword) { return int{keyword.criterion_id}; });

template <size_t kLimit>
const FieldKeyword* Lookup(const std::array<uint8_t, kLimit>& index, int id) {
  if (id < 0 || static_cast<size_t>(id) >= kLimit) return nullptr;
  const uint8_t at = index[static_cast<size_t>(id)];
  return at == kNoKeyword ? nullptr : &kTable[at];
}

}  // namespace

std::span<const FieldKeyword> field_keywords() { return kTable; }

const FieldKeyword* KeywordOfColumn(int column) {
  return Lookup(kByColumn, column);
}

const FieldKeyword* KeywordOfSort(int sort) { return Lookup(kBySort, sort); }

const FieldKeyword* KeywordOfCriterion(int criterion) {
  return Lookup(kByCriterion, criterion);
}

const FieldKeyword* find_keyword(std::string_view name) {
  for (const FieldKeyword& keyword : kTable) {
    if (name == keyword.name) return &keyword;
  }
  return nullptr;
}

}  // namespace tnwk
