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
#define TNWK_PLACE(id, member, ...)                                      \
  places[static_cast<size_t>(F::id)] = {                                 \
      static_cast<size_t>(                                               \
          reinterpret_cast<const unsigned char*>(&probe.member) - base), \
      sizeof probe.member};
  TNWK_VALUE_FIELDS(TNWK_PLACE)
  TNWK_ROW_ONLY_FIELDS(TNWK_PLACE)
  TNWK_TEXT_FIELDS(TNWK_PLACE)
#undef TNWK_PLACE
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
  const FieldKeyword* keyword = KeywordOfColumn(column);
  RowFieldSet set;
  if (keyword == nullptr || keyword->kind == FieldKind::kNone) return set;
  set.set(static_cast<size_t>(keyword->field));
  if (keyword->companion != F::kNone) {
    set.set(static_cast<size_t>(keyword->companion));
  }
  return set;
}

RowFieldSet FieldsOfSort(int sort_key) {
  const FieldKeyword* keyword = KeywordOfSort(sort_key);
  if (keyword == nullptr) return {};
  RowFieldSet set = FieldsOfColumn(keyword->column_id);
  // Line numbers order within their file; gateways under the family.
  if (keyword->kind == FieldKind::kLineId) set |= Set({F::kSname});
  if (keyword->kind == FieldKind::kGateway) set |= Set({F::kOobFamily});
  return set;
}

RowLayout::RowLayout() : row_bytes_(sizeof(ReportEntry)) {
  stored_.set();
  for (size_t i = 0; i < kRowFieldCount; ++i) {
    offsets_[i] = PlaceOf(static_cast<RowField>(i)).offset;
  }
}

RowLayout::RowLayout(const ReportDefinition& definition, const Options& options,
                     bool timewarp_messages) {
  // The cache steps read the shown rows through the name cache, which may
  // read any field: such runs keep whole records.
  if ((options.cache_flags &
       (kCachePopulate | kCacheUpdHosts | kCachePopulateFull)) != 0) {
    *this = RowLayout();
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
    const AddressBlock& address = FieldAddress(row, slot.field);
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
    AddressBlock& address = FieldAddress(*row, slot.field);
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
