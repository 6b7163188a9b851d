#include "driver/report_cells.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "entries/field_keywords.h"
#include "null_name_cache.h"
#include "resolve/system_names.h"
#include "test_support.h"

namespace tnwk {
namespace {

// Answers every lookup with a name that shows what was asked.
class EchoCache final : public NameCache {
 public:
  void update_host_cache(std::span<const ReportEntry* const>) override {}
  void update_service_cache(std::span<const ReportEntry* const>) override {}
  void populate_full_cache(std::span<const ReportEntry* const>) override {}
  LookupResult lookup_cached_host(const char* address_text,
                                  FixedText<128>* out) override {
    out->Set(std::string("name\tof ") + address_text);
    return LookupResult::kFound;
  }
  LookupResult lookup_cached_service(unsigned protocol, unsigned port,
                                     FixedText<128>* out) override {
    out->Set("svc " + std::to_string(protocol) + "/" + std::to_string(port));
    return LookupResult::kFound;
  }
};

struct ReportCellsTest : ::testing::Test {
  // The cells of `row` for the named columns, joined by "|".
  std::string Cells(std::initializer_list<const char*> names,
                    const ReportEntry& row) {
    testing::CapturedStream stream;
    ReportStream out(stream.get());
    CellFormatter cells(cache);
    bool first = true;
    for (const char* name : names) {
      const FieldKeyword* keyword = find_keyword(name);
      EXPECT_NE(keyword, nullptr) << name;
      if (!first) out.Put('|');
      first = false;
      cells.WriteCell(keyword->column_id, row, out);
    }
    EXPECT_TRUE(out.Flush());
    return stream.str();
  }

  static ReportEntry Row(uint8_t protocol) {
    ReportEntry row;
    row.ip_protocol = protocol;
    return row;
  }

  NullNameCache null_cache;
  NameCache* cache = &null_cache;
};

TEST_F(ReportCellsTest, TcpFlagText) {
  char buffer[7];
  EXPECT_STREQ(tcp_flag_text(kTcpSyn, buffer), "SYN");
  EXPECT_STREQ(tcp_flag_text(kTcpSyn | kTcpAck, buffer), "sa----");
  EXPECT_STREQ(tcp_flag_text(0, buffer), "-");
  EXPECT_STREQ(tcp_flag_text(kTcpAck | kTcpPsh, buffer), "-a--p-");
  EXPECT_STREQ(tcp_flag_text(0x3f, buffer), "safrpu");
  EXPECT_STREQ(tcp_flag_text(kTcpFlagsUnknown, buffer), "-");
}

TEST_F(ReportCellsTest, TcpRowPrintsTcpFieldsOnly) {
  ReportEntry row = Row(6);
  row.sport = 1025;
  row.dport = 443;
  row.tcp_seq = 4000000000u;
  row.tcp_ackseq = 7;
  row.tcp_window = 65535;
  row.tcp_urgp = 3;
  row.tcp_flags = kTcpAck | kTcpPsh;
  row.udp_len = 99;
  row.icmp_type = 8;
  row.icmp_echoid = 5;
  EXPECT_EQ(
      Cells({"sport", "dport", "tcp_seq", "tcp_ackseq", "tcp_window",
             "tcp_urgp", "tcp_options", "udp_len", "icmptype", "icmpechoid"},
            row),
      "1025|443|4000000000|7|65535|3|-a--p-|||");
}

TEST_F(ReportCellsTest, UdpRowPrintsPortsEvenWithoutOne) {
  ReportEntry row = Row(17);
  row.dport = 53;
  row.tcp_seq = 12;
  row.tcp_flags = kTcpSyn;
  row.udp_len = 40;
  EXPECT_EQ(Cells({"sport", "dport", "tcp_seq", "tcp_options", "tcp_window",
                   "udp_len"},
                  row),
            "65536|53||||40");
}

TEST_F(ReportCellsTest, OtherProtocolsPrintNoPorts) {
  ReportEntry row = Row(47);
  row.sport = 1;
  row.dport = 2;
  EXPECT_EQ(Cells({"sport", "dport", "icmptype", "icmpcode"}, row), "|||");
}

TEST_F(ReportCellsTest, IcmpEchoAndErrorFields) {
  ReportEntry echo = Row(1);
  echo.icmp_type = 8;
  echo.icmp_code = 0;
  echo.icmp_echoid = 513;
  echo.icmp_echoseq = 7;
  echo.icmp_fragmtu = 1400;
  EXPECT_EQ(Cells({"icmptype", "icmpcode", "icmpechoid", "icmpechoseq",
                   "icmp_fragmtu", "icmp_gateway"},
                  echo),
            "8|0|513|7||");

  ReportEntry unreachable = echo;
  unreachable.icmp_type = 3;
  unreachable.icmp_code = 1;
  EXPECT_EQ(Cells({"icmptype", "icmpcode", "icmpechoid", "icmpechoseq",
                   "icmp_fragmtu"},
                  unreachable),
            "3|1|||");
  unreachable.icmp_code = 4;
  EXPECT_EQ(Cells({"icmpechoid", "icmp_fragmtu"}, unreachable), "|1400");

  ReportEntry redirect = Row(1);
  redirect.icmp_type = 5;
  redirect.icmp_gateway = inet_addr("192.168.7.254");
  EXPECT_EQ(Cells({"icmp_gateway", "icmpechoid"}, redirect), "192.168.7.254|");

  ReportEntry reply = Row(1);
  reply.icmp_type = 0;
  reply.icmp_echoid = 9;
  EXPECT_EQ(Cells({"icmpechoid"}, reply), "9");
}

TEST_F(ReportCellsTest, Icmpv6EchoIsTypes128And129) {
  ReportEntry row = Row(58);
  row.icmp_type = 128;
  row.icmp_code = 0;
  row.icmp_echoid = 77;
  row.icmp_echoseq = 2;
  EXPECT_EQ(Cells({"icmptype", "icmpechoid", "icmpechoseq"}, row), "128|77|2");
  row.icmp_type = 129;
  EXPECT_EQ(Cells({"icmpechoid"}, row), "77");
  // The ICMPv4 echo types mean nothing under ICMPv6, and the other way round.
  row.icmp_type = 8;
  EXPECT_EQ(Cells({"icmpechoid"}, row), "");
  ReportEntry v4 = Row(1);
  v4.icmp_type = 128;
  EXPECT_EQ(Cells({"icmpechoid"}, v4), "");
  // Gateway and fragment size are ICMPv4 fields.
  row.icmp_type = 5;
  EXPECT_EQ(Cells({"icmp_gateway"}, row), "");
}

TEST_F(ReportCellsTest, AhEspSpiOnlyForProtocols50And51) {
  ReportEntry row = Row(50);
  row.ahesp_spi = 4294967295u;
  EXPECT_EQ(Cells({"ahesp_spi"}, row), "4294967295");
  row.ip_protocol = 51;
  EXPECT_EQ(Cells({"ahesp_spi"}, row), "4294967295");
  row.ip_protocol = 6;
  EXPECT_EQ(Cells({"ahesp_spi"}, row), "");
}

TEST_F(ReportCellsTest, NumberAndTextFields) {
  ReportEntry row = Row(6);
  row.id = 18446744073709551615u;
  row.count = 12;
  row.local_time = -5;
  row.earliest = 1700000000;
  row.latest = 1700000100;
  row.oob_mark = 4294967295u;
  row.oob_protocol = 2048;
  row.oob_family = 28;
  row.ip_totlen = 65535;
  row.ip_id = 54321;
  row.ip6_flowlabel = 1048575;
  row.ip6_payloadlen = 1280;
  row.ip_csum = 65535;
  row.ip_fragoff = 8191;
  row.ip_ihl = 20;
  row.ip_tos = 255;
  row.ip_ttl = 64;
  row.ip_saddr.text.Set("2001:db8::1");
  row.ip_daddr.text.Set("10.1.2.3");
  row.sname = "gw";
  row.local_hostname = "fw1";
  row.oob_prefix = "DROP ";
  row.oob_in = "eth0";
  row.oob_out = "";
  row.mac_saddr_str = "00:11:22:33:44:55";
  row.mac_daddr_str = "66:77:88:99:aa:bb";
  row.raw_mac = "00:11";
  EXPECT_EQ(Cells({"id", "count", "local_time", "earliest", "latest",
                   "oob_mark", "oob_protocol", "oob_family", "ip_totlen",
                   "ip_id", "ip6_flowlabel", "ip6_payloadlen", "ip_csum",
                   "ip_fragoff", "ip_ihl", "ip_tos", "ip_ttl"},
                  row),
            "18446744073709551615|12|-5|1700000000|1700000100|4294967295|"
            "2048|28|65535|54321|1048575|1280|65535|8191|20|255|64");
  EXPECT_EQ(
      Cells({"ip_saddr", "ip_daddr", "sname", "local_hostname", "oob_prefix",
             "oob_in", "oob_out", "mac_saddr_str", "mac_daddr_str", "raw_mac"},
            row),
      "2001:db8::1|10.1.2.3|gw|fw1|DROP |eth0||00:11:22:33:44:55|"
      "66:77:88:99:aa:bb|00:11");
}

TEST_F(ReportCellsTest, ProtocolCellIsTheSystemName) {
  ReportEntry row = Row(6);
  EXPECT_EQ(Cells({"ip_protocol"}, row), protocol_name(6));
  row.ip_protocol = 253;
  EXPECT_EQ(Cells({"ip_protocol"}, row), protocol_name(253));
}

TEST_F(ReportCellsTest, HostAndServiceCellsPreferTheRowsOwnNames) {
  EchoCache echo;
  cache = &echo;
  ReportEntry row = Row(17);
  row.ip_saddr.text.Set("10.0.0.1");
  row.ip_daddr.text.Set("10.0.0.2");
  row.sport = 5353;
  row.dport = 53;
  EXPECT_EQ(Cells({"src_host", "dst_host", "src_service", "dst_service"}, row),
            "name of 10.0.0.1|name of 10.0.0.2|svc 17/5353|svc 17/53");
  row.src_host = "alpha";
  row.dst_host = "beta";
  row.src_service = "mdns";
  row.dst_service = "domain";
  EXPECT_EQ(Cells({"src_host", "dst_host", "src_service", "dst_service"}, row),
            "alpha|beta|mdns|domain");
}

TEST_F(ReportCellsTest, NoDatabaseGivesDashForEveryLookup) {
  ReportEntry row = Row(6);
  row.ip_saddr.text.Set("10.0.0.1");
  row.ip_daddr.text.Set("10.0.0.2");
  EXPECT_EQ(Cells({"src_host", "dst_host", "src_service", "dst_service"}, row),
            "-|-|-|-");
}

TEST_F(ReportCellsTest, TabsAndLineBreaksInTextCellsBecomeBlanks) {
  ReportEntry row = Row(6);
  row.sname = "a\tb\r\nc";
  row.oob_prefix = "\t";
  row.src_host = "x\ny";
  row.oob_in = "keep  these | ; \x01";
  EXPECT_EQ(Cells({"sname", "oob_prefix", "src_host", "oob_in"}, row),
            "a b  c| |x y|keep  these | ; \x01");
}

TEST_F(ReportCellsTest, LocationCellsOfTheEmptyRecordsAreEmpty) {
  ReportEntry row = Row(6);
  testing::CapturedStream stream;
  ReportStream out(stream.get());
  CellFormatter cells(cache);
  for (int column = kColumnLocationSourceBase; column < kColumnIdLimit;
       ++column) {
    cells.WriteCell(column, row, out);
  }
  out.Flush();
  EXPECT_EQ(stream.str(), "");
}

TEST_F(ReportCellsTest, LocationCellsOfAFilledRecord) {
  LocationRecord location;
  location.country_iso_code.Set("NL");
  location.city_name.Set("Den\tHaag");
  location.metro_code = 501;
  location.is_anonymous_proxy = 1;
  location.is_satellite_provider = 0;
  location.latitude = 52.0799838;
  location.longitude = 0.0;
  AsRecord as;
  as.autonomous_system_number = 64500;
  as.autonomous_system_organization.Set("Example AS");
  ReportEntry row = Row(6);
  row.dst_location = &location;
  row.dst_asn = &as;
  EXPECT_EQ(Cells({"country_iso_code_d", "city_name_d", "metro_code_d",
                   "accuracy_radius_d", "is_anonymous_proxy_d",
                   "is_satellite_provider_d", "is_in_european_union_d",
                   "latitude_d", "longitude_d", "autonomous_system_number_d",
                   "autonomous_system_organization_d", "country_iso_code_s",
                   "autonomous_system_number_s"},
                  row),
            "NL|Den Haag|501||Yes|No||52.07998||64500|Example AS||");
}

TEST_F(ReportCellsTest, ColumnsWithoutACellFormatAreEmpty) {
  ReportEntry row = Row(6);
  EXPECT_EQ(Cells({"extra", "min_date", "tcp_syn"}, row), "||");
}

}  // namespace
}  // namespace tnwk
