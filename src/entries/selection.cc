#include "entries/selection.h"

#include <arpa/inet.h>
#include <regex.h>

#include <cstring>

#include "base/numbers.h"
#include "entries/field_keywords.h"
#include "entries/location_fields.h"

namespace tnwk {

namespace {

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

bool Selection::ApplyField(const SelectionCriterion& criterion,
                           const LogEntry& entry) {
  const int field = criterion.field;
  const FieldKeyword* keyword = KeywordOfCriterion(field);
  const int type = keyword != nullptr ? keyword->criterion_type : kTypeNone;
  // A criterion whose guard the entry fails leaves its key open.
  switch (type) {
    case kTypeNumber:
    case kTypeProtocol:
      if (FitsGuard(keyword->criterion_guard, entry)) {
        ApplyRange(criterion, FieldNumber(entry, keyword->field));
      }
      return true;
    case kTypeText: {
      int result = criterion.regex.Execute(FieldText(entry, keyword->field));
      if (result == 0 && criterion.invert) return false;
      return !(result == REG_NOMATCH && !criterion.invert);
    }
    case kTypeAddress:
      if (!FitsGuard(keyword->criterion_guard, entry)) return true;
      // The gateway is an IPv4 address only; an IPv6 entry has none to
      // compare with an IPv6 criterion, which leaves the key open.
      if (keyword->field == RowField::kIcmpGateway) {
        ApplyAddress(criterion, entry.oob_family, entry.icmp_gateway, nullptr);
      } else {
        const AddressBlock& address = FieldAddress(entry, keyword->field);
        ApplyAddress(criterion, entry.oob_family, address.v4, address.v6);
      }
      return true;
    case kTypeBoolean:
      // The flag keywords all arrive folded into tcp_flags.
      if (field != kCriterionTcpFlags) break;
      return !FitsGuard(keyword->criterion_guard, entry) ||
             (entry.tcp_flags & kTcpFlagsUnknown) != 0 ||
             TcpFlagsFit(entry.tcp_flags, criterion.value);
    case kTypeDate: {
      const auto date = static_cast<int64_t>(criterion.value);
      return field == kCriterionMinDate ? entry.local_time >= date
                                        : entry.local_time <= date;
    }
    default:
      break;
  }
  diag_.Log(3, "Skipping unrecognized selection key during parse: %u\n",
            static_cast<unsigned>(field));
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
    if (!ApplyField(criterion, entry)) return false;
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
  std::deque<RowRef> kept;
  uint64_t count_sum = 0;
  for (RowRef row : rows->rows()) {
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
  rows->count_sum = count_sum;
  rows->mutable_rows().swap(kept);
}

}  // namespace tnwk
