#include "entries/report_rows.h"

#include <new>
#include <type_traits>

namespace tnwk {

namespace {
constexpr size_t kChunkBytes = 2 * kLargePageBytes;
}  // namespace

// Chunks are released without running destructors, which rows do not have.
static_assert(std::is_trivially_destructible_v<ReportEntry>);

void* ReportRows::Slot() {
  const size_t bytes =
      layout_.compact() ? layout_.row_bytes() : sizeof(ReportEntry);
  const size_t per_chunk = kChunkBytes / bytes;
  if (chunks_.empty() || chunk_used_ == per_chunk) {
    chunks_.push_back(AllocateLargeBlock(kChunkBytes));
    chunk_used_ = 0;
  }
  ++rows_stored_;
  return static_cast<unsigned char*>(chunks_.back().get()) +
         bytes * chunk_used_++;
}

ReportEntry& ReportRows::Allocate(const EntryValues& values) {
  return *new (Slot()) ReportEntry{values};
}

ReportEntry* ReportRows::AddRow(const ReportEntry& row) {
  ReportEntry* handle;
  if (!layout_.compact()) {
    handle = new (Slot()) ReportEntry(row);
  } else {
    auto* record = static_cast<unsigned char*>(Slot());
    layout_.Pack(row, record, &side_addresses_, &texts_);
    // A handle of a compact row is only ever read through this object.
    handle = reinterpret_cast<ReportEntry*>(record);
  }
  list_.push_front(handle);
  return handle;
}

ReportEntry* ReportRows::RowAt(size_t n) const {
  const size_t bytes =
      layout_.compact() ? layout_.row_bytes() : sizeof(ReportEntry);
  const size_t per_chunk = kChunkBytes / bytes;
  auto* chunk = static_cast<unsigned char*>(chunks_[n / per_chunk].get());
  return reinterpret_cast<ReportEntry*>(chunk + bytes * (n % per_chunk));
}

const ReportEntry& ReportRows::Row(const ReportEntry* handle,
                                   ReportEntry* scratch,
                                   const RowFieldSet& fields,
                                   bool address_texts) const {
  if (!layout_.compact()) return *handle;
  layout_.Unpack(reinterpret_cast<const unsigned char*>(handle),
                 side_addresses_, fields, scratch, address_texts);
  return *scratch;
}

}  // namespace tnwk
