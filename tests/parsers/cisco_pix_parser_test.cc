#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "base/clock.h"
#include "base/diagnostics.h"
#include "entries/log_entry.h"
#include "parsers/dialect_cases.h"
#include "test_support.h"

namespace tnwk {
namespace {

using testing::LocalSeconds;
using testing::ScopedTimeZone;

constexpr char kHeader[] = "Mar  1 10:11:12 fw ";

class CiscoPixParserTest : public ::testing::Test {
 protected:
  // Scans `line` with the newline the input loop leaves on it.
  LineResult Parse(std::string_view line) {
    text_.assign(line);
    text_ += '\n';
    return parser_->ParseEntry(text_.c_str(), ++line_no_);
  }

  // The fields a PIX line fills, in one line:
  // "protocol saddr/sport > daddr/dport flags=xx if=interface icmp=type/code".
  std::string Fields() const {
    char out[256];
    std::snprintf(out, sizeof out,
                  "%u %s/%u > %s/%u flags=%02x if=%s icmp=%u/%u",
                  e().ip_protocol, e().ip_saddr.text.c_str(), e().sport,
                  e().ip_daddr.text.c_str(), e().dport, e().tcp_flags,
                  e().interface.c_str(), e().icmp_type, e().icmp_code);
    return out;
  }

  const LogEntry& e() const { return entry_; }
  uint32_t status() const { return parser_->parse_status(); }

  ScopedTimeZone zone_{"UTC"};
  Diagnostics diag_{0, stderr};
  FixedClock clock_{LocalSeconds(2024, 3, 2, 0, 0, 0)};
  LogEntry entry_;
  std::unique_ptr<DialectParser> parser_ =
      testing::MakeDialectParser("cisco_pix", {&entry_, &clock_, &diag_});
  std::string text_;
  uint64_t line_no_ = 0;
};

// Messages after a syslog header (the message identifier is a token of its
// own that sets nothing, so most cases leave it out): what each wording
// gives, or why the line is not a packet log line or not complete.
TEST_F(CiscoPixParserTest, MessageWordings) {
  constexpr auto kOk = LineResult::kAccepted;
  constexpr auto kNot = LineResult::kNotPacketLog;
  constexpr auto kBad = LineResult::kWrongFormat;
  struct Case {
    const char* message;
    LineResult result;
    uint32_t status;
    const char* fields;  // as Fields() prints them; null: not checked
  } const kCases[] = {
      {"%PIX-4-106023: Deny tcp src outside:10.1.1.1/1234 dst "
       "inside:10.2.2.2/80 by access-group acl_out",
       kOk, 0x07, "6 10.1.1.1/1234 > 10.2.2.2/80 flags=00 if=- icmp=255/255"},
      {"Deny inbound UDP from 10.1.1.1/53 to 10.2.2.2/1025 on interface out",
       kOk, 0x07,
       "17 10.1.1.1/53 > 10.2.2.2/1025 flags=00 if=out icmp=255/255"},
      {"Inbound TCP connection denied from 10.1.1.1/80 to 10.2.2.2/1025 flags "
       "SYN ACK  on interface out",
       kOk, 0x07, "6 10.1.1.1/80 > 10.2.2.2/1025 flags=03 if=out icmp=255/255"},
      {"Deny TCP (no connection) from 10.1.1.1/80 to 10.2.2.2/1 flags FIN PSH "
       "URG RST",
       kOk, 0x07, "6 10.1.1.1/80 > 10.2.2.2/1 flags=3c if=- icmp=255/255"},
      // ICMP type and code go into the ports and the ICMP fields.
      {"Deny icmp src out:10.1.1.1 dst in:10.2.2.2 (type 8, code 0) by "
       "access-group \"acl_out\"",
       kOk, 0x07, "1 10.1.1.1/8 > 10.2.2.2/0 flags=00 if=- icmp=8/0"},
      {"Deny inbound icmp src out:10.1.1.1 dst in:10.2.2.2 (type 3, code 13)",
       kOk, 0x07, "1 10.1.1.1/3 > 10.2.2.2/13 flags=00 if=- icmp=3/13"},
      {"Deny icmp src out:10.1.1.1 dst in:10.2.2.2 (type 300, code 0)", kOk,
       0x07, "1 10.1.1.1/300 > 10.2.2.2/0 flags=00 if=- icmp=255/255"},
      // Without a type the destination is the bare address.
      {"Deny icmp src out:10.1.1.1 dst in:10.2.2.2", kOk, 0x07,
       "1 10.1.1.1/65536 > 10.2.2.2/65536 flags=00 if=- icmp=255/255"},
      {"%PIX-3-313001: Host 10.1.1.1 attempted to ping 10.2.2.2", kOk, 0x07,
       "1 10.1.1.1/65536 > 10.2.2.2/65536 flags=00 if=- icmp=255/255"},
      {"Deny udp src dmz:10.1.1.1/53 dst in:10.2.2.2/53", kOk, 0x07,
       "17 10.1.1.1/53 > 10.2.2.2/53 flags=00 if=- icmp=255/255"},
      {"Deny inbound tcp src out:10.1.1.1/1 dst in:10.2.2.2/2", kOk, 0x07,
       "6 10.1.1.1/1 > 10.2.2.2/2 flags=00 if=- icmp=255/255"},
      {"Deny inbound (No xlate) tcp src out:10.1.1.1/1 dst in:10.2.2.2/2", kOk,
       0x07, "6 10.1.1.1/1 > 10.2.2.2/2 flags=00 if=- icmp=255/255"},
      {"Deny inbound (No xlate) udp src out:10.1.1.1/1 dst in:10.2.2.2/2", kOk,
       0x07, "17 10.1.1.1/1 > 10.2.2.2/2 flags=00 if=- icmp=255/255"},
      {"Deny inbound (No xlate) icmp src out:10.1.1.1 dst in:10.2.2.2 (type 0, "
       "code 0)",
       kOk, 0x07, "1 10.1.1.1/0 > 10.2.2.2/0 flags=00 if=- icmp=0/0"},
      {"%FWSM-4-106023: Deny udp src out:10.1.1.1/1 dst in:10.2.2.2/2 due to "
       "DNS Response",
       kOk, 0x07, "17 10.1.1.1/1 > 10.2.2.2/2 flags=00 if=- icmp=255/255"},
      // Ports stop after five digits; octets are read as decimal.
      {"Inbound TCP connection denied from 010.001.1.1/80 to 10.2.2.2/123456",
       kOk, 0x07, "6 10.1.1.1/80 > 10.2.2.2/12345 flags=00 if=- icmp=255/255"},
      // A later bare address replaces the destination; one in parentheses
      // does not.
      {"Deny inbound UDP from 10.1.1.1/53 to 10.2.2.2/1 (10.9.9.9) via 1.3.3.3",
       kOk, 0x07, "17 10.1.1.1/53 > 1.3.3.3/1 flags=00 if=- icmp=255/255"},
      // Parse errors: an unknown wording, a second blank before the wording,
      // a source address that does not parse, an incomplete "Built".
      {"Deny ip src out:10.1.1.1 dst in:10.2.2.2", kBad, 0x05,
       "0 /65536 > 10.2.2.2/65536 flags=00 if=- icmp=255/255"},
      {" Deny tcp src out:10.1.1.1/1234 dst in:10.2.2.2/80", kBad, 0x05,
       "0 /65536 > 10.2.2.2/80 flags=00 if=- icmp=255/255"},
      {"Deny tcp src out:10.1.1.300/1 dst in:10.2.2.2/2", kBad, 0x05,
       "6 /1 > 10.2.2.2/2 flags=00 if=- icmp=255/255"},
      {"Built inbound TCP connection 42 for out:10.1.1.1/1234 to "
       "in:10.2.2.2/80",
       kBad, 0x05, nullptr},
      // Bookkeeping messages, whatever else the line holds.
      {"Built inbound TCP connection 42 for out:10.1.1.1/1234 (10.1.1.1/1234) "
       "to in:10.2.2.2/80 (192.0.2.2/80)",
       kNot, 0x09, nullptr},
      {"%FWSM-6-305009: Built dynamic UDP translation from in:10.2.2.2/1025 "
       "to out:192.0.2.1/5000",
       kNot, 0x09, nullptr},
      {"Built static translation from in:10.2.2.2 to out:192.0.2.1", kNot, 0x09,
       nullptr},
      {"Built local-host in:10.2.2.2", kNot, 0x09, nullptr},
      {"Teardown dynamic ICMP translation from in:10.2.2.2/1 to "
       "out:192.0.2.1/2 duration 0:00:30",
       kNot, 0x09, nullptr},
      {"Teardown TCP connection 42 for out:10.1.1.1/1234 to in:10.2.2.2/80 "
       "duration 1:02:03 bytes 4096",
       kNot, 0x09, nullptr},
      {"Teardown local-host in:10.2.2.2 duration 0:01:00", kNot, 0x09, nullptr},
      {"10.1.1.5 Accessed URL 192.0.2.9:/index.html", kNot, 0x09, nullptr},
      {"IGRP request discarded from 10.1.1.1 to in:10.2.2.2", kNot, 0x09,
       nullptr},
      {"Deny tcp src out:10.1.1.1/1 dst in:10.2.2.2/2 3 in use, 17 most used",
       kNot, 0x0f, nullptr},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.message);
    EXPECT_EQ(Parse(std::string(kHeader) + c.message), c.result);
    EXPECT_EQ(status(), c.status);
    if (c.fields != nullptr) {
      EXPECT_EQ(Fields(), c.fields);
    }
    EXPECT_EQ(e().oob_prefix.view(), "Deny");
    EXPECT_EQ(e().count, 1u);
  }
}

// The syslog header and the device's own timestamp, read on 1 March 2024
// at 10:11:20.
TEST_F(CiscoPixParserTest, Timestamps) {
  clock_.Set(LocalSeconds(2024, 3, 1, 10, 11, 20));
  struct Case {
    const char* header;
    long long time;
    const char* host;
  } const kCases[] = {
      {"Mar  1 10:11:12 fw ", LocalSeconds(2024, 3, 1, 10, 11, 12), "fw"},
      // An empty host still gives the date.
      {"Mar  1 10:11:12 ", LocalSeconds(2024, 3, 1, 10, 11, 12), ""},
      // The device's year is not used: a time ahead of now is last year's.
      {"Mar  1 2005 10:11:12: ", LocalSeconds(2024, 3, 1, 10, 11, 12), ""},
      {"Mar 01 2005 10:11:21 ", LocalSeconds(2023, 3, 1, 10, 11, 21), ""},
      // The device's timestamp after the syslog header wins.
      {"Mar  1 10:11:12 fw Feb 28 2005 23:00:00: ",
       LocalSeconds(2024, 2, 28, 23, 0, 0), "fw"},
      // A second header without a host keeps the relay's host.
      {"Mar  1 10:11:10 relay Mar  1 10:11:12 ",
       LocalSeconds(2024, 3, 1, 10, 11, 12), "relay"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.header);
    EXPECT_EQ(Parse(std::string(c.header) +
                    "%PIX-4-106023: Deny tcp src o:1.1.1.1/1 dst i:2.2.2.2/2"),
              LineResult::kAccepted);
    EXPECT_EQ(e().local_time, c.time);
    EXPECT_EQ(e().local_hostname.view(), c.host);
  }
}

}  // namespace
}  // namespace tnwk
