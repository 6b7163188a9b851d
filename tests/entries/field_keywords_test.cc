#include "entries/field_keywords.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "entries/options.h"

namespace tnwk {
namespace {

const FieldKeyword& Keyword(const char* name) {
  const FieldKeyword* keyword = find_keyword(name);
  EXPECT_NE(keyword, nullptr) << name;
  static const FieldKeyword kMissing{};
  return keyword != nullptr ? *keyword : kMissing;
}

TEST(FieldKeywordTable, HasUniqueNamesAndIdentities) {
  ASSERT_EQ(field_keywords().size(), 128u);
  std::set<std::string> names;
  std::set<int> columns, sorts, criteria;
  for (const FieldKeyword& keyword : field_keywords()) {
    ASSERT_NE(keyword.name, nullptr);
    EXPECT_TRUE(names.insert(keyword.name).second) << keyword.name;
    if (keyword.column_id != 0) {
      EXPECT_TRUE(columns.insert(keyword.column_id).second) << keyword.name;
      EXPECT_LT(keyword.column_id, kColumnIdLimit);
    }
    if (keyword.sort_id != 0) {
      EXPECT_TRUE(sorts.insert(keyword.sort_id).second) << keyword.name;
      EXPECT_LT(keyword.sort_id, kSortIdLimit);
    }
    if (keyword.criterion_id != 0) {
      EXPECT_TRUE(criteria.insert(keyword.criterion_id).second) << keyword.name;
      EXPECT_LT(keyword.criterion_id, kCriterionIdLimit);
    }
  }
  // Every id from 1 up is used except the two sort ids nobody owns.
  EXPECT_EQ(columns.size(), 91u);
  EXPECT_EQ(sorts.size(), 87u);
  EXPECT_EQ(sorts.count(31) + sorts.count(32), 0u);
  EXPECT_EQ(criteria.size(), 98u);
}

TEST(FieldKeywordTable, LooksNamesUpExactly) {
  EXPECT_EQ(find_keyword("ICMPTYPE"), nullptr);
  EXPECT_EQ(find_keyword("ip_saddr\t"), nullptr);
  EXPECT_EQ(find_keyword("ip_sadd"), nullptr);
  EXPECT_EQ(find_keyword(""), nullptr);
  EXPECT_STREQ(Keyword("icmptype").name, "icmptype");
}

TEST(FieldKeywordTable, SeparatesColumnAndCriterionKeywords) {
  EXPECT_EQ(Keyword("icmp_type").column_id, 0);
  EXPECT_EQ(Keyword("icmp_type").criterion_id, kCriterionIcmpType);
  EXPECT_EQ(Keyword("icmptype").column_id, kColumnIcmpType);
  EXPECT_EQ(Keyword("icmptype").criterion_type, kTypeNone);
  EXPECT_EQ(Keyword("sport").criterion_type, kTypeNone);
  EXPECT_EQ(Keyword("tcp_sport").criterion_id, kCriterionTcpSport);
  EXPECT_EQ(Keyword("mac_saddr_str").criterion_id, 53);
  EXPECT_EQ(Keyword("mac_daddr_str").criterion_id, 52);
}

TEST(FieldKeywordTable, CarriesSideFlags) {
  for (const char* name :
       {"src_host", "dst_host", "src_service", "dst_service"}) {
    EXPECT_EQ(Keyword(name).cache_bits, kCacheNameColumn) << name;
  }
  EXPECT_FALSE(Keyword("id").column_selected);
  EXPECT_EQ(Keyword("id").criterion_type, kTypeLineId);
  EXPECT_EQ(Keyword("min_count").aggregate_limit, AggregateLimit::kMinCount);
  EXPECT_EQ(Keyword("max_earliest").criterion_type, kTypeTimeLimit);
  EXPECT_EQ(Keyword("ip_df").criterion_type, kTypeFlagNumber);
}

TEST(FieldKeywordTable, NumbersLocationKeywordsFromTheirBases) {
  const FieldKeyword& first = Keyword("continent_code_s");
  EXPECT_EQ(first.column_id, 48);
  EXPECT_EQ(first.sort_id, 46);
  EXPECT_EQ(first.criterion_id, 55);
  EXPECT_EQ(first.location_bits, kLocationSource);
  const FieldKeyword& last = Keyword("autonomous_system_organization_d");
  EXPECT_EQ(last.column_id, 91);
  EXPECT_EQ(last.sort_id, 89);
  EXPECT_EQ(last.criterion_id, 98);
  EXPECT_EQ(last.location_bits, kAsDestination);
  EXPECT_EQ(Keyword("autonomous_system_number_s").location_bits, kAsSource);
  EXPECT_EQ(Keyword("latitude_d").criterion_type, kTypeDouble);
  EXPECT_EQ(Keyword("latitude_d").location_bits, kLocationDestination);
  EXPECT_EQ(Keyword("is_in_european_union_s").criterion_type, kTypeBoolean);
  EXPECT_EQ(Keyword("metro_code_s").criterion_type, kTypeNumber);
  EXPECT_TRUE(Keyword("city_name_d").column_selected);
}

TEST(FieldKeywordTable, ReservedKeywordsHaveNoUse) {
  for (const char* name :
       {"extra", "extra_value", "oob_earliest", "oob_latest", "oob_time_sec",
        "oob_time_usec", "oob_max_date", "oob_min_date", "oob_max_earliest",
        "oob_min_latest"}) {
    const FieldKeyword& keyword = Keyword(name);
    EXPECT_EQ(keyword.column_id + keyword.sort_id + keyword.criterion_id +
                  keyword.criterion_type,
              0)
        << name;
  }
}

}  // namespace
}  // namespace tnwk
