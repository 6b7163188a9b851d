#include "entries/sorting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "entry_builders.h"
#include "test_support.h"

namespace tnwk {
namespace {

using testing::CapturedStream;
using testing::SetAddress;

// Rows built directly; `rows_` lists them head first. They are sorted in a
// row table of their own and read back by their entry_no.
class SortingTest : public ::testing::Test {
 protected:
  ReportEntry& AddRow(const char* saddr = "10.0.0.1", uint64_t count = 1) {
    ReportEntry& row = storage_.emplace_back();
    row.oob_family = SetAddress(row.ip_saddr, saddr);
    row.count = count;
    row.entry_no = storage_.size();
    rows_.push_back(&row);
    return row;
  }
  void Sort(int key, bool descending = false) {
    ReportRows rows;
    Fill(rows);
    sort_rows(&rows, key, descending, diag_);
    ReadBack(rows);
  }
  void Fill(ReportRows& rows) const {
    for (auto it = rows_.rbegin(); it != rows_.rend(); ++it) rows.AddRow(**it);
  }
  void ReadBack(const ReportRows& rows) {
    rows_.clear();
    for (RowRef row : rows.rows()) {
      rows_.push_back(&storage_[rows.entry_no(row) - 1]);
    }
  }
  // The entry_no of the rows in list order.
  std::string Order() const {
    std::string result;
    for (const ReportEntry* row : rows_) {
      result += std::to_string(row->entry_no) + " ";
    }
    return result;
  }
  void AddSortField(int key, bool descending, int32_t position) {
    SortField field;
    field.sort = key;
    field.descending = descending;
    field.position = position;
    definition_.sort_fields.push_back(field);
  }

  std::deque<ReportEntry> storage_;
  std::deque<ReportEntry*> rows_;
  ReportDefinition definition_;
  CapturedStream stream_;
  Diagnostics diag_{1, stream_.get()};
};

TEST_F(SortingTest, PassesRunFromTheHeadAndTheLastIsPrimary) {
  // s_count=1 with o_count=yes, s_ip_saddr=2.
  AddRow("10.0.0.2", 5);
  AddRow("10.0.0.1", 5);
  AddRow("9.0.0.1", 7);
  AddSortField(kSortIpSaddr, false, 2);
  AddSortField(kSortCount, true, 1);
  ReportRows rows;
  Fill(rows);
  Diagnostics quiet;
  SortReportRows(&rows, definition_, quiet);
  ReadBack(rows);
  EXPECT_EQ(Order(), "3 2 1 ");
}

TEST_F(SortingTest, PlaceholderStopsThePasses) {
  AddRow("10.0.0.2");
  AddRow("10.0.0.1");
  AddSortField(kSortIpSaddr, false, kSortPlaceholderPosition);
  AddSortField(kSortCount, true, 1);
  ReportRows rows;
  Fill(rows);
  Diagnostics verbose(5, stream_.get());
  SortReportRows(&rows, definition_, verbose);
  ReadBack(rows);
  EXPECT_EQ(Order(), "1 2 ");
  EXPECT_EQ(stream_.str(), "Sorting data\n\n");
}

TEST_F(SortingTest, ProgressMarksPerPass) {
  AddSortField(kSortCount, false, 2);
  AddSortField(kSortSport, false, 1);
  ReportRows rows;
  Diagnostics verbose(5, stream_.get());
  SortReportRows(&rows, definition_, verbose);
  EXPECT_EQ(stream_.str(), "Sorting data\n..\n");
}

TEST_F(SortingTest, Ipv4RowsBeforeIpv6AndNumericAddressOrder) {
  AddRow("2001:db8::1");
  AddRow("10.0.0.1");
  AddRow("::1");
  AddRow("9.0.0.1");
  Sort(kSortIpSaddr);
  EXPECT_EQ(Order(), "4 2 3 1 ");
  Sort(kSortIpSaddr, true);
  EXPECT_EQ(Order(), "1 3 2 4 ");
}

TEST_F(SortingTest, TextsCompareByteWise) {
  AddRow().oob_in = "eth2";
  AddRow().oob_in = "eth10";
  AddRow().oob_in = "a";
  AddRow().oob_in = "Z";
  Sort(kSortOobIn);
  EXPECT_EQ(Order(), "4 3 2 1 ");
}

TEST_F(SortingTest, TextsCompareOverTheirFirst128Bytes) {
  std::string a = std::string(128, 'x') + "b";
  std::string b = std::string(128, 'x') + "a";
  AddRow().raw_mac = a.c_str();
  AddRow().raw_mac = b.c_str();
  Sort(kSortRawMac);
  EXPECT_EQ(Order(), "1 2 ");
}

TEST_F(SortingTest, LineSortsByFileThenLineNumber) {
  ReportEntry& a = AddRow();
  a.sname = "b";
  a.id = 1;
  ReportEntry& b = AddRow();
  b.sname = "a";
  b.id = 9;
  ReportEntry& c = AddRow();
  c.sname = "a";
  c.id = 2;
  Sort(kSortId);
  EXPECT_EQ(Order(), "3 2 1 ");
}

TEST_F(SortingTest, TimesSortAsUnsigned) {
  AddRow().earliest = -1;
  AddRow().earliest = 5;
  Sort(kSortEarliest);
  EXPECT_EQ(Order(), "2 1 ");
}

TEST_F(SortingTest, GatewayComparesOnlyIpv4Values) {
  ReportEntry& a = AddRow("2001:db8::1");
  a.icmp_gateway = 5;
  ReportEntry& b = AddRow("2001:db8::2");
  b.icmp_gateway = 1;
  ReportEntry& c = AddRow("10.0.0.1");
  c.icmp_gateway = htonl(0x0A000002);
  ReportEntry& d = AddRow("10.0.0.1");
  d.icmp_gateway = htonl(0x09000001);
  Sort(kSortIcmpGateway);
  EXPECT_EQ(Order(), "4 3 1 2 ");
}

TEST_F(SortingTest, YesNoSortsUnknownFirst) {
  LocationRecord yes, no;
  yes.is_in_european_union = 1;
  no.is_in_european_union = 0;
  AddRow().src_location = &yes;
  AddRow();  // the shared empty record: 255, unknown
  AddRow().src_location = &no;
  Sort(kSortLocationSourceBase + kLocIsInEuropeanUnion);
  EXPECT_EQ(Order(), "2 3 1 ");
}

TEST_F(SortingTest, LocationKeyOnSharedRecordsKeepsOrder) {
  AddRow("10.0.0.3");
  AddRow("10.0.0.1");
  Sort(kSortLocationDestinationBase + kLocCityName);
  Sort(kSortLocationSourceBase + kLocLatitude);
  EXPECT_EQ(Order(), "1 2 ");
}

TEST_F(SortingTest, EmptyAndSingleRowListsComeBackUnchanged) {
  Sort(kSortCount);
  EXPECT_EQ(Order(), "");
  AddRow();
  Sort(kSortCount);
  EXPECT_EQ(Order(), "1 ");
  EXPECT_EQ(stream_.str(), "");
}

TEST_F(SortingTest, UnknownKeyReportsEveryComparisonAndKeepsOrder) {
  AddRow("10.0.0.2");
  AddRow("10.0.0.1");
  AddRow("10.0.0.3");
  Sort(31);
  EXPECT_EQ(Order(), "1 2 3 ");
  // Three rows take three comparisons: runs of one, then of two.
  std::string line = "Unrecognized sort key 31\n";
  EXPECT_EQ(stream_.str(), line + line + line);
}

TEST_F(SortingTest, StableOnRandomRowsLikeStableSort) {
  std::mt19937 rng(7);
  for (int i = 0; i < 1000; ++i) {
    ReportEntry& row = AddRow();
    row.dport = rng() % 20;
    row.count = rng() % 5;
  }
  std::vector<ReportEntry*> want(rows_.begin(), rows_.end());
  std::stable_sort(want.begin(), want.end(),
                   [](auto* a, auto* b) { return a->dport < b->dport; });
  std::stable_sort(want.begin(), want.end(),
                   [](auto* a, auto* b) { return a->count > b->count; });
  Sort(kSortDport);
  Sort(kSortCount, true);
  EXPECT_TRUE(std::equal(want.begin(), want.end(), rows_.begin()));
}

}  // namespace
}  // namespace tnwk
