#include "resolve/system_names.h"

#include <gtest/gtest.h>

#include "base/system_databases.h"

namespace tnwk {
namespace {

TEST(SystemNames, ProtocolNamesComeFromTheSystem) {
  EXPECT_EQ(protocol_name(6), "tcp");
  EXPECT_EQ(protocol_name(17), "udp");
  EXPECT_EQ(protocol_name(253), "253");
}

TEST(SystemNames, ProtocolNameCacheGivesTheSameNames) {
  ProtocolNames names;
  EXPECT_EQ(names.Name(1), "icmp");
  EXPECT_EQ(names.Name(1), "icmp");
  EXPECT_EQ(names.Name(254), "254");
}

TEST(SystemNames, ServiceNamesFallBackToDash) {
  EXPECT_EQ(service_name(80, 6), "http");
  EXPECT_EQ(service_name(65000, 6), "-");
  EXPECT_EQ(service_name(53, 99), "-");  // looked up under protocol "99"
}

TEST(SystemNames, ServicePortOfKnownAndUnknownNames) {
  EXPECT_EQ(LookUpServicePort("http", 6), 80);
  EXPECT_EQ(LookUpServicePort("no-such-service", 6), -1);
  EXPECT_EQ(LookUpProtocolNumber("udp"), 17);
  EXPECT_EQ(LookUpProtocolNumber("no-such-protocol"), -1);
}

TEST(SystemNames, AddressWithoutReverseEntryIsDash) {
  // 192.0.2.0/24 is reserved for documentation and has no reverse entry.
  const uint8_t v4[4] = {192, 0, 2, 77};
  EXPECT_EQ(reverse_host_name(v4, "int", 4), "-");
}

}  // namespace
}  // namespace tnwk
