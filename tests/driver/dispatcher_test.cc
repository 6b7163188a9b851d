#include "driver/dispatcher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "entries/options.h"
#include "test_support.h"

namespace tnwk {
namespace {

// A dialect that records the lines it is given. It accepts a line unless the
// line contains "BAD" (wrong format) or "NOPE" (not this dialect), takes the
// fourth word as the host, and sets count 1 like the real parsers.
class FakeParser final : public DialectParser {
 public:
  FakeParser(const ParserEnvironment& env, std::string name,
             std::vector<std::string>* calls)
      : DialectParser(env), name_(std::move(name)), calls_(calls) {}
  LineResult ParseEntry(const char* line, uint64_t) override {
    calls_->push_back(name_ + ":" + line);
    reset_current_entry(entry());
    char host[33] = "";
    std::sscanf(line, "%*s %*s %*s %32s", host);
    entry().local_hostname.Set(host);
    entry().count = 1;
    if (std::strstr(line, "BAD")) return LineResult::kWrongFormat;
    if (std::strstr(line, "NOPE")) return LineResult::kNotPacketLog;
    return LineResult::kAccepted;
  }

 private:
  std::string name_;
  std::vector<std::string>* calls_;
};

class FakeStages final : public EntrySelector, public EntryAggregator {
 public:
  bool select_entry(const LogEntry& entry) override {
    return entry.local_hostname.view() != "excluded";
  }
  void aggregate_entry(const LogEntry& entry) override {
    aggregated.push_back(
        {entry.count, entry.id, std::string(entry.sname.view())});
  }
  struct Row {
    uint64_t count;
    uint64_t id;
    std::string sname;
  };
  std::vector<Row> aggregated;
};

struct DispatcherTest : ::testing::Test {
  explicit DispatcherTest(uint32_t enabled = kAllParsers) { Build(enabled); }

  void Build(uint32_t enabled) {
    dispatcher = std::make_unique<Dispatcher>(&entry, &source, enabled, diag,
                                              &stages, &stages);
    parsers.clear();
    for (const Dialect& d : kDialects) {
      parsers.push_back(std::make_unique<FakeParser>(
          ParserEnvironment{&entry, &clock, &diag}, d.name, &calls));
      dispatcher->SetParser(d.bit, parsers.back().get());
    }
  }

  LineResult Classify(std::string line, uint64_t line_no = 1) {
    buffer = line;
    return dispatcher->classify_line(buffer.data(), line_no);
  }

  // Every parser call so far, in order, as "dialect:line".
  const std::vector<std::string>& Calls() const { return calls; }

  testing::CapturedStream err;
  Diagnostics diag{5, err.get()};
  FixedClock clock{0};
  LogEntry entry;
  FixedText<256> source{"fw.log"};
  FakeStages stages;
  std::vector<std::string> calls;
  std::vector<std::unique_ptr<FakeParser>> parsers;
  std::unique_ptr<Dispatcher> dispatcher;
  std::string buffer;
};

TEST_F(DispatcherTest, AcceptedLineGetsSourceNameAndNumber) {
  EXPECT_EQ(Classify("Dec 1 10:00:00 gw kernel: X IN=eth0 OUT= \n", 7),
            LineResult::kAccepted);
  ASSERT_EQ(stages.aggregated.size(), 1u);
  EXPECT_EQ(stages.aggregated[0].id, 7u);
  EXPECT_EQ(stages.aggregated[0].sname, "fw.log");
  EXPECT_EQ(stages.aggregated[0].count, 1u);
  EXPECT_EQ(err.str(), ".");
}

TEST_F(DispatcherTest, MarkersAreTestedInTheirOrder) {
  Classify("Dec 1 10:00:00 gw kernel: Packet log: x OUT= y\n");
  Classify("Dec 1 10:00:00 gw x OUT= %SEC-6-IPACCESSLOG\n");
  Classify("Dec 1 10:00:00 gw %SEC-6-IPACCESSLOG ipmon[1]\n");
  Classify("Dec 1 10:00:00 gw ipmon[1] ipfw: x\n");
  Classify("Dec 1 10:00:00 gw ipfw: %PIX-1\n");
  Classify("Dec 1 10:00:00 gw %FWSM-1 NetScreen x\n");
  Classify("Dec 1 10:00:00 gw NetScreen  snort\n");
  Classify("Dec 1 10:00:00 gw snort[1]: alert\n");
  ASSERT_EQ(calls.size(), 8u);
  EXPECT_EQ(calls[0].substr(0, 9), "ipchains:");
  EXPECT_EQ(calls[1].substr(0, 10), "netfilter:");
  EXPECT_EQ(calls[2].substr(0, 10), "cisco_ios:");
  EXPECT_EQ(calls[3].substr(0, 9), "ipfilter:");
  EXPECT_EQ(calls[4].substr(0, 5), "ipfw:");
  EXPECT_EQ(calls[5].substr(0, 10), "cisco_pix:");
  EXPECT_EQ(calls[6].substr(0, 10), "netscreen:");
  EXPECT_EQ(calls[7].substr(0, 7), "win_xp:");  // takes every other line
}

struct OnlySnort : DispatcherTest {
  OnlySnort() : DispatcherTest(kParserSnort) {}
};

TEST_F(OnlySnort, SnortLinesReachSnortWhenWindowsIsOff) {
  EXPECT_EQ(Classify("Dec 1 10:00:00 gw snort[1]: alert\n"),
            LineResult::kAccepted);
  EXPECT_EQ(Calls()[0].substr(0, 6), "snort:");
  EXPECT_EQ(Classify("Dec 1 10:00:00 gw kernel: IN=a OUT=b\n"),
            LineResult::kNotPacketLog);
  EXPECT_EQ(err.str(), "._");
}

struct OnlyCisco : DispatcherTest {
  OnlyCisco() : DispatcherTest(kParserCiscoIos) {}
};

TEST_F(OnlyCisco, DisabledMarkersAreNotTested) {
  EXPECT_EQ(Classify("Dec 1 10:00:00 gw %PIX-6-106100: x\n"),
            LineResult::kNotPacketLog);
  EXPECT_TRUE(Calls().empty());
}

TEST_F(DispatcherTest, MissingParserAnswersNotPacketLog) {
  dispatcher->SetParser(kParserNetfilter, nullptr);
  EXPECT_EQ(Classify("Dec 1 10:00:00 gw kernel: IN=a OUT=b\n"),
            LineResult::kNotPacketLog);
  EXPECT_TRUE(Calls().empty());  // the marker still claims the line
}

TEST_F(DispatcherTest, ParserResultsAndMarks) {
  EXPECT_EQ(Classify("Dec 1 10:00:00 gw x OUT= BAD\n"),
            LineResult::kWrongFormat);
  EXPECT_EQ(Classify("Dec 1 10:00:00 gw x OUT= NOPE\n"),
            LineResult::kNotPacketLog);
  EXPECT_EQ(Classify("Dec 1 10:00:00 excluded x OUT=\n"),
            LineResult::kExcluded);
  EXPECT_EQ(err.str(), "_e");
  EXPECT_TRUE(stages.aggregated.empty());
}

TEST_F(DispatcherTest, LastMessageRepeatedRecountsTheLastEntry) {
  Classify("Dec 1 10:00:00 gw kernel: X OUT=\n", 4);
  EXPECT_EQ(Classify("Dec 1 10:00:05 gw last message repeated 3 times\n", 5),
            LineResult::kAccepted);
  ASSERT_EQ(stages.aggregated.size(), 2u);
  EXPECT_EQ(stages.aggregated[1].count, 3u);
  EXPECT_EQ(stages.aggregated[1].id, 4u);  // the entry is reused unchanged
  EXPECT_EQ(Calls().size(), 1u);           // no parser for the repeat line
  EXPECT_EQ(err.str(), ".r");
}

TEST_F(DispatcherTest, LastMessageRepeatedNeedsTheSameHost) {
  Classify("Dec 1 10:00:00 gw kernel: X OUT=\n");
  EXPECT_EQ(Classify("Dec 1 10:00:05 other last message repeated 3 times\n"),
            LineResult::kNotPacketLog);
  EXPECT_EQ(stages.aggregated.size(), 1u);
}

TEST_F(DispatcherTest, LastMessageRepeatedAfterARejectedLineIsAnyLine) {
  Classify("Dec 1 10:00:00 excluded kernel: X OUT=\n");
  Classify("Dec 1 10:00:05 gw last message repeated 3 times\n");
  EXPECT_EQ(Calls().size(), 2u);  // handed to a parser like any line
}

TEST_F(DispatcherTest, LastMessageRepeatedWithFewFieldsIsNoPacket) {
  Classify("Dec 1 10:00:00 gw kernel: X OUT=\n");
  EXPECT_EQ(Classify("Dec 1 last message repeated 3 times\n"),
            LineResult::kNotPacketLog);
}

TEST_F(DispatcherTest, LastMessageRepeatedZeroTimesIsNoPacket) {
  Classify("Dec 1 10:00:00 gw kernel: X OUT=\n");
  EXPECT_EQ(Classify("Dec 1 10:00:05 gw last message repeated 0 times\n"),
            LineResult::kNotPacketLog);
  EXPECT_EQ(stages.aggregated.size(), 1u);
}

TEST_F(DispatcherTest, RepeatCountMultipliesTheLastCount) {
  Classify("Dec 1 10:00:00 gw kernel: message repeated 2 times: [ X OUT=]\n");
  Classify("Dec 1 10:00:05 gw last message repeated 3 times\n");
  ASSERT_EQ(stages.aggregated.size(), 2u);
  EXPECT_EQ(stages.aggregated[0].count, 2u);
  EXPECT_EQ(stages.aggregated[1].count, 6u);
}

TEST_F(DispatcherTest, MessageRepeatedIsUnwrappedToTheOriginalLine) {
  EXPECT_EQ(Classify("Dec 1 10:00:00 gw kernel: message repeated 6 times: "
                     "[ FW-DROP IN=eth0 OUT= ]\n"),
            LineResult::kAccepted);
  EXPECT_EQ(Calls()[0],
            "netfilter:Dec 1 10:00:00 gw kernel: FW-DROP IN=eth0 OUT= \n");
  EXPECT_EQ(stages.aggregated[0].count, 6u);
  EXPECT_EQ(err.str(), "r.");
}

TEST_F(DispatcherTest, MessageRepeatedKeepsOneBlankBeforeAGluedMessage) {
  Classify("Dec 1 10:00:00 gw kernel: message repeated 2 times: [X OUT=]\n");
  EXPECT_EQ(Calls()[0], "netfilter:Dec 1 10:00:00 gw kernel: X OUT=\n");
}

TEST_F(DispatcherTest, MessageRepeatedZeroTimesKeepsTheParsersCount) {
  Classify("Dec 1 10:00:00 gw kernel: message repeated 0 times: [ X OUT=]\n");
  EXPECT_EQ(stages.aggregated[0].count, 1u);
  EXPECT_EQ(err.str(), ".");
}

}  // namespace
}  // namespace tnwk
