#include "entries/aggregation.h"

#include <cstring>
#include <optional>

#include "base/numbers.h"

namespace tnwk {

Aggregation::Aggregation(const ReportDefinition& definition,
                         const Options& options, const Diagnostics& diag,
                         const Clock& clock, Counters* counters,
                         ReportRows* rows)
    : summarize_(options.summarize),
      populate_full_((options.cache_flags & kCachePopulateFull) != 0),
      diag_(diag),
      counters_(counters),
      rows_(rows),
      index_(definition),
      clock_(clock) {}

void Aggregation::aggregate_entry(const LogEntry& entry) {
  // A line stands for `count` packets (a repeat line for many), with and
  // without "summarize" alike.
  const uint64_t packets = entry.count;
  if (packets >= 2) {
    counters_->total_matched =
        SaturatingAdd(counters_->total_matched, packets - 1);
  }
  if (!summarize_) {
    if (packets == 0) return;
    // One row stands for the identical rows of the packets, which would
    // have taken the next numbers.
    NewRow(entry, 1, packets);
    rows_->row_counter = SaturatingAdd(rows_->row_counter, packets - 1);
    return;
  }
  const std::optional<RowRef> row = index_.Find(entry, *rows_);
  if (!row) {
    NewRow(entry, entry.count, 1);
    index_.Add(rows_->rows_stored() - 1, staging_);
    return;
  }
  Fold(*row, entry);
}

void Aggregation::Fold(RowRef row, const LogEntry& entry) {
  const int64_t t = entry.local_time;
  const int64_t earliest = rows_->earliest(row);
  const int64_t latest = rows_->latest(row);
  if (t >= latest) {
    rows_->set_latest(row, t);
    if (t <= earliest) rows_->set_earliest(row, t);
  } else if (t <= earliest) {
    rows_->set_earliest(row, t);
  } else if (diag_.At(4) &&
             std::strcmp(rows_->sname(row), entry.sname.c_str()) == 0) {
    // Lines of one file are expected in time order; a line between the
    // row's earliest and latest points at a clock or rotation problem.
    char latest_text[64] = "";
    char now[64] = "";
    clock_.FormatLocal(latest, "%b %d %H:%M:%S", latest_text,
                       sizeof latest_text);
    clock_.FormatLocal(t, "%b %d %H:%M:%S", now, sizeof now);
    diag_.Log(4, "Timewarp in log file (%s > %s).\n", latest_text, now);
  }
  rows_->set_count(row, SaturatingAdd(rows_->count(row), entry.count));
  if (populate_full_) AddAddressDetail(entry, rows_->entry_no(row));
}

void Aggregation::NewRow(const LogEntry& entry, uint64_t count,
                         uint64_t multiplicity) {
  // The row is put together in full, then stored as the table stores rows.
  ReportEntry& row = staging_;
  static_cast<EntryValues&>(row) = entry;
  row.entry_no = ++rows_->row_counter;
  row.count = count;
  row.multiplicity = multiplicity;
  row.earliest = entry.local_time;
  row.latest = entry.local_time;
#define TNWK_INTERN_TEXT(id, member, size) \
  row.member = Intern(entry.member.c_str(), RowField::id);
  TNWK_TEXT_FIELDS(TNWK_INTERN_TEXT)
#undef TNWK_INTERN_TEXT
  if (populate_full_) AddAddressDetail(entry, row.entry_no);
  rows_->AddRow(row);
}

const char* Aggregation::Intern(const char* text, RowField field) {
  // A compact table does not keep the texts the report never reads.
  if (!rows_->layout().Stores(field)) return "";
  // Consecutive rows mostly repeat the previous row's texts; a compare is
  // cheaper than the pool's hash lookup.
  const char*& last = last_interned_[TextNumber(field)];
  if (last == nullptr || std::strcmp(last, text) != 0) {
    last = rows_->texts().Intern(text);
  }
  return last;
}

void Aggregation::AddAddressDetail(const LogEntry& entry, uint64_t entry_no) {
  AddressDetail& detail = rows_->address_details().emplace_front();
  detail.entry_no = entry_no;
  detail.ip_protocol = entry.ip_protocol;
  detail.ip_saddr = entry.ip_saddr;
  detail.ip_daddr = entry.ip_daddr;
  detail.sport = entry.sport;
  detail.dport = entry.dport;
}

}  // namespace tnwk
