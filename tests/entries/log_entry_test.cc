#include "entries/log_entry.h"

#include <gtest/gtest.h>

#include <string>

#include "entries/text_pool.h"

namespace tnwk {
namespace {

TEST(FixedText, KeepsAtMostSizeMinusOneCharacters) {
  FixedText<4> text;
  text.Set("abcdef");
  EXPECT_EQ(text.view(), "abc");
  text.Set("ab");
  EXPECT_EQ(text.view(), "ab");
  text.Set("");
  EXPECT_TRUE(text.empty());
}

TEST(FixedText, BoundedCopyStopsAtAnEmbeddedNul) {
  char buffer[8];
  BoundedCopy(buffer, sizeof buffer, std::string_view("ab\0cd", 5));
  EXPECT_EQ(std::string(buffer), "ab");
}

TEST(LogEntry, ResetRestoresEveryDefault) {
  LogEntry entry;
  entry.sname.Set("x");
  entry.oob_prefix.Set("DROP");
  entry.raw_mac.Set("00:11");
  entry.ip_saddr.text.Set("1.2.3.4");
  entry.ip_saddr.v4 = 7;
  entry.ip_daddr.v6[3] = 9;
  entry.oob_family = kFamilyIpv6;
  entry.sport = 80;
  entry.dport = 22;
  entry.icmp_type = 8;
  entry.icmp_code = 0;
  entry.count = 5;
  entry.tcp_flags = kTcpSyn;
  entry.local_time = 1234;

  reset_current_entry(entry);

  EXPECT_TRUE(entry.sname.empty());
  EXPECT_TRUE(entry.oob_prefix.empty());
  EXPECT_TRUE(entry.raw_mac.empty());
  EXPECT_TRUE(entry.ip_saddr.text.empty());
  EXPECT_EQ(entry.ip_saddr.v4, 0u);
  EXPECT_EQ(entry.ip_daddr.v6[3], 0);
  EXPECT_EQ(entry.oob_family, 2);
  EXPECT_EQ(entry.sport, 65536u);
  EXPECT_EQ(entry.dport, 65536u);
  EXPECT_EQ(entry.icmp_type, 255);
  EXPECT_EQ(entry.icmp_code, 255);
  EXPECT_EQ(entry.count, 0u);
  EXPECT_EQ(entry.tcp_flags, 0);
  EXPECT_EQ(entry.local_time, 0);
  EXPECT_EQ(entry.src_location, &kEmptyLocation);
  EXPECT_EQ(entry.dst_asn, &kEmptyAs);
}

TEST(LogEntry, SharedEmptyRecordsHaveUnknownYesNoFields) {
  EXPECT_EQ(kEmptyLocation.is_anonymous_proxy, 255);
  EXPECT_EQ(kEmptyLocation.is_satellite_provider, 255);
  EXPECT_EQ(kEmptyLocation.is_in_european_union, 255);
  EXPECT_EQ(kEmptyLocation.latitude, 0.0);
  EXPECT_EQ(kEmptyAs.autonomous_system_number, 0u);
  EXPECT_TRUE(kEmptyAs.autonomous_system_organization.empty());
}

TEST(LogEntry, FamilyNumbersAreTheReportsOwn) {
  EXPECT_EQ(kFamilyIpv4, 2);
  EXPECT_EQ(kFamilyIpv6, 28);
}

TEST(TextPool, EqualTextsShareOnePointer) {
  TextPool pool;
  std::string a = "eth0";
  std::string b = "eth0";
  const char* first = pool.Intern(a);
  EXPECT_EQ(pool.Intern(b), first);
  EXPECT_NE(pool.Intern("eth1"), first);
  EXPECT_STREQ(first, "eth0");
}

TEST(TextPool, TextsStayValidAsThePoolGrows) {
  TextPool pool;
  const char* first = pool.Intern("first");
  std::string big(300, 'x');
  for (int i = 0; i < 5000; ++i) pool.Intern(big + std::to_string(i));
  EXPECT_STREQ(first, "first");
  EXPECT_EQ(pool.Intern("first"), first);
  EXPECT_STREQ(pool.Intern(""), "");
}

}  // namespace
}  // namespace tnwk
