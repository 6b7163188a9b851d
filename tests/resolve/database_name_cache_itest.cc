// The name cache end to end: the real tnwk_syslog against a throwaway
// MariaDB server holding the shipped schema, its reverse lookups answered
// by the real gethostbyaddr from a hosts file of the test's own. One server
// serves every test; each test has its own database.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "mariadb_server.h"
#include "test_support.h"

namespace tnwk {
namespace {

testing::TestMariadbServer* server = nullptr;

class ServerEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override {
    server = new testing::TestMariadbServer();
    server->Sql("", "CREATE USER tnwk@localhost IDENTIFIED BY 'secret'");
  }
  void TearDown() override { delete server; }
};

// Names under the test's control, hostile ones among them, one absolute;
// 192.0.2.9 and 2001:db8::2 have none.
constexpr char kHosts[] =
    "192.0.2.1 gw.example.net\n"
    "192.0.2.2 evil'name;--\n"
    "192.0.2.3 <script>x</script>\n"
    "192.0.2.4 four.example.net.\n"
    "2001:db8::1 six.example.net\n";

std::string Line(const std::string& src, const std::string& dst,
                 const std::string& rest) {
  return "Dec  4 10:11:11 gw kernel: [1.0] FW-DROP IN=eth0 OUT= SRC=" + src +
         " DST=" + dst + " LEN=60 TTL=64 ID=1 PROTO=" + rest + "\n";
}
std::string Tcp(const std::string& src, const std::string& dst, int sport,
                int dport) {
  return Line(src, dst,
              "TCP SPT=" + std::to_string(sport) + " DPT=" +
                  std::to_string(dport) + " WINDOW=5840 RES=0x00 SYN URGP=0");
}
std::string Icmp(const std::string& src, const std::string& dst) {
  return Line(src, dst, "ICMP TYPE=8 CODE=0 ID=1 SEQ=1");
}

class NameCacheServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server->error().empty()) << server->error();
    hosts_ = dir_.WriteFile("hosts", kHosts);
  }

  // A fresh database `name` holding the shipped schema of `kind` ("int" or
  // "bin"), which the user tnwk may use; the runs use it from then on.
  void CreateDatabase(const std::string& name, const std::string& kind) {
    db_ = name;
    server->Sql("", "CREATE DATABASE " + name + "; GRANT ALL ON " + name +
                        ".* TO tnwk@localhost");
    const testing::ProcessResult loaded = server->Sql(
        name, testing::ReadFile(TNWK_SOURCE_DIR "/sql/cache-" + kind + ".sql"));
    ASSERT_EQ(loaded.status, 0) << loaded.err;
  }

  // The rows of `query` in the test's database, tab-separated.
  std::string Rows(const std::string& query) {
    return server->Sql(db_, query).out;
  }

  // Runs tnwk_syslog on `log` with `options` and the report definition
  // `definition` (on standard input) plus the lines that name the test's
  // database. Returns the report between its preamble and the lookup times
  // (whole seconds of the real clock), and the messages from the first one
  // of the database on (the folder reads DIR).
  std::pair<std::string, std::string> Run(std::vector<std::string> options,
                                          const std::string& definition,
                                          const std::string& log,
                                          const char* password = "secret") {
    dir_.WriteFile("fw.log", log);
    const char* asan = std::getenv("ASAN_OPTIONS");
    std::vector<std::string> argv = {
        "env", "LD_PRELOAD=libnss_wrapper.so", "NSS_WRAPPER_HOSTS=" + hosts_,
        "NSS_WRAPPER_PASSWD=/etc/passwd", "NSS_WRAPPER_GROUP=/etc/group",
        // The preloaded library comes before the sanitizer runtime.
        std::string("ASAN_OPTIONS=") + (asan ? asan : "") +
            ":verify_asan_link_order=0",
        TNWK_BINARY, "-r", "-"};
    argv.insert(argv.end(), options.begin(), options.end());
    argv.push_back(dir_.path() + "/fw.log");
    testing::ProcessResult run = testing::RunProcess(
        argv, definition + "db=mysql\nmysql_socket=" + server->socket() +
                  "\nmysql_user=tnwk\nmysql_pass=" + password +
                  "\nmysql_tnwk_db=" + db_ + "\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, 10), "%%\n0\n0\n%%\n");
    std::string err = run.err;
    for (const char* first : {"Connected", "Could not open"}) {
      if (err.find(first) != std::string::npos) err.erase(0, err.find(first));
    }
    for (size_t at; (at = err.find(dir_.path())) != std::string::npos;) {
      err.replace(at, dir_.path().size(), "DIR");
    }
    std::string report = run.out.substr(10);
    for (int times = 0; times < 3 && !report.empty(); ++times) {
      report.erase(report.rfind('\n', report.size() - 2) + 1);
    }
    return {report, err};
  }

  testing::TempDir dir_;
  std::string hosts_;
  std::string db_;
};

// Listed by one run, resolved by the next: refresh 1, then 2 (the echoed
// statements), then 0 with the name. IPv6 has no integer form; hostile and
// missing names are stored as "-"; each address is looked up once.
TEST_F(NameCacheServerTest, IntKindListsThenResolvesAcrossTwoRuns) {
  CreateDatabase("nc_int", "int");
  const std::string log =
      Tcp("192.0.2.1", "192.0.2.2", 40001, 80) +
      Tcp("192.0.2.3", "192.0.2.9", 40002, 22) +
      Line("192.0.2.2", "192.0.2.1", "UDP SPT=5353 DPT=53 LEN=20") +
      Tcp("2001:db8::1", "2001:db8::2", 40003, 443) +
      Icmp("192.0.2.9", "192.0.2.1") + Tcp("192.0.2.1", "192.0.2.2", 40005, 80);
  const std::string definition =
      "summarize=yes\nc_ip_saddr=1\nc_src_host=2\nc_dst_host=3\n"
      "c_dst_service=4\nc_count=5\n";
  const char* hosts =
      "SELECT INET_NTOA(ip_addr), refresh, hostname FROM hostnames "
      "ORDER BY ip_addr";
  const char* services =
      "SELECT ip_protocol, port, refresh, service FROM services "
      "ORDER BY ip_protocol, port";

  auto [report, err] = Run({"-v"}, definition + "populate_cache\n", log);
  EXPECT_EQ(report,
            "ip_saddr\tsrc_host\tdst_host\tdst_service\tcount\t\n"
            "192.0.2.1\t-\t-\t-\t2\n"
            "192.0.2.3\t-\t-\t-\t1\n"
            "192.0.2.2\t-\t-\t-\t1\n"
            "2001:db8::1\t-\t-\t-\t1\n"
            "192.0.2.9\t-\t-\t-\t1\n"
            "\n5\n6\n6\n");
  EXPECT_EQ(err,
            "Connected to MySQL database nc_int on \n"
            "Processing input file 'DIR/fw.log'\n"
            "Sorting data\n");
  EXPECT_EQ(Rows(hosts),
            "192.0.2.1\t1\tNULL\n"
            "192.0.2.2\t1\tNULL\n"
            "192.0.2.3\t1\tNULL\n"
            "192.0.2.9\t1\tNULL\n");
  EXPECT_EQ(Rows(services),
            "6\t22\t1\tNULL\n"
            "6\t80\t1\tNULL\n"
            "6\t443\t1\tNULL\n"
            "17\t53\t1\tNULL\n");

  std::tie(report, err) = Run({"-vvvv"}, definition + "upd_hosts\n", log);
  EXPECT_EQ(report,
            "ip_saddr\tsrc_host\tdst_host\tdst_service\tcount\t\n"
            "192.0.2.1\tgw.example.net\t-\thttp\t2\n"
            "192.0.2.3\t-\t-\tssh\t1\n"
            "192.0.2.2\t-\tgw.example.net\tdomain\t1\n"
            "2001:db8::1\t-\t-\thttps\t1\n"
            "192.0.2.9\t-\tgw.example.net\t-\t1\n"
            "\n5\n6\n6\n");
  EXPECT_EQ(
      err,
      "Connected to MySQL database nc_int on \n"
      "Have hostnames cache\n"
      "Hostnames cache ip_addr type: int\n"
      "Have service names cache\n"
      "Resolving host names\n"
      "Resolving service names\n"
      "Processing input file 'DIR/fw.log'\n"
      "Done processing input from 'DIR/fw.log'\n"
      "Sorting data\n"
      "DELETE FROM hostnames WHERE refresh=1 AND ip_addr=3221225985\n"
      "INSERT IGNORE INTO hostnames (refresh, ip_addr) VALUES (2, 3221225985)\n"
      "DELETE FROM hostnames WHERE refresh=1 AND ip_addr=3221225986\n"
      "INSERT IGNORE INTO hostnames (refresh, ip_addr) VALUES (2, 3221225986)\n"
      "DELETE FROM hostnames WHERE refresh=1 AND ip_addr=3221225987\n"
      "INSERT IGNORE INTO hostnames (refresh, ip_addr) VALUES (2, 3221225987)\n"
      "DELETE FROM hostnames WHERE refresh=1 AND ip_addr=3221225993\n"
      "INSERT IGNORE INTO hostnames (refresh, ip_addr) VALUES (2, 3221225993)\n"
      "SELECT ip_addr FROM hostnames WHERE refresh=2\n"
      "Found 4 new hosts\n"
      "UPDATE hostnames SET refresh=0, hostname='gw.example.net' WHERE "
      "ip_addr=3221225985\n"
      "UPDATE hostnames SET refresh=0, hostname='-' WHERE ip_addr=3221225986\n"
      "UPDATE hostnames SET refresh=0, hostname='-' WHERE ip_addr=3221225987\n"
      "UPDATE hostnames SET refresh=0, hostname='-' WHERE ip_addr=3221225993\n"
      "DELETE FROM services WHERE refresh=1 AND ip_protocol=6 AND port=80\n"
      "INSERT IGNORE INTO services (refresh, ip_protocol, port) VALUES (2, 6, "
      "80)\n"
      "DELETE FROM services WHERE refresh=1 AND ip_protocol=6 AND port=22\n"
      "INSERT IGNORE INTO services (refresh, ip_protocol, port) VALUES (2, 6, "
      "22)\n"
      "DELETE FROM services WHERE refresh=1 AND ip_protocol=17 AND port=53\n"
      "INSERT IGNORE INTO services (refresh, ip_protocol, port) VALUES (2, 17, "
      "53)\n"
      "DELETE FROM services WHERE refresh=1 AND ip_protocol=6 AND port=443\n"
      "INSERT IGNORE INTO services (refresh, ip_protocol, port) VALUES (2, 6, "
      "443)\n"
      "SELECT port, ip_protocol FROM services WHERE refresh=2\n"
      "Found 4 new services\n"
      "UPDATE services SET refresh=0, service='ssh' WHERE port=22 AND "
      "ip_protocol=6\n"
      "UPDATE services SET refresh=0, service='http' WHERE port=80 AND "
      "ip_protocol=6\n"
      "UPDATE services SET refresh=0, service='https' WHERE port=443 AND "
      "ip_protocol=6\n"
      "UPDATE services SET refresh=0, service='domain' WHERE port=53 AND "
      "ip_protocol=17\n"
      "Lines processed:            6\n"
      "Lines matched:              6\n"
      "Matched line repeats:       0\n"
      "Lines excluded:             0\n"
      "Lines wrong format:         0\n"
      "Lines not packet log:       0\n"
      "SELECT hostname FROM hostnames WHERE refresh=0 AND ip_addr=3221225985\n"
      "SELECT hostname FROM hostnames WHERE refresh=0 AND ip_addr=3221225986\n"
      "SELECT service FROM services WHERE refresh=0 AND ip_protocol=6 AND "
      "port=80\n"
      "SELECT hostname FROM hostnames WHERE refresh=0 AND ip_addr=3221225987\n"
      "SELECT hostname FROM hostnames WHERE refresh=0 AND ip_addr=3221225993\n"
      "SELECT service FROM services WHERE refresh=0 AND ip_protocol=6 AND "
      "port=22\n"
      "SELECT service FROM services WHERE refresh=0 AND ip_protocol=17 AND "
      "port=53\n"
      "SELECT service FROM services WHERE refresh=0 AND ip_protocol=6 AND "
      "port=443\n"
      "SELECT service FROM services WHERE refresh=0 AND ip_protocol=1 AND "
      "port=65536\n");
  EXPECT_EQ(Rows(hosts),
            "192.0.2.1\t0\tgw.example.net\n"
            "192.0.2.2\t0\t-\n"
            "192.0.2.3\t0\t-\n"
            "192.0.2.9\t0\t-\n");
  EXPECT_EQ(Rows(services),
            "6\t22\t0\tssh\n"
            "6\t80\t0\thttp\n"
            "6\t443\t0\thttps\n"
            "17\t53\t0\tdomain\n");
}

// Kind "bin": IPv4 addresses are stored IPv4-mapped and resolved as IPv4,
// IPv6 ones as IPv6. The full population lists every line's addresses and
// ports behind the shown rows, never the no-port value.
TEST_F(NameCacheServerTest, BinKindResolvesBothFamiliesAndPopulatesFull) {
  CreateDatabase("nc_bin", "bin");
  const std::string log = Tcp("2001:db8::1", "2001:db8::2", 40001, 443) +
                          Tcp("192.0.2.1", "192.0.2.3", 40002, 25) +
                          Tcp("192.0.2.1", "192.0.2.3", 40003, 25) +
                          Icmp("192.0.2.9", "192.0.2.2") +
                          Tcp("192.0.2.4", "192.0.2.3", 40004, 25);
  auto [report, err] =
      Run({"-vvv"},
          "summarize=yes\nc_ip_saddr=1\nc_src_host=2\nc_dst_service=3\n"
          "c_count=4\nupd_hosts\npopulate_cache_full\n",
          log);
  EXPECT_EQ(report,
            "ip_saddr\tsrc_host\tdst_service\tcount\t\n"
            "2001:db8::1\tsix.example.net\thttps\t1\n"
            "192.0.2.1\tgw.example.net\tsmtp\t2\n"
            "192.0.2.9\t-\t-\t1\n"
            "192.0.2.4\tfour.example.net\tsmtp\t1\n"
            "\n4\n5\n5\n");
  EXPECT_EQ(err.substr(0, err.find("Processing input")),
            "Connected to MySQL database nc_bin on \n"
            "Have hostnames cache\n"
            "Hostnames cache ip_addr type: bin\n"
            "Have service names cache\n"
            "Populating hostname cache full\n"
            "Populating service name cache full\n"
            "Populating hostname cache\n"
            "Populating service name cache\n"
            "Resolving host names\n"
            "Resolving service names\n");
  EXPECT_EQ(Rows("SELECT hex(ip_addr), refresh, hostname FROM hostnames "
                 "ORDER BY ip_addr"),
            "00000000000000000000FFFFC0000201\t0\tgw.example.net\n"
            "00000000000000000000FFFFC0000202\t1\tNULL\n"
            "00000000000000000000FFFFC0000203\t1\tNULL\n"
            "00000000000000000000FFFFC0000204\t0\tfour.example.net\n"
            "00000000000000000000FFFFC0000209\t0\t-\n"
            "20010DB8000000000000000000000001\t0\tsix.example.net\n"
            "20010DB8000000000000000000000002\t1\tNULL\n");
  EXPECT_EQ(Rows("SELECT ip_protocol, port, refresh, service FROM services "
                 "ORDER BY ip_protocol, port"),
            "6\t25\t0\tsmtp\n"
            "6\t443\t0\thttps\n"
            "6\t40001\t1\tNULL\n"
            "6\t40002\t1\tNULL\n"
            "6\t40003\t1\tNULL\n"
            "6\t40004\t1\tNULL\n");
}

// A refused login leaves the run without a database; without a services
// table the host names still work and service cells show "-"; a stored name
// that would break a report line is not printed; the cache steps handle
// exactly the rows the report prints.
TEST_F(NameCacheServerTest, HostsOnlyDatabase) {
  CreateDatabase("nc_hosts_only", "int");
  Rows(
      "DROP TABLE services; INSERT INTO hostnames VALUES "
      "(INET_ATON('192.0.2.1'), 0, 'gw.example.net'), "
      "(INET_ATON('192.0.2.2'), 0, 'bad\tname')");
  std::string log = Tcp("192.0.2.1", "192.0.2.2", 40001, 80) +
                    Tcp("192.0.2.2", "192.0.2.1", 40001, 80);
  const std::string definition =
      "summarize=1\nc_ip_saddr=1\nc_src_host=2\nc_dst_service=3\n";

  auto [report, err] = Run({"-vv"}, definition, log, "wrong");
  EXPECT_EQ(report,
            "ip_saddr\tsrc_host\tdst_service\t\n"
            "192.0.2.1\t-\t-\n"
            "192.0.2.2\t-\t-\n"
            "\n2\n2\n2\n");
  EXPECT_EQ(err.substr(0, err.find('\n')),
            "Could not open MySQL database.  Server said: Access denied for "
            "user 'tnwk'@'localhost' (using password: YES)");

  std::tie(report, err) = Run({"-v"}, definition, log);
  EXPECT_EQ(report,
            "ip_saddr\tsrc_host\tdst_service\t\n"
            "192.0.2.1\tgw.example.net\t-\n"
            "192.0.2.2\t-\t-\n"
            "\n2\n2\n2\n");
  EXPECT_EQ(err.substr(0, err.find("Processing input")),
            "Connected to MySQL database nc_hosts_only on \n"
            "Service names cache not available. Server said: Table "
            "'nc_hosts_only.services' doesn't exist\n");

  for (int i = 1; i <= 20; ++i) {
    log += Tcp("198.51.100." + std::to_string(i), "192.0.2.1", 1, 80);
  }
  std::tie(report, err) =
      Run({"-m", "10", "-M", "5"}, definition + "populate_cache\n", log);
  EXPECT_EQ(Rows("SELECT INET_NTOA(ip_addr), refresh FROM hostnames "
                 "ORDER BY ip_addr"),
            "192.0.2.1\t0\n"
            "192.0.2.2\t0\n"
            "198.51.100.9\t1\n"
            "198.51.100.10\t1\n"
            "198.51.100.11\t1\n"
            "198.51.100.12\t1\n"
            "198.51.100.13\t1\n");
}

}  // namespace
}  // namespace tnwk

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new tnwk::ServerEnvironment);
  return RUN_ALL_TESTS();
}
