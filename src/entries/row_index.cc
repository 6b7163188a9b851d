#include "entries/row_index.h"

#include <cstring>
#include <functional>
#include <memory>
#include <string_view>

#include "entries/location_fields.h"

namespace tnwk {

namespace {

// The numeric columns that split rows, each compared on its whole value.
constexpr int kNumberColumns[] = {
    kColumnDport,       kColumnSport,         kColumnIpProtocol,
    kColumnTcpOptions,  kColumnOobMark,       kColumnOobProtocol,
    kColumnOobFamily,   kColumnIpId,          kColumnIpCsum,
    kColumnIpFragoff,   kColumnIpIhl,         kColumnIpTos,
    kColumnIpTtl,       kColumnIp6Payloadlen, kColumnIp6Flowlabel,
    kColumnIcmpType,    kColumnIcmpCode,      kColumnIpTotlen,
    kColumnTcpSeq,      kColumnTcpAckseq,     kColumnTcpWindow,
    kColumnTcpUrgp,     kColumnUdpLen,        kColumnIcmpEchoid,
    kColumnIcmpEchoseq, kColumnIcmpGateway,   kColumnIcmpFragmtu,
    kColumnAhespSpi,
};

uint64_t NumberField(const EntryValues& v, int column) {
  switch (column) {
    case kColumnDport:
      return v.dport;
    case kColumnSport:
      return v.sport;
    case kColumnIpProtocol:
      return v.ip_protocol;
    case kColumnTcpOptions:
      return v.tcp_flags;
    case kColumnOobMark:
      return v.oob_mark;
    case kColumnOobProtocol:
      return v.oob_protocol;
    case kColumnOobFamily:
      return v.oob_family;
    case kColumnIpId:
      return v.ip_id;
    case kColumnIpCsum:
      return v.ip_csum;
    case kColumnIpFragoff:
      return v.ip_fragoff;
    case kColumnIpIhl:
      return v.ip_ihl;
    case kColumnIpTos:
      return v.ip_tos;
    case kColumnIpTtl:
      return v.ip_ttl;
    case kColumnIp6Payloadlen:
      return v.ip6_payloadlen;
    case kColumnIp6Flowlabel:
      return v.ip6_flowlabel;
    case kColumnIcmpType:
      return v.icmp_type;
    case kColumnIcmpCode:
      return v.icmp_code;
    case kColumnIpTotlen:
      return v.ip_totlen;
    case kColumnTcpSeq:
      return v.tcp_seq;
    case kColumnTcpAckseq:
      return v.tcp_ackseq;
    case kColumnTcpWindow:
      return v.tcp_window;
    case kColumnTcpUrgp:
      return v.tcp_urgp;
    case kColumnUdpLen:
      return v.udp_len;
    case kColumnIcmpEchoid:
      return v.icmp_echoid;
    case kColumnIcmpEchoseq:
      return v.icmp_echoseq;
    case kColumnIcmpGateway:
      return v.icmp_gateway;
    case kColumnIcmpFragmtu:
      return v.icmp_fragmtu;
    case kColumnAhespSpi:
      return v.ahesp_spi;
    default:
      return 0;
  }
}

// The text columns that split rows and how many leading characters decide.
// sname is compared over 128 of its 256 bytes, so two long file names that
// share their first 128 characters fold into one row.
struct TextColumnLimit {
  int column;
  size_t limit;
};
constexpr TextColumnLimit kTextColumns[] = {
    {kColumnOobIn, 128},  {kColumnOobPrefix, 128},   {kColumnLocalHostname, 33},
    {kColumnOobOut, 128}, {kColumnMacSaddrStr, 128}, {kColumnMacDaddrStr, 128},
    {kColumnRawMac, 512}, {kColumnSname, 128},
};

template <typename Text>
const char* Chars(const Text& text) {
  return text.c_str();
}
inline const char* Chars(const char* text) { return text; }

// One accessor for LogEntry (fixed texts) and ReportEntry (pooled texts).
template <typename Row>
const char* TextField(const Row& row, int column) {
  switch (column) {
    case kColumnOobIn:
      return Chars(row.oob_in);
    case kColumnOobPrefix:
      return Chars(row.oob_prefix);
    case kColumnLocalHostname:
      return Chars(row.local_hostname);
    case kColumnOobOut:
      return Chars(row.oob_out);
    case kColumnMacSaddrStr:
      return Chars(row.mac_saddr_str);
    case kColumnMacDaddrStr:
      return Chars(row.mac_daddr_str);
    case kColumnRawMac:
      return Chars(row.raw_mac);
    case kColumnSname:
      return Chars(row.sname);
    default:
      return "";
  }
}

bool LocationEqual(const EntryValues& a, const EntryValues& b, int column) {
  bool source = column < kColumnLocationDestinationBase;
  auto field = static_cast<LocationField>(
      column -
      (source ? kColumnLocationSourceBase : kColumnLocationDestinationBase));
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
uint64_t LocationHash(const EntryValues& v, int column) {
  bool source = column < kColumnLocationDestinationBase;
  auto field = static_cast<LocationField>(
      column -
      (source ? kColumnLocationSourceBase : kColumnLocationDestinationBase));
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
  saddr_ = definition.IsColumnSelected(kColumnIpSaddr);
  daddr_ = definition.IsColumnSelected(kColumnIpDaddr);
  for (int column : kNumberColumns) {
    if (definition.IsColumnSelected(column)) number_columns_.push_back(column);
  }
  for (const TextColumnLimit& text : kTextColumns) {
    if (definition.IsColumnSelected(text.column)) {
      text_columns_.push_back({text.column, text.limit});
    }
  }
  for (int column = kColumnLocationSourceBase; column < kColumnIdLimit;
       ++column) {
    if (definition.IsColumnSelected(column)) {
      location_columns_.push_back(column);
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
  for (int column : number_columns_) {
    if (NumberField(row, column) != NumberField(entry, column)) return false;
  }
  for (const TextColumn& text : text_columns_) {
    if (std::strncmp(TextField(row, text.column), TextField(entry, text.column),
                     text.limit) != 0) {
      return false;
    }
  }
  for (int column : location_columns_) {
    if (!LocationEqual(row, entry, column)) return false;
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
  for (int column : number_columns_) h = Mix(h, NumberField(row, column));
  for (const TextColumn& text : text_columns_) {
    const char* chars = TextField(row, text.column);
    std::string_view view(chars, strnlen(chars, text.limit));
    h = Mix(h, std::hash<std::string_view>{}(view));
  }
  for (int column : location_columns_) h = Mix(h, LocationHash(row, column));
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

ReportEntry* RowIndex::Find(const LogEntry& entry,
                            const ReportRows& rows) const {
  ReportEntry* best = nullptr;
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
      ReportEntry* row = rows.RowAt(slot.row - 1);
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
