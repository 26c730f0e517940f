#pragma once

#include <chrono>

namespace lintari {

// Time on a monotonic clock, as a duration since an arbitrary start.
using Instant = std::chrono::nanoseconds;

class Clock {
 public:
  virtual ~Clock() = default;
  [[nodiscard]] virtual Instant now() const = 0;
  // Sleeps (never spins) until the clock has reached the instant.
  virtual void sleepUntil(Instant instant) = 0;
};

}  // namespace lintari
