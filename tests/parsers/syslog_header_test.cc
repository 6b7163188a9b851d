#include <gtest/gtest.h>

#include <cstring>

#include "base/clock.h"
#include "parsers/dialect_parser.h"
#include "test_support.h"

namespace tnwk {
namespace {

// A minimal dialect whose whole line is a header token, to exercise the
// shared header action.
class HeaderOnlyParser final : public DialectParser {
 public:
  using DialectParser::DialectParser;
  LineResult ParseEntry(const char* line, uint64_t line_no) override {
    BeginLine(line_no);
    const auto* begin = reinterpret_cast<const unsigned char*>(line);
    ReadSyslogHeader(begin, begin + std::strcspn(line, "\n"));
    entry().count = 1;
    if (parse_status_ & kStatusHeader) return LineResult::kAccepted;
    ReportParseError("header", line);
    return LineResult::kWrongFormat;
  }
};

struct HeaderFixture : ::testing::Test {
  testing::ScopedTimeZone tz{"UTC"};
  FixedClock clock{testing::LocalSeconds(2026, 12, 8, 12, 0, 0)};
  testing::CapturedStream err;
  Diagnostics diag{6, err.get()};
  LogEntry entry;
  HeaderOnlyParser parser{ParserEnvironment{&entry, &clock, &diag}};
};

TEST_F(HeaderFixture, HeaderActionSetsDateHostAndStatus) {
  EXPECT_EQ(parser.ParseEntry("Nov  3 04:05:06 gw\n", 1),
            LineResult::kAccepted);
  EXPECT_EQ(parser.parse_status(), kStatusHeader);
  EXPECT_EQ(entry.local_time, testing::LocalSeconds(2026, 11, 3, 4, 5, 6));
  EXPECT_EQ(entry.local_hostname.view(), "gw");
}

TEST_F(HeaderFixture, EveryDayFormGivesTheSameDate) {
  for (const char* line :
       {"Jan  1 10:11:12 gw", "Jan 1 10:11:12 gw", "Jan 01 10:11:12 gw"}) {
    parser.ParseEntry(line, 1);
    EXPECT_EQ(entry.local_time, testing::LocalSeconds(2026, 1, 1, 10, 11, 12))
        << line;
  }
  parser.ParseEntry("Jan  11 10:11:12 gw", 1);
  EXPECT_EQ(entry.local_time, testing::LocalSeconds(2026, 1, 11, 10, 11, 12));
}

TEST_F(HeaderFixture, EmptyHostSetsNoDateAndNoStatus) {
  EXPECT_EQ(parser.ParseEntry("Jan 11 10:11:12 ", 7), LineResult::kWrongFormat);
  EXPECT_EQ(parser.parse_status(), 0u);
  EXPECT_EQ(entry.local_time, 0);
  EXPECT_EQ(err.str(),
            "header parse error in line 7, ignoring.\n"
            "input was: \"Jan 11 10:11:12 \"\n");
}

TEST_F(HeaderFixture, HostIsCutTo32Characters) {
  parser.ParseEntry("Jan 11 10:11:12 aaaaaaaaaabbbbbbbbbbccccccccccdddddddddd",
                    1);
  EXPECT_EQ(entry.local_hostname.view(), "aaaaaaaaaabbbbbbbbbbccccccccccdd");
}

TEST_F(HeaderFixture, RememberedTimestampFollowsThePresent) {
  // The same text read a year later is a different instant.
  parser.ParseEntry("Dec  8 11:00:00 gw", 1);
  EXPECT_EQ(entry.local_time, testing::LocalSeconds(2026, 12, 8, 11, 0, 0));
  clock.Set(testing::LocalSeconds(2026, 12, 8, 10, 0, 0));
  parser.ParseEntry("Dec  8 11:00:00 gw", 2);
  EXPECT_EQ(entry.local_time, testing::LocalSeconds(2025, 12, 8, 11, 0, 0));
}

}  // namespace
}  // namespace tnwk
