#ifndef TNWK_ENTRIES_ENTRY_STAGES_H_
#define TNWK_ENTRIES_ENTRY_STAGES_H_

#include "entries/log_entry.h"

namespace tnwk {

// The stages a parsed entry goes through after its parser. The dispatcher
// calls them; the locator, the selection and the aggregation implement them.

class EntryLocator {
 public:
  virtual ~EntryLocator() = default;
  // Points the location and AS references of a parsed `entry` at the
  // records of its addresses, before the selection reads them.
  virtual void locate_entry(LogEntry& entry) = 0;
};

class EntrySelector {
 public:
  virtual ~EntrySelector() = default;
  // True when the report keeps `entry` under its criteria.
  virtual bool select_entry(const LogEntry& entry) = 0;
};

class EntryAggregator {
 public:
  virtual ~EntryAggregator() = default;
  // Folds an accepted `entry` into the report rows.
  virtual void aggregate_entry(const LogEntry& entry) = 0;
};

}  // namespace tnwk

#endif  // TNWK_ENTRIES_ENTRY_STAGES_H_
