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
                ";at=%lld;host=%s;prefix=%s;proto=%u;family=%u;src=%s:%u;"
                "dst=%s:%u;in=%s;out=%s;type=%u;flags=%#x;count=%llu;",
                static_cast<long long>(e.local_time), e.local_hostname.c_str(),
                e.oob_prefix.c_str(), e.ip_protocol, e.oob_family,
                e.ip_saddr.text.c_str(), e.sport, e.ip_daddr.text.c_str(),
                e.dport, e.oob_in.c_str(), e.oob_out.c_str(), e.icmp_type,
                e.tcp_flags, static_cast<unsigned long long>(e.count));
  return out;
}

constexpr LineResult kOk = LineResult::kAccepted;
constexpr LineResult kNotLog = LineResult::kNotPacketLog;
constexpr LineResult kBad = LineResult::kWrongFormat;
#define PARSE_ERROR "junos_srx parse error in line 1, ignoring.\n"
constexpr char kError[] = PARSE_ERROR;

#define PLAIN "Nov  6 11:32:42 srx RT_FLOW: "
#define SD "Nov  6 11:32:42 srx RT_FLOW - "
#define DENY_SD SD "RT_FLOW_SESSION_DENY [junos@2636.1.1.1.2.39 "
#define CLOSE_SD SD "RT_FLOW_SESSION_CLOSE [junos@2636.1.1.1.2.39 "
#define TCP_SD                                                            \
  "source-address=\"10.0.0.1\" source-port=\"4000\" destination-address=" \
  "\"10.0.0.2\" destination-port=\"22\" protocol-id=\"6\" "
#define ZONES_SD "source-zone-name=\"a\" destination-zone-name=\"b\""

// The golden case junos_srx_sessions shows the usual lines in a report;
// these pin each form's fields and what makes a line a parse error.
const DialectCase kCases[] = {
    // Plain form.
    {"deny, udp, global policy, later fields",
     PLAIN "RT_FLOW_SESSION_DENY: session denied 10.0.0.1/54924->"
           "192.168.1.1/53 junos-dns-udp 17(0) default-deny(global) trust "
           "trust UNKNOWN UNKNOWN N/A(N/A) ge-0/0/0.0 No policy deny",
     kOk, 0x3ff,
     "at=1793964762;host=srx;prefix=default-deny denied;proto=17;family=2;"
     "src=10.0.0.1:54924;dst=192.168.1.1:53;in=trust;out=trust;type=255;"
     "flags=0x80;count=1",
     ""},
    {"deny, icmp type, connection tag",
     PLAIN "RT_FLOW_SESSION_DENY: session denied 10.0.0.9/2048->10.0.0.1/0 "
           "0x0 icmp 1(8) block-ping untrust trust",
     kOk, 0x3ff,
     "prefix=block-ping denied;proto=1;src=10.0.0.9:2048;dst=10.0.0.1:0;"
     "type=8",
     ""},
    {"close, tcp, two rule names, packets of both directions",
     PLAIN "RT_FLOW_SESSION_CLOSE: session closed TCP FIN: 10.1.1.10/52341->"
           "198.51.100.30/443 junos-https 203.0.113.2/40001->"
           "198.51.100.30/443 snat-out None 6 allow-web trust untrust 4242 "
           "78(6657) 64(90211) 12",
     kOk, 0xfff,
     "prefix=allow-web closed;proto=6;src=10.1.1.10:52341;"
     "dst=198.51.100.30:443;in=trust;out=untrust;count=142",
     ""},
    {"close, ipv6, tags and four rule fields",
     PLAIN "RT_FLOW_SESSION_CLOSE: session closed response received: "
           "2001:db8::10/5353->2001:DB8:1:0:0:0:0:53/53 0x0 junos-dns-udp "
           "2001:db8::10/5353->2001:db8:1::53/53 0x0 N/A N/A N/A N/A 17 7 "
           "trust dmz 777 1(70) 1(134) 1 UNKNOWN UNKNOWN N/A(N/A) ge-0/0/0.0",
     kOk, 0xfff,
     "prefix=7 closed;proto=17;family=28;src=2001:db8::10:5353;"
     "dst=2001:db8:1::53:53;in=trust;out=dmz;count=2",
     ""},
    {"close, gre, two-word rule type, count saturates",
     PLAIN "RT_FLOW_SESSION_CLOSE: session closed idle Timeout: 10.0.0.5/0->"
           "192.0.2.9/0 0x0 None 203.0.113.2/0->192.0.2.9/0 0x0 source rule "
           "5 N/A N/A 47 1000 trust untrust 9911 18446744073709551615(1) "
           "99999999999999999999(0) 60",
     kOk, 0xfff,
     "prefix=1000 closed;proto=47;src=10.0.0.5:0;count=18446744073709551615",
     ""},
    {"create is not a packet entry",
     PLAIN "RT_FLOW_SESSION_CREATE: session created 10.1.1.10/52341->"
           "198.51.100.30/443 junos-https 203.0.113.2/40001->"
           "198.51.100.30/443 snat-out None 6 allow-web trust untrust 4242",
     kNotLog, 0x3ff, "prefix=allow-web created", ""},
    // Structured form, in any order, with escapes.
    {"structured deny, tcp",
     DENY_SD TCP_SD "icmp-type=\"0\" policy-name=\"deny \\\"all\\\"\" "
                    "reason=\"policy deny\" " ZONES_SD "]",
     kOk, 0x3ff,
     "at=1793964762;host=srx;prefix=deny \"all\" denied;proto=6;family=2;"
     "src=10.0.0.1:4000;dst=10.0.0.2:22;in=a;out=b;type=255;flags=0x80;"
     "count=1",
     ""},
    {"structured close, icmpv6, parameters out of order",
     CLOSE_SD "reason=\"ICMP error\" packets-from-server=\"4\" icmp-type="
              "\"128\" protocol-id=\"58\" destination-port=\"0\" "
              "destination-address=\"2001:db8::2\" source-port=\"7\" "
              "source-address=\"2001:db8::1\" policy-name=\"v6\" "
              "packets-from-client=\"5\" bytes-from-client=\"561\" " ZONES_SD
              "]",
     kOk, 0xfff,
     "prefix=v6 closed;proto=58;family=28;src=2001:db8::1:7;"
     "dst=2001:db8::2:0;type=128;count=9",
     ""},
    {"structured create",
     SD "RT_FLOW_SESSION_CREATE [junos@2636.1.1.1.2.39 " TCP_SD "]", kNotLog,
     0x7f, "", ""},
    // Parse errors: a field missing, a value that does not read.
    {"deny without its destination zone",
     PLAIN "RT_FLOW_SESSION_DENY: session denied 10.0.0.1/1->10.0.0.2/2 "
           "junos-ssh 6(0) p trust",
     kBad, 0x1ff, "", kError},
    {"close without its packet pairs",
     PLAIN "RT_FLOW_SESSION_CLOSE: session closed unset: 10.0.0.1/1->"
           "10.0.0.2/2 x 10.0.0.1/1->10.0.0.2/2 None None 6 p a b 5 12",
     kBad, 0x3ff, "", kError},
    {"address that does not parse",
     PLAIN "RT_FLOW_SESSION_DENY: session denied 10.0.0.300/1->10.0.0.2/2 "
           "junos-ssh 6(0) p a b",
     kBad, 0x13fb, "", "IP address error: 10.0.0.300\n" PARSE_ERROR},
    {"port out of range",
     PLAIN "RT_FLOW_SESSION_DENY: session denied 10.0.0.1/1->10.0.0.2/70000 "
           "junos-ssh 6(0) p a b",
     kBad, 0x13df, "", kError},
    {"protocol out of range",
     DENY_SD TCP_SD "protocol-id=\"300\" policy-name=\"p\" " ZONES_SD "]", kBad,
     0x13ff, "", kError},
    {"non-numeric port", DENY_SD TCP_SD "source-port=\"ssh\" " ZONES_SD "]",
     kBad, 0x137f, "", kError},
    {"address of another shape",
     DENY_SD TCP_SD "source-address=\"10.1\" policy-name=\"p\" " ZONES_SD "]",
     kBad, 0x13ff, "", "IP address error: 10.1\n" PARSE_ERROR},
    {"unterminated value", DENY_SD TCP_SD ZONES_SD " policy-name=\"p]", kBad,
     0x137f, "", kError},
    {"families differ",
     DENY_SD TCP_SD "destination-address=\"::1\" policy-name=\"p\" " ZONES_SD
                    "]",
     kBad, 0x13ff, "", kError},
    {"close missing the server's packets",
     CLOSE_SD TCP_SD "policy-name=\"p\" packets-from-client=\"1\" " ZONES_SD
                     "]",
     kBad, 0x7ff, "", kError},
    {"two events",
     DENY_SD TCP_SD "policy-name=\"p\" " ZONES_SD
                    "] RT_FLOW_SESSION_DENY: session denied",
     kBad, 0x13ff, "", kError},
    {"an event of another name",
     SD "RT_FLOW_SESSION_DENY_LS [junos@1 " TCP_SD "]", kBad, 0x7d, "",
     "Unrecognized token: RT_FLOW_SESSION_DENY_LS\n" PARSE_ERROR},
    {"empty host",
     "Nov  6 11:32:42  RT_FLOW: RT_FLOW_SESSION_DENY: session denied "
     "10.0.0.1/1->10.0.0.2/2 junos-ssh 6(0) p a b",
     kBad, 0x3fe, "", kError},
};

#undef PARSE_ERROR
#undef PLAIN
#undef SD
#undef DENY_SD
#undef CLOSE_SD
#undef TCP_SD
#undef ZONES_SD

TEST(JunosSrxParser, ReadsTheLinesOfItsDialect) {
  testing::RunDialectCases("junos_srx", kCases, Fields);
}

TEST(JunosSrxParser, SurvivesSplicedAndRandomLines) {
  testing::RunSplicedLines("junos_srx",
                           {"Nov  6 11:32:42 srx",
                            " RT_FLOW: ",
                            "RT_FLOW_SESSION_DENY: ",
                            "session denied ",
                            "RT_FLOW_SESSION_CLOSE: session closed TCP FIN: ",
                            "10.0.0.1/1->10.0.0.2/99999999 ",
                            "2001:db8::1/1->::2/2 ",
                            "0x0 ",
                            "17(0) ",
                            "78(99999999999999999999) ",
                            "N/A ",
                            "source rule ",
                            "6 ",
                            "RT_FLOW - RT_FLOW_SESSION_CLOSE ",
                            "[junos@2636.1 ",
                            "source-address=\"10.0.0.1\" ",
                            "packets-from-client=\"9\" ",
                            "policy-name=\"a\\\"b\\",
                            "\"",
                            "]",
                            " ",
                            "\n",
                            "\t",
                            std::string(300, '7')},
                           Fields);
}

}  // namespace
}  // namespace tnwk
