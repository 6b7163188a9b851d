#ifndef TNWK_TESTS_PARSERS_DIALECT_CASES_H_
#define TNWK_TESTS_PARSERS_DIALECT_CASES_H_

// Drivers for the table-driven tests of the dialect scanners.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/diagnostics.h"
#include "entries/log_entry.h"
#include "parsers/dialect_parser.h"
#include "test_support.h"

namespace tnwk::testing {

struct DialectCase {
  const char* name;
  const char* line;  // scanned with the newline the input loop leaves on it
  LineResult result;
  uint32_t status;
  const char* fields;    // ";"-separated key=value items the entry must show
  const char* messages;  // standard error at verbosity 5; null: not checked
};

// Parses each case as line 1, at 2026-12-08 12:00:00 UTC, into one entry
// shared by all cases (so each line must start from a reset entry), and
// checks the result, the status, the messages and the items of `render`,
// which gives the entry's fields as ";key=value;...;".
template <typename Parser, size_t N>
void RunDialectCases(const DialectCase (&cases)[N],
                     std::string (*render)(const LogEntry&)) {
  ScopedTimeZone zone("UTC");
  FixedClock clock(LocalSeconds(2026, 12, 8, 12, 0, 0));
  LogEntry entry;
  for (const DialectCase& c : cases) {
    SCOPED_TRACE(c.name);
    CapturedStream err;
    Diagnostics diag(5, err.get());
    Parser parser(ParserEnvironment{&entry, &clock, &diag});
    const std::string line = std::string(c.line) + "\n";
    EXPECT_EQ(parser.ParseEntry(line.c_str(), 1), c.result);
    EXPECT_EQ(parser.parse_status(), c.status);
    const std::string fields = render(entry);
    std::istringstream wanted(c.fields);
    for (std::string item; std::getline(wanted, item, ';');) {
      EXPECT_TRUE(fields.find(";" + item + ";") != std::string::npos)
          << item << " not in " << fields;
    }
    if (c.messages != nullptr) {
      EXPECT_EQ(err.str(), c.messages);
    }
  }
}

// Feeds lines spliced from `pieces` and random bytes: under the sanitizers
// an action that reads past its token or overfills a field shows up here.
template <typename Parser>
void RunSplicedLines(const std::vector<std::string>& pieces) {
  std::mt19937 random(20261208);
  CapturedStream err;
  Diagnostics diag(6, err.get());
  FixedClock clock(LocalSeconds(2026, 12, 8, 12, 0, 0));
  LogEntry entry;
  Parser parser(ParserEnvironment{&entry, &clock, &diag});
  for (int i = 0; i < 20000; ++i) {
    const std::string line = RandomLine(random, pieces);
    ASSERT_NE(parser.ParseEntry(line.c_str(), i + 1), LineResult::kExcluded)
        << line;
  }
}

}  // namespace tnwk::testing

#endif  // TNWK_TESTS_PARSERS_DIALECT_CASES_H_
