#include "base/address_parser.h"

#include "base/address_family.h"
#include "entries/log_entry.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstring>
#include <random>
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

// IPv4 addresses are read without the C library in their common form; any
// text must still come out as inet_aton reads it.
TEST(AddressParser, Ipv4AgreesWithTheCLibraryOnRandomTexts) {
  const std::string alphabet = "0123456789..x \t";
  std::mt19937 random(7);
  Diagnostics quiet;
  for (int round = 0; round < 100000; ++round) {
    std::string text;
    if (round % 2 == 0) {
      const size_t length = random() % 18;
      for (size_t i = 0; i < length; ++i) {
        text += alphabet[random() % alphabet.size()];
      }
    } else {
      // Mostly dotted quads, some with leading zeros, large parts or a tail.
      for (int part = 0; part < 4; ++part) {
        if (part > 0) text += '.';
        if (random() % 8 == 0) text += '0';
        text += std::to_string(random() % (random() % 4 == 0 ? 1000 : 256));
      }
      if (random() % 4 == 0) text += alphabet[random() % alphabet.size()];
    }
    SCOPED_TRACE("\"" + text + "\"");
    in_addr expected{};
    const int c_result = inet_aton(text.c_str(), &expected);
    uint32_t v4 = 0;
    uint8_t v6[16];
    EXPECT_EQ(
        parse_ip_address(kFamilyIpv4, text.c_str(), &v4, v6, nullptr, quiet),
        c_result != 0 ? 0 : 1);
    if (c_result != 0) {
      EXPECT_EQ(v4, expected.s_addr);
    }
  }
}

// IPv6 texts are written without the C library; every address must still
// come out in inet_ntop's canonical form.
TEST(AddressParser, Ipv6TextAgreesWithTheCLibraryOnRandomAddresses) {
  std::mt19937 random(11);
  Diagnostics quiet;
  for (int round = 0; round < 100000; ++round) {
    uint8_t address[16];
    for (int i = 0; i < 16; i += 2) {
      // Mostly zero groups, so that runs of every length and position occur.
      const unsigned kind = random() % 8;
      const unsigned word = kind < 4    ? 0
                            : kind == 4 ? 0xffff
                                        : random() % 0x10000;
      address[i] = static_cast<uint8_t>(word >> 8);
      address[i + 1] = static_cast<uint8_t>(word);
    }
    char expected[INET6_ADDRSTRLEN];
    ASSERT_NE(inet_ntop(AF_INET6, address, expected, sizeof expected), nullptr);
    SCOPED_TRACE(expected);
    uint32_t v4 = 0;
    uint8_t v6[16];
    char text[kAddressTextSize];
    ASSERT_EQ(parse_ip_address(kFamilyIpv6, expected, &v4, v6, text, quiet), 0);
    EXPECT_STREQ(text, expected);
    EXPECT_EQ(std::memcmp(v6, address, 16), 0);
  }
}

}  // namespace
}  // namespace tnwk
