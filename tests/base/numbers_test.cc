#include "base/numbers.h"

#include <gtest/gtest.h>

#include <climits>

namespace tnwk {
namespace {

TEST(Numbers, InRangeValuesMatchTheCLibrary) {
  EXPECT_EQ(CheckedAtoi("42abc"), 42);
  EXPECT_EQ(CheckedAtoi("  -7"), -7);
  EXPECT_EQ(CheckedAtoi("x"), 0);
  EXPECT_EQ(CheckedAtol("123456789012"), 123456789012L);
  EXPECT_EQ(CheckedStrtoul("ff", 16), 255ul);
}

TEST(Numbers, OutOfRangeValuesAreDefined) {
  // atoi keeps the low 32 bits of the long it reads.
  EXPECT_EQ(CheckedAtoi("4294967297"), 1);
  EXPECT_EQ(CheckedAtol("99999999999999999999999"), LONG_MAX);
  EXPECT_EQ(CheckedStrtoul("99999999999999999999999", 10), ULONG_MAX);
}

TEST(Numbers, ScanIntAdvancesPastTheDigits) {
  const char* text = " 12:34";
  int value = 0;
  ASSERT_TRUE(ScanInt(&text, &value));
  EXPECT_EQ(value, 12);
  EXPECT_STREQ(text, ":34");
}

TEST(Numbers, ScanFailsWithoutDigits) {
  const char* text = " -x";
  int value = 5;
  EXPECT_FALSE(ScanInt(&text, &value));
  EXPECT_EQ(value, 5);
  EXPECT_STREQ(text, " -x");
  unsigned u = 0;
  const char* big = "123456789012345678901234567890";
  EXPECT_TRUE(ScanUnsigned(&big, &u));
  EXPECT_EQ(*big, '\0');
}

}  // namespace
}  // namespace tnwk
