#ifndef TNWK_ENTRIES_SELECTION_H_
#define TNWK_ENTRIES_SELECTION_H_

#include <array>
#include <cstdint>

#include "base/diagnostics.h"
#include "entries/entry_stages.h"
#include "entries/log_entry.h"
#include "entries/options.h"
#include "entries/report_definition.h"
#include "entries/report_rows.h"
#include "entries/run_state.h"

namespace tnwk {

// True when the 16-byte addresses `a` and `b` agree in their first `bits`
// bits (whole bytes first, then the top bits of the next byte). 0 bits
// always agree; more than 128 bits count as 128.
bool prefix_equal(const uint8_t* a, const uint8_t* b, unsigned bits);

// Decides which entries a report keeps, by the criteria of its definition,
// and after the last input which summarized rows it shows.
//
// select_entry walks the criteria in list order (newest first). Range and
// address criteria combine per criterion id: criteria on one id are
// alternatives, and the entry is dropped when any id ends up failed. A
// guard (protocol, ICMP type) makes a criterion not apply to entries it
// does not fit. Text, TCP flag, date and yes/no criteria drop the entry at
// once when they fail. Location and AS criteria (ids 55 to 98) read the
// records the entry points at; those of a kind that the run state skips
// (no database, or the front end looks them up) never take part, and
// neither do invert-only criteria. It allocates nothing.
//
// The definition, the options and the diagnostics are borrowed and must
// outlive this object; the run state is copied (the default one skips no
// criteria).
class Selection final : public EntrySelector {
 public:
  Selection(const ReportDefinition& definition, const Options& options,
            const Diagnostics& diag, RunState run_state = {});

  bool select_entry(const LogEntry& entry) override;

  // The end-of-input filter; does nothing without "summarize". Keeps the
  // rows within the aggregate limits (each limit 0 = none), reverses their
  // order (the list then runs oldest first), and sets count_sum to the
  // total count of the kept rows.
  void filter_rows(ReportRows* rows) const;

 private:
  enum class KeyState : uint8_t { kOpen, kPassed, kFailed };

  void ApplyRange(const SelectionCriterion& criterion, uint64_t value);
  void ApplyDoubleRange(const SelectionCriterion& criterion, double value);
  // Applies a location or AS criterion; false when it excludes the entry.
  bool ApplyLocation(const SelectionCriterion& criterion,
                     const LogEntry& entry);
  // Applies a criterion on a field of the entry itself; false when it
  // excludes the entry.
  bool ApplyField(const SelectionCriterion& criterion, const LogEntry& entry);
  void ApplyAddress(const SelectionCriterion& criterion, uint16_t family,
                    uint32_t v4, const uint8_t* v6);
  bool Ignored(const SelectionCriterion& criterion) const;
  void Set(const SelectionCriterion& criterion, bool pass) {
    state_[criterion.field] = pass ? KeyState::kPassed : KeyState::kFailed;
  }

  const ReportDefinition& definition_;
  const RunState run_state_;
  bool summarize_;
  const Diagnostics& diag_;
  // Per criterion id, for the entry being evaluated.
  std::array<KeyState, kCriterionIdLimit> state_{};
};

}  // namespace tnwk

#endif  // TNWK_ENTRIES_SELECTION_H_
