#ifndef TNWK_TESTS_REPORTDEF_DEFINITION_FIXTURE_H_
#define TNWK_TESTS_REPORTDEF_DEFINITION_FIXTURE_H_

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/clock.h"
#include "base/diagnostics.h"
#include "reportdef/column_list.h"
#include "reportdef/definition_context.h"
#include "reportdef/definition_reader.h"
#include "test_support.h"

namespace tnwk::testing {

// A report definition under construction, with its diagnostics captured.
class DefinitionTest : public ::testing::Test {
 protected:
  void SetVerbosity(uint8_t verbosity) {
    options_.verbosity = verbosity;
    diag_.set_verbosity(verbosity);
  }

  // Processes one definition line; a newline is added as fgets keeps it.
  void Line(std::string text, int line_no = 1) {
    text += '\n';
    process_definition_line(context_, text.data(), line_no);
    order_columns(definition_);
  }

  void Lines(const std::vector<std::string>& lines) {
    int line_no = 0;
    for (const std::string& line : lines) Line(line, ++line_no);
  }

  std::string Messages() { return messages_.str(); }

  // Key names of the columns / sort fields in list order.
  std::vector<std::string> ColumnNames() const {
    std::vector<std::string> names;
    for (const auto& c : definition_.columns) names.emplace_back(c.name.view());
    return names;
  }
  std::vector<std::string> SortNames() const {
    std::vector<std::string> names;
    for (const auto& s : definition_.sort_fields) {
      names.emplace_back(s.name.view());
    }
    return names;
  }

  const SelectionCriterion& OnlyCriterion() const {
    EXPECT_EQ(definition_.criteria.size(), 1u);
    return definition_.criteria.front();
  }

  ScopedTimeZone utc_{"UTC"};
  CapturedStream messages_;
  Options options_;
  Diagnostics diag_{0, messages_.get()};
  FixedClock clock_{1700000000};
  ReportDefinition definition_;
  DefinitionContext context_{definition_, options_, diag_, clock_};
};

}  // namespace tnwk::testing

#endif  // TNWK_TESTS_REPORTDEF_DEFINITION_FIXTURE_H_
