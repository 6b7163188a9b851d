#include "reportdef/value_parsers.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace tnwk {
namespace {

class ValueParsersTest : public ::testing::Test {
 protected:
  // Reads `text` as a number at verbosity 1; messages land in messages_.
  uint64_t Number(const char* text) {
    return parse_number_value(text, 7, diag_);
  }
  double Double(const char* text) { return parse_double_value(text, 7, diag_); }
  int Boolean(const char* text) { return parse_boolean_value(text, 7, diag_); }
  // The cleaned value of a parameter, and the buffer as cleaning left it.
  std::string Cleaned(std::string text) {
    buffer_ = text;
    return parse_text_value(buffer_.data());
  }

  std::string Messages() { return messages_.str(); }

  testing::CapturedStream messages_;
  Diagnostics diag_{1, messages_.get()};
  std::string buffer_;
};

TEST_F(ValueParsersTest, NumbersTakeAutomaticBase) {
  EXPECT_EQ(Number("0x1F\n"), 31u);
  EXPECT_EQ(Number("017"), 15u);
  EXPECT_EQ(Number("42\n"), 42u);
  EXPECT_EQ(Number(" \t\"80\"\n"), 80u);
  EXPECT_EQ(Number("0"), 0u);
  EXPECT_EQ(Messages(), "");
}

TEST_F(ValueParsersTest, NumbersEndAtSeparators) {
  EXPECT_EQ(Number("12,5"), 12u);
  EXPECT_EQ(Number("1024:2048"), 1024u);
  EXPECT_EQ(Number("7 # comment"), 7u);
  EXPECT_EQ(Number(""), 0u);
  EXPECT_EQ(parse_number_value(nullptr, 1, diag_), 0u);
}

TEST_F(ValueParsersTest, NumbersStoppingAtBReadTheBinaryDigitsAfterIt) {
  EXPECT_EQ(Number("1b1"), 1u);
  EXPECT_EQ(Number("0b101"), 5u);
  EXPECT_EQ(Number("b101"), 5u);
  EXPECT_EQ(Number("0B11\n"), 3u);
}

TEST_F(ValueParsersTest, NumbersStoppingElsewhereGiveZeroSilently) {
  EXPECT_EQ(Number("12abc"), 0u);
  EXPECT_EQ(Number("x"), 0u);
  EXPECT_EQ(Number("018"), 0u);
  EXPECT_EQ(Messages(), "");
}

TEST_F(ValueParsersTest, BadNumberCharactersAreReportedOnOneLine) {
  EXPECT_EQ(Number("-5\n"), 0u);
  EXPECT_EQ(Number("'3'\n"), 0u);
  EXPECT_EQ(Messages(),
            "Error in report definition, line 7: -5 not a number\n"
            "Error in report definition, line 7: '3' not a number\n");
}

TEST_F(ValueParsersTest, HugeNumbersSaturate) {
  EXPECT_EQ(Number("99999999999999999999999"), UINT64_MAX);
}

TEST_F(ValueParsersTest, DoublesAllowSignAndPoint) {
  EXPECT_DOUBLE_EQ(Double("-1.5\n"), -1.5);
  EXPECT_DOUBLE_EQ(Double("0.5:1.5"), 0.5);
  EXPECT_DOUBLE_EQ(Double("\"2.25\""), 2.25);
  EXPECT_EQ(Double("1.5q"), 0.0);
  EXPECT_EQ(Messages(), "Error in report definition, line 7: q not a double\n");
}

TEST_F(ValueParsersTest, BooleansCompareByPrefixIgnoringCase) {
  EXPECT_EQ(Boolean("yes\n"), 1);
  EXPECT_EQ(Boolean("TRUE"), 1);
  EXPECT_EQ(Boolean("on"), 1);
  EXPECT_EQ(Boolean("10"), 1);
  EXPECT_EQ(Boolean("\"Yes\""), 1);
  EXPECT_EQ(Boolean("none"), 0);
  EXPECT_EQ(Boolean("off"), 0);
  EXPECT_EQ(Boolean("\n"), 0);
  EXPECT_EQ(Boolean("-1"), -1);
  EXPECT_EQ(Boolean("maybe"), 0);
  EXPECT_EQ(parse_boolean_value(nullptr, 7, diag_), 0);
}

TEST_F(ValueParsersTest, BooleanOutcomesAreTracedAtSix) {
  diag_.set_verbosity(6);
  Boolean(" yes please\n");
  Boolean("maybe\n");
  EXPECT_EQ(Messages(),
            " yes please was parsed to yes and evaluated to true\n"
            "Error in report definition, line 7, assuming 'false'\n");
}

TEST_F(ValueParsersTest, TextValuesLoseBlanksAndClosingQuotes) {
  EXPECT_EQ(Cleaned("  abc  \t\n"), "abc");
  EXPECT_EQ(Cleaned("'  b  '\n"), "  b");
  EXPECT_EQ(Cleaned("\"a b\" trailing\n"), "a b");
  EXPECT_EQ(Cleaned("'it's'\n"), "it's");
  EXPECT_EQ(Cleaned("'open\n"), "'open");
  EXPECT_EQ(Cleaned(""), "");
  EXPECT_STREQ(parse_text_value(nullptr), "");
}

TEST_F(ValueParsersTest, CleaningRewritesTheParameterInPlace) {
  Cleaned("'12'\n");
  // The opening quote became a blank, so a number parser now accepts it.
  EXPECT_EQ(std::string(buffer_.c_str()), " 12");
  EXPECT_EQ(Number(buffer_.c_str()), 12u);
}

TEST_F(ValueParsersTest, ProtocolNamesComeFromTheSystemDatabase) {
  EXPECT_EQ(protocol_number("icmp"), 1);
  EXPECT_EQ(protocol_number("tcp"), 6);
  EXPECT_EQ(protocol_number("nosuchproto"), 0);
}

}  // namespace
}  // namespace tnwk
