#include "core/text_to_int.h"

#include <string>

#include "core/error.h"

namespace lintari {
namespace {

[[noreturn]] void reject(std::string_view text) {
  throw Error(formatMessage("'%s' is not a valid integer value", {text}));
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::int32_t TextToInt(std::string_view text) {
  std::string_view rest = text;
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);

  std::size_t prefix = 0;
  if (rest.starts_with("0x") || rest.starts_with("0X")) {
    prefix = 2;
  } else if (rest.starts_with('$') || rest.starts_with('x') || rest.starts_with('X')) {
    prefix = 1;
  }
  if (prefix > 0) {
    std::string_view digits = rest.substr(prefix);
    if (digits.empty() || digits.size() > 8) reject(text);
    std::uint32_t pattern = 0;
    for (char c : digits) {
      const int d = hexDigit(c);
      if (d < 0) reject(text);
      pattern = pattern * 16 + static_cast<std::uint32_t>(d);
    }
    return static_cast<std::int32_t>(pattern);
  }

  bool negative = false;
  if (rest.starts_with('+') || rest.starts_with('-')) {
    negative = rest.front() == '-';
    rest.remove_prefix(1);
  }
  if (rest.empty()) reject(text);
  // Accumulated as a negative number so that the minimum fits.
  std::int64_t value = 0;
  for (char c : rest) {
    if (c < '0' || c > '9') reject(text);
    value = value * 10 + (c - '0');
    if (value > std::int64_t{2147483648}) reject(text);
  }
  if (negative) value = -value;
  if (value > 2147483647 || value < -std::int64_t{2147483648}) reject(text);
  return static_cast<std::int32_t>(value);
}

}  // namespace lintari
