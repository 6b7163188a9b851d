#include "parsers/win_xp_parser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "base/clock.h"
#include "base/diagnostics.h"
#include "entries/log_entry.h"
#include "test_support.h"

namespace tnwk {
namespace {

std::string UtcText(int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char out[32];
  std::strftime(out, sizeof out, "%Y-%m-%dT%H:%M:%S", &tm);
  return out;
}

// The entry's fields by the short names that a case's expectations use.
std::map<std::string, std::string> Fields(const LogEntry& e) {
  auto n = [](auto value) { return std::to_string(value); };
  return {{"time", UtcText(e.local_time)},
          {"host", e.local_hostname.c_str()},
          {"iface", e.interface.c_str()},
          {"prefix", e.oob_prefix.c_str()},
          {"in", e.oob_in.c_str()},
          {"proto", n(e.ip_protocol)},
          {"family", n(e.oob_family)},
          {"src", e.ip_saddr.text.c_str()},
          {"dst", e.ip_daddr.text.c_str()},
          {"sport", n(e.sport)},
          {"dport", n(e.dport)},
          {"len", n(e.ip_totlen)},
          {"flags", n(e.tcp_flags)},
          {"seq", n(e.tcp_seq)},
          {"ack", n(e.tcp_ackseq)},
          {"win", n(e.tcp_window)},
          {"itype", n(e.icmp_type)},
          {"icode", n(e.icmp_code)},
          {"count", n(e.count)}};
}

struct Case {
  const char* line;
  LineResult result;
  const char* fields;    // "name=value" pairs; "_" for a blank in a value
  const char* messages;  // everything written at verbosity 6
};

const Case kCases[] = {
    // Header and foreign lines are turned away silently.
    {"#Version: 1.5\r\n", LineResult::kNotPacketLog, "", ""},
    {"#Fields: date time action protocol src-ip dst-ip\n",
     LineResult::kNotPacketLog, "", ""},
    {"Jan  1 10:00:00 host sshd[1]: 2004-03-01 10:11:12\n",
     LineResult::kNotPacketLog, "", ""},
    {"", LineResult::kNotPacketLog, "", ""},
    // Every field of a TCP line; the line's CR LF is not part of the path.
    {"2004-03-01 10:11:12 DROP TCP 10.0.0.1 10.0.0.2 1025 80 48 S 12345 0 "
     "64240 - - - RECEIVE\r\n",
     LineResult::kAccepted,
     "time=2004-03-01T10:11:12 host=- iface=- prefix=DROP proto=6 family=2 "
     "src=10.0.0.1 dst=10.0.0.2 sport=1025 dport=80 len=48 flags=1 seq=12345 "
     "ack=0 win=64240 itype=255 icode=255 in=RECEIVE count=1",
     ""},
    {"2004-03-01 10:11:12 OPEN UDP 10.0.0.1 10.0.0.2 1 2 - - - - - - - - "
     "path with blanks\n",
     LineResult::kAccepted, "proto=17 len=0 flags=0 in=path_with_blanks", ""},
    // ICMP type and code go to the ports and to the ICMP fields.
    {"2004-03-01 10:11:12 DROP ICMP 10.0.0.1 10.0.0.2 - - 60 - - - - 8 0 - "
     "RECEIVE\n",
     LineResult::kAccepted, "proto=1 sport=8 dport=0 itype=8 icode=0 flags=0",
     ""},
    {"2004-03-01 10:11:12 DROP TCP 10.0.0.1 10.0.0.2 - - 60 - - - - 8 0 - "
     "RECEIVE\n",
     LineResult::kWrongFormat, "",
     "win_xp parse error while reading sport in line 7, ignoring.\n"},
    {"2004-03-01 10:11:12 DROP UDP 10.0.0.1 10.0.0.2 53 - 60 - - - - - - - "
     "RECEIVE\n",
     LineResult::kWrongFormat, "sport=53",
     "win_xp parse error while reading dport in line 7, ignoring.\n"},
    // Protocols by word or number.
    {"2004-03-01 10:11:12 DROP GRE 10.0.0.1 10.0.0.2 - - - - - - - - - - x\n",
     LineResult::kWrongFormat, "",
     "win_xp parse error while reading proto in line 7, ignoring.\n"},
    {"2004-03-01 10:11:12 DROP 47 10.0.0.1 10.0.0.2 - - - - - - - - - - x\n",
     LineResult::kAccepted, "proto=47 sport=65536 dport=65536 in=x", ""},
    {"2004-03-01 10:11:12 DROP 256 10.0.0.1 10.0.0.2 - - - - - - - - - - x\n",
     LineResult::kWrongFormat, "",
     "win_xp parse error while reading proto in line 7, ignoring.\n"},
    // Addresses.
    {"2004-03-01 10:11:12 DROP TCP - 10.0.0.2 1 2 - - - - - - - - x\n",
     LineResult::kWrongFormat, "",
     "win_xp parse error while reading shost in line 7, ignoring.\n"},
    {"2004-03-01 10:11:12 DROP TCP 10.0.0.1 - 1 2 - - - - - - - - x\n",
     LineResult::kWrongFormat, "src=10.0.0.1",
     "win_xp parse error while reading dhost in line 7, ignoring.\n"},
    {"2004-03-01 10:11:12 DROP TCP 10.0.0.1 10.0.0.999 1 2 - - - - - - - - x\n",
     LineResult::kNotPacketLog, "", "IP address error: 10.0.0.999\n"},
    {"2004-03-01 10:11:12 DROP TCP fe80::1 10.0.0.2 1 2 - - - - - - - - x\n",
     LineResult::kNotPacketLog, "", "IP address error: fe80::1\n"},
    // TCP flags, numbers and their bases.
    {"2004-03-01 10:11:12 DROP TCP 10.0.0.1 10.0.0.2 1 2 70000 AP 010 0x1F "
     "70000 - - - x\n",
     LineResult::kAccepted, "flags=18 seq=8 ack=31 len=4464 win=4464", ""},
    {"2004-03-01 10:11:12 DROP TCP 10.0.0.1 10.0.0.2 1 2 - SAFRPU- 4294967297 "
     "09 - - - - x\n",
     LineResult::kAccepted, "flags=63 seq=1 ack=0", ""},
    {"2004-03-01 10:11:12 DROP TCP 10.0.0.1 10.0.0.2 1 2 40 SX 1 1 1 - - - x\n",
     LineResult::kWrongFormat, "", "win_xp parse error in line 7, ignoring.\n"},
    // Date and time.
    {"2004-03-01\n", LineResult::kWrongFormat, "", ""},
    {"2004-03-01 10:11:12\r\n", LineResult::kWrongFormat, "", ""},
    {"2004-03 10:11:12 DROP TCP 10.0.0.1 10.0.0.2 1 2 - - - - - - - - x\n",
     LineResult::kNotPacketLog, "", ""},
    {"2004-03-01 x DROP TCP 10.0.0.1 10.0.0.2 1 2 - - - - - - - - x\n",
     LineResult::kNotPacketLog, "", ""},
    {"2004-03-01 10 DROP TCP 10.0.0.1 10.0.0.2 1 2 - - - - - - - - x\n",
     LineResult::kAccepted, "time=2004-03-01T10:00:00", ""},
    {"2004-02-30 10:11 DROP TCP 10.0.0.1 10.0.0.2 1 2 - - - - - - - - x\n",
     LineResult::kAccepted, "time=2004-03-01T10:11:00", ""},
    // A short line keeps its missing fields at their reset values.
    {"2004-03-01 10:11:12 DROP TCP 10.0.0.1 10.0.0.2 1025 80\r\n",
     LineResult::kAccepted,
     "sport=1025 dport=80 len=0 flags=0 win=0 in= count=1", ""},
    {"2004-03-01 10:11:12 DROP TCP 10.0.0.1 10.0.0.2 1 2 40 S 1 2 3 - - -\n",
     LineResult::kAccepted, "win=3 in=", ""},
    {"2004-03-01 10:11:12 DROP TCP 10.0.0.1", LineResult::kNotPacketLog,
     "src=10.0.0.1", "IP address error: \n"},
    {"2004-03-01 10:11:12 DROP\n", LineResult::kWrongFormat, "prefix=DROP",
     "win_xp parse error while reading proto in line 7, ignoring.\n"},
};

TEST(WinXpParserTest, LinesGiveTheirResultFieldsAndMessages) {
  testing::ScopedTimeZone zone("UTC");
  testing::CapturedStream captured;
  Diagnostics diag(6, captured.get());
  FixedClock clock(testing::LocalSeconds(2024, 1, 1, 0, 0, 0));
  LogEntry entry;
  WinXpParser parser(ParserEnvironment{&entry, &clock, &diag});
  std::string seen;
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.line);
    // A buffer of the line's exact size, so a read past its end is caught
    // by the sanitizers.
    const size_t size = std::strlen(c.line) + 1;
    auto line = std::make_unique<char[]>(size);
    std::memcpy(line.get(), c.line, size);
    EXPECT_EQ(parser.ParseEntry(line.get(), 7), c.result);
    std::string messages = captured.str();
    EXPECT_EQ(messages.substr(seen.size()), c.messages);
    seen = messages;
    const std::map<std::string, std::string> fields = Fields(entry);
    std::istringstream expected(c.fields);
    for (std::string pair; expected >> pair;) {
      const size_t equals = pair.find('=');
      std::string value = pair.substr(equals + 1);
      std::replace(value.begin(), value.end(), '_', ' ');
      EXPECT_EQ(fields.at(pair.substr(0, equals)), value) << pair;
    }
  }
}

TEST(WinXpParserTest, LongTextsAreCutToTheirFields) {
  testing::ScopedTimeZone zone("UTC");
  FixedClock clock(0);
  Diagnostics diag(0);
  LogEntry entry;
  WinXpParser parser(ParserEnvironment{&entry, &clock, &diag});
  const std::string action(200, 'a'), path(300, 'p');
  const std::string line = "2004-03-01 10:11:12 " + action +
                           " 47 10.0.0.1 10.0.0.2 - - - - - - - - - - " + path;
  ASSERT_EQ(parser.ParseEntry(line.c_str(), 1), LineResult::kAccepted);
  EXPECT_EQ(entry.oob_prefix.view(), action.substr(0, 127));
  EXPECT_EQ(entry.oob_in.view(), path.substr(0, 127));
}

}  // namespace
}  // namespace tnwk
