// Criterion lines: values by type, folding, merging, lists and limits.
#include "reportdef/criteria.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <string>
#include <string_view>
#include <type_traits>

#include "../entries/entry_builders.h"
#include "base/address_family.h"
#include "definition_fixture.h"
#include "entries/field_keywords.h"
#include "entries/selection.h"

namespace tnwk::testing {
namespace {

class CriteriaTest : public DefinitionTest {
 protected:
  const SelectionCriterion& At(size_t index) const {
    return definition_.criteria.at(index);
  }
  std::string Addr(const SelectionCriterion& c) const {
    return DottedAddress(c.addr) + "/" + DottedAddress(c.netmask);
  }
};

TEST_F(CriteriaTest, Ipv4AddressesAreMaskedByPrefixOrNetmask) {
  Line("w_ip_saddr=192.168.1.77/24");
  EXPECT_EQ(Addr(OnlyCriterion()), "192.168.1.0/255.255.255.0");
  Line("w_ip_daddr=10.1.2.3/255.0.0.0");
  EXPECT_EQ(Addr(At(0)), "10.0.0.0/255.0.0.0");
  Line("w_icmp_gateway=10.1.2.3/0");
  EXPECT_EQ(Addr(At(0)), "0.0.0.0/0.0.0.0");
}

TEST_F(CriteriaTest, PrefixLengthsOfThirtyTwoAndMoreKeepEveryBit) {
  Line("w_ip_saddr=10.1.2.3/32");
  EXPECT_EQ(Addr(At(0)), "10.1.2.3/255.255.255.255");
  Line("w_ip_daddr=10.1.2.3/40");
  EXPECT_EQ(Addr(At(0)), "10.1.2.3/255.255.255.255");
  Line("w_icmp_gateway=10.1.2.3/1");
  EXPECT_EQ(Addr(At(0)), "0.0.0.0/128.0.0.0");
}

TEST_F(CriteriaTest, Ipv6AddressesKeepTheirPrefixLength) {
  Line("w_ip_daddr=2001:db8::1/48");
  EXPECT_EQ(OnlyCriterion().family, kFamilyIpv6);
  EXPECT_EQ(Ipv6Text(At(0).in6_addr), "2001:db8::1");
  EXPECT_EQ(At(0).in6_bits, 48);
  Line("w_ip_saddr=2001:db8::/200");
  EXPECT_EQ(At(0).in6_bits, 128);
}

TEST_F(CriteriaTest, UnconvertibleAddressesKeepTheDefaultAndEndTheList) {
  SetVerbosity(2);
  Line("w_ip_saddr=10.0.0.1,bogus,10.0.0.3");
  EXPECT_EQ(definition_.criteria.size(), 1u);
  EXPECT_EQ(Addr(At(0)), "10.0.0.1/255.255.255.255");
  Line("w_ip_daddr=nothing,10.0.0.5");
  EXPECT_EQ(definition_.criteria.size(), 2u);
  EXPECT_EQ(Addr(At(0)), "0.0.0.0/255.255.255.255");
  EXPECT_EQ(Messages(),
            "IP address error: bogus\nCouldn't convert bogus\n"
            "IP address error: nothing\nCouldn't convert nothing\n");
}

TEST_F(CriteriaTest, NumberListsBecomeOneCriterionPerItem) {
  Line("w_tcp_dport=21,23,1024:2048");
  ASSERT_EQ(definition_.criteria.size(), 3u);
  EXPECT_EQ(definition_.criteria.size(), 3u);
  // Newest first: the list's items are in reverse order.
  EXPECT_EQ(At(0).value, 1024u);
  EXPECT_EQ(At(0).max_value, 2048u);
  EXPECT_EQ(At(1).value, 23u);
  EXPECT_EQ(At(1).max_value, 23u);
  EXPECT_EQ(At(2).value, 21u);
  EXPECT_EQ(At(2).svalue.view(), "21");
  for (const auto& c : definition_.criteria) {
    EXPECT_EQ(c.field, kCriterionTcpDport);
  }
}

TEST_F(CriteriaTest, LongListsAreNeverCutMidItem) {
  std::string list = "1";
  for (int port = 1000; port < 1040; ++port) list += "," + std::to_string(port);
  Line("w_udp_dport=" + list);  // far more than 127 characters
  EXPECT_EQ(definition_.criteria.size(), 41u);
  EXPECT_EQ(At(0).value, 1039u);
}

TEST_F(CriteriaTest, DoubleRangesAndProtocolsReadTheirOwnWay) {
  Line("w_latitude_s=0.5:1.5");
  EXPECT_DOUBLE_EQ(At(0).dvalue, 0.5);
  EXPECT_DOUBLE_EQ(At(0).max_dvalue, 1.5);
  EXPECT_EQ(At(0).geoip, kLocationSource);
  EXPECT_EQ(options_.location_flags, kLocationSource);
  Line("w_ip_protocol=icmp");
  EXPECT_EQ(At(0).value, 1u);
  EXPECT_EQ(At(0).max_value, 1u);
  Line("w_ip_protocol=nosuchproto");
  EXPECT_EQ(At(0).value, 0u);
  Line("w_ip_protocol=6,udp");
  EXPECT_EQ(At(0).value, 17u);
  EXPECT_EQ(At(1).value, 6u);
}

TEST_F(CriteriaTest, TextCriteriaCompileTheWholeValue) {
  Line("w_oob_prefix='DROP, REJECT'");
  EXPECT_EQ(OnlyCriterion().svalue.view(), "DROP, REJECT");
  EXPECT_EQ(At(0).regex.Execute("x DROP, REJECT y"), 0);
  EXPECT_NE(At(0).regex.Execute("DROP"), 0);
}

TEST_F(CriteriaTest, BadPatternsAddNothing) {
  SetVerbosity(4);
  Line("w_oob_prefix=(");
  EXPECT_TRUE(definition_.criteria.empty());
  EXPECT_EQ(definition_.criteria.size(), 0u);
  EXPECT_EQ(Messages().rfind("Error in regular expression \"(\" for key "
                             "oob_prefix, skipping:\n  ",
                             0),
            0u);
  EXPECT_EQ(Messages().find("Added"), std::string::npos);
}

TEST_F(CriteriaTest, BackReferencesAreRefusedLikeBadPatterns) {
  // Matching a back-reference can take time exponential in the line.
  SetVerbosity(2);
  for (const char* value :
       {"^(a*)(a*)(a*)(a*)\\4\\3\\2\\1c$", "(x)\\1", "[[:alpha:]](y)\\1"}) {
    Line(std::string("w_oob_prefix=") + value);
    EXPECT_TRUE(definition_.criteria.empty()) << value;
  }
  EXPECT_NE(Messages().find("skipping:\n  Invalid back reference\n"),
            std::string::npos);
  // An escaped digit inside brackets, or an escaped backslash, is no
  // back-reference.
  for (const char* value : {"[\\1]", "a\\\\1", "[]\\1]", "[[:digit:]\\2]"}) {
    definition_ = ReportDefinition();
    Line(std::string("w_oob_prefix=") + value);
    EXPECT_EQ(definition_.criteria.size(), 1u) << value;
  }
}

TEST_F(CriteriaTest, PatternsThatCompileExponentiallyAreRefused) {
  // Each "+" doubles the compiled form; twenty take gigabytes.
  SetVerbosity(2);
  for (const char* value : {"a++++++++++++++++++++", "((((a{9}){9}){9}){9}){9}",
                            "(x+)+(y+)+((z{199}){199})"}) {
    definition_ = ReportDefinition();
    Line(std::string("w_oob_prefix=") + value);
    EXPECT_TRUE(definition_.criteria.empty()) << value;
  }
  EXPECT_NE(Messages().find("skipping:\n  Regular expression too big\n"),
            std::string::npos);
  for (const char* value :
       {"^[0-9]{1,3}(\\.[0-9]{1,3}){3}$", "(DROP|REJECT|DENY)+ (in|out)?",
        "a{255}", "[a{]+", "x*{2}"}) {
    definition_ = ReportDefinition();
    Line(std::string("w_oob_prefix=") + value);
    EXPECT_EQ(definition_.criteria.size(), 1u) << value;
  }
}

TEST_F(CriteriaTest, TcpFlagKeywordsFoldIntoOneMask) {
  Lines({"w_tcp_syn=yes", "w_tcp_fin=yes"});
  EXPECT_EQ(OnlyCriterion().field, kCriterionTcpFlags);
  EXPECT_EQ(At(0).key.view(), "tcp_flags");
  EXPECT_EQ(At(0).value, kTcpFlagSyn | kTcpFlagFin);
  Line("w_tcp_options=no");
  EXPECT_EQ(OnlyCriterion().value, kTcpFlagSyn | kTcpFlagFin | kTcpFlagExact);
  EXPECT_EQ(At(0).boolean, 0);
}

TEST_F(CriteriaTest, FragmentFlagsFoldIntoFragoff) {
  Lines({"w_ip_df=0x4000", "w_ip_mf=0x2000"});
  EXPECT_EQ(OnlyCriterion().field, kCriterionIpFragoff);
  EXPECT_EQ(At(0).key.view(), "ip_fragoff");
  EXPECT_EQ(At(0).value, 0x6000u);
  EXPECT_EQ(definition_.fragoff_bits, 0x6000);
}

TEST_F(CriteriaTest, InvertAfterValueMarksTheExistingCriteria) {
  Lines({"w_tcp_dport=22,80", "i_tcp_dport=yes"});
  ASSERT_EQ(definition_.criteria.size(), 2u);
  EXPECT_EQ(At(0).invert, 1);
  EXPECT_EQ(At(1).invert, 1);
  EXPECT_EQ(At(1).have_value, 0);
}

TEST_F(CriteriaTest, InvertBeforeValueIsFilledByTheValueLine) {
  Line("i_oob_in=yes");
  EXPECT_EQ(OnlyCriterion().have_value, -1);
  EXPECT_EQ(At(0).geoip, 0);
  Line("w_oob_in=^eth0$");
  const SelectionCriterion& c = OnlyCriterion();
  EXPECT_EQ(c.have_value, 0);
  EXPECT_EQ(c.invert, 1);
  EXPECT_EQ(c.svalue.view(), "^eth0$");
  EXPECT_EQ(c.regex.Execute("eth0"), 0);
  EXPECT_NE(c.regex.Execute("eth1"), 0);
  EXPECT_EQ(definition_.criteria.size(), 1u);
}

TEST_F(CriteriaTest, ValueLinesMergeEveryValueField) {
  Lines({"i_ip_saddr=1", "w_ip_saddr=2001:db8::/32"});
  EXPECT_EQ(OnlyCriterion().family, kFamilyIpv6);
  EXPECT_EQ(At(0).in6_bits, 32);
  Lines({"i_longitude_d=1", "w_longitude_d=3.5"});
  EXPECT_DOUBLE_EQ(At(0).dvalue, 3.5);
  EXPECT_EQ(At(0).geoip, kLocationDestination);
}

TEST_F(CriteriaTest, InvertLinesAreRefusedForYesNoDateAndFlagKeywords) {
  SetVerbosity(3);
  Lines({"i_max_date=yes", "i_tcp_syn=yes", "i_ip_df=1"});
  EXPECT_TRUE(definition_.criteria.empty());
  EXPECT_EQ(Messages(),
            "Skipping invert flag for criterion: max_date\n"
            "Skipping invert flag for criterion: tcp_syn\n"
            "Skipping invert flag for criterion: ip_df\n");
}

TEST_F(CriteriaTest, LimitsAndLineIdsSetValuesInsteadOfCriteria) {
  Lines(
      {"i_min_count=5", "w_max_count=9", "w_min_latest=1700000000", "w_id=42"});
  EXPECT_EQ(definition_.min_count, 5u);
  EXPECT_EQ(definition_.max_count, 9u);
  EXPECT_EQ(definition_.min_latest, 1700000000u);
  EXPECT_EQ(definition_.aggregate_criteria_count, 3u);
  EXPECT_EQ(options_.single_line, 42u);
  EXPECT_TRUE(definition_.criteria.empty());
}

TEST_F(CriteriaTest, DatesShowTheirLocalTime) {
  Line("w_min_date=1700000000");
  EXPECT_EQ(OnlyCriterion().value, 1700000000u);
  EXPECT_EQ(At(0).svalue.view(), "Tue Nov 14 22:13:20 2023 UTC");
}

TEST_F(CriteriaTest, UnknownAndUnusableKeysAreSkipped) {
  SetVerbosity(5);
  Lines({"w_sport=80", "w_nosuch=1", "w_extra=1"});
  EXPECT_TRUE(definition_.criteria.empty());
  EXPECT_EQ(Messages(),
            "ignoring key = sport\n"
            "Skipping unrecognized criterion: nosuch\n"
            "ignoring key = extra\n");
}

TEST_F(CriteriaTest, AddedCriteriaAreConfirmedAtFour) {
  SetVerbosity(4);
  Lines({"w_tcp_syn=yes", "w_tcp_sport=1, 2", "i_oob_in=1"});
  EXPECT_EQ(Messages(),
            "Added criterion: tcp_syn\n"
            "Added criterion: tcp_sport; Value: 1; Max value: 1; Svalue: 1; "
            "Family: 2; Addr: 0.0.0.0; Netmask: 255.255.255.255; In6_addr: ::; "
            "In6_bits: 128\n"
            "Added criterion: tcp_sport; Value: 2; Max value 2; Svalue: 2; "
            "Family: 2; Addr: 0.0.0.0; Netmask: 255.255.255.255; In6_addr: ::; "
            "In6_bits: 128\n"
            "Added invert flag for criterion: oob_in\n");
}

// Every criterion key of the keyword table against entries built for it:
// one inside its range (kept), one outside (dropped), both again under the
// key's invert line, and the outside one again as a packet the key's
// protocol guard does not admit (kept: the key does not apply).
struct KeyValues {
  const char* value;  // of the w_ line
  uint64_t inside;
  uint64_t outside;
};

KeyValues ValuesOf(const FieldKeyword& keyword) {
  const std::string_view name = keyword.name;
  if (name == "ip_df") return {"0x4000", 0x4000, 0};
  if (name == "ip_mf") return {"0x2000", 0x2000, 0};
  if (name == "min_date") return {"1000", 2000, 500};
  if (name == "max_date") return {"1000", 500, 2000};
  if (keyword.criterion_type == kTypeBoolean &&
      keyword.field == RowField::kTcpFlags) {
    // The flag a key tests; tcp_flags and tcp_options take flagless packets.
    const std::pair<std::string_view, uint8_t> kBits[] = {
        {"tcp_syn", kTcpSyn}, {"tcp_ack", kTcpAck}, {"tcp_fin", kTcpFin},
        {"tcp_rst", kTcpRst}, {"tcp_psh", kTcpPsh}, {"tcp_urg", kTcpUrg}};
    for (const auto& [key, bit] : kBits) {
      if (key == name) return {"1", bit, 0x3Fu & ~bit};
    }
    return {"1", 0, kTcpSyn};
  }
  switch (keyword.criterion_type) {
    case kTypeText:
      return {"^eth[0-9]$", 0, 0};
    case kTypeAddress:
      return {"10.0.0.0/8", 0x0A010203, 0xC0000201};
    case kTypeBoolean:
      return {"yes", 1, 0};
    default:
      return {"10:20", 15, 30};
  }
}

template <typename T>
void Assign(T& member, uint64_t value) {
  if constexpr (std::is_integral_v<T>) member = static_cast<T>(value);
}

void SetNumber(LogEntry& entry, RowField field, uint64_t value) {
#define TNWK_SET_NUMBER(id, member, ...) \
  if (field == RowField::id) Assign(entry.member, value);
  TNWK_VALUE_FIELDS(TNWK_SET_NUMBER)
#undef TNWK_SET_NUMBER
}

void SetText(LogEntry& entry, RowField field, const char* text) {
#define TNWK_SET_TEXT(id, member, size) \
  if (field == RowField::id) entry.member.Set(text);
  TNWK_TEXT_FIELDS(TNWK_SET_TEXT)
#undef TNWK_SET_TEXT
}

// A packet that `guard` admits, or one of protocol 47 when `admitted` is
// false.
LogEntry PacketFor(ProtocolGuard guard, bool admitted) {
  LogEntry entry;
  reset_current_entry(entry);
  struct Packet {
    uint8_t protocol, type, code;
  };
  constexpr Packet kPackets[] = {{0, 255, 255}, {6, 255, 255}, {17, 255, 255},
                                 {6, 255, 255}, {1, 255, 255}, {58, 255, 255},
                                 {1, 255, 255}, {1, 8, 0},     {58, 128, 0},
                                 {58, 129, 0},  {1, 3, 4},     {1, 5, 0},
                                 {50, 255, 255}};
  const Packet packet = kPackets[static_cast<int>(guard)];
  entry.ip_protocol = admitted ? packet.protocol : 47;
  entry.icmp_type = packet.type;
  entry.icmp_code = packet.code;
  return entry;
}

LocationRecord LocationWith(const char* text, uint16_t number, uint8_t yes_no,
                            double coordinate) {
  LocationRecord r;
  for (FixedText<128>* field :
       {&r.continent_code, &r.continent_name, &r.country_iso_code,
        &r.country_name, &r.subdivision_1_iso_code, &r.subdivision_1_name,
        &r.subdivision_2_iso_code, &r.subdivision_2_name, &r.city_name,
        &r.time_zone, &r.registered_country_geoname_id,
        &r.represented_country_geoname_id, &r.postal_code}) {
    field->Set(text);
  }
  r.metro_code = r.accuracy_radius = number;
  r.is_anonymous_proxy = r.is_satellite_provider = r.is_in_european_union =
      yes_no;
  r.latitude = r.longitude = coordinate;
  return r;
}

AsRecord AsWith(uint32_t number, const char* organization) {
  AsRecord r;
  r.autonomous_system_number = number;
  r.autonomous_system_organization.Set(organization);
  return r;
}

TEST_F(CriteriaTest, EveryKeySelectsInsideItsRangeAndByItsInvertLine) {
  const LocationRecord location[] = {LocationWith("ppp0", 30, 0, 30.0),
                                     LocationWith("eth1", 15, 1, 15.0)};
  const AsRecord as[] = {AsWith(30, "ppp0"), AsWith(15, "eth1")};
  int keys = 0;
  for (const FieldKeyword& keyword : field_keywords()) {
    if (keyword.criterion_id == 0) continue;
    ++keys;
    const KeyValues values = ValuesOf(keyword);
    // The entry of one case; `inside` picks the value.
    auto entry = [&](bool inside, bool admitted) {
      LogEntry e = PacketFor(keyword.criterion_guard, admitted);
      const uint64_t number = inside ? values.inside : values.outside;
      const uint32_t v4 = htonl(static_cast<uint32_t>(number));
      if (keyword.criterion_type == kTypeText) {
        SetText(e, keyword.field, inside ? "eth1" : "ppp0");
      } else if (keyword.kind == FieldKind::kAddress) {
        FieldAddress(e, keyword.field).v4 = v4;
      } else {
        // The gateway is an address in a number field.
        SetNumber(e, keyword.field,
                  keyword.criterion_type == kTypeAddress ? v4 : number);
      }
      e.src_location = e.dst_location = &location[inside];
      e.src_asn = e.dst_asn = &as[inside];
      return e;
    };
    // Yes/no, date and flag keys take no invert line.
    const bool invertible = keyword.criterion_type != kTypeBoolean &&
                            keyword.criterion_type != kTypeDate &&
                            keyword.criterion_type != kTypeFlagNumber;
    for (bool inverted : {false, true}) {
      definition_ = ReportDefinition();
      options_ = Options();
      const std::string key = keyword.name;
      Line("w_" + key + "=" + values.value);
      if (inverted) Line("i_" + key + "=1");
      Selection selection(definition_, options_, diag_);
      const bool flip = inverted && invertible;
      const std::string what = key + (inverted ? " inverted" : "");
      EXPECT_EQ(selection.select_entry(entry(true, true)), !flip) << what;
      EXPECT_EQ(selection.select_entry(entry(false, true)), flip) << what;
      if (keyword.criterion_guard != ProtocolGuard::kNone) {
        EXPECT_TRUE(selection.select_entry(entry(false, false))) << what;
      }
    }
  }
  EXPECT_EQ(keys, 98);
}

}  // namespace
}  // namespace tnwk::testing
