#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/diagnostics.h"
#include "entries/log_entry.h"
#include "parsers/dialect_cases.h"
#include "test_support.h"

namespace tnwk {
namespace {

using testing::CapturedStream;
using testing::LocalSeconds;

constexpr char kHead[] = "Jan  5 12:34:56 fw ipmon[123]: 12:34:56.789012 ";
constexpr char kRule[] = "xl0 @0:1 b ";

// The fields the cases name, as "|name=value|name=value|...|".
std::string Render(const LogEntry& e, uint32_t status) {
  std::ostringstream o;
  o << std::hex << "|status=0x" << status << std::dec << "|count=" << e.count
    << "|interface=" << e.interface.c_str() << "|oob_in=" << e.oob_in.c_str()
    << "|oob_out=" << e.oob_out.c_str() << "|prefix=" << e.oob_prefix.c_str()
    << "|family=" << e.oob_family << "|saddr=" << e.ip_saddr.text.c_str()
    << "|daddr=" << e.ip_daddr.text.c_str() << "|shost=" << e.src_host.c_str()
    << "|dhost=" << e.dst_host.c_str() << "|sserv=" << e.src_service.c_str()
    << "|dserv=" << e.dst_service.c_str() << "|sport=" << e.sport
    << "|dport=" << e.dport << "|proto=" << +e.ip_protocol
    << "|ihl=" << +e.ip_ihl << "|totlen=" << e.ip_totlen
    << "|frag=" << e.ip_fragoff << "|type=" << +e.icmp_type
    << "|code=" << +e.icmp_code << "|flags=" << +e.tcp_flags
    << "|seq=" << e.tcp_seq << "|ack=" << e.tcp_ackseq
    << "|win=" << e.tcp_window << "|host=" << e.local_hostname.c_str() << "|";
  return o.str();
}

// A line and what it comes to: its result, the fields in `fields`
// ("name=value", separated by '|'), and the messages at `verbosity`.
struct Case {
  // After kHead and kRule; "^..." after kHead only; "!..." the whole line.
  const char* line;
  LineResult result;
  const char* fields;
  uint8_t verbosity = 0;
  const char* messages = "";
};

class IpfilterParserTest : public ::testing::Test {
 protected:
  void CheckAll(std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.line);
      std::string line = c.line[0] == '!' ? std::string(c.line + 1)
                         : c.line[0] == '^'
                             ? kHead + std::string(c.line + 1)
                             : kHead + (kRule + std::string(c.line));
      diag_.set_verbosity(c.verbosity);
      const size_t before = captured_.str().size();
      EXPECT_EQ(parser_->ParseEntry((line + "\n").c_str(), 7), c.result);
      EXPECT_EQ(captured_.str().substr(before), c.messages);
      const std::string fields = Render(entry_, parser_->parse_status());
      std::istringstream expected(c.fields);
      for (std::string item; std::getline(expected, item, '|');) {
        EXPECT_NE(fields.find("|" + item + "|"), std::string::npos)
            << item << " in " << fields;
      }
    }
  }

  testing::ScopedTimeZone zone_{"UTC"};
  CapturedStream captured_;
  Diagnostics diag_{0, captured_.get()};
  FixedClock clock_{LocalSeconds(2024, 12, 10, 0, 0, 0)};
  LogEntry entry_;
  std::unique_ptr<DialectParser> parser_ =
      testing::MakeDialectParser("ipfilter", {&entry_, &clock_, &diag_});
};

constexpr auto kOk = LineResult::kAccepted;
constexpr auto kNot = LineResult::kNotPacketLog;
constexpr auto kBad = LineResult::kWrongFormat;

TEST_F(IpfilterParserTest, InterfaceRuleCountAndDirection) {
  CheckAll({
      {"^3x xl0 @0:1 b host1[1.2.3.4],www -> 5.6.7.8,1024 PR tcp len 20 40 "
       "-AS IN",
       kOk,
       "status=0x7f|count=3|interface=xl0|oob_in=xl0|oob_out=|prefix=0:1 b|"
       "shost=host1|sserv=www|sport=80|dport=1024|flags=3|host=fw|ihl=20|"
       "totlen=40"},
      {"^em0 @12:345 p 1.2.3.4,1 -> 5.6.7.8,2 PR udp OUT", kOk,
       "count=1|oob_out=em0|oob_in=|prefix=12:345 p"},
      {"^ppp0.1 @0:7 L 1.2.3.4 -> 5.6.7.8 PR gre log-tag 42", kOk,
       "prefix=0:7 L 42|interface=ppp0.1|proto=47"},
      {"^12x xl0 @0:1 B 1.2.3.4 -> 5.6.7.8 PR gre", kOk,
       "count=12|prefix=0:1 B"},
      // Neither an empty interface nor a letter outside BLPSbnp is a rule.
      {"!Jan  5 12:34:56 fw ipmon[1]: @0:1 b 1.2.3.4 -> 5.6.7.8 PR gre", kBad,
       "status=0x1d|count=0|interface="},
      {"^xl0 @0:1 x 1.2.3.4 -> 5.6.7.8 PR gre", kBad, "status=0x1d|oob_in="},
  });
}

TEST_F(IpfilterParserTest, EndpointForms) {
  CheckAll({
      {"1.2.3.4 -> 5.6.7.8 PR gre", kOk,
       "status=0x1f|saddr=1.2.3.4|daddr=5.6.7.8|sport=65536|family=2"},
      {"a[1.2.3.4],80 -> b-2.x[5.6.7.8],http PR tcp", kOk,
       "shost=a|sport=80|dhost=b-2.x|dserv=http|dport=80"},
      {"1.2.3.4,ftp -> b[5.6.7.8] PR tcp", kBad, "status=0x3f|sport=21"},
      {"fe80::1,546 -> ff02:0:0:0:0:0:1:2,547 PR udp", kOk,
       "family=28|saddr=fe80::1|daddr=ff02::1:2|sport=546|dport=547"},
      {"h[fe80::1] -> 5.6.7.8,123456 PR udp", kBad,
       "saddr=fe80::1|shost=h|dport=12345|status=0x5f"},
      {"1.2.3.4,nosuchservice -> 5.6.7.8,1 PR tcp", kBad,
       "status=0x5f|sserv=nosuchservice|sport=65536"},
      // A service name is looked up only once the protocol is known.
      {"1.2.3.4,domain -> 5.6.7.8,domain PR udp", kOk, "sport=53|dport=53"},
      {"1.2.3.4,domain -> 5.6.7.8,domain", kBad, "status=0x1b|sport=65536"},
      // "[address]" and "address," set nothing.
      {"[1.2.3.4] -> 5.6.7.8, PR gre", kBad, "status=0x7|saddr=|daddr="},
      {"1.2.3.999 -> 5.6.7.8 PR gre", kBad, "status=0x17", 2,
       "IP address error: 1.2.3.999\n"},
      // Uppercase hexadecimal is not an address: only "::1,80" is.
      {"FE80::1,80 -> ::2,22 PR tcp", kOk, "saddr=::1|sport=80", 4,
       "Unrecognized token: FE80, line: 7\n"},
  });
}

TEST_F(IpfilterParserTest, LongTextsAreCutToTheirFields) {
  const std::string group(120, '9');
  const std::string host(140, 'h');
  const std::string service(40, 's');
  const std::string line = "^xl0 @" + group + ":1 b log-tag 123456 " + host +
                           "[1.2.3.4],80 -> 5.6.7.8," + service + " PR gre";
  CheckAll({{line.c_str(), kOk, "saddr=1.2.3.4|sport=80"}});
  EXPECT_EQ(entry_.oob_prefix.view(), group + ":1 b 12");
  EXPECT_EQ(entry_.src_host.view(), host.substr(0, 127));
  EXPECT_EQ(entry_.dst_service.view(), service.substr(0, 32));
}

TEST_F(IpfilterParserTest, PacketFields) {
  CheckAll({
      {"1.2.3.4 -> 5.6.7.8 PR 50 len 20 (40) frag +1480@0", kOk,
       "proto=50|ihl=20|totlen=40|frag=8192"},
      {"1.2.3.4 -> 5.6.7.8 PR esp len 24 70000 frag -20@185", kOk,
       "proto=50|ihl=24|totlen=4464|frag=16569"},
      {"1.2.3.4 -> 5.6.7.8 PR gre frag 20@8 K-S K-F low-ttl mbcast broadcast",
       kOk, "frag=8", 4},
      {"1.2.3.4,1 -> 5.6.7.8,2 PR tcp -SAFRPU 4000000000 123 8192", kOk,
       "flags=63|seq=4000000000|ack=123|win=8192"},
      {"1.2.3.4 -> 5.6.7.8 PR icmp icmp 8/0", kOk, "status=0x9f|type=8|code=0"},
      {"1.2.3.4 -> 5.6.7.8 PR icmp icmp echo/0", kOk, "type=8"},
      {"1.2.3.4 -> 5.6.7.8 PR icmp icmp unreach/port", kOk, "type=3|code=3"},
      {"1.2.3.4 -> 5.6.7.8 PR icmp icmp bogus/0", kBad, "status=0x1f|type=255",
       3, "Unrecognized Type bogus, ignoring\n"},
      {"fe80::1 -> ff02::2 PR icmpv6 icmpv6 routerrenumber/seqnum_reset", kOk,
       "proto=58|type=138|code=255"},
  });
}

TEST_F(IpfilterParserTest, InnerPacketOfAnIcmpErrorIsSkipped) {
  CheckAll({
      {"1.2.3.4 -> 5.6.7.8 PR icmp len 20 56 icmp unreach/port for 5.6.7.8 - "
       "1.2.3.4 PR icmp len 20 84 IN",
       kOk, "saddr=1.2.3.4|daddr=5.6.7.8|proto=1|totlen=56|oob_in=xl0", 4},
      {"1.2.3.4 -> 5.6.7.8 PR icmp icmp 3/3 for h[5.6.7.8],domain - "
       "1.2.3.4,53 PR udp len 20 (84)",
       kOk, "saddr=1.2.3.4|shost=|sport=65536|sserv=", 4},
      {"fe80::1 -> fe80::2 PR icmpv6 icmpv6 unreach/noport for fe80::2,9 - "
       "g[fe80::1],http PR udp len 40 48",
       kOk, "saddr=fe80::1|type=1|code=4", 4},
      // Without its lengths it is no inner packet: its fields are read.
      {"1.2.3.4 -> 5.6.7.8 PR icmp icmp 3/3 for 5.6.7.8 - 9.9.9.9 PR udp", kBad,
       "saddr=9.9.9.9|proto=17", 4,
       "Unrecognized token: for, line: 7\nUnrecognized token: -, line: 7\n"},
  });
}

TEST_F(IpfilterParserTest, DaemonMessagesAndDiagnostics) {
  CheckAll({
      {"^45 00 00 54 00 00 40 00 40 01 b6 a4  E..T..@.@...", kNot,
       "status=0x101", 4},
      {"!Jan  5 12:34:56 fw ipmon[123]: ioctl(SIOCIPFFB): Bad file descriptor",
       kNot, "status=0x101", 4},
      {"1.2.3.4 -> 5.6.7.8 PR foo", kNot, "status=0x11b|proto=0", 0,
       "Unknown protocol (not in /etc/protocols), ignoring: foo\n"},
      {"1.2.3.4 -> 5.6.7.8 PR 0", kNot, "status=0x11b", 6,
       "Unknown protocol (not in /etc/protocols), ignoring: 0\n"},
      {"1.2.3.4 -> 5.6.7.8 PR gre odd % words", kOk, "", 3},
      {"1.2.3.4 -> 5.6.7.8 PR gre odd %\nIN", kOk, "oob_in=xl0", 4,
       "Unrecognized token: odd, line: 7\n"
       "Unrecognized character: %, line: 7\n"},
      {"!Foo  5 12:34:56 fw ipmon[1]: xl0 @0:1 b 1.2.3.4 -> 5.6.7.8 PR gre",
       kBad, "status=0x1e", 5,
       "Unrecognized token: Foo, line: 7\nUnrecognized token: 5, line: 7\n"
       "IP address error: 12:34:56\nUnrecognized token: fw, line: 7\n"
       "ipfilter parse error in line 7, ignoring.\n"},
      {"!Jan  5 12:34:56  ipmon[1]: xl0 @0:1 b", kBad, "status=0x2", 6,
       "ipfilter parse error in line 7, ignoring.\n"
       "input was: \"Jan  5 12:34:56  ipmon[1]: xl0 @0:1 b\n\"\n"},
  });
}

TEST_F(IpfilterParserTest, CompletenessDependsOnTheProtocol) {
  CheckAll({
      {"1.2.3.4,1 -> 5.6.7.8 PR tcp", kBad, "status=0x3f"},
      {"1.2.3.4,1 -> 5.6.7.8,2 PR udp icmp 3/3", kBad, "status=0xff"},
      {"1.2.3.4 -> 5.6.7.8 PR icmp", kBad, "status=0x1f"},
      {"1.2.3.4,1 -> 5.6.7.8 PR icmp icmp 0/0", kBad, "status=0xbf"},
      {"1.2.3.4,1 -> 5.6.7.8,2 PR gre icmp 0/0", kOk, "status=0xff"},
      {"1.2.3.4 PR gre", kBad, "status=0xf"},
  });
  EXPECT_EQ(entry_.local_time, LocalSeconds(2024, 1, 5, 12, 34, 56));
}

// Lines spliced from real tokens and random bytes: no crash, no read out of
// bounds (under the sanitizers), no field overflowing.
TEST(IpfilterParser, SurvivesSplicedAndRandomLines) {
  const std::vector<std::string> pieces = {
      kHead,
      "[ID 702911 local0.warning] ",
      "3x ",
      kRule,
      " @0:1 p ",
      "host1[1.2.3.4],www",
      "h[fe80::1]",
      "[1.2.3.4],",
      "1.2.3.4,123456",
      " -> ",
      "5.6.7.8,",
      " PR tcp",
      " PR foo",
      " len 20 (40)",
      " frag +1480@99999999999",
      " icmp unreach/port",
      " icmp 999999999999/99999999999",
      " for 5.6.7.8,53 - h[1.2.3.4],http PR udp len 20 84",
      " -SAFRPU",
      " 4294967296 1 70000",
      " log-tag 42",
      " IN",
      "45 00 00 54",
      "ioctl(SIOCIPFFB): x",
      std::string(300, 'a'),
      "\n",
      "\xff"};
  std::mt19937 random(20260105);
  CapturedStream err;
  Diagnostics diag(6, err.get());
  FixedClock clock(LocalSeconds(2026, 12, 8, 12, 0, 0));
  LogEntry entry;
  const auto parser =
      testing::MakeDialectParser("ipfilter", {&entry, &clock, &diag});
  for (int i = 0; i < 20000; ++i) {
    const std::string line = testing::RandomLine(random, pieces);
    parser->ParseEntry(line.c_str(), i + 1);
    ASSERT_LT(entry.oob_prefix.view().size(), 128u) << line;
    ASSERT_LT(entry.src_service.view().size(), 33u) << line;
  }
}

}  // namespace
}  // namespace tnwk
