#include "parsers/syslog_header.h"

#include <gtest/gtest.h>

#include <cstring>

#include "entries/clock.h"
#include "parsers/dialect_parser.h"
#include "test_support.h"

namespace tnwk {
namespace {

size_t Header(const char* line) { return MatchSyslogHeader(line); }

TEST(SyslogHeader, MatchesEveryDayForm) {
  EXPECT_EQ(Header("Jan  1 10:11:12 gw rest"),
            std::strlen("Jan  1 10:11:12 gw"));
  EXPECT_EQ(Header("Jan 1 10:11:12 gw"), std::strlen("Jan 1 10:11:12 gw"));
  EXPECT_EQ(Header("Jan 01 10:11:12 gw"), std::strlen("Jan 01 10:11:12 gw"));
  EXPECT_EQ(Header("Jan  11 10:11:12 gw"), std::strlen("Jan  11 10:11:12 gw"));
}

TEST(SyslogHeader, HostTakesItsCharacterSetOnly) {
  EXPECT_EQ(Header("Feb 2 01:02:03 fw-1.example(a):B_c/x"),
            std::strlen("Feb 2 01:02:03 fw-1.example(a):B_c"));
}

TEST(SyslogHeader, EmptyHostStillMatches) {
  EXPECT_EQ(Header("Jan 11 10:11:12 "), std::strlen("Jan 11 10:11:12 "));
}

TEST(SyslogHeader, RejectsWhatIsNotAHeader) {
  EXPECT_EQ(Header("Foo 12 10:11:12 host"), 0u);
  EXPECT_EQ(Header("Jan 1 1:11:12 host"), 0u);
  EXPECT_EQ(Header("jan 1 10:11:12 host"), 0u);
  EXPECT_EQ(Header("Jan 1 10:11:12"), 0u);
  EXPECT_EQ(Header(""), 0u);
}

// A minimal dialect that reads only the header, to exercise the shared
// header action.
class HeaderOnlyParser final : public DialectParser {
 public:
  using DialectParser::DialectParser;
  int ParseEntry(const char* line, uint64_t line_no) override {
    parse_status_ = 0;
    reset_current_entry(entry());
    size_t n = MatchSyslogHeader(line);
    if (n > 0) ReadSyslogHeader(std::string(line, n).c_str());
    entry().count = 1;
    if (parse_status_ & kStatusHeader) return kLineAccepted;
    ReportParseError("header", line, line_no);
    return kLineWrongFormat;
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
  EXPECT_EQ(parser.ParseEntry("Nov  3 04:05:06 gw kernel: x\n", 1),
            kLineAccepted);
  EXPECT_EQ(parser.parse_status(), kStatusHeader);
  EXPECT_EQ(entry.local_time, testing::LocalSeconds(2026, 11, 3, 4, 5, 6));
  EXPECT_EQ(entry.local_hostname.view(), "gw");
}

TEST_F(HeaderFixture, EmptyHostSetsNoDateAndNoStatus) {
  EXPECT_EQ(parser.ParseEntry("Jan 11 10:11:12 ", 7), kLineWrongFormat);
  EXPECT_EQ(parser.parse_status(), 0u);
  EXPECT_EQ(entry.local_time, 0);
  EXPECT_EQ(err.str(),
            "header parse error in line 7, ignoring.\n"
            "input was: \"Jan 11 10:11:12 \"\n");
}

TEST_F(HeaderFixture, HostIsCutTo32Characters) {
  parser.ParseEntry(
      "Jan 11 10:11:12 aaaaaaaaaabbbbbbbbbbccccccccccdddddddddd x", 1);
  EXPECT_EQ(entry.local_hostname.view(), "aaaaaaaaaabbbbbbbbbbccccccccccdd");
}

}  // namespace
}  // namespace tnwk
