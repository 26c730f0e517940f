#include "link/codecs.h"

#include <algorithm>

#include "core/text_to_int.h"

namespace lintari {

// Each place holds the quotient by its power of two, truncated toward zero,
// written in decimal. For 0 to 255 these are binary digits; for 256 to 999
// the eighth place takes the whole value divided by 128 ("2" to "7"), which
// BitsToByte weighs back in. A negative value is kept as it comes: its places
// hold "-1" and the text carries a minus sign, which BitsToByte (and with it
// BitFieldValue and NibblesToByte) rejects with the conversion error "'-' is
// not a valid integer value" instead of inventing a register value.
std::string ByteToBits(std::int32_t value) {
  std::int32_t places[8];
  std::int32_t rest = value;
  for (int k = 7; k >= 0; --k) {
    const std::int32_t weight = std::int32_t{1} << k;
    places[k] = rest / weight;
    rest -= places[k] * weight;
  }
  std::string bits;
  for (std::int32_t place : places) bits += std::to_string(place);
  return bits;
}

std::int32_t BitsToByte(std::string_view bits) {
  std::int32_t value = 0;
  for (std::size_t i = 0; i < 8; ++i) {
    // A text shorter than eight characters fails on the first missing one
    // with the empty text, as the conversion of nothing does.
    const std::string_view character = i < bits.size() ? bits.substr(i, 1) : std::string_view();
    value += TextToInt(character) * (std::int32_t{1} << i);
  }
  return value;
}

std::int32_t BitFieldValue(std::string_view bits, int first, int count) {
  const std::size_t from = static_cast<std::size_t>(std::max(first, 1) - 1);
  std::string field;
  if (from < bits.size() && count > 0) field = bits.substr(from, static_cast<std::size_t>(count));
  if (field.size() < 8) field.append(8 - field.size(), '0');
  return BitsToByte(field);
}

std::int32_t NibblesToByte(std::int32_t low, std::int32_t high) {
  return BitsToByte(ByteToBits(low).substr(0, 4) + ByteToBits(high).substr(0, 4));
}

}  // namespace lintari
