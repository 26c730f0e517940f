// Any text into the program's one number conversion: it gives the value a
// plain second reading of the same rules gives, or the conversion error with
// the whole text in it, and nothing else.
#include <charconv>
#include <optional>

#include "core/error.h"
#include "core/text_to_int.h"
#include "fuzz_support.h"

namespace {

using lintari::fuzzing::check;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isHexDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// The same rules read another way: prefixes stripped first, then the
// standard library's conversion of what is left.
std::optional<std::int32_t> expectedValue(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  for (std::string_view prefix : {"0x", "0X", "$", "x", "X"}) {
    if (!text.starts_with(prefix)) continue;
    const std::string_view digits = text.substr(prefix.size());
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    for (char c : digits) {
      if (!isHexDigit(c)) return std::nullopt;
    }
    std::uint32_t pattern = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), pattern, 16);
    return static_cast<std::int32_t>(pattern);
  }
  bool negative = false;
  if (text.starts_with('+') || text.starts_with('-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  for (char c : text) {
    if (!isDigit(c)) return std::nullopt;
  }
  while (text.size() > 1 && text.front() == '0') text.remove_prefix(1);
  if (text.size() > 10) return std::nullopt;
  std::int64_t magnitude = 0;
  std::from_chars(text.data(), text.data() + text.size(), magnitude);
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::optional<std::int32_t> expected = expectedValue(text);
  try {
    const std::int32_t value = lintari::TextToInt(text);
    check(expected.has_value(), "a text outside the rules was accepted", text);
    check(value == *expected, "an accepted text gave the wrong value", text);
  } catch (const lintari::Error& e) {
    check(!expected.has_value(), "a text within the rules was refused", text);
    // what() is a C string: a NUL in the text ends the message there.
    const std::string message = "'" + std::string(text) + "' is not a valid integer value";
    check(e.what() == message.substr(0, message.find('\0')),
          "the conversion error does not carry the whole text", e.what());
  }
  return 0;
}
