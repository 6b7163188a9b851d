#include "entries/log_entry.h"

namespace tnwk {

const LocationRecord kEmptyLocation;
const AsRecord kEmptyAs;

void reset_current_entry(LogEntry& entry) {
  // Every default is a member initialiser, so a fresh value is the reset.
  entry = LogEntry();
}

}  // namespace tnwk
