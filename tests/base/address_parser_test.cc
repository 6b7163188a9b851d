#include "base/address_parser.h"

#include "base/address_family.h"
#include "entries/log_entry.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace tnwk {
namespace {

struct Parsed {
  int result;
  AddressBlock block;
  std::string diagnostics;
};

Parsed Parse(uint16_t family, const char* text, uint8_t verbosity = 2) {
  testing::CapturedStream err;
  Diagnostics diag(verbosity, err.get());
  Parsed parsed;
  parsed.result = ParseAddressInto(family, text, &parsed.block, diag);
  parsed.diagnostics = err.str();
  return parsed;
}

TEST(AddressParser, Ipv4KeepsTheTextAsWritten) {
  Parsed p = Parse(kFamilyIpv4, "10.1");
  EXPECT_EQ(p.result, 0);
  EXPECT_EQ(p.block.text.view(), "10.1");
  EXPECT_EQ(p.block.v4, htonl(0x0A000001));
}

TEST(AddressParser, Ipv4IsStoredInNetworkByteOrder) {
  Parsed p = Parse(kFamilyIpv4, "192.168.1.2");
  EXPECT_EQ(p.block.v4, htonl(0xC0A80102));
  EXPECT_EQ(p.block.text.view(), "192.168.1.2");
}

TEST(AddressParser, Ipv4TextStopsAtWhiteSpace) {
  // What followed the address in a log field must not reach a report cell.
  Parsed p = Parse(kFamilyIpv4, "1.2.3.4\t\"x");
  EXPECT_EQ(p.result, 0);
  EXPECT_EQ(p.block.text.view(), "1.2.3.4");
}

TEST(AddressParser, LongIpv4TextIsCutTo45Characters) {
  std::string text = "0000000000000000000000000000000000000001.2.3.4";
  ASSERT_GT(text.size(), 45u);
  Parsed p = Parse(kFamilyIpv4, text.c_str());
  EXPECT_EQ(p.result, 0);
  EXPECT_EQ(p.block.text.view(), text.substr(0, 45));
}

TEST(AddressParser, Ipv6TextIsCanonical) {
  Parsed p = Parse(kFamilyIpv6, "2001:DB8:0:0:0:0:0:1");
  EXPECT_EQ(p.result, 0);
  EXPECT_EQ(p.block.text.view(), "2001:db8::1");
  EXPECT_EQ(p.block.v6[0], 0x20);
  EXPECT_EQ(p.block.v6[15], 0x01);
}

TEST(AddressParser, BadAddressIsReportedFromVerbosityTwo) {
  Parsed loud = Parse(kFamilyIpv4, "300.1.2.3.4", 2);
  EXPECT_EQ(loud.result, 1);
  EXPECT_EQ(loud.diagnostics, "IP address error: 300.1.2.3.4\n");
  Parsed quiet = Parse(kFamilyIpv6, "1.2.3.4", 1);
  EXPECT_EQ(quiet.result, 1);
  EXPECT_EQ(quiet.diagnostics, "");
}

TEST(AddressParser, UnknownFamilyFailsSilently) {
  Parsed p = Parse(10, "::1", 6);
  EXPECT_EQ(p.result, 1);
  EXPECT_EQ(p.diagnostics, "");
}

TEST(AddressParser, TextOutputIsOptional) {
  Diagnostics diag(0, stderr);
  uint32_t v4 = 0;
  uint8_t v6[16];
  EXPECT_EQ(parse_ip_address(kFamilyIpv4, "1.2.3.4", &v4, v6, nullptr, diag),
            0);
  EXPECT_EQ(v4, htonl(0x01020304));
}

}  // namespace
}  // namespace tnwk
