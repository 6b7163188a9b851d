#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "entries/log_entry.h"
#include "parsers/dialect_cases.h"

namespace tnwk {
namespace {

using testing::DialectCase;

std::string Fields(const LogEntry& e) {
  char out[1024];
  std::snprintf(out, sizeof out,
                ";at=%lld;host=%s;prefix=%s;proto=%u;type=%u;code=%u;"
                "src=%s:%u;src4=%s;dst=%s:%u;in=%s;out=%s;id=%u;len=%u;"
                "frag=%#x;flags=%#x;count=%llu;",
                static_cast<long long>(e.local_time), e.local_hostname.c_str(),
                e.oob_prefix.c_str(), e.ip_protocol, e.icmp_type, e.icmp_code,
                e.ip_saddr.text.c_str(), e.sport, inet_ntoa({e.ip_saddr.v4}),
                e.ip_daddr.text.c_str(), e.dport, e.oob_in.c_str(),
                e.oob_out.c_str(), e.ip_id, e.ip_totlen, e.ip_fragoff,
                e.tcp_flags, static_cast<unsigned long long>(e.count));
  return out;
}

#define HEAD "Jan  5 12:34:56 fw kernel: ipfw: "

// The golden case ipfw_report shows the usual lines; these are the values
// and edges it does not.
const DialectCase kCases[] = {
    {"example", HEAD "100 Deny TCP 1.2.3.4:1234 5.6.7.8:80 in via xl0",
     LineResult::kAccepted, 0x1f,
     "at=1767616496;host=fw;prefix=100 Deny;proto=6;type=255;code=255;"
     "src=1.2.3.4:1234;dst=5.6.7.8:80;in=xl0;out=;flags=0x80;count=1",
     ""},
    {"limit notice", HEAD "limit 10 reached on entry 100",
     LineResult::kNotPacketLog, 0x21, "flags=0", ""},
    {"forward, octets as written, port 65536, ignored words",
     HEAD "400 Forward to 10.0.0.1:8080 UDP 010.1.1.1:53 5.6.7.8:65536 "
          "in via em0 [no if info] MAC",
     LineResult::kAccepted, 0x1f,
     "prefix=400 Forward to 10.0.0.1:8080;proto=17;src=010.1.1.1:53;"
     "src4=8.1.1.1;dst=5.6.7.8:65536",
     ""},
    {"other syslog tag, rule number of more than five digits",
     "Jan  5 12:34:56 fw /kernel: ipfw: 1234567 Unreach 3 ICMP:3.13 1.2.3.4 "
     "5.6.7.8 out via xl0 (frag 1:2@80)",
     LineResult::kAccepted, 0x1f,
     "prefix=12345 67 Unreach 3;type=3;code=13;out=xl0;id=1;len=2;frag=0xa",
     ""},
    {"scan ends at the first newline",
     HEAD "100 Deny TCP 1.2.3.4:1 5.6.7.8:2\nin via xl0",
     LineResult::kWrongFormat, 0x0f, "in=", nullptr},
    {"bad source keeps both ports",
     HEAD "100 Deny TCP 1.2.3.999:1 5.6.7.8:2 in via xl0",
     LineResult::kWrongFormat, 0x17, "src=:1;dst=:2",
     "IP address error: 1.2.3.999\nipfw parse error in line 1, ignoring.\n"},
    {"empty host",
     "Jan  5 12:34:56  kernel: ipfw: 100 Deny TCP 1.2.3.4:1 5.6.7.8:2 "
     "in via xl0",
     LineResult::kWrongFormat, 0x1e, "at=0;host=", nullptr},
};

#undef HEAD

TEST(IpfwParser, ReadsTheLinesOfItsDialect) {
  testing::RunDialectCases("ipfw", kCases, Fields);
}

TEST(IpfwParser, SurvivesSplicedAndRandomLines) {
  testing::RunSplicedLines(
      "ipfw",
      {"Jan  5 12:34:56 fw", "Jan 5 01:02:03 gw", " kernel: ipfw: ", "1234567 ",
       "Deny ", "Forward to 1.2.3.44444:", "TCP ", "ICMP:123.4567 ",
       "P:99999999 ", "1.2.3.4:99999999999 ", "5.6.7.8", " ", "in via xl0 ",
       "out via ", "(frag 99999999999:1@99999999999+)",
       "limit 1 reached on entry 2", "\n", "\t", std::string(200, 'w')},
      Fields);
}

}  // namespace
}  // namespace tnwk
