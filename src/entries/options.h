#ifndef TNWK_ENTRIES_OPTIONS_H_
#define TNWK_ENTRIES_OPTIONS_H_

#include <cstdint>

#include "base/fixed_text.h"

namespace tnwk {

// cache_flags bits.
inline constexpr uint8_t kCacheNameColumn = 0x01;    // a host or service column
inline constexpr uint8_t kCachePopulate = 0x02;      // "populate_cache"
inline constexpr uint8_t kCacheUpdHosts = 0x04;      // "upd_hosts"
inline constexpr uint8_t kCachePopulateFull = 0x08;  // "populate_cache_full"

// location_flags bits: the location and AS data that the report's columns,
// sorts and criteria ask for, and the criteria kinds that geoip_php_lookup
// leaves to the front end.
inline constexpr uint8_t kLocationSource = 0x01;
inline constexpr uint8_t kLocationDestination = 0x02;
inline constexpr uint8_t kAsSource = 0x04;
inline constexpr uint8_t kAsDestination = 0x08;
inline constexpr uint8_t kSkipLocationCriteria = 0x10;
inline constexpr uint8_t kSkipAsCriteria = 0x20;

// enabled_parsers bits, one per dialect.
inline constexpr uint32_t kParserIpchains = 0x001;
inline constexpr uint32_t kParserNetfilter = 0x002;
inline constexpr uint32_t kParserIpfilter = 0x004;
inline constexpr uint32_t kParserWinXp = 0x008;
inline constexpr uint32_t kParserIpfw = 0x010;
inline constexpr uint32_t kParserCiscoIos = 0x020;
inline constexpr uint32_t kParserCiscoPix = 0x040;
inline constexpr uint32_t kParserSnort = 0x080;
inline constexpr uint32_t kParserNetscreen = 0x100;
inline constexpr uint32_t kParserPf = 0x200;
inline constexpr uint32_t kParserJunosSrx = 0x400;
inline constexpr uint32_t kAllParsers = 0x7ff;

// The database settings that the name cache receives whole.
struct DatabaseSettings {
  FixedText<128> db_type;
  FixedText<128> mysql_server;
  uint16_t mysql_port = 0;
  FixedText<128> mysql_socket;
  FixedText<128> mysql_user;
  FixedText<128> mysql_pass;
  FixedText<128> mysql_tnwk_db;
};

// Every option of a run, from the command line and the report definition,
// with its default. Filled once at start-up and read-only afterwards; what
// the run learns later is its RunState (entries/run_state.h).
struct Options {
  // Command line.
  uint8_t verbosity = 0;
  FixedText<256> report_path{"-"};
  FixedText<256> output_path;
  bool output_to_file = false;
  uint64_t row_limit = 0;  // 0: no limit
  uint64_t row_skip = 0;
  uint64_t single_line = 0;  // 0: off; also set by the "id" criterion
  FixedText<128> parser_letters;
  uint32_t enabled_parsers = kAllParsers;

  // Report definition.
  bool summarize = false;
  uint8_t cache_flags = 0;
  uint8_t location_flags = 0;
  DatabaseSettings database;
  FixedText<256> syslog_dir;
  FixedText<128> geoip2_locale{"en"};
  FixedText<256> geoip2_file;
  FixedText<256> geoip2_asn_file;
};

}  // namespace tnwk

#endif  // TNWK_ENTRIES_OPTIONS_H_
