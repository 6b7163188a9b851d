#include "driver/input_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "parsers/dialect_parser.h"
#include "test_support.h"

namespace tnwk {
namespace {

// Records every line it is handed and answers with the result that the
// line's first character names ('0', '2', '3', '4'; anything else: 2).
class RecordingDispatcher final : public LineDispatcher {
 public:
  explicit RecordingDispatcher(const FixedText<256>* source)
      : source_(source) {}
  LineResult classify_line(char* line, uint64_t line_no) override {
    lines.emplace_back(line, line_no);
    sources.emplace_back(source_->view());
    char c = line[0];
    return (c == '0' || c == '3' || c == '4') ? static_cast<LineResult>(c - '0')
                                              : LineResult::kNotPacketLog;
  }
  std::vector<std::pair<std::string, uint64_t>> lines;
  std::vector<std::string> sources;

 private:
  const FixedText<256>* source_;
};

struct InputLoopTest : ::testing::Test {
  // Runs the loop over `names` at `verbosity`; stdin_text feeds "-".
  void Run(std::vector<std::string> names, uint8_t verbosity = 0,
           const std::string& stdin_text = "") {
    InputList inputs;
    for (const std::string& n : names) inputs.add_input(n);
    Diagnostics diag(verbosity, err.get());
    std::FILE* in =
        fmemopen(const_cast<char*>(stdin_text.data()), stdin_text.size(), "r");
    InputLoop loop(options, MakeRunState(options, location_sources), diag,
                   &counters, &dispatcher, &source_name, in);
    loop.process_input(inputs);
    std::fclose(in);
  }

  testing::TempDir dir;
  testing::CapturedStream err;
  Options options;
  uint8_t location_sources = 0;
  Counters counters;
  FixedText<256> source_name;
  RecordingDispatcher dispatcher{&source_name};
};

TEST_F(InputLoopTest, CountsEachResult) {
  Run({dir.WriteFile("a.log", "0 ok\n2 no\n3 bad\n4 out\n0 ok\n9 odd\n")});
  EXPECT_EQ(counters.lines_processed, 6u);
  EXPECT_EQ(counters.lines_matched, 2u);
  EXPECT_EQ(counters.total_matched, 2u);
  EXPECT_EQ(counters.lines_not_packet_log, 2u);
  EXPECT_EQ(counters.lines_wrong_format, 1u);
  EXPECT_EQ(counters.lines_excluded, 1u);
}

TEST_F(InputLoopTest, EmptyFileRaisesNoCounter) {
  Run({dir.WriteFile("empty.log", "")});
  EXPECT_TRUE(dispatcher.lines.empty());
  EXPECT_EQ(counters.lines_processed, 0u);
}

TEST_F(InputLoopTest, LongLineIsOneLineCutTo1023Characters) {
  // The tail of a long line must never pass for a line of its own: here it
  // is a forged line behind an attacker's padding.
  for (size_t length : {1022u, 1023u, 1024u, 1u << 20}) {
    const std::string line = std::string(length - 8, 'x') + "0 forged";
    const std::string text = line + "\n2 next\n";
    const std::string first =
        length < 1023 ? line + "\n" : line.substr(0, 1023);
    for (const std::string& name :
         {dir.WriteFile("long.log", text), dir.WriteGzipFile("long.gz", text),
          std::string("-")}) {
      dispatcher.lines.clear();
      counters = Counters();
      Run({name}, 0, text);
      ASSERT_EQ(dispatcher.lines.size(), 2u) << name << " " << length;
      EXPECT_EQ(dispatcher.lines[0].first, first) << name << " " << length;
      EXPECT_EQ(dispatcher.lines[1],
                std::make_pair(std::string("2 next\n"), uint64_t{2}));
      EXPECT_EQ(counters.lines_processed, 2u);
    }
  }
}

TEST_F(InputLoopTest, LastLineWithoutNewlineIsHandedOn) {
  Run({dir.WriteFile("a.log", "0 one\n0 two")});
  ASSERT_EQ(dispatcher.lines.size(), 2u);
  EXPECT_EQ(dispatcher.lines[1].first, "0 two");
}

TEST_F(InputLoopTest, GzipAndPlainFilesGiveTheSameLines) {
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "0 line " + std::to_string(i) + "\n";
  text += std::string(1500, 'y') + "\n";
  Run({dir.WriteFile("plain.log", text)});
  auto plain = dispatcher.lines;
  Counters plain_counters = counters;
  dispatcher.lines.clear();
  counters = Counters();
  Run({dir.WriteGzipFile("packed.log.gz", text)});
  EXPECT_EQ(dispatcher.lines, plain);
  EXPECT_EQ(counters.lines_processed, plain_counters.lines_processed);
  EXPECT_EQ(counters.lines_matched, plain_counters.lines_matched);
}

TEST_F(InputLoopTest, CountersRunOverAllInputs) {
  Run({dir.WriteFile("a.log", "0\n0\n"), dir.WriteFile("b.log", "2\n")});
  EXPECT_EQ(counters.lines_processed, 3u);
  EXPECT_EQ(dispatcher.lines[2].second, 1u);  // numbering restarts per input
}

TEST_F(InputLoopTest, SourceNameIsTheInputsBaseName) {
  Run({dir.WriteFile("messages.0.gz", "0\n")});
  ASSERT_EQ(dispatcher.sources.size(), 1u);
  EXPECT_EQ(dispatcher.sources[0], "messages.0.gz");
}

TEST_F(InputLoopTest, SingleLineProcessesThatLineOfEveryInput) {
  options.single_line = 3;
  Run({dir.WriteFile("a.log", "2 a1\n2 a2\n0 a3\n2 a4\n"),
       dir.WriteFile("b.log", "2 b1\n2 b2\n4 b3\n")});
  ASSERT_EQ(dispatcher.lines.size(), 2u);
  EXPECT_EQ(dispatcher.lines[0],
            std::make_pair(std::string("0 a3\n"), uint64_t{1}));
  EXPECT_EQ(dispatcher.lines[1],
            std::make_pair(std::string("4 b3\n"), uint64_t{1}));
  EXPECT_EQ(counters.lines_processed, 2u);
}

TEST_F(InputLoopTest, SingleLineBeyondTheEndProcessesNothing) {
  options.single_line = 5;
  Run({dir.WriteFile("a.log", "0\n0\n")});
  EXPECT_TRUE(dispatcher.lines.empty());
  EXPECT_EQ(counters.lines_processed, 0u);
}

TEST_F(InputLoopTest, SingleLineOneIsTheFirstLine) {
  options.single_line = 1;
  Run({dir.WriteFile("a.log", "0 first\n0 second\n")});
  ASSERT_EQ(dispatcher.lines.size(), 1u);
  EXPECT_EQ(dispatcher.lines[0].first, "0 first\n");
  EXPECT_EQ(counters.lines_processed, 1u);
}

TEST_F(InputLoopTest, StandardInputIsTheOnlyInputOnceNamed) {
  std::string a = dir.WriteFile("a.log", "0 file\n");
  Run({a, "-", a}, 1, "0 from stdin\n");
  ASSERT_EQ(dispatcher.lines.size(), 1u);
  EXPECT_EQ(dispatcher.lines[0].first, "0 from stdin\n");
  EXPECT_EQ(dispatcher.sources[0], InputLoop::kStdinSourceName);
  EXPECT_EQ(err.str(), "Processing input from stdin\n");
}

TEST_F(InputLoopTest, MissingFileIsReportedAndTheRunGoesOn) {
  std::string missing = dir.path() + "/missing.log";
  Run({missing, dir.WriteFile("b.log", "0\n")});
  EXPECT_EQ(dispatcher.lines.size(), 1u);
  EXPECT_EQ(err.str(), "gzopen " + missing + ": No such file or directory\n");
}

TEST_F(InputLoopTest, TruncatedGzipIsReportedAndTheRunGoesOn) {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "0 line " + std::to_string(i) + "\n";
  std::string full = dir.WriteGzipFile("full.gz", text);
  std::string packed = testing::ReadFile(full);
  std::string cut =
      dir.WriteFile("cut.gz", packed.substr(0, packed.size() / 2));
  Run({cut, dir.WriteFile("next.log", "0 next\n")});
  EXPECT_LT(dispatcher.lines.size(), 5001u);
  EXPECT_EQ(dispatcher.lines.back().first, "0 next\n");
  // zlib's error text names the file itself.
  EXPECT_EQ(err.str(),
            "gzgets " + cut + ": " + cut + ": unexpected end of file\n");
}

TEST_F(InputLoopTest, CorruptGzipIsReportedAndTheRunGoesOn) {
  std::string text(200, 'a');
  std::string full = dir.WriteGzipFile("full.gz", text + "\n");
  std::string packed = testing::ReadFile(full);
  for (size_t i = 12; i < packed.size() - 8; ++i) packed[i] = '\xff';
  std::string bad = dir.WriteFile("bad.gz", packed);
  Run({bad, dir.WriteFile("next.log", "0 next\n")});
  EXPECT_EQ(dispatcher.lines.back().first, "0 next\n");
  EXPECT_EQ(err.str().rfind("gzgets " + bad + ": ", 0), 0u);
}

TEST_F(InputLoopTest, MessagesFollowTheVerbosity) {
  std::string a = dir.WriteFile("a.log", "0\n");
  Run({a}, 5);
  EXPECT_EQ(err.str(),
            ". = accepted\ne = excluded\nr = repeated\n"
            "_ = not packet log entry\n"
            "Processing input file '" +
                a +
                "'\n"
                "\n"
                "Done processing input from '" +
                a + "'\n");
}

TEST_F(InputLoopTest, LocationDataIsAnnouncedAsUnavailable) {
  options.location_flags = kLocationDestination | kAsSource;
  Run({}, 1);
  EXPECT_NE(err.str().find("Geoip locations columns, sorts or criteria "
                           "specified but no libmaxminddb library available. "
                           "Is support compiled in?\nGeoip asn columns"),
            std::string::npos);
  EXPECT_EQ(MakeRunState(options, location_sources).skipped_criteria,
            kSkipLocationCriteria | kSkipAsCriteria);
}

TEST_F(InputLoopTest, OnlyDataWithoutADatabaseIsAnnouncedAndSkipped) {
  options.location_flags = kLocationDestination | kAsSource;
  location_sources = kLocationDestination;
  Run({}, 1);
  EXPECT_EQ(err.str(),
            "Geoip asn columns, sorts or criteria specified but no "
            "libmaxminddb library available. Is support compiled in?\n");
  EXPECT_EQ(MakeRunState(options, location_sources).skipped_criteria,
            kSkipAsCriteria);
  // The front end's own lookups skip the kinds a database would provide.
  options.location_flags |= kSkipLocationCriteria;
  EXPECT_EQ(MakeRunState(options, location_sources).skipped_criteria,
            kSkipLocationCriteria | kSkipAsCriteria);
}

}  // namespace
}  // namespace tnwk
