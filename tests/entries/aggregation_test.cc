#include "entries/aggregation.h"
#include "base/clock.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "entry_builders.h"
#include "test_support.h"

namespace tnwk {
namespace {

using testing::CapturedStream;
using testing::MakeEntry;
using testing::WithColumns;

class AggregationTest : public ::testing::Test {
 protected:
  void Run(const ReportDefinition& definition,
           const std::vector<LogEntry>& entries, uint8_t verbosity = 0) {
    Diagnostics diag(verbosity, stream_.get());
    Aggregation aggregation(definition, options_, diag, clock_, &counters_,
                            &rows_);
    for (const LogEntry& entry : entries) aggregation.aggregate_entry(entry);
  }
  const ReportEntry& Row(size_t i) {
    return rows_.Row(rows_.rows().at(i), &scratch_);
  }

  Options options_;
  FixedClock clock_{0};
  Counters counters_;
  ReportRows rows_;
  ReportEntry scratch_;
  CapturedStream stream_;
};

LogEntry WithCount(LogEntry entry, uint64_t count) {
  entry.count = count;
  return entry;
}

LogEntry At(LogEntry entry, int64_t t) {
  entry.local_time = t;
  return entry;
}

TEST_F(AggregationTest, WithoutSummarizeOneRowStandsForEveryPacket) {
  LogEntry entry = WithCount(MakeEntry(), 3);
  entry.id = 17;
  Run(ReportDefinition(), {entry, WithCount(MakeEntry(), 0), MakeEntry()});
  ASSERT_EQ(rows_.rows().size(), 2u);
  EXPECT_EQ(rows_.row_count(), 4u);
  EXPECT_EQ(counters_.total_matched, 2u);
  EXPECT_EQ(Row(1).multiplicity, 3u);
  EXPECT_EQ(Row(1).count, 1u);
  EXPECT_EQ(Row(1).id, 17u);
  // The three identical rows took the numbers 1 to 3.
  EXPECT_EQ(Row(0).entry_no, 4u);
}

// Lines that stand for more than 2^31 packets, as repeat lines can.
const std::vector<LogEntry> kHugeCounts = {
    WithCount(MakeEntry(), 0x100000002ULL),
    WithCount(MakeEntry(), 0xFFFFFFFFULL)};

TEST_F(AggregationTest, HugeCountsMakeAsManyRowsAsPackets) {
  Run(ReportDefinition(), kHugeCounts);
  EXPECT_EQ(rows_.row_count(), 0x100000002ULL + 0xFFFFFFFFULL);
  EXPECT_EQ(counters_.total_matched, 0x100000002ULL + 0xFFFFFFFFULL - 2);
  // Past 2^64 rows the count stays at its largest value; it used to wrap.
  Run(ReportDefinition(),
      {WithCount(MakeEntry(), UINT64_MAX), WithCount(MakeEntry(), 3)});
  EXPECT_EQ(rows_.row_count(), UINT64_MAX);
}

TEST_F(AggregationTest, HugeCountsSumWhenSummarizedAndSaturate) {
  options_.summarize = true;
  Run(ReportDefinition(), kHugeCounts);
  EXPECT_EQ(Row(0).count, 0x100000002ULL + 0xFFFFFFFFULL);
  EXPECT_EQ(counters_.total_matched, 0x100000002ULL + 0xFFFFFFFFULL - 2);
  Run(ReportDefinition(), {WithCount(MakeEntry(), UINT64_MAX)});
  EXPECT_EQ(Row(0).count, UINT64_MAX);
  EXPECT_EQ(counters_.total_matched, UINT64_MAX);
}

TEST_F(AggregationTest, RowCopiesEveryField) {
  LogEntry entry = MakeEntry("10.0.0.7", 22);
  entry.local_time = 500;
  entry.oob_in.Set("eth0");
  entry.raw_mac.Set(std::string(600, 'm'));
  entry.interface.Set("ppp0");
  Run(ReportDefinition(), {entry});
  const ReportEntry& row = Row(0);
  EXPECT_EQ(row.earliest, 500);
  EXPECT_EQ(row.latest, 500);
  EXPECT_EQ(row.local_time, 500);
  EXPECT_EQ(row.dport, 22u);
  EXPECT_STREQ(row.ip_saddr.text.c_str(), "10.0.0.7");
  EXPECT_STREQ(row.oob_in, "eth0");
  EXPECT_STREQ(row.interface, "ppp0");
  EXPECT_STREQ(row.sname, "messages");
  EXPECT_EQ(std::strlen(row.raw_mac), 511u);
}

TEST_F(AggregationTest, SummarizeFoldsOnSelectedColumnsOnly) {
  options_.summarize = true;
  Run(WithColumns({kColumnIpSaddr, kColumnCount, kColumnSrcHost}),
      {WithCount(MakeEntry("10.0.0.1", 22), 2), MakeEntry("10.0.0.1", 80),
       MakeEntry("10.0.0.2", 80), WithCount(MakeEntry("10.0.0.1", 443), 4)});
  ASSERT_EQ(rows_.rows().size(), 2u);
  EXPECT_EQ(rows_.row_count(), 2u);
  EXPECT_EQ(Row(1).count, 7u);
  EXPECT_EQ(Row(1).dport, 22u);  // the first line's values stay
  EXPECT_EQ(Row(0).count, 1u);
  EXPECT_EQ(counters_.total_matched, 1u + 3u);
}

TEST_F(AggregationTest, NoMatchableColumnFoldsEverything) {
  options_.summarize = true;
  Run(WithColumns({kColumnCount, kColumnEarliest}),
      {MakeEntry("10.0.0.1", 1), MakeEntry("2001:db8::1", 2)});
  ASSERT_EQ(rows_.rows().size(), 1u);
  EXPECT_EQ(Row(0).count, 2u);
}

TEST_F(AggregationTest, EarliestLatestAndTimeWarp) {
  testing::ScopedTimeZone utc("UTC");
  options_.summarize = true;
  LogEntry entry = MakeEntry();
  const int64_t ten = 36000;  // 1970-01-01 10:00 UTC
  LogEntry other_file = At(entry, ten + 60);
  other_file.sname.Set("other");
  Run(WithColumns({kColumnIpSaddr}),
      {At(entry, ten), At(entry, ten + 300), At(entry, ten + 120), other_file,
       At(entry, ten - 300)},
      4);
  ASSERT_EQ(rows_.rows().size(), 1u);
  EXPECT_EQ(Row(0).earliest, ten - 300);
  EXPECT_EQ(Row(0).latest, ten + 300);
  EXPECT_EQ(Row(0).count, 5u);
  EXPECT_EQ(stream_.str(),
            "Timewarp in log file (Jan 01 10:05:00 > Jan 01 10:02:00).\n");
}

TEST_F(AggregationTest, TimeWarpNeedsVerbosityFour) {
  options_.summarize = true;
  LogEntry entry = MakeEntry();
  Run(WithColumns({kColumnIpSaddr}),
      {At(entry, 100), At(entry, 300), At(entry, 200)}, 3);
  EXPECT_EQ(stream_.str(), "");
  EXPECT_EQ(Row(0).earliest, 100);
  EXPECT_EQ(Row(0).latest, 300);
}

TEST_F(AggregationTest, AddressComparesUnderTheRowsFamily) {
  options_.summarize = true;
  // An IPv6 entry's IPv4 part is 0: it joins an IPv4 row of 0.0.0.0 but
  // no other IPv4 row.
  Run(WithColumns({kColumnIpSaddr}),
      {MakeEntry("10.0.0.1"), MakeEntry("2001:db8::1"), MakeEntry("0.0.0.0"),
       MakeEntry("2001:db8::2")});
  ASSERT_EQ(rows_.rows().size(), 3u);
  EXPECT_EQ(Row(0).oob_family, kFamilyIpv4);
  EXPECT_EQ(Row(0).count, 2u);
}

TEST_F(AggregationTest, NewestOfTwoMatchingRowsTakesTheEntry) {
  options_.summarize = true;
  // Both the IPv6 row (same IPv6 part) and the newer 0.0.0.0 row (IPv4
  // part 0) take the third line; the newer one wins.
  Run(WithColumns({kColumnIpSaddr}),
      {MakeEntry("2001:db8::1"), MakeEntry("0.0.0.0"),
       MakeEntry("2001:db8::1")});
  ASSERT_EQ(rows_.rows().size(), 2u);
  EXPECT_EQ(Row(0).oob_family, kFamilyIpv4);
  EXPECT_EQ(Row(0).count, 2u);
  EXPECT_EQ(Row(1).count, 1u);
}

TEST_F(AggregationTest, SnameComparesOnlyItsFirst128Characters) {
  options_.summarize = true;
  LogEntry a = MakeEntry();
  a.sname.Set(std::string(128, 'f') + "-1");
  LogEntry b = a;
  b.sname.Set(std::string(128, 'f') + "-2");
  LogEntry c = a;
  c.sname.Set(std::string(127, 'f') + "g");
  Run(WithColumns({kColumnSname}), {a, b, c});
  ASSERT_EQ(rows_.rows().size(), 2u);
  EXPECT_EQ(Row(1).count, 2u);
}

TEST_F(AggregationTest, LocationColumnsCompareRecordContents) {
  options_.summarize = true;
  LocationRecord de, de_again, fr;
  de.country_name.Set("Germany");
  de_again.country_name.Set("Germany");
  fr.country_name.Set("France");
  LogEntry a = MakeEntry("10.0.0.1"), b = MakeEntry("10.0.0.2"),
           c = MakeEntry("10.0.0.3");
  a.src_location = &de;
  b.src_location = &fr;
  c.src_location = &de_again;
  Run(WithColumns({kColumnLocationSourceBase + kLocCountryName}), {a, b, c});
  ASSERT_EQ(rows_.rows().size(), 2u);
  EXPECT_EQ(Row(1).count, 2u);
  EXPECT_STREQ(Row(0).ip_saddr.text.c_str(), "10.0.0.2");
}

TEST_F(AggregationTest, AddressDetailsPushedAtHeadWhenFullCacheIsOn) {
  options_.summarize = true;
  options_.cache_flags = kCachePopulateFull;
  Run(WithColumns({kColumnDport}),
      {MakeEntry("10.0.0.1", 1), MakeEntry("10.0.0.2", 2),
       MakeEntry("10.0.0.3", 1)});
  const auto& details = rows_.address_details();
  ASSERT_EQ(details.size(), 3u);
  EXPECT_EQ(details[0].entry_no, 1u);  // folded into the first row
  EXPECT_STREQ(details[0].ip_saddr.text.c_str(), "10.0.0.3");
  EXPECT_EQ(details[1].entry_no, 2u);
  EXPECT_EQ(details[1].dport, 2u);
  EXPECT_EQ(details[2].entry_no, 1u);
}

TEST_F(AggregationTest, NoAddressDetailsWithoutFullCache) {
  options_.cache_flags = kCachePopulate;
  Run(ReportDefinition(), {MakeEntry()});
  EXPECT_TRUE(rows_.address_details().empty());
}

// The matching rules written out plainly, for the columns the randomized
// comparison selects.
bool ReferenceMatch(const LogEntry& row, const LogEntry& entry,
                    const ReportDefinition& def) {
  auto address = [&](const AddressBlock& r, const AddressBlock& e) {
    if (row.oob_family == kFamilyIpv4) return r.v4 == e.v4;
    if (row.oob_family == kFamilyIpv6) return !std::memcmp(r.v6, e.v6, 16);
    return true;
  };
  if (def.IsColumnSelected(kColumnIpSaddr) &&
      !address(row.ip_saddr, entry.ip_saddr)) {
    return false;
  }
  if (def.IsColumnSelected(kColumnIpDaddr) &&
      !address(row.ip_daddr, entry.ip_daddr)) {
    return false;
  }
  if (def.IsColumnSelected(kColumnDport) && row.dport != entry.dport) {
    return false;
  }
  if (def.IsColumnSelected(kColumnOobFamily) &&
      row.oob_family != entry.oob_family) {
    return false;
  }
  if (def.IsColumnSelected(kColumnOobPrefix) &&
      std::strncmp(row.oob_prefix.c_str(), entry.oob_prefix.c_str(), 128)) {
    return false;
  }
  if (def.IsColumnSelected(kColumnSname) &&
      std::strncmp(row.sname.c_str(), entry.sname.c_str(), 128)) {
    return false;
  }
  return true;
}

struct ReferenceRow {
  LogEntry first;
  uint64_t count;
  int64_t earliest;
  int64_t latest;
};

LogEntry RandomEntry(std::mt19937& rng) {
  static const char* const kAddresses[] = {
      "0.0.0.0", "10.0.0.1", "10.0.0.2", "::", "2001:db8::1", "2001:db8::2"};
  auto pick = [&](int n) { return static_cast<int>(rng() % n); };
  LogEntry entry = MakeEntry(kAddresses[pick(6)], 80 + pick(3));
  if (pick(4) == 0) {
    testing::SetAddress(entry.ip_daddr, kAddresses[pick(6)]);
  }
  // Now and then a family that is neither IPv4 nor IPv6.
  if (pick(10) == 0) entry.oob_family = pick(2) == 0 ? 0 : kFamilyIpv4;
  entry.oob_prefix.Set(pick(2) ? "DROP" : "ACCEPT");
  std::string sname(128, 's');
  sname += static_cast<char>('a' + pick(2));
  if (pick(3) == 0) sname = "short";
  entry.sname.Set(sname);
  entry.local_time = pick(1000);
  entry.count = 1 + pick(3);
  return entry;
}

TEST(AggregationIndex, AgreesWithNewestFirstWalkOnRandomEntries) {
  const std::vector<std::vector<int>> selections = {
      {kColumnIpSaddr},
      {kColumnIpSaddr, kColumnIpDaddr, kColumnDport},
      {kColumnIpDaddr, kColumnOobFamily},
      {kColumnOobPrefix, kColumnSname},
      {kColumnIpSaddr, kColumnOobPrefix, kColumnSname, kColumnDport},
      {},
  };
  std::mt19937 rng(12345);
  for (const std::vector<int>& columns : selections) {
    ReportDefinition def;
    for (int column : columns) def.column_selected[column] = 1;
    Options options;
    options.summarize = true;
    Diagnostics diag;
    Counters counters;
    ReportRows rows;
    FixedClock clock(0);
    Aggregation aggregation(def, options, diag, clock, &counters, &rows);
    std::vector<ReferenceRow> reference;  // oldest first
    uint64_t reference_total = 0;
    for (int i = 0; i < 3000; ++i) {
      LogEntry entry = RandomEntry(rng);
      aggregation.aggregate_entry(entry);
      if (entry.count >= 2) reference_total += entry.count - 1;
      auto it = reference.rbegin();
      while (it != reference.rend() && !ReferenceMatch(it->first, entry, def)) {
        ++it;
      }
      if (it == reference.rend()) {
        reference.push_back(
            {entry, entry.count, entry.local_time, entry.local_time});
        continue;
      }
      it->count += entry.count;
      if (entry.local_time >= it->latest) it->latest = entry.local_time;
      if (entry.local_time < it->earliest) it->earliest = entry.local_time;
    }
    ASSERT_EQ(rows.rows().size(), reference.size());
    EXPECT_EQ(counters.total_matched, reference_total);
    for (size_t i = 0; i < reference.size(); ++i) {
      ReportEntry scratch;
      const ReportEntry& row =
          rows.Row(rows.rows()[reference.size() - 1 - i], &scratch);
      const ReferenceRow& want = reference[i];
      EXPECT_EQ(row.entry_no, i + 1);
      EXPECT_EQ(row.count, want.count) << "row " << i;
      EXPECT_EQ(row.earliest, want.earliest);
      EXPECT_EQ(row.latest, want.latest);
      EXPECT_EQ(row.oob_family, want.first.oob_family);
      EXPECT_STREQ(row.ip_saddr.text.c_str(), want.first.ip_saddr.text.c_str());
    }
  }
}

}  // namespace
}  // namespace tnwk
