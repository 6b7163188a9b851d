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
  std::snprintf(
      out, sizeof out,
      ";host=%s;prefix=%s;in=%s;out=%s;fam=%u;proto=%u;src=%s:%u;dst=%s:%u;"
      "tos=%u;ttl=%u;id=%u;len=%u;plen=%u;flow=%u;frag=%#x;flags=%#x;"
      "seq=%u;ack=%u;win=%u;urg=%u;type=%u;code=%u;count=%llu;",
      e.local_hostname.c_str(), e.oob_prefix.c_str(), e.oob_in.c_str(),
      e.oob_out.c_str(), e.oob_family, e.ip_protocol, e.ip_saddr.text.c_str(),
      e.sport, e.ip_daddr.text.c_str(), e.dport, e.ip_tos, e.ip_ttl, e.ip_id,
      e.ip_totlen, e.ip6_payloadlen, e.ip6_flowlabel, e.ip_fragoff, e.tcp_flags,
      e.tcp_seq, e.tcp_ackseq, e.tcp_window, e.tcp_urgp, e.icmp_type,
      e.icmp_code, static_cast<unsigned long long>(e.count));
  return out;
}

#define FL "Dec  7 08:10:01 fw filterlog[7]: "
#define V4 "5,,,1000000103,igb0,match,block,in,4,0x10,,51,23451,0,DF,"
#define ADDR ",60,203.0.113.5,192.0.2.10,"
#define ERR "pf parse error in line 1, ignoring.\n"

// The golden case pf_filterlog shows the usual lines in a report; these are
// the field values and the refusals.
const DialectCase kCases[] = {
    {"IPv4 TCP block", FL V4 "6,tcp" ADDR "40122,22,0,SEWU,7,8,64240,9,mss",
     LineResult::kAccepted, 0x7,
     "host=fw;prefix=block 5;in=igb0;out=;fam=2;proto=6;src=203.0.113.5:40122;"
     "dst=192.0.2.10:22;tos=16;ttl=51;id=23451;len=60;frag=0x4000;"
     "flags=0x21;seq=7;ack=8;win=64240;urg=9;type=255;count=1",
     ""},
    {"IPv4 UDP pass out, no pid, MF and offset",
     "Dec  7 08:10:01 fw filterlog: 7,,,1,em1,match,pass,out,4,0x0,,64,1,"
     "185,MF,17,udp,69,10.1.2.3,198.51.100.53,52797,53,49",
     LineResult::kAccepted, 0x7,
     "prefix=pass 7;in=;out=em1;proto=17;dst=198.51.100.53:53;frag=0x20b9", ""},
    {"IPv6 TCP match, flow label in hex, length as payload",
     FL "3,,,hash,igb1,match,match,out,6,0x00,0xf6279,64,TCP,6,40,"
        "2001:DB8:0:0::1,2001:db8::2,55000,443,0,FPA,1,2,3,,",
     LineResult::kAccepted, 0x7,
     "prefix=match 3;fam=28;src=2001:db8::1:55000;ttl=64;len=0;plen=40;"
     "flow=1008249;flags=0x16",
     ""},
    {"ICMP reject, unreachable port",
     FL "9,,,1,igb0,match,reject,in,4,0x0,,64,0,0,none,1,icmp,56,1.2.3.4,"
        "5.6.7.8,unreachport,5.6.7.8,17,33434",
     LineResult::kAccepted, 0x7, "prefix=reject 9;proto=1;type=3;code=3", ""},
    {"ICMP echo request",
     FL "9,,,1,igb0,match,block,in,4,0x0,,64,0,0,none,1,icmp,84,1.2.3.4,"
        "5.6.7.8,request,37728,164",
     LineResult::kAccepted, 0x7, "type=8;code=0;src=1.2.3.4:65536", ""},
    {"other protocol with its data length, hostless header",
     "Dec  7 08:10:01 filterlog[7]: 1,,,1,igb0,match,pass,in,4,0xc0,,1,0,0,"
     "DF,2,igmp,32,10.1.2.17,239.255.255.250,datalength=8",
     LineResult::kAccepted, 0x7, "host=-;proto=2;tos=192", ""},
    {"RFC 5424 framing of the tag",
     "Dec  7 08:10:01 fw filterlog 92653 - [meta sequenceId=\"1\"] "
     "1,,,1,igb0,match,pass,in,4,0x0,,1,0,0,DF,2,igmp,32,1.2.3.4,5.6.7.8",
     LineResult::kAccepted, 0x7, "proto=2", ""},
    {"too few TCP fields", FL V4 "6,tcp" ADDR "40122,22,0,S,7,8,64240",
     LineResult::kWrongFormat, 0x3, "", ERR},
    {"too many UDP fields", FL V4 "17,udp" ADDR "1,2,3,4",
     LineResult::kWrongFormat, 0x3, "", ERR},
    {"non-numeric TTL",
     FL "5,,,1,igb0,match,block,in,4,0x0,,6x,1,0,DF,17,udp,60,1.2.3.4,5.6.7.8,"
        "1,2,3",
     LineResult::kWrongFormat, 0x3, "", ERR},
    {"port out of range", FL V4 "17,udp" ADDR "65536,2,3",
     LineResult::kWrongFormat, 0x3, "", ERR},
    {"bad address",
     FL "5,,,1,igb0,match,block,in,4,0x0,,64,1,0,DF,17,udp,60,1.2.3.400,"
        "5.6.7.8,1,2,3",
     LineResult::kWrongFormat, 0x3, "", nullptr},
    {"unknown direction and IP version",
     FL "5,,,1,igb0,match,block,in,5,0x0,,64,1,0,DF,17,udp,60,1.2.3.4,5.6.7.8,"
        "1,2,3",
     LineResult::kWrongFormat, 0x3, "", ERR},
    {"not a TCP flag letter", FL V4 "6,tcp" ADDR "1,2,0,SX,7,8,9,,",
     LineResult::kWrongFormat, 0x3, "", ERR},
    {"pflog TCP through syslog",
     "Dec  7 08:10:01 gw pf: Dec  7 08:10:00.286425 rule 2/(match) pass in "
     "on xl0: 140.211.166.3.6667 > 192.168.2.10.16290: P 7408:7677(269) ack "
     "1773 win 2520 <nop,nop,timestamp 1170563184 6314466> (DF)",
     LineResult::kAccepted, 0x7,
     "host=gw;prefix=pass 2;in=xl0;proto=6;src=140.211.166.3:6667;"
     "dst=192.168.2.10:16290;flags=0x12;seq=7408;ack=1773;win=2520",
     ""},
    {"pflog UDP from a file",
     "Dec  7 08:10:01.105123 rule 40/(match) block "
     "out on kue0: 195.42.124.2.36307 > 65.42.33.245.137: udp 50",
     LineResult::kAccepted, 0x5, "host=-;prefix=block 40;out=kue0;proto=17",
     ""},
    {"pflog IPv6 ICMPv6",
     "Dec  7 08:10:01.1 rule 3/(match) block in on em0: "
     "2001:db8::1 > 2001:db8::2: icmp6: echo request",
     LineResult::kAccepted, 0x5, "fam=28;proto=58;type=128;code=0", ""},
    {"pflog ICMP unreachable port",
     "Dec  7 08:10:01.1 rule 3/(match) block "
     "in on em0: 1.2.3.4 > 5.6.7.8: icmp: 5.6.7.8 udp port 33434 unreachable",
     LineResult::kAccepted, 0x5, "proto=1;type=3;code=3", ""},
    {"pflog other protocol",
     "Dec  7 08:10:01.1 rule 3/(match) pass in on "
     "em0: 1.2.3.4 > 5.6.7.8: ip-proto-47 24",
     LineResult::kAccepted, 0x5, "proto=47", ""},
    {"pflog without a protocol",
     "Dec  7 08:10:01.1 rule 3/(match) pass in "
     "on em0: 1.2.3.4 > 5.6.7.8: something",
     LineResult::kWrongFormat, 0x1, "", ERR},
    {"pflog with one port only",
     "Dec  7 08:10:01.1 rule 3/(match) pass in "
     "on em0: 1.2.3.4.80 > 5.6.7.8: udp 5",
     LineResult::kWrongFormat, 0x1, "", ERR},
    {"no date",
     "fw filterlog: 1,,,1,igb0,match,pass,in,4,0x0,,1,0,0,DF,2,"
     "igmp,32,1.2.3.4,5.6.7.8",
     LineResult::kWrongFormat, 0x6, "", nullptr},
};

TEST(PfParserTest, ReadsEachFormAndRefusesBrokenRecords) {
  testing::RunDialectCases("pf", kCases, Fields);
}

TEST(PfParserTest, SplicedLinesGiveTheSameResultAsFreshParsers) {
  testing::RunSplicedLines(
      "pf",
      {FL, V4, ADDR, "6,tcp", "17,udp", "1,icmp", ",", ",,", "request,1,2",
       "1,2,0,S,7,8,9,,", "2001:db8::1", "rule 2/(match) pass in on xl0: ",
       "1.2.3.4.5 > 6.7.8.9.10: ", "icmp: echo request", "\n"},
      Fields);
}

}  // namespace
}  // namespace tnwk
