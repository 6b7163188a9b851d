#include "entries/report_rows.h"

#include <new>
#include <type_traits>

#include "base/numbers.h"

namespace tnwk {

// Chunks are released without running destructors, which rows do not have.
static_assert(std::is_trivially_destructible_v<ReportEntry>);

unsigned char* ReportRows::Slot() {
  if (chunks_.empty() || chunk_used_ == RowsPerChunk()) {
    chunks_.push_back(AllocateLargeBlock(kChunkBytes));
    chunk_used_ = 0;
  }
  return static_cast<unsigned char*>(chunks_.back().get()) +
         layout_.row_bytes() * chunk_used_++;
}

RowRef ReportRows::AddRow(const ReportEntry& row) {
  unsigned char* record = Slot();
  if (layout_.compact()) {
    layout_.Pack(row, record, &side_addresses_, &texts_);
  } else {
    new (record) ReportEntry(row);
  }
  list_.push_front(RowRef(record));
  return list_.front();
}

RowRef ReportRows::RowAt(size_t n) const {
  const size_t per_chunk = RowsPerChunk();
  auto* chunk = static_cast<unsigned char*>(chunks_[n / per_chunk].get());
  return RowRef(chunk + layout_.row_bytes() * (n % per_chunk));
}

size_t ReportRows::rows_stored() const {
  if (chunks_.empty()) return 0;
  return (chunks_.size() - 1) * RowsPerChunk() + chunk_used_;
}

const ReportEntry& ReportRows::Row(RowRef row, ReportEntry* scratch,
                                   const RowFieldSet& fields,
                                   bool address_texts) const {
  if (!layout_.compact()) {
    return *std::launder(reinterpret_cast<const ReportEntry*>(row.record_));
  }
  layout_.Unpack(row.record_, side_addresses_, fields, scratch, address_texts);
  return *scratch;
}

uint64_t ReportRows::row_count() const {
  // Rows stand for one row each unless the layout keeps multiplicities.
  if (!layout_.Stores(RowField::kMultiplicity)) return list_.size();
  uint64_t count = 0;
  for (RowRef row : list_) count = SaturatingAdd(count, multiplicity(row));
  return count;
}

}  // namespace tnwk
