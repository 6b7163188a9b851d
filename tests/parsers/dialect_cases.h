#ifndef TNWK_TESTS_PARSERS_DIALECT_CASES_H_
#define TNWK_TESTS_PARSERS_DIALECT_CASES_H_

// Drivers for the table-driven tests of the dialect scanners.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/diagnostics.h"
#include "entries/log_entry.h"
#include "parsers/dialect_parser.h"
#include "parsers/dialect_table.h"
#include "test_support.h"

namespace tnwk::testing {

// The parser of the dialect called `name` in the dialect table.
inline std::unique_ptr<DialectParser> MakeDialectParser(
    const char* name, const ParserEnvironment& env) {
  for (const Dialect& d : kDialects) {
    if (std::strcmp(d.name, name) == 0 && d.make != nullptr) {
      return d.make(env);
    }
  }
  ADD_FAILURE() << "no parser for dialect " << name;
  return nullptr;
}

struct DialectCase {
  const char* name;
  const char* line;  // scanned with the newline the input loop leaves on it
  LineResult result;
  uint32_t status;
  const char* fields;    // ";"-separated key=value items the entry must show
  const char* messages;  // standard error at verbosity 5; null: not checked
};

// Parses each case with the parser of dialect `dialect` as line 1, at
// 2026-12-08 12:00:00 UTC, into one entry shared by all cases (so each line
// must start from a reset entry), and checks the result, the status, the
// messages and the items of `render`, which gives the entry's fields as
// ";key=value;...;".
template <size_t N>
void RunDialectCases(const char* dialect, const DialectCase (&cases)[N],
                     std::string (*render)(const LogEntry&)) {
  ScopedTimeZone zone("UTC");
  FixedClock clock(LocalSeconds(2026, 12, 8, 12, 0, 0));
  LogEntry entry;
  for (const DialectCase& c : cases) {
    SCOPED_TRACE(c.name);
    CapturedStream err;
    Diagnostics diag(5, err.get());
    const auto parser = MakeDialectParser(dialect, {&entry, &clock, &diag});
    const std::string line = std::string(c.line) + "\n";
    EXPECT_EQ(parser->ParseEntry(line.c_str(), 1), c.result);
    EXPECT_EQ(parser->parse_status(), c.status);
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

// Feeds lines spliced from `pieces` and random bytes to one parser of a
// dialect whose scanner keeps no state between lines, and each line also to
// a fresh parser: the two must agree on the result (one of the documented
// three), the status, the fields `render` shows and the messages. Under the
// sanitizers an action that reads past its token or overfills a field shows
// up here too.
inline void RunSplicedLines(const char* dialect,
                            const std::vector<std::string>& pieces,
                            std::string (*render)(const LogEntry&)) {
  std::mt19937 random(20261208);
  FixedClock clock(LocalSeconds(2026, 12, 8, 12, 0, 0));
  CapturedStream run_err;
  Diagnostics run_diag(6, run_err.get());
  LogEntry run_entry;
  const auto run = MakeDialectParser(dialect, {&run_entry, &clock, &run_diag});
  CapturedStream fresh_err;
  Diagnostics fresh_diag(6, fresh_err.get());
  for (int i = 0; i < 5000; ++i) {
    const std::string line = RandomLine(random, pieces);
    LogEntry fresh_entry;
    const auto fresh =
        MakeDialectParser(dialect, {&fresh_entry, &clock, &fresh_diag});
    const LineResult result = run->ParseEntry(line.c_str(), i + 1);
    ASSERT_TRUE(result == LineResult::kAccepted ||
                result == LineResult::kNotPacketLog ||
                result == LineResult::kWrongFormat)
        << line;
    ASSERT_EQ(fresh->ParseEntry(line.c_str(), i + 1), result) << line;
    ASSERT_EQ(fresh->parse_status(), run->parse_status()) << line;
    ASSERT_EQ(render(fresh_entry), render(run_entry)) << line;
  }
  EXPECT_TRUE(fresh_err.str() == run_err.str());
}

}  // namespace tnwk::testing

#endif  // TNWK_TESTS_PARSERS_DIALECT_CASES_H_
