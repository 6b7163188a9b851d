#ifndef TNWK_ENTRIES_LARGE_BLOCK_H_
#define TNWK_ENTRIES_LARGE_BLOCK_H_

#include <cstddef>
#include <memory>

namespace tnwk {

// Memory for the big tables of a run (row chunks, the row index). Blocks of
// 2 MiB and more are aligned to 2 MiB and, where the system offers it,
// marked for huge pages: a report with a million rows then takes a few
// hundred page faults and TLB entries instead of a few hundred thousand.
// The memory is not initialised.
struct LargeBlockDeleter {
  size_t alignment = alignof(std::max_align_t);
  void operator()(void* block) const;
};
using LargeBlock = std::unique_ptr<void, LargeBlockDeleter>;

LargeBlock AllocateLargeBlock(size_t bytes);

inline constexpr size_t kLargePageBytes = size_t{2} << 20;

}  // namespace tnwk

#endif  // TNWK_ENTRIES_LARGE_BLOCK_H_
