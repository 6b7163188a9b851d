#ifndef TNWK_ENTRIES_COUNTERS_H_
#define TNWK_ENTRIES_COUNTERS_H_

#include <cstdint>

namespace tnwk {

// What became of the lines of a run, over all inputs together. The input
// loop counts each line's result; the aggregation adds the extra packets of
// lines that stand for more than one to total_matched.
struct Counters {
  uint64_t lines_processed = 0;
  uint64_t lines_matched = 0;
  uint64_t total_matched = 0;
  uint64_t lines_excluded = 0;
  uint64_t lines_wrong_format = 0;
  uint64_t lines_not_packet_log = 0;
};

}  // namespace tnwk

#endif  // TNWK_ENTRIES_COUNTERS_H_
