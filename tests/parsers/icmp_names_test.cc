#include "parsers/icmp_names.h"

#include <gtest/gtest.h>

#include <string>

#include "base/diagnostics.h"
#include "entries/log_entry.h"
#include "test_support.h"

namespace tnwk {
namespace {

struct NameCase {
  std::string token;
  int result;
  int type;  // icmp_type and icmp_code afterwards (255: untouched)
  int code;
};

TEST(IcmpNames, TypeAndCodeWordsOfBothTables) {
  // unreach/port and routerrenumber/seqnum_reset are in the parser's tests.
  const NameCase cases[] = {
      {"icmp unreach/foo", 0, 3, 0},  // atoi of an unknown code word
      {"icmp 3/needfrag", 0, 3, 4},
      {"icmp paramprob/length", 0, 12, 2},
      {"icmp timestampreply/0", 0, 14, 0},
      {"icmp echo/port", 0, 8, 0},  // no code list: atoi of the word
      {"icmp 250/x", 0, 250, 0},
      {"icmp 250/7", 0, 250, 0},  // a type no entry has takes no code
      {"icmp 0/0", 0, 0, 0},
      {"icmp dest-unreach/port", 1, 255, 255},
      {"icmp Echo/0", 1, 255, 255},
      {"icmp /3", 1, 255, 255},
      {"icmpv6 routeradvert/0", 0, 134, 0},
      {"icmpv6 echoreply/0", 0, 129, 0},
      {"icmpv6 139/fqdn", 0, 139, 1},  // the first entry of 139
      {"icmpv6 whoareyourequest/fqdn", 0, 139, 0},
      {"icmpv6 needfrag/0", 1, 255, 255},
      // Words of any length are read into bounded buffers.
      {"icmp " + std::string(300, 'u') + "/" + std::string(300, 'p'), 1, 255,
       255},
  };
  Diagnostics quiet;
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.token);
    LogEntry entry;
    EXPECT_EQ(lookup_icmp_names(c.token.c_str(), entry, quiet), c.result);
    EXPECT_EQ(entry.icmp_type, c.type);
    EXPECT_EQ(entry.icmp_code, c.code);
  }
}

TEST(IcmpNames, MessagesByVerbosity) {
  testing::CapturedStream err;
  Diagnostics diag(3, err.get());
  LogEntry entry;
  lookup_icmp_names("icmp bogus/x", entry, diag);
  lookup_icmp_names("icmp echo/0", entry, diag);
  diag.set_verbosity(6);
  lookup_icmp_names("icmp bogus/x", entry, diag);
  lookup_icmp_names("icmpv6 toobig/", entry, diag);
  EXPECT_EQ(err.str(),
            "Unrecognized Type bogus, ignoring\n"
            "Unrecognized Type bogus, ignoring\n"
            "Type bogus is -1; Code x is -1\n"
            "Type toobig is 2; Code  is 0\n");
}

}  // namespace
}  // namespace tnwk
