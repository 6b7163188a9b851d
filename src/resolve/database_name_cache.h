#ifndef TNWK_RESOLVE_DATABASE_NAME_CACHE_H_
#define TNWK_RESOLVE_DATABASE_NAME_CACHE_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "base/diagnostics.h"
#include "base/fixed_text.h"
#include "entries/log_entry.h"
#include "entries/options.h"
#include "entries/report_definition.h"
#include "entries/report_rows.h"
#include "resolve/name_cache.h"
#include "resolve/sql_client.h"
#include "resolve/system_names.h"

namespace tnwk {

// The system lookups the resolve steps call; tests stub them.
struct SystemLookups {
  std::function<std::string(const uint8_t*, std::string_view, size_t)> host =
      reverse_host_name;
  std::function<std::string(uint16_t, unsigned)> service = service_name;
};

// The name cache in the MySQL tables `hostnames` and `services` that the
// program shares with the front end.
//
// db_connect opens the connection at start-up and probes the tables; the
// cache steps then list the shown rows' addresses and (protocol, port)
// pairs, and with "upd_hosts" resolve the entries marked 2; the lookups read
// resolved names (refresh 0) for the report cells. Nothing runs unless the
// settings' type is "mysql" and the connection was made; lookups then yield
// "-". A cache whose connect failed stays off for the rest of the run.
//
// Every text in a statement is escaped on the connection. A resolver name
// is stored without the trailing dot of an absolute name, and as "-" when
// the rest is not a valid host name; a service name that could break a
// report line, is not valid UTF-8 or does not fit the column is stored as
// "-". A name read back that could break a report line yields "-", and a
// longer one than a cell holds is cut between characters. Each lookup's answer
// is remembered for the rest of the run, so a report runs one lookup statement
// per distinct address or (protocol, port). Within one cache step an address or
// pair is listed once, however many shown rows carry it.
class DatabaseNameCache final : public NameCache {
 public:
  // Everything is borrowed. `details` is the aggregation's list of
  // AddressDetail records, which populate_full_cache reads.
  DatabaseNameCache(SqlClient* client, const Options& options,
                    const ReportDefinition& definition, const Diagnostics& diag,
                    const std::deque<AddressDetail>* details,
                    SystemLookups lookups = {});

  // Connects and probes the tables, with the start-up messages. False when
  // no connection was made; the caller then calls db_close.
  bool db_connect();
  // Closes the connection when the type is "mysql".
  void db_close();
  // Runs `statement`: echoed at verbosity 4; on failure `failure_message`
  // and the server's text at verbosity 2. Rows it returns go to `result`
  // when given. 0 on success (also when nothing ran because the cache is
  // off), 1 on failure.
  int run_query(const std::string& statement, const char* failure_message,
                SqlResult* result = nullptr);

  void update_host_cache(
      std::span<const ReportEntry* const> shown_rows) override;
  void update_service_cache(
      std::span<const ReportEntry* const> shown_rows) override;
  void populate_full_cache(
      std::span<const ReportEntry* const> shown_rows) override;
  LookupResult lookup_cached_host(const char* address_text,
                                  FixedText<128>* out) override;
  LookupResult lookup_cached_service(unsigned protocol, unsigned port,
                                     FixedText<128>* out) override;

 private:
  struct Answer {
    LookupResult result;
    std::string name;
  };
  // Lets the answers be found by the cell's address text without a copy.
  struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const {
      return std::hash<std::string_view>{}(text);
    }
  };

  bool Active() const;
  void Announce() const;
  // The SQL form of an address text under the table's address kind; false
  // when the text is no address, or is IPv6 under kind "int".
  bool AddressLiteral(const char* text, const Diagnostics& diag,
                      std::string* literal);
  void ListHost(const char* text, int refresh, bool replace_listed,
                std::unordered_set<std::string>* listed);
  void ListService(unsigned protocol, uint32_t port, int refresh,
                   bool replace_listed, std::unordered_set<uint32_t>* listed);
  void ResolveHosts();
  void ResolveServices();
  // Runs the lookup `statement` into `answer`.
  void RunLookup(const std::string& statement, const char* failure_message,
                 Answer* answer);

  SqlClient* client_;
  const Options& options_;
  const ReportDefinition& definition_;
  const Diagnostics& diag_;
  const std::deque<AddressDetail>* details_;
  SystemLookups lookups_;
  Diagnostics quiet_;  // for parsing addresses that are reported elsewhere

  bool connected_ = false;
  bool host_cache_ok_ = false;
  bool service_cache_ok_ = false;
  bool bin_addresses_ = false;
  std::unordered_map<std::string, Answer, TextHash, std::equal_to<>>
      host_answers_;
  std::unordered_map<uint64_t, Answer> service_answers_;  // protocol, port
};

}  // namespace tnwk

#endif  // TNWK_RESOLVE_DATABASE_NAME_CACHE_H_
