#pragma once

#include <string_view>

namespace lintari {

// The desktop's "open" of a file name or a web address. Fire and forget: a
// failure is not reported.
class Shell {
 public:
  virtual ~Shell() = default;
  virtual void open(std::string_view target) = 0;
};

}  // namespace lintari
