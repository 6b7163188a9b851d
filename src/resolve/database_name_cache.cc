#include "resolve/database_name_cache.h"

#include <arpa/inet.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "base/address_family.h"
#include "base/address_parser.h"
#include "base/ip_protocol.h"
#include "base/numbers.h"
#include "entries/field_keywords.h"
#include "resolve/name_checks.h"

namespace tnwk {
namespace {

// A column value the server returned as a plain unsigned decimal number of
// at most `max`; nullopt for NULL or anything else. The shared tables may
// have been written by other programs, so nothing is taken on trust.
std::optional<unsigned long> ReadNumber(const std::optional<std::string>& value,
                                        unsigned long max) {
  if (!value || value->empty() || value->size() > 10) return std::nullopt;
  for (char c : *value) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  const unsigned long number = CheckedStrtoul(std::string_view(*value), 10);
  if (number > max) return std::nullopt;
  return number;
}

// The statement that `format` and its arguments give, whole however long
// the escaped names in it make it.
TNWK_PRINTF_FORMAT(1, 2) std::string Statement(const char* format, ...) {
  va_list args;
  va_start(args, format);
  char buffer[4096];
  const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (length >= 0 && static_cast<size_t>(length) < sizeof buffer) {
    return std::string(buffer, static_cast<size_t>(length));
  }
  // Only escaped names make a statement this long; build it whole rather
  // than run a statement cut short.
  std::string statement(static_cast<size_t>(length < 0 ? 0 : length) + 1, '\0');
  va_start(args, format);
  std::vsnprintf(statement.data(), statement.size(), format, args);
  va_end(args);
  statement.pop_back();
  return statement;
}

// A name read back from a table, as a cell may show it.
std::optional<std::string_view> ReadName(
    const std::optional<std::string>& value) {
  if (!value || !IsCellSafe(*value)) return std::nullopt;
  return std::string_view(*value);
}

}  // namespace

DatabaseNameCache::DatabaseNameCache(SqlClient* client, const Options& options,
                                     const ReportDefinition& definition,
                                     const Diagnostics& diag,
                                     const std::deque<AddressDetail>* details,
                                     SystemLookups lookups)
    : client_(client),
      options_(options),
      definition_(definition),
      diag_(diag),
      details_(details),
      lookups_(std::move(lookups)),
      quiet_(0, diag.stream()) {}

bool DatabaseNameCache::Active() const {
  return connected_ && options_.database.db_type.view() == "mysql";
}

bool DatabaseNameCache::db_connect() {
  const DatabaseSettings& settings = options_.database;
  if (settings.db_type.view() != "mysql") {
    diag_.Log(1, "No database server available.  (Is support compiled in?)\n");
    return false;
  }
  if (!client_->Connect(settings)) {
    diag_.Log(2, "Could not open MySQL database.  Server said: %s\n",
              client_->Error().c_str());
    return false;
  }
  connected_ = true;
  diag_.Log(1, "Connected to MySQL database %s on %s\n",
            settings.mysql_tnwk_db.c_str(), settings.mysql_server.c_str());

  // Without a name column or a cache option the tables are never used, so
  // they are not even probed.
  if (options_.cache_flags != 0) {
    SqlResult probe;
    if (client_->Query("SELECT ip_addr FROM hostnames LIMIT 1", &probe)) {
      bin_addresses_ = probe.first_field_type == kSqlTypeString;
      host_cache_ok_ = true;
      diag_.Log(2, "Have hostnames cache\n");
      diag_.Log(3, "Hostnames cache ip_addr type: %s\n",
                bin_addresses_ ? "bin" : "int");
    } else {
      diag_.Log(1, "Hostnames cache not available. Server said: %s\n",
                client_->Error().c_str());
    }
    if (client_->Query("SELECT count(*) FROM services LIMIT 1", &probe)) {
      service_cache_ok_ = true;
      diag_.Log(2, "Have service names cache\n");
    } else {
      diag_.Log(1, "Service names cache not available. Server said: %s\n",
                client_->Error().c_str());
    }
  }
  Announce();
  return true;
}

void DatabaseNameCache::Announce() const {
  const uint8_t flags = options_.cache_flags;
  const bool full = (flags & kCachePopulateFull) != 0;
  const bool populate = (flags & kCachePopulate) != 0;
  const bool upd_hosts = (flags & kCacheUpdHosts) != 0;
  const bool host_column = definition_.IsColumnSelected(kColumnSrcHost) ||
                           definition_.IsColumnSelected(kColumnDstHost);
  const bool service_column = definition_.IsColumnSelected(kColumnSrcService) ||
                              definition_.IsColumnSelected(kColumnDstService);
  if (host_cache_ok_ && full) diag_.Log(2, "Populating hostname cache full\n");
  if (service_cache_ok_ && full) {
    diag_.Log(2, "Populating service name cache full\n");
  }
  if (host_cache_ok_ && populate) diag_.Log(2, "Populating hostname cache\n");
  if (service_cache_ok_ && populate) {
    diag_.Log(2, "Populating service name cache\n");
  }
  if (host_cache_ok_ && upd_hosts && host_column) {
    diag_.Log(2, "Resolving host names\n");
  }
  if (service_cache_ok_ && upd_hosts && service_column) {
    diag_.Log(2, "Resolving service names\n");
  }
}

void DatabaseNameCache::db_close() {
  if (options_.database.db_type.view() != "mysql") return;
  client_->Close();
  connected_ = false;
}

int DatabaseNameCache::run_query(const std::string& statement,
                                 const char* failure_message,
                                 SqlResult* result) {
  if (!Active()) return 0;
  diag_.Log(4, "%s", statement.c_str());
  if (client_->Query(statement, result)) return 0;
  diag_.Log(2, "%s  Server said: %s\n", failure_message,
            client_->Error().c_str());
  return 1;
}

bool DatabaseNameCache::AddressLiteral(const char* text,
                                       const Diagnostics& diag,
                                       std::string* literal) {
  const bool ipv6 = std::strchr(text, ':') != nullptr;
  uint32_t v4 = 0;
  uint8_t v6[16];
  char canonical[kAddressTextSize] = "";
  if (parse_ip_address(ipv6 ? kFamilyIpv6 : kFamilyIpv4, text, &v4, v6,
                       canonical, diag) != 0) {
    return false;
  }
  if (!bin_addresses_) {
    // An integer column holds IPv4 addresses only.
    if (ipv6) return false;
    *literal = std::to_string(ntohl(v4));
    return true;
  }
  // The server function reads the text again. IPv4 texts go as dotted
  // quads, the one form it is sure to read as the C library did ("10.1" or
  // octal parts would otherwise name another address, or none).
  if (!ipv6) FormatDottedQuad(v4, canonical);
  *literal = "tnwk_inet_pton(" + std::to_string(kFamilyIpv6) + ", '" +
             client_->Escape(canonical) + "')";
  return true;
}

void DatabaseNameCache::ListHost(const char* text, int refresh,
                                 bool replace_listed,
                                 std::unordered_set<std::string>* listed) {
  std::string literal;
  if (!AddressLiteral(text, quiet_, &literal)) return;
  if (!listed->insert(literal).second) return;
  if (replace_listed) {
    run_query(Statement("DELETE FROM hostnames WHERE refresh=1 AND "
                        "ip_addr=%s\n",
                        literal.c_str()),
              "Could not delete host.");
  }
  run_query(Statement("INSERT IGNORE INTO hostnames (refresh, ip_addr) "
                      "VALUES (%d, %s)\n",
                      refresh, literal.c_str()),
            "Could not insert host.");
}

void DatabaseNameCache::ListService(unsigned protocol, uint32_t port,
                                    int refresh, bool replace_listed,
                                    std::unordered_set<uint32_t>* listed) {
  // A line without a port carries kNoPort, which is no port to name.
  if (port >= kNoPort) return;
  if (!listed->insert(protocol << 16 | port).second) return;
  if (replace_listed) {
    run_query(Statement("DELETE FROM services WHERE refresh=1 AND "
                        "ip_protocol=%d AND port=%d\n",
                        static_cast<int>(protocol), static_cast<int>(port)),
              "Could not delete service.");
  }
  run_query(Statement("INSERT IGNORE INTO services (refresh, ip_protocol, "
                      "port) VALUES (%d, %i, %u)\n",
                      refresh, static_cast<int>(protocol),
                      static_cast<unsigned>(port)),
            "Could not insert service.");
}

void DatabaseNameCache::update_host_cache(
    std::span<const ReportEntry* const> shown_rows) {
  if (!Active() || !host_cache_ok_) return;
  const bool upd_hosts = (options_.cache_flags & kCacheUpdHosts) != 0;
  const int refresh = upd_hosts ? 2 : 1;
  const bool src = definition_.IsColumnSelected(kColumnSrcHost);
  const bool dst = definition_.IsColumnSelected(kColumnDstHost);
  std::unordered_set<std::string> listed;
  for (const ReportEntry* row : shown_rows) {
    if (src) ListHost(row->ip_saddr.text.c_str(), refresh, upd_hosts, &listed);
    if (dst) ListHost(row->ip_daddr.text.c_str(), refresh, upd_hosts, &listed);
  }
  if (upd_hosts) ResolveHosts();
}

void DatabaseNameCache::ResolveHosts() {
  const std::string select =
      bin_addresses_
          ? "SELECT ip_addr, hex(ip_addr) FROM hostnames WHERE refresh=2\n"
          : "SELECT ip_addr FROM hostnames WHERE refresh=2\n";
  SqlResult marked;
  if (run_query(select, "Could not select hosts.", &marked) != 0) return;
  if (!marked.rows.empty()) {
    diag_.Log(2, "Found %lu new hosts\n",
              static_cast<unsigned long>(marked.rows.size()));
  }
  for (const auto& row : marked.rows) {
    std::string name;
    std::string update;
    if (bin_addresses_) {
      if (row.size() < 2 || !row[0] || !row[1]) continue;
      const std::string& bytes = *row[0];
      if (bytes.size() != 4 && bytes.size() != 16) continue;
      const auto* address = reinterpret_cast<const uint8_t*>(bytes.data());
      size_t length = bytes.size();
      static constexpr uint8_t kMappedPrefix[12] = {0, 0, 0, 0, 0,    0,
                                                    0, 0, 0, 0, 0xff, 0xff};
      if (length == 16 && std::memcmp(address, kMappedPrefix, 12) == 0) {
        address += 12;
        length = 4;
      }
      name = HostNameToStore(lookups_.host(address, "bin", length));
      update = Statement(
          "UPDATE hostnames SET refresh=0, hostname='%s' WHERE "
          "ip_addr=unhex('%s')\n",
          client_->Escape(name).c_str(), client_->Escape(*row[1]).c_str());
    } else {
      if (row.empty()) continue;
      const std::optional<unsigned long> value = ReadNumber(row[0], 0xffffffff);
      if (!value) continue;
      const uint32_t address = htonl(static_cast<uint32_t>(*value));
      name = HostNameToStore(
          lookups_.host(reinterpret_cast<const uint8_t*>(&address), "int", 4));
      update = Statement(
          "UPDATE hostnames SET refresh=0, hostname='%s' WHERE "
          "ip_addr=%lu\n",
          client_->Escape(name).c_str(), *value);
    }
    run_query(update, "Could not update hostname.");
  }
}

void DatabaseNameCache::update_service_cache(
    std::span<const ReportEntry* const> shown_rows) {
  if (!Active() || !service_cache_ok_) return;
  const bool upd_hosts = (options_.cache_flags & kCacheUpdHosts) != 0;
  const int refresh = upd_hosts ? 2 : 1;
  const bool src = definition_.IsColumnSelected(kColumnSrcService);
  const bool dst = definition_.IsColumnSelected(kColumnDstService);
  std::unordered_set<uint32_t> listed;
  for (const ReportEntry* row : shown_rows) {
    if (row->ip_protocol != kProtocolTcp && row->ip_protocol != kProtocolUdp) {
      continue;
    }
    if (src) {
      ListService(row->ip_protocol, row->sport, refresh, upd_hosts, &listed);
    }
    if (dst) {
      ListService(row->ip_protocol, row->dport, refresh, upd_hosts, &listed);
    }
  }
  if (upd_hosts) ResolveServices();
}

void DatabaseNameCache::ResolveServices() {
  SqlResult marked;
  if (run_query("SELECT port, ip_protocol FROM services WHERE refresh=2\n",
                "Could not select services.", &marked) != 0) {
    return;
  }
  if (!marked.rows.empty()) {
    diag_.Log(2, "Found %lu new services\n",
              static_cast<unsigned long>(marked.rows.size()));
  }
  for (const auto& row : marked.rows) {
    if (row.size() < 2) continue;
    const std::optional<unsigned long> port = ReadNumber(row[0], 0xffff);
    const std::optional<unsigned long> protocol = ReadNumber(row[1], 0xff);
    if (!port || !protocol) continue;
    const std::string name = ServiceNameToStore(lookups_.service(
        static_cast<uint16_t>(*port), static_cast<unsigned>(*protocol)));
    run_query(Statement("UPDATE services SET refresh=0, service='%s' WHERE "
                        "port=%li AND ip_protocol=%li\n",
                        client_->Escape(name).c_str(), static_cast<long>(*port),
                        static_cast<long>(*protocol)),
              "Could not update service.");
  }
}

void DatabaseNameCache::populate_full_cache(
    std::span<const ReportEntry* const> shown_rows) {
  if (!Active() || !host_cache_ok_ || !service_cache_ok_ ||
      details_ == nullptr) {
    return;
  }
  // The lines behind each shown row, grouped in one pass over the records
  // (newest first, as the list holds them).
  std::unordered_map<uint64_t, std::vector<const AddressDetail*>> lines;
  for (const ReportEntry* row : shown_rows) lines.try_emplace(row->entry_no);
  for (const AddressDetail& detail : *details_) {
    auto found = lines.find(detail.entry_no);
    if (found != lines.end()) found->second.push_back(&detail);
  }
  std::unordered_set<std::string> hosts;
  std::unordered_set<uint32_t> services;
  for (const ReportEntry* row : shown_rows) {
    for (const AddressDetail* detail : lines[row->entry_no]) {
      ListHost(detail->ip_saddr.text.c_str(), 1, false, &hosts);
      ListHost(detail->ip_daddr.text.c_str(), 1, false, &hosts);
      ListService(detail->ip_protocol, detail->sport, 1, false, &services);
      ListService(detail->ip_protocol, detail->dport, 1, false, &services);
    }
  }
}

void DatabaseNameCache::RunLookup(const std::string& statement,
                                  const char* failure_message, Answer* answer) {
  SqlResult found;
  if (run_query(statement, failure_message, &found) != 0) {
    answer->result = LookupResult::kFailed;
    return;
  }
  if (found.field_count == 0 || found.rows.empty() || found.rows[0].empty()) {
    return;
  }
  if (std::optional<std::string_view> name = ReadName(found.rows[0][0])) {
    answer->result = LookupResult::kFound;
    // A cell holds 127 bytes; a longer name is cut between characters.
    answer->name.assign(CutAtCharacter(*name, 127));
  }
}

LookupResult DatabaseNameCache::lookup_cached_host(const char* address_text,
                                                   FixedText<128>* out) {
  out->Set("-");
  auto known = host_answers_.find(std::string_view(address_text));
  if (known == host_answers_.end()) {
    Answer answer{LookupResult::kUnknown, "-"};
    std::string literal;
    if (AddressLiteral(address_text, diag_, &literal) && Active() &&
        host_cache_ok_) {
      RunLookup(Statement("SELECT hostname FROM hostnames WHERE refresh=0 "
                          "AND ip_addr=%s\n",
                          literal.c_str()),
                "Could not resolve hostname.", &answer);
    }
    // A failed statement is tried again for the next cell that asks.
    if (answer.result == LookupResult::kFailed) return answer.result;
    known = host_answers_.emplace(address_text, std::move(answer)).first;
  }
  if (known->second.result == LookupResult::kFound) {
    out->Set(known->second.name);
    diag_.Log(6, "Hostname is: %s\n", out->c_str());
  }
  return known->second.result;
}

LookupResult DatabaseNameCache::lookup_cached_service(unsigned protocol,
                                                      unsigned port,
                                                      FixedText<128>* out) {
  out->Set("-");
  if (!Active() || !service_cache_ok_) return LookupResult::kUnknown;
  const uint64_t key = uint64_t{protocol} << 32 | port;
  auto known = service_answers_.find(key);
  if (known == service_answers_.end()) {
    Answer answer{LookupResult::kUnknown, "-"};
    RunLookup(Statement("SELECT service FROM services WHERE refresh=0 AND "
                        "ip_protocol=%u AND port=%u\n",
                        protocol, port),
              "Could not resolve service.", &answer);
    if (answer.result == LookupResult::kFailed) return answer.result;
    known = service_answers_.emplace(key, std::move(answer)).first;
  }
  if (known->second.result == LookupResult::kFound) {
    out->Set(known->second.name);
    diag_.Log(6, "Service Name is: %s\n", out->c_str());
  }
  return known->second.result;
}

}  // namespace tnwk
