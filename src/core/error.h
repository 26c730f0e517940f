#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace lintari {

// The one exception type of the program. Every failure a user can meet (a
// conversion, a refused registry write, a serial error) is raised as this and
// shown in the error box by the guarded entry of the user interface.
class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

inline constexpr std::string_view kAppTitle = "LTRI";

// The error box shows the message with "." appended when the code of its last
// character is higher than that of "." (so "...(COM3)" stays as it is, while
// "...COM4" gets a full stop). Bytes compare unsigned, so a UTF-8 Cyrillic
// ending counts as higher.
std::string errorBoxText(std::string_view message);

// Fills every "%s" and "%d" of a message pattern in order with the arguments.
std::string formatMessage(std::string_view pattern, std::initializer_list<std::string_view> args);

}  // namespace lintari
