#include "entries/selection.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "base/clock.h"
#include "entries/aggregation.h"
#include "entry_builders.h"
#include "test_support.h"

namespace tnwk {
namespace {

using testing::Address;
using testing::CapturedStream;
using testing::Flags;
using testing::IcmpEntry;
using testing::MakeEntry;
using testing::Number;
using testing::Range;
using testing::Text;

// Runs the selection with the criteria given in list order (head first).
class SelectionTest : public ::testing::Test {
 protected:
  void Add(SelectionCriterion criterion) {
    definition_.criteria.push_back(std::move(criterion));
  }
  bool Keeps(const LogEntry& entry, uint8_t verbosity = 0) {
    Diagnostics diag(verbosity, stream_.get());
    Selection selection(definition_, options_, diag, run_state_);
    return selection.select_entry(entry);
  }

  ReportDefinition definition_;
  Options options_;
  RunState run_state_;
  CapturedStream stream_;
};

TEST_F(SelectionTest, CriteriaOnOneKeyAreAlternatives) {
  Add(Number(kCriterionTcpDport, 22));
  Add(Number(kCriterionTcpDport, 80));
  EXPECT_TRUE(Keeps(MakeEntry("10.0.0.1", 80)));
  EXPECT_TRUE(Keeps(MakeEntry("10.0.0.1", 22)));
  EXPECT_FALSE(Keeps(MakeEntry("10.0.0.1", 443)));
}

TEST_F(SelectionTest, GuardMakesCriterionNotApply) {
  Add(Number(kCriterionTcpDport, 80));
  LogEntry udp = MakeEntry("10.0.0.1", 53);
  udp.ip_protocol = 17;
  EXPECT_TRUE(Keeps(udp));
  EXPECT_TRUE(Keeps(IcmpEntry(8, 0)));
  EXPECT_FALSE(Keeps(MakeEntry("10.0.0.1", 53)));
}

TEST_F(SelectionTest, DifferentKeysMustAllPass) {
  // icmp_type and icmp_code share a guard but each keeps its own state.
  Add(Number(kCriterionIcmpType, 8));
  Add(Number(kCriterionIcmpCode, 0));
  EXPECT_TRUE(Keeps(IcmpEntry(8, 0)));
  EXPECT_FALSE(Keeps(IcmpEntry(8, 3)));
  EXPECT_FALSE(Keeps(IcmpEntry(0, 0)));
}

TEST_F(SelectionTest, RangeAndInvertedRange) {
  Add(Range(kCriterionTcpDport, 1024, 65535, /*invert=*/true));
  EXPECT_TRUE(Keeps(MakeEntry("10.0.0.1", 80)));
  EXPECT_FALSE(Keeps(MakeEntry("10.0.0.1", 1024)));
  EXPECT_FALSE(Keeps(MakeEntry("10.0.0.1", 65535)));
}

TEST_F(SelectionTest, InvertedCriteriaOnOneKeyAllMustHold) {
  // An inverted criterion is skipped only once its key has failed.
  Add(Number(kCriterionTcpDport, 22, true));
  Add(Number(kCriterionTcpDport, 80, true));
  EXPECT_FALSE(Keeps(MakeEntry("10.0.0.1", 80)));
  EXPECT_FALSE(Keeps(MakeEntry("10.0.0.1", 22)));
  EXPECT_TRUE(Keeps(MakeEntry("10.0.0.1", 443)));
}

TEST_F(SelectionTest, InvertedNodeIsSkippedOnceKeyFailed) {
  Add(Number(kCriterionTcpDport, 80));
  Add(Number(kCriterionTcpDport, 22, true));
  EXPECT_TRUE(Keeps(MakeEntry("10.0.0.1", 80)));
  // Failed by the plain node; the inverted node would pass it.
  EXPECT_FALSE(Keeps(MakeEntry("10.0.0.1", 443)));
}

TEST_F(SelectionTest, Ipv4NetworkMatchAndInvert) {
  Add(Address(kCriterionIpSaddr, "10.0.0.0", 8));
  EXPECT_TRUE(Keeps(MakeEntry("10.1.2.3")));
  EXPECT_FALSE(Keeps(MakeEntry("11.1.2.3")));
  EXPECT_FALSE(Keeps(MakeEntry("2001:db8::1")));
  definition_.criteria[0].invert = 1;
  EXPECT_FALSE(Keeps(MakeEntry("10.1.2.3")));
  EXPECT_TRUE(Keeps(MakeEntry("11.1.2.3")));
  EXPECT_TRUE(Keeps(MakeEntry("2001:db8::1")));
}

TEST_F(SelectionTest, Ipv6PrefixAndDestination) {
  Add(Address(kCriterionIpSaddr, "2001:db8::", 32));
  EXPECT_TRUE(Keeps(MakeEntry("2001:db8:ffff::1")));
  EXPECT_FALSE(Keeps(MakeEntry("2001:db9::1")));
  EXPECT_FALSE(Keeps(MakeEntry("10.0.0.1")));
  Add(Address(kCriterionIpDaddr, "192.0.2.0", 24));
  EXPECT_FALSE(Keeps(MakeEntry("2001:db8::1")));  // daddr family differs
}

TEST_F(SelectionTest, IcmpGatewayOnlyForRedirects) {
  Add(Address(kCriterionIcmpGateway, "192.168.0.1", 32));
  LogEntry redirect = IcmpEntry(5, 1);
  inet_pton(AF_INET, "192.168.0.1", &redirect.icmp_gateway);
  EXPECT_TRUE(Keeps(redirect));
  inet_pton(AF_INET, "192.168.0.2", &redirect.icmp_gateway);
  EXPECT_FALSE(Keeps(redirect));
  EXPECT_TRUE(Keeps(IcmpEntry(3, 1)));
}

TEST(PrefixEqual, ComparesWholeBytesThenLeadingBits) {
  uint8_t a[16] = {0x20, 0x01, 0x0d, 0xb8};
  uint8_t b[16] = {0x20, 0x01, 0x0d, 0xbf};
  EXPECT_TRUE(prefix_equal(a, b, 0));
  EXPECT_TRUE(prefix_equal(a, b, 24));
  EXPECT_TRUE(prefix_equal(a, b, 29));
  EXPECT_FALSE(prefix_equal(a, b, 30));
  EXPECT_FALSE(prefix_equal(a, b, 128));
  EXPECT_TRUE(prefix_equal(a, a, 200));  // clamped to the 16 bytes
  b[0] = 0x21;
  EXPECT_FALSE(prefix_equal(a, b, 8));
  EXPECT_TRUE(prefix_equal(a, b, 7));
}

TEST_F(SelectionTest, TextCriterionExcludesAtOnce) {
  Add(Text(kCriterionOobPrefix, "DROP"));
  LogEntry entry = MakeEntry();
  entry.oob_prefix.Set("FW DROP in");
  EXPECT_TRUE(Keeps(entry));
  entry.oob_prefix.Set("ACCEPT");
  EXPECT_FALSE(Keeps(entry));
}

TEST_F(SelectionTest, InvertedTextExcludesWhateverOtherKeysSay) {
  Add(Number(kCriterionTcpDport, 80));
  Add(Text(kCriterionOobPrefix, "DROP", /*invert=*/true));
  LogEntry entry = MakeEntry("10.0.0.1", 80);
  entry.oob_prefix.Set("DROP");
  EXPECT_FALSE(Keeps(entry));
  entry.oob_prefix.Set("ACCEPT");
  EXPECT_TRUE(Keeps(entry));
}

TEST_F(SelectionTest, EveryTextField) {
  const int fields[] = {kCriterionLocalHostname, kCriterionOobIn,
                        kCriterionOobOut,        kCriterionMacSaddrStr,
                        kCriterionMacDaddrStr,   kCriterionRawMac};
  for (int field : fields) {
    definition_.criteria.clear();
    Add(Text(field, "^x$"));
    LogEntry entry = MakeEntry();
    EXPECT_FALSE(Keeps(entry)) << field;
    entry.local_hostname.Set("x");
    entry.oob_in.Set("x");
    entry.oob_out.Set("x");
    entry.mac_saddr_str.Set("x");
    entry.mac_daddr_str.Set("x");
    entry.raw_mac.Set("x");
    EXPECT_TRUE(Keeps(entry)) << field;
  }
}

TEST_F(SelectionTest, TcpFlagsShareABitOrMatchExactly) {
  Add(Flags(kTcpFlagSyn));
  LogEntry syn_ack = MakeEntry();
  syn_ack.tcp_flags = kTcpSyn | kTcpAck;
  EXPECT_TRUE(Keeps(syn_ack));
  LogEntry ack = MakeEntry();
  ack.tcp_flags = kTcpAck;
  EXPECT_FALSE(Keeps(ack));

  definition_.criteria[0].value = kTcpFlagSyn | kTcpFlagExact;
  EXPECT_FALSE(Keeps(syn_ack));
  LogEntry syn = MakeEntry();
  syn.tcp_flags = kTcpSyn;
  EXPECT_TRUE(Keeps(syn));
}

TEST_F(SelectionTest, TcpFlagsIgnoredWhenUnknownOrNotTcp) {
  Add(Flags(kTcpFlagSyn));
  LogEntry unknown = MakeEntry();
  unknown.tcp_flags = kTcpFlagsUnknown | kTcpAck;
  EXPECT_TRUE(Keeps(unknown));
  EXPECT_TRUE(Keeps(IcmpEntry(8, 0)));
  definition_.criteria[0].value = 0;
  EXPECT_TRUE(Keeps(MakeEntry()));  // no flags on either side
}

TEST_F(SelectionTest, DatesBoundTheLineTime) {
  Add(Number(kCriterionMinDate, 1000));
  Add(Number(kCriterionMaxDate, 2000));
  LogEntry entry = MakeEntry();
  for (int64_t t : {1000, 2000}) {
    entry.local_time = t;
    EXPECT_TRUE(Keeps(entry));
  }
  for (int64_t t : {999, 2001, -5}) {
    entry.local_time = t;
    EXPECT_FALSE(Keeps(entry));
  }
}

TEST_F(SelectionTest, EchoFragmentAndSpiGuards) {
  Add(Number(kCriterionIcmpEchoid, 7));
  Add(Number(kCriterionIcmpFragmtu, 1400));
  Add(Number(kCriterionAhespSpi, 9));
  Add(Number(kCriterionIcmpv6Echoseq, 3));
  EXPECT_FALSE(Keeps(IcmpEntry(8, 0)));  // echoid 0
  LogEntry echo = IcmpEntry(0, 0);
  echo.icmp_echoid = 7;
  EXPECT_TRUE(Keeps(echo));
  EXPECT_TRUE(Keeps(IcmpEntry(3, 3)));
  EXPECT_FALSE(Keeps(IcmpEntry(3, 4)));  // fragmtu 0
  LogEntry esp = MakeEntry();
  esp.ip_protocol = 50;
  EXPECT_FALSE(Keeps(esp));
  esp.ahesp_spi = 9;
  EXPECT_TRUE(Keeps(esp));
  LogEntry v6echo = IcmpEntry(129, 0);
  v6echo.ip_protocol = 58;
  EXPECT_FALSE(Keeps(v6echo));
  v6echo.icmp_echoseq = 3;
  EXPECT_TRUE(Keeps(v6echo));
}

TEST_F(SelectionTest, InvertOnlyCriteriaNeverTakePart) {
  SelectionCriterion invert_only = Number(kCriterionTcpDport, 1);
  invert_only.have_value = -1;
  Add(std::move(invert_only));
  SelectionCriterion tagged = Number(kCriterionTcpSport, 1);
  tagged.geoip = kLocationSource;
  Add(std::move(tagged));
  EXPECT_TRUE(Keeps(MakeEntry()));
}

// Location and AS criteria read the records the entry points at, by the
// kind of their field, unless the run state skips their kind.
TEST_F(SelectionTest, LocationCriteriaTestTheEntrysRecords) {
  LocationRecord de;
  de.country_iso_code.Set("DE");
  de.is_in_european_union = 1;
  de.latitude = 52.5;
  AsRecord as;
  as.autonomous_system_number = 3320;
  LogEntry entry = MakeEntry();
  entry.src_location = &de;
  entry.dst_asn = &as;
  auto keeps = [&](SelectionCriterion criterion, uint8_t skip = 0) {
    definition_.criteria.clear();
    Add(std::move(criterion));
    run_state_.skipped_criteria = skip;
    return Keeps(entry);
  };
  auto latitude = [](double low, double high, bool invert) {
    SelectionCriterion c =
        Number(kCriterionLocationSourceBase + kLocLatitude, 0, invert);
    c.dvalue = low;
    c.max_dvalue = high;
    return c;
  };
  auto yes_no = [](int field, int8_t value) {
    SelectionCriterion c = Number(field, 0);
    c.boolean = value;
    return c;
  };
  const int src = kCriterionLocationSourceBase;
  const int dst = kCriterionLocationDestinationBase;
  EXPECT_TRUE(keeps(Text(src + kLocCountryIsoCode, "^(DE|AT)$")));
  EXPECT_FALSE(keeps(Text(src + kLocCountryIsoCode, "^DE$", true)));
  EXPECT_FALSE(keeps(Text(dst + kLocCountryIsoCode, ".")));  // empty record
  EXPECT_TRUE(keeps(Range(dst + kLocAutonomousSystemNumber, 3000, 4000)));
  EXPECT_FALSE(keeps(Range(dst + kLocAutonomousSystemNumber, 3000, 4000, 1)));
  EXPECT_FALSE(keeps(Number(src + kLocAutonomousSystemNumber, 3320)));
  EXPECT_TRUE(keeps(latitude(52.0, 53.0, false)));
  EXPECT_FALSE(keeps(latitude(52.0, 53.0, true)));
  EXPECT_TRUE(keeps(yes_no(src + kLocIsInEuropeanUnion, 1)));
  EXPECT_FALSE(keeps(yes_no(src + kLocIsInEuropeanUnion, 0)));
  EXPECT_TRUE(keeps(yes_no(dst + kLocIsInEuropeanUnion, -1)));  // unknown
  // Skipped kinds never decide; the other kind still does.
  EXPECT_TRUE(
      keeps(Text(dst + kLocCountryIsoCode, "."), kSkipLocationCriteria));
  EXPECT_FALSE(keeps(Number(src + kLocAutonomousSystemNumber, 3320),
                     kSkipLocationCriteria));
  EXPECT_TRUE(
      keeps(Number(src + kLocAutonomousSystemNumber, 3320), kSkipAsCriteria));
}

TEST_F(SelectionTest, UnknownKeyIsSkippedWithMessage) {
  Add(Number(kCriterionTcpSyn, 1));  // should have been folded
  EXPECT_TRUE(Keeps(MakeEntry(), 2));
  EXPECT_EQ(stream_.str(), "");
  EXPECT_TRUE(Keeps(MakeEntry(), 3));
  EXPECT_EQ(stream_.str(),
            "Skipping unrecognized selection key during parse: 19\n");
}

TEST_F(SelectionTest, KeyStateStartsAfreshForEveryLine) {
  Add(Number(kCriterionTcpDport, 80));
  Diagnostics diag;
  Selection selection(definition_, options_, diag);
  EXPECT_FALSE(selection.select_entry(MakeEntry("10.0.0.1", 81)));
  EXPECT_TRUE(selection.select_entry(MakeEntry("10.0.0.1", 80)));
}

// Rows as the aggregation leaves them: counts 4, 5, 6 created in that
// order, so the list runs 6, 5, 4.
class FilterRowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    options_.summarize = true;
    Counters counters;
    Diagnostics diag;
    ReportDefinition by_port = testing::WithColumns({kColumnDport});
    Aggregation aggregation(by_port, options_, diag, clock_, &counters, &rows_);
    for (uint32_t port = 4; port <= 6; ++port) {
      LogEntry entry = MakeEntry("10.0.0.1", port);
      entry.count = port;
      entry.local_time = 100 * port;
      aggregation.aggregate_entry(entry);
    }
  }
  std::string Counts() {
    std::string result;
    for (RowRef row : rows_.rows()) {
      result += std::to_string(rows_.count(row)) + " ";
    }
    return result;
  }
  void Filter() {
    Diagnostics diag;
    Selection(definition_, options_, diag).filter_rows(&rows_);
  }

  ReportDefinition definition_;
  Options options_;
  FixedClock clock_{0};
  ReportRows rows_;
};

TEST_F(FilterRowsTest, NoLimitsReversesAndSums) {
  Filter();
  EXPECT_EQ(Counts(), "4 5 6 ");
  EXPECT_EQ(rows_.row_count(), 3u);
  EXPECT_EQ(rows_.count_sum, 15u);
}

TEST_F(FilterRowsTest, CountLimits) {
  definition_.min_count = 5;
  Filter();
  EXPECT_EQ(Counts(), "5 6 ");
  EXPECT_EQ(rows_.row_count(), 2u);
  EXPECT_EQ(rows_.count_sum, 11u);
  definition_.min_count = 0;
  definition_.max_count = 5;
  Filter();
  EXPECT_EQ(Counts(), "5 ");
}

TEST_F(FilterRowsTest, TimeLimits) {
  definition_.max_earliest = 500;
  definition_.min_latest = 500;
  Filter();
  EXPECT_EQ(Counts(), "5 ");
}

TEST_F(FilterRowsTest, DoesNothingWithoutSummarize) {
  options_.summarize = false;
  definition_.min_count = 5;
  Filter();
  EXPECT_EQ(Counts(), "6 5 4 ");
  EXPECT_EQ(rows_.row_count(), 3u);
  EXPECT_EQ(rows_.count_sum, 0u);
}

}  // namespace
}  // namespace tnwk
