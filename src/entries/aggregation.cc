#include "entries/aggregation.h"

#include <cstring>

namespace tnwk {

Aggregation::Aggregation(const ReportDefinition& definition,
                         const Options& options, const Diagnostics& diag,
                         Counters* counters, ReportRows* rows)
    : summarize_(options.summarize),
      populate_full_((options.cache_flags & kCachePopulateFull) != 0),
      diag_(diag),
      counters_(counters),
      rows_(rows),
      index_(definition) {}

void Aggregation::aggregate_entry(const LogEntry& entry) {
  // Repeat lines carry their packet count in the low 32 bits.
  int32_t packets = static_cast<int32_t>(static_cast<uint32_t>(entry.count));
  if (!summarize_) {
    if (packets >= 2) counters_->total_matched += packets - 1;
    for (int32_t i = 0; i < packets; ++i) new_row(entry, 1);
    return;
  }
  if (packets >= 2) counters_->total_matched += entry.count - 1;
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
  row.count += entry.count;
  if (populate_full_) add_address_detail(entry, row.entry_no);
}

ReportEntry& Aggregation::new_row(const LogEntry& entry, uint64_t count) {
  ReportEntry& row = rows_->Allocate();
  static_cast<EntryValues&>(row) = entry;
  row.entry_no = ++rows_->row_counter;
  row.count = count;
  row.earliest = entry.local_time;
  row.latest = entry.local_time;
  TextPool& pool = rows_->texts();
  row.sname = pool.Intern(entry.sname.view());
  row.local_hostname = pool.Intern(entry.local_hostname.view());
  row.oob_prefix = pool.Intern(entry.oob_prefix.view());
  row.interface = pool.Intern(entry.interface.view());
  row.src_host = pool.Intern(entry.src_host.view());
  row.src_service = pool.Intern(entry.src_service.view());
  row.dst_host = pool.Intern(entry.dst_host.view());
  row.dst_service = pool.Intern(entry.dst_service.view());
  row.mac_saddr_str = pool.Intern(entry.mac_saddr_str.view());
  row.mac_daddr_str = pool.Intern(entry.mac_daddr_str.view());
  row.raw_mac = pool.Intern(entry.raw_mac.view());
  row.oob_in = pool.Intern(entry.oob_in.view());
  row.oob_out = pool.Intern(entry.oob_out.view());
  if (populate_full_) add_address_detail(entry, row.entry_no);
  rows_->PushFront(&row);
  ++rows_->row_count;
  return row;
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
