#include "driver/report_output.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstring>

#include "driver/report_cells.h"
#include "driver/report_stream.h"
#include "entries/field_keywords.h"

namespace tnwk {

ReportWriter::ReportWriter(const Options& options,
                           const ReportDefinition& definition,
                           const Diagnostics& diag, NameCache* cache,
                           const Clock& clock, std::FILE* standard_output)
    : options_(options),
      definition_(definition),
      diag_(diag),
      cache_(cache),
      clock_(clock),
      standard_output_(standard_output) {}

template <typename Rows, typename Multiplicity, typename Visit>
void ReportWriter::VisitShown(const Rows& rows, uint64_t row_skip,
                              uint64_t row_limit, Multiplicity multiplicity,
                              Visit visit) {
  // The front end has always seen the skip count cut to 32 bits.
  uint64_t skip = static_cast<uint32_t>(row_skip);
  uint64_t left = row_limit != 0 ? row_limit : UINT64_MAX;
  for (const auto& row : rows) {
    if (left == 0) break;
    uint64_t copies = multiplicity(row);
    if (skip >= copies) {
      skip -= copies;
      continue;
    }
    copies = std::min(copies - skip, left);
    skip = 0;
    left -= copies;
    visit(row, copies);
  }
}

std::vector<const ReportEntry*> ReportWriter::ShownRows(
    std::span<const ReportEntry* const> rows, uint64_t row_skip,
    uint64_t row_limit) {
  std::vector<const ReportEntry*> shown;
  VisitShown(
      rows, row_skip, row_limit,
      [](const ReportEntry* row) { return row->multiplicity; },
      [&](const ReportEntry* row, uint64_t copies) {
        shown.insert(shown.end(), static_cast<size_t>(copies), row);
      });
  return shown;
}

void ReportWriter::RunCacheSteps(std::span<const ReportEntry* const> shown) {
  const uint8_t flags = options_.cache_flags;
  const bool upd_hosts = (flags & kCacheUpdHosts) != 0;
  if (flags & (kCachePopulate | kCacheUpdHosts)) {
    if (definition_.IsColumnSelected(kColumnSrcHost) ||
        definition_.IsColumnSelected(kColumnDstHost)) {
      int64_t start = clock_.Now();
      cache_->update_host_cache(shown);
      int64_t spent = clock_.Now() - start;
      (upd_hosts ? times_.host_cache_seconds : times_.other_lookup_seconds) +=
          spent;
    }
    if (definition_.IsColumnSelected(kColumnSrcService) ||
        definition_.IsColumnSelected(kColumnDstService)) {
      int64_t start = clock_.Now();
      cache_->update_service_cache(shown);
      int64_t spent = clock_.Now() - start;
      (upd_hosts ? times_.service_cache_seconds
                 : times_.other_lookup_seconds) += spent;
    }
  }
  if (flags & kCachePopulateFull) {
    int64_t start = clock_.Now();
    cache_->populate_full_cache(shown);
    times_.other_lookup_seconds += clock_.Now() - start;
  }
}

void ReportWriter::WriteStatistics(const Counters& counters) const {
  diag_.Log(3, "Lines processed:      %7" PRIu64 "\n",
            counters.lines_processed);
  diag_.Log(3, "Lines matched:        %7" PRIu64 "\n", counters.lines_matched);
  diag_.Log(3, "Matched line repeats: %7" PRIu64 "\n",
            counters.total_matched - counters.lines_matched);
  diag_.Log(3, "Lines excluded:       %7" PRIu64 "\n", counters.lines_excluded);
  diag_.Log(3, "Lines wrong format:   %7" PRIu64 "\n",
            counters.lines_wrong_format);
  diag_.Log(3, "Lines not packet log: %7" PRIu64 "\n",
            counters.lines_not_packet_log);
}

int ReportWriter::write_report(std::span<const ReportEntry* const> rows,
                               uint64_t row_count, uint64_t count_sum,
                               const Counters& counters) {
  const std::vector<const ReportEntry*> shown_rows =
      ShownRows(rows, options_.row_skip, options_.row_limit);

  times_ = CacheTimes{};
  RunCacheSteps(shown_rows);

  return Write(
      [&](auto visit) {
        for (const ReportEntry* row : shown_rows) visit(row, 1);
      },
      [](const ReportEntry* row) -> const ReportEntry& { return *row; },
      row_count, count_sum, counters);
}

int ReportWriter::write_report(const ReportRows& rows,
                               const Counters& counters) {
  const std::deque<RowRef>& list = rows.rows();
  if (!rows.layout().compact()) {
    // Whole rows are read in place, so the cache steps can keep them.
    ReportEntry unused;
    std::vector<const ReportEntry*> whole;
    whole.reserve(list.size());
    for (RowRef row : list) whole.push_back(&rows.Row(row, &unused));
    return write_report(whole, rows.row_count(), rows.count_sum, counters);
  }
  // Compact rows are kept only by runs without cache steps (RowLayout), so
  // there is nothing to hand to the name cache before printing.
  times_ = CacheTimes{};
  ReportEntry scratch;
  return Write(
      [&](auto visit) {
        VisitShown(
            list, options_.row_skip, options_.row_limit,
            [&](RowRef row) { return rows.multiplicity(row); }, visit);
      },
      [&](RowRef row) -> const ReportEntry& { return rows.Row(row, &scratch); },
      rows.row_count(), rows.count_sum, counters);
}

template <typename ForEachShown, typename RowOf>
int ReportWriter::Write(ForEachShown for_each_shown, RowOf row_of,
                        uint64_t row_count, uint64_t count_sum,
                        const Counters& counters) {
  const bool to_file = options_.output_to_file;
  const char* path = options_.output_path.c_str();
  std::FILE* file = standard_output_;
  if (to_file) {
    diag_.Log(1, "Writing to output file '%s'\n", path);
    file = std::freopen(path, "w", standard_output_);
    if (file == nullptr) {
      diag_.Print("freopen %s: %s\n", path, std::strerror(errno));
      return 1;
    }
  } else {
    WriteStatistics(counters);
  }

  ReportStream out(file);
  if (!to_file) out.Put("%%\n0\n0\n%%\n");

  for (const ReportColumn& column : definition_.columns) {
    out.Put(column.name.view());
    out.Put('\t');
  }
  out.Put('\n');

  CellFormatter cells(cache_);
  for_each_shown([&](auto handle, uint64_t copies) {
    const ReportEntry& row = row_of(handle);
    for (uint64_t copy = 0; copy < copies; ++copy) {
      const uint64_t row_start = out.written();
      bool first = true;
      for (const ReportColumn& column : definition_.columns) {
        if (!first) out.Put('\t');
        first = false;
        cells.WriteCell(column.column, row, out);
      }
      // An empty line ends the rows, so a row whose only cell is empty (a
      // port column on an ICMP row), or a row of a report without columns,
      // would end them early and turn the rest into the trailer.
      if (out.written() == row_start) out.Put('-');
      out.Put('\n');
    }
  });

  out.Put('\n');
  out.PutUnsigned(row_count);
  out.Put('\n');
  out.PutUnsigned(counters.total_matched);
  out.Put('\n');
  out.PutUnsigned(count_sum);
  out.Put('\n');
  out.PutSigned(times_.host_cache_seconds);
  out.Put('\n');
  out.PutSigned(times_.service_cache_seconds);
  out.Put('\n');
  out.PutSigned(times_.other_lookup_seconds);
  out.Put('\n');

  // A report cut short by a full disk or a failing device must not pass for a
  // complete one: the front end would show it as the whole result.
  int status = 0;
  if (!out.Flush()) {
    diag_.Print("Error writing the report to %s: %s\n",
                to_file ? path : "standard output", std::strerror(out.error()));
    status = 1;
  }
  if (to_file) {
    diag_.Log(4, "Closing '%s'\n", path);
    errno = 0;
    if (std::fclose(file) != 0) {
      diag_.Print("fclose: %s\n", std::strerror(errno));
      status = 1;
    }
  }
  return status;
}

}  // namespace tnwk
