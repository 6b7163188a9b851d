#include "driver/report_output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "entries/field_keywords.h"
#include "null_name_cache.h"
#include "test_support.h"

namespace tnwk {
namespace {

// The report definition of a column list, as the definition reader makes it.
ReportDefinition Columns(std::initializer_list<const char*> names) {
  ReportDefinition definition;
  int32_t position = 1;
  for (const char* name : names) {
    const FieldKeyword* keyword = find_keyword(name);
    EXPECT_NE(keyword, nullptr) << name;
    ReportColumn column;
    column.column = keyword->column_id;
    column.name.Set(name);
    column.position = position++;
    definition.columns.push_back(column);
    if (keyword->column_selected) {
      definition.column_selected[keyword->column_id] = 1;
    }
  }
  return definition;
}

ReportEntry TcpRow(const char* saddr, uint32_t dport, uint64_t count) {
  ReportEntry row;
  row.ip_protocol = 6;
  row.ip_saddr.text.Set(saddr);
  row.sport = 1024;
  row.dport = dport;
  row.count = count;
  return row;
}

// A clock that moves on by `step` seconds at every reading.
class SteppingClock final : public Clock {
 public:
  explicit SteppingClock(int64_t step) : step_(step) {}
  int64_t Now() const override { return now_ += step_; }

 private:
  int64_t step_;
  mutable int64_t now_ = 1000;
};

// Records the cache steps it runs and answers lookups with fixed names.
class RecordingCache final : public NameCache {
 public:
  void update_host_cache(std::span<const ReportEntry* const> rows) override {
    Record("hosts", rows);
  }
  void update_service_cache(std::span<const ReportEntry* const> rows) override {
    Record("services", rows);
  }
  void populate_full_cache(std::span<const ReportEntry* const> rows) override {
    Record("full", rows);
  }
  LookupResult lookup_cached_host(const char* address_text,
                                  FixedText<128>* out) override {
    out->Set(std::string("host-of-") + address_text);
    return LookupResult::kFound;
  }
  LookupResult lookup_cached_service(unsigned protocol, unsigned port,
                                     FixedText<128>* out) override {
    out->Set("svc-" + std::to_string(protocol) + "/" + std::to_string(port));
    return LookupResult::kFound;
  }

  std::string steps;

 private:
  void Record(const char* step, std::span<const ReportEntry* const> rows) {
    steps += step;
    steps += "(";
    for (const ReportEntry* row : rows) steps += std::to_string(row->id) + ",";
    steps += ")";
  }
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

struct ReportOutputTest : ::testing::Test {
  // Writes the report of `rows` (print order) to `out` and `err`.
  int Write(const std::vector<const ReportEntry*>& rows, uint64_t row_count,
            uint64_t count_sum, std::FILE* standard_output = nullptr) {
    Diagnostics diag(options.verbosity, err.get());
    ReportWriter writer(options, definition, diag, &cache, clock,
                        standard_output ? standard_output : out.get());
    int status = writer.write_report(rows, row_count, count_sum, counters);
    times = writer.times();
    return status;
  }

  // Five TCP rows with ids 1 to 5, in that print order.
  std::vector<const ReportEntry*> FiveRows() {
    five.clear();
    for (uint64_t id = 1; id <= 5; ++id) {
      five.push_back(TcpRow("10.0.0.1", 80, 1));
      five.back().id = id;
    }
    std::vector<const ReportEntry*> rows;
    for (const ReportEntry& row : five) rows.push_back(&row);
    return rows;
  }

  // The printed id cells of a report with only the id column.
  std::string PrintedIds(uint64_t skip, uint64_t limit) {
    testing::CapturedStream stream;
    options.row_skip = skip;
    options.row_limit = limit;
    Diagnostics diag(0, err.get());
    ReportWriter writer(options, definition, diag, &cache, clock, stream.get());
    writer.write_report(FiveRows(), 5, 0, counters);
    std::string text = stream.str();
    const std::string head = "%%\n0\n0\n%%\nid\t\n";
    EXPECT_EQ(text.substr(0, head.size()), head);
    return text.substr(head.size(), text.find("\n\n") + 1 - head.size());
  }

  Options options;
  ReportDefinition definition;
  Counters counters;
  NullNameCache cache;
  SteppingClock clock{0};
  CacheTimes times;
  std::vector<ReportEntry> five;
  testing::CapturedStream out;
  testing::CapturedStream err;
};

TEST_F(ReportOutputTest, ReproducesTheWorkedExample) {
  options.summarize = true;
  definition = Columns({"ip_saddr", "dport", "count"});
  ReportEntry first = TcpRow("10.0.0.1", 80, 3);
  ReportEntry second = TcpRow("10.0.0.2", 22, 1);
  counters.lines_matched = 4;
  counters.total_matched = 4;
  EXPECT_EQ(Write({&first, &second}, 2, 4), 0);
  EXPECT_EQ(out.str(),
            "%%\n0\n0\n%%\n"
            "ip_saddr\tdport\tcount\t\n"
            "10.0.0.1\t80\t3\n"
            "10.0.0.2\t22\t1\n"
            "\n"
            "2\n4\n4\n0\n0\n0\n");
  EXPECT_EQ(err.str(), "");
}

TEST_F(ReportOutputTest, NoRowsGivesPreambleHeaderAndZeroTrailer) {
  definition = Columns({"ip_saddr", "ip_daddr"});
  counters.lines_processed = 7;
  EXPECT_EQ(Write({}, 0, 0), 0);
  EXPECT_EQ(out.str(),
            "%%\n0\n0\n%%\nip_saddr\tip_daddr\t\n\n0\n0\n0\n0\n0\n0\n");
}

TEST_F(ReportOutputTest, NoColumnsGivesAnEmptyHeaderLine) {
  ReportEntry row = TcpRow("10.0.0.1", 80, 1);
  EXPECT_EQ(Write({&row}, 1, 0), 0);
  // The row is a dash: an empty line would end the rows there.
  EXPECT_EQ(out.str(), "%%\n0\n0\n%%\n\n-\n\n1\n0\n0\n0\n0\n0\n");
}

TEST_F(ReportOutputTest, ARowOfOneEmptyCellIsWrittenAsADash) {
  // An empty line would end the rows for the front end.
  definition = Columns({"dport"});
  ReportEntry icmp = TcpRow("10.0.0.1", 80, 1);
  icmp.ip_protocol = 1;
  ReportEntry tcp = TcpRow("10.0.0.2", 22, 1);
  EXPECT_EQ(Write({&icmp, &tcp}, 2, 0), 0);
  EXPECT_EQ(out.str(), "%%\n0\n0\n%%\ndport\t\n-\n22\n\n2\n0\n0\n0\n0\n0\n");
}

TEST_F(ReportOutputTest, SkipAndLimitChooseThePrintedRows) {
  definition = Columns({"id"});
  EXPECT_EQ(PrintedIds(0, 2), "1\n2\n");
  EXPECT_EQ(PrintedIds(4, 0), "5\n");
  EXPECT_EQ(PrintedIds(5, 0), "");
  EXPECT_EQ(PrintedIds(9, 0), "");
  EXPECT_EQ(PrintedIds(0, 0), "1\n2\n3\n4\n5\n");
  EXPECT_EQ(PrintedIds(1, 2), "2\n3\n");
  EXPECT_EQ(PrintedIds(3, 9), "4\n5\n");
  // The skip count is taken modulo 2^32.
  EXPECT_EQ(PrintedIds((uint64_t{1} << 32) + 3, 0), "4\n5\n");
}

TEST_F(ReportOutputTest, StatisticsAtVerbosityThreeWithoutOutputFile) {
  options.verbosity = 3;
  counters.lines_processed = 1234567;
  counters.lines_matched = 10;
  counters.total_matched = 15;
  counters.lines_excluded = 3;
  counters.lines_wrong_format = 2;
  counters.lines_not_packet_log = 12345678;
  EXPECT_EQ(Write({}, 0, 0), 0);
  EXPECT_EQ(err.str(),
            "Lines processed:      1234567\n"
            "Lines matched:             10\n"
            "Matched line repeats:       5\n"
            "Lines excluded:             3\n"
            "Lines wrong format:         2\n"
            "Lines not packet log: 12345678\n");
  EXPECT_EQ(out.str(), "%%\n0\n0\n%%\n\n\n0\n15\n0\n0\n0\n0\n");
}

TEST_F(ReportOutputTest, OutputFileHasNoPreambleAndNoStatistics) {
  testing::TempDir dir;
  options.verbosity = 3;
  options.output_to_file = true;
  options.output_path.Set(dir.path() + "/report.txt");
  definition = Columns({"ip_saddr", "count"});
  ReportEntry row = TcpRow("10.0.0.9", 80, 2);
  counters.total_matched = 2;
  std::FILE* standard_output = std::fopen("/dev/null", "w");
  ASSERT_NE(standard_output, nullptr);
  EXPECT_EQ(Write({&row}, 1, 2, standard_output), 0);
  EXPECT_EQ(ReadFile(options.output_path.c_str()),
            "ip_saddr\tcount\t\n10.0.0.9\t2\n\n1\n2\n2\n0\n0\n0\n");
  EXPECT_EQ(err.str(),
            "Writing to output file '" + dir.path() + "/report.txt'\n");
  EXPECT_EQ(out.str(), "");
}

TEST_F(ReportOutputTest, OutputFileIsAnnouncedAndClosedAtVerbosityFour) {
  testing::TempDir dir;
  const std::string path = dir.path() + "/r";
  options.verbosity = 4;
  options.output_to_file = true;
  options.output_path.Set(path);
  EXPECT_EQ(Write({}, 0, 0, std::fopen("/dev/null", "w")), 0);
  EXPECT_EQ(err.str(),
            "Writing to output file '" + path + "'\nClosing '" + path + "'\n");
  EXPECT_EQ(ReadFile(path), "\n\n0\n0\n0\n0\n0\n0\n");
}

TEST_F(ReportOutputTest, UnopenableOutputFileFails) {
  options.output_to_file = true;
  options.output_path.Set("/nonexistent-dir/report");
  std::FILE* standard_output = std::fopen("/dev/null", "w");
  EXPECT_EQ(Write({}, 0, 0, standard_output), 1);
  EXPECT_EQ(err.str(),
            "freopen /nonexistent-dir/report: No such file or directory\n");
  // A failed freopen leaves the stream closed but still allocated.
  std::fclose(standard_output);
}

TEST_F(ReportOutputTest, WriteErrorOnStandardOutputFails) {
  std::FILE* full = std::fopen("/dev/full", "w");
  if (full == nullptr) GTEST_SKIP() << "no /dev/full";
  definition = Columns({"ip_saddr"});
  ReportEntry row = TcpRow("10.0.0.1", 80, 1);
  EXPECT_EQ(Write({&row}, 1, 0, full), 1);
  EXPECT_EQ(err.str(),
            "Error writing the report to standard output: No space left on "
            "device\n");
  std::fclose(full);
}

TEST_F(ReportOutputTest, WriteErrorOnOutputFileFails) {
  if (std::FILE* probe = std::fopen("/dev/full", "w")) {
    std::fclose(probe);
  } else {
    GTEST_SKIP() << "no /dev/full";
  }
  options.output_to_file = true;
  options.output_path.Set("/dev/full");
  EXPECT_EQ(Write({}, 0, 0, std::fopen("/dev/null", "w")), 1);
  EXPECT_EQ(err.str(),
            "Error writing the report to /dev/full: No space left on "
            "device\n");
}

TEST_F(ReportOutputTest, WriteErrorOfALongReportKeepsTheFirstCause) {
  std::FILE* full = std::fopen("/dev/full", "w");
  if (full == nullptr) GTEST_SKIP() << "no /dev/full";
  definition = Columns({"sname"});
  std::string long_name(600, 'x');
  std::vector<ReportEntry> rows(200);
  std::vector<const ReportEntry*> order;
  for (ReportEntry& row : rows) {
    row.sname = long_name.c_str();
    order.push_back(&row);
  }
  EXPECT_EQ(Write(order, 200, 0, full), 1);
  EXPECT_EQ(err.str(),
            "Error writing the report to standard output: No space left on "
            "device\n");
  std::fclose(full);
}

struct CacheStepTest : ReportOutputTest {
  // Runs the report of FiveRows with the recording cache and the clock
  // stepping `step` seconds per reading.
  std::string Steps(uint8_t cache_flags,
                    std::initializer_list<const char*> names,
                    int64_t step = 0) {
    options.cache_flags = cache_flags;
    definition = Columns(names);
    SteppingClock stepping(step);
    Diagnostics diag(0, err.get());
    ReportWriter writer(options, definition, diag, &recording, stepping,
                        out.get());
    EXPECT_EQ(writer.write_report(FiveRows(), 5, 0, counters), 0);
    times = writer.times();
    return recording.steps;
  }
  RecordingCache recording;
};

TEST_F(CacheStepTest, NoCacheOptionRunsNoStep) {
  EXPECT_EQ(Steps(kCacheNameColumn, {"src_host", "dst_service"}), "");
}

TEST_F(CacheStepTest, StepsRunOnlyForTheirSelectedColumns) {
  EXPECT_EQ(Steps(kCachePopulate, {"ip_saddr"}), "");
  recording.steps.clear();
  EXPECT_EQ(Steps(kCachePopulate, {"dst_host"}), "hosts(1,2,3,4,5,)");
  recording.steps.clear();
  EXPECT_EQ(Steps(kCacheUpdHosts, {"src_service"}), "services(1,2,3,4,5,)");
  recording.steps.clear();
  EXPECT_EQ(Steps(kCachePopulateFull, {"src_host", "dst_service"}),
            "full(1,2,3,4,5,)");
}

TEST_F(CacheStepTest, StepsSeeOnlyTheShownRows) {
  options.row_skip = 1;
  options.row_limit = 2;
  EXPECT_EQ(Steps(kCachePopulate | kCachePopulateFull,
                  {"src_host", "dport", "dst_service"}),
            "hosts(2,3,)services(2,3,)full(2,3,)");
}

TEST_F(CacheStepTest, UpdHostsTimesGoToTheirOwnTrailerNumbers) {
  Steps(kCacheUpdHosts | kCachePopulateFull, {"src_host", "src_service"}, 2);
  EXPECT_EQ(times.host_cache_seconds, 2);
  EXPECT_EQ(times.service_cache_seconds, 2);
  EXPECT_EQ(times.other_lookup_seconds, 2);
  EXPECT_TRUE(out.str().ends_with("\n5\n0\n0\n2\n2\n2\n")) << out.str();
}

TEST_F(CacheStepTest, PopulateTimesGoToTheOtherNumber) {
  Steps(kCachePopulate | kCachePopulateFull, {"dst_host", "dst_service"}, 3);
  EXPECT_EQ(times.host_cache_seconds, 0);
  EXPECT_EQ(times.service_cache_seconds, 0);
  EXPECT_EQ(times.other_lookup_seconds, 9);
}

}  // namespace
}  // namespace tnwk
