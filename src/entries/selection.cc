#include "entries/selection.h"

#include <arpa/inet.h>
#include <regex.h>

#include <cstring>

#include "base/ip_protocol.h"
#include "base/numbers.h"
#include "entries/location_fields.h"

namespace tnwk {

namespace {

enum class RangeLookup { kNotRange, kGuarded, kValue };

// The entry's value for a range criterion, or why there is none: the id is
// not a range key, or the entry fails the key's guard.
RangeLookup RangeValue(int field, const LogEntry& e, uint64_t* value) {
  const bool icmp = e.ip_protocol == kProtocolIcmp;
  const bool icmpv6 = e.ip_protocol == kProtocolIcmpv6;
  bool applies = true;
  switch (field) {
    case kCriterionIpProtocol:
      *value = e.ip_protocol;
      break;
    case kCriterionUdpSport:
      applies = e.ip_protocol == kProtocolUdp;
      *value = e.sport;
      break;
    case kCriterionUdpDport:
      applies = e.ip_protocol == kProtocolUdp;
      *value = e.dport;
      break;
    case kCriterionTcpSport:
      applies = e.ip_protocol == kProtocolTcp;
      *value = e.sport;
      break;
    case kCriterionTcpDport:
      applies = e.ip_protocol == kProtocolTcp;
      *value = e.dport;
      break;
    case kCriterionIcmpType:
      applies = icmp;
      *value = e.icmp_type;
      break;
    case kCriterionIcmpCode:
      applies = icmp;
      *value = e.icmp_code;
      break;
    case kCriterionIcmpv6Type:
      applies = icmpv6;
      *value = e.icmp_type;
      break;
    case kCriterionIcmpv6Code:
      applies = icmpv6;
      *value = e.icmp_code;
      break;
    case kCriterionAhespSpi:
      applies = e.ip_protocol == kProtocolEsp || e.ip_protocol == kProtocolAh;
      *value = e.ahesp_spi;
      break;
    case kCriterionIpTos:
      *value = e.ip_tos;
      break;
    case kCriterionIpTtl:
      *value = e.ip_ttl;
      break;
    case kCriterionIpIhl:
      *value = e.ip_ihl;
      break;
    case kCriterionIpTotlen:
      *value = e.ip_totlen;
      break;
    case kCriterionIpId:
      *value = e.ip_id;
      break;
    case kCriterionIpCsum:
      *value = e.ip_csum;
      break;
    case kCriterionIpFragoff:
      *value = e.ip_fragoff;
      break;
    case kCriterionIp6Flowlabel:
      *value = e.ip6_flowlabel;
      break;
    case kCriterionIp6Payloadlen:
      *value = e.ip6_payloadlen;
      break;
    case kCriterionOobFamily:
      *value = e.oob_family;
      break;
    case kCriterionOobMark:
      *value = e.oob_mark;
      break;
    case kCriterionTcpSeq:
      *value = e.tcp_seq;
      break;
    case kCriterionTcpAckseq:
      *value = e.tcp_ackseq;
      break;
    case kCriterionTcpWindow:
      *value = e.tcp_window;
      break;
    case kCriterionTcpUrgp:
      *value = e.tcp_urgp;
      break;
    case kCriterionUdpLen:
      *value = e.udp_len;
      break;
    case kCriterionOobProtocol:
      *value = e.oob_protocol;
      break;
    case kCriterionIcmpEchoid:
      applies = icmp && (e.icmp_type == 0 || e.icmp_type == 8);
      *value = e.icmp_echoid;
      break;
    case kCriterionIcmpEchoseq:
      applies = icmp && (e.icmp_type == 0 || e.icmp_type == 8);
      *value = e.icmp_echoseq;
      break;
    case kCriterionIcmpv6Echoid:
      applies = icmpv6 && (e.icmp_type == 128 || e.icmp_type == 129);
      *value = e.icmp_echoid;
      break;
    case kCriterionIcmpv6Echoseq:
      applies = icmpv6 && (e.icmp_type == 128 || e.icmp_type == 129);
      *value = e.icmp_echoseq;
      break;
    case kCriterionIcmpFragmtu:
      applies = icmp && e.icmp_type == 3 && e.icmp_code == 4;
      *value = e.icmp_fragmtu;
      break;
    default:
      return RangeLookup::kNotRange;
  }
  return applies ? RangeLookup::kValue : RangeLookup::kGuarded;
}

// The entry's text for a text criterion, or nullptr for other ids.
const char* TextValue(int field, const LogEntry& e) {
  switch (field) {
    case kCriterionLocalHostname:
      return e.local_hostname.c_str();
    case kCriterionOobIn:
      return e.oob_in.c_str();
    case kCriterionOobOut:
      return e.oob_out.c_str();
    case kCriterionOobPrefix:
      return e.oob_prefix.c_str();
    case kCriterionMacSaddrStr:
      return e.mac_saddr_str.c_str();
    case kCriterionMacDaddrStr:
      return e.mac_daddr_str.c_str();
    case kCriterionRawMac:
      return e.raw_mac.c_str();
    default:
      return nullptr;
  }
}

bool TcpFlagsFit(uint8_t flags, uint64_t value) {
  if ((value & kTcpFlagExact) != 0) return flags == (value & ~kTcpFlagExact);
  return (flags & value) != 0 || (flags == 0 && value == 0);
}

}  // namespace

bool prefix_equal(const uint8_t* a, const uint8_t* b, unsigned bits) {
  if (bits > 128) bits = 128;
  unsigned bytes = bits / 8;
  if (std::memcmp(a, b, bytes) != 0) return false;
  unsigned rest = bits % 8;
  if (rest == 0) return true;
  uint8_t mask = static_cast<uint8_t>(0xFF << (8 - rest));
  return ((a[bytes] ^ b[bytes]) & mask) == 0;
}

Selection::Selection(const ReportDefinition& definition, const Options& options,
                     const Diagnostics& diag, RunState run_state)
    : definition_(definition),
      run_state_(run_state),
      summarize_(options.summarize),
      diag_(diag) {}

bool Selection::Ignored(const SelectionCriterion& criterion) const {
  KeyState state = state_[criterion.field];
  return criterion.invert ? state == KeyState::kFailed
                          : state == KeyState::kPassed;
}

void Selection::ApplyRange(const SelectionCriterion& criterion,
                           uint64_t value) {
  if (Ignored(criterion)) return;
  bool inside = criterion.value <= value && value <= criterion.max_value;
  Set(criterion, criterion.invert ? !inside : inside);
}

void Selection::ApplyDoubleRange(const SelectionCriterion& criterion,
                                 double value) {
  if (Ignored(criterion)) return;
  bool inside = criterion.dvalue <= value && value <= criterion.max_dvalue;
  Set(criterion, criterion.invert ? !inside : inside);
}

bool Selection::ApplyLocation(const SelectionCriterion& criterion,
                              const LogEntry& entry) {
  const int field = criterion.field;
  const bool source = field < kCriterionLocationDestinationBase;
  const auto which = static_cast<LocationField>(
      field - (source ? kCriterionLocationSourceBase
                      : kCriterionLocationDestinationBase));
  switch (KindOfLocationField(which)) {
    case LocationKind::kNumber:
      ApplyRange(criterion, LocationNumber(entry, source, which));
      return true;
    case LocationKind::kDouble:
      ApplyDoubleRange(criterion, LocationDouble(entry, source, which));
      return true;
    case LocationKind::kYesNo:
      // "null" (-1) stands for the unknown byte 255.
      return static_cast<int8_t>(LocationYesNo(entry, source, which)) ==
             criterion.boolean;
    case LocationKind::kText:
      break;
  }
  int result = criterion.regex.Execute(LocationText(entry, source, which));
  if (result == 0 && criterion.invert) return false;
  if (result == REG_NOMATCH && !criterion.invert) return false;
  return true;
}

void Selection::ApplyAddress(const SelectionCriterion& criterion,
                             uint16_t family, uint32_t v4, const uint8_t* v6) {
  if (Ignored(criterion)) return;
  if (criterion.family != family) {
    Set(criterion, criterion.invert != 0);
    return;
  }
  bool match;
  if (family == kFamilyIpv4) {
    match = (ntohl(v4) & criterion.netmask) == criterion.addr;
  } else if (family == kFamilyIpv6 && v6 != nullptr) {
    match = prefix_equal(v6, criterion.in6_addr.data(), criterion.in6_bits);
  } else {
    return;
  }
  Set(criterion, criterion.invert ? !match : match);
}

bool Selection::select_entry(const LogEntry& entry) {
  // Most reports select nothing: then no key needs clearing for each line.
  if (definition_.criteria.empty()) return true;
  state_.fill(KeyState::kOpen);
  const uint8_t location_flags = run_state_.skipped_criteria;
  for (const SelectionCriterion& criterion : definition_.criteria) {
    if (criterion.have_value == -1) continue;
    const int field = criterion.field;
    if (field >= kCriterionLocationSourceBase && field < kCriterionIdLimit) {
      // Criteria on data that no database provides cannot decide.
      const int k =
          (field - kCriterionLocationSourceBase) % kLocationFieldCount;
      if (location_flags &
          (k >= kLocAutonomousSystemNumber ? kSkipAsCriteria
                                           : kSkipLocationCriteria)) {
        continue;
      }
      if (!ApplyLocation(criterion, entry)) return false;
      continue;
    }
    if (criterion.geoip != 0) continue;  // a location tag on another key
    uint64_t value = 0;
    switch (RangeValue(field, entry, &value)) {
      case RangeLookup::kValue:
        ApplyRange(criterion, value);
        continue;
      case RangeLookup::kGuarded:
        continue;
      case RangeLookup::kNotRange:
        break;
    }
    if (const char* text = TextValue(field, entry)) {
      int result = criterion.regex.Execute(text);
      if (result == 0 && criterion.invert) return false;
      if (result == REG_NOMATCH && !criterion.invert) return false;
      continue;
    }
    switch (field) {
      case kCriterionIpSaddr:
        ApplyAddress(criterion, entry.oob_family, entry.ip_saddr.v4,
                     entry.ip_saddr.v6);
        break;
      case kCriterionIpDaddr:
        ApplyAddress(criterion, entry.oob_family, entry.ip_daddr.v4,
                     entry.ip_daddr.v6);
        break;
      case kCriterionIcmpGateway:
        // The gateway is an IPv4 address only; an IPv6 entry has none to
        // compare with an IPv6 criterion, which leaves the key open.
        if (entry.ip_protocol == kProtocolIcmp && entry.icmp_type == 5) {
          ApplyAddress(criterion, entry.oob_family, entry.icmp_gateway,
                       nullptr);
        }
        break;
      case kCriterionTcpFlags:
        if (entry.ip_protocol == kProtocolTcp &&
            (entry.tcp_flags & kTcpFlagsUnknown) == 0 &&
            !TcpFlagsFit(entry.tcp_flags, criterion.value)) {
          return false;
        }
        break;
      case kCriterionMinDate:
        if (entry.local_time < static_cast<int64_t>(criterion.value)) {
          return false;
        }
        break;
      case kCriterionMaxDate:
        if (entry.local_time > static_cast<int64_t>(criterion.value)) {
          return false;
        }
        break;
      default:
        diag_.Log(3, "Skipping unrecognized selection key during parse: %u\n",
                  static_cast<unsigned>(field));
        break;
    }
  }
  for (KeyState state : state_) {
    if (state == KeyState::kFailed) return false;
  }
  return true;
}

void Selection::filter_rows(ReportRows* rows) const {
  if (!summarize_) return;
  const int64_t max_earliest = static_cast<int64_t>(definition_.max_earliest);
  const int64_t min_latest = static_cast<int64_t>(definition_.min_latest);
  std::deque<ReportEntry*> kept;
  uint64_t count_sum = 0;
  for (ReportEntry* row : rows->rows()) {
    const uint64_t count = rows->count(row);
    if (definition_.min_count != 0 && count < definition_.min_count) {
      continue;
    }
    if (definition_.max_count != 0 && count > definition_.max_count) {
      continue;
    }
    if (max_earliest != 0 && rows->earliest(row) > max_earliest) continue;
    if (min_latest != 0 && rows->latest(row) < min_latest) continue;
    // The kept rows end up in the reverse of their old order, oldest first.
    kept.push_front(row);
    count_sum = SaturatingAdd(count_sum, count);
  }
  rows->row_count = kept.size();
  rows->count_sum = count_sum;
  rows->mutable_rows().swap(kept);
}

}  // namespace tnwk
