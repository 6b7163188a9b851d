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

// The table of report rows of one run and the texts they point into.
//
// Contract: rows() is the row list in list order, head first. While the
// aggregation runs, the head is the newest row (rows are pushed at the
// head); the end-of-input filter and the sorting reorder it. Rows live, and
// keep their addresses, as long as this object; rows dropped by the filter
// leave the list but are not reused. address_details() is the newest-first
// list of AddressDetail records.
//
// Rows are stored as the layout says. With whole records the list holds the
// rows themselves. With compact records (layout().compact()) the list holds
// handles that only this object can read: Row() unpacks one into a
// ReportEntry, and the accessors below read and write the counts and times.
// The accessors work on both kinds.
class ReportRows {
 public:
  explicit ReportRows(RowLayout layout = RowLayout())
      : layout_(std::move(layout)) {}
  ReportRows(const ReportRows&) = delete;
  ReportRows& operator=(const ReportRows&) = delete;

  const RowLayout& layout() const { return layout_; }

  // A new row in stable storage holding `values`, its texts empty; not yet
  // in the list. Whole records only.
  ReportEntry& Allocate(const EntryValues& values);
  // Puts `row` at the head of the list.
  void PushFront(ReportEntry* row) { list_.push_front(row); }

  // Stores a row with the values of `row` (its texts already the pool's) and
  // puts it at the head of the list. Returns its handle.
  ReportEntry* AddRow(const ReportEntry& row);
  // The handle of the `n`th row stored, from 0, and how many are stored.
  ReportEntry* RowAt(size_t n) const;
  size_t rows_stored() const { return rows_stored_; }

  // The row behind `handle`: with whole records the row itself, else its
  // stored fields among `fields` unpacked into `scratch`, whose other fields
  // stay as they were.
  const ReportEntry& Row(const ReportEntry* handle, ReportEntry* scratch,
                         const RowFieldSet& fields,
                         bool address_texts = true) const;
  const ReportEntry& Row(const ReportEntry* handle,
                         ReportEntry* scratch) const {
    return Row(handle, scratch, layout_.stored());
  }

  uint64_t count(const ReportEntry* handle) const {
    return Get<uint64_t>(handle, RowField::kCount, &ReportEntry::count);
  }
  void set_count(ReportEntry* handle, uint64_t value) {
    Put(handle, RowField::kCount, &ReportEntry::count, value);
  }
  int64_t earliest(const ReportEntry* handle) const {
    return Get<int64_t>(handle, RowField::kEarliest, &ReportEntry::earliest);
  }
  void set_earliest(ReportEntry* handle, int64_t value) {
    Put(handle, RowField::kEarliest, &ReportEntry::earliest, value);
  }
  int64_t latest(const ReportEntry* handle) const {
    return Get<int64_t>(handle, RowField::kLatest, &ReportEntry::latest);
  }
  void set_latest(ReportEntry* handle, int64_t value) {
    Put(handle, RowField::kLatest, &ReportEntry::latest, value);
  }
  uint64_t entry_no(const ReportEntry* handle) const {
    return Get<uint64_t>(handle, RowField::kEntryNo, &ReportEntry::entry_no);
  }
  uint64_t multiplicity(const ReportEntry* handle) const {
    return Get<uint64_t>(handle, RowField::kMultiplicity,
                         &ReportEntry::multiplicity);
  }
  const char* sname(const ReportEntry* handle) const {
    return Get<const char*>(handle, RowField::kSname, &ReportEntry::sname);
  }

  const std::deque<ReportEntry*>& rows() const { return list_; }
  std::deque<ReportEntry*>& mutable_rows() { return list_; }

  TextPool& texts() { return texts_; }

  std::deque<AddressDetail>& address_details() { return address_details_; }
  const std::deque<AddressDetail>& address_details() const {
    return address_details_;
  }

  // The last entry_no given out; the first row gets 1.
  uint64_t row_counter = 0;
  // Rows created, or after the end-of-input filter the rows kept.
  uint64_t row_count = 0;
  // Sum of the counts of the rows the filter kept; 0 without the filter.
  uint64_t count_sum = 0;

 private:
  // A field of a row: the member of a whole record, or the bytes of a
  // compact one (the layout's default when it does not store the field).
  template <typename T, typename Member>
  T Get(const ReportEntry* handle, RowField field, Member member) const {
    if (!layout_.compact()) return handle->*member;
    if (!layout_.Stores(field)) {
      static const ReportEntry defaults;
      return defaults.*member;
    }
    T value;
    std::memcpy(&value,
                reinterpret_cast<const unsigned char*>(handle) +
                    layout_.OffsetOf(field),
                sizeof value);
    return value;
  }
  template <typename T, typename Member>
  void Put(ReportEntry* handle, RowField field, Member member, T value) {
    if (!layout_.compact()) {
      handle->*member = value;
    } else if (layout_.Stores(field)) {
      std::memcpy(
          reinterpret_cast<unsigned char*>(handle) + layout_.OffsetOf(field),
          &value, sizeof value);
    }
  }
  void* Slot();

  RowLayout layout_;
  // Rows are carved out of large chunks: one allocation per thousands of
  // rows instead of one per row.
  std::vector<LargeBlock> chunks_;
  size_t chunk_used_ = 0;
  size_t rows_stored_ = 0;
  std::deque<ReportEntry*> list_;
  TextPool texts_;
  std::deque<AddressDetail> address_details_;
  std::vector<RowLayout::SideAddress> side_addresses_;
};

}  // namespace tnwk

#endif  // TNWK_ENTRIES_REPORT_ROWS_H_
