#include "entries/aggregation.h"

#include <cstring>

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
    ReportEntry& row = new_row(entry, 1);
    // The identical rows it stands for would have taken the next numbers.
    row.multiplicity = packets;
    rows_->row_counter = SaturatingAdd(rows_->row_counter, packets - 1);
    rows_->row_count = SaturatingAdd(rows_->row_count, packets - 1);
    return;
  }
  ReportEntry* row = index_.Find(entry);
  if (row == nullptr) {
    index_.Add(&new_row(entry, entry.count));
    return;
  }
  Fold(*row, entry);
}

void Aggregation::Fold(ReportEntry& row, const LogEntry& entry) {
  int64_t t = entry.local_time;
  if (t >= row.latest) {
    row.latest = t;
    if (t <= row.earliest) row.earliest = t;
  } else if (t <= row.earliest) {
    row.earliest = t;
  } else if (diag_.At(4) && std::strcmp(row.sname, entry.sname.c_str()) == 0) {
    // Lines of one file are expected in time order; a line between the
    // row's earliest and latest points at a clock or rotation problem.
    char latest[64] = "";
    char now[64] = "";
    clock_.FormatLocal(row.latest, "%b %d %H:%M:%S", latest, sizeof latest);
    clock_.FormatLocal(t, "%b %d %H:%M:%S", now, sizeof now);
    diag_.Log(4, "Timewarp in log file (%s > %s).\n", latest, now);
  }
  row.count = SaturatingAdd(row.count, entry.count);
  if (populate_full_) add_address_detail(entry, row.entry_no);
}

ReportEntry& Aggregation::new_row(const LogEntry& entry, uint64_t count) {
  ReportEntry& row = rows_->Allocate(entry);
  row.entry_no = ++rows_->row_counter;
  row.count = count;
  row.earliest = entry.local_time;
  row.latest = entry.local_time;
  row.sname = Intern(entry.sname.c_str(), 0);
  row.local_hostname = Intern(entry.local_hostname.c_str(), 1);
  row.oob_prefix = Intern(entry.oob_prefix.c_str(), 2);
  row.interface = Intern(entry.interface.c_str(), 3);
  row.src_host = Intern(entry.src_host.c_str(), 4);
  row.src_service = Intern(entry.src_service.c_str(), 5);
  row.dst_host = Intern(entry.dst_host.c_str(), 6);
  row.dst_service = Intern(entry.dst_service.c_str(), 7);
  row.mac_saddr_str = Intern(entry.mac_saddr_str.c_str(), 8);
  row.mac_daddr_str = Intern(entry.mac_daddr_str.c_str(), 9);
  row.raw_mac = Intern(entry.raw_mac.c_str(), 10);
  row.oob_in = Intern(entry.oob_in.c_str(), 11);
  row.oob_out = Intern(entry.oob_out.c_str(), 12);
  if (populate_full_) add_address_detail(entry, row.entry_no);
  rows_->PushFront(&row);
  ++rows_->row_count;
  return row;
}

const char* Aggregation::Intern(const char* text, int field) {
  // Consecutive rows mostly repeat the previous row's texts; a compare is
  // cheaper than the pool's hash lookup.
  const char*& last = last_interned_[field];
  if (last == nullptr || std::strcmp(last, text) != 0) {
    last = rows_->texts().Intern(text);
  }
  return last;
}

void Aggregation::add_address_detail(const LogEntry& entry, uint64_t entry_no) {
  AddressDetail& detail = rows_->address_details().emplace_front();
  detail.entry_no = entry_no;
  detail.ip_protocol = entry.ip_protocol;
  detail.ip_saddr = entry.ip_saddr;
  detail.ip_daddr = entry.ip_daddr;
  detail.sport = entry.sport;
  detail.dport = entry.dport;
}

}  // namespace tnwk
