#include "entries/report_rows.h"

#include <new>
#include <type_traits>

namespace tnwk {

namespace {
constexpr size_t kChunkBytes = 2 * kLargePageBytes;
constexpr size_t kRowsPerChunk = kChunkBytes / sizeof(ReportEntry);
}  // namespace

// Chunks are released without running destructors, which rows do not have.
static_assert(std::is_trivially_destructible_v<ReportEntry>);

ReportEntry& ReportRows::Allocate(const EntryValues& values) {
  if (chunks_.empty() || chunk_used_ == kRowsPerChunk) {
    chunks_.push_back(AllocateLargeBlock(kChunkBytes));
    chunk_used_ = 0;
  }
  ReportEntry* slot =
      static_cast<ReportEntry*>(chunks_.back().get()) + chunk_used_++;
  return *new (slot) ReportEntry{values};
}

}  // namespace tnwk
