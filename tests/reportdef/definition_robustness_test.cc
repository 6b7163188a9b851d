// Lines made of real tokens cut and spliced at random, and of random bytes:
// the reader may not crash, read out of bounds or stop on them. Under the
// sanitizers this is where an off-by-one in a rule or an action shows up.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/diagnostics.h"
#include "entries/options.h"
#include "entries/report_definition.h"
#include "reportdef/definition_context.h"
#include "reportdef/definition_reader.h"
#include "test_support.h"

namespace tnwk {
namespace {

using testing::RandomLine;

const std::vector<std::string> kDefinitionPieces = {"c_",
                                                    "s_",
                                                    "o_",
                                                    "w_",
                                                    "i_",
                                                    "ip_saddr",
                                                    "tcp_dport",
                                                    "oob_prefix",
                                                    "count",
                                                    "summarize",
                                                    "populate_cache_full",
                                                    "mysql_pass",
                                                    "min_date",
                                                    "min_count",
                                                    "tcp_syn",
                                                    "ip_df",
                                                    "id",
                                                    "=",
                                                    "\"",
                                                    "'",
                                                    ",",
                                                    ":",
                                                    "/",
                                                    "10.0.0.0/8",
                                                    "2001:db8::/200",
                                                    "0x1F",
                                                    "1b1",
                                                    "-5",
                                                    "(",
                                                    "[a-",
                                                    "yes",
                                                    "null",
                                                    "#",
                                                    " ",
                                                    "\t",
                                                    "99999999999999999999999"};

TEST(DefinitionReader, SurvivesSplicedAndRandomLines) {
  std::mt19937 random(8122026);
  testing::CapturedStream err;
  Diagnostics diag(6, err.get());
  FixedClock clock(0);
  ReportDefinition definition;
  Options options;
  DefinitionContext context{definition, options, diag, clock};
  for (int i = 0; i < 5000; ++i) {
    std::string line = RandomLine(random, kDefinitionPieces) + "\n";
    if (line.size() > 1023) line = line.substr(line.size() - 1023);
    process_definition_line(context, line.data(), i + 1);
  }
  EXPECT_EQ(definition.criteria.size(), definition.criteria.size());
}

}  // namespace
}  // namespace tnwk
