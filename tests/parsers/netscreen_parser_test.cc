#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "base/clock.h"
#include "base/diagnostics.h"
#include "entries/log_entry.h"
#include "parsers/dialect_cases.h"
#include "test_support.h"

namespace tnwk {
namespace {

using testing::CapturedStream;
using testing::LocalSeconds;
using testing::ScopedTimeZone;

constexpr char kInfo[] = "Mar  1 10:11:12 fw fw1: NetScreen device_id=fw1  ";
constexpr char kTraffic[] = "[Root]system-notification-00257(traffic): ";
constexpr char kParseError[] = "netscreen parse error in line 7, ignoring.\n";

// A traffic line up to its ports, with the given protocol and action.
std::string Traffic(const char* proto, const char* action) {
  return std::string(kInfo) + kTraffic +
         "start_time=\"2005-03-01 10:11:12\" duration=0 policy_id=320001 "
         "service=tcp/port:1234 proto=" +
         proto + " src zone=Untrust dst zone=Trust action=" + action +
         " sent=0 rcvd=0 src=10.1.1.1 dst=10.2.2.2 ";
}

std::string Info(const char* text) { return kInfo + std::string(text); }

// What a line left in the entry, in one line.
std::string Describe(const LogEntry& e) {
  const time_t t = static_cast<time_t>(e.local_time);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char when[32];
  std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &tm);
  char out[512];
  std::snprintf(out, sizeof out,
                "%s %s %d %s %s:%u > %s:%u icmp %d/%d flags %x if %s %llu",
                e.local_hostname.c_str(), when, e.ip_protocol,
                e.oob_prefix.c_str(), e.ip_saddr.text.c_str(), e.sport,
                e.ip_daddr.text.c_str(), e.dport, e.icmp_type, e.icmp_code,
                e.tcp_flags, e.interface.c_str(),
                static_cast<unsigned long long>(e.count));
  return out;
}

// A line's result and parse_status, the entry it left (null: not checked)
// and the diagnostics at verbosity 5 (null: not checked).
struct Case {
  std::string line;
  LineResult result;
  uint32_t status;
  const char* entry = nullptr;
  const char* messages = "";
};

TEST(NetscreenParserTest, TokenRulesAndCompleteness) {
  constexpr LineResult kOk = LineResult::kAccepted;
  constexpr LineResult kNotLog = LineResult::kNotPacketLog;
  constexpr LineResult kBad = LineResult::kWrongFormat;
  const Case cases[] = {
      // Traffic lines; the example's start time lacks its quotes, so it is
      // read as stray tokens.
      {Info("[Root]system-notification-00257(traffic): start_time=2005-03-01 "
            "10:11:12 duration=0 policy_id=320001 service=tcp/port:1234 "
            "proto=6 src zone=Untrust dst zone=Trust action=Deny sent=0 "
            "rcvd=0 src=10.1.1.1 dst=10.2.2.2 src_port=1234 dst_port=80"),
       kOk, 0x7f,
       "fw 2024-03-01 10:11:12 6 Deny 10.1.1.1:1234 > 10.2.2.2:80 icmp "
       "255/255 flags 80 if - 1",
       nullptr},
      {Info("system-notification-00257(traffic): duration=5 policy_id=2 "
            "service=udp/port:53 proto=17 direction=outgoing src zone=Trust "
            "dst zone=Untrust action=Permit sent=120 rcvd=300 src=10.0.0.5 "
            "dst=192.0.2.53 src_port=40000 dst_port=53 translated "
            "ip=198.51.100.1 port=40001 src-xlated ip=198.51.100.2 port=40002 "
            "(2005-03-01 10:11:12)"),
       kOk, 0x7f,
       "fw 2024-03-01 10:11:12 17 Permit 10.0.0.5:40000 > 192.0.2.53:53 icmp "
       "255/255 flags 80 if - 1"},
      {Traffic("1", "Deny") + "icmp type=8", kOk, 0x7f,
       "fw 2024-03-01 10:11:12 1 Deny 10.1.1.1:8 > 10.2.2.2:0 icmp 8/0 flags "
       "80 if - 1"},
      {Traffic("262", "Reject") + "src_port=1 dst_port=123456", kOk, 0x7f,
       "fw 2024-03-01 10:11:12 6 Reject 10.1.1.1:1 > 10.2.2.2:12345 icmp "
       "255/255 flags 80 if - 1",
       "Unrecognized character: 6\n"},
      {Traffic("6", "Deny") + "src_port=1 foo=bar dst_port=2", kOk, 0x7f,
       nullptr,
       "Unrecognized token: foo\nUnrecognized character: =\n"
       "Unrecognized token: bar\n"},
      // Incomplete lines: a port, the host, an address missing.
      {Traffic("6", "Deny") + "src_port=1234", kBad, 0x6f, nullptr,
       kParseError},
      {"Mar  1 10:11:12  fw1: NetScreen proto=6 action=Deny src=10.1.1.1 "
       "dst=10.2.2.2 src_port=1 dst_port=2",
       kBad, 0x7e, nullptr, kParseError},
      {Info("proto=6 action=Deny src=10.1.1.256 dst=10.2.2.2 src_port=1 "
            "dst_port=2"),
       kBad, 0x7d, nullptr,
       "IP address error: 10.1.1.256\n"
       "netscreen parse error in line 7, ignoring.\n"},
      // Administrative notices, also beside a complete traffic part, and VPN
      // notices, marked by their IKE peer: no packet log lines.
      {Traffic("6", "Deny") + "src_port=1 dst_port=2 IKE<10.0.0.1>", kNotLog,
       0xff},
      {Info("[Root]system-information-00767: Lock configuration ended by task "
            "admin"),
       kNotLog, 0x81},
      {Info("system-information-00531: The system clock has been updated "
            "through NTP."),
       kNotLog, 0x81},
      {Info("[Root]system-warning-00515: Admin user \"netscreen\" logged in "
            "via Telnet from 10.0.0.9:1025"),
       kNotLog, 0x81},
      {Info("Save configuration to IP address 10.0.0.9 under filename fw1.cfg "
            "by administrator by admin netscreen"),
       kNotLog, 0x81},
      {Info("last message repeated 1 time"), kNotLog, 0x81},
      {Info("IKE<10.0.0.1>: XAuth login failed for gateway gw-1, username "
            "bob@example.com, retry: 2."),
       kNotLog, 0x81},
      {Info("IKE<10.0.0.1>>> 10.0.0.1 Phase 1: Initiated negotiations in main "
            "mode."),
       kNotLog, 0x81},
      {Info("IKE<10.0.0.1> Phase 1: Completed for user Road warrior_1."),
       kNotLog, 0x81},
      {Info("IKE<10.0.0.1> Phase 2 msg ID 8a3c: Completed negotiations with "
            "SPI 0f2e, tunnel ID 40001, and lifetime 3600 seconds/4608000 "
            "KB."),
       kNotLog, 0x81},
  };

  ScopedTimeZone zone("UTC");
  FixedClock clock(LocalSeconds(2024, 12, 10, 0, 0, 0));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    CapturedStream captured;
    Diagnostics diag(5, captured.get());
    LogEntry entry;
    const auto parser =
        testing::MakeDialectParser("netscreen", {&entry, &clock, &diag});
    const std::string line = c.line + "\n";
    EXPECT_EQ(parser->ParseEntry(line.c_str(), 7), c.result);
    EXPECT_EQ(parser->parse_status(), c.status);
    if (c.entry != nullptr) {
      EXPECT_EQ(Describe(entry), c.entry);
    }
    if (c.messages != nullptr) {
      EXPECT_EQ(captured.str(), c.messages);
    }
  }
}

}  // namespace
}  // namespace tnwk
