#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lintari {

// Register values and their bit strings: eight "0"/"1" characters, bit 0
// first. Defined for 0 to 999 (three-digit reply fields); for 256 to 999 the
// eighth character is the value divided by 128, so the round trip holds.
std::string ByteToBits(std::int32_t value);
// Sum of digit(i) * 2^(i-1) over the first eight characters; a character that
// is not a digit throws the conversion error for that one character.
std::int32_t BitsToByte(std::string_view bits);
// `count` characters from position `first` (from 1), padded with "0" to
// eight, through BitsToByte.
std::int32_t BitFieldValue(std::string_view bits, int first, int count);
// (low mod 16) + 16 * (high mod 16), built from the two bit strings.
std::int32_t NibblesToByte(std::int32_t low, std::int32_t high);

}  // namespace lintari
