#pragma once

#include <span>
#include <string_view>

namespace lintari {

// A firmware build as its answer to ATI3 shows it.
struct FirmwareRow {
  std::string_view pattern;  // found as a case-sensitive substring of the answer
  std::string_view series;   // stored as `modem`
  std::string_view version;  // stored as `version`
};

// The sixteen known builds, in the order identification tests them: when an
// answer holds several patterns, the last matching row wins.
std::span<const FirmwareRow> firmwareTable();

}  // namespace lintari
