#include "entries/sorting.h"

#include <arpa/inet.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "entries/field_keywords.h"
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
  const FieldKeyword* keyword = KeywordOfSort(sort_key);
  if (keyword == nullptr) {
    *known = false;
    return 0;
  }
  const RowField field = keyword->field;
  switch (keyword->kind) {
    case FieldKind::kLineId: {
      int result = TextOrder(a.sname, b.sname);
      return result != 0 ? result : Order(a.id, b.id);
    }
    case FieldKind::kText:
      return TextOrder(FieldText(a, field), FieldText(b, field));
    case FieldKind::kAddress:
      return AddressOrder(a.oob_family, FieldAddress(a, field), b.oob_family,
                          FieldAddress(b, field));
    case FieldKind::kGateway:
      if (a.oob_family != b.oob_family) {
        return Order(a.oob_family, b.oob_family);
      }
      if (a.oob_family != kFamilyIpv4) return 0;
      return Order(ntohl(a.icmp_gateway), ntohl(b.icmp_gateway));
    case FieldKind::kLocation:
      return LocationOrder(a, b, IsSourceLocation(*keyword),
                           LocationOf(*keyword));
    default:
      // Numbers, and times as unsigned numbers.
      return Order(FieldNumber(a, field), FieldNumber(b, field));
  }
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
void MergeSort(std::deque<RowRef>& rows, After after) {
  const size_t n = rows.size();
  if (n == 0) return;
  std::vector<RowRef> from(rows.begin(), rows.end());
  std::vector<RowRef> to(n);
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

void sort_rows(ReportRows* rows, int sort_key, bool descending,
               const Diagnostics& diag) {
  // Compact rows are compared on the fields of the pass only, unpacked.
  const RowFieldSet fields = FieldsOfSort(sort_key);
  ReportEntry left, right;
  MergeSort(rows->mutable_rows(), [&](RowRef a, RowRef b) {
    return compare_rows(rows->Row(a, &left, fields),
                        rows->Row(b, &right, fields), sort_key, descending,
                        diag);
  });
}

void SortReportRows(ReportRows* rows, const ReportDefinition& definition,
                    const Diagnostics& diag) {
  diag.Log(1, "Sorting data\n");
  for (const SortField& field : definition.sort_fields) {
    if (field.position == kSortPlaceholderPosition) break;
    sort_rows(rows, field.sort, field.descending != 0, diag);
    diag.Log(5, ".");
  }
  diag.Log(5, "\n");
}

}  // namespace tnwk
