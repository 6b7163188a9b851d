#include "entries/compiled_pattern.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace tnwk {
namespace {

// A new pattern, one whose Compile failed and one that was moved from are
// all ".": each must match exactly the texts that a compiled "." matches.
TEST(CompiledPattern, EveryUncompiledPatternMatchesAsDotDoes) {
  CompiledPattern dot;
  ASSERT_TRUE(dot.Compile("."));
  CompiledPattern fresh;
  CompiledPattern failed;
  std::string error;
  EXPECT_FALSE(failed.Compile("(", &error));
  EXPECT_FALSE(error.empty());
  CompiledPattern compiled;
  ASSERT_TRUE(compiled.Compile("^x$"));
  CompiledPattern moved_to = std::move(compiled);
  for (const char* text : {"", "a", "\n", "\xff", " ", "\t\n", "x"}) {
    SCOPED_TRACE(::testing::PrintToString(text));
    const int expected = dot.Execute(text);
    EXPECT_EQ(fresh.Execute(text), expected);
    EXPECT_EQ(failed.Execute(text), expected);
    EXPECT_EQ(compiled.Execute(text), expected);  // moved from
  }
  EXPECT_EQ(moved_to.Execute("x"), 0);
  EXPECT_EQ(moved_to.Execute("a"), REG_NOMATCH);
}

}  // namespace
}  // namespace tnwk
