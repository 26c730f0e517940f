#pragma once

#include "core/clock.h"

namespace lintari::testing_support {

// A clock that only moves when slept on or advanced by the test.
class FakeClock : public Clock {
 public:
  [[nodiscard]] Instant now() const override { return now_; }
  void sleepUntil(Instant instant) override {
    if (instant > now_) now_ = instant;
  }
  void advance(Instant by) { now_ += by; }

 private:
  Instant now_{std::chrono::seconds(1000)};
};

}  // namespace lintari::testing_support
