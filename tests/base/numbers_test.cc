#include "base/numbers.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>
#include <string>

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

TEST(Numbers, ScanAdvancesPastTheDigits) {
  const char* text = " 12:34";
  unsigned value = 0;
  ASSERT_TRUE(ScanUnsigned(&text, &value));
  EXPECT_EQ(value, 12);
  EXPECT_STREQ(text, ":34");
}

TEST(Numbers, ScanFailsWithoutDigits) {
  const char* text = " -x";
  unsigned value = 5;
  EXPECT_FALSE(ScanUnsigned(&text, &value));
  EXPECT_EQ(value, 5);
  EXPECT_STREQ(text, " -x");
  unsigned u = 0;
  const char* big = "123456789012345678901234567890";
  EXPECT_TRUE(ScanUnsigned(&big, &u));
  EXPECT_EQ(*big, '\0');
}

// The conversions are written for speed; on any text they must still give
// what the C library gives, and on a token in place what it gives on a
// terminated copy of the token.
TEST(Numbers, AgreeWithTheCLibraryOnRandomTexts) {
  const std::string alphabet = " \t\n+-0123456789abcdefxXgzZ";
  const int bases[] = {0, 2, 8, 10, 16, 36};
  std::mt19937 random(20240613);
  for (int round = 0; round < 200000; ++round) {
    std::string text;
    const size_t length = random() % 24;
    for (size_t i = 0; i < length; ++i) {
      // Long digit runs, so that overflow is common.
      text += random() % 3 == 0 ? alphabet[random() % alphabet.size()]
                                : static_cast<char>('0' + random() % 10);
    }
    const int base = bases[random() % std::size(bases)];
    SCOPED_TRACE("\"" + text + "\" base " + std::to_string(base));
    char* c_end = nullptr;
    const unsigned long c_unsigned = std::strtoul(text.c_str(), &c_end, base);
    const char* end = nullptr;
    EXPECT_EQ(CheckedStrtoul(text.c_str(), base, &end), c_unsigned);
    EXPECT_EQ(end, c_end);
    const long c_long = std::strtol(text.c_str(), nullptr, base);
    EXPECT_EQ(CheckedStrtol(text.c_str(), base), c_long);

    // The same text as a token followed by more digits.
    const std::string line = text + "987";
    const std::string_view token(line.data(), text.size());
    EXPECT_EQ(CheckedStrtoul(token, base), c_unsigned);
    EXPECT_EQ(CheckedStrtol(token, base), c_long);
    if (base == 10) {
      EXPECT_EQ(CheckedAtol(token), c_long);
      EXPECT_EQ(CheckedAtoi(token), static_cast<int>(c_long));
    }
  }
}

}  // namespace
}  // namespace tnwk
