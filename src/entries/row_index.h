#ifndef TNWK_ENTRIES_ROW_INDEX_H_
#define TNWK_ENTRIES_ROW_INDEX_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "entries/field_keywords.h"
#include "entries/large_block.h"
#include "entries/log_entry.h"
#include "entries/report_definition.h"
#include "entries/report_rows.h"

namespace tnwk {

// The fields on which a summarizing report tells its rows apart: exactly the
// matchable columns the report selects. The columns id, count, local_time,
// earliest, latest and the host and service names never split rows.
class RowKey {
 public:
  explicit RowKey(const ReportDefinition& definition);

  // True when `row` takes `entry`. Address columns compare under the row's
  // family: the IPv4 parts for an IPv4 row, the IPv6 parts for an IPv6 row,
  // nothing for any other family. sname compares over its first 128
  // characters, every other text in full.
  bool Matches(const ReportEntry& row, const LogEntry& entry) const;

  // Hashes of the key fields. Whenever Matches(row, entry) holds,
  // Hash(row) == Hash(entry, ModeOf(row.oob_family)).
  uint64_t Hash(const ReportEntry& row) const;
  uint64_t Hash(const LogEntry& entry, int mode) const;

  // How addresses enter the key for a row of `family`: 0 IPv4 parts, 1 IPv6
  // parts, 2 not at all. Always 0 when no address column is selected.
  int ModeOf(uint16_t family) const;
  static constexpr int kModes = 3;

 private:
  struct TextField {
    RowField field;
    size_t limit;  // leading characters that decide
  };
  template <typename Row>
  uint64_t HashValues(const Row& row, int mode) const;

  bool saddr_ = false;
  bool daddr_ = false;
  std::vector<RowField> number_fields_;
  std::vector<TextField> text_fields_;
  std::vector<const FieldKeyword*> location_fields_;
};

// Finds the row a summarized entry belongs to in constant expected time.
// The result is the one the newest-first walk over all rows with
// RowKey::Matches would find: the matching row stored last.
class RowIndex {
 public:
  explicit RowIndex(const ReportDefinition& definition);

  // The newest row of `rows` that takes `entry`, if any.
  std::optional<RowRef> Find(const LogEntry& entry,
                             const ReportRows& rows) const;
  // Adds the row stored `n`th in the table (ReportRows::RowAt), whose
  // values are `row`; its key fields must not change afterwards.
  void Add(size_t n, const ReportEntry& row);

  const RowKey& key() const { return key_; }

 private:
  // Slots are kept small so that the table of a large report stays in
  // the cache as long as possible: the lower half of the hash (which also
  // places the slot, tables never reaching 2^32 slots), and the number of
  // the row in the table plus one (0 for an empty slot).
  struct Slot {
    uint32_t tag = 0;
    uint32_t row = 0;
  };
  // Open addressing with linear probing, at most half full. `capacity` is
  // a power of two (or 0 before the first row).
  struct Table {
    LargeBlock block;
    Slot* slots = nullptr;
    size_t capacity = 0;
    size_t used = 0;
  };
  static void Resize(Table& table, size_t capacity);
  static void Insert(Table& table, uint32_t tag, uint32_t row);

  RowKey key_;
  std::array<Table, RowKey::kModes> tables_;
  // Where compact rows are unpacked to be compared, and the fields that
  // matching reads.
  mutable ReportEntry scratch_;
  RowFieldSet key_fields_;
};

}  // namespace tnwk

#endif  // TNWK_ENTRIES_ROW_INDEX_H_
