#pragma once

#include "core/clock.h"

namespace lintari {

// CLOCK_MONOTONIC; sleeping with an absolute deadline so that pauses do not
// drift and no CPU is burnt while waiting.
class MonotonicClock : public Clock {
 public:
  [[nodiscard]] Instant now() const override;
  void sleepUntil(Instant instant) override;
};

}  // namespace lintari
