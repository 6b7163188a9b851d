#include "resolve/database_name_cache.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "entries/field_keywords.h"
#include "resolve/name_checks.h"
#include "test_support.h"

namespace tnwk {
namespace {

TEST(NameChecks, OnlyPlainHostNamesAreStored) {
  const std::string longest = std::string(63, 'a') + "." +
                              std::string(63, 'b') + "." +
                              std::string(63, 'c') + "." + std::string(61, 'd');
  const struct {
    std::string name;
    bool host_name;
    bool cell_safe;
  } kCases[] = {
      {"gw.example.net", true, true},
      {"_ldap._tcp.dc-1", true, true},
      {longest, true, true},
      {longest + "d", false, true},  // 254 characters
      {std::string(300, 'a'), false, true},
      {"evil'name;--", false, true},
      {"<script>x</script>", false, true},
      {"a b", false, true},
      {"h\xc3\xa9.example", false, true},  // not ASCII
      {"tab\there", false, false},
      {"new\nline", false, false},
      {std::string("nul\0byte", 8), false, false},
      {"a..b", false, true},
      {".a", false, true},
      {"a.", false, true},
      {"", false, false},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(IsValidHostName(c.name), c.host_name) << c.name;
    EXPECT_EQ(IsCellSafe(c.name), c.cell_safe) << c.name;
  }
}

// What the resolve steps store for a name the system gave.
TEST(NameChecks, NamesToStore) {
  const std::string e_acute = "\xc3\xa9";
  std::string many_e;
  for (int i = 0; i < 255; ++i) many_e += e_acute;
  const struct {
    std::string name;
    std::string host;
    std::string service;
  } kCases[] = {
      {"gw.example.net", "gw.example.net", "gw.example.net"},
      {"gw.example.net.", "gw.example.net", "gw.example.net."},
      {".", "-", "."},
      {"a..", "-", "a.."},
      {"h" + e_acute, "-", "h" + e_acute},
      {many_e, "-", many_e},  // 255 characters in 510 bytes
      {many_e + "x", "-", "-"},
      {"\xf0\x9f\x98\x80", "-", "\xf0\x9f\x98\x80"},
      {"cut\xc3", "-", "-"},
      {"\xc0\xaf", "-", "-"},          // overlong
      {"\xed\xa0\x80", "-", "-"},      // surrogate
      {"\xf4\x90\x80\x80", "-", "-"},  // past U+10FFFF
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(HostNameToStore(c.name), c.host) << c.name;
    EXPECT_EQ(ServiceNameToStore(c.name), c.service) << c.name;
  }
}

// Records every statement and answers the ones it was given rows for.
class FakeSqlClient final : public SqlClient {
 public:
  bool Connect(const DatabaseSettings&) override { return true; }
  bool Query(std::string_view statement, SqlResult* result) override {
    statements.emplace_back(statement);
    auto found = answers.find(std::string(statement));
    if (result != nullptr) {
      *result = found != answers.end() ? found->second : SqlResult{1, 3, {}};
    }
    return true;
  }
  // Escapes as the client library does, for the bytes these tests use.
  std::string Escape(std::string_view text) override {
    std::string escaped;
    for (char c : text) {
      if (c == '\0') {
        escaped += "\\0";
        continue;
      }
      if (c == '\'' || c == '\\') escaped += '\\';
      escaped += c;
    }
    return escaped;
  }
  std::string Error() override { return "gone away"; }
  void Close() override {}

  // Rows of one column or two, NULL written as "NULL".
  void Answer(const std::string& statement,
              const std::vector<std::vector<std::string>>& rows,
              int first_field_type = 3) {
    SqlResult& result = answers[statement];
    result.field_count = rows.empty() ? 1 : rows[0].size();
    result.first_field_type = first_field_type;
    for (const auto& row : rows) {
      auto& values = result.rows.emplace_back();
      for (const std::string& value : row) {
        values.push_back(value == "NULL" ? std::nullopt
                                         : std::optional<std::string>(value));
      }
    }
  }

  std::map<std::string, SqlResult> answers;
  std::vector<std::string> statements;
};

struct DatabaseNameCacheTest : ::testing::Test {
  DatabaseNameCacheTest() {
    options.database.db_type.Set("mysql");
    for (int column : {kColumnSrcHost, kColumnDstHost, kColumnSrcService,
                       kColumnDstService}) {
      definition.column_selected[column] = 1;
    }
  }

  // Connects a cache of the address kind with `cache_flags`; its resolver
  // answers from `names` (address text to name) and the services database
  // knows only port 80 and 443.
  DatabaseNameCache& Connect(uint8_t cache_flags, bool bin) {
    options.cache_flags = cache_flags | kCacheNameColumn;
    client.Answer("SELECT ip_addr FROM hostnames LIMIT 1", {},
                  bin ? kSqlTypeString : 3);
    SystemLookups lookups;
    lookups.host = [this](const uint8_t* address, std::string_view,
                          size_t length) {
      char text[INET6_ADDRSTRLEN];
      inet_ntop(length == 16 ? AF_INET6 : AF_INET, address, text, sizeof text);
      auto found = names.find(text);
      return found != names.end() ? found->second : std::string("-");
    };
    lookups.service = [](uint16_t port, unsigned) {
      return port == 80     ? "http"
             : port == 443  ? "o'clock"
             : port == 8080 ? "\xff"
                            : "-";
    };
    cache.emplace(&client, options, definition, diag, nullptr, lookups);
    const uint8_t verbosity = diag.verbosity();
    diag.set_verbosity(0);
    EXPECT_TRUE(cache->db_connect());
    diag.set_verbosity(verbosity);
    client.statements.clear();
    return *cache;
  }

  void Row(const char* src, const char* dst, uint8_t protocol, uint32_t sport,
           uint32_t dport) {
    ReportEntry& row = rows.emplace_back();
    row.ip_saddr.text.Set(src);
    row.ip_daddr.text.Set(dst);
    row.ip_protocol = protocol;
    row.sport = sport;
    row.dport = dport;
    shown.push_back(&row);
  }

  // The statements run so far that begin with `prefix`.
  std::string Statements(std::string_view prefix = "") {
    std::string all;
    for (const std::string& s : client.statements) {
      if (s.starts_with(prefix)) all += s;
    }
    return all;
  }

  FakeSqlClient client;
  Options options;
  ReportDefinition definition;
  testing::CapturedStream err;
  Diagnostics diag{2, err.get()};
  std::deque<ReportEntry> rows;
  std::vector<const ReportEntry*> shown;
  std::map<std::string, std::string> names;
  std::optional<DatabaseNameCache> cache;
};

// Kind "int": each address once per step, IPv6 left out, the names from the
// resolver checked, every text escaped, bad rows of the table skipped.
TEST_F(DatabaseNameCacheTest, IntKindStatements) {
  DatabaseNameCache& c = Connect(kCacheUpdHosts, /*bin=*/false);
  Row("192.0.2.1", "10.1", 6, 40001, 80);
  Row("2001:db8::1", "2001:db8::2", 6, 40002, 443);
  Row("192.0.2.1", "192.0.2.2", 1, 65536, 65536);
  client.Answer("SELECT ip_addr FROM hostnames WHERE refresh=2\n",
                {{"3221225985"},
                 {"167772161"},
                 {"3221225986"},
                 {"NULL"},
                 {"4294967296"},
                 {"12ab"},
                 {"3221225987"}});
  names = {{"192.0.2.1", "tab\there"},
           {"10.0.0.1", std::string("nul\0byte", 8)},
           {"192.0.2.2", std::string(300, 'x')},
           {"192.0.2.3", "new\nline"}};
  client.Answer("SELECT port, ip_protocol FROM services WHERE refresh=2\n",
                {{"80", "6"},
                 {"443", "6"},
                 {"8080", "6"},
                 {"NULL", "6"},
                 {"70000", "6"}});

  c.update_host_cache(shown);
  EXPECT_EQ(Statements("INSERT"),
            "INSERT IGNORE INTO hostnames (refresh, ip_addr) VALUES (2, "
            "3221225985)\n"
            "INSERT IGNORE INTO hostnames (refresh, ip_addr) VALUES (2, "
            "167772161)\n"
            "INSERT IGNORE INTO hostnames (refresh, ip_addr) VALUES (2, "
            "3221225986)\n");
  EXPECT_EQ(Statements("UPDATE"),
            "UPDATE hostnames SET refresh=0, hostname='-' WHERE "
            "ip_addr=3221225985\n"
            "UPDATE hostnames SET refresh=0, hostname='-' WHERE "
            "ip_addr=167772161\n"
            "UPDATE hostnames SET refresh=0, hostname='-' WHERE "
            "ip_addr=3221225986\n"
            "UPDATE hostnames SET refresh=0, hostname='-' WHERE "
            "ip_addr=3221225987\n");
  client.statements.clear();
  c.update_service_cache(shown);
  EXPECT_EQ(Statements("UPDATE"),
            "UPDATE services SET refresh=0, service='http' WHERE port=80 AND "
            "ip_protocol=6\n"
            "UPDATE services SET refresh=0, service='o\\'clock' WHERE "
            "port=443 AND ip_protocol=6\n"
            "UPDATE services SET refresh=0, service='-' WHERE port=8080 AND "
            "ip_protocol=6\n");
  EXPECT_EQ(err.str(), "Found 7 new hosts\nFound 5 new services\n");
}

// Kind "bin": addresses through the server function, IPv4 as dotted quads;
// IPv4-mapped values resolved as IPv4; values of a wrong length skipped.
TEST_F(DatabaseNameCacheTest, BinKindStatements) {
  DatabaseNameCache& c = Connect(kCacheUpdHosts, /*bin=*/true);
  definition.column_selected[kColumnDstHost] = 0;
  Row("10.1", "192.0.2.9", 6, 1, 2);
  Row("2001:db8::1", "2001:db8::2", 6, 1, 2);
  const std::string mapped("\0\0\0\0\0\0\0\0\0\0\xff\xff\xc0\x00\x02\x01", 16);
  const std::string v6("\x20\x01\x0d\xb8\0\0\0\0\0\0\0\0\0\0\0\x01", 16);
  client.Answer(
      "SELECT ip_addr, hex(ip_addr) FROM hostnames WHERE refresh=2\n",
      {{mapped, "00000000000000000000FFFFC0000201"},
       {v6, "20010DB8000000000000000000000001"},
       {"\xc0\x00\x02", "C00002"},
       {"NULL", "00"},
       {std::string("\xc0\x00\x02\x02", 4), "x'); DROP TABLE t; --"}});
  names = {{"192.0.2.1", "gw.example.net"},
           {"2001:db8::1", "six.example.net"},
           {"192.0.2.2", "two.example.net."}};

  c.update_host_cache(shown);
  EXPECT_EQ(Statements(),
            "DELETE FROM hostnames WHERE refresh=1 AND "
            "ip_addr=tnwk_inet_pton(28, '10.0.0.1')\n"
            "INSERT IGNORE INTO hostnames (refresh, ip_addr) VALUES (2, "
            "tnwk_inet_pton(28, '10.0.0.1'))\n"
            "DELETE FROM hostnames WHERE refresh=1 AND "
            "ip_addr=tnwk_inet_pton(28, '2001:db8::1')\n"
            "INSERT IGNORE INTO hostnames (refresh, ip_addr) VALUES (2, "
            "tnwk_inet_pton(28, '2001:db8::1'))\n"
            "SELECT ip_addr, hex(ip_addr) FROM hostnames WHERE refresh=2\n"
            "UPDATE hostnames SET refresh=0, hostname='gw.example.net' WHERE "
            "ip_addr=unhex('00000000000000000000FFFFC0000201')\n"
            "UPDATE hostnames SET refresh=0, hostname='six.example.net' WHERE "
            "ip_addr=unhex('20010DB8000000000000000000000001')\n"
            "UPDATE hostnames SET refresh=0, hostname='two.example.net' WHERE "
            "ip_addr=unhex('x\\'); DROP TABLE t; --')\n");

  FixedText<128> name;
  EXPECT_EQ(c.lookup_cached_host("2001:db8::1", &name), LookupResult::kUnknown);
  EXPECT_EQ(Statements("SELECT hostname"),
            "SELECT hostname FROM hostnames WHERE refresh=0 AND "
            "ip_addr=tnwk_inet_pton(28, '2001:db8::1')\n");

  std::string long_name;
  for (int i = 0; i < 100; ++i) long_name += "\xc3\xa9";
  client.Answer(
      "SELECT service FROM services WHERE refresh=0 AND "
      "ip_protocol=6 AND port=80\n",
      {{long_name}});
  EXPECT_EQ(c.lookup_cached_service(6, 80, &name), LookupResult::kFound);
  EXPECT_EQ(name.view(), long_name.substr(0, 126));
}

}  // namespace
}  // namespace tnwk
