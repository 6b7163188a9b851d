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
                ";at=%lld;host=%s;prefix=%s;in=%s;proto=%u;src=%s:%u;src4=%s;"
                "dst=%s:%u;len=%u;tos=%u;id=%u;frag=%#x;ttl=%u;flags=%#x;"
                "count=%llu;",
                static_cast<long long>(e.local_time), e.local_hostname.c_str(),
                e.oob_prefix.c_str(), e.oob_in.c_str(), e.ip_protocol,
                e.ip_saddr.text.c_str(), e.sport, inet_ntoa({e.ip_saddr.v4}),
                e.ip_daddr.text.c_str(), e.dport, e.ip_totlen, e.ip_tos,
                e.ip_id, e.ip_fragoff, e.ip_ttl, e.tcp_flags,
                static_cast<unsigned long long>(e.count));
  return out;
}

#define HEAD "Jan  1 12:00:00 gw kernel: Packet log: "

// The golden case ipchains_report shows the plain lines; these are the
// values and edges it does not.
const DialectCase kCases[] = {
    {"example with cut values, plain octets, redirect",
     HEAD "input REDIRECT 8080 eth0 PROTO=6 010.1.1.1:1025 10.0.0.1:80 "
          "L=70000 S=0x10 I=012 F=0x2000 T=300 O=0x0001 SYN (#4)",
     LineResult::kAccepted, 0x07,
     "at=1767268800;host=gw;prefix=RD 8080;in=eth0;proto=6;"
     "src=10.1.1.1:1025;src4=10.1.1.1;dst=10.0.0.1:80;len=4464;tos=16;id=10;"
     "frag=0x2000;ttl=44;flags=0x1;count=1",
     ""},
    {"protocol reads three digits",
     HEAD "output ACCEPT ppp0 PROTO=1234 1.2.3.4:1 5.6.7.8:2",
     LineResult::kAccepted, 0x07, "prefix=ACCEPT;in=ppp0;proto=123", ""},
    {"scan goes on after a newline",
     HEAD "input DENY eth0 PROTO=17\n1.2.3.4:1 5.6.7.8:2",
     LineResult::kAccepted, 0x07, "src=1.2.3.4:1;dst=5.6.7.8:2", ""},
    {"six-digit source port",
     HEAD "input DENY eth0 PROTO=6 1.2.3.4:123456 5.6.7.8:2",
     LineResult::kWrongFormat, 0x03, "src=:65536;dst=:65536", nullptr},
    {"bad destination keeps the source and both ports",
     HEAD "input DENY eth0 PROTO=17 1.2.3.4:53 5.6.7.999:2",
     LineResult::kWrongFormat, 0x03, "src=1.2.3.4:53;dst=:2",
     "IP address error: 5.6.7.999\n"
     "ipchains parse error in line 1, ignoring.\n"},
};

#undef HEAD

TEST(IpchainsParser, ReadsTheLinesOfItsDialect) {
  testing::RunDialectCases("ipchains", kCases, Fields);
}

TEST(IpchainsParser, SurvivesSplicedAndRandomLines) {
  testing::RunSplicedLines(
      "ipchains",
      {"Jan  1 12:00:00 gw", "Jan 1 01:02:03 fw", " kernel: Packet log: ",
       "input DENY eth0 PROTO=", "input REDIRECT 99999 ", "1234 ",
       "1.2.3.4:12345 ", "5.6.7.8:1", "L=99999999999999999999 ",
       "S=0xfffffffffffffffff ", "I=0x1 ", "F=0x", "T=", "SYN ", "(#3)", "\n",
       "\t", std::string(200, 'w') + " "},
      Fields);
}

}  // namespace
}  // namespace tnwk
