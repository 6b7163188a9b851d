#ifndef TNWK_ENTRIES_FIELD_KEYWORDS_H_
#define TNWK_ENTRIES_FIELD_KEYWORDS_H_

#include <cstdint>
#include <span>
#include <string_view>

#include "base/ip_protocol.h"
#include "entries/entry_fields.h"
#include "entries/log_entry.h"

namespace tnwk {

// The field keyword table: every report field the front end can name as a
// column, a sort field or a selection criterion, with the numeric identities
// under which the output, aggregation, sorting and selection know it. The
// table is constant; identity 0 always means "cannot be used that way".

// Column ids (FieldKeyword::column_id, ReportColumn::column).
inline constexpr int kColumnId = 1;
inline constexpr int kColumnSname = 2;
inline constexpr int kColumnCount = 3;
inline constexpr int kColumnLocalHostname = 4;
inline constexpr int kColumnLocalTime = 5;
inline constexpr int kColumnEarliest = 6;
inline constexpr int kColumnLatest = 7;
inline constexpr int kColumnOobPrefix = 8;
inline constexpr int kColumnOobMark = 9;
inline constexpr int kColumnOobProtocol = 10;
inline constexpr int kColumnMacSaddrStr = 11;
inline constexpr int kColumnMacDaddrStr = 12;
inline constexpr int kColumnRawMac = 13;
inline constexpr int kColumnOobIn = 14;
inline constexpr int kColumnOobOut = 15;
inline constexpr int kColumnIpProtocol = 16;
inline constexpr int kColumnIpSaddr = 17;
inline constexpr int kColumnSrcHost = 18;
inline constexpr int kColumnSport = 19;
inline constexpr int kColumnSrcService = 20;
inline constexpr int kColumnIpDaddr = 21;
inline constexpr int kColumnDstHost = 22;
inline constexpr int kColumnDport = 23;
inline constexpr int kColumnDstService = 24;
inline constexpr int kColumnIpId = 25;
inline constexpr int kColumnIpCsum = 26;
inline constexpr int kColumnIpFragoff = 27;
inline constexpr int kColumnIpIhl = 28;
inline constexpr int kColumnIpTos = 29;
inline constexpr int kColumnIpTtl = 30;
inline constexpr int kColumnIp6Flowlabel = 31;
inline constexpr int kColumnIp6Payloadlen = 32;
inline constexpr int kColumnIpTotlen = 33;
inline constexpr int kColumnOobFamily = 34;
inline constexpr int kColumnIcmpType = 35;
inline constexpr int kColumnIcmpCode = 36;
inline constexpr int kColumnTcpSeq = 37;
inline constexpr int kColumnTcpAckseq = 38;
inline constexpr int kColumnTcpWindow = 39;
inline constexpr int kColumnTcpOptions = 40;
inline constexpr int kColumnTcpUrgp = 41;
inline constexpr int kColumnUdpLen = 42;
inline constexpr int kColumnIcmpEchoid = 43;
inline constexpr int kColumnIcmpEchoseq = 44;
inline constexpr int kColumnIcmpFragmtu = 45;
inline constexpr int kColumnIcmpGateway = 46;
inline constexpr int kColumnAhespSpi = 47;
// Location and AS columns: base + LocationField (source 48..69, destination
// 70..91).
inline constexpr int kColumnLocationSourceBase = 48;
inline constexpr int kColumnLocationDestinationBase = 70;
// One past the highest column id; sizes per-column arrays.
inline constexpr int kColumnIdLimit = 92;

// Sort ids (FieldKeyword::sort_id, SortField::sort). 31 and 32 are unused.
inline constexpr int kSortId = 1;
inline constexpr int kSortSname = 2;
inline constexpr int kSortCount = 3;
inline constexpr int kSortEarliest = 4;
inline constexpr int kSortLatest = 5;
inline constexpr int kSortIpProtocol = 6;
inline constexpr int kSortIpSaddr = 7;
inline constexpr int kSortSport = 8;
inline constexpr int kSortIpDaddr = 9;
inline constexpr int kSortDport = 10;
inline constexpr int kSortIcmpType = 11;
inline constexpr int kSortIcmpCode = 12;
inline constexpr int kSortIcmpEchoid = 13;
inline constexpr int kSortIcmpEchoseq = 14;
inline constexpr int kSortIcmpFragmtu = 15;
inline constexpr int kSortIcmpGateway = 16;
inline constexpr int kSortIpId = 17;
inline constexpr int kSortIpIhl = 18;
inline constexpr int kSortIpTos = 19;
inline constexpr int kSortIpTotlen = 20;
inline constexpr int kSortIpTtl = 21;
inline constexpr int kSortIp6Flowlabel = 22;
inline constexpr int kSortIp6Payloadlen = 23;
inline constexpr int kSortOobFamily = 24;
inline constexpr int kSortLocalHostname = 25;
inline constexpr int kSortOobIn = 26;
inline constexpr int kSortOobOut = 27;
inline constexpr int kSortOobMark = 28;
inline constexpr int kSortOobPrefix = 29;
inline constexpr int kSortLocalTime = 30;
inline constexpr int kSortOobProtocol = 33;
inline constexpr int kSortMacSaddrStr = 34;
inline constexpr int kSortMacDaddrStr = 35;
inline constexpr int kSortRawMac = 36;
inline constexpr int kSortIpFragoff = 37;
inline constexpr int kSortIpCsum = 38;
inline constexpr int kSortAhespSpi = 39;
inline constexpr int kSortTcpSeq = 40;
inline constexpr int kSortTcpAckseq = 41;
inline constexpr int kSortTcpWindow = 42;
inline constexpr int kSortUdpLen = 43;
inline constexpr int kSortTcpUrgp = 44;
inline constexpr int kSortTcpOptions = 45;
// Location and AS sort fields: base + LocationField (source 46..67,
// destination 68..89).
inline constexpr int kSortLocationSourceBase = 46;
inline constexpr int kSortLocationDestinationBase = 68;
inline constexpr int kSortIdLimit = 90;

// Criterion ids (FieldKeyword::criterion_id, SelectionCriterion::field).
// After folding, the selection only ever sees kCriterionTcpFlags for the TCP
// flag keywords and kCriterionIpFragoff for ip_df / ip_mf.
inline constexpr int kCriterionMinDate = 1;
inline constexpr int kCriterionMaxDate = 2;
inline constexpr int kCriterionIpProtocol = 3;
inline constexpr int kCriterionIpSaddr = 4;
inline constexpr int kCriterionIpDaddr = 5;
inline constexpr int kCriterionUdpSport = 6;
inline constexpr int kCriterionUdpDport = 7;
inline constexpr int kCriterionIcmpType = 8;
inline constexpr int kCriterionIcmpCode = 9;
inline constexpr int kCriterionIcmpv6Type = 10;
inline constexpr int kCriterionIcmpv6Code = 11;
inline constexpr int kCriterionLocalHostname = 12;
inline constexpr int kCriterionOobIn = 13;
inline constexpr int kCriterionOobOut = 14;
inline constexpr int kCriterionOobPrefix = 15;
inline constexpr int kCriterionTcpSport = 16;
inline constexpr int kCriterionTcpDport = 17;
inline constexpr int kCriterionTcpFlags = 18;
inline constexpr int kCriterionTcpSyn = 19;
inline constexpr int kCriterionTcpAck = 20;
inline constexpr int kCriterionTcpFin = 21;
inline constexpr int kCriterionTcpRst = 22;
inline constexpr int kCriterionTcpPsh = 23;
inline constexpr int kCriterionTcpUrg = 24;
inline constexpr int kCriterionTcpOptions = 25;
inline constexpr int kCriterionAhespSpi = 26;
inline constexpr int kCriterionIpTos = 27;
inline constexpr int kCriterionIpTtl = 28;
inline constexpr int kCriterionIpIhl = 29;
inline constexpr int kCriterionIpTotlen = 30;
inline constexpr int kCriterionIpId = 31;
inline constexpr int kCriterionIpCsum = 32;
inline constexpr int kCriterionIpDf = 33;
inline constexpr int kCriterionIpMf = 34;
inline constexpr int kCriterionIpFragoff = 35;
inline constexpr int kCriterionIp6Flowlabel = 36;
inline constexpr int kCriterionIp6Payloadlen = 37;
inline constexpr int kCriterionOobFamily = 38;
inline constexpr int kCriterionOobMark = 39;
inline constexpr int kCriterionTcpSeq = 40;
inline constexpr int kCriterionTcpAckseq = 41;
inline constexpr int kCriterionTcpWindow = 42;
inline constexpr int kCriterionTcpUrgp = 43;
inline constexpr int kCriterionIcmpEchoid = 44;
inline constexpr int kCriterionIcmpEchoseq = 45;
inline constexpr int kCriterionIcmpGateway = 46;
inline constexpr int kCriterionIcmpFragmtu = 47;
inline constexpr int kCriterionIcmpv6Echoid = 48;
inline constexpr int kCriterionIcmpv6Echoseq = 49;
inline constexpr int kCriterionUdpLen = 50;
inline constexpr int kCriterionOobProtocol = 51;
inline constexpr int kCriterionMacDaddrStr = 52;
inline constexpr int kCriterionMacSaddrStr = 53;
inline constexpr int kCriterionRawMac = 54;
// Location and AS criteria: base + LocationField (source 55..76,
// destination 77..98).
inline constexpr int kCriterionLocationSourceBase = 55;
inline constexpr int kCriterionLocationDestinationBase = 77;
inline constexpr int kCriterionIdLimit = 99;

// The location and AS fields, in the order their ids count up from the
// bases above.
enum LocationField : int {
  kLocContinentCode = 0,
  kLocContinentName = 1,
  kLocCountryIsoCode = 2,
  kLocCountryName = 3,
  kLocSubdivision1IsoCode = 4,
  kLocSubdivision1Name = 5,
  kLocSubdivision2IsoCode = 6,
  kLocSubdivision2Name = 7,
  kLocCityName = 8,
  kLocMetroCode = 9,
  kLocTimeZone = 10,
  kLocAccuracyRadius = 11,
  kLocRegisteredCountryGeonameId = 12,
  kLocRepresentedCountryGeonameId = 13,
  kLocIsAnonymousProxy = 14,
  kLocIsSatelliteProvider = 15,
  kLocPostalCode = 16,
  kLocLatitude = 17,
  kLocLongitude = 18,
  kLocIsInEuropeanUnion = 19,
  kLocAutonomousSystemNumber = 20,
  kLocAutonomousSystemOrganization = 21,
  kLocationFieldCount = 22,
};

// Criterion value kinds (FieldKeyword::criterion_type). The first seven are
// also the stored SelectionCriterion::type; kTypeFlagNumber is stored as
// kTypeNumber.
inline constexpr int kTypeNone = 0;
inline constexpr int kTypeNumber = 1;
inline constexpr int kTypeDouble = 2;
inline constexpr int kTypeText = 3;
inline constexpr int kTypeBoolean = 4;
inline constexpr int kTypeAddress = 5;
inline constexpr int kTypeProtocol = 6;
inline constexpr int kTypeDate = 7;
inline constexpr int kTypeFlagNumber = 8;
inline constexpr int kTypeCountLimit = 9;
inline constexpr int kTypeTimeLimit = 10;
inline constexpr int kTypeLineId = 11;

// Which aggregate limit of the definition a limit keyword sets.
enum class AggregateLimit : uint8_t {
  kNone,
  kMinCount,
  kMaxCount,
  kMinLatest,
  kMaxEarliest,
};

// How the cell, the sort pass and the row matching of a keyword's column
// read its field.
enum class FieldKind : uint8_t {
  kNone,      // no column
  kLineId,    // id: a number; sorts by file name, then number; never splits
  kCounter,   // count: a number that never splits rows
  kTime,      // local_time, earliest, latest: signed cell, sorted unsigned,
              // never splits rows
  kNumber,    // an unsigned number
  kProtocol,  // ip_protocol: a number printed as its name
  kTcpFlags,  // tcp_options: the flag byte printed as letters
  kGateway,   // icmp_gateway: an IPv4 address in network byte order
  kText,      // a text
  kAddress,   // ip_saddr, ip_daddr: compared under the row's family
  kHost,      // src_host, dst_host: the name, else the name cache's;
              // never splits rows
  kService,   // src_service, dst_service: likewise
  kLocation,  // a location or AS field
};

// The packets a protocol-bound field belongs to; a cell of a field whose
// guard the row fails is empty, and a criterion whose guard the entry fails
// does not apply to it.
enum class ProtocolGuard : uint8_t {
  kNone,
  kTcp,
  kUdp,
  kTcpOrUdp,
  kIcmp,
  kIcmpv6,
  kIcmpOrIcmpv6,
  kIcmpEcho,             // ICMP echo request or reply
  kIcmpv6Echo,           // ICMPv6 echo request or reply
  kEcho,                 // either of the two above
  kFragmentationNeeded,  // ICMP destination unreachable, fragmentation needed
  kRedirect,             // ICMP redirect
  kEspOrAh,
};

inline constexpr uint8_t kIcmpEchoReply = 0;
inline constexpr uint8_t kIcmpUnreachable = 3;
inline constexpr uint8_t kIcmpCodeFragmentationNeeded = 4;
inline constexpr uint8_t kIcmpRedirect = 5;
inline constexpr uint8_t kIcmpEchoRequest = 8;
inline constexpr uint8_t kIcmpv6EchoRequest = 128;
inline constexpr uint8_t kIcmpv6EchoReply = 129;

// True when `values` is a packet that `guard` admits.
inline bool FitsGuard(ProtocolGuard guard, const EntryValues& values) {
  const uint8_t protocol = values.ip_protocol;
  const uint8_t type = values.icmp_type;
  const bool icmp_echo = protocol == kProtocolIcmp &&
                         (type == kIcmpEchoReply || type == kIcmpEchoRequest);
  const bool icmpv6_echo =
      protocol == kProtocolIcmpv6 &&
      (type == kIcmpv6EchoRequest || type == kIcmpv6EchoReply);
  switch (guard) {
    case ProtocolGuard::kNone:
      return true;
    case ProtocolGuard::kTcp:
      return protocol == kProtocolTcp;
    case ProtocolGuard::kUdp:
      return protocol == kProtocolUdp;
    case ProtocolGuard::kTcpOrUdp:
      return protocol == kProtocolTcp || protocol == kProtocolUdp;
    case ProtocolGuard::kIcmp:
      return protocol == kProtocolIcmp;
    case ProtocolGuard::kIcmpv6:
      return protocol == kProtocolIcmpv6;
    case ProtocolGuard::kIcmpOrIcmpv6:
      return protocol == kProtocolIcmp || protocol == kProtocolIcmpv6;
    case ProtocolGuard::kIcmpEcho:
      return icmp_echo;
    case ProtocolGuard::kIcmpv6Echo:
      return icmpv6_echo;
    case ProtocolGuard::kEcho:
      return icmp_echo || icmpv6_echo;
    case ProtocolGuard::kFragmentationNeeded:
      return protocol == kProtocolIcmp && type == kIcmpUnreachable &&
             values.icmp_code == kIcmpCodeFragmentationNeeded;
    case ProtocolGuard::kRedirect:
      return protocol == kProtocolIcmp && type == kIcmpRedirect;
    case ProtocolGuard::kEspOrAh:
      return protocol == kProtocolEsp || protocol == kProtocolAh;
  }
  return true;
}

// One table entry. `column_selected` says whether the keyword has a
// column-selected flag; the flags themselves are per-definition state
// (ReportDefinition::column_selected, indexed by column_id).
//
// `field` is the row field the keyword's column, sort and criterion read
// (for location keywords the side's location reference), and `companion`
// the second field its column reads: the family of an address, the address
// of a host name, the port of a service name, the AS reference of a
// location field.
struct FieldKeyword {
  const char* name;
  uint8_t sort_id;
  int32_t criterion_id;
  uint8_t criterion_type;
  AggregateLimit aggregate_limit;
  bool column_selected;
  uint8_t column_id;
  uint8_t cache_bits;     // ORed into Options::cache_flags as a column
  uint8_t location_bits;  // ORed into Options::location_flags
  RowField field;
  RowField companion;
  FieldKind kind;
  ProtocolGuard column_guard;
  ProtocolGuard criterion_guard;
};

inline constexpr int kFieldKeywordCount = 128;

// All 128 entries.
std::span<const FieldKeyword> field_keywords();

// The entry named exactly `name` (case-sensitive), or nullptr.
const FieldKeyword* find_keyword(std::string_view name);

// The entry of a column, sort or criterion id, or nullptr for an id no
// entry has. Each is one lookup in a table indexed by the id.
const FieldKeyword* KeywordOfColumn(int column);
const FieldKeyword* KeywordOfSort(int sort);
const FieldKeyword* KeywordOfCriterion(int criterion);

// The location or AS field of a location keyword (kind kLocation), and
// whether it is of the source side.
inline bool IsSourceLocation(const FieldKeyword& keyword) {
  return keyword.field == RowField::kSrcLocation;
}
inline LocationField LocationOf(const FieldKeyword& keyword) {
  return static_cast<LocationField>(keyword.column_id -
                                    (IsSourceLocation(keyword)
                                         ? kColumnLocationSourceBase
                                         : kColumnLocationDestinationBase));
}

}  // namespace tnwk

#endif  // TNWK_ENTRIES_FIELD_KEYWORDS_H_
