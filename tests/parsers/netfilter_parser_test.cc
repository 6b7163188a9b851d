#include "parsers/netfilter_parser.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstring>
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

constexpr char kTag[] = "Dec  4 10:11:12 gw kernel: [1234.5678] ";
constexpr char kMac[] = "MAC=00:11:22:33:44:55:66:77:88:99:aa:bb:08:00";
// The fields of a dropped TCP SYN after the log prefix.
constexpr char kTcpFields[] =
    "IN=eth0 OUT= MAC=00:11:22:33:44:55:66:77:88:99:aa:bb:08:00 "
    "SRC=10.0.0.1 DST=10.0.0.2 LEN=60 TOS=0x00 PREC=0x00 TTL=64 ID=54321 DF "
    "PROTO=TCP SPT=40000 DPT=22 WINDOW=5840 RES=0x00 SYN URGP=0";
constexpr char kUdpFields[] =
    "IN=eth0 OUT= SRC=10.0.0.1 DST=10.0.0.2 LEN=76 TOS=0x00 PREC=0x00 TTL=64 "
    "ID=7 PROTO=UDP SPT=123 DPT=123 LEN=56";
constexpr char kIcmpErrorFields[] =
    "IN=eth0 OUT= SRC=10.0.0.1 DST=10.0.0.2 LEN=96 TOS=0x00 PREC=0xC0 TTL=64 "
    "ID=4242 PROTO=ICMP TYPE=3 CODE=4 [SRC=10.0.0.2 DST=10.0.0.1 LEN=1500 "
    "TOS=0x00 PREC=0x00 TTL=63 ID=99 DF PROTO=TCP SPT=53 DPT=1024 WINDOW=1 "
    "RES=0x00 ACK URGP=0 ] MTU=1480";

std::string Cat(std::string_view a, std::string_view b) {
  return std::string(a) + std::string(b);
}

std::string CanonicalIpv6(const char* text) {
  unsigned char bytes[16];
  char out[INET6_ADDRSTRLEN];
  inet_pton(AF_INET6, text, bytes);
  return inet_ntop(AF_INET6, bytes, out, sizeof out);
}

class NetfilterParserTest : public ::testing::Test {
 protected:
  // Scans `line` with the newline the input loop leaves on it.
  LineResult Parse(std::string_view line) {
    text_.assign(line);
    text_ += '\n';
    return parser_.ParseEntry(text_.c_str(), ++line_no_);
  }
  // Scans the fields after the standard syslog header and kernel tag.
  LineResult ParseTagged(std::string_view fields) {
    return Parse(Cat(kTag, fields));
  }

  const LogEntry& e() const { return entry_; }
  uint32_t status() const { return parser_.parse_status(); }
  NetfilterCondition condition() const { return parser_.condition(); }
  std::string Messages() { return captured_.str(); }
  void SetVerbosity(uint8_t level) { diag_.set_verbosity(level); }

  ScopedTimeZone zone_{"UTC"};
  CapturedStream captured_;
  Diagnostics diag_{0, captured_.get()};
  FixedClock clock_{LocalSeconds(2024, 12, 10, 0, 0, 0)};
  LogEntry entry_;
  NetfilterParser parser_{ParserEnvironment{&entry_, &clock_, &diag_}};
  std::string text_;
  uint64_t line_no_ = 0;
};

// The reference TCP line, field by field.
TEST_F(NetfilterParserTest, TcpLineFillsEveryField) {
  ASSERT_EQ(ParseTagged(Cat("FW-DROP ", kTcpFields)), LineResult::kAccepted);
  EXPECT_EQ(status(), 0x7fu);
  EXPECT_EQ(e().local_time, LocalSeconds(2024, 12, 4, 10, 11, 12));
  EXPECT_EQ(e().local_hostname.view(), "gw");
  EXPECT_EQ(e().oob_prefix.view(), "FW-DROP");
  EXPECT_EQ(e().oob_in.view(), "eth0");
  EXPECT_EQ(e().interface.view(), "eth0");
  EXPECT_EQ(e().oob_out.view(), "");
  EXPECT_EQ(e().raw_mac.view(), "00:11:22:33:44:55:66:77:88:99:aa:bb:08:00");
  EXPECT_EQ(e().oob_family, kFamilyIpv4);
  EXPECT_EQ(e().ip_saddr.text.view(), "10.0.0.1");
  EXPECT_EQ(e().ip_saddr.v4, inet_addr("10.0.0.1"));
  EXPECT_EQ(e().ip_daddr.text.view(), "10.0.0.2");
  EXPECT_EQ(e().ip_totlen, 60);
  EXPECT_EQ(e().udp_len, 0);
  EXPECT_EQ(e().ip_id, 54321);
  EXPECT_EQ(e().ip_fragoff, 0x4000);
  EXPECT_EQ(e().ip_ttl, 64);
  EXPECT_EQ(e().ip_protocol, 6);
  EXPECT_EQ(e().sport, 40000u);
  EXPECT_EQ(e().dport, 22u);
  EXPECT_EQ(e().tcp_window, 5840);
  EXPECT_EQ(e().tcp_flags, kTcpSyn);
  EXPECT_EQ(e().icmp_type, 255);
  EXPECT_EQ(e().count, 1u);
  EXPECT_EQ(condition(), NetfilterCondition::TRANSPORT);
}

TEST_F(NetfilterParserTest, EachLineStartsFromAResetEntry) {
  ASSERT_EQ(ParseTagged(Cat("FW ", kTcpFields)), LineResult::kAccepted);
  ASSERT_EQ(ParseTagged(kUdpFields), LineResult::kAccepted);
  EXPECT_EQ(e().oob_prefix.view(), "-");
  EXPECT_EQ(e().raw_mac.view(), "");
  EXPECT_EQ(e().tcp_flags, 0);
  EXPECT_EQ(e().ip_fragoff, 0);
}

// ICMP errors carry a copy of the offending packet in brackets.
TEST_F(NetfilterParserTest, IcmpErrorKeepsOuterFields) {
  ASSERT_EQ(ParseTagged(kIcmpErrorFields), LineResult::kAccepted);
  EXPECT_EQ(status(), 0x9fu);
  EXPECT_EQ(e().ip_protocol, 1);
  EXPECT_EQ(e().icmp_type, 3);
  EXPECT_EQ(e().icmp_code, 4);
  EXPECT_EQ(e().ip_saddr.text.view(), "10.0.0.1");
  EXPECT_EQ(e().ip_daddr.text.view(), "10.0.0.2");
  EXPECT_EQ(e().ip_totlen, 96);
  EXPECT_EQ(e().ip_id, 4242);
  EXPECT_EQ(e().ip_ttl, 64);
  EXPECT_EQ(e().ip_tos, 0xC0);
  EXPECT_EQ(e().ip_fragoff, 0);
  EXPECT_EQ(e().sport, 65536u);
  EXPECT_EQ(e().dport, 65536u);
  EXPECT_EQ(e().tcp_flags, 0);
  EXPECT_EQ(e().tcp_window, 0);
  EXPECT_EQ(e().icmp_fragmtu, 1480);
  EXPECT_EQ(condition(), NetfilterCondition::ICMP_INNER);
}

TEST_F(NetfilterParserTest, IcmpInnerPacketIsOneTokenUpToTheLastBracket) {
  SetVerbosity(5);
  ASSERT_EQ(ParseTagged("IN=eth0 OUT= SRC=10.0.0.1 DST=10.0.0.2 LEN=84 "
                        "PROTO=ICMP TYPE=11 CODE=0 [SRC=10.0.0.2 DST=10.0.0.9 "
                        "PROTO=UDP SPT=1 DPT=2 INCOMPLETE [65 bytes] ]"),
            LineResult::kAccepted);
  EXPECT_EQ(status(), 0x9fu);
  EXPECT_EQ(e().ip_daddr.text.view(), "10.0.0.2");
  EXPECT_EQ(Messages(), "");
}

TEST_F(NetfilterParserTest, BracketBeforeCodeIsNotSwallowed) {
  SetVerbosity(5);
  ParseTagged(
      "IN=eth0 OUT= SRC=10.0.0.1 DST=10.0.0.2 PROTO=ICMP [x] TYPE=8 "
      "CODE=0 ID=1 SEQ=2");
  EXPECT_EQ(Messages(),
            "Unrecognized character: [, line 1\n"
            "Unrecognized token: x, line 1\n"
            "Unrecognized character: ], line 1\n");
  EXPECT_EQ(e().icmp_type, 8);
}

TEST_F(NetfilterParserTest, IcmpEchoReadsTransportIdAndSeq) {
  ASSERT_EQ(ParseTagged("IN=eth0 OUT= SRC=10.0.0.1 DST=10.0.0.2 LEN=84 "
                        "TTL=64 ID=555 DF PROTO=ICMP TYPE=8 CODE=0 ID=1234 "
                        "SEQ=7"),
            LineResult::kAccepted);
  EXPECT_EQ(e().ip_id, 555);
  EXPECT_EQ(e().icmp_echoid, 1234);
  EXPECT_EQ(e().icmp_echoseq, 7);
  EXPECT_EQ(e().tcp_seq, 0u);
}

TEST_F(NetfilterParserTest, IcmpRedirectAndParameterProblemFields) {
  ASSERT_EQ(ParseTagged("IN=eth0 OUT= SRC=10.0.0.1 DST=10.0.0.2 PROTO=ICMP "
                        "TYPE=5 CODE=1 GATEWAY=192.168.1.254 [SRC=1.1.1.1 ]"),
            LineResult::kAccepted);
  EXPECT_EQ(e().icmp_gateway, inet_addr("192.168.1.254"));
  ASSERT_EQ(ParseTagged("IN=eth0 OUT= SRC=10.0.0.1 DST=10.0.0.2 PROTO=ICMP "
                        "TYPE=12 CODE=0 PARAMETER=20 [SRC=1.1.1.1 ]"),
            LineResult::kAccepted);
}

// Rule priority and longest match.
TEST_F(NetfilterParserTest, PrefixNeedsAKernelTagBeforeIt) {
  ASSERT_EQ(ParseTagged(Cat("FW-DROP ", kTcpFields)), LineResult::kAccepted);
  ASSERT_EQ(Parse(Cat("Dec  4 10:11:12 gw ", kTcpFields)),
            LineResult::kAccepted);
  EXPECT_EQ(e().oob_prefix.view(), "-");
  EXPECT_EQ(e().oob_in.view(), "eth0");
}

TEST_F(NetfilterParserTest, KernelTagWithoutPrefixGivesDash) {
  ASSERT_EQ(ParseTagged(kTcpFields), LineResult::kAccepted);
  EXPECT_EQ(e().oob_prefix.view(), "-");
  ASSERT_EQ(Parse(Cat("Dec  4 10:11:12 gw kernel: ", kTcpFields)),
            LineResult::kAccepted);
  EXPECT_EQ(e().oob_prefix.view(), "-");
  EXPECT_EQ(e().oob_in.view(), "eth0");
}

TEST_F(NetfilterParserTest, PrefixMayHoldBlanksAndBrackets) {
  ASSERT_EQ(ParseTagged(Cat("[FW block] ", kTcpFields)), LineResult::kAccepted);
  EXPECT_EQ(e().oob_prefix.view(), "[FW block]");
  ASSERT_EQ(ParseTagged(Cat("FW: ", kTcpFields)), LineResult::kAccepted);
  EXPECT_EQ(e().oob_prefix.view(), "FW:");
}

TEST_F(NetfilterParserTest, PrefixGluedToInKeepsItsLastCharacter) {
  for (const char* prefix :
       {"[wan-lan-default-D]", "fw:net2fw:DROP:", "DROP(src wan)"}) {
    ASSERT_EQ(ParseTagged(Cat(prefix, kTcpFields)), LineResult::kAccepted)
        << prefix;
    EXPECT_EQ(e().oob_prefix.view(), prefix);
    EXPECT_EQ(e().oob_in.view(), "eth0");
  }
}

TEST_F(NetfilterParserTest, BridgeLineKeepsPrefixAndBothInterfaces) {
  constexpr char kBridge[] =
      "IN=br0 OUT=br0 PHYSIN=eth0 PHYSOUT=eth1 SRC=10.0.0.1 DST=10.0.0.2 "
      "LEN=60 ID=9 PROTO=TCP SPT=1 DPT=2 SYN";
  ASSERT_EQ(ParseTagged(Cat("FW-DROP ", kBridge)), LineResult::kAccepted);
  EXPECT_EQ(e().oob_prefix.view(), "FW-DROP");
  EXPECT_EQ(e().oob_in.view(), "br0");
  EXPECT_EQ(e().interface.view(), "br0");
  EXPECT_EQ(e().oob_out.view(), "br0");
  EXPECT_EQ(e().ip_totlen, 60);
  EXPECT_EQ(e().ip_id, 9);

  ASSERT_EQ(ParseTagged(kBridge), LineResult::kAccepted);
  EXPECT_EQ(e().oob_prefix.view(), "-");
  EXPECT_EQ(e().oob_in.view(), "br0");
  EXPECT_EQ(e().oob_out.view(), "br0");
}

TEST_F(NetfilterParserTest, PhysinIsNotAnInToken) {
  // From TRANSPORT (no kernel tag), IN= is rule 11; PHYSIN= must not be read
  // as a second IN=.
  ASSERT_EQ(ParseTagged(kTcpFields), LineResult::kAccepted);
  ASSERT_EQ(Parse("Dec  4 10:11:12 gw IN=br0 OUT=br0 PHYSIN=eth0 "
                  "PHYSOUT=eth1 SRC=10.0.0.1 DST=10.0.0.2 PROTO=47"),
            LineResult::kAccepted);
  EXPECT_EQ(e().oob_in.view(), "br0");
  EXPECT_EQ(e().oob_out.view(), "br0");
}

TEST_F(NetfilterParserTest, PrefixTokenWithOnlyPhysinSetsNothing) {
  ParseTagged("FW PHYSIN=eth0 SRC=10.0.0.1 DST=10.0.0.2 PROTO=47");
  EXPECT_EQ(status() & kNetfilterIn, 0u);
  EXPECT_EQ(e().oob_prefix.view(), "");
  EXPECT_EQ(e().oob_in.view(), "");
  EXPECT_EQ(condition(), NetfilterCondition::TRANSPORT);
}

TEST_F(NetfilterParserTest, EmptyInterfaceAndLongPrefix) {
  ASSERT_EQ(ParseTagged("FW IN= OUT=eth1 SRC=10.0.0.1 DST=10.0.0.2 PROTO=47"),
            LineResult::kAccepted);
  EXPECT_EQ(e().oob_in.view(), "");
  EXPECT_EQ(e().oob_out.view(), "eth1");
  const std::string long_prefix(200, 'p');
  ASSERT_EQ(ParseTagged(Cat(long_prefix + " ", kTcpFields)),
            LineResult::kAccepted);
  EXPECT_EQ(e().oob_prefix.view(), long_prefix.substr(0, 127));
}

TEST_F(NetfilterParserTest, PortOfSixDigitsReadsFiveAndFlagsTheRest) {
  SetVerbosity(5);
  ParseTagged(
      "IN=eth0 OUT= SRC=10.0.0.1 DST=10.0.0.2 PROTO=UDP SPT=123456 "
      "DPT=53");
  EXPECT_EQ(e().sport, 12345u);
  EXPECT_EQ(e().dport, 53u);
  EXPECT_EQ(Messages(), "Unrecognized character: 6, line 1\n");
}

TEST_F(NetfilterParserTest, MappedIpv6SourceStopsBeforeTheDottedTail) {
  ASSERT_EQ(ParseTagged("IN=eth0 OUT= SRC=::ffff:1.2.3.4 DST=fe80::1 "
                        "PROTO=UDP SPT=1 DPT=2"),
            LineResult::kAccepted);
  EXPECT_EQ(e().oob_family, kFamilyIpv6);
  EXPECT_EQ(e().ip_saddr.text.view(), CanonicalIpv6("::ffff:1"));
  const unsigned char expected[16] = {0, 0, 0, 0, 0,    0,    0, 0,
                                      0, 0, 0, 0, 0xff, 0xff, 0, 1};
  EXPECT_EQ(std::memcmp(e().ip_saddr.v6, expected, 16), 0);
}

TEST_F(NetfilterParserTest, MacNeedsFourteenPairs) {
  SetVerbosity(5);
  ParseTagged("IN=eth0 OUT= MAC=00:11 SRC=10.0.0.1 DST=10.0.0.2 PROTO=47");
  EXPECT_EQ(e().raw_mac.view(), "");
  EXPECT_NE(Messages().find("Unrecognized character: 0, line 1\n"),
            std::string::npos);
  ParseTagged(Cat("IN=eth0 ", kMac));
  EXPECT_EQ(e().raw_mac.view(), "00:11:22:33:44:55:66:77:88:99:aa:bb:08:00");
  // A 16-pair MAC (with a VLAN tag) is taken whole.
  ParseTagged(Cat("IN=eth0 ", Cat(kMac, ":81:00")));
  EXPECT_EQ(e().raw_mac.view(),
            "00:11:22:33:44:55:66:77:88:99:aa:bb:08:00:81:00");
}

TEST_F(NetfilterParserTest, KeywordsOutrankTheWordRule) {
  SetVerbosity(5);
  ParseTagged(
      "IN=eth0 OUT= SRC=10.0.0.1 DST=10.0.0.2 CE DF MF FRAG:185 "
      "PROTO=TCP SPT=1 DPT=2 URG ACK PSH RST SYN FIN ECE CWR "
      "OPT (020405B4) OPT (TRUNCATED) TRUNCATED UID=0 GID=0");
  EXPECT_EQ(e().tcp_flags, 0x3f);
  EXPECT_EQ(e().ip_fragoff, 0x4000 | 0x2000 | 185);
  EXPECT_EQ(Messages(), "");
}

TEST_F(NetfilterParserTest, UnknownWordsAreReportedWithTheLineNumber) {
  SetVerbosity(5);
  Parse("x");
  Parse("Dec  4 10:11:12 gw PROTO=SCTP %");
  EXPECT_EQ(Messages(),
            "Unrecognized token: x, line 1\n"
            "netfilter parse error in line 1, ignoring.\n"
            "Unrecognized token: PROTO, line 2\n"
            "Unrecognized character: =, line 2\n"
            "Unrecognized token: SCTP, line 2\n"
            "Unrecognized character: %, line 2\n"
            "netfilter parse error in line 2, ignoring.\n");
}

// The conditions decide what LEN= and ID= are.
TEST_F(NetfilterParserTest, LenAndIdBeforeProtoBelongToTheIpHeader) {
  ASSERT_EQ(ParseTagged(kUdpFields), LineResult::kAccepted);
  EXPECT_EQ(e().ip_totlen, 76);
  EXPECT_EQ(e().udp_len, 56);
  EXPECT_EQ(e().ip_id, 7);
  EXPECT_EQ(e().icmp_echoid, 0);
}

TEST_F(NetfilterParserTest, Ipv6LenGoesToPayloadLength) {
  ASSERT_EQ(ParseTagged("IN=eth0 OUT= SRC=fe80::1 DST=ff02:0:0:0:0:0:0:1 "
                        "LEN=72 TC=16 HOPLIMIT=255 FLOWLBL=12345 "
                        "PROTO=ICMPv6 TYPE=135 CODE=0"),
            LineResult::kAccepted);
  EXPECT_EQ(status(), 0x9fu);
  EXPECT_EQ(e().oob_family, kFamilyIpv6);
  EXPECT_EQ(e().ip_saddr.text.view(), "fe80::1");
  EXPECT_EQ(e().ip_daddr.text.view(), "ff02::1");
  EXPECT_EQ(e().ip6_payloadlen, 72);
  EXPECT_EQ(e().ip_totlen, 0);
  EXPECT_EQ(e().ip_tos, 16);
  EXPECT_EQ(e().ip_ttl, 255);
  EXPECT_EQ(e().ip6_flowlabel, 12345u);
  EXPECT_EQ(e().ip_protocol, 58);
  EXPECT_EQ(e().icmp_type, 135);
}

TEST_F(NetfilterParserTest, Ipv6FragmentIdIsHexLow16Bits) {
  ParseTagged(
      "IN=eth0 OUT= SRC=fe80::1 DST=fe80::2 LEN=1240 FRAG:1232 "
      "ID:1234abcd MF PROTO=UDP SPT=1 DPT=2");
  EXPECT_EQ(e().ip_id, 0xabcd);
  EXPECT_EQ(e().ip_fragoff, 0x2000 | 1232);
}

TEST_F(NetfilterParserTest, SeqBelongsToTcpOnlyAfterProtoTcp) {
  ParseTagged(
      "IN=eth0 OUT= SRC=10.0.0.1 DST=10.0.0.2 SEQ=5 PROTO=TCP SPT=1 "
      "DPT=2 SEQ=4000000000 ACK=3000000000 ACK");
  EXPECT_EQ(e().icmp_echoseq, 5);
  EXPECT_EQ(e().tcp_seq, 4000000000u);
  EXPECT_EQ(e().tcp_ackseq, 3000000000u);
  EXPECT_EQ(e().tcp_flags, kTcpAck);
}

TEST_F(NetfilterParserTest, LineStartsInTheConditionThePreviousLineLeft) {
  // A kernel tag without IN= leaves AFTER_TAG; the next line's " kernel: FW"
  // then belongs to the prefix.
  ParseTagged("OUT=eth0");
  ASSERT_EQ(condition(), NetfilterCondition::AFTER_TAG);
  ASSERT_EQ(Parse(Cat("Dec  4 10:11:12 gw kernel: FW ", kTcpFields)),
            LineResult::kAccepted);
  EXPECT_EQ(e().oob_prefix.view(), "kernel: FW");
}

TEST_F(NetfilterParserTest, LineStartingInIcmpInnerSwallowsBrackets) {
  constexpr char kLine[] =
      "Dec  4 10:11:12 gw [1] IN=eth0 OUT= SRC=10.0.0.1 DST=10.0.0.2 "
      "PROTO=UDP SPT=1 DPT=2 [2]";
  ASSERT_EQ(Parse(kLine), LineResult::kAccepted);  // from INITIAL
  ParseTagged(kIcmpErrorFields);
  ASSERT_EQ(condition(), NetfilterCondition::ICMP_INNER);
  EXPECT_EQ(Parse(kLine), LineResult::kWrongFormat);
  EXPECT_EQ(status(), kStatusHeader);
}

TEST_F(NetfilterParserTest, LineStartingInIpHeaderReadsLenAsTotalLength) {
  ParseTagged("IN=eth0 OUT=");
  ASSERT_EQ(condition(), NetfilterCondition::IP_HEADER);
  Parse("Dec  4 10:11:12 gw LEN=40 ID=3");
  EXPECT_EQ(e().ip_totlen, 40);
  EXPECT_EQ(e().ip_id, 3);
  ParseTagged(kUdpFields);
  ASSERT_EQ(condition(), NetfilterCondition::TRANSPORT);
  Parse("Dec  4 10:11:12 gw LEN=40 ID=3");
  EXPECT_EQ(e().udp_len, 40);
  EXPECT_EQ(e().icmp_echoid, 3);
}

// Timestamps.
TEST_F(NetfilterParserTest, DateWithKernelTagAndNoHost) {
  for (const char* tag : {"kernel:", "klogd:", "[kernel]"}) {
    ASSERT_EQ(Parse(Cat(Cat("Dec  4 10:11:12 ", tag), Cat(" FW ", kTcpFields))),
              LineResult::kAccepted)
        << tag;
    EXPECT_EQ(e().local_hostname.view(), "-");
    EXPECT_EQ(e().local_time, LocalSeconds(2024, 12, 4, 10, 11, 12));
    EXPECT_EQ(e().oob_prefix.view(), "FW");
  }
}

TEST_F(NetfilterParserTest, KernelTagsWithAndWithoutUptime) {
  for (const char* tag : {" kernel: [   12.345678]", " klogd: [1.2]",
                          " kernel:", " klogd:", " [kernel]"}) {
    ASSERT_EQ(
        Parse(Cat(Cat("Dec  4 10:11:12 gw", tag), Cat(" FW ", kTcpFields))),
        LineResult::kAccepted)
        << tag;
    EXPECT_EQ(e().oob_prefix.view(), "FW") << tag;
    EXPECT_EQ(e().local_hostname.view(), "gw");
  }
}

TEST_F(NetfilterParserTest, DateWithoutHostOrTag) {
  ASSERT_EQ(Parse(Cat("Dec  4 10:11:12  ", kTcpFields)), LineResult::kAccepted);
  EXPECT_EQ(e().local_hostname.view(), "-");
  EXPECT_EQ(e().local_time, LocalSeconds(2024, 12, 4, 10, 11, 12));
}

TEST_F(NetfilterParserTest, LeadingYearIsSkipped) {
  ASSERT_EQ(Parse(Cat("2019 Dec  4 10:11:12 gw kernel: ", kTcpFields)),
            LineResult::kAccepted);
  EXPECT_EQ(e().local_hostname.view(), "gw");
  EXPECT_EQ(e().local_time, LocalSeconds(2024, 12, 4, 10, 11, 12));
  ASSERT_EQ(Parse(Cat("2019 Dec  4 10:11:12  ", kTcpFields)),
            LineResult::kAccepted);
  EXPECT_EQ(e().local_hostname.view(), "-");
  EXPECT_EQ(e().local_time, LocalSeconds(2024, 12, 4, 10, 11, 12));
}

TEST_F(NetfilterParserTest, FutureDateBelongsToThePreviousYear) {
  ASSERT_EQ(Parse(Cat("Dec 31 23:59:59 gw ", kTcpFields)),
            LineResult::kAccepted);
  EXPECT_EQ(e().local_time, LocalSeconds(2023, 12, 31, 23, 59, 59));
}

TEST_F(NetfilterParserTest, RepeatedTimestampFollowsThePresent) {
  const std::string line = Cat("Dec  4 10:11:12 gw ", kTcpFields);
  ASSERT_EQ(Parse(line), LineResult::kAccepted);
  EXPECT_EQ(e().local_time, LocalSeconds(2024, 12, 4, 10, 11, 12));
  ASSERT_EQ(Parse(line), LineResult::kAccepted);
  EXPECT_EQ(e().local_time, LocalSeconds(2024, 12, 4, 10, 11, 12));
  clock_.Set(LocalSeconds(2024, 12, 4, 10, 11, 11));
  ASSERT_EQ(Parse(line), LineResult::kAccepted);
  EXPECT_EQ(e().local_time, LocalSeconds(2023, 12, 4, 10, 11, 12));
  // A different host or a host-less form reuses the time but not the host.
  ASSERT_EQ(Parse(Cat("Dec  4 10:11:12 kernel: ", kTcpFields)),
            LineResult::kAccepted);
  EXPECT_EQ(e().local_time, LocalSeconds(2023, 12, 4, 10, 11, 12));
  EXPECT_EQ(e().local_hostname.view(), "-");
}

TEST_F(NetfilterParserTest, DashedCalendarTimeKeepsItsYear) {
  ASSERT_EQ(Parse(Cat("2019:03:05-06:07:08 fw1 kernel: FW ", kTcpFields)),
            LineResult::kAccepted);
  EXPECT_EQ(e().local_time, LocalSeconds(2019, 3, 5, 6, 7, 8));
  EXPECT_EQ(e().local_hostname.view(), "fw1");
}

TEST_F(NetfilterParserTest, IsoTimestampIgnoresFractionAndZone) {
  for (const char* stamp :
       {"2014-01-02T10:11:12.123456+01:00", "2014-01-02T10:11:12-05:30",
        "2014-01-02T10:11:12Z", "2014-01-02T10:11:12.5Z"}) {
    ASSERT_EQ(Parse(Cat(stamp, Cat(" gw kernel: FW ", kTcpFields))),
              LineResult::kAccepted)
        << stamp;
    EXPECT_EQ(e().local_time, LocalSeconds(2014, 1, 2, 10, 11, 12));
    EXPECT_EQ(e().local_hostname.view(), "gw");
    EXPECT_EQ(e().oob_prefix.view(), "FW");
  }
}

TEST_F(NetfilterParserTest, SevenDigitFractionIsNotATimestamp) {
  EXPECT_EQ(
      Parse(Cat("2014-01-02T10:11:12.1234567+01:00 gw kernel: ", kTcpFields)),
      LineResult::kWrongFormat);
  EXPECT_EQ(status(), 0x7eu);
}

TEST_F(NetfilterParserTest, MalformedHeadersSetNoDate) {
  for (const char* header : {"Foo 12 10:11:12 gw ", "Jan 1 1:11:12 gw "}) {
    EXPECT_EQ(Parse(Cat(header, kTcpFields)), LineResult::kWrongFormat)
        << header;
    EXPECT_EQ(status() & kStatusHeader, 0u);
  }
}

TEST_F(NetfilterParserTest, LongHostIsCutTo32Characters) {
  const std::string host(40, 'h');
  ASSERT_EQ(Parse("Dec  4 10:11:12 " + host + " " + kTcpFields),
            LineResult::kAccepted);
  EXPECT_EQ(e().local_hostname.view(), host.substr(0, 32));
}

// The completeness test depends on the protocol.
TEST_F(NetfilterParserTest, TcpAndUdpNeedBothPortsAndNoType) {
  EXPECT_EQ(ParseTagged(Cat(kTcpFields, " TYPE=3")), LineResult::kWrongFormat);
  EXPECT_EQ(status(), 0xffu);
  EXPECT_EQ(ParseTagged("IN=eth0 OUT= SRC=1.1.1.1 DST=2.2.2.2 PROTO=TCP DPT=1"),
            LineResult::kWrongFormat);
  EXPECT_EQ(ParseTagged("IN=eth0 OUT= SRC=1.1.1.1 DST=2.2.2.2 PROTO=UDP SPT=1"),
            LineResult::kWrongFormat);
  EXPECT_EQ(ParseTagged("IN=eth0 OUT= SRC=1.1.1.1 DST=2.2.2.2 PROTO=UDP SPT=1 "
                        "DPT=2"),
            LineResult::kAccepted);
}

TEST_F(NetfilterParserTest, IcmpNeedsTypeAndNoPorts) {
  EXPECT_EQ(ParseTagged("IN=eth0 OUT= SRC=1.1.1.1 DST=2.2.2.2 PROTO=ICMP "
                        "TYPE=0 CODE=0 SPT=1"),
            LineResult::kWrongFormat);
  EXPECT_EQ(status(), 0xbfu);
  EXPECT_EQ(ParseTagged("IN=eth0 OUT= SRC=1.1.1.1 DST=2.2.2.2 PROTO=ICMP "
                        "CODE=0"),
            LineResult::kWrongFormat);
  EXPECT_EQ(ParseTagged("IN=eth0 OUT= SRC=fe80::1 DST=fe80::2 PROTO=ICMPv6"),
            LineResult::kWrongFormat);
}

TEST_F(NetfilterParserTest, OtherProtocolsNeedOnlyTheBaseFields) {
  EXPECT_EQ(ParseTagged("IN=eth0 OUT= SRC=1.1.1.1 DST=2.2.2.2 PROTO=47"),
            LineResult::kAccepted);
  EXPECT_EQ(status(), 0x1fu);
  EXPECT_EQ(ParseTagged("IN=eth0 OUT= SRC=1.1.1.1 DST=2.2.2.2 PROTO=ESP "
                        "SPI=0x1F00 SPT=1 TYPE=2"),
            LineResult::kAccepted);
  EXPECT_EQ(e().ip_protocol, 50);
  EXPECT_EQ(e().ahesp_spi, 0x1f00u);
  EXPECT_EQ(ParseTagged("IN=eth0 OUT= SRC=1.1.1.1 DST=2.2.2.2 PROTO=AH"),
            LineResult::kAccepted);
  EXPECT_EQ(e().ip_protocol, 51);
  EXPECT_EQ(ParseTagged("IN=eth0 OUT= SRC=1.1.1.1 DST=2.2.2.2"),
            LineResult::kWrongFormat);
  EXPECT_EQ(ParseTagged("OUT= SRC=1.1.1.1 DST=2.2.2.2 PROTO=47"),
            LineResult::kWrongFormat);
  EXPECT_EQ(Parse("Dec  4 10:11:12 gw IN=eth0 OUT= SRC=1.1.1.1 PROTO=47"),
            LineResult::kWrongFormat);
}

TEST_F(NetfilterParserTest, ProtocolZeroAndUnknownWordsAreIncomplete) {
  EXPECT_EQ(ParseTagged("IN=eth0 OUT= SRC=1.1.1.1 DST=2.2.2.2 PROTO=0"),
            LineResult::kWrongFormat);
  EXPECT_EQ(status(), 0x0fu);
  for (const char* word : {"SCTP", "GRE"}) {
    EXPECT_EQ(
        ParseTagged(Cat("IN=eth0 OUT= SRC=1.1.1.1 DST=2.2.2.2 PROTO=", word)),
        LineResult::kWrongFormat);
    EXPECT_EQ(e().ip_protocol, 0);
  }
}

TEST_F(NetfilterParserTest, UdpliteIsUdp) {
  ASSERT_EQ(ParseTagged("IN=eth0 OUT= SRC=1.1.1.1 DST=2.2.2.2 PROTO=UDPLITE "
                        "SPT=1 DPT=2"),
            LineResult::kAccepted);
  EXPECT_EQ(e().ip_protocol, 17);
}

TEST_F(NetfilterParserTest, BadAddressLeavesItsBitClear) {
  SetVerbosity(2);
  EXPECT_EQ(ParseTagged("IN=eth0 OUT= SRC=999.1.1.1 DST=2.2.2.2 PROTO=47"),
            LineResult::kWrongFormat);
  EXPECT_EQ(status(), 0x1bu);
  EXPECT_EQ(Messages(), "IP address error: 999.1.1.1\n");
}

// Values.
TEST_F(NetfilterParserTest, TosPrecAndTcAreOred) {
  ParseTagged("IN=eth0 TOS=0x10 PREC=0x20");
  EXPECT_EQ(e().ip_tos, 0x30);
  ParseTagged("IN=eth0 TOS=0x01 TC=2");
  EXPECT_EQ(e().ip_tos, 0x03);
}

TEST_F(NetfilterParserTest, HexadecimalFields) {
  ParseTagged(
      "IN=eth0 MACSRC=00:11:22:33:44:55 MACDST=66:77:88:99:aa:bb "
      "MACPROTO=86dd MARK=0x1f");
  EXPECT_EQ(e().mac_saddr_str.view(), "00:11:22:33:44:55");
  EXPECT_EQ(e().mac_daddr_str.view(), "66:77:88:99:aa:bb");
  EXPECT_EQ(e().oob_protocol, 0x86dd);
  EXPECT_EQ(e().oob_mark, 0x1fu);
  ParseTagged("IN=eth0 MARK=10");
  EXPECT_EQ(e().oob_mark, 0x10u);
}

TEST_F(NetfilterParserTest, LargeValuesKeepTheirLowBits) {
  ParseTagged(
      "IN=eth0 TTL=300 PROTO=262 WINDOW=99999999999999999999999 "
      "URGP=65537 MTU=70000");
  EXPECT_EQ(e().ip_ttl, 300 % 256);
  EXPECT_EQ(e().ip_protocol, 6);
  EXPECT_EQ(e().tcp_window, 0xffff);  // saturated before the cut
  EXPECT_EQ(e().tcp_urgp, 1);
  EXPECT_EQ(e().icmp_fragmtu, 70000 % 65536);
}

TEST_F(NetfilterParserTest, ScanEndsAtTheFirstNewline) {
  ASSERT_EQ(Parse(Cat(kTag, Cat(kTcpFields, "\nTYPE=3"))),
            LineResult::kAccepted);
  EXPECT_EQ(status(), 0x7fu);
  // A line without a newline (the last one of a file) ends at its NUL.
  ASSERT_EQ(parser_.ParseEntry(Cat(kTag, kTcpFields).c_str(), 9),
            LineResult::kAccepted);
}

TEST_F(NetfilterParserTest, ParseErrorMessagesByVerbosity) {
  SetVerbosity(4);
  Parse("Dec  4 10:11:12 gw OUT=");
  EXPECT_EQ(Messages(), "");
  SetVerbosity(5);
  Parse("Dec  4 10:11:12 gw OUT=");
  EXPECT_EQ(Messages(), "netfilter parse error in line 2, ignoring.\n");
  SetVerbosity(6);
  Parse("Dec  4 10:11:12 gw OUT=");
  EXPECT_EQ(Messages(),
            "netfilter parse error in line 2, ignoring.\n"
            "netfilter parse error in line 3, ignoring.\n"
            "input was: \"Dec  4 10:11:12 gw OUT=\n\"\n");
}

}  // namespace
}  // namespace tnwk
