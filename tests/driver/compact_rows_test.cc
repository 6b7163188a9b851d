// Rows that keep only the fields their report reads must give exactly the
// report of whole rows: for any columns, sort keys, summarizing, limits,
// skip and row limit, and with the time-warp messages.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "../entries/entry_builders.h"
#include "base/clock.h"
#include "driver/report_output.h"
#include "entries/aggregation.h"
#include "entries/selection.h"
#include "entries/sorting.h"
#include "test_support.h"

namespace tnwk {
namespace {

// Names every host and service by what it was looked up with, so that the
// report shows the address texts, protocols and ports the cells passed on.
class EchoCache final : public NameCache {
 public:
  void update_host_cache(std::span<const ReportEntry* const>) override {}
  void update_service_cache(std::span<const ReportEntry* const>) override {}
  void populate_full_cache(std::span<const ReportEntry* const>) override {}
  LookupResult lookup_cached_host(const char* address_text,
                                  FixedText<128>* out) override {
    out->Set(std::string("host ") + address_text);
    return LookupResult::kFound;
  }
  LookupResult lookup_cached_service(unsigned protocol, unsigned port,
                                     FixedText<128>* out) override {
    out->Set(std::to_string(protocol) + "/" + std::to_string(port));
    return LookupResult::kFound;
  }
};

// The report and the diagnostics of one run over `entries`.
std::string Report(const std::vector<LogEntry>& entries, bool compact,
                   const ReportDefinition& definition, const Options& options,
                   uint8_t verbosity) {
  FixedClock clock(0);
  testing::CapturedStream out, err;
  Diagnostics diag(verbosity, err.get());
  ReportRows rows(compact ? RowLayout(definition, options, diag.At(4))
                          : RowLayout());
  Counters counters;
  Selection selection(definition, options, diag);
  Aggregation aggregation(definition, options, diag, clock, &counters, &rows);
  for (const LogEntry& entry : entries) aggregation.aggregate_entry(entry);
  selection.filter_rows(&rows);
  SortReportRows(&rows, definition, diag);
  EchoCache cache;
  ReportWriter writer(options, definition, diag, &cache, clock, out.get());
  writer.write_report(rows, counters);
  return out.str() + "--- diagnostics\n" + err.str();
}

TEST(CompactRows, ReportEqualsTheWholeRows) {
  std::mt19937 random(424242);
  auto pick = [&](uint32_t n) { return static_cast<uint32_t>(random() % n); };
  auto one_of = [&](std::initializer_list<const char*> texts) {
    return texts.begin()[pick(static_cast<uint32_t>(texts.size()))];
  };
  for (int round = 0; round < 400; ++round) {
    std::vector<LogEntry> entries;
    for (uint32_t i = 0, lines = pick(30); i < lines; ++i) {
      // Few values per field, so that summarized rows fold and sorts tie.
      LogEntry e = testing::MakeEntry(
          one_of({"10.0.0.1", "10.0.0.2", "9.1.1.1", "010.0.0.1", "",
                  "2001:db8::1", "::ffff:10.0.0.1"}),
          pick(2) ? 80 : 65536);
      testing::SetAddress(e.ip_daddr,
                          one_of({"192.0.2.1", "2001:db8::2", "10.1"}));
      const uint8_t protocols[] = {1, 6, 17, 58, 50, 47};
      e.ip_protocol = protocols[pick(6)];
      e.sport = pick(2) ? 1024 + pick(3) : 65536;
      e.tcp_flags = static_cast<uint8_t>(pick(256));
      const uint8_t icmp_types[] = {0, 3, 5, 8, 128, 255};
      e.icmp_type = icmp_types[pick(6)];
      e.icmp_code = pick(2) ? 4 : 255;
      e.icmp_echoid = static_cast<uint16_t>(pick(3));
      e.icmp_fragmtu = static_cast<uint16_t>(pick(3) * 500);
      e.icmp_gateway = pick(3);
      e.ahesp_spi = pick(3);
      e.ip_ttl = static_cast<uint8_t>(pick(3));
      e.ip_totlen = static_cast<uint16_t>(pick(3));
      e.tcp_seq = pick(3);
      e.oob_mark = pick(3);
      e.local_time = 1000 + pick(5);
      e.id = i + 1;
      e.count = pick(4);
      e.sname.Set(one_of({"a.log", "b.log"}));
      e.oob_prefix.Set(one_of({"DROP", "ACCEPT", ""}));
      e.oob_in.Set(one_of({"eth0", "eth1"}));
      e.local_hostname.Set(one_of({"gw", "fw"}));
      e.src_host.Set(one_of({"", "", "host.example"}));
      e.mac_saddr_str.Set(one_of({"00:01", "00:02"}));
      entries.push_back(e);
    }
    ReportDefinition definition;
    for (uint32_t i = 1 + pick(5); i > 0; --i) {
      ReportColumn column;
      column.column = static_cast<int32_t>(1 + pick(kColumnIdLimit));
      column.name.Set("c" + std::to_string(column.column));
      definition.columns.push_back(column);
      definition.column_selected[column.column % kColumnIdLimit] = 1;
    }
    for (uint32_t i = pick(3); i > 0; --i) {
      SortField sort;
      sort.sort = static_cast<int32_t>(1 + pick(kSortIdLimit));
      sort.descending = static_cast<uint8_t>(pick(2));
      definition.sort_fields.push_back(sort);
    }
    Options options;
    options.summarize = pick(2) != 0;
    if (pick(3) == 0) definition.min_count = pick(4);
    if (pick(3) == 0) definition.min_latest = 1000 + pick(5);
    options.row_skip = pick(4);
    options.row_limit = pick(6);
    const uint8_t verbosity = pick(2) ? 4 : 0;
    SCOPED_TRACE("round " + std::to_string(round));
    EXPECT_EQ(Report(entries, true, definition, options, verbosity),
              Report(entries, false, definition, options, verbosity));
  }
}

}  // namespace
}  // namespace tnwk
