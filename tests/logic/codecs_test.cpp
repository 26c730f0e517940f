#include "link/codecs.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "common/row_name.h"
#include "core/error.h"

namespace lintari {
namespace {

std::string conversionErrorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const Error& e) {
    return e.what();
  }
  return "no error";
}

struct BitsRow {
  const char* name;
  std::int32_t value;
  const char* bits;
};

class RegisterBits : public testing::TestWithParam<BitsRow> {};

TEST_P(RegisterBits, ConvertBothWays) {
  EXPECT_EQ(ByteToBits(GetParam().value), GetParam().bits);
  EXPECT_EQ(BitsToByte(GetParam().bits), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Table, RegisterBits,
                         testing::Values(BitsRow{"Zero", 0, "00000000"}, BitsRow{"One", 1, "10000000"},
                                         BitsRow{"Five", 5, "10100000"}, BitsRow{"Bit7", 128, "00000001"},
                                         BitsRow{"AllSet", 255, "11111111"},
                                         BitsRow{"AboveAByteEighthPlaceIsValueBy128", 300, "00110102"},
                                         BitsRow{"LargestField", 999, "11100117"}),
                         testing_support::RowName());

TEST(RegisterBits, RoundTripForEveryThreeDigitValue) {
  for (std::int32_t v = 0; v <= 999; ++v) {
    const std::string bits = ByteToBits(v);
    ASSERT_EQ(bits.size(), 8u) << v;
    ASSERT_EQ(BitsToByte(bits), v) << bits;
  }
}

TEST(RegisterBits, OnlyTheFirstEightCharactersCount) { EXPECT_EQ(BitsToByte("10000000xyz"), 1); }

struct RejectedBits {
  const char* name;
  const char* bits;
  const char* message;
};

class BitsToByteRejects : public testing::TestWithParam<RejectedBits> {};

TEST_P(BitsToByteRejects, WithTheFirstOffendingCharacterAlone) {
  EXPECT_EQ(conversionErrorOf([] { BitsToByte(GetParam().bits); }), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BitsToByteRejects,
    testing::Values(RejectedBits{"LettersFirstOneNamed", "01ab0000", "'a' is not a valid integer value"},
                    RejectedBits{"LetterInLastPlace", "0000000z", "'z' is not a valid integer value"},
                    RejectedBits{"Blank", "0 000000", "' ' is not a valid integer value"},
                    RejectedBits{"Sign", "+0000000", "'+' is not a valid integer value"},
                    RejectedBits{"TooShort", "0101", "'' is not a valid integer value"}),
    testing_support::RowName());

// No caller passes a negative value; the bits then carry a minus sign, so
// whatever is built from them fails visibly instead of storing a made-up value.
TEST(RegisterBits, NegativeValueGivesBitsThatConvertNoFurther) {
  EXPECT_EQ(ByteToBits(-1), "-10000000");
  EXPECT_EQ(ByteToBits(-3), "-1-1000000");
  const std::string minus = "'-' is not a valid integer value";
  EXPECT_EQ(conversionErrorOf([] { BitsToByte(ByteToBits(-1)); }), minus);
  EXPECT_EQ(conversionErrorOf([] { BitFieldValue(ByteToBits(-99), 1, 4); }), minus);
  EXPECT_EQ(conversionErrorOf([] { NibblesToByte(-3, 2); }), minus);
  EXPECT_EQ(conversionErrorOf([] { NibblesToByte(3, -2); }), minus);
}

struct FieldRow {
  const char* name;
  std::int32_t value;
  int first;
  int count;
  std::int32_t field;
};

class BitField : public testing::TestWithParam<FieldRow> {};

TEST_P(BitField, IsTheRunOfBits) {
  EXPECT_EQ(BitFieldValue(ByteToBits(GetParam().value), GetParam().first, GetParam().count),
            GetParam().field);
}

INSTANTIATE_TEST_SUITE_P(Table, BitField,
                         testing::Values(FieldRow{"SymbolRateBits", 11, 1, 3, 3},
                                         FieldRow{"LowNibble", 90, 1, 4, 10},
                                         FieldRow{"HighNibble", 90, 5, 4, 5},
                                         FieldRow{"HighNibbleKeepsWhatLiesAbove", 300, 5, 4, 18},
                                         FieldRow{"MiddleBits", 0b01101100, 3, 4, 0b1011},
                                         FieldRow{"WholeRegister", 201, 1, 8, 201},
                                         FieldRow{"StartBeyondTheBits", 255, 9, 3, 0}),
                         testing_support::RowName());

TEST(BitField, LetterInsideTheFieldFails) {
  EXPECT_EQ(conversionErrorOf([] { BitFieldValue("00x00000", 2, 3); }), "'x' is not a valid integer value");
  EXPECT_EQ(BitFieldValue("00x00000", 4, 3), 0);
}

struct NibblesRow {
  const char* name;
  std::int32_t low;
  std::int32_t high;
  std::int32_t value;
};

class Nibbles : public testing::TestWithParam<NibblesRow> {};

TEST_P(Nibbles, MakeOneRegister) {
  EXPECT_EQ(NibblesToByte(GetParam().low, GetParam().high), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Table, Nibbles,
                         testing::Values(NibblesRow{"Plain", 3, 9, 147}, NibblesRow{"LowWraps", 17, 2, 33},
                                         NibblesRow{"Zero", 0, 0, 0}, NibblesRow{"Largest", 15, 15, 255},
                                         NibblesRow{"ThreeDigitValues", 999, 300, 7 + 16 * 12}),
                         testing_support::RowName());

TEST(Nibbles, AreTheValuesModuloSixteenForEveryThreeDigitValue) {
  for (std::int32_t low = 0; low <= 999; low += 7) {
    for (std::int32_t high = 0; high <= 999; high += 13) {
      ASSERT_EQ(NibblesToByte(low, high), low % 16 + 16 * (high % 16)) << low << " " << high;
    }
  }
}

}  // namespace
}  // namespace lintari
