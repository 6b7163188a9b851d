// Column and sort lines: insertion order, placeholders and side flags.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "definition_fixture.h"
#include "entries/field_keywords.h"
#include "reportdef/column_list.h"
#include "reportdef/definition_reader.h"

namespace tnwk::testing {
namespace {

using Names = std::vector<std::string>;

class ColumnListTest : public DefinitionTest {};

TEST_F(ColumnListTest, ColumnsPrintByAscendingPosition) {
  Lines({"c_count=2", "c_ip_saddr=1", "c_sname=3"});
  EXPECT_EQ(ColumnNames(), (Names{"ip_saddr", "count", "sname"}));
  Lines({"c_oob_in=2", "c_oob_out=9", "c_id=0"});
  EXPECT_EQ(ColumnNames(),
            (Names{"id", "ip_saddr", "oob_in", "count", "sname", "oob_out"}));
}

TEST_F(ColumnListTest, EqualPositionsPutTheLaterLineFirst) {
  Lines({"c_count=1", "c_ip_saddr=1"});
  EXPECT_EQ(ColumnNames(), (Names{"ip_saddr", "count"}));
  Lines({"c_oob_in=1"});
  EXPECT_EQ(ColumnNames(), (Names{"oob_in", "ip_saddr", "count"}));
}

TEST_F(ColumnListTest, OrderingOnceGivesTheOrderOfInsertingEachLine) {
  // Without the trace the columns are ordered once at the end; with it each
  // is inserted as it comes. Both must give the same list.
  const char* keys[] = {"count", "ip_saddr", "sname", "oob_in", "id"};
  std::vector<std::string> lines;
  unsigned seed = 7;
  for (int i = 0; i < 300; ++i) {
    seed = seed * 1103515245u + 12345u;
    lines.push_back(std::string("c_") + keys[(seed >> 8) % 5] + "=" +
                    std::to_string((seed >> 16) % 7) + "\n");
  }
  auto order = [&](uint8_t verbosity) {
    SetVerbosity(verbosity);
    definition_ = ReportDefinition();
    for (std::string line : lines) {
      process_definition_line(context_, line.data(), 1);
    }
    order_columns(definition_);
    std::vector<std::pair<std::string, int32_t>> result;
    for (const ReportColumn& c : definition_.columns) {
      result.emplace_back(c.name.c_str(), c.position);
    }
    return result;
  };
  EXPECT_EQ(order(0), order(6));
}

TEST_F(ColumnListTest, AHundredThousandColumnsOfOnePositionReadInLinearTime) {
  for (int i = 0; i < 100000; ++i) {
    std::string line = i % 2 ? "c_count=1\n" : "c_sname=1\n";
    process_definition_line(context_, line.data(), i + 1);
  }
  order_columns(definition_);
  ASSERT_EQ(definition_.columns.size(), 100000u);
  EXPECT_EQ(definition_.columns.front().name.view(), "count");  // the last
  EXPECT_EQ(definition_.columns.back().name.view(), "sname");   // the first
}

TEST_F(ColumnListTest, PositionsAreReadFromTheRawParameter) {
  Lines({"c_count=\"4\"", "c_sname='5'"});
  EXPECT_EQ(definition_.columns[1].position, 4);
  EXPECT_EQ(definition_.columns[0].position, 0);
}

TEST_F(ColumnListTest, BadPositionsBecomeZero) {
  SetVerbosity(1);
  Line("c_count=x", 3);
  Line("c_sname=q", 4);
  EXPECT_EQ(ColumnNames(), (Names{"sname", "count"}));
  EXPECT_EQ(Messages(), "Error in report definition, line 4: q not a number\n");
}

TEST_F(ColumnListTest, KeysThatAreNoColumnsAreSkipped) {
  SetVerbosity(5);
  Lines({"c_icmp_type=3", "c_ICMPTYPE=1"});
  EXPECT_TRUE(definition_.columns.empty());
  EXPECT_EQ(definition_.columns.size(), 0u);
  EXPECT_EQ(Messages(),
            "ignoring key = icmp_type\n"
            "Skipping unrecognized column: ICMPTYPE\n");
}

TEST_F(ColumnListTest, ColumnsSetTheirFlags) {
  Lines({"c_src_host=1", "c_latitude_s=2", "c_id=3", "c_count=4", "c_count=5"});
  EXPECT_EQ(options_.cache_flags, kCacheNameColumn);
  EXPECT_EQ(options_.location_flags, kLocationSource);
  EXPECT_TRUE(definition_.IsColumnSelected(kColumnSrcHost));
  EXPECT_FALSE(definition_.IsColumnSelected(kColumnId));
  EXPECT_FALSE(definition_.IsColumnSelected(kColumnDstHost));
  EXPECT_EQ(definition_.columns.size(), 5u);
}

TEST_F(ColumnListTest, InsertionIsTracedAtSix) {
  SetVerbosity(6);
  Lines({"c_count=1", "c_sname=3"});
  Line("c_oob_in=2");
  const std::string messages = Messages();
  EXPECT_NE(messages.find("First item seen; position: 1\n"), std::string::npos);
  EXPECT_NE(messages.find("Second item seen; position: 3\n"),
            std::string::npos);
  EXPECT_NE(
      messages.find("Inserting column oob_in into list: this->position = 1\n"
                    "Inserting column oob_in into list: this->position = 3\n"
                    "Last->position: 1\n"
                    "This->position: 3\n"
                    "Not first or second item; position: 2\n"
                    "this->position > last->position = insert item\n"),
      std::string::npos)
      << messages;
}

class SortListTest : public DefinitionTest {
 protected:
  const SortField& Field(size_t index) const {
    return definition_.sort_fields.at(index);
  }
};

TEST_F(SortListTest, SortFieldsRunFromHighestPosition) {
  Lines({"s_count=1", "s_ip_saddr=2", "s_sname=3", "s_oob_in=2"});
  EXPECT_EQ(SortNames(), (Names{"sname", "oob_in", "ip_saddr", "count"}));
  EXPECT_EQ(definition_.sort_count, 4u);
}

TEST_F(SortListTest, OrderLinesMayComeFirst) {
  Lines({"o_count=yes", "s_count=1"});
  ASSERT_EQ(SortNames(), Names{"count"});
  EXPECT_EQ(Field(0).descending, 1);
  EXPECT_EQ(Field(0).position, 1);
  EXPECT_EQ(definition_.sort_count, 1u);
}

TEST_F(SortListTest, OrderLinesAfterThePositionSetTheFlag) {
  Lines({"s_count=1", "o_count=-1"});
  EXPECT_EQ(Field(0).descending, 1);
  Lines({"o_count=no"});
  EXPECT_EQ(Field(0).descending, 0);
}

TEST_F(SortListTest, RepositioningKeepsTheDescendingFlag) {
  Lines({"s_count=1", "o_count=yes", "s_ip_saddr=3", "s_count=5"});
  EXPECT_EQ(SortNames(), (Names{"count", "ip_saddr"}));
  EXPECT_EQ(Field(0).position, 5);
  EXPECT_EQ(Field(0).descending, 1);
  EXPECT_EQ(definition_.sort_count, 3u);
}

TEST_F(SortListTest, UnpositionedOrderLinesLeavePlaceholdersInFront) {
  Lines({"s_count=1", "o_sname=yes"});
  EXPECT_EQ(SortNames(), (Names{"sname", "count"}));
  EXPECT_EQ(Field(0).position, kSortPlaceholderPosition);
  EXPECT_EQ(definition_.sort_count, 1u);
}

TEST_F(SortListTest, PositionedFieldsGoBeforeLeadingPlaceholders) {
  Lines({"o_count=yes", "o_sname=yes", "s_count=1", "s_sname=2"});
  EXPECT_EQ(SortNames(), (Names{"sname", "count"}));
  EXPECT_EQ(Field(0).descending, 1);
  EXPECT_EQ(Field(1).descending, 1);
}

TEST_F(SortListTest, PositionLinesSetLocationFlagsButOrderLinesDoNot) {
  Line("o_city_name_d=yes");
  EXPECT_EQ(options_.location_flags, 0);
  Line("s_autonomous_system_number_s=1");
  EXPECT_EQ(options_.location_flags, kAsSource);
}

TEST_F(SortListTest, KeysThatCannotBeSortedAreSkipped) {
  SetVerbosity(5);
  Lines({"s_src_host=1", "o_nosuch=yes"});
  EXPECT_TRUE(definition_.sort_fields.empty());
  EXPECT_EQ(Messages(),
            "ignoring key = src_host\n"
            "Skipping unrecognized sort field: nosuch\n");
}

}  // namespace
}  // namespace tnwk::testing
