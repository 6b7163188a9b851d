#include "entries/field_keywords.h"

#include <array>

#include "entries/options.h"

namespace tnwk {
namespace {

constexpr FieldKeyword Field(const char* name, int column, int sort,
                             int criterion, int type, bool selected,
                             uint8_t cache_bits = 0) {
  return FieldKeyword{name,
                      static_cast<uint8_t>(sort),
                      criterion,
                      static_cast<uint8_t>(type),
                      AggregateLimit::kNone,
                      selected,
                      static_cast<uint8_t>(column),
                      cache_bits,
                      0};
}

constexpr FieldKeyword Limit(const char* name, int type, AggregateLimit limit) {
  return FieldKeyword{name, 0, 0, static_cast<uint8_t>(type), limit, false,
                      0,    0, 0};
}

constexpr FieldKeyword Reserved(const char* name) {
  return FieldKeyword{name,  0, 0, kTypeNone, AggregateLimit::kNone,
                      false, 0, 0, 0};
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
  return FieldKeyword{name,
                      static_cast<uint8_t>(sort),
                      criterion,
                      static_cast<uint8_t>(type),
                      AggregateLimit::kNone,
                      true,
                      static_cast<uint8_t>(column),
                      0,
                      bits};
}

constexpr bool kYes = true;
constexpr bool kNo = false;

constexpr std::array<FieldKeyword, kFieldKeywordCount> kTable = {{
    // IP header.
    Field("ip_protocol", 16, 6, 3, kTypeProtocol, kYes),
    Field("ip_saddr", 17, 7, 4, kTypeAddress, kYes),
    Field("ip_daddr", 21, 9, 5, kTypeAddress, kYes),
    Field("ip_totlen", 33, 20, 30, kTypeNumber, kYes),
    Field("ip_tos", 29, 19, 27, kTypeNumber, kYes),
    Field("ip_ttl", 30, 21, 28, kTypeNumber, kYes),
    Field("ip_ihl", 28, 18, 29, kTypeNumber, kYes),
    Field("ip_csum", 26, 38, 32, kTypeNumber, kYes),
    Field("ip_id", 25, 17, 31, kTypeNumber, kYes),
    Field("ip_fragoff", 27, 37, 35, kTypeNumber, kYes),
    Field("ip_df", 0, 0, 33, kTypeFlagNumber, kNo),
    Field("ip_mf", 0, 0, 34, kTypeFlagNumber, kNo),
    Field("ip6_payloadlen", 32, 23, 37, kTypeNumber, kYes),
    Field("ip6_flowlabel", 31, 22, 36, kTypeNumber, kYes),
    Field("oob_family", 34, 24, 38, kTypeNumber, kYes),
    Field("ahesp_spi", 47, 39, 26, kTypeNumber, kYes),
    // Ports, hosts and services.
    Field("sport", 19, 8, 0, kTypeNone, kYes),
    Field("dport", 23, 10, 0, kTypeNone, kYes),
    Field("tcp_sport", 0, 0, 16, kTypeNumber, kNo),
    Field("tcp_dport", 0, 0, 17, kTypeNumber, kNo),
    Field("udp_sport", 0, 0, 6, kTypeNumber, kNo),
    Field("udp_dport", 0, 0, 7, kTypeNumber, kNo),
    Field("src_host", 18, 0, 0, kTypeNone, kYes, kCacheNameColumn),
    Field("dst_host", 22, 0, 0, kTypeNone, kYes, kCacheNameColumn),
    Field("src_service", 20, 0, 0, kTypeNone, kYes, kCacheNameColumn),
    Field("dst_service", 24, 0, 0, kTypeNone, kYes, kCacheNameColumn),
    // TCP and UDP.
    Field("tcp_seq", 37, 40, 40, kTypeNumber, kYes),
    Field("tcp_ackseq", 38, 41, 41, kTypeNumber, kYes),
    Field("tcp_window", 39, 42, 42, kTypeNumber, kYes),
    Field("tcp_urgp", 41, 44, 43, kTypeNumber, kYes),
    Field("tcp_options", 40, 45, 25, kTypeBoolean, kYes),
    Field("tcp_flags", 0, 0, 18, kTypeBoolean, kNo),
    Field("tcp_syn", 0, 0, 19, kTypeBoolean, kNo),
    Field("tcp_ack", 0, 0, 20, kTypeBoolean, kNo),
    Field("tcp_fin", 0, 0, 21, kTypeBoolean, kNo),
    Field("tcp_rst", 0, 0, 22, kTypeBoolean, kNo),
    Field("tcp_psh", 0, 0, 23, kTypeBoolean, kNo),
    Field("tcp_urg", 0, 0, 24, kTypeBoolean, kNo),
    Field("udp_len", 42, 43, 50, kTypeNumber, kYes),
    // ICMP: columns and sorts without the underscore, criteria with it.
    Field("icmptype", 35, 11, 0, kTypeNone, kYes),
    Field("icmpcode", 36, 12, 0, kTypeNone, kYes),
    Field("icmpechoid", 43, 13, 0, kTypeNone, kYes),
    Field("icmpechoseq", 44, 14, 0, kTypeNone, kYes),
    Field("icmp_type", 0, 0, 8, kTypeNumber, kNo),
    Field("icmp_code", 0, 0, 9, kTypeNumber, kNo),
    Field("icmp_echoid", 0, 0, 44, kTypeNumber, kNo),
    Field("icmp_echoseq", 0, 0, 45, kTypeNumber, kNo),
    Field("icmpv6_type", 0, 0, 10, kTypeNumber, kNo),
    Field("icmpv6_code", 0, 0, 11, kTypeNumber, kNo),
    Field("icmpv6_echoid", 0, 0, 48, kTypeNumber, kNo),
    Field("icmpv6_echoseq", 0, 0, 49, kTypeNumber, kNo),
    Field("icmp_gateway", 46, 16, 46, kTypeAddress, kYes),
    Field("icmp_fragmtu", 45, 15, 47, kTypeNumber, kYes),
    // Interfaces, link layer and log text.
    Field("local_hostname", 4, 25, 12, kTypeText, kYes),
    Field("oob_prefix", 8, 29, 15, kTypeText, kYes),
    Field("oob_in", 14, 26, 13, kTypeText, kYes),
    Field("oob_out", 15, 27, 14, kTypeText, kYes),
    Field("oob_mark", 9, 28, 39, kTypeNumber, kYes),
    Field("oob_protocol", 10, 33, 51, kTypeNumber, kYes),
    Field("mac_saddr_str", 11, 34, 53, kTypeText, kYes),
    Field("mac_daddr_str", 12, 35, 52, kTypeText, kYes),
    Field("raw_mac", 13, 36, 54, kTypeText, kYes),
    // Line, row and time.
    Field("id", 1, 1, 0, kTypeLineId, kNo),
    Field("sname", 2, 2, 0, kTypeNone, kYes),
    Field("count", 3, 3, 0, kTypeNone, kYes),
    Field("local_time", 5, 30, 0, kTypeNone, kYes),
    Field("earliest", 6, 4, 0, kTypeNone, kYes),
    Field("latest", 7, 5, 0, kTypeNone, kYes),
    Field("min_date", 0, 0, 1, kTypeDate, kNo),
    Field("max_date", 0, 0, 2, kTypeDate, kNo),
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

}  // namespace

std::span<const FieldKeyword> field_keywords() { return kTable; }

const FieldKeyword* find_keyword(std::string_view name) {
  for (const FieldKeyword& keyword : kTable) {
    if (name == keyword.name) return &keyword;
  }
  return nullptr;
}

}  // namespace tnwk
