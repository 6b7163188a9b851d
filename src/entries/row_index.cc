#include "entries/row_index.h"

#include <cstring>
#include <functional>
#include <memory>
#include <string_view>

#include "entries/location_fields.h"

namespace tnwk {

namespace {

bool LocationEqual(const EntryValues& a, const EntryValues& b,
                   const FieldKeyword& keyword) {
  const bool source = IsSourceLocation(keyword);
  const LocationField field = LocationOf(keyword);
  switch (KindOfLocationField(field)) {
    case LocationKind::kNumber:
      return LocationNumber(a, source, field) ==
             LocationNumber(b, source, field);
    case LocationKind::kDouble:
      return LocationDouble(a, source, field) ==
             LocationDouble(b, source, field);
    case LocationKind::kYesNo:
      return LocationYesNo(a, source, field) == LocationYesNo(b, source, field);
    case LocationKind::kText:
      break;
  }
  return std::strncmp(LocationText(a, source, field),
                      LocationText(b, source, field), 128) == 0;
}

// A hash of the location or AS field that agrees whenever LocationEqual
// does: texts over their first 128 characters, the two zeros of a double
// alike.
uint64_t LocationHash(const EntryValues& v, const FieldKeyword& keyword) {
  const bool source = IsSourceLocation(keyword);
  const LocationField field = LocationOf(keyword);
  switch (KindOfLocationField(field)) {
    case LocationKind::kNumber:
      return LocationNumber(v, source, field);
    case LocationKind::kDouble: {
      double d = LocationDouble(v, source, field);
      if (d == 0.0) return 0;
      uint64_t bits;
      std::memcpy(&bits, &d, sizeof bits);
      return bits;
    }
    case LocationKind::kYesNo:
      return LocationYesNo(v, source, field);
    case LocationKind::kText:
      break;
  }
  const char* text = LocationText(v, source, field);
  return std::hash<std::string_view>{}(
      std::string_view(text, strnlen(text, 128)));
}

bool AddressEqual(uint16_t row_family, const AddressBlock& row,
                  const AddressBlock& entry) {
  if (row_family == kFamilyIpv4) return row.v4 == entry.v4;
  if (row_family == kFamilyIpv6) {
    return std::memcmp(row.v6, entry.v6, sizeof row.v6) == 0;
  }
  return true;
}

inline uint64_t Mix(uint64_t h, uint64_t v) {
  h ^= v + 0x9E3779B97F4A7C15ULL + (h << 6) + (h >> 2);
  return h;
}

inline uint64_t Finish(uint64_t h) {
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDULL;
  h ^= h >> 33;
  h *= 0xC4CEB9FE1A85EC53ULL;
  h ^= h >> 33;
  return h;
}

uint64_t HashAddress(const AddressBlock& address, int mode) {
  if (mode == 0) return address.v4;
  uint64_t high, low;
  std::memcpy(&high, address.v6, 8);
  std::memcpy(&low, address.v6 + 8, 8);
  return Mix(high, low);
}

}  // namespace

RowKey::RowKey(const ReportDefinition& definition) {
  for (int column = 0; column < kColumnIdLimit; ++column) {
    const FieldKeyword* keyword = KeywordOfColumn(column);
    if (keyword == nullptr || !definition.IsColumnSelected(column)) continue;
    switch (keyword->kind) {
      case FieldKind::kNumber:
      case FieldKind::kProtocol:
      case FieldKind::kTcpFlags:
      case FieldKind::kGateway:
        number_fields_.push_back(keyword->field);
        break;
      case FieldKind::kText:
        // sname is compared over 128 of its 256 bytes, so two long file
        // names that share their first 128 characters fold into one row.
        text_fields_.push_back(
            {keyword->field, keyword->field == RowField::kSname
                                 ? size_t{128}
                                 : TextCapacity(keyword->field)});
        break;
      case FieldKind::kAddress:
        (keyword->field == RowField::kIpSaddr ? saddr_ : daddr_) = true;
        break;
      case FieldKind::kLocation:
        location_fields_.push_back(keyword);
        break;
      default:
        // Line ids, counts, times and names never split rows.
        break;
    }
  }
}

int RowKey::ModeOf(uint16_t family) const {
  if (!saddr_ && !daddr_) return 0;
  if (family == kFamilyIpv4) return 0;
  if (family == kFamilyIpv6) return 1;
  return 2;
}

bool RowKey::Matches(const ReportEntry& row, const LogEntry& entry) const {
  if (saddr_ && !AddressEqual(row.oob_family, row.ip_saddr, entry.ip_saddr)) {
    return false;
  }
  if (daddr_ && !AddressEqual(row.oob_family, row.ip_daddr, entry.ip_daddr)) {
    return false;
  }
  for (RowField field : number_fields_) {
    if (FieldNumber(row, field) != FieldNumber(entry, field)) return false;
  }
  for (const TextField& text : text_fields_) {
    if (std::strncmp(FieldText(row, text.field), FieldText(entry, text.field),
                     text.limit) != 0) {
      return false;
    }
  }
  for (const FieldKeyword* keyword : location_fields_) {
    if (!LocationEqual(row, entry, *keyword)) return false;
  }
  return true;
}

template <typename Row>
uint64_t RowKey::HashValues(const Row& row, int mode) const {
  uint64_t h = static_cast<uint64_t>(mode);
  if (mode != 2) {
    if (saddr_) h = Mix(h, HashAddress(row.ip_saddr, mode));
    if (daddr_) h = Mix(h, HashAddress(row.ip_daddr, mode));
  }
  for (RowField field : number_fields_) h = Mix(h, FieldNumber(row, field));
  for (const TextField& text : text_fields_) {
    const char* chars = FieldText(row, text.field);
    std::string_view view(chars, strnlen(chars, text.limit));
    h = Mix(h, std::hash<std::string_view>{}(view));
  }
  for (const FieldKeyword* keyword : location_fields_) {
    h = Mix(h, LocationHash(row, *keyword));
  }
  return Finish(h);
}

uint64_t RowKey::Hash(const ReportEntry& row) const {
  return HashValues(row, ModeOf(row.oob_family));
}

uint64_t RowKey::Hash(const LogEntry& entry, int mode) const {
  return HashValues(entry, mode);
}

RowIndex::RowIndex(const ReportDefinition& definition) : key_(definition) {
  key_fields_.set(static_cast<size_t>(RowField::kOobFamily));
  for (int column = 0; column < kColumnIdLimit; ++column) {
    if (definition.IsColumnSelected(column)) {
      key_fields_ |= FieldsOfColumn(column);
    }
  }
}

std::optional<RowRef> RowIndex::Find(const LogEntry& entry,
                                     const ReportRows& rows) const {
  std::optional<RowRef> best;
  uint32_t best_number = 0;
  // Rows of different families can all take the entry, since the row's
  // family decides how addresses compare; the walk would stop at the
  // newest of them.
  for (int mode = 0; mode < RowKey::kModes; ++mode) {
    const Table& table = tables_[mode];
    if (table.used == 0) continue;
    uint64_t hash = key_.Hash(entry, mode);
    uint32_t tag = static_cast<uint32_t>(hash);
    size_t mask = table.capacity - 1;
    for (size_t i = tag & mask; table.slots[i].row != 0; i = (i + 1) & mask) {
      const Slot& slot = table.slots[i];
      if (slot.tag != tag || slot.row <= best_number) continue;
      const RowRef row = rows.RowAt(slot.row - 1);
      if (key_.Matches(rows.Row(row, &scratch_, key_fields_, false), entry)) {
        best = row;
        best_number = slot.row;
      }
    }
  }
  return best;
}

void RowIndex::Add(size_t n, const ReportEntry& row) {
  Table& table = tables_[key_.ModeOf(row.oob_family)];
  if ((table.used + 1) * 2 > table.capacity) {
    Resize(table, table.capacity == 0 ? 16 : table.capacity * 2);
  }
  Insert(table, static_cast<uint32_t>(key_.Hash(row)),
         static_cast<uint32_t>(n + 1));
}

void RowIndex::Resize(Table& table, size_t capacity) {
  Table old = std::move(table);
  table.block = AllocateLargeBlock(capacity * sizeof(Slot));
  table.slots = static_cast<Slot*>(table.block.get());
  table.capacity = capacity;
  table.used = 0;
  std::uninitialized_value_construct_n(table.slots, capacity);
  for (size_t i = 0; i < old.capacity; ++i) {
    if (old.slots[i].row != 0)
      Insert(table, old.slots[i].tag, old.slots[i].row);
  }
}

void RowIndex::Insert(Table& table, uint32_t tag, uint32_t row) {
  size_t mask = table.capacity - 1;
  size_t i = tag & mask;
  while (table.slots[i].row != 0) i = (i + 1) & mask;
  table.slots[i] = {tag, row};
  ++table.used;
}

}  // namespace tnwk
