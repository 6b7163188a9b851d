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
    // One row stands for the identical rows of the packets, which would
    // have taken the next numbers.
    new_row(entry, 1, packets);
    rows_->row_counter = SaturatingAdd(rows_->row_counter, packets - 1);
    rows_->row_count = SaturatingAdd(rows_->row_count, packets - 1);
    return;
  }
  ReportEntry* row = index_.Find(entry, *rows_);
  if (row == nullptr) {
    new_row(entry, entry.count, 1);
    index_.Add(rows_->rows_stored() - 1, staging_);
    return;
  }
  Fold(row, entry);
}

void Aggregation::Fold(ReportEntry* row, const LogEntry& entry) {
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
  if (populate_full_) add_address_detail(entry, rows_->entry_no(row));
}

void Aggregation::new_row(const LogEntry& entry, uint64_t count,
                          uint64_t multiplicity) {
  // The row is put together in full, then stored as the table stores rows.
  ReportEntry& row = staging_;
  static_cast<EntryValues&>(row) = entry;
  row.entry_no = ++rows_->row_counter;
  row.count = count;
  row.multiplicity = multiplicity;
  row.earliest = entry.local_time;
  row.latest = entry.local_time;
  row.sname = Intern(entry.sname, RowField::kSname, 0);
  row.local_hostname =
      Intern(entry.local_hostname, RowField::kLocalHostname, 1);
  row.oob_prefix = Intern(entry.oob_prefix, RowField::kOobPrefix, 2);
  row.interface = Intern(entry.interface, RowField::kInterface, 3);
  row.src_host = Intern(entry.src_host, RowField::kSrcHost, 4);
  row.src_service = Intern(entry.src_service, RowField::kSrcService, 5);
  row.dst_host = Intern(entry.dst_host, RowField::kDstHost, 6);
  row.dst_service = Intern(entry.dst_service, RowField::kDstService, 7);
  row.mac_saddr_str = Intern(entry.mac_saddr_str, RowField::kMacSaddrStr, 8);
  row.mac_daddr_str = Intern(entry.mac_daddr_str, RowField::kMacDaddrStr, 9);
  row.raw_mac = Intern(entry.raw_mac, RowField::kRawMac, 10);
  row.oob_in = Intern(entry.oob_in, RowField::kOobIn, 11);
  row.oob_out = Intern(entry.oob_out, RowField::kOobOut, 12);
  if (populate_full_) add_address_detail(entry, row.entry_no);
  rows_->AddRow(row);
  ++rows_->row_count;
}

template <size_t N>
const char* Aggregation::Intern(const FixedText<N>& text, RowField field,
                                int slot) {
  // A compact table does not keep the texts the report never reads.
  if (!rows_->layout().Stores(field) && rows_->layout().compact()) return "";
  // Consecutive rows mostly repeat the previous row's texts; a compare is
  // cheaper than the pool's hash lookup.
  const char*& last = last_interned_[slot];
  if (last == nullptr || std::strcmp(last, text.c_str()) != 0) {
    last = rows_->texts().Intern(text.c_str());
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
