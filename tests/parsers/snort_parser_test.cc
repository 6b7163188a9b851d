#include <gtest/gtest.h>

#include <string>

#include "base/clock.h"
#include "base/diagnostics.h"
#include "entries/log_entry.h"
#include "parsers/dialect_cases.h"
#include "test_support.h"

namespace tnwk {
namespace {

using testing::LocalSeconds;

constexpr char kHeader[] = "Mar  1 10:11:12 ids snort[123]: ";
constexpr char kAlert[] =
    "[1:469:3] ICMP PING NMAP [Classification: Attempted Information Leak] "
    "[Priority: 2]: ";

std::string Alert(const std::string& tail) {
  return std::string(kHeader) + kAlert + tail;
}

struct Case {
  const char* name;
  std::string line;
  LineResult result;
  uint32_t status;
  uint8_t protocol = 0;
  uint32_t sport = 65536, dport = 65536;
  std::string prefix = "";
  const char* saddr = "";
  const char* daddr = "";
  std::string messages = "";  // at verbosity 5
};

constexpr auto kOk = LineResult::kAccepted;
constexpr auto kBad = LineResult::kWrongFormat;
constexpr char kLeak[] = "Attempted Information Leak";
constexpr char kError[] = "snort parse error in line 7, ignoring.\n";

TEST(SnortParser, TokenRules) {
  const Case cases[] = {
      {"icmp", Alert("{ICMP} 10.1.1.1 -> 10.2.2.2"), kOk, 0x3f, 1, 65536, 65536,
       kLeak, "10.1.1.1", "10.2.2.2"},
      {"tcp_ports", Alert("{TCP} 10.1.1.1:1234 -> 10.2.2.2:161"), kOk, 0x3f, 6,
       1234, 161, kLeak, "10.1.1.1", "10.2.2.2"},
      {"plain_tag_udp",
       "Mar  1 10:11:12 ids snort: [1:2:3] DNS query (udp) "
       "[Classification: Misc activity] [Priority: 3]: "
       "{UDP} 010.001.000.1:53 -> 10.2.2.2",
       kOk, 0x3f, 17, 53, 65536, "Misc activity", "10.1.0.1", "10.2.2.2"},
      {"long_revision",
       std::string(kHeader) +
           "[1:1418:11] SNMP request tcp [Classification: "
           "x] [Priority: 2]: {TCP} 1.1.1.1:9 -> 2.2.2.2:161",
       kOk, 0x3f, 6, 9, 161, "x", "1.1.1.1", "2.2.2.2",
       "Unrecognized character: [\nUnrecognized token: 1\n"
       "Unrecognized character: :\nUnrecognized token: 1418\n"
       "Unrecognized character: :\nUnrecognized token: 11\n"
       "Unrecognized character: ]\n"},
      {"priority_10",
       std::string(kHeader) + "A B [Classification: c\td] [Priority: 10]: "
                              "{UDP} 1.1.1.1 -> 2.2.2.2:123456\n",
       kOk, 0x3f, 17, 65536, 12345, "c\td", "1.1.1.1", "2.2.2.2",
       "Unrecognized character: [\nUnrecognized character: :\n"
       "Unrecognized token: 10\nUnrecognized character: ]\n"
       "Unrecognized character: :\nUnrecognized token: 6\n"},
      {"newline_does_not_end_the_scan", Alert("{ICMP} 10.1.1.1\n-> 10.2.2.2"),
       kOk, 0x3f, 1, 65536, 65536, kLeak, "10.1.1.1", "10.2.2.2"},
      {"long_classification",
       std::string(kHeader) + "X Y [Classification: " + std::string(200, 'c') +
           "]: {ICMP} 1.1.1.1 -> 2.2.2.2",
       kOk, 0x3f, 1, 65536, 65536, std::string(127, 'c'), "1.1.1.1", "2.2.2.2",
       "Unrecognized character: :\n"},
      {"portscan",
       "Mar  1 10:11:12 ids snort: spp_portscan: PORTSCAN DETECTED "
       "from 10.1.1.1 (THRESHOLD 4 connections exceeded)",
       LineResult::kNotPacketLog, 0x41},
      {"stream4", Alert("spp_stream4: {TCP} 1.1.1.1:1 -> 2.2.2.2:2"),
       LineResult::kNotPacketLog, 0x47, 0, 65536, 65536, kLeak},
      {"ipv6_icmp", Alert("{IPV6-ICMP} 10.1.1.1 -> 10.2.2.2"), kBad, 0x27, 0,
       65536, 65536, kLeak, "", "10.2.2.2",
       std::string("Unrecognized character: {\nUnrecognized character: }\n"
                   "Unrecognized token: 10.1.1.1\n") +
           kError},
      {"proto_number", Alert("{PROTO:255} 10.1.1.1 -> 10.2.2.2"), kBad, 0x27, 0,
       65536, 65536, kLeak, "", "10.2.2.2",
       std::string("Unrecognized character: {\nUnrecognized character: :\n"
                   "Unrecognized token: 255\nUnrecognized character: }\n"
                   "Unrecognized token: 10.1.1.1\n") +
           kError},
      {"no_host",
       "Mar  1 10:11:12  snort[1]: A B [Classification: c] "
       "[Priority: 1]: {TCP} 1.1.1.1:1 -> 2.2.2.2:2",
       kBad, 0x3e, 6, 1, 2, "c", "1.1.1.1", "2.2.2.2", kError},
      {"no_classification",
       std::string(kHeader) + "A B [Priority: 1]: {TCP} 1.1.1.1:1 -> 2.2.2.2:2",
       kBad, 0x3b, 6, 1, 2, "", "1.1.1.1", "2.2.2.2", kError},
      {"bad_source", Alert("{TCP} 999.1.1.1:80 -> 2.2.2.2:2"), kBad, 0x2f, 6,
       80, 2, kLeak, "", "2.2.2.2",
       std::string("IP address error: 999.1.1.1\n") + kError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::ScopedTimeZone zone("UTC");
    testing::CapturedStream err;
    Diagnostics diag(5, err.get());
    FixedClock clock(LocalSeconds(2024, 12, 10, 0, 0, 0));
    LogEntry e;
    const auto parser =
        testing::MakeDialectParser("snort", {&e, &clock, &diag});
    EXPECT_EQ(parser->ParseEntry(c.line.c_str(), 7), c.result);
    EXPECT_EQ(parser->parse_status(), c.status);
    EXPECT_EQ(e.ip_protocol, c.protocol);
    EXPECT_EQ(e.sport, c.sport);
    EXPECT_EQ(e.dport, c.dport);
    EXPECT_EQ(e.oob_prefix.view(), c.prefix);
    EXPECT_EQ(e.ip_saddr.text.view(), c.saddr);
    EXPECT_EQ(e.ip_daddr.text.view(), c.daddr);
    EXPECT_EQ(err.str(), c.messages);
    EXPECT_EQ(e.tcp_flags, c.result == kOk ? kTcpFlagsUnknown : 0);
    EXPECT_EQ(e.oob_family, kFamilyIpv4);
    EXPECT_EQ(e.interface.view(), "-");
    EXPECT_EQ(e.count, 1u);
    if (c.status & kStatusHeader) {
      EXPECT_EQ(e.local_hostname.view(), "ids");
      EXPECT_EQ(e.local_time, LocalSeconds(2024, 3, 1, 10, 11, 12));
    }
  }
}

}  // namespace
}  // namespace tnwk
