#include "entries/large_block.h"

#include <sys/mman.h>

#include <new>

namespace tnwk {

void LargeBlockDeleter::operator()(void* block) const {
  ::operator delete (block, std::align_val_t{alignment});
}

LargeBlock AllocateLargeBlock(size_t bytes) {
  size_t alignment =
      bytes >= kLargePageBytes ? kLargePageBytes : alignof(std::max_align_t);
  void* block = ::operator new (bytes, std::align_val_t{alignment});
#ifdef MADV_HUGEPAGE
  if (bytes >= kLargePageBytes) {
    // Only advice: without huge pages the block works the same.
    madvise(block, bytes, MADV_HUGEPAGE);
  }
#endif
  return LargeBlock(block, LargeBlockDeleter{alignment});
}

}  // namespace tnwk
