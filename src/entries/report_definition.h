#ifndef TNWK_ENTRIES_REPORT_DEFINITION_H_
#define TNWK_ENTRIES_REPORT_DEFINITION_H_

#include <array>
#include <cstdint>
#include <deque>
#include <vector>

#include "base/address_family.h"
#include "base/fixed_text.h"
#include "entries/compiled_pattern.h"
#include "entries/field_keywords.h"

namespace tnwk {

// One report column. The list `ReportDefinition::columns` is in print order
// (ascending position).
struct ReportColumn {
  int32_t column = 0;  // FieldKeyword::column_id, one of the kColumn* ids
  FixedText<128> name;
  int32_t position = 0;
};

// Position of a sort field made by an "o_" line before any "s_" line named
// its key. The sorting stops at the first placeholder.
inline constexpr int32_t kSortPlaceholderPosition = 35767;

// One sort key. `ReportDefinition::sort_fields` lists them from the head:
// the sorting applies them in that order, so the last one is the primary
// key.
struct SortField {
  int32_t sort = 0;  // FieldKeyword::sort_id, one of the kSort* ids
  FixedText<128> name;
  int32_t descending = 0;  // 1: descending
  int32_t position = 0;    // kSortPlaceholderPosition: placeholder
};

// TCP flag bits of a folded tcp_flags criterion's `value`.
inline constexpr uint64_t kTcpFlagSyn = 0x01;
inline constexpr uint64_t kTcpFlagAck = 0x02;
inline constexpr uint64_t kTcpFlagFin = 0x04;
inline constexpr uint64_t kTcpFlagRst = 0x08;
inline constexpr uint64_t kTcpFlagPsh = 0x10;
inline constexpr uint64_t kTcpFlagUrg = 0x20;
inline constexpr uint64_t kTcpFlagExact = 0x40;  // from tcp_options

// One selection test. `field` is a kCriterion* id after folding (the TCP
// flag keywords arrive as kCriterionTcpFlags, ip_df / ip_mf as
// kCriterionIpFragoff); `type` one of kTypeNumber .. kTypeDate.
struct SelectionCriterion {
  int32_t field = -1;
  FixedText<128> key;
  int32_t type = 0;
  uint64_t value = 0;
  uint64_t max_value = 0;
  double dvalue = 0.0;
  double max_dvalue = 0.0;
  FixedText<128> svalue;  // for display: first list item, or the date text
  CompiledPattern regex;  // text criteria; "." by default
  int8_t boolean = -1;    // 1, 0, or -1 for "null"
  uint16_t family = kFamilyIpv4;  // kFamilyIpv4 or kFamilyIpv6
  uint32_t addr = 0;              // IPv4, host byte order, masked
  uint32_t netmask = 0xFFFFFFFF;  // host byte order
  std::array<uint8_t, 16> in6_addr{};
  uint8_t in6_bits = 128;
  uint8_t invert = 0;      // non-zero: the test is negated
  int32_t have_value = 0;  // -1: made by an "i_" line alone; skip it
  uint8_t geoip = 0;       // location_bits of the keyword
};

// The whole report definition apart from the options: the column, sort and
// criteria lists, the count of sort lines, the aggregate limits, the
// column-selected flags and the OR of the ip_df / ip_mf values. Built once
// by the definition reader, read-only afterwards.
struct ReportDefinition {
  std::vector<ReportColumn> columns;  // print order
  // How many leading columns are in print order; the definition reader
  // appends the rest in line order and puts them in place once at the end.
  size_t ordered_columns = 0;
  std::vector<SortField> sort_fields;        // from the head
  // Newest first. A deque, so that putting each at the front keeps a
  // definition of many criteria linear to read.
  std::deque<SelectionCriterion> criteria;
  uint32_t sort_count = 0;  // sort lines read, repeats of a field included
  uint32_t aggregate_criteria_count = 0;

  // Aggregate limits; 0 = no limit. Times are seconds since the epoch.
  uint64_t min_count = 0;
  uint64_t max_count = 0;
  uint64_t max_earliest = 0;
  uint64_t min_latest = 0;

  int32_t fragoff_bits = 0;

  // Column-selected flags, indexed by column id (kColumn*): 1 when the
  // report lists that column. Only keywords with FieldKeyword::
  // column_selected ever set theirs.
  std::array<uint8_t, kColumnIdLimit> column_selected{};

  bool IsColumnSelected(int column_id) const {
    return column_id > 0 && column_id < kColumnIdLimit &&
           column_selected[column_id] != 0;
  }
  void ClearColumnSelected() { column_selected.fill(0); }

  // The limit variable that a limit keyword names; nullptr for kNone.
  uint64_t* LimitFor(AggregateLimit limit);
  void ClearLimits() { min_count = max_count = max_earliest = min_latest = 0; }
};

}  // namespace tnwk

#endif  // TNWK_ENTRIES_REPORT_DEFINITION_H_
