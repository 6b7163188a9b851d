#include "parsers/ipfilter_parser.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <string_view>

#include "base/clock.h"
#include "base/diagnostics.h"
#include "entries/log_entry.h"
#include "test_support.h"

namespace tnwk {
namespace {

using testing::CapturedStream;
using testing::LocalSeconds;
using testing::ScopedTimeZone;

constexpr char kHead[] = "Jan  5 12:34:56 fw ipmon[123]: 12:34:56.789012 ";

// One field of the entry as text, by its keyword (or a short name).
std::string Field(const LogEntry& e, uint32_t status, std::string_view name) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%x", status);
  if (name == "status") return hex;
  if (name == "count") return std::to_string(e.count);
  if (name == "interface") return e.interface.c_str();
  if (name == "oob_in") return e.oob_in.c_str();
  if (name == "oob_out") return e.oob_out.c_str();
  if (name == "oob_prefix") return e.oob_prefix.c_str();
  if (name == "family") return std::to_string(e.oob_family);
  if (name == "saddr") return e.ip_saddr.text.c_str();
  if (name == "daddr") return e.ip_daddr.text.c_str();
  if (name == "src_host") return e.src_host.c_str();
  if (name == "dst_host") return e.dst_host.c_str();
  if (name == "src_service") return e.src_service.c_str();
  if (name == "dst_service") return e.dst_service.c_str();
  if (name == "sport") return std::to_string(e.sport);
  if (name == "dport") return std::to_string(e.dport);
  if (name == "proto") return std::to_string(e.ip_protocol);
  if (name == "ihl") return std::to_string(e.ip_ihl);
  if (name == "totlen") return std::to_string(e.ip_totlen);
  if (name == "fragoff") return std::to_string(e.ip_fragoff);
  if (name == "type") return std::to_string(e.icmp_type);
  if (name == "code") return std::to_string(e.icmp_code);
  if (name == "flags") return std::to_string(e.tcp_flags);
  if (name == "seq") return std::to_string(e.tcp_seq);
  if (name == "ack") return std::to_string(e.tcp_ackseq);
  if (name == "window") return std::to_string(e.tcp_window);
  if (name == "host") return e.local_hostname.c_str();
  return "unknown field " + std::string(name);
}

// A line and what it comes to: its result, the fields named in `fields`
// ("name=value", separated by '|'), and the messages at `verbosity`.
struct Case {
  const char* line;  // after kHead, unless it starts with '!'
  LineResult result;
  const char* fields;
  uint8_t verbosity = 0;
  const char* messages = "";
};

class IpfilterParserTest : public ::testing::Test {
 protected:
  void Check(const Case& c) {
    SCOPED_TRACE(c.line);
    const std::string line = c.line[0] == '!' ? std::string(c.line + 1)
                                              : std::string(kHead) + c.line;
    diag_.set_verbosity(c.verbosity);
    const std::string before = captured_.str();
    EXPECT_EQ(parser_.ParseEntry((line + "\n").c_str(), 7), c.result);
    EXPECT_EQ(captured_.str().substr(before.size()), c.messages);
    std::istringstream fields(c.fields);
    for (std::string item; std::getline(fields, item, '|');) {
      const size_t eq = item.find('=');
      EXPECT_EQ(Field(entry_, parser_.parse_status(), item.substr(0, eq)),
                item.substr(eq + 1))
          << item;
    }
  }
  void CheckAll(std::initializer_list<Case> cases) {
    for (const Case& c : cases) Check(c);
  }

  ScopedTimeZone zone_{"UTC"};
  CapturedStream captured_;
  Diagnostics diag_{0, captured_.get()};
  FixedClock clock_{LocalSeconds(2024, 12, 10, 0, 0, 0)};
  LogEntry entry_;
  IpfilterParser parser_{ParserEnvironment{&entry_, &clock_, &diag_}};
};

constexpr auto kOk = LineResult::kAccepted;
constexpr auto kNot = LineResult::kNotPacketLog;
constexpr auto kBad = LineResult::kWrongFormat;

TEST_F(IpfilterParserTest, InterfaceRuleCountAndDirection) {
  CheckAll({
      {"3x xl0 @0:1 b host1[1.2.3.4],www -> 5.6.7.8,1024 PR tcp len 20 40 "
       "-AS IN",
       kOk,
       "status=0x7f|count=3|interface=xl0|oob_in=xl0|oob_out=|oob_prefix=0:1 "
       "b|src_host=host1|src_service=www|sport=80|dport=1024|flags=3|host=fw|"
       "ihl=20|totlen=40"},
      {"em0 @12:345 p 1.2.3.4,1 -> 5.6.7.8,2 PR udp len 20 28 OUT", kOk,
       "count=1|oob_out=em0|oob_in=|oob_prefix=12:345 p"},
      {"ppp0.1 @0:7 L 1.2.3.4 -> 5.6.7.8 PR gre len 20 60 log-tag 42", kOk,
       "oob_prefix=0:7 L 42|interface=ppp0.1|oob_in=|proto=47"},
      // Neither an empty interface nor a letter outside BLPSbnp is a rule.
      {"!Jan  5 12:34:56 fw ipmon[1]: @0:1 b 1.2.3.4 -> 5.6.7.8 PR gre", kBad,
       "status=0x1d|count=0|interface="},
      {"xl0 @0:1 x 1.2.3.4 -> 5.6.7.8 PR gre", kBad, "status=0x1d|oob_in="},
      {"12x xl0 @0:1 B 1.2.3.4 -> 5.6.7.8 PR gre len 20 40", kOk,
       "count=12|oob_prefix=0:1 B"},
  });
}

TEST_F(IpfilterParserTest, LogTagKeepsThePrefixWithinItsField) {
  const std::string group(120, '9');
  const std::string line = "xl0 @" + group +
                           ":1 b log-tag 123456 1.2.3.4 -> "
                           "5.6.7.8 PR gre";
  Check({line.c_str(), kOk, ""});
  EXPECT_EQ(entry_.oob_prefix.view(), group + ":1 b 12");
}

TEST_F(IpfilterParserTest, EndpointForms) {
  CheckAll({
      {"xl0 @0:1 b 1.2.3.4 -> 5.6.7.8 PR gre len 20 40", kOk,
       "status=0x1f|saddr=1.2.3.4|daddr=5.6.7.8|sport=65536|family=2"},
      {"xl0 @0:1 b a[1.2.3.4],80 -> b-2.x[5.6.7.8],http PR tcp", kOk,
       "src_host=a|sport=80|dst_host=b-2.x|dst_service=http|dport=80"},
      {"xl0 @0:1 b 1.2.3.4,ftp -> b[5.6.7.8] PR tcp", kBad,
       "status=0x3f|sport=21|dst_host=b|dport=65536"},
      {"xl0 @0:1 b fe80::1,546 -> ff02:0:0:0:0:0:1:2,547 PR udp", kOk,
       "family=28|saddr=fe80::1|daddr=ff02::1:2|sport=546|dport=547"},
      {"xl0 @0:1 b h[fe80::1] -> 5.6.7.8,123456 PR udp", kBad,
       "saddr=fe80::1|src_host=h|dport=12345|status=0x5f"},
      {"xl0 @0:1 b 1.2.3.4,nosuchservice -> 5.6.7.8,1 PR tcp", kBad,
       "status=0x5f|src_service=nosuchservice|sport=65536"},
      // A service name is only looked up once the protocol is known.
      {"xl0 @0:1 b 1.2.3.4,domain -> 5.6.7.8,domain PR udp", kOk,
       "sport=53|dport=53"},
      {"xl0 @0:1 b 1.2.3.4,domain -> 5.6.7.8,domain", kBad,
       "status=0x1b|sport=65536"},
      // "[address]" and "address," set nothing.
      {"xl0 @0:1 b [1.2.3.4] -> 5.6.7.8, PR gre", kBad,
       "status=0x7|saddr=|daddr="},
      {"xl0 @0:1 b 1.2.3.999 -> 5.6.7.8 PR gre", kBad, "status=0x17", 2,
       "IP address error: 1.2.3.999\n"},
      // Uppercase hexadecimal is not an address: only "::1,80" is.
      {"xl0 @0:1 b FE80::1,80 -> ::2,22 PR tcp", kOk, "saddr=::1|sport=80", 4,
       "Unrecognized token: FE80, line: 7\n"},
  });
}

TEST_F(IpfilterParserTest, LongServiceAndHostNamesAreCut) {
  const std::string service(40, 's');
  const std::string host(140, 'h');
  const std::string line =
      "xl0 @0:1 b " + host + "[1.2.3.4],80 -> 5.6.7.8," + service + " PR gre";
  Check({line.c_str(), kOk, "saddr=1.2.3.4|sport=80"});
  EXPECT_EQ(entry_.dst_service.view(), service.substr(0, 32));
  EXPECT_EQ(entry_.src_host.view(), host.substr(0, 127));
}

TEST_F(IpfilterParserTest, PacketFields) {
  CheckAll({
      {"xl0 @0:1 b 1.2.3.4 -> 5.6.7.8 PR 50 len 20 (40) frag +1480@0", kOk,
       "proto=50|ihl=20|totlen=40|fragoff=8192"},
      {"xl0 @0:1 b 1.2.3.4 -> 5.6.7.8 PR esp len 24 70000 frag -20@185", kOk,
       "proto=50|ihl=24|totlen=4464|fragoff=16569"},
      {"xl0 @0:1 b 1.2.3.4 -> 5.6.7.8 PR gre frag 20@8 K-S K-F low-ttl mbcast "
       "broadcast",
       kOk, "fragoff=8", 4},
      {"xl0 @0:1 b 1.2.3.4,1 -> 5.6.7.8,2 PR tcp -SAFRPU 4000000000 123 8192",
       kOk, "flags=63|seq=4000000000|ack=123|window=8192"},
      {"xl0 @0:1 b 1.2.3.4 -> 5.6.7.8 PR icmp icmp 8/0", kOk,
       "status=0x9f|type=8|code=0"},
      {"xl0 @0:1 b 1.2.3.4 -> 5.6.7.8 PR icmp icmp echo/0", kOk, "type=8"},
      {"xl0 @0:1 b 1.2.3.4 -> 5.6.7.8 PR icmp icmp unreach/port", kOk,
       "type=3|code=3"},
      {"xl0 @0:1 b 1.2.3.4 -> 5.6.7.8 PR icmp icmp bogus/0", kBad,
       "status=0x1f|type=255", 3, "Unrecognized Type bogus, ignoring\n"},
      {"xl0 @0:1 b fe80::1 -> ff02::2 PR icmpv6 icmpv6 "
       "routerrenumber/seqnum_reset",
       kOk, "proto=58|type=138|code=255"},
      {"xl0 @0:1 b fe80::1 -> ff02::2 PR ipv6-icmp icmpv6 1/4", kOk,
       "proto=58|type=1|code=4"},
  });
}

TEST_F(IpfilterParserTest, InnerPacketOfAnIcmpErrorIsSkipped) {
  CheckAll({
      {"xl0 @0:1 b 1.2.3.4 -> 5.6.7.8 PR icmp len 20 56 icmp unreach/port "
       "for 5.6.7.8 - 1.2.3.4 PR icmp len 20 84 IN",
       kOk, "saddr=1.2.3.4|daddr=5.6.7.8|proto=1|totlen=56|oob_in=xl0", 4},
      {"xl0 @0:1 b 1.2.3.4 -> 5.6.7.8 PR icmp len 20 56 icmp 3/3 for "
       "h[5.6.7.8],domain - 1.2.3.4,53 PR udp len 20 (84)",
       kOk, "saddr=1.2.3.4|src_host=|sport=65536|src_service=", 4},
      {"xl0 @0:1 b fe80::1 -> fe80::2 PR icmpv6 icmpv6 unreach/noport for "
       "fe80::2,9 - g[fe80::1],http PR udp len 40 48",
       kOk, "saddr=fe80::1|type=1|code=4", 4},
      // Without its lengths it is no inner packet: its fields are read.
      {"xl0 @0:1 b 1.2.3.4 -> 5.6.7.8 PR icmp icmp 3/3 for 5.6.7.8 - 9.9.9.9 "
       "PR udp",
       kBad, "saddr=9.9.9.9|proto=17", 4,
       "Unrecognized token: for, line: 7\n"
       "Unrecognized token: -, line: 7\n"},
  });
}

TEST_F(IpfilterParserTest, DaemonMessagesAndDiagnostics) {
  CheckAll({
      {"45 00 00 54 00 00 40 00 40 01 b6 a4 c0 a8 01 01  E..T..@.@.......",
       kNot, "status=0x101", 4},
      {"!Jan  5 12:34:56 fw ipmon[123]: ioctl(SIOCIPFFB): Bad file descriptor",
       kNot, "status=0x101", 4},
      {"xl0 @0:1 b 1.2.3.4 -> 5.6.7.8 PR foo", kNot, "status=0x11b|proto=0", 0,
       "Unknown protocol (not in /etc/protocols), ignoring: foo\n"},
      {"xl0 @0:1 b 1.2.3.4 -> 5.6.7.8 PR 0", kNot, "status=0x11b", 6,
       "Unknown protocol (not in /etc/protocols), ignoring: 0\n"},
      {"xl0 @0:1 b 1.2.3.4 -> 5.6.7.8 PR gre odd % words", kOk, "", 3},
      {"xl0 @0:1 b 1.2.3.4 -> 5.6.7.8 PR gre odd %\nIN", kOk, "oob_in=xl0", 4,
       "Unrecognized token: odd, line: 7\n"
       "Unrecognized character: %, line: 7\n"},
      {"!Foo  5 12:34:56 fw ipmon[1]: xl0 @0:1 b 1.2.3.4 -> 5.6.7.8 PR gre",
       kBad, "status=0x1e", 5,
       "Unrecognized token: Foo, line: 7\n"
       "Unrecognized token: 5, line: 7\n"
       "IP address error: 12:34:56\n"
       "Unrecognized token: fw, line: 7\n"
       "ipfilter parse error in line 7, ignoring.\n"},
      {"!Jan  5 12:34:56  ipmon[1]: xl0 @0:1 b", kBad, "status=0x2", 6,
       "ipfilter parse error in line 7, ignoring.\n"
       "input was: \"Jan  5 12:34:56  ipmon[1]: xl0 @0:1 b\n\"\n"},
  });
}

TEST_F(IpfilterParserTest, CompletenessDependsOnTheProtocol) {
  CheckAll({
      {"xl0 @0:1 b 1.2.3.4,1 -> 5.6.7.8 PR tcp", kBad, "status=0x3f"},
      {"xl0 @0:1 b 1.2.3.4,1 -> 5.6.7.8,2 PR udp icmp 3/3", kBad,
       "status=0xff"},
      {"xl0 @0:1 b 1.2.3.4 -> 5.6.7.8 PR icmp", kBad, "status=0x1f"},
      {"xl0 @0:1 b 1.2.3.4,1 -> 5.6.7.8 PR icmp icmp 0/0", kBad, "status=0xbf"},
      {"xl0 @0:1 b 1.2.3.4,1 -> 5.6.7.8,2 PR gre icmp 0/0", kOk, "status=0xff"},
      {"xl0 @0:1 b 1.2.3.4 PR gre", kBad, "status=0xf"},
  });
  EXPECT_EQ(entry_.local_time, LocalSeconds(2024, 1, 5, 12, 34, 56));
}

}  // namespace
}  // namespace tnwk
