#ifndef TNWK_ENTRIES_REPORT_ROWS_H_
#define TNWK_ENTRIES_REPORT_ROWS_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <utility>
#include <vector>

#include "entries/large_block.h"
#include "entries/log_entry.h"
#include "entries/row_layout.h"
#include "entries/text_pool.h"

namespace tnwk {

// The addresses of one accepted line, kept for the full cache population
// when "populate_cache_full" is on.
struct AddressDetail {
  uint64_t entry_no = 0;  // the row the line was folded into
  uint8_t ip_protocol = 0;
  AddressBlock ip_saddr;
  AddressBlock ip_daddr;
  uint32_t sport = 0;
  uint32_t dport = 0;
};

// A handle of one row of a ReportRows table: how the table hands its rows
// out, whole or compact. Only the table that made it reads it.
class RowRef {
 public:
  RowRef() = default;
  friend bool operator==(RowRef, RowRef) = default;

 private:
  friend class ReportRows;
  explicit RowRef(unsigned char* record) : record_(record) {}
  unsigned char* record_ = nullptr;
};

// The table of report rows of one run and the texts they point into.
//
// Contract: rows() is the row list in list order, head first. While the
// aggregation runs, the head is the newest row (rows are pushed at the
// head); the end-of-input filter and the sorting reorder it. Rows live, and
// keep their places, as long as this object; rows dropped by the filter
// leave the list but are not reused. address_details() is the newest-first
// list of AddressDetail records.
//
// Rows are stored as the layout says, and read through this object
// whatever the layout: Row() gives the fields of a row as a ReportEntry,
// and the accessors below read and write single fields.
class ReportRows {
  using F = RowField;

 public:
  explicit ReportRows(RowLayout layout = RowLayout())
      : layout_(std::move(layout)) {}
  ReportRows(const ReportRows&) = delete;
  ReportRows& operator=(const ReportRows&) = delete;

  const RowLayout& layout() const { return layout_; }

  // Stores a row with the values of `row` (its texts already the pool's) and
  // puts it at the head of the list. Returns its handle.
  RowRef AddRow(const ReportEntry& row);
  // The handle of the `n`th row stored, from 0, and how many are stored.
  RowRef RowAt(size_t n) const;
  size_t rows_stored() const;

  // The row behind `row`: the stored record itself when it is whole, else
  // its stored fields among `fields` unpacked into `scratch`, whose other
  // fields stay as they were. Without `address_texts` the texts of the
  // addresses may be left alone too.
  const ReportEntry& Row(RowRef row, ReportEntry* scratch,
                         const RowFieldSet& fields,
                         bool address_texts = true) const;
  const ReportEntry& Row(RowRef row, ReportEntry* scratch) const {
    return Row(row, scratch, layout_.stored());
  }

  uint64_t count(RowRef row) const { return At<uint64_t>(row, F::kCount); }
  int64_t earliest(RowRef row) const { return At<int64_t>(row, F::kEarliest); }
  int64_t latest(RowRef row) const { return At<int64_t>(row, F::kLatest); }
  uint64_t entry_no(RowRef row) const { return At<uint64_t>(row, F::kEntryNo); }
  uint64_t multiplicity(RowRef row) const {
    return At<uint64_t>(row, F::kMultiplicity);
  }
  const char* sname(RowRef row) const {
    return At<const char*>(row, F::kSname);
  }
  void set_count(RowRef row, uint64_t value) { Put(row, F::kCount, value); }
  void set_earliest(RowRef row, int64_t value) {
    Put(row, F::kEarliest, value);
  }
  void set_latest(RowRef row, int64_t value) { Put(row, F::kLatest, value); }

  const std::deque<RowRef>& rows() const { return list_; }
  std::deque<RowRef>& mutable_rows() { return list_; }

  // The rows the report counts: each row of the list as many times as it
  // stands for (its multiplicity).
  uint64_t row_count() const;

  TextPool& texts() { return texts_; }

  std::deque<AddressDetail>& address_details() { return address_details_; }
  const std::deque<AddressDetail>& address_details() const {
    return address_details_;
  }

  // The last entry_no given out; the first row gets 1.
  uint64_t row_counter = 0;
  // Sum of the counts of the rows the filter kept; 0 without the filter.
  uint64_t count_sum = 0;

 private:
  // A field of a row: its bytes in the record, or the default of a field
  // the layout does not store.
  template <typename T>
  T At(RowRef row, RowField field) const {
    if (!layout_.Stores(field)) return Default<T>(field);
    T value;
    std::memcpy(&value, row.record_ + layout_.OffsetOf(field), sizeof value);
    return value;
  }
  template <typename T>
  void Put(RowRef row, RowField field, T value) {
    if (layout_.Stores(field)) {
      std::memcpy(row.record_ + layout_.OffsetOf(field), &value, sizeof value);
    }
  }
  template <typename T>
  static T Default(RowField field) {
    static const ReportEntry defaults;
    T value;
    std::memcpy(&value,
                reinterpret_cast<const unsigned char*>(&defaults) +
                    PlaceOf(field).offset,
                sizeof value);
    return value;
  }
  size_t RowsPerChunk() const { return kChunkBytes / layout_.row_bytes(); }
  unsigned char* Slot();

  static constexpr size_t kChunkBytes = 2 * kLargePageBytes;

  RowLayout layout_;
  // Rows are carved out of large chunks: one allocation per thousands of
  // rows instead of one per row.
  std::vector<LargeBlock> chunks_;
  size_t chunk_used_ = 0;
  std::deque<RowRef> list_;
  TextPool texts_;
  std::deque<AddressDetail> address_details_;
  std::vector<RowLayout::SideAddress> side_addresses_;
};

}  // namespace tnwk

#endif  // TNWK_ENTRIES_REPORT_ROWS_H_
