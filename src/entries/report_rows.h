#ifndef TNWK_ENTRIES_REPORT_ROWS_H_
#define TNWK_ENTRIES_REPORT_ROWS_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "entries/large_block.h"
#include "entries/log_entry.h"
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
class ReportRows {
 public:
  ReportRows() = default;
  ReportRows(const ReportRows&) = delete;
  ReportRows& operator=(const ReportRows&) = delete;

  // A new row in stable storage holding `values`, its texts empty; not yet
  // in the list.
  ReportEntry& Allocate(const EntryValues& values);
  // Puts `row` at the head of the list.
  void PushFront(ReportEntry* row) { list_.push_front(row); }

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
  // Rows are carved out of large chunks: one allocation per thousands of
  // rows instead of one per row.
  std::vector<LargeBlock> chunks_;
  size_t chunk_used_ = 0;
  std::deque<ReportEntry*> list_;
  TextPool texts_;
  std::deque<AddressDetail> address_details_;
};

}  // namespace tnwk

#endif  // TNWK_ENTRIES_REPORT_ROWS_H_
