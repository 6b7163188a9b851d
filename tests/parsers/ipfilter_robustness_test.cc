// Lines spliced from real ipfilter tokens and random bytes: the parser may
// not crash, read out of bounds or overflow a field on them.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/diagnostics.h"
#include "entries/log_entry.h"
#include "parsers/ipfilter_parser.h"
#include "test_support.h"

namespace tnwk {
namespace {

const std::vector<std::string> kIpfilterPieces = {
    "Jan  5 12:34:56 fw ipmon[123]: ",
    "[ID 702911 local0.warning] ",
    "12:34:56.789012 ",
    "3x ",
    "xl0 @0:1 b ",
    " @0:1 p ",
    "host1[1.2.3.4],www",
    "host1[fe80::1]",
    "[1.2.3.4],",
    "1.2.3.4,123456",
    " -> ",
    "5.6.7.8,",
    "ff02:0:0:0:0:0:1:2",
    " PR tcp",
    " PR foo",
    " len 20 (40)",
    " frag +1480@99999999999",
    " icmp unreach/port",
    " icmpv6 routerrenumber/seqnum_reset",
    " icmp 999999999999/99999999999",
    " for 5.6.7.8,53 - h[1.2.3.4],http PR udp len 20 84",
    " -SAFRPU",
    " 4294967296 1 70000",
    " log-tag 42",
    " IN",
    " OUT",
    "45 00 00 54",
    "ioctl(SIOCIPFFB): x",
    std::string(300, 'a'),
    "\n",
    "\t",
    "\xff"};

TEST(IpfilterParser, SurvivesSplicedAndRandomLines) {
  std::mt19937 random(20260105);
  testing::CapturedStream err;
  Diagnostics diag(6, err.get());
  FixedClock clock(testing::LocalSeconds(2026, 12, 8, 12, 0, 0));
  LogEntry entry;
  IpfilterParser parser(ParserEnvironment{&entry, &clock, &diag});
  for (int i = 0; i < 20000; ++i) {
    const std::string line = testing::RandomLine(random, kIpfilterPieces);
    parser.ParseEntry(line.c_str(), i + 1);
    ASSERT_LT(entry.oob_prefix.view().size(), 128u) << line;
    ASSERT_LT(entry.src_service.view().size(), 33u) << line;
    ASSERT_LT(entry.interface.view().size(), 128u) << line;
  }
}

}  // namespace
}  // namespace tnwk
