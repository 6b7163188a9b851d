#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "base/clock.h"
#include "base/diagnostics.h"
#include "entries/log_entry.h"
#include "parsers/dialect_cases.h"
#include "test_support.h"

namespace tnwk {
namespace {

using testing::LocalSeconds;

constexpr char kTag[] =
    "Mar  1 10:11:12 router 123: *Mar  1 10:11:12.123: %SEC-6-IPACCESSLOGP: ";

class CiscoIosParserTest : public ::testing::Test {
 protected:
  LineResult Parse(const std::string& line) {
    text_ = line + "\n";
    return parser_->ParseEntry(text_.c_str(), 7);
  }
  // prefix|protocol|source:port>destination:port|count|interface|icmp|flags
  std::string Fields() const {
    char out[512];
    std::snprintf(out, sizeof out, "%s|%d|%s:%u>%s:%u|%llu|%s|%d/%d|%#x",
                  e_.oob_prefix.c_str(), e_.ip_protocol,
                  e_.ip_saddr.text.c_str(), e_.sport, e_.ip_daddr.text.c_str(),
                  e_.dport, static_cast<unsigned long long>(e_.count),
                  e_.interface.c_str(), e_.icmp_type, e_.icmp_code,
                  e_.tcp_flags);
    return out;
  }

  testing::ScopedTimeZone zone_{"UTC"};
  testing::CapturedStream err_;
  Diagnostics diag_{0, err_.get()};
  FixedClock clock_{LocalSeconds(2024, 3, 10, 0, 0, 0)};
  LogEntry e_;
  std::unique_ptr<DialectParser> parser_ =
      testing::MakeDialectParser("cisco_ios", {&e_, &clock_, &diag_});
  std::string text_;
};

// The message after the tag, token rule by token rule. The cases run on one
// parser in turn, so a field left over from an earlier line shows up too.
TEST_F(CiscoIosParserTest, MessageTokens) {
  const std::string name127(127, 'n');
  const struct {
    std::string message;
    uint32_t status;  // 0x1f: accepted
    std::string fields;
  } kCases[] = {
      {"list 101 denied tcp 10.1.1.1(1234) (Ethernet0 0000.0c12.3456) -> "
       "10.2.2.2(80), 1 packet",
       0x1f,
       "101 denied|6|10.1.1.1:1234>10.2.2.2:80|1|(Ethernet0 0000.0c12.3456)|"
       "255/255|0x80"},
      // ICMP type and code go into the ports and the ICMP fields.
      {"list 101 denied icmp 10.1.1.1 -> 10.2.2.2 (8/0), 5 packets", 0x1f,
       "101 denied|1|10.1.1.1:8>10.2.2.2:0|5||8/0|0x80"},
      {"list 101 denied icmp 10.1.1.1 -> 10.2.2.2 (8/123), 1 packet", 0x1f,
       "101 denied|1|10.1.1.1:8>10.2.2.2:12|1||8/12|0x80"},
      {"list 101 denied icmp 10.1.1.1 -> 10.2.2.2 (123/4), 1 packet", 0x1b,
       "101 denied|1|10.1.1.1:12>:65536|1||12/255|0"},
      // A standard access list names neither protocol nor destination.
      {"list 10 denied 10.1.1.1 1 packet", 0x11,
       "|0|:65536>:65536|1||255/255|0"},
      {"list 101 permitted 47 10.1.1.1 -> 10.2.2.2, 1 packet", 0x1f,
       "101 permitted|47|10.1.1.1:65536>10.2.2.2:65536|1||255/255|0x80"},
      {"list 101 denied esp 10.1.1.1 -> 10.2.2.2, 1 packet", 0x15,
       "|0|:65536>10.2.2.2:65536|1||255/255|0"},
      // With a port, the protocol word is read three characters narrower.
      {"list 1 denied ipinip 10.1.1.1(0) -> 10.2.2.2(0), 1 packet", 0x15,
       "|0|:65536>10.2.2.2:0|1||255/255|0"},
      // Octets are read as numbers; the address is checked afterwards.
      {"list in-ACL>1 permitted gre 010.001.1.1 -> 10.2.2.2, 1 packet", 0x1f,
       "in-ACL>1 permitted|47|10.1.1.1:65536>10.2.2.2:65536|1||255/255|0x80"},
      {"list 101 denied udp 999.1.1.1(53) -> 10.2.2.256(54), 1 packet", 0x11,
       "101 denied|0|:53>:54|1||255/255|0"},
      // List names: empty, and at and past the conversion width.
      {"list  denied tcp 10.1.1.1 -> 10.2.2.2, 1 packet", 0x15,
       "|0|:65536>10.2.2.2:65536|1||255/255|0"},
      {"list " + name127 + " denied pim 10.1.1.1 -> 10.2.2.2, 1 packet", 0x1f,
       (name127 + "|103|10.1.1.1:65536>10.2.2.2:65536|1||255/255|0x80")},
      {"list " + name127 + "n denied pim 10.1.1.1 -> 10.2.2.2, 1 packet", 0x15,
       "|0|:65536>10.2.2.2:65536|1||255/255|0"},
      {"list " + std::string(254, 'n') +
           "tcpxxxxx1.2.3.4 denied tcp 10.1.1.1 "
           "-> 10.2.2.2, 1 packet",
       0x15, "|0|:65536>10.2.2.2:65536|1||255/255|0"},
      // A count past the range of int, after a newline.
      {"list 1 denied ospf 10.1.1.1 -> 10.2.2.2,\n 5000000000 packets", 0x1f,
       "1 denied|89|10.1.1.1:65536>10.2.2.2:65536|5000000000||255/255|0x80"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.message);
    EXPECT_EQ(Parse(kTag + c.message), c.status == 0x1f
                                           ? LineResult::kAccepted
                                           : LineResult::kWrongFormat);
    EXPECT_EQ(parser_->parse_status(), c.status);
    EXPECT_EQ(Fields(), c.fields);
  }
}

// Syslog header, sequence number, uptime and the router's clock before the
// message tag: the last timestamp of the line gives the time.
TEST_F(CiscoIosParserTest, Timestamps) {
  const char kMessage[] =
      "%SEC-6-IPACCESSLOGS: list 101 denied udp 10.1.1.1 -> 10.2.2.2, 1 packet";
  const struct {
    const char* head;
    long long time;  // 0: no timestamp, a parse error
    const char* host;
  } kCases[] = {
      {"Mar  1 10:11:12 router 123: *Mar  2 11:12:13.456: ",
       LocalSeconds(2024, 3, 2, 11, 12, 13), "router"},
      {"Mar 01 10:11:12 router 000123: Mar  2 11:12:13: ",
       LocalSeconds(2024, 3, 2, 11, 12, 13), "router"},
      {"Mar  1 10:11:12 r 1y2w: 2w3d: 12w3d: 1d02h: ",
       LocalSeconds(2024, 3, 1, 10, 11, 12), "r"},
      // A header with an empty host takes the date and keeps the name.
      {"Mar  1 10:11:12 gw Mar  2 11:12:13 *",
       LocalSeconds(2024, 3, 2, 11, 12, 13), "gw"},
      {"Mar  1 10:11:12 0123456789012345678901234567890123456789 ",
       LocalSeconds(2024, 3, 1, 10, 11, 12),
       "01234567890123456789012345678901"},
      {"router 123: ", 0, ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.head);
    EXPECT_EQ(Parse(std::string(c.head) + kMessage),
              c.time != 0 ? LineResult::kAccepted : LineResult::kWrongFormat);
    EXPECT_EQ(e_.local_time, c.time);
    EXPECT_EQ(e_.local_hostname.view(), c.host);
  }
}

}  // namespace
}  // namespace tnwk
