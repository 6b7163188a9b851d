// Lines per second of reading a generated netfilter log through LineReader
// alone, and of reading it and parsing every line, in the same run. The
// closing line gives the cost of parsing relative to reading.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>

#include "base/clock.h"
#include "base/diagnostics.h"
#include "driver/line_reader.h"
#include "entries/log_entry.h"
#include "parsers/netfilter_parser.h"

namespace tnwk {
namespace {

constexpr int kLines = 200000;

// One line of the mix: TCP, UDP, ICMP echo and error, IPv6 TCP and ICMPv6,
// with prefixes, kernel tags with and without uptime, and ISO timestamps.
std::string MakeLine(std::mt19937& random, int n) {
  char stamp[64];
  const int second = n / 4;  // a few lines share each second
  const int day = 1 + second / 86400;
  std::snprintf(stamp, sizeof stamp, "Dec %2d %02d:%02d:%02d fw%d", day,
                second / 3600 % 24, second / 60 % 60, second % 60,
                static_cast<int>(random() % 3));
  const unsigned a = random() % 250 + 1;
  const unsigned b = random() % 250 + 1;
  const unsigned port = random() % 64000 + 1024;
  char line[1024];
  switch (random() % 7) {
    case 0:
    case 1:
      std::snprintf(
          line, sizeof line,
          "%s kernel: [%u.%06u] FW-DROP IN=eth0 OUT= "
          "MAC=00:11:22:33:44:55:66:77:88:99:aa:bb:08:00 SRC=10.%u.%u.1 "
          "DST=192.168.%u.%u LEN=60 TOS=0x00 PREC=0x00 TTL=64 ID=%u DF "
          "PROTO=TCP SPT=%u DPT=22 WINDOW=29200 RES=0x00 SYN URGP=0\n",
          stamp, n, a * b, a, b, b, a, port, port);
      break;
    case 2:
      std::snprintf(
          line, sizeof line,
          "%s kernel: [wan-in-default-D]IN=eth1 OUT=eth0 SRC=172.16.%u.%u "
          "DST=10.0.%u.%u LEN=76 TOS=0x00 PREC=0x00 TTL=63 ID=%u PROTO=UDP "
          "SPT=%u DPT=123 LEN=56\n",
          stamp, a, b, b, a, port, port);
      break;
    case 3:
      std::snprintf(
          line, sizeof line,
          "%s kernel: FW: IN=eth0 OUT= SRC=10.1.%u.%u DST=10.2.%u.%u LEN=84 "
          "TOS=0x00 PREC=0x00 TTL=64 ID=%u DF PROTO=ICMP TYPE=8 CODE=0 "
          "ID=%u SEQ=%u\n",
          stamp, a, b, b, a, port, a, b);
      break;
    case 4:
      std::snprintf(
          line, sizeof line,
          "%s kernel: REJECT IN=eth0 OUT= SRC=10.9.%u.%u DST=10.0.0.1 LEN=96 "
          "TOS=0x00 PREC=0xC0 TTL=64 ID=%u PROTO=ICMP TYPE=3 CODE=3 "
          "[SRC=10.0.0.1 DST=10.9.%u.%u LEN=68 TOS=0x00 PREC=0x00 TTL=63 "
          "ID=%u PROTO=UDP SPT=53 DPT=%u LEN=48 ]\n",
          stamp, a, b, port, a, b, a, port);
      break;
    case 5:
      std::snprintf(
          line, sizeof line,
          "2024-12-%02dT%02d:%02d:%02d.%06u+01:00 fw kernel: v6 IN=eth0 OUT= "
          "SRC=2001:db8::%x DST=2001:db8:1::%x LEN=40 TC=0 HOPLIMIT=64 "
          "FLOWLBL=%u PROTO=TCP SPT=%u DPT=443 WINDOW=64800 RES=0x00 SYN "
          "URGP=0\n",
          day, second / 3600 % 24, second / 60 % 60, second % 60, a * b, a, b,
          a * b, port);
      break;
    default:
      std::snprintf(line, sizeof line,
                    "%s kernel: IN=eth0 OUT= SRC=fe80::%x DST=ff02::1 LEN=32 "
                    "TC=0 HOPLIMIT=255 FLOWLBL=0 PROTO=ICMPv6 TYPE=135 "
                    "CODE=0\n",
                    stamp, a);
      break;
  }
  return line;
}

// The generated log, written once to a temporary file for the whole run.
class LogFile {
 public:
  LogFile() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tnwk_nf_XXXXXX").string();
    const int fd = mkstemp(pattern.data());
    if (fd >= 0) close(fd);
    path_ = pattern;
    std::ofstream out(path_, std::ios::binary);
    std::mt19937 random(20241204);
    for (int n = 0; n < kLines; ++n) out << MakeLine(random, n);
  }
  ~LogFile() { std::filesystem::remove(path_); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

const LogFile& Log() {
  static const LogFile log;
  return log;
}

void BM_ReadLines(benchmark::State& state) {
  int64_t lines = 0;
  for (auto _ : state) {
    LineReader reader;
    reader.OpenFile(Log().path().c_str());
    while (char* line = reader.Next()) {
      benchmark::DoNotOptimize(line);
      ++lines;
    }
    reader.Close(nullptr);
  }
  state.SetItemsProcessed(lines);
}
BENCHMARK(BM_ReadLines)->Unit(benchmark::kMillisecond);

void BM_ReadAndParseLines(benchmark::State& state) {
  LogEntry entry;
  SystemClock clock;
  Diagnostics diag(0);
  NetfilterParser parser(ParserEnvironment{&entry, &clock, &diag});
  int64_t lines = 0;
  int64_t accepted = 0;
  for (auto _ : state) {
    LineReader reader;
    reader.OpenFile(Log().path().c_str());
    while (char* line = reader.Next()) {
      ++lines;
      if (parser.ParseEntry(line, static_cast<uint64_t>(lines)) ==
          LineResult::kAccepted) {
        ++accepted;
      }
    }
    reader.Close(nullptr);
  }
  state.SetItemsProcessed(lines);
  state.counters["accepted"] = benchmark::Counter(
      static_cast<double>(accepted) / static_cast<double>(lines));
}
BENCHMARK(BM_ReadAndParseLines)->Unit(benchmark::kMillisecond);

// Console output plus, at the end, the time of reading and parsing relative
// to reading alone.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
        real_[run.run_name.function_name] = run.GetAdjustedRealTime();
        cpu_[run.run_name.function_name] = run.GetAdjustedCPUTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    const std::string read = "BM_ReadLines";
    const std::string parse = "BM_ReadAndParseLines";
    if (!real_.contains(read) || !real_.contains(parse)) return;
    // CPU time is the steadier figure on a shared machine.
    std::printf("read+parse / read: %.2f by CPU time, %.2f by real time\n",
                cpu_[parse] / cpu_[read], real_[parse] / real_[read]);
  }

 private:
  // Time of one pass over the log, in the run's unit.
  std::map<std::string, double> real_;
  std::map<std::string, double> cpu_;
};

}  // namespace
}  // namespace tnwk

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  tnwk::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
