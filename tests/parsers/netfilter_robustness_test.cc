// Lines made of real tokens cut and spliced at random, and of random bytes:
// the parser may not crash, read out of bounds or stop on them. Under the
// sanitizers this is where an off-by-one in a rule or an action shows up.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/diagnostics.h"
#include "entries/log_entry.h"
#include "parsers/netfilter_parser.h"
#include "test_support.h"

namespace tnwk {
namespace {

using testing::RandomLine;

const std::vector<std::string> kNetfilterPieces = {
    "Dec  4 10:11:12 gw kernel: ",
    "[1234.5678] ",
    "FW-DROP ",
    "IN=eth0 ",
    "OUT= ",
    "PHYSIN=eth1 ",
    "MAC=00:11:22:33:44:55:66:77:88:99:aa:bb:08:00 ",
    "SRC=10.0.0.1 ",
    "DST=2001:db8::1 ",
    "LEN=60 ",
    "TOS=0x10 ",
    "TTL=64 ",
    "ID=54321 ",
    "DF ",
    "PROTO=TCP ",
    "PROTO=ICMP ",
    "SPT=123456 ",
    "DPT=22 ",
    "TYPE=3 ",
    "CODE=4 ",
    "[SRC=1.2.3.4 DST=5.6.7.8 ",
    "] ",
    "SEQ=99 ",
    "ACK ",
    "SYN ",
    "MARK=0xff ",
    "2014-01-02T10:11:12.123456+01:00 host ",
    "2026:01:02-03:04:05 h ",
    "99999999999999999999999 ",
    "\t",
    "\xff",
    "=",
    "IN=",
    "GATEWAY=300.1.1.1 ",
    "MTU=70000 ",
    "FLOWLBL=4294967296 "};

TEST(NetfilterParser, SurvivesSplicedAndRandomLines) {
  std::mt19937 random(20261208);
  testing::CapturedStream err;
  Diagnostics diag(6, err.get());
  FixedClock clock(testing::LocalSeconds(2026, 12, 8, 12, 0, 0));
  LogEntry entry;
  NetfilterParser parser(ParserEnvironment{&entry, &clock, &diag});
  for (int i = 0; i < 20000; ++i) {
    std::string line = RandomLine(random, kNetfilterPieces);
    LineResult result = parser.ParseEntry(line.c_str(), i + 1);
    ASSERT_TRUE(result == LineResult::kAccepted ||
                result == LineResult::kWrongFormat)
        << line;
    ASSERT_LT(entry.oob_prefix.view().size(), 128u);
    ASSERT_LT(entry.ip_saddr.text.view().size(), 46u);
  }
}

}  // namespace
}  // namespace tnwk
