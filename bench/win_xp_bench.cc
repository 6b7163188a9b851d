// The Windows XP parser is handed every line that no other dialect claimed,
// so with all parsers enabled it sees the syslog lines of every other
// program. This measures turning such a line away against parsing a line of
// its own log, and counts the allocations per line (there must be none).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <new>
#include <string>

#include "base/clock.h"
#include "base/diagnostics.h"
#include "entries/log_entry.h"
#include "parsers/win_xp_parser.h"

namespace {
long long allocations = 0;
// The replaced operator delete frees through this pointer: seeing a plain
// free after inlining some library new, the compiler would take it for a
// mismatched pair.
void (*volatile release)(void*) = std::free;
}  // namespace

// Every allocation of the program is counted; the parser must make none per
// line.
void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }

namespace tnwk {
namespace {

constexpr char kForeignLine[] =
    "Dec  4 10:11:12 gw sshd[4242]: Accepted publickey for admin from "
    "10.0.0.1 port 50122 ssh2\n";
constexpr char kXpLine[] =
    "2004-03-01 10:11:12 DROP TCP 10.0.0.1 10.0.0.2 1025 80 48 S 12345 0 "
    "64240 - - - RECEIVE\r\n";

void ParseOneLine(benchmark::State& state, const char* line) {
  LogEntry entry;
  SystemClock clock;
  Diagnostics diag(0);
  WinXpParser parser(ParserEnvironment{&entry, &clock, &diag});
  const long long before = allocations;
  uint64_t line_no = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(parser.ParseEntry(line, ++line_no));
  }
  state.counters["allocs_per_line"] =
      static_cast<double>(allocations - before) /
      static_cast<double>(state.iterations());
}

void BM_ForeignLine(benchmark::State& state) {
  ParseOneLine(state, kForeignLine);
}
BENCHMARK(BM_ForeignLine);

void BM_XpLine(benchmark::State& state) { ParseOneLine(state, kXpLine); }
BENCHMARK(BM_XpLine);

// Console output plus, at the end, the cost of an XP line relative to a
// foreign one.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
        cpu_[run.run_name.function_name] = run.GetAdjustedCPUTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    if (!cpu_.contains("BM_ForeignLine") || !cpu_.contains("BM_XpLine")) {
      return;
    }
    std::printf("XP line / foreign line: %.1f by CPU time\n",
                cpu_["BM_XpLine"] / cpu_["BM_ForeignLine"]);
  }

 private:
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
