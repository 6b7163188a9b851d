#include "location/locator.h"

#include <gtest/gtest.h>

#include <string>

#include "entries/entry_builders.h"
#include "location/mmdb_writer.h"
#include "test_support.h"

namespace tnwk {
namespace {

using testing::CapturedStream;
using testing::MakeEntry;
using testing::SetAddress;
using testing::TempDir;

constexpr char kCity[] = R"(
database_type GeoIP2-City
languages en de
network 81.2.69.0/24
  continent.code EU
  continent.names.en Europe
  continent.names.de Europa
  country.iso_code GB
  country.names.en United Kingdom
  country.names.de Vereinigtes Königreich
  country.is_in_european_union:bool false
  subdivisions.0.iso_code ENG
  subdivisions.0.names.en England
  subdivisions.1.iso_code WBK
  subdivisions.1.names.en West Berkshire
  city.names.en Boxford
  location.metro_code:u16 807
  location.time_zone Europe/London
  location.accuracy_radius:u16 100
  location.latitude:double 51.75
  location.longitude:double -1.25
  registered_country.geoname_id:u32 2635167
  represented_country.geoname_id:u32 6252001
  traits.is_anonymous_proxy:bool true
  traits.is_satellite_provider:bool false
  postal.code OX1
network 2001:db8:1::/48
  country.iso_code DE
  country.names.en Germany
  country.is_in_european_union:bool true
  location.metro_code:u32 70000
  location.accuracy_radius Unknown
network 198.51.100.0/24
  city.names.en A city whose name runs on and on, past every field size, in a script of two-byte letters: ééééééééééééééééééééééééééééééé
)";

constexpr char kAsn[] = R"(
database_type GeoLite2-ASN
network 81.2.0.0/16
  autonomous_system_number:u32 20712
  autonomous_system_organization Andrews & Arnold Ltd
network 2001:db8::/32
  autonomous_system_number:u32 64496
)";

class LocatorTest : public ::testing::Test {
 protected:
  LocatorTest() {
    std::string error;
    city_ = dir_.path() + "/city.mmdb";
    asn_ = dir_.path() + "/asn.mmdb";
    EXPECT_TRUE(testing::WriteMmdbFile(city_, kCity, &error)) << error;
    EXPECT_TRUE(testing::WriteMmdbFile(asn_, kAsn, &error)) << error;
    options_.location_flags =
        kLocationSource | kLocationDestination | kAsSource | kAsDestination;
    options_.geoip2_file.Set(city_);
    options_.geoip2_asn_file.Set(asn_);
  }

  // Opens the files of `options_` and locates an entry from `saddr` to
  // `daddr`.
  LogEntry Locate(const char* saddr, const char* daddr = "192.0.2.1") {
    if (locator_ == nullptr) {
      locator_ = std::make_unique<Locator>(diag_);
      locator_->Open(options_);
    }
    LogEntry entry = MakeEntry(saddr);
    SetAddress(entry.ip_daddr, daddr);
    locator_->locate_entry(entry);
    return entry;
  }

  TempDir dir_;
  std::string city_, asn_;
  Options options_;
  CapturedStream err_;
  Diagnostics diag_{2, err_.get()};
  std::unique_ptr<Locator> locator_;
};

TEST_F(LocatorTest, FillsEveryFieldFromTheCityAndAsnFiles) {
  LogEntry e = Locate("81.2.69.160");
  const LocationRecord& l = *e.src_location;
  EXPECT_EQ(l.continent_code.view(), "EU");
  EXPECT_EQ(l.continent_name.view(), "Europe");
  EXPECT_EQ(l.country_iso_code.view(), "GB");
  EXPECT_EQ(l.country_name.view(), "United Kingdom");
  EXPECT_EQ(l.subdivision_1_iso_code.view(), "ENG");
  EXPECT_EQ(l.subdivision_1_name.view(), "England");
  EXPECT_EQ(l.subdivision_2_iso_code.view(), "WBK");
  EXPECT_EQ(l.subdivision_2_name.view(), "West Berkshire");
  EXPECT_EQ(l.city_name.view(), "Boxford");
  EXPECT_EQ(l.metro_code, 807);
  EXPECT_EQ(l.time_zone.view(), "Europe/London");
  EXPECT_EQ(l.registered_country_geoname_id.view(), "2635167");
  EXPECT_EQ(l.represented_country_geoname_id.view(), "6252001");
  EXPECT_EQ(l.is_anonymous_proxy, 1);
  EXPECT_EQ(l.is_satellite_provider, 0);
  EXPECT_EQ(l.postal_code.view(), "OX1");
  EXPECT_EQ(l.latitude, 51.75);
  EXPECT_EQ(l.longitude, -1.25);
  EXPECT_EQ(l.is_in_european_union, 0);
  EXPECT_EQ(l.accuracy_radius, 100);
  EXPECT_EQ(e.src_asn->autonomous_system_number, 20712u);
  EXPECT_EQ(e.src_asn->autonomous_system_organization.view(),
            "Andrews & Arnold Ltd");
  // The destination has no data in either file.
  EXPECT_EQ(e.dst_location, &kEmptyLocation);
  EXPECT_EQ(e.dst_asn, &kEmptyAs);
  EXPECT_EQ(err_.str(), "");
}

TEST_F(LocatorTest, AbsentValuesKeepTheEmptyRecordsValues) {
  LogEntry e = Locate("2001:db8:1::5", "2001:db8:2::1");
  const LocationRecord& l = *e.src_location;
  EXPECT_EQ(l.country_iso_code.view(), "DE");
  EXPECT_EQ(l.is_in_european_union, 1);
  EXPECT_EQ(l.city_name.view(), "");
  EXPECT_EQ(l.subdivision_1_iso_code.view(), "");
  EXPECT_EQ(l.is_anonymous_proxy, 255);
  EXPECT_EQ(l.latitude, 0.0);
  // A value too large for its field or of the wrong type counts as absent.
  EXPECT_EQ(l.metro_code, 0);
  EXPECT_EQ(l.accuracy_radius, 0);
  EXPECT_EQ(e.src_asn->autonomous_system_number, 64496u);
  EXPECT_EQ(e.src_asn->autonomous_system_organization.view(), "");
  // The destination lies in the ASN file's network only.
  EXPECT_EQ(e.dst_location, &kEmptyLocation);
  EXPECT_EQ(e.dst_asn, e.src_asn);
}

TEST_F(LocatorTest, AddressesOfOneNetworkShareOneRecord) {
  LogEntry a = Locate("81.2.69.1", "81.2.69.2");
  LogEntry b = Locate("81.2.69.200", "81.2.1.1");
  EXPECT_EQ(a.src_location, a.dst_location);
  EXPECT_EQ(a.src_location, b.src_location);
  EXPECT_EQ(b.dst_location, &kEmptyLocation);
  EXPECT_EQ(a.src_asn, b.dst_asn);
  // More addresses than the memo holds, looked up again after their slots
  // were taken over, still come to the one record of their network.
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 10000; ++i) {
      std::string address =
          "81.2." + std::to_string(i / 250) + "." + std::to_string(i % 250 + 1);
      ASSERT_EQ(Locate(address.c_str()).src_asn, a.src_asn);
    }
  }
  EXPECT_EQ(locator_->location_record_count(), 1u);
  EXPECT_EQ(locator_->as_record_count(), 1u);
}

TEST_F(LocatorTest, NamesComeInTheChosenLanguage) {
  options_.geoip2_locale.Set("de");
  LogEntry e = Locate("81.2.69.160");
  EXPECT_EQ(e.src_location->continent_name.view(), "Europa");
  EXPECT_EQ(e.src_location->country_name.view(), "Vereinigtes Königreich");
  EXPECT_EQ(e.src_location->city_name.view(), "");  // no German name
  EXPECT_EQ(e.src_location->country_iso_code.view(), "GB");
}

TEST_F(LocatorTest, LongNamesAreCutBetweenCharacters) {
  const FixedText<128>& city = Locate("198.51.100.7").src_location->city_name;
  EXPECT_EQ(city.view().size(), 126u);  // 127 would split an "é"
  EXPECT_EQ(city.view().substr(city.view().size() - 2), "é");
}

TEST_F(LocatorTest, OpensOnlyTheFilesTheReportNeeds) {
  struct Case {
    uint8_t flags;
    const char* city;
    const char* asn;
    uint8_t sources;
    const char* message;
  };
  const std::string missing = dir_.path() + "/missing.mmdb";
  const std::string not_a_database = dir_.WriteFile("bad.mmdb", "no data\n");
  const Case cases[] = {
      {kLocationSource | kAsDestination, city_.c_str(), asn_.c_str(),
       kLocationSource | kAsDestination, ""},
      {kLocationDestination, city_.c_str(), "", kLocationDestination, ""},
      // No file named, or the front end looks the data up itself.
      {kLocationSource | kAsSource, "", "", 0, ""},
      {kLocationSource | kAsSource | kSkipLocationCriteria | kSkipAsCriteria,
       city_.c_str(), asn_.c_str(), 0, ""},
      // Nothing asked for: nothing opened, a bad name goes unnoticed.
      {0, missing.c_str(), missing.c_str(), 0, ""},
      {kAsSource, city_.c_str(), missing.c_str(), 0,
       "Could not open GeoIP2 database %s: No such file or directory\n"},
      {kLocationSource, not_a_database.c_str(), "", 0,
       "Could not open GeoIP2 database %s: "},
  };
  for (const Case& c : cases) {
    CapturedStream err;
    Diagnostics diag(1, err.get());
    Options options;
    options.location_flags = c.flags;
    options.geoip2_file.Set(c.city);
    options.geoip2_asn_file.Set(c.asn);
    Locator locator(diag);
    locator.Open(options);
    EXPECT_EQ(locator.sources(), c.sources) << int{c.flags} << c.city;
    char expected[512];
    std::snprintf(expected, sizeof expected, c.message,
                  c.flags & kAsSource ? c.asn : c.city);
    EXPECT_EQ(err.str().substr(0, std::strlen(expected)), expected);
    EXPECT_EQ(err.str().empty(), expected[0] == '\0');
  }
}

TEST_F(LocatorTest, IpV6AddressesInAnIpV4OnlyFileHaveNoData) {
  std::string error;
  ASSERT_TRUE(testing::WriteMmdbFile(city_,
                                     "ip_version 4\n"
                                     "network 81.2.69.0/24\n"
                                     "  country.iso_code GB\n",
                                     &error))
      << error;
  EXPECT_EQ(Locate("81.2.69.1").src_location->country_iso_code.view(), "GB");
  EXPECT_EQ(Locate("2001:db8:1::5").src_location, &kEmptyLocation);
  EXPECT_EQ(err_.str(), "");
}

}  // namespace
}  // namespace tnwk
