// What two location columns (the source's country and AS number, from a
// City and an ASN file) add to a summarized report of a million netfilter
// lines, against the same report without them: once when the lines come
// from 10 addresses, once when every line has an address of its own. Each
// pair runs side by side; compare their items_per_second figures.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"
#include "driver/dispatcher.h"
#include "entries/aggregation.h"
#include "entries/counters.h"
#include "entries/options.h"
#include "entries/report_definition.h"
#include "entries/report_rows.h"
#include "entries/selection.h"
#include "location/locator.h"
#include "location/mmdb_writer.h"
#include "parsers/netfilter_parser.h"

namespace {

constexpr int kLines = 1000000;

// kLines lines, each terminated by NUL; the source address runs through
// `distinct` values of 10.0.0.0/12.
std::vector<char> MakeLog(uint32_t distinct) {
  std::vector<char> log;
  log.reserve(static_cast<size_t>(kLines) * 200);
  char line[512];
  for (uint32_t i = 0; i < kLines; ++i) {
    uint32_t key = i % distinct;
    int n = std::snprintf(
        line, sizeof line,
        "Dec  4 10:%02u:%02u gw kernel: FW-DROP IN=eth0 OUT= SRC=10.%u.%u.%u "
        "DST=192.0.2.1 LEN=60 TOS=0x00 PREC=0x00 TTL=64 ID=%u DF PROTO=TCP "
        "SPT=%u DPT=%u WINDOW=5840 RES=0x00 SYN URGP=0\n",
        i / 60 % 60, i % 60, key >> 16 & 255, key >> 8 & 255, key & 255,
        i & 0xffff, 1024 + i % 60000, 22 + key % 10);
    log.insert(log.end(), line, line + n + 1);
  }
  return log;
}

// Sixteen /16 networks in four countries and as many AS numbers, written
// to the temporary directory once.
struct Databases {
  std::string city = "/tmp/tnwk_location_bench_city.mmdb";
  std::string asn = "/tmp/tnwk_location_bench_asn.mmdb";
  Databases() {
    const char* countries[] = {"DE", "FR", "NL", "SE"};
    std::string city_table = "database_type GeoIP2-City\n";
    std::string asn_table = "database_type GeoLite2-ASN\n";
    for (int n = 0; n < 16; ++n) {
      std::string net = "network 10." + std::to_string(n) + ".0.0/16\n";
      city_table += net + "  country.iso_code " + countries[n % 4] +
                    "\n  city.names.en City " + std::to_string(n) +
                    "\n  location.latitude:double 50." + std::to_string(n) +
                    "\n";
      asn_table += net + "  autonomous_system_number:u32 " +
                   std::to_string(64496 + n % 4) +
                   "\n  autonomous_system_organization Network\n";
    }
    std::string error;
    if (!tnwk::testing::WriteMmdbFile(city, city_table, &error) ||
        !tnwk::testing::WriteMmdbFile(asn, asn_table, &error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      std::abort();
    }
  }
};

void ProcessLines(benchmark::State& state, uint32_t distinct, bool located) {
  static std::vector<char>* logs[2] = {nullptr, nullptr};
  std::vector<char>*& log = logs[distinct == 10 ? 0 : 1];
  if (log == nullptr) log = new std::vector<char>(MakeLog(distinct));
  static const Databases databases;

  tnwk::ReportDefinition definition;
  definition.column_selected[tnwk::kColumnIpSaddr] = 1;
  definition.column_selected[tnwk::kColumnDport] = 1;
  definition.column_selected[tnwk::kColumnCount] = 1;
  tnwk::Options options;
  options.summarize = true;
  if (located) {
    definition.column_selected[tnwk::kColumnLocationSourceBase +
                               tnwk::kLocCountryIsoCode] = 1;
    definition.column_selected[tnwk::kColumnLocationSourceBase +
                               tnwk::kLocAutonomousSystemNumber] = 1;
    options.location_flags = tnwk::kLocationSource | tnwk::kAsSource;
    options.geoip2_file.Set(databases.city);
    options.geoip2_asn_file.Set(databases.asn);
  }
  tnwk::Diagnostics diag;
  tnwk::FixedClock clock(1796400000);  // 2026-12-04, after every line
  std::vector<char> line(1024);
  uint64_t rows = 0;
  for (auto _ : state) {
    {
      tnwk::Locator locator(diag);
      locator.Open(options);
      tnwk::Counters counters;
      tnwk::ReportRows table;
      tnwk::LogEntry entry;
      tnwk::FixedText<256> source("messages");
      tnwk::Selection selection(definition, options, diag);
      tnwk::Aggregation aggregation(definition, options, diag, clock, &counters,
                                    &table);
      tnwk::NetfilterParser netfilter(
          tnwk::ParserEnvironment{&entry, &clock, &diag});
      tnwk::Dispatcher dispatcher(&entry, &source, tnwk::kParserNetfilter, diag,
                                  &selection, &aggregation);
      dispatcher.SetParser(tnwk::kParserNetfilter, &netfilter);
      if (locator.sources() != 0) dispatcher.SetLocator(&locator);
      const char* p = log->data();
      for (int i = 0; i < kLines; ++i) {
        size_t n = std::char_traits<char>::length(p);
        std::char_traits<char>::copy(line.data(), p, n + 1);
        dispatcher.classify_line(line.data(), i + 1);
        p += n + 1;
      }
      rows = table.row_count();
      state.PauseTiming();  // releasing the rows is not part of the work
    }
    state.ResumeTiming();
  }
  state.counters["rows"] = static_cast<double>(rows);
  state.SetItemsProcessed(state.iterations() * kLines);
}

void BM_10Addresses(benchmark::State& state) { ProcessLines(state, 10, false); }
void BM_10AddressesLocated(benchmark::State& state) {
  ProcessLines(state, 10, true);
}
void BM_DistinctAddresses(benchmark::State& state) {
  ProcessLines(state, kLines, false);
}
void BM_DistinctAddressesLocated(benchmark::State& state) {
  ProcessLines(state, kLines, true);
}

BENCHMARK(BM_10Addresses)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_10AddressesLocated)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DistinctAddresses)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_DistinctAddressesLocated)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
