#ifndef TNWK_ENTRIES_RUN_STATE_H_
#define TNWK_ENTRIES_RUN_STATE_H_

#include <cstdint>

#include "entries/options.h"

namespace tnwk {

// What start-up learns about the run beyond its options: which location and
// AS data the run has a database for, and so which criteria the selection
// skips. main makes it once the location databases are open, before the
// stages that read it are made; it is a small value, and each reader keeps
// its own copy.
struct RunState {
  // The location_flags bits (kLocationSource ... kAsDestination) whose data
  // a database provides.
  uint8_t location_sources = 0;
  // kSkipLocationCriteria and kSkipAsCriteria: the kinds of location
  // criteria that never take part in the selection.
  uint8_t skipped_criteria = 0;
};

// The run state of a run with `options` whose databases provide the
// `location_sources` kinds: the criteria that the options skip
// (geoip_php_lookup) and those of a kind that no database provides are
// skipped.
inline RunState MakeRunState(const Options& options, uint8_t location_sources) {
  RunState state;
  state.location_sources = location_sources;
  state.skipped_criteria =
      options.location_flags & (kSkipLocationCriteria | kSkipAsCriteria);
  if (!(location_sources & (kLocationSource | kLocationDestination))) {
    state.skipped_criteria |= kSkipLocationCriteria;
  }
  if (!(location_sources & (kAsSource | kAsDestination))) {
    state.skipped_criteria |= kSkipAsCriteria;
  }
  return state;
}

}  // namespace tnwk

#endif  // TNWK_ENTRIES_RUN_STATE_H_
