#include "core/text_to_int.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "common/row_name.h"
#include "core/error.h"

namespace lintari {
namespace {

struct Accepted {
  const char* name;
  const char* text;
  std::int32_t value;
};

class TextToIntAccepts : public testing::TestWithParam<Accepted> {};

TEST_P(TextToIntAccepts, GivesTheValue) { EXPECT_EQ(TextToInt(GetParam().text), GetParam().value); }

INSTANTIATE_TEST_SUITE_P(
    Table, TextToIntAccepts,
    testing::Values(Accepted{"LeadingZeros", "008", 8}, Accepted{"LeadingBlank", " 12", 12},
                    Accepted{"Plus", "+7", 7}, Accepted{"Minimum", "-2147483648", INT32_MIN},
                    Accepted{"Maximum", "2147483647", INT32_MAX}, Accepted{"Dollar", "$ff", 255},
                    Accepted{"ZeroXMixedCase", "0XfF", 255}, Accepted{"LowerX", "x10", 16},
                    Accepted{"AllOnesPattern", "$FFFFFFFF", -1}, Accepted{"EightHexDigits", "0x7FFFFFFF", INT32_MAX},
                    Accepted{"Zero", "000", 0}, Accepted{"MinusZero", "-0", 0},
                    Accepted{"ManyBlanks", "   5", 5}),
    testing_support::RowName());

struct Rejected {
  const char* name;
  const char* text;
};

class TextToIntRejects : public testing::TestWithParam<Rejected> {};

TEST_P(TextToIntRejects, WithTheConversionMessage) {
  const std::string text = GetParam().text;
  try {
    TextToInt(text);
    FAIL() << "accepted '" << text << "'";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "'" + text + "' is not a valid integer value");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, TextToIntRejects,
    testing::Values(Rejected{"Empty", ""}, Rejected{"Blank", " "}, Rejected{"TrailingBlank", "12 "},
                    Rejected{"BeyondMaximum", "2147483648"}, Rejected{"BelowMinimum", "-2147483649"},
                    Rejected{"PrefixWithoutDigits", "0x"}, Rejected{"NineHexDigits", "$123456789"},
                    Rejected{"Exponent", "1e3"}, Rejected{"DoubleSign", "--1"}, Rejected{"SignedHex", "-$10"},
                    Rejected{"DigitThenOk", "1OK"}, Rejected{"HugeDecimal", "99999999999999999999"},
                    Rejected{"Tab", "\t5"}),
    testing_support::RowName());

}  // namespace
}  // namespace lintari
